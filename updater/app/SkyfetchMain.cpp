// Skyfetch, the updater: one modal dialog.
#include <windows.h>

#include "updater/win32/UpdaterDialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return updaterMain(); }
