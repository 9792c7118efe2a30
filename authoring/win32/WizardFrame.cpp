#include "authoring/win32/WizardFrame.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstring>

#include "authoring/ScenarioFile.h"
#include "authoring/WizardRules.h"
#include "authoring/win32/HyperLink.h"
#include "authoring/win32/ImagePage.h"
#include "authoring/win32/MakePage.h"
#include "authoring/win32/ViewerBitmap.h"
#include "authoring/win32/SoundPage.h"
#include "authoring/win32/TextPage.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/MakerInfo.h"
#include "engine/SoundPlayer.h"

WizardState wizard = [] {
    WizardState s = {};
    s.saveAsReady[0] = s.saveAsReady[1] = s.saveAsReady[2] = s.saveAsReady[3] = 1;
    s.letterColour = s.titleColour = 0x00FF0000;
    s.scrSaveReady = s.installerReady = 1;
    return s;
}();

namespace {

bool cleanedUp = false;
bool comInitialised = false;

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
HMODULE helpLibrary = nullptr;
HtmlHelpFunction htmlHelp = nullptr;

void stopAtOnce(const char* text, UINT icon) {
    MessageBoxA(nullptr, text, "Glimmerdeck", icon);
}

// An edit that can be typed into (a combo box's own edit and a list's label
// edit are edits too).
bool takesText(HWND window) {
    char name[16] = {};
    if (!window || !GetClassNameA(window, name, sizeof name)) return false;
    CharLowerA(name);
    if (lstrcmpA(name, "edit") != 0 && std::strncmp(name, "richedit", 8) != 0) return false;
    return (GetWindowLongPtrA(window, GWL_STYLE) & ES_READONLY) == 0;
}

// A key that types or edits text belongs to the edit it is meant for, not to
// the accelerator that happens to share it (Shift+S, Ctrl+Delete, ...).
bool keyForTextControl(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    const KeyStroke stroke = {static_cast<uint32_t>(message.wParam), GetKeyState(VK_CONTROL) < 0,
                              GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0};
    return keyEditsText(stroke) && takesText(message.hwnd);
}

bool settleUnsavedWork(const char* question);

}  // namespace

void selectWizardPage(int page) { SendMessageA(wizard.sheet, PSM_SETCURSEL, page, 0); }

void noteComInitialised() { comInitialised = true; }

void ensureSingleInstance(const char* mutexName) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
    if (!mutex) {
        stopAtOnce("Program mapping error Error code 0x006", MB_ICONERROR);
        ExitProcess(1);
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        stopAtOnce("Program is executed already.", MB_ICONINFORMATION);
        CloseHandle(mutex);
        ExitProcess(1);
    }
    // The handle stays open for the life of the process.
}

bool createWizardSheet() {
    InitCommonControls();
    struct PageRow {
        int dialog, icon;
        DLGPROC procedure;
    };
    static const PageRow rows[4] = {
        {IDD_IMAGE_PAGE, IDI_TAB_IMAGE, imagePageProc},
        {IDD_TEXT_PAGE, IDI_TAB_TEXT, textPageProc},
        {IDD_SOUND_PAGE, IDI_TAB_SOUND, soundPageProc},
        {IDD_MAKE_PAGE, IDI_TAB_MAKE, makePageProc},
    };
    PROPSHEETPAGEA pages[4] = {};
    for (int i = 0; i < 4; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USEICONID;
        pages[i].hInstance = wizard.instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(rows[i].dialog);
        pages[i].pszIcon = MAKEINTRESOURCEA(rows[i].icon);
        pages[i].pfnDlgProc = rows[i].procedure;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPSHEETPAGE | PSH_USEICONID;
    header.hInstance = wizard.instance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_GLIMMERDECK);
    header.nPages = 4;
    header.nStartPage = 0;
    header.ppsp = pages;
    header.pszCaption = "Glimmerdeck 1.1";
    wizard.sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    if (!wizard.sheet || wizard.sheet == reinterpret_cast<HWND>(-1)) {
        wizard.sheet = nullptr;
        return false;
    }
    wizard.sheetMenu = LoadMenuA(wizard.instance, MAKEINTRESOURCEA(IDM_IMAGE));
    SetMenu(wizard.sheet, wizard.sheetMenu);
    LONG_PTR exStyle = GetWindowLongPtrA(wizard.sheet, GWL_EXSTYLE);
    SetWindowLongPtrA(wizard.sheet, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
    SendMessageA(wizard.sheet, WM_NCPAINT, 1, 0);
    SetWindowLongPtrA(wizard.sheet, GWL_STYLE, GetWindowLongPtrA(wizard.sheet, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    centreOnScreen(wizard.sheet);
    SendMessageA(wizard.sheet, PSM_SETTITLEA, 0,
                 reinterpret_cast<LPARAM>("Glimmerdeck 1.1 - 1Step. Select image file"));
    wizard.sheetProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wizard.sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wizardSheetProc)));
    markWorkKept();
    return true;
}

