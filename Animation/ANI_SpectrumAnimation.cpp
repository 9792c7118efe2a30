#include "Animation/ANI_SpectrumAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Animation/AnimationShared.h"
#include "render/Camera3D.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/MeshLit.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::SpectrumAnimation);
constexpr int32_t kRows = kSpectrumHistoryRows;
constexpr int32_t kBands = kSpectrumHistoryBands;
constexpr int32_t kPoints = kRows * kBands;
constexpr float kColumnTurn = 0.09817477f;   // 2 pi / 64

struct WormPoint {
    float x, y, z, spare;
};

struct SpectrumState {
    int16_t history[kRows][kBands] = {};
    int16_t peak[kBands] = {};
    uint32_t spin = 0;
    uint16_t angle[3] = {0, 0, 0};   // about x, y, z in 65536ths of a turn
    int32_t direction[3] = {0, 0, 0};
    int32_t lightCounter = 0;
    float wormAngle[3] = {0, 0, 0};
    WormPoint worm[kRows][kBands] = {};
    int32_t barScheme = 0;   // 0..5
    float flight = 0;        // the voyage's angle round the ring
};
SpectrumState g_spec;

// The per-frame grid and its colours.
struct Frame {
    MeshVertex grid[kPoints];
    uint32_t colours[kPoints];
};

Pixel rgb(int32_t r, int32_t g, int32_t b) { return static_cast<Pixel>((r << 16) | (g << 8) | b); }

int32_t columnAngle(int32_t k) { return (128 * k - 1536) & (kTrigTableSize - 1); }

void fillColumnRainbow(Frame& f) {
    for (int32_t k = 0; k < kBands; ++k) {
        const int32_t e = columnAngle(k);
        const uint32_t c = rgb(127 + (CosineTable[e] * 127 >> 15), 127 + (SineTable[e] * 127 >> 15),
                               127 + (CosineTable[(e + 4096) & (kTrigTableSize - 1)] * 127 >> 15));
        for (int32_t r = 0; r < kRows; ++r) f.colours[r * kBands + k] = c;
    }
}

void setVertex(MeshVertex& v, float x, float y, float z) {
    v.x = x;
    v.y = y;
    v.z = z;
}

// Turns a profile point about the vertical axis into column k's place.
void turnedVertex(MeshVertex& v, float x, float y, float angle) {
    float z = 0.0f;
    rotateY(&x, &z, angle);
    setVertex(v, x, y, z);
}

struct Closing {
    int32_t rows, cols;
};

