// Run by tests/wine/options_fullscreen.sh inside a Wine virtual desktop: the
// saver's registry values decide the full-screen frame size and which input ends
// the show. Elsewhere the tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"
#include "tests/support/TestPackage.h"
#include "tests/support/TestSupport.h"
#include "tests/win/SaverHost.h"
#include "tests/win/SaverValues.h"

using namespace vt_win;

namespace {

constexpr const char* kName = "Options Run";

const SaverValues values(kName);

std::string saverPath() {
    std::vector<uint8_t> engine = vt_test::readFileBytes(programFolder() + "engine.scr");
    std::string path = programFolder() + "options-run-saver.scr";
    vt_test::writeFileBytes(path, vt_test::buildSaverFile(engine, {{kEntrySaverPath, 0,
                                                                    vt_test::textEntryBytes("C:\\WINDOWS\\Options Run.scr")}}));
    return path;
}

SIZE screenSize() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return {static_cast<LONG>(mode.dmPelsWidth), static_cast<LONG>(mode.dmPelsHeight)};
}

struct RunningSaver {
    PROCESS_INFORMATION pi = {};
    HWND window = nullptr;

    explicit RunningSaver(const std::string& program) {
        std::string line = "\"" + program + "\" /s";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        pumpUntil(20000, [&] {
            HWND w = FindWindowA("WindowsScreenSaverClass", nullptr);
            DWORD owner = 0;
            if (w) GetWindowThreadProcessId(w, &owner);
            if (w && owner == pi.dwProcessId) window = w;
            return window != nullptr;
        });
    }
    ~RunningSaver() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    bool running() { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD exitCode(DWORD ms) {
        pumpUntil(ms, [&] { return !running(); });
        DWORD code = 0xFFFFFFFF;
        if (!running()) GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
};

class OptionsFullScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!GetEnvironmentVariableA("VT_OPTIONS_FULLSCREEN", nullptr, 0))
            GTEST_SKIP() << "needs a virtual desktop (tests/wine/options_fullscreen.sh)";
        clear();
    }
    void TearDown() override { clear(); }
    static void clear() { values.remove({kOptDisplay, kOptKey}); }
};

TEST_F(OptionsFullScreen, TheDisplayValueSetsTheFrameSize) {
    const SIZE before = screenSize();
    const std::string program = saverPath();
    struct Case {
        const char* display;
        LONG width, height;
    } cases[] = {{"800 * 600", 800, 600}, {"400 * 300", 400, 300}, {"1024 * 768", 640, 480}};
    for (const Case& c : cases) {
        values.put(kOptDisplay, c.display);
        RunningSaver saver(program);
        ASSERT_NE(saver.window, nullptr) << c.display;
        EXPECT_TRUE(pumpUntil(5000, [&] { return screenSize().cx == c.width && screenSize().cy == c.height; }))
            << c.display << ": the display is " << screenSize().cx << "x" << screenSize().cy;
        pumpFor(1500);  // the host's screenshot
        PostMessageA(saver.window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(saver.exitCode(10000), 0u) << c.display;
        EXPECT_EQ(screenSize().cx, before.cx) << "restored after " << c.display;
        EXPECT_EQ(screenSize().cy, before.cy);
    }
}

TEST_F(OptionsFullScreen, TheKeyValueKeepsTheShowOnAKeyPress) {
    values.put(kOptKey, DWORD{1});
    RunningSaver saver(saverPath());
    ASSERT_NE(saver.window, nullptr);
    pumpFor(300);
    PostMessageA(saver.window, WM_KEYDOWN, VK_SPACE, 0);
    pumpFor(700);
    EXPECT_TRUE(saver.running()) << "a key press ended the show although \"Key\" is 1";
    PostMessageA(saver.window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(saver.exitCode(10000), 0u);
}

}  // namespace
