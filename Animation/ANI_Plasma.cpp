#include "Animation/ANI_Plasma.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Animation/ANI_PlasmaGenerators.h"
#include "Animation/AnimationShared.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/MeshVertex.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::Plasma);

struct DiscState {
    RowPhase phase;
    double t = 0;
    double follower = 0;
};
struct BandState {
    RowPhase phase;
    double t = 0;
    double followers[4] = {};
};

constexpr int32_t kMeshRows = 16;
constexpr int32_t kMeshCols = 32;
constexpr int32_t kHistoryRows = 20;

struct Mesh3DState {
    RowPhase phase;
    double follower = 0;
    int32_t spin = 256;               // plasmaSpin
    uint16_t angles[3] = {};
    int32_t directions[3] = {1, 1, 1};
    int32_t peakColumn = 0, peakRow = 0;
    int32_t flagPhase = 0;
};

struct PlasmaAnimationStates {
    DiscState disc;
    BandState bands;
    Mesh3DState mesh;
};
PlasmaAnimationStates g_state;

double follow(double follower, int32_t level, double decay) { return level >= follower ? level : follower * decay; }

// The animations' palette: red and blue half a turn apart, green a quarter.
void buildAnimationPalette() {
    for (int i = 0; i < 256; ++i) {
        const Pixel r = static_cast<Pixel>(truncToInt(std::cos(kPlasmaStep * i) * 127.0 + 128.0)) & 0xFF;
        const Pixel g = static_cast<Pixel>(truncToInt(std::sin(kPlasmaStep * i) * 127.0 + 128.0)) & 0xFF;
        const Pixel b = static_cast<Pixel>(truncToInt(std::cos(kPlasmaStep * (i + 128)) * 127.0 + 128.0)) & 0xFF;
        plasmaPalette[i] = r << 16 | g << 8 | b;
    }
}

void setUpPhase(RowPhase& phase, int32_t beat, int32_t firstFrame) {
    if (!beat && !firstFrame) return;
    phase.stepA = 3;
    phase.stepC = -2;
    setUpRowPhase(phase, true);
}

void endOfFrame(RowPhase& p) {
    p.a = static_cast<uint8_t>(p.a - 1);
    p.b = static_cast<uint8_t>(p.b + 4);
    p.c = static_cast<uint8_t>(p.c + 3);
}

// Row-phase colours over the square of side 2r centred on (cx, cy) (clip
// coordinates), stored where they fall inside the disc and the clip; with
// `blend` each store is the per-channel mean of the old pixel and the colour.
void fillPlasmaDisc(Pixel* d, int32_t pitch, const Rect& clip, int32_t cx, int32_t cy, int32_t r,
                    const RowPhase& p, bool blend) {
    if (r <= 0) return;
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    const int32_t r2 = r * r;
    uint8_t a = p.a, b = p.b, c = p.c;
    for (int32_t j = 0; j < 2 * r; ++j) {
        const int32_t y = cy - r + j, dy = j - r;
        if (y >= 0 && y < h) {
            Pixel* row = pixelAt(d, pitch, clip.left, clip.top + y);
            const uint32_t ab = static_cast<uint32_t>(static_cast<int8_t>(plasmaWave[a]) + static_cast<int8_t>(plasmaWave[b]));
            uint8_t k = c;
            for (int32_t i = 0; i < 2 * r; ++i) {
                const int32_t x = cx - r + i, dx = i - r;
                const Pixel colour = plasmaPalette[(ab + plasmaWave[k]) & 255];
                k = static_cast<uint8_t>(k + p.direction);
                if (x < 0 || x >= w || dx * dx + dy * dy >= r2) continue;
                row[x] = blend ? ((row[x] >> 1) & 0x7F7F7Fu) + ((colour >> 1) & 0x7F7F7Fu) : colour;
            }
        }
        a = static_cast<uint8_t>(a + p.stepA);
        b = static_cast<uint8_t>(b + p.stepB);
        c = static_cast<uint8_t>(c + p.stepC);
    }
}

}  // namespace

void drawPlasmaAnimation(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const int32_t w = clip->right - clip->left, h = clip->bottom - clip->top;
    if (w <= 0 || h <= 0) return;
    DiscState& s = g_state.disc;
    level &= 255;
    s.t += level / 64;
    buildAnimationPalette();
    buildHannWave(s.t);
    setUpPhase(s.phase, beat, firstFrame);
    s.follower = follow(s.follower, level, 0.95);
    const int32_t r = truncToInt((std::min(h / 2, w / 2) / 2 - 1) * s.follower / 255.0) + 1;
    fillPlasmaDisc(d, pitch, *clip, w / 2, h / 2, r, s.phase, false);
    endOfFrame(s.phase);
}

