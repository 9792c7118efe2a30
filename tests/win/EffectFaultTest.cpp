// An effect entry that faults under the Windows fault guard: one crash report and
// one trace record in the log, and the next frame runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/CrashLog.h"

namespace {

std::string logPath() {
    char temp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH + 1, temp);
    return std::string(temp) + "vt-effect-fault-log.txt";
}

std::string readLog(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

volatile int g_divisor = 0;
int g_frames = 0;

// A row entry as the effect families write them.
void faultingEntry(bool fault) {
    runGuardedEntry("Sfx\\Image_Effect_Test", 42, [&] {
        ++g_frames;
        if (fault) g_frames += 100 / g_divisor;
    });
}

TEST(EffectFault, OneReportAndOneTraceRecordAndTheShowGoesOn) {
    ASSERT_TRUE(faultGuardCatches());
    std::string path = logPath();
    DeleteFileA(path.c_str());
    setDebugLogPath(path.c_str());
    resetFaultCounts();

    faultingEntry(true);
    faultingEntry(false);  // the next frame
    EXPECT_EQ(g_frames, 2);
    std::string log = readLog(path);
    EXPECT_EQ(countOf(log, "Crash reason: "), 1u);
    EXPECT_EQ(countOf(log, "Crash reason: The thread tried to divide an integer value by an integer divisor of zero.\r\n"
                           "Register Output\r\n"),
              1u);
    EXPECT_EQ(countOf(log, "\r\nMM7 = "), 1u);
    EXPECT_EQ(countOf(log, "Sfx\\Image_Effect_Test(42)\r\n-----------------------------------------------------\r\n"),
              1u);
    EXPECT_LT(log.find("Crash reason"), log.find("Sfx\\Image_Effect_Test(42)"));

    // Faulting on every frame: a few reports, one notice, then silence.
    for (int frame = 0; frame < 200; ++frame) faultingEntry(true);
    log = readLog(path);
    EXPECT_EQ(countOf(log, "Crash reason: "), size_t(kReportsPerSite));
    EXPECT_EQ(countOf(log, "further faults here are not written"), 1u);
    EXPECT_EQ(g_frames, 202);

    setDebugLogPath("");
    resetFaultCounts();
    DeleteFileA(path.c_str());
}

}  // namespace
