// analyzeSpectrum runs once per frame (30 times a second) next to the effects.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/SoundAnalysis.h"

static void BM_AnalyzeSpectrum(benchmark::State& state) {
    SoundAnalysis a;
    setupSpectrum(a, kSoundSamples);
    int16_t music[kSoundSamples];
    for (int i = 0; i < kSoundSamples; ++i)
        music[i] = static_cast<int16_t>(6000 * std::sin(i * 0.31) + 3000 * std::sin(i * 1.7) + (i * 7919 % 2001) - 1000);
    for (auto _ : state) {
        for (int i = 0; i < kSoundSamples; ++i) a.samples[i] = music[i];
        analyzeSpectrum(a);
        benchmark::DoNotOptimize(a.spectrum);
    }
}
BENCHMARK(BM_AnalyzeSpectrum);
