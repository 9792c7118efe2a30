// The encoder's MCU fetch: reads one MCU of the caller's pixels, converts
// colour, downsamples chroma and fills the blocks of the MCU work area with
// level-shifted samples. Whole MCUs take chroma from the box of source pixels;
// edge MCUs convert the valid pixels one by one, replicate the last column and
// row, and then average the converted values, so they round chroma slightly
// differently.
#include <algorithm>

#include "jpeg/JpegEncoder.h"

namespace {

constexpr int kMaxSide = 16;   // MCUs are at most 16 x 16 pixels (factors 1 or 2)

struct Rgb {
    int r, g, b;
};

inline Rgb rgbOf(const uint8_t* p, int color, bool inverted) {
    Rgb c = color == kJpegColorBgr ? Rgb{p[2], p[1], p[0]} : Rgb{p[0], p[1], p[2]};
    if (inverted) c = {255 - c.r, 255 - c.g, 255 - c.b};
    return c;
}
inline int lumaOf(const Rgb& c) { return (77 * c.r + 150 * c.g + 29 * c.b - 32640) >> 8; }
inline int cbTerm(const Rgb& c) { return 128 * c.b - 43 * c.r - 85 * c.g; }
inline int crTerm(const Rgb& c) { return 128 * c.r - 107 * c.g - 21 * c.b; }

// Per-pixel component values of one source pixel at column x.
template <int kMode>
inline void pixelValues(const FetchPlan& p, const uint8_t* row, int x, int* out) {
    if constexpr (kMode == kFetchBytes) {
        if (p.packed) {
            // Y0, Cb, Y1, Cr: the pair's chroma for both pixels. An odd last
            // pixel has no Cr byte in its row: it gets neutral chroma.
            const uint8_t* pair = row + (x >> 1) * 4;
            const bool whole = (x | 1) < p.width;
            out[0] = pair[(x & 1) * 2] - 128;
            out[1] = pair[1] - 128;
            out[2] = whole ? pair[3] - 128 : 0;
            return;
        }
        const uint8_t* px = row + ptrdiff_t(x) * p.channels;
        for (int c = 0; c < p.components; ++c) out[c] = p.byteOf[c] < 0 ? 0 : px[p.byteOf[c]] - 128;
    } else {
        const uint8_t* px = row + ptrdiff_t(x) * p.channels;
        const Rgb c = rgbOf(px, p.color, kMode == kFetchInvertedYcck);
        out[0] = lumaOf(c);
        if (p.components >= 3) {
            out[1] = (cbTerm(c) + 128) >> 8;
            out[2] = (crTerm(c) + 128) >> 8;
        }
        if (kMode == kFetchInvertedYcck && p.components == 4) out[3] = px[3] - 128;
    }
}

// Chroma of a whole box of source pixels, for the converting modes.
template <int kMode>
inline int boxChroma(const FetchPlan& p, const uint8_t* topLeft, int boxW, int boxH, int component) {
    const int n = boxW * boxH;
    if constexpr (kMode == kFetchYccMeans) {
        int r = 0, g = 0, b = 0;
        for (int dy = 0; dy < boxH; ++dy)
            for (int dx = 0; dx < boxW; ++dx) {
                const Rgb c = rgbOf(topLeft + dy * p.stride + dx * p.channels, p.color, false);
                r += c.r;
                g += c.g;
                b += c.b;
            }
        const Rgb mean{(r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n};
        return ((component == 1 ? cbTerm(mean) : crTerm(mean)) + 128) >> 8;
    } else {
        int sum = 0;
        for (int dy = 0; dy < boxH; ++dy)
            for (int dx = 0; dx < boxW; ++dx) {
                const Rgb c = rgbOf(topLeft + dy * p.stride + dx * p.channels, p.color,
                                    kMode == kFetchInvertedYcck);
                sum += component == 1 ? cbTerm(c) : crTerm(c);
            }
        const int shift = n == 4 ? 10 : (n == 2 ? 9 : 8);
        return (sum + (128 << (shift - 8))) >> shift;
    }
}

template <int kMode>
void fetchMcu(const FetchPlan& p, int column, int row, int16_t* out) {
    const int x0 = column * p.mcuWidth, y0 = row * p.mcuHeight;
    const int w = std::min(p.mcuWidth, p.width - x0), h = std::min(p.mcuHeight, p.height - y0);
    const bool whole = w == p.mcuWidth && h == p.mcuHeight;
    const uint8_t* origin = p.origin + ptrdiff_t(y0) * p.stride;

    // Full-resolution values of the valid pixels, edges replicated.
    int values[kMaxComponents][kMaxSide * kMaxSide];
    int px[kMaxComponents] = {};
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = origin + y * p.stride;
        for (int x = 0; x < w; ++x) {
            pixelValues<kMode>(p, src, x0 + x, px);
            for (int c = 0; c < p.components; ++c) values[c][y * kMaxSide + x] = px[c];
        }
        for (int c = 0; c < p.components; ++c)
            for (int x = w; x < p.mcuWidth; ++x) values[c][y * kMaxSide + x] = values[c][y * kMaxSide + w - 1];
    }
    for (int c = 0; c < p.components; ++c)
        for (int y = h; y < p.mcuHeight; ++y)
            std::copy_n(&values[c][(h - 1) * kMaxSide], p.mcuWidth, &values[c][y * kMaxSide]);

    int16_t* block = out;
    for (int c = 0; c < p.components; ++c) {
        const int boxW = p.hmax / p.h[c], boxH = p.vmax / p.v[c], n = boxW * boxH;
        const bool fromSource = n > 1 && whole && kMode != kFetchBytes;
        for (int by = 0; by < p.v[c]; ++by)
            for (int bx = 0; bx < p.h[c]; ++bx, block += 64)
                for (int yy = 0; yy < 8; ++yy)
                    for (int xx = 0; xx < 8; ++xx) {
                        const int sx = (bx * 8 + xx) * boxW, sy = (by * 8 + yy) * boxH;
                        int v;
                        if (n == 1) {
                            v = values[c][sy * kMaxSide + sx];
                        } else if (fromSource) {
                            v = boxChroma<kMode>(p, origin + sy * p.stride + ptrdiff_t(x0 + sx) * p.channels, boxW,
                                                 boxH, c);
                        } else {
                            int sum = 0;
                            for (int dy = 0; dy < boxH; ++dy)
                                for (int dx = 0; dx < boxW; ++dx) sum += values[c][(sy + dy) * kMaxSide + sx + dx];
                            v = (sum + n / 2) >> (n == 4 ? 2 : 1);
                        }
                        block[yy * 8 + xx] = static_cast<int16_t>(v);
                    }
    }
}

}  // namespace

