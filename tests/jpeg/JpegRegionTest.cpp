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
