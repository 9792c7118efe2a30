// 3D transitions drawn as flat-lit quads: tile explosions, whose random
// motion is drawn once into a kept scratch buffer, and the venetian blinds.
#include <algorithm>
#include <cmath>
#include <vector>

#include "Transition/Transition_3D.h"
#include "Transition/Transition_3DScene.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/Fills.h"
#include "render/RandomGeometry.h"

using namespace threed;

namespace {

// One tile's motion, row-major; corners in 1/16 pixel (top-left, top-right,
// bottom-left, bottom-right), also its texture points.
struct TileRecord {
    uint8_t spin;
    uint8_t delay;
    int8_t vx, vy, vz;
    MeshVertex axisA, axisB;
    int32_t corners[8];
};

constexpr int64_t kScratchPixels = (kScratchBlockBytes - kScratchLeadBytes) / 4;
constexpr int32_t kMaxTiles = static_cast<int32_t>(kScratchPixels * 4 / sizeof(TileRecord));
constexpr int32_t kMaxSphereSide = 64;   // the ball grid's rows + 1 and cols + 1 stay within the light tables

struct FlatLight {
    MeshVertex light;
    int32_t base;
    MeshVertex highlight;
    int squarings;    // the highlight is (H . n)^(2^squarings)
    float highlightScale;
};

// One quad (corners top-left, top-right, bottom-left, bottom-right) lit by its
// own plane; flip turns the normal round for a face seen from behind.
void drawFlatLit(const Scene& s, const Pixel* texture, const MeshVertex* c, const int32_t* tex,
                 const FlatLight& l, bool flip) {
    MeshVertex n;
    if (flip)
        planeNormal(&n, c[0], c[2], c[1]);
    else
        planeNormal(&n, c[0], c[1], c[2]);
    const int32_t diffuse = truncToInt(std::max(0.0f, dotProduct(l.light, n) * 256.0f)) + l.base;
    float h = dotProduct(l.highlight, n);
    int32_t specular = 0;
    if (h > 0) {
        for (int i = 0; i < l.squarings; ++i) h *= h;
        specular = truncToInt(h * l.highlightScale);
    }
    renderMeshCell(s.dst, &c[0], &c[1], &c[2], &c[3], texture, tex, tex + 2, tex + 4, tex + 6, s.clip, s.pitch,
                   s.pitch, specular, specular, specular, specular, diffuse, diffuse, diffuse, diffuse, kCellModeLit);
}

const FlatLight kTileLight{{1.0f, 1.0f, 0, 0}, 256, {0.57735026f, 0.57735026f, 0.57735026f, 0}, 4, 512.0f};

struct TileSpan {
    int32_t x0, y0, x1, y1;
};
TileSpan tileSpan(const Scene& s, int32_t c, int32_t r, int32_t cols, int32_t rows) {
    return {(c * s.w) / cols, (r * s.h) / rows, ((c + 1) * s.w) / cols, ((r + 1) * s.h) / rows};
}
void setCorners(TileRecord& t, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t c[8] = {x0, y0, x1, y0, x0, y1, x1, y1};
    for (int i = 0; i < 8; ++i) t.corners[i] = c[i] * 16;
}
// The spin axis offsets (three draws) of the block and shard explosions.
void setSpinAxis(TileRecord& t, int32_t cx, int32_t cy) {
    const int32_t ex = (crtRand() & 15) - 8;
    const int32_t ey = (crtRand() & 15) - 8;
    const int32_t ez = (crtRand() & 15) - 8;
    t.axisA = {static_cast<float>(cx + ex), static_cast<float>(cy + ey), static_cast<float>(ez), 0};
    t.axisB = {static_cast<float>(cx - ex), static_cast<float>(cy - ey), static_cast<float>(-ez), 0};
}

void scatterBlocks(TileRecord* tiles, const Scene& s, int32_t cols, int32_t rows) {
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            TileRecord& t = tiles[r * cols + c];
            t.vx = static_cast<int8_t>(crtRand() % 129 - 64);
            t.vy = static_cast<int8_t>(crtRand() % 129 - 64);
            t.vz = static_cast<int8_t>(-5 - (crtRand() & 15));
            TileSpan span = tileSpan(s, c, r, cols, rows);
            if (r == rows - 1) span.y1 -= 1;
            setSpinAxis(t, (span.x0 + span.x1) >> 1, (span.y0 + span.y1) >> 1);
            t.spin = static_cast<uint8_t>((crtRand() & 127) + 127);
            t.delay = static_cast<uint8_t>(crtRand() & 63);
            setCorners(t, span.x0, span.y0, span.x1, span.y1);
        }
}

