// Installer packages: Packwright's copy with the saver (entry 6) and the option
// text (entry 7) appended; and the failures that leave no complete installer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PackageFixture.h"
#include "authoring/SaverBuild.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

SaverBuildInput options() {
    SaverBuildInput input;
    input.text.letterFace = "Arial";
    input.text.letterSizeText = "30";
    input.text.titleFace = "Arial";
    input.text.titleSizeText = "100";
    return input;
}

}  // namespace

TEST(SaverBuild, InstallerHoldsTheSaverThenTheOptionText) {
    const std::string dir = scratchDir("installer_layout");
    const auto packwright = patternBytes(1000, 3);
    makeFile(dir, "PACKWRIGHT.EXE", packwright);   // found in any letter case
    const auto saver = patternBytes(777, 4);
    const std::string saverPath = makeFile(dir, "Setup.scr", saver);
    const std::string exePath = dir + "/Setup.exe";
    makeFile(dir, "Setup.exe", patternBytes(5000, 9));   // an existing target is replaced
    EXPECT_EQ(installerSaverPath(exePath), saverPath);
    // Nothing can be written as "ExeOption.txt" in the program's folder (as in a read-only one).
    std::filesystem::create_directory(dir + "/ExeOption.txt");

    PackLog log;
    ASSERT_EQ(buildInstaller(dir, exePath, saverPath, options(), log.reporter()), 1)
        << (log.boxes.empty() ? std::string("no message") : log.boxes[0].text);
    EXPECT_TRUE(log.boxes.empty());
    const auto file = readFileBytes(exePath);
    EXPECT_TRUE(std::equal(packwright.begin(), packwright.end(), file.begin()));
    std::string why;
    const auto entries = parsePackage(file, packwright.size(), &why);
    ASSERT_EQ(entries.size(), 2u) << why;
    EXPECT_EQ(entries[0].type, 6u);
    EXPECT_EQ(entries[0].offset, 1024u + 9621u);
    EXPECT_EQ(entries[0].data, saver);
    EXPECT_EQ(entries[1].type, 7u);
    EXPECT_EQ(entries[1].index, 0u);
    const std::string text(entries[1].data.begin(), entries[1].data.end());
    EXPECT_EQ(text, exeOptionText(options().text, options().make));
    // The temporary saver and the option file are gone.
    EXPECT_FALSE(std::filesystem::exists(saverPath));
    EXPECT_TRUE(std::filesystem::is_empty(dir + "/ExeOption.txt"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::temp_directory_path() / "ExeOption.txt"));
}

TEST(SaverBuild, InstallerFailures) {
    const std::string dir = scratchDir("installer_failures");
    PackLog log;
    const std::string saverPath = makeFile(dir, "Setup.scr", patternBytes(10, 1));
    EXPECT_EQ(buildInstaller(dir, dir + "/Setup.exe", saverPath, options(), log.reporter()), 0);
    ASSERT_EQ(log.boxes.size(), 1u);
    EXPECT_EQ(log.boxes[0].text.substr(0, 30), "Can't find install engine file");
    EXPECT_TRUE(std::filesystem::exists(saverPath));   // kept when there is no Packwright

    // The saver is gone: the installer keeps an empty directory.
    makeFile(dir, "Packwright.exe", patternBytes(512, 2));
    std::filesystem::remove(saverPath);
    log = PackLog{};
    EXPECT_EQ(buildInstaller(dir, dir + "/Setup.exe", saverPath, options(), log.reporter()), 0);
    ASSERT_EQ(log.boxes.size(), 1u);
    EXPECT_EQ(log.boxes[0].caption, "scr engine part");
    std::string why;
    EXPECT_TRUE(parsePackage(readFileBytes(dir + "/Setup.exe"), 512, &why).empty());
    EXPECT_EQ(why, "");   // a valid package with no entries
}

TEST(SaverBuild, EngineLookup) {
    const std::string dir = scratchDir("engine_lookup");
    makeFile(dir, "ENGINE.SCR", patternBytes(100, 5));
    const std::string target = dir + "/out.scr";
    EXPECT_EQ(copyEngineFile(dir, false, target), EngineCopy::NotFound);
    EXPECT_EQ(copyEngineFile(dir, true, target), EngineCopy::Copied);
    EXPECT_EQ(readFileBytes(target), patternBytes(100, 5));
    EXPECT_EQ(copyEngineFile(dir, true, dir + "/no/such/folder/out.scr"), EngineCopy::CopyFailed);
    EXPECT_EQ(installerSaverPath("D:\\Out\\Setup.exe"), "D:\\Out\\Setup.scr");
}
