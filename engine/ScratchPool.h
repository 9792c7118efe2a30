// The runtime's pool of large work buffers. Effects reach it only through the
// callbacks of their EffectParams record; the runtime drives the per-frame
// bookkeeping. UI thread only.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

constexpr int32_t kScratchBlockBytes = 2702336;      // 675,584 pixels
constexpr int32_t kScratchLeadBytes = 237824;        // handed-out pointer lies this far in
constexpr int32_t kScratchSlotCount = 66;

void scratchInit();
void scratchFrameStart();
Pixel* scratchAcquire(int32_t* slot);   // null when every slot is in use (slot untouched)
int32_t scratchKeep(int32_t slot);
int32_t scratchClear(Pixel* buffer);    // zeroes the buffer's whole block; returns 0
void scratchFrameEnd();
