#include "render/QuadFill.h"

#include <algorithm>
#include <cmath>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/FloatToInt.h"
#include "render/MeshGeometry.h"

namespace {

struct GlassBall {
    int frac;              // fraction bits of the sprite step
    int lensShift;         // >> of the background displacement (0: no background)
    bool rimIncluded;      // dx^2 + dy^2 <= l^2 instead of <
};

uint32_t channel(Pixel p, int shift) { return (p >> shift) & 0xFF; }

// One ball; step is the sprite step per ball pixel in `frac` fraction bits.
template <class Write>
void drawBall(const GlassBall& kind, const Pixel* background, int32_t pitch, int32_t x, int32_t y, int32_t d,
              const Pixel* sprite, int64_t step, Pixel tint, int32_t width, int32_t height, Write write) {
    const int64_t l = d >> 1;
    const int64_t ll = l * l;
    const int64_t m = 65536 / (int64_t{d} * d);
    const int64_t boxTop = int64_t{y} - l, boxLeft = int64_t{x} - l;
    const int64_t rowFrom = std::max<int64_t>(boxTop, 0), rowTo = std::min<int64_t>(boxTop + d, height);
    const int64_t colFrom = std::max<int64_t>(boxLeft, 0), colTo = std::min<int64_t>(boxLeft + d, width);
    // The tint of every shade, per channel (blue, green, red), worked out once per ball.
    uint16_t tintOf[3][256];
    for (int c = 0; c < 3; ++c)
        for (uint32_t shade = 0; shade < 256; ++shade)
            tintOf[c][shade] = static_cast<uint16_t>(std::min<uint32_t>(255, shade * channel(tint, 8 * c) / 128));
#if defined(__SSE2__)
    uint32_t tintPacked[256];   // the same, one pixel a shade
    for (uint32_t shade = 0; shade < 256; ++shade)
        tintPacked[shade] = tintOf[0][shade] | (uint32_t{tintOf[1][shade]} << 8) | (uint32_t{tintOf[2][shade]} << 16);
#endif
    auto inside = [&](int64_t r2) { return kind.rimIncluded ? r2 <= ll : r2 < ll; };
    for (int64_t py = rowFrom; py < rowTo; ++py) {
        const int64_t dy = py - y;
        const Pixel* spriteRow = sprite + (((py - boxTop) * step) >> kind.frac) * pitch;
        // The row's pixels inside the ball: |dx| <= h, h found from a square root and
        // settled by the exact test (the test is the same one the pixels passed before).
        const int64_t dy2 = dy * dy;
        if (!inside(dy2)) continue;
        int64_t h = static_cast<int64_t>(std::sqrt(static_cast<double>(ll - dy2)));
        while (h > 0 && !inside(h * h + dy2)) --h;
        while (inside((h + 1) * (h + 1) + dy2)) ++h;
        const int64_t spanFrom = std::max(colFrom, int64_t{x} - h), spanTo = std::min(colTo, int64_t{x} + h + 1);
        for (int64_t px = spanFrom; px < spanTo; ++px) {
            const int64_t dx = px - x;
            const int64_t r2 = dx * dx + dy2;
            const Pixel g = spriteRow[((px - boxLeft) * step) >> kind.frac];
            const uint32_t shade = g & 0xFF, weight = (g >> 8) & 0xFF, highlight = (g >> 16) & 0xFF;
            Pixel seen = 0;
            if (kind.lensShift) {
                // Lens factor in 128ths: 0.375 at the centre, growing toward the rim.
                const int64_t k = 48 + ((m * r2 * 464 + 65535) >> 16);   // never negative: the shift is the division
                const int64_t bx = x + ((dx * k) >> kind.lensShift), by = y + ((dy * k) >> kind.lensShift);
                if (bx >= 0 && bx < width && by >= 0 && by < height) seen = background[by * pitch + bx];
            }
            const uint32_t keep = 256 - weight;
#if defined(__SSE2__)
            if (kind.lensShift) {
                // The three channels at once: (tinted, seen) pairs against (weight, keep)
                // in 32-bit sums; the highlight added in 256ths before the shift, the
                // packs saturating at 255 as the min does.
                const __m128i zero = _mm_setzero_si128();
                const __m128i tinted = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(tintPacked[shade])), zero);
                const __m128i behind = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(seen)), zero);
                const __m128i sums = _mm_madd_epi16(_mm_unpacklo_epi16(tinted, behind),
                                                    _mm_set1_epi32(static_cast<int>(weight | (keep << 16))));
                const __m128i v = _mm_srli_epi32(_mm_add_epi32(sums, _mm_set1_epi32(static_cast<int>(highlight << 8))), 8);
                const __m128i v16 = _mm_packs_epi32(v, v);
                write(py * pitch + px, static_cast<Pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(v16, v16))) & 0xFFFFFFu);
                continue;
            }
#endif
            auto mix = [&](int c, int shift) {
                const uint32_t tinted = tintOf[c][shade];
                const uint32_t v = kind.lensShift ? highlight + ((weight * tinted + keep * channel(seen, shift)) >> 8)
                                                  : highlight + tinted;
                return std::min<uint32_t>(255, v) << shift;
            };
            const Pixel out = mix(0, 0) | mix(1, 8) | mix(2, 16);
            write(py * pitch + px, out);
        }
    }
}

int64_t fineStep(int32_t zoom, int32_t d) { return (int64_t{static_cast<int16_t>(zoom)} * 1048576) / d; }

}  // namespace

