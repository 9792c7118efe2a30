// The frame step's hooks as the engine fills them from its own units: the
// canvas, the animation canvases, the picture loader, the sound analysis and
// the final copy to the window. The caller adds the rest: the family tables,
// the options, the title list and the letter.
#pragma once
#include "engine/FrameHooks.h"

// `deviceContext` is where the frame is presented (the window's DC; null natively).
FrameHooks engineFrameHooks(const FamilyServices* services, const FrameOptions* options,
                            void* deviceContext);
