// The vector forms of the codec's operations, written with the compiler's
// x86 intrinsics. Every form gives exactly the plain form's results; where a
// block holds values that the 16-bit organisation cannot carry (coefficients
// that no 8-bit picture produces) the form hands the block to the plain one.
//
// Registers: the MMX forms of the simple per-value steps (dequantisation,
// quantisation) use the 64-bit MMX registers and leave them with EMMS, so x87
// code may follow at once. The transforms, the output kernels and the fetch
// routines keep 32-bit intermediates, which MMX would carry two to a register:
// every class runs them on SSE2 registers (the 32-bit build compiles this unit
// for SSE2 and fills the classes below SSE2 only on processors that have it).
#include "jpeg/VectorOps.h"

#ifdef VT_VECTOR_FORMS
#include <emmintrin.h>
#include <mmintrin.h>
#include <xmmintrin.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#if !(defined(_MSC_VER) && defined(_M_X64))
#define VT_HAVE_M64 1            // MSVC has no MMX intrinsics in 64-bit code
#endif

void leaveMmxState() {
#ifdef VT_HAVE_M64
    _mm_empty();
#endif
}

namespace {

inline __m128i load128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void store128(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
inline __m128i load64(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
inline void store64(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }

#ifdef VT_HAVE_M64
inline __m64 loadM64(const void* p) {
    __m64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void storeM64(void* p, __m64 v) { std::memcpy(p, &v, sizeof v); }
#endif

// ---- Quantisation steps: v x q in 16-bit lanes

// The low 32 bits of v x r for signed v and unsigned r, as (low, high) halves.
// MMX has only the signed high product: r >= 32768 read as signed is r - 65536,
// so v is added back into the high half.
inline __m128i highSignedUnsigned(__m128i v, __m128i r) {
    const __m128i rNegative = _mm_srai_epi16(r, 15);
    return _mm_add_epi16(_mm_mulhi_epi16(v, r), _mm_and_si128(v, rNegative));
}

// (p + 16384) >> 15 kept to 16 bits, from the halves of the 32-bit product p.
inline __m128i roundQ15(__m128i lo, __m128i hi) {
    const __m128i lo2 = _mm_add_epi16(lo, _mm_set1_epi16(16384));
    const __m128i carry = _mm_srli_epi16(_mm_andnot_si128(lo2, lo), 15);
    return _mm_or_si128(_mm_slli_epi16(_mm_add_epi16(hi, carry), 1), _mm_srli_epi16(lo2, 15));
}

#ifdef VT_HAVE_M64
inline __m64 roundQ15(__m64 lo, __m64 hi) {
    const __m64 lo2 = _mm_add_pi16(lo, _mm_set1_pi16(16384));
    const __m64 carry = _mm_srli_pi16(_mm_andnot_si64(lo2, lo), 15);
    return _mm_or_si64(_mm_slli_pi16(_mm_add_pi16(hi, carry), 1), _mm_srli_pi16(lo2, 15));
}
#endif

}  // namespace

void dequantiseSse2(int16_t* block, const uint16_t* table) {
    for (int i = 0; i < 64; i += 8) store128(block + i, _mm_mullo_epi16(load128(block + i), load128(table + i)));
}

void quantiseSse2(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; i += 8) {
        const __m128i v = load128(block + i), r = load128(reciprocals + i);
        store128(block + i, roundQ15(_mm_mullo_epi16(v, r), highSignedUnsigned(v, r)));
    }
}

#ifdef VT_HAVE_M64
void dequantiseMmx(int16_t* block, const uint16_t* table) {
    for (int i = 0; i < 64; i += 4) storeM64(block + i, _mm_mullo_pi16(loadM64(block + i), loadM64(table + i)));
    _mm_empty();
}

void quantiseMmx(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; i += 4) {
        const __m64 v = loadM64(block + i), r = loadM64(reciprocals + i);
        const __m64 hi = _mm_add_pi16(_mm_mulhi_pi16(v, r), _mm_and_si64(v, _mm_srai_pi16(r, 15)));
        storeM64(block + i, roundQ15(_mm_mullo_pi16(v, r), hi));
    }
    _mm_empty();
}

// With the SSE integer instructions: the unsigned high product, corrected
// for negative v.
void quantiseMmxSse(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; i += 4) {
        const __m64 v = loadM64(block + i), r = loadM64(reciprocals + i);
        const __m64 hi = _mm_sub_pi16(_mm_mulhi_pu16(v, r), _mm_and_si64(r, _mm_srai_pi16(v, 15)));
        storeM64(block + i, roundQ15(_mm_mullo_pi16(v, r), hi));
    }
    _mm_empty();
}

// Reciprocals taken as signed 16-bit.
void quantiseScaledMmx(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; i += 4) {
        const __m64 v = loadM64(block + i), r = loadM64(reciprocals + i);
        storeM64(block + i, roundQ15(_mm_mullo_pi16(v, r), _mm_mulhi_pi16(v, r)));
    }
    _mm_empty();
}
#else
void dequantiseMmx(int16_t* block, const uint16_t* table) { dequantiseSse2(block, table); }
void quantiseMmx(int16_t* block, const uint16_t* reciprocals) { quantiseSse2(block, reciprocals); }
void quantiseMmxSse(int16_t* block, const uint16_t* reciprocals) { quantiseSse2(block, reciprocals); }
void quantiseScaledMmx(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; i += 8) {
        const __m128i v = load128(block + i), r = load128(reciprocals + i);
        store128(block + i, roundQ15(_mm_mullo_epi16(v, r), _mm_mulhi_epi16(v, r)));
    }
}
#endif

// ---- Inverse DCT, family 1, 8x8

namespace {

struct Pair32 {
    __m128i lo, hi;              // lanes 0-3 and 4-7 as 32-bit values
};

inline __m128i pairOf(int a, int b) { return _mm_set1_epi32(int32_t(uint32_t(uint16_t(a)) | uint32_t(b) << 16)); }

// x * c in each 32-bit lane, kept to 32 bits.
inline __m128i mulConst32(__m128i x, __m128i c) {
    const __m128i even = _mm_mul_epu32(x, c), odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), c);
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// x * c in each 32-bit lane, kept to 32 bits, for 0 <= c < 65536 (c in every
// 16-bit lane): the low half's product plus the high half's, shifted.
inline __m128i mulSmall32(__m128i x, __m128i c16) {
    return _mm_add_epi32(_mm_mullo_epi16(x, c16), _mm_slli_epi32(_mm_mulhi_epu16(x, c16), 16));
}

inline Pair32 madd(__m128i a, __m128i b, __m128i c) {
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), c), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), c)};
}
inline Pair32 operator+(Pair32 a, Pair32 b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
inline Pair32 operator-(Pair32 a, Pair32 b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }
// x << 16 for the eight 16-bit lanes of x.
inline Pair32 shifted16(__m128i x) {
    const __m128i z = _mm_setzero_si128();
    return {_mm_unpacklo_epi16(z, x), _mm_unpackhi_epi16(z, x)};
}

inline void transpose8(__m128i* r) {
    const __m128i t0 = _mm_unpacklo_epi16(r[0], r[1]), t1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i t2 = _mm_unpacklo_epi16(r[2], r[3]), t3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i t4 = _mm_unpacklo_epi16(r[4], r[5]), t5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i t6 = _mm_unpacklo_epi16(r[6], r[7]), t7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i u0 = _mm_unpacklo_epi32(t0, t2), u1 = _mm_unpackhi_epi32(t0, t2);
    const __m128i u2 = _mm_unpacklo_epi32(t1, t3), u3 = _mm_unpackhi_epi32(t1, t3);
    const __m128i u4 = _mm_unpacklo_epi32(t4, t6), u5 = _mm_unpackhi_epi32(t4, t6);
    const __m128i u6 = _mm_unpacklo_epi32(t5, t7), u7 = _mm_unpackhi_epi32(t5, t7);
    r[0] = _mm_unpacklo_epi64(u0, u4);
    r[1] = _mm_unpackhi_epi64(u0, u4);
    r[2] = _mm_unpacklo_epi64(u1, u5);
    r[3] = _mm_unpackhi_epi64(u1, u5);
    r[4] = _mm_unpacklo_epi64(u2, u6);
    r[5] = _mm_unpackhi_epi64(u2, u6);
    r[6] = _mm_unpacklo_epi64(u3, u7);
    r[7] = _mm_unpackhi_epi64(u3, u7);
}

constexpr int kC1 = 32138, kS1 = 6393, kC3 = 27246, kS3 = 18205, kR6 = 42813, kT6 = 17734, kK = 5793;

// The last butterfly of a pass: even parts p, odd parts o.
template <int kShift>
inline void exactPassOutputs(__m128i p0, __m128i p1, __m128i p2, __m128i p3, __m128i o0, __m128i o1, __m128i o2,
                             __m128i o3, __m128i* y) {
    y[0] = _mm_srai_epi32(_mm_add_epi32(p0, o0), kShift);
    y[7] = _mm_srai_epi32(_mm_sub_epi32(p0, o0), kShift);
    y[1] = _mm_srai_epi32(_mm_add_epi32(p1, o1), kShift);
    y[6] = _mm_srai_epi32(_mm_sub_epi32(p1, o1), kShift);
    y[2] = _mm_srai_epi32(_mm_add_epi32(p2, o2), kShift);
    y[5] = _mm_srai_epi32(_mm_sub_epi32(p2, o2), kShift);
    y[3] = _mm_srai_epi32(_mm_add_epi32(p3, o3), kShift);
    y[4] = _mm_srai_epi32(_mm_sub_epi32(p3, o3), kShift);
}

// One pass of the exact transform over four lanes (the low or high four of
// eight): x[i] holds input i of each lane's row (or column), y[i] gets
// output i as 32-bit values, rounded and shifted.
template <int kShift, bool kHigh>
inline void exactPassHalf(const __m128i* x, __m128i* y) {
    auto mix = [](__m128i a, __m128i b) { return kHigh ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b); };
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << (kShift - 1)), r2048 = _mm_set1_epi32(2048), k = _mm_set1_epi16(kK);
    const __m128i x17 = mix(x[1], x[7]), x53 = mix(x[5], x[3]), x04 = mix(x[0], x[4]), x26 = mix(x[2], x[6]);
    const __m128i a = _mm_madd_epi16(x17, pairOf(kC1, kS1));
    const __m128i b = _mm_madd_epi16(x17, pairOf(kS1, -kC1));
    const __m128i c = _mm_madd_epi16(x53, pairOf(kS3, kC3));
    const __m128i d = _mm_madd_epi16(x53, pairOf(kC3, -kS3));
    const __m128i o0 = mulSmall32(_mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(a, c), r2048), 12), k);
    const __m128i o3 = mulSmall32(_mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(b, d), r2048), 12), k);
    const __m128i o1 = _mm_sub_epi32(_mm_add_epi32(a, b), _mm_add_epi32(c, d));
    const __m128i o2 = _mm_sub_epi32(_mm_add_epi32(a, d), _mm_add_epi32(c, b));
    const __m128i e0 = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(x04, pairOf(1, 1)), 15), round);
    const __m128i e1 = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(x04, pairOf(1, -1)), 15), round);
    // 42813 does not fit a signed 16-bit factor: x * 42813 = x * (42813 - 65536) + (x << 16).
    const __m128i w = _mm_add_epi32(_mm_madd_epi16(x26, pairOf(kR6 - 65536, kT6)), mix(zero, x[2]));
    const __m128i z = _mm_sub_epi32(_mm_madd_epi16(x26, pairOf(kT6, 65536 - kR6)), mix(zero, x[6]));
    const __m128i p0 = _mm_add_epi32(e0, w), p3 = _mm_sub_epi32(e0, w);
    const __m128i p1 = _mm_add_epi32(e1, z), p2 = _mm_sub_epi32(e1, z);
    exactPassOutputs<kShift>(p0, p1, p2, p3, o0, o1, o2, o3, y);
}

