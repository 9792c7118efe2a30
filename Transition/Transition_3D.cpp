// 3D transitions drawn as one textured mesh a frame (or a few): balls, rolls
// and curls, curtains and waves, page turns and the tube. Every worker
// rebuilds its grid from the progress alone; only the name slab keeps state
// (its banner). The tile explosions and blinds are in Transition_3DTiles.cpp.
#include "Transition/Transition_3D.h"

#include <algorithm>
#include <cmath>

#include "Transition/Transition_3DScene.h"
#include "render/Blits.h"
#include "render/CrtRandom.h"
#include "render/MeshGrid.h"
#include "render/RandomGeometry.h"

using namespace threed;

namespace {

constexpr int kN = 33;   // vertices per side of the sheet grids

struct Light {
    float dir[3];
    int32_t ambient[3];
    float specular;
    int32_t power;
};

void drawGrid(const Scene& s, const Pixel* texture, const Rect& clip, const Rect& texRect, const MeshGrid* grid,
              int32_t rows, int32_t cols, const Light& light) {
    renderMeshGrid(s.dst, texture, clip, texRect, s.pitch, s.pitch, grid, rows, cols, light.dir, 0, light.ambient,
                   light.specular, light.power);
}
void drawGrid(const Scene& s, const Pixel* texture, const MeshGrid* grid, const Light& light) {
    drawGrid(s, texture, s.clip, s.clip, grid, kN, kN, light);
}

void storeFixed(MeshVertex& v, int32_t x, int32_t y, int32_t z, float bias) {
    v.x = x / 64.0f + bias;
    v.y = y / 64.0f + bias;
    v.z = z / 64.0f + bias;
}

// The sheet cut from the roll line X0 onto a cylinder of radius r (axis along
// y at x = X0, z = -r); limit > 0 caps the turn.
void curlPoint(float* x, float* y, float* z, float x0, float r, float limit) {
    if (*x >= x0) return;
    float theta = (x0 - *x) / r;
    if (limit > 0 && theta > limit) theta = limit;
    float px = 0, pz = r;
    rotateY(&px, &pz, theta);
    *x = px + x0;
    *z = pz - r;
    (void)y;
}

void rollOrPage(EffectParams* t, int32_t dir, float angle, float radius, float limit, const Light& light) {
    const Scene s = sceneOf(t);
    const auto [background, sheet] = rolesOf(s, dir);
    copyWhole(s, background);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    const float r = radius * static_cast<float>(s.w + s.h) * 0.00089285715f;
    const int32_t j = stageOf(t, dir, 4096.0f);
    const float diag = std::sqrt(static_cast<float>(s.w) * s.w + static_cast<float>(s.h) * s.h);
    const float x0 = (diag + r) * j / 4096.0f - diag / 2;
    const int32_t cx = s.w / 2, cy = s.h / 2;
    MeshVertex grid[kN * kN];
    for (int i = 0; i < kN; ++i)
        for (int k = 0; k < kN; ++k) {
            float x = k * (s.w * 0.03125f) - cx, y = i * (s.h * 0.03125f) - cy, z = 0;
            rotateZ(&x, &y, angle - kPi);
            curlPoint(&x, &y, &z, x0, r, limit);
            rotateZ(&x, &y, kPi - angle);
            transformPoint(&x, &y, &z, 0, 0, 0, cx, cy, 0, 1000);
            grid[i * kN + k] = {x, y, z, 0};
        }
    drawGrid(s, sheet, grid, light);
}

}  // namespace

