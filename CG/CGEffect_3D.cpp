// The title as a lit, textured, depth-tested mesh: round a turning post, up a
// tilted plane, waving as a flag, or hanging on the cloth.
#include <algorithm>
#include <cmath>

#include "CG/CGDraw.h"
#include "CG/CGEffects.h"
#include "render/Camera3D.h"
#include "render/Cloth.h"
#include "render/DepthBuffer.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

struct MeshLight {
    float direction[3];
    int32_t ambient[3];
    float shading;
    int32_t exponent;
};

// The grid textured with the image less its last column and row.
void drawTitleGrid(const TitleView& v, const MeshGrid* grid, int32_t rows, int32_t cols, const MeshLight& light) {
    const Rect clip{0, 0, v.W, v.H};
    clearDepthRect(clip, v.pitch);
    renderTitleMesh(v.dst, v.image, clip, Rect{0, 0, v.iw - 2, v.ih - 2}, v.pitch, v.iw, grid, rows, cols,
                    light.direction, 0, light.ambient, light.shading, light.exponent);
}

// The mesh renderers convert screen coordinates to integers: keep them finite
// and within reach of the frame.
bool gridUsable(const MeshGrid* grid, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        if (!std::isfinite(grid[i].x) || !std::isfinite(grid[i].y) || !std::isfinite(grid[i].z) ||
            std::fabs(grid[i].x) > 1e6f || std::fabs(grid[i].y) > 1e6f || std::fabs(grid[i].z) > 1e6f)
            return false;
    return true;
}

// Four-point subdivision of a line of n points (stride apart) into 2n - 1.
void subdivide(const MeshVertex* in, int32_t n, int32_t inStride, MeshVertex* out, int32_t outStride) {
    auto at = [&](int32_t j) -> const MeshVertex& { return in[std::clamp(j, 0, n - 1) * inStride]; };
    for (int32_t j = 0; j < n; ++j) {
        out[2 * j * outStride] = at(j);
        if (j == n - 1) break;
        MeshVertex& m = out[(2 * j + 1) * outStride];
        const MeshVertex &a = at(j - 1), &b = at(j), &c = at(j + 1), &d = at(j + 2);
        m.x = 0.62f * (b.x + c.x) - 0.12f * (a.x + d.x);
        m.y = 0.62f * (b.y + c.y) - 0.12f * (a.y + d.y);
        m.z = 0.62f * (b.z + c.z) - 0.12f * (a.z + d.z);
        m.w = 0;
    }
}

Cloth& titleCloth() {
    static Cloth cloth;
    return cloth;
}

}  // namespace

void drawTitle3DPost(EffectParams* params, float degreesPerMs) {
    TitleView v;
    if (!titleView(params, &v) || v.iw < 3 || v.ih < 3) return;
    const int32_t degrees = static_cast<int32_t>(titleElapsed(params) * degreesPerMs);
    const int32_t A = degrees * 65536 / 360;
    const int32_t w = v.iw - 2, h = v.ih - 2;
    const int32_t R = std::min(6 * w, 6000);
    MeshVertex grid[33 * 33];
    for (int32_t r = 0; r <= 32; ++r) {
        const int32_t y0 = r * h * 16 / 32 - (h / 2) * 16;
        for (int32_t c = 0; c <= 32; ++c) {
            int32_t x = R, y = y0, z = 0;
            rotateYFixed(&x, &z, -32768 + 1024 * c);
            transformPointFixed(&x, &y, &z, 0, A, 0, (w / 2) * 16, (h / 2) * 16, 1920, 6400);
            grid[r * 33 + c] = MeshVertex{static_cast<float>(x / 16 + v.L), static_cast<float>(y / 16 + v.T),
                                          static_cast<float>(z / 16), 0};
        }
    }
    drawTitleGrid(v, grid, 33, 33, MeshLight{{0.5f, 0.0f, 0.5f}, {64, 64, 64}, 4.0f, 6});
}

void drawTitle3DScrollUp(EffectParams* params, int32_t speed) {
    TitleView v;
    if (!titleView(params, &v) || v.iw < 3 || v.ih < 3) return;
    const float s = static_cast<float>(static_cast<double>(params->duration) * speed * params->progress * 0.005);
    const float tilt = std::atan2(500.0f, static_cast<float>(v.H));
    MeshVertex grid[33 * 33];
    for (int32_t r = 0; r <= 32; ++r) {
        const float y0 = static_cast<float>(r) * v.ih / 32 + v.H - s;
        for (int32_t c = 0; c <= 32; ++c) {
            float x = static_cast<float>(c) * v.iw / 32, y = y0, z = 0;
            rotateAboutCentre1(&y, &z, tilt, v.H);
            x -= v.iw / 2;
            y -= v.H / 2;
            projectPoint(&x, &y, &z, 200);
            x += v.W / 2;
            y += v.H / 2;
            grid[r * 33 + c] = MeshVertex{x, y, z, 0};
        }
    }
    if (!gridUsable(grid, 33 * 33)) return;
    drawTitleGrid(v, grid, 33, 33, MeshLight{{0.2f, 0.2f, 0.2f}, {128, 128, 128}, 0.0f, 0});
}

