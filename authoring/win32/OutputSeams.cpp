// The wizard's calls into the output units: each page's controls become the
// plain records the units take (scenario values, build input), and the
// progress dialog 120 shows the package writer's lines.
#include "authoring/win32/WizardSeams.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "authoring/win32/DeleteTool.h"
#include "authoring/win32/MakePage.h"
#include "authoring/win32/OutputShell.h"
#include "authoring/win32/SaverInstall.h"
#include "authoring/win32/ScenarioFileWin.h"
#include "authoring/win32/SoundInfoWin.h"
#include "authoring/win32/SystemCheckWin.h"
#include "authoring/win32/TextPage.h"
#include "authoring/win32/VolumeMixer.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "authoring/WizardRules.h"
#include "engine/SoundPlayer.h"

namespace {

int comboRow(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)); }

std::string comboText(HWND page, int id) {
    const int row = comboRow(page, id);
    char text[260] = {};
    if (row >= 0 && SendDlgItemMessageA(page, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0) < 259)
        SendDlgItemMessageA(page, id, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string itemText(HWND page, int id) {
    char text[260] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

bool checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

std::string faceOfRow(int row) {
    return row >= 0 && row < fontTable.count ? std::string(fontTable.rows[row].faceName) : std::string();
}

std::string letterText() {
    if (!wizard.textPage) return {};
    std::vector<char> text(static_cast<size_t>(getLetterSize()) + 1, '\0');
    getLetterText(text.data());
    return text.data();
}

TextOptionValues textOptions() {
    TextOptionValues t;
    const HWND page = wizard.textPage;
    if (!page) return t;
    t.titlesOn = checked(page, IDC_TITLE_MODE);
    t.letterOn = checked(page, IDC_LETTER_MODE);
    t.letterStartText = itemText(page, IDC_LETTER_TIME);
    t.letterFontRow = comboRow(page, IDC_LETTER_FONT);
    t.letterSizeRow = comboRow(page, IDC_LETTER_SIZE);
    t.titleFontRow = comboRow(page, IDC_TITLE_FONT);
    t.titleSizeRow = comboRow(page, IDC_TITLE_SIZE);
    t.letterFace = faceOfRow(t.letterFontRow);
    t.titleFace = faceOfRow(t.titleFontRow);
    t.letterSizeText = comboText(page, IDC_LETTER_SIZE);
    t.titleSizeText = comboText(page, IDC_TITLE_SIZE);
    t.randomColour = checked(page, IDC_RANDOM_COLOUR);
    t.defaultFont = checked(page, IDC_DEFAULT_FONT);
    t.letterColour = wizard.letterColour;
    t.titleColour = wizard.titleColour;
    return t;
}

MakeOptionValues makeOptions() {
    MakeOptionValues m;
    const HWND page = wizard.makePage;
    if (!page) return m;
    m.pageExists = true;
    m.screenModeRow = comboRow(page, IDC_SCREEN_MODE);
    m.transitionMs = static_cast<int32_t>(SendDlgItemMessageA(page, IDC_TRANSITION, TBM_GETPOS, 0, 0));
    m.showMs = static_cast<int32_t>(SendDlgItemMessageA(page, IDC_SHOW_TIME, TBM_GETPOS, 0, 0));
    return m;
}

void titleRows(std::vector<std::string>* paths, std::vector<std::string>* titles) {
    const int rows = titleRowCount();
    for (int row = 0; row < rows; ++row) {
        char path[260] = {}, title[100] = {};
        titleCell(row, 0, path, sizeof path);
        titleCell(row, 1, title, sizeof title);
        if (paths) paths->push_back(path);
        if (titles) titles->push_back(title);
    }
}

ScenarioPageValues scenarioValues() {
    ScenarioPageValues v;
    if (HWND list = GetDlgItem(wizard.imagePage, IDC_IMAGE_LIST)) {
        const int rows = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            char path[260] = {};
            if (SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0) < 260)
                SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(path));
            v.pictures.push_back(path);
        }
    }
    titleRows(&v.titlePaths, &v.titles);
    v.slideTimeRow = comboRow(wizard.imagePage, IDC_SLIDE_TIME);
    v.text = textOptions();
    v.make = makeOptions();
    v.soundPath = itemText(wizard.soundPage, IDC_SOUND_PATH);
    v.letterText = letterText();
    takePendingScenario(v, scenarioState());
    return v;
}

ScenarioWindows scenarioWindows() {
    ScenarioWindows w;
    w.imagePage = wizard.imagePage;
    w.makePage = wizard.makePage;
    w.selectFirstStep = [](void*) { selectWizardPage(kImagePage); };
    w.restoreImagePage = [](void*) { restoreImagePage(wizard.imagePage); };
    return w;
}

// The work as last opened, saved or started anew.
ScenarioPageValues& keptWork() {
    static ScenarioPageValues kept;
    return kept;
}

// The saver path and scenario name live in both records; the wizard's is the one File New clears.
void syncScenarioName() {
    if (!wizard.scenarioPath[0]) scenarioNamed = false;
    else scenarioPath = wizard.scenarioPath;
}
void keepScenarioName() { lstrcpynA(wizard.scenarioPath, scenarioPath.c_str(), sizeof wizard.scenarioPath); }

INT_PTR CALLBACK progressDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void ensureProgress(void*) {
    if (IsWindow(wizard.progressDialog)) return;
    wizard.progressDialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS),
                                               wizard.makePage, progressDialogProc, 0);
    if (wizard.progressDialog) ShowWindow(wizard.progressDialog, SW_SHOW);
}

