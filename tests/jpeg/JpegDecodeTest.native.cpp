// Whole-image decodes checked against an independent decoder: Debian's
// libjpeg-turbo tools make the files (cjpeg, jpegtran) and decode them
// (djpeg -dct int -nosmooth: the exact integer transform and replicated
// chroma, as the codec does).
//
// Tolerance: every channel value within 4 of djpeg's, and at most 0.5% of
// them more than 2 apart. The two decoders round the transform and the colour
// conversion differently (djpeg's conversion works in 16-bit fixed point, the
// codec's in 8 bits with its own offsets), which moves values by 1 or 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/jpeg/JpegTestUtil.h"
#include "tests/jpeg/JpegToolUtil.h"

using namespace jpeg_test;

namespace {

// One folder per test: ctest runs the tests in parallel processes.
std::string scratch() {
    static std::string dir = vt_test::scratchDir(std::string("jpeg_decode_") +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    return dir;
}

// cjpeg with the given options on the picture; returns the JPEG path.
std::string encode(const Image& img, const std::string& name, const std::string& options) {
    std::string src = scratch() + "/" + name + ".pnm", out = scratch() + "/" + name + ".jpg";
    writePnm(src, img);
    EXPECT_EQ(run("cjpeg " + options + " -outfile " + out + " " + src), 0) << name;
    return out;
}

Image djpeg(const std::string& jpeg, const std::string& options = "") {
    std::string out = jpeg + ".ref.pnm";
    EXPECT_EQ(run("djpeg -dct int -nosmooth " + options + " -outfile " + out + " " + jpeg), 0) << jpeg;
    return readPnm(out);
}

struct Diff {
    int maxDiff = 0;
    double shareOver2 = 0;
};

// Our decode (channels 3 or 4, or 1) against djpeg's RGB or grey.
Diff compare(const Decoded& ours, const Image& ref, int refOrder[3] = nullptr) {
    Diff d;
    EXPECT_EQ(ours.width, ref.width);
    EXPECT_EQ(ours.height, ref.height);
    if (ours.width != ref.width || ours.height != ref.height) {
        d.maxDiff = 999;
        return d;
    }
    size_t over = 0, n = 0;
    for (size_t p = 0; p < size_t(ref.width) * ref.height; ++p)
        for (int c = 0; c < ref.channels; ++c) {
            int o = ours.pixels[p * ours.channels + (refOrder ? refOrder[c] : c)];
            int r = ref.data[p * ref.channels + c];
            int diff = std::abs(o - r);
            d.maxDiff = std::max(d.maxDiff, diff);
            over += diff > 2;
            ++n;
        }
    d.shareOver2 = double(over) / double(n);
    return d;
}

void expectClose(const Diff& d, const std::string& what) {
    EXPECT_LE(d.maxDiff, 4) << what;
    EXPECT_LE(d.shareOver2, 0.005) << what;
}

}  // namespace

TEST(JpegDecode, EveryKindMatchesDjpeg) {
    if (run("cjpeg -version") != 0) GTEST_SKIP() << "cjpeg missing (libjpeg-turbo-progs)";
    struct Kind { const char* name; int w, h; const char* options; bool grey; } kinds[] = {
        {"b444", 200, 150, "-quality 90 -sample 1x1", false},
        {"b422", 200, 150, "-quality 90 -sample 2x1", false},
        {"b420", 200, 150, "-quality 90 -sample 2x2", false},
        {"b440", 200, 150, "-quality 90 -sample 1x2", false},
        {"b411", 200, 150, "-quality 90 -sample 4x1", false},
        {"grey", 200, 150, "-quality 90 -grayscale", true},
        {"prog420", 200, 150, "-quality 90 -progressive", false},
        {"prog444", 200, 150, "-quality 80 -sample 1x1 -progressive", false},
        {"restart", 200, 150, "-quality 90 -restart 3", false},
        {"restart_rows", 200, 150, "-quality 75 -restart 1 -progressive", false},
        {"optimized", 200, 150, "-quality 95 -optimize", false},
        {"q100", 64, 48, "-quality 100 -sample 1x1", false},
        {"q5", 64, 48, "-quality 5", false},
        {"one", 1, 1, "-quality 90", false},
        {"odd", 17, 9, "-quality 90", false},
        {"odd_prog", 17, 9, "-quality 90 -progressive", false},
        {"wide", 1023, 767, "-quality 85", false},
        {"wide_prog", 1023, 767, "-quality 85 -progressive", false},
    };
    uint32_t seed = 1;
    for (const Kind& k : kinds) {
        Image img = photoLike(k.w, k.h, seed++);
        std::string jpeg = encode(img, k.name, k.options);
        Bytes data = vt_test::readFileBytes(jpeg);
        Image ref = djpeg(jpeg, k.grey ? "" : "-rgb");
        Decoded ours = decodeMemory(data, kJpegColorRgba, 4);
        ASSERT_EQ(ours.paramsResult, 0) << k.name;
        EXPECT_EQ(ours.imageResult, 0) << k.name;
        EXPECT_TRUE(ours.guardsIntact) << k.name;
        if (k.grey) {
            // Y, Y, Y, 255 from one component.
            for (size_t p = 0; p < size_t(k.w) * k.h; ++p) {
                ASSERT_EQ(ours.pixels[p * 4], ours.pixels[p * 4 + 1]) << k.name;
                ASSERT_EQ(ours.pixels[p * 4], ours.pixels[p * 4 + 2]) << k.name;
                ASSERT_EQ(ours.pixels[p * 4 + 3], 255) << k.name;
            }
            Diff d = compare(ours, ref);
            EXPECT_LE(d.maxDiff, 1) << k.name;   // no colour conversion: the transforms alone
        } else {
            for (size_t p = 0; p < size_t(k.w) * k.h; ++p) ASSERT_EQ(ours.pixels[p * 4 + 3], 255) << k.name;
            expectClose(compare(ours, ref), k.name);
        }
    }
}

TEST(JpegDecode, SequentialScansOfOneComponentEach) {
    // A script that puts each component in its own sequential scan.
    std::string script = scratch() + "/separate.scans";
    std::FILE* f = std::fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("0;\n2;\n1;\n", f);
    std::fclose(f);
    Image img = photoLike(120, 90, 7);
    for (const char* sampling : {"2x2", "1x1"}) {
        std::string name = std::string("separate") + sampling[0];
        std::string jpeg = encode(img, name, std::string("-quality 90 -sample ") + sampling + " -scans " + script);
        Decoded ours = decodeMemory(vt_test::readFileBytes(jpeg));
        ASSERT_EQ(ours.paramsResult, 0);
        EXPECT_EQ(ours.imageResult, 0);
        expectClose(compare(ours, djpeg(jpeg, "-rgb")), name);
    }
}

TEST(JpegDecode, LayoutsAndDirections) {
    Image img = photoLike(100, 70, 3);
    std::string jpeg = encode(img, "layouts", "-quality 90 -sample 2x1");
    Bytes data = vt_test::readFileBytes(jpeg);
    Image ref = djpeg(jpeg, "-rgb");
    int bgr[3] = {2, 1, 0};
    Decoded rgb = decodeMemory(data, kJpegColorRgb, 3);
    expectClose(compare(rgb, ref), "RGB");
    Decoded b = decodeMemory(data, kJpegColorBgr, 3);
    expectClose(compare(b, ref, bgr), "BGR");

    // Bottom-up: image row 0 is the buffer's last row.
    Decoded up = decodeMemory(data, kJpegColorRgba, 4, -1), down = decodeMemory(data, kJpegColorRgba, 4);
    ASSERT_EQ(up.imageResult, 0);
    size_t row = size_t(down.width) * 4;
    for (int y = 0; y < down.height; ++y)
        ASSERT_EQ(0, std::memcmp(&down.pixels[y * row], &up.pixels[(down.height - 1 - y) * row], row)) << y;

    // The luma alone into one byte a pixel matches djpeg's grey output.
    Decoded grey = decodeMemory(data, kJpegColorGrey, 1);
    EXPECT_LE(compare(grey, djpeg(jpeg, "-grayscale")).maxDiff, 1);

    // 4:2:2 into YCbCr pairs: Y0 Cb Y1 Cr, the chroma shared by each pair.
    Decoded yuyv = decodeMemory(data, kJpegColorYcbcr, 2);
    ASSERT_EQ(yuyv.imageResult, 0);
    for (size_t p = 0; p + 1 < size_t(yuyv.width) * yuyv.height; p += 2)
        ASSERT_EQ(std::abs(yuyv.pixels[p * 2] - grey.pixels[p]), 0) << p;
}

TEST(JpegDecode, FileAndMemoryReadsGiveTheSamePixels) {
    Image img = photoLike(90, 60, 9);
    for (const char* options : {"-quality 85", "-quality 85 -progressive"}) {
        std::string jpeg = encode(img, "protocol", options);
        Decoded mem = decodeMemory(vt_test::readFileBytes(jpeg));
        JpegProperties p;
        jpegInit(&p);
        p.fileName = jpeg.c_str();
        ASSERT_EQ(jpegRead(&p, kJpegReadParamsFile), 0);
        Bytes px(size_t(p.jpegWidth) * p.jpegHeight * 4);
        p.pixels = px.data();
        p.width = p.jpegWidth;
        p.height = p.jpegHeight;
        p.channels = 4;
        p.color = kJpegColorRgba;
        ASSERT_EQ(jpegRead(&p, kJpegReadImageFile), 0);
        EXPECT_EQ(p.state.file, nullptr);   // closed by the image read
        EXPECT_EQ(px, mem.pixels) << options;
        // The record reads the same image again.
        std::fill(px.begin(), px.end(), 0);
        ASSERT_EQ(jpegRead(&p, kJpegReadImageFile), 0);
        EXPECT_EQ(px, mem.pixels) << options;
        EXPECT_EQ(jpegFree(&p), 0);
    }
}

TEST(JpegDecode, ReducedReadsAreBoxAveragesOfTheFullImage) {
    Image img = photoLike(160, 120, 5);
    for (const char* options : {"-quality 90 -sample 1x1", "-quality 90 -sample 2x2 -progressive"}) {
        std::string jpeg = encode(img, "reduced", options);
        Bytes data = vt_test::readFileBytes(jpeg);
        Decoded full = decodeMemory(data, kJpegColorRgba, 4);
        for (int scale : {2, 4, 8}) {
            int type = scale == 2 ? kJpegReadHalf : scale == 4 ? kJpegReadQuarter : kJpegReadEighth;
            JpegProperties p;
            jpegInit(&p);
            p.buffer = data.data();
            p.bufferSize = int32_t(data.size());
            ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
            int w = (p.jpegWidth + scale - 1) / scale, h = (p.jpegHeight + scale - 1) / scale;
            Canvas canvas(size_t(w) * h * 4);
            p.pixels = canvas.data();
            p.width = w;
            p.height = h;
            p.channels = 4;
            p.color = kJpegColorRgba;
            ASSERT_EQ(jpegRead(&p, type), 0) << scale;
            EXPECT_TRUE(canvas.guardsIntact());
            jpegFree(&p);
            // Each pixel against the mean of the scale x scale pixels it stands
            // for: within 1 on average, 10 at worst (clamping at the extremes).
            double worst = 0, sum = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 3; ++c) {
                        int total = 0;
                        for (int j = 0; j < scale; ++j)
                            for (int i = 0; i < scale; ++i)
                                total += full.pixels[((size_t(y) * scale + j) * full.width + x * scale + i) * 4 + c];
                        double diff = std::abs(canvas.data()[(size_t(y) * w + x) * 4 + c] - total / double(scale * scale));
                        worst = std::max(worst, diff);
                        sum += diff;
                    }
            EXPECT_LE(sum / (w * h * 3), 1.0) << options << " scale " << scale;
            EXPECT_LE(worst, 10.0) << options << " scale " << scale;
        }
    }
}

TEST(JpegDecode, AanFamilyMatchesToo) {
    Image img = photoLike(120, 80, 11);
    std::string jpeg = encode(img, "aan", "-quality 75");
    Bytes data = vt_test::readFileBytes(jpeg);
    JpegProperties p;
    jpegInit(&p);
    p.state.dctKind = 0;
    p.buffer = data.data();
    p.bufferSize = int32_t(data.size());
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    Decoded ours;
    ours.width = p.jpegWidth;
    ours.height = p.jpegHeight;
    ours.channels = 3;
    ours.pixels.resize(size_t(ours.width) * ours.height * 3);
    p.pixels = ours.pixels.data();
    p.width = ours.width;
    p.height = ours.height;
    p.channels = 3;
    p.color = kJpegColorRgb;
    ASSERT_EQ(jpegRead(&p, kJpegReadImage), 0);
    jpegFree(&p);
    Diff d = compare(ours, djpeg(jpeg, "-rgb"));
    EXPECT_LE(d.maxDiff, 6);
    EXPECT_LE(d.shareOver2, 0.02);
}
