// The codec's interface: result texts, validation, processor classes and
// parameter reads of every kind of file the codec meets.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "jpeg/CodecOps.h"
#include "tests/jpeg/JpegTestUtil.h"

using namespace jpeg_test;

TEST(JpegErrorText, EveryCodeAndTheUnknownOnes) {
    struct Case { int code; const char* text; } cases[] = {
        {2, "ROI Success"}, {1, "Interrupt Success"}, {0, "Success"}, {-1, "Exception detected"},
        {-2, "Invalid Encoder"}, {-3, "Unsupported subsampling"}, {-4, "Unsupported bytes per pixel"},
        {-5, "Memory error"}, {-6, "Bad Huffman table"}, {-7, "Bad Quantization table"},
        {-8, "Invalid JpegProperties"}, {-9, "Error close file"}, {-10, "Invalid file name"}, {-11, "Error EOF"},
        {-12, "Not supported"}, {-13, "Not JPEG"}, {-14, "Error COMP"}, {-15, "Error SOF"}, {-16, "Error DNL"},
        {-17, "No Huffman table"}, {-18, "No Quantization table"}, {-19, "No frame"}, {-20, "Multiply frame"},
        {-21, "Data error"}, {-22, "No image"}, {-23, "File error"}, {-24, "Internal error"},
        {-25, "Bad RST marker"}, {-26, "Thumbnail too small"}, {-27, "Thumbnail has wrong color"},
        {-28, "Output buffer too small"}, {-29, "Unsupported frame was found"},
        {-30, "Error access to jpeg_comment buffer"}, {-99, "Reserved"},
        {-31, "Unknown error code"}, {-98, "Unknown error code"}, {3, "Unknown error code"},
        {-100, "Unknown error code"}, {INT32_MIN, "Unknown error code"},
    };
    for (const Case& c : cases) EXPECT_STREQ(jpegErrorText(c.code), c.text) << c.code;
}

TEST(JpegInit, DefaultsOfTheRecord) {
    JpegProperties p;
    ASSERT_EQ(jpegInit(&p), 0);
    EXPECT_EQ(p.channels, 3);
    EXPECT_EQ(p.color, 2);
    EXPECT_EQ(p.jpegChannels, 3);
    EXPECT_EQ(p.jpegColor, 3);
    EXPECT_EQ(p.jpegSubsampling, 1);
    EXPECT_EQ(p.quality, 75);
    EXPECT_EQ(p.state.ioType, -1);
    EXPECT_EQ(p.state.dctKind, 1);
    EXPECT_NE(p.state.ops, nullptr);
    EXPECT_EQ(jpegFree(&p), 0);
    EXPECT_EQ(p.state.ops, nullptr);
}

