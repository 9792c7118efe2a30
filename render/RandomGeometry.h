// Random values in ranges, and point operations in float and fixed point.
//
// Float angles are radians; fixed angles are 65,536ths of a turn read from the
// 15-bit sine and cosine tables (index (angle & 0xFFFF) >> 3). Points are passed
// as pointers to their coordinates and updated in place.
#pragma once
#include <cstdint>

#include "render/MeshVertex.h"

// Integer point of the fixed-point twins.
struct FixedPoint3 {
    int32_t x;
    int32_t y;
    int32_t z;
};

// a + (draw mod (b - a)): a to b - 1. A range of width 0 gives a.
int32_t randRange(int32_t a, int32_t b);
// a + draw * (b - a) / 32767 in single precision: a to b inclusive.
float randRangeFloat(float a, float b);
double randRangeDouble(double a, double b);
// a + S * (b - a) / (n * 32767), S the sum of n draws: a bell-shaped spread over a to b.
int32_t randBell(int32_t a, int32_t b, int32_t n);
// -3..6, never 0; 5 and 6 need rand() at its maximum, so they are rare.
int8_t randomSmallStep();

// Float rotations of one pair, u' = u cos + v sin, v' = v cos - u sin.
void rotateX(float* y, float* z, float angle);
void rotateY(float* x, float* z, float angle);   // the pair (z, x)
void rotateZ(float* x, float* y, float angle);
void rotateAboutCentre1(float* p, float* q, float angle, int32_t c);
void rotateAboutCentre1B(float* p, float* q, float angle, int32_t c);
void rotateAboutPoint(float* p, float* q, float angle, int32_t cx, int32_t cy);
void rotateXYZ(float* x, float* y, float* z, float ax, float ay, float az);
// Turns p about the line through a and b.
void rotateAboutAxis(MeshVertex* p, const MeshVertex& a, const MeshVertex& b, float angle);

void translatePoint(float* x, float* y, float* z, int32_t dx, int32_t dy, int32_t dz);
// x, y times d / max(z + d, 16); z unchanged.
void projectPoint(float* x, float* y, float* z, int32_t d);
void projectPointAbout(float* x, float* y, float* z, int32_t cx, int32_t cy, int32_t d);
void transformPoint(float* x, float* y, float* z, float ax, float ay, float az, int32_t sx,
                    int32_t sy, int32_t dz, int32_t d);

void crossProduct(MeshVertex* out, const MeshVertex& a, const MeshVertex& b);
// Unit normal of (p1 - p2) x (p1 - p3); scaled by 32768 instead when its length is 0.
void planeNormal(MeshVertex* out, const MeshVertex& p1, const MeshVertex& p2, const MeshVertex& p3);
void midpoint(MeshVertex* out, const MeshVertex& a, const MeshVertex& b);
void centroid4(MeshVertex* out, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
               const MeshVertex& d);

// Fixed-point twins: products with the 15-bit tables, >> 15, centres added after.
void rotateXFixed(int32_t* p, int32_t* q, int32_t angle);   // also the twin of rotateZ
void rotateYFixed(int32_t* x, int32_t* y, int32_t angle);
void rotateAboutCentre1Fixed(int32_t* p, int32_t* q, int32_t angle, int32_t c);
void rotateAboutCentre1BFixed(int32_t* p, int32_t* q, int32_t angle, int32_t c);
void rotateAboutPointFixed(int32_t* x, int32_t* y, int32_t angle, int32_t cx, int32_t cy);
void rotateXYZFixed(int32_t* x, int32_t* y, int32_t* z, int32_t ax, int32_t ay, int32_t az);
void translatePointFixed(int32_t* x, int32_t* y, int32_t* z, int32_t dx, int32_t dy, int32_t dz);
void projectPointFixed(int32_t* x, int32_t* y, int32_t* z, int32_t d);
void projectPointAboutFixed(int32_t* x, int32_t* y, int32_t* z, int32_t cx, int32_t cy, int32_t d);
void transformPointFixed(int32_t* x, int32_t* y, int32_t* z, int32_t ax, int32_t ay, int32_t az,
                         int32_t sx, int32_t sy, int32_t dz, int32_t d);
int32_t dotProductFixed(const FixedPoint3& a, const FixedPoint3& b);
