// Spectrum analysis, level and beat of the background sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/SoundAnalysis.h"

namespace {

struct Analysis : ::testing::Test {
    SoundAnalysis a;
    void SetUp() override { ASSERT_EQ(setupSpectrum(a, kSoundSamples), 1); }

    void fillConstant(int16_t v) { std::fill(a.samples, a.samples + kSoundSamples, v); }
    void fillSquare(int16_t amplitude) {
        for (int i = 0; i < kSoundSamples; ++i) a.samples[i] = (i & 1) ? amplitude : static_cast<int16_t>(-amplitude);
    }
    void fillSine(double amplitude, double cyclesPerFrame) {
        for (int i = 0; i < kSoundSamples; ++i)
            a.samples[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * 3.141592653589793 * cyclesPerFrame * i / kSoundSamples)));
    }
    int peakBand() const {
        return static_cast<int>(std::max_element(a.spectrum + 1, a.spectrum + kSpectrumBands) - a.spectrum);
    }
};

}  // namespace

TEST_F(Analysis, SetupAcceptsOnlySizesThatFit) {
    struct Case { int n; int result; int stages; } cases[] = {
        {32, 1, 5}, {64, 1, 6}, {128, 1, 7}, {256, 1, 8},
        {512, 0, 8}, {2048, 0, 8}, {300, 0, 8}, {0, 0, 8}, {-256, 0, 8},
    };
    for (const Case& c : cases) {
        SoundAnalysis b;
        ASSERT_EQ(setupSpectrum(b, 256), 1);
        const double cos3 = b.cosine[3];
        EXPECT_EQ(setupSpectrum(b, c.n), c.result) << c.n;
        EXPECT_EQ(b.stageCount, c.stages) << c.n;
        EXPECT_EQ(b.transformSize, c.result ? c.n : 256) << c.n;
        if (!c.result) {
            EXPECT_EQ(b.cosine[3], cos3) << c.n;   // tables as they were
        }
    }
}

TEST(SoundAnalysisSetup, NothingHappensBeforeSetup) {
    SoundAnalysis b;
    std::fill(b.samples, b.samples + kSoundSamples, int16_t(1000));
    analyzeSpectrum(b);
    EXPECT_EQ(b.samples[0], 1000);
    EXPECT_EQ(b.gain, kUnityGain);
}

TEST_F(Analysis, SilenceRaisesTheGainUpToItsBound) {
    for (int frame = 1; frame <= 10; ++frame) {
        fillConstant(0);
        analyzeSpectrum(a);
        EXPECT_EQ(a.level, 0);
        EXPECT_EQ(a.beat, 0);
        EXPECT_EQ(a.gain, kUnityGain + frame);
        EXPECT_TRUE(std::all_of(a.spectrum, a.spectrum + kSpectrumBands, [](int16_t v) { return v == 0; }));
    }
    for (int frame = 0; frame < 2000; ++frame) analyzeSpectrum(a);
    EXPECT_EQ(a.gain, kMaxSoundGain);
}

TEST_F(Analysis, FullScaleHoldsLevelAndLowersTheGainDownToItsBound) {
    for (int frame = 1; frame <= 10; ++frame) {
        fillSquare(32767);
        analyzeSpectrum(a);
        EXPECT_EQ(a.level, 255);
        EXPECT_EQ(a.gain, kUnityGain - frame);
    }
    // Loud for long enough, the gain settles near 1/32 and never turns negative.
    for (int frame = 0; frame < 100; ++frame) {
        fillSquare(32767);
        analyzeSpectrum(a);
        if (frame >= 30) {
            ASSERT_GE(a.gain, kMinSoundGain);
            ASSERT_LE(a.gain, 2);
        }
    }
}

TEST_F(Analysis, GainScalesSamplesInPlaceAndSaturates) {
    a.automaticGain = 0;
    a.gain = 64;
    const int16_t in[] = {0, 100, -100, 16383, 16384, 20000, -16384, -16385, -32768, 3};
    const int16_t out[] = {0, 200, -200, 32766, 32767, 32767, -32768, -32768, -32768, 6};
    for (int i = 0; i < kSoundSamples; ++i) a.samples[i] = in[i % 10];
    analyzeSpectrum(a);
    for (int i = 0; i < kSoundSamples; ++i) ASSERT_EQ(a.samples[i], out[i % 10]) << i;
    EXPECT_EQ(a.gain, 64);   // automatic gain off

    a.gain = 5;   // 5/32 truncates toward zero on both sides
    a.samples[0] = 100;
    a.samples[1] = -100;
    analyzeSpectrum(a);
    EXPECT_EQ(a.samples[0], 15);
    EXPECT_EQ(a.samples[1], -15);
}

