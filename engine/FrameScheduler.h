// The slide show, one frame per call: cycles of the show time S and the
// transition time T. The first half of S plays an image effect with the title,
// the second half the plain picture with the title, T a transition to the next
// picture; every fifth cycle the transition leads into an animation that runs
// for one cycle and is left through another transition. Time and chance come
// from the caller (milliseconds like timeGetTime, seconds like time(0)).
#pragma once
#include <cstdint>

#include "engine/FrameHooks.h"
#include "render/PixelTypes.h"

enum DrawMode : int32_t {
    kDrawSlideTransition = 0,       // previous picture -> current picture
    kDrawAnimation = 1,
    kDrawIntoAnimation = 2,         // current picture -> animation
    kDrawOutOfAnimation = 3,        // last animation frame -> current picture
    kDrawImageEffect = 4,
    kDrawPlainPicture = 5,
};

enum SchedulerState : int32_t {
    kStateAnimation = 0,
    kStateLeavingAnimation = 1,
    kStateSlides = 3,
};

struct FrameScheduler {
    uint32_t cycleStart = 0;            // time at which the current cycle began
    int32_t cycleCounter = 1;
    int32_t schedulerState = kStateSlides;
    int32_t drawMode = kDrawImageEffect;
    int32_t firstLoad = 1;              // 1 until the first new cycle decoded picture 0
    int32_t transitionPending = 1;      // 1 while the next transition-phase frame is its first
    int32_t slideIndex = 0;             // next picture to decode
    int32_t lastPictureIndex = -1;      // countImages()
    int32_t imageEffectRow = 0;
    int32_t transitionRow = 0;
    int32_t animationRow = 0;
    int32_t animationEffectRow = 0;
    int32_t imageEffectFirst = 0;
    int32_t animationEffectFirst = 0;
    int32_t transitionFirst = 0;
    int32_t newAnimation = 0;
    Pixel* currentPicture = nullptr;    // the picture shown now
    Pixel* previousPicture = nullptr;   // the picture shown before
    Pixel* animationResult = nullptr;   // the animation canvas drawn last
};

extern FrameScheduler frameScheduler;

// Start-up: the scheduler's start values, with the two picture buffers
// (drawing origins; the engine's are pictureBuffer(0) and (1), which
// loadFrameImage fills at start-up) and the last picture index of the package;
// the title index goes back to -1.
void resetFrameScheduler(Pixel* firstPicture, Pixel* secondPicture, int32_t lastPictureIndex);

// Draws one frame into the canvas and blits it. `timeMs` wraps like timeGetTime;
// `timeSeconds` seeds the random picks. The frame is drawn at the canvas's size
// (the size the pictures were decoded for), and at most width x height of it is
// blitted; without a canvas nothing happens.
void stepFrame(const FrameHooks& hooks, uint32_t timeMs, uint32_t timeSeconds, int32_t width,
               int32_t height);
