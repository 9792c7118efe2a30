// The twists work per column in integers. Row products that could pass 32
// bits on large frames (a near-zero cosine gives a huge row step) are taken in
// 64 bits, so such rows fall outside the picture and show black instead of
// wrapping back into it.
#include "Transition/Transition_3DTurn.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Transition/TransitionFrame.h"
#include "Transition/Transition_3DShared.h"
#include "render/Camera3D.h"
#include "render/DepthBuffer.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"
#include "render/RotatedCopies.h"
#include "render/TrigTables.h"

namespace {

// Column x of the canvas from the rows chosen by rowOf(j); a row outside
// 0 < r < h is black.
template <class RowOf>
void fillColumn(const TransitionFrame& f, int32_t x, const Pixel* picture, RowOf rowOf) {
    Pixel* out = f.canvas + x;
    for (int32_t j = 0; j < f.h; ++j, out += f.pitch) {
        const int64_t r = rowOf(j);
        *out = r > 0 && r < f.h ? picture[static_cast<ptrdiff_t>(r) * f.pitch + x] : 0;
    }
}

// Which pictures a twist column shows, and its position along the twist.
struct TwistHalf {
    const Pixel* front;
    const Pixel* back;
    bool second;
};

TwistHalf twistHalf(const TransitionFrame& f, float progress) {
    const bool second = !(progress < 0.5f);
    return {second ? f.incoming : f.outgoing, second ? f.outgoing : f.incoming, second};
}

}  // namespace

void render3dTwist(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t fold = f.h / 2;
    const TwistHalf half = twistHalf(f, t->progress);
    const float turn = half.second ? 1.0f - t->progress : t->progress;
    const int32_t s = truncToInt(turn * 4194304.0f / static_cast<float>(f.w));
    for (int32_t i = 0; i < f.w; ++i) {
        const int64_t along = half.second ? static_cast<int64_t>(s) * (f.w - 1 - i) : static_cast<int64_t>(i) * s;
        const int64_t k = 1024 - along / 1024;
        if (k > 0)
            fillColumn(f, i, half.front, [&](int32_t j) { return fold + (1024LL * j - 1024LL * fold) / k; });
        else if (k < 0)
            fillColumn(f, i, half.back, [&](int32_t j) { return f.h - (1024LL * j - 1024LL * fold) / k - fold; });
    }
}

void render3dTwist2(EffectParams* t, int32_t k) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t fold = f.h / 2;
    const TwistHalf half = twistHalf(f, t->progress);
    const float turn = half.second ? 1.0f - t->progress : t->progress;
    const uint32_t s = static_cast<uint32_t>(truncToInt(static_cast<float>(k) * 65536.0f * turn / static_cast<float>(f.w)));
    for (int32_t i = 0; i < f.w; ++i) {
        const uint32_t a = half.second ? s * static_cast<uint32_t>(f.w - 1 - i) : static_cast<uint32_t>(i) * s;
        const int32_t c = CosineTable[(a >> 3) & 0x1FFF];
        if (c == 0) continue;
        const int64_t v = 33554432 / c;
        if (c > 0)
            fillColumn(f, i, half.front, [&](int32_t j) { return fold + (j * v - fold * v) / 1024; });
        else
            fillColumn(f, i, half.back, [&](int32_t j) { return fold - (j * v - fold * v) / 1024; });
    }
}

void render3dXRotate(EffectParams* t, int32_t dir, int32_t turns) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const MovingPicture mp = movingPicture(f, dir, t->progress);
    const float s = dir == 1 ? 1.0f - t->progress : t->progress;
    const Pixel* turning = mp.mover;
    const Pixel* background = mp.background;
    const double angle = static_cast<double>(s) * turns * 2.0 * 3.141592654;
    drawTiltedStrip(f.canvas, f.pitch, turning, f.pitch, background, f.pitch, angle, s, 1.5, f.w, f.h);
}

