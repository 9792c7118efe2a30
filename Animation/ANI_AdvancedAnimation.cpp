#include "Animation/ANI_AdvancedAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Animation/AnimationShared.h"
#include "render/Blits.h"
#include "render/CrtRandom.h"
#include "render/Discs.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/Lines.h"
#include "render/PixelBuffer.h"
#include "render/Platform.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::AdvancedAnimation);
constexpr int32_t kStars = 512, kShooters = 20, kSparkles = 256, kCrackNodes = 46;
constexpr int32_t kMatrixCols = 40, kMatrixRows = 30;
constexpr int32_t kBands = 128;

struct Star {
    int32_t x, y, kind;
    int16_t size;
    int32_t step, active;
};
struct Shooter {
    int32_t active, x, y, dx, dy, age, lastX, lastY;
};
struct Sparkle {
    int32_t x, y;
    uint8_t red, green, blue;
};
struct Glow {
    int32_t x, y;
    Pixel colour;
};
struct CrackNode {
    int16_t x, y, parent;
    double length, angle;
    uint8_t blue, green, red;
};
struct Boosted {
    float boost = 0;
    int32_t phase = 0;
    // The phase advances by the boost it had, then the boost follows the beat.
    void step(int32_t beat) {
        phase += static_cast<int32_t>(boost);
        boost = beat ? 64.0f : boost * 0.9375f;
    }
};

struct AdvancedState {
    Star stars[kStars] = {};
    int32_t starFrames = 0;
    Shooter shooters[kShooters] = {};
    Sparkle sparkles[kSparkles] = {};
    Glow glows[kSparkles] = {};
    LevelFollower rainbowLevel;
    int32_t rainbowPhase = 0;
    CrackNode crack[kCrackNodes] = {};
    int32_t crackAngle = 0;
    bool lumbraPlaced = false;
    double lumbraX[3] = {}, lumbraY[3] = {}, lumbraAngle[3] = {};
    int32_t rayFrames = 0;
    Boosted mirel, tavia;
    LevelFollower bruvelLevel;
    int32_t bruvelFrames = 0;
    LevelFollower nodraLevel;
    int32_t ringRadius[8] = {};
    Pixel ringColour[8] = {};
    int32_t nodraFrames = 0;
    int16_t glyphs[kMatrixRows][kMatrixCols] = {};
};
AdvancedState g_adv;
SecondsClock g_clock = platformTimeSeconds;

struct Box {
    int32_t left, top, right, bottom, w, h, cx, cy;
};
Box boxOf(const Rect& r) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    return {r.left, r.top, r.right, r.bottom, w, h, r.left + w / 2, r.top + h / 2};
}

Pixel rgb(int32_t r, int32_t g, int32_t b) { return static_cast<Pixel>((r << 16) | (g << 8) | b); }
int32_t byteOf(int32_t v) { return std::clamp(v, 0, 255); }
int32_t tableSin(int64_t i) { return SineTable[i & (kTrigTableSize - 1)]; }
int32_t tableCos(int64_t i) { return CosineTable[i & (kTrigTableSize - 1)]; }

// The end of a ray of the length from (x, y) in table direction k.
void rayEnd(int32_t x, int32_t y, int64_t length, int64_t k, int32_t* ex, int32_t* ey) {
    *ex = x + static_cast<int32_t>(length * tableCos(k) >> 15);
    *ey = y + static_cast<int32_t>(length * tableSin(k) >> 15);
}

bool inClip(const Box& b, int32_t x, int32_t y) { return x >= b.left && x < b.right && y >= b.top && y < b.bottom; }

// The spectrum history's colour of a value.
Pixel heatColour(int32_t v) {
    v = std::max(v, 0);   // a negative magnitude shows as silence
    return rgb(std::min(v, 255), std::min(v / 2, 255), std::min(v / 4, 255));
}

// The six wandering centres of the Happy rows.
void sixCentres(const Box& b, int32_t phase, int32_t* xs, int32_t* ys) {
    const float c = static_cast<float>(phase), A = static_cast<float>(b.w / 6), B = static_cast<float>(b.h / 6);
    const float x[6] = {std::cos(0.0151f * c), std::cos(0.0082f * c), std::sin(0.0053f * c),
                        std::sin(0.0021f * c), std::sin(0.0033f * c), std::sin(0.0045f * c)};
    const float y[6] = {std::cos(0.0056f * c), std::sin(0.0055f * c), std::cos(0.0054f * c),
                        std::cos(0.0072f * c), std::cos(0.0064f * c), std::cos(0.0056f * c)};
    for (int k = 0; k < 6; ++k) {
        xs[k] = b.cx + truncToInt(A * x[k]);
        ys[k] = b.cy + truncToInt(B * y[k]);
    }
}

