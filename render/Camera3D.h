// The fixed-function camera of the software 3D renderer.
//
// One global CameraState holds a projection and a model-view matrix, the
// viewport and the projection distance. Every frame an effect resets it, sets
// the viewport and projection, builds the model-view matrix (lookAt, rotate,
// translate) and projects its grid with transformGrid: an animation and a
// transition drawn in the same frame each set it their own way.
//
// Matrices are 16 floats, row-major, acting on column vectors: the translation
// sits in column 3 and every operation multiplies on the left (new = Op x old),
// so a later operation acts on the result of the earlier ones. Row 3 is never
// used to transform. UI thread only; nothing is saved between effects.
#pragma once
#include <cstdint>

#include "render/MeshVertex.h"

// rows x cols MeshVertex in one array, row-major: vertex (r, c) is r * cols + c.
using MeshGrid = MeshVertex;

struct Matrix4 {
    float e[16];                                  // element (i, j) is e[4 * i + j]
    float& at(int i, int j) { return e[4 * i + j]; }
    float at(int i, int j) const { return e[4 * i + j]; }
};

struct CameraState {
    Matrix4 ProjectionMatrix;   // matrix 1
    Matrix4 ModelViewMatrix;    // matrix 2
    int32_t selected;           // 1 = operations change the projection matrix, else the model-view
    int32_t viewportLeft;
    int32_t viewportTop;
    int32_t viewportRight;      // exclusive
    int32_t viewportBottom;     // exclusive
    int32_t distance;           // projection distance d in pixels
    int32_t nearNeg;            // -near truncated: near limit of the clipped depth spans
    int32_t farNeg;             // -far truncated: kept, not used for drawing
    Matrix4 scratch;            // work matrix (the combined matrix of transformGrid)
    MeshVertex rotationAxis;    // the last axis given to rotate
};

// The one camera; zero until the first resetTransforms. The spectrum
// animations set distance, nearNeg and farNeg directly.
CameraState& cameraState();

void resetTransforms();
void selectMatrix(int32_t which);
void loadIdentity();
void rotate(float angleDegrees, float ax, float ay, float az);
void translate(float tx, float ty, float tz);
void lookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
            float upY, float upZ);
void setViewport(int32_t left, int32_t top, int32_t right, int32_t bottom);
// The second argument is not read.
void setProjection(float fovDegrees, int32_t ignored, float nearDepth, float farDepth);
// Replaces x, y by screen coordinates and z by the camera-space depth; the
// fourth word is left alone.
void transformGrid(MeshGrid* grid, int32_t rows, int32_t cols);

// Vector and matrix operations; outputs go through the first pointer and are returned.
float dotProduct(const MeshVertex& a, const MeshVertex& b);
MeshVertex* crossProductW(MeshVertex* out, const MeshVertex& a, const MeshVertex& b);
float vectorLength(const MeshVertex& a);
// A zero vector stays zero (its components are scaled by 32768).
MeshVertex* normalizeVector(MeshVertex* out, const MeshVertex& a);
MeshVertex* scaleVectorDiv(MeshVertex* out, const MeshVertex& a, float s);
MeshVertex* subtractVector(MeshVertex* out, const MeshVertex& a, const MeshVertex& b);
MeshVertex* clearVector(MeshVertex* a);
Matrix4* identityMatrix(Matrix4* m);
Matrix4* buildRotationMatrix(Matrix4* m, const MeshVertex& axis, float angleRadians);
// dst = A x B; dst may be A or B.
Matrix4* multiplyMatrix(Matrix4* dst, const Matrix4& a, const Matrix4& b);
