// The in-process preview host: the saver's window procedure runs in a child of
// this program's own window, as in the display control panel, and the child's
// pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include "engine/ScenarioPackage.h"
#include "engine/win32/EngineWindow.h"
#include "engine/win32/ScreenSaverLibrary.h"
#include "tests/win/SaverHost.h"

using namespace vt_win;

namespace {
constexpr uint32_t kWhite = 0x00FFFFFF;
}

TEST(PreviewHost, EngineWithoutPackageDrawsBlackFramesIntoTheChild) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND host = createHostWindow(200, 150);
    ASSERT_TRUE(host);
    std::string line = "engine.scr /p " + windowNumber(host);
    setEngineCommandLine(line.c_str());
    ASSERT_TRUE(registerSaverWindowClass(instance));
    HWND saver = createSaverWindow(instance, host);
    ASSERT_TRUE(saver);

    const EngineWindowState& state = engineWindowState();
    EXPECT_EQ(state.screenSaverMode, 3);
    EXPECT_EQ(state.previewParent, host);
    EXPECT_EQ(state.engineStarted, 1);
    EXPECT_EQ(state.frameTimerId, 10);
    EXPECT_EQ(state.startWidth, 200);
    EXPECT_EQ(state.startHeight, 150);
    EXPECT_NE(enginePackage(), nullptr) << "the record exists even when the module holds no package";
    EXPECT_EQ(GetParent(saver), host);
    RECT client = {};
    GetClientRect(saver, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    pumpFor(100);

    // Paint the child white behind the engine's back: only its frames turn it black again.
    HDC dc = GetDC(saver);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(saver, dc);
    int w = 0, h = 0;
    std::vector<uint32_t> before = captureClient(saver, &w, &h);
    ASSERT_EQ(countPixels(before, kWhite), before.size()) << "the capture sees what was painted";

    uint32_t framesBefore = state.framesDrawn;
    EXPECT_TRUE(pumpUntil(3000, [&] { return state.framesDrawn >= framesBefore + 5; }))
        << "the 33 ms frame timer draws";
    std::vector<uint32_t> after = captureClient(saver, &w, &h);
    EXPECT_EQ(countPixels(after, 0), after.size()) << "a saver without a package shows black frames";

    // A child grown past what the buffers were made for is drawn at the start-up size.
    SetWindowPos(saver, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE);
    int32_t fw = 0, fh = 0;
    frameSizeFor(saver, &fw, &fh);
    EXPECT_EQ(fw, 200);
    EXPECT_EQ(fh, 150);
    SetWindowPos(saver, nullptr, 0, 0, 120, 90, SWP_NOZORDER | SWP_NOMOVE);
    frameSizeFor(saver, &fw, &fh);
    EXPECT_EQ(fw, 120);
    EXPECT_EQ(fh, 90);

    // Closing the host takes the child along; the engine releases everything.
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(saver));
    EXPECT_EQ(state.frameTimerId, 0);
    EXPECT_EQ(state.engineStarted, 0);
    EXPECT_EQ(enginePackage(), nullptr);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop is told to end";
    EXPECT_EQ(quit.wParam, 0u);
    setEngineCommandLine(nullptr);
}

TEST(PreviewHost, PreviewIgnoresInputAndSurvivesItsParentsTimerCheck) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND host = createHostWindow(160, 120);
    std::string line = "engine.scr /p:" + windowNumber(host);
    setEngineCommandLine(line.c_str());
    ASSERT_TRUE(registerSaverWindowClass(instance));
    HWND saver = createSaverWindow(instance, host);
    ASSERT_TRUE(saver);
    pumpFor(50);
    const UINT inputs[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    for (int i = 0; i < 30; ++i) SendMessageA(saver, WM_MOUSEMOVE, 0, MAKELPARAM(100 + i * 9, 5));
    for (UINT m : inputs) SendMessageA(saver, m, 0, 0);
    pumpFor(150);
    EXPECT_TRUE(IsWindow(saver)) << "a preview is ended only by its parent";
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(saver));
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    setEngineCommandLine(nullptr);
}
