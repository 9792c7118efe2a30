// The authoring program's outputs on Windows: a saver built from engine.scr with
// its registry values, read back by the engine's own package and option
// readers; an installer package; the delete tool removing a saver and its 19
// values; the Sound step's information list; the self-closing notice.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "authoring/win32/DeleteTool.h"
#include "authoring/win32/DialogTemplate.h"
#include "authoring/win32/OutputShell.h"
#include "authoring/win32/SaverInstall.h"
#include "authoring/win32/ScenarioFileWin.h"
#include "authoring/win32/SoundInfoWin.h"
#include "authoring/win32/SystemCheckWin.h"
#include "authoring/win32/VolumeMixer.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/ScenarioPackage.h"
#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"
#include "tests/support/TestSupport.h"

namespace {

struct Box {
    std::string text, caption;
};
std::vector<Box> g_boxes;

int recordBox(HWND, const char* text, const char* caption, UINT) {
    g_boxes.push_back({text ? text : "", caption ? caption : ""});
    return IDNO;
}

INT_PTR CALLBACK plainPage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::string winPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

SaverBuildInput twoPictures(const std::string& dir) {
    SaverBuildInput input;
    for (int i = 0; i < 2; ++i) {
        const std::string path = dir + "\\p" + std::to_string(i) + ".jpg";
        vt_test::writeFileBytes(path, std::vector<uint8_t>(100 + i, static_cast<uint8_t>(0xA0 + i)));
        input.pack.rows.push_back({path, "Title " + std::to_string(i)});
    }
    input.pack.titlesOn = true;
    input.text.letterFace = "Arial";
    input.text.letterSizeText = "30";
    input.text.titleFace = "Tahoma";
    input.text.titleSizeText = "72";
    input.text.titleColour = 0x00336699;
    input.make = {true, 2, 3000, 7000};
    return input;
}

class OutputUnits : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        dir = winPath(vt_test::scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        g_boxes.clear();
        setMessageBoxHook(recordBox);
    }
    void TearDown() override { setMessageBoxHook(nullptr); }
};

}  // namespace

TEST_F(OutputUnits, SavedSaverIsReadByTheEngine) {
    SaverBuildContext context;   // engine.scr beside this program
    const SaverBuildInput input = twoPictures(dir);
    const std::string saver = dir + "\\Holiday Pics.scr";
    ASSERT_EQ(buildScreenSaverAt(context, input, saver.c_str()), 1);
    EXPECT_TRUE(g_boxes.empty());

    ScenarioPackage* package = newScenarioPackage();
    ASSERT_EQ(loadScenario(package, saver.c_str()), 1);
    EXPECT_EQ(countImages(package), 1);   // highest index: n + 1 entries, minus 2
    EXPECT_EQ(countTitles(package), 1);   // highest title index
    char name[kSaverNameBytes] = {};
    loadScenarioName(package, name);
    fileNamePart(name);
    EXPECT_STREQ(name, "Holiday Pics");
    freeScenarioPackage(package);

    // The engine's option reader under the name the package gives.
    RegistryOptionStore store;
    SaverOptions options;
    std::snprintf(options.saverName, sizeof options.saverName, "%s", name);
    readShowValues(store, options);
    EXPECT_EQ(options.transitionMs, 3000);
    EXPECT_EQ(options.showMs, 7000);
    EXPECT_EQ(options.fontSize, 72);
    EXPECT_STREQ(options.fontFace, "Tahoma");
    EXPECT_EQ(options.titleColor, 0x00336699u);
    char display[32] = {};
    ASSERT_TRUE(store.readString(optionValueName(name, kOptDisplay).c_str(), display, sizeof display));
    EXPECT_EQ(displayChoiceFromText(display), GetSystemMetrics(SM_CXSCREEN) > 800 ? 2 : 1);

    // No engine beside the "program": nothing built, the message in its words.
    context.programFolder = dir + "\\";
    EXPECT_EQ(buildScreenSaverAt(context, input, (dir + "\\x.scr").c_str()), 0);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].caption, "Error");
}

