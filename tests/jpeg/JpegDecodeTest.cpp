// Inverse transforms, colour conversion and whole-image reads of the checked-in
// fixtures (the comparison with an independent decoder is in the native test).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "jpeg/CodecInternal.h"
#include "tests/jpeg/JpegTestUtil.h"

using namespace jpeg_test;

namespace {

// The textbook 2D inverse DCT of a natural-order block, plus 128.
void referenceIdct(const int16_t* in, double out[64]) {
    const double pi = 3.14159265358979323846;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            double s = 0;
            for (int v = 0; v < 8; ++v)
                for (int u = 0; u < 8; ++u) {
                    double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
                    s += cu * cv * in[v * 8 + u] * std::cos((2 * x + 1) * u * pi / 16) * std::cos((2 * y + 1) * v * pi / 16);
                }
            out[y * 8 + x] = s / 4 + 128;
        }
}

int16_t dcBlock[64];

uint8_t idctOne(void (*f)(int16_t*, uint8_t*, int), int dc) {
    std::memset(dcBlock, 0, sizeof dcBlock);
    dcBlock[0] = static_cast<int16_t>(dc);
    uint8_t out[64];
    f(dcBlock, out, 8);
    return out[0];
}

}  // namespace

TEST(InverseDct, ExactFamilyAgainstTheTextbookTransform) {
    std::mt19937 rng(7);
    int worst = 0;
    for (int n = 0; n < 300; ++n) {
        int16_t block[64] = {}, copy[64];
        int count = 1 + static_cast<int>(rng() % 30);
        for (int i = 0; i < count; ++i) block[kNaturalOrder[rng() % 40]] = static_cast<int16_t>(int(rng() % 400) - 200);
        double ref[64];
        referenceIdct(block, ref);
        uint8_t out[64];
        std::memcpy(copy, block, sizeof copy);
        inverseDct8(copy, out, 8);
        for (int i = 0; i < 64; ++i) {
            double r = std::min(255.0, std::max(0.0, ref[i]));
            worst = std::max(worst, static_cast<int>(std::ceil(std::abs(out[i] - r) - 1e-9)));
        }
        // The reduced sizes are the means of 2x2 and 4x4 groups of samples.
        uint8_t out4[64], out2[64];
        std::memcpy(copy, block, sizeof copy);
        inverseDct4(copy, out4, 8);
        std::memcpy(copy, block, sizeof copy);
        inverseDct2(copy, out2, 8);
        for (int g : {2, 4}) {
            for (int y = 0; y < 8 / g; ++y)
                for (int x = 0; x < 8 / g; ++x) {
                    double mean = 0;
                    for (int j = 0; j < g; ++j)
                        for (int i = 0; i < g; ++i) mean += ref[(y * g + j) * 8 + x * g + i];
                    mean = std::min(255.0, std::max(0.0, mean / (g * g)));
                    uint8_t got = g == 2 ? out4[y * 8 + x] : out2[y * 8 + x];
                    ASSERT_LE(std::abs(got - mean), 1.0) << "group " << g;
                }
        }
    }
    EXPECT_LE(worst, 1);
}

TEST(InverseDct, EdgeValues) {
    // An all-zero block is mid-grey in both families and every size.
    for (int kind = 0; kind < 2; ++kind) {
        CodecOps ops{};
        fillOpsPlain(&ops);
        for (InverseDct f : ops.idct[kind]) EXPECT_EQ(idctOne(f, 0), 128);
    }
    EXPECT_EQ(idctOne(inverseDct8, 1016), 255);
    EXPECT_EQ(idctOne(inverseDct8, -1024), 0);
    struct Case { void (*f)(int16_t*, uint8_t*, int); int dc; int out; } cases[] = {
        {inverseDct1, -1029, 0}, {inverseDct1, -1028, 0}, {inverseDct1, 1019, 255}, {inverseDct1, 1020, 255},
        {inverseDct1, 80, 138}, {inverseDctAan1, -2057, 0}, {inverseDctAan1, 2039, 255},
        {inverseDctAan1, 2040, 255}, {inverseDctAan1, 160, 138},
    };
    for (const Case& c : cases) EXPECT_EQ(idctOne(c.f, c.dc), c.out) << c.dc;

    // A table value of 1 leaves a coefficient unchanged; products keep 16 bits.
    int16_t block[64];
    uint16_t table[80];
    for (int i = 0; i < 64; ++i) {
        block[i] = static_cast<int16_t>(i * 37 - 1000);
        table[i] = i == 5 ? 1000 : 1;
    }
    dequantise(block, table);
    EXPECT_EQ(block[0], -1000);
    EXPECT_EQ(block[63], 63 * 37 - 1000);
    EXPECT_EQ(block[5], static_cast<int16_t>((5 * 37 - 1000) * 1000));
}

