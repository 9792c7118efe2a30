// Region reads and interrupted reads of the codec's sample pictures (made
// with cjpeg), from memory and from their files: a region read gives the
// rectangle a whole-image read gives, at every scale; an interrupted read
// resumed to its end gives the whole-image read's pixels.
#include <gtest/gtest.h>

#include "tests/jpeg/JpegRegionUtil.h"

using namespace jpeg_test;

namespace {

struct Sample {
    const char* file;
    int color, channels;
};

const Sample kSamples[] = {
    {"base420.jpg", kJpegColorRgb, 3},  {"base444.jpg", kJpegColorBgr, 3}, {"prog420.jpg", kJpegColorRgba, 4},
    {"restart420.jpg", kJpegColorRgb, 3}, {"grey.jpg", kJpegColorGrey, 1},
};

Source sample(const char* name) { return Source{fixture(name), fixturePath(name)}; }

}  // namespace

TEST(JpegRegion, SamplesGiveTheCutOfTheWholeImage) {
    for (const Sample& c : kSamples) checkRegions(c.file, sample(c.file), c.color, c.channels);
}

TEST(JpegInterrupted, SamplesResumedToTheEndGiveTheWholeImage) {
    for (const Sample& c : kSamples) checkInterrupted(c.file, sample(c.file), c.color, c.channels);
}

TEST(JpegInterrupted, AnAbandonedReadLeavesTheRecordReadyForAnother) {
    for (const Sample& c : kSamples) {
        for (bool file : {false, true}) {
            SCOPED_TRACE(std::string(c.file) + (file ? " file" : " memory"));
            const Source src = sample(c.file);
            const Picture whole = readWhole(src, 1, file, c.color, c.channels);
            ASSERT_EQ(whole.result, 0);
            JpegProperties p;
            jpegInit(&p);
            ASSERT_EQ(readParams(p, src, file), 0);
            Canvas first(whole.pixels.size());
            setBuffer(p, first.data(), whole.width, whole.height, c.channels, c.color);
            p.state.interrupt = 1;
            EXPECT_EQ(jpegRead(&p, readKind(1, file)), kJpegInterruptSuccess);
            EXPECT_EQ(jpegRead(&p, readKind(1, file)), kJpegInterruptSuccess);
            EXPECT_EQ(p.state.roiLeft, p.state.roiRight);
            // A new parameter read starts the stream over and gives back the
            // caller's (empty) rectangle.
            p.state.interrupt = 0;
            ASSERT_EQ(readParams(p, src, file), 0);
            EXPECT_EQ(p.state.roiLeft | p.state.roiTop | p.state.roiRight | p.state.roiBottom, 0);
            Canvas second(whole.pixels.size());
            setBuffer(p, second.data(), whole.width, whole.height, c.channels, c.color);
            EXPECT_EQ(jpegRead(&p, readKind(1, file)), 0);
            EXPECT_TRUE(std::equal(whole.pixels.begin(), whole.pixels.end(), second.data()));
            EXPECT_TRUE(first.guardsIntact() && second.guardsIntact());
            jpegFree(&p);
        }
    }
}
