// The slide-show timeline, driven with a fixed clock, a fixed seed and a
// recording family table.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>

#include "FrameHarness.h"
#include "engine/EngineFrame.h"
#include "engine/FrameCanvas.h"
#include "engine/PictureBuffers.h"

using vt_test::FamilyCall;
using vt_test::FrameHarness;

namespace {

constexpr int kCycle = 7001;   // a cycle of S 5,000 + T 2,000, and the frame that ends it

struct PhaseCase {
    int offset;          // ms into the run (the first frame starts the cycle)
    int mode;
    char family;         // the family that draws the frame ('-' for the plain picture)
    float progress;      // that family's progress
    int first;           // its first-frame flag
    int duration;
    float titleProgress; // < 0: no title this frame
    int titleDuration;
};

void checkTimeline(FrameHarness& h, const PhaseCase* cases, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const PhaseCase& c = cases[i];
        SCOPED_TRACE(testing::Message() << "offset " << c.offset);
        h.frame(c.offset);
        EXPECT_EQ(frameScheduler.drawMode, c.mode);
        if (c.family != '-') {
            const FamilyCall* call = h.find(c.family);
            ASSERT_NE(call, nullptr);
            EXPECT_NEAR(call->progress, c.progress, 1e-6);
            EXPECT_EQ(call->first, c.first);
            EXPECT_EQ(call->duration, c.duration);
        }
        const FamilyCall* title = h.find('M');
        if (c.titleProgress < 0) {
            EXPECT_EQ(title, nullptr);
        } else {
            ASSERT_NE(title, nullptr);
            EXPECT_NEAR(title->progress, c.titleProgress, 1e-6);
            EXPECT_EQ(title->duration, c.titleDuration);
        }
    }
}

}  // namespace

TEST(FrameScheduler, PhasesOfOneCycle) {
    FrameHarness h;
    const PhaseCase cases[] = {
        {0, 4, 'I', 0.0f, 1, 2500, 0.0f, 2500},
        {33, 4, 'I', 33 / 2500.0f, 0, 2500, 33 / 5000.0f, 2500},
        {2499, 4, 'I', 2499 / 2500.0f, 0, 2500, 2499 / 5000.0f, 2500},
        {2500, 5, '-', 0, 0, 0, 0.5f, 5000},
        {4999, 5, '-', 0, 0, 0, (2499 / 2500.0f + 1) * 0.5f, 5000},
        {5000, 0, 'T', 0.0f, 1, 2000, -1, 0},
        {6000, 0, 'T', 0.5f, 0, 2000, -1, 0},
        {7000, 0, 'T', 0.999f, 0, 2000, -1, 0},  // 1.0 at S + T exactly
        {7001, 4, 'I', 0.0f, 1, 2500, 0.0f, 2500},
    };
    checkTimeline(h, cases, std::size(cases));
    EXPECT_EQ(frameScheduler.cycleCounter, 3);
    EXPECT_EQ(h.blits, 9);
}

TEST(FrameScheduler, OddShowTimeSplitsIntoHalfAndRest) {
    FrameHarness h;
    h.options.showTime = 5001;
    const PhaseCase cases[] = {
        {0, 4, 'I', 0.0f, 1, 2500, 0.0f, 2500},
        {2499, 4, 'I', 2499 / 2500.0f, 0, 2500, 2499 / 5000.0f, 2500},
        {2500, 5, '-', 0, 0, 0, 0.5f, 5001},
        {4000, 5, '-', 0, 0, 0, (1500 / 2501.0f + 1) * 0.5f, 5001},
        {5000, 5, '-', 0, 0, 0, (2500 / 2501.0f + 1) * 0.5f, 5001},
        {5001, 0, 'T', 0.0f, 1, 2000, -1, 0},
        {7001, 0, 'T', 0.999f, 0, 2000, -1, 0},
        {7002, 4, 'I', 0.0f, 1, 2500, 0.0f, 2500},
    };
    checkTimeline(h, cases, std::size(cases));
}

TEST(FrameScheduler, LateFrameStartsTheNextCycleAndClockWrapIsHandled) {
    FrameHarness h;
    h.frame(0);
    h.frame(5000);
    h.frame(9000);   // past S + T: the rest of the transition is skipped
    EXPECT_EQ(frameScheduler.drawMode, kDrawImageEffect);
    EXPECT_EQ(h.find('I')->first, 1);
    EXPECT_EQ(frameScheduler.cycleCounter, 3);

    // A clock that runs backwards (elapsed <= 0) also starts a new cycle.
    h.frame(8000);
    EXPECT_EQ(frameScheduler.cycleCounter, 4);

    // timeGetTime wraps after 49.7 days; elapsed is taken modulo 2^32.
    frameScheduler.cycleStart = 0xFFFFFF00u;
    h.calls.clear();
    stepFrame(h.hooks, 0x00000100u, 1000, FrameHarness::kWidth, FrameHarness::kHeight);
    EXPECT_EQ(frameScheduler.drawMode, kDrawImageEffect);
    EXPECT_EQ(frameScheduler.cycleCounter, 4);
    EXPECT_NEAR(h.find('I')->progress, 0x200 / 2500.0f, 1e-6);
}

