// Exact values of the integer animation workers on small layers, and the counts
// the particle rows spawn at a given level.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Animation/ANI_Bonus.h"
#include "Animation/ANI_FireWork.h"
#include "Animation/ANI_Space.h"
#include "Animation/ANI_SpectrumAnimation.h"
#include "Animation/ANI_UpgradedAnimation.h"
#include "Animation/ANI_WaterJet.h"
#include "Animation/ANI_WaveAnimation.h"
#include "Animation/AnimationShared.h"
#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "render/CrtRandom.h"
#include "tests/effects/AnimationFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

struct Layer {
    GuardedBuffer previous, layer;
    EffectParams p{};
    int16_t spectrum[128] = {};
    int16_t samples[256] = {};

    Layer(int w, int h) : previous(w, h), layer(w, h) {
        resetAnimationRunState();
        aimAnimationRecord(p, previous, layer);
        p.firstFrame = 1;
        p.spectrum = spectrum;
        p.samples = samples;
        AnimationTestPool::get().reset(4);
        crtSrand(5);
    }
    ~Layer() { freeParticleLists(); }
};

int count(const ParticleList& list) {
    int n = 0;
    for (const ParticleNode* node = list.head; node; node = node->next) ++n;
    return n;
}

TEST(BarSpectrum, RowShowsTheBandAsAShadedBar) {
    Layer run(16, 3);
    run.spectrum[0] = 256;   // the bottom row: half-width 16 / 5 x 256 >> 8 = 3
    drawBasicSpectrum(&run.p);
    // Scheme 0 (u, A4, A2) from the centre column 8 out to column 5; the
    // exclusive right end leaves column 11 as it was.
    const Pixel expected[] = {0x400000, 0x800001, 0xC00381, 0xFFFFFF, 0xC00381, 0x800001};
    for (int x = 5; x <= 10; ++x) EXPECT_EQ(run.layer.at(x, 2), expected[x - 5]) << x;
    EXPECT_EQ(run.layer.at(11, 2), 0u);
    EXPECT_EQ(run.layer.at(4, 2), 0u);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(run.layer.at(x, 0), 0u) << "silent top band, column " << x;
}

TEST(SpectrumHistory, HoldsPeaksAt1024AndDecaysBySevenEighths) {
    resetAnimationRunState();
    int16_t spectrum[128] = {};
    spectrum[8] = 2000;
    updateSpectrumHistory(spectrum);
    EXPECT_EQ(spectrumHistoryRow(0)[0], 1024);
    EXPECT_EQ(spectrumHistoryRow(1)[0], 1024);   // rows 0 and 1 both hold the newest values
    spectrum[8] = 0;
    updateSpectrumHistory(spectrum);
    EXPECT_EQ(spectrumHistoryRow(0)[0], 896);
    EXPECT_EQ(spectrumHistoryRow(2)[0], 1024);
}

TEST(Taeguk, SmallestDiscSplitsIntoRedAndBlue) {
    Layer run(21, 21);   // level 0: l = 1, a disc of radius 2 about (10, 10), angle 0
    drawTaeguk(run.p.destination, run.p.pitch, &run.p.rect, 0, 0);
    EXPECT_EQ(run.layer.at(10, 10), 0x00007Fu);
    EXPECT_EQ(run.layer.at(11, 10), 0x00007Fu);
    EXPECT_EQ(run.layer.at(10, 11), 0x00007Fu);
    EXPECT_EQ(run.layer.at(9, 10), 0x7F0000u);
    EXPECT_EQ(run.layer.at(10, 9), 0x7F0000u);
    EXPECT_EQ(run.layer.at(12, 10), 0u);   // x^2 + y^2 = 4 lies outside
}

TEST(WaveSampling, InterpolatesBetweenNeighbours) {
    int16_t samples[256] = {};
    samples[1] = 256;
    EXPECT_EQ(waveSampleAt(samples, 1 << 14), 128);   // halfway from sample 0 to 1
    EXPECT_EQ(waveSampleAt(samples, 1 << 15), 256);
    // Past the newest samples the position is held at the last pair.
    samples[254] = 100;
    EXPECT_EQ(waveSampleAt(samples, 300 << 15), 100);
}

TEST(BonusSpiral, MapCountsTurnsFromTheCentre) {
    EXPECT_EQ(spiralMapValue(0, 0, 800), 32768);          // atan2(0, 0) = 0
    EXPECT_EQ(spiralMapValue(1, 0, 800), 32768 + 800);
    EXPECT_EQ(spiralMapValue(4, 0, 800), 32768 + 1600);   // the square root of the distance
}

