// The runtime's pool of large work buffers. Effects reach it only through the
// callbacks of their EffectParams record; the runtime drives the per-frame
// bookkeeping. UI thread only.
#pragma once
#include <cstddef>
#include <cstdint>

#include "render/PixelTypes.h"

constexpr int32_t kScratchBlockBytes = 2702336;      // 675,584 pixels
constexpr int32_t kScratchLeadBytes = 237824;        // handed-out pointer lies this far in
constexpr int32_t kScratchSlotCount = 66;

void scratchInit();
// The engine's start-up: scratchInit, and the pool made the quad warp's scratch
// source (setQuadWarpScratchSource).
void scratchStartUp();
void scratchFrameStart();
Pixel* scratchAcquire(int32_t* slot);   // null when every slot is in use (slot untouched)
int32_t scratchKeep(int32_t slot);
int32_t scratchClear(Pixel* buffer);    // zeroes the buffer's whole block; returns 0
void scratchFrameEnd();

// Where slots 3 to 65 get their blocks (the free store unless a test says
// otherwise); an allocator that returns null makes that acquire return null.
using ScratchAllocateFn = void* (*)(size_t bytes);
using ScratchFreeFn = void (*)(void* block);
void setScratchAllocator(ScratchAllocateFn allocate, ScratchFreeFn release);   // null: the free store
// Gives every block of slots 3 to 65 back and empties the pool (tests; the
// engine keeps its blocks to the end of the process).
void scratchFreeBlocks();
