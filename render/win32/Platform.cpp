#include "render/Platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <ctime>

uint32_t platformTimeMs() { return timeGetTime(); }

uint32_t platformTimeSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

void platformMessageBox(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}
