// The saver's command-line modes, as the system and the display control panel start it.
#include <gtest/gtest.h>

#include "engine/SaverCommandLine.h"

TEST(SaverCommandLine, ModesAndWindows) {
    constexpr uint64_t kUnset = 99;
    struct Case { const char* line; int32_t mode; uint64_t window; } cases[] = {
        {"engine.scr", kModeSettings, kUnset},
        {"engine.scr   ", kModeSettings, kUnset},
        {"", kModeSettings, kUnset},
        {"engine.scr /c", kModeSettings, 0},
        {"engine.scr /c:1234", kModeSettings, 1234},
        {"engine.scr -C 77", kModeSettings, 77},
        {"engine.scr /s", kModeFullScreen, kUnset},
        {"engine.scr -s", kModeFullScreen, kUnset},
        {"engine.scr /S", kModeFullScreen, kUnset},
        {"engine.scr s", kModeFullScreen, kUnset},
        {"engine.scr /p 1234", kModePreview, 1234},
        {"engine.scr /P:1234", kModePreview, 1234},
        {"engine.scr /l   1234", kModePreview, 1234},
        {"engine.scr -L::  1234 extra", kModePreview, 1234},
        {"engine.scr /p1234", kModePreview, 1234},
        {"engine.scr /p", kModePreview, 0},
        {"engine.scr /p x12", kModePreview, 0},
        {"engine.scr /p 99999999999999999999999", kModePreview, UINT64_MAX},
        {"engine.scr /a", kModePassword, 0},
        {"engine.scr /A 42", kModePassword, 42},
        {"engine.scr /x", kModeNone, kUnset},
        {"engine.scr /", kModeNone, kUnset},
        {"engine.scr --s", kModeNone, kUnset},
        {"\"C:\\Program Files\\My Savers\\Beach Party.scr\" /s", kModeFullScreen, kUnset},
        {"\"C:\\Program Files\\My Savers\\Beach Party.scr\"/p 5", kModePreview, 5},
        {"\"C:\\Program Files\\unterminated /s", kModeSettings, kUnset},
        {"C:\\Savers\\beach.scr    /s", kModeFullScreen, kUnset},
    };
    for (const Case& c : cases) {
        int32_t mode = kModeNone;
        uint64_t window = kUnset;
        parseSaverCommandLine(c.line, &mode, &window);
        EXPECT_EQ(mode, c.mode) << c.line;
        EXPECT_EQ(window, c.window) << c.line;
    }
}

TEST(SaverCommandLine, UnknownSwitchKeepsTheModeItHad) {
    int32_t mode = kModePreview;
    uint64_t window = 5;
    parseSaverCommandLine("engine.scr /q 17", &mode, &window);
    EXPECT_EQ(mode, kModePreview);
    EXPECT_EQ(window, 5u);
    parseSaverCommandLine(nullptr, &mode, &window);
    EXPECT_EQ(mode, kModeSettings);
}
