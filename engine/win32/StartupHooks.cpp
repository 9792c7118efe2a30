#include "engine/win32/StartupHooks.h"

#include <initializer_list>

#include <cstring>

#include "engine/CrashLog.h"
#include "engine/FamilyServices.h"
#include "engine/FrameCanvas.h"
#include "engine/JpegPictureDecoder.h"
#include "engine/PictureBuffers.h"
#include "engine/PictureLoader.h"
#include "engine/ScenarioPackage.h"
#include "engine/SoundControl.h"
#include "engine/SoundPlayer.h"
#include "engine/win32/EngineWindow.h"
#include "render/Fills.h"
#include "render/PixelTypes.h"
#include "render/TrigTables.h"

namespace {

// The package reader as the sound entry writer and the picture loader reach it.
uint8_t* findSoundEntry(void*, int32_t type, int32_t index, int32_t* size) {
    return findEntry(enginePackage(), type, index, size);
}
void releaseSoundEntry(void*, int32_t type, int32_t index, uint8_t* data) {
    releaseEntry(enginePackage(), type, index, data);
}
const uint8_t* findPicture(int32_t index, int32_t* size) {
    return findEntry(enginePackage(), kEntryPicture, index, size);
}
void releasePicture(int32_t index, const uint8_t* data) {
    releaseEntry(enginePackage(), kEntryPicture, index, const_cast<uint8_t*>(data));
}

// Stand-in for the frame step until the scheduler is linked: the current picture
// (picture buffer 0, as loaded at start-up) copied into the canvas and shown.
void showCurrentPicture(HDC dc, int32_t width, int32_t height) {
    const FrameCanvas& canvas = frameCanvas();
    if (!canvas.origin) return;
    limitFrameSize(&width, &height);
    const Pixel* picture = pictureBuffer(0);
    const int32_t picturePitch = pitchForWidth(width);
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(canvas.origin + static_cast<ptrdiff_t>(y) * canvas.pitch,
                    picture + static_cast<ptrdiff_t>(y) * picturePitch, sizeof(Pixel) * static_cast<size_t>(width));
    presentCanvas(dc, width, height);
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

void hookCreateSoundDevice(HWND window) { createSoundDevice(window); }
int32_t hookReadRunOptions(HWND window) { return standInReadRunOptions(window); }

void hookClearPictureBuffers() { clearPictureBuffers(); }
void hookClearEffectRecords() {}
void hookBuildTables() { buildTrigTables(); }
void hookSetResourceInstance() { setResourceInstance(GetModuleHandleA(nullptr)); }
void hookSetDebugLogPath() {
    // The engine's debug log (the name in UTF-8).
    setDebugLogPath(reinterpret_cast<const char*>(u8"c:\\화면보호기디버그.txt"));
}

void hookCheckSelfLoad() {}
void hookSetupSpectrum() { prepareSoundAnalysis(); }
void hookResetScheduler() {}
void hookReadOptions() {}
void hookLoadTitleTexts() {}
void hookSetLastPicture(int32_t) {}
void hookLoadLetter() {}
void hookStartSound() {
    SoundEntrySource entries;
    entries.find = findSoundEntry;
    entries.release = releaseSoundEntry;
    startShowSound(windowRunOptions().mute, entries);
}
void hookLoadFirstPictures(int32_t width, int32_t height) {
    PictureSource pictures;
    pictures.find = findPicture;
    pictures.release = releasePicture;
    setPictureSource(pictures);
    static JpegPictureDecoder decoder;
    setPictureDecoder(&decoder);
    loadFrameImage(0, 1, width, height);
    loadFrameImage(1, 2, width, height);
}
void hookStartLetterTimer() {}
void hookCreateCanvas(int32_t width, int32_t height) { createCanvas(width, height); }
void hookInitScratchPool() {}
void hookResetParticleLists() {
    const FamilyServices* families = engineFamilies();
    if (families && families->resetParticleLists) families->resetParticleLists();
}

void hookSetSoundWindow(HWND window) { setSoundWindow(window); }
void hookStepFrame(HDC dc, int32_t width, int32_t height) { showCurrentPicture(dc, width, height); }
void hookRestartSound() { onSoundEnded(windowRunOptions().sound); }

void hookFreeCanvas() { freeCanvas(); }
void hookShutdownSound() { stopShowSound(windowRunOptions().mute); }
void hookFreeLetter() {}
void hookReleaseSoundDevice() { releaseSoundDevice(); }
