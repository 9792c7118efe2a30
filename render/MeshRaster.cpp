#include "render/MeshRaster.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/DepthBuffer.h"
#include "render/FloatToInt.h"
#include "render/MeshGeometry.h"
#include "render/MeshLit.h"
#include "render/MeshSpan.h"

namespace {

CellSpanRoutine g_cellRoutine = nullptr;   // the routine of the last cell drawn

enum class Sample { Bilinear, Nearest };
enum class Light { PerPixel, Flat, None };

meshspan::Edge<5> spanEdge(const CellSpanEdge& e) {
    return meshspan::Edge<5>{e.x0, e.x1, e.y0, e.y1,
                             {e.u0, e.v0, e.spec0, e.diff0, e.depth0},
                             {e.u1, e.v1, e.spec1, e.diff1, e.depth1}};
}

bool g_vectorSpans = true;   // the SSE2 form of the lit spans where built; tests compare it with the plain form

#if defined(__SSE2__)
// The lit spans' SSE2 form: one pixel per register, a channel per lane.
// Bilinear: the four texels' channels times their 16 x 16 fraction weights,
// summed (at most 255 x 256, so 16-bit lanes hold it) and shifted by 8, the
// plain mix's arithmetic. Light: channel x diffuse in 32 bits (diffuse within
// 16 bits), shifted by 8 and added to the specular (within 30 bits), then
// saturated by the packs, which clamp as clamp255 does. Spans whose light
// leaves those ranges take the plain form.
struct BilinearWeights {
    __m128i top, bottom;   // the left texel's four lanes, then the right one's
};

const BilinearWeights* bilinearWeights() {
    static const std::array<BilinearWeights, 256> table = [] {
        std::array<BilinearWeights, 256> t{};
        for (int fy = 0; fy < 16; ++fy)
            for (int fx = 0; fx < 16; ++fx) {
                const auto w = [](int left, int right) {
                    return _mm_set_epi16(static_cast<short>(right), static_cast<short>(right),
                                         static_cast<short>(right), static_cast<short>(right),
                                         static_cast<short>(left), static_cast<short>(left),
                                         static_cast<short>(left), static_cast<short>(left));
                };
                t[fy * 16 + fx] = {w((16 - fx) * (16 - fy), fx * (16 - fy)), w((16 - fx) * fy, fx * fy)};
            }
        return t;
    }();
    return table.data();
}

// The channels (16-bit lanes 0-3) of the bilinear texel at (u, v) in 1/16 pixel.
inline __m128i bilinearChannels(const Pixel* texture, intptr_t pitch, int64_t u, int64_t v,
                                const BilinearWeights* weights) {
    const Pixel* p = texture + (v >> 4) * pitch + (u >> 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
    const __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pitch)), zero);
    const BilinearWeights& w = weights[(v & 15) * 16 + (u & 15)];
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(top, w.top), _mm_mullo_epi16(bottom, w.bottom));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_srli_si128(sum, 8)), 8);
}

// lightPixel on channels in 16-bit lanes 0-3: specular in every 32-bit lane, diffuse in every 16-bit lane.
inline Pixel lightChannels(__m128i channels, __m128i specular, __m128i diffuse) {
    const __m128i lo = _mm_mullo_epi16(channels, diffuse), hi = _mm_mulhi_epi16(channels, diffuse);
    const __m128i lit = _mm_add_epi32(_mm_srai_epi32(_mm_unpacklo_epi16(lo, hi), 8), specular);
    const __m128i lit16 = _mm_packs_epi32(lit, lit);
    return static_cast<Pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(lit16, lit16))) & 0xFFFFFFu;
}

bool specularFits(int64_t s) { return s >= -(int64_t{1} << 30) && s <= (int64_t{1} << 30); }
bool diffuseFits(int64_t d) { return d >= -32768 && d <= 32767; }

// Whether every pixel's light of a span of n pixels from q with steps dq fits
// the vector form. The values are linear along the span, so its ends bound them.
template <int Frac>
bool spanLightFits(int64_t sp, int64_t dsp, int64_t df, int64_t ddf, int32_t n) {
    constexpr int64_t kStepLimit = int64_t{1} << 40, kValueLimit = int64_t{1} << 60;
    if (n > (1 << 22)) return false;
    for (int64_t v : {dsp, ddf})
        if (v <= -kStepLimit || v >= kStepLimit) return false;
    for (int64_t v : {sp, df})
        if (v <= -kValueLimit || v >= kValueLimit) return false;
    const int64_t spEnd = sp + dsp * (n - 1), dfEnd = df + ddf * (n - 1);
    return specularFits(sp >> Frac) && specularFits(spEnd >> Frac) && diffuseFits(df >> Frac) &&
           diffuseFits(dfEnd >> Frac);
}
#endif

