// The frame around the four wizard pages: the single-instance guard, the
// property sheet and its message loop, the commands every page handles alike,
// the updater start, help, the about box and the exit clean-up.
#pragma once
#include <windows.h>

// Returns only when no other Glimmerdeck runs; ends the process with code 1 otherwise.
void ensureSingleInstance(const char* mutexName);
// Makes the sheet and stores it in the wizard state; false when it cannot be made.
bool createWizardSheet();
LRESULT CALLBACK wizardSheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The message loop with accelerator table 151; returns the quit message's wParam.
int runWizardLoop();

// Starts commandLine (in folder, when given) and waits until it waits for input.
bool launchAndWait(const char* commandLine, const char* folder = nullptr);
void notifyUpdater();
void startUpdater();
void openHelpFile();
void newWork();
INT_PTR CALLBACK aboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Releases what the pages and the preview hold and posts the quit message.
// Safe to reach several times in one close.
void exitCleanup();

// A command every page handles alike; true when `command` was one of them.
bool handleCommonCommand(HWND page, int pageIndex, int command);

// COM, initialised by the Sound page on each activation and released once at exit.
void noteComInitialised();
