// What the wizard's frame and pages call in the units that build, save, play
// and preview. Each group names the unit that implements it; until a unit lands,
// the matching *Stub.cpp file stands in.
#pragma once
#include <windows.h>

#include <cstdint>

// ---- Start-up system check (OutputSeams.cpp) ----
void runStartupSystemCheck();

// ---- Scenario files (OutputSeams.cpp) ----
// Each returns true on success; the open refills the steps through the restore flags.
bool openScenarioFile(HWND page);
bool saveScenarioFile(HWND page);
bool saveScenarioFileAs(HWND page);
// The Make step's settings from the last loaded scenario (on its activation).
void restoreTextSettings(HWND page);
void restoreSoundSettings(HWND page);
void restoreMakeSettings(HWND page);

// ---- Unsaved work (OutputSeams.cpp) ----
// The work as it stands counts as kept (after an open, a save, File New).
void markWorkKept();
// Whether anything a scenario file keeps has changed since.
bool workUnsaved();

// ---- Saver installation, saving, installer, delete tool (OutputSeams.cpp) ----
INT_PTR CALLBACK installNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void openScreenSaverSettings();
void saveSaverFile(HWND page);
void buildInstallerFile(HWND page);
HWND openDeleteTool(HWND owner);

// ---- Sound: player additions, file information, mixer (OutputSeams.cpp) ----
void playSound(HWND page);
void pauseSound();
void seekSound(int mode);
// False when the file was refused (the sound chosen before stays).
bool showSoundFileInfo(HWND page, const char* path);
void showSoundPosition(HWND page);
void openMixer(HWND page);
void closeMixer();
void mixerCommand(HWND page, int command);
void mixerScroll(HWND page, HWND trackbar);
void showMixerLevels(HWND page);

// ---- Preview driver (EffectProcess.cpp) and viewer windows (PictureViewer.cpp, FullScreenPreview.cpp) ----
// Starts the preview at w x h (sound on or off); false when it cannot run.
bool startPreview(int32_t w, int32_t h, bool withSound);
// Draws one preview frame and blits it at (86, 59) of dc.
void previewFrame(HDC dc, int32_t w, int32_t h);
// The exit clean-up of the preview: particle lists, scratch buffers, canvases.
void freeParticleLists();
void scratchReleaseAll();
void freePreviewCanvases();
// The Image step's slide time list 1104 and its two viewer windows.
void fillSlideTimeList(HWND page);
bool slideShowWindowExists();
void openSlideShowWindow(HWND page, UINT slideMs);
void showOriginalSizeWindow(HWND page);
void openFullScreenPreview(HWND page);