// The same pass for inputs 4 to 7 all zero: the odd products pair x1 with x3,
// and both even halves start from x0 alone.
template <int kShift, bool kHigh>
inline void exactPassHalfLow(const __m128i* x, __m128i* y) {
    auto mix = [](__m128i a, __m128i b) { return kHigh ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b); };
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << (kShift - 1)), r2048 = _mm_set1_epi32(2048), k = _mm_set1_epi16(kK);
    const __m128i x13 = mix(x[1], x[3]), x2 = mix(x[2], zero);
    const __m128i ac = _mm_madd_epi16(x13, pairOf(kC1, kC3));
    const __m128i bd = _mm_madd_epi16(x13, pairOf(kS1, -kS3));
    const __m128i o0 = mulSmall32(_mm_srai_epi32(_mm_add_epi32(ac, r2048), 12), k);
    const __m128i o3 = mulSmall32(_mm_srai_epi32(_mm_add_epi32(bd, r2048), 12), k);
    // o1 = x1 (C1 + S1) + x3 (S3 - C3) and o2 = x1 (C1 - S1) - x3 (S3 + C3), the
    // factors past 16 bits written as (f - 65536) plus x << 16.
    const __m128i o1 = _mm_add_epi32(_mm_madd_epi16(x13, pairOf(kC1 + kS1 - 65536, kS3 - kC3)), mix(zero, x[1]));
    const __m128i o2 = _mm_sub_epi32(_mm_madd_epi16(x13, pairOf(kC1 - kS1, 65536 - kS3 - kC3)), mix(zero, x[3]));
    const __m128i e = _mm_add_epi32(_mm_srai_epi32(mix(zero, x[0]), 1), round);
    const __m128i w = _mm_add_epi32(_mm_madd_epi16(x2, pairOf(kR6 - 65536, 0)), mix(zero, x[2]));
    const __m128i z = _mm_madd_epi16(x2, pairOf(kT6, 0));
    const __m128i p0 = _mm_add_epi32(e, w), p3 = _mm_sub_epi32(e, w);
    const __m128i p1 = _mm_add_epi32(e, z), p2 = _mm_sub_epi32(e, z);
    exactPassOutputs<kShift>(p0, p1, p2, p3, o0, o1, o2, o3, y);
}

inline bool allZero(__m128i v) { return _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())) == 0xFFFF; }

// A lane of the packed row results on a 16-bit limit: it may have saturated.
inline bool onLimit(const __m128i* v, int n) {
    __m128i hi = v[0], lo = v[0];
    for (int i = 1; i < n; ++i) {
        hi = _mm_max_epi16(hi, v[i]);
        lo = _mm_min_epi16(lo, v[i]);
    }
    return _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(hi, _mm_set1_epi16(32767)),
                                          _mm_cmpeq_epi16(lo, _mm_set1_epi16(-32768)))) != 0;
}

// The column pass results (each within -1024..1023) as samples.
inline void storeSamples(const __m128i* lo, const __m128i* hi, uint8_t* out, int stride) {
    const __m128i bias = _mm_set1_epi16(128);
    for (int r = 0; r < 8; r += 2) {
        const __m128i a = _mm_adds_epi16(_mm_packs_epi32(lo[r], hi[r]), bias);
        const __m128i b = _mm_adds_epi16(_mm_packs_epi32(lo[r + 1], hi[r + 1]), bias);
        const __m128i v = _mm_packus_epi16(a, b);
        store64(out + r * stride, v);
        store64(out + (r + 1) * stride, _mm_unpackhi_epi64(v, v));
    }
}

// kDequantise: the block holds the coefficients as decoded and the table's
// products are taken on loading (the dequantisation's low 16 bits). Blocks
// the vector organisation cannot carry go to the plain form, dequantised.
template <bool kDequantise>
void inverseDct8Vector(int16_t* block, const uint16_t* table, uint8_t* out, int stride) {
    // Written out, so that the rows stay in registers.
    __m128i x[8] = {load128(block),      load128(block + 8),  load128(block + 16), load128(block + 24),
                    load128(block + 32), load128(block + 40), load128(block + 48), load128(block + 56)};
    if (kDequantise) {
        x[0] = _mm_mullo_epi16(x[0], load128(table));
        x[1] = _mm_mullo_epi16(x[1], load128(table + 8));
        x[2] = _mm_mullo_epi16(x[2], load128(table + 16));
        x[3] = _mm_mullo_epi16(x[3], load128(table + 24));
        x[4] = _mm_mullo_epi16(x[4], load128(table + 32));
        x[5] = _mm_mullo_epi16(x[5], load128(table + 40));
        x[6] = _mm_mullo_epi16(x[6], load128(table + 48));
        x[7] = _mm_mullo_epi16(x[7], load128(table + 56));
    }
    auto plain = [&] {
        if (kDequantise) dequantiseSse2(block, table);
        inverseDct8(block, out, stride);   // values no 8-bit picture gives
    };
    const __m128i upper = _mm_or_si128(_mm_or_si128(x[4], x[5]), _mm_or_si128(x[6], x[7]));
    const __m128i rows13 = _mm_or_si128(_mm_or_si128(x[1], x[2]), x[3]);
    const __m128i left = _mm_or_si128(x[0], rows13);
    const __m128i ac0 = _mm_and_si128(x[0], _mm_set_epi16(-1, -1, -1, -1, -1, -1, -1, 0));
    if (allZero(_mm_or_si128(_mm_or_si128(upper, rows13), ac0))) {
        // DC alone (most chroma and flat areas): one value.
        const int dc = static_cast<int16_t>(_mm_cvtsi128_si32(x[0]));
        const int v = (int32_t(uint32_t(dc) * 262144u + 0x100000u) >> 21) + 128;
        const __m128i fill = _mm_set1_epi8(static_cast<char>(v < 0 ? 0 : v > 255 ? 255 : v));
        for (int r = 0; r < 8; ++r) store64(out + r * stride, fill);
        return;
    }
    // Rows 4 to 7 of the coefficients empty (the usual case): their lanes of
    // the row pass are zero without computing them, and so are the column
    // pass's inputs 4 to 7.
    const bool upperOnly = allZero(upper);
    __m128i lo[8], hi[8];
    if (upperOnly && allZero(_mm_unpackhi_epi64(left, left))) {
        // Only the top-left 4x4 coefficients: a 4x4 turn, the row pass over
        // four lanes, then the results turned into rows 0 to 3.
        const __m128i t0 = _mm_unpacklo_epi16(x[0], x[1]), t1 = _mm_unpacklo_epi16(x[2], x[3]);
        const __m128i u0 = _mm_unpacklo_epi32(t0, t1), u1 = _mm_unpackhi_epi32(t0, t1);
        __m128i c[4] = {u0, _mm_unpackhi_epi64(u0, u0), u1, _mm_unpackhi_epi64(u1, u1)};
        exactPassHalfLow<12, false>(c, lo);
        __m128i p[4];
        for (int i = 0; i < 4; ++i) p[i] = _mm_packs_epi32(lo[2 * i], lo[2 * i + 1]);
        if (onLimit(p, 4)) return plain();
        // p[i]: rows 0-3 of result columns 2i and 2i+1.
        const __m128i a0 = _mm_unpacklo_epi16(p[0], p[1]), a1 = _mm_unpackhi_epi16(p[0], p[1]);
        const __m128i b0 = _mm_unpacklo_epi16(p[2], p[3]), b1 = _mm_unpackhi_epi16(p[2], p[3]);
        const __m128i r01l = _mm_unpacklo_epi16(a0, a1), r23l = _mm_unpackhi_epi16(a0, a1);
        const __m128i r01h = _mm_unpacklo_epi16(b0, b1), r23h = _mm_unpackhi_epi16(b0, b1);
        x[0] = _mm_unpacklo_epi64(r01l, r01h);
        x[1] = _mm_unpackhi_epi64(r01l, r01h);
        x[2] = _mm_unpacklo_epi64(r23l, r23h);
        x[3] = _mm_unpackhi_epi64(r23l, r23h);
        exactPassHalfLow<21, false>(x, lo);
        exactPassHalfLow<21, true>(x, hi);
        storeSamples(lo, hi, out, stride);
        return;
    }
    transpose8(x);
    exactPassHalf<12, false>(x, lo);
    if (upperOnly)
        for (__m128i& v : hi) v = _mm_setzero_si128();
    else
        exactPassHalf<12, true>(x, hi);
    // The column pass takes 16-bit inputs: a row result that saturates its
    // packing (or lies on a limit) sends the block to the plain form.
    for (int i = 0; i < 8; ++i) x[i] = _mm_packs_epi32(lo[i], hi[i]);
    if (onLimit(x, 8)) return plain();
    transpose8(x);
    if (upperOnly) {
        exactPassHalfLow<21, false>(x, lo);
        exactPassHalfLow<21, true>(x, hi);
    } else {
        exactPassHalf<21, false>(x, lo);
        exactPassHalf<21, true>(x, hi);
    }
    storeSamples(lo, hi, out, stride);
}

}  // namespace