void happyColours(int32_t level, Pixel* out) {
    const int32_t q = (level / 2) & 0x7F;
    const Pixel c[6] = {rgb(q, 0x0A, 0x1E), rgb(0x0A, q, 0x1E), rgb(0x1E, q, 0x0A),
                        rgb(q, 0x1E, 0x0A), rgb(0x0A, 0x1E, q), rgb(0x1E, 0x0A, q)};
    std::copy(c, c + 6, out);
}

// Holds `count` buffers; true when any of them was acquired now (its contents must be built).
bool holdBuffersAnyNew(EffectParams* p, int32_t count) {
    Pixel* before[3] = {p->buffers[0], p->buffers[1], p->buffers[2]};
    holdScratchBuffers(p, count);
    for (int32_t k = 0; k < count; ++k)
        if (!before[k] && p->buffers[k]) return true;
    return false;
}

bool holdingAll(const EffectParams* p, int32_t count) {
    for (int32_t k = 0; k < count; ++k)
        if (!p->buffers[k]) return false;
    return true;
}

void initCrackTree(const Box& b) {
    const double e = std::min(0.002 * b.h, 0.0014285714285714286 * b.w);
    CrackNode* t = g_adv.crack;
    t[0] = {};
    t[0].x = static_cast<int16_t>(b.cx);
    t[0].y = static_cast<int16_t>(b.cy);
    t[0].parent = -1;
    const double roots[3] = {0.0, 2.0943946666666666, 4.188789333333333};
    for (int32_t n = 1; n < kCrackNodes; ++n) {
        CrackNode& node = t[n];
        node = {};
        node.parent = static_cast<int16_t>(n <= 3 ? 0 : n / 2 - 1);
        node.length = e * (n <= 3 ? 80 : n <= 9 ? 60 : n <= 21 ? 40 : 20);
        if (n <= 3)
            node.angle = roots[n - 1];
        else
            node.angle = t[node.parent].angle + (n % 2 == 0 ? 1.0471973333333333 : -1.0471973333333333);
    }
}

void loadCrackColours(const int16_t* spectrum, int32_t beat) {
    for (int32_t k = 0; k < kCrackNodes; ++k) {
        CrackNode& node = g_adv.crack[k];
        if (beat) {
            node.blue = node.green = node.red = 255;
            continue;
        }
        // The last nodes would read below the table: they show silence.
        auto channel = [spectrum](int32_t index) {
            const int32_t v = index >= 0 ? spectrum[index] : 0;
            return static_cast<uint8_t>(v > 12 ? 255 : byteOf(v * 20));
        };
        node.blue = channel(127 - 3 * k);
        node.green = channel(126 - 3 * k);
        node.red = channel(125 - 3 * k);
    }
}

Pixel crackColour(const CrackNode& n) { return rgb(n.red, n.green, n.blue); }

// A bilinear cell of the falling spectrum: corners tl, tr (top) and bl, br (bottom).
void fillHeatCell(Pixel* dst, int32_t pitch, int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t tl, int32_t tr,
                  int32_t bl, int32_t br) {
    if (x1 <= x0 || y1 <= y0) return;
    const int64_t stepL = (static_cast<int64_t>(bl - tl) << 16) / (y1 - y0);
    const int64_t stepR = (static_cast<int64_t>(br - tr) << 16) / (y1 - y0);
    int64_t left = static_cast<int64_t>(tl) << 16, right = static_cast<int64_t>(tr) << 16;
    for (int32_t y = y0; y < y1; ++y, left += stepL, right += stepR) {
        const int64_t step = (right - left) / (x1 - x0);
        int64_t v = left;
        Pixel* row = pixelAt(dst, pitch, 0, y);
        for (int32_t x = x0; x < x1; ++x, v += step) row[x] = heatColour(static_cast<int32_t>(v >> 16));
    }
}

}  // namespace

