#include "Transition/Transition_Block.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "engine/ScratchPool.h"
#include "render/Camera3D.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"

// ---- Orders -------------------------------------------------------------------------

void orderBlocksRandom(BlockCell* cells, int32_t cols, int32_t rows) {
    const int32_t n = cols * rows;
    for (int32_t k = 0; k < n; ++k) cells[k].order = static_cast<uint16_t>(crtRand() % n);
}

void orderBlocksRing(BlockCell* first, int32_t w, int32_t h, int32_t base, int32_t cols) {
    auto at = [first, cols](int32_t r, int32_t c) -> uint16_t& { return first[r * cols + c].order; };
    if (h == 1) {
        for (int32_t c = 0; c < w; ++c) at(0, c) = static_cast<uint16_t>(base + c);
        return;
    }
    if (w == 1) {   // a one-wide ring would number its column twice: once, top to bottom
        for (int32_t r = 0; r < h; ++r) at(r, 0) = static_cast<uint16_t>(base + r);
        return;
    }
    int32_t k = base;
    for (int32_t c = 0; c < w; ++c) at(0, c) = static_cast<uint16_t>(k++);
    for (int32_t r = 1; r < h; ++r) at(r, w - 1) = static_cast<uint16_t>(k++);
    for (int32_t c = w - 2; c >= 0; --c) at(h - 1, c) = static_cast<uint16_t>(k++);
    for (int32_t r = h - 2; r >= 1; --r) at(r, 0) = static_cast<uint16_t>(k++);
}

void orderBlocksSpiral(BlockCell* cells, int32_t cols, int32_t rows) {
    int32_t w = cols, h = rows, base = 0;
    for (int32_t ring = 0; w > 0 && h > 0; ++ring, w -= 2, h -= 2) {
        orderBlocksRing(cells + ring * cols + ring, w, h, base, cols);
        base += h == 1 ? w : w == 1 ? h : 2 * w + 2 * h - 4;
    }
}

void orderBlocksZigzag(BlockCell* cells, int32_t cols, int32_t rows) {
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j)
            cells[i * cols + j].order = static_cast<uint16_t>(i * cols + (i % 2 == 0 ? j : cols - 1 - j));
}

void orderBlocksDiagonal(BlockCell* cells, int32_t cols, int32_t rows) {
    int32_t c = 0;
    // Down-left from (i, j) for `count` blocks; a walk leaving the grid stops there.
    auto walk = [&](int32_t i, int32_t j, int32_t count) {
        for (int32_t k = 0; k < count && i < rows && j >= 0; ++k, ++i, --j)
            cells[i * cols + j].order = static_cast<uint16_t>(c++);
    };
    for (int32_t s = 0; s < cols; ++s) walk(0, s, std::min(s + 1, rows));
    for (int32_t r = 1; r < rows; ++r) walk(r, cols - 1, rows - r);
}

void orderBlocksChecker(BlockCell* cells, int32_t cols, int32_t rows) {
    int32_t c = 0;
    for (int32_t first = 0; first < 2; ++first)
        for (int32_t i = 0; i < rows; ++i)
            for (int32_t j = first; j < cols; j += 2) cells[i * cols + j].order = static_cast<uint16_t>(c++);
}

void orderBlocksCheckerType(BlockCell* cells, int32_t cols, int32_t rows, int32_t type) {
    static constexpr int32_t kPasses[3][4][2] = {
        {{0, 0}, {0, 1}, {1, 0}, {1, 1}},
        {{0, 1}, {1, 0}, {0, 0}, {1, 1}},
        {{0, 0}, {1, 0}, {0, 1}, {1, 1}},
    };
    if (type < 0 || type > 2) return;
    int32_t c = 0;
    for (const auto& pass : kPasses[type])
        for (int32_t i = pass[0]; i < rows; i += 2)
            for (int32_t j = pass[1]; j < cols; j += 2) cells[i * cols + j].order = static_cast<uint16_t>(c++);
}

void orderBlocks(BlockCell* cells, int32_t cols, int32_t rows, int32_t pattern) {
    switch (pattern) {
        case 0: orderBlocksRandom(cells, cols, rows); break;
        case 1: orderBlocksSpiral(cells, cols, rows); break;
        case 2: orderBlocksZigzag(cells, cols, rows); break;
        case 3: orderBlocksDiagonal(cells, cols, rows); break;
        case 4: orderBlocksChecker(cells, cols, rows); break;
        case 5: case 6: case 7: orderBlocksCheckerType(cells, cols, rows, pattern - 5); break;
        default: break;
    }
}

// ---- Workers ------------------------------------------------------------------------