// Turns, moves (in 1/divisor pixel per stage unit) and projects one tile.
void placeTile(const Scene& s, const TileRecord& t, int32_t stage, float angle, int32_t divisor, int32_t distance,
               MeshVertex* corners) {
    const int32_t hw = s.w >> 1, hh = s.h >> 1;
    for (int q = 0; q < 4; ++q) {
        MeshVertex& v = corners[q];
        v = {static_cast<float>(t.corners[2 * q] / 16), static_cast<float>(t.corners[2 * q + 1] / 16), 0, 0};
        rotateAboutAxis(&v, t.axisA, t.axisB, angle);
        translatePoint(&v.x, &v.y, &v.z, (t.vx * stage) / divisor - hw, (t.vy * stage) / divisor - hh,
                       (t.vz * stage) / divisor);
        projectPoint(&v.x, &v.y, &v.z, distance);
        translatePoint(&v.x, &v.y, &v.z, hw, hh, 0);
    }
}

bool tileCountFits(int32_t cols, int32_t rows) {
    return cols >= 1 && rows >= 1 && static_cast<int64_t>(cols) * rows <= kMaxTiles;
}

}  // namespace

void render3dBlockExplode(EffectParams* t, int32_t dir, int32_t cols, int32_t rows) {
    const Scene s = sceneOf(t);
    const auto [background, picture] = rolesOf(s, dir);
    const int32_t p = stageOf(t, dir, 256.0f);
    if (!tileCountFits(cols, rows)) {
        copyWhole(s, background);
        return;
    }
    auto* tiles = reinterpret_cast<TileRecord*>(
        keptBuffer(t, 0, [&](Pixel* b) { scatterBlocks(reinterpret_cast<TileRecord*>(b), s, cols, rows); }));
    copyWhole(s, background);
    if (s.empty() || !tiles) return;
    clearDepthRect(s.clip, s.pitch);
    MeshVertex corners[4];
    for (int32_t i = 0; i < cols * rows; ++i) {
        const TileRecord& tile = tiles[i];
        const int32_t stage = std::max(p - tile.delay, 0);
        const float angle = static_cast<float>((tile.spin * stage * 3) & 65535) * 9.58738e-05f;
        placeTile(s, tile, stage, angle, 16, 200, corners);
        drawFlatLit(s, picture, corners, tile.corners, kTileLight, false);
    }
}

namespace {

void scatterShards(TileRecord* tiles, const Scene& s, int32_t motion, int32_t cols, int32_t rows) {
    // Inner lattice points move; border ones stay so the outline stays straight.
    const int32_t ax = std::max((((s.w / cols) / 2) * 200) / 256, 1);
    const int32_t ay = std::max((((s.h / rows) / 2) * 200) / 256, 1);
    const int32_t stride = cols + 1;
    std::vector<int32_t> jx(static_cast<size_t>(stride) * (rows + 1), 0), jy(jx.size(), 0);
    for (int32_t r = 1; r < rows; ++r)
        for (int32_t c = 1; c < cols; ++c) {
            jx[r * stride + c] = randRange(-ax, ax);
            jy[r * stride + c] = randRange(-ay, ay);
        }
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            TileRecord& t = tiles[r * cols + c];
            if (motion == 0) {
                t.vx = static_cast<int8_t>(crtRand() % 17 - 8);
                t.vy = static_cast<int8_t>((crtRand() & 63) + 32);
                t.vz = 0;
            } else {
                t.vx = static_cast<int8_t>(crtRand() % 129 - 64);
                t.vy = static_cast<int8_t>(crtRand() % 129 - 64);
                t.vz = static_cast<int8_t>(-5 - (crtRand() & 15));
            }
            const TileSpan span = tileSpan(s, c, r, cols, rows);
            setSpinAxis(t, (span.x0 + span.x1) >> 1, (span.y0 + span.y1) >> 1);
            t.spin = static_cast<uint8_t>((crtRand() & 127) + 127);
            t.delay = static_cast<uint8_t>((crtRand() & 63) + 64);
            const int32_t tl = r * stride + c, bl = tl + stride;
            const int32_t pts[8] = {span.x0 + jx[tl],     span.y0 + jy[tl],     span.x1 + jx[tl + 1],
                                    span.y0 + jy[tl + 1], span.x0 + jx[bl],     span.y1 + jy[bl],
                                    span.x1 + jx[bl + 1], span.y1 + jy[bl + 1]};
            for (int q = 0; q < 8; ++q) t.corners[q] = pts[q] * 16;
        }
}

