// The settings dialog and about box hosted in this process (their templates are
// linked in from engine/app/settings.rc), driven the way a user would: set a
// trackbar, tick a box, press a button; the saver's values read back from the
// registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"
#include "engine/win32/SettingsDialog.h"
#include "engine/win32/SettingsIds.h"
#include "tests/engine/OptionTestSupport.h"
#include "tests/win/SaverValues.h"

namespace {

constexpr const char* kName = "Dialog Test";

std::unique_ptr<EntrySource> testPackage(const char*) {
    auto package = std::make_unique<MemoryEntries>();
    package->add(kEntrySaverPath, 0, std::string("C:\\WINDOWS\\") + kName + ".scr");
    return package;
}

const vt_win::SaverValues values(kName);

std::string itemText(HWND dialog, int id) { return vt_win::controlText(dialog, id); }
bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void click(HWND dialog, int id) { vt_win::clickControl(dialog, id); }
using vt_win::moveTrackbar;

// A window of this thread with that title (other test programs may show the
// same dialogs at the same time).
struct TitleSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND w, LPARAM p) {
    auto* search = reinterpret_cast<TitleSearch*>(p);
    char text[64] = {};
    GetWindowTextA(w, text, sizeof text);
    if (std::string(text) != search->title) return TRUE;
    search->found = w;
    return FALSE;
}

HWND ownWindow(const char* title) {
    TitleSearch search{title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs `script` on the dialog once it is up (from a timer inside its modal
// loop); the script must close it. Returns DialogBoxParam's result.
std::function<void(HWND)> g_script;
std::vector<std::string> g_failures;

void CALLBACK runScript(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = ownWindow("Glimmerdeck 1.1");
    if (!dialog) {
        g_failures.push_back("the settings dialog is not up");
        return;
    }
    g_script(dialog);
}

void CALLBACK endStuckDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND d = ownWindow("Glimmerdeck 1.1")) EndDialog(d, 99);
}

// Inspects the about box from inside its modal loop, then presses its OK.
void CALLBACK checkAndCloseAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND box = ownWindow("About Glimmerdeck");
    if (!box) {
        g_failures.push_back("the about box did not open");
        return;
    }
    char text[64] = {};
    HWND child = nullptr;
    bool line = false;
    while ((child = FindWindowExA(box, child, nullptr, nullptr)) != nullptr) {
        GetWindowTextA(child, text, sizeof text);
        if (std::string(text) == "Visit our website for update.") line = true;
    }
    if (!line) g_failures.push_back("the about box lacks its website line");
    if (GetWindow(box, GW_OWNER) != ownWindow("Glimmerdeck 1.1"))
        g_failures.push_back("the about box is not owned by the settings dialog");
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

INT_PTR runDialog(std::function<void(HWND)> script) {
    g_script = std::move(script);
    SetTimer(nullptr, 0, 50, runScript);
    // A dialog the script failed to close must not hang the test.
    SetTimer(nullptr, 0, 5000, endStuckDialog);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                           ScreenSaverConfigureDialog, 0);
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        initSettingsControls();
        setOwnPackageOpener(testPackage);
        clear();
        g_failures.clear();
    }
    void TearDown() override {
        clear();
        EXPECT_TRUE(g_failures.empty()) << g_failures.front();
    }
    static void clear() { values.removeDialogValues(); }
    static void put(const char* word, DWORD value) { values.put(word, value); }
};