TEST(ColourConversion, FormulaValues) {
    CodecOps ops{};
    fillOpsPlain(&ops);
    struct Case { int y, cb, cr, r, g, b; } cases[] = {
        {128, 128, 128, 128, 129, 128},
        {0, 128, 255, 178, 0, 0},
        {255, 128, 255, 255, 165, 255},   // R 433 before clamping
        {0, 0, 128, 0, 45, 0},            // B -227 before clamping
        {255, 255, 255, 255, 122, 255},
    };
    for (const Case& c : cases) {
        uint8_t y[64], cb[64], cr[64];
        std::memset(y, c.y, 64);
        std::memset(cb, c.cb, 64);
        std::memset(cr, c.cr, 64);
        McuSamples m{{y, cb, cr, nullptr}, {8, 8, 8, 8}};
        uint8_t rgba[8 * 8 * 4];
        ops.outputKernel[7](m, rgba, 32);   // 1x1 YCbCr to R, G, B, 255
        EXPECT_EQ(rgba[0], c.r) << c.y << " " << c.cb << " " << c.cr;
        EXPECT_EQ(rgba[1], c.g) << c.y << " " << c.cb << " " << c.cr;
        EXPECT_EQ(rgba[2], c.b) << c.y << " " << c.cb << " " << c.cr;
        EXPECT_EQ(rgba[3], 255);
        EXPECT_EQ(std::memcmp(rgba, rgba + 4 * 63, 4), 0);
        uint8_t bgr[8 * 8 * 3];
        ops.outputKernel[4](m, bgr, 24);
        EXPECT_EQ(bgr[0], c.b);
        EXPECT_EQ(bgr[2], c.r);
    }
}

TEST(JpegImage, EveryFixtureTheEngineWay) {
    struct Case { const char* file; int outputCode; } cases[] = {
        {"base444.jpg", 7}, {"base422.jpg", 9}, {"base420.jpg", 8}, {"grey.jpg", 0},
        {"prog420.jpg", 8}, {"restart420.jpg", 8}, {"adobe_rgb.jpg", 13}, {"adobe_cmyk.jpg", 11},
    };
    for (const Case& c : cases) {
        Bytes data = fixture(c.file);
        Decoded d = decodeMemory(data);
        ASSERT_EQ(d.paramsResult, 0) << c.file;
        EXPECT_EQ(d.imageResult, 0) << c.file;
        EXPECT_TRUE(d.guardsIntact) << c.file;
        EXPECT_EQ(d.props.state.outputCode, c.outputCode) << c.file;
        bool fourComponents = d.props.jpegChannels == 4;
        for (size_t p = 0; p < size_t(d.width) * d.height && !fourComponents; ++p)
            ASSERT_EQ(d.pixels[p * 4 + 3], 255) << c.file;
        if (d.props.jpegChannels == 1)
            for (size_t p = 0; p < size_t(d.width) * d.height; ++p) {
                ASSERT_EQ(d.pixels[p * 4], d.pixels[p * 4 + 1]);
                ASSERT_EQ(d.pixels[p * 4], d.pixels[p * 4 + 2]);
            }
        // Not a flat picture.
        int lo = 255, hi = 0;
        for (size_t i = 0; i < d.pixels.size(); i += 4) {
            lo = std::min<int>(lo, d.pixels[i]);
            hi = std::max<int>(hi, d.pixels[i]);
        }
        EXPECT_GT(hi - lo, 60) << c.file;
    }
}

