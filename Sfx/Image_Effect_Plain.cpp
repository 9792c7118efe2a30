#include "Sfx/Image_Effect_Plain.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"

namespace {

// Every pixel through fn.
template <class Fn>
void mapPixels(const Frame& f, Fn fn) {
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = fn(s[x]);
    }
}

// Every channel of every pixel through one 256-entry curve.
void mapChannels(const Frame& f, const uint8_t (&curve)[256]) {
    mapPixels(f, [&curve](Pixel c) {
        return static_cast<Pixel>(curve[(c >> 16) & 0xFF]) << 16 | static_cast<Pixel>(curve[(c >> 8) & 0xFF]) << 8 |
               curve[c & 0xFF];
    });
}

uint8_t byteOf(int32_t v) { return static_cast<uint8_t>(v); }

// Every pixel moved toward target(pixel) by w / 256 per channel: c + ((t - c) x w
// >> 8) with the arithmetic shift, which is the blend (c x (256 - w) + t x w) >> 8.
template <class Target>
void blendTowards(const Frame& f, int32_t w, Target target) {
    const uint32_t weight = static_cast<uint32_t>(w);
    mapPixels(f, [weight, &target](Pixel c) { return blendPixel(c, target(c), weight); });
}

float floatWord(int32_t word) { return std::bit_cast<float>(word); }
int32_t wordOfFloat(float v) { return std::bit_cast<int32_t>(v); }

// The shaped level, doubled for the envelopes other than the peak follower
// (they peak at 127.5).
float doubledUnlessFollower(const EffectParams* p) { return p->levelMode != 0 ? p->level * 2 : p->level; }

// The scratch buffer of a body that keeps one: acquired on the first frame and
// kept on every frame. Null when the pool had no free slot on the first frame;
// the body then shows the picture.
Pixel* keptWorkBuffer(EffectParams* p) {
    if (p->firstFrame) {
        p->slots[0] = -1;
        p->buffers[0] = p->acquireBuffer(&p->slots[0]);
    }
    if (!p->buffers[0]) return nullptr;
    p->keepBuffer(p->slots[0]);
    return p->buffers[0];
}

// ---- Splits ---------------------------------------------------------------------------

constexpr double kThirdTurn = 2.0943952;
constexpr double kTwoThirdsTurn = 4.1887903;
constexpr double kFullTurn = 6.2831855;

// The three copies' shares of a pixel: copy 1 lends red and green (yellow), copy 2
// green and blue (cyan), copy 3 red and blue (purple); the RGB forms one primary
// each. A missing copy is 0.
struct YcpSplit2Mix {
    static Pixel mix(Pixel own, Pixel c1, Pixel c2, Pixel c3) {
        return ((own >> 1) & 0x7F7F7F) + ((c1 >> 2) & 0x3F3F00) + ((c2 >> 2) & 0x003F3F) + ((c3 >> 2) & 0x3F003F);
    }
};
struct YcpSplitMix {
    static Pixel mix(Pixel, Pixel c1, Pixel c2, Pixel c3) {
        return ((c1 >> 1) & 0x7F7F00) + ((c2 >> 1) & 0x007F7F) + ((c3 >> 1) & 0x7F007F);
    }
};
struct RgbSplit2Mix {
    static Pixel mix(Pixel own, Pixel c1, Pixel c2, Pixel c3) {
        return ((own >> 1) & 0x7F7F7F) + ((c1 >> 1) & 0x7F0000) + ((c2 >> 1) & 0x007F00) + ((c3 >> 1) & 0x00007F);
    }
};
struct RgbSplitMix {
    static Pixel mix(Pixel, Pixel c1, Pixel c2, Pixel c3) {
        return (c1 & 0xFF0000) | (c2 & 0x00FF00) | (c3 & 0x0000FF);
    }
};

// Turns the split angle by the level, the way the direction says (flipped on a
// beat), and returns it.
float turnSplitAngle(EffectParams* p) {
    if (p->firstFrame) {
        p->stateWords[0] = wordOfFloat(0.0f);
        p->stateWords[1] = 0;
    }
    updateEffectLevel(p, 0.96f, 1.0f);
    if (p->beat == 1) p->stateWords[1] = p->stateWords[1] == 0 ? 1 : 0;
    const double step = static_cast<double>(heldLevel(p->level)) * 0.001;
    float angle = static_cast<float>(floatWord(p->stateWords[0]) + (p->stateWords[1] == 1 ? step : -step));
    if (angle > kFullTurn)
        angle = 0.0f;
    else if (angle < 0.0f)
        angle = static_cast<float>(kFullTurn);
    p->stateWords[0] = wordOfFloat(angle);
    return angle;
}