// The MMX and MMX-with-SSE forms of the 8x8 transform carry 32-bit values two
// to a register; they run on SSE2 registers (same results).
void inverseDct8Mmx(int16_t* block, uint8_t* out, int stride) { inverseDct8Vector<false>(block, nullptr, out, stride); }
void inverseDct8MmxSse(int16_t* block, uint8_t* out, int stride) {
    inverseDct8Vector<false>(block, nullptr, out, stride);
}
void inverseDct8Sse2(int16_t* block, uint8_t* out, int stride) { inverseDct8Vector<false>(block, nullptr, out, stride); }

void inverseDct8Dequantising(int16_t* block, const uint16_t* table, uint8_t* out, int stride) {
    inverseDct8Vector<true>(block, table, out, stride);
}

DequantisingIdct dequantisingIdct(const CodecOps& ops) {
    const Dequantise d = ops.dequantise[2];
    const InverseDct t = ops.activeIdct[0];
    const bool products = d == dequantise || d == dequantiseMmx || d == dequantiseSse2;
    const bool vector = t == inverseDct8Mmx || t == inverseDct8MmxSse || t == inverseDct8Sse2;
    return products && vector ? inverseDct8Dequantising : nullptr;
}

// ---- Output kernels: whole MCUs of YCbCr into the caller's pixels

namespace {

struct Terms {
    __m128i r, g, b;             // per chroma sample: R = Y + r, G = Y - g, B = Y + b
};

// The plain kernels' terms in 16-bit lanes, each product split as 256 x a + b
// so every intermediate fits (equal to the formulas for every Cb and Cr).
inline Terms termsOf(const uint8_t* cb, const uint8_t* cr) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i u = _mm_unpacklo_epi8(load64(cb), zero), v = _mm_unpacklo_epi8(load64(cr), zero);
    Terms t;
    t.r = _mm_add_epi16(_mm_sub_epi16(v, _mm_set1_epi16(179)),
                        _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(103)), _mm_set1_epi16(11)), 8));
    t.g = _mm_add_epi16(_mm_sub_epi16(v, _mm_set1_epi16(136)),
                        _mm_srai_epi16(_mm_add_epi16(_mm_sub_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(88)),
                                                                   _mm_mullo_epi16(v, _mm_set1_epi16(73))),
                                                     _mm_set1_epi16(10)),
                                       8));
    t.b = _mm_add_epi16(_mm_sub_epi16(_mm_add_epi16(u, u), _mm_set1_epi16(227)),
                        _mm_srai_epi16(_mm_sub_epi16(_mm_set1_epi16(175), _mm_mullo_epi16(u, _mm_set1_epi16(58))), 8));
    return t;
}

// Eight pixels from eight Y samples (16-bit lanes) and their terms.
template <int kWriter>
inline void writeEight(uint8_t* d, __m128i y, const Terms& t, const uint8_t* k) {
    const __m128i zero = _mm_setzero_si128();
    __m128i r = _mm_packus_epi16(_mm_add_epi16(y, t.r), zero);
    const __m128i g = _mm_packus_epi16(_mm_sub_epi16(y, t.g), zero);
    __m128i b = _mm_packus_epi16(_mm_add_epi16(y, t.b), zero);
    if (kWriter == kWriteYccBgr) std::swap(r, b);
    __m128i fourth = zero;
    if (kWriter == kWriteYccRgba) fourth = _mm_set1_epi8(-1);
    __m128i rg = _mm_unpacklo_epi8(r, g), bx = _mm_unpacklo_epi8(b, fourth);
    if (kWriter == kWriteYcck) {
        const __m128i ones = _mm_set1_epi8(-1);
        rg = _mm_xor_si128(rg, ones);
        bx = _mm_unpacklo_epi8(_mm_xor_si128(b, ones), load64(k));
    }
    const __m128i first = _mm_unpacklo_epi16(rg, bx), second = _mm_unpackhi_epi16(rg, bx);
    if (kWriter == kWriteYccRgba || kWriter == kWriteYcck) {
        store128(d, first);
        store128(d + 16, second);
        return;
    }
    // Three bytes a pixel: the eight pixels' 24 bytes composed in 64-bit words.
    uint32_t px[8];
    store128(px, first);
    store128(px + 4, second);
    uint64_t w[3];
    w[0] = uint64_t(px[0]) | uint64_t(px[1]) << 24 | uint64_t(px[2]) << 48;
    w[1] = uint64_t(px[2]) >> 16 | uint64_t(px[3]) << 8 | uint64_t(px[4]) << 32 | uint64_t(px[5]) << 56;
    w[2] = uint64_t(px[5]) >> 8 | uint64_t(px[6]) << 16 | uint64_t(px[7]) << 40;
    std::memcpy(d, w, 24);
}

template <int kWriter, int kSx, int kSy, int kVariant = 0>
void convertKernelVector(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) {
    constexpr int kBytes = kWriter == kWriteYccRgba || kWriter == kWriteYcck ? 4 : 3;
    const __m128i zero = _mm_setzero_si128();
    for (int cy = 0; cy < 8; ++cy) {
        const Terms t = termsOf(m.plane[1] + cy * m.stride[1], m.plane[2] + cy * m.stride[2]);
        for (int j = 0; j <= kSy; ++j) {
            const int row = (cy << kSy) + j;
            const uint8_t* yr = m.plane[0] + row * m.stride[0];
            const uint8_t* kr = kWriter == kWriteYcck ? m.plane[3] + row * m.stride[3] : nullptr;
            uint8_t* d = dst + row * rowStep;
            // The caller's rows are written a stride apart: fetch the lines of
            // the next MCUs early (a hint only; no fault past the buffer).
            _mm_prefetch(reinterpret_cast<const char*>(d + (32 << kSx) * kBytes), _MM_HINT_T0);
            if (kSx) {
                const __m128i y = load128(yr);
                const Terms lo = {_mm_unpacklo_epi16(t.r, t.r), _mm_unpacklo_epi16(t.g, t.g),
                                  _mm_unpacklo_epi16(t.b, t.b)};
                const Terms hi = {_mm_unpackhi_epi16(t.r, t.r), _mm_unpackhi_epi16(t.g, t.g),
                                  _mm_unpackhi_epi16(t.b, t.b)};
                writeEight<kWriter>(d, _mm_unpacklo_epi8(y, zero), lo, kr);
                writeEight<kWriter>(d + 8 * kBytes, _mm_unpackhi_epi8(y, zero), hi, kr ? kr + 8 : nullptr);
            } else {
                writeEight<kWriter>(d, _mm_unpacklo_epi8(load64(yr), zero), t, kr);
            }
        }
    }
}

void greyKernelVector(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) {
    for (int y = 0; y < 8; ++y) store64(dst + y * rowStep, load64(m.plane[0] + y * m.stride[0]));
}

// Y0, Cb, Y1, Cr.
void yuyvKernelVector(const McuSamples& m, uint8_t* dst, ptrdiff_t rowStep) {
    for (int y = 0; y < 8; ++y) {
        const __m128i luma = load128(m.plane[0] + y * m.stride[0]);
        const __m128i chroma = _mm_unpacklo_epi8(load64(m.plane[1] + y * m.stride[1]), load64(m.plane[2] + y * m.stride[2]));
        store128(dst + y * rowStep, _mm_unpacklo_epi8(luma, chroma));
        store128(dst + y * rowStep + 16, _mm_unpackhi_epi8(luma, chroma));
    }
}

}  // namespace

void fillOutputKernelsVector(CodecOps* ops, bool sseIntegers) {
    OutputKernel* k = ops->outputKernel;
    k[0] = greyKernelVector;
    k[1] = convertKernelVector<kWriteYccRgb, 0, 0>;
    k[2] = sseIntegers ? convertKernelVector<kWriteYccRgb, 1, 0, 1> : convertKernelVector<kWriteYccRgb, 1, 0>;
    k[3] = convertKernelVector<kWriteYccRgb, 1, 1>;
    k[4] = convertKernelVector<kWriteYccBgr, 0, 0>;
    k[5] = sseIntegers ? convertKernelVector<kWriteYccBgr, 1, 0, 1> : convertKernelVector<kWriteYccBgr, 1, 0>;
    k[6] = convertKernelVector<kWriteYccBgr, 1, 1>;
    k[7] = convertKernelVector<kWriteYccRgba, 0, 0>;
    k[8] = convertKernelVector<kWriteYccRgba, 1, 0>;
    k[9] = convertKernelVector<kWriteYccRgba, 1, 1>;
    k[14] = yuyvKernelVector;
    k[15] = convertKernelVector<kWriteYcck, 0, 0>;
    k[16] = convertKernelVector<kWriteYcck, 1, 0>;
    k[17] = convertKernelVector<kWriteYcck, 1, 1>;
}

// ---- Family 0 (AAN), both directions, in 32-bit lanes

namespace {

constexpr int kAanR2 = 46341, kAanA = 35468, kAanB = 85627, kAanD = 25080;

// (x c + 16384) >> 15 exactly, without the 64-bit product: x = 256 h + l
// (0 <= l < 256), and the rounding shift splits into >> 8 then >> 7. Holds
// for |x| < 2^22 and 0 <= c < 2^17, all that the transforms' sums reach.
inline __m128i mulQ15Lanes(__m128i x, int c) {
    const __m128i k = _mm_set1_epi32(c);
    const __m128i high = mulConst32(_mm_srai_epi32(x, 8), k);
    const __m128i low = mulConst32(_mm_and_si128(x, _mm_set1_epi32(255)), k);
    return _mm_srai_epi32(_mm_add_epi32(high, _mm_srai_epi32(_mm_add_epi32(low, _mm_set1_epi32(16384)), 8)), 7);
}

inline __m128i add32(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
inline __m128i sub32(__m128i a, __m128i b) { return _mm_sub_epi32(a, b); }
inline __m128i widenLow(__m128i v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); }
inline __m128i widenHigh(__m128i v) { return _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16); }
// The low 16 bits of each 32-bit lane (as a cast to int16_t keeps them).
inline __m128i packLow16(__m128i lo, __m128i hi) {
    return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(lo, 16), 16), _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16));
}

inline void transpose4x32(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    const __m128i t0 = _mm_unpacklo_epi32(a, b), t1 = _mm_unpacklo_epi32(c, d);
    const __m128i t2 = _mm_unpackhi_epi32(a, b), t3 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(t0, t1);
    b = _mm_unpackhi_epi64(t0, t1);
    c = _mm_unpacklo_epi64(t2, t3);
    d = _mm_unpackhi_epi64(t2, t3);
}

