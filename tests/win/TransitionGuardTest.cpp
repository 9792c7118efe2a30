// A fault inside a transition row is caught by the row's guard, logged with the
// unit's path and the entry's line, and the show goes on: the frame keeps what
// the worker drew before the fault and the next frame runs the row again.
#include <gtest/gtest.h>

#include <string>

#include "Transition/TransitionEntry.h"
#include "Transition/TransitionTable.h"
#include "engine/CrashLog.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {

Pixel* volatile g_nowhere = nullptr;

// Draws the first row, then writes through a null pointer.
void drawRowThenFault(EffectParams* t) {
    for (int x = 0; x < t->width; ++x) t->destination[x] = 0x00ABCDEF;
    g_nowhere[t->width] = 1;
}

struct Frame {
    GuardedBuffer out{16, 8, 0x000000}, in{16, 8, 0xFFFFFF}, canvas{16, 8, 0x0F0F0F};
    EffectParams record{};
    Frame() {
        record.source = out.pixels();
        record.source2 = in.pixels();
        record.destination = canvas.pixels();
        record.rect = {0, 0, 16, 8};
        record.pitch = out.pitch();
        record.width = 16;
        record.height = 8;
        record.progress = 0.5f;
        record.firstFrame = 1;
    }
};

std::string logText(const std::string& path) {
    auto bytes = vt_test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class TransitionGuard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(faultGuardCatches());
        logPath_ = vt_test::scratchDir("transition-guard") + "/debug.txt";
        setDebugLogPath(logPath_.c_str());
    }
    void TearDown() override { setDebugLogPath(""); }
    std::string logPath_;
};

TEST_F(TransitionGuard, FaultingRowIsLoggedAndTheFrameGoesOn) {
    Frame f;
    const EffectEntry entry = &transitionEntry<TransitionUnit::Plain, 4321, &drawRowThenFault>;
    entry(&f.record);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(0x00ABCDEFu, f.canvas.at(x, 0));   // drawn before the fault
    EXPECT_EQ(0x0F0F0Fu, f.canvas.at(0, 1));

    f.record.firstFrame = 0;
    entry(&f.record);   // the next frame calls the same entry again
    const std::string log = logText(logPath_);
    EXPECT_EQ(2u, countOf(log, "Transition\\Transition_Plain(4321)\n" + std::string(53, '-') + "\n")
                      + countOf(log, "Transition\\Transition_Plain(4321)\r\n" + std::string(53, '-') + "\r\n"))
        << log;
}

// A real row with a picture pointer that faults: its own entry catches it, and
// the same row draws the next frame normally.
TEST_F(TransitionGuard, TableRowsAreGuarded) {
    int fade = -1;
    for (int i = 0; i < transitionCount; ++i)
        if (transitionTable[i].number == 192) fade = i;
    ASSERT_GE(fade, 0);
    Frame f;
    f.record.source = g_nowhere;
    runTransition(fade, &f.record);
    EXPECT_NE(std::string::npos, logText(logPath_).find("Transition\\Transition_Plain("));

    f.record.source = f.out.pixels();
    f.record.firstFrame = 0;
    runTransition(fade, &f.record);
    EXPECT_EQ(0x7F7F7Fu, f.canvas.at(3, 3));
    EXPECT_TRUE(f.canvas.guardIntact());
}

}  // namespace