void render3dYRotate(EffectParams* t, int32_t turns) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int64_t offset = truncToInt(static_cast<float>(f.w) * static_cast<float>(turns) * t->progress);
    const int32_t half = f.w / 2;
    for (int32_t x = 0; x < f.w; ++x) {
        const int32_t n = half - x;
        // A one-pixel frame has no radius: its column faces the viewer.
        const double across = half > 0 ? static_cast<double>(n) / half : 0.0;
        const int64_t pos =
            static_cast<int64_t>(std::acos(std::clamp(across, -1.0, 1.0)) * f.w * 0.318309886142228) + offset;
        const Pixel* picture = (pos / f.w) & 1 ? f.incoming : f.outgoing;
        const int32_t column = static_cast<int32_t>(pos % f.w);
        const uint32_t shade = static_cast<uint32_t>(std::max(0, f.w / 4 - std::abs(n) / 2));
        const Pixel* in = picture + column;
        Pixel* out = f.canvas + x;
        for (int32_t y = 0; y < f.h; ++y, in += f.pitch, out += f.pitch) {
            const Pixel p = *in;
            const uint32_t r = std::min<uint32_t>(255, (((p >> 16) & 0xFF) * shade) >> 6);
            const uint32_t g = std::min<uint32_t>(255, (((p >> 8) & 0xFF) * shade) >> 6);
            const uint32_t b = std::min<uint32_t>(255, ((p & 0xFF) * shade) >> 6);
            *out = (r << 16) | (g << 8) | b;
        }
    }
}

void render3dGoGo(EffectParams* t, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const MovingPicture mp = movingPicture(f, dir, t->progress);
    const Pixel* background = mp.background;
    const Pixel* face = mp.mover;
    // m runs the other way here: 0 folded away, 1 at rest facing the viewer.
    const float m = dir == 1 ? 1.0f - t->progress : t->progress;
    const float theta = -1.5707964f * std::exp(-2.0f * m) * std::cos(10.995575f * m);

    float ends[2][3] = {{0.0f, static_cast<float>(f.h), 0.0f}, {static_cast<float>(f.w), static_cast<float>(f.h), 0.0f}};
    for (float* p : ends) {
        rotateAboutCentre1(&p[1], &p[2], theta, 0);
        p[0] -= static_cast<float>(f.w / 2);
        p[1] -= static_cast<float>(f.h / 2);
        projectPoint(&p[0], &p[1], &p[2], 1000);
        p[0] += static_cast<float>(f.w / 2);
        p[1] += static_cast<float>(f.h / 2);
    }
    const int64_t xl = truncToInt(ends[0][0]), xr = truncToInt(ends[1][0]), rowsDown = truncToInt(ends[0][1]);

    f.copyWhole(background);
    // A face folded to nothing (or above the frame) is not drawn.
    if (rowsDown <= 0) return;
    const int64_t step = 262144 / rowsDown;
    const int64_t W = f.w, H = f.h;
    for (int64_t i = 0; i < std::min(H, rowsDown); ++i) {
        const int64_t right = W + ((step * i * (xr - W)) >> 18);
        const int64_t left = (i * xl * step) >> 18;
        if (right == left) continue;
        const int64_t q = W * 262144 / (right - left);
        const Pixel* src = face + static_cast<ptrdiff_t>((i * step * H) >> 18) * f.pitch;
        Pixel* dst = f.canvasRow(static_cast<int32_t>(i));
        for (int64_t x = std::max<int64_t>(0, left); x < std::min(W, right); ++x)
            dst[x] = src[(q * x - q * left) >> 18];
    }
}

void render3dRotate45(EffectParams* t, int32_t tilt, int32_t endAngle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const Rect& r = t->rect;
    const float phi = t->progress * 6.2831855f;
    const float sigma = static_cast<float>(endAngle) * 0.017453292f * t->progress - static_cast<float>(tilt) * 0.017453292f;
    const Pixel* face = phi > 4.712389f ? f.incoming : f.outgoing;

    fillRect(f.canvas, f.rect, f.pitch, 0);
    clearDepthRect(f.rect, f.pitch);

    constexpr int32_t kSide = 33;
    MeshVertex grid[kSide * kSide];
    const int32_t cx = (r.left + r.right) / 2 - r.left, cy = (r.top + r.bottom) / 2 - r.top;
    for (int32_t row = 0; row < kSide; ++row)
        for (int32_t k = 0; k < kSide; ++k) {
            MeshVertex& v = grid[row * kSide + k];
            v = {static_cast<float>(k * f.w) / 32.0f, static_cast<float>(row * f.h) / 32.0f, 0.0f, 0};
            rotateAboutPoint(&v.x, &v.y, sigma, cx, cy);
            rotateAboutCentre1(&v.y, &v.z, phi, cy);
            rotateAboutPoint(&v.x, &v.y, -sigma, cx, cy);
            projectPointAbout(&v.x, &v.y, &v.z, cx, cy, f.w + f.h);
        }
    const float light[3] = {0.8f, 0.0f, 0.0f};
    const int32_t ambient[3] = {128, 128, 128};
    renderMeshGrid(f.canvas, face, f.rect, f.rect, f.pitch, f.pitch, grid, kSide, kSide, light, 0, ambient, 1.0f, 4);
}
