// The flag cloth: its rest shape, its springs and triangles, and a step in still air.
#include <gtest/gtest.h>

#include <cmath>

#include "render/Cloth.h"
#include "render/CrtRandom.h"

namespace {

const ClothNode& node(const Cloth& c, int r, int col) { return c.nodes[r * kClothCols + col]; }

TEST(Cloth, RestShapeMassesAndSprings) {
    static Cloth c;
    initClothMesh(c);
    EXPECT_FLOAT_EQ(node(c, 0, 0).position[0], -50.0f);
    EXPECT_FLOAT_EQ(node(c, 0, 0).position[1], 37.0f);
    EXPECT_NEAR(node(c, 0, 0).mass, 5.0f / 21, 1e-6);
    EXPECT_FLOAT_EQ(node(c, 7, 10).position[0], 50.0f);
    EXPECT_NEAR(node(c, 7, 10).position[1], -38.0f, 1e-4);
    EXPECT_NEAR(node(c, 7, 10).mass, 5.0f / 21, 1e-6);
    EXPECT_NEAR(node(c, 3, 5).mass, 30.0f / 21, 1e-5);
    EXPECT_EQ(node(c, 0, 0).pinned, 1);
    EXPECT_EQ(node(c, 7, 0).pinned, 1);
    EXPECT_EQ(node(c, 3, 0).pinned, 0);

    const ClothSpring& first = c.springs[0];
    EXPECT_EQ(first.row2 * 100 + first.col2, 1);
    EXPECT_FLOAT_EQ(first.restLength, 10.0f);
    const ClothSpring& diagonal = c.springs[2];   // (0,0)-(0,1), (0,0)-(1,0), then (0,0)-(1,1)
    EXPECT_EQ(diagonal.row2 * 100 + diagonal.col2, 101);
    EXPECT_NEAR(diagonal.restLength, std::sqrt(100.0f + 10.714286f * 10.714286f), 1e-4);
    EXPECT_FLOAT_EQ(diagonal.stiffness, 600.0f);
    const ClothSpring& last = c.springs[kClothSprings - 1];   // the last horizontal of the bottom row
    EXPECT_EQ(last.row1 * 100 + last.col1, 709);
    EXPECT_EQ(last.row2 * 100 + last.col2, 710);

    // Every triangle uses vertices of one face.
    for (int t = 0; t < kClothTriangles; ++t)
        for (int k = 0; k < 3; ++k) {
            const int v = c.triangles[t][k];
            EXPECT_TRUE(t < 140 ? v < kClothNodes : (v >= kClothNodes && v < 2 * kClothNodes)) << t;
        }
}

TEST(Cloth, StillAirStepFallsFromThePins) {
    static Cloth c;
    initClothMesh(c);
    setClothWindStrength(c, 0.0f);
    crtSrand(7);
    const auto* v = stepCloth(c, 0.016f);
    EXPECT_EQ(v[0][1], 37.0f);
    EXPECT_EQ(v[7 * kClothCols][0], -50.0f);
    for (int i = 0; i < kClothNodes; ++i) {
        if (c.nodes[i].pinned) continue;
        EXPECT_LT(c.nodes[i].position[1], 37.0f - 10.714286f * (i / kClothCols) + 1e-6f) << i;
        EXPECT_EQ(v[i][1], v[i + kClothNodes][1]);
    }
    for (int i = 0; i < 200; ++i) stepCloth(c, 0.016f);
    EXPECT_TRUE(clothIsFinite(c));
}

}  // namespace
