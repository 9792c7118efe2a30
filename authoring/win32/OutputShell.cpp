#include "authoring/win32/OutputShell.h"

namespace {
MessageBoxHook g_hook = nullptr;
}

void setMessageBoxHook(MessageBoxHook hook) { g_hook = hook; }

int showMessage(HWND owner, const char* text, const char* caption, UINT style) {
    if (g_hook) return g_hook(owner, text, caption, style);
    return MessageBoxA(owner, text, caption, style);
}

std::string windowsFolder() {
    char path[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
    return n && n < MAX_PATH ? std::string(path) : std::string();
}

std::string systemFolder() {
    char path[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    return n && n < MAX_PATH ? std::string(path) : std::string();
}

bool pathExists(const char* path) { return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::string shortPath(const std::string& path) {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n && n < MAX_PATH ? std::string(buffer) : path;
}