template <class Mix>
void splitFrame(EffectParams* p) {
    const float angle = turnSplitAngle(p);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t radius = truncToInt(f.w * static_cast<double>(heldLevel(p->level)) * 0.0015625);
    int32_t dx[3], dy[3];
    const double turns[3] = {0.0, kThirdTurn, kTwoThirdsTurn};
    for (int k = 0; k < 3; ++k) {
        const double a = angle + turns[k];
        dx[k] = truncToInt(radius * std::cos(a));
        dy[k] = truncToInt(radius * std::sin(a));
    }
    // Columns where copy k's sample lies inside the picture.
    int32_t lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::max(0, -dx[k]);
        hi[k] = std::min(f.w, f.w - dx[k]);
    }
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* own = f.srcRow(y);
        const Pixel* copy[3];
        bool rowIn[3];
        for (int k = 0; k < 3; ++k) {
            rowIn[k] = y + dy[k] >= 0 && y + dy[k] < f.h;
            copy[k] = rowIn[k] ? f.srcRow(y + dy[k]) + dx[k] : own;
        }
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const Pixel c1 = rowIn[0] && x >= lo[0] && x < hi[0] ? copy[0][x] : 0;
            const Pixel c2 = rowIn[1] && x >= lo[1] && x < hi[1] ? copy[1][x] : 0;
            const Pixel c3 = rowIn[2] && x >= lo[2] && x < hi[2] ? copy[2][x] : 0;
            d[x] = Mix::mix(own[x], c1, c2, c3);
        }
    }
}

// ---- Beat-switched bodies ---------------------------------------------------------

// Under the peak follower the frame flips between the picture and treat(picture)
// on every beat (the toggle in stateWords[0], 0 from the first frame on); the
// other envelopes blend toward target(picture) by the level.
template <class Treat, class Target>
void beatSwitched(EffectParams* p, Treat treat, Target target) {
    if (p->firstFrame) p->stateWords[0] = 0;
    Frame f;
    const bool haveFrame = frameOf(p, &f);
    if (p->levelMode == 0) {
        if (p->beat == 1) p->stateWords[0] = p->stateWords[0] == 0 ? 1 : 0;
        if (!haveFrame) return;
        if (p->stateWords[0])
            mapPixels(f, treat);
        else
            copyPicture(f);
        return;
    }
    updateEffectLevel(p, 0.0f, 1.0f);
    if (haveFrame) blendTowards(f, levelByte(p->level / 256 * 512), target);
}

// ---- Box blur ---------------------------------------------------------------------

constexpr int32_t kBlurLanes = 64;

// Box averages along `lanes` adjacent lines at once (pixels 1 apart across the
// lines, `step` apart along them, n long): each pixel the average of the pixels
// within r of it on its line. Where the whole window fits, the sum is scaled by
// the reciprocal of 2r + 1 in 16.16; near the ends it is divided by the pixels
// actually summed.
template <int32_t MaxLanes>
void boxLines(const Pixel* in, ptrdiff_t inStep, Pixel* out, ptrdiff_t outStep, int32_t n, int32_t r,
              int32_t laneCount) {
    const int32_t lanes = MaxLanes == 1 ? 1 : laneCount;
    const int32_t full = 2 * r + 1;
    const uint32_t k = static_cast<uint32_t>(65536 / full);
    // Red and blue sum in one word, green in another: a window holds at most 63
    // pixels, so no channel's sum (at most 16065) reaches the next.
    uint32_t rb[MaxLanes] = {}, g[MaxLanes] = {};
    for (int32_t i = 0; i <= std::min(n - 1, r); ++i) {
        const Pixel* q = in + i * inStep;
        for (int32_t l = 0; l < lanes; ++l) {
            rb[l] += q[l] & 0xFF00FF;
            g[l] += q[l] & 0xFF00;
        }
    }
    for (int32_t x = 0; x < n; ++x) {
        const int32_t count = std::min(n - 1, x + r) - std::max(0, x - r) + 1;
        Pixel* o = out + x * outStep;
        if (count == full) {
            for (int32_t l = 0; l < lanes; ++l)
                o[l] = ((rb[l] >> 16) * k >> 16) << 16 | ((g[l] >> 8) * k >> 16) << 8 | ((rb[l] & 0xFFFF) * k >> 16);
        } else {
            const uint32_t c = static_cast<uint32_t>(count);
            for (int32_t l = 0; l < lanes; ++l)
                o[l] = ((rb[l] >> 16) / c) << 16 | ((g[l] >> 8) / c) << 8 | ((rb[l] & 0xFFFF) / c);
        }
        const Pixel* enter = x + r + 1 < n ? in + (x + r + 1) * inStep : nullptr;
        const Pixel* leave = x - r >= 0 ? in + (x - r) * inStep : nullptr;
        if (enter && leave) {
            for (int32_t l = 0; l < lanes; ++l) {
                rb[l] += (enter[l] & 0xFF00FF) - (leave[l] & 0xFF00FF);
                g[l] += (enter[l] & 0xFF00) - (leave[l] & 0xFF00);
            }
        } else if (enter) {
            for (int32_t l = 0; l < lanes; ++l) {
                rb[l] += enter[l] & 0xFF00FF;
                g[l] += enter[l] & 0xFF00;
            }
        } else if (leave) {
            for (int32_t l = 0; l < lanes; ++l) {
                rb[l] -= leave[l] & 0xFF00FF;
                g[l] -= leave[l] & 0xFF00;
            }
        }
    }
}