// One inverse AAN pass over four lanes: x[i] input i, y[i] output i.
inline void aanInverseLanes(const __m128i* x, __m128i* y) {
    const __m128i s = add32(add32(x[5], x[3]), add32(x[1], x[7]));
    const __m128i t = mulQ15Lanes(sub32(add32(x[1], x[7]), add32(x[5], x[3])), kAanR2);
    const __m128i e = mulQ15Lanes(sub32(add32(x[5], x[7]), add32(x[3], x[1])), kAanD);
    const __m128i u = sub32(e, mulQ15Lanes(sub32(x[5], x[3]), kAanB));
    const __m128i k6 = sub32(sub32(mulQ15Lanes(sub32(x[1], x[7]), kAanA), e), s);
    const __m128i k5 = sub32(t, k6);
    const __m128i k4 = add32(u, k5);
    const __m128i m = add32(x[2], x[6]);
    const __m128i n = sub32(mulQ15Lanes(sub32(x[2], x[6]), kAanR2), m);
    const __m128i even = add32(x[0], x[4]), odd = sub32(x[0], x[4]);
    const __m128i f0 = add32(even, m), f3 = sub32(even, m), f1 = add32(odd, n), f2 = sub32(odd, n);
    y[0] = add32(f0, s);
    y[7] = sub32(f0, s);
    y[1] = add32(f1, k6);
    y[6] = sub32(f1, k6);
    y[2] = add32(f2, k5);
    y[5] = sub32(f2, k5);
    y[3] = sub32(f3, k4);
    y[4] = add32(f3, k4);
}

// One forward AAN pass over four lanes.
inline void aanForwardLanes(const __m128i* x, __m128i* y) {
    const __m128i s07 = add32(x[0], x[7]), d07 = sub32(x[0], x[7]), s16 = add32(x[1], x[6]), d16 = sub32(x[1], x[6]);
    const __m128i s25 = add32(x[2], x[5]), d25 = sub32(x[2], x[5]), s34 = add32(x[3], x[4]), d34 = sub32(x[3], x[4]);
    const __m128i e10 = add32(s07, s34), e13 = sub32(s07, s34), e11 = add32(s16, s25), e12 = sub32(s16, s25);
    const __m128i z1 = mulQ15Lanes(add32(e12, e13), 23170);
    const __m128i z5 = mulQ15Lanes(sub32(add32(d34, d25), add32(d16, d07)), 12540);
    const __m128i z2 = add32(mulQ15Lanes(add32(d34, d25), 17734), z5);
    const __m128i z4 = add32(mulQ15Lanes(add32(d16, d07), 42813), z5);
    const __m128i z3 = mulQ15Lanes(add32(d25, d16), 23170);
    const __m128i z11 = add32(d07, z3), z13 = sub32(d07, z3);
    y[0] = add32(e10, e11);
    y[4] = sub32(e10, e11);
    y[2] = add32(e13, z1);
    y[6] = sub32(e13, z1);
    y[5] = add32(z13, z2);
    y[3] = sub32(z13, z2);
    y[1] = add32(z11, z4);
    y[7] = sub32(z11, z4);
}

}  // namespace

void inverseDctAan8Mmx(int16_t* block, uint8_t* out, int stride) {
    // Columns first (lanes = columns), kept to 16 bits as the plain form stores them.
    __m128i c[8], x[8], lo[8], hi[8];
    for (int i = 0; i < 8; ++i) x[i] = widenLow(load128(block + 8 * i));
    aanInverseLanes(x, lo);
    for (int i = 0; i < 8; ++i) x[i] = widenHigh(load128(block + 8 * i));
    aanInverseLanes(x, hi);
    for (int i = 0; i < 8; ++i) c[i] = packLow16(lo[i], hi[i]);
    // Then rows (lanes = rows): c[j] holds column j of every row.
    transpose8(c);
    const __m128i round = _mm_set1_epi32(8), bias = _mm_set1_epi32(128);
    for (int i = 0; i < 8; ++i) x[i] = widenLow(c[i]);
    aanInverseLanes(x, lo);
    for (int i = 0; i < 8; ++i) x[i] = widenHigh(c[i]);
    aanInverseLanes(x, hi);
    for (int i = 0; i < 8; ++i)
        c[i] = _mm_packs_epi32(add32(_mm_srai_epi32(add32(lo[i], round), 4), bias),
                               add32(_mm_srai_epi32(add32(hi[i], round), 4), bias));
    transpose8(c);
    for (int r = 0; r < 8; ++r) store64(out + r * stride, _mm_packus_epi16(c[r], c[r]));
}

void forwardDctScaledMmx(int16_t* block) {
    // Rows first (lanes = rows) into 32-bit values.
    __m128i rows[8], x[8], work[2][8];
    for (int i = 0; i < 8; ++i) rows[i] = load128(block + 8 * i);
    transpose8(rows);
    for (int i = 0; i < 8; ++i) x[i] = widenLow(rows[i]);
    aanForwardLanes(x, work[0]);   // rows 0-3, work[0][column]
    for (int i = 0; i < 8; ++i) x[i] = widenHigh(rows[i]);
    aanForwardLanes(x, work[1]);   // rows 4-7
    // Turn to lanes = columns: col[g][row] holds columns 4g..4g+3 of that row.
    __m128i col[2][8];
    for (int h = 0; h < 2; ++h)
        for (int g = 0; g < 2; ++g) {
            __m128i a = work[h][4 * g], b = work[h][4 * g + 1], c = work[h][4 * g + 2], d = work[h][4 * g + 3];
            transpose4x32(a, b, c, d);
            col[g][4 * h] = a;
            col[g][4 * h + 1] = b;
            col[g][4 * h + 2] = c;
            col[g][4 * h + 3] = d;
        }
    __m128i lo[8], hi[8];
    aanForwardLanes(col[0], lo);
    aanForwardLanes(col[1], hi);
    for (int r = 0; r < 8; ++r) store128(block + 8 * r, packLow16(lo[r], hi[r]));
}

// ---- Encoder colour fetch: whole MCUs of R, G, B to Y, Cb, Cr

namespace {

// The plain forms: edge MCUs and other layouts.
McuFetchFn gPlainYccFetch;
McuFetchFn gPlainInvertedFetch;
McuFetchFn gPlainBytesFetch;
McuFetchFn gPlainMeansFetch;

// One row of 8 x (1 << kSx) source pixels as 16-bit R, G, B lanes. The
// three-byte pixels are taken apart by four rounds of byte interleaving
// (each round moves every byte to a third of its distance from its place).
template <int kSx>
inline void splitRow(const uint8_t* src, bool bgr, __m128i* r, __m128i* g, __m128i* b) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i t00 = load128(src);
    const __m128i t01 = kSx ? load128(src + 16) : load64(src + 16);
    const __m128i t02 = kSx ? load128(src + 32) : zero;
    const __m128i t10 = _mm_unpacklo_epi8(t00, _mm_unpackhi_epi64(t01, t01));
    const __m128i t11 = _mm_unpacklo_epi8(_mm_unpackhi_epi64(t00, t00), t02);
    const __m128i t12 = _mm_unpacklo_epi8(t01, _mm_unpackhi_epi64(t02, t02));
    const __m128i t20 = _mm_unpacklo_epi8(t10, _mm_unpackhi_epi64(t11, t11));
    const __m128i t21 = _mm_unpacklo_epi8(_mm_unpackhi_epi64(t10, t10), t12);
    const __m128i t22 = _mm_unpacklo_epi8(t11, _mm_unpackhi_epi64(t12, t12));
    const __m128i t30 = _mm_unpacklo_epi8(t20, _mm_unpackhi_epi64(t21, t21));
    const __m128i t31 = _mm_unpacklo_epi8(_mm_unpackhi_epi64(t20, t20), t22);
    const __m128i t32 = _mm_unpacklo_epi8(t21, _mm_unpackhi_epi64(t22, t22));
    __m128i first = _mm_unpacklo_epi8(t30, _mm_unpackhi_epi64(t31, t31));
    const __m128i second = _mm_unpacklo_epi8(_mm_unpackhi_epi64(t30, t30), t32);
    __m128i third = _mm_unpacklo_epi8(t31, _mm_unpackhi_epi64(t32, t32));
    if (bgr) std::swap(first, third);
    r[0] = _mm_unpacklo_epi8(first, zero);
    g[0] = _mm_unpacklo_epi8(second, zero);
    b[0] = _mm_unpacklo_epi8(third, zero);
    if (kSx) {
        r[1] = _mm_unpackhi_epi8(first, zero);
        g[1] = _mm_unpackhi_epi8(second, zero);
        b[1] = _mm_unpackhi_epi8(third, zero);
    }
}

// (wr R + wg G + wb B + add) >> shift for eight 16-bit lanes of R, G, B sums.
inline __m128i weighted(__m128i r, __m128i g, __m128i b, int wr, int wg, int wb, int add, int shift) {
    const __m128i one = _mm_set1_epi16(1);
    const __m128i rgW = pairOf(wr, wg), b1W = pairOf(wb, add);
    const __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(r, g), rgW),
                                     _mm_madd_epi16(_mm_unpacklo_epi16(b, one), b1W));
    const __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(r, g), rgW),
                                     _mm_madd_epi16(_mm_unpackhi_epi16(b, one), b1W));
    const __m128i s = _mm_cvtsi32_si128(shift);
    return _mm_packs_epi32(_mm_sra_epi32(lo, s), _mm_sra_epi32(hi, s));
}

// (77 R + 150 G + 29 B - 32640) >> 8 for R, G, B of 0..255: the weights add
// up to 256, so the sum fits 16 unsigned bits and, less 32640, 16 signed ones.
inline __m128i lumaOf(__m128i r, __m128i g, __m128i b) {
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(r, _mm_set1_epi16(77)),
                                                    _mm_mullo_epi16(g, _mm_set1_epi16(150))),
                                      _mm_mullo_epi16(b, _mm_set1_epi16(29)));
    return _mm_srai_epi16(_mm_sub_epi16(sum, _mm_set1_epi16(32640)), 8);
}

// Sums of neighbouring lane pairs of a and b: a's pairs in lanes 0-3, b's in 4-7.
inline __m128i pairSums(__m128i a, __m128i b) {
    const __m128i one = _mm_set1_epi16(1);
    return _mm_packs_epi32(_mm_madd_epi16(a, one), _mm_madd_epi16(b, one));
}

