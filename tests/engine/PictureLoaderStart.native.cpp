// A codec that cannot start: its error text goes to a message box (natively to
// stderr, so this runs only here) and no picture entry is looked up.
#include <gtest/gtest.h>

#include "tests/engine/FakePictureDecoder.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

TEST(LoadImage, CodecStartFailureShowsItsTextAndLoadsNothing) {
    FakeDecoder decoder;
    decoder.openResult = -5;
    setPictureSource(PictureSource{findPicture, releasePicture});
    setPictureDecoder(&decoder);
    gReleases = 0;
    GuardedBuffer frame(8, 6, kOld);
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadImage(3, frame.pixels(), 8, 6, frame.pitch()), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Memory error"), std::string::npos);
    EXPECT_EQ(gReleases, 0);
    EXPECT_EQ(decoder.closes, 1);
    EXPECT_TRUE(frame.marginIntact(kOld));
    EXPECT_EQ(frame.at(0, 0), kOld);
    setPictureDecoder(nullptr);
}
