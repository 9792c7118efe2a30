#include "updater/win32/UpdaterDialog.h"

#include <cstdio>
#include <new>
#include <string>

#include "updater/UpdateItems.h"
#include "updater/UpdateRun.h"
#include "updater/UpdaterIds.h"
#include "updater/win32/HttpDownloader.h"
#include "updater/win32/ListViewCtl.h"

HWND updateOwnerWindow = nullptr;

namespace {

// Set while a check or a run hands messages on: its commands wait for it.
bool busy = false;

void setStatus(HWND dialog, const char* text) { SetDlgItemTextA(dialog, IDC_STATUS, text); }

std::string versionListPath() {
    char folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "version.txt";
    return std::string(folder) + "\\version.txt";
}

// The downloaded list, at most the size a version list can have.
bool readVersionList(std::string& list) {
    HANDLE file = CreateFileA(versionListPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    list.assign(kVersionListMaxBytes, '\0');
    DWORD got = 0;
    bool ok = ReadFile(file, list.data(), DWORD(list.size()), &got, nullptr);
    CloseHandle(file);
    list.resize(ok ? got : 0);
    return ok;
}

void initUpdateDialog(HWND dialog) {
    RECT button;
    GetWindowRect(GetDlgItem(dialog, IDC_DETAIL), &button);
    POINT corner{button.right, button.bottom};
    ScreenToClient(dialog, &corner);
    SetWindowPos(dialog, nullptr, 0, 0, corner.x + 10, corner.y + GetSystemMetrics(SM_CYCAPTION) + 30,
                 SWP_NOMOVE | SWP_NOZORDER);

    fileList.attach(dialog, IDC_FILE_LIST);
    static const int icons[kUpdateItemCount] = {IDI_SKYFETCH, IDI_GLIMMERDECK, IDI_ENGINE, IDI_PACKWRIGHT};
    fileList.setImageList(icons, kUpdateItemCount);
    static const char* const columns[] = {"Update type", "Old Version Imformation", "New version Imformation",
                                          "The existence of the Update"};
    for (int c = 0; c < 4; ++c) fileList.addColumn(100, c, columns[c]);
    for (int row = 0; row < kUpdateItemCount; ++row) fileList.insertRow(row, 0, kUpdateItemInfo[row].shownName);
    fileList.fitColumns();

    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SKYFETCH));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void logUpdaterException(DWORD code) {
    char text[512];
    std::snprintf(text, sizeof text, "Exception code = %lu", static_cast<unsigned long>(code));
    OutputDebugStringA(text);
}

void showUpdaterError(int stringId) {
    char text[512];
    if (LoadStringA(GetModuleHandleA(nullptr), stringId, text, sizeof text) > 0)
        MessageBoxA(nullptr, text, kUpdaterCaption, MB_ICONERROR);
    else
        logUpdaterException(GetLastError());
}

namespace {
enum class VersionRead { Found, None, NoMemory, BadBlock };

VersionRead readVersion(const char* fileName, int32_t& number, char (&text)[10]) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (size == 0) return VersionRead::None;
    char* info = new (std::nothrow) char[size_t(size) * 4];
    if (!info) return VersionRead::NoMemory;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!GetFileVersionInfoA(fileName, 0, size, info) ||
        !VerQueryValueA(info, "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        delete[] info;
        return VersionRead::BadBlock;
    }
    auto major = uint16_t(fixed->dwFileVersionMS >> 16), minor = uint16_t(fixed->dwFileVersionMS & 0xFFFF);
    auto build = uint16_t(fixed->dwFileVersionLS >> 16), revision = uint16_t(fixed->dwFileVersionLS & 0xFFFF);
    delete[] info;
    versionText(major, minor, build, revision, text);
    number = versionNumber(major, minor, build, revision);
    return VersionRead::Found;
}
}  // namespace

bool readVersionBlock(const char* fileName, int32_t& number, char (&text)[10]) {
    return readVersion(fileName, number, text) == VersionRead::Found;
}

int32_t readFileVersion(const char* fileName, char (&text)[10]) {
    int32_t number = 0;
    switch (readVersion(fileName, number, text)) {
    case VersionRead::NoMemory:
        MessageBoxA(nullptr, "Can`t access to heap memory", kUpdaterCaption, MB_ICONERROR);
        break;
    case VersionRead::BadBlock:
        showUpdaterError(IDS_BAD_RESOURCE);
        break;
    default:
        break;
    }
    return number;
}