TEST_F(OutputUnits, InstallerCarriesABuiltSaver) {
    SaverBuildContext context;
    context.programFolder = dir + "\\";
    CopyFileA((programFolder() + "engine.scr").c_str(), (dir + "\\ENGINE.SCR").c_str(), FALSE);
    vt_test::writeFileBytes(dir + "\\Packwright.exe", std::vector<uint8_t>(3000, 0x90));
    const SaverBuildInput input = twoPictures(dir);
    const std::string exe = dir + "\\Setup.exe";
    const std::string saver = installerSaverPath(exe);
    ASSERT_EQ(buildScreenSaverForInstaller(context, input, saver.c_str()), 1);   // any letter case
    ASSERT_EQ(buildInstaller(context.programFolder, exe, saver, input, context.reporter), 1);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_FALSE(pathExists(saver.c_str()));

    ScenarioPackage* installer = newScenarioPackage();
    ASSERT_EQ(loadScenario(installer, exe.c_str()), 1);
    ASSERT_EQ(installer->count, 2);
    int32_t size = 0;
    uint8_t* inner = findEntry(installer, kEntrySaverFile, 0, &size);
    ASSERT_TRUE(inner);
    ScenarioPackage* built = newScenarioPackage();
    EXPECT_EQ(loadScenarioFrom(built, memoryPackageSource(inner, static_cast<size_t>(size))), 1);
    EXPECT_EQ(countTitles(built), 1);
    freeScenarioPackage(built);
    releaseEntry(installer, kEntrySaverFile, 0, inner);
    uint8_t* text = findEntry(installer, kEntryOptionText, 0, &size);
    ASSERT_TRUE(text);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text), static_cast<size_t>(size)),
              exeOptionText(input.text, input.make));
    releaseEntry(installer, kEntryOptionText, 0, text);
    freeScenarioPackage(installer);
}

TEST_F(OutputUnits, DeleteToolRemovesASaverAndItsValues) {
    SaverBuildContext context;
    ASSERT_EQ(buildScreenSaverAt(context, twoPictures(dir), (dir + "\\Old Show.scr").c_str()), 1);
    // A .scr that is not ours (no version block of the company) is not listed.
    vt_test::writeFileBytes(dir + "\\other.scr", std::vector<uint8_t>(64, 0x4D));
    for (const char* word : {kOptMouse, kOptMouseClick, kOptKey, kOptSound, kOptMute})
        writeRegistryDword(HKEY_CURRENT_USER, kOptionKey, optionValueName("Old Show", word).c_str(), 1);

    std::string company, language;
    ASSERT_TRUE(readCompanyName((dir + "\\Old Show.scr").c_str(), company, language));
    EXPECT_EQ(company, kSaverCompanyName);
    EXPECT_FALSE(readCompanyName((dir + "\\other.scr").c_str(), company, language));

    setDeleteToolFolder(dir);
    setDeleteToolShellFlags(FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI);
    HWND tool = openDeleteTool(nullptr);
    ASSERT_TRUE(tool);
    HWND list = GetDlgItem(tool, kIdDeleteList);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
    g_boxes.clear();   // the icon of the program is not in this test program

    SendMessageA(tool, WM_COMMAND, kIdDeleteButton, 0);   // nothing selected
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "First, slect the ScreenSaver file for delete.");
    EXPECT_TRUE(pathExists((dir + "\\Old Show.scr").c_str()));

    SendMessageA(list, LVM_SETSELECTIONMARK, 0, 0);
    SendMessageA(tool, WM_COMMAND, kIdDeleteButton, 0);
    EXPECT_FALSE(pathExists((dir + "\\Old Show.scr").c_str()));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    char status[64] = {};
    GetDlgItemTextA(tool, kIdDeleteStatus, status, sizeof status);
    EXPECT_STREQ(status, "Delete Completed");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOptionKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    char valueName[300];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof valueName;
        if (RegEnumValueA(key, i, valueName, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        EXPECT_NE(std::string(valueName).rfind("old show", 0), 0u) << valueName;
    }
    RegCloseKey(key);

    SendMessageA(tool, WM_COMMAND, kIdHelpButton, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(tool, kIdDeleteHelpText)));
    SendMessageA(tool, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(tool));
    setDeleteToolFolder({});
    setDeleteToolShellFlags(0);
}

