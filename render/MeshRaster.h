// Textured mesh rasterisers: a picture mapped onto a grid projected by
// transformGrid, cell by cell, lit per vertex and depth-tested.
//
// Texture points are (u, v) pairs of int32 relative to a texture origin, in
// 1/16 pixel for the mesh front ends and in whole pixels for mode 0x1010 and
// drawTexturedQuad. Every polygon is split into horizontal bands and each band
// goes to a span routine chosen by the CellMode word and the cell's size on
// screen. Both facings are drawn. The depth-tested routines draw nothing when
// there is no depth buffer.
#pragma once
#include <cstdint>

#include "render/Camera3D.h"
#include "render/PixelTypes.h"

// Span routine selectors. Only the nibbles of bits 4-19 are looked at; any
// other combination of them draws nothing.
enum CellMode : uint32_t {
    kCellModeLit = 0x200,          // bilinear, per-pixel light, depth-tested
    kCellModeTitle = 0x10100,      // as 0x200, but black texel neighbourhoods are skipped
    kCellModeCopy = 0x1010,        // nearest, whole-pixel texture points, no light, no depth
    kCellModeFlatLit = 0x2210,     // bilinear, flat light, no depth
};

// One band handed to a span routine: edge A (left boundary) and edge B (right),
// each from its start vertex to its end vertex.
struct CellSpanEdge {
    int32_t u0, u1;         // texture u
    int32_t v0, v1;         // texture v
    int32_t x0, x1;         // screen x
    int32_t y0, y1;         // screen y
    int32_t spec0, spec1;   // specular
    int32_t diff0, diff1;   // diffuse (256 = 1.0)
    int32_t depth0, depth1;
};
struct CellSpan {
    Pixel* dst;
    const Pixel* texture;   // texture origin
    Rect clip;
    int32_t dstPitch;
    int32_t srcPitch;
    CellSpanEdge a;
    CellSpanEdge b;
};
using CellSpanRoutine = void (*)(const CellSpan&);

// The span routines (mode, fixed point, sampling, light, depth):
void fillCellMode200(const CellSpan& s);        // 0x200 large: 16.16, bilinear, per pixel, depth
void fillCellMode10100(const CellSpan& s);      // 0x10100: 16.16, bilinear, per pixel, depth, skips black
void fillCellMode200Small(const CellSpan& s);   // 0x200 small: 14.18, nearest, per pixel, depth
void fillCellMode2210(const CellSpan& s);       // 0x2210 large: 14.18, bilinear, flat, no depth
void fillCellMode2210Small(const CellSpan& s);  // 0x2210 small: 14.18, nearest, flat, no depth
void fillCellMode1010(const CellSpan& s);       // 0x1010: 14.18, nearest whole pixels, texel copied

// The lit routines have an SSE2 form (used where built) and a plain one that
// draw the same pixels; tests switch between them.
void useVectorMeshSpans(bool on);

// One cell: corners v(r, c), v(r, c+1), v(r+1, c+1), v(r+1, c) (any order
// works; they are sorted by y), each with a texture point (two int32), a
// specular and a diffuse value.
void renderMeshCell(Pixel* dst, const MeshVertex* v0, const MeshVertex* v1, const MeshVertex* v2,
                    const MeshVertex* v3, const Pixel* texture, const int32_t* t0, const int32_t* t1,
                    const int32_t* t2, const int32_t* t3, const Rect& clip, int32_t dstPitch, int32_t srcPitch,
                    int32_t spec0, int32_t spec1, int32_t spec2, int32_t spec3, int32_t diff0, int32_t diff1,
                    int32_t diff2, int32_t diff3, uint32_t mode);
void renderMeshTriangle(Pixel* dst, const MeshVertex* v0, const MeshVertex* v1, const MeshVertex* v2,
                        const Pixel* texture, const int32_t* t0, const int32_t* t1, const int32_t* t2,
                        const Rect& clip, int32_t dstPitch, int32_t srcPitch, int32_t spec0, int32_t spec1,
                        int32_t spec2, int32_t diff0, int32_t diff1, int32_t diff2, uint32_t mode);

// Mesh front ends: light the projected grid, spread srcRect of the picture
// evenly over the cells and draw them. ambientVec's integer length is the
// ambient term, specular x 256 the highlight intensity, (H . N)^(2^power) its
// shape. Grids need at least 2 rows and columns and at most 4,225 vertices.
void renderMeshGrid(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                    int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                    int32_t ignored, const int32_t* ambientVec, float specular, int32_t power);
void renderTitleMesh(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                     int32_t ignored, const int32_t* ambientVec, float specular, int32_t power);
// Two triangles a cell, then light-cross flares on the corner with the largest highlight.
void renderMeshTriangles(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                         int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols,
                         const float* lightDir, int32_t ignored, const int32_t* ambientVec, float specular,
                         int32_t power);

// Light-free quadrilateral mapper: corners p0..p3 are float (x, y) pairs,
// texture points t0..t3 whole-pixel (u, v) pairs relative to src. The RECT
// clips the destination and bounds the texture. Both facings are drawn.
// drawTexturedQuad keeps pixels whose texture point falls outside the RECT,
// drawTexturedQuadB sets them to 0.
void drawTexturedQuad(Pixel* dst, const float* p0, const float* p1, const float* p2, const float* p3,
                      const Pixel* src, const int32_t* t0, const int32_t* t1, const int32_t* t2,
                      const int32_t* t3, const Rect& rect, int32_t dstPitch, int32_t srcPitch);
void drawTexturedQuadB(Pixel* dst, const float* p0, const float* p1, const float* p2, const float* p3,
                       const Pixel* src, const int32_t* t0, const int32_t* t1, const int32_t* t2,
                       const int32_t* t3, const Rect& rect, int32_t dstPitch, int32_t srcPitch);

// Additive cross-shaped flare of half-length n at (x, y), the light falling
// linearly to 0 at distance n; the centre is lit twice. Nothing for n < 1.
int32_t drawLightCross(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t n,
                       int32_t addRed, int32_t addGreen, int32_t addBlue);

// Cell set-up, shared with the second textured front end.
namespace meshcell {
struct Corner {
    int32_t x, y, depth;   // truncated screen position and depth
    int32_t u, v;          // texture point
    int32_t specular, diff;    // light values
};
Corner makeCorner(const MeshVertex* vertex, const int32_t* texture, int32_t specular, int32_t diff);
// Sorts by ascending y (compare-and-swap on the slot pairs, moving a corner up
// only past a strictly larger y); false when the polygon lies wholly above or
// below the clip.
bool sortAndClip(Corner* c, int n, const Rect& clip);
// The screen box is less than twice the texture box (texture in 1/16 pixel).
bool isSmall(const Corner* c, int n);
void toWholePixels(Corner* c, int n);
// Splits the sorted polygon into its n - 1 bands and hands each to the routine.
void drawBands(const Corner* c, int n, Pixel* dst, const Pixel* texture, const Rect& clip, int32_t dstPitch,
               int32_t srcPitch, CellSpanRoutine routine);

using CellDrawer = void (*)(Pixel*, const MeshVertex*, const MeshVertex*, const MeshVertex*, const MeshVertex*,
                            const Pixel*, const int32_t*, const int32_t*, const int32_t*, const int32_t*,
                            const Rect&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                            int32_t, int32_t, uint32_t);
// The textured front end: lights the grid into pair A (or B), spreads srcRect
// over the cells and draws each with drawCell in the given mode.
void renderGridCells(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                     const int32_t* ambientVec, float specular, int32_t power, bool pairB, CellDrawer drawCell,
                     uint32_t mode);
}  // namespace meshcell
