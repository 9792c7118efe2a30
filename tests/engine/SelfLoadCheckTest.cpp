#include <gtest/gtest.h>

#include "engine/SelfLoadCheck.h"

namespace {

TEST(SelfLoadCheck, ProgramPathFromTheCommandLine) {
    struct Case {
        const char* commandLine;
        const char* path;
    } cases[] = {
        {"C:\\WINDOWS\\BEACH.SCR /s", "C:\\WINDOWS\\BEACH.SCR"},
        {"C:\\Rain\\beach.scr /s", "C:\\Rain\\beach.scr"},  // an R in the folder is no cut
        {"C:\\RAIN\\REEF.SCR", "C:\\RAIN\\REEF.SCR"},
        {"\"C:\\Program Files\\My Saver.scr\" /p 1234", "C:\\Program Files\\My Saver.scr"},
        {"\"C:\\unterminated quote.scr", "C:\\unterminated quote.scr"},
        {"C:\\My Savers\\Beach.scr /c:5678", "C:\\My Savers\\Beach.scr"},
        {"C:\\old.scr.bak\\beach.Scr\t/s", "C:\\old.scr.bak\\beach.Scr"},
        {"   engine.scr", "engine.scr"},
        {"C:\\tools\\test_engine.exe --gtest_filter=x", "C:\\tools\\test_engine.exe"},
        {"", ""},
        {"   ", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(selfLoadModulePath(c.commandLine), c.path) << c.commandLine;
    EXPECT_EQ(selfLoadModulePath(nullptr), "");
}

}  // namespace
