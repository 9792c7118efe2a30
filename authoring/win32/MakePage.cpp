#include "authoring/win32/MakePage.h"

#include <commctrl.h>

#include <string>

#include "authoring/WizardRules.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/SoundPlayer.h"

namespace {

int trackbarPosition(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0));
}

void setTrackbar(HWND page, int id, int position) { SendDlgItemMessageA(page, id, TBM_SETPOS, TRUE, position); }

void stopPreview(HWND page) {
    KillTimer(page, kPreviewTimer);
    redrawRect(page, 86, 59, 354, 260);
}

void startPreviewTimer(HWND page) {
    if (startPreview(kPreviewWidth, kPreviewHeight, false)) SetTimer(page, kPreviewTimer, 33, nullptr);
}

void deletePageResources() {
    if (wizard.blackBrush) DeleteObject(wizard.blackBrush), wizard.blackBrush = nullptr;
    if (wizard.frameBitmap) DeleteObject(wizard.frameBitmap), wizard.frameBitmap = nullptr;
}

bool havePictures() {
    if (titleRowCount() > 0) return true;
    MessageBoxA(nullptr, "There is no image selected. Please select image.", "Glimmerdeck", MB_OK);
    return false;
}

// Runs one ".scr" or installer output unless the same one is already running.
void runGuardedOutput(HWND page, uint8_t& ready, void (*output)(HWND)) {
    if (!ready) return;
    ready = 0;
    stopPreview(page);
    output(page);
    applyMakeOptions(page);
    ready = 1;
}

void onSetActive(HWND page) {
    SendMessageA(wizard.sheet, PSM_SETTITLEA, 0,
                 reinterpret_cast<LPARAM>("Glimmerdeck 1.1 - 4Step. After a little setting up to work done so far, "
                                          "make screen saver."));
    if (wizard.textRestorePending) {
        selectWizardPage(kTextPage);
        if (wizard.soundRestorePending) selectWizardPage(kSoundPage);
        wizard.textRestorePending = wizard.soundRestorePending = 0;
        selectWizardPage(kMakePage);
        return;   // the nested activation above did the rest
    }
    if (wizard.soundRestorePending) {
        // The Sound step takes the opened work's sound while its flag is still set.
        selectWizardPage(kSoundPage);
        wizard.textRestorePending = wizard.soundRestorePending = 0;
        selectWizardPage(kMakePage);
        return;
    }
    if (!wizard.textPage) {
        selectWizardPage(kTextPage);
        selectWizardPage(kMakePage);
        return;
    }
    activatePage(kMakePage, IDM_MAKE);
    if (wizard.makeRestorePending) {
        restoreMakeSettings(page);
        wizard.makeRestorePending = 0;
    }
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    SetDlgItemTextA(page, IDC_WINDOWS_FOLDER, windows);
    deletePageResources();
    wizard.frameBitmap = LoadBitmapA(wizard.instance, MAKEINTRESOURCEA(IDB_FRAME));
    wizard.blackBrush = CreateSolidBrush(RGB(0, 0, 0));
    startPreviewTimer(page);
}

void leavePage(HWND page) {
    KillTimer(page, kPreviewTimer);
    deletePageResources();
    detachPageMenu();
}

void drawFullScreenButton(const DRAWITEMSTRUCT* draw) {
    const bool pressed = (draw->itemState & ODS_SELECTED) != 0;
    FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(draw->hDC, TRANSPARENT);
    SetTextColor(draw->hDC, pressed ? RGB(255, 255, 255) : RGB(0, 0, 255));
    static const char text[] = "Show with full screen";
    TextOutA(draw->hDC, draw->rcItem.left + 50, draw->rcItem.top + 5, text, sizeof text - 1);
    if (wizard.blackBrush) FrameRect(draw->hDC, &draw->rcItem, wizard.blackBrush);
}

void onExit(HWND page) {
    stopPreview(page);
    deletePageResources();
    detachPageMenu();
    exitCleanup();
}

void onCommand(HWND page, int id) {
    if (handleCommonCommand(page, kMakePage, id)) return;
    switch (id) {
    case IDC_INSTALL:
        if (!havePictures()) break;
        stopPreview(page);
        DialogBoxParamA(wizard.instance, MAKEINTRESOURCEA(IDD_INSTALL_NAME), page, installNameDialogProc, 0);
        if (wizard.saverInstalled) {
            openScreenSaverSettings();
            wizard.saverInstalled = 0;
        }
        applyMakeOptions(page);
        break;
    case IDC_SAVE_SAVER:
        if (havePictures()) runGuardedOutput(page, wizard.scrSaveReady, saveSaverFile);
        break;
    case IDC_MAKE_INSTALLER:
        if (havePictures()) runGuardedOutput(page, wizard.installerReady, buildInstallerFile);
        break;
    case IDC_APPLY: applyMakeOptions(page); break;
    case IDC_DEFAULTS: resetMakeOptions(page); break;
    case IDC_FULL_SCREEN:
        stopPreview(page);
        wizard.fullScreen = 1;
        openFullScreenPreview(page);
        break;
    case IDC_MAKE_BACK: selectWizardPage(kSoundPage); break;
    case IDC_MAKE_EXIT:
    case CMD_EXIT: onExit(page); break;
    }
}

}  // namespace