TEST(JpegValidation, RulesInOrder) {
    static uint8_t pixels[16];
    static const uint8_t data[4] = {0xFF, 0xD8, 0xFF, 0xD9};
    struct Case {
        const char* what;
        int ioType;
        void (*set)(JpegProperties&);
        int expected;
    } cases[] = {
        {"IO type never set", -1, [](JpegProperties&) {}, -8},
        {"IO type 22", 22, [](JpegProperties&) {}, -8},
        {"keepState skips everything", 99, [](JpegProperties& p) { p.keepState = 1; }, 0},
        {"parameter read from memory", 1, [](JpegProperties&) {}, 0},
        {"memory read without buffer", 1, [](JpegProperties& p) { p.buffer = nullptr; }, -8},
        {"memory read of 0 bytes", 1, [](JpegProperties& p) { p.bufferSize = 0; }, -8},
        {"file read without name", 0, [](JpegProperties&) {}, -8},
        {"image read without pixels", 3, [](JpegProperties& p) { p.pixels = nullptr; }, -8},
        {"image width 0", 3, [](JpegProperties& p) { p.width = 0; }, -8},
        {"image width 65536", 3, [](JpegProperties& p) { p.width = 65536; }, -8},
        {"height 0 passes", 3, [](JpegProperties& p) { p.height = 0; }, 0},
        {"height -65535 passes", 3, [](JpegProperties& p) { p.height = -65535; }, 0},
        {"height -65536", 3, [](JpegProperties& p) { p.height = -65536; }, -8},
        {"negative rowPad", 3, [](JpegProperties& p) { p.rowPad = -1; }, -8},
        {"channels 256", 3, [](JpegProperties& p) { p.channels = 256; }, -8},
        {"subsampling 2 without YCbCr buffer", 3, [](JpegProperties& p) { p.subsampling = 2; }, -3},
        {"thumbnail read into RGBA", 21, [](JpegProperties&) {}, -27},
        {"thumbnail read into RGB", 21, [](JpegProperties& p) { p.color = 1; p.channels = 3; }, 0},
        {"jpegChannels 0", 1, [](JpegProperties& p) { p.jpegChannels = 0; }, -8},
        {"grey JPEG into RGBA", 3, [](JpegProperties& p) { p.jpegColor = 4; p.jpegChannels = 1; }, 0},
        {"grey JPEG into YCbCr", 3,
         [](JpegProperties& p) { p.jpegColor = 4; p.jpegChannels = 1; p.color = 3; p.channels = 3; }, -8},
        {"YCbCr JPEG into grey", 3, [](JpegProperties& p) { p.color = 4; p.channels = 1; }, 0},
        {"YCbCr JPEG into YCbCr, any channels", 3, [](JpegProperties& p) { p.color = 3; p.channels = 7; }, 0},
        {"YCbCr JPEG into RGBA with 3 channels", 3, [](JpegProperties& p) { p.channels = 3; }, -8},
        {"RGB JPEG into BGR", 3, [](JpegProperties& p) { p.jpegColor = 1; p.color = 2; p.channels = 3; }, 0},
        {"YCCK JPEG into RGBA", 3, [](JpegProperties& p) { p.jpegColor = 6; p.jpegChannels = 4; }, 0},
        {"YCCK JPEG into RGB", 3,
         [](JpegProperties& p) { p.jpegColor = 6; p.jpegChannels = 4; p.color = 1; p.channels = 3; }, -8},
        {"other into other", 3, [](JpegProperties& p) { p.jpegColor = 255; p.color = 255; }, 0},
        {"dctKind 2", 1, [](JpegProperties& p) { p.state.dctKind = 2; }, -8},
    };
    for (const Case& c : cases) {
        JpegProperties p;
        ASSERT_EQ(jpegInit(&p), 0);
        p.buffer = data;
        p.bufferSize = sizeof data;
        p.pixels = pixels;
        p.width = 2;
        p.height = 2;
        p.channels = 4;
        p.color = 5;
        c.set(p);
        p.state.ioType = c.ioType;
        EXPECT_EQ(validateProperties(&p), c.expected) << c.what;
        jpegFree(&p);
    }
}

TEST(CpuClass, FromCpuidDataAndOverride) {
    auto info = [](uint32_t family, uint32_t features) {
        CpuInfo i{};
        i.family = family;
        i.features = features;
        return i;
    };
    const uint32_t mmx = kCpuFeatureMmx | kCpuFeatureCmov, sse = mmx | kCpuFeatureSse,
                   sse2 = sse | kCpuFeatureSse2;
    struct Case { CpuInfo cpu; int override; int expected; } cases[] = {
        {info(5, 0), -1, kCpuP5},
        {info(5, kCpuFeatureMmx), -1, kCpuP5Mmx},
        {info(6, 0), -1, kCpuP6},
        {info(6, mmx), -1, kCpuP6Mmx},
        {info(6, sse), -1, kCpuP6Sse},
        {info(6, kCpuFeatureSse), -1, kCpuP6},        // SSE without MMX
        {info(15, sse2), -1, kCpuSse2},
        {info(15, sse), -1, kCpuOther},               // family 15 without SSE2
        {info(0, 0), -1, kCpuOther},                  // no leaf 1
        {info(4, sse2), -1, kCpuOther},
        {info(6, sse), 3, kCpuP5Mmx},                 // an override the processor can run
        {info(15, sse2), 0, kCpuOther},
        {info(6, sse2), 6, kCpuSse2},
        {info(6, sse), 7, kCpuP6Sse},                 // out of range: ignored
        {info(6, sse), -2, kCpuP6Sse},
        {info(5, 0), 6, kCpuP5},                      // lacks SSE2: the processor's own class
        {info(6, mmx), 5, kCpuP6Mmx},                 // lacks SSE
        {info(5, kCpuFeatureMmx), 4, kCpuP5Mmx},      // lacks conditional moves
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseCpuClass(c.cpu, c.override), c.expected)
            << "family " << c.cpu.family << " features " << std::hex << c.cpu.features << " override "
            << std::dec << c.override;
}

