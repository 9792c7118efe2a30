// Small geometry shared by the mesh, triangle, quad and relief routines.
#pragma once
#include <cstdint>


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

// The integer length of an int32 vector (the ambient term of the lit meshes):
// truncated square root of its fixed-point dot product with itself; 0 should
// the product leave 32 bits.
int32_t integerLength(const int32_t* v);