namespace {

struct BlockGrid {
    int32_t cols, rows, width, height;
    int32_t count() const { return cols * rows; }
    Rect block(int32_t i, int32_t j) const {
        return {j * width / cols, i * height / rows, (j + 1) * width / cols, (i + 1) * height / rows};
    }
};

struct BlockFrame {
    BlockGrid grid;
    BlockCell* cells;
    const Pixel* a;   // the picture the order leads to
    const Pixel* b;   // the picture the order starts from
    Pixel* canvas;
    int32_t pitch;
    double weight;    // progress, or 1 - progress for variant 1
};

// Pushing needs every place taken exactly once: repeated random numbers would
// move blocks onto each other's places from the first frame on. The draws are
// kept and ranked (ties in row-major order), so the order stays random while the
// first frame is the outgoing picture and the last one place short of home.
void rankRandomOrder(BlockCell* cells, int32_t n) {
    std::vector<int32_t> next(static_cast<size_t>(n) + 1, 0);
    for (int32_t k = 0; k < n; ++k) ++next[cells[k].order + 1u];
    for (int32_t v = 0; v < n; ++v) next[v + 1u] += next[static_cast<size_t>(v)];
    for (int32_t k = 0; k < n; ++k) cells[k].order = static_cast<uint16_t>(next[cells[k].order]++);
}

// The block records, made on the first frame (and again on a later frame if the
// pool had no buffer then) and kept on every frame. Null when the pool has none
// or the grid is unusable: the frame is skipped.
BlockCell* blockCells(EffectParams* t, const BlockGrid& g, int32_t pattern, bool withRects) {
    if (g.cols <= 0 || g.rows <= 0 || g.count() > 65536) return nullptr;
    const bool fresh = t->firstFrame || !t->buffers[0];
    if (fresh) t->buffers[0] = t->acquireBuffer(&t->slots[0]);
    if (!t->buffers[0]) return nullptr;
    t->keepBuffer(t->slots[0]);
    auto* cells = reinterpret_cast<BlockCell*>(t->buffers[0]);
    if (!fresh) return cells;
    t->clearBuffer(t->buffers[0]);
    std::memset(static_cast<void*>(cells), 0, sizeof(BlockCell) * static_cast<size_t>(g.count()));
    orderBlocks(cells, g.cols, g.rows, pattern);
    if (withRects && pattern == 0) rankRandomOrder(cells, g.count());
    if (withRects)
        for (int32_t i = 0; i < g.rows; ++i)
            for (int32_t j = 0; j < g.cols; ++j) {
                const Rect r = g.block(i, j);
                BlockCell& c = cells[cells[i * g.cols + j].order];
                c.left = r.left, c.top = r.top, c.right = r.right, c.bottom = r.bottom;
            }
    return cells;
}

bool blockFrame(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant, bool withRects,
                BlockFrame* f) {
    const Rect& clip = t->rect;
    f->grid = {cols, rows, clip.right - clip.left, clip.bottom - clip.top};
    if (f->grid.width <= 0 || f->grid.height <= 0) return false;
    f->cells = blockCells(t, f->grid, pattern, withRects);
    if (!f->cells) return false;
    const Pixel* outgoing = pixelAt(t->source, t->pitch, clip.left, clip.top);
    const Pixel* incoming = pixelAt(t->source2, t->pitch, clip.left, clip.top);
    f->a = variant ? outgoing : incoming;
    f->b = variant ? incoming : outgoing;
    f->canvas = pixelAt(t->destination, t->pitch, clip.left, clip.top);
    f->pitch = t->pitch;
    f->weight = variant ? 1.0 - static_cast<double>(t->progress) : static_cast<double>(t->progress);
    return true;
}

// Blocks passed by the order: trunc(N x weight), within 0..N.
int32_t ordersPassed(const BlockFrame& f) {
    return std::clamp(truncToInt(f.grid.count() * f.weight), 0, f.grid.count());
}

void copyBlock(const BlockFrame& f, const Pixel* picture, const Rect& r) {
    copyRect(f.canvas, picture, r.left, r.top, r, f.pitch, f.pitch);
}

enum class TurnAxis { X, Y };

// One block turned by theta: black behind it, then its front (picture B) or,
// past edge-on, its back (picture A) as a flat-lit quadrilateral in perspective.
template <TurnAxis Axis>
void drawTurnedBlock(const BlockFrame& f, const Rect& r, float theta, int32_t distance) {
    const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    MeshVertex c[4] = {
        {static_cast<float>(r.left), static_cast<float>(r.top), 0.0f, 0},
        {static_cast<float>(r.right), static_cast<float>(r.top), 0.0f, 0},
        {static_cast<float>(r.right), static_cast<float>(r.bottom), 0.0f, 0},
        {static_cast<float>(r.left), static_cast<float>(r.bottom), 0.0f, 0},
    };
    for (MeshVertex& v : c) {
        if constexpr (Axis == TurnAxis::X)
            rotateAboutCentre1(&v.y, &v.z, theta, cy);
        else
            rotateAboutCentre1B(&v.x, &v.z, theta, cx);
        projectPointAbout(&v.x, &v.y, &v.z, cx, cy, distance);
    }
    MeshVertex n;
    planeNormal(&n, c[0], c[1], c[3]);
    constexpr float kThird = 0.57735026f;   // 1 / sqrt(3)
    const MeshVertex light1{1.0f, 1.0f, 0.0f, 0}, light2{kThird, kThird, kThird, 0};
    const float d1 = dotProduct(n, light1), d2 = dotProduct(n, light2);
    const int32_t diffuse = 255 + truncToInt(256.0f * std::max(0.0f, d1));
    float power = d2;
    for (int k = 0; k < 4; ++k) power *= power;
    const int32_t specular = d2 > 0.0f ? truncToInt(1024.0f * power) : 0;

    fillRect(f.canvas, r, f.pitch, 0);
    const int32_t tex[4][2] = {{r.left * 16, r.top * 16}, {r.right * 16, r.top * 16},
                               {r.right * 16, r.bottom * 16}, {r.left * 16, r.bottom * 16}};
    const Rect clip{0, 0, f.grid.width, f.grid.height};
    const Pixel* picture = f.b;
    int order[4] = {0, 1, 2, 3};
    if (!(theta <= 1.5707964f || theta >= 4.712389f)) {
        // The back: corners reordered so the incoming picture stands upright.
        picture = f.a;
        if constexpr (Axis == TurnAxis::X) {
            order[0] = 3, order[1] = 2, order[2] = 1, order[3] = 0;
            for (MeshVertex& v : c) v.x += 1.0f, v.y += 1.0f;
        } else {
            order[0] = 1, order[1] = 0, order[2] = 3, order[3] = 2;
            for (MeshVertex& v : c) v.x += 1.0f;
        }
    }
    renderMeshCell(f.canvas, &c[order[0]], &c[order[1]], &c[order[2]], &c[order[3]], picture, tex[0], tex[1],
                   tex[2], tex[3], clip, f.pitch, f.pitch, specular, specular, specular, specular, diffuse, diffuse,
                   diffuse, diffuse, kCellModeFlatLit);
}

template <TurnAxis Axis>
void renderBlTurn(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant, int32_t dir) {
    BlockFrame f;
    if (!blockFrame(t, cols, rows, pattern, variant, false, &f)) return;
    const int32_t n = f.grid.count();
    const int64_t threshold = truncToInt(256.0 * n * f.weight);
    clearDepthRect(t->rect, t->pitch);
    const int32_t distance = ((f.grid.width + f.grid.height) * 4) / (cols + rows);
    constexpr float kPi = 3.1415927f, kTwoPi = 6.2831855f;
    const BlockCell* cell = f.cells;
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j, ++cell) {
            const Rect r = f.grid.block(i, j);
            if (r.right <= r.left || r.bottom <= r.top) continue;
            const int64_t start = 256 * static_cast<int64_t>(cell->order);
            if (threshold <= start) {
                copyBlock(f, f.b, r);
                continue;
            }
            // The span left to the block is positive: order numbers stay below N.
            const int64_t span = 256 * static_cast<int64_t>(n) - start;
            float theta = kPi * static_cast<float>(2 * dir - 1) * static_cast<float>(threshold - start) /
                          static_cast<float>(span > 0 ? span : 1);
            while (theta > kTwoPi) theta -= kTwoPi;
            drawTurnedBlock<Axis>(f, r, theta, distance);
        }
}

}  // namespace

