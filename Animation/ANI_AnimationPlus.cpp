#include "Animation/ANI_AnimationPlus.h"

#include <algorithm>
#include <cmath>

#include "Animation/AnimationShared.h"
#include "render/Camera3D.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/Discs.h"
#include "render/FloatToInt.h"
#include "render/Lines.h"
#include "render/MeshLit.h"
#include "render/QuadFill.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::AnimationPlus);
constexpr int32_t kLaserSlots = 512;
constexpr int32_t kBallSpriteSize = 128;
constexpr int32_t kEyeCols = 32, kEyeRows = 16;
constexpr Pixel kLaserColours[6] = {0xA0461E, 0xA01E46, 0x1EA046, 0x1E46A0, 0x46A01E, 0x461EA0};

struct LaserParticle {
    int32_t active;
    int16_t x, y;     // 1/32 pixel
    int16_t dx, dy;   // 1/32 pixel a frame
    int16_t age;
};

// The beat-driven turning of a 3D row: boost, three angles and the sway.
struct Turning {
    uint32_t boost = 256;
    uint16_t angle[3] = {0, 0, 0};
    int32_t sway = 0;   // table steps
    void step(int32_t beat) {
        boost = beat ? boost + 1600 : boost * 15 / 16;
        angle[0] = static_cast<uint16_t>(angle[0] + boost * 125 / 256);
        angle[1] = static_cast<uint16_t>(angle[1] + boost * 175 / 256);
        angle[2] = static_cast<uint16_t>(angle[2] + boost * 275 / 256);
        sway += 64;
    }
};

struct PlusState {
    LevelFollower colourBands[6];
    int32_t colourPhase = 0;
    float colourBoost = 0;
    LaserParticle lasers[kLaserSlots] = {};
    int32_t laserColour = 0;
    Turning lightsTurn, ballsTurn, spectrumTurn;
    LevelFollower lightsLevel, ballsLevel, spectrumLevel, eyeLevel;
    LevelFollower lightsBands[8], ballsBands[8], spectrumBands[128];
    int32_t eyeGaze = 0;
    uint32_t eyeBoost = 256;
    int32_t eyeYaw[2] = {0, 0};
    int32_t eyeDirection = 1;
    int32_t mouthFrames = 0;
};
PlusState g_plus;

struct Box {
    int32_t left, top, right, bottom, w, h, cx, cy;
};
Box boxOf(const Rect& r) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    return {r.left, r.top, r.right, r.bottom, w, h, r.left + w / 2, r.top + h / 2};
}

Pixel rgb(int32_t r, int32_t g, int32_t b) { return static_cast<Pixel>((r << 16) | (g << 8) | b); }

int32_t tableSin(int32_t i) { return SineTable[i & (kTrigTableSize - 1)]; }
int32_t tableCos(int32_t i) { return CosineTable[i & (kTrigTableSize - 1)]; }

// A glow's intensity is a weight: a negative band gives none.
uint32_t intensityOf(int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 65535)); }

struct Sway {
    int32_t tx, ty;
};

struct Projected {
    bool visible;
    int32_t x, y, z;
};

// Turns, then projects with distance d when the point lies in front (-z < d).
Projected project(int32_t x, int32_t y, int32_t z, int32_t d) {
    if (-z >= d) return {false, 0, 0, z};
    const int32_t depth = z;
    projectPointFixed(&x, &y, &z, d);
    return {true, x, y, depth};
}

}  // namespace

Pixel colourCircle(int32_t phi) {
    const int32_t c = tableCos(phi) * 100 >> 15, s = tableSin(phi) * 100 >> 15;
    return rgb(100 + c, 100 + s, 100 - c);
}

