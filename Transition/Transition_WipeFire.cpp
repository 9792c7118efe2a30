// Curtains, fire and the outlines filled from the centre (star, random polygon,
// spline). The fire picture is the engine's 330 x 360 sheet of 33 flames.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "Transition/Transition_Wipe.h"
#include "Transition/WipeShared.h"
#include "engine/CrashLog.h"
#include "render/CrtRandom.h"
#include "render/Fills.h"
#include "render/FireSheet.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/Platform.h"
#include "render/RotatedCopies.h"
#include "render/SeedFill.h"

namespace {

constexpr float kSizeUnit = 0.00089285715f;
constexpr int32_t kFirePixels = kFireBitmapWidth * kFireBitmapHeight;   // 118,800
constexpr int64_t kFireBytes = int64_t{kFirePixels} * 4;                 // 475,200

int32_t loadEngineFire(Pixel* dst, int32_t width, int32_t height) {
    return loadBitmapResource(dst, "122", width, height);
}
WipeFireLoader g_fireLoader = loadEngineFire;

// Loads the fire picture into the buffer (row length 330). A missing picture
// is logged once a run (a message box would stop the show inside the frame)
// and the wipe goes on without flames: the buffer is cleared, so no stale
// pixels of the buffer's last user are drawn as flames.
void loadFirePicture(Pixel* fire) {
    if (g_fireLoader(fire, kFireBitmapWidth, kFireBitmapHeight)) return;
    std::memset(fire, 0, static_cast<size_t>(kFireBytes));
    logNoticeOnce(kFireMissingNotice);
}

// The source RECT of flame frame k of the sheet (the top 110 of its 120 rows).
Rect flameFrame(int32_t k) {
    const int32_t x = kFireFrameWidth * (k % 11), y = kFireCellHeight * (k / 11);
    return {x, y, x + kFireFrameWidth, y + kFireFrameHeight};
}

// Per channel c + k (k <= 0), not below 0.
Pixel darken(Pixel c, int32_t k) {
    auto ch = [k](uint32_t v) { return static_cast<uint32_t>(std::max(static_cast<int32_t>(v) + k, 0)); };
    return ch((c >> 16) & 255) << 16 | ch((c >> 8) & 255) << 8 | ch(c & 255);
}

Pixel recolour(Pixel c, int32_t kind) {
    const uint32_t r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
    switch (kind) {
        case 1: return b << 16 | g << 8 | r;
        case 2: return g << 16 | r << 8 | b;
        case 3: return g << 16 | b << 8 | r;
        case 4: return r << 16 | b << 8 | g;
        case 5: return b << 16 | r << 8 | g;
        default: return c;
    }
}

float g_fireSpritePhase = 0.0f;

// The edge rows of the plain curtain (one entry per column).
std::vector<int32_t>& curtainEdges() {
    static std::vector<int32_t> edges;
    return edges;
}

// Rows y < edge[x] of column x from `upper`, the others from `lower`.
void splitColumns(const TransitionFrame& f, const int32_t* edge, const Pixel* upper, const Pixel* lower) {
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) d[x] = y < edge[x] ? upper[row + x] : lower[row + x];
    }
}

}  // namespace

float fireSpritePhase() { return g_fireSpritePhase; }

void setWipeFireLoader(WipeFireLoader loader) { g_fireLoader = loader ? loader : loadEngineFire; }

// ---- Curtains ----------------------------------------------------------------------------------

void renderWiCurtain(EffectParams* t, int32_t up) {
    const TransitionFrame f = frameOf(t);
    const uint32_t n = ++wipe::words(t).curtainWaveFrame;
    if (f.empty()) return;
    const float s = (f.h + f.w) * kSizeUnit;
    const bool down = up == 0;
    const Pixel* upper = down ? f.incoming : f.outgoing;
    const Pixel* lower = down ? f.outgoing : f.incoming;
    const double l = down ? t->progress : 1.0 - t->progress;
    const double frame = static_cast<int32_t>(n);
    std::vector<int32_t>& edge = curtainEdges();
    edge.resize(static_cast<size_t>(f.w));
    for (int32_t x = 0; x < f.w; ++x) {
        const double wave = std::sin(0.057 * x - 0.0125 * frame) + std::sin(0.087 * x - 0.125 * frame) +
                            std::sin(0.04 * x + 0.12 * frame);
        edge[x] = truncToInt(l * f.h + wave * s * 30);
    }
    splitColumns(f, edge.data(), upper, lower);
}

