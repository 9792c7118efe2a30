#include "authoring/win32/DeleteTool.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "authoring/win32/DialogTemplate.h"
#include "authoring/win32/OutputShell.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/SaverOptions.h"

namespace {

constexpr const char* kCaption = "Vantrelle";
constexpr int kSaverIcon = 127;
constexpr const char* kOptionWords[] = {
    "DefaultColorCheck", "DefaultFontCheck", "Display",    "IsLetter", "LetterFont",     "LetterFontColor",
    "LetterFontSize",    "LetterTime",       "LetterTimerCheck", "mouse", "mouseClick", "mute",
    "Sfx",               "Sound",            "TitleFont",  "TitleFontColor", "TitleFontSize", "Trx",
    "Key",
};
static_assert(sizeof kOptionWords / sizeof kOptionWords[0] == 19);

SaverListView g_list;
std::string g_folder;
WORD g_shellFlags = 0;

std::string toolFolder() { return g_folder.empty() ? windowsFolder() : g_folder; }

void setStatus(HWND dialog, const char* text) {
    SetDlgItemTextA(dialog, kIdDeleteStatus, text);
    UpdateWindow(GetDlgItem(dialog, kIdDeleteStatus));
}

// The selected row's file name; empty (with the message) when none is selected.
std::string selectedSaver(HWND dialog) {
    const int row = static_cast<int>(SendMessageA(g_list.window(), LVM_GETSELECTIONMARK, 0, 0));
    if (row < 0) {
        showMessage(dialog, "First, slect the ScreenSaver file for delete.", kCaption, MB_ICONINFORMATION);
        return {};
    }
    return g_list.getCellText(row, 0);
}

}  // namespace

void SaverListView::attach(HWND list) {
    list_ = list;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
}

void SaverListView::addColumn(int column, const char* title, int width) {
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(title);
    c.cx = width;
    c.iSubItem = column;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
}

void SaverListView::setImageList(const int* iconIds, int count) {
    if (!images_) images_ = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, count, 1);
    for (int i = 0; i < count; ++i) {
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, 16, 16, 0));
        if (!icon) {
            showMessage(nullptr, "can`t load resource", nullptr, MB_OK);
            continue;
        }
        ImageList_AddIcon(images_, icon);
        DestroyIcon(icon);
    }
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
}

void SaverListView::insertRow(int row, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SaverListView::setCellText(int column, int row, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string SaverListView::getCellText(int row, int column) const {
    char text[101] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 100;
    SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

SaverListView::~SaverListView() {
    if (images_) ImageList_Destroy(images_);
}

void setDeleteToolFolder(const std::string& folder) { g_folder = folder; }
void setDeleteToolShellFlags(WORD flags) { g_shellFlags = flags; }

bool readCompanyName(const char* path, std::string& name, std::string& languageName) {
    name.clear();
    languageName.clear();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return false;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return false;
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < sizeof(Translation))
        return false;
    char language[100] = {};
    VerLanguageNameA(translation->language, language, sizeof language - 1);
    languageName = language;
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\CompanyName", translation->language,
                  translation->codePage);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value) return false;
    name.assign(value, strnlen(value, std::min<UINT>(length, 99)));
    return true;
}

