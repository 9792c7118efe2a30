// Upsampling, colour conversion and the output of one MCU into the caller's
// pixels. Upsampling is replication. The common cases (YCbCr 4:4:4, 4:2:2,
// 4:2:0, 4:4:0 into RGB, BGR or RGBA; YCCK; grey) read the component planes
// directly; any other sampling is first spread into full-size planes.
//
// YCbCr to RGB, with >> an arithmetic shift and results clamped to 0..255:
//   R = Y + ((359 Cr - 45813) >> 8)
//   G = Y - ((88 Cb + 183 Cr - 34806) >> 8)
//   B = Y + ((454 Cb - 57937) >> 8)
#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#endif

#include "jpeg/CodecInternal.h"

namespace {

inline uint8_t clamp255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Clamp to 0..255 for every value the conversions can produce (-256..511).
struct ClampTable {
    uint8_t v[1024];
    ClampTable() {
        for (int i = 0; i < 1024; ++i) v[i] = clamp255(i - 512);
    }
};
const ClampTable kClamp;
const uint8_t* const kLimit = kClamp.v + 512;

template <int kWriter>
struct Put;

template <>
struct Put<kWriteYccRgb> {
    static constexpr int kBytes = 3;
    static void px(uint8_t* d, int y, const uint8_t* r, const uint8_t* g, const uint8_t* b, int) {
        d[0] = r[y];
        d[1] = g[y];
        d[2] = b[y];
    }
};
template <>
struct Put<kWriteYccBgr> {
    static constexpr int kBytes = 3;
    static void px(uint8_t* d, int y, const uint8_t* r, const uint8_t* g, const uint8_t* b, int) {
        d[0] = b[y];
        d[1] = g[y];
        d[2] = r[y];
    }
};
template <>
struct Put<kWriteYccRgba> {
    static constexpr int kBytes = 4;
    static void px(uint8_t* d, int y, const uint8_t* r, const uint8_t* g, const uint8_t* b, int) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        uint32_t v = uint32_t(r[y]) | uint32_t(g[y]) << 8 | uint32_t(b[y]) << 16 | 0xFF000000u;
        std::memcpy(d, &v, 4);   // one store: R, G, B, A in memory order
#else
        d[0] = r[y];
        d[1] = g[y];
        d[2] = b[y];
        d[3] = 255;
#endif
    }
};
template <>
struct Put<kWriteYcck> {
    static constexpr int kBytes = 4;
    static void px(uint8_t* d, int y, const uint8_t* r, const uint8_t* g, const uint8_t* b, int k) {
        d[0] = static_cast<uint8_t>(255 - r[y]);
        d[1] = static_cast<uint8_t>(255 - g[y]);
        d[2] = static_cast<uint8_t>(255 - b[y]);
        d[3] = static_cast<uint8_t>(k);
    }
};

// Converting writers; chroma planes at 1/2^kSx across and 1/2^kSy down. The
// chroma terms are computed once per chroma sample and serve every pixel it
// covers (two rows at a time when chroma is halved vertically).
template <int kWriter, int kSx, int kSy>
void convertRect(const OutputPlan&, const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep, int w, int h) {
    using P = Put<kWriter>;
    constexpr bool kYcck = kWriter == kWriteYcck;
    for (int y = 0; y < h; y += 1 << kSy) {
        const bool pair = kSy && y + 1 < h;
        const uint8_t* y0 = m.plane[0] + y * m.stride[0];
        const uint8_t* y1 = y0 + m.stride[0];
        const uint8_t* cb = m.plane[1] + (y >> kSy) * m.stride[1];
        const uint8_t* cr = m.plane[2] + (y >> kSy) * m.stride[2];
        const uint8_t* k0 = kYcck ? m.plane[3] + y * m.stride[3] : nullptr;
        const uint8_t* k1 = kYcck ? k0 + m.stride[3] : nullptr;
        uint8_t* d0 = dst + y * rowStep;
        uint8_t* d1 = d0 + rowStep;
        for (int cx = 0, x = 0; x < w; ++cx) {
            const int u = cb[cx], v = cr[cx];
            // Each term as the clamp table moved by it: clamp(Y + t) = r[Y].
            const uint8_t* r = kLimit + ((359 * v - 45813) >> 8);
            const uint8_t* g = kLimit - ((88 * u + 183 * v - 34806) >> 8);
            const uint8_t* b = kLimit + ((454 * u - 57937) >> 8);
            for (int i = 0; i <= kSx && x < w; ++i, ++x) {
                P::px(d0 + x * P::kBytes, y0[x], r, g, b, kYcck ? k0[x] : 0);
                if (pair) P::px(d1 + x * P::kBytes, y1[x], r, g, b, kYcck ? k1[x] : 0);
            }
        }
    }
}

