// A small mass-spring cloth: a flag of 8 x 11 nodes hanging from the two ends
// of its left edge, waving under gravity, air drag and random wind gusts. Each
// user (a title effect, an image effect, transitions) keeps its own Cloth; the
// first frame of the user's effect calls initClothMesh, then every frame sets
// the wind strength and takes a few small steps.
#pragma once
#include <cstdint>

#include "render/Camera3D.h"

constexpr int32_t kClothRows = 8;
constexpr int32_t kClothCols = 11;
constexpr int32_t kClothNodes = kClothRows * kClothCols;
constexpr int32_t kClothSprings = 297;
constexpr int32_t kClothTriangles = 280;

struct ClothNode {
    float mass;
    float inverseMass;
    float position[3];
    float velocity[3];
    float acceleration[3];
    float force[3];
    int32_t pinned;       // 1: held in place
};

struct ClothSpring {
    int32_t row1, col1, row2, col2;
    float stiffness;
    float damping;
    float restLength;
};

struct ClothContact {
    int32_t row, col;     // -1: none
    float normal[3];
};

struct Cloth {
    ClothNode nodes[kClothNodes];              // row-major: row x 11 + column
    ClothSpring springs[kClothSprings];
    ClothContact contacts[kClothNodes];
    float vertices[2 * kClothNodes][3];        // the node positions twice: front and back faces
    int32_t triangles[kClothTriangles][3];     // 140 front, 140 back with the opposite winding
    float windDirection[3];
    float windStrength;
};

// Rest shape: 100 x 75 units in the z = 0 plane, centred near the origin.
void initClothMesh(Cloth& cloth);
void setClothWindStrength(Cloth& cloth, float strength);
void setClothWindDirection(Cloth& cloth, float x, float y, float z);
// Forces of gravity, drag, one random gust per free node (crtRand) and the springs.
void computeClothForces(Cloth& cloth);
// One explicit step of dt seconds; returns the vertex array.
const float (*stepCloth(Cloth& cloth, float dt))[3];
const float (*updateClothVertices(Cloth& cloth))[3];
int32_t clearClothContacts(Cloth& cloth);
float* setVec3(float* v, float x, float y, float z);
float* addVec3(float* v, float x, float y, float z);
// False when a position has run off to infinity or NaN.
bool clothIsFinite(const Cloth& cloth);

// The flag mesh hung on the cloth: 15 x 21 vertices refined from the nodes'
// positions (x, y, z, row-major). The nodes land on the even rows and columns
// (x and y scaled, z not); every point between them follows the four-point
// rule 0.62 (b + c) - 0.12 (a + d) across b and c, first along the node rows,
// then down every column.
constexpr int32_t kFlagRows = 2 * kClothRows - 1, kFlagCols = 2 * kClothCols - 1;
void buildClothFlagGrid(const float (*nodes)[3], float xScale, float yScale, MeshGrid* grid);