void drawColorLight(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level, int32_t beat,
                    int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t scale = sizeScale(*clip);
    int32_t radius[6];
    for (int k = 0; k < 6; ++k) {
        int32_t sum = 0;
        for (int i = 0; i < 20; ++i) sum += spectrum[20 * k + i];
        const double g = g_plus.colourBands[k].follow(sum, 0.96);
        radius[k] = std::min(static_cast<int32_t>(scale * g / 8192.0) + 1, b.h / 3);
    }
    g_plus.colourPhase += static_cast<int32_t>(g_plus.colourBoost);
    g_plus.colourBoost = beat ? 64.0f : g_plus.colourBoost * 0.9375f;
    const float c = static_cast<float>(g_plus.colourPhase);
    const float A = static_cast<float>(b.w / 6), B = static_cast<float>(b.h / 6);
    const float cx = static_cast<float>(b.cx), cy = static_cast<float>(b.cy);
    const float centres[6][2] = {
        {cx + A * std::cos(0.0151f * c), cy + B * std::cos(0.0056f * c)},
        {cx + A * std::cos(0.0082f * c), cy + B * std::sin(0.0055f * c)},
        {cx + A * std::sin(0.0053f * c), cy + B * std::cos(0.0054f * c)},
        {cx + A * std::sin(0.0021f * c), cy + B * std::cos(0.0072f * c)},
        {cx + A * std::sin(0.0033f * c), cy + B * std::cos(0.0064f * c)},
        {cx + A * std::sin(0.0045f * c), cy + B * std::cos(0.0056f * c)},
    };
    const int32_t q = (level / 2) & 0x7F;
    const Pixel colours[6] = {rgb(q, 0x0A, 0x28), rgb(0x0A, q, 0x28), rgb(q, 0x28, 0x0A),
                              rgb(0x28, q, 0x0A), rgb(0x0A, 0x28, q), rgb(0x28, 0x0A, q)};
    for (int k = 0; k < 6; ++k) {
        const int32_t x = truncToInt(centres[k][0]), y = truncToInt(centres[k][1]);
        if (variant == 0 && !discInside(*clip, x, y, radius[k])) {
            drawGlowDiscClipped(dst, pitch, *clip, x, y, radius[k], colours[k], 256);
            continue;
        }
        // These glows have no clipped form: on a small frame the radius is held to the room there is.
        const int32_t r = radiusInside(*clip, x, y, radius[k]);
        switch (variant) {
            case 0: drawGlowDisc(dst, pitch, x, y, r, colours[k], 256); break;
            case 1: drawGlowDiscB(dst, pitch, x, y, r, colours[k], 256); break;
            case 2: drawGlowCross(dst, pitch, x, y, r, colours[k], 256); break;
            default: drawGlowDiscExact(dst, pitch, x, y, r, colours[k], 256); break;
        }
    }
}

void drawLaser(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t v = level & 0xFF;
    int32_t spawn = variant == 0 ? (beat ? v + 1 : 0) : v * v / 4096;
    for (int32_t i = 0; i < kLaserSlots && spawn > 0; ++i) {
        LaserParticle& l = g_plus.lasers[i];
        if (l.active) continue;
        const int32_t s = crtRand() % 32 + 4, k = crtRand() & 0x1FFF;
        l = {1, static_cast<int16_t>(b.cx * 32), static_cast<int16_t>(b.cy * 32),
             static_cast<int16_t>(s * CosineTable[k] >> 10), static_cast<int16_t>(s * SineTable[k] >> 10), 0};
        --spawn;
    }
    if (beat) g_plus.laserColour = (g_plus.laserColour + 1) % 6;
    const Pixel colour = kLaserColours[g_plus.laserColour];
    for (LaserParticle& l : g_plus.lasers) {
        if (!l.active) continue;
        l.age = static_cast<int16_t>(l.age + 1);
        const int32_t x = l.x + l.dx, y = l.y + l.dy;
        if (x < b.left * 32 || x > b.right * 32 || y < b.top * 32 || y > b.bottom * 32) {
            l.active = 0;
            continue;
        }
        l.x = static_cast<int16_t>(x);
        l.y = static_cast<int16_t>(y);
        drawAdditiveLine(dst, *clip, pitch, x / 32, y / 32, (b.cx + x / 32) / 2, (b.cy + y / 32) / 2, colour, 3);
    }
}

