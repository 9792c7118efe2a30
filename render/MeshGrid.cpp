#include "render/MeshGrid.h"

#include <algorithm>
#include <utility>

#include "render/MeshGeometry.h"
#include "render/RandomGeometry.h"

namespace {

// PH / (rows - 1) in floating point; 0 for a single row, which then sits at -PH / 2.
double gridStep(int32_t size, int32_t count) { return count >= 2 ? static_cast<double>(size) / (count - 1) : 0.0; }

float gridCoordinate(float s, double step, int32_t index, int32_t size) {
    return static_cast<float>(s * (step * index - size / 2));
}

}  // namespace

void buildPlaneGrid(MeshGrid* grid, int32_t cols, int32_t rows, float s, float ax, float ay, float az, int32_t sx,
                    int32_t sy, int32_t dz, int32_t d, int32_t planeWidth, int32_t planeHeight) {
    const double stepY = gridStep(planeHeight, rows), stepX = gridStep(planeWidth, cols);
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j) {
            MeshVertex& v = grid[i * cols + j];
            v.y = gridCoordinate(s, stepY, i, planeHeight);
            v.x = gridCoordinate(s, stepX, j, planeWidth);
            v.z = 0.0f;
            transformPoint(&v.x, &v.y, &v.z, ax, ay, az, sx, sy, dz, d);
        }
}

void buildCylinderGrid(MeshGrid* grid, int32_t cols, int32_t rows, float s, float ax, float ay, float az,
                       int32_t sx, int32_t sy, int32_t dz, int32_t d, int32_t, int32_t planeHeight) {
    const double stepY = gridStep(planeHeight, rows);
    const float turn = cols >= 2 ? 6.2831855f / static_cast<float>(cols - 1) : 0.0f;
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j) {
            MeshVertex& v = grid[i * cols + j];
            v.x = 0.0f;
            v.y = gridCoordinate(s, stepY, i, planeHeight);
            v.z = s * 180.0f;
            rotateY(&v.x, &v.z, static_cast<float>(j) * turn);
            transformPoint(&v.x, &v.y, &v.z, ax, ay, az, sx, sy, dz, d);
        }
}

void lerpGrid(MeshGrid* out, const MeshGrid* a, const MeshGrid* b, int32_t cols, int32_t rows, float t) {
    if (cols <= 0 || rows <= 0) return;
    const int64_t count = int64_t{cols} * rows;
    for (int64_t i = 0; i < count; ++i) {
        out[i].x = static_cast<float>(a[i].x + static_cast<double>(t) * (static_cast<double>(b[i].x) - a[i].x));
        out[i].y = static_cast<float>(a[i].y + static_cast<double>(t) * (static_cast<double>(b[i].y) - a[i].y));
        out[i].z = static_cast<float>(a[i].z + static_cast<double>(t) * (static_cast<double>(b[i].z) - a[i].z));
    }
}

