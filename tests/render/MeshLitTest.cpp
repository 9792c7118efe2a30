// Lit and Gouraud meshes, dots, depth lines and the second textured front end.
#include <gtest/gtest.h>

#include <vector>

#include "render/MeshLit.h"
#include "tests/render/MeshFixtures.h"

using vt_test::GuardedBuffer;

namespace {

constexpr int kW = 160, kH = 120;

MeshVertex at(float x, float y, float z) { return MeshVertex{x, y, z, 0}; }

struct Tri {
    MeshVertex v[3];
};
const Tri kTri{{at(10, 10, 0), at(60, 15, 0), at(20, 50, 0)}};

int countEqual(const GuardedBuffer& b, Pixel value) {
    int n = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) n += b.at(x, y) == value;
    return n;
}

}  // namespace

TEST(LitTriangles, TranslucentHalvesAndAdditiveSaturates) {
    mesh_fixtures::standardCamera(kW, kH);
    GuardedBuffer frame(kW, kH, 0xFFFFFF);
    const uint32_t c = 0x643200;   // (100, 50, 0)
    drawLitTriangleB(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), &kTri.v[0], &kTri.v[1], &kTri.v[2], &c, &c, &c);
    EXPECT_EQ(frame.at(20, 20), 0xB1987Fu);   // (177, 152, 127)
    EXPECT_EQ(frame.at(5, 5), 0xFFFFFFu);

    GuardedBuffer grey(kW, kH, 0x646464);
    const float p[3][2] = {{10, 10}, {60, 15}, {20, 50}};
    const uint32_t add = 0xC81010;   // red 200, green and blue 16
    fillTriangleGouraud(grey.pixels(), Rect{0, 0, kW, kH}, grey.pitch(), p[0], p[1], p[2], &add, &add, &add);
    EXPECT_EQ(grey.at(20, 20), 0xFF7474u);
    EXPECT_TRUE(grey.guardIntact());
    EXPECT_TRUE(grey.marginIntact(0x646464));
}

TEST(LitTriangles, GouraudInterpolatesBetweenVertexColours) {
    GuardedBuffer frame(kW, kH, 0);
    const float p[3][2] = {{0, 0}, {100, 0}, {0, 100}};
    const uint32_t black = 0, red = 0xC80000;
    fillTriangleGouraud(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), p[0], p[1], p[2], &black, &red, &black);
    uint32_t last = 0;
    for (int x = 0; x < 90; ++x) {   // red grows along the top rows, green and blue stay 0
        const uint32_t r = frame.at(x, 5) >> 16;
        EXPECT_GE(r, last);
        EXPECT_EQ(frame.at(x, 5) & 0xFFFF, 0u);
        last = r;
    }
    EXPECT_NEAR(static_cast<int>(frame.at(50, 5) >> 16), 100, 3);
}

TEST(LitTriangles, NearPlaneAndDepthTies) {
    GuardedBuffer frame = mesh_fixtures::cameraFrame(kW, kH, 0);
    const int saved = cameraState().nearNeg;
    cameraState().nearNeg = 5;
    const uint32_t c = 0x204060, d = 0x00FF00;
    const Tri onPlane{{at(10, 10, 5), at(60, 15, 5), at(20, 50, 5)}};
    const Tri beyond{{at(10, 10, 6), at(60, 15, 6), at(20, 50, 6)}};
    const Rect clip{0, 0, kW, kH};
    drawLitTriangle(frame.pixels(), clip, frame.pitch(), &onPlane.v[0], &onPlane.v[1], &onPlane.v[2], &c, &c, &c);
    drawLitTriangleB(frame.pixels(), clip, frame.pitch(), &onPlane.v[0], &onPlane.v[1], &onPlane.v[2], &c, &c, &c);
    EXPECT_EQ(countEqual(frame, 0), kW * kH);
    drawLitTriangle(frame.pixels(), clip, frame.pitch(), &beyond.v[0], &beyond.v[1], &beyond.v[2], &c, &c, &c);
    EXPECT_EQ(frame.at(20, 20), c);
    EXPECT_EQ(depthBuffer()[20 * frame.pitch() + 20], 6);
    drawLitTriangle(frame.pixels(), clip, frame.pitch(), &beyond.v[0], &beyond.v[1], &beyond.v[2], &d, &d, &d);
    EXPECT_EQ(frame.at(20, 20), c);   // equal depth: not drawn
    cameraState().nearNeg = saved;
}

