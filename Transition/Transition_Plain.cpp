#include "Transition/Transition_Plain.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "Transition/TransitionFrame.h"
#include "engine/ScratchPool.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"

namespace {

// canvas = mix(outgoing, incoming) over the clip area, row by row.
template <class Mix>
void mixArea(const EffectParams* t, Mix mix) {
    const TransitionFrame a = frameOf(t);
    if (a.empty()) return;
    for (int32_t y = 0; y < a.h; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * a.pitch;
        const Pixel* o = a.outgoing + row;
        const Pixel* i = a.incoming + row;
        Pixel* d = a.canvas + row;
        for (int32_t x = 0; x < a.w; ++x) d[x] = mix(o[x], i[x]);
    }
}

inline uint32_t channel(Pixel p, int shift) { return (p >> shift) & 0xFFu; }
inline Pixel greyOf(uint32_t v) { return v * 0x010101u; }   // v in 0..255 in every channel

// Weights are made once per frame from the progress in double precision and
// truncated toward zero.
inline int32_t weight(double v) { return truncToInt(v); }

// ---- Brightness maps ------------------------------------------------------------

// T[v] = floor(255 v / f) below f, 255 from f on: the picture brightens until
// a channel reaches full and opens.
void buildWhiteMap(int32_t (&map)[256], int32_t f) {
    for (int32_t v = 0; v < 256; ++v) map[v] = v < f ? 255 * v / f : 255;
}

// Mapped channels are the bits of Mapped (4 red, 2 green, 1 blue). A pixel
// opens onto the incoming picture when all (NeedAll) or any of its mapped
// channels map to 255; otherwise it shows the outgoing pixel with its mapped
// channels replaced.
template <unsigned Mapped, bool NeedAll>
void brightenFirst(EffectParams* t) {
    int32_t map[256];
    buildWhiteMap(map, std::clamp(weight((1.0 - t->progress) * 256.0), 0, 256));
    static constexpr int kShifts[3] = {16, 8, 0};
    static constexpr unsigned kBits[3] = {4, 2, 1};
    mixArea(t, [&map](Pixel o, Pixel i) -> Pixel {
        Pixel out = o;
        bool all = true, any = false;
        for (int c = 0; c < 3; ++c) {
            if (!(Mapped & kBits[c])) continue;
            const int32_t m = map[channel(o, kShifts[c])];
            const bool full = m == 255;
            all &= full;
            any |= full;
            out = (out & ~(0xFFu << kShifts[c])) | (static_cast<uint32_t>(m) << kShifts[c]);
        }
        return (NeedAll ? all : any) ? i : out;
    });
}

// ---- Blur -------------------------------------------------------------------------

// floor(sum / k) by a multiply: exact while sum x k < 2^32, which holds for the
// channel sums of any window (sum <= 255 k).
struct ExactDivisor {
    uint64_t m;
    explicit ExactDivisor(uint32_t k) : m((uint64_t{1} << 32) / k + 1) {}
    uint32_t divide(uint32_t sum) const { return static_cast<uint32_t>((sum * m) >> 32); }
};

struct ChannelSums {
    uint32_t r = 0, g = 0, b = 0;
    void add(Pixel p) { r += channel(p, 16); g += channel(p, 8); b += channel(p, 0); }
    void sub(Pixel p) { r -= channel(p, 16); g -= channel(p, 8); b -= channel(p, 0); }
    Pixel quotient(const ExactDivisor& k) const { return k.divide(r) << 16 | k.divide(g) << 8 | k.divide(b); }
    Pixel scaled(uint32_t reciprocal) const {
        return ((r * reciprocal) >> 16) << 16 | ((g * reciprocal) >> 16) << 8 | (b * reciprocal) >> 16;
    }
};

// The box mean of radius n over `count` positions: the window is cut at both
// ends, where the exact quotient by the cut window's size is taken; inside, the
// sum times the reciprocal r = 65536 / (2n + 1). Needs 2n < count.
inline int32_t cutWindow(int32_t x, int32_t count, int32_t n) { return x < n ? n + 1 + x : n + count - x; }

// Along each row of the area: running sums along the row.
void boxMeanRow(const Pixel* in, Pixel* out, int32_t count, int32_t n, uint32_t reciprocal) {
    ChannelSums s;
    for (int32_t j = 0; j < n; ++j) s.add(in[j]);
    int32_t x = 0;
    for (; x < n; ++x) {
        s.add(in[x + n]);
        out[x] = s.quotient(ExactDivisor(static_cast<uint32_t>(cutWindow(x, count, n))));
    }
    for (; x < count - n; ++x) {
        s.add(in[x + n]);
        out[x] = s.scaled(reciprocal);
        s.sub(in[x - n]);
    }
    for (; x < count; ++x) {
        out[x] = s.quotient(ExactDivisor(static_cast<uint32_t>(cutWindow(x, count, n))));
        s.sub(in[x - n]);
    }
}

// Down the columns: the same means, walked row by row over strips of columns
// with one running sum per column, so reads and writes go along the rows.
void boxMeanColumns(const Pixel* in, Pixel* out, int32_t pitch, int32_t cols, int32_t rows, int32_t n,
                    uint32_t reciprocal) {
    constexpr int32_t kStrip = 256;
    ChannelSums sums[kStrip];
    for (int32_t x0 = 0; x0 < cols; x0 += kStrip) {
        const int32_t w = std::min(kStrip, cols - x0);
        std::fill(sums, sums + w, ChannelSums{});
        auto rowAt = [&](int32_t y) { return in + static_cast<ptrdiff_t>(y) * pitch + x0; };
        for (int32_t y = 0; y < n; ++y) {
            const Pixel* p = rowAt(y);
            for (int32_t j = 0; j < w; ++j) sums[j].add(p[j]);
        }
        for (int32_t y = 0; y < rows; ++y) {
            if (y + n < rows) {
                const Pixel* p = rowAt(y + n);
                for (int32_t j = 0; j < w; ++j) sums[j].add(p[j]);
            }
            Pixel* o = out + static_cast<ptrdiff_t>(y) * pitch + x0;
            if (y < n || y >= rows - n) {
                const ExactDivisor k(static_cast<uint32_t>(cutWindow(y, rows, n)));
                for (int32_t j = 0; j < w; ++j) o[j] = sums[j].quotient(k);
            } else {
                for (int32_t j = 0; j < w; ++j) o[j] = sums[j].scaled(reciprocal);
            }
            if (y >= n) {
                const Pixel* p = rowAt(y - n);
                for (int32_t j = 0; j < w; ++j) sums[j].sub(p[j]);
            }
        }
    }
}

// The blur's work buffer: acquired on the first frame (and again on a later
// frame if the pool had none free then), kept on every frame. Null when the
// pool has none or the clip area would not fit in it: the frame is skipped.
Pixel* blurWorkBuffer(EffectParams* t, const TransitionFrame& a) {
    if (t->firstFrame || !t->buffers[0]) t->buffers[0] = t->acquireBuffer(&t->slots[0]);
    if (!t->buffers[0]) return nullptr;
    t->keepBuffer(t->slots[0]);
    constexpr int64_t kRoom = (kScratchBlockBytes - kScratchLeadBytes) / static_cast<int64_t>(sizeof(Pixel));
    if (!a.empty() && static_cast<int64_t>(a.h - 1) * a.pitch + a.w > kRoom) return nullptr;
    return t->buffers[0];
}

// The blur radius: (rows + cols) / 1120 x 128 at the peak p = 0.5, 0 at both
// ends; held below half the shorter side so the window never leaves the area.
int32_t blurRadius(const TransitionFrame& a, double p) {
    const double q = p < 0.5 ? p : 1.0 - p;
    const int32_t n = weight((a.h + a.w) * 0.00089285715 * q * 128.0);
    return std::clamp(n, 0, (std::min(a.h, a.w) - 1) / 2);
}

// Rows pass: rowSource(y, scratchRow) gives row y's input (it may build it in
// scratchRow, a row the columns pass overwrites later); its box mean goes into
// the work buffer. Columns pass: the box mean down each work-buffer column
// into the canvas.
template <class RowSource>
void blurArea(EffectParams* t, RowSource rowSource) {
    const TransitionFrame a = frameOf(t);
    Pixel* work = blurWorkBuffer(t, a);
    if (!work || a.empty()) return;
    const int32_t n = blurRadius(a, t->progress);
    const uint32_t reciprocal = 65536u / static_cast<uint32_t>(2 * n + 1);
    for (int32_t y = 0; y < a.h; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * a.pitch;
        boxMeanRow(rowSource(y, a.canvas + row), work + row, a.w, n, reciprocal);
    }
    boxMeanColumns(work, a.canvas, a.pitch, a.w, a.h, n, reciprocal);
}

}  // namespace