// ---- Water colour -------------------------------------------------------------------

// The dab map: every visible pixel's offset of the picture pixel it is painted
// with; dabs take the colour of their centre, later dabs over earlier ones.
void paintDabMap(int32_t* map, const Frame& f) {
    for (int32_t y = 0; y < f.h; ++y)
        for (int32_t x = 0; x < f.w; ++x) map[static_cast<ptrdiff_t>(y) * f.pitch + x] = y * f.pitch + x;
    const int32_t d = ((f.w + f.h) * 3) / 4;
    for (int32_t i = 0; i < 32 * d; ++i) {
        const int32_t r1 = crtRand(), r2 = crtRand(), r3 = crtRand(), r4 = crtRand();
        const int32_t cx = r1 % f.w, cy = r2 % f.h;
        const int32_t m = d * (r3 & 255) / 32768 + 1;
        const int32_t h = m >> 1;
        const bool upright = r4 < 16385;
        const int32_t halfRows = upright ? m : h, halfCols = upright ? h : m;
        const int32_t top = std::max(0, cy - halfRows), bottom = std::min(f.h - 1, cy + halfRows + 1);
        const int32_t left = std::max(0, cx - halfCols), right = std::min(f.w - 1, cx + halfCols + 1);
        const int32_t centre = cy * f.pitch + cx;
        for (int32_t y = top; y <= bottom; ++y)
            for (int32_t x = left; x <= right; ++x)
                if ((y - cy) * (y - cy) + (x - cx) * (x - cx) < m * m + 1)
                    map[static_cast<ptrdiff_t>(y) * f.pitch + x] = centre;
    }
}

}  // namespace

void applyPlYCPSplit2(EffectParams* p) { splitFrame<YcpSplit2Mix>(p); }
void applyPlYCPSplit(EffectParams* p) { splitFrame<YcpSplitMix>(p); }
void applyPlRGBSplit2(EffectParams* p) { splitFrame<RgbSplit2Mix>(p); }
void applyPlRGBSplit(EffectParams* p) { splitFrame<RgbSplitMix>(p); }

void applyPlMonoColor(EffectParams* p) {
    beatSwitched(
        p,
        [](Pixel c) { return (((c >> 9) & 0x7F) + ((c >> 18) & 0x3F) + ((c >> 2) & 0x3F)) * 0x010101u; },
        [](Pixel c) { return ((c >> 8) & 0xFF) * 0x010101u; });   // red and blue toward green
}

void applyPlNegative(EffectParams* p) {
    beatSwitched(p, [](Pixel c) { return c ^ 0xFFFFFFu; }, [](Pixel c) { return c ^ 0xFFFFFFu; });
}

void applyPlBitPlaneSlicing(EffectParams* p) {
    updateEffectLevel(p, 0.92f, 0.5f);
    Frame f;
    if (!frameOf(p, &f)) return;
    // Each channel toward itself without its top bit, shifted up one plane.
    blendTowards(f, levelByte(doubledUnlessFollower(p)), [](Pixel c) { return (c & 0x7F7F7Fu) << 1; });
}

void applyPlContrast(EffectParams* p) {
    Frame f;
    const bool haveFrame = frameOf(p, &f);
    updateEffectLevel(p, 0.9f, static_cast<float>(std::max(f.w, 0) * 0.0015625));
    if (!haveFrame) return;
    // (int)(L / 4 + 64): 64 in silence, 127 at full level.
    const int32_t fold = 64 + (levelByte(p->level) >> 2);
    const int32_t g = 128 - fold;
    uint8_t curve[256];
    for (int32_t i = 0; i < fold; ++i) curve[i] = byteOf((i * g) / fold);
    for (int32_t k = 0; k <= 254 - 2 * fold; ++k) curve[fold + k] = byteOf((k * (2 * fold - 1)) / (255 - 2 * fold) + g);
    for (int32_t i = 255 - fold; i <= 255; ++i) curve[i] = byteOf(((i - 255) * g) / fold + 255);
    mapChannels(f, curve);
}