void progressLine(void*, const char* line) {
    if (!IsWindow(wizard.progressDialog)) return;
    SetDlgItemTextA(wizard.progressDialog, IDC_PROGRESS_TEXT, line);
    UpdateWindow(wizard.progressDialog);
}

void packMessage(void*, const char* text, const char* caption, PackMessageStyle style) {
    if (style == PackMessageStyle::Stop) showMessage(nullptr, text, caption, MB_ICONSTOP);
    else showMessage(wizard.titleList, text, caption, MB_OK);
}

void closeProgress(void*) {
    if (IsWindow(wizard.progressDialog)) DestroyWindow(wizard.progressDialog);
    wizard.progressDialog = nullptr;
}

}  // namespace

void gatherSaverBuild(SaverBuildContext& context, SaverBuildInput& input) {
    context.programFolder = programFolder();
    context.imagePage = wizard.imagePage;
    context.makePage = wizard.makePage;
    context.reporter.ensureProgressWindow = ensureProgress;
    context.reporter.progressLine = progressLine;
    context.reporter.message = packMessage;
    context.closeProgress = closeProgress;

    std::vector<std::string> paths, titles;
    titleRows(&paths, &titles);
    input.pack.rows.clear();
    for (size_t i = 0; i < paths.size(); ++i) input.pack.rows.push_back({paths[i], titles[i]});
    input.text = textOptions();
    input.make = makeOptions();
    input.pack.titlesOn = input.text.titlesOn;
    input.pack.letterOn = input.text.letterOn;
    input.pack.letterText = letterText();
    input.pack.soundPath = itemText(wizard.soundPage, IDC_SOUND_PATH);
}

void runStartupSystemCheck() { checkSystem(); }

void markWorkKept() { keptWork() = scenarioValues(); }

bool workUnsaved() { return !sameScenarioWork(keptWork(), scenarioValues()); }

bool openScenarioFile(HWND) {
    syncScenarioName();
    if (loadScenarioFile(scenarioWindows()) != 1) return false;
    keepScenarioName();
    // Step 1 took its data at once; the others take it when they next show.
    wizard.imageRestorePending = 0;
    wizard.textRestorePending = wizard.soundRestorePending = wizard.makeRestorePending = 1;
    return true;
}

bool saveScenarioFile(HWND) {
    syncScenarioName();
    if (!saveScenario(scenarioWindows(), scenarioValues())) return false;
    keepScenarioName();
    return true;
}

bool saveScenarioFileAs(HWND) {
    syncScenarioName();
    const bool named = scenarioNamed;
    if (!saveScenarioAs(scenarioWindows(), scenarioValues())) return false;
    scenarioNamed = named;
    keepScenarioName();
    return true;
}

void restoreTextSettings(HWND page) {
    ScenarioState& s = scenarioState();
    if (s.textRestorePending != 1) return;
    ListView_DeleteAllItems(wizard.titleList);
    for (const std::string& path : s.titlePaths) appendTitleRow(path.c_str());
    for (size_t i = 0; i < s.titles.size(); ++i) setRowTitle(s.titles[i].c_str(), static_cast<int>(i));
    SetDlgItemTextA(page, IDC_LETTER_TIME, s.letterStartTime.c_str());
    SendDlgItemMessageA(page, IDC_LETTER_FONT, CB_SETCURSEL, static_cast<WPARAM>(s.letterFontRow), 0);
    SendDlgItemMessageA(page, IDC_LETTER_SIZE, CB_SETCURSEL, static_cast<WPARAM>(s.letterSizeRow), 0);
    SendDlgItemMessageA(page, IDC_TITLE_FONT, CB_SETCURSEL, static_cast<WPARAM>(s.titleFontRow), 0);
    SendDlgItemMessageA(page, IDC_TITLE_SIZE, CB_SETCURSEL, static_cast<WPARAM>(s.titleSizeRow), 0);
    CheckDlgButton(page, IDC_RANDOM_COLOUR, s.randomColour == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_DEFAULT_FONT, s.defaultFont == 1 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(page, IDC_LETTER, s.letterText.c_str());
    s.textRestorePending = 0;
}

void restoreSoundSettings(HWND page) { restoreSoundPage(page); }
void restoreMakeSettings(HWND page) { restoreMakePage(page, showOptionSeconds); }

void saveSaverFile(HWND) {
    SaverBuildContext context;
    SaverBuildInput input;
    gatherSaverBuild(context, input);
    saveScrFile(context, input);
}

void buildInstallerFile(HWND) {
    SaverBuildContext context;
    SaverBuildInput input;
    gatherSaverBuild(context, input);
    makeInstallerExe(context, input);
}

void playSound(HWND) { soundPlayer().playSound(); }
void pauseSound() { soundPlayer().pauseSound(); }
void seekSound(int mode) { soundPlayer().seekSound(mode); }
bool showSoundFileInfo(HWND page, const char* path) {
    char buffer[MAX_PATH] = {};
    lstrcpynA(buffer, path ? path : "", sizeof buffer);
    return showSoundInfo(page, buffer);
}
void showSoundPosition(HWND page) { updateSoundPosition(page); }
void openMixer(HWND page) { initMixer(page); }
void mixerCommand(HWND page, int command) { onMixerCommand(page, command); }
void mixerScroll(HWND page, HWND trackbar) { onMixerScroll(page, trackbar); }
void showMixerLevels(HWND page) { initVolumeControls(page); }