// ---- Fades --------------------------------------------------------------------------

void renderPlFade(EffectParams* t) {
    const TransitionFrame a = frameOf(t);
    if (a.empty()) return;
    const uint32_t w = static_cast<uint32_t>(std::clamp(weight(t->progress * 256.0), 0, 256));
    for (int32_t y = 0; y < a.h; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * a.pitch;
        std::memcpy(a.canvas + row, a.outgoing + row, static_cast<size_t>(a.w) * sizeof(Pixel));
        blendPixels(a.canvas + row, a.incoming + row, a.w, w);
    }
}

void renderPlFadeOutIn(EffectParams* t) {
    const double p = t->progress;
    const bool leaving = p < 0.5;
    const uint32_t w = static_cast<uint32_t>(std::clamp(weight((leaving ? 0.5 - p : p - 0.5) * 512.0), 0, 256));
    mixArea(t, [=](Pixel o, Pixel i) { return blendPixel(0, leaving ? o : i, w); });
}

void renderPlWhiteOutIn(EffectParams* t) {
    const double p = t->progress;
    const bool leaving = p < 0.5;
    // Adding 256 whitens exactly as 255 does.
    const Pixel add = greyOf(static_cast<uint32_t>(std::clamp(weight((leaving ? p : 1.0 - p) * 512.0), 0, 255)));
    mixArea(t, [=](Pixel o, Pixel i) { return saturatingAdd(leaving ? o : i, add); });
}

