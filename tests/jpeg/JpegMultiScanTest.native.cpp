// Sequential pictures whose components come in separate scans get their
// colours by a pass over the finished image, whose green term rounds the
// other way from the per-MCU conversion: a flat mid-grey gives G = 128 there
// and 129 from a single-scan picture. The pass converts only the pixels the
// read wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/jpeg/JpegRegionUtil.h"
#include "tests/jpeg/JpegToolUtil.h"

using namespace jpeg_test;

namespace {

Bytes makeJpeg(const Image& img, const std::string& name, const std::string& options) {
    const std::string dir = vt_test::scratchDir("jpeg_multiscan_" + name);
    const std::string pnm = dir + "/in.pnm", jpg = dir + "/out.jpg", scans = dir + "/scans.txt";
    writePnm(pnm, img);
    std::FILE* f = std::fopen(scans.c_str(), "w");
    if (f) {
        std::fputs("0;\n1;\n2;\n", f);
        std::fclose(f);
    }
    std::string o = options;
    if (size_t at = o.find("SCANS"); at != std::string::npos) o.replace(at, 5, scans);
    EXPECT_EQ(run("cjpeg -quality 90 " + o + " -outfile " + jpg + " " + pnm), 0) << name;
    return vt_test::readFileBytes(jpg);
}

// A read into a buffer `extra` pixels wider and taller than the picture.
Picture readInto(const Bytes& jpeg, int color, int channels, int extra, int forcedJpegColor = 0) {
    Picture out;
    JpegProperties p;
    jpegInit(&p);
    Source src{jpeg, ""};
    EXPECT_EQ(readParams(p, src, false), 0);
    out.width = p.jpegWidth + extra;
    out.height = p.jpegHeight + extra;
    out.channels = channels;
    Canvas canvas(size_t(out.width) * out.height * channels);
    setBuffer(p, canvas.data(), out.width, out.height, channels, color);
    if (forcedJpegColor) p.jpegColor = forcedJpegColor;
    out.result = jpegRead(&p, kJpegReadImage);
    EXPECT_TRUE(canvas.guardsIntact());
    out.pixels.assign(canvas.data(), canvas.data() + canvas.bytes);
    jpegFree(&p);
    return out;
}

uint8_t clampByte(int v) { return uint8_t(std::clamp(v, 0, 255)); }

}  // namespace

TEST(JpegMultiScan, FlatMidGreyKeepsItsGreenOnlyWhenScansAreSplit) {
    const Image grey{32, 16, 3, Bytes(32 * 16 * 3, 128)};
    const Bytes single = makeJpeg(grey, "flat_single", "-sample 1x1");
    const Bytes split = makeJpeg(grey, "flat_split", "-sample 1x1 -scans SCANS");
    struct Case {
        int color, channels;
        uint8_t singleScan[4], splitScans[4];
    };
    const Case cases[] = {
        {kJpegColorRgb, 3, {128, 129, 128}, {128, 128, 128}},
        {kJpegColorBgr, 3, {128, 129, 128}, {128, 128, 128}},
        {kJpegColorRgba, 4, {128, 129, 128, 255}, {128, 128, 128, 255}},
    };
    for (const Case& c : cases) {
        const Picture a = readInto(single, c.color, c.channels, 0), b = readInto(split, c.color, c.channels, 0);
        ASSERT_EQ(a.result, 0);
        ASSERT_EQ(b.result, 0);
        for (size_t i = 0; i < a.pixels.size(); ++i) {
            ASSERT_EQ(a.pixels[i], c.singleScan[i % c.channels]) << "single scan, colour " << c.color << " byte " << i;
            ASSERT_EQ(b.pixels[i], c.splitScans[i % c.channels]) << "split scans, colour " << c.color << " byte " << i;
        }
    }
}

TEST(JpegMultiScan, SplitScansConvertTheWrittenSamplesInPlace) {
    const Image photo = photoLike(70, 45, 5);
    for (const char* sampling : {"-sample 2x2", "-sample 1x1"}) {
        const Bytes split = makeJpeg(photo, "photo_split", std::string(sampling) + " -scans SCANS");
        // The samples as stored: the picture read as if it needed no conversion.
        const Picture raw = readInto(split, kJpegColorRgb, 3, 0, kJpegColorRgb);
        ASSERT_EQ(raw.result, 0);
        for (int color : {kJpegColorRgb, kJpegColorBgr, kJpegColorRgba}) {
            const int ch = color == kJpegColorRgba ? 4 : 3;
            const int extra = 5;
            const Picture got = readInto(split, color, ch, extra);
            ASSERT_EQ(got.result, 0);
            bool same = true, outsideUntouched = true;
            for (int y = 0; y < got.height; ++y)
                for (int x = 0; x < got.width; ++x) {
                    const uint8_t* g = &got.pixels[(size_t(y) * got.width + x) * ch];
                    if (x >= raw.width || y >= raw.height) {
                        for (int c = 0; c < ch; ++c) outsideUntouched &= g[c] == Canvas::kFill;
                        continue;
                    }
                    const uint8_t* s = &raw.pixels[(size_t(y) * raw.width + x) * 3];
                    const int Y = s[0], cb = s[1], cr = s[2];
                    const uint8_t r = clampByte(Y + ((359 * cr - 45813) >> 8));
                    const uint8_t gr = clampByte(Y + ((34806 - 88 * cb - 183 * cr) >> 8));
                    const uint8_t b = clampByte(Y + ((454 * cb - 57937) >> 8));
                    const uint8_t want[4] = {color == kJpegColorBgr ? b : r, gr, color == kJpegColorBgr ? r : b, 255};
                    for (int c = 0; c < ch; ++c) same &= g[c] == want[c];
                }
            EXPECT_TRUE(same) << sampling << " colour " << color;
            EXPECT_TRUE(outsideUntouched) << sampling << " colour " << color;
        }
    }
}