McuFetchSlot mcuFetchSlot(const FetchPlan& p) {
    const bool full = p.hmax == 1 && p.vmax == 1;
    const bool quarter = p.hmax == 2 && p.vmax == 2, half = p.hmax == 2 && p.vmax == 1;
    switch (p.mode) {
    case kFetchYcc:
        if (p.components == 1) return kFetchGreyFromRgb;
        return quarter ? kFetchYcc420 : half ? kFetchYcc422 : kFetchYcc444;
    case kFetchYccMeans: return kFetchYccFromFour;
    case kFetchInvertedYcck: return quarter ? kFetchInvertedYcck420 : half ? kFetchInvertedYcck422 : kFetchInvertedYcck444;
    default: break;
    }
    if (p.packed) return kFetchPacked422;
    bool identity = true;
    for (int c = 0; c < p.components; ++c) identity &= p.byteOf[c] == c;
    if (p.components == 1) return identity ? kFetchGrey : kFetchPassThrough;
    if (!identity || p.channels != p.components) return kFetchPassThrough;
    if (p.components == 4) return full ? kFetchFourBytes : kFetchPassThrough;
    if (p.components == 3 && p.h[1] == 1 && p.v[1] == 1 && p.h[2] == 1 && p.v[2] == 1)
        return full ? kFetchThreeBytes : quarter ? kFetchBytes420 : half ? kFetchBytes422 : kFetchPassThrough;
    return kFetchPassThrough;
}

// Each slot's plain form handles every plan of its mode, so a slot's vector
// form can hand anything outside its case back to it.
void fillMcuFetch(CodecOps* ops) {
    McuFetchFn* f = ops->fetch;
    f[kFetchGreyFromRgb] = f[kFetchYcc444] = f[kFetchYcc420] = f[kFetchYcc422] = fetchMcu<kFetchYcc>;
    f[kFetchYccFromFour] = fetchMcu<kFetchYccMeans>;
    f[kFetchInvertedYcck444] = f[kFetchInvertedYcck420] = f[kFetchInvertedYcck422] = fetchMcu<kFetchInvertedYcck>;
    f[kFetchGrey] = f[kFetchPassThrough] = f[kFetchThreeBytes] = f[kFetchFourBytes] = f[kFetchBytes420] =
        f[kFetchBytes422] = f[kFetchPacked422] = fetchMcu<kFetchBytes>;
}
