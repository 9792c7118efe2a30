#include "authoring/win32/ScenarioFileWin.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>

#include "authoring/win32/DialogTemplate.h"
#include "authoring/win32/OutputShell.h"
#include "authoring/win32/SoundInfoWin.h"
#include "authoring/win32/WizardWidgets.h"

namespace {

constexpr const char* kCaption = "Glimmerdeck";
constexpr int kIdScenarioPathEdit = 1106;

bool writeFile(const std::string& path, const ScenarioPageValues& values) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::string text = scenarioFileText(values);
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

bool existsForLoad(const char* path, void*) { return fileExists(path); }

}  // namespace

int askScenarioSavePath(const ScenarioWindows& windows, std::string& path, bool isSave) {
    char file[MAX_PATH] = {};
    char title[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = windows.imagePage;
    ofn.lpstrFilter = "sao files(*.sao)\0*.sao\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ofn.lpstrTitle = isSave ? "Save" : "Save as";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn)) return 0;
    path = withScenarioExtension(file);
    scenarioPath = path;
    if (windows.makePage) SetDlgItemTextA(windows.makePage, kIdScenarioPathEdit, path.c_str());
    return 1;
}

bool saveScenarioAs(const ScenarioWindows& windows, const ScenarioPageValues& values) {
    std::string path;
    if (!askScenarioSavePath(windows, path, false)) return false;
    if (!writeFile(path, values)) {
        showMessage(nullptr, "Can't save scenario file.", kCaption, MB_ICONSTOP);
        return false;
    }
    return true;
}

bool saveScenario(const ScenarioWindows& windows, const ScenarioPageValues& values) {
    if (!scenarioNamed && !askScenarioSavePath(windows, scenarioPath, true)) return false;
    if (!writeFile(scenarioPath, values)) return false;
    scenarioNamed = true;
    return true;
}

bool askScenarioOpenPath(HWND owner, std::string& path) {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "sao files (*.sao)\0*.sao\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    // One file is read; multiple selection is how the dialog was always shown.
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return false;
    path = file;
    return true;
}

bool fileExists(const char* path) {
    HANDLE file = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

int loadScenarioFrom(const ScenarioWindows& windows, const std::string& path) {
    scenarioPath = path;
    if (!isScenarioPath(path)) {
        showMessage(nullptr, " This file is not supported. Make sure again that extension is correct.", kCaption,
                    MB_ICONEXCLAMATION);
        return 0;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        showMessage(nullptr, "Can't read file. file is damaged or is not correct.", kCaption, MB_ICONEXCLAMATION);
        return 0;
    }
    readScenarioStream(file, scenarioState(), &existsForLoad, nullptr, &missingCount);
    if (windows.restoreImagePage) windows.restoreImagePage(windows.user);
    std::fclose(file);
    if (missingCount > 0) showMissingFilesDialog();
    scenarioNamed = true;
    return 1;
}

int loadScenarioFile(const ScenarioWindows& windows) {
    if (windows.selectFirstStep) windows.selectFirstStep(windows.user);
    // The state is replaced only by a file that is read: a cancelled or refused
    // open leaves what the steps still have to take of the open work.
    std::string path;
    if (!askScenarioOpenPath(windows.imagePage, path)) return 0;
    return loadScenarioFrom(windows, path);
}

void restoreImagePage(HWND page) {
    ScenarioState& state = scenarioState();
    if (state.imageRestorePending != 1) return;
    SendDlgItemMessageA(page, kIdSelectedImageList, LB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(page, kIdSlideTimeList, CB_SETCURSEL, static_cast<WPARAM>(state.slideTimeRow), 0);
    for (const std::string& path : state.pictures)
        SendDlgItemMessageA(page, kIdSelectedImageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    state.imageRestorePending = 0;
}

void restoreSoundPage(HWND page) {
    ScenarioState& state = scenarioState();
    if (state.soundRestorePending != 1) return;
    state.soundRestorePending = 0;
    SendDlgItemMessageA(page, kIdSoundInfoList, LVM_DELETEALLITEMS, 0, 0);
    if (state.soundPath.empty()) {
        // A work without sound shows none, whatever the step showed before.
        SetDlgItemTextA(page, kIdSoundPath, "");
        SetDlgItemTextA(page, kIdSoundPosition, "00 : 00");
        SetDlgItemTextA(page, kIdSoundTotalTime, "00 : 00");
        return;
    }
    char path[MAX_PATH] = {};
    lstrcpynA(path, state.soundPath.c_str(), sizeof path);
    // The field is filled on acceptance; a refused sound is not the saver's.
    if (!showSoundInfo(page, path)) SetDlgItemTextA(page, kIdSoundPath, "");
}

void restoreMakePage(HWND page, void (*showOptionSeconds)(HWND page)) {
    ScenarioState& state = scenarioState();
    if (state.makeRestorePending != 1) return;
    SendDlgItemMessageA(page, kIdScreenModeList, CB_SETCURSEL, static_cast<WPARAM>(state.screenModeRow), 0);
    SendDlgItemMessageA(page, kIdTransitionBar, TBM_SETPOS, TRUE, state.transitionMs);
    SendDlgItemMessageA(page, kIdShowTimeBar, TBM_SETPOS, TRUE, state.showMs);
    if (showOptionSeconds) showOptionSeconds(page);
    state.makeRestorePending = 0;
}

INT_PTR CALLBACK missingFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        centreOnScreen(dialog);
        HWND list = GetDlgItem(dialog, kIdMissingList);
        const auto& missing = scenarioState().missingPictures;
        const size_t n = std::min<size_t>(missing.size(), static_cast<size_t>(std::max(0, missingCount)));
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        int widest = 0;
        for (size_t i = 0; i < n; ++i) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(missing[i].c_str()));
            SIZE size = {};
            GetTextExtentPoint32A(dc, missing[i].c_str(), static_cast<int>(missing[i].size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
        missingCount = 0;
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 1);
        return TRUE;
    default: return FALSE;
    }
}

INT_PTR showMissingFilesDialog() {
    DialogTemplate t("Incorrect file list", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 260, 150);
    t.add("STATIC", "We inform that the file list below saved in scenario is damaged, moved or deleted.", 0xFFFF,
          SS_LEFT, 8, 6, 244, 18)
        .add("LISTBOX", "", kIdMissingList, WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, 8, 26, 244,
             96)
        .add("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 105, 128, 50, 14);
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr, missingFilesDialogProc, 0);
}