template <int kBytes>
void greyRect(const OutputPlan&, const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep, int w, int h) {
    for (int y = 0; y < h; ++y) {
        const uint8_t* yr = m.plane[0] + y * m.stride[0];
        uint8_t* d = dst + y * rowStep;
        for (int x = 0; x < w; ++x, d += kBytes) {
            d[0] = d[1] = d[2] = yr[x];
            if (kBytes == 4) d[3] = 255;
        }
    }
}

// Y0, Cb, Y1, Cr: two bytes a pixel, Y 2x1 over Cb and Cr 1x1.
void yuyvRect(const OutputPlan&, const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep, int w, int h) {
    for (int y = 0; y < h; ++y) {
        const uint8_t* yr = m.plane[0] + y * m.stride[0];
        const uint8_t* cb = m.plane[1] + y * m.stride[1];
        const uint8_t* cr = m.plane[2] + y * m.stride[2];
        uint8_t* d = dst + y * rowStep;
        for (int x = 0; x < w; ++x) {
            d[2 * x] = yr[x];
            d[2 * x + 1] = (x & 1) ? cr[x >> 1] : cb[x >> 1];
        }
    }
}

// Components into bytes without conversion (full-size planes).
void copyRect(const OutputPlan& p, const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep, int w, int h) {
    for (int y = 0; y < h; ++y) {
        uint8_t* d = dst + y * rowStep;
        for (int x = 0; x < w; ++x, d += p.channels) {
            for (int i = 0; i < p.copyCount; ++i) d[p.copyReversed ? 2 - i : i] = m.plane[i][y * m.stride[i] + x];
            if (p.alphaByte >= 0) d[p.alphaByte] = 255;
        }
    }
}

// ---- Whole-MCU kernels (entries 41 to 59 of the operation table)

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define VT_LANES_RGBA 1
// Eight pixels of R, G, B, 255 at a time in SSE2's 16-bit lanes: the same sums
// and clamps as the scalar writer, lane by lane.
inline __m128i widenEight(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

inline void rgbaEight(const uint8_t* y, __m128i rt, __m128i gt, __m128i bt, uint8_t* d) {
    const __m128i yv = widenEight(y);
    const __m128i lo = _mm_setzero_si128(), hi = _mm_set1_epi16(255);
    const __m128i r = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(yv, rt), lo), hi);
    const __m128i g = _mm_min_epi16(_mm_max_epi16(_mm_sub_epi16(yv, gt), lo), hi);
    const __m128i b = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(yv, bt), lo), hi);
    const __m128i rg = _mm_or_si128(r, _mm_slli_epi16(g, 8));
    const __m128i ba = _mm_or_si128(b, _mm_set1_epi16(static_cast<int16_t>(0xFF00)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi16(rg, ba));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), _mm_unpackhi_epi16(rg, ba));
}
#endif