void drawLights3D(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level, int32_t beat,
                  int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t scale = sizeScale(*clip);
    Turning& t = g_plus.lightsTurn;
    t.step(beat);
    const int32_t g = static_cast<int32_t>(g_plus.lightsLevel.follow(level, 0.96));
    const int32_t d = 396 - g;
    const Sway sw{scale * (b.cx * tableSin(t.sway) >> 17) >> 8, scale * (b.cy * tableCos(t.sway) >> 17) >> 8};
    const int32_t unit = scale * 40 >> 8;
    for (int32_t i = 0; i < 8; ++i) {
        int32_t sum = 0;
        for (int k = 0; k < 16; ++k) sum += spectrum[16 * i + k];
        const double band = g_plus.lightsBands[i].follow(sum, 0.96);
        int32_t x = unit / 2 + (i - 4) * unit, y = 0, z = 0;
        translatePointFixed(&x, &y, &z, sw.tx, sw.ty, 0);
        rotateXYZFixed(&x, &y, &z, t.angle[0], t.angle[1], t.angle[2]);
        const Projected pr = project(x, y, z, d);
        if (!pr.visible) continue;
        const int32_t radius = std::min(d * unit / (d + pr.z), 256);
        int64_t intensity = static_cast<int64_t>(band) * 5 / 64;
        if (i >= 5) intensity *= 2;
        const int32_t px = b.cx + pr.x, py = b.cy - pr.y;
        const Pixel colour = colourCircle((i - 1) * 1024);
        const bool whole = discInside(*clip, px, py, radius);
        if (variant == 0) {
            if (whole)
                drawGlowDisc(dst, pitch, px, py, radius, colour, intensityOf(intensity));
            else
                drawGlowDiscClipped(dst, pitch, *clip, px, py, radius, colour, intensityOf(intensity));
        } else {
            if (whole)
                drawGlowDiscC(dst, pitch, px, py, radius, colour, intensityOf(intensity));
            else
                drawGlowDiscCClipped(dst, pitch, *clip, px, py, radius, colour, intensityOf(intensity));
        }
    }
}

void drawSpectrumBalls3D(Pixel* dst, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                         int32_t beat, int32_t variant) {
    const Box b = boxOf(*clip);
    const int32_t scale = sizeScale(*clip);
    Turning& t = g_plus.spectrumTurn;
    t.step(beat);
    const int32_t g = static_cast<int32_t>(g_plus.spectrumLevel.follow(level, 0.96));
    const int32_t d = 396 - g;
    const Sway sw{scale * (b.cx * tableSin(t.sway) >> 17) >> 8, scale * (b.cy * tableCos(t.sway) >> 17) >> 8};
    const int32_t unit = scale * 10 >> 8;
    FixedPoint3 balls[128];
    for (int32_t i = 0; i < 128; ++i) {
        const int32_t v = static_cast<int32_t>(g_plus.spectrumBands[i].follow(spectrum[i], 0.96));
        FixedPoint3& p = balls[i];
        if (variant == 0) {
            p = {(2 * i - 127) * scale / 256, -v / 4, 0};
        } else {
            const int32_t r = scale / 4 + v / 4;
            p = {r * tableCos(i * 64) >> 15, r * tableSin(i * 64) >> 15, 0};
        }
        rotateXYZFixed(&p.x, &p.y, &p.z, t.angle[0], t.angle[1], t.angle[2]);
        translatePointFixed(&p.x, &p.y, &p.z, sw.tx, sw.ty, 0);
    }
    auto draw = [&](int32_t i) {
        const Projected pr = project(balls[i].x, balls[i].y, balls[i].z, d);
        if (!pr.visible) return;
        const int32_t radius = unit * d / (d + pr.z);
        const int32_t px = b.cx + pr.x, py = b.cy - pr.y;
        const Pixel colour = colourCircle(64 * i);
        if (discInside(*clip, px, py, radius))
            drawAdditiveDisc(dst, pitch, px, py, radius, colour, 0);
        else
            drawAdditiveDiscClipped(dst, pitch, *clip, px, py, radius, colour, 0);
    };
    if (variant == 0) {
        if (balls[127].z < balls[0].z)
            for (int32_t i = 0; i < 128; ++i) draw(i);
        else
            for (int32_t i = 127; i >= 0; --i) draw(i);
        return;
    }
    int32_t start = 0;
    for (int32_t i = 1; i < 128; ++i)
        if (balls[i].z > balls[start].z) start = i;
    draw(start);
    for (int32_t k = 1; k <= 63; ++k) {
        draw((start - k) & 127);
        draw((start + k) & 127);
    }
    draw((start - 64) & 127);
}

