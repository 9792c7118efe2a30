// Bubbles with the fixed-seed generator: how many are born at a level, how each
// frame moves, pops and removes them, their colours, the lens, where each style
// draws a single bubble, and what happens without scratch buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Animation/ANI_Bubble.h"
#include "Animation/ParticleList.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "tests/effects/AnimationFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

// 64 x 256: with a height of 256 the set-up values are the row's factors
// (rise speed riseFactor x 512 / 512, radius scale and spawn rate as given).
constexpr int kW = 64, kH = 256;

struct BubbleRun {
    GuardedBuffer previous{kW, kH}, layer{kW, kH};
    EffectParams p{};

    BubbleRun() {
        previous.fillPattern(1);
        layer.fillPattern(2);
        aimAnimationRecord(p, previous, layer);
        p.firstFrame = 1;
        AnimationTestPool::get().reset(4);
    }
    ~BubbleRun() { freeParticleList(BubbleParticles); }
    // One frame with the engine's level; returns the bubbles born in it.
    int frame(EffectEntry entry, float level) {
        const int32_t phase = particleColourPhase(&p);
        p.level = level;
        entry(&p);
        p.firstFrame = 0;
        return particleColourPhase(&p) - phase;
    }
};

int bubbleCount() {
    int n = 0;
    for (const ParticleNode* b = BubbleParticles.head; b; b = b->next) ++n;
    return n;
}

TEST(Bubbles, BirthsFollowTheLevel) {
    // MetalBubble at this height: spawn rate 128, so the rate is 128 x level.
    struct Case {
        float level;
        int least, most;   // births per frame
    } cases[] = {
        {0.0f, 0, 0},
        {31.99f, 0, 1},    // rate 4094: a chance of one
        {32.0f, 1, 1},     // rate 4096: exactly one
        {100.0f, 3, 3},    // 12,800: three
        {255.0f, 7, 7},    // 32,640: seven
    };
    for (const Case& c : cases) {
        crtSrand(7);
        BubbleRun t;
        int total = 0;
        for (int f = 0; f < 60; ++f) {
            const int born = t.frame(MetalBubble, c.level);
            EXPECT_GE(born, c.least) << c.level;
            EXPECT_LE(born, c.most) << c.level;
            total += born;
        }
        if (c.level > 0) {
            EXPECT_GT(total, 0) << c.level;
        }
    }
}

TEST(Bubbles, SilenceLetsTheBubblesRiseAndPopUntilNoneAreLeft) {
    crtSrand(3);
    BubbleRun t;
    for (int f = 0; f < 20; ++f) t.frame(Bubble, 255);
    ASSERT_GT(bubbleCount(), 10);
    int lastBirth = -1;
    for (int f = 0; f < 400; ++f)
        if (t.frame(Bubble, 0) > 0) lastBirth = f;   // the shaped level decays by 0.9 a frame
    EXPECT_LT(lastBirth, 60);
    EXPECT_EQ(BubbleParticles.head, nullptr);
    EXPECT_EQ(BubbleParticles.tail, nullptr);
}

struct Snap {
    int32_t x, y, radius, colour;
    bool operator==(const Snap&) const = default;
};

std::vector<Snap> snapBubbles() {
    std::vector<Snap> out;
    for (const ParticleNode* b = BubbleParticles.head; b; b = b->next) out.push_back({b->x, b->y, b->radius, b->colour});
    return out;
}