TEST(CpuClass, ThisProcessorAndTheTableFilled) {
    CodecOps ops{};
    EXPECT_EQ(setupCodecOps(&ops), 1);
    CpuClass cls = selectCpuClass(&ops);
    EXPECT_EQ(cls, cpuClassFromInfo(gCpuInfo));
    EXPECT_EQ(gCpuInfo.vendor[12], 0);
    EXPECT_NE(ops.leaveSimdState, nullptr);
    EXPECT_NE(ops.decodeBlock, nullptr);
    EXPECT_NE(ops.skipBlock, nullptr);
    for (auto& family : ops.idct)
        for (InverseDct f : family) EXPECT_NE(f, nullptr);
    for (OutputKernel k : ops.outputKernel) EXPECT_NE(k, nullptr);
    EXPECT_EQ(ops.mcuOutput, nullptr);   // chosen per image
    releaseLateBound(&ops);
}

namespace {

struct Expect {
    const char* file;
    int width, height, channels, jpegColor, subsampling;
};

const Expect kFixtures[] = {
    {"base444.jpg", 40, 30, 3, kJpegColorYcbcr, kJpegSub444},
    {"base422.jpg", 40, 30, 3, kJpegColorYcbcr, kJpegSub422},
    {"base420.jpg", 40, 30, 3, kJpegColorYcbcr, kJpegSub420},
    {"grey.jpg", 40, 30, 1, kJpegColorGrey, kJpegSub444},
    {"prog420.jpg", 40, 30, 3, kJpegColorYcbcr, kJpegSub420},
    {"restart420.jpg", 40, 30, 3, kJpegColorYcbcr, kJpegSub420},
    {"adobe_rgb.jpg", 40, 30, 3, kJpegColorRgb, kJpegSub444},
    {"adobe_cmyk.jpg", 40, 30, 4, kJpegColorYcck, kJpegSub420K},
};

void expectParams(const JpegProperties& p, const Expect& e) {
    EXPECT_EQ(p.jpegWidth, e.width) << e.file;
    EXPECT_EQ(p.jpegHeight, e.height) << e.file;
    EXPECT_EQ(p.jpegChannels, e.channels) << e.file;
    EXPECT_EQ(p.jpegColor, e.jpegColor) << e.file;
    EXPECT_EQ(p.jpegSubsampling, e.subsampling) << e.file;
}

}  // namespace

TEST(JpegParams, EveryFixtureFromMemoryAndFromFile) {
    for (const Expect& e : kFixtures) {
        Bytes data = fixture(e.file);
        ASSERT_FALSE(data.empty()) << e.file;
        JpegProperties p;
        ASSERT_EQ(jpegInit(&p), 0);
        p.buffer = data.data();
        p.bufferSize = static_cast<int32_t>(data.size());
        EXPECT_EQ(jpegRead(&p, kJpegReadParams), 0) << e.file;
        expectParams(p, e);
        jpegFree(&p);

        std::string path = fixturePath(e.file);
        ASSERT_EQ(jpegInit(&p), 0);
        p.fileName = path.c_str();
        EXPECT_EQ(jpegRead(&p, kJpegReadParamsFile), 0) << e.file;
        expectParams(p, e);
        EXPECT_NE(p.state.file, nullptr);   // stays open for the image read
        EXPECT_EQ(jpegFree(&p), 0);
    }
}

TEST(JpegParams, ColourDeduction) {
    // A four-component Adobe JPEG makes the buffer four-byte RGBA.
    Bytes cmyk = fixture("adobe_cmyk.jpg");
    JpegProperties p;
    jpegInit(&p);
    p.buffer = cmyk.data();
    p.bufferSize = static_cast<int32_t>(cmyk.size());
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    EXPECT_EQ(p.color, kJpegColorRgba);
    EXPECT_EQ(p.channels, 4);
    jpegFree(&p);

    // Without a transform the four components are taken as they are.
    size_t adobe = findMarker(cmyk, 0xEE);
    ASSERT_NE(adobe, std::string::npos);
    cmyk[adobe + 4 + 11] = 0;
    jpegInit(&p);
    p.buffer = cmyk.data();
    p.bufferSize = static_cast<int32_t>(cmyk.size());
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    EXPECT_EQ(p.jpegColor, kJpegColorRgba);
    jpegFree(&p);

    // Three components with neither JFIF nor Adobe keep the caller's colour.
    Bytes bare = withoutSegment(fixture("base420.jpg"), 0xE0);
    jpegInit(&p);
    p.buffer = bare.data();
    p.bufferSize = static_cast<int32_t>(bare.size());
    p.jpegColor = kJpegColorRgb;
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    EXPECT_EQ(p.jpegColor, kJpegColorRgb);
    jpegFree(&p);
}

