// Stand-ins for the units that check the system, read and write scenario files,
// build and install savers, delete them, and play, describe and mix the sound.
// They let the wizard run on its own; each does nothing and reports failure.
#include "authoring/win32/WizardSeams.h"

void runStartupSystemCheck() {}

bool openScenarioFile(HWND) { return false; }
bool saveScenarioFile(HWND) { return false; }
bool saveScenarioFileAs(HWND) { return false; }
void restoreTextSettings(HWND) {}
void restoreSoundSettings(HWND) {}
void restoreMakeSettings(HWND) {}

INT_PTR CALLBACK installNameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}
void openScreenSaverSettings() {}
void saveSaverFile(HWND) {}
void buildInstallerFile(HWND) {}
void openDeleteTool(HWND) {}

void playSound(HWND) {}
void pauseSound() {}
void seekSound(int) {}
void showSoundFileInfo(HWND, const char*) {}
void showSoundPosition(HWND) {}
void openMixer(HWND) {}
void closeMixer() {}
void mixerCommand(HWND, int) {}
void mixerScroll(HWND, HWND) {}
void showMixerLevels(HWND) {}