void drawTwinkleStars(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t firstFrame) {
    const Box b = boxOf(*clip);
    if (firstFrame) {
        for (Star& s : g_adv.stars) {
            s.x = b.left + 10 + crtRand() % std::max(b.w - 20, 1);   // a frame under 21 pixels wide has one column
            s.y = b.top + 10 + std::abs(randBell(-(b.h - 10), b.h - 10, 5));
            s.kind = crtRand() % 3;
            s.size = static_cast<int16_t>(crtRand() % 8 + 1);
            s.step = (crtRand() & 1) ? 1 : -1;
            s.active = 1;
        }
    }
    g_adv.starFrames += 1;
    const float n = static_cast<float>(g_adv.starFrames);
    const int32_t colour[3] = {truncToInt(128.0f + 55.0f * std::sin(0.0373f * n)),
                               truncToInt(128.0f - 55.0f * std::cos(0.0521f * n)),
                               truncToInt(128.0f - 55.0f * std::cos(0.0993f * n))};
    const float limit = static_cast<float>(level & 0xFF) * 1.5f;
    for (int32_t i = 0; i < kStars && static_cast<float>(i) < limit; ++i) {
        Star& s = g_adv.stars[i];
        s.x = std::max(b.left + 11, std::min(s.x + crtRand() % 3 - 1, b.right - 12));
        s.y = std::max(b.top + 11, std::min(s.y + crtRand() % 3 - 1, b.bottom - 12));
        s.size = static_cast<int16_t>(s.size + s.step);
        if (s.size > 8 || s.size < 1) s.step = -s.step;
        const int32_t size = s.size;
        if (size <= 0) continue;
        // On a frame too small for the margins the cross would leave the clip.
        if (s.x - size < b.left || s.x + size >= b.right || s.y - size < b.top || s.y + size >= b.bottom) continue;
        for (int32_t d = -size; d <= size; ++d) {
            const int32_t w = (32768 / size * std::abs(d)) >> 7;
            Pixel add = 0;
            for (int k = 0; k < 3; ++k) add |= static_cast<Pixel>(colour[k] - colour[k] * w / 256) << (16 - 8 * k);
            addPixelSaturated(dst, pitch, s.x + d, s.y, add);
            addPixelSaturated(dst, pitch, s.x, s.y + d, add);
        }
    }
}

void drawShootingStars(Pixel* dst, int32_t pitch, const Rect* clip, int32_t firstFrame, int32_t beat) {
    const Box b = boxOf(*clip);
    if (firstFrame)
        for (Shooter& s : g_adv.shooters) s = {};
    if (beat && b.w > 0) {
        for (Shooter& s : g_adv.shooters) {
            if (s.active) continue;
            s.active = 1;
            s.x = b.left + crtRand() % b.w;
            s.y = b.top;
            s.dx = randRange(-30, 30);
            s.dy = randRange(30, 60);
            s.age = 0;
            s.lastX = s.x;
            s.lastY = s.y;
            break;
        }
    }
    for (Shooter& s : g_adv.shooters) {
        if (!s.active) continue;
        s.x += s.dx;
        s.y += s.dy;
        if (s.x < b.left || s.x > b.right - 1 || s.y > b.bottom - 1) {
            s.active = 0;
            continue;
        }
        drawAdditiveLine(dst, *clip, pitch, s.x, s.y, s.lastX, s.lastY, 0xAFDFFF, 2);
        s.lastX = s.x;
        s.lastY = s.y;
    }
}

