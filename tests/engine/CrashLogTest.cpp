#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/CrashLog.h"
#include "tests/support/TestSupport.h"

namespace {

std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes = vt_test::readFileBytes(path);
    std::string text(bytes.begin(), bytes.end());
    std::string out;  // the Windows build writes in text mode
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(CrashLog, TheLogNameIsKorean) {
    EXPECT_EQ(std::string(kDebugLogName), "c:\\\xED\x99\x94\xEB\xA9\xB4\xEB\xB3\xB4\xED\x98\xB8\xEA\xB8\xB0\xEB\x94\x94"
                                          "\xEB\xB2\x84\xEA\xB7\xB8.txt");
}

TEST(CrashLog, ReasonTable) {
    struct Case {
        uint32_t code;
        const char* starts;
    } cases[] = {
        {0xC0000005, "The thread tried to read from or write to a virtual address"},
        {0xC0000094, "The thread tried to divide an integer value by an integer divisor of zero."},
        {0xC00000FD, "The thread used up its stack."},
        {0x80000003, "A breakpoint was encountered."},
        {0xE06D7363, "Unhandled Microsoft C++ Exception"},
    };
    for (const Case& c : cases) {
        const char* text = crashReasonText(c.code);
        ASSERT_NE(text, nullptr) << std::hex << c.code;
        EXPECT_EQ(std::string(text).rfind(c.starts, 0), 0u) << text;
    }
    // All 21 codes are known; others and 0 (the end row) are not.
    const uint32_t known[] = {0xC0000005, 0xC000008C, 0x80000003, 0x80000002, 0xC000008D, 0xC000008E, 0xC000008F,
                              0xC0000090, 0xC0000091, 0xC0000092, 0xC0000093, 0xC000001D, 0xC0000006, 0xC0000094,
                              0xC0000095, 0xC0000026, 0xC0000025, 0xC0000096, 0x80000004, 0xC00000FD, 0xE06D7363};
    for (uint32_t code : known) EXPECT_NE(crashReasonText(code), nullptr) << std::hex << code;
    EXPECT_EQ(crashReasonText(0xDEADBEEF), nullptr);
    EXPECT_EQ(crashReasonText(0), nullptr);
}

TEST(CrashLog, ReportFormat) {
    FaultRecord f{};
    f.code = 0x12345678;
    f.regs.ax = 0x1;
    f.regs.bx = 0xABCDEF01;
    f.regs.cx = 0x2;
    f.regs.dx = 0x3;
    f.regs.bp = 0x0000000140001000ull;  // a 64-bit register prints in full
    f.regs.si = 0x10;
    f.regs.di = 0x20;
    f.regs.sp = 0x30;
    f.regs.ip = 0x40;
    f.regs.ds = 0x2b;
    f.regs.es = 0x2b;
    f.regs.ss = 0x2b;
    f.regs.cs = 0x33;
    f.regs.fs = 0x53;
    f.regs.gs = 0x2b;
    f.regs.eflags = 0x10246;
    // TOP = 6: physical register i is save-area slot (i - 6) mod 8.
    f.regs.fpuStatus = 6 << 11;
    for (int slot = 0; slot < 8; ++slot)
        for (int b = 0; b < 8; ++b) f.regs.fpuRegs[slot][b] = static_cast<uint8_t>(slot * 16 + b);
    std::string expected =
        "\n"
        "Crash reason: unknown exception 0x12345678\n"
        "Register Output\n"
        "EAX = 00000001\n"
        "EBX = abcdef01\n"
        "ECX = 00000002\n"
        "EDX = 00000003\n"
        "EBP = 140001000\n"
        "DS:ESI = 002b:00000010\n"
        "ES:EDI = 002b:00000020\n"
        "SS:ESP = 002b:00000030\n"
        "CS:EIP = 0033:00000040\n"
        "FS = 0053\n"
        "GS = 002b\n"
        "EFLAGS = 00010246\n"
        "\n"
        "MM0 = 2726252423222120\n"  // slot 2
        "MM1 = 3736353433323130\n"  // slot 3
        "MM2 = 4746454443424140\n"
        "MM3 = 5756555453525150\n"
        "MM4 = 6766656463626160\n"
        "MM5 = 7776757473727170\n"
        "MM6 = 0706050403020100\n"  // slot 0
        "MM7 = 1716151413121110\n";
    EXPECT_EQ(formatCrashReport(f), expected);

    f.code = 0xC0000094;
    std::string report = formatCrashReport(f);
    EXPECT_EQ(report.rfind("\nCrash reason: The thread tried to divide an integer value by an integer divisor of "
                           "zero.\nRegister Output\n",
                           0),
              0u);
    EXPECT_EQ(formatTraceLine("Animation\\ANI_Bubble", 120),
              "Animation\\ANI_Bubble(120)\n-----------------------------------------------------\n");
}

TEST(CrashLog, RecordsAppendAndTheFloodStopsWithOneNotice) {
    std::string path = vt_test::scratchDir("crashlog") + "/debug.txt";
    setDebugLogPath(path.c_str());
    resetFaultCounts();
    FaultRecord f{};
    f.code = 0xC0000094;
    vt_test::writeFileBytes(path, {'o', 'l', 'd', '\n'});
    for (int frame = 0; frame < 50; ++frame) reportEntryFault("Sfx\\Image_Effect_Water", 77, f);
    reportEntryFault("Transition\\Transition_Wipe", 12, f);
    crashFilter(f);  // the plain pair is written whatever the counts
    writeTraceLine("CG\\CGEffect_Pre", 5);
    std::string text = readText(path);
    EXPECT_EQ(text.rfind("old\n\nCrash reason: ", 0), 0u);  // appended, never truncated
    EXPECT_EQ(countOf(text, "Sfx\\Image_Effect_Water(77)\n---"), size_t(kReportsPerSite));
    EXPECT_EQ(countOf(text, "further faults here are not written"), 1u);
    EXPECT_EQ(countOf(text, "Transition\\Transition_Wipe(12)\n"), 1u);
    EXPECT_EQ(countOf(text, "Crash reason: "), size_t(kReportsPerSite + 2));
    EXPECT_EQ(countOf(text, "CG\\CGEffect_Pre(5)\n"), 1u);
    // Each report comes before its trace record.
    EXPECT_LT(text.rfind("Crash reason"), text.rfind("CG\\CGEffect_Pre(5)"));

    // No path: nothing is written, the caller goes on.
    setDebugLogPath("");
    EXPECT_EQ(crashFilter(f), 1);
    writeTraceLine("x", 1);
    EXPECT_EQ(readText(path), text);
    resetFaultCounts();
}

// A C++ exception inside a guarded entry (a row's container running out of
// memory) is caught at the guard and logged like a fault; the caller goes on.
TEST(CrashLog, GuardedEntryCatchesCppExceptionsAndLogsThem) {
    std::string path = vt_test::scratchDir("crashlog-cpp") + "/debug.txt";
    setDebugLogPath(path.c_str());
    resetFaultCounts();
    struct Case {
        const char* name;
        void (*body)();
    } cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }},
        {"vector too long", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }},
        {"runtime_error", [] { throw std::runtime_error("row"); }},
        {"not a std::exception", [] { throw 7; }},
    };
    int line = 1;
    for (const Case& c : cases) {
        FaultRecord fault{};
        fault.code = 1;
        bool after = false;
        EXPECT_FALSE(guardedCall([&] { c.body(); after = true; }, &fault)) << c.name;
        EXPECT_FALSE(after) << c.name;
        EXPECT_EQ(fault.code, kCppExceptionCode) << c.name;
        runGuardedEntry("Sfx\\Image_Effect_Water", line++, [&] { c.body(); });
    }
    std::string text = readText(path);
    EXPECT_EQ(countOf(text, "Crash reason: Unhandled Microsoft C++ Exception\n"), 4u);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(countOf(text, "Sfx\\Image_Effect_Water(" + std::to_string(i) + ")\n---"), 1u) << i;
    // The guard is left clean: a normal call still runs and returns true.
    int ran = 0;
    EXPECT_TRUE(guardedCall([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    setDebugLogPath("");
    resetFaultCounts();
}

}  // namespace
