#include "engine/QuitRules.h"

#include <cstdlib>

InputFilter filterSaverInput(SaverInput input, const QuitOptions& options, int32_t* mouseMoveAllowance) {
    switch (input) {
    case SaverInput::MouseMove:
        // Start-up (a display switch, the window appearing) produces a few moves of its own.
        if (*mouseMoveAllowance > 0) {
            --*mouseMoveAllowance;
            return {true, 1};
        }
        if (options.mouse == 1) return {true, 0};
        return {false, 0};
    case SaverInput::LeftButton:
        return {options.mouseClick == 1, 0};
    case SaverInput::KeyDown:
        return {options.key == 1, 0};
    default:
        return {false, 0};
    }
}

bool inputEndsSaver(SaverInput input, int32_t dx, int32_t dy) {
    if (input != SaverInput::MouseMove) return true;
    int64_t distance = std::llabs(static_cast<int64_t>(dx)) + std::llabs(static_cast<int64_t>(dy));
    return distance > kMouseMoveSlack;
}