// Each frame replayed from the same generator state: every bubble steps sideways
// by up to 8 pixels and rises radius x rise speed; it leaves when its y turns
// negative, or else pops when a fresh draw exceeds 32,000; then the births of
// the shaped level, at the bottom edge.
TEST(Bubbles, EachFrameMovesPopsAndBearsByTheRules) {
    constexpr int kRise = 128, kRadiusScale = 128, kSpawnRate = 128;   // MetalBubble
    crtSrand(2024);
    BubbleRun t;
    float shaped = 0.0f;
    int exits = 0, pops = 0, births = 0;
    for (int f = 0; f < 120; ++f) {
        const float level = f < 30 ? 100.0f : f < 60 ? 20.0f : 40.0f;
        const uint32_t state = crtRandState();
        std::vector<Snap> expected;
        for (Snap b : snapBubbles()) {
            b.x += (crtRand() & 0xFFF) - 2048;
            b.y -= b.radius * kRise;
            if (b.y < 0) {
                ++exits;
                continue;
            }
            if (crtRand() > 32000) {
                ++pops;
                continue;
            }
            expected.push_back(b);
        }
        shaped = level >= shaped ? level : 0.9f * shaped;
        const int rate = truncToInt(kSpawnRate * shaped);
        const int n = rate >= 4096 ? rate / 4096 : (crtRand() % (4096 - rate) < rate / 2 ? 1 : 0);
        const size_t survivors = expected.size();
        for (int i = 0; i < n; ++i) {
            const int32_t x = crtRand() % kW * 256;
            expected.push_back({x, kH * 256, (crtRand() % 16) * kRadiusScale / 140 + 3, 0});
        }
        births += n;
        const uint32_t modelEnd = crtRandState();
        crtSetRandState(state);
        t.frame(MetalBubble, level);
        std::vector<Snap> got = snapBubbles();
        ASSERT_EQ(got.size(), expected.size()) << "frame " << f;
        for (size_t i = survivors; i < got.size(); ++i) expected[i].colour = got[i].colour;
        ASSERT_EQ(got, expected) << "frame " << f;
        ASSERT_EQ(crtRandState(), modelEnd) << "frame " << f << ": another number of draws";
    }
    EXPECT_GT(exits, 0);
    EXPECT_GT(pops, 0);
    EXPECT_GT(births, 100);
}

TEST(Bubbles, ColoursRunThroughOneCycleEvery128Bubbles) {
    struct Case {
        int32_t phase;
        Pixel colour;
    } cases[] = {
        {0, 0xFF8000},        // cosine 1 (held at 255), sine 0, cosine of a half turn -1
        {32, 0x80FF80},       // a quarter turn
        {64, 0x0080FF},       // a half turn
        {128, 0xFF8000},      // round again
        {-64, 0x0080FF},      // a phase left negative by an earlier effect still names a colour
    };
    for (const Case& c : cases) {
        crtSrand(1);
        BubbleRun t;
        particleColourPhase(&t.p) = c.phase;
        ASSERT_EQ(t.frame(MetalBubble, 32), 1);
        EXPECT_EQ(static_cast<Pixel>(BubbleParticles.head->colour), c.colour) << c.phase;
        EXPECT_EQ(particleColourPhase(&t.p), c.phase + 1);
    }
}

TEST(Bubbles, ChosenAgainTheAnimationStartsWithNoBubbles) {
    crtSrand(5);
    BubbleRun t;
    // Other lists' nodes (earlier tests in the same process) are not the bubbles'.
    const int32_t before = liveParticleCount();
    for (int f = 0; f < 15; ++f) t.frame(Bubble, 255);
    ASSERT_GT(bubbleCount(), 0);
    t.p.firstFrame = 1;
    t.p.previousLevel = 0;
    t.frame(Bubble, 0);
    EXPECT_EQ(bubbleCount(), 0);
    EXPECT_EQ(liveParticleCount(), before);
    EXPECT_EQ(t.p.frameCounter, 1);
}

// A picture whose pixels say where they are, and a lens of radius 2 at (8, 8):
// m = 128 / 3 = 42; one column out, d = sqrt(42) x 1024 = 6636 moves the sample
// 6636 / 2048 = 3 columns; two out, sqrt(168) x 1024 = 13273 moves it 12, off
// the 16-pixel picture, so that pixel stays.
TEST(Bubbles, LensMagnifiesFromTheSourceAndKeepsPixelsWithoutOne) {
    GuardedBuffer picture(16, 16), layer(16, 16, 0x123456);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) picture.at(x, y) = static_cast<Pixel>(x << 8 | y);
    EffectParams p{};
    aimAnimationRecord(p, picture, layer);
    drawBubbleLens(&p, 8, 8, 2);
    auto source = [](int x, int y) { return static_cast<Pixel>(x << 8 | y); };
    EXPECT_EQ(layer.at(8, 8), source(8, 8));
    EXPECT_EQ(layer.at(9, 8), source(11, 8));
    EXPECT_EQ(layer.at(7, 8), source(5, 8));
    EXPECT_EQ(layer.at(8, 7), source(8, 5));
    EXPECT_EQ(layer.at(9, 9), source(12, 12));   // sqrt(84) x 1024 = 9385: 4 either way
    EXPECT_EQ(layer.at(10, 8), 0x123456u);       // sample off the picture
    EXPECT_EQ(layer.at(8, 10), 0x123456u);
    EXPECT_EQ(layer.at(11, 8), 0x123456u);       // outside the lens
    // At the corner the lens stops at the picture's edge.
    GuardedBuffer corner(16, 16, 0x123456);
    aimAnimationRecord(p, picture, corner);
    drawBubbleLens(&p, 0, 0, 6);
    EXPECT_TRUE(corner.marginIntact(0x123456));
    EXPECT_TRUE(corner.guardIntact());
}