void render3dBall(EffectParams* t, int32_t angleDeg, int32_t dir) {
    const Scene s = sceneOf(t);
    const int32_t stage = stageOf(t, dir, 1024.0f);
    const auto [background, ball] = rolesOf(s, dir);
    copyScaled(s, background, stage / 4);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    const int32_t g = sizeUnit(s), d = g * 25600 / 256, rb = std::min(s.w, s.h) * 16;
    const int32_t cx = s.w / 2, cy = s.h / 2;
    const int32_t a = (angleDeg * 65536 - 180 * 65536) / 360;
    const int32_t a2 = (a >> 3) & 8191;
    const int32_t lift = stage - 256;
    const int32_t bx = cx * 64 + ((lift * ((g * CosineTable[a2]) / 256)) / 8192) * 16;
    const int32_t by = cy * 64 + ((lift * ((g * SineTable[a2]) / 256)) / 8192) * 16;
    const int32_t dz = g * lift * -330 / 4096, spin = lift * 128;
    MeshVertex grid[kN * kN];
    for (int i = 0; i < kN; ++i) {
        const int32_t lat = (i * 3000 / 33 - 1500) & 8191;
        for (int k = 0; k < kN; ++k) {
            int32_t x = (rb * CosineTable[lat]) >> 15, y = (rb * SineTable[lat]) >> 15, z = 0;
            rotateYFixed(&x, &z, k * 2048 + 16384);
            MeshVertex& v = grid[i * kN + k];
            if (stage < 256) {
                const int32_t fx = (k * s.w * 64) / 32 - (s.w / 2) * 64, fy = (i * s.h * 64) / 32 - (s.h / 2) * 64;
                x = fx + stage * (x - fx) / 256;
                y = fy + stage * (y - fy) / 256;
                z = stage * z / 256;
                transformPointFixed(&x, &y, &z, 0, 0, 0, cx * 64, cy * 64, 0, d);
                storeFixed(v, x, y, z, 0.5f);
            } else {
                rotateXFixed(&x, &y, a);
                rotateYFixed(&x, &z, spin);
                rotateXFixed(&x, &y, -a);
                translatePointFixed(&x, &y, &z, 0, 0, dz);
                projectPointFixed(&x, &y, &z, d);
                translatePointFixed(&x, &y, &z, bx, by, 0);
                storeFixed(v, x, y, z, 0);
            }
        }
    }
    drawGrid(s, ball, grid, {{0.5f, 0.5f, 0.5f}, {80, 80, 80}, 2.0f, 6});
}

void render3dBall2(EffectParams* t, int32_t dir) {
    const Scene s = sceneOf(t);
    const int32_t m = truncToInt((dir == 0 ? t->progress : 1.0f - t->progress) * 1024.0f);
    const auto [background, ball] = rolesOf(s, dir);
    copyWhole(s, background);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    const int32_t rb = std::min(s.w, s.h) * 25, cx = s.w / 2, cy = s.h / 2;
    const int32_t flat = 1024 - m;
    MeshVertex grid[kN * kN];
    for (int i = 0; i < kN; ++i) {
        const int32_t lat = (((i * 32768) / 33 - 16384) >> 3) & 8191;
        for (int k = 0; k < kN; ++k) {
            int32_t x = (rb * CosineTable[lat]) >> 15, y = (rb * SineTable[lat]) >> 15, z = 0;
            if (m < 512) {
                rotateYFixed(&x, &z, ((k * 32768 / 32) * m) / 512 + 32768);
            } else {
                rotateYFixed(&x, &z, k * 1024 + 32768);
                const int32_t fx = (k * s.w * 64) / 32 - (s.w / 2) * 64, fy = (i * s.h * 64) / 32 - (s.h / 2) * 64;
                x = fx + flat * (x - fx) / 512;
                y = fy + flat * (y - fy) / 512;
                z = flat * z / 512;
            }
            transformPointFixed(&x, &y, &z, 0, 0, 0, cx * 64, cy * 64, 0, 25600);
            storeFixed(grid[i * kN + k], x, y, z, 0);
        }
    }
    drawGrid(s, ball, grid, {{0.5f, 0.5f, 0.5f}, {80, 80, 80}, 2.0f, 6});
}

void render3dRoll(EffectParams* t, int32_t dir, float angle, float radius) {
    rollOrPage(t, dir, angle, radius, 4.712389f, {{-1.0f, -1.0f, 0}, {150, 150, 150}, 2.0f, 4});
}

void render3dPage(EffectParams* t, int32_t dir, float angle, float radius) {
    rollOrPage(t, dir, angle, radius, 0, {{1.0f, 1.0f, 0}, {150, 150, 150}, 2.0f, 4});
}

