// The animation and animation-effect tables as the runtime reads them, the
// unpacked-worker entries, and "BlurSlow"'s exact pixels on a small layer.
#include <gtest/gtest.h>

#include <iterator>

#include <set>
#include <string>
#include <vector>

#include "Animation/ANI_Bubble.h"
#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "Animation/AnimationTable.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "engine/CrashLog.h"
#include "render/CrtRandom.h"
#include "render/FaultGuard.h"
#include "tests/effects/AnimationFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

template <class Row>
void expectCatalogueOrder(const Row* rows, int32_t count, int32_t catalogueSize) {
    int32_t last = -1;
    std::set<const void*> entries;
    for (int32_t i = 0; i < count; ++i) {
        EXPECT_GT(rows[i].catalogueRow, last) << i;
        EXPECT_LT(rows[i].catalogueRow, catalogueSize) << i;
        EXPECT_NE(rows[i].row.entry, nullptr) << i;
        EXPECT_EQ(rows[i].row.reserved, 0) << i;
        last = rows[i].catalogueRow;
    }
}

TEST(AnimationTables, RowsStandInCatalogueOrderAndBlurSlowIsFound) {
    ASSERT_GT(AnimationTableCount, 0);
    ASSERT_GT(AnimationEffectTableCount, 0);
    expectCatalogueOrder(AnimationTable, AnimationTableCount, 114);
    expectCatalogueOrder(AnimationEffectTable, AnimationEffectTableCount, 39);
    // The transition into an animation runs "BlurSlow" wherever the partial table holds it.
    ASSERT_GE(AnimationEffectBlurSlowRow, 0);
    ASSERT_LT(AnimationEffectBlurSlowRow, AnimationEffectTableCount);
    EXPECT_EQ(AnimationEffectTable[AnimationEffectBlurSlowRow].catalogueRow, 19);
    EXPECT_EQ(std::string(AnimationEffectTable[AnimationEffectBlurSlowRow].row.name), "BlurSlow");
}

#include "tests/effects/AnimationCatalogue.inc"

// Every catalogue row stands with its name (and the effects with their group
// codes): a dropped family or a renamed row fails here.
TEST(AnimationTables, EveryCatalogueRowStandsWithItsName) {
    ASSERT_EQ(AnimationTableCount, static_cast<int>(std::size(kAnimationNames)));
    for (int i = 0; i < AnimationTableCount; ++i) {
        EXPECT_EQ(AnimationTable[i].catalogueRow, i);
        EXPECT_STREQ(AnimationTable[i].row.name, kAnimationNames[i]) << i;
        // The group name is the name but in row 1.
        EXPECT_STREQ(AnimationTable[i].row.groupName, i == 1 ? "Bubble" : kAnimationNames[i]) << i;
    }
    ASSERT_EQ(AnimationEffectTableCount, static_cast<int>(std::size(kAnimationEffects)));
    for (int i = 0; i < AnimationEffectTableCount; ++i) {
        EXPECT_EQ(AnimationEffectTable[i].catalogueRow, i);
        EXPECT_STREQ(AnimationEffectTable[i].row.name, kAnimationEffects[i].name) << i;
        EXPECT_EQ(AnimationEffectTable[i].row.id, kAnimationEffects[i].group) << i;
    }
}

// Unpacked workers get the destination, pitch and clip, the level truncated
// toward zero and, for the (level, beat) shape, the beat.
struct Seen {
    Pixel* destination;
    int32_t pitch;
    const Rect* clip;
    int32_t level, beat;
} g_seen;
void levelWorker(Pixel* d, int32_t pitch, const Rect* clip, int32_t level) { g_seen = {d, pitch, clip, level, -1}; }
void levelBeatWorker(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat) {
    g_seen = {d, pitch, clip, level, beat};
}

TEST(AnimationEntries, UnpackedWorkersGetTheRecordsValues) {
    GuardedBuffer a(8, 8), b(8, 8);
    EffectParams p{};
    aimAnimationRecord(p, a, b);
    p.level = 99.9f;
    p.beat = 1;
    levelWorkerEntry<AnimationUnit::Dot, __LINE__, levelWorker>(&p);
    EXPECT_EQ(g_seen.destination, b.pixels());
    EXPECT_EQ(g_seen.pitch, b.pitch());
    EXPECT_EQ(g_seen.clip, &p.rect);
    EXPECT_EQ(g_seen.level, 99);
    EXPECT_EQ(g_seen.beat, -1);
    levelBeatWorkerEntry<AnimationUnit::Line, __LINE__, levelBeatWorker>(&p);
    EXPECT_EQ(g_seen.level, 99);
    EXPECT_EQ(g_seen.beat, 1);
}

TEST(AnimationEntries, LevelEnvelopeFollowsPeaks) {
    EffectParams p{};
    struct Step {
        float fresh, shaped;
    } steps[] = {{100, 100}, {50, 90}, {95, 95}, {0, 85.5f}, {300, 255}, {-5, 229.5f}};
    for (const Step& s : steps) {
        p.level = s.fresh;
        updateAnimationLevel(&p, 0.9f, 1.0f);
        EXPECT_FLOAT_EQ(p.level, s.shaped) << s.fresh;
        EXPECT_EQ(p.previousLevel, p.level);
    }
    p.levelMode = 2;   // not the runtime's: the level is left alone
    p.level = 42;
    updateAnimationLevel(&p, 0.9f, 1.0f);
    EXPECT_EQ(p.level, 42);
}