TEST_F(OutputUnits, SoundInformationList) {
    CoInitialize(nullptr);
    InitCommonControls();
    DialogTemplate t("Sound", WS_POPUP | WS_CAPTION, 300, 200);
    t.add("EDIT", "", kIdSoundPath, WS_BORDER | ES_AUTOHSCROLL, 5, 5, 200, 12)
        .add("STATIC", "", kIdSoundTotalTime, SS_LEFT, 5, 20, 60, 10)
        .add("STATIC", "", kIdSoundIcon, SS_ICON, 70, 20, 16, 16)
        .add(WC_LISTVIEWA, "", kIdSoundInfoList, LVS_REPORT, 5, 40, 290, 150);
    HWND page = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr,
                                           plainPage, 0);
    ASSERT_TRUE(page);
    HWND list = GetDlgItem(page, kIdSoundInfoList);
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    // Files the sound player opens are real sounds (Wine's multimedia streaming
    // can hang on junk); the refused one never reaches the player.
    auto fixture = [&](const char* source, const char* name) {
        vt_test::writeFileBytes(dir + "\\" + name, vt_test::readFileBytes(vt_test::sourceDir() + "/tests/data/sound/" + source));
        return dir + "\\" + name;
    };
    auto mp3 = [&](const char* name, uint8_t rateByte) {
        std::vector<uint8_t> bytes = {0xFF, 0xFB, rateByte, 0x64};
        bytes.resize(2000, 0);
        vt_test::writeFileBytes(dir + "\\" + name, bytes);
        return dir + "\\" + name;
    };
    std::string taken = fixture("tone.mp3", "Tone.MP3");
    ASSERT_TRUE(showSoundInfo(page, taken.data()));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 21);
    char shown[MAX_PATH] = {};
    GetDlgItemTextA(page, kIdSoundPath, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), dir + "\\Tone.mp3");

    std::string refused = mp3("loud.mp3", 0xE0);   // 320 kbps
    EXPECT_FALSE(showSoundInfo(page, refused.data()));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].caption, "Glimmerdeck");
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 21);   // the old rows stay

    std::string wav = fixture("tone.wav", "tone.WAV");
    EXPECT_TRUE(showSoundInfo(page, wav.data()));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 8);

    EXPECT_EQ(shellAttributeText(0), "");
    EXPECT_EQ(shellAttributeText(SFGAO_CANCOPY | SFGAO_FOLDER), "Copy,Folder,and so on");
    DestroyWindow(page);
    CoUninitialize();
}

TEST_F(OutputUnits, MixerScalesAndTimedNotice) {
    EXPECT_EQ(trackbarToVolume(50), 32767u);
    EXPECT_EQ(trackbarToVolume(100), 65535u);
    EXPECT_EQ(trackbarToVolume(1), 655u);
    EXPECT_EQ(volumeToTrackbar(65535), 100);
    EXPECT_EQ(volumeToTrackbar(32767), 49);

    setMessageBoxHook(nullptr);
    const DWORD start = timeGetTime();
    EXPECT_EQ(timedMessageBox(nullptr, "Closing by itself", "Glimmerdeck", MB_OK, 400), 0);
    const DWORD took = timeGetTime() - start;
    EXPECT_GE(took, 350u);
    EXPECT_LT(took, 5000u);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));   // the quit was taken out
}

TEST_F(OutputUnits, InstallMakesTheSaverCurrent) {
    UINT oldTimeout = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &oldTimeout, 0);
    char oldSaver[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", oldSaver, sizeof oldSaver, "system.ini");

    // A stored waiting time other than the one to be chosen.
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, 600, nullptr, SPIF_UPDATEINIFILE);

    SaverBuildContext context;
    context.windowsFolder = dir;
    wizard.saverInstalled = 0;
    ASSERT_EQ(installScreenSaver(context, twoPictures(dir), "Sea", "15"), 1);
    EXPECT_EQ(wizard.saverInstalled, 1);
    EXPECT_TRUE(pathExists((dir + "\\Sea.scr").c_str()));
    UINT timeout = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
    EXPECT_EQ(timeout, 900u);
    // Stored in the user's profile, where the next session (and every other program) reads it.
    char stored[32] = {};
    DWORD size = sizeof stored;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveTimeOut", RRF_RT_REG_SZ, nullptr,
                           stored, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(stored, "900");
    char saver[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", saver, sizeof saver, "system.ini");
    char longPath[MAX_PATH] = {};
    GetLongPathNameA(saver, longPath, sizeof longPath);
    EXPECT_STREQ(longPath, (dir + "\\Sea.scr").c_str());

    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, oldTimeout, nullptr, SPIF_UPDATEINIFILE);
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", oldSaver[0] ? oldSaver : nullptr, "system.ini");
    wizard.saverInstalled = 0;
}

