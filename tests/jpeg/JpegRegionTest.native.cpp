// Region reads and interrupted reads of pictures cjpeg makes here: baseline
// 4:2:0 and 4:4:4, progressive, restart intervals (every MCU row, and every
// five MCUs, which does not fall on row starts), sequential scans of one or
// two components, grey; from memory and from their files.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/jpeg/JpegRegionUtil.h"
#include "tests/jpeg/JpegToolUtil.h"

using namespace jpeg_test;

namespace {

struct Made {
    const char* name;
    const char* options;         // cjpeg
    int width, height;
    int color, channels;
};

// Sizes that leave partial MCUs on the right and at the bottom.
const Made kPictures[] = {
    {"baseline_420", "-sample 2x2", 117, 91, kJpegColorRgb, 3},
    {"baseline_444", "-sample 1x1", 75, 61, kJpegColorBgr, 3},
    {"progressive_420", "-progressive -sample 2x2", 101, 83, kJpegColorRgba, 4},
    {"restart_rows", "-sample 2x2 -restart 1", 97, 70, kJpegColorRgb, 3},
    {"restart_5_mcus", "-sample 2x1 -restart 5B", 90, 77, kJpegColorRgb, 3},
    {"multi_scan_sequential", "-sample 2x2 -scans SCANS", 85, 66, kJpegColorRgb, 3},
    {"grey", "-grayscale", 83, 69, kJpegColorGrey, 1},
};

// Each test makes its pictures in a folder of its own: ctest runs them at the same time.
Source make(const Made& m, const char* use) {
    const std::string dir = vt_test::scratchDir(std::string("jpeg_") + use + "_" + m.name);
    const std::string pnm = dir + "/in.pnm", jpg = dir + "/out.jpg", scans = dir + "/scans.txt";
    writePnm(pnm, photoLike(m.width, m.height, 3));
    std::FILE* f = std::fopen(scans.c_str(), "w");
    if (f) {
        std::fputs("0;\n1 2;\n", f);
        std::fclose(f);
    }
    std::string options = m.options;
    if (size_t at = options.find("SCANS"); at != std::string::npos) options.replace(at, 5, scans);
    EXPECT_EQ(run("cjpeg -quality 80 " + options + " -outfile " + jpg + " " + pnm), 0) << m.name;
    return Source{vt_test::readFileBytes(jpg), jpg};
}

}  // namespace

TEST(JpegRegion, MadePicturesGiveTheCutOfTheWholeImage) {
    for (const Made& m : kPictures) checkRegions(m.name, make(m, "region"), m.color, m.channels);
}

TEST(JpegInterrupted, MadePicturesResumedToTheEndGiveTheWholeImage) {
    for (const Made& m : kPictures) checkInterrupted(m.name, make(m, "interrupted"), m.color, m.channels);
}