void drawSpectrumSparkles(Pixel* dst, int32_t pitch, const Rect* clip, int32_t, int32_t firstFrame,
                          const int16_t* spectrum) {
    const Box b = boxOf(*clip);
    if (b.w <= 0 || b.h <= 0) return;
    if (firstFrame) {
        for (Sparkle& s : g_adv.sparkles) {
            s.x = b.left + crtRand() % b.w;
            s.y = b.top + crtRand() % b.h;
            s.red = static_cast<uint8_t>(crtRand());
            s.green = static_cast<uint8_t>(crtRand());
            s.blue = static_cast<uint8_t>(crtRand());
        }
    }
    for (int32_t i = 0; i < kSparkles; ++i) {
        Sparkle& s = g_adv.sparkles[i];
        const int32_t v = std::max<int32_t>(spectrum[i / 2], 0);   // a negative magnitude has no root
        const int32_t r = truncToInt(std::sqrt(static_cast<float>(4 * v)));
        const int32_t t = r / 4;
        s.x = std::clamp(s.x + crtRand() % (2 * t + 1) - t, b.left, b.right - 1);
        s.y = std::clamp(s.y + crtRand() % (2 * t + 1) - t, b.top, b.bottom - 1);
        const int32_t e = r + 3;
        for (int32_t j = -e; j <= e; ++j) {
            const int32_t f = e - std::abs(j) + 1;
            const Pixel add = rgb(s.red * f / 16 > 255 ? 255 : s.red * f / 16, s.green * f / 16 > 255 ? 255 : s.green * f / 16,
                                  s.blue * f / 16 > 255 ? 255 : s.blue * f / 16);
            if (inClip(b, s.x + j, s.y)) addPixelSaturated(dst, pitch, s.x + j, s.y, add);
            if (inClip(b, s.x, s.y + j)) addPixelSaturated(dst, pitch, s.x, s.y + j, add);
        }
    }
}

void drawSpectrumGlows(Pixel* dst, int32_t pitch, const Rect* clip, int32_t, int32_t firstFrame,
                       const int16_t* spectrum, int32_t beat) {
    const Box b = boxOf(*clip);
    if (b.w <= 0 || b.h <= 0) return;
    if (firstFrame || beat) {
        for (Glow& g : g_adv.glows) {
            g.x = b.left + crtRand() % b.w;
            g.y = b.top + crtRand() % b.h;
            g.colour = randomColor();
        }
    }
    for (int32_t i = 0; i < kSparkles; ++i) {
        Glow& g = g_adv.glows[i];
        g.x = std::clamp(g.x + crtRand() % 3 - 1, b.left, b.right - 1);
        g.y = std::clamp(g.y + crtRand() % 3 - 1, b.top, b.bottom - 1);
        const int32_t v = std::max<int32_t>(spectrum[i / 2], 0);
        const int32_t r = truncToInt(std::sqrt(static_cast<float>(4 * v))) + 3;
        if (g.x - r > b.left && g.x + r < b.right - 1 && g.y - r > b.top && g.y + r < b.bottom - 1)
            drawGlowDiscB(dst, pitch, g.x, g.y, r, g.colour, 128);
    }
}

void drawRainbowArc(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level) {
    const Box b = boxOf(*clip);
    if (b.w <= 0) return;
    const double g = g_adv.rainbowLevel.follow(level, 0.95);
    const double p = g_adv.rainbowPhase;
    const int32_t arcX = b.cx + truncToInt(static_cast<float>(std::cos(0.0002 * p) * b.w / 4));
    const int32_t m = 3 * b.h + truncToInt(static_cast<float>(16 * std::cos(0.00025 * p)));
    const int32_t rho = truncToInt(static_cast<float>((0.15 * std::cos(0.0005 * p) + 2.7) * b.h));
    Pixel palette[64];
    for (int32_t j = 0; j < 64; ++j) {
        const double a = (j - 10) * 0.0981746875;
        palette[j] = rgb(truncToInt(static_cast<float>(64 + 63 * std::cos(a))), truncToInt(static_cast<float>(64 + 63 * std::sin(a))),
                         truncToInt(static_cast<float>(64 + 63 * std::cos((j + 22) * 0.0981746875))));
    }
    const int32_t step = 32768 / b.w;
    for (int32_t i = 0; i < b.w; ++i) {
        const int32_t f = (i * step) >> 7;   // the fraction in 8-bit steps
        const double offset = (spectrum[0] * (256 - f) + spectrum[1] * f) / 262144.0;
        const double inside = static_cast<double>(rho) * rho - static_cast<double>(i - arcX) * (i - arcX);
        if (inside < 0) continue;   // the column lies beyond the arc
        const int32_t u = static_cast<int32_t>(m - std::sqrt(inside) + offset);
        if (u <= 0) continue;
        for (int32_t j = 0; j < 64 && u + j < b.h; ++j) {
            Pixel* px = pixelAt(dst, pitch, b.left + i, b.top + u + j);
            *px = ((*px >> 1) & 0x7F7F7F) + palette[j];
        }
    }
    g_adv.rainbowPhase += static_cast<int32_t>(g);
}

