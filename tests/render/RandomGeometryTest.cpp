// Random values in ranges and the float and fixed-point point operations.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "render/CrtRandom.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr float kPi = 3.14159265f;

class Geometry : public ::testing::Test {
protected:
    void SetUp() override { buildTrigTables(); }
};

TEST(RandomRanges, GoldenDrawsAndNarrowRanges) {
    crtSrand(1);   // draws 41, 18467, 6334, 26500, 19169
    EXPECT_EQ(randRange(0, 10), 1);
    EXPECT_EQ(randRange(100, 110), 107);
    EXPECT_EQ(randRange(-5, 5), -1);   // -5 + 6334 % 10
    for (int i = 0; i < 200; ++i) EXPECT_EQ(randRange(5, 6), 5);
}

TEST(RandomRanges, ZeroWidthAndWideRangesAreDefined) {
    crtSrand(7);
    const uint32_t before = crtRandState();
    EXPECT_EQ(randRange(42, 42), 42);           // no division by zero
    EXPECT_NE(crtRandState(), before);          // the draw is still taken
    for (int i = 0; i < 1000; ++i) {
        int32_t v = randRange(INT_MIN, INT_MAX);   // the width does not fit 32 bits
        EXPECT_GE(v, INT_MIN);
        EXPECT_LE(v, INT_MIN + 32767);
    }
}

TEST(RandomRanges, FloatRangesStayInside) {
    crtSrand(3);
    float lo = 2.f, hi = -2.f;
    for (int i = 0; i < 100000; ++i) {
        float v = randRangeFloat(0.f, 1.f);
        ASSERT_GE(v, 0.f);
        ASSERT_LE(v, 1.f);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_LT(lo, 0.001f);
    EXPECT_GT(hi, 0.999f);
    EXPECT_LE(32767.0 * 3.0518509e-05f, 1.0 + 1e-6);   // the top draw lands at the end
    crtSrand(1);
    EXPECT_DOUBLE_EQ(randRangeDouble(10.0, 20.0), 10.0 + 41 * 10.0 * 3.051850947599719e-05);
}

TEST(RandomRanges, BellCentresAndStaysInRange) {
    crtSrand(11);
    double sum = 0;
    for (int i = 0; i < 20000; ++i) {
        int32_t v = randBell(0, 100, 4);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 100);
        sum += v;
    }
    EXPECT_NEAR(sum / 20000, 50.0, 1.0);
    for (int i = 0; i < 1000; ++i) {   // products beyond 32 bits
        int32_t v = randBell(-2000000000, 2000000000, 3);
        ASSERT_GE(v, -2000000000);
        ASSERT_LE(v, 2000000000);
    }
    EXPECT_EQ(randBell(9, 20, 0), 9);   // no draws: no division by zero
}

TEST_F(Geometry, FloatQuarterTurns) {
    struct Case {
        void (*op)(float*, float*, float);
        float u, v, wantU, wantV;
    } cases[] = {
        {rotateX, 1, 0, 0, -1},   // (y, z)
        {rotateZ, 1, 0, 0, -1},   // (x, y)
        {rotateY, 1, 0, 0, 1},    // (x, z): z' = x sin
    };
    for (const Case& c : cases) {
        float u = c.u, v = c.v;
        c.op(&u, &v, kPi / 2);
        EXPECT_NEAR(u, c.wantU, 1e-6);
        EXPECT_NEAR(v, c.wantV, 1e-6);
    }
    float p = 11, q = 0;
    rotateAboutCentre1(&p, &q, kPi / 2, 10);
    EXPECT_NEAR(p, 10, 1e-5);
    EXPECT_NEAR(q, -1, 1e-5);
    p = 11, q = 0;
    rotateAboutCentre1B(&p, &q, kPi / 2, 10);
    EXPECT_NEAR(p, 10, 1e-5);
    EXPECT_NEAR(q, 1, 1e-5);
    p = 110, q = 100;
    rotateAboutPoint(&p, &q, kPi / 2, 100, 100);
    EXPECT_NEAR(p, 100, 1e-4);
    EXPECT_NEAR(q, 90, 1e-4);
    float x = 1, y = 2, z = 3;
    rotateXYZ(&x, &y, &z, 0, 0, 0);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, 3);
}

