// Region reads and interrupted reads of pictures cjpeg makes here: baseline
// 4:2:0 and 4:4:4, progressive, restart intervals (every MCU row, and every
// five MCUs, which does not fall on row starts), sequential scans of one or
// two components, grey; from memory and from their files.
#include <gtest/gtest.h>

#include <algorithm>
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
    uint32_t seed = 3;           // of the picture's content
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
    writePnm(pnm, photoLike(m.width, m.height, m.seed));
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

// With the flag always set, a read gives control back after every MCU of a
// scan (a block of a one-component scan, named by its place in that
// component's grid), except after a progressive AC scan's blocks, where it
// stops after whole block rows; resumed to the end it gives the whole image.
TEST(JpegInterrupted, ScansStopAfterEachMcuExceptProgressiveAcScans) {
    const Made pictures[] = {
        {"split_scans_420", "-sample 2x2 -scans SCANS", 117, 91, kJpegColorRgb, 3},
        {"progressive_grey", "-grayscale -progressive", 83, 69, kJpegColorGrey, 1},
        {"progressive_422", "-progressive -sample 2x1", 90, 77, kJpegColorBgr, 3},
    };
    struct Stop {
        int left, top;
        bool operator==(const Stop& o) const { return left == o.left && top == o.top; }
    };
    for (const Made& m : pictures) {
        SCOPED_TRACE(m.name);
        const Source src = make(m, "mcu_stops");
        const Picture whole = readWhole(src, 1, false, m.color, m.channels);
        ASSERT_EQ(whole.result, 0);
        JpegProperties p;
        jpegInit(&p);
        ASSERT_EQ(readParams(p, src, false), 0);
        Canvas canvas(whole.pixels.size());
        setBuffer(p, canvas.data(), whole.width, whole.height, m.channels, m.color);
        // Stops inside each scan, and what that scan is.
        std::vector<std::vector<Stop>> stops;
        std::vector<std::string> kinds;
        std::vector<std::pair<int, int>> grids;
        int result = kJpegInterruptSuccess, returns = 0;
        while (result == kJpegInterruptSuccess && ++returns < 100000) {
            p.state.interrupt = 1;
            result = jpegRead(&p, kJpegReadImage);
            const CodecState& s = p.state;
            if (result != kJpegInterruptSuccess || !s.scanInProgress) continue;
            if (stops.size() < size_t(s.scanCount)) {
                stops.resize(s.scanCount);
                kinds.resize(s.scanCount);
                grids.resize(s.scanCount);
                const ScanInfo& scan = s.scan;
                const FrameInfo& f = s.frame;
                kinds[s.scanCount - 1] = scan.ns > 1 ? "interleaved" : s.progressive && scan.ss > 0 ? "ac" : "one";
                if (scan.ns > 1) {
                    grids[s.scanCount - 1] = {(m.width + 8 * f.hmax - 1) / (8 * f.hmax),
                                              (m.height + 8 * f.vmax - 1) / (8 * f.vmax)};
                } else {
                    const FrameComponent& c = f.comp[scan.comp[0].frameIndex];
                    const int w = (m.width * c.h + f.hmax - 1) / f.hmax, h = (m.height * c.v + f.vmax - 1) / f.vmax;
                    grids[s.scanCount - 1] = {(w + 7) / 8, (h + 7) / 8};
                }
            }
            EXPECT_EQ(s.roiLeft, s.roiRight);
            EXPECT_EQ(s.roiTop, s.roiBottom);
            stops[s.scanCount - 1].push_back({s.roiLeft, s.roiTop});
        }
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(std::equal(whole.pixels.begin(), whole.pixels.end(), canvas.data()));
        EXPECT_TRUE(canvas.guardsIntact());
        jpegFree(&p);
        ASSERT_FALSE(stops.empty());
        for (size_t k = 0; k < stops.size(); ++k) {
            SCOPED_TRACE("scan " + std::to_string(k + 1) + " (" + kinds[k] + ")");
            const auto [across, down] = grids[k];
            // Every MCU but the last (the read goes on into the next scan), or
            // every block row's last block but the last row's.
            std::vector<Stop> expected;
            for (int y = 0; y < down; ++y)
                for (int x = kinds[k] == "ac" ? across - 1 : 0; x < across; ++x)
                    if (x + 1 < across || y + 1 < down) expected.push_back({x, y});
            EXPECT_EQ(stops[k].size(), expected.size());
            EXPECT_TRUE(stops[k] == expected);
        }
    }
}

// Row marks belong to the stream they were made from. A record read again
// from another stream in the same place (the same file name, or the same
// buffer address and size) with the same frame and first-scan offset gives
// that stream's region, with or without a parameter read before.
TEST(JpegRegion, RowMarksOfAnotherStreamInTheSamePlaceAreNotUsed) {
    const Made a{"same_place_a", "-sample 2x2", 117, 91, kJpegColorRgb, 3, 3};
    const Made b{"same_place_b", "-sample 2x2", 117, 91, kJpegColorRgb, 3, 11};
    Source one = make(a, "marks"), other = make(b, "marks");
    ASSERT_EQ(findMarker(one.data, 0xDA), findMarker(other.data, 0xDA));
    ASSERT_FALSE(one.data == other.data);
    // The same length: the shorter stream ends in zeros after its end marker.
    const size_t size = std::max(one.data.size(), other.data.size());
    one.data.resize(size, 0);
    other.data.resize(size, 0);
    for (bool file : {false, true})
        for (int scale : {1, 8}) {
            SCOPED_TRACE(std::string(file ? "file" : "memory") + " scale 1/" + std::to_string(scale));
            Source place{one.data, vt_test::scratchDir("jpeg_marks_same_place") + "/picture.jpg"};
            auto put = [&](const Source& from) {
                std::copy(from.data.begin(), from.data.end(), place.data.begin());   // same address
                vt_test::writeFileBytes(place.path, from.data);
            };
            put(one);
            const Picture wholeOne = readWhole(place, scale, file, a.color, a.channels);
            put(other);
            const Picture wholeOther = readWhole(place, scale, file, a.color, a.channels);
            ASSERT_EQ(wholeOne.result, 0);
            ASSERT_EQ(wholeOther.result, 0);
            const jpeg_test::Rect lower{3, wholeOne.height * 3 / 4, wholeOne.width - 2, wholeOne.height};
            JpegProperties p;
            jpegInit(&p);
            struct Step {
                const Source* stream;
                bool params;
                const Picture* whole;
            } steps[] = {{&one, true, &wholeOne}, {&other, true, &wholeOther}, {&one, false, &wholeOne},
                         {&other, false, &wholeOther}, {&other, true, &wholeOther}};
            for (const Step& step : steps) {
                put(*step.stream);
                if (step.params) {
                    ASSERT_EQ(readParams(p, place, file), 0);
                }
                const Picture got = readRegion(p, lower, scale, file, a.color, a.channels);
                EXPECT_EQ(got.result, kJpegRoiSuccess);
                EXPECT_TRUE(got.pixels == cut(*step.whole, lower, got.width, got.height))
                    << (step.stream == &one ? "first" : "second") << " stream"
                    << (step.params ? "" : " without a parameter read");
            }
            EXPECT_GT(rowMarksSet(p), 1);
            jpegFree(&p);
        }
}
