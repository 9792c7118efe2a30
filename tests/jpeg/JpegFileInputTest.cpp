// File input goes through a small refilled buffer: segments that cross its
// end (a long comment, tables behind it, fill bytes before markers) read as
// they do from memory.
#include <gtest/gtest.h>

#include <string>

#include "tests/jpeg/JpegRegionUtil.h"

using namespace jpeg_test;

TEST(JpegFileInput, SegmentsAcrossTheBufferReadAsFromMemory) {
    const Bytes base = fixture("base420.jpg");
    const size_t dqt = findMarker(base, 0xDB);
    ASSERT_NE(dqt, std::string::npos);
    // A comment long enough to reach past two buffer ends, fill bytes before
    // the tables that follow it.
    Bytes comment{0xFF, 0xFE, 0, 0};
    for (int i = 0; i < 9000; ++i) comment.push_back(uint8_t('a' + i % 26));
    put16(comment, 2, int(comment.size()) - 2);
    comment.insert(comment.end(), {0xFF, 0xFF, 0xFF});
    const Bytes jpeg = insertAt(base, dqt, comment);
    const std::string path = vt_test::scratchDir("jpeg_file_segments") + "/padded.jpg";
    ASSERT_TRUE(vt_test::writeFileBytes(path, jpeg));
    const Source src{jpeg, path};
    for (int scale : {1, 2}) {
        const Picture fromMemory = readWhole(src, scale, false, kJpegColorRgb, 3);
        const Picture fromFile = readWhole(src, scale, true, kJpegColorRgb, 3);
        EXPECT_EQ(fromMemory.result, 0);
        EXPECT_EQ(fromFile.result, 0);
        EXPECT_TRUE(fromMemory.pixels == fromFile.pixels) << "scale 1/" << scale;
    }
    // The comment arrives whole from the file.
    std::string text(9000, '\0');
    JpegProperties p;
    jpegInit(&p);
    p.state.commentBuffer = text.data();
    p.state.commentCapacity = int32_t(text.size());
    EXPECT_EQ(readParams(p, src, true), 0);
    EXPECT_EQ(p.state.commentLength, 9000);
    EXPECT_EQ(text.substr(8990), "uvwxyzabcd");
    EXPECT_EQ(text.substr(0, 3), "abc");
    jpegFree(&p);
    // A file that stops inside the comment: the segment cannot be completed.
    const std::string cutPath = vt_test::scratchDir("jpeg_file_segments_cut") + "/cut.jpg";
    ASSERT_TRUE(vt_test::writeFileBytes(cutPath, Bytes(jpeg.begin(), jpeg.begin() + long(dqt) + 6000)));
    jpegInit(&p);
    p.fileName = cutPath.c_str();
    EXPECT_EQ(jpegRead(&p, kJpegReadParamsFile), kJpegDataError);
    jpegFree(&p);
}
