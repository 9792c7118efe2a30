// Every built row of the animation and animation-effect tables through the
// effect sweep: the animations alone under every sound, and after each
// animation effect of the same frame (the runtime's order), "BlurSlow" among
// them as in every transition into an animation. The bubble presets run on the
// image-effect record as the image effects call them. And every row sets itself
// up on its first frame, whatever the row before it left in the shared record.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Animation/ANI_AdvancedAnimation.h"
#include "Animation/ANI_Bubble.h"
#include "Animation/ANI_Plasma.h"
#include "Animation/ANI_PlasmaGenerators.h"
#include "Animation/AnimationShared.h"
#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "AnimationEffect/ANIEffectPlain.h"
#include "AnimationEffect/ANIEffectWarping.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "Transition/TransitionTable.h"
#include "render/CrtRandom.h"
#include "tests/effects/AnimationFixture.h"
#include "tests/support/EffectSweep.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

std::string rowName(int catalogueRow, const char* name) {
    std::string out = "row" + std::to_string(catalogueRow) + "_";
    for (const char* c = name; *c; ++c) out += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return out;
}

// The sweep once per sound scenario; `companion` runs before the row on every frame.
void sweepUnderEverySound(SweepFamily family, EffectEntry entry, EffectEntry companion, const std::string& label) {
    for (const SoundScenario& sound : allSoundScenarios()) {
        SweepOptions options;
        options.sound = &sound;
        options.companionEffect = companion;
        options.beforeRun = resetAnimationProcessState;
        for (const std::string& p : sweepRow(family, entry, RowRule{}, options))
            ADD_FAILURE() << label << ", " << sound.name << ": " << p;
    }
}

// An animation over what an effect left: with 39 effects a pairing runs only
// the small frames and the loud sound (beats take every set-up branch); each
// row's own sweep covers the large frame and every sound.
void sweepAfterEffect(EffectEntry entry, EffectEntry companion, const std::string& label) {
    SweepOptions options;
    options.sizes = {{64, 48}, {67, 41}};
    options.sound = &allSoundScenarios().back();
    options.companionEffect = companion;
    options.beforeRun = resetAnimationProcessState;
    for (const std::string& p : sweepRow(SweepFamily::Animation, entry, RowRule{}, options))
        ADD_FAILURE() << label << ": " << p;
}

// Frames of `row` from its first frame on the animation record as `prior` left
// it after five frames (a junk record when prior is null; then the words no row
// resets, the colour phase, the frame counter and the envelope's memory, are
// copied from `carried`). Process-wide state starts afresh at the switch.
// The layers and the pool's blocks are refilled at the switch; `poison` differs
// between runs so that a stale buffer shows.
struct Switch {
    std::vector<uint64_t> sums;
    int32_t colourPhase = 0;
    int32_t frameCounter = 0;
    float previousLevel = 0;
};

Switch framesAfter(EffectEntry prior, EffectEntry row, const Switch* carried, uint32_t poison) {
    const SoundScenario& loud = allSoundScenarios().back();
    GuardedBuffer layers[2] = {GuardedBuffer(48, 40), GuardedBuffer(48, 40)};
    static EffectParams p;
    std::memset(&p, prior ? 0 : 0x5B, sizeof p);
    auto frame = [&](EffectEntry entry, int i, int first) {
        aimAnimationRecord(p, layers[i & 1], layers[(i + 1) & 1]);
        p.firstFrame = first;
        p.levelMode = 0;
        p.samples = loud.samples;
        p.spectrum = loud.spectrum;
        p.level = static_cast<float>(loud.levels[i % loud.levels.size()]);
        p.beat = loud.beats[i % loud.beats.size()];
        entry(&p);
    };
    AnimationTestPool::get().reset(4);
    crtSrand(31);
    if (prior)
        for (int i = 0; i < 5; ++i) frame(prior, i, i == 0);
    Switch out;
    if (carried) {
        particleColourPhase(&p) = carried->colourPhase;
        p.frameCounter = carried->frameCounter;
        p.previousLevel = carried->previousLevel;
    }
    out.colourPhase = particleColourPhase(&p);
    out.frameCounter = p.frameCounter;
    out.previousLevel = p.previousLevel;
    resetAnimationProcessState();
    AnimationTestPool::get().reset(4, poison);
    layers[0].fillPattern(5);
    layers[1].fillPattern(6);
    crtSrand(77);
    for (int i = 0; i < 6; ++i) {
        frame(row, i, i == 0);
        out.sums.push_back(layers[(i + 1) & 1].checksum());
    }
    return out;
}

class AnimationRowSweep : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { freeParticleLists(); }
};

TEST_P(AnimationRowSweep, BehavesUnderEverySoundAloneAndAfterTheEffect) {
    const EffectEntry entry = AnimationTable[GetParam()].row.entry;
    sweepUnderEverySound(SweepFamily::Animation, entry, nullptr, "alone");
    for (int e = 0; e < AnimationEffectTableCount; ++e)
        sweepAfterEffect(entry, AnimationEffectTable[e].row.entry, std::string("after ") + AnimationEffectTable[e].row.name);
}