// O + floor((C - O) a / 256) is the blend (O (256 - a) + C a) >> 8, so both
// halves are plain blends: towards C, then from C towards I.
void renderPlColorOutIn(EffectParams* t, uint32_t color) {
    const Pixel c = color & 0xFFFFFFu;
    const int32_t a = std::clamp(weight(t->progress * 512.0), 0, 512);
    if (a < 256) {
        mixArea(t, [=](Pixel o, Pixel) { return blendPixel(o, c, static_cast<uint32_t>(a)); });
    } else {
        mixArea(t, [=](Pixel, Pixel i) { return blendPixel(c, i, static_cast<uint32_t>(a - 256)); });
    }
}

// Each picture shows through a mask of its weight in every channel byte. The
// outgoing weight 256 of the first frame would be the mask 0x01010100 and blank
// the frame; it is held at 255 so the first frame shows the outgoing picture.
void renderPlColorMask(EffectParams* t) {
    const int32_t a = std::clamp(weight(t->progress * 256.0), 0, 255);
    const Pixel in = greyOf(static_cast<uint32_t>(a));
    const Pixel out = greyOf(static_cast<uint32_t>(std::min(256 - a, 255)));
    mixArea(t, [=](Pixel o, Pixel i) { return (i & in) | (o & out); });
}

// ---- Brightness reveals ---------------------------------------------------------

void renderPlWhiteFirst(EffectParams* t) { brightenFirst<7, true>(t); }

void renderPlColorFirst(EffectParams* t, uint32_t color) {
    switch (color) {
        case 0xFF0000: brightenFirst<4, false>(t); break;
        case 0x00FF00: brightenFirst<2, false>(t); break;
        case 0x0000FF: brightenFirst<1, false>(t); break;
        case 0xFFFF00: brightenFirst<6, false>(t); break;
        case 0x00FFFF: brightenFirst<3, false>(t); break;
        case 0xFF00FF: brightenFirst<5, false>(t); break;
        default: break;   // no such row: the canvas keeps what it held
    }
}