TEST(LitTriangles, DegenerateAndOutsideTrianglesDrawNothing) {
    GuardedBuffer frame = mesh_fixtures::cameraFrame(kW, kH, 0);
    const uint32_t c = 0xFFFFFF;
    const Tri flat{{at(10, 10, 0), at(60, 10, 0), at(20, 10, 0)}};
    const Tri above{{at(10, -40, 0), at(60, -30, 0), at(20, -10, 0)}};
    const Rect clip{0, 0, kW, kH};
    for (const Tri* t : {&flat, &above})
        drawLitTriangle(frame.pixels(), clip, frame.pitch(), &t->v[0], &t->v[1], &t->v[2], &c, &c, &c);
    EXPECT_EQ(countEqual(frame, 0), kW * kH);
    EXPECT_TRUE(frame.guardIntact());
}

TEST(LitMesh, LightsColoursInPlaceAndDrawsThem) {
    GuardedBuffer frame = mesh_fixtures::cameraFrame(kW, kH, 0);
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(3, 4, kW, kH, 10, 10, 40, 40);
    std::vector<uint32_t> colours(12, 0x646464);
    const float light[3] = {0.8f, 0.2f, 0.2f};
    const int32_t ambient[3] = {128, 128, 128};   // integer length 221
    // Flat grid facing the viewer: diffuse 221 + 51, highlight 11.
    renderLitMesh(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), g.data(), colours.data(), 0, 0, 4, 3, light, 0,
                  ambient, 1.0f, 4, 0);
    for (uint32_t c : colours) EXPECT_EQ(c, 0x757575u);   // 11 + 272 x 100 / 256 = 117
    EXPECT_EQ(frame.at(50, 50), 0x757575u);
    EXPECT_EQ(frame.at(5, 5), 0u);
    renderLitMesh(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), g.data(), colours.data(), 0, 0, 4, 3, light, 0,
                  ambient, 1.0f, 4, 0);
    for (uint32_t c : colours) EXPECT_EQ(c, 0x878787u);   // lit again: 11 + 272 x 117 / 256 = 135
    EXPECT_TRUE(frame.guardIntact());
}

TEST(LitMesh, WrapFlagsCloseTheMesh) {
    auto count = [](int rows, int cols, int wr, int wc) {
        int n = 0;
        forEachMeshTriangle(rows, cols, wr, wc, [&](int32_t a, int32_t b, int32_t c) {
            EXPECT_LT(a, rows * cols);
            EXPECT_LT(b, rows * cols);
            EXPECT_LT(c, rows * cols);
            ++n;
        });
        return n;
    };
    EXPECT_EQ(count(20, 64, 1, 1), 2 * (19 * 63 + 63 + 19 + 1));
    EXPECT_EQ(count(20, 64, 0, 0), 2 * 19 * 63);
    EXPECT_EQ(count(3, 4, 1, 0), 2 * (2 * 3 + 3));
    EXPECT_EQ(count(1, 4, 0, 0), 0);

    // The translucent grid over white: every covered pixel is half the vertex colour plus half white.
    mesh_fixtures::standardCamera(kW, kH);
    GuardedBuffer frame(kW, kH, 0xFFFFFF);
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(kWrappedGridRows, kWrappedGridCols, kW, kH, 0, 0,
                                                                 2.5f, 6.0f);
    std::vector<uint32_t> colours(g.size(), 0x000000);
    renderWrappedGrid(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), g.data(), colours.data(), 0, 0, 0, 0);
    EXPECT_EQ(frame.at(80, 60), 0x7F7F7Fu);
    EXPECT_EQ(frame.at(159, 60), 0xFFFFFFu);   // right of the last column (x 157.5)
}

