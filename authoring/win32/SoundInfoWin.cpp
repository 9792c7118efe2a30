#include "authoring/win32/SoundInfoWin.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <io.h>

#include "authoring/Mp3Info.h"
#include "authoring/win32/OutputShell.h"
#include "engine/SoundPlayer.h"

namespace {

std::string printed(const char* format, int a) {
    char text[64];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

void lowerExtension(char* path) {
    char* ext = PathFindExtensionA(path);
    for (char* p = ext; p && *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
}

}  // namespace

void addSoundInfoRow(HWND page, const char* item, const char* info) {
    HWND list = GetDlgItem(page, kIdSoundInfoList);
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    row.pszText = const_cast<char*>(item);
    const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    if (at < 0) return;
    LVITEMA cell = {};
    cell.iSubItem = 1;
    cell.pszText = const_cast<char*>(info ? info : "");
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
}

int fileTimeAndSize(const char* path, FileTimeAndSize& out) {
    out = FileTimeAndSize{};
    if (_access(path, 0) != 0) return 0;
    WIN32_FIND_DATAA found = {};
    HANDLE find = FindFirstFileA(path, &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    FILETIME local = {};
    SYSTEMTIME t = {};
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &t);
    char date[100];
    std::snprintf(date, sizeof date, "%4d-%02d-%02dDay %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    out.date = date;
    out.size = printed("%d bytes", static_cast<int>(found.nFileSizeLow));
    out.name = found.cFileName;
    return 1;
}

std::string shellAttributeText(DWORD attributes) {
    static const struct {
        DWORD flag;
        const char* word;
    } words[] = {
        {SFGAO_CANCOPY, "Copy,"},        {SFGAO_CANMOVE, "Move,"},         {SFGAO_CANDELETE, "Delete,"},
        {SFGAO_CANRENAME, "Rename,"},    {SFGAO_CANLINK, "Link,"},         {SFGAO_HASPROPSHEET, "Attribute,"},
        {SFGAO_GHOSTED, "Hiden,"},       {SFGAO_SHARE, "share,"},          {SFGAO_HASSUBFOLDER, "Subfolder,"},
        {SFGAO_REMOVABLE, "On removable media,"}, {SFGAO_FOLDER, "Folder,"},
    };
    if (attributes == 0) return {};
    std::string text;
    for (const auto& w : words)
        if (attributes & w.flag) text += w.word;
    return text + "and so on";
}

void shellFileInfo(HWND page, const char* path, ShellFileTexts& out) {
    SHFILEINFOA info = {};
    const DWORD_PTR result =
        SHGetFileInfoA(path, 0, &info, sizeof info,
                       SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_USEFILEATTRIBUTES);
    out.result = printed("Return Code : %d", static_cast<int>(result));
    out.iconIndex = printed("%d", info.iIcon);
    out.displayName = info.szDisplayName;
    out.typeName = info.szTypeName;
    out.attributes = shellAttributeText(info.dwAttributes);
    if (info.hIcon) {
        const HICON old = reinterpret_cast<HICON>(
            SendDlgItemMessageA(page, kIdSoundIcon, STM_SETICON, reinterpret_cast<WPARAM>(info.hIcon), 0));
        if (old) DestroyIcon(old);
    }
}

void fillFileInfoList(HWND page, const char* path) {
    FileTimeAndSize file;
    fileTimeAndSize(path, file);
    addSoundInfoRow(page, "File path", path);
    addSoundInfoRow(page, "Modified date", file.date.c_str());
    addSoundInfoRow(page, "File size", file.size.c_str());

    SoundFormat format;
    int64_t duration = 0;
    readMediaInfo(path, &format, &duration);
    addSoundInfoRow(page, "Total time", totalTimeText(duration).c_str());
    SetDlgItemTextA(page, kIdSoundTotalTime, positionLabel(duration).c_str());

    ShellFileTexts shell;
    shellFileInfo(page, path, shell);
    addSoundInfoRow(page, "File type", shell.typeName.c_str());
    addSoundInfoRow(page, "File name", shell.displayName.c_str());
    addSoundInfoRow(page, "File attribute", shell.attributes.c_str());
    addSoundInfoRow(page, "Icon index", shell.iconIndex.c_str());
}

bool showSoundInfo(HWND page, char* path) {
    lowerExtension(path);
    const char* ext = PathFindExtensionA(path);
    const bool mp3 = ext && std::strcmp(ext, ".mp3") == 0;
    Mp3Info info;
    if (mp3) {
        readMp3Info(path, info);
        if (!mp3BitRateAccepted(info)) {
            showMessage(page, "The selected file is not supported.  Sound file of upper 256 bitrate is not supported.",
                        "Glimmerdeck", MB_ICONEXCLAMATION);
            return false;
        }
    }
    soundPlayer().openSoundFile(path);
    SendDlgItemMessageA(page, kIdSoundInfoList, LVM_DELETEALLITEMS, 0, 0);
    fillFileInfoList(page, path);
    SetDlgItemTextA(page, kIdSoundPath, path);
    if (mp3)
        for (const auto& row : mp3InfoRows(info)) addSoundInfoRow(page, row.first.c_str(), row.second.c_str());
    return true;
}

void showErrorBox(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    wvsprintfA(text, format, args);
    va_end(args);
    HWND focus = GetFocus();
    showMessage(focus, text, nullptr, MB_ICONEXCLAMATION);
    SetFocus(focus);
}

int checkMp3Extension(const char* path) {
    const char* dot = path ? std::strrchr(path, '.') : nullptr;
    std::string ext = dot ? dot + 1 : "invalid";
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "mp3") return 200;
    showErrorBox("invalid file extension");
    return 100;
}

void updateSoundPosition(HWND page) {
    const int64_t duration = soundPlayer().getSoundDuration();
    const int64_t position = soundPlayer().getSoundPosition();
    SendDlgItemMessageA(page, kIdSoundPositionBar, TBM_SETPOS, TRUE, positionPercent(position, duration));
    SetDlgItemTextA(page, kIdSoundPosition, positionLabel(position).c_str());
}