LRESULT CALLBACK wizardSheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCLBUTTONDOWN && wParam == HTMINBUTTON) CloseWindow(window);
    // The caption's close box, Alt+F4 and the sheet's own OK and Cancel end the
    // program: not before unsaved work is settled.
    const bool closing = message == WM_CLOSE || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) ||
                         (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) &&
                          lParam && reinterpret_cast<HWND>(lParam) == GetDlgItem(window, LOWORD(wParam)));
    // The sheet's own closing sends more of these on the way: one question.
    static bool settled = false;
    if (closing && !settled) {
        if (!settleUnsavedWork("Would you save work done so far ?")) return 0;
        settled = true;
        const LRESULT result = CallWindowProcA(wizard.sheetProc, window, message, wParam, lParam);
        settled = false;
        return result;
    }
    return CallWindowProcA(wizard.sheetProc, window, message, wParam, lParam);
}

int runWizardLoop() {
    HACCEL table = LoadAcceleratorsA(wizard.instance, MAKEINTRESOURCEA(IDA_WIZARD));
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!keyForTextControl(message) && TranslateAcceleratorA(wizard.sheet, table, &message)) continue;
        if (IsWindow(wizard.progressDialog) && IsDialogMessageA(GetActiveWindow(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        // A modeless sheet closed with its own OK or Cancel button stays on screen
        // with no page: it is done, so the program is.
        if (wizard.sheet && IsWindow(wizard.sheet) && !PropSheet_GetCurrentPageHwnd(wizard.sheet)) {
            exitCleanup();
            DestroyWindow(wizard.sheet);
            wizard.sheet = nullptr;
        }
    }
    return static_cast<int>(message.wParam);
}

bool launchAndWait(const char* commandLine, const char* folder) {
    char line[MAX_PATH + 2];
    lstrcpynA(line, commandLine, sizeof line);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, folder,
                        &startup, &process))
        return false;
    bool idle = WaitForInputIdle(process.hProcess, INFINITE) == 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return idle;
}

void notifyUpdater() {
    HWND updater = FindWindowA(nullptr, "Skyfetch");
    if (!updater) {
        MessageBoxA(nullptr, "Error code = 279", nullptr, 0);
        return;
    }
    SendMessageA(updater, 1124, 0, reinterpret_cast<LPARAM>(wizard.sheet));
}

void startUpdater() {
    // The updater reads the installed programs' versions from its current
    // folder: it runs from ours, whatever folder we were started in.
    const std::string folder = programFolder();
    const std::string line = "\"" + folder + "Skyfetch.exe\"";
    if (folder.empty() || line.size() > MAX_PATH || !launchAndWait(line.c_str(), folder.c_str())) {
        MessageBoxA(nullptr, "Error code = 280", "Vantrelle", MB_ICONERROR);
        return;
    }
    notifyUpdater();
}

