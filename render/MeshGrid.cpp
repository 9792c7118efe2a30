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

void drawTexturedTriangle(const TexturedTriangle& tri) {
    struct Corner {
        int32_t x, y, u, v;
    } c[3] = {{tri.p0[0], tri.p0[1], tri.t0[0], tri.t0[1]},
              {tri.p1[0], tri.p1[1], tri.t1[0], tri.t1[1]},
              {tri.p2[0], tri.p2[1], tri.t2[0], tri.t2[1]}};
    const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (const auto& p : pairs)
        if (c[p[1]].y < c[p[0]].y) std::swap(c[p[0]], c[p[1]]);
    const Corner &top = c[0], &mid = c[1], &bottom = c[2];
    const bool midLeft = windingTestB(&mid.x, &mid.y, &top.x, &top.y, &bottom.x, &bottom.y) == 1;

    constexpr int kFrac = 20;
    constexpr int64_t kOne = int64_t{1} << kFrac;
    // x, u, v of an edge at row y, 20 fraction bits, the divisor reduced by one.
    auto along = [&](const Corner& a, const Corner& b, int32_t y, int64_t out[3]) {
        const int64_t span = int64_t{b.y} - a.y - 1;
        const int64_t factor = span > 0 ? kOne / span : kOne;
        const int64_t k = int64_t{y} - a.y;
        out[0] = a.x + (((k * (int64_t{b.x} - a.x)) * factor) >> kFrac);
        out[1] = a.u + (((k * (int64_t{b.u} - a.u)) * factor) >> kFrac);
        out[2] = a.v + (((k * (int64_t{b.v} - a.v)) * factor) >> kFrac);
    };
    const Rect& clip = tri.clip;
    auto band = [&](const Corner& s0, const Corner& s1, int32_t yFrom, int32_t yTo) {
        for (int32_t y = std::max(yFrom, clip.top); y < std::min(yTo, clip.bottom); ++y) {
            int64_t e[3], l[3];
            along(s0, s1, y, e);
            along(top, bottom, y, l);
            const int64_t* left = midLeft ? e : l;
            const int64_t* right = midLeft ? l : e;
            const int64_t xl = left[0], xr = right[0];
            if (xr <= xl) continue;
            const int64_t factor = xr - xl - 1 > 0 ? kOne / (xr - xl - 1) : kOne;
            const int64_t du = (right[1] - left[1]) * factor, dv = (right[2] - left[2]) * factor;
            Pixel* out = tri.dst + static_cast<intptr_t>(y) * tri.dstPitch;
            for (int64_t x = std::max<int64_t>(xl, clip.left); x < std::min<int64_t>(xr, clip.right); ++x) {
                const int64_t u = left[1] + (((x - xl) * du) >> kFrac);
                const int64_t v = left[2] + (((x - xl) * dv) >> kFrac);
                if (v >= clip.top && v < clip.bottom && u >= clip.left && u < clip.right)
                    out[x] = tri.texture[v * tri.texturePitch + u];
            }
        }
    };
    band(top, mid, top.y, mid.y);
    band(mid, bottom, mid.y, bottom.y);
}
