// The encoder: its arithmetic on small golden cases, the bit writer, the
// tables, and whole writes decoded again by the codec's own decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "jpeg/JpegEncoder.h"
#include "tests/jpeg/JpegWriteUtil.h"

using namespace jpeg_test;

namespace {

// ---- Arithmetic

TEST(JpegForwardDct, FlatBlockGivesOnlyDc) {
    for (int s : {-128, -5, 0, 1, 77, 127}) {
        int16_t block[64];
        for (int16_t& v : block) v = static_cast<int16_t>(s);
        forwardDct(block);
        EXPECT_EQ(block[0], 8 * s) << s;
        for (int i = 1; i < 64; ++i) ASSERT_EQ(block[i], 0) << s << " at " << i;
    }
}

// Both families against the textbook transform, after quantisation by a
// table of ones: within one step of the rounded exact coefficients.
TEST(JpegForwardDct, BothFamiliesMatchTheExactTransform) {
    uint32_t seed = 7;
    uint16_t ones[64];
    for (uint16_t& q : ones) q = 1;
    uint16_t reciprocals[64], divisors[64];
    std::memcpy(reciprocals, ones, sizeof ones);
    std::memcpy(divisors, ones, sizeof ones);
    makeReciprocals(reciprocals);
    buildDivisors(divisors);
    for (int trial = 0; trial < 200; ++trial) {
        int16_t in[64];
        for (int i = 0; i < 64; ++i) {
            seed = seed * 1103515245u + 12345u;
            in[i] = static_cast<int16_t>(trial % 4 == 0 ? ((i + (i >> 3)) & 1 ? 127 : -128) : int(seed >> 24) - 128);
        }
        double exact[64];
        for (int u = 0; u < 8; ++u)
            for (int v = 0; v < 8; ++v) {
                double sum = 0;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        sum += in[y * 8 + x] * std::cos((2 * x + 1) * v * std::numbers::pi / 16) * std::cos((2 * y + 1) * u * std::numbers::pi / 16);
                exact[u * 8 + v] = 0.25 * (u ? 1.0 : (1 / std::numbers::sqrt2)) * (v ? 1.0 : (1 / std::numbers::sqrt2)) * sum;
            }
        int16_t exactFamily[64], aanFamily[64];
        std::memcpy(exactFamily, in, sizeof in);
        std::memcpy(aanFamily, in, sizeof in);
        forwardDct(exactFamily);
        quantise(exactFamily, reciprocals);
        forwardDctScaled(aanFamily);
        quantiseScaled(aanFamily, divisors);
        for (int i = 0; i < 64; ++i) {
            // The last divisor is raised to 2; the AAN flow rounds every
            // product to whole units, which the small high-frequency scales
            // magnify to a few steps.
            const double want = exact[i] / (i == 63 ? 2.0 : 1.0);
            ASSERT_NEAR(exactFamily[i], exact[i], 1.01) << "trial " << trial << " at " << i;
            ASSERT_NEAR(aanFamily[i], want, 4.0) << "trial " << trial << " at " << i;
        }
    }
}

TEST(JpegQuantisation, ReciprocalsAndRounding) {
    uint16_t table[64];
    for (int k = 0; k < 64; ++k) table[k] = 16;
    table[0] = 1;
    table[1] = 255;   // zig-zag 1 is natural 1
    table[2] = 3;     // zig-zag 2 is natural 8
    makeReciprocals(table);
    EXPECT_EQ(table[0], 32768);
    EXPECT_EQ(table[1], 128);
    EXPECT_EQ(table[8], 10922);
    EXPECT_EQ(table[9], 2048);
    int16_t block[64] = {};
    block[9] = 100;
    block[10] = 104;
    block[11] = -104;
    uint16_t r[64];
    for (uint16_t& v : r) v = 2048;
    quantise(block, r);
    EXPECT_EQ(block[9], 6);
    EXPECT_EQ(block[10], 7);
    EXPECT_EQ(block[11], -6);   // rounding of halves goes up
}

TEST(JpegQuantisation, QualityScaling) {
    const uint8_t* luma = annexKTable(0);
    uint16_t q1[64], q0[64], qneg[64], q100[64], q150[64], q50[64];
    scaleQuantTable(1, luma, q1);
    scaleQuantTable(0, luma, q0);
    scaleQuantTable(-9, luma, qneg);
    scaleQuantTable(100, luma, q100);
    scaleQuantTable(150, luma, q150);
    scaleQuantTable(50, luma, q50);
    for (int k = 0; k < 64; ++k) {
        EXPECT_EQ(q0[k], q1[k]);
        EXPECT_EQ(qneg[k], q1[k]);
        EXPECT_EQ(q100[k], 1);
        EXPECT_EQ(q150[k], 1);
        EXPECT_EQ(q50[k], luma[k]);
        EXPECT_LE(q1[k], 255);
    }
    EXPECT_EQ(luma[0], 16);
    EXPECT_EQ(luma[2], 12);   // zig-zag 2 = row 1, column 0
}

// ---- Bit writer and tables

struct MemoryOut {
    uint8_t area[256];
    OutputWriter w;
    MemoryOut(int size = 256) { startOutput(w, area, size, nullptr); }
    Bytes bytes() const { return Bytes(static_cast<const uint8_t*>(area), static_cast<const uint8_t*>(w.pos)); }
};

TEST(JpegBitWriter, StuffsAndPads) {
    MemoryOut m;
    ASSERT_EQ(putBits(m.w, 0xFF, 8), 0);
    ASSERT_EQ(putBits(m.w, 0x5, 3), 0);
    ASSERT_EQ(flushBits(m.w), 0);
    EXPECT_EQ(m.bytes(), (Bytes{0xFF, 0x00, 0xBF}));   // 101 then five 1-bits
    MemoryOut aligned;
    ASSERT_EQ(putBits(aligned.w, 0x1234, 16), 0);
    ASSERT_EQ(flushBits(aligned.w), 0);
    EXPECT_EQ(aligned.bytes(), (Bytes{0x12, 0x34}));
    const uint8_t marker[2] = {0xFF, 0xD9};
    ASSERT_EQ(writeSegment(marker, 2, aligned.w), 0);
    EXPECT_EQ(aligned.bytes(), (Bytes{0x12, 0x34, 0xFF, 0xD9}));   // markers are not stuffed
}

TEST(JpegBitWriter, MemoryAreaTakesSegmentsUpToItsLastByte) {
    MemoryOut m(4);
    const uint8_t four[4] = {1, 2, 3, 4};
    const uint8_t five[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(writeSegment(five, 5, m.w), kJpegOutputTooSmall);
    EXPECT_EQ(writeSegment(four, 4, m.w), 0);
    EXPECT_EQ(m.bytes(), (Bytes{1, 2, 3, 4}));
    MemoryOut bits(4);
    EXPECT_EQ(putBits(bits.w, 0x12345678, 32), 0);   // entropy bytes may fill the area
    EXPECT_EQ(putBits(bits.w, 0x12, 8), 0);
    EXPECT_EQ(flushBits(bits.w), kJpegOutputTooSmall);
}

void checkCodes(const uint8_t bits[16], const uint8_t* values, int expectedCount) {
    HuffmanCode t;
    ASSERT_EQ(buildEncodingTable(bits, values, t), 0);
    int n = 0;
    for (int i = 0; i < 16; ++i) n += bits[i];
    EXPECT_EQ(n, expectedCount);
    for (int i = 0; i < n; ++i) {
        const int len = t.length[values[i]];
        ASSERT_GE(len, 1);
        ASSERT_LE(len, 16);
        EXPECT_NE(t.code[values[i]], (1u << len) - 1) << "all-ones code";
    }
}

TEST(JpegOptimalTable, SingleSymbolAndLengthLimit) {
    uint32_t counts[257] = {};
    counts[42] = 1000;
    uint8_t bits[16], values[256];
    buildOptimalTable(counts, bits, values);
    EXPECT_EQ(bits[0], 1);
    EXPECT_EQ(values[0], 42);
    checkCodes(bits, values, 1);

    // Fibonacci counts force lengths far beyond 16 before limiting.
    uint32_t fib[257] = {};
    uint32_t a = 1, b = 1;
    for (int i = 0; i < 40; ++i) {
        fib[i] = a;
        const uint32_t c = a + b;
        a = b;
        b = c > 100'000'000 ? 100'000'000 : c;
    }
    buildOptimalTable(fib, bits, values);
    checkCodes(bits, values, 40);
}

TEST(JpegBlockCoder, ZeroRunsAndEndOfBlock) {
    // A tiny table where every symbol has a 9-bit code: symbol s -> code s.
    uint8_t bits[16] = {};
    bits[8] = 255;
    uint8_t values[255];
    for (int i = 0; i < 255; ++i) values[i] = static_cast<uint8_t>(i);
    HuffmanCode t;
    ASSERT_EQ(buildEncodingTable(bits, values, t), 0);
    auto encode = [&](const int16_t* block, int16_t pred) {
        MemoryOut m;
        EXPECT_EQ(encodeBlock(m.w, t, t, pred, block), 0);
        const int count = m.w.bitCount;
        const uint64_t held = m.w.bits;
        std::vector<int> out;
        Bytes b = m.bytes();
        for (uint8_t x : b)
            for (int i = 7; i >= 0; --i) out.push_back(x >> i & 1);
        for (int i = 0; i < count; ++i) out.push_back(int(held >> (63 - i) & 1));
        return out;
    };
    auto symbolsOf = [](const std::vector<int>& bitsOut, int valueBitsAfterFirst) {
        std::vector<int> syms;
        size_t i = 0;
        bool first = true;
        while (i + 9 <= bitsOut.size()) {
            int s = 0;
            for (int k = 0; k < 9; ++k) s = s * 2 + bitsOut[i + k];
            i += 9;
            syms.push_back(s);
            i += first ? valueBitsAfterFirst : (s & 15);
            first = false;
        }
        return syms;
    };
    int16_t zero[64] = {};
    zero[0] = 5;
    EXPECT_EQ(symbolsOf(encode(zero, 5), 0), (std::vector<int>{0, 0x00}));   // DC category 0, EOB
    int16_t last[64] = {};
    last[63] = 1;
    EXPECT_EQ(symbolsOf(encode(last, 0), 0), (std::vector<int>{0, 0xF0, 0xF0, 0xF0, 0xE1}));   // no EOB
    int16_t run16[64] = {};
    run16[kNaturalOrder[17]] = -3;
    EXPECT_EQ(symbolsOf(encode(run16, 0), 0), (std::vector<int>{0, 0xF0, 0x02, 0x00}));
}

// ---- Whole writes

// Every mode, at sizes with edge MCUs, decodes again to the source.
TEST(JpegWrite, EveryModeDecodesBackToTheSource) {
    for (const WriteSpec& mode : kSpecs)
        for (auto [width, height] : {std::pair{67, 41}, std::pair{16, 16}, std::pair{1, 1}, std::pair{17, 9}}) {
            SCOPED_TRACE(std::string(mode.name) + " " + std::to_string(width) + "x" + std::to_string(height));
            const Image img = sourceFor(mode, width, height);
            const Written w = write(mode, img);
            ASSERT_EQ(w.result, 0);
            const int outChannels = mode.jpegChannels == 1 ? 1 : (mode.channels == 4 ? 4 : 3);
            const int outColor = mode.jpegChannels == 1 ? kJpegColorGrey
                                 : mode.channels == 4  ? kJpegColorRgba
                                                       : mode.color;
            const Decoded d = decodeMemory(w.data, outColor, outChannels);
            ASSERT_EQ(d.paramsResult, 0);
            ASSERT_EQ(d.imageResult, 0);
            ASSERT_EQ(d.width, width);
            ASSERT_EQ(d.height, height);
            if (mode.jpegChannels == 1 && mode.channels == 3) continue;   // grey of colour: judged natively
            EXPECT_GT(psnr(d.pixels, img.data, d.channels, mode.channels, std::min(3, mode.channels)), 32.0);
        }
}

int markerCount(const Bytes& d, int code) {
    int n = 0;
    for (size_t i = 0; i + 1 < d.size(); ++i) n += d[i] == 0xFF && d[i + 1] == code;
    return n;
}

TEST(JpegWrite, ComponentIdsBySequentialAndProgressive) {
    struct Case {
        int mode;
        std::vector<int> ids;
    } cases[] = {{6, {0}}, {0, {1, 2, 3}}, {10, {0, 1, 2}}};
    for (const Case& c : cases) {
        const WriteSpec& mode = kSpecs[c.mode];
        const Written w = write(mode, sourceFor(mode, 24, 24));
        ASSERT_EQ(w.result, 0) << mode.name;
        const size_t sof = findMarker(w.data, mode.progressive ? 0xC2 : 0xC0);
        ASSERT_NE(sof, std::string::npos);
        ASSERT_EQ(w.data[sof + 9], c.ids.size());
        for (size_t i = 0; i < c.ids.size(); ++i) EXPECT_EQ(w.data[sof + 10 + 3 * i], c.ids[i]) << mode.name;
        const size_t sos = findMarker(w.data, 0xDA);
        ASSERT_NE(sos, std::string::npos);
        EXPECT_EQ(w.data[sos + 5], c.ids[0]) << mode.name;
    }
}

TEST(JpegWrite, RestartMarkersAndInterruptedWrites) {
    const WriteSpec& mode = kSpecs[0];
    const Image img = sourceFor(mode, 64, 32);   // 4 x 2 MCUs
    const Written plain = write(mode, img);
    const Written restarts = write(mode, img, 90, 0, [](JpegProperties& p) { p.state.encoder.restartInterval = 2; });
    ASSERT_EQ(restarts.result, 0);
    EXPECT_EQ(markerCount(restarts.data, 0xD0), 1);
    EXPECT_EQ(markerCount(restarts.data, 0xD2), 1);
    EXPECT_EQ(markerCount(restarts.data, 0xD3), 0);   // the interval divides the MCUs: none before EOI
    const size_t eoi = restarts.data.size() - 2;
    EXPECT_FALSE(restarts.data[eoi - 2] == 0xFF && (restarts.data[eoi - 1] & 0xF8) == 0xD0);
    const Decoded d = decodeMemory(restarts.data, kJpegColorBgr, 3);
    ASSERT_EQ(d.imageResult, 0);
    EXPECT_GT(psnr(d.pixels, img.data, 3, 3, 3), 30.0);

    // An interrupted write goes on where it stopped and gives the same stream.
    JpegProperties p;
    ASSERT_EQ(jpegInit(&p), 0);
    Bytes out(65536);
    p.pixels = const_cast<uint8_t*>(img.data.data());
    p.width = p.jpegWidth = img.width;
    p.height = p.jpegHeight = img.height;
    p.quality = 90;
    p.buffer = out.data();
    p.bufferSize = int32_t(out.size());
    p.state.interrupt = 1;
    int calls = 0, result;
    while ((result = jpegWrite(&p, kJpegWriteImage)) == kJpegInterruptSuccess) {
        ++calls;
        EXPECT_EQ(p.state.roiRight, std::min(64, ((calls % 4 ? calls % 4 : 4)) * 16));
        p.bufferSize = int32_t(out.size());
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(calls, 7);
    out.resize(size_t(p.bufferSize));
    EXPECT_EQ(out, plain.data);
    jpegFree(&p);
}

TEST(JpegWrite, TablesOnlyAndImageOnly) {
    const WriteSpec& mode = kSpecs[0];
    const Image img = sourceFor(mode, 16, 16);
    JpegProperties p;
    ASSERT_EQ(jpegInit(&p), 0);
    Bytes out(4096);
    p.buffer = out.data();
    p.bufferSize = int32_t(out.size());
    ASSERT_EQ(jpegWrite(&p, kJpegWriteTables), 0);
    out.resize(size_t(p.bufferSize));
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xD8);
    EXPECT_EQ(out[out.size() - 2], 0xFF);
    EXPECT_EQ(out[out.size() - 1], 0xD9);
    EXPECT_EQ(findMarker(out, 0xC0), std::string::npos);
    EXPECT_EQ(markerCount(out, 0xDB), 2);
    EXPECT_EQ(markerCount(out, 0xC4), 1);
    const size_t com = findMarker(out, 0xFE);
    ASSERT_NE(com, std::string::npos);
    const std::string text = "Vantrelle JPEG Codec, version [1.0.0.1]";
    EXPECT_EQ(segmentSize(out, com), text.size() + 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&out[com + 4])), text);

