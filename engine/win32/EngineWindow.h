// The engine's saver window: start-up on window creation, the 33 ms frame timer,
// which input ends the saver, and the release of everything when the window goes.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/QuitRules.h"
#include "engine/SoundPump.h"   // the sound thread's messages 1068 (ignored) and 1069

struct FamilyServices;

constexpr UINT kFrameTimerId = 10;
constexpr UINT kFrameTimerMs = 33;

// Static state of the window procedure.
struct EngineWindowState {
    int32_t screenSaverMode;        // 0 none, 1 settings, 2 password, 3 preview, 4 full screen
    HWND previewParent;
    int32_t engineStarted;          // 1 when start-up ran initEngine
    int32_t frameTimerId;           // kFrameTimerId while the frame timer runs, else 0
    int32_t mouseMoveAllowance;     // mouse moves still swallowed before the options count
    int32_t startWidth;             // the frame size the buffers were set up for
    int32_t startHeight;
    bool comInitialized;
    uint32_t framesDrawn;           // frames handed to the frame step (for hosts and tests)
    bool inFrame;                   // a frame step is running
    uint32_t framesRefused;         // timer ticks that came while a frame step ran (for tests)
};
const EngineWindowState& engineWindowState();

// The run options the window procedure reads: what ends the saver, the sound's
// repeat and mute, and the frame size of a full-screen run.
struct RunOptions {
    QuitOptions quit;
    int32_t sound = 1;              // 1: start the sound again when it ends
    int32_t mute = 0;
    int32_t displayChoice = 1;      // 0: 400 x 300, 1: 640 x 480, 2: 800 x 600
};
RunOptions& windowRunOptions();

// The effect families the program links (its tables); null: none.
void setEngineFamilies(const FamilyServices* families);
const FamilyServices* engineFamilies();

// The command line the engine reads; null (the default) is the process's own.
// In-process hosts set it to say which mode their saver window is in.
void setEngineCommandLine(const char* line);
void parseCommandLine(HWND* previewParent, int32_t* mode);

int32_t initEngine(int32_t width, int32_t height);
void startEngine(int32_t width, int32_t height);
void onFrameTimer(HWND window);
// The frame size onFrameTimer draws for this window now (0 x 0: nothing).
void frameSizeFor(HWND window, int32_t* width, int32_t* height);
