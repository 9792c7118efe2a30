#include "render/MeshLit.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "render/DepthBuffer.h"
#include "render/FloatToInt.h"
#include "render/MeshGeometry.h"
#include "render/MeshSpan.h"
#include "render/PixelBuffer.h"

namespace {

CellSpanRoutine g_cellRoutineB = nullptr;   // the routine of the last renderMeshCellB cell

meshspan::Edge<4> spanEdge(const LitSpanEdge& e) {
    return meshspan::Edge<4>{e.x0, e.x1, e.y0, e.y1,
                             {e.red0, e.green0, e.blue0, e.depth0},
                             {e.red1, e.green1, e.blue1, e.depth1}};
}

using channel_math::clamp255;

struct TriCorner {
    int32_t x, y, depth;
    int32_t red, green, blue;
};

TriCorner triCorner(int32_t x, int32_t y, int32_t depth, uint32_t colour) {
    return TriCorner{x, y, depth, static_cast<int32_t>(colour >> 16), static_cast<int32_t>((colour >> 8) & 0xFF),
                     static_cast<int32_t>(colour & 0xFF)};
}

// Sorts by y, finds the side of the middle corner and draws the two bands.
void drawTriangle(Pixel* dst, const Rect& clip, int32_t pitch, TriCorner* c, bool rejectOutside,
                  void (*span)(const LitSpan&)) {
    const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (const auto& p : pairs)
        if (c[p[1]].y < c[p[0]].y) std::swap(c[p[0]], c[p[1]]);
    if (rejectOutside && (c[2].y < clip.top || c[0].y >= clip.bottom)) return;
    const int32_t flags[1] = {windingTest(c[1].x, c[1].y, c[0].x, c[0].y, c[2].x, c[2].y)};
    auto edge = [&](const TriCorner& s, const TriCorner& e) {
        return LitSpanEdge{s.x, e.x, s.y, e.y, s.red, e.red, s.green, e.green, s.blue, e.blue, s.depth, e.depth};
    };
    LitSpan s{dst, clip, pitch, {}, {}};
    for (int band = 0; band < 2; ++band) {
        const BandEdges b = bandEdges(3, flags, band);
        s.a = edge(c[b.leftFrom], c[b.leftTo]);
        s.b = edge(c[b.rightFrom], c[b.rightTo]);
        span(s);
    }
}

void drawLitTriangleWith(Pixel* dst, const Rect& clip, int32_t pitch, const MeshVertex* v0, const MeshVertex* v1,
                         const MeshVertex* v2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2,
                         void (*span)(const LitSpan&)) {
    TriCorner c[3] = {triCorner(truncToInt(v0->x), truncToInt(v0->y), truncToInt(v0->z), *c0),
                      triCorner(truncToInt(v1->x), truncToInt(v1->y), truncToInt(v1->z), *c1),
                      triCorner(truncToInt(v2->x), truncToInt(v2->y), truncToInt(v2->z), *c2)};
    drawTriangle(dst, clip, pitch, c, true, span);
}

// Lights every vertex colour of the grid in place; false when the grid is too small to have normals.
bool lightColours(const MeshGrid* grid, uint32_t* colours, int32_t rows, int32_t cols, const float* lightDir,
                  const int32_t* ambientVec, float specular, int32_t power) {
    if (rows < 2 || cols < 2) return false;
    const int32_t ambient = integerLength(ambientVec);
    const VertexLight light =
        makeVertexLight(lightDir[0], lightDir[1], lightDir[2], truncToInt(specular * 256.0f), power);
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            const MeshVertex n = gridVertexNormal(grid, rows, cols, r, c);
            const int64_t gain = int64_t{ambient} + diffuseTerm(light, n);
            const int64_t s = specularTerm(light, n);
            uint32_t& colour = colours[r * cols + c];
            auto lit = [&](uint32_t ch) { return clamp255(s + (gain * ch) / 256); };
            colour = (lit((colour >> 16) & 0xFF) << 16) | (lit((colour >> 8) & 0xFF) << 8) | lit(colour & 0xFF);
        }
    return true;
}

// The two anti-aliased edge pixels around the two solid middle ones.
inline Pixel fadePixel(Pixel colour, Pixel old, uint32_t weight) {
    auto ch = [&](int shift) {
        return ((((colour >> shift) & 0xFF) * weight + ((old >> shift) & 0xFF) * (256 - weight)) >> 8) << shift;
    };
    return ch(16) | ch(8) | ch(0);
}

}  // namespace