TEST(LitMesh, WireMeshDrawsTheCellEdgesOnly) {
    GuardedBuffer frame = mesh_fixtures::cameraFrame(kW, kH, 0);
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(2, 2, kW, kH, 20, 20, 60, 60);
    std::vector<uint32_t> colours(4, 0xFFFFFF);
    const float light[3] = {0.0f, 0.0f, 1.0f};
    const int32_t ambient[3] = {0, 0, 0};
    renderLitWireMesh(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), g.data(), colours.data(), 0, 0, 2, 2, light,
                      0, ambient, 0.0f, 4, 0);
    EXPECT_EQ(frame.at(50, 20), 0xFFFFFFu);   // top edge
    EXPECT_EQ(frame.at(20, 50), 0xFFFFFFu);   // left edge
    EXPECT_EQ(frame.at(80, 50), 0xFFFFFFu);   // right edge
    EXPECT_EQ(frame.at(50, 80), 0xFFFFFFu);   // bottom edge
    EXPECT_EQ(frame.at(50, 50), 0u);          // inside
}

TEST(DepthLine, ThreePixelBandWithFadedEdges) {
    GuardedBuffer frame(kW, kH, 0x102030);
    mesh_fixtures::clearDepth(frame);
    const int32_t p0[3] = {10, 10, 0}, p1[3] = {20, 10, 0};
    const uint32_t colour = 0xFF8000;
    drawDepthLine(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), p0, p1, &colour, 0);
    const int16_t* depth = depthBuffer();
    for (int y = 8; y <= 13; ++y)
        for (int x = 8; x <= 21; ++x) {
            const bool column = x >= 10 && x <= 19;
            const bool drawn = column && y >= 9 && y <= 11;
            EXPECT_EQ(frame.at(x, y), drawn ? colour : 0x102030u) << x << "," << y;
            EXPECT_EQ(depth[y * frame.pitch() + x], column && y >= 9 && y <= 12 ? 0 : kDepthEmpty) << x << "," << y;
        }
    // Behind what is there: nothing changes; a line of one point draws nothing.
    const int32_t q0[3] = {10, 10, 9}, q1[3] = {20, 10, 9};
    const uint32_t other = 0x00FF00;
    drawDepthLine(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), q0, q1, &other, 0);
    drawDepthLine(frame.pixels(), Rect{0, 0, kW, kH}, frame.pitch(), p0, p0, &other, 0);
    EXPECT_EQ(countEqual(frame, other), 0);
}

TEST(DepthLine, SteepLinesAndTheClipWindow) {
    GuardedBuffer frame(kW, kH, 0);
    mesh_fixtures::clearDepth(frame);
    const int32_t p0[3] = {50, -30, 0}, p1[3] = {50, 200, 0};
    const uint32_t colour = 0xFFFFFF;
    const Rect clip{10, 10, 100, 100};
    drawDepthLine(frame.pixels(), clip, frame.pitch(), p0, p1, &colour, 0);
    for (int y = 0; y < kH; ++y) {
        const bool inWindow = y >= clip.top + 1 && y < clip.bottom - 2;
        EXPECT_EQ(frame.at(50, y), inWindow ? colour : 0u) << y;
        EXPECT_EQ(frame.at(51, y), inWindow ? colour : 0u) << y;
        EXPECT_EQ(frame.at(52, y), 0u) << y;   // fraction 0: the after pixel keeps its colour
    }
    EXPECT_TRUE(frame.guardIntact());
}