void drawBalls3D(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        if (p->firstFrame) dropScratchBuffers(p);
        if (holdScratchBuffers(p, 1)) drawBallSprite(p->buffers[0], p->pitch, 0, 0, kBallSpriteSize, 0);
        const Rect& clip = p->rect;
        const Box b = boxOf(clip);
        const int32_t scale = sizeScale(clip);
        Turning& t = g_plus.ballsTurn;
        t.step(p->beat);
        const int32_t g = static_cast<int32_t>(g_plus.ballsLevel.follow(animationLevel(p), 0.96));
        const int32_t d = 512 - g;
        const Sway sw{(b.cx * tableSin(t.sway) >> 18) * scale >> 8, (b.cy * tableCos(t.sway) >> 18) * scale >> 8};
        const int32_t unit = scale * 40 >> 8;
        FixedPoint3 balls[8];
        for (int32_t i = 0; i < 8; ++i) {
            int32_t sum = 0;
            for (int k = 0; k < 16; ++k) sum += p->spectrum[16 * i + k];
            const int32_t band = static_cast<int32_t>(g_plus.ballsBands[i].follow(sum, 0.96));
            FixedPoint3& q = balls[i];
            q = {unit / 2 + (i - 4) * unit, -band / 16, 0};
            rotateXYZFixed(&q.x, &q.y, &q.z, t.angle[0], t.angle[1], t.angle[2]);
            translatePointFixed(&q.x, &q.y, &q.z, sw.tx, sw.ty, 0);
        }
        const Pixel* sprite = p->buffers[0];
        if (!sprite) return;   // the pool was full: no balls this frame
        const bool forward = balls[7].z < balls[0].z;
        for (int32_t n = 0; n < 8; ++n) {
            const int32_t i = forward ? n : 7 - n;
            const Projected pr = project(balls[i].x, balls[i].y, balls[i].z, d);
            if (!pr.visible) continue;
            drawGlassBallClipped(p->destination, p->pitch, b.cx + pr.x, b.cy - pr.y, 2 * unit * d / (d + pr.z), sprite,
                                 kBallSpriteSize, colourCircle((i - 1) * 1024), b.w, b.h);
        }
    });
}

