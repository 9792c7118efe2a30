// Every built animation row and animation-effect row at 800 x 600 with loud
// music and beats: ms per frame over a run of frames as the engine drives it.
#include <benchmark/benchmark.h>

#include <cctype>
#include <string>

#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "tests/support/EffectSweep.h"

namespace {

constexpr int kFramesPerRun = 60;

void runRow(benchmark::State& state, vt_test::SweepFamily family, EffectEntry entry) {
    const vt_test::SoundScenario& loud = vt_test::allSoundScenarios().back();
    for (auto _ : state) {
        const double ms = vt_test::timeRowPerFrame(family, entry, 800, 600, kFramesPerRun, &loud);
        state.SetIterationTime(ms / 1000.0);
    }
    freeParticleLists();
}

template <class Row>
void registerRows(const char* family, vt_test::SweepFamily kind, const Row* rows, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        std::string name = std::string(family) + "/" + std::to_string(rows[i].catalogueRow) + "_";
        for (const char* c = rows[i].row.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        benchmark::RegisterBenchmark(name.c_str(), runRow, kind, rows[i].row.entry)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
}

const bool registered = [] {
    registerRows("Animation", vt_test::SweepFamily::Animation, AnimationTable, AnimationTableCount);
    registerRows("AnimationEffect", vt_test::SweepFamily::AnimationEffect, AnimationEffectTable,
                 AnimationEffectTableCount);
    return true;
}();

}  // namespace
