// The sound data of one frame: the newest samples of the background sound turned
// into a loudness level, a beat flag and 128 spectrum magnitudes that the
// music-reactive effects read. UI thread only; the frame step copies the samples
// in from the sound player (copyHandoverSamples) and then calls analyzeSpectrum.
//
// Integer arithmetic with 16-bit results except a few double steps, as the
// effects were tuned to. Where a plain 16-bit pipeline would wrap, values
// saturate instead: scaled samples clip, and the transform runs in 32-bit with
// every stage truncated as before, its results clipped to 16 bits only at the
// end, so loud music stays a loud spectrum instead of noise and the magnitudes
// keep their range (0..362). The automatic gain stays within its bounds.
#pragma once
#include <cstdint>

constexpr int kSoundSamples = 256;          // samples per frame, and the transform size the engine uses
constexpr int kSpectrumBands = 128;
constexpr int kMaxTransformSize = 256;      // larger sizes are refused
constexpr int kUnityGain = 32;              // gain is in 32nds
constexpr int kMinSoundGain = 1;            // x 1/32
constexpr int kMaxSoundGain = 512;          // x 16: enough for quiet recordings, quick to recover after silence

struct SoundAnalysis {
    int16_t samples[kSoundSamples];         // the newest samples; scaled in place by the gain
    int16_t spectrum[kMaxTransformSize];    // 0..127 band magnitudes (band 0 lowest); the rest is work space
    uint16_t level = 0;                     // loudness 0..255
    int16_t beat = 0;                       // 1 in a frame with a beat

    int transformSize = 0;                  // set by setupSpectrum; 0: not set up, analysis does nothing
    int stageCount = 0;
    int gain = kUnityGain;
    int automaticGain = 1;
    double beatThreshold = 0.5;
    double envelope = 0.0;
    int framesSinceBeat = 0;

    double cosine[kMaxTransformSize];       // cos(i x 6.283185308 / N)
    double negativeSine[kMaxTransformSize]; // -sin(i x 6.283185308 / N)
    int32_t real[kMaxTransformSize];        // transform work rows
    int32_t imaginary[kMaxTransformSize];

    SoundAnalysis();
};

// The engine's one analysis (the effects' samples and spectrum pointers point into it).
SoundAnalysis& soundAnalysis();

// 1, or 0 for a size other than 32, 64, 128 or 256 (tables and size left as they were).
int setupSpectrum(SoundAnalysis& a, int n);

// The per-frame step over a.samples: scales them by the gain, sets level and beat,
// adapts the gain and leaves the magnitudes in a.spectrum[0..127].
void analyzeSpectrum(SoundAnalysis& a);

// Internal steps, exposed for tests.
int detectBeat(SoundAnalysis& a, int rawLevel);
double meanSquare(const int16_t* values, int n);
void fftInPlace(const SoundAnalysis& a, int32_t* re, int32_t* im, int n);
void bitReversePermute(int32_t* values, int n);
