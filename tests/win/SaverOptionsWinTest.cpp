// The saver options against the real registry and display, and the letter
// drawn with GDI, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/SaverOptions.h"
#include "engine/TitleLetter.h"
#include "engine/win32/LetterWin.h"
#include "engine/win32/Registry.h"
#include "engine/win32/SaverOptionsWin.h"
#include "tests/engine/OptionTestSupport.h"
#include "tests/win/SaverValues.h"

namespace {

constexpr const char* kTestKey = "Software\\Vantrelle\\Tool\\ScrOptionTest";

bool keyExists(const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The saver's own values, removed before and after each test.
class SaverRunValues : public ::testing::Test {
protected:
    static constexpr const char* kName = "Win Test.Saver";
    MemoryEntries package;

    void SetUp() override {
        clear();
        package.add(kEntrySaverPath, 0, std::string("C:\\WINDOWS\\") + kName + ".scr");
        saverOptions() = SaverOptions{};
    }
    void TearDown() override { clear(); }
    static void clear() {
        vt_win::SaverValues(kName).remove({kOptDisplay, kOptMute, kOptMouse, kOptMouseClick, kOptKey, kOptSound, kOptTrx,
                                           kOptSfx, kOptDefaultFontCheck, kOptIsLetter, kOptLetterFontColor,
                                           kOptLetterTime});
    }
    static void put(const char* word, DWORD value) { vt_win::SaverValues(kName).put(word, value); }
};

TEST(Registry, HelpersRoundTripAndFallBackToDefaults) {
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    // Reading a missing key gives the default and does not create the key.
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, kTestKey, "beachTrx", 2000), 2000u);
    char text[10] = "x";
    EXPECT_EQ(readRegistryString(HKEY_CURRENT_USER, kTestKey, "beachDisplay", "640 * 480", text, sizeof text), 0);
    EXPECT_STREQ(text, "640 * 480");
    EXPECT_FALSE(keyExists(kTestKey));

    EXPECT_EQ(writeRegistryDword(HKEY_CURRENT_USER, kTestKey, "beachTrx", 3500), 1);
    EXPECT_EQ(writeRegistryString(HKEY_CURRENT_USER, kTestKey, "beachDisplay", "800 * 600"), 1);
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, kTestKey, "beachTrx", 2000), 3500u);
    EXPECT_EQ(readRegistryString(HKEY_CURRENT_USER, kTestKey, "beachDisplay", "640 * 480", text, sizeof text), 1);
    EXPECT_STREQ(text, "800 * 600");
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, kTestKey, "beachSfx", 5000), 5000u);

    // A value of the wrong type or size is not a number, and a string longer
    // than its buffer is not taken half.
    writeRegistryString(HKEY_CURRENT_USER, kTestKey, "beachSfx", "12345");
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, kTestKey, "beachSfx", 5000), 5000u);
    writeRegistryString(HKEY_CURRENT_USER, kTestKey, "beachDisplay", "1024 * 768 * 32");
    EXPECT_EQ(readRegistryString(HKEY_CURRENT_USER, kTestKey, "beachDisplay", "640 * 480", text, sizeof text), 0);
    EXPECT_STREQ(text, "640 * 480");
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
}

TEST_F(SaverRunValues, ShowOptionsComeFromTheSaversValues) {
    put(kOptTrx, 4000);
    put(kOptSfx, 60000);
    put(kOptIsLetter, 1);
    put(kOptLetterTime, 7);
    readRunOptions(nullptr, 0, package, nullptr);  // derives the name; no dialog: the controls are absent
    EXPECT_STREQ(saverOptions().saverName, kName);
    readOptions();
    EXPECT_EQ(saverOptions().transitionMs, 4000);
    EXPECT_EQ(saverOptions().showMs, 20000);  // clamped
    EXPECT_EQ(saverOptions().letterMode, 1);
    EXPECT_EQ(saverOptions().letterTime, 7);
    EXPECT_EQ(saverOptions().fontSize, 30);
}

int g_startWidth = 0, g_startHeight = 0, g_starts = 0;
int recordStart(int w, int h) {
    g_startWidth = w;
    g_startHeight = h;
    ++g_starts;
    return 1;
}