// The outgoing picture frozen: green doubled, blue times 8, each at most 255.
// The margin pixel round the picture is frozen too: the smooth sampler reads it.
void freezePicture(Pixel* ice, const Scene& s, const Pixel* picture) {
    for (int32_t y = -1; y <= s.h; ++y) {
        const Pixel* from = picture + static_cast<ptrdiff_t>(y) * s.pitch;
        Pixel* to = ice + static_cast<ptrdiff_t>(y) * s.pitch;
        for (int32_t x = -1; x <= s.w; ++x) {
            const Pixel p = from[x];
            const uint32_t g = std::min<uint32_t>(((p >> 8) & 0xFF) * 2, 255);
            const uint32_t b = std::min<uint32_t>((p & 0xFF) * 8, 255);
            to[x] = (p & 0xFF0000) | (g << 8) | b;
        }
    }
}

}  // namespace

void render3dFreezenExplode(EffectParams* t, int32_t dir, int32_t motion, int32_t cols, int32_t rows) {
    const Scene s = sceneOf(t);
    const auto [background, picture] = rolesOf(s, dir);
    const int32_t p = stageOf(t, dir, 256.0f);
    if (!tileCountFits(cols, rows)) {
        copyWhole(s, background);
        return;
    }
    auto* tiles = reinterpret_cast<TileRecord*>(keptBuffer(
        t, 0, [&](Pixel* b) { scatterShards(reinterpret_cast<TileRecord*>(b), s, motion, cols, rows); }));
    // The ice picture must fit the scratch buffer; without it the shards show
    // the picture untinted.
    const bool iceFits = static_cast<int64_t>(s.pitch) * (s.h + 2) <= kScratchPixels;
    const Pixel* ice = nullptr;
    // Clang before 16 cannot capture a structured binding in a lambda.
    const Pixel* const shown = picture;
    if (dir == 1 && iceFits) ice = keptBuffer(t, 1, [&](Pixel* b) { freezePicture(b, s, shown); });
    copyWhole(s, background);
    if (s.empty() || !tiles) return;
    clearDepthRect(s.clip, s.pitch);
    const Pixel* texture = ice ? ice : picture;
    MeshVertex corners[4];
    for (int32_t i = 0; i < cols * rows; ++i) {
        const TileRecord& tile = tiles[i];
        const int32_t stage = std::max(p - tile.delay, 0);
        placeTile(s, tile, stage, static_cast<float>(stage * tile.spin) * 0.00028762139f, 16, 400, corners);
        drawFlatLit(s, texture, corners, tile.corners, kTileLight, false);
    }
}

namespace {

void scatterBallTiles(TileRecord* tiles, const Scene& s, int32_t g, int32_t cols, int32_t rows) {
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            TileRecord& t = tiles[r * cols + c];
            t.vx = static_cast<int8_t>(((crtRand() % 129 - 64) * g) / 160);
            t.vy = static_cast<int8_t>(((crtRand() % 129 - 64) * g) / 160);
            t.vz = static_cast<int8_t>(-(((crtRand() & 15) + 5) * g) / 160);
            (void)crtRand();   // a spin draw this worker does not use
            t.spin = 0;
            t.delay = static_cast<uint8_t>(crtRand() & 15);
            TileSpan span = tileSpan(s, c, r, cols, rows);
            if (r == rows - 1) span.y1 -= 1;
            setCorners(t, span.x0, span.y0, span.x1, span.y1);
        }
}

}  // namespace

