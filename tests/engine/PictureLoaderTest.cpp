// Picture loading: the fit table, the bilinear scaling, the decode path with a
// stand-in decoder (sizes, failures, what the frame buffer holds afterwards), and
// the canvas's size rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/FrameCanvas.h"
#include "engine/PictureBuffers.h"
#include "engine/PictureLoader.h"
#include "tests/engine/FakePictureDecoder.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

TEST(FitImageSize, FitTable) {
    struct Case { int iw, ih, w, h, fw, fh; } cases[] = {
        {1600, 1200, 800, 600, 800, 600},   // the frame's shape fills it
        {1000, 10, 640, 480, 640, 6},       // landscape: full width
        {300, 1000, 640, 480, 144, 480},    // portrait: full height
        {100, 50, 640, 480, 640, 320},      // smaller than the frame: enlarged
        {40, 60, 400, 300, 200, 300},
        {1, 1000, 640, 480, 4, 480},        // fitted width 0 becomes 4
        {1000, 1, 640, 480, 640, 1},        // fitted height 0 becomes 1
        {2, 1, 800, 600, 800, 400},         // a truncated shape test would give 1,200 x 600
        {641, 480, 640, 480, 640, 479},
        {0, 0, 640, 480, 4, 1},             // degenerate sizes divide by nothing
        {5, 5, 0, 0, 1, 1},
        {1, 1000, 3, 2, 3, 2},              // never wider or taller than the frame
    };
    for (const Case& c : cases) {
        int32_t fw = -1, fh = -1;
        fitImageSize(c.iw, c.ih, c.w, c.h, &fw, &fh);
        EXPECT_EQ(fw, c.fw) << c.iw << "x" << c.ih << " in " << c.w << "x" << c.h;
        EXPECT_EQ(fh, c.fh) << c.iw << "x" << c.ih << " in " << c.w << "x" << c.h;
    }
}

TEST(ScaleImageBilinear, GoldenAndEdgesRepeat) {
    // Two pixels (10, 20, 30) and (90, 100, 110) with alpha bytes that must not show.
    const uint8_t two[] = {10, 20, 30, 255, 90, 100, 110, 0};
    GuardedBuffer out(4, 2, kOld);
    scaleImageBilinear(out.pixels(), two, 4, 2, out.pitch(), 2, 1, 8);
    // Columns at 15-bit positions 0, 16,384 (half way), then the last column twice;
    // the single row repeats downward.
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(out.at(0, y), 0x0A141Eu);
        EXPECT_EQ(out.at(1, y), 0x323C46u);
        EXPECT_EQ(out.at(2, y), 0x5A646Eu);
        EXPECT_EQ(out.at(3, y), 0x5A646Eu);
    }
    EXPECT_TRUE(out.marginIntact(kOld));
    EXPECT_TRUE(out.guardIntact());

    // A 2 x 2 picture (rows padded to 12 bytes) to 640 x 480.
    const uint8_t quad[] = {0, 0, 0, 0, 255, 0, 0, 0, 9, 9, 9, 9,
                            0, 255, 0, 0, 0, 0, 255, 0, 9, 9, 9, 9};
    GuardedBuffer big(640, 480, kOld);
    scaleImageBilinear(big.pixels(), quad, 640, 480, big.pitch(), 2, 2, 12);
    EXPECT_EQ(big.at(0, 0), 0x000000u);
    EXPECT_EQ(big.at(639, 0), 0xFF0000u);      // the last column repeats up to the edge
    EXPECT_EQ(big.at(0, 479), 0x00FF00u);
    EXPECT_EQ(big.at(639, 479), 0x0000FFu);
    // The step 2 x 32,768 / 640 truncates to 102: column 320 is still 15/16 of the
    // way, 322 the first on the last column; 160 is 7/16 of the way.
    EXPECT_EQ(big.at(320, 0), 0xEF0000u);
    EXPECT_EQ(big.at(322, 0), 0xFF0000u);
    EXPECT_EQ(big.at(160, 0), 0x6F0000u);
    EXPECT_TRUE(big.marginIntact(kOld));
    EXPECT_TRUE(big.guardIntact());
}