// One span routine per combination the mode table uses. Texture coordinates
// are 1/16 pixel for bilinear sampling and whole pixels for nearest.
template <int Frac, Sample kSample, Light kLight, bool kDepth, bool kSkipBlack, bool kNearClip>
void fillCell(const CellSpan& s) {
    int16_t* depth = nullptr;
    if constexpr (kDepth) {
        depth = depthBuffer();
        if (!depth) return;
    }
    // Locals, not the record's fields: the pixel stores could alias them.
    const int32_t nearNeg = cameraState().nearNeg;
    const int64_t flatSpec = s.a.spec0, flatDiff = s.a.diff0;
    Pixel* const dst = s.dst;
    const Pixel* const texture = s.texture;
    const intptr_t dstPitch = s.dstPitch, srcPitch = s.srcPitch;
#if defined(__SSE2__)
    const bool vector = kLight != Light::None && g_vectorSpans &&
                        (kLight != Light::Flat || (specularFits(flatSpec) && diffuseFits(flatDiff)));
    const BilinearWeights* const weights = kSample == Sample::Bilinear ? bilinearWeights() : nullptr;
    const __m128i flatSpecV = _mm_set1_epi32(static_cast<int32_t>(flatSpec));
    const __m128i flatDiffV = _mm_set1_epi16(static_cast<short>(flatDiff));
#endif
    meshspan::walkBand<Frac, 5>(
        s.clip, spanEdge(s.a), spanEdge(s.b),
        [=](int32_t y, int32_t xs, int32_t xe, const int64_t* q, const int64_t* dq) {
            Pixel* out = dst + y * dstPitch;
            int16_t* zrow = kDepth ? depth + y * dstPitch : nullptr;
            const int64_t du = dq[0], dv = dq[1], dsp = dq[2], ddf = dq[3], dz = dq[4];
            // The same walk in both forms; kVector picks how a texel is sampled and lit.
            auto span = [&](auto vectorForm) {
                [[maybe_unused]] constexpr bool kVector = decltype(vectorForm)::value;
                int64_t u = q[0], v = q[1], sp = q[2], df = q[3], z = q[4];
#if defined(__SSE2__)
                // The vector form steps specular and diffuse as a 64-bit pair in one
                // register (fewer registers spilled); their whole parts fit 32 bits,
                // so a logical shift gives them as the arithmetic one does.
                __m128i light = _mm_set_epi64x(df, sp);
                const __m128i lightStep = _mm_set_epi64x(ddf, dsp);
#endif
                auto step = [&] {
                    u += du, v += dv, z += dz;
#if defined(__SSE2__)
                    if constexpr (kVector) {
                        light = _mm_add_epi64(light, lightStep);
                        return;
                    }
#endif
                    sp += dsp, df += ddf;
                };
                for (int32_t x = xs; x < xe; ++x, step()) {
                    int16_t d = 0;
                    if constexpr (kDepth) {
                        const int64_t zi = z >> Frac;
                        if constexpr (kNearClip) {
                            if (!(zi > nearNeg)) continue;
                        }
                        d = meshspan::depth16(zi);
                        if (!(d < zrow[x])) continue;
                    }
                    const int64_t tu = u >> Frac, tv = v >> Frac;
                    if constexpr (kSkipBlack && kSample == Sample::Bilinear) {
                        if (meshspan::fourTexelsBlack(texture, srcPitch, tu, tv)) continue;
                    }
#if defined(__SSE2__)
                    if constexpr (kVector) {
                        const __m128i c = kSample == Sample::Bilinear
                                              ? bilinearChannels(texture, srcPitch, tu, tv, weights)
                                              : _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(
                                                                      texture[tv * srcPitch + tu])),
                                                                  _mm_setzero_si128());
                        if constexpr (kDepth) zrow[x] = d;
                        if constexpr (kLight == Light::PerPixel) {
                            const __m128i whole = _mm_srli_epi64(light, Frac);
                            out[x] = lightChannels(c, _mm_shuffle_epi32(whole, 0),
                                                   _mm_shufflelo_epi16(_mm_shuffle_epi32(whole, 2), 0));
                        } else {
                            out[x] = lightChannels(c, flatSpecV, flatDiffV);
                        }
                        continue;
                    }
#endif
                    Pixel texel;
                    if constexpr (kSample == Sample::Bilinear) texel = meshspan::bilinearTexel(texture, srcPitch, tu, tv);
                    else texel = texture[tv * srcPitch + tu];
                    if constexpr (kDepth) zrow[x] = d;
                    if constexpr (kLight == Light::PerPixel) out[x] = meshspan::lightPixel(texel, sp >> Frac, df >> Frac);
                    else if constexpr (kLight == Light::Flat) out[x] = meshspan::lightPixel(texel, flatSpec, flatDiff);
                    else out[x] = texel;
                }
            };
#if defined(__SSE2__)
            if constexpr (kLight != Light::None) {
                if (vector && (kLight == Light::Flat || spanLightFits<Frac>(q[2], dsp, q[3], ddf, xe - xs)))
                    return span(std::true_type{});
            }
#endif
            span(std::false_type{});
        });
}

