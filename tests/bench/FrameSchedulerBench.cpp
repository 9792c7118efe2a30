// Frames per second of the frame step at 800 x 600 with a null blit: the clock
// advances 33 ms a frame through whole cycles, so every phase is in the mix.
// The families are those whose dispatchers the services below name.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/EffectFrames.h"
#include "engine/FrameScheduler.h"
#include "engine/ScratchPool.h"

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr size_t kBufferPixels = static_cast<size_t>(kFrameBufferWidth) * kFrameBufferHeight;
constexpr size_t kOrigin = 8 * kFrameBufferWidth + 8;

struct Surfaces {
    std::vector<Pixel> pictures[2], animation[2], canvas;
    Surfaces() {
        for (auto& b : pictures) b.assign(kBufferPixels, 0x00336699);
        for (auto& b : animation) b.assign(kBufferPixels, 0);
        canvas.assign(kBufferPixels, 0);
    }
};

// The engine's families as far as they exist; none is linked here yet, so this
// measures the step itself (phases, picks, the plain-picture and animation copies).
FamilyServices benchServices() { return FamilyServices{}; }

void BM_StepFrame800x600(benchmark::State& state) {
    Surfaces s;
    FamilyServices services = benchServices();
    FrameHooks hooks;
    hooks.services = &services;
    hooks.canvas = s.canvas.data() + kOrigin;
    hooks.canvasWidth = kWidth;
    hooks.canvasHeight = kHeight;
    hooks.animationCanvases[0] = s.animation[0].data() + kOrigin;
    hooks.animationCanvases[1] = s.animation[1].data() + kOrigin;

    clearEffectRecords();
    scratchInit();
    resetFrameScheduler(s.pictures[0].data() + kOrigin, s.pictures[1].data() + kOrigin, 2);
    uint32_t now = 1000000;
    for (auto _ : state) {
        stepFrame(hooks, now, now / 1000, kWidth, kHeight);
        now += 33;
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepFrame800x600)->Unit(benchmark::kMicrosecond);

}  // namespace