INT_PTR CALLBACK makePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        wizard.makePage = page;
        initMakePage(page);
        addMakePageTips(page, wizard.instance);
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: onSetActive(page); break;
        case PSN_KILLACTIVE:
            leavePage(page);
            soundPlayer().stopSound();
            break;
        case PSN_RESET:
            leavePage(page);
            exitCleanup();
            break;
        }
        return FALSE;
    case WM_TIMER:
        if (wParam == kPreviewTimer) {
            HDC dc = GetDC(page);
            previewFrame(dc, kPreviewWidth, kPreviewHeight);
            ReleaseDC(page, dc);
        }
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        drawPageBitmap(dc, wizard.frameBitmap, 2);
        EndPaint(page, &paint);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam == IDC_FULL_SCREEN) {
            drawFullScreenButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    case WM_HSCROLL: showTrackbarSeconds(page, reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_COMMAND: onCommand(page, LOWORD(wParam)); return TRUE;
    }
    return FALSE;
}

void initMakePage(HWND page) {
    for (const char* mode : {"400 * 300", "640 * 480", "800 * 600"})
        SendDlgItemMessageA(page, IDC_SCREEN_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    SendDlgItemMessageA(page, IDC_SCREEN_MODE, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageA(page, IDC_TRANSITION, TBM_SETRANGE, TRUE, MAKELPARAM(kTransitionMinMs, kTransitionMaxMs));
    setTrackbar(page, IDC_TRANSITION, kTransitionDefaultMs);
    SetDlgItemTextA(page, IDC_TRANSITION_TEXT, "2.0");
    SendDlgItemMessageA(page, IDC_SHOW_TIME, TBM_SETRANGE, TRUE, MAKELPARAM(kShowMinMs, kShowMaxMs));
    setTrackbar(page, IDC_SHOW_TIME, kShowDefaultMs);
    SetDlgItemTextA(page, IDC_SHOW_TEXT, "5.0");
}

void resetMakeOptions(HWND page) {
    if (!page) return;
    SetDlgItemTextA(page, IDC_TRANSITION_TEXT, "2.0");
    SetDlgItemTextA(page, IDC_SHOW_TEXT, "5.0");
    SendDlgItemMessageA(page, IDC_SCREEN_MODE, CB_SETCURSEL, 1, 0);
    setTrackbar(page, IDC_TRANSITION, kTransitionDefaultMs);
    setTrackbar(page, IDC_SHOW_TIME, kShowDefaultMs);
}

void applyMakeOptions(HWND page) {
    char transition[50] = {}, show[50] = {};
    GetDlgItemTextA(page, IDC_TRANSITION_TEXT, transition, sizeof transition);
    GetDlgItemTextA(page, IDC_SHOW_TEXT, show, sizeof show);
    const int transitionMs = secondsTextToMs(transition), showMs = secondsTextToMs(show);
    MakeOptionError error = checkMakeOptions(transitionMs, showMs);
    if (error != MakeOptionError::None) {
        MessageBoxA(nullptr, makeOptionMessage(error), "Glimmerdeck", MB_ICONINFORMATION);
        return;
    }
    setTrackbar(page, IDC_TRANSITION, transitionMs);
    setTrackbar(page, IDC_SHOW_TIME, showMs);
    if (titleRowCount() > 0) {
        KillTimer(page, kPreviewTimer);
        startPreviewTimer(page);
    }
}

void showTrackbarSeconds(HWND page, HWND trackbar) {
    int id = GetDlgCtrlID(trackbar);
    if (id != IDC_TRANSITION && id != IDC_SHOW_TIME) return;
    std::string text = trackbarSecondsText(trackbarPosition(page, id));
    SetDlgItemTextA(page, id == IDC_TRANSITION ? IDC_TRANSITION_TEXT : IDC_SHOW_TEXT, text.c_str());
}

void showOptionSeconds(HWND page) {
    SetDlgItemTextA(page, IDC_TRANSITION_TEXT, transitionSecondsText(trackbarPosition(page, IDC_TRANSITION)).c_str());
    SetDlgItemTextA(page, IDC_SHOW_TEXT, showSecondsText(trackbarPosition(page, IDC_SHOW_TIME)).c_str());
}