bool isMode(uint32_t m, uint32_t b4, uint32_t b8, uint32_t b12, uint32_t b16) {
    return ((m >> 4) & 0xF) == b4 && ((m >> 8) & 0xF) == b8 && ((m >> 12) & 0xF) == b12 && ((m >> 16) & 0xF) == b16;
}

// Picks the span routine for the mode (null: draw nothing) and converts the
// texture points of a small cell to whole pixels.
CellSpanRoutine chooseRoutine(uint32_t mode, meshcell::Corner* c, int n) {
    if (isMode(mode, 0, 2, 0, 0) || isMode(mode, 1, 2, 2, 0)) {
        const bool lit = isMode(mode, 0, 2, 0, 0);
        if (meshcell::isSmall(c, n)) {
            meshcell::toWholePixels(c, n);
            return lit ? fillCellMode200Small : fillCellMode2210Small;
        }
        return lit ? fillCellMode200 : fillCellMode2210;
    }
    if (isMode(mode, 0, 1, 0, 1)) return fillCellMode10100;
    if (isMode(mode, 1, 0, 1, 0)) return fillCellMode1010;
    return nullptr;
}

void drawPolygon(Pixel* dst, meshcell::Corner* c, int n, const Pixel* texture, const Rect& clip, int32_t dstPitch,
                 int32_t srcPitch, uint32_t mode) {
    if (!meshcell::sortAndClip(c, n, clip)) return;
    g_cellRoutine = chooseRoutine(mode, c, n);
    if (!g_cellRoutine) return;
    meshcell::drawBands(c, n, dst, texture, clip, dstPitch, srcPitch, g_cellRoutine);
}