Closing buildShape(Frame& f, int32_t shape, int32_t s, const Rect& clip) {
    switch (shape) {
        case kShapeBlackHole: {
            const int32_t a = s * 64 >> 8;
            int32_t ring = 600;
            for (int32_t r = 0; r < kRows; ++r, ring = ring * 3 / 4)
                for (int32_t k = 0; k < kBands; ++k) {
                    const int32_t q = s * (ring + g_spec.history[r][k]) >> 8;
                    setVertex(f.grid[r * kBands + k], static_cast<float>(q * SineTable[128 * k] >> 17),
                              static_cast<float>(-(q * CosineTable[128 * k]) >> 17),
                              static_cast<float>(a * (2 * r - 1) / 16));
                }
            return {0, 1};
        }
        case kShapeHeart: {
            int32_t c = 320;
            for (int32_t r = 0; r < kRows; ++r, c = c * 9 / 8) {
                const int32_t b = 331 * r;
                for (int32_t k = 0; k < kBands; ++k) {
                    const int32_t len = c + 2 * g_spec.history[r][k];
                    turnedVertex(f.grid[r * kBands + k], static_cast<float>(s * ((len * CosineTable[b] >> 15) - 320) >> 12),
                                 static_cast<float>(s * ((len * SineTable[b] >> 15) + 640) >> 12),
                                 -static_cast<float>(k) * kColumnTurn);
                }
            }
            return {0, 1};
        }
        case kShapeDonuts:
            for (int32_t r = 0; r < kRows; ++r) {
                const float phi = static_cast<float>(r) * 0.31415927f;
                for (int32_t k = 0; k < kBands; ++k) {
                    const float a = static_cast<float>(g_spec.history[r][k] * 3 / 16 + 20);
                    turnedVertex(f.grid[r * kBands + k], (a * std::cos(phi) - 100.0f) * static_cast<float>(s) / 256.0f,
                                 static_cast<float>(s) * a * std::sin(phi) / 256.0f, -static_cast<float>(k) * kColumnTurn);
                }
            }
            return {1, 1};
        case kShapeFlat:
            for (int32_t r = 0; r < kRows; ++r)
                for (int32_t k = 0; k < kBands; ++k)
                    setVertex(f.grid[r * kBands + k], static_cast<float>((7 * k - 224) * s >> 8),
                              static_cast<float>((10 - r) * s >> 4),
                              static_cast<float>((20 - r) * g_spec.history[r][k] * s >> 14));
            return {0, 0};
        case kShapeBall:
            for (int32_t r = 0; r < kRows; ++r) {
                const int32_t a = (3500 * r / 19 - 1750) & (kTrigTableSize - 1);
                for (int32_t k = 0; k < kBands; ++k) {
                    const int32_t q = s * (g_spec.history[r][k] + 400) >> 8;
                    turnedVertex(f.grid[r * kBands + k], static_cast<float>(CosineTable[a] * q >> 17),
                                 static_cast<float>(q * SineTable[a] >> 17), -static_cast<float>(63 - k) * kColumnTurn);
                }
            }
            return {0, 1};
        case kShapePost:
            for (int32_t r = 0; r < kRows; ++r)
                for (int32_t k = 0; k < kBands; ++k)
                    turnedVertex(f.grid[r * kBands + k], static_cast<float>(s * (g_spec.history[r][k] * 3 / 16 + 100) / 256),
                                 static_cast<float>((10 - r) * s >> 5), -static_cast<float>(k) * kColumnTurn);
            return {0, 1};
        default: {   // the worm, in screen coordinates
            for (float& a : g_spec.wormAngle) a += 0.06f;
            for (int32_t k = 0; k < kBands; ++k) {
                WormPoint& p = g_spec.worm[0][k];
                p.x = static_cast<float>(4 * k + 64);
                p.y = p.z = 0.0f;
                transformPoint(&p.x, &p.y, &p.z, g_spec.wormAngle[0], g_spec.wormAngle[1], g_spec.wormAngle[2], 0, 0,
                               0, 400);
            }
            for (int32_t r = kRows - 1; r >= 1; --r)
                for (int32_t k = 0; k < kBands; ++k) {
                    WormPoint& p = g_spec.worm[r][k];
                    const WormPoint& ahead = g_spec.worm[r - 1][k];
                    p.x = 0.9f * p.x + 0.1f * ahead.x;
                    p.y = 0.9f * p.y + 0.1f * ahead.y;
                    p.z = 0.9f * p.z + 0.1f * ahead.z;
                }
            const float cx = static_cast<float>(clip.left + (clip.right - clip.left) / 2);
            const float cy = static_cast<float>(clip.top + (clip.bottom - clip.top) / 2);
            const float sf = static_cast<float>(s);
            for (int32_t r = 0; r < kRows; ++r)
                for (int32_t k = 0; k < kBands; ++k) {
                    const WormPoint& p = g_spec.worm[r][k];
                    setVertex(f.grid[r * kBands + k], sf * p.x / 256.0f + cx, sf * p.y / 256.0f + cy, sf * p.z / 256.0f);
                    const int32_t g = g_spec.history[r][k] / 2 + (r == 0 ? 32 : 80);
                    const int32_t e = columnAngle(k);
                    // A negative band would give a negative channel; held at 0.
                    auto channel = [g](int32_t table) { return std::clamp(g + (table * g >> 15), 0, 255); };
                    f.colours[r * kBands + k] = rgb(channel(CosineTable[e]), channel(SineTable[e]),
                                                    channel(CosineTable[(e + 4096) & (kTrigTableSize - 1)]));
                }
            return {0, 0};
        }
    }
}

