#include "engine/win32/EngineWindow.h"

#include <objbase.h>

#include "engine/SaverCommandLine.h"
#include "engine/ScenarioPackage.h"
#include "engine/win32/SaverOptionsWin.h"
#include "engine/win32/ScreenSaverLibrary.h"
#include "engine/win32/StartupHooks.h"
#include "render/PixelTypes.h"

namespace {

EngineWindowState g_state = {};
RunOptions g_options;
const FamilyServices* g_families = nullptr;
const char* g_commandLine = nullptr;

// WM_NCCREATE: everything the show needs, before the window exists.
void startUp(HWND window) {
    g_state = EngineWindowState{};
    g_state.mouseMoveAllowance = kMouseMoveAllowance;
    g_state.comInitialized = SUCCEEDED(CoInitialize(nullptr));
    hookCreateSoundDevice(window);

    ScenarioPackage* package = newScenarioPackage();
    setEnginePackage(package);
    char modulePath[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    if (package && n > 0 && n < MAX_PATH) loadScenario(package, modulePath);

    parseCommandLine(&g_state.previewParent, &g_state.screenSaverMode);
    g_state.engineStarted = hookReadRunOptions(window);
}

// WM_DESTROY: everything start-up made, released in this order.
void shutDown(HWND window) {
    if (g_state.frameTimerId != 0) {
        KillTimer(window, g_state.frameTimerId);
        g_state.frameTimerId = 0;
    }
    hookFreeCanvas();
    hookShutdownSound();
    freeScenarioPackage(enginePackage());
    setEnginePackage(nullptr);
    restoreDisplayMode();   // whenever start-up switched it, whatever the mode
    hookFreeLetter();
    hookReleaseSoundDevice();
    if (g_state.comInitialized) CoUninitialize();
    g_state.comInitialized = false;
    // The animations' particles outlive their frames; give them back last.
    hookFreeParticleLists();
    g_state.engineStarted = 0;
    PostQuitMessage(0);
}

SaverInput inputOf(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE: return SaverInput::MouseMove;
    case WM_LBUTTONDOWN: return SaverInput::LeftButton;
    default: return SaverInput::KeyDown;
    }
}

}  // namespace

const EngineWindowState& engineWindowState() { return g_state; }
RunOptions& windowRunOptions() { return g_options; }
void setEngineFamilies(const FamilyServices* families) { g_families = families; }
const FamilyServices* engineFamilies() { return g_families; }
void setEngineCommandLine(const char* line) { g_commandLine = line; }

void parseCommandLine(HWND* previewParent, int32_t* mode) {
    uint64_t window = 0;
    parseSaverCommandLine(g_commandLine ? g_commandLine : GetCommandLineA(), mode, &window);
    if (*mode == kModePreview)
        *previewParent = window <= UINTPTR_MAX ? reinterpret_cast<HWND>(static_cast<uintptr_t>(window)) : nullptr;
}

int32_t initEngine(int32_t width, int32_t height) {
    hookClearPictureBuffers();
    hookClearEffectRecords();
    hookBuildTables();
    hookSetResourceInstance();
    startEngine(width, height);
    hookSetDebugLogPath();
    return 1;
}

void startEngine(int32_t width, int32_t height) {
    g_state.startWidth = width;
    g_state.startHeight = height;
    hookCheckSelfLoad();
    hookSetupSpectrum();
    hookResetScheduler();
    hookReadOptions();
    hookLoadTitleTexts();
    hookSetLastPicture(countImages());
    hookLoadLetter();
    hookStartSound();
    hookLoadFirstPictures(width, height);
    hookStartLetterTimer();
    hookCreateCanvas(width, height);
    hookInitScratchPool();
    hookResetParticleLists();
}

void frameSizeFor(HWND window, int32_t* width, int32_t* height) {
    *width = *height = 0;
    if (g_state.screenSaverMode == kModePreview) {
        RECT r = {};
        GetClientRect(window, &r);
        *width = r.right - r.left;
        *height = r.bottom - r.top;
    } else {
        static const int32_t sizes[3][2] = {{400, 300}, {640, 480}, {800, 600}};
        int32_t c = g_options.displayChoice;
        if (c < 0 || c > 2) return;
        *width = sizes[c][0];
        *height = sizes[c][1];
    }
    // The buffers were set up for the start-up size: never draw beyond them.
    if (*width > g_state.startWidth) *width = g_state.startWidth;
    if (*height > g_state.startHeight) *height = g_state.startHeight;
    if (*width > kMaxFrameWidth) *width = kMaxFrameWidth;
    if (*height > kMaxFrameHeight) *height = kMaxFrameHeight;
    if (*width <= 0 || *height <= 0) *width = *height = 0;
}

void onFrameTimer(HWND window) {
    if (!g_state.engineStarted) {
        KillTimer(window, g_state.frameTimerId);
        g_state.frameTimerId = 0;
        return;
    }
    int32_t width, height;
    frameSizeFor(window, &width, &height);
    if (width == 0) return;
    // Anything inside the step that pumps messages (a message box, a call that
    // waits in a message loop) lets this timer fire again: a frame never starts
    // inside another, whose buffers and records it would tear.
    if (g_state.inFrame) {
        ++g_state.framesRefused;
        return;
    }
    HDC dc = GetDC(window);
    if (!dc) return;
    g_state.inFrame = true;
    hookStepFrame(dc, width, height);
    g_state.inFrame = false;
    ReleaseDC(window, dc);
    ++g_state.framesDrawn;
}

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        startUp(window);
        break;
    case WM_CREATE:
        hookSetSoundWindow(window);
        g_state.frameTimerId = kFrameTimerId;
        SetTimer(window, kFrameTimerId, kFrameTimerMs, nullptr);
        break;
    case WM_TIMER:
        if (g_state.frameTimerId != 0 && wParam == kFrameTimerId) onFrameTimer(window);
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN: {
        InputFilter f = filterSaverInput(inputOf(message), g_options.quit, &g_state.mouseMoveAllowance);
        if (f.consumed) return f.result;
        break;
    }
    case kSoundEndMessage:
        hookRestartSound();
        break;
    case WM_DESTROY:
        shutDown(window);
        return 0;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}