// The quadrilateral mapper of both forms; kBlackOutside says what happens to
// pixels whose texture point leaves the RECT.
template <bool kBlackOutside>
void texturedQuad(Pixel* dst, const float* const* p, const Pixel* src, const int32_t* const* t, const Rect& rect,
                  int32_t dstPitch, int32_t srcPitch) {
    struct QuadCorner {
        int32_t x, y, u, v;
    } c[4];
    for (int i = 0; i < 4; ++i) c[i] = {truncToInt(p[i][0]), truncToInt(p[i][1]), t[i][0], t[i][1]};
    const int pairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    for (const auto& pr : pairs)
        if (c[pr[1]].y < c[pr[0]].y) std::swap(c[pr[0]], c[pr[1]]);
    const int32_t flags[2] = {windingTest(c[1].x, c[1].y, c[0].x, c[0].y, c[3].x, c[3].y),
                              windingTest(c[2].x, c[2].y, c[0].x, c[0].y, c[3].x, c[3].y)};
    constexpr int kFrac = 18;
    constexpr int64_t kOne = int64_t{1} << kFrac;
    // Position of x, u and v on an edge at row y; the edge reaches its end values on its last row.
    auto along = [&](const QuadCorner& a, const QuadCorner& b, int32_t y, int64_t out[3]) {
        const int64_t h = int64_t{b.y} - a.y;
        const int64_t recip = h - 1 > 0 ? kOne / (h - 1) : kOne;
        const int64_t k = int64_t{y} - a.y;
        out[0] = int64_t{a.x} * kOne + (int64_t{b.x} - a.x) * recip * k;
        out[1] = int64_t{a.u} * kOne + (int64_t{b.u} - a.u) * recip * k;
        out[2] = int64_t{a.v} * kOne + (int64_t{b.v} - a.v) * recip * k;
    };
    for (int band = 0; band < 3; ++band) {
        const BandEdges e = bandEdges(4, flags, band);
        const int32_t yStart = std::max(rect.top, c[band].y), yEnd = std::min(rect.bottom, c[band + 1].y);
        for (int32_t y = yStart; y < yEnd; ++y) {
            int64_t l[3], r[3];
            along(c[e.leftFrom], c[e.leftTo], y, l);
            along(c[e.rightFrom], c[e.rightTo], y, r);
            const int64_t xl = l[0] >> kFrac, xr = r[0] >> kFrac;
            const int64_t width = xr - xl;
            if (width <= 0) continue;
            const int64_t recipW = kOne / std::max<int64_t>(1, width - 1);
            const int64_t du = ((r[1] - l[1]) * recipW) >> kFrac, dv = ((r[2] - l[2]) * recipW) >> kFrac;
            const int64_t xs = std::max<int64_t>(rect.left, xl), xe = std::min<int64_t>(rect.right, xr);
            int64_t u = l[1] + du * (xs - xl), v = l[2] + dv * (xs - xl);
            Pixel* out = dst + static_cast<intptr_t>(y) * dstPitch;
            for (int64_t x = xs; x < xe; ++x, u += du, v += dv) {
                const int64_t tu = u >> kFrac, tv = v >> kFrac;
                if (tu >= rect.left && tu < rect.right && tv >= rect.top && tv < rect.bottom)
                    out[x] = src[tv * srcPitch + tu];
                else if (kBlackOutside)
                    out[x] = 0;
            }
        }
    }
}

struct FrontEndSetup {
    int32_t srcW, srcH;
    bool drawable;
};

// Lights the grid into pair A (or B) and tells whether cells can be drawn.
FrontEndSetup lightFrontEnd(bool pairB, const Rect& srcRect, const MeshGrid* grid, int32_t rows, int32_t cols,
                            const float* lightDir, const int32_t* ambientVec, float specular, int32_t power) {
    const int32_t ambient = integerLength(ambientVec);
    const int32_t intensity = truncToInt(specular * 256.0f);
    if (pairB) lightMeshGridB(grid, rows, cols, lightDir[0], lightDir[1], lightDir[2], ambient, intensity, power);
    else lightMeshGrid(grid, rows, cols, lightDir[0], lightDir[1], lightDir[2], ambient, intensity, power);
    FrontEndSetup f{srcRect.right - srcRect.left, srcRect.bottom - srcRect.top, true};
    // Fewer than two rows or columns have no cells; more vertices than the
    // light tables hold have no light values.
    f.drawable = rows >= 2 && cols >= 2 && static_cast<int64_t>(rows) * cols <= kLightTableEntries;
    return f;
}

// Texture origin and extent (1/16 pixel) of cell (i, j) of the spread source RECT.
struct CellTexture {
    const Pixel* origin;
    int32_t du, dv;
};
CellTexture cellTexture(const Pixel* src, const Rect& srcRect, int32_t srcPitch, int32_t srcW, int32_t srcH,
                        int32_t rows, int32_t cols, int32_t i, int32_t j) {
    const int32_t y0 = (i * srcH) / (rows - 1), y1 = ((i + 1) * srcH) / (rows - 1);
    const int32_t x0 = (j * srcW) / (cols - 1), x1 = ((j + 1) * srcW) / (cols - 1);
    CellTexture t;
    t.origin = src + static_cast<intptr_t>(srcRect.top + y0) * srcPitch + srcRect.left + x0;
    t.du = (x1 - x0) * 16;
    t.dv = (y1 - y0) * 16;
    return t;
}

}  // namespace

