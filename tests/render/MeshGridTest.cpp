// Plane and cylinder grids, grid blending and the affine textured triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/MeshGeometry.h"
#include "render/MeshGrid.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {
// No rotation, no offsets, a distance so large the perspective factor is ~1 at z = 0.
constexpr int32_t kFar = 1 << 24;
}

TEST(MeshGrids, PlaneSpacingUsesAFloatStepAndIntegerHalves) {
    struct Case {
        int32_t width;
        float x[3];
    } cases[] = {{10, {-5, 0, 5}}, {11, {-5, 0.5f, 6}}};
    for (const Case& c : cases) {
        std::vector<MeshVertex> g(2 * 3, MeshVertex{0, 0, 0, 77});
        buildPlaneGrid(g.data(), 3, 2, 2.0f, 0, 0, 0, 0, 0, 0, kFar, c.width, 8);
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(g[j].x, 2 * c.x[j], 1e-4) << c.width;
            EXPECT_NEAR(g[j].y, 2 * -4.0f, 1e-4);
            EXPECT_NEAR(g[3 + j].y, 2 * 4.0f, 1e-4);
            EXPECT_EQ(g[j].w, 77);
        }
    }
    // A single row does not divide by zero: it sits at -PH / 2.
    std::vector<MeshVertex> one(4);
    buildPlaneGrid(one.data(), 4, 1, 1.0f, 0, 0, 0, 0, 0, 0, kFar, 30, 20);
    for (const MeshVertex& v : one) EXPECT_NEAR(v.y, -10.0f, 1e-4);
}

TEST(MeshGrids, PlaneGoesThroughThePointTransform) {
    std::vector<MeshVertex> g(2 * 2);
    // Quarter turn about z, then shifted to (100, 50) and viewed from d = 256 at depth 256: half size.
    buildPlaneGrid(g.data(), 2, 2, 1.0f, 0, 0, 1.5707964f, 100, 50, 256, 256, 20, 20);
    // (x, y) = (10, 10) turns to (x cos + y sin, y cos - x sin) = (10, -10).
    EXPECT_NEAR(g[3].x, 100 + 5, 1e-3);
    EXPECT_NEAR(g[3].y, 50 - 5, 1e-3);
    EXPECT_NEAR(g[3].z, 256, 1e-3);
}

TEST(MeshGrids, CylinderClosesAndLerpBlends) {
    const int cols = 9, rows = 3;
    std::vector<MeshVertex> cyl(cols * rows);
    buildCylinderGrid(cyl.data(), cols, rows, 1.0f, 0.3f, 0.2f, 0, 400, 300, 500, 256, 0, 100);
    for (int i = 0; i < rows; ++i) {
        const MeshVertex &first = cyl[i * cols], &last = cyl[i * cols + cols - 1];
        EXPECT_NEAR(first.x, last.x, 1e-3);
        EXPECT_NEAR(first.y, last.y, 1e-3);
        EXPECT_NEAR(first.z, last.z, 1e-3);
    }
    // Radius 180: the column half-way round lies on the far side.
    std::vector<MeshVertex> flat(cols);
    buildCylinderGrid(flat.data(), cols, 1, 1.0f, 0, 0, 0, 0, 0, 0, kFar, 0, 0);
    EXPECT_NEAR(flat[0].z, 180, 1e-2);
    EXPECT_NEAR(flat[4].z, -180, 1e-2);
    EXPECT_NEAR(flat[2].x, -180, 1e-2);   // a quarter turn: x = x cos - z sin

    std::vector<MeshVertex> a = {{0, 0, 0, 0}, {2, 4, 6, 0}}, b = {{10, 20, 30, 0}, {4, 4, 4, 0}};
    std::vector<MeshVertex> out = {{9, 9, 9, 111}, {9, 9, 9, 222}};
    lerpGrid(out.data(), a.data(), b.data(), 2, 1, 0.5f);
    EXPECT_FLOAT_EQ(out[0].x, 5);
    EXPECT_FLOAT_EQ(out[0].y, 10);
    EXPECT_FLOAT_EQ(out[0].z, 15);
    EXPECT_FLOAT_EQ(out[1].z, 5);
    EXPECT_EQ(out[0].w, 111);
    EXPECT_EQ(out[1].w, 222);
}

TEST(TexturedTriangle, AffineCopyWithinTheClip) {
    GuardedBuffer tex(64, 64);
    for (int y = -8; y < 72; ++y)
        for (int x = -8; x < 72; ++x) tex.at(x, y) = static_cast<Pixel>(((y & 0xFF) << 8) | (x & 0xFF)) + 0x10000;
    GuardedBuffer frame(64, 64, 0);
    const int32_t p0[2] = {4, 4}, p1[2] = {40, 10}, p2[2] = {10, 44};
    TexturedTriangle tri{frame.pixels(), Rect{0, 0, 64, 64}, frame.pitch(), p0, p1, p2, tex.pixels(), tex.pitch(),
                         p0, p1, p2};
    drawTexturedTriangle(tri);
    int drawn = 0;
    for (int y = 0; y < 64; ++y) {
        int right = -1;
        for (int x = 0; x < 64; ++x) {
            const Pixel p = frame.at(x, y);
            if (!p) continue;
            ++drawn;
            right = x;
            // The same points on both sides: each pixel copies a texel at (or next to) itself.
            const int u = p & 0xFF, v = (p >> 8) & 0xFF;
            EXPECT_LE(std::abs(u - x), 1) << x << "," << y;
            EXPECT_LE(std::abs(v - y), 1) << x << "," << y;
        }
        if (y >= 44) {
            EXPECT_EQ(right, -1) << "the bottom point's row is not drawn";
        }
    }
    EXPECT_GT(drawn, 400);
    EXPECT_EQ(frame.at(40, 10), 0u);   // a span's right end
    EXPECT_TRUE(frame.guardIntact());

    // The clip bounds destination and texture alike; a flat triangle draws nothing.
    GuardedBuffer clipped(64, 64, 0);
    tri.dst = clipped.pixels();
    tri.clip = Rect{0, 0, 20, 20};
    drawTexturedTriangle(tri);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (x >= 20 || y >= 20) {
                EXPECT_EQ(clipped.at(x, y), 0u);
            }
    const int32_t f0[2] = {4, 10}, f1[2] = {40, 10}, f2[2] = {20, 10};
    GuardedBuffer flat(64, 64, 0);
    TexturedTriangle flatTri{flat.pixels(), Rect{0, 0, 64, 64}, flat.pitch(), f0, f1, f2, tex.pixels(), tex.pitch(),
                             f0, f1, f2};
    drawTexturedTriangle(flatTri);
    EXPECT_TRUE(flat.sameVisible(GuardedBuffer(64, 64, 0)));
}

TEST(TexturedTriangle, WindingTestsAgree) {
    const int32_t pts[][6] = {{0, 5, 10, 0, 10, 10}, {20, 5, 10, 0, 10, 10}, {10, 5, 0, 0, 20, 10}, {3, 3, 0, 0, 6, 6}};
    const int32_t expected[] = {1, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const int32_t* p = pts[i];
        EXPECT_EQ(windingTest(&p[0], &p[1], &p[2], &p[3], &p[4], &p[5]), expected[i]) << i;
        EXPECT_EQ(windingTestB(&p[0], &p[1], &p[2], &p[3], &p[4], &p[5]), expected[i]) << i;
    }
}
