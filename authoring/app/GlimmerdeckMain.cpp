// Glimmerdeck's entry: one instance, the start-up check, then the wizard sheet
// until an Exit path posts the quit message.
#include <windows.h>
#include <objbase.h>

#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    wizard.instance = instance;
    ensureSingleInstance("Glimmerdeck 1.0");
    // The shell's folder objects of the Image step need COM before any page runs.
    if (SUCCEEDED(CoInitialize(nullptr))) noteComInitialised();
    runStartupSystemCheck();
    if (!createWizardSheet()) {
        MessageBoxA(nullptr, "The wizard window cannot be made.", "Glimmerdeck", MB_ICONERROR);
        return 1;
    }
    return runWizardLoop();
}