namespace meshcell {

void renderGridCells(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                     const int32_t* ambientVec, float specular, int32_t power, bool pairB, CellDrawer drawCell,
                     uint32_t mode) {
    FrontEndSetup f = lightFrontEnd(pairB, srcRect, grid, rows, cols, lightDir, ambientVec, specular, power);
    if (!f.drawable) return;
    const LightTables& lt = pairB ? lightTablesB() : lightTablesA();
    for (int32_t i = 0; i < rows - 1; ++i)
        for (int32_t j = 0; j < cols - 1; ++j) {
            CellTexture t = cellTexture(src, srcRect, srcPitch, f.srcW, f.srcH, rows, cols, i, j);
            const int32_t k0 = i * cols + j, k1 = k0 + 1, k2 = k0 + cols + 1, k3 = k0 + cols;
            const int32_t t0[2] = {0, 0}, t1[2] = {t.du, 0}, t2[2] = {t.du, t.dv}, t3[2] = {0, t.dv};
            drawCell(dst, &grid[k0], &grid[k1], &grid[k2], &grid[k3], t.origin, t0, t1, t2, t3, clip,
                     dstPitch, srcPitch, lt.specular[k0], lt.specular[k1], lt.specular[k2], lt.specular[k3],
                     lt.diffuse[k0], lt.diffuse[k1], lt.diffuse[k2], lt.diffuse[k3], mode);
        }
}

}  // namespace meshcell

// ---- span routines ------------------------------------------------------------

void fillCellMode200(const CellSpan& s) { fillCell<16, Sample::Bilinear, Light::PerPixel, true, false, false>(s); }
void fillCellMode10100(const CellSpan& s) { fillCell<16, Sample::Bilinear, Light::PerPixel, true, true, false>(s); }
void fillCellMode200Small(const CellSpan& s) { fillCell<18, Sample::Nearest, Light::PerPixel, true, false, false>(s); }
void fillCellMode2210(const CellSpan& s) { fillCell<18, Sample::Bilinear, Light::Flat, false, false, false>(s); }
void fillCellMode2210Small(const CellSpan& s) { fillCell<18, Sample::Nearest, Light::Flat, false, false, false>(s); }
void fillCellMode1010(const CellSpan& s) { fillCell<18, Sample::Nearest, Light::None, false, false, false>(s); }

void useVectorMeshSpans(bool on) { g_vectorSpans = on; }

// Routines of the second textured front end live here too, to share fillCell.
void fillCellB(const CellSpan& s) { fillCell<14, Sample::Bilinear, Light::PerPixel, true, false, true>(s); }
void fillCellBSmall(const CellSpan& s) { fillCell<12, Sample::Nearest, Light::PerPixel, true, false, true>(s); }

// ---- cell set-up ----------------------------------------------------------------

namespace meshcell {

Corner makeCorner(const MeshVertex* vertex, const int32_t* texture, int32_t specular, int32_t diff) {
    return Corner{truncToInt(vertex->x), truncToInt(vertex->y), truncToInt(vertex->z), texture[0], texture[1],
                  specular, diff};
}

bool sortAndClip(Corner* c, int n, const Rect& clip) {
    if (n == 4) {
        const int pairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
        for (const auto& p : pairs)
            if (c[p[1]].y < c[p[0]].y) std::swap(c[p[0]], c[p[1]]);
    } else {
        const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
        for (const auto& p : pairs)
            if (c[p[1]].y < c[p[0]].y) std::swap(c[p[0]], c[p[1]]);
    }
    return !(c[n - 1].y < clip.top || c[0].y >= clip.bottom);
}

bool isSmall(const Corner* c, int n) {
    int32_t minX = c[0].x, maxX = c[0].x, minY = c[0].y, maxY = c[0].y;
    int32_t minU = c[0].u, maxU = c[0].u, minV = c[0].v, maxV = c[0].v;
    for (int i = 1; i < n; ++i) {
        minX = std::min(minX, c[i].x), maxX = std::max(maxX, c[i].x);
        minY = std::min(minY, c[i].y), maxY = std::max(maxY, c[i].y);
        minU = std::min(minU, c[i].u), maxU = std::max(maxU, c[i].u);
        minV = std::min(minV, c[i].v), maxV = std::max(maxV, c[i].v);
    }
    const int64_t screen = (int64_t{maxX} - minX) * (int64_t{maxY} - minY);
    const int64_t texture = (int64_t{maxU} - minU) * (int64_t{maxV} - minV);
    return screen * 128 < texture;
}

void toWholePixels(Corner* c, int n) {
    for (int i = 0; i < n; ++i) {
        c[i].u >>= 4;
        c[i].v >>= 4;
    }
}

void drawBands(const Corner* c, int n, Pixel* dst, const Pixel* texture, const Rect& clip, int32_t dstPitch,
               int32_t srcPitch, CellSpanRoutine routine) {
    CellSpan span{dst, texture, clip, dstPitch, srcPitch, {}, {}};
    int32_t flags[2] = {0, 0};
    for (int i = 1; i < n - 1; ++i)
        flags[i - 1] = windingTest(c[i].x, c[i].y, c[0].x, c[0].y, c[n - 1].x, c[n - 1].y);
    auto edge = [&](const Corner& s, const Corner& e) {
        return CellSpanEdge{s.u, e.u, s.v, e.v, s.x, e.x, s.y, e.y, s.specular, e.specular, s.diff, e.diff, s.depth, e.depth};
    };
    for (int band = 0; band < n - 1; ++band) {
        const BandEdges b = bandEdges(n, flags, band);
        span.a = edge(c[b.leftFrom], c[b.leftTo]);
        span.b = edge(c[b.rightFrom], c[b.rightTo]);
        routine(span);
    }
}

}  // namespace meshcell

