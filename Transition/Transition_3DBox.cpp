#include "Transition/Transition_3DBox.h"

#include <cmath>

#include "Transition/TransitionFrame.h"
#include "Transition/Transition_3DShared.h"
#include "render/Camera3D.h"
#include "render/DepthBuffer.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshLit.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"

void render3dOrthogonal(EffectParams* t, int32_t dir, int32_t spin, int32_t axisDegrees) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const auto [background, texture, m] = movingPicture(f, dir, t->progress);

    f.copyWhole(background);
    clearDepthRect(t->rect, t->pitch);

    constexpr int32_t kSide = 33;
    MeshVertex grid[kSide * kSide];
    for (int32_t r = 0; r < kSide; ++r)
        for (int32_t c = 0; c < kSide; ++c)
            grid[r * kSide + c] = {static_cast<float>(c * f.w) / 32.0f - static_cast<float>(f.w / 2),
                                   static_cast<float>(r * f.h) / 32.0f - static_cast<float>(f.h / 2), 0.0f, 0};

    // The camera is shared with the animation drawn before us in the same frame: set it up every frame.
    resetTransforms();
    setViewport(t->rect.left, t->rect.top, t->rect.right, t->rect.bottom);
    setProjection(60.0f, 0, static_cast<float>((f.w + f.h) * 200 / 256), 0.0f);
    lookFromFront();
    rotate(static_cast<float>(spin) * m * 1.5707964f, 0.0f, 0.0f, 1.0f);
    const double b = axisDegrees * 0.017453292522222223;
    rotate(m * 1.5707964f * 57.295788f, static_cast<float>(std::cos(b)), static_cast<float>(std::sin(b)), 0.0f);
    transformGrid(grid, kSide, kSide);

    const float light[3] = {-0.4f, 0.4f, 0.4f};
    const int32_t ambient[3] = {32, 32, 32};
    renderMeshGridB(f.canvas, texture, f.rect, f.rect, f.pitch, f.pitch, grid, kSide, kSide, light, 0, ambient,
                    0.8f, 6);
}

void render3dRotoBox(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    fillRect(f.canvas, f.rect, f.pitch, 0);
    const int32_t W = f.w, H = f.h;
    const int32_t push = truncToInt(std::sin(t->progress * 3.141592654) * -((W + H) / 4));
    const int32_t turn = truncToInt(t->progress * 16384.0f);

    // Front F1 F2 F3 F4, then the back corners of the right face B1 B2.
    FixedPoint3 p[6] = {{0, 0, -W / 2}, {W, 0, -W / 2}, {W, H, -W / 2}, {0, H, -W / 2}, {W, 0, W / 2}, {W, H, W / 2}};
    MeshVertex v[6];
    for (int i = 0; i < 6; ++i) {
        rotateAboutCentre1BFixed(&p[i].x, &p[i].z, -turn, W / 2);
        p[i].z += W / 2 - push;
        projectPointAboutFixed(&p[i].x, &p[i].y, &p[i].z, W / 2, H / 2, W + H);
        v[i] = {static_cast<float>(p[i].x), static_cast<float>(p[i].y), static_cast<float>(p[i].z), 0};
    }
    const MeshVertex light{0.8f, 0.5f, 0.1f, 0}, halfway{0.5520524f, 0.3450328f, 0.7590721f, 0};
    const int32_t tex[4][2] = {{0, 0}, {16 * W, 0}, {0, 16 * H}, {16 * W, 16 * H}};
    auto face = [&](int tl, int tr, int bl, int br, const Pixel* picture) {
        const FaceLight fl = litQuad(v[tl], v[tr], v[bl], light, halfway);
        renderMeshCell(f.canvas, &v[tl], &v[tr], &v[bl], &v[br], picture, tex[0], tex[1], tex[2], tex[3], f.rect,
                       f.pitch, f.pitch, fl.highlight, fl.highlight, fl.highlight, fl.highlight, fl.light, fl.light,
                       fl.light, fl.light, kCellModeFlatLit);
    };
    face(0, 1, 3, 2, f.outgoing);
    if (p[1].x <= p[4].x) face(1, 4, 2, 5, f.incoming);
}
