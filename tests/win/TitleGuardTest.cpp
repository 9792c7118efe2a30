// A fault in a title row, or in a style pass inside the rasteriser, is caught,
// logged with the unit's path and line, and the show goes on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CG/CGEffect_Pre.h"
#include "CG/TitleTable.h"
#include "engine/CrashLog.h"
#include "render/Platform.h"
#include "tests/support/TestSupport.h"

namespace {

const char* volatile g_badText = reinterpret_cast<const char*>(16);
Pixel* volatile g_badPixels = reinterpret_cast<Pixel*>(64);

std::string logText(const std::string& path) {
    auto bytes = vt_test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class TitleGuard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(faultGuardCatches());
        logPath_ = vt_test::scratchDir("title-guard") + "/debug.txt";
        setDebugLogPath(logPath_.c_str());
        std::memset(&record_, 0, sizeof record_);
        record_.destination = canvas_.pixels();
        record_.rect = Rect{0, 0, 200, 100};
        record_.pitch = canvas_.pitch();
        record_.width = 200;
        record_.height = 100;
        record_.firstFrame = 1;
        TitleFields& t = record_.state.title;
        t.titleFont = &font_;
        t.titleFormat = 21;
        t.titleColor = 0x00FFFFFF;
        t.titleFontSize = 60;
    }
    void TearDown() override {
        platformDeleteImage(record_.state.title.titleBitmap);
        setDebugLogPath("");
    }
    std::string logPath_;
    vt_test::GuardedBuffer canvas_{200, 100, 0};
    TextFont font_;
    EffectParams record_;
};

TEST_F(TitleGuard, FaultingStyleRowIsLoggedAndTheNextTitleDraws) {
    record_.state.title.titleText = g_badText;
    runTitleStyle(8, &record_);
    runTitleMotionEffect(0, 0, &record_);   // no image: nothing to draw
    EXPECT_NE(std::string::npos, logText(logPath_).find("CG\\CGEffect_Pre(")) << logText(logPath_);
    EXPECT_EQ(record_.state.title.titlePixels, nullptr);

    record_.state.title.titleText = "Next";
    record_.state.title.titleFontSize = 60;
    runTitleStyle(8, &record_);
    runTitleMotionEffect(0, 0, &record_);
    ASSERT_NE(record_.state.title.titlePixels, nullptr);
    int drawn = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) drawn += canvas_.at(x, y) != 0;
    EXPECT_GT(drawn, 10);
    EXPECT_TRUE(canvas_.guardIntact());
}

TEST_F(TitleGuard, FaultingStylePassIsLoggedByItsOwnGuard) {
    for (int32_t code : {kStyleBevel, kStyleUltung, kStyleWhiten, kStyleNeon, kStyleShadowOnly})
        applyTitleStyle(code, g_badPixels, 40, 40, 160, 0xFF);
    const std::string log = logText(logPath_);
    size_t records = 0;
    for (size_t at = log.find("CG\\CGEffect_Pre("); at != std::string::npos; at = log.find("CG\\CGEffect_Pre(", at + 1))
        ++records;
    EXPECT_EQ(records, 5u) << log;
}

}  // namespace