TEST_F(Geometry, RotationAboutAnAxisKeepsTheAxisAndDistances) {
    const MeshVertex a{3, -2, 5, 0}, b{-1, 4, 2, 0};
    const double ax = a.x - b.x, ay = a.y - b.y, az = a.z - b.z;
    const double axisLen = std::sqrt(ax * ax + ay * ay + az * az);
    auto distToAxis = [&](const MeshVertex& p) {
        double px = p.x - b.x, py = p.y - b.y, pz = p.z - b.z;
        double cx = py * az - pz * ay, cy = pz * ax - px * az, cz = px * ay - py * ax;
        return std::sqrt(cx * cx + cy * cy + cz * cz) / axisLen;
    };
    MeshVertex onAxis{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2, 0};
    const MeshVertex onAxis0 = onAxis;
    rotateAboutAxis(&onAxis, a, b, 1.1f);
    EXPECT_NEAR(onAxis.x, onAxis0.x, 1e-4);
    EXPECT_NEAR(onAxis.y, onAxis0.y, 1e-4);
    EXPECT_NEAR(onAxis.z, onAxis0.z, 1e-4);

    MeshVertex p{7, 1, -3, 0};
    const MeshVertex p0 = p;
    rotateAboutAxis(&p, a, b, 0.7f);
    EXPECT_NEAR(distToAxis(p), distToAxis(p0), 1e-4);
    EXPECT_GT(std::fabs(p.x - p0.x) + std::fabs(p.y - p0.y) + std::fabs(p.z - p0.z), 0.5);
    rotateAboutAxis(&p, a, b, -0.7f);
    EXPECT_NEAR(p.x, p0.x, 1e-4);
    EXPECT_NEAR(p.y, p0.y, 1e-4);
    EXPECT_NEAR(p.z, p0.z, 1e-4);
}

TEST_F(Geometry, ProjectionFloorsTheDepth) {
    float x = 2, y = -3, z = -300;
    projectPoint(&x, &y, &z, 256);   // 256 / max(-44, 16)
    EXPECT_FLOAT_EQ(x, 32);
    EXPECT_FLOAT_EQ(y, -48);
    EXPECT_FLOAT_EQ(z, -300);
    x = 110, y = 90, z = 256;
    projectPointAbout(&x, &y, &z, 100, 100, 256);   // f = 1/2
    EXPECT_FLOAT_EQ(x, 105);
    EXPECT_FLOAT_EQ(y, 95);
    x = 10, y = 20, z = 0;
    transformPoint(&x, &y, &z, 0, 0, 0, 400, 300, 256, 256);   // z 256: half size, then shifted
    EXPECT_FLOAT_EQ(x, 405);
    EXPECT_FLOAT_EQ(y, 310);
    EXPECT_FLOAT_EQ(z, 256);
    translatePoint(&x, &y, &z, -5, -10, 4);
    EXPECT_FLOAT_EQ(x, 400);
    EXPECT_FLOAT_EQ(z, 260);
}

