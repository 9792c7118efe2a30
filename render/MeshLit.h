// Meshes of plain colour: lit, depth-tested Gouraud solids and their wire
// frames, a translucent wrapped grid, dots at the vertices, an additive
// Gouraud triangle, and the second textured front end whose spans clip
// against the near plane.
//
// Vertex colours are 0x00RRGGBB words in an array shaped like the grid; the
// lit meshes overwrite them with the lit colours, so callers refill them every
// frame. Depths are the vertex z' truncated; a pixel is drawn only beyond the
// camera's nearNeg. The depth-tested operations draw nothing without a depth
// buffer.
#pragma once
#include <cstdint>

#include "render/Camera3D.h"
#include "render/MeshRaster.h"
#include "render/PixelTypes.h"

// One band of a colour triangle: edge A (left) and edge B (right) from start to end.
struct LitSpanEdge {
    int32_t x0, x1;
    int32_t y0, y1;
    int32_t red0, red1;
    int32_t green0, green1;
    int32_t blue0, blue1;
    int32_t depth0, depth1;
};
struct LitSpan {
    Pixel* dst;
    Rect clip;
    int32_t pitch;
    LitSpanEdge a;
    LitSpanEdge b;
};
// 20.12: drawn when nearNeg < depth < the depth entry, which then takes it.
void spanLitTriangle(const LitSpan& s);
// 20.12: beyond nearNeg, half colour plus half destination; no depth buffer use.
void spanLitTriangleB(const LitSpan& s);
// 14.18: the colour added to the destination, saturating; no depth.
void spanGouraudTriangle(const LitSpan& s);

// Triangles of MeshVertex with one colour per vertex.
void drawLitTriangle(Pixel* dst, const Rect& clip, int32_t pitch, const MeshVertex* v0, const MeshVertex* v1,
                     const MeshVertex* v2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2);
void drawLitTriangleB(Pixel* dst, const Rect& clip, int32_t pitch, const MeshVertex* v0, const MeshVertex* v1,
                      const MeshVertex* v2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2);
// Screen points as float (x, y) pairs.
void fillTriangleGouraud(Pixel* dst, const Rect& clip, int32_t pitch, const float* p0, const float* p1,
                         const float* p2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2);

// Lights every vertex colour (ambient = the integer length of ambientVec,
// highlight = truncate(specular x 256) x (H . N)^(2^power)) and draws the
// cells as depth-tested triangles; wrapRows / wrapCols close the mesh between
// the last row (column) and the first. Grids need at least 2 rows and columns.
void renderLitMesh(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, uint32_t* colours,
                   int32_t wrapRows, int32_t wrapCols, int32_t cols, int32_t rows, const float* lightDir,
                   int32_t ignored, const int32_t* ambientVec, float specular, int32_t power, int32_t ignored2);
// The same lighting; the cell edges drawn as anti-aliased depth lines in the
// colour of their first endpoint.
void renderLitWireMesh(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, uint32_t* colours,
                       int32_t wrapRows, int32_t wrapCols, int32_t cols, int32_t rows, const float* lightDir,
                       int32_t ignored, const int32_t* ambientVec, float specular, int32_t power, int32_t ignored2);

// A plus-shaped dot: the pixel plus the colour, saturating, written to the
// centre and two pixels each way (left, right, up, down; only one to the
// right). Nothing within 3 pixels of the clip edge.
void plotDot(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, uint32_t colour);
void plotMeshPoints(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, const int32_t* colours,
                    int32_t cols, int32_t rows);
// The translucent 64 x 20 grid drawn with drawLitTriangleB (the two size
// arguments are not read).
void renderWrappedGrid(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, const uint32_t* colours,
                       int32_t ignoredCols, int32_t ignoredRows, int32_t wrapRows, int32_t wrapCols);
constexpr int32_t kWrappedGridCols = 64;
constexpr int32_t kWrappedGridRows = 20;

// Anti-aliased line of one colour, three pixels thick across its minor axis,
// each pixel depth-tested; p0 and p1 point to (x, y, depth).
void drawDepthLine(Pixel* dst, const Rect& clip, int32_t pitch, const int32_t* p0, const int32_t* p1,
                   const uint32_t* colour, int32_t ignored);

// Calls fn(a, b, c) with the vertex indices of every triangle the lit meshes
// draw for a rows x cols grid and the wrap flags, in drawing order.
template <class Fn>
void forEachMeshTriangle(int32_t rows, int32_t cols, int32_t wrapRows, int32_t wrapCols, Fn&& fn) {
    auto at = [cols](int32_t r, int32_t c) { return r * cols + c; };
    for (int32_t r = 0; r < rows - 1; ++r)
        for (int32_t c = 0; c < cols - 1; ++c) {
            fn(at(r, c), at(r, c + 1), at(r + 1, c));
            fn(at(r, c + 1), at(r + 1, c), at(r + 1, c + 1));
        }
    const int32_t lr = rows - 1, lc = cols - 1;
    if (wrapRows == 1)
        for (int32_t c = 0; c < cols - 1; ++c) {
            fn(at(lr, c), at(lr, c + 1), at(0, c));
            fn(at(lr, c + 1), at(0, c), at(0, c + 1));
        }
    if (wrapCols == 1)
        for (int32_t r = 0; r < rows - 1; ++r) {
            fn(at(r, lc), at(r, 0), at(r + 1, lc));
            fn(at(r, 0), at(r + 1, lc), at(r + 1, 0));
        }
    if (wrapRows == 1 && wrapCols == 1) {
        fn(at(0, 0), at(0, lc), at(lr, 0));
        fn(at(0, lc), at(lr, 0), at(lr, lc));
    }
}

// The second textured front end: pair B of the light tables and
// renderMeshCellB for every cell.
void renderMeshGridB(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                     int32_t ignored, const int32_t* ambientVec, float specular, int32_t power);
// Set up like renderMeshCell; the mode word is not read: small cells use
// fillCellBSmall on whole-pixel texture points, others fillCellB.
void renderMeshCellB(Pixel* dst, const MeshVertex* v0, const MeshVertex* v1, const MeshVertex* v2,
                     const MeshVertex* v3, const Pixel* texture, const int32_t* t0, const int32_t* t1,
                     const int32_t* t2, const int32_t* t3, const Rect& clip, int32_t dstPitch, int32_t srcPitch,
                     int32_t spec0, int32_t spec1, int32_t spec2, int32_t spec3, int32_t diff0, int32_t diff1,
                     int32_t diff2, int32_t diff3, uint32_t ignoredMode);
// 18.14 bilinear / 20.12 nearest, per-pixel light, drawn when nearNeg < depth < entry.
void fillCellB(const CellSpan& s);
void fillCellBSmall(const CellSpan& s);