TEST_F(SettingsDialog, ShowsTheStoredValuesAndOkWritesWhatWasSet) {
    put(kOptTrx, 1234);
    put(kOptSfx, 15000);
    put(kOptSound, 0);
    put(kOptMouse, 1);
    values.put(kOptDisplay, "400 * 300");
    std::string seen;
    INT_PTR result = runDialog([&](HWND d) {
        seen = itemText(d, IDC_TRANSITION_LABEL) + " " + itemText(d, IDC_SHOW_LABEL) + " " +
               itemText(d, IDC_SCREEN_MODE) + " " + std::to_string(isChecked(d, IDC_QUIT_MOUSE)) +
               std::to_string(isChecked(d, IDC_QUIT_CLICK)) + std::to_string(isChecked(d, IDC_SOUND_REPEAT)) +
               std::to_string(isChecked(d, IDC_SOUND_ONCE)) + " " +
               std::to_string(SendMessageA(d, WM_GETICON, ICON_BIG, 0) != 0);
        moveTrackbar(d, IDC_TRANSITION_TIME, 3500);
        moveTrackbar(d, IDC_SHOW_TIME, 16080);
        seen += " | " + itemText(d, IDC_TRANSITION_LABEL) + " " + itemText(d, IDC_SHOW_LABEL);
        SendDlgItemMessageA(d, IDC_SCREEN_MODE, CB_SETCURSEL, 2, 0);
        click(d, IDC_QUIT_KEY);
        click(d, IDC_SOUND_REPEAT);
        click(d, IDC_MUTE);
        click(d, IDC_SETTINGS_OK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seen, "1.2s 15.00s 400 * 300 1001 1 | 3.5s 16.08s");
    EXPECT_EQ(values.dword(kOptTrx), 3500u);
    EXPECT_EQ(values.dword(kOptSfx), 16080u);
    EXPECT_EQ(values.dword(kOptMouse), 1u);
    EXPECT_EQ(values.dword(kOptMouseClick), 0u);
    EXPECT_EQ(values.dword(kOptKey), 1u);
    EXPECT_EQ(values.dword(kOptSound), 1u);
    EXPECT_EQ(values.dword(kOptMute), 1u);
    // 800 x 600 on a screen wider than 800 pixels is kept.
    EXPECT_EQ(values.text(kOptDisplay), GetSystemMetrics(SM_CXSCREEN) > 800 ? "800 * 600" : "640 * 480");
    EXPECT_EQ(saverOptions().key, 1);
}

TEST_F(SettingsDialog, CancelAndTheCloseBoxWriteNothing) {
    for (bool closeBox : {false, true}) {
        INT_PTR result = runDialog([&](HWND d) {
            moveTrackbar(d, IDC_TRANSITION_TIME, 4000);
            click(d, IDC_QUIT_MOUSE);
            click(d, IDC_MUTE);
            if (closeBox)
                SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                click(d, IDC_SETTINGS_CANCEL);
        });
        EXPECT_EQ(result, 1);
        EXPECT_FALSE(values.hasDialogValue()) << (closeBox ? "close box" : "Cancel");
    }
}

TEST_F(SettingsDialog, OutOfRangeValuesShowClampedAndUnknownSoundIsOneTime) {
    put(kOptTrx, 0);
    put(kOptSfx, 60000);
    put(kOptSound, 7);
    std::string seen;
    runDialog([&](HWND d) {
        seen = itemText(d, IDC_TRANSITION_LABEL) + " " + itemText(d, IDC_SHOW_LABEL) + " " +
               std::to_string(isChecked(d, IDC_SOUND_ONCE)) + " " + itemText(d, IDC_SCREEN_MODE);
        click(d, IDC_SETTINGS_OK);
    });
    EXPECT_EQ(seen, "1.0s 20.00s 1 640 * 480");
    EXPECT_EQ(values.dword(kOptTrx), 1000u);
    EXPECT_EQ(values.dword(kOptSfx), 20000u);
    EXPECT_EQ(values.dword(kOptSound), 0u);
}

TEST_F(SettingsDialog, AboutBoxOpensAndCloses) {
    std::string about;
    runDialog([&](HWND d) {
        SetTimer(nullptr, 0, 50, checkAndCloseAboutBox);
        click(d, IDC_ABOUT);  // returns once the about box has closed
        about = ownWindow("About Glimmerdeck") ? "still open" : "closed";
        click(d, IDC_SETTINGS_CANCEL);
    });
    EXPECT_EQ(about, "closed");
}

}  // namespace
