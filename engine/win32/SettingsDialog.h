// The engine's settings dialog (template 2003) and about box (template 112).
// The screen-saver layer shows the dialog with ScreenSaverConfigureDialog as its
// procedure, as the platform's screen-saver library would.
#pragma once
#include <windows.h>

#include <memory>

#include "engine/EntrySource.h"
#include "engine/win32/ScreenSaverLibrary.h"  // ScreenSaverConfigureDialog, RegisterDialogClasses

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The trackbar class the dialog uses, registered before the dialog is made
// (RegisterDialogClasses does it for the screen-saver layer).
void initSettingsControls();

// How the dialog opens the package of its own module file (for the saver name):
// the package reader unless a test hands in its own; null leaves the name empty
// and the values are then read and written under the bare option words.
using OwnPackageOpener = std::unique_ptr<EntrySource> (*)(const char* modulePath);
void setOwnPackageOpener(OwnPackageOpener opener);

void loadSettingsDialog(HWND dialog);
void fillSettingsDialog(HWND dialog);
void onSettingsCommand(HWND dialog, int id);
void onSettingsSlider(HWND dialog, HWND trackbar);
void saveSettings(HWND dialog);
void centreWindow(HWND window);