namespace {

struct Corner {
    int32_t x, y, u, v;
};

// t / steps as a fixed-point reciprocal of `steps`, for the deltas up to `reach`.
// 20 fraction bits keep the result within a step of the exact one while
// steps x reach stays within 2^20 (spans and edges of up to about 1,024
// pixels); longer ones take 32, or the picture inside them slips by a pixel.
struct Reciprocal {
    int bits;
    int64_t factor;
    Reciprocal(int64_t steps, int64_t reach) {
        bits = steps * reach > (int64_t{1} << 20) ? 32 : 20;
        factor = steps > 0 ? (int64_t{1} << bits) / steps : int64_t{1} << bits;
    }
    int64_t times(int64_t t) const { return (t * factor) >> bits; }
};

int64_t largest(int64_t a, int64_t b, int64_t c) { return std::max({a < 0 ? -a : a, b < 0 ? -b : b, c < 0 ? -c : c}); }

// Walks the rows of the triangle a, b, c within the clip's rows; per row calls
// span(y, left, right) with x, u and v of the left and right edges.
template <class Span>
void walkTriangle(Corner a, Corner b, Corner c, const Rect& clip, Span&& span) {
    Corner k[3] = {a, b, c};
    const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (const auto& p : pairs)
        if (k[p[1]].y < k[p[0]].y) std::swap(k[p[0]], k[p[1]]);
    const Corner &top = k[0], &mid = k[1], &bottom = k[2];
    const bool midLeft = windingTestB(&mid.x, &mid.y, &top.x, &top.y, &bottom.x, &bottom.y) == 1;

    // x, u, v of an edge at row y, 20 fraction bits, the divisor reduced by one.
    auto along = [&](const Corner& e0, const Corner& e1, int32_t y, int64_t out[3]) {
        const int64_t dx = int64_t{e1.x} - e0.x, du = int64_t{e1.u} - e0.u, dv = int64_t{e1.v} - e0.v;
        const Reciprocal r(int64_t{e1.y} - e0.y - 1, largest(dx, du, dv));
        const int64_t n = int64_t{y} - e0.y;
        out[0] = e0.x + r.times(n * dx);
        out[1] = e0.u + r.times(n * du);
        out[2] = e0.v + r.times(n * dv);
    };
    auto band = [&](const Corner& s0, const Corner& s1, int32_t yFrom, int32_t yTo) {
        for (int32_t y = std::max(yFrom, clip.top); y < std::min(yTo, clip.bottom); ++y) {
            int64_t e[3], l[3];
            along(s0, s1, y, e);
            along(top, bottom, y, l);
            span(y, midLeft ? e : l, midLeft ? l : e);
        }
    };
    band(top, mid, top.y, mid.y);
    band(mid, bottom, mid.y, bottom.y);
}

}  // namespace

void drawTexturedTriangle(const TexturedTriangle& tri) {
    const Rect& clip = tri.clip;
    walkTriangle(Corner{tri.p0[0], tri.p0[1], tri.t0[0], tri.t0[1]}, Corner{tri.p1[0], tri.p1[1], tri.t1[0], tri.t1[1]},
                 Corner{tri.p2[0], tri.p2[1], tri.t2[0], tri.t2[1]}, clip,
                 [&](int32_t y, const int64_t* left, const int64_t* right) {
                     const int64_t xl = left[0], xr = right[0];
                     if (xr <= xl) return;
                     const int64_t du = right[1] - left[1], dv = right[2] - left[2];
                     const Reciprocal r(xr - xl - 1, largest(du, dv, 0));
                     const int64_t su = du * r.factor, sv = dv * r.factor;
                     Pixel* out = tri.dst + static_cast<intptr_t>(y) * tri.dstPitch;
                     for (int64_t x = std::max<int64_t>(xl, clip.left); x < std::min<int64_t>(xr, clip.right); ++x) {
                         const int64_t u = left[1] + (((x - xl) * su) >> r.bits);
                         const int64_t v = left[2] + (((x - xl) * sv) >> r.bits);
                         if (v >= clip.top && v < clip.bottom && u >= clip.left && u < clip.right)
                             out[x] = tri.texture[v * tri.texturePitch + u];
                     }
                 });
}

void copyTriangleInPlace(Pixel* dst, const Rect& clip, int32_t pitch, const int32_t* p0, const int32_t* p1,
                         const int32_t* p2, const Pixel* picture) {
    walkTriangle(Corner{p0[0], p0[1], 0, 0}, Corner{p1[0], p1[1], 0, 0}, Corner{p2[0], p2[1], 0, 0}, clip,
                 [&](int32_t y, const int64_t* left, const int64_t* right) {
                     const int64_t from = std::max<int64_t>(left[0], clip.left);
                     const int64_t to = std::min<int64_t>(right[0], clip.right);
                     if (to <= from) return;
                     const intptr_t row = static_cast<intptr_t>(y) * pitch;
                     std::copy(picture + row + from, picture + row + to, dst + row + from);
                 });
}