void checkVersions(HWND dialog) {
    setStatus(dialog, "Now Version Checking in process...");
    for (int row = 0; row < kUpdateItemCount; ++row) {
        UpdateItem& item = updateItems[row];
        std::snprintf(item.fileName, sizeof item.fileName, "%s", kUpdateItemInfo[row].fileName);
        item.installedVersion = readFileVersion(item.fileName, item.installedText);
        // The version reader also finds files elsewhere on the search path.
        item.missing = GetFileAttributesA(item.fileName) == INVALID_FILE_ATTRIBUTES;
        fileList.setCellText(1, row, installedColumnText(item));
    }

    HttpDownloader* downloader = new HttpDownloader(dialog);
    const std::string url = updateUrl("version.txt");
    if (!downloader->downloadFile(dialog, url.c_str(), versionListPath().c_str(), kVersionListMaxBytes)) {
        setStatus(dialog, "Unable to Complete Version Check");
        if (!downloader->cancelled())
            MessageBoxA(dialog, "Unable to connect to the Server, Please Check the internet Connection.",
                        kUpdaterCaption, MB_ICONINFORMATION);
        delete downloader;
        return;
    }
    delete downloader;

    std::string list;
    if (readVersionList(list)) {
        VersionLine lines[kUpdateItemCount];
        parseVersionList(list, lines);
        for (int row = 0; row < kUpdateItemCount; ++row) {
            updateItems[row].newVersion = lines[row].number;
            std::snprintf(updateItems[row].newText, kUpdateTextBytes, "%s", lines[row].text);
            fileList.setCellText(2, row, updateItems[row].newText);
        }
    }

    int marked = decideUpdates(updateItems);
    for (int row = 0; row < kUpdateItemCount; ++row)
        fileList.setCellText(3, row, updateStateText(updateItems[row]));
    fileList.fitColumns();
    // A check that finds nothing newer leaves nothing to update.
    EnableWindow(GetDlgItem(dialog, IDC_UPDATE), marked > 0);
    if (marked) EnableWindow(GetDlgItem(dialog, IDC_DETAIL), TRUE);
    setStatus(dialog, "Version Check Completed");
}

void showVersionText(HWND dialog) {
    std::string list;
    if (!readVersionList(list)) return;
    HWND box = GetDlgItem(dialog, IDC_DETAIL_TEXT);
    SetWindowTextA(box, "");
    SetWindowTextA(box, detailText(list).c_str());
}

void toggleDetail(HWND dialog) {
    HWND box = GetDlgItem(dialog, IDC_DETAIL_TEXT);
    RECT boxRect, buttonRect, window;
    GetWindowRect(box, &boxRect);
    GetWindowRect(GetDlgItem(dialog, IDC_DETAIL), &buttonRect);
    int steps = boxRect.bottom - buttonRect.bottom;
    if (steps < 0) steps = 0;
    bool visible = IsWindowVisible(box);
    GetWindowRect(dialog, &window);
    int width = window.right - window.left, height = window.bottom - window.top;
    for (int i = 0; i < steps; ++i) {
        height += visible ? -1 : 1;
        MoveWindow(dialog, window.left, window.top, width, height, TRUE);
        UpdateWindow(dialog);
    }
    if (visible) {
        ShowWindow(box, SW_HIDE);
        SetDlgItemTextA(dialog, IDC_DETAIL, "Detail>>");
    } else {
        ShowWindow(box, SW_SHOW);
        SetDlgItemTextA(dialog, IDC_DETAIL, "Detail<<");
        showVersionText(dialog);
    }
}

INT_PTR CALLBACK updateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        initUpdateDialog(dialog);
        return TRUE;
    case MSG_SET_OWNER:
        updateOwnerWindow = reinterpret_cast<HWND>(lParam);
        return TRUE;
    case WM_COMMAND:
        // Commands that arrive while a check or run hands messages on wait for
        // it: a second run over the same files would fight the first. Escape and
        // the close box cancel it and end the program once it has let go.
        if (busy) {
            if (LOWORD(wParam) == IDCANCEL) updateCancelRequested = true;
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case IDC_VERSION_CHECK:
            busy = true;
            updateCancelRequested = false;
            checkVersions(dialog);
            busy = false;
            if (updateCancelRequested) EndDialog(dialog, 1);
            return TRUE;
        case IDC_UPDATE:
        {
            busy = true;
            updateCancelRequested = false;
            int complete = runUpdate(dialog);
            busy = false;
            if (updateCancelRequested) EndDialog(dialog, 1);
            else if (complete && IsDlgButtonChecked(dialog, IDC_AUTO_CLOSE) == BST_CHECKED) restartAndClose(dialog);
            return TRUE;
        }
        case IDC_DETAIL:
            toggleDetail(dialog);
            return TRUE;
        case IDC_OK:
            restartAndClose(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDM_ABOUT:
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), dialog, aboutDialogProc, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// A program file that was running when its update came (the updater itself,
// most often) was moved aside, and a run that was killed or cut off may have
// left a partial download: both are free to go now.
static void removeLeftovers() {
    DeleteFileA(downloadTempPath(versionListPath()).c_str());
    char folder[MAX_PATH] = {};
    ownProgramFolder(folder);
    if (!folder[0]) return;
    for (const UpdateItemInfo& info : kUpdateItemInfo) {
        const std::string target = std::string(folder) + info.fileName;
        DeleteFileA(asidePath(target).c_str());
        DeleteFileA(downloadTempPath(target).c_str());
    }
}

int updaterMain() {
    removeLeftovers();
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UPDATER), nullptr, updateDialogProc, 0);
    return 0;
}