void renderGrid(EffectParams* p, Frame& f, int32_t mode, Closing close, const float* light, const int32_t* ambient) {
    switch (mode) {
        case 0:
            plotMeshPoints(p->destination, p->rect, p->pitch, f.grid, reinterpret_cast<const int32_t*>(f.colours), kBands,
                           kRows);
            break;
        case 1:
            renderWrappedGrid(p->destination, p->rect, p->pitch, f.grid, f.colours, kBands, kRows, close.rows, close.cols);
            break;
        case 2:
            renderLitMesh(p->destination, p->rect, p->pitch, f.grid, f.colours, close.rows, close.cols, kBands, kRows, light,
                          0, ambient, 4.0f, 6, 1);
            break;
        default:
            renderLitWireMesh(p->destination, p->rect, p->pitch, f.grid, f.colours, close.rows, close.cols, kBands, kRows,
                              light, 0, ambient, 4.0f, 6, 1);
            break;
    }
}

void setUpCamera(const Rect& clip, float fov, float nearDepth) {
    resetTransforms();
    setViewport(clip.left, clip.top, clip.right, clip.bottom);
    setProjection(fov, 0, nearDepth, 0.0f);
}

void identityMatrices() {
    selectMatrix(1);
    loadIdentity();
    selectMatrix(2);
    loadIdentity();
}

constexpr float kDegreesPerStep = 360.0f / 65536.0f;

void spectrum3DFrame(EffectParams* p, int32_t shape, int32_t mode) {
    const Rect& clip = p->rect;
    clearDepthRect(clip, p->pitch);
    const int32_t s = sizeScale(clip);
    if (p->beat) {
        g_spec.spin += 800;
        for (int32_t& d : g_spec.direction) d = (crtRand() % 2) * 2 - 1;
    } else {
        g_spec.spin = g_spec.spin * 15 / 16;
    }
    const int64_t drive = static_cast<int64_t>(g_spec.spin) + 32;
    const int32_t speeds[3] = {475, 775, 525};
    for (int i = 0; i < 3; ++i)
        g_spec.angle[i] = static_cast<uint16_t>(g_spec.angle[i] + ((drive * g_spec.direction[i] * speeds[i]) >> 9));
    updateSpectrumHistory(p->spectrum);
    static Frame f;   // 25 KB: kept off the stack
    fillColumnRainbow(f);
    const Closing close = buildShape(f, shape, s, clip);
    // The camera is shared with the transitions' meshes: set it up every frame.
    setUpCamera(clip, 60.0f, static_cast<float>(s));
    if (shape != kShapeWorm) {
        identityMatrices();
        lookAt(0, 0, 1, 0, 0, 0, 0, 1, 0);
        rotate(g_spec.angle[0] * kDegreesPerStep, 1, 0, 0);
        rotate(g_spec.angle[1] * kDegreesPerStep, 0, 1, 0);
        rotate(g_spec.angle[2] * kDegreesPerStep, 0, 0, 1);
        transformGrid(f.grid, kRows, kBands);
    }
    g_spec.lightCounter += 1;
    const float l = static_cast<float>(g_spec.lightCounter);
    const float light[3] = {std::cos(0.061f * l), std::sin(0.081f * l), 0.6f};
    const int32_t ambient[3] = {90, 90, 90};
    renderGrid(p, f, mode, close, light, ambient);
}