void renderPlBlackFirst(EffectParams* t) {
    const int32_t f = std::clamp(weight(t->progress * 256.0), 0, 256);
    int32_t map[256];
    for (int32_t v = 0; v < 256; ++v) map[v] = v <= f ? 0 : 256 * (v - f) / (256 - f);
    mixArea(t, [&map](Pixel o, Pixel i) -> Pixel {
        const Pixel m = static_cast<Pixel>(map[channel(o, 16)] << 16 | map[channel(o, 8)] << 8 | map[channel(o, 0)]);
        return m == 0 ? i : m;
    });
}

void renderPlTest(EffectParams* t, uint32_t) {
    // The 1024-scaled unit vector (cos a, cos(pi/4) sin a, cos(pi/4) sin a), a = atan2(1, sqrt 2).
    constexpr int32_t kRed = 836, kGreen = 418, kBlue = 418;
    const int32_t threshold = weight(((1.0 - t->progress) * 300.0 - 150.0) * 1024.0);
    mixArea(t, [=](Pixel o, Pixel i) {
        const int32_t s = static_cast<int32_t>(kRed * channel(i, 16) + kGreen * channel(i, 8) + kBlue * channel(i, 0));
        return s >= threshold ? i : o;
    });
}

// ---- Per-channel mixes ----------------------------------------------------------

void renderPlFadeMax(EffectParams* t) {
    const uint32_t a = static_cast<uint32_t>(std::clamp(weight(t->progress * 256.0), 0, 256));
    const uint32_t b = 256 - a;
    mixArea(t, [=](Pixel o, Pixel i) {
        Pixel out = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const uint32_t oc = channel(o, shift), ic = channel(i, shift);
            out |= (oc * b >= ic * a ? oc : ic) << shift;
        }
        return out;
    });
}

void renderPlFadeMax2(EffectParams* t) {
    auto eighth = [](double x) {
        const double x2 = x * x, x4 = x2 * x2;
        return x4 * x4;
    };
    const double p = t->progress;
    const uint32_t wo = static_cast<uint32_t>(std::clamp(weight((1.0 - eighth(p)) * 256.0), 0, 256));
    const uint32_t wi = static_cast<uint32_t>(std::clamp(weight((1.0 - eighth(1.0 - p)) * 256.0), 0, 256));
    mixArea(t, [=](Pixel o, Pixel i) {
        Pixel out = 0;
        for (int shift = 16; shift >= 0; shift -= 8)
            out |= (std::max(channel(o, shift) * wo, channel(i, shift) * wi) >> 8) << shift;
        return out;
    });
}

void renderPlFadeAdd(EffectParams* t) {
    const double p = t->progress, q = 1.0 - p;
    const uint32_t wo = static_cast<uint32_t>(std::clamp(weight((1.0 - p * p) * 256.0), 0, 256));
    const uint32_t wi = static_cast<uint32_t>(std::clamp(weight((1.0 - q * q) * 256.0), 0, 256));
    mixArea(t, [=](Pixel o, Pixel i) {
        Pixel out = 0;
        for (int shift = 16; shift >= 0; shift -= 8)
            out |= std::min(255u, (channel(o, shift) * wo + channel(i, shift) * wi) >> 8) << shift;
        return out;
    });
}

// ---- Blurs ----------------------------------------------------------------------------

void renderPlBlur(EffectParams* t) {
    const TransitionFrame a = frameOf(t);
    const uint32_t w = static_cast<uint32_t>(std::clamp(weight(t->progress * 256.0), 0, 256));
    blurArea(t, [&](int32_t y, Pixel* scratchRow) -> const Pixel* {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * a.pitch;
        std::memcpy(scratchRow, a.outgoing + row, static_cast<size_t>(a.w) * sizeof(Pixel));
        blendPixels(scratchRow, a.incoming + row, a.w, w);
        return scratchRow;
    });
}

void renderPlBlurOutIn(EffectParams* t) {
    const TransitionFrame a = frameOf(t);
    const Pixel* picture = t->progress < 0.5f ? a.outgoing : a.incoming;
    blurArea(t, [&](int32_t y, Pixel*) { return picture + static_cast<ptrdiff_t>(y) * a.pitch; });
}