void drawCrack(Pixel* dst, int32_t pitch, int32_t firstFrame, const Rect* clip, int32_t beat, const int16_t* spectrum,
               int32_t level) {
    const Box b = boxOf(*clip);
    if (firstFrame) initCrackTree(b);
    g_adv.crackAngle += 100;
    loadCrackColours(spectrum, beat);
    for (int32_t n = 1; n < kCrackNodes; ++n) {
        CrackNode& node = g_adv.crack[n];
        const CrackNode& parent = g_adv.crack[node.parent];
        const double reach = level * node.length * 0.005;
        node.x = static_cast<int16_t>(parent.x + static_cast<int32_t>(std::cos(node.angle) * reach));
        node.y = static_cast<int16_t>(parent.y + static_cast<int32_t>(std::sin(node.angle) * reach));
        int32_t px = parent.x, py = parent.y, nx = node.x, ny = node.y;
        rotateAboutPointFixed(&px, &py, g_adv.crackAngle, b.cx, b.cy);
        rotateAboutPointFixed(&nx, &ny, g_adv.crackAngle, b.cx, b.cy);
        // The gradient line is not clipped: a branch that reaches past the clip is left out.
        if (inClip(b, px, py) && inClip(b, nx, ny))
            drawGradientLine(dst, pitch, px, py, nx, ny, crackColour(parent), crackColour(node));
    }
}

void drawLumbra(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level) {
    const Box b = boxOf(*clip);
    if (!g_adv.lumbraPlaced) {
        for (int k = 0; k < 3; ++k) {
            g_adv.lumbraX[k] = b.cx;
            g_adv.lumbraY[k] = b.cy;
        }
        g_adv.lumbraPlaced = true;
    }
    const double turns[3] = {-0.03, 0.02, 0.05};
    const int32_t v = level & 0xFF;
    const double speed = v * 0.25 + 1.0;
    const int32_t scale = sizeScale(*clip);
    const Pixel colours[3] = {rgb(v, 0x50, 0x20), rgb(0x50, 0x20, v), rgb(0x20, v, 0x50)};
    for (int k = 0; k < 3; ++k) {
        double& angle = g_adv.lumbraAngle[k];
        angle += turns[k];
        double& x = g_adv.lumbraX[k];
        double& y = g_adv.lumbraY[k];
        x = std::clamp(x + speed * std::cos(angle + 3.534291), static_cast<double>(b.left), static_cast<double>(b.right - 1));
        y = std::clamp(y + speed * std::sin(angle + 3.534291), static_cast<double>(b.top), static_cast<double>(b.bottom - 1));
        if (x <= b.left || x >= b.right - 1 || y <= b.top || y >= b.bottom - 1) angle += 3.141592;
    }
    for (int32_t i = 0; i < kBands; ++i) {
        const double length = static_cast<double>(scale) * spectrum[i] / 512.0;
        for (int k = 0; k < 3; ++k) {
            const int32_t cx = static_cast<int32_t>(g_adv.lumbraX[k]), cy = static_cast<int32_t>(g_adv.lumbraY[k]);
            const double a = g_adv.lumbraAngle[k] + i * 0.006135921875;
            drawAdditiveLine(dst, *clip, pitch, cx + static_cast<int32_t>(length * std::cos(a)),
                             cy + static_cast<int32_t>(length * std::sin(a)), cx, cy, colours[k], 2);
        }
    }
}

void drawRotatingRays(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t) {
    const Box b = boxOf(*clip);
    const int32_t n = ++g_adv.rayFrames;
    const int32_t scale = sizeScale(*clip);
    for (int32_t i = 0; i < kBands; ++i) {
        int32_t ex, ey;
        rayEnd(b.cx, b.cy, scale * spectrum[i] >> 9, 6LL * n + 64 * i, &ex, &ey);
        const int32_t phi = ((n & 255) + i) * 64;
        // A table value of +-32,768 would give 256; held at 255.
        const Pixel colour = rgb(std::min(255, 128 - tableCos(phi) / 256), std::min(255, 128 + tableSin(phi) / 256),
                                 std::min(255, 128 + tableCos(phi) / 256));
        drawThickLineLighten(dst, *clip, pitch, ex, ey, b.cx, b.cy, colour, 3);
    }
}

