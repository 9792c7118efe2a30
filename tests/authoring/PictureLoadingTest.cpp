// The wizard's JPEG loading: fitted, centred on black, failures leave the area alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/PictureLoading.h"
#include "tests/support/TestSupport.h"

namespace {

std::string picture(const char* name) { return vt_test::sourceDir() + "/tests/data/jpeg/" + name; }

int channel(Pixel p, int shift) { return (p >> shift) & 0xFF; }

}  // namespace

TEST(PictureLoading, FitsAndCentresIntoTheArea) {
    // 40 x 30 into 20 x 30: fitted to 20 x 15, black bands above and below.
    const int w = 20, h = 30, pitch = 24;
    std::vector<Pixel> area(static_cast<size_t>(h) * pitch, 0xABCDEFu);
    ASSERT_EQ(loadJpegToDib(picture("base420.jpg").c_str(), area.data(), w, h, pitch), 1);
    EXPECT_EQ(area[0], 0u);
    EXPECT_EQ(area[static_cast<size_t>(h - 1) * pitch + w - 1], 0u);
    int lit = 0;
    for (int x = 0; x < w; ++x) lit += area[static_cast<size_t>(15) * pitch + x] != 0;
    EXPECT_GT(lit, w / 2);
    EXPECT_EQ(area[w], 0xABCDEFu);   // the pitch's tail is not the area's
}

TEST(PictureLoading, GreyPicturesGiveGreyPixels) {
    std::vector<Pixel> area(40 * 30);
    ASSERT_EQ(loadJpegToDib(picture("grey.jpg").c_str(), area.data(), 40, 30, 40), 1);
    for (Pixel p : area) ASSERT_EQ(channel(p, 16), channel(p, 0)) << std::hex << p;
    int32_t iw = -1, ih = -1;
    EXPECT_EQ(probeJpegSize(picture("grey.jpg").c_str(), &iw, &ih), 0u);
    EXPECT_EQ(iw, 40);
    EXPECT_EQ(ih, 30);
}

TEST(PictureLoading, MissingOrDamagedFilesLeaveTheAreaAlone) {
    std::string dir = vt_test::scratchDir("PictureLoading");
    std::vector<uint8_t> bytes = vt_test::readFileBytes(picture("base444.jpg"));
    ASSERT_GT(bytes.size(), 400u);
    bytes.resize(bytes.size() / 2);   // the header reads, the scan does not
    ASSERT_TRUE(vt_test::writeFileBytes(dir + "/half.jpg", bytes));
    ASSERT_TRUE(vt_test::writeFileBytes(dir + "/text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'g'}));
    for (std::string path : {dir + "/missing.jpg", dir + "/text.jpg", dir + "/half.jpg"}) {
        std::vector<Pixel> area(16 * 16, 0x123456u);
        EXPECT_EQ(loadJpegToDib(path.c_str(), area.data(), 16, 16, 16), 0) << path;
        EXPECT_EQ(area[0], 0x123456u) << path;
        EXPECT_EQ(area[255], 0x123456u) << path;
        if (path.find("half") != std::string::npos) continue;
        int32_t iw = 7, ih = 7;
        EXPECT_EQ(probeJpegSize(path.c_str(), &iw, &ih), 0u);
        EXPECT_EQ(iw, 7);   // not written
    }
}
