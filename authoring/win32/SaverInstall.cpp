#include "authoring/win32/SaverInstall.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>
#include <cstring>

#include "authoring/win32/DialogTemplate.h"
#include "authoring/win32/OutputShell.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "authoring/WizardRules.h"
#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"

namespace {

constexpr const char* kCaption = "Glimmerdeck";
constexpr const char* kEngineMissing = "Can't find engine file. It was deleted or damaged.";
constexpr int kIdSaverPathEdit = 1104;
constexpr int kIdInstallerPathEdit = 1105;

// The threshold of the display rule, kept from one build to the next.
int32_t g_displayThreshold = 0;

std::string programFolderOf(const SaverBuildContext& c) {
    return c.programFolder.empty() ? programFolder() : c.programFolder;
}
std::string windowsFolderOf(const SaverBuildContext& c) {
    return c.windowsFolder.empty() ? windowsFolder() : c.windowsFolder;
}

void closeProgress(const SaverBuildContext& c) {
    if (c.closeProgress) c.closeProgress(c.reporter.user);
}

void showPath(HWND page, int id, const std::string& path) {
    if (page) SetDlgItemTextA(page, id, path.c_str());
}

struct NameDialogData {
    const SaverBuildContext* context;
    const SaverBuildInput* input;
};

}  // namespace

void writeScrOptions(const char* saverPath, const TextOptionValues& text, const MakeOptionValues& make) {
    const int32_t width = GetSystemMetrics(SM_CXSCREEN);
    for (const ScrOptionValue& v : scrOptionValues(saverPath, text, make, width, g_displayThreshold)) {
        // Each value on its own: a failing one leaves the others written.
        if (v.isString) writeRegistryString(HKEY_CURRENT_USER, kOptionKey, v.name.c_str(), v.text.c_str());
        else writeRegistryDword(HKEY_CURRENT_USER, kOptionKey, v.name.c_str(), v.number);
    }
}

int installScreenSaver(const SaverBuildContext& context, const SaverBuildInput& input, const char* name,
                       const char* minutesText) {
    if (input.pack.rows.empty()) return 0;
    const std::string windows = windowsFolderOf(context);
    const std::string folder = programFolderOf(context);
    if (windows.empty() || folder.empty()) return 0;
    const std::string target = windows + "\\" + name + ".scr";
    switch (copyEngineFile(folder, false, target)) {
    case EngineCopy::NotFound:
        showMessage(nullptr, kEngineMissing, kCaption, MB_ICONSTOP);
        return 1;   // nothing installed, and no second message
    case EngineCopy::CopyFailed:
        showMessage(nullptr,
                    "The screen saver file name to create exists or the screen saver to have the same name is executed.",
                    kCaption, MB_OK);
        return 0;
    case EngineCopy::Copied: break;
    }
    writeScrOptions(target.c_str(), input.text, input.make);
    if (!packScreenSaver(input.pack, target.c_str(), context.reporter).built) return 0;
    setActiveScreenSaver(context, name, minutesText);
    wizard.saverInstalled = 1;
    closeProgress(context);
    return 1;
}

void setActiveScreenSaver(const SaverBuildContext& context, const char* name, const char* minutesText) {
    const long long seconds = static_cast<long long>(decimalValue(minutesText ? minutesText : "")) * 60;
    // Stored in the user's profile and announced, or it ends with the session.
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(seconds < 0 ? 0 : seconds), nullptr,
                          SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    const std::string path = shortPath(windowsFolderOf(context) + "\\" + name + ".scr");
    if (!WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", path.c_str(), "system.ini"))
        showMessage(nullptr, "Can't find system.ini.", kCaption, MB_ICONSTOP);
}

void openScreenSaverSettings() {
    const std::string command = systemFolder() + "\\control.exe desk.cpl,,1";
    WinExec(command.c_str(), SW_SHOW);
    SendMessageA(GetForegroundWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
}

int askSaveTarget(HWND owner, std::string& fullPath, std::string& fileTitle, int kind) {
    char file[MAX_PATH] = {};
    char title[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kind == 1 ? "Scr files (*.scr)\0*.scr\0" : "exe files (*.exe)\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ofn.lpstrTitle = "Save";
    ofn.lpstrDefExt = kind == 1 ? ".scr" : ".exe";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn)) return 0;
    fullPath = file;
    fileTitle = title;
    return 1;
}

int buildScreenSaverAt(const SaverBuildContext& context, const SaverBuildInput& input, const char* path) {
    if (input.pack.rows.empty()) return 0;
    switch (copyEngineFile(programFolderOf(context), false, path)) {
    case EngineCopy::NotFound:
        showMessage(nullptr, kEngineMissing, "Error", MB_ICONSTOP);
        return 0;
    case EngineCopy::CopyFailed:
        showMessage(nullptr, "Can`t copy engine file.", "Error", MB_ICONSTOP);
        return 0;
    case EngineCopy::Copied: break;
    }
    writeScrOptions(path, input.text, input.make);
    if (!packScreenSaver(input.pack, path, context.reporter).built) return 0;
    closeProgress(context);
    return 1;
}

int buildScreenSaverForInstaller(const SaverBuildContext& context, const SaverBuildInput& input,
                                 const char* saverPath) {
    if (input.pack.rows.empty()) return 0;
    if (copyEngineFile(programFolderOf(context), true, saverPath) != EngineCopy::Copied) {
        showMessage(nullptr, kEngineMissing, kCaption, MB_ICONSTOP);
        return 0;
    }
    return packScreenSaver(input.pack, saverPath, context.reporter).built ? 1 : 0;
}

void saveScrFile(const SaverBuildContext& context, const SaverBuildInput& input) {
    if (programFolderOf(context).empty()) return;
    std::string path, title;
    if (!askSaveTarget(context.imagePage, path, title, 1)) return;
    showPath(context.makePage, kIdSaverPathEdit, path);
    const int built = buildScreenSaverAt(context, input, path.c_str());
    showMessage(context.makePage, built ? "Completed" : "Screen saver file could not be created.", kCaption, MB_OK);
}

void makeInstallerExe(const SaverBuildContext& context, const SaverBuildInput& input) {
    const std::string folder = programFolderOf(context);
    if (folder.empty()) return;
    std::string exePath, title;
    if (!askSaveTarget(context.imagePage, exePath, title, 0)) return;
    showPath(context.makePage, kIdInstallerPathEdit, exePath);
    const std::string saverPath = installerSaverPath(exePath);
    int done = 0;
    if (buildScreenSaverForInstaller(context, input, saverPath.c_str())) {
        done = buildInstaller(folder, exePath, saverPath, input, context.reporter);
        closeProgress(context);
    }
    showMessage(nullptr, done ? "Completed" : "Install file could not be completed.", kCaption, MB_OK);
}

void runControlPanelApplet(HWND window, const char* libraryName, const char* entryName, const char* commandText) {
    HMODULE library = LoadLibraryA(libraryName);
    if (!library) return;
    using Entry = void(WINAPI*)(HWND, HINSTANCE, LPSTR, int);
    if (auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, entryName))))
        entry(window, library, const_cast<LPSTR>(commandText), 1);
    FreeLibrary(library);
}

