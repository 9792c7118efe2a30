// Turning the wizard's work into a screen saver on Windows: the registry
// options, installing into the Windows folder and making it the current
// saver, saving it where the user chooses, and the installer program. The
// Make step fills a SaverBuildInput from the pages and a SaverBuildContext
// with its windows, then calls the handler of the button pressed.
#pragma once
#include <windows.h>

#include <string>

#include "authoring/SaverBuild.h"

struct SaverBuildContext {
    std::string programFolder = {};   // holds engine.scr and Packwright.exe (programFolder() when empty)
    std::string windowsFolder = {};   // where installs go (the system's when empty)
    HWND imagePage = nullptr;         // owner of the save dialogs
    HWND makePage = nullptr;          // edits 1104 and 1105, owner of its boxes
    PackReporter reporter = {};       // the progress dialog and the writer's boxes
    void (*closeProgress)(void* user) = nullptr;   // destroys the progress dialog if it exists
};

// The wizard's pages as a build's input and windows (authoring/win32/OutputSeams.cpp).
void gatherSaverBuild(SaverBuildContext& context, SaverBuildInput& input);

// A successful install sets the wizard's saverInstalled; the Make step then
// opens the display settings and clears it.

// The 14 registry values of the saver at saverPath.
void writeScrOptions(const char* saverPath, const TextOptionValues& text, const MakeOptionValues& make);

// Install under name (cut at its first '.') with the stand-by minutes text.
int installScreenSaver(const SaverBuildContext& context, const SaverBuildInput& input, const char* name,
                       const char* minutesText);
void setActiveScreenSaver(const SaverBuildContext& context, const char* name, const char* minutesText);
void openScreenSaverSettings();

// Buttons of the Make step: "Save" (1022) and "Make" (1030).
void saveScrFile(const SaverBuildContext& context, const SaverBuildInput& input);
void makeInstallerExe(const SaverBuildContext& context, const SaverBuildInput& input);

// The save dialog: kind 1 a saver file, 0 an installer program. 1 when chosen.
int askSaveTarget(HWND owner, std::string& fullPath, std::string& fileTitle, int kind);
int buildScreenSaverAt(const SaverBuildContext& context, const SaverBuildInput& input, const char* path);
int buildScreenSaverForInstaller(const SaverBuildContext& context, const SaverBuildInput& input,
                                 const char* saverPath);

void runControlPanelApplet(HWND window, const char* libraryName, const char* entryName, const char* commandText);

// Dialog 118 "Write screensaver file name." (built in memory), modal over the
// Make step's page; installs on "Install". Returns the dialog's result. The
// procedure also serves the program's own dialog 118 shown with no parameter:
// it then takes the build from the wizard's pages (gatherSaverBuild).
INT_PTR showInstallNameDialog(const SaverBuildContext& context, const SaverBuildInput& input);
INT_PTR CALLBACK installNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// False when the name was refused (a message said why and nothing was installed).
bool installFromNameDialog(HWND dialog, const SaverBuildContext& context, const SaverBuildInput& input);
void readInstallName(HWND dialog, char* buffer);      // 260 bytes
void readInstallMinutes(HWND dialog, char* buffer);   // 260 bytes

// The install name dialog's controls.
enum : int {
    kIdInstallName = 1030,
    kIdInstallMinutes = 1031,
    kIdInstallMinutesSpin = 1136,
};
