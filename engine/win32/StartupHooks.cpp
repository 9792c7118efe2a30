#include "engine/win32/StartupHooks.h"

#include <initializer_list>

#include "engine/CrashLog.h"
#include "engine/FamilyServices.h"
#include "engine/win32/EngineWindow.h"
#include "render/PixelTypes.h"

namespace {

// Stand-in canvas until the real one is linked: a top-down 32-bit DIB section with
// the 8-pixel margin, left black, blitted from (8, 8).
struct PlainCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    int32_t width = 0, height = 0;
} g_canvas;

void freePlainCanvas() {
    if (g_canvas.dc) {
        SelectObject(g_canvas.dc, g_canvas.previous);
        DeleteDC(g_canvas.dc);
    }
    if (g_canvas.bitmap) DeleteObject(g_canvas.bitmap);
    g_canvas = PlainCanvas{};
}

void createPlainCanvas(int32_t width, int32_t height) {
    freePlainCanvas();
    if (width <= 0 || height <= 0) return;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = pitchForWidth(width);
    bi.bmiHeader.biHeight = -(height + 2 * kBufferMargin);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    g_canvas.bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    g_canvas.dc = CreateCompatibleDC(nullptr);
    if (!g_canvas.bitmap || !g_canvas.dc) {
        freePlainCanvas();
        return;
    }
    g_canvas.previous = SelectObject(g_canvas.dc, g_canvas.bitmap);   // a new section is all zero: black
    g_canvas.width = width;
    g_canvas.height = height;
}

void blitPlainCanvas(HDC dc, int32_t width, int32_t height) {
    if (!g_canvas.dc) return;
    if (width > g_canvas.width) width = g_canvas.width;
    if (height > g_canvas.height) height = g_canvas.height;
    BitBlt(dc, 0, 0, width, height, g_canvas.dc, kBufferMargin, kBufferMargin, SRCCOPY);
}

// Stand-in for the options reader: the options' defaults ("640 * 480", nothing
// swallowed, sound repeated, not muted), with the display switch of a full-screen run.
bool setDisplayMode(int32_t width, int32_t height, int32_t bits) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

int32_t standInReadRunOptions(HWND window) {
    const EngineWindowState& state = engineWindowState();
    RunOptions& options = windowRunOptions();
    options = RunOptions{};
    if (state.screenSaverMode == 3) {
        RECT r = {};
        GetClientRect(state.previewParent, &r);
        return initEngine(r.right - r.left, r.bottom - r.top);
    }
    options.displayChoice = 1;
    if (!GetParent(window)) {
        bool set = false;
        for (int32_t bits : {32, 24, 16}) {
            if ((set = setDisplayMode(640, 480, bits))) break;
        }
        if (!set) return 0;
    }
    return initEngine(640, 480);
}

}  // namespace

void hookCreateSoundDevice(HWND) {}
int32_t hookReadRunOptions(HWND window) { return standInReadRunOptions(window); }

void hookClearPictureBuffers() {}
void hookClearEffectRecords() {}
void hookBuildTables() {}
void hookSetResourceInstance() {}
void hookSetDebugLogPath() {
    // The engine's debug log (the name in UTF-8).
    setDebugLogPath(reinterpret_cast<const char*>(u8"c:\\화면보호기디버그.txt"));
}

void hookCheckSelfLoad() {}
void hookSetupSpectrum() {}
void hookResetScheduler() {}
void hookReadOptions() {}
void hookLoadTitleTexts() {}
void hookSetLastPicture(int32_t) {}
void hookLoadLetter() {}
void hookStartSound() {}
void hookLoadFirstPictures(int32_t, int32_t) {}
void hookStartLetterTimer() {}
void hookCreateCanvas(int32_t width, int32_t height) { createPlainCanvas(width, height); }
void hookInitScratchPool() {}
void hookResetParticleLists() {
    const FamilyServices* families = engineFamilies();
    if (families && families->resetParticleLists) families->resetParticleLists();
}

void hookSetSoundWindow(HWND) {}
void hookStepFrame(HDC dc, int32_t width, int32_t height) { blitPlainCanvas(dc, width, height); }
void hookRestartSound() {}

void hookFreeCanvas() { freePlainCanvas(); }
void hookShutdownSound() {}
void hookFreeLetter() {}
void hookReleaseSoundDevice() {}
