#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/CrashLog.h"
#include "tests/support/TestSupport.h"

namespace {

// A log folder that cannot be written: the same file name in the temp folder.
TEST(CrashLog, UnwritableFolderFallsBackToTheTempFolder) {
    std::string temp = vt_test::scratchDir("crashlog-temp");
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    setenv("TMPDIR", temp.c_str(), 1);
    std::string path = vt_test::scratchDir("crashlog-missing") + "/no-such-folder/" + "debug.txt";
    setDebugLogPath(path.c_str());
    writeTraceLine("Sfx\\Image_Effect_Plain", 9);
    setDebugLogPath("");
    if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
    std::vector<uint8_t> bytes = vt_test::readFileBytes(temp + "/debug.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "Sfx\\Image_Effect_Plain(9)\n-----------------------------------------------------\n");
}

// Natively the guard is a plain call (the Windows guard is tested under Wine).
TEST(CrashLog, GuardedEntryRunsItsBodyAndReportsOnlyFaults) {
    std::string path = vt_test::scratchDir("crashlog-guard") + "/debug.txt";
    setDebugLogPath(path.c_str());
    resetFaultCounts();
    int ran = 0;
    runGuardedEntry("Animation\\ANI_Dot", 40, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(vt_test::readFileBytes(path).empty());
    setDebugLogPath("");
}

}  // namespace
