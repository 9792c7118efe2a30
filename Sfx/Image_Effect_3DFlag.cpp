#include "Sfx/Image_Effect_3DFlag.h"

#include <algorithm>
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

namespace {

MeshVertex between(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, const MeshVertex& d) {
    return {0.62f * (b.x + c.x) - 0.12f * (a.x + d.x), 0.62f * (b.y + c.y) - 0.12f * (a.y + d.y),
            0.62f * (b.z + c.z) - 0.12f * (a.z + d.z), 0};
}

}  // namespace

void buildClothFlagGrid(const float (*nodes)[3], float xScale, float yScale, MeshGrid* grid) {
    auto at = [grid](int32_t r, int32_t c) -> MeshVertex& { return grid[r * kFlagCols + c]; };
    for (int32_t i = 0; i < kClothRows; ++i) {
        for (int32_t j = 0; j < kClothCols; ++j) {
            const float* n = nodes[i * kClothCols + j];
            at(2 * i, 2 * j) = {n[0] * xScale, n[1] * yScale, n[2], 0};
        }
        for (int32_t j = 0; j + 1 < kClothCols; ++j)
            at(2 * i, 2 * j + 1) = between(at(2 * i, 2 * std::max(j - 1, 0)), at(2 * i, 2 * j), at(2 * i, 2 * j + 2),
                                           at(2 * i, 2 * std::min(j + 2, kClothCols - 1)));
    }
    for (int32_t r = 1; r < kFlagRows; r += 2)
        for (int32_t c = 0; c < kFlagCols; ++c)
            at(r, c) = between(at(std::max(r - 3, 0), c), at(r - 1, c), at(r + 1, c), at(std::min(r + 3, kFlagRows - 1), c));
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