// Four-byte pixels: R, G, B taken inverted (255 - byte), the fourth byte as it is.
template <int kSx>
inline void splitRowInverted(const uint8_t* src, __m128i* r, __m128i* g, __m128i* b, __m128i* k) {
    const __m128i low = _mm_set1_epi32(0xFF), ones = _mm_set1_epi32(-1);
    for (int i = 0; i <= kSx; ++i) {
        const __m128i v0 = load128(src + 32 * i), v1 = load128(src + 32 * i + 16);
        const __m128i n0 = _mm_xor_si128(v0, ones), n1 = _mm_xor_si128(v1, ones);
        r[i] = _mm_packs_epi32(_mm_and_si128(n0, low), _mm_and_si128(n1, low));
        g[i] = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(n0, 8), low), _mm_and_si128(_mm_srli_epi32(n1, 8), low));
        b[i] = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(n0, 16), low), _mm_and_si128(_mm_srli_epi32(n1, 16), low));
        k[i] = _mm_packs_epi32(_mm_srli_epi32(v0, 24), _mm_srli_epi32(v1, 24));
    }
}

enum FetchLayout { kThreeBytesYcc, kThreeBytesLuma, kFourBytesInverted };

template <int kLayout, int kSx, int kSy>
void fetchYccVector(const FetchPlan& p, int column, int row, int16_t* out) {
    constexpr int kW = 8 << kSx, kH = 8 << kSy, kLuma = 1 << (kSx + kSy);
    constexpr int kComponents = kLayout == kThreeBytesLuma ? 1 : kLayout == kThreeBytesYcc ? 3 : 4;
    constexpr int kBytes = kLayout == kFourBytesInverted ? 4 : 3;
    const int x0 = column * kW, y0 = row * kH;
    const int mode = kLayout == kFourBytesInverted ? kFetchInvertedYcck : kFetchYcc;
    bool fits = p.mode == mode && p.components == kComponents && p.channels == kBytes && p.hmax == 1 << kSx &&
                p.vmax == 1 << kSy && x0 + kW <= p.width && y0 + kH <= p.height;
    for (int c = 1; c < 3 && c < kComponents; ++c) fits &= p.h[c] == 1 && p.v[c] == 1;
    if (kComponents == 4) fits &= p.h[3] == p.hmax && p.v[3] == p.vmax;
    if (!fits) {
        (kLayout == kFourBytesInverted ? gPlainInvertedFetch : gPlainYccFetch)(p, column, row, out);
        return;
    }
    const bool bgr = kBytes == 3 && p.color == kJpegColorBgr;
    int16_t* cbOut = out + kLuma * 64;
    int16_t* crOut = cbOut + 64;
    int16_t* kOut = crOut + 64;
    constexpr int kShift = 8 + kSx + kSy, kRound = 128 << (kSx + kSy);
    __m128i sr[2], sg[2], sb[2];
    for (int y = 0; y < kH; ++y) {
        __m128i r[2], g[2], b[2], k[2];
        const uint8_t* src = p.origin + ptrdiff_t(y0 + y) * p.stride + ptrdiff_t(x0) * kBytes;
        // The MCU reads kH rows a stride apart: ask for the next MCUs' bytes of
        // each row early (a hint only; no fault past the end of the buffer).
        _mm_prefetch(reinterpret_cast<const char*>(src + 8 * kW * kBytes), _MM_HINT_T0);
        if (kBytes == 4) splitRowInverted<kSx>(src, r, g, b, k);
        else splitRow<kSx>(src, bgr, r, g, b);
        for (int i = 0; i <= kSx; ++i) {
            const int at = ((y >> 3) * (1 << kSx) + i) * 64 + (y & 7) * 8;
            store128(out + at, lumaOf(r[i], g[i], b[i]));
            if (kComponents == 4) store128(kOut + at, _mm_sub_epi16(k[i], _mm_set1_epi16(128)));
        }
        if (kComponents == 1) continue;
        if (kSy && !(y & 1)) {
            for (int i = 0; i <= kSx; ++i) sr[i] = r[i], sg[i] = g[i], sb[i] = b[i];
            continue;
        }
        if (kSy)
            for (int i = 0; i <= kSx; ++i) {
                sr[i] = _mm_add_epi16(sr[i], r[i]);
                sg[i] = _mm_add_epi16(sg[i], g[i]);
                sb[i] = _mm_add_epi16(sb[i], b[i]);
            }
        else
            for (int i = 0; i <= kSx; ++i) sr[i] = r[i], sg[i] = g[i], sb[i] = b[i];
        __m128i cr = sr[0], cg = sg[0], cb = sb[0];
        if (kSx) {
            cr = pairSums(sr[0], sr[1]);
            cg = pairSums(sg[0], sg[1]);
            cb = pairSums(sb[0], sb[1]);
        }
        const int chromaRow = y >> kSy;
        store128(cbOut + chromaRow * 8, weighted(cr, cg, cb, -43, -85, 128, kRound, kShift));
        store128(crOut + chromaRow * 8, weighted(cr, cg, cb, 128, -107, -21, kRound, kShift));
    }
}

// Grey bytes, each less 128.
void fetchGreyVector(const FetchPlan& p, int column, int row, int16_t* out) {
    const int x0 = column * 8, y0 = row * 8;
    if (p.mode != kFetchBytes || p.packed || p.components != 1 || p.channels != 1 || p.byteOf[0] != 0 ||
        p.hmax != 1 || p.vmax != 1 || x0 + 8 > p.width || y0 + 8 > p.height) {
        gPlainBytesFetch(p, column, row, out);
        return;
    }
    for (int y = 0; y < 8; ++y) {
        const __m128i v = _mm_unpacklo_epi8(load64(p.origin + ptrdiff_t(y0 + y) * p.stride + x0), _mm_setzero_si128());
        store128(out + y * 8, _mm_sub_epi16(v, _mm_set1_epi16(128)));
    }
}

// Cb, Cb, Cb, Cb, Cr, Cr, Cr, Cr (16-bit lanes) of four pixel pairs of Y0, Cb,
// Y1, Cr bytes, with the SSE integer word shuffles.
inline __m128i chromaByWordShuffles(__m128i v) {
    const __m128i w = _mm_srli_epi16(v, 8);   // Cb, Cr, Cb, Cr, ...
    const __m128i pairs = _mm_shufflehi_epi16(_mm_shufflelo_epi16(w, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
    return _mm_shuffle_epi32(pairs, _MM_SHUFFLE(3, 1, 2, 0));
}

// Cb and Cr of eight pixel pairs (16-bit lanes) from sixteen pixels of Y0,
// Cb, Y1, Cr bytes in two registers.
template <bool kWordShuffles>
inline void chromaOfPairs(__m128i v0, __m128i v1, __m128i* cb, __m128i* cr) {
    if (kWordShuffles) {
        const __m128i a = chromaByWordShuffles(v0), b = chromaByWordShuffles(v1);
        *cb = _mm_unpacklo_epi64(a, b);
        *cr = _mm_unpackhi_epi64(a, b);
        return;
    }
    const __m128i low = _mm_set1_epi32(0xFF);
    *cb = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(v0, 8), low), _mm_and_si128(_mm_srli_epi32(v1, 8), low));
    *cr = _mm_packs_epi32(_mm_srli_epi32(v0, 24), _mm_srli_epi32(v1, 24));
}

// Y0, Cb, Y1, Cr: Y 2x1 over one Cb and one Cr per pair of pixels.
template <bool kWordShuffles>
void fetchPacked422Vector(const FetchPlan& p, int column, int row, int16_t* out) {
    const int x0 = column * 16, y0 = row * 8;
    if (p.mode != kFetchBytes || !p.packed || p.components != 3 || p.hmax != 2 || p.vmax != 1 || p.h[1] != 1 ||
        p.v[1] != 1 || p.h[2] != 1 || p.v[2] != 1 || x0 + 16 > p.width || y0 + 8 > p.height) {
        gPlainBytesFetch(p, column, row, out);
        return;
    }
    const __m128i bias = _mm_set1_epi16(128);
    for (int y = 0; y < 8; ++y) {
        const uint8_t* src = p.origin + ptrdiff_t(y0 + y) * p.stride + ptrdiff_t(x0) * 2;
        const __m128i v0 = load128(src), v1 = load128(src + 16);
        // 16-bit lanes: Y of even pixels (low byte of each pair) and of odd ones.
        const __m128i lumaLow = _mm_set1_epi16(0xFF);
        const __m128i y0v = _mm_and_si128(v0, lumaLow), y1v = _mm_and_si128(v1, lumaLow);
        // Y in pixel order: the Y bytes are bytes 0 and 2 of every four.
        const __m128i luma = _mm_packus_epi16(y0v, y1v);   // 16 Y bytes
        store128(out + y * 8, _mm_sub_epi16(_mm_unpacklo_epi8(luma, _mm_setzero_si128()), bias));
        store128(out + 64 + y * 8, _mm_sub_epi16(_mm_unpackhi_epi8(luma, _mm_setzero_si128()), bias));
        __m128i cb, cr;
        chromaOfPairs<kWordShuffles>(v0, v1, &cb, &cr);
        store128(out + 128 + y * 8, _mm_sub_epi16(cb, bias));
        store128(out + 192 + y * 8, _mm_sub_epi16(cr, bias));
    }
}