TEST(JpegImage, PaddingAndSmallerBuffersAreRespected) {
    Bytes data = fixture("base420.jpg");   // 40 x 30, MCUs of 16 x 16
    Decoded full = decodeMemory(data, kJpegColorRgb, 3);
    ASSERT_EQ(full.imageResult, 0);
    JpegProperties p;
    jpegInit(&p);
    p.buffer = data.data();
    p.bufferSize = int32_t(data.size());
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    // A 23 x 11 buffer with 5 bytes of padding a row: only its pixels change.
    const int w = 23, h = 11, pad = 5, row = w * 3 + pad;
    Canvas canvas(size_t(row) * h);
    p.pixels = canvas.data();
    p.width = w;
    p.height = h;
    p.rowPad = pad;
    p.channels = 3;
    p.color = kJpegColorRgb;
    ASSERT_EQ(jpegRead(&p, kJpegReadImage), 0);
    EXPECT_TRUE(canvas.guardsIntact());
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(std::memcmp(canvas.data() + y * row, &full.pixels[size_t(y) * 40 * 3], w * 3), 0) << y;
        for (int i = 0; i < pad; ++i) EXPECT_EQ(canvas.data()[y * row + w * 3 + i], Canvas::kFill);
    }
    // A buffer larger than the image: the pixels beyond it stay as they were.
    Canvas wide(size_t(50) * 40 * 4);
    p.pixels = wide.data();
    p.width = 50;
    p.height = 40;
    p.rowPad = 0;
    p.channels = 4;
    p.color = kJpegColorRgba;
    ASSERT_EQ(jpegRead(&p, kJpegReadImage), 0);
    EXPECT_EQ(wide.data()[(5 * 50 + 45) * 4], Canvas::kFill);
    EXPECT_EQ(wide.data()[(35 * 50 + 5) * 4], Canvas::kFill);
    EXPECT_NE(wide.data()[(29 * 50 + 39) * 4 + 3], Canvas::kFill);
    jpegFree(&p);
}

TEST(JpegImage, ProgressiveStreamThatStopsEarlyShowsWhatArrived) {
    Bytes data = fixture("prog420.jpg");
    // Keep the first scan (DC of every component) only.
    size_t second = findMarker(data, 0xDA, findMarker(data, 0xDA) + 2);
    for (size_t i = findMarker(data, 0xDA) + 2; i + 1 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] != 0 && !(data[i + 1] >= 0xD0 && data[i + 1] <= 0xD7)) {
            second = i;
            break;
        }
    data.resize(second);
    Decoded a = decodeMemory(data), b = decodeMemory(data);
    ASSERT_EQ(a.paramsResult, 0);
    EXPECT_EQ(a.imageResult, kJpegMemoryError);   // the data ends without EOI
    EXPECT_EQ(a.pixels, b.pixels);                // the zeroed coefficients: no heap contents
    EXPECT_TRUE(a.guardsIntact);
    int lo = 255, hi = 0;
    for (size_t i = 0; i < a.pixels.size(); i += 4) {
        lo = std::min<int>(lo, a.pixels[i]);
        hi = std::max<int>(hi, a.pixels[i]);
    }
    EXPECT_GT(hi - lo, 30);   // the DC picture arrived
}

namespace {

// A record over a 40 x 30 fixture with an RGBA buffer for it.
void prepareRgba40x30(JpegProperties& p, const Bytes& data, Bytes& px) {
    jpegInit(&p);
    p.buffer = data.data();
    p.bufferSize = int32_t(data.size());
    px.assign(40 * 30 * 4, 0);
    p.pixels = px.data();
    p.width = 40;
    p.height = 30;
    p.channels = 4;
    p.color = kJpegColorRgba;
}

}  // namespace

TEST(JpegImage, WholeReadWithoutAParameterReadParsesTheHeaders) {
    Bytes data = fixture("base444.jpg"), px;
    Decoded ref = decodeMemory(data);
    JpegProperties p;
    prepareRgba40x30(p, data, px);
    EXPECT_EQ(jpegRead(&p, kJpegReadImage), 0);
    EXPECT_EQ(px, ref.pixels);
    jpegFree(&p);
}

TEST(JpegImage, TablesReadThenDataRead) {
    Bytes data = fixture("prog420.jpg"), px;
    Decoded ref = decodeMemory(data);
    JpegProperties p;
    prepareRgba40x30(p, data, px);
    ASSERT_EQ(jpegRead(&p, kJpegReadTables), 0);   // stops at the frame header
    EXPECT_EQ(p.state.frame.marker, 0);
    ASSERT_EQ(jpegRead(&p, kJpegReadData), 0);
    EXPECT_EQ(px, ref.pixels);
    jpegFree(&p);
}