TEST(FrameScheduler, PicturesFollowInTurnThroughAnimationCycles) {
    struct Case {
        int pictures;
        std::vector<int> shown;   // the picture of each slide cycle, in order
    } cases[] = {
        {1, {0, 0, 0, 0, 0, 0, 0, 0}},
        {2, {0, 1, 0, 1, 0, 1, 0, 1}},
        {3, {0, 1, 2, 0, 1, 2, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pictures << " pictures");
        FrameHarness h(c.pictures);
        std::vector<int> shown;
        int lastShown = -1;
        for (int cycle = 0; shown.size() < c.shown.size(); ++cycle) {
            h.frame(cycle * kCycle);
            if (const FamilyCall* ie = h.find('I')) {
                shown.push_back(FrameHarness::pictureIn(ie->source));
                // Every transition ends on the picture the next cycle shows...
                if (lastShown >= 0) {
                    EXPECT_EQ(shown.back(), lastShown);
                }
            }
            h.frame(cycle * kCycle + 5000);
            const FamilyCall* t = h.find('T');
            ASSERT_NE(t, nullptr);
            if (frameScheduler.drawMode == kDrawSlideTransition) {
                // ... and starts from the one this cycle showed.
                EXPECT_EQ(FrameHarness::pictureIn(t->source), shown.back());
                lastShown = FrameHarness::pictureIn(t->source2);
            } else if (frameScheduler.drawMode == kDrawOutOfAnimation) {
                lastShown = FrameHarness::pictureIn(t->source2);
            } else {
                lastShown = -1;
            }
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(FrameScheduler, DecodesAtTheFirstFrameAndAtEachTransitionOutOfASlideOrAnimation) {
    FrameHarness h(3);
    h.frame(0);
    ASSERT_EQ(h.loads.size(), 1u);
    EXPECT_EQ(h.loads[0].first, 0);
    EXPECT_EQ(h.loads[0].second, h.picture(0));
    // Counters 2, 3, 4 decode at their transitions, 5 leads into an animation
    // (nothing decoded), 6 leaves it (the next picture is decoded).
    std::vector<int> decodedAt;
    for (int cycle = 0; cycle < 6; ++cycle) {
        h.loads.clear();
        h.frame(cycle * kCycle + 5000);
        h.frame(cycle * kCycle + 6000);
        decodedAt.push_back(h.loads.empty() ? -1 : h.loads[0].first);
        EXPECT_LE(h.loads.size(), 1u);
        h.frame((cycle + 1) * kCycle);
    }
    EXPECT_EQ(decodedAt, (std::vector<int>{1, 2, 0, -1, 1, 2}));
}

TEST(FrameScheduler, EveryFifthCycleRunsAnAnimation) {
    FrameHarness h;
    for (int cycle = 0; cycle < 12; ++cycle) {
        const int counter = cycle + 2;
        SCOPED_TRACE(testing::Message() << "cycle counter " << counter);
        const int base = cycle * kCycle;
        const bool animationCycle = counter % 5 == 1;
        h.frame(base);
        EXPECT_EQ(frameScheduler.drawMode, animationCycle ? kDrawAnimation : kDrawImageEffect);
        if (animationCycle) {
            // The cycle's own effect row, with its first-frame flag; no title.
            ASSERT_NE(h.find('E'), nullptr);
            EXPECT_EQ(h.find('E')->row, frameScheduler.animationEffectRow);
            EXPECT_EQ(h.find('E')->first, 1);
            EXPECT_EQ(h.find('A')->first, 0);
            EXPECT_EQ(h.find('M'), nullptr);
            EXPECT_EQ(h.canvas()[0], h.find('A')->destination[0]);   // the frame was copied
        }
        h.frame(base + 3000);
        EXPECT_EQ(frameScheduler.drawMode, animationCycle ? kDrawAnimation : kDrawPlainPicture);

        h.frame(base + 5000);
        const int expected = counter % 5 == 0 ? kDrawIntoAnimation
                             : animationCycle ? kDrawOutOfAnimation
                                              : kDrawSlideTransition;
        EXPECT_EQ(frameScheduler.drawMode, expected);
        if (expected == kDrawIntoAnimation) {
            // Blurred last frame, the new animation's first frame, then the transition to it.
            ASSERT_EQ(h.calls.size(), 3u);
            EXPECT_EQ(h.calls[0].family, 'E');
            EXPECT_EQ(h.calls[0].row, kBlurSlowRow);
            EXPECT_EQ(h.calls[0].first, 0);
            EXPECT_EQ(h.calls[1].family, 'A');
            EXPECT_EQ(h.calls[1].first, 1);
            EXPECT_EQ(h.calls[1].source, h.calls[0].source);
            EXPECT_EQ(h.calls[1].destination, h.calls[0].destination);
            EXPECT_EQ(h.calls[2].family, 'T');
            EXPECT_EQ(h.calls[2].source, frameScheduler.currentPicture);
            EXPECT_EQ(h.calls[2].source2, h.calls[1].destination);
            Pixel* previousCanvas = h.calls[1].destination;
            h.frame(base + 5033);
            EXPECT_EQ(h.find('A')->first, 0);
            EXPECT_EQ(h.find('A')->source, previousCanvas);       // the canvases alternate
            EXPECT_NE(h.find('A')->destination, previousCanvas);
        } else if (expected == kDrawOutOfAnimation) {
            // The last animation frame stands still.
            EXPECT_EQ(h.count('A'), 0);
            EXPECT_EQ(h.find('T')->source, frameScheduler.animationResult);
        }
    }
}

// An animation-effect table that holds only some rows keeps "BlurSlow" elsewhere
// than at 19; the transition into an animation runs it where the table says.
TEST(FrameScheduler, TransitionIntoAnAnimationRunsBlurSlowWhereTheTableHoldsIt) {
    FrameHarness h;
    h.animationEffectCount = 3;
    const int32_t blurSlowAt = 2;
    h.services.blurSlowRow = &blurSlowAt;
    for (int cycle = 0; cycle < 4; ++cycle) h.frame(cycle * kCycle);   // counter 5 in the fourth
    h.frame(3 * kCycle + 5000);
    ASSERT_EQ(frameScheduler.drawMode, kDrawIntoAnimation);
    ASSERT_NE(h.find('E'), nullptr);
    EXPECT_EQ(h.find('E')->row, blurSlowAt);
}

TEST(FrameScheduler, GoldenPicksWithFixedSeedAndClock) {
    FrameHarness h;
    crtSrand(7);
    // New cycle: the image effect draws from the running sequence (seed 7); the
    // title reseeds with the second, draws a colour, then style, motion, effect
    // and position.
    h.frame(0, 1000);
    EXPECT_EQ(h.find('I')->row, 61);
    EXPECT_EQ(h.find('S')->row, 11);
    EXPECT_EQ(h.find('M')->row, 9);
    EXPECT_EQ(h.find('M')->row2, 43);
    EXPECT_EQ(titleRecord.state.title.titlePosition, 2 << 24);
    EXPECT_EQ(titleRecord.state.title.titleColor, 0xE81DE1);
    // The transition reseeds.
    h.frame(5000, 1005);
    EXPECT_EQ(h.find('T')->row, 188);
    // The next image effect continues that sequence; the title picks made in
    // the same second as before repeat.
    h.frame(kCycle, 1000);
    EXPECT_EQ(h.find('I')->row, 34);
    EXPECT_EQ(h.find('S')->row, 11);
    EXPECT_EQ(h.find('M')->row, 9);
    EXPECT_EQ(h.find('M')->row2, 43);
    // Counter 5: the animation picks, then the transition's own reseeded pick.
    h.frame(kCycle + 5000, 1000);
    for (int cycle = 2; cycle < 4; ++cycle) {
        h.frame(cycle * kCycle, 1000);
        h.frame(cycle * kCycle + 5000, 1000);
    }
    EXPECT_EQ(frameScheduler.drawMode, kDrawIntoAnimation);
    EXPECT_EQ(frameScheduler.animationRow, 112);
    EXPECT_EQ(frameScheduler.animationEffectRow, 31);
    EXPECT_EQ(h.find('T')->row, 172);
    EXPECT_EQ(h.find('A')->row, 112);
}

TEST(FrameScheduler, BadTimesNeverDivideByZero) {
    const int32_t times[][2] = {{0, 0}, {-1, -1}, {1, 1}, {2, 1}, {INT_MIN, INT_MIN},
                                {INT_MAX, INT_MAX}};
    for (const auto& t : times) {
        SCOPED_TRACE(testing::Message() << "S " << t[0] << " T " << t[1]);
        FrameHarness h;
        h.options.showTime = t[0];
        h.options.transitionTime = t[1];
        for (int ms = 0; ms < 40000; ms += 251) {
            h.frame(ms);
            for (const FamilyCall& c : h.calls) {
                EXPECT_TRUE(std::isfinite(c.progress));
                EXPECT_GE(c.progress, 0.0f);
                EXPECT_LT(c.progress, 1.0f);
                EXPECT_GT(c.duration, c.family == 'A' || c.family == 'E' ? -1 : 0);
            }
        }
    }
}

TEST(FrameScheduler, LetterModeDrawsTheLetterInsteadOfTitles) {
    FrameHarness h;
    h.options.letterMode = 1;
    const int offsets[] = {0, 1000, 3000, 5000, 6000};
    for (int ms : offsets) {
        h.frame(ms);
        EXPECT_EQ(h.count('S') + h.count('M'), 0);
    }
    EXPECT_EQ(h.letterFrames, 5);
    h.options.letterMode = 0;
    h.frame(kCycle);
    EXPECT_EQ(h.count('M'), 1);
    EXPECT_EQ(h.letterFrames, 5);
    // Titles hidden: neither titles nor the letter.
    h.options.titlesHidden = 1;
    h.frame(kCycle + 1000);
    EXPECT_EQ(h.count('S') + h.count('M'), 0);
    EXPECT_EQ(h.letterFrames, 5);
}

TEST(FrameScheduler, FamiliesWithoutRowsAreSkipped) {
    FrameHarness h;
    h.transitionCount = 0;
    h.imageEffectCount = 0;
    h.animationCount = 0;
    h.titleCounts[2] = 0;   // no motions yet: the style still renders, nothing is moved
    for (int cycle = 0; cycle < 12; ++cycle) {
        for (int ms : {0, 3000, 5000, 6500}) {
            h.frame(cycle * kCycle + ms);
            EXPECT_EQ(h.count('T') + h.count('I') + h.count('A') + h.count('E') + h.count('M'), 0);
            // Without animations every cycle stays a slide cycle.
            EXPECT_TRUE(frameScheduler.drawMode == kDrawImageEffect ||
                        frameScheduler.drawMode == kDrawPlainPicture ||
                        frameScheduler.drawMode == kDrawSlideTransition);
        }
    }
    EXPECT_EQ(h.blits, 48);

    // No table at all.
    FrameHarness bare;
    bare.hooks.services = nullptr;
    bare.frame(0);
    EXPECT_EQ(FrameHarness::pictureIn(bare.canvas()), -1);
    for (int ms : {3000, 5000, 6500, kCycle}) {
        bare.frame(ms);
        EXPECT_TRUE(bare.calls.empty());
        // The plain phase still shows the picture; nothing else draws.
        EXPECT_EQ(FrameHarness::pictureIn(bare.canvas()), 0);
    }
    bare.frame(kCycle + 3000);
    EXPECT_EQ(FrameHarness::pictureIn(bare.canvas()), 1);
}

TEST(FrameScheduler, FrameIsDrawnAtTheCanvasSize) {
    FrameHarness h;
    h.hooks.canvas = nullptr;
    h.frame(0);
    EXPECT_EQ(h.blits, 0);
    EXPECT_EQ(frameScheduler.cycleCounter, 1);   // nothing happened

    h.hooks.canvas = h.canvas();
    h.calls.clear();
    stepFrame(h.hooks, FrameHarness::kStart, 1000, 800, 600);
    EXPECT_EQ(imageEffectRecord.width, FrameHarness::kWidth);
    EXPECT_EQ(imageEffectRecord.pitch, FrameHarness::kWidth + 16);
    EXPECT_EQ(h.blitWidth, FrameHarness::kWidth);
    EXPECT_EQ(h.blitHeight, FrameHarness::kHeight);
    stepFrame(h.hooks, FrameHarness::kStart + 33, 1000, 20, 10);
    EXPECT_EQ(imageEffectRecord.width, FrameHarness::kWidth);
    EXPECT_EQ(h.blitWidth, 20);
    EXPECT_EQ(h.blitHeight, 10);
}

TEST(FrameScheduler, RunsOnTheEngineCanvasAndBuffers) {
    ASSERT_TRUE(createCanvas(64, 48));
    clearPictureBuffers();
    clearEffectRecords();
    scratchInit();
    pictureBuffer(0)[0] = 0x123456;
    resetFrameScheduler(pictureBuffer(0), pictureBuffer(1), 0);
    FrameHooks hooks = engineFrameHooks(nullptr, nullptr, nullptr);
    ASSERT_EQ(hooks.canvas, frameCanvas().origin);
    stepFrame(hooks, 100000, 1000, 64, 48);
    stepFrame(hooks, 103000, 1000, 64, 48);   // the plain phase shows the picture
    EXPECT_EQ(frameCanvas().origin[0], 0x123456u);
    EXPECT_EQ(frameCanvas().origin[64 + 16], 0u);
    freeCanvas();
}