void render3dBallExplode(EffectParams* t, int32_t dir, int32_t cols, int32_t rows) {
    const Scene s = sceneOf(t);
    const auto [background, picture] = rolesOf(s, dir);
    const int32_t stage = stageOf(t, dir, 1024.0f);
    if (cols < 1 || rows < 1 || cols + 1 > kMaxSphereSide || rows + 1 > kMaxSphereSide) {
        copyWhole(s, background);
        return;
    }
    const int32_t g = sizeUnit(s), d = (g * 1600) / 256;
    bool fresh = false;
    auto* tiles = reinterpret_cast<TileRecord*>(keptBuffer(t, 0, [&](Pixel* b) {
        fresh = true;
        scatterBallTiles(reinterpret_cast<TileRecord*>(b), s, g, cols, rows);
    }));
    if (!s.empty()) clearDepthRect(s.clip, s.pitch);
    copyWhole(s, background);
    if (s.empty() || !tiles) return;
    const int32_t hw = s.w >> 1, hh = s.h >> 1, gridCols = cols + 1, gridRows = rows + 1;
    const float radius = static_cast<float>(std::min(s.w, s.h) / 3);
    const float twist = (stage - 128) * 0.0125f;
    const float longitude = 6.2831855f / cols;
    MeshVertex sphere[kMaxSphereSide * kMaxSphereSide];
    auto spherePoint = [&](int32_t i, int32_t k, float turn) {
        const float a = i * 2.8f / rows - 1.4f;
        MeshVertex v{std::cos(a) * radius, std::sin(a) * radius, 0, 0};
        rotateY(&v.x, &v.z, kHalfPi + k * longitude + turn);
        return v;
    };
    for (int32_t i = 0; i < gridRows; ++i)
        for (int32_t k = 0; k < gridCols; ++k) {
            MeshVertex v = spherePoint(i, k, twist);
            translatePoint(&v.x, &v.y, &v.z, hw, hh, 0);
            if (fresh) {
                v.x -= hw;
                rotateY(&v.x, &v.z, 1.6f);
                v.x += hw;
            }
            sphere[i * gridCols + k] = v;
        }
    if (stage < 256) {
        MeshVertex grid[kMaxSphereSide * kMaxSphereSide];
        for (int32_t i = 0; i < gridRows; ++i)
            for (int32_t k = 0; k < gridCols; ++k) {
                MeshVertex v;
                if (stage < 128) {
                    v = spherePoint(i, k, 0);
                    const float fx = static_cast<float>(-hw) + static_cast<float>(k * s.w) / cols;
                    const float fy = static_cast<float>((i * s.h) / rows - hh);
                    v.x = (v.x - fx) * stage * 0.0078125f + fx;
                    v.y = (v.y - fy) * stage * 0.0078125f + fy;
                } else {
                    v = sphere[i * gridCols + k];
                    translatePoint(&v.x, &v.y, &v.z, -hw, -hh, 0);
                    rotateY(&v.x, &v.z, twist);
                }
                transformPoint(&v.x, &v.y, &v.z, 0, 0, 0, hw, hh, 0, d);
                grid[i * gridCols + k] = v;
            }
        const float light[3] = {0.5f, 0.5f, 0.5f};
        const int32_t ambient[3] = {80, 80, 80};
        renderMeshGrid(s.dst, picture, s.clip, s.clip, s.pitch, s.pitch, grid, gridRows, gridCols, light, 0,
                       ambient, 4.0f, 6);
        return;
    }
    const FlatLight burst{{0.5f, 0.5f, 0.5f, 0}, 138, {0.30151135f, 0.30151135f, 0.904534f, 0}, 6, 1024.0f};
    MeshVertex corners[4];
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            const TileRecord& tile = tiles[r * cols + c];
            const int32_t tt = std::max((stage - 256) - 4 * tile.delay, 0);
            const int32_t at[4] = {r * gridCols + c, r * gridCols + c + 1, (r + 1) * gridCols + c,
                                   (r + 1) * gridCols + c + 1};
            for (int q = 0; q < 4; ++q) {
                MeshVertex& v = corners[q];
                v = sphere[at[q]];
                translatePoint(&v.x, &v.y, &v.z, (tile.vx * tt) / 64 - hw, (tile.vy * tt) / 64 - hh,
                               (tile.vz * tt) / 64);
                projectPoint(&v.x, &v.y, &v.z, d);
                translatePoint(&v.x, &v.y, &v.z, hw, hh, 0);
            }
            drawFlatLit(s, picture, corners, tile.corners, burst, false);
        }
}