// ---- spans ----------------------------------------------------------------------

void spanLitTriangle(const LitSpan& s) {
    int16_t* depth = depthBuffer();
    if (!depth) return;
    const int32_t nearNeg = cameraState().nearNeg;
    constexpr int F = 12;
    meshspan::walkBand<F, 4>(s.clip, spanEdge(s.a), spanEdge(s.b),
                             [&](int32_t y, int32_t xs, int32_t xe, const int64_t* q, const int64_t* dq) {
                                 Pixel* out = s.dst + static_cast<intptr_t>(y) * s.pitch;
                                 int16_t* zrow = depth + static_cast<intptr_t>(y) * s.pitch;
                                 int64_t r = q[0], g = q[1], b = q[2], z = q[3];
                                 for (int32_t x = xs; x < xe; ++x, r += dq[0], g += dq[1], b += dq[2], z += dq[3]) {
                                     const int64_t zi = z >> F;
                                     if (!(zi > nearNeg)) continue;
                                     const int16_t d = meshspan::depth16(zi);
                                     if (!(d < zrow[x])) continue;
                                     zrow[x] = d;
                                     out[x] = (clamp255(r >> F) << 16) | (clamp255(g >> F) << 8) |
                                              clamp255(b >> F);
                                 }
                             });
}

void spanLitTriangleB(const LitSpan& s) {
    const int32_t nearNeg = cameraState().nearNeg;
    constexpr int F = 12;
    meshspan::walkBand<F, 4>(s.clip, spanEdge(s.a), spanEdge(s.b),
                             [&](int32_t y, int32_t xs, int32_t xe, const int64_t* q, const int64_t* dq) {
                                 Pixel* out = s.dst + static_cast<intptr_t>(y) * s.pitch;
                                 int64_t r = q[0], g = q[1], b = q[2], z = q[3];
                                 for (int32_t x = xs; x < xe; ++x, r += dq[0], g += dq[1], b += dq[2], z += dq[3]) {
                                     if (!((z >> F) > nearNeg)) continue;
                                     const Pixel o = out[x];
                                     out[x] = ((clamp255(r >> F) / 2 + ((o >> 16) & 0xFF) / 2) << 16) |
                                              ((clamp255(g >> F) / 2 + ((o >> 8) & 0xFF) / 2) << 8) |
                                              (clamp255(b >> F) / 2 + (o & 0xFF) / 2);
                                 }
                             });
}

void spanGouraudTriangle(const LitSpan& s) {
    constexpr int F = 18;
    meshspan::walkBand<F, 4>(s.clip, spanEdge(s.a), spanEdge(s.b),
                             [&](int32_t y, int32_t xs, int32_t xe, const int64_t* q, const int64_t* dq) {
                                 Pixel* out = s.dst + static_cast<intptr_t>(y) * s.pitch;
                                 int64_t r = q[0], g = q[1], b = q[2];
                                 for (int32_t x = xs; x < xe; ++x, r += dq[0], g += dq[1], b += dq[2]) {
                                     const Pixel add = (clamp255(r >> F) << 16) | (clamp255(g >> F) << 8) |
                                                       clamp255(b >> F);
                                     out[x] = saturatingAdd(out[x], add);
                                 }
                             });
}

// ---- triangles --------------------------------------------------------------------

void drawLitTriangle(Pixel* dst, const Rect& clip, int32_t pitch, const MeshVertex* v0, const MeshVertex* v1,
                     const MeshVertex* v2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2) {
    drawLitTriangleWith(dst, clip, pitch, v0, v1, v2, c0, c1, c2, spanLitTriangle);
}

void drawLitTriangleB(Pixel* dst, const Rect& clip, int32_t pitch, const MeshVertex* v0, const MeshVertex* v1,
                      const MeshVertex* v2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2) {
    drawLitTriangleWith(dst, clip, pitch, v0, v1, v2, c0, c1, c2, spanLitTriangleB);
}

void fillTriangleGouraud(Pixel* dst, const Rect& clip, int32_t pitch, const float* p0, const float* p1,
                         const float* p2, const uint32_t* c0, const uint32_t* c1, const uint32_t* c2) {
    TriCorner c[3] = {triCorner(truncToInt(p0[0]), truncToInt(p0[1]), 0, *c0),
                      triCorner(truncToInt(p1[0]), truncToInt(p1[1]), 0, *c1),
                      triCorner(truncToInt(p2[0]), truncToInt(p2[1]), 0, *c2)};
    drawTriangle(dst, clip, pitch, c, false, spanGouraudTriangle);
}

