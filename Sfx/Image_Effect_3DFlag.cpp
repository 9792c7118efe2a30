#include "Sfx/Image_Effect_3DFlag.h"

#include <algorithm>

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