void applyPlContrast2(EffectParams* p) {
    Frame f;
    const bool haveFrame = frameOf(p, &f);
    updateEffectLevel(p, 0.9f, static_cast<float>(std::max(f.w, 0) * 0.0015625));
    if (!haveFrame) return;
    const int32_t d = levelByte(p->level) >> 1;   // (int)(L / 2)
    uint8_t curve[256];
    for (int32_t i = 0; i < 256; ++i) curve[i] = byteOf(d + (i * (255 - d)) / 255);
    mapChannels(f, curve);
}

void applyPlColorMask(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t n = levelByte(p->level);
    const Pixel m = static_cast<Pixel>(std::min(255, 128 + ((256 - n) >> 1)));
    const Pixel mask = m * 0x010101u;
    mapPixels(f, [mask](Pixel c) { return c & mask; });
}

void applyPlBlur(EffectParams* p) {
    Pixel* work = keptWorkBuffer(p);
    updateEffectLevel(p, 0.95f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    if (!work) return copyPicture(f);
    // Silence blurs most under the peak follower; the envelopes blur more as they rise.
    const int32_t n = levelByte(p->level);
    const int32_t r = p->levelMode == 0 ? (255 - n) / 8 : n / 8;
    for (int32_t y = 0; y < f.h; ++y)
        boxLines<1>(f.srcRow(y), 1, work + static_cast<ptrdiff_t>(y) * f.pitch, 1, f.w, r, 1);
    // Columns in strips, so the vertical pass walks rows.
    for (int32_t x = 0; x < f.w; x += kBlurLanes)
        boxLines<kBlurLanes>(work + x, f.pitch, f.dst + x, f.pitch, f.h, r, std::min(kBlurLanes, f.w - x));
}

void applyPlCrepas(EffectParams* p) {
    Pixel* work = keptWorkBuffer(p);
    int32_t* pattern = reinterpret_cast<int32_t*>(work);
    if (p->firstFrame && work)
        for (int32_t i = 0; i < 1024; ++i) pattern[i] = crtRand() % 33 - 16;
    updateEffectLevel(p, 0.92f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    if (!work) return copyPicture(f);
    const float level = heldLevel(p->level);
    const float scale = p->levelMode == 0 ? level / 512 : level / 256;
    int32_t jitter[1024];
    for (int32_t i = 0; i < 1024; ++i) jitter[i] = truncToInt(pattern[i] * scale);
    // Samples are linear offsets from the picture's first pixel: one that runs off
    // a row's end lands in the margin or the next row; outside the rows it is
    // skipped and the canvas keeps its pixel.
    const ptrdiff_t limit = static_cast<ptrdiff_t>(f.pitch) * f.h;
    uint16_t k = 0;
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x, ++k) {
            const int32_t a = jitter[k & 1023], b = jitter[(k + 1) & 1023];
            const ptrdiff_t oa = static_cast<ptrdiff_t>(y + a) * f.pitch + (x + b);
            const ptrdiff_t ob = static_cast<ptrdiff_t>(y + b) * f.pitch + (x + a);
            if (oa > 0 && oa < limit && ob > 0 && ob < limit)
                d[x] = ((f.src[oa] >> 1) & 0x7F7F7F) + ((f.src[ob] >> 1) & 0x7F7F7F);
        }
        k = static_cast<uint16_t>(k + y);
    }
}