void render3dCurtain(EffectParams* t, int32_t dir, int32_t ripple) {
    const Scene s = sceneOf(t);
    const int32_t a = stageOf(t, dir, 4096.0f);
    const auto [background, cloth] = rolesOf(s, dir);
    copyWhole(s, background);
    if (s.empty()) return;
    const int32_t gather = SqrtTable[4096 - a] >> 10;
    clearDepthRect(s.clip, s.pitch);
    const int32_t step = ripple * 32768 / std::max(sizeUnit(s), 1);
    const int32_t half = s.w / 2, quarter = s.w / 4;
    const Light light{{0.4f, 0.4f, 0.4f}, {50, 50, 50}, 0.2f, 1};
    MeshVertex left[kN * kN], right[kN * kN];
    for (int i = 0; i < kN; ++i) {
        const int32_t fold = std::max(gather * (half - i * i * half / 512) / 64, 1);
        const int32_t y = (i * 2 * (s.h / 2)) / 32 - s.h / 2;
        for (int k = 0; k < kN; ++k) {
            // 64 bits: the deepest ripple reaches 2^32 before the shift.
            const int32_t z = static_cast<int32_t>(
                (static_cast<int64_t>(SineTable[((k * step) >> 3) & 8191]) * i * a) >> 26);
            int32_t xf = (k * half) / 32;
            const int32_t xl = xf + (((k * fold) / 32 - xf) * a) / 4096 - quarter;
            xf -= quarter;
            const int32_t target = (k * fold) / 32 + quarter - fold;
            const int32_t xr = xf + (a * (target - xf)) / 4096;
            float lx = static_cast<float>(xl), ly = static_cast<float>(y), lz = static_cast<float>(z);
            transformPoint(&lx, &ly, &lz, 0, 0, 0, quarter, s.h / 2, 0, 500);
            left[i * kN + k] = {lx, ly, lz, 0};
            float rx = static_cast<float>(xr), ry = static_cast<float>(y), rz = static_cast<float>(z);
            transformPoint(&rx, &ry, &rz, 0, 0, 0, s.w * 3 / 4, s.h / 2, 0, 500);
            right[i * kN + k] = {rx, ry, rz, 0};
        }
    }
    drawGrid(s, cloth, s.clip, Rect{0, 0, half, s.h}, left, kN, kN, light);
    drawGrid(s, cloth, s.clip, Rect{half, 0, s.w, s.h}, right, kN, kN, light);
}

void render3dWave(EffectParams* t, int32_t dir) {
    const Scene s = sceneOf(t);
    const int32_t stage = stageOf(t, dir, 4096.0f);
    const auto [background, sheet] = rolesOf(s, dir);
    if (!s.empty()) clearDepthRect(s.clip, s.pitch);
    copyWhole(s, background);
    if (s.empty()) return;
    const int32_t g = sizeUnit(s), d = g * 500 / 256, amp = g * 2;
    const int32_t shift = stage > 1023 ? ((stage - 1024) * s.w) >> 14 : 0;
    MeshVertex waved[kN * kN], grid[kN * kN];
    for (int i = 0; i < kN; ++i)
        for (int k = 0; k < kN; ++k) {
            float x = static_cast<float>(shift * 90 / 4 + (k * s.w) / 32), y = static_cast<float>((i * s.h) / 32);
            float z = static_cast<float>((SineTable[(512 * (shift + k)) & 8191] * amp) >> 19);
            rotateY(&x, &z, 0.785398f);
            translatePoint(&x, &y, &z, -(s.w / 2), -(s.h / 2), 0);
            projectPoint(&x, &y, &z, d);
            translatePoint(&x, &y, &z, s.w / 2, s.h / 2, 0);
            waved[i * kN + k] = {x, y, z, 0};
            grid[i * kN + k] = {static_cast<float>((k * s.w) / 32), static_cast<float>((i * s.h) / 32), 0, 0};
        }
    if (stage > 1023)
        std::copy(waved, waved + kN * kN, grid);
    else
        lerpGrid(grid, grid, waved, kN, kN, stage * 0.0009765625f);
    drawGrid(s, sheet, grid, {{-0.5f, 0.5f, 0}, {100, 100, 100}, 2.0f, 4});
}

