#include "engine/win32/StartupHooks.h"

#include <initializer_list>


#include "engine/CrashLog.h"
#include "engine/EffectFrames.h"
#include "engine/EngineFrame.h"
#include "engine/FamilyServices.h"
#include "engine/FrameCanvas.h"
#include "engine/FrameScheduler.h"
#include "engine/JpegPictureDecoder.h"
#include "engine/PictureBuffers.h"
#include "engine/PictureLoader.h"
#include "engine/ScenarioPackage.h"
#include "engine/ScratchPool.h"
#include "engine/SoundControl.h"
#include "engine/SoundPlayer.h"
#include "engine/win32/EngineWindow.h"
#include "render/Fills.h"
#include "render/PixelTypes.h"
#include "render/Platform.h"
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

// The options the frame step reads; their defaults until the options reader is linked.
FrameOptions g_frameOptions;

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
void hookClearEffectRecords() { clearEffectRecords(); }
void hookBuildTables() { buildTrigTables(); }
void hookSetResourceInstance() { setResourceInstance(GetModuleHandleA(nullptr)); }
void hookSetDebugLogPath() {
    // The engine's debug log (the name in UTF-8).
    setDebugLogPath(reinterpret_cast<const char*>(u8"c:\\화면보호기디버그.txt"));
}

void hookCheckSelfLoad() {}
void hookSetupSpectrum() { prepareSoundAnalysis(); }
void hookResetScheduler() { resetFrameScheduler(pictureBuffer(0), pictureBuffer(1), -1); }
void hookReadOptions() {}
void hookLoadTitleTexts() {}
void hookSetLastPicture(int32_t lastPicture) { frameScheduler.lastPictureIndex = lastPicture; }
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
void hookInitScratchPool() { scratchInit(); }
void hookResetParticleLists() {
    const FamilyServices* families = engineFamilies();
    if (families && families->resetParticleLists) families->resetParticleLists();
}

void hookSetSoundWindow(HWND window) { setSoundWindow(window); }
void hookStepFrame(HDC dc, int32_t width, int32_t height) {
    stepFrame(engineFrameHooks(engineFamilies(), &g_frameOptions, dc), platformTimeMs(),
              platformTimeSeconds(), width, height);
}
void hookRestartSound() { onSoundEnded(windowRunOptions().sound); }

void hookFreeCanvas() { freeCanvas(); }
void hookShutdownSound() { stopShowSound(windowRunOptions().mute); }
void hookFreeLetter() {}
void hookFreeParticleLists() {
    const FamilyServices* families = engineFamilies();
    if (families && families->freeParticleLists) families->freeParticleLists();
}
void hookReleaseSoundDevice() { releaseSoundDevice(); }
