// The steps of the engine's start-up, frame and shut-down that belong to other
// services of the runtime (options, sound, pictures, canvas, scheduler, titles and
// letter, tables). The window procedure calls each through one hook here, in its
// place; a hook whose service is not in the build yet does nothing or runs the
// small stand-in named in its comment.
#pragma once
#include <windows.h>

#include <cstdint>

// Window creation.
void hookCreateSoundDevice(HWND window);          // createSoundDevice(window)
int32_t hookReadRunOptions(HWND window);          // readRunOptions(window, 1), then the window's run options
// initEngine.
void hookClearPictureBuffers();                   // both PictureBuffers filled with 0
void hookClearEffectRecords();                    // title, transition, image-effect, animation records to 0
void hookBuildTables();                           // sine, cosine and square-root tables
void hookSetResourceInstance();                   // setResourceInstance(this module)
void hookSetDebugLogPath();                       // setDebugLogPath(the engine's log file)
// startEngine.
void hookCheckSelfLoad();                         // checkSelfLoad()
void hookSetupSpectrum();                         // setupSpectrum(256); setSampleTarget(samples, 256)
void hookResetScheduler();                        // slide index 0 and the scheduler's start state
void hookReadOptions();                           // readOptions()
void hookLoadTitleTexts();                        // loadTitleTexts()
void hookSetLastPicture(int32_t lastPicture);     // the scheduler's last picture index
void hookLoadLetter();                            // setUpLetter: in letter mode the letter, its height and offset; the delay
void hookStartSound();                            // unless muted: writeSoundFile(), then startSound(0)
void hookLoadFirstPictures(int32_t width, int32_t height);  // loadFrameImage of pictures 0 and 1
void hookStartLetterTimer();                      // SetTimer(0, 0, 1000, letterTimerProc)
void hookCreateCanvas(int32_t width, int32_t height);       // createCanvas(width, height)
void hookInitScratchPool();                       // scratchStartUp()
void hookResetParticleLists();                    // the families' resetParticleLists()
// Window life.
void hookSetSoundWindow(HWND window);             // setSoundWindow(window)
void hookStepFrame(HDC dc, int32_t width, int32_t height);  // stepFrame; stand-in: the current picture
void hookRestartSound();                          // with "Sound" 1: stopSound(); startSoundThread()
// WM_DESTROY.
void hookFreeCanvas();                            // freeCanvas()
void hookShutdownSound();                         // unless muted: shutdownSound()
void hookFreeParticleLists();                     // the families' freeParticleLists()
void hookFreeLetter();                            // free the letter text
void hookReleaseSoundDevice();                    // releaseSoundDevice()