TEST_F(Geometry, VectorHelpers) {
    MeshVertex out{9, 9, 9, 77};
    crossProduct(&out, MeshVertex{1, 0, 0, 0}, MeshVertex{0, 1, 0, 0});
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(out.y, 0);
    EXPECT_EQ(out.z, 1);
    planeNormal(&out, MeshVertex{0, 0, 0, 0}, MeshVertex{4, 0, 0, 0}, MeshVertex{0, 3, 0, 0});
    EXPECT_NEAR(std::fabs(out.z), 1.0, 1e-6);
    EXPECT_NEAR(out.x * out.x + out.y * out.y + out.z * out.z, 1.0, 1e-6);
    planeNormal(&out, MeshVertex{0, 0, 0, 0}, MeshVertex{1, 1, 1, 0}, MeshVertex{2, 2, 2, 0});
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(out.y, 0);
    EXPECT_EQ(out.z, 0);
    midpoint(&out, MeshVertex{1, 2, 3, 5}, MeshVertex{3, 4, 5, 6});
    EXPECT_EQ(out.x, 2);
    EXPECT_EQ(out.z, 4);
    EXPECT_EQ(out.w, 0);
    out.w = 3;
    centroid4(&out, MeshVertex{0, 0, 0, 0}, MeshVertex{4, 0, 0, 0}, MeshVertex{4, 4, 0, 0}, MeshVertex{0, 4, 8, 0});
    EXPECT_EQ(out.x, 2);
    EXPECT_EQ(out.y, 2);
    EXPECT_EQ(out.z, 2);
    EXPECT_EQ(out.w, 0);
}

TEST_F(Geometry, FixedQuarterTurnsAndWideCoordinates) {
    int32_t p = 1000, q = 0;
    rotateXFixed(&p, &q, 16384);
    EXPECT_EQ(p, 0);
    EXPECT_EQ(q, -1000);
    p = 1000, q = 0;
    rotateYFixed(&p, &q, 16384);
    EXPECT_EQ(p, 0);
    EXPECT_EQ(q, 1000);
    p = 110, q = 100;
    rotateAboutPointFixed(&p, &q, 16384, 100, 100);
    EXPECT_EQ(p, 100);
    EXPECT_EQ(q, 90);
    p = 110, q = 5;
    rotateAboutCentre1Fixed(&p, &q, 32768, 100);   // half a turn
    EXPECT_EQ(p, 90);
    EXPECT_EQ(q, -5);
    p = 110, q = 5;
    rotateAboutCentre1BFixed(&p, &q, 32768, 100);
    EXPECT_EQ(p, 90);
    EXPECT_EQ(q, -5);
    // Beyond +-32,767 the products no longer fit 32 bits.
    p = 100000, q = 70000;
    rotateXFixed(&p, &q, 0);
    EXPECT_EQ(p, 100000);
    EXPECT_EQ(q, 70000);
    p = 65535, q = 0;
    rotateXFixed(&p, &q, 65536);   // a whole turn wraps to index 0
    EXPECT_EQ(p, 65535);
}

TEST_F(Geometry, FixedTwinsFollowTheFloatOnes) {
    int32_t x = 300, y = -200, z = 150;
    float fx = 300, fy = -200, fz = 150;
    rotateXYZFixed(&x, &y, &z, 8192, 4000, 60000);
    const float turn = 2 * kPi / 65536;
    rotateXYZ(&fx, &fy, &fz, 8192 * turn, 4000 * turn, 60000 * turn);
    EXPECT_NEAR(x, fx, 2);
    EXPECT_NEAR(y, fy, 2);
    EXPECT_NEAR(z, fz, 2);

    x = 100, y = -50, z = -300;
    projectPointFixed(&x, &y, &z, 256);   // depth floored at 16
    EXPECT_EQ(x, 1600);
    EXPECT_EQ(y, -800);
    x = 110, y = 93, z = 256;
    projectPointAboutFixed(&x, &y, &z, 100, 100, 256);
    EXPECT_EQ(x, 105);
    EXPECT_EQ(y, 97);   // 100 + (-7 / 2) truncated toward zero
    x = 10, y = 20, z = 0;
    transformPointFixed(&x, &y, &z, 0, 0, 0, 400, 300, 256, 256);
    EXPECT_EQ(x, 405);
    EXPECT_EQ(y, 310);
    translatePointFixed(&x, &y, &z, 1, 2, 3);
    EXPECT_EQ(z, 259);
    EXPECT_EQ(dotProductFixed({1, 2, 3}, {4, -5, 6}), 12);
    EXPECT_EQ(dotProductFixed({40000, 0, 0}, {40000, 0, 0}), static_cast<int32_t>(1600000000));
}

}  // namespace
