// The engine's picture loader driving the codec through its decoder seam.
#include <gtest/gtest.h>

#include "engine/JpegPictureDecoder.h"
#include "tests/jpeg/JpegTestUtil.h"

using namespace jpeg_test;

TEST(JpegPictureDecoder, LoaderDrawsAFixtureFittedAndCentred) {
    Bytes data = fixture("base420.jpg");   // 40 x 30
    Decoded ref = decodeMemory(data);
    JpegPictureDecoder decoder;
    ASSERT_EQ(decoder.open(), 0);
    const int w = 80, h = 80, pitch = w + 16;
    std::vector<Pixel> frame(size_t(pitch) * h, 0x123456);
    ASSERT_EQ(decodePicture(decoder, data.data(), int32_t(data.size()), frame.data(), w, h, pitch), 0);
    decoder.close();
    // 40 x 30 fitted into 80 x 80: 80 x 60, 10 rows of black above.
    EXPECT_EQ(frame[0], 0u);
    EXPECT_EQ(frame[9 * pitch + 40], 0u);
    const uint8_t* p = &ref.pixels[0];
    Pixel topLeft = Pixel(p[0]) << 16 | Pixel(p[1]) << 8 | p[2];
    EXPECT_EQ(frame[10 * pitch], topLeft);
    EXPECT_EQ(frame[70 * pitch + 40], 0u);
}

TEST(JpegPictureDecoder, DamagedPictureIsNotDrawn) {
    Bytes data = fixture("base420.jpg");
    data.resize(data.size() / 3);   // parameters readable, image data cut
    JpegPictureDecoder decoder;
    ASSERT_EQ(decoder.open(), 0);
    std::vector<Pixel> frame(size_t(96) * 80, 0x123456);
    EXPECT_LT(decodePicture(decoder, data.data(), int32_t(data.size()), frame.data(), 80, 80, 96), 0);
    EXPECT_EQ(frame[0], 0x123456u);
    decoder.close();
    decoder.close();   // a second close does nothing
    EXPECT_STREQ(decoder.errorText(kJpegMemoryError), "Memory error");
}