namespace {

// The banner on the slab's edges: colour waves from one random start value
// and the maker's name.
void paintBanner(Pixel* banner, int32_t pitch, int32_t w, int32_t rows, int32_t g) {
    uint32_t c = static_cast<uint32_t>(crtRand()) * static_cast<uint32_t>(crtRand());
    auto wave = [](uint32_t v, const int32_t* table) {
        const int32_t index = (static_cast<int32_t>(v) / 1024) & 8191;
        return static_cast<uint32_t>(((table[index] >> 8) + 128) & 255);
    };
    // One column and row more than the banner: the smooth sampler reads them.
    for (int32_t y = 0; y <= rows; ++y, c += static_cast<uint32_t>(w)) {
        Pixel* row = banner + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x <= w; ++x) {
            const uint32_t ux = static_cast<uint32_t>(x);
            row[x] = (wave(c * 42 + 42 * ux, SineTable) << 16) | (wave(c * 53 + 53 * ux, CosineTable) << 8) |
                     wave(c * 65 + 65 * ux, SineTable);
        }
    }
    drawTextToBuffer(banner, Rect{0, 0, w, rows}, pitch, "Vantrelle", 0xFFFFFF, g / 2, g / 128, g * 14 / 32,
                     "Times New Roman");
}

}  // namespace

void render3dNameSlab(EffectParams* t, int32_t dir, float tiltY, float tiltZ) {
    const Scene s = sceneOf(t);
    const int32_t g = sizeUnit(s), bannerRows = s.h / 4;
    // Without a scratch buffer the slab is drawn without its banner edges.
    Pixel* banner = keptBuffer(t, 0, [&](Pixel* b) { paintBanner(b, s.pitch, s.w, bannerRows, g); });
    const float c = dir == 1 ? t->progress : 1.0f - t->progress;
    const int32_t d = truncToInt(c * 4096.0f);
    const auto [background, slab] = rolesOf(s, dir);
    copyWhole(s, background);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    float ax, ay, az;
    int32_t sx, sy, dz;
    if (d < 2048) {
        ax = d * 2 * 0.00031415926f;
        ay = tiltY * d * 0.0003834952f;
        az = tiltZ * d * 0.0000958738f;
        sx = s.w / 2 - 1;
        sy = s.h / 2 - d / 16 - 1;
        dz = d / 8;
    } else {
        ax = 1.2867963f;
        ay = tiltY * 0.7853982f;
        az = tiltZ * 0.19634955f;
        sx = s.w / 2;
        sy = s.h / 2 - 128;
        dz = d - 1792;
    }
    auto place = [&](MeshVertex& v, float x, float y, float z) {
        transformPoint(&x, &y, &z, ax, ay, az, sx, sy, dz, 500);
        v = {x, y, z, 0};
    };
    const Light light{{-0.8f, 0.8f, 0.8f}, {32, 32, 32}, 1.0f, 4};
    const float colStep = s.w * 0.03125f, rowStep = s.h * 0.03125f;
    const int32_t hw = s.w / 2, hh = s.h / 2;
    MeshVertex grid[kN * kN];
    for (int i = 0; i < kN; ++i)
        for (int k = 0; k < kN; ++k) place(grid[i * kN + k], k * colStep - hw, i * rowStep - hh, 0);
    drawGrid(s, slab, grid, light);
    if (!banner || bannerRows < 1) return;
    const Rect bannerRect{0, 0, s.w, bannerRows};
    const float depth = static_cast<float>(s.h / 4);
    MeshVertex edge[2 * kN];
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < kN; ++k) place(edge[f * kN + k], k * colStep - hw, static_cast<float>(hh), f * depth);
    drawGrid(s, banner, s.clip, bannerRect, edge, 2, kN, light);
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < kN; ++k) place(edge[f * kN + k], static_cast<float>(-hw), k * rowStep - hh, f * depth);
    drawGrid(s, banner, s.clip, bannerRect, edge, 2, kN, light);
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < kN; ++k) place(edge[f * kN + k], static_cast<float>(hw), hh - k * rowStep, f * depth);
    drawGrid(s, banner, s.clip, bannerRect, edge, 2, kN, light);
}

