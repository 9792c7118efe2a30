#include "engine/ScratchPool.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "render/RotatedCopies.h"

namespace {

constexpr int32_t kStaticSlots = 2;      // slots 0 and 1
constexpr int32_t kFirstDynamicSlot = 3; // slot 2 is never handed out

alignas(16) unsigned char staticBlocks[kStaticSlots][kScratchBlockBytes];
unsigned char* dynamicBlocks[kScratchSlotCount];   // slots 3..65; null until first use
int32_t allocationMarks[kScratchSlotCount];
int32_t keepMarks[kScratchSlotCount];

void* defaultAllocate(size_t bytes) { return std::malloc(bytes); }
ScratchAllocateFn allocateBlock = defaultAllocate;
ScratchFreeFn freeBlock = std::free;

unsigned char* blockOf(int32_t slot) {
    return slot < kStaticSlots ? staticBlocks[slot] : dynamicBlocks[slot];
}

Pixel* handOut(unsigned char* block) {
    return reinterpret_cast<Pixel*>(block + kScratchLeadBytes);
}

bool validSlot(int32_t slot) {
    return slot >= 0 && slot < kScratchSlotCount && slot != kStaticSlots;
}

}  // namespace

void scratchInit() {
    // Blocks already allocated stay with their slots: the preview starts the pool
    // again for every run, and dropping the pointers would lose the blocks.
    std::memset(allocationMarks, 0, sizeof allocationMarks);
    std::memset(keepMarks, 0, sizeof keepMarks);
}

void scratchStartUp() {
    scratchInit();
    // The quad warp borrows its intermediate frame from the pool (not kept, so
    // free again next frame); without it the warp falls back to the exact mapping.
    setQuadWarpScratchSource(scratchAcquire);
}

void scratchFrameStart() { std::memset(keepMarks, 0, sizeof keepMarks); }

Pixel* scratchAcquire(int32_t* slot) {
    for (int32_t s = 0; s < kStaticSlots; ++s) {
        if (allocationMarks[s] == 0) {
            allocationMarks[s] = 1;
            if (slot) *slot = s;
            return handOut(staticBlocks[s]);
        }
    }
    for (int32_t s = kFirstDynamicSlot; s < kScratchSlotCount; ++s) {
        if (allocationMarks[s] != 0) continue;
        if (!dynamicBlocks[s]) {
            dynamicBlocks[s] = static_cast<unsigned char*>(allocateBlock(kScratchBlockBytes));
            // No block, no buffer: the slot stays free and the caller sees null.
            if (!dynamicBlocks[s]) return nullptr;
        }
        allocationMarks[s] = 1;
        if (slot) *slot = s;
        return handOut(dynamicBlocks[s]);
    }
    return nullptr;
}

int32_t scratchKeep(int32_t slot) {
    if (validSlot(slot)) keepMarks[slot] = 1;
    return slot;
}

int32_t scratchClear(Pixel* buffer) {
    // Only a pointer the pool handed out names a block; anything else (a null
    // buffer from a failed acquire among them) is left alone.
    if (!buffer) return 0;
    for (int32_t s = 0; s < kScratchSlotCount; ++s) {
        if (!validSlot(s)) continue;
        unsigned char* block = blockOf(s);
        if (block && handOut(block) == buffer) {
            std::memset(block, 0, kScratchBlockBytes);
            break;
        }
    }
    return 0;
}

void scratchFrameEnd() { std::memcpy(allocationMarks, keepMarks, sizeof allocationMarks); }

void setScratchAllocator(ScratchAllocateFn allocate, ScratchFreeFn release) {
    allocateBlock = allocate ? allocate : defaultAllocate;
    freeBlock = release ? release : std::free;
}

void scratchFreeBlocks() {
    for (int32_t s = kFirstDynamicSlot; s < kScratchSlotCount; ++s) {
        if (dynamicBlocks[s]) freeBlock(dynamicBlocks[s]);
        dynamicBlocks[s] = nullptr;
    }
    scratchInit();
}
