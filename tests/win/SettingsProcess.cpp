// A saver made from the built engine.scr, started with "/c" (and with no
// argument) as the display control panel starts it: its settings dialog is
// driven from this process and the saver's values read back from the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"
#include "engine/win32/SettingsIds.h"
#include "tests/support/TestPackage.h"
#include "tests/support/TestSupport.h"
#include "tests/win/SaverHost.h"
#include "tests/win/SaverValues.h"

using namespace vt_win;

namespace {

constexpr const char* kName = "Process Dialog";

const SaverValues values(kName);

std::string saverPath() {
    static std::string path;
    if (path.empty()) {
        std::vector<uint8_t> engine = vt_test::readFileBytes(programFolder() + "engine.scr");
        path = programFolder() + "settings-dialog-saver.scr";
        vt_test::writeFileBytes(path, vt_test::buildSaverFile(
                                          engine, {{kEntrySaverPath, 0,
                                                    vt_test::textEntryBytes(std::string("C:\\WINDOWS\\") + kName + ".scr")}}));
    }
    return path;
}

struct SettingsRun {
    PROCESS_INFORMATION pi = {};
    HWND dialog = nullptr;

    explicit SettingsRun(const std::string& args) {
        std::string line = "\"" + saverPath() + "\"" + (args.empty() ? "" : " " + args);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (!CreateProcessA(saverPath().c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        pumpUntil(10000, [&] {
            HWND w = FindWindowA("#32770", "Glimmerdeck 1.1");
            DWORD owner = 0;
            if (w) GetWindowThreadProcessId(w, &owner);
            if (w && owner == pi.dwProcessId && IsWindowVisible(w)) dialog = w;
            return dialog != nullptr;
        });
    }
    ~SettingsRun() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    DWORD exitCode() {
        pumpUntil(10000, [&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; });
        DWORD code = 0xFFFFFFFF;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    std::string text(int id) { return controlText(dialog, id); }
    void moveTrackbar(int id, int position) { vt_win::moveTrackbar(dialog, id, position); }
    void click(int id) { clickControl(dialog, id); }
};

class SettingsProcess : public ::testing::Test {
protected:
    void SetUp() override { values.removeDialogValues(); }
    void TearDown() override { values.removeDialogValues(); }
};

TEST_F(SettingsProcess, OkWritesTheTrackbarAndBoxValues) {
    SettingsRun run("/c");
    ASSERT_NE(run.dialog, nullptr) << "no settings dialog from " << saverPath();
    EXPECT_EQ(run.text(IDC_TRANSITION_LABEL), "2.0s");  // nothing stored: the defaults
    EXPECT_EQ(run.text(IDC_SHOW_LABEL), "5.0s");
    run.moveTrackbar(IDC_SHOW_TIME, 12340);
    EXPECT_EQ(run.text(IDC_SHOW_LABEL), "12.34s");
    run.moveTrackbar(IDC_TRANSITION_TIME, 4500);
    run.click(IDC_QUIT_CLICK);
    run.click(IDC_SOUND_ONCE);
    run.click(IDC_SETTINGS_OK);
    EXPECT_EQ(run.exitCode(), 0u);
    EXPECT_EQ(values.dword(kOptSfx), 12340u);
    EXPECT_EQ(values.dword(kOptTrx), 4500u);
    EXPECT_EQ(values.dword(kOptMouse), 0u);
    EXPECT_EQ(values.dword(kOptMouseClick), 1u);
    EXPECT_EQ(values.dword(kOptSound), 0u);
    EXPECT_EQ(values.dword(kOptMute), 0u);
    EXPECT_EQ(values.text(kOptDisplay), "640 * 480");
}

TEST_F(SettingsProcess, NoArgumentShowsTheSameDialogAndCancelWritesNothing) {
    SettingsRun run("");
    ASSERT_NE(run.dialog, nullptr);
    EXPECT_NE(GetDlgItem(run.dialog, IDC_SHOW_TIME), nullptr);
    run.moveTrackbar(IDC_TRANSITION_TIME, 3000);
    run.click(IDC_MUTE);
    run.click(IDC_SETTINGS_CANCEL);
    EXPECT_EQ(run.exitCode(), 0u);
    EXPECT_FALSE(values.hasDialogValue());
}

}  // namespace