TEST_P(AnimationRowSweep, SetsItselfUpAfterAnyRowBeforeIt) {
    const int row = GetParam();
    const int count = AnimationTableCount;
    const std::set<int> priors = {row, 0, (row + count - 1) % count};
    for (int prior : priors) {
        const Switch afterPrior = framesAfter(AnimationTable[prior].row.entry, AnimationTable[row].row.entry, nullptr, 1);
        const Switch fromJunk = framesAfter(nullptr, AnimationTable[row].row.entry, &afterPrior, 2);
        EXPECT_EQ(afterPrior.sums, fromJunk.sums) << "after " << AnimationTable[prior].row.name;
    }
}

// The engine's frame sizes (a few progress values), and small sizes with a pool
// that has no buffer at all or buffers holding a previous user's small values.
TEST_P(AnimationRowSweep, BehavesAtTheEngineSizesAndWithADryOrUsedPool) {
    const EffectEntry entry = AnimationTable[GetParam()].row.entry;
    SweepOptions large = engineSizeOptions();
    large.sound = &allSoundScenarios().back();
    large.beforeRun = resetAnimationProcessState;
    for (const std::string& p : sweepRow(SweepFamily::Animation, entry, RowRule{}, large))
        ADD_FAILURE() << "engine sizes: " << p;
    for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers}) {
        SweepOptions o = poolOptions(kind);
        o.sound = &allSoundScenarios().back();
        o.beforeRun = resetAnimationProcessState;
        for (const std::string& p : sweepRow(SweepFamily::Animation, entry, RowRule{}, o))
            ADD_FAILURE() << (kind == SweepPool::Dry ? "no buffer: " : "small leftovers: ") << p;
    }
}

// A transition into the animation runs after it on the same frame and may set
// the shared camera its own way: the animation must draw as it does alone.
TEST_P(AnimationRowSweep, DrawsAsAloneAfterEach3DTransitionsFirstFrame) {
    const EffectEntry entry = AnimationTable[GetParam()].row.entry;
    SweepOptions o;
    o.sound = &allSoundScenarios().back();
    o.beforeRun = resetAnimationProcessState;
    o.progresses = {0.0f, 0.0f, 0.0f, 0.0f};
    const std::vector<uint64_t> alone = sweepFrameSums(SweepFamily::Animation, entry, o, 64, 48);
    const char* lastGroup = "";
    for (int t = 0; t < transitionCount; ++t) {
        const EffectTableRow& row = transitionTable[t].row;
        // One row of each 3D group: the rows of a group share their worker.
        if (std::strncmp(row.name, "3D", 2) != 0 || std::strcmp(row.groupName, lastGroup) == 0) continue;
        lastGroup = row.groupName;
        o.afterFirstFrame = row.entry;
        EXPECT_EQ(sweepFrameSums(SweepFamily::Animation, entry, o, 64, 48), alone) << "after " << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Built, AnimationRowSweep, ::testing::Range(0, AnimationTableCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             const AnimationRow& r = AnimationTable[info.param];
                             return rowName(r.catalogueRow, r.row.name);
                         });

class AnimationEffectRowSweep : public ::testing::TestWithParam<int> {};

TEST_P(AnimationEffectRowSweep, BehavesUnderEverySound) {
    sweepUnderEverySound(SweepFamily::AnimationEffect, AnimationEffectTable[GetParam()].row.entry, nullptr, "effect");
}

TEST_P(AnimationEffectRowSweep, SetsItselfUpAfterAnyRowBeforeIt) {
    const EffectEntry row = AnimationEffectTable[GetParam()].row.entry;
    for (int prior = 0; prior < AnimationEffectTableCount; ++prior) {
        const Switch afterPrior = framesAfter(AnimationEffectTable[prior].row.entry, row, nullptr, 1);
        const Switch fromJunk = framesAfter(nullptr, row, &afterPrior, 2);
        EXPECT_EQ(afterPrior.sums, fromJunk.sums) << "after " << AnimationEffectTable[prior].row.name;
    }
}

TEST_P(AnimationEffectRowSweep, BehavesAtTheEngineSizesAndWithADryOrUsedPool) {
    const EffectEntry entry = AnimationEffectTable[GetParam()].row.entry;
    SweepOptions large = engineSizeOptions();
    large.sound = &allSoundScenarios().back();
    large.beforeRun = resetAnimationProcessState;
    for (const std::string& p : sweepRow(SweepFamily::AnimationEffect, entry, RowRule{}, large))
        ADD_FAILURE() << "engine sizes: " << p;
    for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers}) {
        SweepOptions o = poolOptions(kind);
        o.sound = &allSoundScenarios().back();
        o.beforeRun = resetAnimationProcessState;
        for (const std::string& p : sweepRow(SweepFamily::AnimationEffect, entry, RowRule{}, o))
            ADD_FAILURE() << (kind == SweepPool::Dry ? "no buffer: " : "small leftovers: ") << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Built, AnimationEffectRowSweep, ::testing::Range(0, AnimationEffectTableCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             const AnimationEffectRow& r = AnimationEffectTable[info.param];
                             return rowName(r.catalogueRow, r.row.name);
                         });

TEST(BubblePresets, BehaveOnTheImageEffectRecord) {
    struct Preset {
        const char* name;
        EffectEntry entry;
    } presets[] = {{"runBubbleStyle0", runBubbleStyle0}, {"runBubbleStyle1", runBubbleStyle1},
                   {"MetalBubble", MetalBubble}};
    for (const Preset& preset : presets) sweepUnderEverySound(SweepFamily::ImageEffect, preset.entry, nullptr, preset.name);
    freeParticleLists();
}

}  // namespace