// A whole MCU: 8 x 8 chroma samples, each covering (1 << kSx) x (1 << kSy)
// pixels, without edge tests; the chroma terms are computed once per sample.
template <int kWriter, int kSx, int kSy>
void convertKernel(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) {
    using P = Put<kWriter>;
    constexpr bool kYcck = kWriter == kWriteYcck;
    const ptrdiff_t ys = m.stride[0], ks = kYcck ? m.stride[3] : 0;
    for (int cy = 0; cy < 8; ++cy) {
        const uint8_t* cb = m.plane[1] + cy * m.stride[1];
        const uint8_t* cr = m.plane[2] + cy * m.stride[2];
        const uint8_t* yr = m.plane[0] + (cy << kSy) * ys;
        const uint8_t* kr = kYcck ? m.plane[3] + (cy << kSy) * ks : nullptr;
        uint8_t* d = dst + (cy << kSy) * rowStep;
#ifdef VT_LANES_RGBA
        if constexpr (kWriter == kWriteYccRgba) {
            // The three terms in 16-bit lanes: each product split as 256 x a + b
            // so every intermediate fits (equal to the formulas for all Cb, Cr).
            const __m128i u = widenEight(cb), v = widenEight(cr);
            const __m128i rt = _mm_add_epi16(
                _mm_sub_epi16(v, _mm_set1_epi16(179)),
                _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(103)), _mm_set1_epi16(11)), 8));
            const __m128i gt = _mm_add_epi16(
                _mm_sub_epi16(v, _mm_set1_epi16(136)),
                _mm_srai_epi16(_mm_add_epi16(_mm_sub_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(88)),
                                                           _mm_mullo_epi16(v, _mm_set1_epi16(73))),
                                             _mm_set1_epi16(10)),
                               8));
            const __m128i bt = _mm_add_epi16(
                _mm_sub_epi16(_mm_add_epi16(u, u), _mm_set1_epi16(227)),
                _mm_srai_epi16(_mm_sub_epi16(_mm_set1_epi16(175), _mm_mullo_epi16(u, _mm_set1_epi16(58))), 8));
            for (int j = 0; j <= kSy; ++j) {
                const uint8_t* row = yr + j * ys;
                uint8_t* out = d + j * rowStep;
                if (kSx) {
                    // Each chroma term covers two pixels: lanes 0 0 1 1 ... then 4 4 5 5 ...
                    rgbaEight(row, _mm_unpacklo_epi16(rt, rt), _mm_unpacklo_epi16(gt, gt),
                              _mm_unpacklo_epi16(bt, bt), out);
                    rgbaEight(row + 8, _mm_unpackhi_epi16(rt, rt), _mm_unpackhi_epi16(gt, gt),
                              _mm_unpackhi_epi16(bt, bt), out + 32);
                } else {
                    rgbaEight(row, rt, gt, bt, out);
                }
            }
            continue;
        }
#endif
        for (int cx = 0; cx < 8; ++cx) {
            const int u = cb[cx], v = cr[cx];
            // Each term as the clamp table moved by it: clamp(Y + t) = r[Y].
            const uint8_t* r = kLimit + ((359 * v - 45813) >> 8);
            const uint8_t* g = kLimit - ((88 * u + 183 * v - 34806) >> 8);
            const uint8_t* b = kLimit + ((454 * u - 57937) >> 8);
            const int x = cx << kSx;
            P::px(d + x * P::kBytes, yr[x], r, g, b, kYcck ? kr[x] : 0);
            if (kSx) P::px(d + (x + 1) * P::kBytes, yr[x + 1], r, g, b, kYcck ? kr[x + 1] : 0);
            if (kSy) {
                P::px(d + rowStep + x * P::kBytes, yr[ys + x], r, g, b, kYcck ? kr[ks + x] : 0);
                if (kSx) P::px(d + rowStep + (x + 1) * P::kBytes, yr[ys + x + 1], r, g, b, kYcck ? kr[ks + x + 1] : 0);
            }
        }
    }
}

void greyKernel(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) dst[y * rowStep + x] = m.plane[0][y * m.stride[0] + x];
}

template <int kCount, int kSx, int kSy, bool kAlpha>
void copyKernel(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) {
    constexpr int kBytes = kAlpha ? 4 : kCount;
    for (int y = 0; y < (8 << kSy); ++y) {
        uint8_t* d = dst + y * rowStep;
        for (int x = 0; x < (8 << kSx); ++x, d += kBytes) {
            d[0] = m.plane[0][y * m.stride[0] + x];
            for (int i = 1; i < kCount; ++i) {
                bool chroma = i < 3;
                int sx = chroma ? x >> kSx : x, sy = chroma ? y >> kSy : y;
                d[i] = m.plane[i][sy * m.stride[i] + sx];
            }
            if (kAlpha) d[3] = 255;
        }
    }
}

void yuyvKernel(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) { yuyvRect(OutputPlan{}, m, dst, rowStep, 16, 8); }