// "BlurSlow" draws one offset d for the frame from rand() & 3 and sets each pixel
// to half the source pixel at +d plus half the one at -d, per channel. The
// neighbours of (1, 1) differ, so each offset shows in that pixel; (0, 0) also
// reads the margin row above.
TEST(BlurSlow, EachOffsetHalvesItsTwoSourcePixels) {
    GuardedBuffer source(4, 3, 0), layer(4, 3, 0xABCDEF);
    source.at(1, 0) = 0x800000;
    source.at(1, 2) = 0x000080;
    source.at(2, 2) = 0x008000;
    source.at(0, 0) = 0x808080;
    source.at(0, 2) = 0xFEFEFE;
    source.at(2, 0) = 0x010101;
    source.at(2, 1) = 0x030303;
    source.at(0, 1) = 0xFF00FF;
    source.at(0, -1) = 0x020202;
    struct Case {
        int offset;        // rand() & 3
        Pixel centre;      // (1, 1)
        Pixel corner;      // (0, 0)
    } cases[] = {
        {0, 0x400040, 0x800180},   // a row: (1, 2) and (1, 0); (0, 1) and the margin's (0, -1)
        {1, 0x408040, 0x000000},   // a row and a pixel: (2, 2) and (0, 0); (1, 1) and (-1, -1)
        {2, 0x7F7F7F, 0x000000},   // a row less a pixel: (0, 2) and (2, 0); (-1, 1) and (1, -1)
        {3, 0x800180, 0x400000},   // a pixel: (2, 1) and (0, 1); (1, 0) and (-1, 0)
    };
    for (const Case& c : cases) {
        uint32_t seed = 1;
        for (;; ++seed) {
            crtSrand(seed);
            if ((crtRand() & 3) == c.offset) break;
        }
        const uint32_t afterOneDraw = crtRandState();
        EffectParams p{};
        aimAnimationRecord(p, source, layer);
        crtSrand(seed);
        runAnimationEffect(AnimationEffectBlurSlowRow, &p);
        EXPECT_EQ(layer.at(1, 1), c.centre) << c.offset;
        EXPECT_EQ(layer.at(0, 0), c.corner) << c.offset;
        EXPECT_TRUE(layer.marginIntact(0xABCDEF)) << c.offset;
        EXPECT_EQ(crtRandState(), afterOneDraw) << "one draw a frame";
    }
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A fault inside a row is caught by its entry: one trace line with the unit per
// faulting frame, and the next frame runs again. Records without layers fault
// on their first pixel.
TEST(AnimationEntries, AFaultIsLoggedPerFrameAndTheEntryReturns) {
    if (!faultGuardCatches()) GTEST_SKIP() << "faults are caught only in the Windows builds";
    const std::string log = scratchDir("animation_fault") + "/debug.txt";
    setDebugLogPath(log.c_str());
    EffectParams p{};
    p.rect = {0, 0, 32, 32};
    p.pitch = 48;
    p.width = p.height = 32;
    p.level = 255;
    crtSrand(1);
    for (int frame = 0; frame < 2; ++frame) {
        p.firstFrame = frame == 0;
        runBubbleStyle0(&p);   // bubbles are born, then the lens reads the missing source
        runAnimationEffect(AnimationEffectBlurSlowRow, &p);
    }
    EXPECT_NE(BubbleParticles.head, nullptr);   // the list stayed whole through the faults
    freeParticleLists();
    const std::vector<uint8_t> bytes = readFileBytes(log);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(occurrences(text, "Animation\\ANI_Bubble("), 2u) << text;
    EXPECT_EQ(occurrences(text, "AnimationEffect\\ANIEffectPlain("), 2u) << text;
}

// The warp rows carry no guard of their own; their builders, the brightness
// test and the appliers do. A record without layers faults in the last two
// on every frame, with or without a pool.
TEST(AnimationEntries, WarpRowsFaultOnlyInsideTheirGuards) {
    if (!faultGuardCatches()) GTEST_SKIP() << "faults are caught only in the Windows builds";
    const std::string log = scratchDir("warp_fault") + "/debug.txt";
    setDebugLogPath(log.c_str());
    resetFaultCounts();
    EffectParams p{};
    p.rect = {0, 0, 32, 32};
    p.pitch = 48;
    p.width = p.height = 32;
    AnimationTestPool::get().reset(4);
    p.acquireBuffer = AnimationTestPool::acquire;
    p.keepBuffer = AnimationTestPool::keep;
    crtSrand(1);
    for (int row : {0, 9}) {   // "SmartEffect", "Dandy"
        for (int frame = 0; frame < 2; ++frame) {
            p.firstFrame = frame == 0;
            AnimationEffectTable[row].row.entry(&p);
        }
    }
    p.acquireBuffer = nullptr;   // no maps: the layer would be copied
    p.firstFrame = 1;
    AnimationEffectTable[9].row.entry(&p);
    const std::vector<uint8_t> bytes = readFileBytes(log);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_GE(occurrences(text, "AnimationEffect\\ANIEffectWarping("), 3u) << text;
}

}  // namespace
