// A frame step that pumps messages, as a message box inside an effect does, must
// not let the 33 ms frame timer start another frame inside it: the saver window
// runs in a preview host with an image effect that waits in a message loop.
#include <gtest/gtest.h>
#include <windows.h>

#include "engine/FamilyServices.h"
#include "engine/win32/EngineWindow.h"
#include "engine/win32/ScreenSaverLibrary.h"
#include "tests/win/SaverHost.h"

using namespace vt_win;

namespace {

int g_depth = 0;
int g_deepest = 0;
int g_calls = 0;

// What a modal box does to the thread: dispatches its messages until dismissed.
void pumpingEffect(int, EffectParams*) {
    ++g_calls;
    if (++g_depth > g_deepest) g_deepest = g_depth;
    if (g_calls <= 2) pumpFor(300);   // about nine timer periods
    --g_depth;
}

const int32_t kOneRow = 1;

}  // namespace

TEST(FrameReentry, AFramePumpingMessagesIsNeverEnteredAgain) {
    FamilyServices families;
    families.runImageEffect = pumpingEffect;
    families.imageEffectCount = &kOneRow;
    setEngineFamilies(&families);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND host = createHostWindow(160, 120);
    ASSERT_TRUE(host);
    std::string line = "engine.scr /p " + windowNumber(host);
    setEngineCommandLine(line.c_str());
    ASSERT_TRUE(registerSaverWindowClass(instance));
    HWND saver = createSaverWindow(instance, host);
    ASSERT_TRUE(saver);
    const EngineWindowState& state = engineWindowState();
    ASSERT_EQ(state.engineStarted, 1);

    EXPECT_TRUE(pumpUntil(5000, [] { return g_calls >= 4; })) << g_calls;
    EXPECT_EQ(g_deepest, 1) << "a frame started inside another";
    EXPECT_GT(state.framesRefused, 0u) << "the timer did fire while the frame waited";
    // After the waiting frames the show goes on at the timer's pace.
    const uint32_t drawn = state.framesDrawn;
    EXPECT_TRUE(pumpUntil(3000, [&] { return state.framesDrawn >= drawn + 5; }));

    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(saver));
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    setEngineCommandLine(nullptr);
    setEngineFamilies(nullptr);
}