// Kernel slot -> the fast-path case code it stands for (0: none).
constexpr int kCaseOfKernel[kOutputKernelCount] = {0, 1, 5, 3, 2, 6, 4, 7, 9, 8, 15, 17, 16, 13, 19, 10, 12, 11, 14};

// Slot of the converting kernel for writer and sampling, or -1.
int convertKernelSlot(int writer, int sx, int sy) {
    int sampling = sx == 0 && sy == 0 ? 0 : (sx == 1 && sy == 0 ? 1 : (sx == 1 && sy == 1 ? 2 : -1));
    if (sampling < 0) return -1;
    switch (writer) {
    case kWriteYccRgb: return 1 + sampling;
    case kWriteYccBgr: return 4 + sampling;
    case kWriteYccRgba: return 7 + sampling;
    case kWriteYcck: return 14 + (sampling == 0 ? 1 : sampling == 1 ? 2 : 3);
    default: return -1;
    }
}

template <int kWriter>
RectWriter convertWriter(int sx, int sy) {
    if (sx == 0 && sy == 0) return convertRect<kWriter, 0, 0>;
    if (sx == 1 && sy == 0) return convertRect<kWriter, 1, 0>;
    if (sx == 1 && sy == 1) return convertRect<kWriter, 1, 1>;
    return convertRect<kWriter, 0, 1>;
}

// Chroma shifts when the factors allow reading the planes directly: Y (and K)
// at full size, Cb and Cr alike at 1 or 1/2 in each direction. False otherwise.
// Factors are in samples of the block side in use.
bool directSampling(int n, const int32_t* h, const int32_t* v, int hmax, int vmax, int* sx, int* sy) {
    *sx = *sy = 0;
    if (n == 1) return true;
    if (n < 3 || h[0] != hmax || v[0] != vmax) return false;
    if (h[1] != h[2] || v[1] != v[2]) return false;
    if (n == 4 && (h[3] != h[0] || v[3] != v[0])) return false;
    for (int shift = 0; shift < 2; ++shift) {
        if (h[1] << shift == hmax) *sx = shift;
        if (v[1] << shift == vmax) *sy = shift;
    }
    return h[1] << *sx == hmax && v[1] << *sy == vmax;
}

bool allFullSize(int n, const int32_t* h, const int32_t* v, int hmax, int vmax) {
    for (int i = 0; i < n; ++i)
        if (h[i] != hmax || v[i] != vmax) return false;
    return true;
}

bool allFullSize(const FrameInfo& f) {
    int32_t h[kMaxComponents], v[kMaxComponents];
    for (int i = 0; i < f.componentCount; ++i) {
        h[i] = f.comp[i].h;
        v[i] = f.comp[i].v;
    }
    return allFullSize(f.componentCount, h, v, f.hmax, f.vmax);
}

void computeOutputFlags(CodecState& s) {
    WorkingFields& w = s.work;
    const int jc = w.jpegColor;
    w.conversionRequired =
        !(jc == kJpegColorRgb || jc == kJpegColorGrey || jc == kJpegColorRgba || jc == kJpegColorOther ||
          w.color == kJpegColorYcbcr || w.color == kJpegColorGrey);
    w.upsamplingRequired = w.color != kJpegColorYcbcr && !allFullSize(s.frame);
}

}  // namespace

void fillOutputKernels(CodecOps* ops) {
    OutputKernel* k = ops->outputKernel;
    k[0] = greyKernel;
    k[1] = convertKernel<kWriteYccRgb, 0, 0>;
    k[2] = convertKernel<kWriteYccRgb, 1, 0>;
    k[3] = convertKernel<kWriteYccRgb, 1, 1>;
    k[4] = convertKernel<kWriteYccBgr, 0, 0>;
    k[5] = convertKernel<kWriteYccBgr, 1, 0>;
    k[6] = convertKernel<kWriteYccBgr, 1, 1>;
    k[7] = convertKernel<kWriteYccRgba, 0, 0>;
    k[8] = convertKernel<kWriteYccRgba, 1, 0>;
    k[9] = convertKernel<kWriteYccRgba, 1, 1>;
    k[10] = copyKernel<3, 0, 0, false>;
    k[11] = copyKernel<3, 1, 0, false>;
    k[12] = copyKernel<3, 1, 1, false>;
    k[13] = copyKernel<3, 0, 0, true>;
    k[14] = yuyvKernel;
    k[15] = convertKernel<kWriteYcck, 0, 0>;
    k[16] = convertKernel<kWriteYcck, 1, 0>;
    k[17] = convertKernel<kWriteYcck, 1, 1>;
    k[18] = copyKernel<4, 0, 0, false>;
}

