#include "Transition/Transition_3DScatter.h"

#include <algorithm>
#include <cmath>

#include "Transition/TransitionFrame.h"
#include "Transition/Transition_3DShared.h"
#include "render/Camera3D.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"
#include "render/RotatedCopies.h"

namespace {

// The run's scratch buffer: acquired on the first frame, kept on every frame.
// Null for the whole run when the pool had none to give.
Pixel* runBuffer(EffectParams* t) {
    if (t->firstFrame) t->buffers[0] = t->acquireBuffer(&t->slots[0]);
    if (!t->buffers[0]) return nullptr;
    t->keepBuffer(t->slots[0]);
    return t->buffers[0];
}

struct ExplodeTile {
    uint16_t order;      // drawing pass, 0..255: a higher key lands on top
    uint8_t spin;
    uint8_t direction;   // 256ths of a turn
    int8_t speed;        // 2..9
    int8_t scale;
    uint8_t delay;       // 0..127
    uint8_t kind;        // 0 flat, 1 turning about a horizontal axis, 2 about a vertical one
};

// The buffer holds the largest grid a frame of the pool's size can use.
constexpr int32_t kMaxTiles = 1 << 16;

}  // namespace

void render3dBlockExplode2(EffectParams* t, int32_t cols, int32_t rows, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0 || cols * rows > kMaxTiles) return;
    const MovingPicture mp = movingPicture(f, dir, t->progress);
    const Pixel* background = mp.background;
    const Pixel* front = mp.mover;
    const Pixel* back = mp.background;
    const int32_t flight = truncToInt(mp.m * 256.0f);

    auto* tiles = reinterpret_cast<ExplodeTile*>(runBuffer(t));
    f.copyWhole(background);
    if (!tiles) return;
    const int32_t count = cols * rows;
    if (t->firstFrame)
        for (int32_t i = 0; i < count; ++i) {
            ExplodeTile& e = tiles[i];
            e.order = static_cast<uint16_t>(crtRand() & 0xFF);
            e.spin = static_cast<uint8_t>(crtRand());
            e.direction = static_cast<uint8_t>(crtRand());
            e.speed = static_cast<int8_t>((crtRand() & 7) + 2);
            e.scale = static_cast<int8_t>(static_cast<uint8_t>(crtRand()));
            e.delay = static_cast<uint8_t>(crtRand() & 0x7F);
            e.kind = static_cast<uint8_t>(crtRand() % 3);
        }

    for (int32_t pass = 0; pass < 256; ++pass)
        for (int32_t o = 0; o < rows; ++o)
            for (int32_t i = 0; i < cols; ++i) {
                const ExplodeTile& e = tiles[o * cols + i];
                if (e.order != pass) continue;
                const int32_t x0 = i * f.w / cols, x1 = i == cols - 1 ? f.w : (i + 1) * f.w / cols;
                const int32_t y0 = o * f.h / rows, y1 = o == rows - 1 ? f.h : (o + 1) * f.h / rows;
                const int32_t cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
                const float fl = static_cast<float>(std::max(0, flight - e.delay));
                const float direction = e.direction * 0.024543692609375f;
                const int32_t px = truncToInt(e.speed * fl * std::cos(direction) + cx);
                const int32_t py = truncToInt(e.speed * fl * std::sin(direction) + cy);
                const float spin = static_cast<float>(e.spin - 128) * fl * 0.0009765625f;
                const float scale = static_cast<float>(e.scale - 128) * fl * 0.0002f + 1.0f;
                if (!(scale > 0.0f)) continue;
                const Rect tile{x0, y0, x1, y1};
                if (e.kind == 0)
                    rotateZoomBlit(f.canvas, f.pitch, front, f.pitch, f.rect, tile, px, py, spin, scale);
                else if (e.kind == 1)
                    drawCardTurnedX(f.canvas, front, back, nullptr, spin, scale, 5.0, x0, y0, x1, y1, px, py, cx, cy,
                                    0, 0, 0, f.pitch, f.w, f.h);
                else
                    drawCardTurnedY(f.canvas, front, back, nullptr, spin, scale, 5.0, x0, y0, x1, y1, px, py, cx, cy,
                                    0, 0, 0, f.pitch, f.w, f.h);
            }
}

namespace {

struct CrumpleTarget {
    int32_t x, y, z, word;
};

constexpr int32_t kMaxMeshVertices = 65 * 65;

}  // namespace