// One bubble is born on the first frame at the bottom edge; it is both head and
// tail. Each style draws it into the layer around its centre and nowhere else.
TEST(Bubbles, EachStyleDrawsASingleBubbleAroundItsCentre) {
    struct Case {
        const char* name;
        EffectEntry entry;
        float level;        // one birth: the spawn rate x level is 4096
        bool layerIsSource; // the style (or its caller) puts the picture in the layer first
        int diameterPerR;
    } cases[] = {
        {"Bubble", Bubble, 128, false, 6},
        {"MetalBubble", MetalBubble, 32, false, 4},
        {"style 0", runBubbleStyle0, 32, true, 2},
        {"style 1", runBubbleStyle1, 128, true, 7},
    };
    for (const Case& c : cases) {
        crtSrand(11);
        BubbleRun t;
        t.previous.fillPattern(9);
        if (c.layerIsSource) t.layer.fillPattern(9);   // style 0's caller copies the picture; style 1 copies it
        std::vector<Pixel> before;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) before.push_back(t.layer.at(x, y));
        ASSERT_EQ(t.frame(c.entry, c.level), 1) << c.name;
        const ParticleNode* b = BubbleParticles.head;
        ASSERT_EQ(b, BubbleParticles.tail);
        const int cx = b->x / 256, cy = b->y / 256, reach = (b->radius * 6 / 16) * c.diameterPerR / 2 + 1;
        ASSERT_EQ(cy, kH);
        int changed = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (t.layer.at(x, y) == before[static_cast<size_t>(y) * kW + x]) continue;
                ++changed;
                EXPECT_LE(std::abs(x - cx), reach) << c.name << " at " << x << "," << y;
                EXPECT_LE(cy - y, reach) << c.name << " at " << x << "," << y;
            }
        EXPECT_GT(changed, 0) << c.name << " drew nothing";
        EXPECT_TRUE(t.layer.guardIntact()) << c.name;
    }
}

TEST(Bubbles, WithoutScratchBuffersBubblesLiveOnUndrawnUntilThePoolHasRoom) {
    for (EffectEntry entry : {Bubble, MetalBubble, runBubbleStyle1}) {
        crtSrand(4);
        BubbleRun t;
        t.layer.fill(0x102030);
        t.previous.fillPattern(6);
        AnimationTestPool::get().reset(0);
        for (int f = 0; f < 10; ++f) t.frame(entry, 255);
        EXPECT_GT(bubbleCount(), 0);
        const bool copiesPicture = entry == runBubbleStyle1;
        EXPECT_TRUE(copiesPicture ? t.layer.sameVisible(t.previous) : t.layer.checksum() == GuardedBuffer(kW, kH, 0x102030).checksum());
        for (int k = 0; k < 3; ++k) EXPECT_EQ(t.p.buffers[k], nullptr);

        // Room again: the buffers are taken and the balls drawn from the next frame on.
        AnimationTestPool::get().reset(4);
        const uint64_t undrawn = t.layer.checksum();
        for (int f = 0; f < 40 && t.layer.checksum() == undrawn; ++f) t.frame(entry, 255);
        EXPECT_NE(t.layer.checksum(), undrawn);
        for (int k = 0; k < 3; ++k) EXPECT_NE(t.p.buffers[k], nullptr);
    }
}

}  // namespace