void openHelpFile() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    if (char* slash = strrchr(path, '\\')) slash[0] = 0;
    if (lstrlenA(path) + 10 >= MAX_PATH) return;
    lstrcatA(path, "\\help.chm");
    if (!helpLibrary) {
        helpLibrary = LoadLibraryA("hhctrl.ocx");
        if (helpLibrary)
            htmlHelp = reinterpret_cast<HtmlHelpFunction>(
                reinterpret_cast<void*>(GetProcAddress(helpLibrary, MAKEINTRESOURCEA(14))));
    }
    if (htmlHelp) htmlHelp(nullptr, path, 0, 0);   // HH_DISPLAY_TOPIC
}

namespace {

// Save As for a page, one at a time per page; true when the work was written.
bool saveWorkAs(HWND page, int pageIndex) {
    if (!wizard.saveAsReady[pageIndex]) return false;
    wizard.saveAsReady[pageIndex] = 0;
    const bool saved = saveScenarioFileAs(page);
    if (saved) markWorkKept();
    wizard.saveAsReady[pageIndex] = 1;
    return saved;
}

// Unsaved work is saved or let go only as the user says. False when they
// cancel the question or the save: the action that asked is then dropped.
bool settleUnsavedWork(const char* question) {
    if (!workUnsaved()) return true;
    switch (MessageBoxA(wizard.sheet, question, "Glimmerdeck", MB_YESNOCANCEL)) {
    case IDNO: return true;
    case IDYES: return saveWorkAs(wizard.imagePage, kImagePage);
    default: return false;
    }
}

// The Image step shows the first picture of the work now open, or none.
void showFirstPicture() {
    wizard.currentImageIndex = 0;
    lstrcpynA(wizard.currentImagePath, listBoxText(wizard.imageList, 0).c_str(), sizeof wizard.currentImagePath);
    // Drawing the picture names it again.
    SetDlgItemTextA(wizard.imagePage, IDC_IMAGE_PATH_LABEL, "");
    if (wizard.currentImagePath[0]) {
        SendMessageA(wizard.imageList, LB_SETCURSEL, 0, 0);
        SendMessageA(wizard.imageList, LB_SETSEL, TRUE, 0);
    }
    InvalidateRect(wizard.imageList, nullptr, TRUE);
    redrawRect(wizard.imagePage, 491, 290, 650, 413);
}

}  // namespace

