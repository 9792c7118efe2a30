// Builders of the grids the 3D image effects deform and render, and the
// affine textured triangle of the effects that break a picture into pieces.
//
// The builders place every vertex in model space and move it to the screen
// with the point transform (rotation about x, y and z in radians, depth offset
// dz, perspective d / max(z + d, 16), screen offset sx, sy). They write x, y
// and z and leave the fourth word as it was.
#pragma once
#include <cstdint>

#include "render/Camera3D.h"
#include "render/PixelTypes.h"

// Vertex (i, j) = s x (PW / (cols - 1) x j - PW / 2, PH / (rows - 1) x i - PH / 2, 0)
// (float step, integer halves), then transformed. A single row or column sits at -P / 2.
void buildPlaneGrid(MeshGrid* grid, int32_t cols, int32_t rows, float s, float ax, float ay, float az, int32_t sx,
                    int32_t sy, int32_t dz, int32_t d, int32_t planeWidth, int32_t planeHeight);
// Columns go once round a cylinder of radius 180 s about the y axis, the last
// meeting the first; rows as for the plane. The width argument is not read.
void buildCylinderGrid(MeshGrid* grid, int32_t cols, int32_t rows, float s, float ax, float ay, float az,
                       int32_t sx, int32_t sy, int32_t dz, int32_t d, int32_t reserved, int32_t planeHeight);
// out = a + t (b - a) for x, y and z; the output's fourth words are kept.
void lerpGrid(MeshGrid* out, const MeshGrid* a, const MeshGrid* b, int32_t cols, int32_t rows, float t);

struct TexturedTriangle {
    Pixel* dst;
    Rect clip;                 // bounds the destination and the texture coordinates
    int32_t dstPitch;
    const int32_t* p0;         // screen points (x, y)
    const int32_t* p1;
    const int32_t* p2;
    const Pixel* texture;
    int32_t texturePitch;
    const int32_t* t0;         // texture points (u, v), whole pixels
    const int32_t* t1;
    const int32_t* t2;
};
// Affine mapping, nearest texel; never writes the bottom point's row nor a
// span's right end column.
void drawTexturedTriangle(const TexturedTriangle& tri);
// The pixels drawTexturedTriangle covers for the screen points p0, p1, p2,
// copied from `picture` at the same place (both with `pitch`). Where the
// texture points equal the screen points this is what the textured triangle
// means, exactly: its affine steps drift by a pixel on spans and edges of about
// a thousand pixels.
void copyTriangleInPlace(Pixel* dst, const Rect& clip, int32_t pitch, const int32_t* p0, const int32_t* p1,
                         const int32_t* p2, const Pixel* picture);