TEST_F(Analysis, LevelCurve) {
    // Square waves give a mean square of amplitude^2 (to the integer division):
    // raw = truncate(ms x 0.00003), level = min(raw, 255)^2 / 255.
    struct Case { int16_t amplitude; uint16_t level; } cases[] = {
        {0, 0}, {500, 0}, {1500, 17}, {2066, 64}, {2900, 249}, {2916, 255}, {32767, 255},
    };
    for (const Case& c : cases) {
        SoundAnalysis b;
        setupSpectrum(b, kSoundSamples);
        for (int i = 0; i < kSoundSamples; ++i) b.samples[i] = (i & 1) ? c.amplitude : static_cast<int16_t>(-c.amplitude);
        analyzeSpectrum(b);
        EXPECT_EQ(b.level, c.level) << c.amplitude;
    }
}

TEST_F(Analysis, SinePeakLandsInItsBand) {
    // A loud tone clips its strongest bands at the top of the range: the tone's
    // band then shares the maximum with its neighbours.
    a.automaticGain = 0;
    for (double amplitude : {2000.0, 8000.0, 32767.0}) {
        for (double band : {4.0, 10.0, 23.0, 50.0, 90.0, 120.0, 37.5}) {
            fillSine(amplitude, band);
            analyzeSpectrum(a);
            const int16_t top = a.spectrum[peakBand()];
            EXPECT_EQ(a.spectrum[static_cast<int>(band)], top) << "amplitude " << amplitude << " band " << band;
            EXPECT_NEAR(peakBand(), band, 2) << "amplitude " << amplitude << " band " << band;
        }
    }
}

TEST_F(Analysis, LoudToneStaysATone) {
    // With 16-bit wrapping a full-scale tone would smear across every band;
    // saturated, the bands far from the tone stay well below its peak.
    a.automaticGain = 0;
    fillSine(32767.0, 20);
    analyzeSpectrum(a);
    const int peak = a.spectrum[peakBand()];
    for (int band = 40; band < kSpectrumBands; ++band) EXPECT_LT(a.spectrum[band], peak / 4) << band;
}

TEST_F(Analysis, DetectBeatFollowsTheEnvelope) {
    // {envelope, frames since beat, raw level} -> {beat, envelope, frames since beat}
    struct Case { double env; int frames; int raw; int beat; double envAfter; int framesAfter; } cases[] = {
        {0, 0, 30000, 0, 30000, 1},          // never in the frame right after a beat
        {1000, 1, 2281, 1, 2281, 0},         // one frame later the rise must exceed 1,280
        {1000, 1, 2280, 0, 2280, 2},
        {1000, 40, 1033, 1, 1033, 0},        // from 40 frames on, a rise above 32 fires
        {1000, 40, 1032, 0, 1032, 41},
        {1000, 400, 1033, 1, 1033, 0},
        {1000, 20, 1065, 1, 1065, 0},        // 20 frames: half the sensitivity
        {1000, 20, 1064, 0, 1064, 21},
        {1000, 40, 0, 0, 920, 41},           // a falling level decays the envelope by 0.92
        {1000, 40, 990, 0, 920, 41},
        {1000, 40, -1, 1, 65535, 0},         // the raw word is read unsigned
    };
    for (const Case& c : cases) {
        a.envelope = c.env;
        a.framesSinceBeat = c.frames;
        EXPECT_EQ(detectBeat(a, c.raw), c.beat) << c.raw << " after " << c.frames;
        EXPECT_DOUBLE_EQ(a.envelope, c.envAfter) << c.raw;
        EXPECT_EQ(a.framesSinceBeat, c.framesAfter) << c.raw;
    }
}

TEST_F(Analysis, ClickTrainBeatsAndLevel) {
    // Loud frames between silent ones, as the engine sees them (automatic gain on).
    const int clicks[] = {0, 5, 6, 8, 30, 31, 60, 100};
    const int beats[] = {0, 1, 0, 1, 1, 0, 1, 1};
    int next = 0;
    for (int frame = 0; frame <= 100; ++frame) {
        const bool click = next < 8 && clicks[next] == frame;
        if (click) fillSquare(30000);
        else fillConstant(0);
        analyzeSpectrum(a);
        EXPECT_EQ(a.level, click ? 255 : 0) << frame;
        EXPECT_EQ(a.beat, click ? beats[next] : 0) << frame;
        if (click) ++next;
    }
}