// ---- cells and front ends -------------------------------------------------------

void renderMeshCell(Pixel* dst, const MeshVertex* v0, const MeshVertex* v1, const MeshVertex* v2,
                    const MeshVertex* v3, const Pixel* texture, const int32_t* t0, const int32_t* t1,
                    const int32_t* t2, const int32_t* t3, const Rect& clip, int32_t dstPitch, int32_t srcPitch,
                    int32_t spec0, int32_t spec1, int32_t spec2, int32_t spec3, int32_t diff0, int32_t diff1,
                    int32_t diff2, int32_t diff3, uint32_t mode) {
    meshcell::Corner c[4] = {meshcell::makeCorner(v0, t0, spec0, diff0), meshcell::makeCorner(v1, t1, spec1, diff1),
                             meshcell::makeCorner(v2, t2, spec2, diff2), meshcell::makeCorner(v3, t3, spec3, diff3)};
    drawPolygon(dst, c, 4, texture, clip, dstPitch, srcPitch, mode);
}

void renderMeshTriangle(Pixel* dst, const MeshVertex* v0, const MeshVertex* v1, const MeshVertex* v2,
                        const Pixel* texture, const int32_t* t0, const int32_t* t1, const int32_t* t2,
                        const Rect& clip, int32_t dstPitch, int32_t srcPitch, int32_t spec0, int32_t spec1,
                        int32_t spec2, int32_t diff0, int32_t diff1, int32_t diff2, uint32_t mode) {
    meshcell::Corner c[3] = {meshcell::makeCorner(v0, t0, spec0, diff0), meshcell::makeCorner(v1, t1, spec1, diff1),
                             meshcell::makeCorner(v2, t2, spec2, diff2)};
    drawPolygon(dst, c, 3, texture, clip, dstPitch, srcPitch, mode);
}

void renderMeshGrid(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                    int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                    int32_t, const int32_t* ambientVec, float specular, int32_t power) {
    meshcell::renderGridCells(dst, src, clip, srcRect, dstPitch, srcPitch, grid, rows, cols, lightDir, ambientVec,
                              specular, power, false, renderMeshCell, kCellModeLit);
}

void renderTitleMesh(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols, const float* lightDir,
                     int32_t, const int32_t* ambientVec, float specular, int32_t power) {
    meshcell::renderGridCells(dst, src, clip, srcRect, dstPitch, srcPitch, grid, rows, cols, lightDir, ambientVec,
                              specular, power, false, renderMeshCell, kCellModeTitle);
}

