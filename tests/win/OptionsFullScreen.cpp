// Run by tests/wine/options_fullscreen.sh inside a Wine virtual desktop: the
// saver's registry values decide the full-screen frame size and which input ends
// the show. Elsewhere the tests are skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
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

// A saver of a red picture followed by a blue one (the last picture is stored twice).
std::string saverPath() {
    std::vector<uint8_t> engine = vt_test::readFileBytes(programFolder() + "engine.scr");
    std::vector<uint8_t> red = vt_test::readFileBytes(vt_test::sourceDir() + "/tests/data/options/red.jpg");
    std::vector<uint8_t> blue = vt_test::readFileBytes(vt_test::sourceDir() + "/tests/data/options/blue.jpg");
    std::string path = programFolder() + "options-run-saver.scr";
    vt_test::writeFileBytes(path, vt_test::buildSaverFile(engine, {{kEntryPicture, 0, red},
                                                                   {kEntryPicture, 1, blue},
                                                                   {kEntryPicture, 2, blue},
                                                                   {kEntrySaverPath, 0,
                                                                    vt_test::textEntryBytes("C:\\WINDOWS\\Options Run.scr")}}));
    return path;
}

// Share of the screen's w x h top-left pixels that show the blue picture.
double blueShare(int w, int h) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = vt_win::topDownBitmap(w, h);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    size_t blue = 0;
    const auto* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) {
        uint32_t r = (p[i] >> 16) & 0xFF, g = (p[i] >> 8) & 0xFF, b = p[i] & 0xFF;
        blue += b > 150 && r < 100 && g < 100;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<double>(blue) / (w * h);
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
    static void clear() { values.remove({kOptDisplay, kOptKey, kOptSfx, kOptTrx, kOptMute}); }
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

// The blue picture takes over once the red one's show time and the transition
// have passed: after about 3 s with Sfx 2000 and Trx 1000, not within 7 s with
// Sfx 9000.
TEST_F(OptionsFullScreen, TheShowTimeDecidesWhenTheNextPictureComes) {
    const std::string program = saverPath();
    values.put(kOptMute, DWORD{1});
    struct Case {
        DWORD showMs, transitionMs;
        double earliest, latest;  // seconds from the first frame; latest < 0: not before `earliest`
    } cases[] = {{2000, 1000, 1.5, 5.5}, {9000, 1000, 7.0, -1}};
    for (const Case& c : cases) {
        values.put(kOptSfx, c.showMs);
        values.put(kOptTrx, c.transitionMs);
        RunningSaver saver(program);
        ASSERT_NE(saver.window, nullptr);
        ASSERT_TRUE(pumpUntil(5000, [] { return screenSize().cx == 640; }));
        DWORD start = GetTickCount();
        double blueAt = -1;
        const double limit = c.latest > 0 ? c.latest + 1.0 : c.earliest;
        while (blueAt < 0 && (GetTickCount() - start) / 1000.0 < limit) {
            pumpFor(100);
            if (blueShare(640, 480) > 0.6) blueAt = (GetTickCount() - start) / 1000.0;
        }
        if (blueAt >= 0)
            std::printf("Sfx %lu, Trx %lu: the blue picture after %.1f s\n", c.showMs, c.transitionMs, blueAt);
        else
            std::printf("Sfx %lu, Trx %lu: no blue picture within %.1f s\n", c.showMs, c.transitionMs, limit);
        if (c.latest > 0) {
            EXPECT_GE(blueAt, c.earliest) << "Sfx " << c.showMs;
            EXPECT_LE(blueAt, c.latest) << "Sfx " << c.showMs;
        } else {
            EXPECT_LT(blueAt, 0) << "Sfx " << c.showMs << ": the next picture came after " << blueAt << " s";
        }
        PostMessageA(saver.window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(saver.exitCode(10000), 0u);
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
