#include <windows.h>

#include "engine/SelfLoadCheck.h"

bool selfLoadSucceeds(const char* commandLine) {
    std::string name = selfLoadModulePath(commandLine);
    if (name.empty()) return true;
    // A name that cannot be found was not read right from the command line; the
    // running saver itself is there, so no box for it.
    char path[MAX_PATH];
    DWORD n = SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, path, nullptr);
    if (n == 0 || n >= MAX_PATH) return true;
    // Mapped as an image file only: loading a second copy of the program as code
    // would run its start-up hooks.
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return false;
    FreeLibrary(module);
    return true;
}

void checkSelfLoad() {
    if (!selfLoadSucceeds(GetCommandLineA())) MessageBoxA(nullptr, "Could not the loadlibrary", "Error", MB_OK);
}