void drawHappyMirel(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level, int32_t beat) {
    const Box b = boxOf(*clip);
    g_adv.mirel.step(beat);
    const int64_t c = g_adv.mirel.phase;
    int32_t xs[6], ys[6];
    sixCentres(b, g_adv.mirel.phase, xs, ys);
    Pixel colours[6];
    happyColours(level, colours);
    const int64_t divisors[6] = {2560, 3000, 2000, 1900, 1810, 1770};
    int64_t direction[6];
    for (int k = 0; k < 6; ++k) direction[k] = (c * 8192 / divisors[k]) & (kTrigTableSize - 1);
    const int32_t scale = sizeScale(*clip), thickness = beat ? 3 : 1;
    for (int32_t i = 0; i < 255; ++i) {
        const int32_t s = i % 2 == 0 ? spectrum[i / 2] * 2 : spectrum[i / 2] + spectrum[i / 2 + 1];
        const int64_t length = scale * (s >> 3) >> 8;
        for (int k = 0; k < 6; ++k) {
            int32_t ex, ey;
            rayEnd(xs[k], ys[k], length, direction[k], &ex, &ey);
            drawAdditiveLine(dst, *clip, pitch, ex, ey, xs[k], ys[k], colours[k], thickness);
            direction[k] += 32;
        }
    }
}

void drawHappyTavia(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level, int32_t beat) {
    const Box b = boxOf(*clip);
    g_adv.tavia.step(beat);
    int32_t xs[6], ys[6];
    sixCentres(b, g_adv.tavia.phase, xs, ys);
    Pixel colours[6];
    happyColours(level, colours);
    const int32_t scale = sizeScale(*clip), thickness = beat ? 3 : 1;
    for (int k = 0; k < 6; ++k) {
        int32_t sum = 0;
        for (int i = 0; i < 20; ++i) sum += spectrum[20 * k + i];
        const int64_t length = static_cast<int64_t>(scale) * sum >> 13;
        for (int32_t j = 0; j < 100; ++j) {
            int32_t ex, ey;
            rayEnd(xs[k], ys[k], length, 8192 * j / 100, &ex, &ey);
            drawAdditiveLine(dst, *clip, pitch, ex, ey, xs[k], ys[k], colours[k], thickness);
        }
    }
}

void drawNodra(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const Box b = boxOf(*clip);
    const double g = g_adv.nodraLevel.follow(level, 0.9);
    const int32_t s = referenceScale(*clip);
    const int32_t t = std::min(b.w / 2, b.h / 2);
    for (int k = 6; k >= 0; --k) {
        g_adv.ringRadius[k + 1] = g_adv.ringRadius[k];
        g_adv.ringColour[k + 1] = g_adv.ringColour[k];
    }
    for (int k = 1; k < 8; ++k) {
        const int32_t r = g_adv.ringRadius[k];
        if (r + 1 < t) drawSoftRing(dst, pitch, b.cx, b.cy, r + 1, 2, g_adv.ringColour[k]);
    }
    const float n = static_cast<float>(++g_adv.nodraFrames);
    g_adv.ringRadius[0] = static_cast<int32_t>(g * s * 0.00234375);
    g_adv.ringColour[0] = rgb(truncToInt(128.0f + 127.0f * std::cos(0.1f * n)), truncToInt(128.0f + 127.0f * std::cos(0.032f * n)),
                              truncToInt(128.0f + 127.0f * std::cos(0.21f * n)));
    if (g_adv.ringRadius[0] + 1 < t) drawSoftRing(dst, pitch, b.cx, b.cy, g_adv.ringRadius[0] + 1, 4, 0xFFFFFF);
}

