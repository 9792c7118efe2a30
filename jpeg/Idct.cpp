// Dequantisation and the inverse DCTs. Family 1 (the default) is an exact
// separable transform in Q15 on plainly dequantised coefficients; family 0 is
// the AAN flow on coefficients dequantised with pre-scaled tables. Each
// transform reads a block of 64 coefficients in natural order and writes its
// samples (0..255) to out, rows `stride` bytes apart; the block is scratch.
#include <cmath>
#include <cstring>

#include "jpeg/CodecInternal.h"

namespace {

inline uint8_t clampSample(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// AAN scale factors a(u) a(v) / 8 in zig-zag order, rounded to six decimals.
struct AanScales {
    double s[64];
    AanScales() {
        double a[8];
        a[0] = 1.0;
        for (int i = 1; i < 8; ++i) a[i] = std::sqrt(2.0) * std::cos(i * 3.14159265358979323846 / 16.0);
        for (int k = 0; k < 64; ++k) {
            int pos = kNaturalOrder[k];
            double v = a[pos >> 3] * a[pos & 7] / 8.0;
            s[k] = std::round(v * 1e6) / 1e6;
        }
    }
};
const AanScales& aanScales() {
    static const AanScales scales;
    return scales;
}

// ---- Family 1

constexpr int kC1 = 32138, kS1 = 6393, kC3 = 27246, kS3 = 18205, kR6 = 42813, kT6 = 17734, kK = 5793;

// One 8-point pass; each output is rounded and shifted right by kShift. The
// sums wrap at 32 bits as the vector forms' do (only coefficients that no
// 8-bit picture gives reach that far).
inline int32_t sar(uint32_t v, int n) { return static_cast<int32_t>(v) >> n; }
#define VT_EXACT_PASS(x0, x1, x2, x3, x4, x5, x6, x7, kShift, STORE)                 \
    do {                                                                             \
        using U = uint32_t;                                                          \
        const U round_ = U(1) << ((kShift)-1);                                       \
        U a = U(x1) * U(kC1) + U(x7) * U(kS1);                                       \
        U b = U(x1) * U(kS1) - U(x7) * U(kC1);                                       \
        U c = U(x5) * U(kS3) + U(x3) * U(kC3);                                       \
        U d = U(x5) * U(kC3) - U(x3) * U(kS3);                                       \
        U o0 = U(sar(a + c + 2048, 12)) * U(kK);                                     \
        U o3 = U(sar(b + d + 2048, 12)) * U(kK);                                     \
        U o1 = a + b - c - d;                                                        \
        U o2 = a + d - c - b;                                                        \
        U e0 = (U(x0) + U(x4)) * 32768u + round_;                                    \
        U e1 = (U(x0) - U(x4)) * 32768u + round_;                                    \
        U w = U(x2) * U(kR6) + U(x6) * U(kT6);                                       \
        U z = U(x2) * U(kT6) - U(x6) * U(kR6);                                       \
        U p0 = e0 + w, p3 = e0 - w, p1 = e1 + z, p2 = e1 - z;                        \
        STORE(0, sar(p0 + o0, kShift));                                              \
        STORE(7, sar(p0 - o0, kShift));                                              \
        STORE(1, sar(p1 + o1, kShift));                                              \
        STORE(6, sar(p1 - o1, kShift));                                              \
        STORE(2, sar(p2 + o2, kShift));                                              \
        STORE(5, sar(p2 - o2, kShift));                                              \
        STORE(3, sar(p3 + o3, kShift));                                              \
        STORE(4, sar(p3 - o3, kShift));                                              \
    } while (0)

// Weights of the 4x4 transform (Q14) per coefficient u and output m: sqrt(2)
// times the mean of cos((2n + 1) u pi / 16) over the two n of output m.
constexpr int kW4[8][4] = {
    {16384, 16384, 16384, 16384}, {20995, 8697, -8697, -20995}, {15137, -15137, -15137, 15137},
    {7373, -17799, 17799, -7373}, {0, 0, 0, 0},                  {-4926, 11893, -11893, 4926},
    {-6270, 6270, 6270, -6270},   {-4176, -1730, 1730, 4176},
};
// The 2x2 transform (Q15): only odd u differ between the halves.
constexpr int kW2[4] = {29692, -10426, 6967, -5906};   // u = 1, 3, 5, 7, first half

// ---- Family 0 (AAN)

inline int mulQ15(int x, int c) { return static_cast<int>((int64_t(x) * c + 16384) >> 15); }
constexpr int kR2 = 46341, kA = 35468, kB = 85627, kD = 25080;

inline void aanPass(int x0, int x1, int x2, int x3, int x4, int x5, int x6, int x7, int y[8]) {
    int s = x5 + x3 + x1 + x7;
    int t = mulQ15(x1 + x7 - x5 - x3, kR2);
    int e = mulQ15(x5 + x7 - x3 - x1, kD);
    int u = e - mulQ15(x5 - x3, kB);
    int k6 = mulQ15(x1 - x7, kA) - e - s;
    int k5 = t - k6;
    int k4 = u + k5;
    int m = x2 + x6;
    int n = mulQ15(x2 - x6, kR2) - m;
    int f0 = x0 + x4 + m, f3 = x0 + x4 - m, f1 = x0 - x4 + n, f2 = x0 - x4 - n;
    y[0] = f0 + s;
    y[7] = f0 - s;
    y[1] = f1 + k6;
    y[6] = f1 - k6;
    y[2] = f2 + k5;
    y[5] = f2 - k5;
    y[3] = f3 - k4;
    y[4] = f3 + k4;
}

// The AAN transform up to level-shifted samples (no +128, no clamp).
void aanSamples(int16_t* block, int samples[64]) {
    for (int c = 0; c < 8; ++c) {
        int16_t* p = block + c;
        int y[8];
        aanPass(p[0], p[8], p[16], p[24], p[32], p[40], p[48], p[56], y);
        for (int r = 0; r < 8; ++r) p[r * 8] = static_cast<int16_t>(y[r]);
    }
    for (int r = 0; r < 8; ++r) {
        const int16_t* p = block + r * 8;
        int y[8];
        aanPass(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], y);
        for (int c = 0; c < 8; ++c) samples[r * 8 + c] = (y[c] + 8) >> 4;
    }
}

void aanBox(int16_t* block, uint8_t* out, int stride, int group) {
    int samples[64];
    aanSamples(block, samples);
    int side = 8 / group, count = group * group;
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            int sum = 0;
            for (int i = 0; i < group; ++i)
                for (int j = 0; j < group; ++j) sum += samples[(r * group + i) * 8 + c * group + j];
            int mean = sum >= 0 ? (sum + count / 2) / count : -((-sum + count / 2) / count);
            out[r * stride + c] = clampSample(mean + 128);
        }
}

}  // namespace