namespace {

struct BlindStyle {
    bool vertical;
    FlatLight light;
};

void renderBlind(EffectParams* t, const BlindStyle& style, int32_t dir, int32_t n, uint32_t colour,
                 int32_t reverse, int32_t back, int32_t staggered, int32_t solid) {
    const Scene s = sceneOf(t);
    const auto [front, rear] = rolesOf(s, dir);
    const int32_t p = truncToInt((dir == 0 ? t->progress : 1.0f - t->progress) * 4096.0f);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    if (solid == 1)
        fillRect(s.dst, s.clip, s.pitch, colour);
    else
        copyWhole(s, rear);
    if (n < 1) return;
    const float backAngle = back ? kPi : 0.0f;
    for (int32_t j = 0; j < n; ++j) {
        const int32_t start = staggered == 0 ? 4096 / n : reverse == 0 ? (j * 4096) / n : ((n - 1 - j) * 4096) / n;
        float angle = backAngle;
        if (start < p) {
            float u = (p - start) * kPi / (4096 - start);
            if (solid != 1) u *= 0.5f;
            angle = std::clamp(back ? kPi - u : u, 0.0f, kPi);
        }
        const bool showsBack = angle >= kHalfPi;
        const Pixel* texture = showsBack == (back != 0) ? front : rear;
        int32_t x0 = 0, y0 = 0, x1 = s.w, y1 = s.h;
        if (style.vertical) {
            x0 = (j * s.w) / n;
            x1 = ((j + 1) * s.w) / n;
        } else {
            y0 = (j * s.h) / n;
            y1 = ((j + 1) * s.h) / n;
        }
        // The back face is mapped mirrored across the turning axis so that it
        // reads the right way round once turned.
        int32_t tex[8] = {x0, y0, x1, y0, x0, y1, x1, y1};
        if (showsBack) {
            if (style.vertical)
                for (int q = 0; q < 4; ++q) tex[2 * q] = tex[2 * q] == x0 ? x1 : x0;
            else
                for (int q = 0; q < 4; ++q) tex[2 * q + 1] = tex[2 * q + 1] == y0 ? y1 : y0;
        }
        MeshVertex corners[4];
        const float midX = (x0 + x1) * 0.5f, midY = (y0 + y1) * 0.5f;
        const int32_t screenCorner[8] = {x0, y0, x1, y0, x0, y1, x1, y1};
        for (int q = 0; q < 4; ++q) {
            MeshVertex& v = corners[q];
            v = {static_cast<float>(screenCorner[2 * q]), static_cast<float>(screenCorner[2 * q + 1]), 0, 0};
            if (style.vertical) {
                v.x -= midX;
                v.y -= s.h / 2;
                rotateY(&v.x, &v.z, angle);
                projectPoint(&v.x, &v.y, &v.z, 400);
                v.x += midX;
                v.y += s.h / 2;
            } else {
                v.x -= s.w / 2;
                v.y -= midY;
                rotateX(&v.y, &v.z, angle);
                projectPoint(&v.x, &v.y, &v.z, s.h / 2 + s.w / 2);
                v.x += s.w / 2;
                v.y += midY;
            }
        }
        for (int q = 0; q < 8; ++q) tex[q] *= 16;
        drawFlatLit(s, texture, corners, tex, style.light, showsBack);
    }
}

}  // namespace

void render3dBlindVertical(EffectParams* t, int32_t dir, int32_t n, uint32_t colour, int32_t reverse,
                           int32_t back, int32_t staggered, int32_t solid) {
    static const BlindStyle style{
        true, {{-1.5f, 0.5f, 0.5f, 0}, 120, {-0.6882472f, 0.2294157f, 0.6882472f, 0}, 6, 256.0f}};
    renderBlind(t, style, dir, n, colour, reverse, back, staggered, solid);
}

void render3dBlindHorizontal(EffectParams* t, int32_t dir, int32_t n, uint32_t colour, int32_t reverse,
                             int32_t back, int32_t staggered, int32_t solid) {
    static const BlindStyle style{
        false, {{2.5f, 1.5f, -0.5f, 0}, 210, {0.8451542f, 0.5070925f, 0.1690308f, 0}, 6, 256.0f}};
    renderBlind(t, style, dir, n, colour, reverse, back, staggered, solid);
}