namespace {

// APP0 carrying a JFIF header with a w x h RGB thumbnail.
Bytes jfifWithThumbnail(int w, int h) {
    Bytes seg = {0xFF, 0xE0, 0, 0, 'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, uint8_t(w), uint8_t(h)};
    for (int i = 0; i < w * h; ++i) {
        seg.push_back(uint8_t(10 * i));
        seg.push_back(uint8_t(100 + i));
        seg.push_back(uint8_t(200 - i));
    }
    put16(seg, 2, static_cast<int>(seg.size() - 2));
    return seg;
}

}  // namespace

TEST(JpegParams, ThumbnailsAreReportedAndRead) {
    Bytes data = insertAt(withoutSegment(fixture("base420.jpg"), 0xE0), 2, jfifWithThumbnail(2, 3));
    JpegProperties p;
    jpegInit(&p);
    p.buffer = data.data();
    p.bufferSize = static_cast<int32_t>(data.size());
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    EXPECT_EQ(p.thumbWidth, 2);
    EXPECT_EQ(p.thumbHeight, 3);
    EXPECT_EQ(p.jpegColor, kJpegColorYcbcr);

    // The thumbnail read stores B, G, R into a BGR buffer.
    uint8_t thumb[3 * 6] = {};
    p.pixels = thumb;
    p.width = 2;
    p.height = 3;
    p.channels = 3;
    p.color = kJpegColorBgr;
    ASSERT_EQ(jpegRead(&p, kJpegReadThumb), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(thumb[3 * i + 0], 200 - i);
        EXPECT_EQ(thumb[3 * i + 1], 100 + i);
        EXPECT_EQ(thumb[3 * i + 2], 10 * i);
    }
    // A buffer smaller than the thumbnail is refused, not overrun.
    p.width = 1;
    EXPECT_EQ(jpegRead(&p, kJpegReadThumb), kJpegOutputTooSmall);
    jpegFree(&p);

    // A JFXX RGB thumbnail extension.
    Bytes jfxx = {0xFF, 0xE0, 0, 0, 'J', 'F', 'X', 'X', 0, 0x13, 1, 1, 1, 2, 3, 0, 0, 0, 0, 0};
    put16(jfxx, 2, static_cast<int>(jfxx.size() - 2));
    data = insertAt(fixture("base420.jpg"), 20, jfxx);
    jpegInit(&p);
    p.buffer = data.data();
    p.bufferSize = static_cast<int32_t>(data.size());
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    EXPECT_EQ(p.thumbWidth, 1);
    EXPECT_EQ(p.thumbHeight, 1);
    jpegFree(&p);
}

TEST(JpegParams, CommentsGoToTheCallersBuffer) {
    Bytes com = {0xFF, 0xFE, 0, 7, 'h', 'e', 'l', 'l', 'o'};
    Bytes data = insertAt(fixture("grey.jpg"), 2, com);
    char text[8] = {};
    JpegProperties p;
    jpegInit(&p);
    p.buffer = data.data();
    p.bufferSize = static_cast<int32_t>(data.size());
    p.state.commentBuffer = text;
    p.state.commentCapacity = sizeof text;
    ASSERT_EQ(jpegRead(&p, kJpegReadParams), 0);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(p.state.commentLength, 5);
    // Too small: filled to its capacity, the full length reported.
    char small[3] = {};
    p.state.commentBuffer = small;
    p.state.commentCapacity = sizeof small;
    EXPECT_EQ(jpegRead(&p, kJpegReadParams), kJpegCommentError);
    EXPECT_EQ(std::string(small, 3), "hel");
    EXPECT_EQ(p.state.commentLength, 5);
    jpegFree(&p);
}

TEST(JpegParams, FileErrors) {
    JpegProperties p;
    jpegInit(&p);
    p.fileName = "/no/such/dir/picture.jpg";
    EXPECT_EQ(jpegRead(&p, kJpegReadParamsFile), kJpegBadFileName);
    jpegFree(&p);

    // A file that stops before its image data: the end of a file is a file error.
    std::string dir = vt_test::scratchDir("jpeg_file_errors");
    Bytes data = fixture("base420.jpg");
    data.resize(findMarker(data, 0xDA));
    std::string path = dir + "/cut.jpg";
    ASSERT_TRUE(vt_test::writeFileBytes(path, data));
    jpegInit(&p);
    p.fileName = path.c_str();
    EXPECT_EQ(jpegRead(&p, kJpegReadParamsFile), kJpegFileError);
    EXPECT_EQ(p.state.file, nullptr);   // closed after the failure
    jpegFree(&p);
    jpegInit(&p);
    p.buffer = data.data();
    p.bufferSize = static_cast<int32_t>(data.size());
    EXPECT_EQ(jpegRead(&p, kJpegReadParams), kJpegMemoryError);
    jpegFree(&p);
}