TEST(ParticleRows, SpawnCountsFollowTheLevelAndTheBeat) {
    struct Case {
        const char* name;
        EffectEntry entry;
        const ParticleList* list;
        float level;
        int32_t beat;
        int born;
    } cases[] = {
        {"FireWork", FireWork, &FireWorkParticles, 48.0f, 1, 128},     // 128 x 48 / 48
        {"FireWork, no beat", FireWork, &FireWorkParticles, 48.0f, 0, 0},
        {"FireWork, level 0", FireWork, &FireWorkParticles, 0.0f, 1, 0},
        {"FireWork3D", FireWork3D, &FireWorkParticles, 48.0f, 1, 384},   // 128 x 48 x 0.0625
        {"Space", Space, &SpaceParticles, 80.0f, 0, 10},
        {"Space on a beat", Space, &SpaceParticles, 80.0f, 1, 20},
        {"Space, level 0", Space, &SpaceParticles, 0.0f, 1, 0},
    };
    for (const Case& c : cases) {
        Layer run(64, 64);
        run.p.level = c.level;
        run.p.beat = c.beat;
        c.entry(&run.p);
        EXPECT_EQ(count(*c.list), c.born) << c.name;
    }
}

TEST(WaterJet, LoudBandGivesEightyDropsAtItsJet) {
    struct Case {
        int16_t perBand;
        int drops;
    } cases[] = {{0, 0}, {1280, 80}, {32767, 80}};   // 64 x 64: strength = band sum / 8
    for (const Case& c : cases) {
        Layer run(64, 64);
        for (int b = 0; b < 8; ++b) run.spectrum[b] = c.perBand;
        WaterJet(&run.p);
        EXPECT_EQ(count(WaterJetParticles), c.drops) << c.perBand;
        for (const ParticleNode* n = WaterJetParticles.head; n; n = n->next) EXPECT_EQ(n->x, 2 * 128);
    }
}

// A scanner band of magnitude a gets 2a + 1 sparks at every magnitude the sound
// analysis gives (up to 362). A spark draws its column and row from ten random
// numbers, so the numbers a frame takes count its sparks.
TEST(Scanner, BandGetsTwiceItsMagnitudePlusOneSparks) {
    struct Case {
        int16_t magnitude;
        int sparks;
    } cases[] = {{0, 1}, {1, 3}, {100, 201}, {255, 511}, {256, 513}, {362, 725}};
    for (const Case& c : cases) {
        Layer run(40, 8);   // one band of rows (offset 2), spectrum band 8 / 4 + 1 = 3
        run.spectrum[3] = c.magnitude;
        crtSrand(9);
        drawScanner(run.p.destination, run.p.pitch, &run.p.rect, run.spectrum, 200);
        const uint32_t end = crtRandState();
        crtSrand(9);
        int taken = 0;
        while (crtRandState() != end && taken < 100000) {
            crtRand();
            ++taken;
        }
        EXPECT_EQ(taken, 10 * c.sparks) << "magnitude " << c.magnitude;
    }
}

EffectEntry animationNamed(const char* name) {
    for (int a = 0; a < AnimationTableCount; ++a)
        if (std::strcmp(AnimationTable[a].row.name, name) == 0) return AnimationTable[a].row.entry;
    ADD_FAILURE() << "no animation row " << name;
    return nullptr;
}

// Six frames of a run on the layer's record (first-frame flag on the first) under
// loud sound with beats, from a blank layer, a fresh pool and a fixed seed, with
// the frame counter word as the record holds it.
std::vector<uint64_t> runFrames(Layer& run, EffectEntry entry) {
    run.previous.fill(0);
    run.layer.fill(0);
    AnimationTestPool::get().reset(4);
    crtSrand(5);
    for (int b = 0; b < 128; ++b) run.spectrum[b] = static_cast<int16_t>(60 + 2 * b);
    std::vector<uint64_t> sums;
    for (int i = 0; i < 6; ++i) {
        run.p.firstFrame = i == 0;
        run.p.level = static_cast<float>(150 + 20 * i);
        run.p.beat = i % 3 == 0;
        entry(&run.p);
        sums.push_back(run.layer.checksum());
    }
    return sums;
}

// These rows keep their counter in the record's frame-counter word and leave it
// alone on a first frame: a new run goes on from where the last one left it.
TEST(CarriedCounters, ASecondRunGoesOnFromTheCounterTheFirstLeft) {
    for (const char* name : {"WaterJet", "Veskor", "Bonus"}) {
        SCOPED_TRACE(name);
        const EffectEntry entry = animationNamed(name);
        if (!entry) continue;
        Layer run(64, 48);
        const std::vector<uint64_t> first = runFrames(run, entry);
        EXPECT_NE(run.p.frameCounter, 0);
        EXPECT_NE(runFrames(run, entry), first) << "the second run started its counter again";
        Layer from777(64, 48);
        from777.p.frameCounter = 777;
        EXPECT_NE(runFrames(from777, entry), first) << "a run from 777 draws as one from 0";
    }
}

}  // namespace
