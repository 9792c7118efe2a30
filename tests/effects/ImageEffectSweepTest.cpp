// Every built row of the engine's image-effect table through the effect sweep,
// once per sound scenario with the runtime's envelope mode, and once with a
// time envelope so the bodies' other level paths run too.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>
#include <string>

#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "Sfx/ImageEffectTable.h"
#include "Sfx/Image_Effect_Animation.h"
#include "Sfx/Image_Effect_Frame.h"
#include "Sfx/Image_Effect_Warping.h"
#include "render/CrtRandom.h"
#include "tests/support/EffectSweep.h"
#include "tests/effects/ImageEffectFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

class ImageEffectRowSweep : public ::testing::TestWithParam<int> {};

std::string rowTestName(const ::testing::TestParamInfo<int>& info) {
    const ImageEffectRow& r = ImageEffectTable[info.param];
    std::string name = "row" + std::to_string(r.catalogueRow) + "_";
    for (const char* c = r.row.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

void expectClean(const std::vector<std::string>& problems, const std::string& scenario) {
    for (const std::string& p : problems) ADD_FAILURE() << scenario << ": " << p;
}

// The borrowed bubble and firework animations colour their particles from a
// phase the animation family carries from one run to the next.
bool carriesBubblePhase(const std::string& name) {
    return name.rfind("AN_Bubble", 0) == 0 || name.rfind("AN_FireWork", 0) == 0;
}

// Unit-wide words that outlive a picture on purpose start both runs alike.
void resetUnitWords() {
    dancingSpinFlip = 0;
    saddleSignX = saddleSignY = 1;
    albumCloverCounter = 0;
    albumPeakLevel = 0;
    animationUnitWords = {};
    // The borrowed particle animations keep their particles and counters for
    // the program's run.
    resetParticleLists();
    resetAnimationRunState();
}

TEST_P(ImageEffectRowSweep, BehavesUnderEverySound) {
    const EffectEntry entry = ImageEffectTable[GetParam()].row.entry;
    for (const SoundScenario& sound : allSoundScenarios()) {
        SweepOptions options;
        options.sound = &sound;
        options.beforeRun = resetUnitWords;
        expectClean(sweepRow(SweepFamily::ImageEffect, entry, RowRule{}, options), sound.name);
    }
    SweepOptions envelope;
    envelope.sound = &allSoundScenarios().back();
    envelope.levelMode = 3;
    envelope.beforeRun = resetUnitWords;
    envelope.sizes = {{64, 48}};
    expectClean(sweepRow(SweepFamily::ImageEffect, entry, RowRule{}, envelope), "triangle envelope");
}

// The engine's frame sizes (a few progress values), and small sizes with a pool
// that has no buffer at all or buffers holding a previous user's small values;
// loud sound takes the most paths.
TEST_P(ImageEffectRowSweep, BehavesAtTheEngineSizesAndWithADryOrUsedPool) {
    const EffectEntry entry = ImageEffectTable[GetParam()].row.entry;
    SweepOptions large = engineSizeOptions();
    large.sound = &allSoundScenarios().back();
    large.beforeRun = resetUnitWords;
    expectClean(sweepRow(SweepFamily::ImageEffect, entry, RowRule{}, large), "engine sizes");
    for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers}) {
        SweepOptions o = poolOptions(kind);
        o.sound = &allSoundScenarios().back();
        o.beforeRun = resetUnitWords;
        expectClean(sweepRow(SweepFamily::ImageEffect, entry, RowRule{}, o),
                    kind == SweepPool::Dry ? "no buffer" : "small leftovers");
    }
}

// Rows that count frames on in frameCounter and never reset it: their paths
// start wherever the previous effect left the word, so only the word is the same
// in both runs.
bool carriesFrameCounter(const std::string& name) {
    return name == "LT_RGBLight" || name == "LT_StageLight" || name == "FR_AlbumHeart" || name == "FR_AlbumPlasma" ||
           name == "FR_Frame" || name == "FR_Spline" || name == "AN_Shining";
}

// Rows whose wobble or shear phase runs on from whatever the record holds: both
// runs start the phase at the same value.
bool carriesWarpPhase(const std::string& name) {
    return name == "WP_Crestpeak" || name == "WP_Dia" || name == "WP_PsudoBilinear" || name == "WP_FastBilinear" ||
           name == "WP_Bilinear3";
}


// The record is shared by all image effects: a row's first frame must set up
// everything it reads, whatever the previous effect left in the state words.
TEST_P(ImageEffectRowSweep, IgnoresStateLeftByThePreviousEffect) {
    auto keep = [](int32_t slot) -> int32_t { return slot; };
    const EffectEntry entry = ImageEffectTable[GetParam()].row.entry;
    const bool carried = carriesFrameCounter(ImageEffectTable[GetParam()].row.name);
    if (carried) std::printf("frameCounter carried over on purpose: both runs start it at 7\n");
    const bool phased = carriesWarpPhase(ImageEffectTable[GetParam()].row.name);
    if (phased) std::printf("warpPhase carried over on purpose: both runs start it at 300\n");
    const bool bubbles = carriesBubblePhase(ImageEffectTable[GetParam()].row.name);
    if (bubbles) std::printf("particle colour phase carried over on purpose: both runs start it at 5\n");
    const SoundScenario& loud = allSoundScenarios().back();
    std::vector<uint64_t> sums[2];
    for (int dirty = 0; dirty < 2; ++dirty) {
        GuardedBuffer picture(40, 30), canvas(40, 30);
        picture.fillPattern(8);
        static EffectParams p;
        std::memset(&p, dirty ? 0x5B : 0, sizeof p);
        p.previousLevel = 0;   // the envelope's memory carries over on purpose
        if (carried) p.frameCounter = 7;
        if (phased) effectState<WarpState>(&p).warpPhase = 300;
        if (bubbles) p.state.words[0] = 5;
        resetUnitWords();
        aimRecord(p, picture, canvas);
        p.duration = 1000;
        p.acquireBuffer = acquireTestBlock;
        p.keepBuffer = keep;
        p.levelMode = 0;
        p.constant16 = 16;
        p.samples = loud.samples;
        p.spectrum = loud.spectrum;
        crtSrand(99);
        for (int frame = 0; frame < 6; ++frame) {
            p.firstFrame = frame == 0;
            p.progress = frame / 6.0f;
            p.level = static_cast<float>(loud.levels[frame % loud.levels.size()]);
            p.beat = loud.beats[frame % loud.beats.size()];
            entry(&p);
            sums[dirty].push_back(canvas.checksum());
        }
    }
    EXPECT_EQ(sums[0], sums[1]);
}

INSTANTIATE_TEST_SUITE_P(Built, ImageEffectRowSweep, ::testing::Range(0, ImageEffectTableCount), rowTestName);

}  // namespace