int setupFrameOutput(CodecState& s, int blockSide) {
    const FrameInfo& f = s.frame;
    WorkingFields& w = s.work;
    OutputPlan p{};
    computeOutputFlags(s);
    const int n = f.componentCount;
    if (n < 1 || n > 255) return kJpegBadComponents;
    if (!w.origin) return kJpegInvalidProperties;
    const int jc = w.jpegColor, color = w.color, ch = w.channels;
    if (jc == kJpegColorYcbcr && color == kJpegColorYcbcr && n == 3 &&
        !(f.comp[0].h == 2 && f.comp[0].v == 1 && f.comp[1].h == 1 && f.comp[1].v == 1 && f.comp[2].h == 1 &&
          f.comp[2].v == 1))
        return kJpegInvalidProperties;
    // The colour the caller names for the data must fit the frame.
    bool fits = (jc == kJpegColorGrey && n == 1) || ((jc == kJpegColorRgb || jc == kJpegColorYcbcr) && n == 3) ||
                ((jc == kJpegColorRgba || jc == kJpegColorYcck) && n == 4) || jc == kJpegColorOther;
    if (!fits) return kJpegInvalidProperties;

    p.writer = -1;
    p.alphaByte = -1;
    p.copyCount = std::min(n, ch);
    if (w.conversionRequired) {
        if (n == 3 && color == kJpegColorRgb && ch == 3) p.writer = kWriteYccRgb;
        else if (n == 3 && color == kJpegColorBgr && ch == 3) p.writer = kWriteYccBgr;
        else if (n == 3 && color == kJpegColorRgba && ch == 4) p.writer = kWriteYccRgba;
        else if (n == 4 && color == kJpegColorRgba && ch == 4) p.writer = kWriteYcck;
    } else if (n == 1 && ch == 3 && (color == kJpegColorRgb || color == kJpegColorBgr)) {
        p.writer = kWriteGrey3;
    } else if (n == 1 && ch == 4 && color == kJpegColorRgba) {
        p.writer = kWriteGrey4;
    } else if (n == 3 && color == kJpegColorYcbcr && ch == 2) {
        p.writer = kWriteYuyv;
    } else {
        p.writer = kWriteCopy;
        if (color == kJpegColorGrey) p.copyCount = 1;
        p.copyReversed = color == kJpegColorBgr && jc == kJpegColorRgb && p.copyCount == 3;
        if (color == kJpegColorRgba && ch >= 4 && p.copyCount <= 3) p.alphaByte = 3;
    }
    if (p.writer < 0) return kJpegInvalidProperties;

    p.blockSide = blockSide;
    p.channels = ch;
    p.hmax = f.hmax;
    p.vmax = f.vmax;
    p.mcuWidth = blockSide * f.hmax;
    p.mcuHeight = blockSide * f.vmax;
    p.clipWidth = std::min(w.width, (f.width * blockSide + 7) / 8);
    p.clipHeight = std::min(std::abs(w.height), (f.height * blockSide + 7) / 8);
    // Reduced reads give subsampled chroma a transform one size larger so it
    // comes out at the reduced luma's size, when the factors are square.
    bool sameSizeChroma = blockSide < 8 && !(f.hmax == 1 && f.vmax == 1);
    for (int i = 0; i < n; ++i)
        sameSizeChroma &= f.comp[i].h == f.comp[i].v && f.comp[i].h <= 2;
    for (int i = 0; i < n; ++i) {
        const FrameComponent& c = f.comp[i];
        p.compSide[i] = sameSizeChroma && c.h * c.v == 1 ? blockSide * 2 : blockSide;
        p.h[i] = c.h * p.compSide[i] / blockSide;   // in blocks of the luma's side
        p.v[i] = c.v * p.compSide[i] / blockSide;
        p.planeStride[i] = p.compSide[i] * c.h;
    }

    int sx = 0, sy = 0;
    bool direct = p.writer == kWriteYuyv ||
                  (p.writer == kWriteCopy ? allFullSize(n, p.h, p.v, p.hmax, p.vmax)
                                          : directSampling(n, p.h, p.v, p.hmax, p.vmax, &sx, &sy));
    p.chromaShiftX = direct ? sx : -1;
    p.chromaShiftY = direct ? sy : -1;
    if (!direct) sx = sy = 0;
    p.kernel = -1;
    switch (p.writer) {
    case kWriteYccRgb: p.writeRect = convertWriter<kWriteYccRgb>(sx, sy); break;
    case kWriteYccBgr: p.writeRect = convertWriter<kWriteYccBgr>(sx, sy); break;
    case kWriteYccRgba: p.writeRect = convertWriter<kWriteYccRgba>(sx, sy); break;
    case kWriteYcck: p.writeRect = convertWriter<kWriteYcck>(sx, sy); break;
    case kWriteGrey3: p.writeRect = greyRect<3>; break;
    case kWriteGrey4: p.writeRect = greyRect<4>; break;
    case kWriteYuyv: p.writeRect = yuyvRect; break;
    default: p.writeRect = copyRect; break;
    }
    // Whole 8x8-block MCUs of the common cases go through a kernel slot.
    if (direct && blockSide == 8) {
        switch (p.writer) {
        case kWriteYuyv: p.kernel = 14; break;
        case kWriteCopy:
            if (n == 1 && ch == 1) p.kernel = 0;
            else if (n == 3 && p.copyCount == 3 && !p.copyReversed && ch == 3) p.kernel = 10;
            else if (n == 3 && p.copyCount == 3 && ch == 4 && p.alphaByte == 3) p.kernel = 13;
            else if (n == 4 && ch == 4) p.kernel = 18;
            break;
        case kWriteGrey3: case kWriteGrey4: break;
        default: p.kernel = convertKernelSlot(p.writer, f.hmax == 1 ? 0 : sx, f.vmax == 1 ? 0 : sy); break;
        }
        if (p.kernel >= 0 && p.kernel != 0 && p.kernel != 10 && p.kernel != 13 && p.kernel != 18 &&
            (f.hmax != (1 << sx) || f.vmax != (1 << sy)))
            p.kernel = -1;   // the kernels know only 1x1, 2x1 and 2x2 luma
    }
    s.outputCode = p.kernel >= 0 ? kCaseOfKernel[p.kernel] : 0;
    s.out = p;
    s.ops->mcuOutput = outputMcu;
    return 0;
}

