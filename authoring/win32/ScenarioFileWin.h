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

// Dialog 155 "Incorrect file list" (built in memory), modal without owner.
INT_PTR showMissingFilesDialog();
INT_PTR CALLBACK missingFilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
constexpr int kIdMissingList = 1143;