void drawVeskor(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        const Box b = boxOf(p->rect);
        // The counter carries over from any earlier run: a new run goes on where it stands.
        const int32_t n = ++p->frameCounter;
        const float fn = static_cast<float>(n);
        const int32_t ax = b.w / 6, ay = b.h / 6;
        const int32_t xs[3] = {b.cx + truncToInt(ax * std::cos(0.151f * fn)), b.cx + truncToInt(ax * std::cos(0.082f * fn)),
                               b.cx + truncToInt(ax * std::sin(0.053f * fn))};
        const int32_t ys[3] = {b.cy + truncToInt(ay * std::cos(0.056f * fn)), b.cy + truncToInt(ay * std::sin(0.055f * fn)),
                               b.cy + truncToInt(ay * std::cos(0.054f * fn))};
        const int32_t thickness = p->beat ? 4 : truncToInt(p->level * 0.011111111f);
        const int32_t speeds[3] = {53, 64, 75};
        const Pixel colours[3] = {0x781E0A, 0x1E0A78, 0x0A781E};
        for (int32_t i = 0; i < kBands; ++i) {
            const int64_t length = static_cast<int64_t>(p->spectrum[i]) * (b.w + b.h) / 2048;
            for (int k = 0; k < 3; ++k) {
                int32_t ex, ey;
                rayEnd(xs[k], ys[k], length, static_cast<int64_t>(speeds[k]) * n + 64 * i, &ex, &ey);
                drawAdditiveLine(p->destination, p->rect, p->pitch, ex, ey, xs[k], ys[k], colours[k], thickness);
            }
        }
    });
}

void drawSpectrumFall(EffectParams* p, int32_t variant) {
    runGuardedEntry(kUnit, __LINE__, [=] {
        constexpr int32_t kRows = 16;
        if (p->firstFrame) dropScratchBuffers(p);
        auto* history = reinterpret_cast<int16_t*>(p->buffers[0]);
        if (holdBuffersAnyNew(p, 1)) {
            history = reinterpret_cast<int16_t*>(p->buffers[0]);
            // The row below the last and one value more read as silence.
            std::memset(history, 0, ((kRows + 1) * kBands + 1) * sizeof(int16_t));
        }
        if (!history) return;   // the pool was full
        if (variant == 0) {
            std::memmove(history + kBands, history, (kRows - 1) * kBands * sizeof(int16_t));
            std::memcpy(history, p->spectrum, kBands * sizeof(int16_t));
        } else {
            std::memmove(history, history + kBands, (kRows - 1) * kBands * sizeof(int16_t));
            std::memcpy(history + (kRows - 1) * kBands, p->spectrum, kBands * sizeof(int16_t));
        }
        const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
        for (int32_t band = 0; band < kRows; ++band) {
            const int16_t* top = history + band * kBands;
            const int16_t* bottom = top + kBands;
            for (int32_t i = 0; i < kBands; ++i)
                fillHeatCell(p->destination, p->pitch, w * i / kBands, w * (i + 1) / kBands, h * band / kRows,
                             h * (band + 1) / kRows, top[i], top[i + 1], bottom[i], bottom[i + 1]);
        }
    });
}

void drawMovingOutSpectrum(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        constexpr int32_t kRows = 32;
        if (p->firstFrame) dropScratchBuffers(p);
        const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
        if (holdBuffersAnyNew(p, 2) && holdingAll(p, 2)) {
            // Ring 32 (the corners) and sector 128 of the last row read as silence.
            std::memset(p->buffers[0], 0, ((kRows + 1) * kBands + 1) * sizeof(int16_t));
            auto* map = reinterpret_cast<int32_t*>(p->buffers[1]);
            const double diagonal = std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    const double dx = x - w / 2, dy = y - h / 2;
                    const int32_t ring = static_cast<int32_t>(64.0 * std::sqrt(dx * dx + dy * dy) / diagonal);
                    const int32_t sector = static_cast<int32_t>((std::atan2(dy, dx) + 3.141592654) * 20.371832713102595);
                    map[y * w + x] = (ring << 16) | sector;
                }
        }
        if (!holdingAll(p, 2)) return;   // the pool was full
        auto* history = reinterpret_cast<int16_t*>(p->buffers[0]);
        std::memmove(history + kBands, history, (kRows - 1) * kBands * sizeof(int16_t));
        std::memcpy(history, p->spectrum, kBands * sizeof(int16_t));
        const auto* map = reinterpret_cast<const int32_t*>(p->buffers[1]);
        for (int32_t y = 0; y < h; ++y) {
            Pixel* row = pixelAt(p->destination, p->pitch, 0, y);
            const int32_t* m = map + y * w;
            for (int32_t x = 0; x < w; ++x) row[x] = heatColour(history[(m[x] >> 16) * kBands + (m[x] & 0xFFFF)]);
        }
    });
}