TEST_F(SaverRunValues, PreviewStartsAtTheParentsClientSizeWithoutReadingQuitOptions) {
    put(kOptMouse, 1);
    put(kOptSound, 0);
    put(kOptMute, 1);
    HWND parent = CreateWindowExA(0, "STATIC", "preview", WS_POPUP, 0, 0, 152, 112, nullptr, nullptr, nullptr,
                                  nullptr);  // no border: the client area is the whole window
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 152, 112, parent, nullptr, nullptr, nullptr);
    g_starts = 0;
    EXPECT_EQ(readRunOptions(child, 1, package, recordStart), 1);
    EXPECT_EQ(g_starts, 1);
    EXPECT_EQ(g_startWidth, 152);
    EXPECT_EQ(g_startHeight, 112);
    EXPECT_EQ(saverOptions().mouse, 0);
    EXPECT_EQ(saverOptions().soundRepeat, 1);
    EXPECT_EQ(saverOptions().mute, 1);
    EXPECT_FALSE(displayModeSwitched());
    DestroyWindow(parent);
}

DEVMODEA currentMode() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

// The display switch works inside a Wine virtual desktop and is refused on a
// bare X server; either way the outcome must agree with the display.
TEST_F(SaverRunValues, FullScreenSwitchesTheDisplayAndRestoresIt) {
    vt_win::SaverValues(kName).put(kOptDisplay, "800 * 600");
    put(kOptKey, 1);
    DEVMODEA before = currentMode();
    g_starts = 0;
    int result = readRunOptions(nullptr, 1, package, recordStart);
    EXPECT_EQ(saverOptions().key, 1);
    if (result == 1) {
        DEVMODEA now = currentMode();
        int32_t w = 0, h = 0;
        frameSizeOfChoice(saverOptions().displayChoice, &w, &h);
        EXPECT_EQ(g_startWidth, w);
        EXPECT_EQ(g_startHeight, h);
        EXPECT_EQ(static_cast<int>(now.dmPelsWidth), w);
        EXPECT_TRUE(displayModeSwitched());
        restoreDisplayMode();
        EXPECT_EQ(currentMode().dmPelsWidth, before.dmPelsWidth);
        EXPECT_EQ(currentMode().dmPelsHeight, before.dmPelsHeight);
    } else {
        EXPECT_EQ(g_starts, 0);
        EXPECT_EQ(saverOptions().displayChoice, kDisplay640x480);
        EXPECT_FALSE(displayModeSwitched());
        EXPECT_EQ(setDisplayMode(640, 480, 32), 0);
    }
    restoreDisplayMode();
    EXPECT_FALSE(displayModeSwitched());
}

// A DIB section with its memory DC, as the canvas is: GDI point (x, y) is
// pixel (x, y) of a buffer with the 8-pixel margin.
struct Canvas {
    int width, height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;

    Canvas(int w, int h) : width(w + 16), height(h + 16) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void clear() {
        GdiFlush();
        std::memset(bits, 0, sizeof(uint32_t) * width * height);
    }
    // First row holding a non-black pixel, -1 when none.
    int topInkRow() {
        GdiFlush();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (bits[y * width + x] & 0xFFFFFF) return y;
        return -1;
    }
};

TEST(LetterDrawing, WaitsForItsStartThenRisesOnePixelAFrame) {
    MemoryEntries package;
    package.add(kEntryLetter, 0, "Dear friend,\r\nthe sea was calm.\r\nSee you soon");
    SaverOptions& o = saverOptions();
    o = SaverOptions{};
    o.letterMode = 1;
    o.fontSize = 30;
    o.letterColor = 0x00FFFFFF;
    o.letterTime = 2;
    setUpLetter(package);
    EXPECT_EQ(letterState().height, 60);

    const int w = 400, h = 300;
    Canvas canvas(w, h);
    canvas.clear();
    drawLetter(canvas.dc, w, h);
    EXPECT_EQ(canvas.topInkRow(), -1);  // not started: nothing drawn, nothing moved
    EXPECT_EQ(letterState().offset, 0);
    letterTimerTick();
    letterTimerTick();
    ASSERT_EQ(letterState().started, 1);

    std::vector<int> tops;
    for (int frame = 0; frame < 40; ++frame) {
        canvas.clear();
        drawLetter(canvas.dc, w, h);
        tops.push_back(canvas.topInkRow());
    }
    // The text starts just above the frame's bottom and rises a pixel a frame.
    ASSERT_GE(tops[0], h - 8);
    ASSERT_LT(tops[0], h + 16);
    for (size_t i = 1; i < tops.size(); ++i) EXPECT_EQ(tops[i], tops[i - 1] - 1) << i;
    freeLetterText();
}

TEST(LetterDrawing, TheThreadTimerStartsTheLetter) {
    saverOptions() = SaverOptions{};
    saverOptions().letterTime = 1;
    MemoryEntries none;
    setUpLetter(none);
    startLetterTimer();
    DWORD start = GetTickCount();
    MSG msg;
    while (!letterState().started && GetTickCount() - start < 3000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
    EXPECT_EQ(letterState().started, 1);
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 900u);
}

}  // namespace