TEST(Dots, PlusShapeInsideTheMargins) {
    GuardedBuffer frame(40, 40, 0x101010);
    const Rect clip{5, 5, 35, 35};
    plotDot(frame.pixels(), clip, frame.pitch(), clip.left + 2, 20, 0x0F0F0F);
    EXPECT_EQ(countEqual(frame, 0x101010), 40 * 40);
    plotDot(frame.pixels(), clip, frame.pitch(), clip.left + 3, 20, 0xF0F0F0);
    const int x = clip.left + 3;
    const int cross[8][2] = {{-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {0, -2}, {0, -1}, {0, 1}, {0, 2}};
    for (const auto& o : cross) EXPECT_EQ(frame.at(x + o[0], 20 + o[1]), 0xFFFFFFu);
    EXPECT_EQ(frame.at(x + 2, 20), 0x101010u);
    EXPECT_EQ(countEqual(frame, 0xFFFFFF), 8);
    plotDot(frame.pixels(), clip, frame.pitch(), 20, clip.bottom - 3, 0xFFFFFF);   // too near the bottom
    EXPECT_EQ(countEqual(frame, 0xFFFFFF), 8);

    mesh_fixtures::standardCamera(40, 40);
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(2, 2, 40, 40, 10, 10, 20, 20);
    const int32_t colours[4] = {0x000001, 0x000002, 0x000003, 0x000004};
    GuardedBuffer dots(40, 40, 0);
    plotMeshPoints(dots.pixels(), Rect{0, 0, 40, 40}, dots.pitch(), g.data(), colours, 2, 2);
    EXPECT_EQ(dots.at(10, 10), 1u);
    EXPECT_EQ(dots.at(30, 10), 2u);
    EXPECT_EQ(dots.at(10, 30), 3u);
    EXPECT_EQ(dots.at(30, 30), 4u);
    EXPECT_EQ(dots.at(30, 32), 4u);
}

TEST(MeshGridB, ReproducesTheTextureAndStopsAtTheNearPlane) {
    mesh_fixtures::standardCamera(kW, kH);
    GuardedBuffer frame(kW, kH, 0), texture(kW, kH);
    mesh_fixtures::fillDistinct(texture);
    mesh_fixtures::clearDepth(frame);
    const float light[3] = {0.0f, 0.0f, 1.0f};
    const int32_t ambient[3] = {0, 0, 0};
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(5, 9, kW, kH, 0, 0, 20, 30);
    renderMeshGridB(frame.pixels(), texture.pixels(), Rect{0, 0, kW, kH}, Rect{0, 0, kW, kH}, frame.pitch(),
                    texture.pitch(), g.data(), 5, 9, light, 0, ambient, 0.0f, 4);
    EXPECT_TRUE(frame.sameVisible(texture));

    // Magnified: the bilinear routine, exact on even pixels.
    GuardedBuffer big(kW, kH, 0);
    mesh_fixtures::clearDepth(big);
    renderMeshGridB(big.pixels(), texture.pixels(), Rect{0, 0, kW, kH}, Rect{0, 0, 80, 60}, big.pitch(),
                    texture.pitch(), g.data(), 5, 9, light, 0, ambient, 0.0f, 4);
    for (int y = 0; y < kH; y += 2)
        for (int x = 0; x < kW; x += 2) ASSERT_EQ(big.at(x, y), texture.at(x / 2, y / 2)) << x << "," << y;

    // Depth 0 equal to nearNeg: neither routine draws.
    const int saved = cameraState().nearNeg;
    cameraState().nearNeg = 0;
    for (const Rect& src : {Rect{0, 0, kW, kH}, Rect{0, 0, 80, 60}}) {
        GuardedBuffer none(kW, kH, 0);
        mesh_fixtures::clearDepth(none);
        renderMeshGridB(none.pixels(), texture.pixels(), Rect{0, 0, kW, kH}, src, none.pitch(), texture.pitch(),
                        g.data(), 5, 9, light, 0, ambient, 0.0f, 4);
        EXPECT_EQ(countEqual(none, 0), kW * kH);
    }
    cameraState().nearNeg = saved;
}