void fillQuad(const QuadFillRecord& quad) {
    struct Point {
        int32_t x, y;
    } p[4] = {{quad.p0[0], quad.p0[1]}, {quad.p1[0], quad.p1[1]}, {quad.p2[0], quad.p2[1]}, {quad.p3[0], quad.p3[1]}};
    for (int i = 1; i < 4; ++i)   // stable: a point moves up only past a strictly larger y
        for (int j = i; j > 0 && p[j - 1].y > p[j].y; --j) std::swap(p[j - 1], p[j]);
    const int32_t flags[2] = {windingTest(p[1].x, p[1].y, p[0].x, p[0].y, p[3].x, p[3].y),
                              windingTest(p[2].x, p[2].y, p[0].x, p[0].y, p[3].x, p[3].y)};
    const bool bothLeft = flags[0] == 1 && flags[1] == 1;
    auto edgeX = [&](const Point& a, const Point& b, int64_t y) {
        const int64_t inv = b.y != a.y ? 0x40000 / (int64_t{b.y} - a.y) : 0x40000;
        return a.x + (((int64_t{b.x} - a.x) * (y - a.y) * inv) >> 18);
    };
    const Rect& clip = quad.clip;
    const Pixel colour = *quad.colour;
    for (int band = 0; band < 3; ++band) {
        const BandEdges e = bandEdges(4, flags, band);
        const int64_t yFrom = std::max<int64_t>(p[band].y, clip.top);
        const int64_t yTo = std::min<int64_t>(p[band + 1].y, int64_t{clip.bottom} - 1);
        const bool openRight = bothLeft && band > 0;
        for (int64_t y = yFrom; y <= yTo; ++y) {
            const int64_t xl = edgeX(p[e.leftFrom], p[e.leftTo], y);
            const int64_t xr = edgeX(p[e.rightFrom], p[e.rightTo], y) - (openRight ? 1 : 0);
            Pixel* row = quad.pixels + y * quad.pitch;
            for (int64_t x = std::max<int64_t>(xl, clip.left); x <= std::min<int64_t>(xr, int64_t{clip.right} - 1); ++x)
                row[x] = colour;
        }
    }
}

void drawBallSprite(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t d, int32_t secondHighlight) {
    if (d <= 0) return;
    const int32_t r = d >> 1;
    const int32_t h = (d & ~1) / 3;
    const int32_t e = r / 3;
    const int64_t rr = int64_t{r} * r;
    auto highlightOf = [](int64_t q, double peak) {
        return truncToInt(peak * std::pow(std::cos(static_cast<double>(q) * 0.003067961f), 16));
    };
    for (int32_t i = 0; i < d; ++i) {
        Pixel* row = dst + static_cast<intptr_t>(y + i) * pitch + x;
        for (int32_t j = 0; j < d; ++j) {
            const int64_t o = int64_t{i + h - r} * (i + h - r) + int64_t{j - r - h} * (j - r - h);
            int32_t shade = 55;
            if (o <= 8191) shade += std::max(0, truncToInt(200.0 * std::cos(static_cast<double>(o) * 0.00019174756f)));
            // A ball of radius 0 has no rim to weigh the tint against.
            const int64_t weight = rr > 0 ? (int64_t{i - r} * (i - r) + int64_t{j - r} * (j - r)) * 128 / rr : 0;
            int32_t highlight = 0;
            const int64_t q1 = int64_t{i - (r - e)} * (i - (r - e)) + int64_t{j - (r + e)} * (j - (r + e));
            if (q1 < 512) highlight = highlightOf(q1, 200.0);
            const int64_t q2 = int64_t{i - (r + e)} * (i - (r + e)) + int64_t{j - (r - e)} * (j - (r - e));
            if (secondHighlight && q2 < 512) highlight = highlightOf(q2, 64.0);
            row[j] = static_cast<Pixel>(shade + (weight << 8) + (int64_t{highlight} << 16));
        }
    }
}

void drawGlassBall(Pixel* dst, const Pixel* background, int32_t pitch, int32_t x, int32_t y, int32_t d,
                   const Pixel* sprite, int32_t zoom, Pixel tint, int32_t width, int32_t height) {
    if (d <= 0) return;
    const int64_t step = (int64_t{zoom & 0x1FFFF} * 32768) / d;
    drawBall(GlassBall{15, 7, false}, background, pitch, x, y, d, sprite, step, tint, width, height,
             [&](int64_t at, Pixel v) { dst[at] = v; });
}

void drawGlassBallB(Pixel* dst, Pixel* dst2, const Pixel* background, int32_t pitch, int32_t x, int32_t y,
                    int32_t d, const Pixel* sprite, int32_t zoom, Pixel tint, int32_t width, int32_t height) {
    if (d <= 0) return;
    drawBall(GlassBall{20, 6, false}, background, pitch, x, y, d, sprite, fineStep(zoom, d), tint, width, height,
             [&](int64_t at, Pixel v) { dst[at] = dst2[at] = v; });
}

void drawGlassBallClipped(Pixel* dst, int32_t pitch, int32_t x, int32_t y, int32_t d, const Pixel* sprite,
                          int32_t zoom, Pixel tint, int32_t width, int32_t height) {
    if (d <= 0) return;
    drawBall(GlassBall{20, 0, true}, nullptr, pitch, x, y, d, sprite, fineStep(zoom, d), tint, width, height,
             [&](int64_t at, Pixel v) { dst[at] = v; });
}