// Four-byte pixels to Y, Cb, Cr, chroma from the means of each box's R, G, B.
template <int kSx, int kSy>
void fetchMeansVector(const FetchPlan& p, int column, int row, int16_t* out) {
    constexpr int kW = 8 << kSx, kH = 8 << kSy, kLuma = 1 << (kSx + kSy), kLog = kSx + kSy;
    const int x0 = column * kW, y0 = row * kH;
    const bool bgr = p.color == kJpegColorBgr;
    int16_t* cbOut = out + kLuma * 64;
    int16_t* crOut = cbOut + 64;
    const __m128i low = _mm_set1_epi32(0xFF), half = _mm_set1_epi16(int16_t((1 << kLog) >> 1));
    __m128i sr[2], sg[2], sb[2];
    for (int y = 0; y < kH; ++y) {
        __m128i r[2], g[2], b[2];
        const uint8_t* src = p.origin + ptrdiff_t(y0 + y) * p.stride + ptrdiff_t(x0) * 4;
        _mm_prefetch(reinterpret_cast<const char*>(src + 8 * kW * 4), _MM_HINT_T0);
        for (int i = 0; i <= kSx; ++i) {
            const __m128i v0 = load128(src + 32 * i), v1 = load128(src + 32 * i + 16);
            r[i] = _mm_packs_epi32(_mm_and_si128(v0, low), _mm_and_si128(v1, low));
            g[i] = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(v0, 8), low), _mm_and_si128(_mm_srli_epi32(v1, 8), low));
            b[i] = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(v0, 16), low),
                                   _mm_and_si128(_mm_srli_epi32(v1, 16), low));
            if (bgr) std::swap(r[i], b[i]);
            const int at = ((y >> 3) * (1 << kSx) + i) * 64 + (y & 7) * 8;
            store128(out + at, lumaOf(r[i], g[i], b[i]));
        }
        if (kSy && !(y & 1)) {
            for (int i = 0; i <= kSx; ++i) sr[i] = r[i], sg[i] = g[i], sb[i] = b[i];
            continue;
        }
        for (int i = 0; i <= kSx; ++i) {
            sr[i] = kSy ? _mm_add_epi16(sr[i], r[i]) : r[i];
            sg[i] = kSy ? _mm_add_epi16(sg[i], g[i]) : g[i];
            sb[i] = kSy ? _mm_add_epi16(sb[i], b[i]) : b[i];
        }
        __m128i mr = sr[0], mg = sg[0], mb = sb[0];
        if (kSx) {
            mr = pairSums(sr[0], sr[1]);
            mg = pairSums(sg[0], sg[1]);
            mb = pairSums(sb[0], sb[1]);
        }
        // The box means, rounded half up.
        mr = _mm_srli_epi16(_mm_add_epi16(mr, half), kLog);
        mg = _mm_srli_epi16(_mm_add_epi16(mg, half), kLog);
        mb = _mm_srli_epi16(_mm_add_epi16(mb, half), kLog);
        const int chromaRow = y >> kSy;
        store128(cbOut + chromaRow * 8, weighted(mr, mg, mb, -43, -85, 128, 128, 8));
        store128(crOut + chromaRow * 8, weighted(mr, mg, mb, 128, -107, -21, 128, 8));
    }
}

void fetchMeansDispatch(const FetchPlan& p, int column, int row, int16_t* out) {
    const int x0 = column * p.mcuWidth, y0 = row * p.mcuHeight;
    bool fits = p.mode == kFetchYccMeans && p.channels == 4 && p.components == 3 && x0 + p.mcuWidth <= p.width &&
                y0 + p.mcuHeight <= p.height && p.h[1] == 1 && p.v[1] == 1 && p.h[2] == 1 && p.v[2] == 1 &&
                p.h[0] == p.hmax && p.v[0] == p.vmax && p.mcuWidth == 8 * p.hmax && p.mcuHeight == 8 * p.vmax;
    if (fits) {
        if (p.hmax == 2 && p.vmax == 2) return fetchMeansVector<1, 1>(p, column, row, out);
        if (p.hmax == 2 && p.vmax == 1) return fetchMeansVector<1, 0>(p, column, row, out);
        if (p.hmax == 1 && p.vmax == 1) return fetchMeansVector<0, 0>(p, column, row, out);
    }
    gPlainMeansFetch(p, column, row, out);
}

// Eight pixels' byte `at` (of `channels` a pixel) in 16-bit lanes.
inline __m128i bytesOf(const uint8_t* src, int channels, int at) {
    const __m128i zero = _mm_setzero_si128();
    switch (channels) {
    case 1: return _mm_unpacklo_epi8(load64(src), zero);
    case 2: {
        const __m128i v = load128(src);
        return at ? _mm_srli_epi16(v, 8) : _mm_and_si128(v, _mm_set1_epi16(0xFF));
    }
    case 3: {
        __m128i r, g, b;
        splitRow<0>(src, false, &r, &g, &b);
        return at == 0 ? r : at == 1 ? g : b;
    }
    default: {
        const __m128i low = _mm_set1_epi32(0xFF), s = _mm_cvtsi32_si128(8 * at);
        return _mm_packs_epi32(_mm_and_si128(_mm_srl_epi32(load128(src), s), low),
                               _mm_and_si128(_mm_srl_epi32(load128(src + 16), s), low));
    }
    }
}

// Any byte layout passed through (byte - 128, or 0 for a component without
// a byte), each component averaged over its box.
void fetchPassThroughVector(const FetchPlan& p, int column, int row, int16_t* out) {
    const int x0 = column * p.mcuWidth, y0 = row * p.mcuHeight;
    bool fits = p.mode == kFetchBytes && !p.packed && p.channels >= 1 && p.channels <= 4 &&
                p.components >= 1 && p.components <= kMaxComponents && x0 + p.mcuWidth <= p.width &&
                y0 + p.mcuHeight <= p.height && p.mcuWidth == 8 * p.hmax && p.mcuHeight == 8 * p.vmax &&
                (p.hmax == 1 || p.hmax == 2) && (p.vmax == 1 || p.vmax == 2);
    for (int c = 0; fits && c < p.components; ++c)
        fits = p.byteOf[c] < p.channels && (p.h[c] == 1 || p.h[c] == p.hmax) && (p.v[c] == 1 || p.v[c] == p.vmax);
    if (!fits) {
        gPlainBytesFetch(p, column, row, out);
        return;
    }
    const uint8_t* origin = p.origin + ptrdiff_t(y0) * p.stride + ptrdiff_t(x0) * p.channels;
    int16_t* block = out;
    for (int c = 0; c < p.components; ++c) {
        const int boxW = p.hmax / p.h[c], boxH = p.vmax / p.v[c], shift = (boxW >> 1) + (boxH >> 1);
        const __m128i half = _mm_set1_epi16(int16_t((1 << shift) >> 1)), bias = _mm_set1_epi16(128);
        const int at = p.byteOf[c];
        for (int by = 0; by < p.v[c]; ++by)
            for (int bx = 0; bx < p.h[c]; ++bx, block += 64)
                for (int yy = 0; yy < 8; ++yy) {
                    if (at < 0) {
                        store128(block + yy * 8, _mm_setzero_si128());
                        continue;
                    }
                    __m128i sum = _mm_setzero_si128();
                    for (int dy = 0; dy < boxH; ++dy) {
                        const uint8_t* src = origin + ptrdiff_t((by * 8 + yy) * boxH + dy) * p.stride +
                                             ptrdiff_t(bx * 8 * boxW) * p.channels;
                        const __m128i first = bytesOf(src, p.channels, at);
                        sum = _mm_add_epi16(sum, boxW == 1 ? first
                                                           : pairSums(first, bytesOf(src + 8 * p.channels,
                                                                                     p.channels, at)));
                    }
                    store128(block + yy * 8, _mm_sub_epi16(_mm_srli_epi16(_mm_add_epi16(sum, half), shift), bias));
                }
    }
}
}  // namespace

void fillMcuFetchVector(CodecOps* ops, bool sseIntegers) {
    McuFetchFn* f = ops->fetch;
    gPlainYccFetch = f[kFetchYcc444];
    gPlainInvertedFetch = f[kFetchInvertedYcck444];
    gPlainBytesFetch = f[kFetchGrey];
    gPlainMeansFetch = f[kFetchYccFromFour];
    f[kFetchGreyFromRgb] = fetchYccVector<kThreeBytesLuma, 0, 0>;
    f[kFetchYcc444] = fetchYccVector<kThreeBytesYcc, 0, 0>;
    f[kFetchYcc422] = fetchYccVector<kThreeBytesYcc, 1, 0>;
    f[kFetchYcc420] = fetchYccVector<kThreeBytesYcc, 1, 1>;
    f[kFetchInvertedYcck444] = fetchYccVector<kFourBytesInverted, 0, 0>;
    f[kFetchInvertedYcck422] = fetchYccVector<kFourBytesInverted, 1, 0>;
    f[kFetchInvertedYcck420] = fetchYccVector<kFourBytesInverted, 1, 1>;
    f[kFetchGrey] = fetchGreyVector;
    f[kFetchYccFromFour] = fetchMeansDispatch;
    f[kFetchPassThrough] = fetchPassThroughVector;
    f[kFetchPacked422] = sseIntegers ? fetchPacked422Vector<true> : fetchPacked422Vector<false>;
}

// ---- Huffman block encoder: the non-zero coefficients found from a mask,
// each code with its value bits in one write, whole bytes stored eight at once

namespace {

// Natural position to zig-zag index.
constexpr uint8_t kZigzagOf[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63,
};

// The eight bytes of bits, the top first; the bytes past the whole ones are
// zero bits, overwritten later.
inline void storeWholeBytes(uint8_t* pos, uint64_t bits) {
    pos[0] = static_cast<uint8_t>(bits >> 56);
    pos[1] = static_cast<uint8_t>(bits >> 48);
    pos[2] = static_cast<uint8_t>(bits >> 40);
    pos[3] = static_cast<uint8_t>(bits >> 32);
    pos[4] = static_cast<uint8_t>(bits >> 24);
    pos[5] = static_cast<uint8_t>(bits >> 16);
    pos[6] = static_cast<uint8_t>(bits >> 8);
    pos[7] = static_cast<uint8_t>(bits);
}

// The whole bytes of bits, all at once, when none needs stuffing and the area
// has room for eight; false (and nothing done) otherwise.
inline bool emitWholeBytes(uint64_t& bits, int& count, uint8_t*& pos, const uint8_t* end) {
    const uint64_t inverted = ~bits;   // a 0xFF byte is a zero byte here
    if (end - pos < 8 || ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull)) return false;
    storeWholeBytes(pos, bits);
    const int whole = count >> 3;
    pos += whole;
    bits <<= 8 * whole;
    count &= 7;
    return true;
}

// The writer's bits and place held in registers during a block (byte stores
// through the writer would make the compiler reload it after each one).
struct HeldBits {
    OutputWriter& w;
    uint64_t bits;
    int count;
    uint8_t* pos;
    uint8_t* end;
    uint8_t* from;               // pos when last given back

    explicit HeldBits(OutputWriter& out)
        : w(out), bits(out.bits), count(out.bitCount), pos(out.pos), end(out.end), from(out.pos) {}
    void givePlaceBack() {
        w.written += pos - from;
        w.left = end - pos;
        w.pos = pos;
        from = pos;
    }
    void giveBack() {
        w.bits = bits;
        w.bitCount = count;
        givePlaceBack();
    }
    int byte(uint8_t b) {
        if (pos >= end) {
            if (!w.file) return kJpegOutputTooSmall;
            givePlaceBack();
            if (int e = writeOut(w)) return e;
            pos = from = w.pos;
            end = w.end;
        }
        *pos++ = b;
        return 0;
    }
    // Every whole byte, as the plain writer emits them once 32 bits are held:
    // all at once when none needs stuffing and the area has room for eight.
    int emit() { return emitWholeBytes(bits, count, pos, end) ? 0 : emitBytes(); }
    int emitBytes();
    // value holds no bits above n.
    int putClean(uint32_t value, int n) {
        bits |= uint64_t(value) << (64 - count - n);
        count += n;
        return count >= 32 ? emit() : 0;
    }
    int put(uint32_t value, int n) { return putClean(uint32_t(uint64_t(value) & ((uint64_t(1) << n) - 1)), n); }
    int code(const HuffmanCode& t, int symbol, uint32_t extra, int extraBits) {
        const int len = t.length[symbol];
        if (!len) return kJpegBadHuffmanTable;
        return put((uint32_t(t.code[symbol]) << extraBits) | (extra & ((1u << extraBits) - 1)), len + extraBits);
    }
};