void readInstallName(HWND dialog, char* buffer) {
    char text[260] = {};
    GetDlgItemTextA(dialog, kIdInstallName, text, sizeof text);
    std::memcpy(buffer, text, sizeof text);
}

void readInstallMinutes(HWND dialog, char* buffer) {
    char text[260] = {};
    GetDlgItemTextA(dialog, kIdInstallMinutes, text, sizeof text);
    std::memcpy(buffer, text, sizeof text);
}

bool installFromNameDialog(HWND dialog, const SaverBuildContext& context, const SaverBuildInput& input) {
    char name[260], minutes[260];
    readInstallName(dialog, name);
    readInstallMinutes(dialog, minutes);
    if (char* dot = std::strchr(name, '.')) *dot = '\0';
    // An empty or impossible name would install "<Windows>\.scr" and make the
    // system's saver a broken entry: nothing is touched, the dialog stays.
    if (const char* problem = saverNameProblem(name)) {
        showMessage(dialog, problem, kCaption, MB_ICONEXCLAMATION);
        HWND edit = GetDlgItem(dialog, kIdInstallName);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return false;
    }
    if (!installScreenSaver(context, input, name, minutes))
        showMessage(nullptr, "Can't install screen saver file Error code 0x007.", kCaption, MB_ICONSTOP);
    return true;
}

INT_PTR CALLBACK installNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitCommonControls();
        SetDlgItemTextA(dialog, kIdInstallName, "My ScreenSaver");
        SetDlgItemTextA(dialog, kIdInstallMinutes, "10");
        centreOverParent(dialog);
        HWND spin = GetDlgItem(dialog, kIdInstallMinutesSpin);
        SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(60, 0));
        SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kIdInstallMinutes)), 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            bool done;
            if (auto* data = reinterpret_cast<NameDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER))) {
                done = installFromNameDialog(dialog, *data->context, *data->input);
            } else {
                SaverBuildContext context;
                SaverBuildInput input;
                gatherSaverBuild(context, input);
                done = installFromNameDialog(dialog, context, input);
            }
            if (done) EndDialog(dialog, 0);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
        }
        return TRUE;
    default: return FALSE;
    }
}

INT_PTR showInstallNameDialog(const SaverBuildContext& context, const SaverBuildInput& input) {
    DialogTemplate t("Write screensaver file name.", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 80);
    t.add("STATIC", "File Name", 0xFFFF, SS_LEFT, 8, 10, 50, 10)
        .add("EDIT", "", kIdInstallName, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 62, 8, 100, 13)
        .add("STATIC", "(.scr)", 0xFFFF, SS_LEFT, 166, 10, 28, 10)
        .add("STATIC", "Stand-by Time", 0xFFFF, SS_LEFT, 8, 30, 52, 10)
        .add("EDIT", "", kIdInstallMinutes, ES_NUMBER | WS_BORDER | WS_TABSTOP, 62, 28, 40, 13)
        .add(UPDOWN_CLASSA, "", kIdInstallMinutesSpin, UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, 102, 28,
             10, 13)
        .add("STATIC", "min", 0xFFFF, SS_LEFT, 110, 30, 20, 10)
        .add("BUTTON", "Install", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 40, 56, 50, 14)
        .add("BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 110, 56, 50, 14);
    NameDialogData data{&context, &input};
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), context.makePage, installNameDialogProc,
                                   reinterpret_cast<LPARAM>(&data));
}