TEST_F(OutputUnits, ScenarioSaveAndLoad) {
    ScenarioPageValues values;
    values.pictures = {dir + "\\a.jpg"};
    vt_test::writeFileBytes(values.pictures[0], {1, 2, 3});
    values.titlePaths = values.pictures;
    values.titles = {"Sea"};
    scenarioPath = dir + "\\work.sao";
    scenarioNamed = true;   // Save writes without asking
    ScenarioWindows windows;
    ASSERT_TRUE(saveScenario(windows, values));

    DialogTemplate t("Image", WS_POPUP, 200, 100);
    t.add("LISTBOX", "", kIdSelectedImageList, LBS_HASSTRINGS, 5, 5, 150, 60)
        .add("COMBOBOX", "", kIdSlideTimeList, CBS_DROPDOWNLIST | WS_VSCROLL, 5, 70, 50, 80);
    HWND page = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr,
                                           plainPage, 0);
    ASSERT_TRUE(page);
    for (const char* row : {"1", "2", "3"})
        SendDlgItemMessageA(page, kIdSlideTimeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    values.slideTimeRow = 2;
    ASSERT_TRUE(saveScenario(windows, values));
    windows.user = page;
    windows.restoreImagePage = [](void* user) { restoreImagePage(static_cast<HWND>(user)); };
    scenarioNamed = false;
    ASSERT_EQ(loadScenarioFrom(windows, dir + "\\work.sao"), 1);
    EXPECT_TRUE(scenarioNamed);
    EXPECT_EQ(SendDlgItemMessageA(page, kIdSelectedImageList, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(page, kIdSlideTimeList, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(scenarioState().imageRestorePending, 0);
    EXPECT_EQ(scenarioState().textRestorePending, 1);
    DestroyWindow(page);
    EXPECT_EQ(scenarioState().pictures, values.pictures);
    EXPECT_EQ(scenarioState().titles, values.titles);
    EXPECT_EQ(missingCount, 0);
    EXPECT_TRUE(g_boxes.empty());

    EXPECT_EQ(loadScenarioFrom(windows, dir + "\\work.txt"), 0);
    EXPECT_EQ(loadScenarioFrom(windows, dir + "\\gone.sao"), 0);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text, " This file is not supported. Make sure again that extension is correct.");
    EXPECT_EQ(g_boxes[1].text, "Can't read file. file is damaged or is not correct.");
    scenarioNamed = false;
}

TEST_F(OutputUnits, MixerAndSystemCheck) {
    InitCommonControls();
    DialogTemplate t("Sound", WS_POPUP, 200, 60);
    t.add("STATIC", "", kIdSoundCardStatus, SS_LEFT, 5, 5, 190, 10)
        .add(TRACKBAR_CLASSA, "", kIdVolumeBar, 0, 5, 20, 150, 14)
        .add(TRACKBAR_CLASSA, "", kIdBalanceBar, 0, 5, 38, 150, 14);
    HWND page = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr, plainPage, 0);
    ASSERT_TRUE(page);
    const int opened = initMixer(page);
    wchar_t status[100] = {};
    GetDlgItemTextW(page, kIdSoundCardStatus, status, 100);
    if (opened && mixerGetNumDevs() > 0) {
        EXPECT_EQ(std::wstring(status).rfind(L"Sound card OK->", 0), 0u);
        initVolumeControls(page);
        DWORD before = 0;
        if (selectWaveOutVolume(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT) && getMixerVolume(&before)) {
            EXPECT_TRUE(onMixerCommand(page, kCmdMiddleVolume));
            EXPECT_EQ(SendDlgItemMessageA(page, kIdVolumeBar, TBM_GETPOS, 0, 0), 50);
            // Wine's mixer takes the value but reads back its own (0 here): only the calls are checked.
            DWORD now = 0;
            EXPECT_EQ(getMixerVolume(&now), 1);
            setMixerVolume(before);
        }
    }
    // Balance without a sound: the bar moves, nothing else happens.
    EXPECT_TRUE(onMixerCommand(page, kCmdBalanceLeft));
    EXPECT_EQ(SendDlgItemMessageA(page, kIdBalanceBar, TBM_GETPOS, 0, 0), -10000);
    EXPECT_FALSE(onMixerCommand(page, 40023));
    closeMixer();
    DestroyWindow(page);

    // The check itself: the notice closes by itself, every other finding is a box
    // of its own (the resolution question answered No by the recorder).
    checkSystem();
    for (const Box& box : g_boxes) {
        EXPECT_EQ(box.caption, "Glimmerdeck");
        EXPECT_TRUE(box.text.find("recommended") != std::string::npos || box.text.find("CPU speed") != std::string::npos ||
                    box.text.find("resolution") != std::string::npos)
            << box.text;
    }
}