// ---- meshes ---------------------------------------------------------------------------

void renderLitMesh(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, uint32_t* colours,
                   int32_t wrapRows, int32_t wrapCols, int32_t cols, int32_t rows, const float* lightDir, int32_t,
                   const int32_t* ambientVec, float specular, int32_t power, int32_t) {
    if (!lightColours(grid, colours, rows, cols, lightDir, ambientVec, specular, power)) return;
    forEachMeshTriangle(rows, cols, wrapRows, wrapCols, [&](int32_t a, int32_t b, int32_t c) {
        drawLitTriangle(dst, clip, pitch, &grid[a], &grid[b], &grid[c], &colours[a], &colours[b], &colours[c]);
    });
}

void renderLitWireMesh(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, uint32_t* colours,
                       int32_t wrapRows, int32_t wrapCols, int32_t cols, int32_t rows, const float* lightDir,
                       int32_t, const int32_t* ambientVec, float specular, int32_t power, int32_t) {
    if (!lightColours(grid, colours, rows, cols, lightDir, ambientVec, specular, power)) return;
    auto line = [&](int32_t r0, int32_t c0, int32_t r1, int32_t c1) {
        const MeshVertex& a = grid[r0 * cols + c0];
        const MeshVertex& b = grid[r1 * cols + c1];
        const int32_t p0[3] = {truncToInt(a.x), truncToInt(a.y), truncToInt(a.z)};
        const int32_t p1[3] = {truncToInt(b.x), truncToInt(b.y), truncToInt(b.z)};
        drawDepthLine(dst, clip, pitch, p0, p1, &colours[r0 * cols + c0], 0);
    };
    const int32_t lr = rows - 1, lc = cols - 1;
    for (int32_t r = 0; r < lr; ++r)
        for (int32_t c = 0; c < lc; ++c) {
            line(r, c, r + 1, c);
            line(r, c, r, c + 1);
        }
    for (int32_t r = 0; r < lr; ++r) line(r, lc, r + 1, lc);
    for (int32_t c = 0; c < lc; ++c) line(lr, c, lr, c + 1);
    if (wrapRows == 1)
        for (int32_t c = 0; c < cols; ++c) line(lr, c, 0, c);
    if (wrapCols == 1)
        for (int32_t r = 0; r < rows; ++r) line(r, lc, r, 0);
}

void plotDot(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, uint32_t colour) {
    if (x < clip.left + 3 || x > clip.right - 4 || y < clip.top + 3 || y > clip.bottom - 4) return;
    Pixel* p = dst + static_cast<intptr_t>(y) * pitch + x;
    const Pixel v = saturatingAdd(*p, colour);
    p[-2] = p[-1] = p[0] = p[1] = v;
    p[-2 * pitch] = p[-pitch] = p[pitch] = p[2 * pitch] = v;
}

void plotMeshPoints(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, const int32_t* colours,
                    int32_t cols, int32_t rows) {
    if (cols <= 0 || rows <= 0) return;
    const int64_t count = int64_t{cols} * rows;
    for (int64_t i = 0; i < count; ++i)
        plotDot(dst, clip, pitch, truncToInt(grid[i].x), truncToInt(grid[i].y), static_cast<uint32_t>(colours[i]));
}

void renderWrappedGrid(Pixel* dst, const Rect& clip, int32_t pitch, const MeshGrid* grid, const uint32_t* colours,
                       int32_t, int32_t, int32_t wrapRows, int32_t wrapCols) {
    forEachMeshTriangle(kWrappedGridRows, kWrappedGridCols, wrapRows, wrapCols, [&](int32_t a, int32_t b, int32_t c) {
        drawLitTriangleB(dst, clip, pitch, &grid[a], &grid[b], &grid[c], &colours[a], &colours[b], &colours[c]);
    });
}

