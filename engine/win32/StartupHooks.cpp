#include "engine/win32/StartupHooks.h"

#include <cstring>

#include "engine/CrashLog.h"
#include "engine/EffectFrames.h"
#include "engine/EngineFrame.h"
#include "engine/FamilyServices.h"
#include "engine/FrameCanvas.h"
#include "engine/FrameScheduler.h"
#include "engine/JpegPictureDecoder.h"
#include "engine/PackageEntries.h"
#include "engine/PictureBuffers.h"
#include "engine/PictureLoader.h"
#include "engine/SaverOptions.h"
#include "engine/ScenarioPackage.h"
#include "engine/ScratchPool.h"
#include "engine/SelfLoadCheck.h"
#include "engine/SoundControl.h"
#include "engine/SoundPlayer.h"
#include "engine/TitleLetter.h"
#include "engine/win32/EngineWindow.h"
#include "engine/win32/LetterWin.h"
#include "engine/win32/SaverOptionsWin.h"
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

// The options the frame step reads, taken over from the options reader.
FrameOptions g_frameOptions;

void takeFrameOptions() {
    const SaverOptions& o = saverOptions();
    g_frameOptions.showTime = o.showMs;
    g_frameOptions.transitionTime = o.transitionMs;
    g_frameOptions.letterMode = o.letterMode;
    std::memcpy(g_frameOptions.fontFace, o.fontFace, sizeof g_frameOptions.fontFace);
    g_frameOptions.fontSize = o.fontSize;
    g_frameOptions.titleColor = static_cast<int32_t>(o.titleColor);
    g_frameOptions.defaultColorCheck = o.defaultColor;
}

// The run options as the window procedure keeps them, taken over from the
// options reader before the engine starts (the sound start reads "mute").
void takeRunOptions() {
    const SaverOptions& o = saverOptions();
    RunOptions& run = windowRunOptions();
    run = RunOptions{};
    run.quit.mouse = o.mouse;
    run.quit.mouseClick = o.mouseClick;
    run.quit.key = o.key;
    run.sound = o.soundRepeat;
    run.mute = o.mute;
    run.displayChoice = o.displayChoice;
}

int startWithRunOptions(int width, int height) {
    takeRunOptions();
    return initEngine(width, height);
}

// The title list and the letter as the frame step reaches them.
const char* titleRow(void*, int32_t row) {
    return row >= 0 && row < kTitleRows ? titleList().rows[row] : nullptr;
}
int32_t lastTitleRow(void*) { return titleList().lastTitleIndex; }
void drawEngineLetter(void*, int32_t width, int32_t height) {
    if (HDC dc = static_cast<HDC>(frameCanvas().memoryDC)) drawLetter(dc, width, height);
}

}  // namespace

void hookCreateSoundDevice(HWND window) { createSoundDevice(window); }
int32_t hookReadRunOptions(HWND window) {
    int32_t started = readRunOptions(window, 1, PackageEntries(enginePackage()), startWithRunOptions);
    takeRunOptions();
    return started;
}

void hookClearPictureBuffers() { clearPictureBuffers(); }
void hookClearEffectRecords() { clearEffectRecords(); }
void hookBuildTables() { buildTrigTables(); }
void hookSetResourceInstance() { setResourceInstance(GetModuleHandleA(nullptr)); }
void hookSetDebugLogPath() { setDebugLogPath(kDebugLogName); }

void hookCheckSelfLoad() { checkSelfLoad(); }
void hookSetupSpectrum() { prepareSoundAnalysis(); }
void hookResetScheduler() { resetFrameScheduler(pictureBuffer(0), pictureBuffer(1), -1); }
void hookReadOptions() {
    readOptions();
    takeFrameOptions();
}
void hookLoadTitleTexts() { loadTitleTexts(PackageEntries(enginePackage())); }
void hookSetLastPicture(int32_t lastPicture) { frameScheduler.lastPictureIndex = lastPicture; }
void hookLoadLetter() { setUpLetter(PackageEntries(enginePackage())); }
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
void hookStartLetterTimer() { startLetterTimer(); }
void hookCreateCanvas(int32_t width, int32_t height) { createCanvas(width, height); }
void hookInitScratchPool() { scratchStartUp(); }
void hookResetParticleLists() {
    const FamilyServices* families = engineFamilies();
    if (families && families->resetParticleLists) families->resetParticleLists();
}

void hookSetSoundWindow(HWND window) { setSoundWindow(window); }
void hookStepFrame(HDC dc, int32_t width, int32_t height) {
    FrameHooks hooks = engineFrameHooks(engineFamilies(), &g_frameOptions, dc);
    hooks.titleText = titleRow;
    hooks.lastTitleIndex = lastTitleRow;
    hooks.drawLetter = drawEngineLetter;
    stepFrame(hooks, platformTimeMs(), platformTimeSeconds(), width, height);
}
void hookRestartSound() { onSoundEnded(windowRunOptions().sound); }

void hookFreeCanvas() { freeCanvas(); }
void hookShutdownSound() { stopShowSound(windowRunOptions().mute); }
void hookFreeLetter() { freeLetterText(); }
void hookFreeParticleLists() {
    const FamilyServices* families = engineFamilies();
    if (families && families->freeParticleLists) families->freeParticleLists();
}
void hookReleaseSoundDevice() { releaseSoundDevice(); }