void fillSaverList(HWND dialog) {
    (void)dialog;
    const std::string folder = toolFolder();
    WIN32_FIND_DATAA found = {};
    HANDLE find = FindFirstFileA((folder + "\\*.scr").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string path = folder + "\\" + found.cFileName;
        std::string company, language;
        if (!readCompanyName(path.c_str(), company, language) || company != kSaverCompanyName) continue;
        g_list.insertRow(0, found.cFileName);
        FileDateSize info;
        fileDateAndSize(path.c_str(), &info);
        g_list.setCellText(1, 0, info.size);
        g_list.setCellText(2, 0, info.date);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

bool deleteSaverFile(HWND dialog, const char* path) {
    if (!pathExists(path)) {
        showMessage(dialog, "No file to be deleted.", kCaption, MB_ICONERROR);
        return false;
    }
    std::vector<char> from(path, path + std::strlen(path));
    from.push_back('\0');
    from.push_back('\0');   // the list of names ends with an empty one
    SHFILEOPSTRUCTA op = {};
    op.hwnd = dialog;
    op.wFunc = FO_DELETE;
    op.pFrom = from.data();
    op.fFlags = static_cast<FILEOP_FLAGS>(FOF_SIMPLEPROGRESS | g_shellFlags);
    op.lpszProgressTitle = "Deleting ScreenSaver File.";
    if (SHFileOperationA(&op) != 0) {
        showMessage(dialog, "Unable to Delete  ScreenSaver file.", kCaption, MB_ICONERROR);
        return false;
    }
    return true;
}

void deleteSaverOptions(const char* fileName) {
    std::string name = fileName ? fileName : "";
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    for (const char* word : kOptionWords) SHDeleteValueA(HKEY_CURRENT_USER, kOptionKey, (name + word).c_str());
}

void deleteSelectedSaver(HWND dialog) {
    const int row = static_cast<int>(SendMessageA(g_list.window(), LVM_GETSELECTIONMARK, 0, 0));
    const std::string name = selectedSaver(dialog);
    if (name.empty()) return;
    setStatus(dialog, "Deleting...");
    Sleep(500);
    const std::string path = toolFolder() + "\\" + name;
    if (!deleteSaverFile(dialog, path.c_str())) {
        setStatus(dialog, "Delete Failed");
        return;
    }
    if (pathExists(path.c_str())) {   // the user declined the shell's question
        setStatus(dialog, "Delete Canceled");
        return;
    }
    SendMessageA(g_list.window(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    setStatus(dialog, "Deleting Registery key...");
    Sleep(500);
    deleteSaverOptions(name.c_str());
    setStatus(dialog, "Delete Completed");
}

void previewSelectedSaver(HWND dialog) {
    const std::string name = selectedSaver(dialog);
    if (name.empty()) return;
    const std::string path = shortPath(toolFolder() + "\\" + name);
    if (!WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", path.c_str(), "system.ini")) {
        showMessage(dialog, "Unable to Execute File.", kCaption, MB_ICONERROR);
        return;
    }
    SendMessageA(GetForegroundWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
}

void configureSelectedSaver(HWND dialog) {
    const std::string name = selectedSaver(dialog);
    if (name.empty()) return;
    std::string command = toolFolder() + "\\" + name;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(command.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        showMessage(dialog, "Unable to Execute File.", kCaption, MB_ICONERROR);
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void toggleDeleteHelp(HWND dialog) {
    HWND help = GetDlgItem(dialog, kIdDeleteHelpText);
    HWND button = GetDlgItem(dialog, kIdHelpButton);
    RECT helpRect = {}, buttonRect = {}, frame = {};
    GetWindowRect(help, &helpRect);
    GetWindowRect(button, &buttonRect);
    const int steps = helpRect.bottom - buttonRect.bottom;
    const bool visible = IsWindowVisible(help) != FALSE;
    if (!visible) ShowWindow(help, SW_SHOW);
    for (int i = 0; i < steps; ++i) {
        GetWindowRect(dialog, &frame);
        MoveWindow(dialog, frame.left, frame.top, frame.right - frame.left,
                   frame.bottom - frame.top + (visible ? -1 : 1), TRUE);
        UpdateWindow(dialog);
    }
    if (visible) ShowWindow(help, SW_HIDE);
    SetWindowTextA(button, visible ? "Help>>" : "Help<<");
}

void showDeleteHelp(HWND dialog) {
    const std::string rule(25, '=');
    const std::string text = rule + "\r\n   Delete ScreenSaver File    \r\n" + rule +
                             "\r\nExplanation : This Program doesn't delete all Screensaver File installed in this "
                             "System.\r\nScreensaver file made by Glimmerdeck can only be deleted.\r\n\r\n"
                             "1.Delete : Deleting the slected ScreenSaver file and Registery\r\n"
                             "2.Preview : Preview before deleting the screensaver file.\r\n"
                             "3.Configuartion : Show the Option Setting dialogue box of Screensaver.\r\n"
                             "4.Confirmation : Exit the ScreenSaver delete program.\r\n\r\n"
                             "Visit the Vantrelle web site or write to Vantrelle for news and help.";
    SetDlgItemTextA(dialog, kIdDeleteHelpText, text.c_str());
}

void initDeleteTool(HWND dialog) {
    RECT button = {};
    GetWindowRect(GetDlgItem(dialog, kIdHelpButton), &button);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, button.right + 10, button.bottom + GetSystemMetrics(SM_CYCAPTION) + 10,
                 SWP_NOMOVE);
    g_list.attach(GetDlgItem(dialog, kIdDeleteList));
    const int icons[] = {kSaverIcon};
    g_list.setImageList(icons, 1);
    g_list.addColumn(0, "File Name", 100);
    g_list.addColumn(1, "File Size", 100);
    g_list.addColumn(2, "Modified Date", 100);
    fillSaverList(dialog);
    showDeleteHelp(dialog);
}

INT_PTR CALLBACK deleteToolDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: initDeleteTool(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kIdDeleteButton: deleteSelectedSaver(dialog); return TRUE;
        case kIdPreviewButton: previewSelectedSaver(dialog); return TRUE;
        case kIdConfigureButton: configureSelectedSaver(dialog); return TRUE;
        case kIdHelpButton: toggleDeleteHelp(dialog); return TRUE;
        case IDOK:
        case IDCANCEL: DestroyWindow(dialog); return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

HWND openDeleteTool(HWND owner) {
    InitCommonControls();
    // The program's own dialog 160 when it carries one; else the same layout built here.
    const HINSTANCE module = GetModuleHandleA(nullptr);
    if (FindResourceA(module, MAKEINTRESOURCEA(160), MAKEINTRESOURCEA(5))) {
        HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(160), owner, deleteToolDialogProc, 0);
        if (dialog) ShowWindow(dialog, SW_SHOW);
        return dialog;
    }
    DialogTemplate t("Delete ScreenSaver File", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 322, 250,
                     "Tahoma", 8);
    t.add("EDIT", "", kIdDeleteStatus, ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, 7, 7, 250, 12)
        .add("STATIC", "Screensaver file installed in the system.", 0xFFFF, SS_LEFT, 7, 23, 250, 9)
        .add(WC_LISTVIEWA, "", kIdDeleteList, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP,
             7, 34, 250, 110)
        .add("BUTTON", "Delete", kIdDeleteButton, BS_PUSHBUTTON | WS_TABSTOP, 264, 34, 50, 14)
        .add("BUTTON", "Preview", kIdPreviewButton, BS_PUSHBUTTON | WS_TABSTOP, 264, 52, 50, 14)
        .add("BUTTON", "Configuartion", kIdConfigureButton, BS_PUSHBUTTON | WS_TABSTOP, 264, 70, 50, 14)
        .add("BUTTON", "OK", IDOK, BS_PUSHBUTTON | WS_TABSTOP, 264, 88, 50, 14)
        .add("BUTTON", "Help>>", kIdHelpButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 264, 130, 50, 14)
        .add("EDIT", "", kIdDeleteHelpText, ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER, 7, 152, 307, 90);
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.get(), owner, deleteToolDialogProc, 0);
    if (dialog) {
        ShowWindow(GetDlgItem(dialog, kIdDeleteHelpText), SW_HIDE);
        ShowWindow(dialog, SW_SHOW);
    }
    return dialog;
}
