// Depth buffer clearing and per-vertex mesh lighting.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/DepthBuffer.h"
#include "tests/render/MeshFixtures.h"

TEST(DepthBuffer, ClearsExactlyTheRectForOddWidthsAndPitches) {
    int16_t* own = depthBuffer();
    ASSERT_NE(own, nullptr);
    const int pitch = 817;   // odd
    std::vector<int16_t> store(pitch * 40, 0);
    int16_t* origin = store.data() + pitch * 10 + 8;
    setDepthBuffer(origin);
    EXPECT_EQ(clearDepthRect(Rect{3, 2, 8, 6}, pitch), 1);   // 5 wide, starting at an odd column
    int cleared = 0;
    for (int y = -10; y < 30; ++y)
        for (int x = -8; x < pitch - 8; ++x) {
            const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
            EXPECT_EQ(origin[y * pitch + x], inside ? kDepthEmpty : 0) << x << "," << y;
            cleared += inside;
        }
    EXPECT_EQ(cleared, 20);
    EXPECT_EQ(clearDepthRect(Rect{20, 8, 25, 8}, pitch), 1);   // zero height: nothing
    EXPECT_EQ(origin[8 * pitch + 20], 0);
    setDepthBuffer(nullptr);
    EXPECT_EQ(clearDepthRect(Rect{0, 0, 10, 10}, pitch), 0);
    setDepthBuffer(own);
    // The static buffer takes a full 800 x 600 frame with its margin, and a
    // RECT reaching past its ends is cut at them.
    EXPECT_EQ(clearDepthRect(Rect{-8, -8, 808, 608}, 816), 1);
    EXPECT_EQ(clearDepthRect(Rect{-100000, -1000, 100000, 1000}, 816), 1);
    EXPECT_EQ(own[599 * 816 + 799], kDepthEmpty);
}

namespace {

// A flat grid: columns to the right, rows downward, all at one depth.
std::vector<MeshVertex> flatGrid(int rows, int cols) {
    std::vector<MeshVertex> g;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) g.push_back(MeshVertex{10.0f + 20 * c, 5.0f + 15 * r, 7.0f, 0});
    return g;
}

}  // namespace

TEST(MeshLight, FlatGridFacesTheViewer) {
    std::vector<MeshVertex> g = flatGrid(4, 5);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            MeshVertex n = gridVertexNormal(g.data(), 4, 5, r, c);
            EXPECT_NEAR(n.x, 0, 1e-6);
            EXPECT_NEAR(n.y, 0, 1e-6);
            EXPECT_NEAR(n.z, 1, 1e-6);
        }
    lightMeshGrid(g.data(), 4, 5, 0.8f, 0.2f, 0.2f, 221, 256, 4);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(lightTablesA().diffuse[i], 272);
        EXPECT_EQ(lightTablesA().specular[i], 11);
    }
}

TEST(MeshLight, ChosenNormalsGiveTheirLightValues) {
    const VertexLight l = makeVertexLight(0.8f, 0.2f, 0.2f, 256, 4);
    const MeshVertex away{0, 0, -1, 0};
    EXPECT_EQ(diffuseTerm(l, away), 0);
    EXPECT_EQ(specularTerm(l, away), 0);
    const MeshVertex n{0.6f, 0.0f, 0.8f, 0};
    const double hx = 0.8 / std::sqrt(0.64 + 0.04 + 1.44), hz = 1.2 / std::sqrt(0.64 + 0.04 + 1.44);
    const double hn = hx * 0.6 + hz * 0.8;
    EXPECT_EQ(diffuseTerm(l, n), static_cast<int>(256 * (0.8 * 0.6 + 0.2 * 0.8)));   // 163
    EXPECT_EQ(specularTerm(l, n), static_cast<int>(256 * std::pow(hn, 16)));
    const VertexLight p0 = makeVertexLight(0.8f, 0.2f, 0.2f, 256, 0);
    EXPECT_EQ(specularTerm(p0, n), static_cast<int>(256 * hn));
    // A grid facing away from the light: diffuse is exactly the ambient value.
    std::vector<MeshVertex> g = flatGrid(3, 3);
    lightMeshGridB(g.data(), 3, 3, 0.0f, 0.0f, -1.0f, 77, 256, 4);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(lightTablesB().diffuse[i], 77);
        EXPECT_EQ(lightTablesB().specular[i], 0);
    }
}

TEST(MeshLight, NormalsFollowTheSurfaceAtCornersEdgesAndInside) {
    // A roof: depth rises with x, so every normal leans the same way.
    std::vector<MeshVertex> g;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) g.push_back(MeshVertex{10.0f * c, 10.0f * r, 10.0f * c, 0});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            MeshVertex n = gridVertexNormal(g.data(), 3, 4, r, c);
            EXPECT_NEAR(n.x, -std::sqrt(0.5), 1e-5) << r << "," << c;
            EXPECT_NEAR(n.y, 0, 1e-5);
            EXPECT_NEAR(n.z, std::sqrt(0.5), 1e-5);
        }
}

TEST(MeshLight, GridsOutsideTheTablesAreLeftAlone) {
    std::vector<MeshVertex> g = flatGrid(2, 2);
    lightTablesA().diffuse[0] = -5;
    lightMeshGrid(g.data(), 1, 4, 0, 0, 1, 0, 256, 1);
    lightMeshGrid(g.data(), 66, 66, 0, 0, 1, 0, 256, 1);
    EXPECT_EQ(lightTablesA().diffuse[0], -5);
}