void render3dPageSide(EffectParams* t, int32_t dir) {
    const Scene s = sceneOf(t);
    const int32_t p = truncToInt((dir == 0 ? t->progress : 1.0f - t->progress) * 4096.0f);
    const auto [leftPicture, rightPicture] = rolesOf(s, dir);
    const int32_t half = s.w / 2;
    copyRect(s.dst, leftPicture, 0, 0, Rect{0, 0, half, s.h}, s.pitch, s.pitch);
    copyRect(s.dst, rightPicture, half, 0, Rect{half, 0, s.w, s.h}, s.pitch, s.pitch);
    if (s.empty()) return;
    const bool falling = p >= 2048;
    const Pixel* page = falling ? (dir == 0 ? s.in : s.out) : (dir == 0 ? s.out : s.in);
    const Rect pageRect = falling ? Rect{0, 0, half, s.h} : Rect{half, 0, s.w, s.h};
    clearDepthRect(s.clip, s.pitch);
    const float angle = falling ? (4096 - p) * 0.0007669904f : -p * 0.0007669904f;
    MeshVertex grid[4];
    for (int j = 0; j < 2; ++j)
        for (int q = 0; q < 2; ++q) {
            float x = static_cast<float>(falling ? q * half - half : q * half);
            float y = static_cast<float>(j * s.h - s.h / 2), z = 0;
            rotateY(&x, &z, angle);
            transformPoint(&x, &y, &z, 0, 0, 0, half, s.h / 2, 0, 2600);
            grid[j * 2 + q] = {x, y, z, 0};
        }
    drawGrid(s, page, pageRect, pageRect, grid, 2, 2, {{1.0f, 1.0f, 0}, {138, 138, 138}, 0.5f, 2});
}

void render3dPage4(EffectParams* t, int32_t dir, float radius) {
    const Scene s = sceneOf(t);
    const auto [background, sheet] = rolesOf(s, dir);
    copyWhole(s, background);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    const float half = std::sqrt(static_cast<float>(s.w) * s.w + static_cast<float>(s.h) * s.h) * 0.5f;
    const float v = (dir == 0 ? 1.0f - t->progress : t->progress) * (half + radius);
    const float x0 = v - half * 0.5f;
    const int32_t qw = s.w / 4, qh = s.h / 4, hw = s.w / 2, hh = s.h / 2;
    struct Quarter {
        float alpha;
        int32_t cx, cy;
        Rect texture;
    };
    const Quarter quarters[4] = {
        {2.3746023f, qw, qh, {0, 0, hw, hh}},
        {0.76699042f, 3 * qw, qh, {hw, 0, s.w, hh}},
        {5.5161953f, 3 * qw, 3 * qh, {hw, hh, s.w, s.h}},
        {3.9085832f, qw, 3 * qh, {0, hh, hw, s.h}},
    };
    MeshVertex grid[kN * kN];
    for (const Quarter& q : quarters) {
        for (int i = 0; i < kN; ++i)
            for (int k = 0; k < kN; ++k) {
                float x = (k * hw) * 0.03125f - qw, y = (i * hh) * 0.03125f - qh, z = 0;
                rotateZ(&x, &y, -q.alpha);
                curlPoint(&x, &y, &z, x0, radius, 0);
                rotateZ(&x, &y, q.alpha);
                transformPoint(&x, &y, &z, 0, 0, 0, q.cx, q.cy, 0, 1000);
                grid[i * kN + k] = {x, y, z, 0};
            }
        drawGrid(s, sheet, s.clip, q.texture, grid, kN, kN, {{0.6f, 0.6f, 0.6f}, {64, 64, 64}, 2.0f, 6});
    }
}

void render3d007(EffectParams* t, int32_t dir) {
    const Scene s = sceneOf(t);
    const int32_t c = stageOf(t, dir, 4096.0f);
    const auto [background, tube] = rolesOf(s, dir);
    copyScaled(s, background, c / 16);
    if (s.empty()) return;
    clearDepthRect(s.clip, s.pitch);
    const int32_t cx = s.w / 2, cy = s.h / 2, size = s.w + s.h;
    MeshVertex plane[kN * kN], nearTube[kN * kN], farTube[kN * kN];
    buildCylinderGrid(nearTube, kN, kN, size * 0.00048828125f, kHalfPi, 0, 0, cx, cy, 0, (size / 2) * 4, s.w, s.h);
    if (c > 2047) {
        buildCylinderGrid(farTube, kN, kN, size * 0.001171875f, kHalfPi, 0, kHalfPi, cx, cy, size * -500 / 1024,
                          size / 2, s.w, s.h);
        const float u = (2048 - c) / 2048.0f;
        lerpGrid(plane, nearTube, farTube, kN, kN, u * u);
    } else {
        buildPlaneGrid(plane, kN, kN, 1.0f, 0, 0, 0, cx, cy, 0, size / 2, s.w, s.h);
        lerpGrid(plane, plane, nearTube, kN, kN, c / 2048.0f);
    }
    drawGrid(s, tube, plane, {{0.5f, 0.5f, 0.5f}, {80, 80, 80}, 0.5f, 6});
}
