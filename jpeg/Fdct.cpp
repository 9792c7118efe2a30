// The encoder's per-block arithmetic: the two forward DCT families matching
// the inverse ones, quantisation table scaling and the two quantiser forms
// (by reciprocal multiplication, so no division per coefficient).
#include <cstring>

#include "jpeg/JpegEncoder.h"

namespace {

constexpr uint8_t kLumaNatural[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};
constexpr uint8_t kChromaNatural[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

struct ZigzagTable {
    uint8_t v[64];
    explicit ZigzagTable(const uint8_t* natural) {
        for (int k = 0; k < 64; ++k) v[k] = natural[kNaturalOrder[k]];
    }
};

// 4096 / (a(u) a(v)) in zig-zag order, a(0) = 1, a(n) = sqrt(2) cos(n pi / 16).
constexpr uint16_t kAanDivisorBase[64] = {
    4096,  2953, 2953, 3134, 2129,  3134,  3483,  2260,  2260,  3483,  4096,  2511,  2399,
    2511,  4096, 5213, 2953, 2666,  2666,  2953,  5213,  7568,  3758,  3134,  2962,  3134,
    3758,  7568, 14846, 5456, 3990, 3483,  3483,  3990,  5456,  14846, 10703, 5792,  4433,
    4096,  4433, 5792, 10703, 11362, 6436, 5213,  5213,  6436,  11362, 12625, 7568,  6635,
    7568,  12625, 14846, 9632, 9632, 14846, 18895, 13984, 18895, 27432, 27432, 53810,
};

inline int16_t lo16(int v) { return static_cast<int16_t>(v); }

// One pass of family 1 over 8 values `step` apart; column passes descale.
template <bool kColumn>
inline void exactPass(int16_t* p, int step) {
    constexpr int kR6 = 42813, kT6 = 17734, kR2 = 46341;
    constexpr int kC1 = 4017, kS1 = 799, kC3 = 3406, kS3 = 2276;
    const int x0 = p[0], x1 = p[step], x2 = p[2 * step], x3 = p[3 * step];
    const int x4 = p[4 * step], x5 = p[5 * step], x6 = p[6 * step], x7 = p[7 * step];
    const int l = x0 + x7, m = x3 + x4, o = x1 + x6, r = x2 + x5;
    auto rot = [](int v) { return kColumn ? (v + 0x100000) >> 21 : (v + 2048) >> 12; };
    int y0, y4;
    if (kColumn) {
        y0 = (l + m + o + r + 32) >> 6;
        y4 = (l + m - o - r + 32) >> 6;
    } else {
        y0 = (l + m + o + r) * 8;
        y4 = (l + m - o - r) * 8;
    }
    const int y2 = rot((l - m) * kR6 + (o - r) * kT6);
    const int y6 = rot((l - m) * kT6 - (o - r) * kR6);
    const int t = ((x0 - x7) * kR2 + 2048) >> 12;
    const int u = ((x3 - x4) * kR2 + 2048) >> 12;
    const int v = (x1 + x2 - x5 - x6) * 8;
    const int a = (x1 + x5 - x2 - x6) * 8;
    const int w = v + t, b = a + u;
    const int y1 = rot(w * kC1 + b * kS1);
    const int y7 = rot(w * kS1 - b * kC1);
    const int t2 = t - v, u2 = u - a;
    const int y5 = rot(t2 * kS3 + u2 * kC3);
    const int y3 = rot(t2 * kC3 - u2 * kS3);
    p[0] = lo16(y0);
    p[step] = lo16(y1);
    p[2 * step] = lo16(y2);
    p[3 * step] = lo16(y3);
    p[4 * step] = lo16(y4);
    p[5 * step] = lo16(y5);
    p[6 * step] = lo16(y6);
    p[7 * step] = lo16(y7);
}

inline int mulQ15(int x, int c) { return static_cast<int>((int64_t(x) * c + 16384) >> 15); }

// One AAN pass over 8 values `step` apart.
template <typename In, typename Out>
inline void aanPass(const In* in, Out* out, int step) {
    const int x0 = in[0], x1 = in[step], x2 = in[2 * step], x3 = in[3 * step];
    const int x4 = in[4 * step], x5 = in[5 * step], x6 = in[6 * step], x7 = in[7 * step];
    const int s07 = x0 + x7, d07 = x0 - x7, s16 = x1 + x6, d16 = x1 - x6;
    const int s25 = x2 + x5, d25 = x2 - x5, s34 = x3 + x4, d34 = x3 - x4;
    const int e10 = s07 + s34, e13 = s07 - s34, e11 = s16 + s25, e12 = s16 - s25;
    const int z1 = mulQ15(e12 + e13, 23170);
    const int z5 = mulQ15(d34 + d25 - d16 - d07, 12540);
    const int z2 = mulQ15(d34 + d25, 17734) + z5;
    const int z4 = mulQ15(d16 + d07, 42813) + z5;
    const int z3 = mulQ15(d25 + d16, 23170);
    const int z11 = d07 + z3, z13 = d07 - z3;
    out[0] = static_cast<Out>(e10 + e11);
    out[4 * step] = static_cast<Out>(e10 - e11);
    out[2 * step] = static_cast<Out>(e13 + z1);
    out[6 * step] = static_cast<Out>(e13 - z1);
    out[5 * step] = static_cast<Out>(z13 + z2);
    out[3 * step] = static_cast<Out>(z13 - z2);
    out[1 * step] = static_cast<Out>(z11 + z4);
    out[7 * step] = static_cast<Out>(z11 - z4);
}

}  // namespace

namespace {
// The zig-zag forms are made once from the natural tables above.
const ZigzagTable& lumaZigzag() {
    static const ZigzagTable t(kLumaNatural);
    return t;
}
const ZigzagTable& chromaZigzag() {
    static const ZigzagTable t(kChromaNatural);
    return t;
}
}  // namespace

const uint8_t* annexKTable(int which) { return which ? chromaZigzag().v : lumaZigzag().v; }

void forwardDct(int16_t* block) {
    for (int row = 0; row < 8; ++row) exactPass<false>(block + row * 8, 1);
    for (int col = 0; col < 8; ++col) exactPass<true>(block + col, 8);
}

void forwardDctScaled(int16_t* block) {
    alignas(32) int32_t work[64];
    for (int row = 0; row < 8; ++row) aanPass(block + row * 8, work + row * 8, 1);
    for (int col = 0; col < 8; ++col) aanPass(work + col, block + col, 8);
}

void makeReciprocals(uint16_t* table) {
    uint16_t zigzag[64];
    std::memcpy(zigzag, table, sizeof zigzag);
    for (int k = 0; k < 64; ++k) {
        const int q = zigzag[k] ? zigzag[k] : 1;   // a zero entry would divide by zero
        table[kNaturalOrder[k]] = static_cast<uint16_t>(32768 / q);
    }
}

void quantise(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; ++i) block[i] = lo16((block[i] * int(reciprocals[i]) + 16384) >> 15);
}

void quantiseScaled(int16_t* block, const uint16_t* reciprocals) {
    for (int i = 0; i < 64; ++i)
        block[i] = lo16((block[i] * int(static_cast<int16_t>(reciprocals[i])) + 16384) >> 15);
}

void buildDivisors(uint16_t* table) {
    uint16_t zigzag[64];
    std::memcpy(zigzag, table, sizeof zigzag);
    if (zigzag[63] < 2) zigzag[63] = 2;   // 53810 / 1 would not fit the signed quantiser
    for (int k = 0; k < 64; ++k) {
        const int q = zigzag[k] ? zigzag[k] : 1;
        table[kNaturalOrder[k]] = static_cast<uint16_t>(((q >> 1) + kAanDivisorBase[k]) / q);
    }
}

void scaleQuantTable(int quality, const uint8_t base[64], uint16_t out[64]) {
    if (quality <= 0) quality = 1;
    if (quality > 100) quality = 100;
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    for (int k = 0; k < 64; ++k) {
        int v = (base[k] * scale + 50) / 100;
        out[k] = static_cast<uint16_t>(v <= 0 ? 1 : (v > 255 ? 255 : v));
    }
}