void drawBruvel(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        const Box b = boxOf(p->rect);
        const int32_t g = static_cast<int32_t>(g_adv.bruvelLevel.follow(p->level, 0.96));
        const int32_t radius = referenceScale(p->rect) * g / 700 + 1;
        const float n = static_cast<float>(++g_adv.bruvelFrames);
        int32_t c[3] = {truncToInt(128.0f + 127.0f * std::cos(0.0553f * n)), truncToInt(128.0f - 127.0f * std::cos(0.0234f * n)),
                        truncToInt(128.0f + 127.0f * std::cos(0.0415f * n))};
        if (p->beat)
            for (int32_t& v : c) v = std::min(255, v + g);
        drawBubbleDisc(p->destination, p->rect, p->pitch, b.cx, b.cy, radius, rgb(c[0], c[1], c[2]));
    });
}

void drawMatrix(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        crtSrand(g_clock());
        const int32_t w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
        const int32_t cw = w / kMatrixCols, ch = h / kMatrixRows;
        if (p->firstFrame) dropScratchBuffers(p);
        if (holdBuffersAnyNew(p, 1)) {
            Pixel* sheet = p->buffers[0];
            const Rect all{0, 0, w, h};
            for (int32_t y = 0; y < h; ++y) std::memset(pixelAt(sheet, p->pitch, 0, y), 0, w * sizeof(Pixel));
            const int32_t glyphHeight = (w + h) * 256 / 20160;
            for (int32_t r = 0; r < kMatrixRows; ++r)
                for (int32_t i = 0; i < kMatrixCols; ++i)
                    drawTextToBuffer(sheet, all, p->pitch, (crtRand() & 1) ? "1" : "0", 0x00FF00, cw * i, ch * r,
                                     glyphHeight, nullptr);
        }
        std::memmove(g_adv.glyphs[1], g_adv.glyphs[0], sizeof(g_adv.glyphs[0]) * (kMatrixRows - 1));
        for (int32_t i = 0; i < kMatrixCols; ++i)
            g_adv.glyphs[0][i] = static_cast<int16_t>(p->spectrum[2 * i + 10] < 81 ? 0 : crtRand() % 1200);
        const Pixel* sheet = p->buffers[0];
        if (!sheet || cw == 0 || ch == 0) return;   // no sheet, or cells of no size
        for (int32_t i = 0; i < kMatrixRows; ++i)
            for (int32_t j = 0; j < kMatrixCols; ++j) {
                const int32_t e = g_adv.glyphs[i][j];
                if (e == 0) continue;
                const Rect cell{(e % kMatrixCols) * cw, (e / kMatrixCols) * ch, (e % kMatrixCols) * cw + cw,
                                (e / kMatrixCols) * ch + ch};
                copyRectKeyed(p->destination, sheet, truncToInt(0.025f * w * j), truncToInt(h * i / 30.0f), cell, p->pitch,
                              p->pitch, 0);
            }
    });
}

void runShiningStar(EffectParams* p) {
    drawTwinkleStars(p->destination, p->pitch, &p->rect, animationLevel(p), p->firstFrame);
    drawShootingStars(p->destination, p->pitch, &p->rect, p->firstFrame, p->beat);
}
void runShiningStar2(EffectParams* p) {
    drawSpectrumSparkles(p->destination, p->pitch, &p->rect, animationLevel(p), p->firstFrame, p->spectrum);
}
void runShiningStar3(EffectParams* p) {
    drawSpectrumGlows(p->destination, p->pitch, &p->rect, animationLevel(p), p->firstFrame, p->spectrum, p->beat);
}
void runRainbow(EffectParams* p) { drawRainbowArc(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p)); }
void runCrack(EffectParams* p) {
    drawCrack(p->destination, p->pitch, p->firstFrame, &p->rect, p->beat, p->spectrum, animationLevel(p));
}
void runLumbra(EffectParams* p) { drawLumbra(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p)); }
void runTolvek(EffectParams* p) { drawRotatingRays(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p)); }
void runHappyMirel(EffectParams* p) {
    drawHappyMirel(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p), p->beat);
}
void runHappyTavia(EffectParams* p) {
    drawHappyTavia(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p), p->beat);
}
void runNodra(EffectParams* p) { drawNodra(p->destination, p->pitch, &p->rect, animationLevel(p)); }

void setMatrixClock(SecondsClock clock) { g_clock = clock ? clock : platformTimeSeconds; }

void resetAdvancedState() { g_adv = AdvancedState{}; }
