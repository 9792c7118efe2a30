#include "Sfx/Image_Effect_3DFlag.h"

#include <cmath>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/DepthBuffer.h"
#include "render/Fills.h"
#include "render/MeshRaster.h"

float clothFlagScale(float progress) {
    if (progress < 0.1f) return 1 - 2 * progress;
    if (progress <= 0.9f) return 0.8f;
    return 2 * progress - 1;
}

void apply3DFlag2(EffectParams* p) {
    // This body's own cloth: the titles and the transitions keep theirs.
    static Cloth cloth;
    updateEffectLevel(p, 0.98f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const Rect clip{0, 0, f.w, f.h};
    const int32_t s = ((f.w + f.h) << 8) / 1120;
    // A cloth that a former run left blown apart starts again from rest.
    float wind = (p->levelMode != 0 ? p->level + 64.0f : p->level) * 0.8f;
    if (p->beat == 1) wind *= 6;
    // The steps blow with the wind set on the frame before; a new run's first
    // steps take its own, not what the last run left.
    if (p->firstFrame || !clothIsFinite(cloth)) {
        initClothMesh(cloth);
        setClothWindStrength(cloth, wind);
    }
    for (int i = 0; i < 9; ++i) stepCloth(cloth, 0.016f);
    setClothWindStrength(cloth, wind);
    fillRect(f.dst, clip, f.pitch, 0);
    clearDepthRect(clip, f.pitch);
    const float k = clothFlagScale(p->progress);
    float nodes[kClothNodes][3];
    for (int32_t i = 0; i < kClothNodes; ++i)
        for (int a = 0; a < 3; ++a) nodes[i][a] = cloth.nodes[i].position[a];
    MeshGrid grid[kFlagRows * kFlagCols];
    buildClothFlagGrid(nodes, f.w * k * 0.01f, f.h * k * -0.013333334f, grid);
    // The camera is shared with every 3D effect: set up on every frame.
    resetTransforms();
    setViewport(clip.left, clip.top, clip.right, clip.bottom);
    setProjection(120, 0, (s * 200) / 256.0f, 0);
    selectMatrix(1);
    loadIdentity();
    selectMatrix(2);
    loadIdentity();
    lookAt(0, 0, 1, 0, 0, 0, 0, 1, 0);
    transformGrid(grid, kFlagRows, kFlagCols);
    for (const MeshVertex& v : grid)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || std::fabs(v.x) > 1e6f || std::fabs(v.y) > 1e6f) return;
    static constexpr float kLight[3] = {0.8f, 0.2f, 0.2f};
    static constexpr int32_t kAmbient[3] = {128, 128, 128};
    renderMeshTriangles(f.dst, f.src, clip, clip, f.pitch, f.pitch, grid, kFlagRows, kFlagCols, kLight, 0, kAmbient,
                        1.0f, 4);
}
