// Every built image-effect row at 800 x 600 with loud music and beats: ms per
// frame over a run of frames as the engine drives it (the first frame's set-up
// included, spread over the run).
#include <benchmark/benchmark.h>

#include <cctype>
#include <string>

#include "Sfx/ImageEffectTable.h"
#include "tests/support/EffectSweep.h"

namespace {

constexpr int kFramesPerRun = 30;

void runRow(benchmark::State& state, EffectEntry entry) {
    const vt_test::SoundScenario& loud = vt_test::allSoundScenarios().back();
    for (auto _ : state) {
        const double ms = vt_test::timeRowPerFrame(vt_test::SweepFamily::ImageEffect, entry, 800, 600,
                                                   kFramesPerRun, &loud);
        state.SetIterationTime(ms / 1000.0);
    }
}

const bool registered = [] {
    for (int32_t i = 0; i < ImageEffectTableCount; ++i) {
        const ImageEffectRow& r = ImageEffectTable[i];
        std::string name = "ImageEffect/" + std::to_string(r.catalogueRow) + "_";
        for (const char* c = r.row.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        benchmark::RegisterBenchmark(name.c_str(), runRow, r.row.entry)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