void newWork() {
    if (!settleUnsavedWork("Would you save work ?")) return;

    SendMessageA(wizard.imageList, LB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(wizard.imagePage, IDC_SLIDE_TIME, CB_SETCURSEL, 1, 0);
    showFirstPicture();
    redrawRect(wizard.imagePage, 86, 59, 354, 260);
    redrawRect(wizard.imagePage, 63, 216, 367, 444);

    if (!wizard.textPage) selectWizardPage(kTextPage);
    SetDlgItemTextA(wizard.textPage, IDC_LETTER, "");
    setTextDefaults(wizard.textPage);
    CheckDlgButton(wizard.textPage, IDC_RANDOM_COLOUR, BST_UNCHECKED);
    CheckDlgButton(wizard.textPage, IDC_DEFAULT_FONT, BST_UNCHECKED);
    SendMessageA(wizard.titleList, LVM_DELETEALLITEMS, 0, 0);
    wizard.currentTitleRow = 0;
    wizard.currentTitlePath[0] = 0;
    SetDlgItemTextA(wizard.textPage, IDC_TITLE_EDIT, kTitleEditHintKorean);
    redrawRect(wizard.textPage, 45, 49, 205, 171);

    if (!wizard.soundPage) selectWizardPage(kSoundPage);
    SendMessageA(wizard.soundList, LB_RESETCONTENT, 0, 0);
    dropChosenSound(wizard.soundPage);

    if (!wizard.makePage) selectWizardPage(kMakePage);
    SetDlgItemTextA(wizard.makePage, IDC_SCENARIO_PATH, "");
    SetDlgItemTextA(wizard.makePage, IDC_SAVER_PATH, "");
    SetDlgItemTextA(wizard.makePage, IDC_INSTALLER_PATH, "");
    resetMakeOptions(wizard.makePage);
    KillTimer(wizard.makePage, kPreviewTimer);
    redrawRect(wizard.makePage, 86, 59, 354, 260);

    selectWizardPage(kImagePage);
    wizard.scenarioPath[0] = 0;
    // Nothing of an earlier opened file is still to be restored (or saved).
    ScenarioState& loaded = scenarioState();
    loaded.imageRestorePending = loaded.textRestorePending = 0;
    loaded.soundRestorePending = loaded.makeRestorePending = 0;
    wizard.imageRestorePending = wizard.textRestorePending = 0;
    wizard.soundRestorePending = wizard.makeRestorePending = 0;
    markWorkKept();
}

INT_PTR CALLBACK aboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        createWebLink(dialog);
        createMailLink(dialog);
        return TRUE;
    case WM_DESTROY:
        deleteWebLink();
        deleteMailLink();
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void exitCleanup() {
    if (cleanedUp) return;
    cleanedUp = true;
    freeParticleLists();
    scratchReleaseAll();
    freePreviewCanvases();
    freeViewerBitmap();
    if (wizard.letterBrush) DeleteObject(wizard.letterBrush), wizard.letterBrush = nullptr;
    if (wizard.titleBrush) DeleteObject(wizard.titleBrush), wizard.titleBrush = nullptr;
    if (wizard.sheetMenu) {
        if (wizard.sheet && GetMenu(wizard.sheet) == wizard.sheetMenu) SetMenu(wizard.sheet, nullptr);
        DestroyMenu(wizard.sheetMenu);
        wizard.sheetMenu = nullptr;
    }
    closeMixer();
    soundPlayer().stopSoundThread();
    soundPlayer().closeSound();
    releaseSoundDevice();
    if (comInitialised) CoUninitialize(), comInitialised = false;
    PostQuitMessage(0);
}

bool handleCommonCommand(HWND page, int pageIndex, int command) {
    switch (command) {
    case CMD_NEW: newWork(); return true;
    case CMD_OPEN_SCENARIO:
        if (!settleUnsavedWork("Would you save work ?") || !openScenarioFile(page)) return true;
        showFirstPicture();
        // The Make step's files were the earlier work's; the scenario is this one.
        SetDlgItemTextA(wizard.makePage, IDC_SCENARIO_PATH, wizard.scenarioPath);
        SetDlgItemTextA(wizard.makePage, IDC_SAVER_PATH, "");
        SetDlgItemTextA(wizard.makePage, IDC_INSTALLER_PATH, "");
        markWorkKept();
        return true;
    case CMD_SAVE_SCENARIO:
        if (saveScenarioFile(page)) markWorkKept();
        return true;
    case CMD_SAVE_AS_SCENARIO: saveWorkAs(page, pageIndex); return true;
    // Every page's exit path (and closing the sheet) first settles unsaved work.
    case CMD_EXIT:
    case IDC_IMAGE_EXIT:
    case IDC_TEXT_EXIT:
    case IDC_SOUND_EXIT:
    case IDC_MAKE_EXIT: return !settleUnsavedWork("Would you save work done so far ?");
    case CMD_HELP: openHelpFile(); return true;
    case CMD_ABOUT:
        DialogBoxParamA(wizard.instance, MAKEINTRESOURCEA(IDD_ABOUT), page, aboutBoxProc, 0);
        return true;
    case CMD_HOMEPAGE:
        ShellExecuteA(nullptr, "open", kMakerWebAddress, nullptr, "C:\\", SW_SHOWNORMAL);
        return true;
    case CMD_UPDATE: startUpdater(); return true;
    case CMD_DELETE_TOOL: openDeleteTool(page); return true;
    }
    return false;
}
