// Camera, matrices and grid projection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "render/Camera3D.h"
#include "tests/render/MeshFixtures.h"

namespace {

MeshVertex apply(const Matrix4& m, MeshVertex p) {
    return MeshVertex{m.e[0] * p.x + m.e[1] * p.y + m.e[2] * p.z + m.e[3],
                      m.e[4] * p.x + m.e[5] * p.y + m.e[6] * p.z + m.e[7],
                      m.e[8] * p.x + m.e[9] * p.y + m.e[10] * p.z + m.e[11], 0};
}

void expectNear(const MeshVertex& v, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

bool sameMatrix(const Matrix4& a, const Matrix4& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(Camera, RotateTurnsClockwiseAboutTheViewAxisAndIgnoresZeroAngles) {
    resetTransforms();
    selectMatrix(2);
    Matrix4 before = cameraState().ModelViewMatrix;
    rotate(0.0f, 1.0f, 2.0f, 3.0f);
    EXPECT_TRUE(sameMatrix(before, cameraState().ModelViewMatrix));
    rotate(90.0f, 0.0f, 0.0f, 1.0f);
    expectNear(apply(cameraState().ModelViewMatrix, {1, 0, 0, 0}), 0, -1, 0);
    // A zero axis leaves only the cosine on the diagonal.
    Matrix4 m{};
    buildRotationMatrix(&m, MeshVertex{0, 0, 0, 0}, 1.0f);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_FLOAT_EQ(m.at(i, j), i == j ? std::cos(1.0f) : 0.0f);
}

TEST(Camera, ResetLeavesTheProjectionMatrixSelected) {
    resetTransforms();
    translate(5, 0, 0);
    expectNear(apply(cameraState().ProjectionMatrix, {0, 0, 0, 0}), 5, 0, 0);
    expectNear(apply(cameraState().ModelViewMatrix, {0, 0, 0, 0}), 0, 0, 0);
}

TEST(Camera, LookAtDefaultMovesDepthByOneAndLaterOperationsActOnItsResult) {
    resetTransforms();
    selectMatrix(2);
    lookAt(0, 0, 1, 0, 0, 0, 0, 1, 0);
    expectNear(apply(cameraState().ModelViewMatrix, {3, 4, 5, 0}), 3, 4, 6);
    rotate(90.0f, 0, 0, 1);
    expectNear(apply(cameraState().ModelViewMatrix, {1, 0, 0, 0}), 0, -1, 1);
    translate(10, 0, 0);
    expectNear(apply(cameraState().ModelViewMatrix, {1, 0, 0, 0}), 10, -1, 1);
}

TEST(Camera, LookAtGuardsAndFallbackUp) {
    resetTransforms();
    selectMatrix(2);
    Matrix4 before = cameraState().ModelViewMatrix;
    lookAt(1, 2, 3, 1, 2, 3, 0, 1, 0);
    EXPECT_TRUE(sameMatrix(before, cameraState().ModelViewMatrix));
    // Looking along y with up along y: up falls back to (0, 0, 1), unit length.
    lookAt(0, 0, 0, 0, 1, 0, 0, 1, 0);
    const Matrix4& m = cameraState().ModelViewMatrix;
    EXPECT_NEAR(m.at(1, 0), 0.0f, 1e-6f);
    EXPECT_NEAR(m.at(1, 1), 0.0f, 1e-6f);
    EXPECT_NEAR(m.at(1, 2), 1.0f, 1e-6f);
    EXPECT_NEAR(m.at(2, 1), 1.0f, 1e-6f);   // the viewing direction
}

TEST(Camera, ProjectionDistance) {
    setViewport(0, 0, 640, 480);
    setProjection(0.0f, 0, 10.0f, 20.0f);
    EXPECT_EQ(cameraState().distance, 32768);
    EXPECT_EQ(cameraState().nearNeg, -10);
    EXPECT_EQ(cameraState().farNeg, -20);
    setProjection(120.0f, 0, 200.5f, 0.0f);
    EXPECT_EQ(cameraState().distance, 138);   // truncate(240 / tan 60)
    EXPECT_EQ(cameraState().nearNeg, -200);
    setViewport(0, 0, 800, 601);                // the half-height is an integer division
    setProjection(120.0f, 0, 0.0f, 0.0f);
    EXPECT_EQ(cameraState().distance, 173);
}

TEST(Camera, TransformGridProjectsKnownPoints) {
    mesh_fixtures::standardCamera(800, 600);
    ASSERT_EQ(cameraState().distance, 173);
    std::vector<MeshVertex> g = {{100, -50, 0, 0x11}, {0, 0, -1, 0x22}, {-40, 20, 172, 0x33}, {7, 7, -400, 0x44}};
    transformGrid(g.data(), 2, 2);
    const float f = 173.0f / 174.0f;
    expectNear(g[0], 400 + 100 * f, 300 - 50 * f, 1, 1e-3f);
    expectNear(g[1], 400, 300, 0);                                        // z' = 0 keeps its size
    expectNear(g[2], 400 - 40 * 0.5f, 300 + 20 * 0.5f, 173, 1e-3f);       // twice the distance: half the size
    expectNear(g[3], 400 + 7 * 173.0f, 300 + 7 * 173.0f, -399, 1e-2f);    // behind the plane z' = 1 - d: scaled by d
    EXPECT_EQ(g[0].w, 0x11);
    EXPECT_EQ(g[3].w, 0x44);
}

TEST(Camera, ProjectionMatrixActsBeforeModelView) {
    mesh_fixtures::standardCamera(800, 600);
    selectMatrix(1);
    translate(5, 0, 0);
    selectMatrix(2);
    rotate(90.0f, 0, 0, 1);   // applied after lookAt: camera space turned
    std::vector<MeshVertex> g = {{0, 0, -1, 0}};
    transformGrid(g.data(), 1, 1);
    expectNear(g[0], 400, 300 - 5, 0, 1e-4f);
}

TEST(Camera, TransformGridTouchesExactlyTheGrid) {
    mesh_fixtures::standardCamera(640, 480);
    selectMatrix(2);
    rotate(30.0f, 1, 1, 0);
    std::vector<MeshVertex> g(15 * 21 + 5);
    for (size_t i = 0; i < g.size(); ++i)
        g[i] = MeshVertex{static_cast<float>(i % 21) * 10, static_cast<float>(i / 21) * 10, 3.0f, static_cast<int32_t>(i)};
    std::vector<MeshVertex> before = g;
    transformGrid(g.data(), 15, 21);
    int changed = 0;
    for (size_t i = 0; i < g.size(); ++i) {
        changed += std::memcmp(&g[i], &before[i], sizeof(MeshVertex)) != 0;
        EXPECT_EQ(g[i].w, before[i].w);
    }
    EXPECT_EQ(changed, 315);
}

TEST(Camera, VectorsAndMatrices) {
    MeshVertex out{};
    normalizeVector(&out, MeshVertex{0, 0, 0, 0});
    expectNear(out, 0, 0, 0);
    normalizeVector(&out, MeshVertex{3, 0, 4, 0});
    expectNear(out, 0.6f, 0, 0.8f);
    EXPECT_FLOAT_EQ(vectorLength(MeshVertex{3, 0, 4, 0}), 5.0f);
    crossProductW(&out, MeshVertex{1, 0, 0, 0}, MeshVertex{0, 1, 0, 0});
    expectNear(out, 0, 0, 1);
    EXPECT_FLOAT_EQ(dotProduct(MeshVertex{1, 2, 3, 0}, MeshVertex{4, 5, 6, 0}), 32.0f);
    // dst may alias the second operand.
    Matrix4 r{}, m{};
    buildRotationMatrix(&r, MeshVertex{0, 0, 1, 0}, 0.5f);
    identityMatrix(&m);
    m.at(0, 3) = 7;
    m.at(1, 1) = 2;
    Matrix4 expected{};
    multiplyMatrix(&expected, r, m);
    multiplyMatrix(&m, r, m);
    EXPECT_TRUE(sameMatrix(expected, m));
}