void voyageFrame(EffectParams* p, int32_t mode, float speed) {
    const Rect& clip = p->rect;
    clearDepthRect(clip, p->pitch);
    const int32_t s = sizeScale(clip);
    updateSpectrumHistory(p->spectrum);
    static Frame f;
    fillColumnRainbow(f);
    for (int32_t r = 0; r < kRows; ++r) {
        const float phi = static_cast<float>(r) * 0.31415927f;
        for (int32_t k = 0; k < kBands; ++k) {
            const float a = static_cast<float>((g_spec.history[r][k] * 2 / 16) * 4 + 80);
            turnedVertex(f.grid[r * kBands + k], (a * std::cos(phi) - 320.0f) * static_cast<float>(s) / 256.0f,
                         static_cast<float>(s) * a * std::sin(phi) / 256.0f, -static_cast<float>(k) * kColumnTurn);
        }
    }
    setUpCamera(clip, 120.0f, static_cast<float>(s * 200 / 256));   // every frame, as above
    identityMatrices();
    g_spec.flight += speed * 0.001f;
    const float t = g_spec.flight;
    const float ring = static_cast<float>(s * 320 / 256);
    lookAt(ring * std::sin(t), 0, ring * std::cos(t), ring * std::sin(t + 0.01f), 0, ring * std::cos(t + 0.01f),
           std::cos(0.91f * t), std::cos(0.78f * t), 0);
    transformGrid(f.grid, kRows, kBands);
    const float light[3] = {0.2f, 0.2f, -0.8f};
    const int32_t ambient[3] = {50, 50, 50};
    renderGrid(p, f, mode, Closing{1, 1}, light, ambient);
}

void basicSpectrumFrame(EffectParams* p) {
    const Rect& clip = p->rect;
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    if (p->beat) g_spec.barScheme = (g_spec.barScheme + 1) % 6;
    const int32_t cx = clip.left + w / 2, e = w / 5;
    for (int32_t y = 0; y < h; ++y) {
        const int32_t band = h > 1 ? 127 - y * 127 / (h - 1) : 127;   // one row shows the top band
        const int32_t m = e * p->spectrum[band] >> 8;
        const int32_t from = std::max(cx - m, clip.left), to = std::min(cx + m, clip.right);
        if (from >= to) continue;
        const int64_t step = 65536 / (m + 1);
        Pixel* row = pixelAt(p->destination, p->pitch, 0, clip.top + y);
        for (int32_t x = from; x < to; ++x) {
            const int32_t t = static_cast<int32_t>(std::llabs((x - cx) * step * 255) >> 16);
            const int32_t u = 255 - t, a2 = std::max(0, 255 - 2 * t), a4 = std::max(0, 255 - 4 * t);
            Pixel c;
            switch (g_spec.barScheme) {
                case 0: c = rgb(u, a4, a2); break;
                case 1: c = rgb(u, a2, a4); break;
                case 2: c = rgb(a4, u, a2); break;
                case 3: c = rgb(a4, a2, u); break;
                case 4: c = rgb(a2, u, a4); break;
                default: c = rgb(a2, a4, u); break;
            }
            row[x] = c;
        }
    }
}

}  // namespace

void updateSpectrumHistory(const int16_t* spectrum) {
    for (int32_t k = 0; k < kBands; ++k) {
        const int16_t s = spectrum[k + 8];
        int32_t v = s < g_spec.peak[k] ? g_spec.peak[k] * 7 / 8 : s;
        v = std::min(v, 1024);
        g_spec.history[0][k] = static_cast<int16_t>(v);
        g_spec.peak[k] = static_cast<int16_t>(v);
    }
    std::memmove(g_spec.history[1], g_spec.history[0], sizeof(g_spec.history[0]) * (kRows - 1));
}

const int16_t* spectrumHistoryRow(int32_t row) { return g_spec.history[row]; }

void drawBasicSpectrum(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { basicSpectrumFrame(p); });
}

void drawSpectrum3D(EffectParams* p, int32_t shape, int32_t mode) {
    runGuardedEntry(kUnit, __LINE__, [=] { spectrum3DFrame(p, shape, mode); });
}

void drawVoyage3D(EffectParams* p, int32_t mode, float speed) {
    runGuardedEntry(kUnit, __LINE__, [=] { voyageFrame(p, mode, speed); });
}

void resetSpectrumState() { g_spec = SpectrumState{}; }
