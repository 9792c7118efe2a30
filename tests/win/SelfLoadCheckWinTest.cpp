// The self-load check against real files under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/SelfLoadCheck.h"

namespace {

std::string tempFolder() {
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(MAX_PATH + 1, temp);
    return std::string(temp, n);
}

TEST(SelfLoadCheck, SaverFilesLoadWhereverTheyStand) {
    EXPECT_TRUE(selfLoadSucceeds(GetCommandLineA()));

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string rain = tempFolder() + "Rain Savers";
    CreateDirectoryA(rain.c_str(), nullptr);
    std::string saver = rain + "\\beach.scr";
    ASSERT_TRUE(CopyFileA(self, saver.c_str(), FALSE));
    std::string broken = rain + "\\Broken.SCR";
    HANDLE f = CreateFileA(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, "not a program", 13, &written, nullptr);
    CloseHandle(f);

    struct Case {
        std::string commandLine;
        bool loads;
    } cases[] = {
        {saver + " /s", true},                       // blanks and an R in the folder
        {"\"" + saver + "\" /p 1234", true},
        {broken + " /s", false},                     // there, but not a module: the one case for the box
        {rain + "\\missing.scr /s", true},           // not found: the name was misread, no box
        {"", true},
    };
    for (const Case& c : cases) EXPECT_EQ(selfLoadSucceeds(c.commandLine.c_str()), c.loads) << c.commandLine;

    DeleteFileA(saver.c_str());
    DeleteFileA(broken.c_str());
    RemoveDirectoryA(rain.c_str());
}

}  // namespace
