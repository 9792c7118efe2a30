#include "Sfx/Image_Effect_3D.h"

#include <algorithm>
#include <cmath>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/CrtRandom.h"
#include "render/DepthBuffer.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr int32_t kRows = 17, kCols = 33;
constexpr double kRadiansPerStep = 9.58738019107841e-05;   // a 16-bit angle step

int32_t stepAngle(int32_t angle, int64_t spin, int32_t sign, int64_t rate) {
    return static_cast<int32_t>(static_cast<uint32_t>(angle) + static_cast<uint32_t>((spin * sign * rate) >> 9));
}

// A swing value as an unsigned 16-bit angle, in radians.
float swingRadians(int64_t sine, int64_t factor) {
    return static_cast<float>(static_cast<uint16_t>((sine * factor) >> 8) * kRadiansPerStep);
}

}  // namespace

void apply3DFlag(EffectParams* p) {
    FlagState& st = effectState<FlagState>(p);
    if (p->firstFrame) st = FlagState{0, 0, 0, 1, 1, 1, 256, 0};
    Frame f;
    const bool drawable = frameOf(p, &f);
    const Rect clip{0, 0, f.w, f.h};
    if (drawable) {
        fillRect(f.dst, clip, f.pitch, 0);
        clearDepthRect(clip, f.pitch);
    }
    if (p->levelMode == 0) {
        if (p->beat == 1) {
            st.spin += 400;
            st.signX = (crtRand() & 1) * 2 - 1;
            st.signY = (crtRand() & 1) * 2 - 1;
            st.signZ = (crtRand() & 1) * 2 - 1;
        } else {
            st.spin = st.spin * 15 / 16;
        }
    }
    // Signs and spin another effect left behind are not trusted beyond their range.
    st.spin = std::clamp(st.spin, -1 << 20, 1 << 20);
    st.angleX = stepAngle(st.angleX, st.spin, st.signX < 0 ? -1 : 1, 475);
    st.angleY = stepAngle(st.angleY, st.spin, st.signY < 0 ? -1 : 1, 425);
    st.angleZ = stepAngle(st.angleZ, st.spin, st.signZ < 0 ? -1 : 1, 325);
    const uint32_t ux = st.angleX & 0xFFFF, uy = st.angleY & 0xFFFF, uz = st.angleZ & 0xFFFF;
    int64_t sx, sy, sz;
    float L;
    if (p->levelMode == 0) {
        updateEffectLevel(p, 0.9f, 1.0f);
        L = heldLevel(p->level);
        sx = SineTable[ux >> 3];
        sy = SineTable[uy >> 3];
        sz = SineTable[uz >> 3];
    } else {
        updateEffectLevel(p, 0.0f, 1.0f);
        L = heldLevel(p->level);
        sx = SineTable[truncToInt(ux * L / 2048) & 8191];
        sy = SineTable[truncToInt(uy * L / 2048) & 8191];
        sz = SineTable[truncToInt(uz * L / 2048) & 8191];
    }
    const float ax = swingRadians(sx, 70), ay = swingRadians(sy, 70), az = swingRadians(7 * sz, 10);
    st.wavePhase = static_cast<int32_t>(static_cast<uint32_t>(st.wavePhase) + 1u);
    if (!drawable) return;
    const int32_t n = st.wavePhase;
    const double amplitude = ((int64_t{f.w + f.h} << 8) / 1024) * static_cast<double>(L) / 1024;
    MeshGrid grid[kRows * kCols];
    for (int32_t r = 0; r < kRows; ++r)
        for (int32_t i = 0; i < kCols; ++i) {
            MeshVertex& v = grid[r * kCols + i];
            v.x = static_cast<float>(i * f.w * 0.03125 - f.w / 2);
            v.y = static_cast<float>(r * f.h * 0.0625 - f.h / 2);
            v.z = static_cast<float>(std::sin((i + static_cast<double>(n)) * 0.2857143) * amplitude);
            v.w = 0;
            transformPoint(&v.x, &v.y, &v.z, ax, ay, az, f.w / 2, f.h / 2, 0, 400);
        }
    static constexpr float kLight[3] = {1, 0, 0};
    static constexpr int32_t kAmbient[3] = {128, 128, 128};
    renderMeshGrid(f.dst, f.src, clip, clip, f.pitch, f.pitch, grid, kRows, kCols, kLight, 0, kAmbient, 2.0f, 5);
}