int HeldBits::emitBytes() {
    while (count >= 8) {
        const uint8_t b = static_cast<uint8_t>(bits >> 56);
        bits <<= 8;
        count -= 8;
        if (int e = byte(b)) return e;
        if (b == 0xFF)
            if (int e = byte(0)) return e;
    }
    return 0;
}

int encodeBlockVector(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                      const int16_t* block) {
    // The non-zero AC coefficients, found in the natural order and moved to
    // their zig-zag places (photographs leave few of them).
    uint64_t zero = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i a = _mm_cmpeq_epi16(load128(block + 16 * i), _mm_setzero_si128());
        const __m128i b = _mm_cmpeq_epi16(load128(block + 16 * i + 8), _mm_setzero_si128());
        zero |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_packs_epi16(a, b)))) << (16 * i);
    }
    uint64_t natural = ~zero & ~uint64_t(1), nonZero = 0;
    int16_t zz[64];
    while (natural) {
        const int n = std::countr_zero(natural);
        natural &= natural - 1;
        const int k = kZigzagOf[n];
        nonZero |= uint64_t(1) << k;
        zz[k] = block[n];
    }
    HeldBits out(w);
    // The codes with the writer's state in locals (the slow paths hand it
    // over to `out` and take it back).
    uint64_t bits = out.bits;
    int count = out.count;
    uint8_t* pos = out.pos;
    uint8_t* end = out.end;
    const auto handOver = [&] {
        out.bits = bits;
        out.count = count;
        out.pos = pos;
    };
    const auto takeBack = [&] {
        bits = out.bits;
        count = out.count;
        pos = out.pos;
        end = out.end;
    };
    // A symbol's code with the low `size` bits of value (less one when
    // negative) from the symbol's entry, which has a code.
    const auto putEntry = [&](const HuffmanCode& t, int symbol, int value, int size) {
        const int n = t.lengthWithValue[symbol];
        const uint32_t valueBits = uint32_t(value + (value >> 31)) & ((1u << size) - 1);
        bits |= uint64_t(t.codeWithRoom[symbol] | valueBits) << (64 - count - n);
        count += n;
        if (count < 32 || emitWholeBytes(bits, count, pos, end)) return 0;
        handOver();
        const int err = out.emitBytes();
        takeBack();
        return err;
    };
    const int diff = block[0] - dcPred;
    dcPred = block[0];
    const int dcSize = std::bit_width(unsigned(diff < 0 ? -diff : diff));
    int e = 0;
    // The DC symbol is its size, so below 16 its entry holds the room for the value bits.
    if (dcSize < 16 && dc.lengthWithValue[dcSize]) {
        e = putEntry(dc, dcSize, diff, dcSize);
    } else {
        handOver();
        e = out.code(dc, dcSize, uint32_t(diff < 0 ? diff - 1 : diff), dcSize);
        takeBack();
    }
    int last = 0;
    while (!e && nonZero) {
        const int k = std::countr_zero(nonZero);
        nonZero &= nonZero - 1;
        int run = k - last - 1;
        last = k;
        int v = zz[k];
        if (v > 1023) v = 1023;
        if (v < -1023) v = -1023;
        if (run > 15) {
            handOver();
            for (; run > 15 && !e; run -= 16) e = out.code(ac, 0xF0, 0, 0);
            takeBack();
            if (e) break;
        }
        // v is not zero: with the low bit set the compiler needs no zero case.
        const int size = std::bit_width(unsigned(v < 0 ? -v : v) | 1u);
        const int symbol = (run << 4) + size;
        if (!ac.lengthWithValue[symbol]) {
            e = kJpegBadHuffmanTable;
            break;
        }
        e = putEntry(ac, symbol, v, size);
    }
    handOver();
    if (!e && last < 63) e = out.code(ac, 0x00, 0, 0);
    out.giveBack();
    return e;
}

}  // namespace

// The output pair: the segment writer first emits the whole bytes still held,
// then copies the segment in runs rather than byte by byte.
void startOutputMmx(OutputWriter& w, uint8_t* area, int64_t size, std::FILE* file) {
    startOutput(w, area, size, file);
    w.writeBytes = writeBytesMmx;
}

int writeBytesMmx(const uint8_t* bytes, int count, OutputWriter& w) {
    HeldBits held(w);
    const int e = held.emitBytes();
    held.giveBack();
    if (e) return e;
    if (!w.file) {
        if (count > w.end - w.pos) return kJpegOutputTooSmall;
        std::memcpy(w.pos, bytes, size_t(count));
        w.pos += count;
        w.written += count;
        w.left = w.end - w.pos;
        return 0;
    }
    while (count > 0) {
        if (w.pos >= w.end)
            if (int err = writeOut(w)) return err;
        const int n = static_cast<int>(std::min<ptrdiff_t>(count, w.end - w.pos));
        std::memcpy(w.pos, bytes, size_t(n));
        w.pos += n;
        w.written += n;
        w.left -= n;
        bytes += n;
        count -= n;
    }
    return 0;
}

// The block encoder of the MMX classes and its twin for the class with the SSE
// integer instructions: one routine on SSE2 registers.
int encodeBlockMmx(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                   const int16_t* block) {
    return encodeBlockVector(w, dc, ac, dcPred, block);
}
int encodeBlockMmxSse(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                      const int16_t* block) {
    return encodeBlockVector(w, dc, ac, dcPred, block);
}

// ---- Forward DCT, family 1

namespace {

// Whether any lane of the eight rows lies outside -limit..limit.
inline bool anyOutside(const __m128i* v, int limit) {
    __m128i high = v[0], low = v[0];
    for (int i = 1; i < 8; ++i) {
        high = _mm_max_epi16(high, v[i]);
        low = _mm_min_epi16(low, v[i]);
    }
    return _mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi16(high, _mm_set1_epi16(int16_t(limit))),
                                          _mm_cmpgt_epi16(_mm_set1_epi16(int16_t(-limit)), low))) != 0;
}

// v * c for a 32-bit v, as c * (v & 0x7FFF) + (c * (v >> 15)) << 15 with both
// parts 16-bit: the pair (p, q) against factors (c, d) gives p c + q d.
struct Split {
    __m128i lo, hi;              // 16-bit lanes: v & 0x7FFF and v >> 15
};
inline Split splitOf(const Pair32& v) {
    const __m128i mask = _mm_set1_epi32(0x7FFF);
    return {_mm_packs_epi32(_mm_and_si128(v.lo, mask), _mm_and_si128(v.hi, mask)),
            _mm_packs_epi32(_mm_srai_epi32(v.lo, 15), _mm_srai_epi32(v.hi, 15))};
}
inline Pair32 splitMadd(const Split& t, const Split& u, __m128i c) {
    const Pair32 low = madd(t.lo, u.lo, c), high = madd(t.hi, u.hi, c);
    return {_mm_add_epi32(low.lo, _mm_slli_epi32(high.lo, 15)), _mm_add_epi32(low.hi, _mm_slli_epi32(high.hi, 15))};
}
inline __m128i roundShift(const Pair32& v, int round, int shift) {
    const __m128i r = _mm_set1_epi32(round), s = _mm_cvtsi32_si128(shift);
    return _mm_packs_epi32(_mm_sra_epi32(_mm_add_epi32(v.lo, r), s), _mm_sra_epi32(_mm_add_epi32(v.hi, r), s));
}

// One pass over eight lanes: x[i] input i of each lane's row (or column).
// Inputs are at most 8191 in size, so every sum the products take fits 16 bits;
// w and b of the plain flow are expanded as v + t and a + u (v = 8 V, a = 8 A).
template <bool kColumn>
inline void forwardPass8(const __m128i* x, __m128i* y) {
    constexpr int kR6 = 42813, kT6 = 17734, kR2 = 46341;
    constexpr int kC1 = 4017, kS1 = 799, kC3 = 3406, kS3 = 2276;
    const int round = kColumn ? 0x100000 : 2048, shift = kColumn ? 21 : 12;
    const __m128i zero = _mm_setzero_si128();
    const __m128i l = _mm_add_epi16(x[0], x[7]), m = _mm_add_epi16(x[3], x[4]);
    const __m128i o = _mm_add_epi16(x[1], x[6]), r = _mm_add_epi16(x[2], x[5]);
    if (kColumn) {
        const Pair32 lm = madd(l, m, pairOf(1, 1)), orr = madd(o, r, pairOf(1, 1));
        y[0] = roundShift(lm + orr, 32, 6);
        y[4] = roundShift(lm - orr, 32, 6);
    } else {
        // Kept to 16 bits, as the plain form stores them.
        y[0] = _mm_slli_epi16(_mm_add_epi16(_mm_add_epi16(l, m), _mm_add_epi16(o, r)), 3);
        y[4] = _mm_slli_epi16(_mm_sub_epi16(_mm_add_epi16(l, m), _mm_add_epi16(o, r)), 3);
    }
    const __m128i d = _mm_sub_epi16(l, m), e = _mm_sub_epi16(o, r);
    y[2] = roundShift(madd(d, e, pairOf(kR6 - 65536, kT6)) + shifted16(d), round, shift);
    y[6] = roundShift(madd(d, e, pairOf(kT6, 65536 - kR6)) - shifted16(e), round, shift);
    const __m128i d07 = _mm_sub_epi16(x[0], x[7]), d34 = _mm_sub_epi16(x[3], x[4]);
    const Pair32 t32 = madd(d07, zero, pairOf(kR2 - 65536, 0)) + shifted16(d07);
    const Pair32 u32 = madd(d34, zero, pairOf(kR2 - 65536, 0)) + shifted16(d34);
    const __m128i r2048 = _mm_set1_epi32(2048);
    const Pair32 t12 = {_mm_srai_epi32(_mm_add_epi32(t32.lo, r2048), 12), _mm_srai_epi32(_mm_add_epi32(t32.hi, r2048), 12)};
    const Pair32 u12 = {_mm_srai_epi32(_mm_add_epi32(u32.lo, r2048), 12), _mm_srai_epi32(_mm_add_epi32(u32.hi, r2048), 12)};
    const __m128i v = _mm_sub_epi16(_mm_add_epi16(x[1], x[2]), _mm_add_epi16(x[5], x[6]));
    const __m128i a = _mm_sub_epi16(_mm_add_epi16(x[1], x[5]), _mm_add_epi16(x[2], x[6]));
    if (!kColumn) {
        // Rows take inputs of at most 1023 in size: t and u fit 16 bits.
        const __m128i t = _mm_packs_epi32(t12.lo, t12.hi), u = _mm_packs_epi32(u12.lo, u12.hi);
        y[1] = roundShift(madd(v, a, pairOf(8 * kC1, 8 * kS1)) + madd(t, u, pairOf(kC1, kS1)), round, shift);
        y[7] = roundShift(madd(v, a, pairOf(8 * kS1, -8 * kC1)) + madd(t, u, pairOf(kS1, -kC1)), round, shift);
        y[5] = roundShift(madd(v, a, pairOf(-8 * kS3, -8 * kC3)) + madd(t, u, pairOf(kS3, kC3)), round, shift);
        y[3] = roundShift(madd(v, a, pairOf(-8 * kC3, 8 * kS3)) + madd(t, u, pairOf(kC3, -kS3)), round, shift);
        return;
    }
    const Split t = splitOf(t12), u = splitOf(u12);
    y[1] = roundShift(madd(v, a, pairOf(8 * kC1, 8 * kS1)) + splitMadd(t, u, pairOf(kC1, kS1)), round, shift);
    y[7] = roundShift(madd(v, a, pairOf(8 * kS1, -8 * kC1)) + splitMadd(t, u, pairOf(kS1, -kC1)), round, shift);
    y[5] = roundShift(madd(v, a, pairOf(-8 * kS3, -8 * kC3)) + splitMadd(t, u, pairOf(kS3, kC3)), round, shift);
    y[3] = roundShift(madd(v, a, pairOf(-8 * kC3, 8 * kS3)) + splitMadd(t, u, pairOf(kC3, -kS3)), round, shift);
}