void render3dGugim(EffectParams* t, int32_t dir, int32_t cols, int32_t rows, int32_t spread) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols < 2 || rows < 2 || cols * rows > kMaxMeshVertices) return;
    const auto [background, texture, m] = movingPicture(f, dir, t->progress);
    const int32_t h = truncToInt(m * 4096.0f);

    Pixel* buffer = runBuffer(t);
    f.copyWhole(background);
    clearDepthRect(t->rect, t->pitch);
    if (!buffer) return;
    const int32_t count = cols * rows;
    auto* grid = reinterpret_cast<MeshVertex*>(buffer);
    auto* targets = reinterpret_cast<CrumpleTarget*>(grid + count);
    if (t->firstFrame) {
        const int32_t d = (f.h + f.w) * spread / 1024, span = 2 * d + 1;
        for (int32_t i = 0; i < count; ++i) {
            targets[i].x = crtRand() % span - d;
            targets[i].y = crtRand() % span - d;
            targets[i].z = (crtRand() % span - d) * 4;
        }
    }
    const float hf = static_cast<float>(h);
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j) {
            const CrumpleTarget& g = targets[i * cols + j];
            const float x0 = static_cast<float>(j * f.w) / static_cast<float>(cols - 1) - static_cast<float>(f.w / 2);
            const float y0 = static_cast<float>(i * f.h) / static_cast<float>(rows - 1) - static_cast<float>(f.h / 2);
            MeshVertex& v = grid[i * cols + j];
            v.x = x0 + hf * (static_cast<float>(g.x) - x0) / 4096.0f;
            v.y = y0 + hf * (static_cast<float>(g.y) - y0) / 4096.0f;
            v.z = hf * static_cast<float>(g.z) / 4096.0f;
            v.w = 0;
            transformPoint(&v.x, &v.y, &v.z, 0.0f, 0.0f, 0.0f, t->rect.left + f.w / 2, t->rect.top + f.h / 2, 0, 1000);
        }
    const float light[3] = {-1.0f, -1.0f, 0.0f};
    const int32_t ambient[3] = {150, 150, 150};
    renderMeshTriangles(f.canvas, texture, f.rect, f.rect, f.pitch, f.pitch, grid, rows, cols, light, 0, ambient,
                        2.0f, 4);
}

void render3dScv(EffectParams* t, float bulge, int32_t slide) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const int32_t band = f.h / 8;
    fillRect(f.canvas, Rect{0, 0, f.w, band}, f.pitch, 0);
    fillRect(f.canvas, Rect{0, f.h - band, f.w, f.h}, f.pitch, 0);
    clearDepthRect(t->rect, t->pitch);

    Pixel* buffer = runBuffer(t);
    const Pixel* texture;
    float k;
    if (p < 0.15f) {
        texture = f.outgoing;
        k = bulge * p * 6.6666665f;
    } else if (p < 0.85f) {
        // Without a buffer the middle phase has no slide picture: the bands stay.
        if (!buffer) return;
        int32_t o = slide == 1 ? f.w - truncToInt((0.85f - p) * f.w * 1.4285713f)
                               : truncToInt((0.85f - p) * f.w * 1.4285713f);
        o = std::clamp(o, 0, f.w - 1);
        const Pixel* left = slide == 1 ? f.incoming : f.outgoing;
        const Pixel* right = slide == 1 ? f.outgoing : f.incoming;
        const int32_t shift = f.w - o;
        // One more row and column than the frame: the mesh samples one past its last texel.
        copyRect(buffer, left, 0, 0, Rect{shift, 0, f.w, f.h + 1}, f.pitch, f.pitch);
        copyRect(buffer, right, o, 0, Rect{0, 0, shift + 1, f.h + 1}, f.pitch, f.pitch);
        texture = buffer;
        k = bulge;
    } else {
        texture = f.incoming;
        k = ((0.14999998f - p) + 0.85f) * bulge * 6.666668f;
    }

    constexpr int32_t kSide = 33;
    MeshVertex grid[kSide * kSide];
    const int32_t cx = f.w / 2, cy = f.h / 2;
    const float radius = static_cast<float>(f.w / 2);
    for (int32_t r = 0; r < kSide; ++r)
        for (int32_t c = 0; c < kSide; ++c) {
            MeshVertex& v = grid[r * kSide + c];
            v.x = static_cast<float>(c * f.w) / 32.0f;
            v.y = static_cast<float>(r * f.h) / 32.0f;
            const float across = v.x - static_cast<float>(cx);
            v.z = k * std::sqrt(std::max(0.0f, radius * radius - across * across));
            v.w = 0;
            projectPointAbout(&v.x, &v.y, &v.z, cx, cy, f.w + f.h);
        }
    const float light[3] = {0.9f, 0.4f, 0.5f};
    const int32_t ambient[3] = {80, 80, 80};
    renderMeshGrid(f.canvas, texture, f.rect, f.rect, f.pitch, f.pitch, grid, kSide, kSide, light, 0, ambient, 2.0f,
                   6);
}
