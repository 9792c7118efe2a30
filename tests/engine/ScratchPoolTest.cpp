// The scratch pool's slot rules, frame by frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/ScratchPool.h"
#include "render/RotatedCopies.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr size_t kLeadPixels = kScratchLeadBytes / sizeof(Pixel);
constexpr size_t kBlockPixels = kScratchBlockBytes / sizeof(Pixel);

class ScratchPool : public testing::Test {
protected:
    void SetUp() override {
        setScratchAllocator(nullptr, nullptr);
        scratchInit();
        scratchFrameStart();
    }
    void TearDown() override {
        setQuadWarpScratchSource(nullptr);
        scratchFrameEnd();
        scratchFreeBlocks();
        setScratchAllocator(nullptr, nullptr);
    }
    // Ends the frame and starts the next.
    static void nextFrame() {
        scratchFrameEnd();
        scratchFrameStart();
    }
};

TEST_F(ScratchPool, StaticSlotsFirstThenDynamicFromSlotThree) {
    int32_t slots[4] = {-1, -1, -1, -1};
    Pixel* b[4];
    for (int i = 0; i < 4; ++i) b[i] = scratchAcquire(&slots[i]);
    EXPECT_EQ(slots[0], 0);
    EXPECT_EQ(slots[1], 1);
    EXPECT_EQ(slots[2], 3);
    EXPECT_EQ(slots[3], 4);
    for (Pixel* p : b) {
        ASSERT_NE(p, nullptr);
        // The whole block around the handed-out pointer is addressable.
        p[-static_cast<ptrdiff_t>(kLeadPixels)] = 1;
        p[kBlockPixels - kLeadPixels - 1] = 2;
    }
    // clearBuffer zeroes the whole block, lead included, and nothing else.
    b[1][-static_cast<ptrdiff_t>(kLeadPixels)] = 7;
    b[2][100] = 9;
    EXPECT_EQ(scratchClear(b[2]), 0);
    EXPECT_EQ(b[2][100], 0u);
    EXPECT_EQ(b[2][-static_cast<ptrdiff_t>(kLeadPixels)], 0u);
    EXPECT_EQ(b[2][kBlockPixels - kLeadPixels - 1], 0u);
    EXPECT_EQ(b[1][-static_cast<ptrdiff_t>(kLeadPixels)], 7u);
    // A pointer the pool did not hand out (a failed acquire's null among them) is ignored.
    EXPECT_EQ(scratchClear(nullptr), 0);
    EXPECT_EQ(scratchClear(b[1] + 1), 0);
    EXPECT_EQ(b[1][-static_cast<ptrdiff_t>(kLeadPixels)], 7u);
}

TEST_F(ScratchPool, UnkeptBufferIsFreeNextFrameWithItsContents) {
    int32_t slot = -1;
    Pixel* first = scratchAcquire(&slot);
    first[0] = 0xBEEF;
    int32_t other = -1;
    EXPECT_NE(scratchAcquire(&other), first);   // in use until the frame ends, kept or not
    nextFrame();
    int32_t again = -1;
    EXPECT_EQ(scratchAcquire(&again), first);
    EXPECT_EQ(again, slot);
    EXPECT_EQ(first[0], 0xBEEFu);
}

TEST_F(ScratchPool, KeptBufferStaysUntilAFrameWithoutKeep) {
    int32_t slot = -1;
    Pixel* kept = scratchAcquire(&slot);
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(scratchKeep(slot), slot);
        nextFrame();
        int32_t s = -1;
        EXPECT_NE(scratchAcquire(&s), kept) << frame;
        EXPECT_NE(s, slot);
    }
    nextFrame();   // one frame without keep frees it
    int32_t s = -1;
    EXPECT_EQ(scratchAcquire(&s), kept);
    EXPECT_EQ(s, slot);
}

