// The debug log's Korean file name through the wide-character API, and its
// temp-folder fallback, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/CrashLog.h"

namespace {

const wchar_t kWideName[] = L"\uD654\uBA74\uBCF4\uD638\uAE30\uB514\uBC84\uADF8.txt";

std::string readWide(const std::wstring& path) {
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

std::wstring tempFolder() {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp, n);
}

TEST(CrashLogFile, TheKoreanNameAtTheRootOfC) {
    std::wstring path = std::wstring(L"c:\\") + kWideName;
    DeleteFileW(path.c_str());
    setDebugLogPath(kDebugLogName);
    writeTraceLine("Animation\\ANI_Plasma", 31);
    setDebugLogPath("");
    // Text mode: CR LF line ends on Windows.
    EXPECT_EQ(readWide(path), "Animation\\ANI_Plasma(31)\r\n-----------------------------------------------------\r\n");
    DeleteFileW(path.c_str());
}

TEST(CrashLogFile, AFolderThatCannotBeWrittenFallsBackToTheTempFolder) {
    std::wstring fallback = tempFolder() + kWideName;
    DeleteFileW(fallback.c_str());
    std::string path = std::string("c:\\no-such-folder\\") + (kDebugLogName + 3);
    setDebugLogPath(path.c_str());
    writeTraceLine("CG\\CGEffect_Pre", 8);
    setDebugLogPath("");
    EXPECT_EQ(readWide(fallback), "CG\\CGEffect_Pre(8)\r\n-----------------------------------------------------\r\n");
    DeleteFileW(fallback.c_str());
}

}  // namespace
