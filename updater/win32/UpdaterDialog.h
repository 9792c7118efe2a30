// Skyfetch's dialog: the file list, the version check and the update run.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

inline constexpr char kUpdaterCaption[] = "Vantrelle";

extern HWND updateOwnerWindow;

int updaterMain();
INT_PTR CALLBACK updateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

void showUpdaterError(int stringId);
void logUpdaterException(DWORD code);
int32_t readFileVersion(const char* fileName, char (&text)[10]);
// readFileVersion's reading without its message boxes: false (number and text
// untouched) when the file has no readable version block.
bool readVersionBlock(const char* fileName, int32_t& number, char (&text)[10]);
void checkVersions(HWND dialog);
void toggleDetail(HWND dialog);
void showVersionText(HWND dialog);

// The update run and the restart.
int runUpdate(HWND dialog);
void restartAndClose(HWND dialog);
bool launchProgram(const char* commandLine);
void ownProgramFolder(char (&folder)[MAX_PATH]);