void prepareTableNatural(const uint16_t zigzag[64], uint16_t* table) {
    for (int k = 0; k < 64; ++k) table[kNaturalOrder[k]] = zigzag[k];
    std::memset(table + 64, 0, 16 * sizeof(uint16_t));
}

void prepareTableScaled(const uint16_t zigzag[64], uint16_t* table) {
    const AanScales& a = aanScales();
    for (int k = 0; k < 64; ++k) {
        double v = std::trunc(0.5 + 32768.0 * 0.0625 * zigzag[k] * a.s[k]);
        // Large table values do not fit the 16-bit form; they saturate.
        table[kNaturalOrder[k]] = static_cast<uint16_t>(v > 65535.0 ? 65535.0 : v);
    }
    std::memset(table + 64, 0, 16 * sizeof(uint16_t));
}

void dequantise(int16_t* __restrict block, const uint16_t* __restrict table) {
    // Low 16 bits of the product, in 16-bit arithmetic so it runs in vector lanes.
    for (int i = 0; i < 64; ++i)
        block[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(block[i]) * table[i]));
}

void dequantiseScaled(int16_t* block, const uint16_t* table) {
    for (int i = 0; i < 64; ++i) block[i] = static_cast<int16_t>((block[i] * int(table[i]) + 64) >> 7);
}

namespace {

// The column pass over the 32-bit row results, rows 0..7 (rows past the last
// with anything are zero).
void columnPass(const int* work, uint8_t* out, int stride) {
    for (int col = 0; col < 8; ++col) {
        const int* x = work + col;
#define VT_STORE_COLUMN(i, v) out[(i)*stride + col] = clampSample((v) + 128)
        VT_EXACT_PASS(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56], 21, VT_STORE_COLUMN);
#undef VT_STORE_COLUMN
    }
}

}  // namespace