void renderWiFireCurtain(EffectParams* t, int32_t up, int32_t kind) {
    const TransitionFrame f = frameOf(t);
    bool fresh = false;
    Pixel* fire = wipe::keptBuffer(t, kFireBytes + int64_t{std::max(f.w, 0)} * 4, &fresh);
    if (!fire || f.empty()) return;
    if (fresh) {
        loadFirePicture(fire);
        if (kind != 0)
            for (int32_t i = 0; i < kFirePixels; ++i) fire[i] = recolour(fire[i], kind);
    }
    wipe::Words& words = wipe::words(t);
    const int32_t n = static_cast<int32_t>(++words.fireWaveFrame);
    const bool down = up == 0;
    const Pixel* upper = down ? f.incoming : f.outgoing;
    const Pixel* lower = down ? f.outgoing : f.incoming;
    const float fp = down ? t->progress : 1.0f - t->progress;
    const int32_t total = f.w + f.h;
    const float u = total * kSizeUnit;
    int32_t* edge = reinterpret_cast<int32_t*>(fire + kFirePixels);
    for (int32_t x = 0; x < f.w; ++x) {
        const float wave = std::sin((0.037f * x - 0.00525f * n) / u) + std::sin((0.027f * x - 0.0525f * n) / u) +
                           std::sin((0.01f * x + 0.052f * n) / u);
        edge[x] = truncToInt((f.h + 80) * fp + u * wave * 6.0f);
    }
    // At least one pixel of burnt band, so the darkening steps never divide by 0.
    const int32_t d = std::max(truncToInt(u * 30.0f), 1);
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        Pixel* out = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t w = edge[x];
            if (y < w - 4 * d) out[x] = upper[row + x];
            else if (y < w) out[x] = darken(upper[row + x], ((w - 4 * d - y) * 128) / (4 * d));
            else if (y < w + d) out[x] = darken(lower[row + x], ((y - w - d) * 128) / d);
            else out[x] = lower[row + x];
        }
    }
    // Flames stand on the edge, one every `step` columns.
    const int32_t m = static_cast<int32_t>(words.flameFrame++);
    const int32_t step = std::max(total * 12 / 1024, 1), half = total * 28 / 1024;
    const int32_t phase = ((n % 33) + 33) % 33;
    for (int32_t x = 0; x < f.w; x += step) {
        // The cube in 64 bits: a frame index for any column, never negative.
        const int32_t k = static_cast<int32_t>((int64_t{x} * x * x + phase) % 33);
        const int32_t h = truncToInt((total / 8) * (0.4 * std::sin((m + x) * 0.131) + 0.5 * std::cos(0.021 * x - 0.13 * m)));
        const Rect to{x - half, edge[x] - 5 * d - std::abs(h), x + half, edge[x]};
        stretchRectAddClipped(f.canvas, fire, to, flameFrame(k), f.pitch, kFireBitmapWidth, f.w, f.h);
    }
}

// ---- Flames along a curve -----------------------------------------------------------------------

void drawFireBezier(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                    int32_t x2, int32_t y2, int32_t x3, int32_t y3, const Pixel* fire, int32_t firePitch) {
    g_fireSpritePhase += 0.16f;
    const double dx = x3 - x0, dy = y3 - y0;
    const int32_t L = truncToInt(std::sqrt(dy * dy + dx * dx));
    if (L <= 0) return;
    const int32_t N = 2 * L + 1;
    for (int32_t i = 1; i < N; i += 11) {
        const float s = static_cast<float>(i) / static_cast<float>(2 * L), r = 1.0f - s;
        const float x = x0 * r * r * r + 3 * s * r * r * x1 + 3 * s * s * r * x2 + x3 * s * s * s;
        const float y = y0 * r * r * r + 3 * s * r * r * y1 + 3 * s * s * r * y2 + y3 * s * s * s - 50.0f;
        const int32_t k = truncToInt(static_cast<float>(i) * static_cast<float>(i) * 0.125f + g_fireSpritePhase) % 33;
        addImageCentered(dst, pitch, fire, firePitch, clip, flameFrame(std::max(k, 0)), truncToInt(x), truncToInt(y));
    }
}

