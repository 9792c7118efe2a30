#include "Transition/Transition_3DFlag.h"

#include <cmath>

#include "Transition/TransitionFrame.h"
#include "Transition/Transition_3DShared.h"
#include "render/Camera3D.h"
#include "render/Cloth.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/MeshRaster.h"

namespace {

Cloth& flagCloth() {
    static Cloth cloth;
    return cloth;
}

}  // namespace

void render3dFlag2(EffectParams* t, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const auto [background, flag, m] = movingPicture(f, dir, t->progress);

    f.copyWhole(background);
    Cloth& cloth = flagCloth();
    if (t->firstFrame) {
        // A new run's first steps blow with its own calm wind, not the last run's.
        initClothMesh(cloth);
        setClothWindStrength(cloth, 100.0f * std::cos(45.0f * m) + 50.0f * std::sin(55.0f * m) + 150.0f);
    }
    for (int i = 0; i < 12; ++i) stepCloth(cloth, 0.016f);
    // A cloth that has blown up starts again from rest rather than feed the renderer NaNs.
    if (!clothIsFinite(cloth)) initClothMesh(cloth);
    const float wind = 100.0f * std::cos(45.0f * m) + 50.0f * std::sin(55.0f * m) +
                       static_cast<float>(crtRand() & 0x7F) + 150.0f;
    setClothWindStrength(cloth, wind);
    clearDepthRect(t->rect, t->pitch);

    const float s = m >= 0.1f ? 0.7f : 1.0f - 3.0f * m;
    float nodes[kClothNodes][3];
    for (int32_t i = 0; i < kClothNodes; ++i)
        for (int k = 0; k < 3; ++k) nodes[i][k] = cloth.nodes[i].position[k];
    MeshVertex grid[kFlagRows * kFlagCols];
    buildClothFlagGrid(nodes, static_cast<float>(f.w) * s * 0.01f, s * static_cast<float>(f.h) * -0.013333334f, grid);

    // The camera is shared with the animation drawn before us in the same frame: set it up every frame.
    resetTransforms();
    setViewport(t->rect.left, t->rect.top, t->rect.right, t->rect.bottom);
    setProjection(120.0f, 0, static_cast<float>((f.w + f.h) * 256 / 1120 * 200 / 256), 0.0f);
    lookFromFront();
    translate(-static_cast<float>(f.w) * m * m * m, 0.0f, 0.0f);
    transformGrid(grid, kFlagRows, kFlagCols);

    const float light[3] = {0.8f, 0.2f, 0.2f};
    const int32_t ambient[3] = {128, 128, 128};
    renderMeshTriangles(f.canvas, flag, f.rect, f.rect, f.pitch, f.pitch, grid, kFlagRows, kFlagCols, light, 0,
                        ambient, 1.0f, 4);
}
