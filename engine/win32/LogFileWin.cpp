#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/CrashLog.h"

namespace {

std::wstring widen(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
    out.resize(static_cast<size_t>(n) - 1);
    return out;
}

}  // namespace

// The log name is Korean; the wide API opens it whatever the ANSI code page.
// The root of C: is not writable for ordinary users, hence the temp fallback.
FILE* openDebugLog(const char* path) {
    std::wstring wide = widen(path);
    if (wide.empty()) return nullptr;
    if (FILE* f = _wfopen(wide.c_str(), L"a+t")) return f;
    size_t cut = wide.find_last_of(L"\\/");
    std::wstring name = cut == std::wstring::npos ? wide : wide.substr(cut + 1);
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (name.empty() || n == 0 || n > MAX_PATH) return nullptr;
    return _wfopen((std::wstring(temp, n) + name).c_str(), L"a+t");
}