TEST_F(ScratchPool, FullPoolGivesNullAndTheLastSlotsAreFreedLikeAnyOther) {
    std::vector<int32_t> slots(65, -1);
    for (int32_t& s : slots) ASSERT_NE(scratchAcquire(&s), nullptr);
    EXPECT_EQ(slots[63], 64);
    EXPECT_EQ(slots[64], 65);
    int32_t untouched = 1234;
    EXPECT_EQ(scratchAcquire(&untouched), nullptr);
    EXPECT_EQ(untouched, 1234);
    // Keep everything but 64 and 65: next frame exactly those two come back.
    for (int i = 0; i < 63; ++i) scratchKeep(slots[i]);
    nextFrame();
    int32_t a = -1, b = -1, c = 1234;
    EXPECT_NE(scratchAcquire(&a), nullptr);
    EXPECT_NE(scratchAcquire(&b), nullptr);
    EXPECT_EQ(scratchAcquire(&c), nullptr);
    EXPECT_EQ(a, 64);
    EXPECT_EQ(b, 65);
    EXPECT_EQ(c, 1234);
    // Slot 2 and numbers outside the pool are not slots.
    for (int32_t bad : {2, -1, 66, 1000}) EXPECT_EQ(scratchKeep(bad), bad);
}

TEST_F(ScratchPool, FailedAllocationGivesNullAndLeavesTheSlotFree) {
    int32_t s0 = -1, s1 = -1;
    scratchAcquire(&s0);
    scratchAcquire(&s1);
    setScratchAllocator([](size_t) -> void* { return nullptr; }, [](void*) {});
    int32_t slot = 77;
    EXPECT_EQ(scratchAcquire(&slot), nullptr);
    EXPECT_EQ(slot, 77);
    setScratchAllocator(nullptr, nullptr);
    Pixel* p = scratchAcquire(&slot);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(slot, 3);
}

TEST_F(ScratchPool, InitAgainFreesEverySlotAndKeepsTheBlocks) {
    int32_t slots[3];
    Pixel* b[3];
    for (int i = 0; i < 3; ++i) b[i] = scratchAcquire(&slots[i]);
    for (int32_t s : slots) scratchKeep(s);
    scratchInit();
    scratchFrameStart();
    // No new allocation is needed: every further one fails, and the old block comes back.
    setScratchAllocator([](size_t) -> void* { return nullptr; }, [](void*) {});
    int32_t again[3];
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scratchAcquire(&again[i]), b[i]);
    setScratchAllocator(nullptr, nullptr);
}

// The pool is the quad warp's scratch source from start-up on: the warp takes a
// buffer for its two passes (free again next frame) and draws what it draws
// through any other scratch buffer.
Pixel* ownScratch(int32_t* slot) {
    static std::vector<Pixel> block(kBlockPixels);
    *slot = 0;
    return block.data() + kLeadPixels;
}

TEST_F(ScratchPool, QuadWarpDrawsItsTwoPassesThroughThePool) {
    scratchStartUp();
    const int W = 80, H = 60;
    vt_test::GuardedBuffer src(W, H), viaPool(W, H), viaOwn(W, H), exact(W, H);
    src.fillPattern(4);
    const int32_t c[8] = {10, 70, 78, 2, 5, 9, 55, 50};
    auto warp = [&](vt_test::GuardedBuffer& dst) {
        warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
    };
    warp(viaPool);
    int32_t slot = -1;
    ASSERT_NE(scratchAcquire(&slot), nullptr);
    EXPECT_EQ(slot, 1) << "the warp holds slot 0 for this frame";
    nextFrame();
    ASSERT_NE(scratchAcquire(&slot), nullptr);
    EXPECT_EQ(slot, 0) << "and gives it back";
    setQuadWarpScratchSource(ownScratch);
    warp(viaOwn);
    setQuadWarpScratchSource(nullptr);
    warp(exact);
    EXPECT_TRUE(viaPool.sameVisible(viaOwn));
    EXPECT_FALSE(viaPool.sameVisible(exact)) << "the two passes draw their own picture";
}

}  // namespace