void outputMcu(CodecState& s, int column, int row) {
    const OutputPlan& p = s.out;
    const int px = column * p.mcuWidth, py = row * p.mcuHeight;
    if (px >= p.clipWidth || py >= p.clipHeight) return;
    const int w = std::min(p.mcuWidth, p.clipWidth - px), h = std::min(p.mcuHeight, p.clipHeight - py);
    const ptrdiff_t rowStep = s.work.stride;
    uint8_t* dst = s.work.origin + py * rowStep + ptrdiff_t(px) * p.channels;
    McuSamples m;
    const int n = s.frame.componentCount;
    if (p.chromaShiftX >= 0) {
        for (int i = 0; i < n; ++i) {
            m.plane[i] = s.planes[i];
            m.stride[i] = p.planeStride[i];
        }
    } else {
        // Spread every component over the MCU by replication.
        for (int i = 0; i < n; ++i) {
            uint8_t* e = s.expanded[i];
            const uint8_t* src = s.planes[i];
            for (int y = 0; y < h; ++y) {
                const uint8_t* sr = src + (y * p.v[i] / p.vmax) * p.planeStride[i];
                for (int x = 0; x < w; ++x) e[y * kMaxMcuSide + x] = sr[x * p.h[i] / p.hmax];
            }
            m.plane[i] = e;
            m.stride[i] = kMaxMcuSide;
        }
    }
    if (p.kernel >= 0 && w == p.mcuWidth && h == p.mcuHeight) s.ops->outputKernel[p.kernel](m, dst, rowStep);
    else p.writeRect(p, m, dst, rowStep, w, h);
}
