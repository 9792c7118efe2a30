// Which input ends a full-screen saver. The engine filters first (its options and
// the first mouse moves of the run); whatever it lets through reaches the saver
// library's default handling, which ends the saver on a key, a button, or a mouse
// move that leaves the start position by more than a few pixels.
#pragma once
#include <cstdint>

constexpr int32_t kMouseMoveAllowance = 10;   // mouse moves swallowed at the start of every run
constexpr int32_t kMouseMoveSlack = 4;        // |dx| + |dy| a move may wander without ending the saver

// The run options that decide what the engine swallows (1 = that input does not end the saver).
struct QuitOptions {
    int32_t mouse = 0;
    int32_t mouseClick = 0;
    int32_t key = 0;
};

enum class SaverInput { MouseMove, LeftButton, RightButton, MiddleButton, KeyDown, SysKeyDown };

struct InputFilter {
    bool consumed;            // true: the window procedure returns `result` itself
    intptr_t result;
};

// The engine's filter. Mouse moves count down *mouseMoveAllowance, which is never reset.
InputFilter filterSaverInput(SaverInput input, const QuitOptions& options, int32_t* mouseMoveAllowance);

// The library's default handling in full-screen mode: whether the input ends the
// saver. (dx, dy): the cursor's distance from where it stood when the window was made.
bool inputEndsSaver(SaverInput input, int32_t dx, int32_t dy);
