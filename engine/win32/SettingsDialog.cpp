#include "engine/win32/SettingsDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "engine/MakerInfo.h"
#include "engine/PackageEntries.h"
#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"
#include "engine/win32/SaverOptionsWin.h"
#include "engine/win32/SettingsIds.h"

namespace {

class NoEntries : public EntrySource {
public:
    bool readEntry(int32_t, int32_t, std::vector<uint8_t>&) const override { return false; }
};

struct SettingsDialogState {
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;       // big and small, loaded unshared so they can be destroyed
    HICON smallIcon = nullptr;
    HWND window = nullptr;
    std::unique_ptr<EntrySource> package;
};

SettingsDialogState g_dialog;
OwnPackageOpener g_opener = openPackageEntries;

const EntrySource& ownPackage() {
    static const NoEntries kNone;
    if (g_dialog.package) return *g_dialog.package;
    return kNone;
}

int32_t trackbarPosition(HWND dialog, int id) {
    return static_cast<int32_t>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

// The show-time label gets hundredths from ten seconds on, the transition label never.
void setTimeLabel(HWND dialog, int trackbarId) {
    bool show = trackbarId == IDC_SHOW_TIME;
    std::string text = formatTimeLabel(trackbarPosition(dialog, trackbarId), show);
    SetDlgItemTextA(dialog, show ? IDC_SHOW_LABEL : IDC_TRANSITION_LABEL, text.c_str());
}

void setTrackbar(HWND dialog, int id, const DwordOption& option, int32_t value) {
    SendDlgItemMessageA(dialog, id, TBM_SETRANGEMIN, FALSE, option.low);
    SendDlgItemMessageA(dialog, id, TBM_SETRANGEMAX, FALSE, option.high);
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, value);
    setTimeLabel(dialog, id);
}

void openMakerWebPage() {
    ShellExecuteA(nullptr, "open", kMakerWebAddress, nullptr, "C:\\", SW_SHOWNORMAL);
}

HICON loadIcon(HINSTANCE instance, int sizeMetric) {
    int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_ENGINE), IMAGE_ICON, size, size, 0));
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

void initSettingsControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

BOOL WINAPI RegisterDialogClasses(HANDLE) {
    initSettingsControls();
    return TRUE;
}

void setOwnPackageOpener(OwnPackageOpener opener) { g_opener = opener; }

void centreWindow(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) + r.left - r.right) >> 1;
    int y = (GetSystemMetrics(SM_CYSCREEN) + r.top - r.bottom) >> 1;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

void fillSettingsDialog(HWND dialog) {
    for (int32_t choice = kDisplay400x300; choice <= kDisplay800x600; ++choice)
        SendDlgItemMessageA(dialog, IDC_SCREEN_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(displayText(choice)));
    // Stored values out of range show (and would be saved as) their clamped value.
    RegistryOptionStore store;
    const char* name = saverOptions().saverName;
    setTrackbar(dialog, IDC_TRANSITION_TIME, kTransitionMs, readDwordOption(store, name, kTransitionMs));
    setTrackbar(dialog, IDC_SHOW_TIME, kShowMs, readDwordOption(store, name, kShowMs));
}

void loadSettingsDialog(HWND dialog) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(g_dialog.instance, path, MAX_PATH);
    g_dialog.package = g_opener ? g_opener(path) : nullptr;
    SaverOptions& o = saverOptions();
    o.saverName[0] = '\0';
    loadSaverName(ownPackage(), o.saverName);
    centreWindow(dialog);
    fillSettingsDialog(dialog);
    readRunOptions(dialog, 0, ownPackage(), nullptr);
}

void onSettingsSlider(HWND dialog, HWND trackbar) {
    int id = GetDlgCtrlID(trackbar);
    if (id == IDC_TRANSITION_TIME || id == IDC_SHOW_TIME) setTimeLabel(dialog, id);
}

void saveSettings(HWND dialog) {
    RegistryOptionStore store;
    SaverOptions& o = saverOptions();
    auto name = [&](const char* word) { return optionValueName(o.saverName, word); };

    int32_t selected = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_SCREEN_MODE, CB_GETCURSEL, 0, 0));
    if (const char* display = displayTextToSave(selected, GetSystemMetrics(SM_CXSCREEN)))
        store.writeString(name(kOptDisplay).c_str(), display);
    store.writeDword(name(kOptTrx).c_str(), static_cast<uint32_t>(trackbarPosition(dialog, IDC_TRANSITION_TIME)));
    store.writeDword(name(kOptSfx).c_str(), static_cast<uint32_t>(trackbarPosition(dialog, IDC_SHOW_TIME)));

    o.mouse = checked(dialog, IDC_QUIT_MOUSE);
    o.mouseClick = checked(dialog, IDC_QUIT_CLICK);
    o.key = checked(dialog, IDC_QUIT_KEY);
    o.soundRepeat = checked(dialog, IDC_SOUND_REPEAT);
    o.mute = checked(dialog, IDC_MUTE);
    store.writeDword(name(kOptMouse).c_str(), static_cast<uint32_t>(o.mouse));
    store.writeDword(name(kOptMouseClick).c_str(), static_cast<uint32_t>(o.mouseClick));
    store.writeDword(name(kOptKey).c_str(), static_cast<uint32_t>(o.key));
    store.writeDword(name(kOptSound).c_str(), static_cast<uint32_t>(o.soundRepeat));
    store.writeDword(name(kOptMute).c_str(), static_cast<uint32_t>(o.mute));
}

void onSettingsCommand(HWND dialog, int id) {
    switch (id) {
    case IDC_SETTINGS_OK:
        saveSettings(dialog);
        EndDialog(dialog, 1);
        break;
    case IDCANCEL:
    case IDC_SETTINGS_CANCEL:
        EndDialog(dialog, 1);
        break;
    case IDC_WEB_ADDRESS:
        openMakerWebPage();
        break;
    case IDC_ABOUT:
        DialogBoxParamA(g_dialog.instance, MAKEINTRESOURCEA(IDD_ABOUT), dialog, aboutDialogProc, 0);
        break;
    }
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        g_dialog.window = dialog;
        g_dialog.instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
        // The dialog's own icon, not the class's: every dialog of the process
        // shares that class, and the icon is destroyed with this one.
        g_dialog.icon = loadIcon(g_dialog.instance, SM_CXICON);
        g_dialog.smallIcon = loadIcon(g_dialog.instance, SM_CXSMICON);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_dialog.icon));
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_dialog.smallIcon));
        loadSettingsDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        onSettingsCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        onSettingsSlider(dialog, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_DESTROY:
        for (HICON* icon : {&g_dialog.icon, &g_dialog.smallIcon}) {
            if (*icon) DestroyIcon(*icon);
            *icon = nullptr;
        }
        g_dialog.package.reset();
        g_dialog.window = nullptr;
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_WEB_ADDRESS:
            openMakerWebPage();
            return TRUE;
        }
        break;
    }
    return FALSE;
}
