// The full-screen saver window in this process: which input ends it, as the
// engine's window procedure and the library's default handling decide together.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "engine/win32/EngineWindow.h"
#include "engine/win32/ScreenSaverLibrary.h"
#include "tests/win/SaverHost.h"

using namespace vt_win;

namespace {

struct Input {
    UINT message;
    int dx = 0, dy = 0;   // mouse moves: distance from the start position
};

HWND openFullScreen() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    setEngineCommandLine("engine.scr /s");
    if (!registerSaverWindowClass(instance)) return nullptr;
    HWND w = createSaverWindow(instance, nullptr);
    pumpFor(60);   // what the system sends a new window (it may count down the mouse allowance)
    return w;
}

void drainQuit() {
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// Sends the inputs one by one; returns the 1-based input after which the window is gone, 0 for none.
int closingInput(HWND w, const std::vector<Input>& inputs) {
    POINT start = saverLibraryState().startCursor;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const Input& in = inputs[i];
        LPARAM at = 0;
        if (in.message == WM_MOUSEMOVE) {
            POINT p = {start.x + in.dx, start.y + in.dy};
            ScreenToClient(w, &p);
            at = MAKELPARAM(p.x, p.y);
        }
        SendMessageA(w, in.message, 0, at);
        pumpFor(5);
        if (!IsWindow(w)) return static_cast<int>(i) + 1;
    }
    return 0;
}

}  // namespace

TEST(SaverWindow, QuitRulesThroughTheWindowProcedure) {
    struct Case {
        const char* what;
        QuitOptions quit;
        int farMovesAfterAllowance;   // far moves sent once the allowance is used up
        std::vector<Input> then;
        int endsAt;                   // counted within `then`, or -1: the first move after the allowance
    } cases[] = {
        {"the move after the allowance ends", {}, 1, {}, -1},
        {"mouse 1 swallows moves; a key ends", {1, 0, 0}, 5, {{WM_KEYDOWN}}, 1},
        {"mouseClick 1: left swallowed, right ends", {0, 1, 0}, 0, {{WM_LBUTTONDOWN}, {WM_RBUTTONDOWN}}, 2},
        {"middle button ends", {0, 1, 1}, 0, {{WM_MBUTTONDOWN}}, 1},
        {"Key 1: key swallowed, system key ends", {0, 0, 1}, 0, {{WM_KEYDOWN}, {WM_SYSKEYDOWN}}, 2},
        {"a move of four pixels stays, five end", {}, 0, {{WM_MOUSEMOVE, 2, 2}, {WM_MOUSEMOVE, -4, 0}, {WM_MOUSEMOVE, 0, 5}}, 3},
    };
    for (const Case& c : cases) {
        HWND w = openFullScreen();
        ASSERT_TRUE(w) << c.what;
        EXPECT_EQ(GetParent(w), nullptr);
        EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
        windowRunOptions().quit = c.quit;
        int allowance = engineWindowState().mouseMoveAllowance;
        EXPECT_LE(allowance, 10);
        EXPECT_GE(allowance, 5) << "only a few moves come from the system";
        std::vector<Input> inputs(allowance, Input{WM_MOUSEMOVE, 300, 200});
        for (int i = 0; i < c.farMovesAfterAllowance; ++i) inputs.push_back({WM_MOUSEMOVE, -300, 250});
        inputs.insert(inputs.end(), c.then.begin(), c.then.end());
        int expected = c.endsAt < 0 ? allowance + 1 : (c.endsAt == 0 ? 0 : allowance + c.farMovesAfterAllowance + c.endsAt);
        EXPECT_EQ(closingInput(w, inputs), expected) << c.what;
        if (IsWindow(w)) DestroyWindow(w);
        EXPECT_EQ(engineWindowState().frameTimerId, 0);
        drainQuit();
    }
    setEngineCommandLine(nullptr);
}

TEST(SaverWindow, SystemCommandsSwallowedAndCursorHidden) {
    HWND w = openFullScreen();
    ASSERT_TRUE(w);
    EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    pumpFor(20);
    EXPECT_TRUE(IsWindow(w));
    // A not-started engine (no display mode could be set) stops its frame timer at the first tick.
    if (!engineWindowState().engineStarted) {
        pumpUntil(1000, [] { return engineWindowState().frameTimerId == 0; });
        EXPECT_EQ(engineWindowState().frameTimerId, 0);
        EXPECT_EQ(engineWindowState().framesDrawn, 0u);
    }
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    drainQuit();
    setEngineCommandLine(nullptr);
}