void renderBlPlain(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant) {
    BlockFrame f;
    if (!blockFrame(t, cols, rows, pattern, variant, false, &f)) return;
    const int32_t passed = ordersPassed(f);
    const BlockCell* cell = f.cells;
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j, ++cell) copyBlock(f, cell->order < passed ? f.a : f.b, f.grid.block(i, j));
}

void renderBlPush(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant) {
    BlockFrame f;
    if (!blockFrame(t, cols, rows, pattern, variant, true, &f)) return;
    const int32_t n = f.grid.count();
    const int32_t passed = ordersPassed(f);
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j) {
            const int32_t m = f.cells[i * cols + j].order;
            const BlockCell& from = f.cells[(n + m - passed) % n];
            const Rect target = f.grid.block(i, j);
            if (target.right <= target.left || target.bottom <= target.top) continue;
            stretchRectNearest(f.canvas, m - passed < 0 ? f.a : f.b, target,
                               Rect{from.left, from.top, from.right, from.bottom}, f.pitch, f.pitch);
        }
}

void renderBlXRotate(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant, int32_t dir) {
    renderBlTurn<TurnAxis::X>(t, cols, rows, pattern, variant, dir);
}

void renderBlYRotate(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant, int32_t dir) {
    renderBlTurn<TurnAxis::Y>(t, cols, rows, pattern, variant, dir);
}