// With reciprocals, the coefficients are quantised before they are stored, as
// the quantiser slot would do after the transform. (One routine for both, so
// the compiler takes the passes into it.)
void forwardDctVector(int16_t* block, const uint16_t* reciprocals) {
    __m128i x[8], y[8];
    for (int i = 0; i < 8; ++i) x[i] = load128(block + 8 * i);
    bool bad = anyOutside(x, 1023);
    if (!bad) {
        transpose8(x);
        forwardPass8<false>(x, y);
        bad = anyOutside(y, 8191);
    }
    if (bad) {
        forwardDct(block);       // not samples of an 8-bit picture
        if (reciprocals) quantiseSse2(block, reciprocals);
        return;
    }
    transpose8(y);
    forwardPass8<true>(y, x);
    for (int i = 0; i < 8; ++i) {
        if (reciprocals) {
            const __m128i r = load128(reciprocals + 8 * i);
            x[i] = roundQ15(_mm_mullo_epi16(x[i], r), highSignedUnsigned(x[i], r));
        }
        store128(block + 8 * i, x[i]);
    }
}

void forwardDctVector(int16_t* block) { forwardDctVector(block, nullptr); }

void forwardDctQuantising(int16_t* block, const uint16_t* reciprocals) { forwardDctVector(block, reciprocals); }

}  // namespace

QuantisingFdct quantisingFdct(const CodecOps& ops) {
    const ForwardDctFn t = ops.activeForwardDct;
    const QuantiseFn q = ops.quantise[2];
    const bool vector = t == forwardDctMmx || t == forwardDctMmxSse || t == forwardDctSse2;
    const bool reciprocals = q == quantise || q == quantiseMmx || q == quantiseMmxSse || q == quantiseSse2;
    return vector && reciprocals ? forwardDctQuantising : nullptr;
}

// The MMX forms carry the 32-bit products two to a register; all three run on
// SSE2 registers (same results).
void forwardDctMmx(int16_t* block) { forwardDctVector(block); }
void forwardDctMmxSse(int16_t* block) { forwardDctVector(block); }
void forwardDctSse2(int16_t* block) { forwardDctVector(block); }

// ---- Huffman block decoding with the bit buffer held in one 64-bit register
// during a block, its next bit the register's top bit (so looking ahead is a
// shift by a constant), refilled with whole bytes to more than 56 bits: eight
// at once when none of them is 0xFF, otherwise by the reader's own refill
// (which handles stuffing, markers and the end of the data).

namespace {

// Written out so that compilers make it one load and a byte swap.
inline uint64_t loadBigEndian64(const uint8_t* p) {
    return uint64_t(p[0]) << 56 | uint64_t(p[1]) << 48 | uint64_t(p[2]) << 40 | uint64_t(p[3]) << 32 |
           uint64_t(p[4]) << 24 | uint64_t(p[5]) << 16 | uint64_t(p[6]) << 8 | uint64_t(p[7]);
}

struct HeldReader {
    StreamReader& r;
    // The `count` bits held, from the top; below them either zeros or the
    // bits of the bytes at ptr, which a refill lays over themselves.
    uint64_t buf;
    int count;
    int pad;
    const uint8_t* ptr;

    explicit HeldReader(StreamReader& reader)
        : r(reader), buf(0), count(reader.bitCount), pad(reader.padBits), ptr(reader.ptr) {
        load();
    }
    // From the reader's buffer, whose bits are right-aligned.
    void load() { buf = count > 0 ? r.bitBuffer << (64 - count) : 0; }
    void giveBack() {
        r.bitBuffer = count > 0 ? buf >> (64 - count) : 0;
        r.bitCount = count;
        r.ptr = ptr;
    }
    // At least 32 bits held, as the plain decoder makes sure of per symbol.
    int ensure() {
        if (count >= 32) return 0;
        if (!r.pendingMarker && r.end - ptr >= 8) {
            const uint64_t next = loadBigEndian64(ptr);
            const uint64_t inverted = ~next;   // a 0xFF byte is a zero byte here
            if (!((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull)) {
                buf |= next >> count;
                const int n = (64 - count) >> 3;
                count += 8 * n;
                ptr += n;
                return 0;
            }
        }
        giveBack();
        const int e = fillBits(r);
        count = r.bitCount;
        pad = r.padBits;
        ptr = r.ptr;
        load();
        return e;
    }
    uint32_t peek(int n) const { return static_cast<uint32_t>(buf >> (64 - n)); }
    void drop(int n) {
        buf <<= n;
        count -= n;
    }
    uint32_t take(int n) {
        const uint32_t v = peek(n);
        drop(n);
        return v;
    }
    // True (and the reader marked) when the last bits taken were padding.
    bool starved() {
        if (count >= pad) return false;
        count = 0;
        r.padBits = 0;
        r.starved = 1;
        giveBack();
        return true;
    }
    int symbol(const HuffmanLookup& t) {
        const uint32_t e = t.lookahead[peek(8)];
        if (e >> 16) {
            drop(static_cast<int>(e >> 16));
            return static_cast<int>(e & 0xFFFF);
        }
        const uint32_t code16 = peek(16);
        for (int len = 9; len <= 16; ++len) {
            const int code = static_cast<int>(code16 >> (16 - len));
            if (code <= t.maxcode[len]) {
                drop(len);
                return t.values[t.valptr[len] + code - t.mincode[len]];
            }
        }
        drop(16);
        return 0;
    }
};

template <bool kConditionalMoves>
inline int extendValue(uint32_t v, int s) {
    if (kConditionalMoves) {
        // Without a branch: add (1 - 2^s) when the top bit of the s bits is clear.
        const int negative = static_cast<int>((v >> (s - 1)) & 1) - 1;   // 0 or -1
        return static_cast<int>(v) + (negative & (1 - (1 << s)));
    }
    return (v & (1u << (s - 1))) ? static_cast<int>(v) : static_cast<int>(v) - (1 << s) + 1;
}

template <bool kConditionalMoves, bool kSkip>
int decodeHeld(StreamReader& reader, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
               int16_t* block) {
    if (!kSkip) {
        // Written out: as a loop, compilers make it a string store, slow to start.
        const __m128i zero = _mm_setzero_si128();
        store128(block, zero);
        store128(block + 8, zero);
        store128(block + 16, zero);
        store128(block + 24, zero);
        store128(block + 32, zero);
        store128(block + 40, zero);
        store128(block + 48, zero);
        store128(block + 56, zero);
    }
    HeldReader h(reader);
    if (int e = h.ensure()) return e;
    int s = h.symbol(dc) & 15;
    const int diff = s ? extendValue<kConditionalMoves>(h.take(s), s) : 0;
    if (h.starved()) return 0;
    dcPred = static_cast<int16_t>(dcPred + diff);
    block[0] = dcPred;
    for (int k = 1; k < 64;) {
        if (int e = h.ensure()) return e;
        if (!kSkip) {
            // Most coefficients come whole from one 9-bit look.
            if (const int fast = ac.fastAc[h.peek(9)]) {
                h.drop(fast & 15);
                if (h.starved()) return 0;
                if (!(fast >> 4)) break;   // end of block
                k += (fast >> 4) & 15;
                block[kNaturalOrder[k]] = static_cast<int16_t>(fast >> 8);
                ++k;
                continue;
            }
        }
        const int sym = h.symbol(ac);
        const int run = sym >> 4;
        s = sym & 15;
        if (s) {
            const int v = kSkip ? (h.drop(s), 0) : extendValue<kConditionalMoves>(h.take(s), s);
            if (h.starved()) return 0;
            k += run;
            if (!kSkip) block[kNaturalOrder[k]] = static_cast<int16_t>(v);
            ++k;
        } else {
            if (h.starved()) return 0;
            if (run != 15) break;
            k += 16;
        }
    }
    h.giveBack();
    return 0;
}

}  // namespace

int decodeBlockMmx(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                   int16_t* block) {
    return decodeHeld<false, false>(r, dc, ac, dcPred, block);
}
int decodeBlockMmxCmov(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                       int16_t* block) {
    return decodeHeld<true, false>(r, dc, ac, dcPred, block);
}
int skipBlockMmx(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                 int16_t* dcOut) {
    return decodeHeld<true, true>(r, dc, ac, dcPred, dcOut);
}

#endif  // VT_VECTOR_FORMS
