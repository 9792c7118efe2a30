// Small geometry shared by the mesh, triangle, quad and relief routines.
#pragma once
#include <cmath>
#include <cstdint>

#include "render/FloatToInt.h"
#include "render/MeshVertex.h"

// Side of the line from a top vertex (a3, a4) to a bottom vertex (a5, a6) on
// which the point (a1, a2) lies: 1 when it lies left of it on screen (y grows
// downward), else 0. Products are taken in 64 bits.
int32_t windingTest(const int32_t* a1, const int32_t* a2, const int32_t* a3, const int32_t* a4,
                    const int32_t* a5, const int32_t* a6);
// The same orientation test in the form the textured triangle writes it; with
// (point, top, bottom) it gives the same answer as windingTest.
int32_t windingTestB(const int32_t* p1, const int32_t* p2, const int32_t* p3, const int32_t* p4,
                     const int32_t* p5, const int32_t* p6);

// Value forms for code that holds the coordinates in locals.
inline int32_t windingTest(int32_t px, int32_t py, int32_t topX, int32_t topY, int32_t bottomX,
                           int32_t bottomY) {
    return windingTest(&px, &py, &topX, &topY, &bottomX, &bottomY);
}

// The boundaries of one band of a convex polygon whose n vertices (3 or 4) are
// sorted by ascending y. middleLeft[i] tells whether middle vertex i + 1 lies
// on the left chain (windingTest 1) or the right one. Band k runs from vertex k
// to vertex k + 1; the result names the start and end vertex of its left and
// right boundary edges.
struct BandEdges {
    int leftFrom, leftTo;
    int rightFrom, rightTo;
};
BandEdges bandEdges(int n, const int32_t* middleLeft, int k);

// Point helpers in the arithmetic of the shared point geometry: extended
// intermediate precision, single-precision results.
namespace meshgeom {

inline void planeNormal(MeshVertex* out, const MeshVertex& p1, const MeshVertex& p2, const MeshVertex& p3) {
    float ux = p1.x - p2.x, uy = p1.y - p2.y, uz = p1.z - p2.z;
    float vx = p1.x - p3.x, vy = p1.y - p3.y, vz = p1.z - p3.z;
    float nx = static_cast<float>(static_cast<double>(uy) * vz - static_cast<double>(uz) * vy);
    float ny = static_cast<float>(static_cast<double>(uz) * vx - static_cast<double>(ux) * vz);
    float nz = static_cast<float>(static_cast<double>(ux) * vy - static_cast<double>(uy) * vx);
    double len = std::sqrt(static_cast<double>(nx) * nx + static_cast<double>(ny) * ny +
                           static_cast<double>(nz) * nz);
    double s = len == 0.0 ? 32768.0 : 1.0 / len;
    out->x = static_cast<float>(nx * s);
    out->y = static_cast<float>(ny * s);
    out->z = static_cast<float>(nz * s);
}

inline void midpoint(MeshVertex* out, const MeshVertex& a, const MeshVertex& b) {
    out->x = static_cast<float>((static_cast<double>(a.x) + b.x) * 0.5);
    out->y = static_cast<float>((static_cast<double>(a.y) + b.y) * 0.5);
    out->z = static_cast<float>((static_cast<double>(a.z) + b.z) * 0.5);
    out->w = 0;
}

inline void centroid4(MeshVertex* out, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
                      const MeshVertex& d) {
    out->x = static_cast<float>((static_cast<double>(a.x) + b.x + c.x + d.x) * 0.25);
    out->y = static_cast<float>((static_cast<double>(a.y) + b.y + c.y + d.y) * 0.25);
    out->z = static_cast<float>((static_cast<double>(a.z) + b.z + c.z + d.z) * 0.25);
    out->w = 0;
}

// u' = u cos + v sin, v' = v cos - u sin.
inline void rotatePair(float* u, float* v, float angle) {
    double c = std::cos(static_cast<double>(angle)), s = std::sin(static_cast<double>(angle));
    double u0 = *u, v0 = *v;
    *u = static_cast<float>(u0 * c + v0 * s);
    *v = static_cast<float>(v0 * c - u0 * s);
}
inline void rotateY(float* x, float* z, float angle) { rotatePair(z, x, angle); }

// Rotation about x, y and z, z += dz, perspective d / max(z + d, 16), then the
// screen offset.
inline void transformPoint(float* x, float* y, float* z, float ax, float ay, float az, int32_t sx,
                           int32_t sy, int32_t dz, int32_t d) {
    rotatePair(y, z, ax);
    rotatePair(z, x, ay);
    rotatePair(x, y, az);
    *z = static_cast<float>(static_cast<double>(*z) + dz);
    double depth = static_cast<double>(*z) + d;
    if (!(depth > 16.0)) depth = 16.0;
    double f = d / depth;
    *x = static_cast<float>(*x * f);
    *y = static_cast<float>(*y * f);
    *x = static_cast<float>(static_cast<double>(*x) + sx);
    *y = static_cast<float>(static_cast<double>(*y) + sy);
}

// The integer length of an int32 vector: truncated sqrt of its dot product with itself.
inline int32_t integerLength(const int32_t* v) {
    int64_t dot = static_cast<int64_t>(v[0]) * v[0] + static_cast<int64_t>(v[1]) * v[1] +
                  static_cast<int64_t>(v[2]) * v[2];
    return truncToInt(std::sqrt(static_cast<double>(dot)));
}

}  // namespace meshgeom