void drawDepthLine(Pixel* dst, const Rect& clip, int32_t pitch, const int32_t* p0, const int32_t* p1,
                   const uint32_t* colour, int32_t) {
    int16_t* depth = depthBuffer();
    if (!depth) return;
    const int32_t winLeft = clip.left + 1, winRight = clip.right - 2;
    const int32_t winTop = clip.top + 1, winBottom = clip.bottom - 2;
    const int64_t dx = int64_t{p1[0]} - p0[0], dy = int64_t{p1[1]} - p0[1];
    const Pixel c = *colour;
    // Major axis position m, minor coordinate in 24.8; plot(major, minor) writes the four pixels across.
    auto walk = [&](int64_t m0, int64_t m1, int64_t n0, int64_t z0, int64_t dn, int64_t dz, int64_t winLo,
                    int64_t winHi, int64_t minorLo, int64_t minorHi, auto plot) {
        int64_t n = n0 * 256, z = z0 * 256;
        int64_t m = m0;
        if (m < winLo) {
            n += dn * (winLo - m);
            z += dz * (winLo - m);
            m = winLo;
        }
        const int64_t end = std::min(winHi, m1);
        for (; m < end; ++m, n += dn, z += dz) {
            const int64_t whole = n >> 8;
            if (whole < minorLo || whole >= minorHi) continue;
            plot(m, whole, static_cast<uint32_t>(n & 255), meshspan::depth16(z >> 8));
        }
    };
    auto put = [&](int64_t x, int64_t y, Pixel value, int16_t d) {
        int16_t* e = depth + y * pitch + x;
        if (!(d < *e)) return;
        *e = d;
        dst[y * pitch + x] = value;
    };
    auto across = [&](auto at, uint32_t f, int16_t d) {
        // at(k) gives the pixel k steps along the minor axis from the line's whole position.
        const auto [x0, y0] = at(-1);
        put(x0, y0, fadePixel(c, dst[y0 * pitch + x0], 256 - f), d);
        const auto [x1, y1] = at(0);
        put(x1, y1, c, d);
        const auto [x2, y2] = at(1);
        put(x2, y2, c, d);
        const auto [x3, y3] = at(2);
        put(x3, y3, fadePixel(c, dst[y3 * pitch + x3], f), d);
    };
    const int32_t* a = p0;
    const int32_t* b = p1;
    if (std::llabs(dy) < std::llabs(dx)) {
        if (b[0] < a[0]) std::swap(a, b);
        const int64_t run = int64_t{b[0]} - a[0];
        walk(a[0], b[0], a[1], a[2], (int64_t{b[1]} - a[1]) * 256 / run, (int64_t{b[2]} - a[2]) * 256 / run, winLeft,
             winRight, winTop, winBottom, [&](int64_t x, int64_t y, uint32_t f, int16_t d) {
                 across([&](int k) { return std::pair<int64_t, int64_t>{x, y + k}; }, f, d);
             });
    } else if (dy != 0) {
        if (b[1] < a[1]) std::swap(a, b);
        const int64_t run = int64_t{b[1]} - a[1];
        walk(a[1], b[1], a[0], a[2], (int64_t{b[0]} - a[0]) * 256 / run, (int64_t{b[2]} - a[2]) * 256 / run, winTop,
             winBottom, winLeft, winRight, [&](int64_t y, int64_t x, uint32_t f, int16_t d) {
                 across([&](int k) { return std::pair<int64_t, int64_t>{x + k, y}; }, f, d);
             });
    }
}

// ---- second textured front end -------------------------------------------------------

void renderMeshGridB(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                     int32_t, const int32_t* ambientVec, float specular, int32_t power) {
    meshcell::renderGridCells(dst, src, clip, srcRect, dstPitch, srcPitch, grid, rows, cols, lightDir, ambientVec,
                              specular, power, true, renderMeshCellB, kCellModeLit);
}

void renderMeshCellB(Pixel* dst, const MeshVertex* v0, const MeshVertex* v1, const MeshVertex* v2,
                     const MeshVertex* v3, const Pixel* texture, const int32_t* t0, const int32_t* t1,
                     const int32_t* t2, const int32_t* t3, const Rect& clip, int32_t dstPitch, int32_t srcPitch,
                     int32_t spec0, int32_t spec1, int32_t spec2, int32_t spec3, int32_t diff0, int32_t diff1,
                     int32_t diff2, int32_t diff3, uint32_t) {
    meshcell::Corner c[4] = {meshcell::makeCorner(v0, t0, spec0, diff0), meshcell::makeCorner(v1, t1, spec1, diff1),
                             meshcell::makeCorner(v2, t2, spec2, diff2), meshcell::makeCorner(v3, t3, spec3, diff3)};
    if (!meshcell::sortAndClip(c, 4, clip)) return;
    if (meshcell::isSmall(c, 4)) {
        meshcell::toWholePixels(c, 4);
        g_cellRoutineB = fillCellBSmall;
    } else {
        g_cellRoutineB = fillCellB;
    }
    meshcell::drawBands(c, 4, dst, texture, clip, dstPitch, srcPitch, g_cellRoutineB);
}