void drawFireSpline(Pixel* dst, const Rect& clip, int32_t pitch, const Pixel* fire, int32_t firePitch, int32_t,
                    int32_t, int32_t, const int16_t* xs, const int16_t* ys, int32_t count) {
    if (count <= 0) return;
    std::vector<int16_t> outX(count), outY(count), inX(count), inY(count);
    for (int32_t j = 0; j < count; ++j) {
        const int32_t next = (j + 1) % count, prev = (j + count - 1) % count;
        const int32_t tx = ((xs[next] - xs[prev]) * 16) / 64, ty = ((ys[next] - ys[prev]) * 16) / 64;
        outX[j] = static_cast<int16_t>(xs[j] + tx);
        outY[j] = static_cast<int16_t>(ys[j] + ty);
        inX[j] = static_cast<int16_t>(xs[j] - tx);
        inY[j] = static_cast<int16_t>(ys[j] - ty);
    }
    for (int32_t j = 0; j < count; ++j) {
        const int32_t next = (j + 1) % count;
        drawFireBezier(dst, clip, pitch, xs[j], ys[j], outX[j], outY[j], inX[next], inY[next], xs[next], ys[next],
                       fire, firePitch);
    }
}

// ---- Outlines filled from the centre ----------------------------------------------------------------

namespace {

// The mask, the corner table and (fire spline) the fire picture in one kept
// buffer. The fire picture follows the corner table, so it never overlaps the
// mask, whatever the frame's shape.
struct OutlineBuffer {
    uint8_t* mask = nullptr;
    int16_t* xs = nullptr;
    int16_t* ys = nullptr;
    float* radii = nullptr;
    Pixel* fire = nullptr;
    bool fresh = false;
};

OutlineBuffer outlineBuffer(EffectParams* t, const TransitionFrame& f, int32_t points, bool fire) {
    OutlineBuffer b;
    const int64_t maskBytes = (static_cast<int64_t>(f.h) * f.pitch) & ~int64_t{3};
    const int64_t tableBytes = int64_t{points} * 12 + 16;
    const int64_t fireAt = (maskBytes + tableBytes + 15) & ~int64_t{15};
    Pixel* buffer = wipe::keptBuffer(t, fire ? fireAt + kFireBytes : maskBytes + tableBytes, &b.fresh);
    if (!buffer) return b;
    auto* bytes = reinterpret_cast<uint8_t*>(buffer);
    b.mask = bytes;
    b.xs = reinterpret_cast<int16_t*>(bytes + maskBytes);
    b.ys = reinterpret_cast<int16_t*>(bytes + maskBytes + int64_t{points} * 4);
    b.radii = reinterpret_cast<float*>(bytes + maskBytes + int64_t{points} * 8);
    if (fire) b.fire = reinterpret_cast<Pixel*>(bytes + fireAt);
    setByteFillTarget(b.mask, f.rect, f.pitch);
    std::memset(b.mask, 0, static_cast<size_t>(maskBytes));
    crtSrand(platformTimeSeconds());
    return b;
}

// Corner coordinates as 16-bit values; a far corner is held at the 16-bit range.
int16_t cornerCoordinate(float v) {
    return static_cast<int16_t>(std::clamp(truncToInt(v), -32768, 32767));
}

// The mask's inside from `inside`, the rest from `outside`.
void composeMask(const TransitionFrame& f, const uint8_t* mask, const Pixel* inside, const Pixel* outside) {
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        const uint8_t* m = mask + row;
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) d[x] = m[x] ? inside[row + x] : outside[row + x];
    }
}

float halfDiagonal(const TransitionFrame& f) {
    const float hw = static_cast<float>(f.w / 2), hh = static_cast<float>(f.h / 2);
    return std::sqrt(hh * hh + hw * hw);
}

}  // namespace