    Bytes image(65536);
    p.pixels = const_cast<uint8_t*>(img.data.data());
    p.width = p.jpegWidth = 16;
    p.height = p.jpegHeight = 16;
    p.buffer = image.data();
    p.bufferSize = int32_t(image.size());
    ASSERT_EQ(jpegWrite(&p, kJpegWriteData), 0);
    image.resize(size_t(p.bufferSize));
    EXPECT_EQ(findMarker(image, 0xDB), std::string::npos);
    EXPECT_NE(findMarker(image, 0xC0), std::string::npos);
    jpegFree(&p);
    // Tables and image together are a whole stream again.
    Bytes joined(out.begin(), out.end() - 2);
    joined.insert(joined.end(), image.begin() + 2, image.end());
    const Decoded d = decodeMemory(joined, kJpegColorBgr, 3);
    EXPECT_EQ(d.imageResult, 0);
    EXPECT_GT(psnr(d.pixels, img.data, 3, 3, 3), 24.0);
}

TEST(JpegWrite, MemoryAreaHoldingTheStreamExactlyIsEnough) {
    for (const WriteSpec& mode : {kSpecs[0], kSpecs[10]}) {
        const Image img = sourceFor(mode, 40, 24);
        const Written whole = write(mode, img);
        ASSERT_EQ(whole.result, 0) << mode.name;
        const int length = int(whole.data.size());
        const Written exact = write(mode, img, 90, length);
        EXPECT_EQ(exact.result, 0) << mode.name;
        EXPECT_EQ(exact.data, whole.data) << mode.name;
        EXPECT_EQ(write(mode, img, 90, length - 1).result, kJpegOutputTooSmall) << mode.name;
        EXPECT_EQ(write(mode, img, 90, length / 2).result, kJpegOutputTooSmall) << mode.name;
    }
}