void drawEye(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t) {
    const Box b = boxOf(*clip);
    const int32_t scale = sizeScale(*clip);
    clearDepthRect(*clip, pitch);
    setProjection(120.0f, 0, static_cast<float>(scale), 0.0f);
    g_plus.eyeGaze += (level & 0xFF) / 64;
    const int32_t g = static_cast<int32_t>(g_plus.eyeLevel.follow(level, 0.92));
    if (beat) {
        g_plus.eyeBoost += 600;
        g_plus.eyeDirection = (crtRand() % 2) * 2 - 1;
    } else {
        g_plus.eyeBoost = g_plus.eyeBoost * 31 / 32;
    }
    const int64_t drive = static_cast<int64_t>(g_plus.eyeDirection) * g_plus.eyeBoost;
    g_plus.eyeYaw[0] = static_cast<int32_t>((g_plus.eyeYaw[0] + ((drive * 1025) >> 9)) & 0xFFFF);
    g_plus.eyeYaw[1] = static_cast<int32_t>((g_plus.eyeYaw[1] + ((drive * 475) >> 8)) & 0xFFFF);
    const int32_t pitches[2] = {(tableCos(20 * g_plus.eyeGaze) >> 5) & 0x1FFF, (tableCos(25 * g_plus.eyeGaze) >> 5) & 0x1FFF};
    const float radius = static_cast<float>(scale * (g / 16 + 50) / 256);
    const int32_t depth = 256 - g;
    static MeshVertex grid[kEyeRows * kEyeCols];
    static uint32_t colours[kEyeRows * kEyeCols];
    const float light[3] = {0.6f, 0.6f, 0.6f};
    const int32_t ambient[3] = {80, 80, 80};
    for (int e = 0; e < 2; ++e) {
        const int32_t eyeX = e == 0 ? b.cx - b.w / 8 : b.cx + b.w / 8;
        const float ay = static_cast<float>(pitches[e]) * 6.2831855f / 8192.0f;
        const float az = static_cast<float>(g_plus.eyeYaw[e]) * 6.2831855f / 65536.0f;
        for (int32_t m = 0; m < kEyeRows; ++m)
            for (int32_t j = 0; j < kEyeCols; ++j) {
                MeshVertex& v = grid[m * kEyeCols + j];
                v.x = radius * std::sin(0.11984225f * m);
                v.y = radius * std::cos(0.11984225f * m);
                v.z = 0.0f;
                rotateY(&v.x, &v.z, -0.2026834f * j);
                transformPoint(&v.x, &v.y, &v.z, 1.5707964f, ay, az, eyeX, b.cy, depth, 400);
                colours[m * kEyeCols + j] = m < 3 ? 0x0F0F0Fu : (m < 6 ? 0x0000FFu : 0xFFFFFFu);
            }
        renderLitMesh(dst, *clip, pitch, grid, colours, 0, 0, kEyeCols, kEyeRows, light, 0, ambient, 4.0f, 6, 0);
    }
    // The mouth: a cubic curve under the eyes, as wide as the level.
    const int32_t f = scale * g / 256, y = b.top + 3 * b.h / 4, r = f / 4;
    const int32_t k = ++g_plus.mouthFrames;
    const float px[4] = {static_cast<float>(b.cx - f / 2),
                         static_cast<float>(b.cx - r + (tableCos(41 * k) >> 9) + (tableCos(31 * k) >> 9)),
                         static_cast<float>(b.cx + r + (tableCos(41 * k) >> 9) + (tableCos(61 * k) >> 9)),
                         static_cast<float>(b.cx + f / 2)};
    const float py[4] = {static_cast<float>(y), static_cast<float>(y - r), static_cast<float>(y - r), static_cast<float>(y)};
    int32_t lastX = 0, lastY = 0;
    for (int32_t i = 0; i <= 29; ++i) {
        const float t = static_cast<float>(i) / 29.0f, u = 1.0f - t;
        const float w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
        const int32_t x = truncToInt(w0 * px[0] + w1 * px[1] + w2 * px[2] + w3 * px[3]);
        const int32_t yy = truncToInt(w0 * py[0] + w1 * py[1] + w2 * py[2] + w3 * py[3]);
        if (i > 0) drawThickLineAA(dst, *clip, pitch, lastX, lastY, x, yy, 0xFF0000, 8);
        lastX = x;
        lastY = yy;
    }
}

void runColorLight(EffectParams* p, int32_t variant) {
    drawColorLight(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p), p->beat, variant);
}
void runLaser(EffectParams* p, int32_t variant) {
    drawLaser(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat, variant);
}
void runLights3D(EffectParams* p, int32_t variant) {
    drawLights3D(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p), p->beat, variant);
}
void runSpectrumBalls3D(EffectParams* p, int32_t variant) {
    drawSpectrumBalls3D(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p), p->beat, variant);
}
void runEye(EffectParams* p, int32_t variant) {
    drawEye(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat, variant);
}

void resetAnimationPlusState() { g_plus = PlusState{}; }