void applyPlSharpen(EffectParams* p) {
    updateEffectLevel(p, 0.8f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t t = levelByte(p->level) * 16;
    const int32_t u = 4 * t + 256;
    // One channel (at bit `shift`): c x u - neighbours x t, held to 0..255 x 256.
    auto sharpen = [t, u](Pixel c, Pixel around, int shift) -> Pixel {
        const int32_t v = static_cast<int32_t>((c >> shift) & 0xFF) * u - static_cast<int32_t>(around) * t;
        return static_cast<Pixel>(v < 0 ? 0 : v >= 65280 ? 255 : v >> 8) << shift;
    };
    for (int32_t y = 1; y < f.h - 1; ++y) {
        const Pixel* up = f.srcRow(y - 1);
        const Pixel* s = f.srcRow(y);
        const Pixel* down = f.srcRow(y + 1);
        Pixel* d = f.dstRow(y);
        int32_t x = 1;
#if defined(__SSE2__)
        // Four pixels at a time: each channel's c u - around t as one 16-bit
        // multiply-add pair into 32 bits, >> 8 and held to 0..255 by the packs
        // (v < 0 and v >= 65280 are exactly the results below 0 and above 254).
        const __m128i zero = _mm_setzero_si128();
        const __m128i weights = _mm_set_epi16(static_cast<short>(-t), static_cast<short>(u), static_cast<short>(-t),
                                              static_cast<short>(u), static_cast<short>(-t), static_cast<short>(u),
                                              static_cast<short>(-t), static_cast<short>(u));
        const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
        auto load = [](const Pixel* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
        auto onePixel = [&](__m128i c16, __m128i around16, bool high) {
            const __m128i pairs = high ? _mm_unpackhi_epi16(c16, around16) : _mm_unpacklo_epi16(c16, around16);
            return _mm_srai_epi32(_mm_madd_epi16(pairs, weights), 8);
        };
        for (; x + 4 <= f.w - 1; x += 4) {
            const __m128i c = load(s + x), n0 = load(up + x), n1 = load(down + x), n2 = load(s + x - 1),
                          n3 = load(s + x + 1);
            __m128i out[2];
            for (int half = 0; half < 2; ++half) {
                auto widen = [&](__m128i v) { return half ? _mm_unpackhi_epi8(v, zero) : _mm_unpacklo_epi8(v, zero); };
                const __m128i around = _mm_add_epi16(_mm_add_epi16(widen(n0), widen(n1)), _mm_add_epi16(widen(n2), widen(n3)));
                const __m128i c16 = widen(c);
                out[half] = _mm_packs_epi32(onePixel(c16, around, false), onePixel(c16, around, true));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_and_si128(_mm_packus_epi16(out[0], out[1]), rgb));
        }
#endif
        for (; x < f.w - 1; ++x) {
            // Red and blue neighbours summed in one word: each sum stays below 1024.
            const Pixel n0 = up[x], n1 = down[x], n2 = s[x - 1], n3 = s[x + 1];
            const Pixel rb = (n0 & 0xFF00FF) + (n1 & 0xFF00FF) + (n2 & 0xFF00FF) + (n3 & 0xFF00FF);
            const Pixel g = ((n0 >> 8) & 0xFF) + ((n1 >> 8) & 0xFF) + ((n2 >> 8) & 0xFF) + ((n3 >> 8) & 0xFF);
            d[x] = sharpen(s[x], rb >> 16, 16) | sharpen(s[x], g, 8) | sharpen(s[x], rb & 0xFFFF, 0);
        }
    }
}

void applyPlSketch(EffectParams* p, int32_t colour) {
    updateEffectLevel(p, 0.92f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const uint32_t w = static_cast<uint32_t>(levelByte(doubledUnlessFollower(p)));
    // The low bits of the right neighbour and the high bits of the pixel up two
    // and left one (row -1 is the picture's top margin).
    for (int32_t y = 1; y < f.h - 1; ++y) {
        const Pixel* s = f.srcRow(y);
        const Pixel* above = f.srcRow(y - 2);
        Pixel* d = f.dstRow(y);
        if (colour) {
            for (int32_t x = 1; x < f.w - 1; ++x)
                d[x] = blendPixel(s[x], (s[x + 1] & 0x0C0C0C) | (above[x - 1] & 0xC0C0C0), w);
        } else {
            for (int32_t x = 1; x < f.w - 1; ++x)
                d[x] = blendPixel(s[x], ((s[x + 1] & 0x0C) | (above[x - 1] & 0xC0)) * 0x010101u, w);
        }
    }
}

void applyPlWaterColor2(EffectParams* p) {
    Pixel* work = keptWorkBuffer(p);
    int32_t* map = reinterpret_cast<int32_t*>(work);
    Frame f;
    const bool haveFrame = frameOf(p, &f);
    if (p->firstFrame && work && haveFrame) paintDabMap(map, f);
    updateEffectLevel(p, 0.98f, 1.0f);
    if (!haveFrame) return;
    if (!work) return copyPicture(f);
    const int32_t n = levelByte(doubledUnlessFollower(p));
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        const int32_t* m = map + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.dstRow(y);
        if (n > 126) {
            for (int32_t x = 0; x < f.w; ++x) d[x] = f.src[m[x]];
        } else {
            const uint32_t w = static_cast<uint32_t>(2 * n);
            for (int32_t x = 0; x < f.w; ++x) d[x] = blendPixel(s[x], f.src[m[x]], w);
        }
    }
}