void drawPlasma3Animation(Pixel* d, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                          int32_t beat, int32_t firstFrame) {
    const int32_t w = clip->right - clip->left, h = clip->bottom - clip->top;
    if (w <= 0 || h <= 0) return;
    BandState& s = g_state.bands;
    s.t += (level >> 6) & 3;
    buildAnimationPalette();
    buildHannWave(s.t);
    setUpPhase(s.phase, beat, firstFrame);
    const int64_t u = (int64_t(w + h) * 256) / 1120;
    int32_t radius[4];
    for (int b = 0; b < 4; ++b) {
        int64_t sum = 0;
        if (spectrum)
            for (int i = 0; i < 32; ++i) sum += spectrum[32 * b + i];
        const int64_t value = (u * sum) >> 13;
        s.followers[b] = value >= s.followers[b] ? static_cast<double>(value) : s.followers[b] * 0.92;
        radius[b] = std::min(truncToInt(s.followers[b] + 1.0), h / 4 - 1);
    }
    const int32_t cx = w / 2, cy = h / 2;
    fillPlasmaDisc(d, pitch, *clip, cx, cy - radius[0], radius[0], s.phase, false);
    fillPlasmaDisc(d, pitch, *clip, cx, cy + radius[1], radius[1], s.phase, false);
    fillPlasmaDisc(d, pitch, *clip, cx - radius[2], cy, radius[2], s.phase, true);
    fillPlasmaDisc(d, pitch, *clip, cx + radius[3], cy, radius[3], s.phase, true);
    endOfFrame(s.phase);
}

namespace {

// The 3D worker's scratch buffer: the texture (W x H/5, row stride W), then
// the per-vertex heights or the spectrum history.
struct MeshBuffer {
    Pixel* texture;
    int32_t* heights;    // kMeshRows x kMeshCols
    int16_t* history;    // kHistoryRows x 128
};
constexpr size_t kBufferPixels = (kScratchBlockBytes - kScratchLeadBytes) / sizeof(Pixel);
constexpr size_t kExtraPixels = kHistoryRows * 128 / 2 + kMeshRows * kMeshCols;

MeshBuffer meshBuffer(Pixel* base, int32_t w, int32_t textureRows) {
    Pixel* extra = base + static_cast<size_t>(w) * textureRows;
    return {base, reinterpret_cast<int32_t*>(extra), reinterpret_cast<int16_t*>(extra + kMeshRows * kMeshCols)};
}

// Holds the record's buffer: acquired and cleared on the first frame (or on a
// later frame when the pool was full then), kept every frame. Null without one.
Pixel* holdMeshBuffer(EffectParams* p) {
    if (p->firstFrame) p->buffers[0] = nullptr;
    if (!p->buffers[0]) {
        Pixel* b = p->acquireBuffer ? p->acquireBuffer(&p->slots[0]) : nullptr;
        if (!b) return nullptr;
        if (p->clearBuffer) p->clearBuffer(b);
        else std::memset(b, 0, kBufferPixels * sizeof(Pixel));
        p->buffers[0] = b;
        g_state.mesh.spin = 256;
    }
    if (p->keepBuffer) p->keepBuffer(p->slots[0]);
    return p->buffers[0];
}

void bumpBallMountain(int32_t* heights, int32_t row, int32_t col, int32_t level) {
    for (int32_t dr = -1; dr <= 1; ++dr) {
        const int32_t r = row + dr;
        if (r < 0 || r >= kMeshRows) continue;
        for (int32_t dc = -1; dc <= 1; ++dc) {
            const int32_t c = (col + dc + kMeshCols) % kMeshCols;   // columns close round the ball
            const int32_t gain = dr == 0 && dc == 0 ? 9 : (dr == 0 || dc == 0 ? 3 : 2);
            heights[r * kMeshCols + c] += gain * level;
        }
    }
}

}  // namespace