TEST(JpegWrite, RefusesImagesLargerThanTheirBuffer) {
    const WriteSpec& mode = kSpecs[0];
    Canvas canvas(16 * 16 * 3);
    Image img{16, 16, 3, Bytes(canvas.data(), canvas.data() + canvas.bytes)};
    const Written w = write(mode, img, 90, 0, [](JpegProperties& p) { p.jpegWidth = 64; });
    EXPECT_EQ(w.result, kJpegInvalidProperties);
    EXPECT_TRUE(canvas.guardsIntact());
    const Written rows = write(mode, img, 90, 0, [](JpegProperties& p) { p.jpegHeight = 17; });
    EXPECT_EQ(rows.result, kJpegInvalidProperties);
}

TEST(JpegWrite, FileOutputAndBottomUpBuffers) {
    const WriteSpec& mode = kSpecs[0];
    const Image img = sourceFor(mode, 50, 30);
    Image flipped = img;
    for (int y = 0; y < 30; ++y)
        std::memcpy(&flipped.data[size_t(y) * 150], &img.data[size_t(29 - y) * 150], 150);
    const std::string path = vt_test::scratchDir("jpeg_encode_file") + "/out.jpg";
    JpegProperties p;
    ASSERT_EQ(jpegInit(&p), 0);
    p.pixels = flipped.data.data();
    p.width = p.jpegWidth = 50;
    p.height = -30;
    p.jpegHeight = 30;
    p.quality = 90;
    p.fileName = path.c_str();
    ASSERT_EQ(jpegWrite(&p, kJpegWriteImageFile), 0);
    const int32_t written = p.bufferSize;
    jpegFree(&p);
    const Bytes file = vt_test::readFileBytes(path);
    EXPECT_EQ(int32_t(file.size()), written);
    const Decoded d = decodeMemory(file, kJpegColorBgr, 3);
    ASSERT_EQ(d.imageResult, 0);
    EXPECT_GT(psnr(d.pixels, img.data, 3, 3, 3), 30.0);

    JpegProperties bad;
    ASSERT_EQ(jpegInit(&bad), 0);
    bad.pixels = flipped.data.data();
    bad.width = bad.jpegWidth = 50;
    bad.height = bad.jpegHeight = 30;
    const std::string missing = vt_test::scratchDir("jpeg_encode_file") + "/no/such/dir/x.jpg";
    bad.fileName = missing.c_str();
    EXPECT_EQ(jpegWrite(&bad, kJpegWriteImageFile), kJpegBadFileName);
    jpegFree(&bad);
}

// A flat picture of more than 32,767 blocks: end-of-band runs reach their
// limit in the progressive AC scans and restart.
TEST(JpegWrite, LongEndOfBandRuns) {
    const WriteSpec& mode = kSpecs[12];
    Image img{1600, 1600, 1, Bytes(size_t(1600) * 1600, 90)};
    const Written w = write(mode, img);
    ASSERT_EQ(w.result, 0);
    const Decoded d = decodeMemory(w.data, kJpegColorGrey, 1);
    ASSERT_EQ(d.imageResult, 0);
    for (size_t i = 0; i < d.pixels.size(); i += 4099) ASSERT_NEAR(d.pixels[i], 90, 1) << i;
}

}  // namespace