void inverseDct8(int16_t* block, uint8_t* out, int stride) {
    // Rows as pairs of 64-bit words; acMask keeps a row's first word without
    // its DC value, whatever the byte order.
    uint64_t words[16], acMask;
    std::memcpy(words, block, sizeof words);
    const int16_t maskValues[4] = {0, -1, -1, -1};
    std::memcpy(&acMask, maskValues, sizeof acMask);
    int last = 7;   // the last row holding anything
    while (last > 0 && !(words[2 * last] | words[2 * last + 1])) --last;
    if (last == 0 && !((words[0] & acMask) | words[1])) {
        // DC alone (most chroma and flat areas): one value.
        uint8_t v = clampSample(sar(uint32_t(block[0]) * 262144u + 0x100000u, 21) + 128);
        for (int r = 0; r < 8; ++r) std::memset(out + r * stride, v, 8);
        return;
    }
    alignas(32) int work[64];
    for (int r = 0; r <= last; ++r) {
        const int16_t* x = block + r * 8;
        int* y = work + r * 8;
        if (!((words[2 * r] & acMask) | words[2 * r + 1])) {
            const int dc = x[0] * 8;
            for (int i = 0; i < 8; ++i) y[i] = dc;
            continue;
        }
#define VT_STORE_ROW(i, v) y[i] = (v)
        VT_EXACT_PASS(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], 12, VT_STORE_ROW);
#undef VT_STORE_ROW
    }
    if (last == 0) {
        // Every column holds only its first value: each is flat.
        uint8_t row[8];
        for (int c = 0; c < 8; ++c) row[c] = clampSample(sar(uint32_t(work[c]) * 32768u + 0x100000u, 21) + 128);
        for (int r = 0; r < 8; ++r) std::memcpy(out + r * stride, row, 8);
        return;
    }
    for (int i = (last + 1) * 8; i < 64; ++i) work[i] = 0;
    columnPass(work, out, stride);
}

void inverseDct4(int16_t* block, uint8_t* out, int stride) {
    int mid[4][8];   // [output row m][column]
    for (int c = 0; c < 8; ++c) {
        const int16_t* x = block + c;
        if ((x[8] | x[16] | x[24] | x[40] | x[48] | x[56]) == 0) {
            for (int m = 0; m < 4; ++m) mid[m][c] = x[0] * 4;
            continue;
        }
        for (int m = 0; m < 4; ++m) {
            int sum = 0;
            for (int u = 0; u < 8; ++u) sum += x[u * 8] * kW4[u][m];
            mid[m][c] = (sum + 2048) >> 12;
        }
    }
    for (int m = 0; m < 4; ++m) {
        const int* y = mid[m];
        if ((y[1] | y[2] | y[3] | y[5] | y[6] | y[7]) == 0) {
            uint8_t v = clampSample(((y[0] + 16) >> 5) + 128);
            for (int n = 0; n < 4; ++n) out[m * stride + n] = v;
            continue;
        }
        for (int n = 0; n < 4; ++n) {
            int sum = 0;
            for (int u = 0; u < 8; ++u) sum += y[u] * kW4[u][n];
            out[m * stride + n] = clampSample(((sum + 0x40000) >> 19) + 128);
        }
    }
}

void inverseDct2(int16_t* block, uint8_t* out, int stride) {
    static const int kCols[5] = {0, 1, 3, 5, 7};
    int mid[2][8] = {};
    for (int c : kCols) {
        const int16_t* x = block + c;
        int odd = x[8] * kW2[0] + x[24] * kW2[1] + x[40] * kW2[2] + x[56] * kW2[3];
        if ((x[8] | x[24] | x[40] | x[56]) == 0) {
            mid[0][c] = mid[1][c] = x[0] * 4;
        } else {
            mid[0][c] = (x[0] * 32768 + odd + 4096) >> 13;
            mid[1][c] = (x[0] * 32768 - odd + 4096) >> 13;
        }
    }
    for (int m = 0; m < 2; ++m) {
        const int* y = mid[m];
        if ((y[1] | y[3] | y[5] | y[7]) == 0) {
            uint8_t v = clampSample(((y[0] + 16) >> 5) + 128);
            out[m * stride] = out[m * stride + 1] = v;
            continue;
        }
        int odd = y[1] * kW2[0] + y[3] * kW2[1] + y[5] * kW2[2] + y[7] * kW2[3];
        out[m * stride] = clampSample(((y[0] * 32768 + odd + 0x80000) >> 20) + 128);
        out[m * stride + 1] = clampSample(((y[0] * 32768 - odd + 0x80000) >> 20) + 128);
    }
}

void inverseDct1(int16_t* block, uint8_t* out, int) {
    int v = block[0];
    out[0] = v < -1028 ? 0 : (v < 1020 ? static_cast<uint8_t>(((v + 4) >> 3) + 128) : 255);
}

void inverseDctAan8(int16_t* block, uint8_t* out, int stride) {
    int samples[64];
    aanSamples(block, samples);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) out[r * stride + c] = clampSample(samples[r * 8 + c] + 128);
}

void inverseDctAan4(int16_t* block, uint8_t* out, int stride) { aanBox(block, out, stride, 2); }

void inverseDctAan2(int16_t* block, uint8_t* out, int stride) { aanBox(block, out, stride, 4); }

void inverseDctAan1(int16_t* block, uint8_t* out, int) {
    int v = block[0];
    out[0] = v < -2056 ? 0 : (v < 2040 ? static_cast<uint8_t>(((v + 8) >> 4) + 128) : 255);
}