void drawPlasma3D(EffectParams* p, int32_t variant) {
    const Rect& clip = p->rect;
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    const int32_t textureRows = h / 5;
    if (w <= 0 || textureRows <= 0) return;
    if (static_cast<size_t>(w) * textureRows + kExtraPixels > kBufferPixels) return;   // no room for the texture
    Mesh3DState& s = g_state.mesh;
    const int32_t level = truncToInt(p->level) & 255;
    s.follower = follow(s.follower, level, 0.92);
    Pixel* base = holdMeshBuffer(p);
    if (!base) return;
    const MeshBuffer buf = meshBuffer(base, w, textureRows);

    // The texture.
    p->frameCounter += level / 64;
    const double t = p->frameCounter;
    const int32_t ka = truncToInt(std::cos(0.053 * t) * 63.0 + 64.0);
    const int32_t kb = truncToInt(std::cos(0.034 * t) * 63.0 + 64.0);
    const int32_t kc = truncToInt(std::cos(0.045 * t) * 63.0 + 64.0);
    for (int i = 0; i < 256; ++i) {
        const Pixel r = static_cast<Pixel>(truncToInt(ka * (std::cos(kPlasmaStep * i) + 1.0))) & 0xFF;
        const Pixel g = static_cast<Pixel>(truncToInt(kb * (std::cos(1.1 * kPlasmaStep * i) + 1.0))) & 0xFF;
        const Pixel b = static_cast<Pixel>(truncToInt(kc * (std::cos(1.2 * kPlasmaStep * i) + 1.0))) & 0xFF;
        plasmaPalette[i] = r << 16 | g << 8 | b;
    }
    buildHannWave(t);
    setUpPhase(s.phase, p->beat, p->firstFrame);
    const Rect textureRect{0, 0, w, textureRows};
    paintRowPhase(buf.texture, w, textureRect, s.phase);
    endOfFrame(s.phase);

    // Spin and the random peak.
    if (p->beat) {
        s.spin += 400;
        for (int32_t& dir : s.directions) dir = 1 - 2 * (crtRand() & 1);
        if (variant == 3) {
            s.peakColumn = crtRand() % kMeshCols;
            s.peakRow = crtRand() % kMeshRows;
        } else {
            s.peakColumn = crtRand() % w + clip.left;
            s.peakRow = crtRand() % std::max(h, 1) + clip.top;
        }
    } else {
        s.spin = s.spin * 31 / 32;
    }
    const int32_t l = s.spin * 25 + 1600;
    s.angles[0] = static_cast<uint16_t>(s.angles[0] + ((l * s.directions[0] * 19) >> 9));
    s.angles[1] = static_cast<uint16_t>(s.angles[1] + ((l * s.directions[1] * 31) >> 9));
    s.angles[2] = static_cast<uint16_t>(s.angles[2] + ((l * s.directions[2] * 21) >> 9));

    // The mesh, in quarter pixels.
    const int16_t* spectrum = p->spectrum;
    if (variant == 0) {
        std::memmove(buf.history + 128, buf.history, (kHistoryRows - 1) * 128 * sizeof(int16_t));
        for (int i = 0; i < 128; ++i) buf.history[i] = spectrum ? spectrum[i] : 0;
    }
    if (variant == 1) s.flagPhase += 600;
    const bool beat = p->beat != 0;
    if (variant == 2 || variant == 3) {
        for (int32_t i = 0; i < kMeshRows * kMeshCols; ++i) {
            if (!beat) buf.heights[i] = buf.heights[i] * 63 / 64;
        }
        if (beat && variant == 3) bumpBallMountain(buf.heights, s.peakRow, s.peakColumn, level);
    }
    const int32_t scale = (w + h) * 256 / 1120;
    const int32_t follower = truncToInt(s.follower);
    const int32_t dz = variant == 3 ? 0 : (256 - follower) * 4;
    const int32_t distance = variant == 2 ? 6000 : 1600;
    const int32_t sx = (clip.left + clip.right) / 2 * 4, sy = (clip.top + clip.bottom) / 2 * 4;
    MeshVertex vertices[kMeshRows * kMeshCols];
    for (int32_t r = 0; r < kMeshRows; ++r)
        for (int32_t k = 0; k < kMeshCols; ++k) {
            int32_t x = 0, y = 0, z = 0;
            int32_t* height = &buf.heights[r * kMeshCols + k];
            if (variant == 0 || variant == 3) {
                const int32_t lat = ((2000 * r - 15000) / 8) & 8191;
                const int64_t rho = variant == 0
                                        ? (int64_t(buf.history[r * 128 + 8 + k]) + 450) * scale * 4 >> 8
                                        : (int64_t(scale) * 1600 >> 8) + *height;
                x = static_cast<int32_t>(rho * CosineTable[lat] >> 17);
                y = static_cast<int32_t>(rho * SineTable[lat] >> 17);
                z = 0;
                rotateYFixed(&x, &z, k * 65536 / 31);
            } else {
                x = (k * w / 31 - w / 2) * 3;
                y = (r * h / 15 - h / 2) * 3;
                if (variant == 1) {
                    z = static_cast<int32_t>(int64_t(SineTable[(512 * k + s.flagPhase) & 8191]) * follower * 4 >> 17);
                } else {
                    if (beat) {
                        const int64_t dx = clip.left + k * w / 31 - s.peakColumn;
                        const int64_t dy = clip.top + r * h / 15 - s.peakRow;
                        *height += static_cast<int32_t>(int64_t(level) * -64 / (((dy * dy + dx * dx) >> 4) + 10));
                    }
                    z = *height;
                }
            }
            transformPointFixed(&x, &y, &z, s.angles[0], s.angles[1], s.angles[2], sx, sy, dz, distance);
            vertices[r * kMeshCols + k] = {x * 0.25f, y * 0.25f, z * 0.25f, 0};
        }

    clearDepthRect(clip, p->pitch);
    static const float kLight[3] = {1.0f, 1.0f, 1.0f};
    static const int32_t kAmbient[3] = {210, 210, 210};
    renderMeshTriangles(p->destination, buf.texture, clip, textureRect, p->pitch, w, vertices, kMeshRows, kMeshCols,
                        kLight, 0, kAmbient, 4.0f, 6);
}

void PlasmaAnimationEntry(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        drawPlasmaAnimation(p->destination, p->pitch, &p->rect, animationLevel(p), p->beat, p->firstFrame);
    });
}

void Plasma3AnimationEntry(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] {
        drawPlasma3Animation(p->destination, p->pitch, &p->rect, p->spectrum, animationLevel(p), p->beat,
                             p->firstFrame);
    });
}

void resetPlasmaAnimations() { g_state = PlasmaAnimationStates{}; }
