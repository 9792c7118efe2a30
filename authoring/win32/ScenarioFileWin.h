// Scenario files on Windows: the Save, Save As and Open commands with their
// file dialogs and message boxes, and dialog 155 listing the pictures a loaded
// scenario names that no longer exist. The steps refill themselves from
// scenarioState() (authoring/ScenarioFile.h).
#pragma once
#include <windows.h>

#include <string>

#include "authoring/ScenarioFile.h"

struct ScenarioWindows {
    HWND imagePage = nullptr;    // owner of the file dialogs
    HWND makePage = nullptr;     // edit 1106 shows the file chosen to save
    void* user = nullptr;
    void (*selectFirstStep)(void* user) = nullptr;    // the wizard back to step 1
    void (*restoreImagePage)(void* user) = nullptr;   // step 1 takes the loaded data
};

// Command 57671 ("Save As Scenario", "1.Save Scenario(.sao)") and 40039 ("Save Scenario").
bool saveScenarioAs(const ScenarioWindows& windows, const ScenarioPageValues& values);
bool saveScenario(const ScenarioWindows& windows, const ScenarioPageValues& values);
int askScenarioSavePath(const ScenarioWindows& windows, std::string& path, bool isSave);

// Command 40013 ("Open Scenario"): 1 when a file was loaded.
int loadScenarioFile(const ScenarioWindows& windows);
// The open dialog's choice; false when cancelled.
bool askScenarioOpenPath(HWND owner, std::string& path);
// Loads an already chosen file (the part of loadScenarioFile after the dialog).
int loadScenarioFrom(const ScenarioWindows& windows, const std::string& path);
bool fileExists(const char* path);

// The steps take the loaded data while their flag is set, then clear it.
// Image step: list box 1121 and drop-down 1104 (slide time).
void restoreImagePage(HWND page);
// Sound step: edit 1012 and the information list (showSoundInfo).
void restoreSoundPage(HWND page);
// Make step: drop-down 1023 and trackbars 1024 and 1025; showOptionSeconds
// (the page's own) refreshes its two seconds edits.
void restoreMakePage(HWND page, void (*showOptionSeconds)(HWND page));
// (The Text step's restore uses the title list's own row functions and is
// the page's: it reads scenarioState() and clears textRestorePending.)

// Dialog 155 "Incorrect file list" (built in memory), modal without owner.
INT_PTR showMissingFilesDialog();
INT_PTR CALLBACK missingFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
constexpr int kIdMissingList = 1143;
constexpr int kIdSlideTimeList = 1104;      // on the Image step
constexpr int kIdSelectedImageList = 1121;
constexpr int kIdScreenModeList = 1023;
constexpr int kIdTransitionBar = 1024;
constexpr int kIdShowTimeBar = 1025;
