// Mean time per frame of every built transition row at 800 x 600, driven like the
// sweep (a run of frames from progress 0 to 0.999); the Time column is ms per frame.
#include <benchmark/benchmark.h>

#include <string>

#include "Transition/TransitionTable.h"
#include "tests/support/EffectSweep.h"

namespace {

constexpr int kFramesPerRun = 30;

void benchRow(benchmark::State& state, int index) {
    const EffectEntry entry = transitionTable[index].row.entry;
    for (auto _ : state) {
        const double ms = vt_test::timeRowPerFrame(vt_test::SweepFamily::Transition, entry, 800, 600,
                                                   kFramesPerRun, nullptr);
        state.SetIterationTime(ms / 1000.0);
    }
}

const bool registered = [] {
    for (int i = 0; i < transitionCount; ++i) {
        const TransitionTableRow& r = transitionTable[i];
        std::string name = "Row" + std::to_string(r.number) + "/" + r.row.name;
        benchmark::RegisterBenchmark(name.c_str(), benchRow, i)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