TEST(DecodePicture, FitsAndCentresOnBlack) {
    FakeDecoder decoder;   // 4 x 2
    GuardedBuffer frame(8, 6, kOld);
    ASSERT_EQ(decodePicture(decoder, kJpegBytes, sizeof kJpegBytes, frame.pixels(), 8, 6, frame.pitch()), 0);
    // 4 x 2 in 8 x 6: 8 x 4, one black row above and below; each picture pixel
    // covers two frame pixels in each direction.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            Pixel want = 0;   // the bars
            if (y >= 1 && y <= 4) {
                const int sx = x / 2, sy = (y - 1) / 2, ax = (x % 2) * 8, by = ((y - 1) % 2) * 8;
                // Bilinear between neighbours, last column and row repeating.
                const int r = (sx * (16 - ax) + (sx < 3 ? sx + 1 : sx) * ax) * 16 >> 8;
                const int g = (sy * (16 - by) + (sy < 1 ? sy + 1 : sy) * by) * 16 >> 8;
                want = static_cast<Pixel>(r) << 16 | static_cast<Pixel>(g) << 8 | 200;
            }
            EXPECT_EQ(frame.at(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(frame.at(7, 1), fakePixel(3, 0));
    // The black fill covers h rows of the pitch from the origin: the left margin
    // of the first row keeps its old value, and nothing beyond the buffer moves.
    EXPECT_EQ(frame.at(-1, 0), kOld);
    EXPECT_EQ(frame.at(8, 0), 0u);
    EXPECT_TRUE(frame.guardIntact());
}

TEST(DecodePicture, FailuresLeaveTheFrameAsItWas) {
    struct Case {
        const char* what;
        int32_t width, height, sizeResult, pixelsResult, frameW, frameH;
        int32_t expected;
        bool decodes;   // whether the whole-image read is reached
    } cases[] = {
        {"bad header", 4, 2, -13, 0, 8, 6, -13, false},
        {"damaged data", 16, 8, 0, -21, 8, 6, -21, true},
        {"65535 x 65535 declared", 65535, 65535, 0, 0, 8, 6, kPictureMemoryError, false},
        {"40000 x 20000 declared", 40000, 20000, 0, 0, 8, 6, kPictureMemoryError, false},
        {"zero height", 4, 0, 0, 0, 8, 6, kPictureNoImage, false},
        {"empty frame", 4, 2, 0, 0, 0, 6, kPictureInvalidFrame, false},
    };
    for (const Case& c : cases) {
        FakeDecoder decoder;
        decoder.width = c.width;
        decoder.height = c.height;
        decoder.sizeResult = c.sizeResult;
        decoder.pixelsResult = c.pixelsResult;
        GuardedBuffer frame(8, 6);
        frame.fillPattern(42);
        GuardedBuffer before(8, 6);
        before.fillPattern(42);
        EXPECT_EQ(decodePicture(decoder, kJpegBytes, sizeof kJpegBytes, frame.pixels(), c.frameW, c.frameH,
                                frame.pitch()), c.expected) << c.what;
        EXPECT_EQ(decoder.pixelReads, c.decodes ? 1 : 0) << c.what;
        EXPECT_TRUE(frame.sameVisible(before)) << c.what;
        EXPECT_EQ(frame.at(8, 3), before.at(8, 3)) << c.what;
        EXPECT_TRUE(frame.guardIntact()) << c.what;
    }
}

TEST(LoadImage, FindsDecodesAndGivesTheEntryBack) {
    FakeDecoder decoder;
    setPictureSource(PictureSource{findPicture, releasePicture});
    setPictureDecoder(&decoder);
    gReleases = 0;
    GuardedBuffer frame(8, 6, kOld);

    // No such picture: nothing touched, nothing to give back, the codec closed.
    EXPECT_EQ(loadImage(5, frame.pixels(), 8, 6, frame.pitch()), 0);
    EXPECT_EQ(frame.at(0, 0), kOld);
    EXPECT_EQ(gReleases, 0);
    EXPECT_EQ(decoder.closes, decoder.opens);

    EXPECT_EQ(loadImage(3, frame.pixels(), 8, 6, frame.pitch()), 1);
    EXPECT_EQ(frame.at(0, 0), 0u);
    EXPECT_EQ(frame.at(0, 1), fakePixel(0, 0));
    EXPECT_EQ(gReleases, 1);
    EXPECT_EQ(gReleasedIndex, 3);

    // A failed decode still gives the entry back and reports 0.
    decoder.pixelsResult = -21;
    frame.fill(kOld);
    EXPECT_EQ(loadImage(3, frame.pixels(), 8, 6, frame.pitch()), 0);
    EXPECT_EQ(frame.at(0, 1), kOld);
    EXPECT_EQ(gReleases, 2);

    setPictureDecoder(nullptr);
    EXPECT_EQ(loadImage(3, frame.pixels(), 8, 6, frame.pitch()), 0);
}

TEST(LoadFrameImage, ChoosesTheBufferAndKeepsInsideIt) {
    FakeDecoder decoder;
    decoder.width = 40;
    decoder.height = 30;
    setPictureSource(PictureSource{findPicture, releasePicture});
    setPictureDecoder(&decoder);
    freeCanvas();
    clearPictureBuffers();

    EXPECT_EQ(loadFrameImage(3, 1, 400, 300), 1);
    EXPECT_EQ(pictureBuffer(0)[0], fakePixel(0, 0));
    EXPECT_EQ(pictureBuffer(1)[0], 0u);
    EXPECT_EQ(loadFrameImage(3, 0, 400, 300), 0);
    EXPECT_EQ(loadFrameImage(3, 3, 400, 300), 0);

    // A preview larger than the buffers is drawn at 800 x 600 with pitch 816: the
    // picture's last pixel lands on the buffer's last visible pixel.
    EXPECT_EQ(loadFrameImage(3, 2, 1920, 1440), 1);
    const Pixel* last = pictureBuffer(1) + 599 * 816 + 799;
    EXPECT_EQ(*last, fakePixel(39, 29));
    setPictureDecoder(nullptr);
}

TEST(FrameCanvas, SizeOriginAndLimits) {
    freeCanvas();
    int32_t w = 1024, h = 768;
    limitFrameSize(&w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);

    ASSERT_TRUE(createCanvas(640, 480));
    const FrameCanvas& canvas = frameCanvas();
    EXPECT_EQ(canvas.pitch, 656);
    EXPECT_EQ(canvas.origin, canvas.bits + 8 * 656 + 8);
    bool allZero = true;
    for (int i = 0; i < 656 * 496; ++i) allZero &= canvas.bits[i] == 0;
    EXPECT_TRUE(allZero);

    // Frames are cut to the canvas: a preview that grew keeps its first size.
    w = 700, h = 300;
    limitFrameSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 300);
    w = -5, h = 10;
    limitFrameSize(&w, &h);
    EXPECT_EQ(w, 0);

    ASSERT_TRUE(createCanvas(1280, 1024));
    EXPECT_EQ(frameCanvas().width, 800);
    EXPECT_EQ(frameCanvas().height, 600);
    freeCanvas();
    EXPECT_EQ(frameCanvas().origin, nullptr);
}
