// What the output units share on Windows: their message boxes (which a test
// can record instead of showing) and the folders they work in.
#pragma once
#include <windows.h>

#include <string>

using MessageBoxHook = int (*)(HWND owner, const char* text, const char* caption, UINT style);
// Null restores the real message box.
void setMessageBoxHook(MessageBoxHook hook);
int showMessage(HWND owner, const char* text, const char* caption, UINT style);

// The Windows folder and the system folder, without a trailing backslash.
std::string windowsFolder();
std::string systemFolder();
// The short (8.3) form of a path; the path itself when it has none.
std::string shortPath(const std::string& path);
// Whether the path names an existing file or folder.
bool pathExists(const char* path);
