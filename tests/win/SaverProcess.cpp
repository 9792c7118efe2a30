// engine.scr started as the system starts a screen saver, in a process of its own:
// the preview's life follows its parent window; the settings dialog, the password
// mode and a bare start come and go without a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TestPackage.h"
#include "tests/support/TestSupport.h"
#include "tests/win/SaverHost.h"

using namespace vt_win;

namespace {

constexpr DWORD kNoExit = 0xFFFFFFFF;

std::string enginePath() { return programFolder() + "engine.scr"; }

struct Saver {
    PROCESS_INFORMATION pi = {};
    bool started = false;

    Saver(const std::string& program, const std::string& args) {
        std::string line = "\"" + program + "\"" + (args.empty() ? "" : " " + args);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    }
    ~Saver() {
        if (!started) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    // Waits (pumping this thread's messages: the preview's parent lives here) for the exit code.
    DWORD exitCode(DWORD ms) {
        pumpUntil(ms, [&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; });
        DWORD code = kNoExit;
        if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) return kNoExit;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
};

// A visible top-level window of the process with that class, or null.
struct FindWindowOf {
    DWORD pid;
    const char* cls;
    HWND found;
};

BOOL CALLBACK matchWindowOf(HWND w, LPARAM p) {
    auto* f = reinterpret_cast<FindWindowOf*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (owner == f->pid && std::string(cls) == f->cls && IsWindowVisible(w)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND windowOf(DWORD pid, const char* cls) {
    FindWindowOf f = {pid, cls, nullptr};
    EnumWindows(matchWindowOf, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// Half a second of a 440 Hz tone, 22,050 Hz mono 16-bit: a WAV file the player converts.
std::vector<uint8_t> toneWav() {
    const int32_t rate = 22050, samples = rate / 2, dataBytes = samples * 2;
    std::vector<uint8_t> wav(44 + dataBytes, 0);
    auto put32 = [&](size_t at, int32_t v) { vt_test::putLe32(wav, at, v); };
    auto put16 = [&](size_t at, int v) { wav[at] = static_cast<uint8_t>(v); wav[at + 1] = static_cast<uint8_t>(v >> 8); };
    std::memcpy(wav.data(), "RIFF", 4);
    put32(4, 36 + dataBytes);
    std::memcpy(wav.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate * 2);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(wav.data() + 36, "data", 4);
    put32(40, dataBytes);
    for (int32_t i = 0; i < samples; ++i) put16(44 + 2 * i, static_cast<int>(8000 * std::sin(i * 6.2831853 * 440 / rate)));
    return wav;
}

// Where the engine writes the package's sound entry: the system folder, or the temporary one.
std::vector<std::string> soundFileCandidates() {
    char system[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    GetTempPathA(MAX_PATH, temp);
    std::string t = temp;
    if (!t.empty() && t.back() == '\\') t.pop_back();
    return {std::string(system) + "\\sound.wav", t + "\\sound.wav"};
}

// A saver as the authoring program makes one: the engine file with a package appended.
std::string makeSaverWithPackage() {
    std::vector<uint8_t> engine = vt_test::readFileBytes(enginePath());
    std::vector<vt_test::TestEntry> entries = {
        {kEntryPicture, 0, vt_test::patternBytes(5000, 1)},
        {kEntryPicture, 1, vt_test::patternBytes(5000, 1)},
        {kEntrySound, 3, toneWav()},
        {kEntryTitle, 0, vt_test::textEntryBytes("Beach")},
        {kEntrySaverPath, 0, vt_test::textEntryBytes("C:\\WINDOWS\\Beach.scr")},
    };
    std::string path = programFolder() + "saver-with-package.scr";
    vt_test::writeFileBytes(path, vt_test::buildSaverFile(engine, entries));
    return path;
}

}  // namespace

TEST(SaverProcess, EngineIsBuiltBesideTheTests) {
    ASSERT_NE(GetFileAttributesA(enginePath().c_str()), INVALID_FILE_ATTRIBUTES) << enginePath();
}

// The reader on the real program files: nothing in the engine, the package right
// after it in a saver made from it.
TEST(SaverProcess, PackageFoundOnlyInTheSaver) {
    ScenarioPackage* engine = newScenarioPackage();
    EXPECT_EQ(loadScenario(engine, enginePath().c_str()), 0);
    freeScenarioPackage(engine);

    const size_t engineSize = vt_test::readFileBytes(enginePath()).size();
    ScenarioPackage* saver = newScenarioPackage();
    ASSERT_EQ(loadScenario(saver, makeSaverWithPackage().c_str()), 1);
    EXPECT_EQ(static_cast<size_t>(saver->packageOffset), vt_test::packageOffsetFor(engineSize));
    EXPECT_EQ(countImages(saver), 0);
    EXPECT_EQ(countTitles(saver), 0);
    char name[kSaverNameBytes] = {};
    loadScenarioName(saver, name);
    EXPECT_STREQ(name, "C:\\WINDOWS\\Beach.scr");
    int32_t size = 0;
    uint8_t* picture = findEntry(saver, kEntryPicture, 0, &size);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(picture, picture + size), vt_test::patternBytes(5000, 1));
    releaseEntry(saver, kEntryPicture, 0, picture);
    freeScenarioPackage(saver);
}

TEST(SaverProcess, PreviewEndsWithItsParent) {
    for (const std::string& f : soundFileCandidates()) DeleteFileA(f.c_str());
    std::vector<std::string> programs = {enginePath(), makeSaverWithPackage()};
    for (const std::string& program : programs) {
        for (const char* form : {"/p ", "/p:", "-l "}) {
            HWND host = createHostWindow(160, 120);
            ASSERT_TRUE(host);
            Saver saver(program, form + windowNumber(host));
            ASSERT_TRUE(saver.started) << program;
            HWND child = nullptr;
            EXPECT_TRUE(pumpUntil(10000, [&] {
                child = FindWindowExA(host, nullptr, "WindowsScreenSaverClass", nullptr);
                return child != nullptr;
            })) << form << " " << program;
            pumpFor(150);   // a few frames
            EXPECT_EQ(WaitForSingleObject(saver.pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
                << "the preview runs while its parent lives";
            DestroyWindow(host);
            EXPECT_EQ(saver.exitCode(10000), 0u) << form << " " << program;
        }
    }
    // The saver with a package wrote its sound entry out for the player.
    bool written = false;
    for (const std::string& f : soundFileCandidates())
        written = written || vt_test::readFileBytes(f) == toneWav();
    EXPECT_TRUE(written) << "sound.wav holds the package's sound entry";
    for (const std::string& f : soundFileCandidates()) DeleteFileA(f.c_str());
}

TEST(SaverProcess, SettingsDialogOpensAndCloses) {
    HWND owner = createHostWindow(100, 80);
    struct Case { std::string args; HWND expectedOwner; } cases[] = {
        {"", nullptr},
        {"/c", nullptr},
        {"/C:" + windowNumber(owner), owner},
        {"/c:987654", nullptr},   // not a window: the dialog stands on its own
    };
    for (const Case& c : cases) {
        Saver saver(enginePath(), c.args);
        ASSERT_TRUE(saver.started);
        HWND dialog = nullptr;
        EXPECT_TRUE(pumpUntil(10000, [&] { return (dialog = windowOf(saver.pi.dwProcessId, "#32770")) != nullptr; }))
            << "args: " << c.args;
        if (dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), c.expectedOwner) << "args: " << c.args;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_EQ(saver.exitCode(10000), 0u) << "args: " << c.args;
    }
    DestroyWindow(owner);
}

TEST(SaverProcess, ModesWithoutAWindowEndAtOnce) {
    struct Case { const char* args; DWORD code; } cases[] = {
        {"/a", 0},
        {"-A 1234", 0},
        {"/x", 1},          // no mode: nothing to do
        {"/p", 1},          // no preview window named
        {"/p 987654", 1},   // not a window
    };
    for (const Case& c : cases) {
        Saver saver(enginePath(), c.args);
        ASSERT_TRUE(saver.started);
        EXPECT_EQ(saver.exitCode(10000), c.code) << c.args;
    }
}

namespace {

struct DisplaySize {
    DWORD width, height;
};

DisplaySize currentDisplay() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return {mode.dmPelsWidth, mode.dmPelsHeight};
}

}  // namespace

// Run by tests/wine/engine_fullscreen.sh inside a Wine virtual desktop, which
// presses a key (xdotool) once the saver shows; elsewhere it is skipped.
TEST(FullScreenSaver, SwitchesTheDisplayAndRestoresItWhenAKeyEndsIt) {
    if (!GetEnvironmentVariableA("VT_FULLSCREEN_KEY", nullptr, 0))
        GTEST_SKIP() << "needs a virtual desktop and a key from the host (tests/wine/engine_fullscreen.sh)";
    const DisplaySize before = currentDisplay();
    for (const std::string& program : {enginePath(), makeSaverWithPackage()}) {
        Saver saver(program, "/s");
        ASSERT_TRUE(saver.started) << program;
        HWND window = nullptr;
        ASSERT_TRUE(pumpUntil(20000, [&] { return (window = windowOf(saver.pi.dwProcessId, "WindowsScreenSaverClass")) != nullptr; }))
            << program;
        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetParent(window), nullptr);
        EXPECT_TRUE(pumpUntil(5000, [] { return currentDisplay().width == 640 && currentDisplay().height == 480; }))
            << "the default display option switches to 640 x 480";
        // The host sees the window and presses a key; the saver must end on it.
        EXPECT_EQ(saver.exitCode(60000), 0u) << program;
        DisplaySize after = currentDisplay();
        EXPECT_EQ(after.width, before.width) << "the display is restored";
        EXPECT_EQ(after.height, before.height);
    }
}
