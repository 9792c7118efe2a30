// The engine program, engine.scr: the saver library's process entry with the
// engine's window procedure and the full effect tables.
#include <windows.h>

#include "engine/app/EngineTables.h"
#include "engine/win32/EngineWindow.h"
#include "engine/win32/ScreenSaverLibrary.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    setEngineFamilies(&engineFamilyServices());
    return screenSaverMain(instance, GetCommandLineA());
}