void renderMeshTriangles(Pixel* dst, const Pixel* src, const Rect& clip, const Rect& srcRect, int32_t dstPitch,
                         int32_t srcPitch, const MeshGrid* grid, int32_t rows, int32_t cols,
                         const float* lightDir, int32_t, const int32_t* ambientVec, float specular,
                         int32_t power) {
    FrontEndSetup f = lightFrontEnd(false, srcRect, grid, rows, cols, lightDir, ambientVec, specular, power);
    if (!f.drawable) return;
    const LightTables& lt = lightTablesA();
    int32_t brightest = 0;
    for (int32_t i = 0; i < rows - 1; ++i)
        for (int32_t j = 0; j < cols - 1; ++j) {
            CellTexture t = cellTexture(src, srcRect, srcPitch, f.srcW, f.srcH, rows, cols, i, j);
            const int32_t k0 = i * cols + j, k1 = k0 + 1, k2 = k0 + cols + 1, k3 = k0 + cols;
            const int32_t tl[2] = {0, 0}, tr[2] = {t.du, 0}, br[2] = {t.du, t.dv}, bl[2] = {0, t.dv};
            renderMeshTriangle(dst, &grid[k0], &grid[k1], &grid[k3], t.origin, tl, tr, bl, clip, dstPitch, srcPitch,
                               lt.specular[k0], lt.specular[k1], lt.specular[k3], lt.diffuse[k0], lt.diffuse[k1],
                               lt.diffuse[k3], kCellModeLit);
            renderMeshTriangle(dst, &grid[k3], &grid[k1], &grid[k2], t.origin, bl, tr, br, clip, dstPitch, srcPitch,
                               lt.specular[k3], lt.specular[k1], lt.specular[k2], lt.diffuse[k3], lt.diffuse[k1],
                               lt.diffuse[k2], kCellModeLit);
            if (lt.specular[k0] > lt.specular[brightest]) brightest = k0;
        }
    int32_t s = lt.specular[brightest];
    if (s < 1) return;
    s = std::clamp(s, 8, 80);
    const int32_t h = s / 2;
    const int32_t x = truncToInt(grid[brightest].x), y = truncToInt(grid[brightest].y);
    const struct {
        int32_t dx, dy, n;
    } flares[5] = {{0, 0, h}, {-1, -1, 3 * h / 4}, {-2, -2, 2 * h / 4}, {1, 1, 3 * h / 2}, {2, 2, 2 * h / 4}};
    for (const auto& fl : flares) drawLightCross(dst, clip, dstPitch, x + fl.dx, y + fl.dy, fl.n, 64, 64, 256);
}

void drawTexturedQuad(Pixel* dst, const float* p0, const float* p1, const float* p2, const float* p3,
                      const Pixel* src, const int32_t* t0, const int32_t* t1, const int32_t* t2,
                      const int32_t* t3, const Rect& rect, int32_t dstPitch, int32_t srcPitch) {
    const float* p[4] = {p0, p1, p2, p3};
    const int32_t* t[4] = {t0, t1, t2, t3};
    texturedQuad<false>(dst, p, src, t, rect, dstPitch, srcPitch);
}

void drawTexturedQuadB(Pixel* dst, const float* p0, const float* p1, const float* p2, const float* p3,
                       const Pixel* src, const int32_t* t0, const int32_t* t1, const int32_t* t2,
                       const int32_t* t3, const Rect& rect, int32_t dstPitch, int32_t srcPitch) {
    const float* p[4] = {p0, p1, p2, p3};
    const int32_t* t[4] = {t0, t1, t2, t3};
    texturedQuad<true>(dst, p, src, t, rect, dstPitch, srcPitch);
}

int32_t drawLightCross(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x, int32_t y, int32_t n,
                       int32_t addRed, int32_t addGreen, int32_t addBlue) {
    if (x < clip.left || x >= clip.right - 1 || y < clip.top || y >= clip.bottom - 1) return 0;
    if (n < 1) return 0;   // the fall-off divides by n
    const int64_t k = 0x10000 / n;
    auto light = [&](Pixel& p, int32_t t) {
        const int64_t f = k * t;
        auto ch = [&](uint32_t c, int64_t add) {
            int64_t v = int64_t{c} + add - ((f * add) >> 16);
            return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 255));
        };
        p = (ch((p >> 16) & 0xFF, addRed) << 16) | (ch((p >> 8) & 0xFF, addGreen) << 8) | ch(p & 0xFF, addBlue);
    };
    Pixel* row = dst + static_cast<intptr_t>(y) * pitch;
    const int32_t x0 = std::max(x - n, clip.left), x1 = std::min(clip.right - 1, x + n);
    for (int32_t px = x0; px <= x1; ++px) light(row[px], px > x ? px - x : x - px);
    const int32_t y0 = std::max(y - n, clip.top), y1 = std::min(clip.bottom - 1, y + n);
    for (int32_t py = y0; py <= y1; ++py) light(dst[static_cast<intptr_t>(py) * pitch + x], py > y ? py - y : y - py);
    return 0;
}