void renderWiPolygon(EffectParams* t, int32_t direction, int32_t corners, float spike, int32_t random) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || corners < 2) return;
    const OutlineBuffer b = outlineBuffer(t, f, corners, false);
    if (!b.mask) return;
    const float cx = static_cast<float>(f.rect.left + f.w / 2), cy = static_cast<float>(f.rect.top + f.h / 2);
    const float unit = (f.w + f.h) * 0.001f;
    const float perMs = 800.0f / static_cast<float>(std::max(t->duration, 1));
    const bool out = direction == 1;
    if (b.fresh)
        for (int32_t i = 0; i < corners; ++i) b.radii[i] = out ? halfDiagonal(f) : 0.0f;
    for (int32_t i = 0; i < corners; ++i) {
        float& radius = b.radii[i];
        if (out) {
            const float v = random ? static_cast<float>(crtRand() % 64 + 2) : (i % 2 == 0 ? 18.0f : spike * 18.0f);
            radius = std::max(radius - unit * v * perMs, 8.0f * unit);
        } else {
            const float v = random ? static_cast<float>(crtRand() % 16 + 1) : (i % 2 == 0 ? 7.0f : spike * 7.0f);
            radius = unit * v * perMs + 1.0f + radius;
        }
        const float g = static_cast<float>(i) * 6.2831855f / static_cast<float>(corners);
        b.xs[i] = cornerCoordinate(cx + std::sin(g) * radius);
        b.ys[i] = cornerCoordinate(cy + std::cos(g) * radius);
    }
    for (int32_t i = 0; i < corners; ++i) {
        const int32_t j = (i + 1) % corners;
        drawMaskLine(b.mask, b.xs[i], b.ys[i], b.xs[j], b.ys[j], 1, f.rect, f.pitch);
    }
    seedFill(static_cast<int32_t>(cx), static_cast<int32_t>(cy), 1, 0, 0, 0);
    composeMask(f, b.mask, out ? f.outgoing : f.incoming, out ? f.incoming : f.outgoing);
}

void renderWiSpline(EffectParams* t, int32_t fire, int32_t direction) {
    constexpr int32_t kPoints = 16;
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const OutlineBuffer b = outlineBuffer(t, f, kPoints, fire != 0);
    if (!b.mask) return;
    const float cx = static_cast<float>(f.rect.left + f.w / 2), cy = static_cast<float>(f.rect.top + f.h / 2);
    const float unit = (f.w + f.h) * 0.001f;
    const float perMs = 2200.0f / static_cast<float>(std::max(t->duration, 1));
    const bool out = direction == 1;
    if (b.fresh) {
        for (int32_t i = 0; i < kPoints; ++i) b.radii[i] = out ? halfDiagonal(f) : 0.0f;
        if (b.fire) {
            loadFirePicture(b.fire);
            for (int32_t i = 0; i < kFirePixels; ++i) b.fire[i] = (b.fire[i] >> 1) & 0x7F7F7F;
        }
    }
    for (int32_t i = 0; i < kPoints; ++i) {
        float& radius = b.radii[i];
        const int32_t r = crtRand();
        if (out) radius = radius > 48.0f ? radius - unit * static_cast<float>(r % 4 + 6) * perMs : radius * 0.96f;
        else radius += unit * static_cast<float>(r % 8 + 4) * perMs;
        const float g = static_cast<float>(i) * 0.3926991f;
        b.xs[i] = cornerCoordinate(cx + std::sin(g) * radius);
        b.ys[i] = cornerCoordinate(cy + std::cos(g) * radius);
    }
    smoothMaskOutline(b.mask, f.rect, f.pitch, b.xs, b.ys, kPoints, 1, 0);
    seedFill(static_cast<int32_t>(cx), static_cast<int32_t>(cy), 1, 0, 0, 0);
    composeMask(f, b.mask, out ? f.outgoing : f.incoming, out ? f.incoming : f.outgoing);
    if (b.fire)
        drawFireSpline(f.canvas, f.rect, f.pitch, b.fire, kFireBitmapWidth, kFireBitmapHeight, kFireFrameCount,
                       kFireCellHeight, b.xs, b.ys, kPoints);
}