void drawTitle3DFlag(EffectParams* params) {
    TitleView v;
    if (!titleView(params, &v) || v.iw < 3 || v.ih < 3) return;
    const int32_t k = ++params->frameCounter;
    const uint32_t uk = static_cast<uint32_t>(k);
    const int16_t tx = static_cast<int16_t>((SineTable[(24 * uk) % 8192] * 30) >> 8);
    const int16_t ty = static_cast<int16_t>((SineTable[((337 * uk) % 65536) / 8] * 30) >> 8);
    const float ax = tx * 0.0000958738f, ay = ty * 0.0000958738f;
    MeshVertex grid[16 * 32];
    for (int32_t r = 0; r < 16; ++r) {
        const float y0 = r * v.ih * 0.06666667f - v.ih / 2;
        for (int32_t c = 0; c < 32; ++c) {
            float x = c * v.iw * 0.032258064f - v.iw / 2, y = y0;
            float z = 16 * std::sin(static_cast<float>(c - k) * 0.2857143f);
            transformPoint(&x, &y, &z, ax, ay, 0, v.cx, v.cy, 0, 400);
            grid[r * 32 + c] = MeshVertex{x, y, z, 0};
        }
    }
    if (!gridUsable(grid, 16 * 32)) return;
    drawTitleGrid(v, grid, 16, 32, MeshLight{{1.0f, 0.0f, 1.0f}, {128, 128, 128}, 2.0f, 5});
}

void drawTitle3DFlag2(EffectParams* params) {
    TitleView v;
    if (!titleView(params, &v) || v.iw < 3 || v.ih < 3) return;
    Cloth& cloth = titleCloth();
    setViewport(v.L, v.T, v.Rt, v.B);
    const double t = titleElapsed(params);
    auto windAt = [](double ms) { return static_cast<float>(50 * std::cos(0.21 * ms) + 200 * std::cos(0.31 * ms) + 250); };
    if (params->firstFrame || !clothIsFinite(cloth)) {
        initClothMesh(cloth);
        // A new title's first steps blow with its own wind, not the last title's.
        setClothWindStrength(cloth, windAt(t));
    }
    for (int i = 0; i < 10; ++i) stepCloth(cloth, 0.016f);
    // A cloth that has blown up starts again from rest rather than feed the renderer NaNs.
    if (!clothIsFinite(cloth)) initClothMesh(cloth);
    setClothWindStrength(cloth, windAt(t));   // for the next frame

    MeshVertex nodes[kClothRows * kClothCols];
    for (int32_t i = 0; i < kClothNodes; ++i) {
        const float* p = cloth.nodes[i].position;
        nodes[i] = MeshVertex{p[0] * v.iw * 0.01f, p[1] * v.ih * -0.013333334f, p[2], 0};
    }
    constexpr int32_t kRows = 2 * kClothRows - 1, kCols = 2 * kClothCols - 1;   // 15 x 21
    MeshVertex wide[kClothRows * kCols];
    for (int32_t r = 0; r < kClothRows; ++r) subdivide(nodes + r * kClothCols, kClothCols, 1, wide + r * kCols, 1);
    MeshVertex grid[kRows * kCols];
    for (int32_t c = 0; c < kCols; ++c) subdivide(wide + c, kClothRows, kCols, grid + c, kCols);

    // The camera is shared with the other families' meshes: set it up every frame.
    resetTransforms();
    setViewport(v.L, v.T, v.Rt, v.B);
    setProjection(120, 0, 200, 0);
    selectMatrix(1);
    loadIdentity();
    selectMatrix(2);
    loadIdentity();
    lookAt(0, 0, 1, 0, 0, 0, 0, 1, 0);
    transformGrid(grid, kRows, kCols);
    if (!gridUsable(grid, kRows * kCols)) return;
    drawTitleGrid(v, grid, kRows, kCols, MeshLight{{0.8f, 0.2f, 0.2f}, {128, 128, 128}, 1.0f, 4});
}
