// Frames per second of the frame step at 800 x 600 with a null blit, on the
// engine's canvas and buffers: the clock advances 33 ms a frame through whole
// cycles, so every phase is in the mix. The families are those whose
// dispatchers benchServices names.
#include <benchmark/benchmark.h>

#include "engine/EffectFrames.h"
#include "engine/EngineFrame.h"
#include "engine/FrameCanvas.h"
#include "engine/FrameScheduler.h"
#include "engine/PictureBuffers.h"
#include "engine/ScratchPool.h"
#include "engine/SoundControl.h"
#include "render/TrigTables.h"
#include "Sfx/ImageEffectTable.h"
#include "Transition/TransitionTable.h"

namespace {

// The engine's families as far as their tables exist (as engineFamilyServices
// lists them for the engine program).
FamilyServices benchServices() {
    FamilyServices s;
    s.runTransition = runTransition;
    s.transitionCount = &transitionCount;
    s.runImageEffect = runImageEffect;
    s.imageEffectCount = &ImageEffectTableCount;
    return s;
}

void BM_StepFrame800x600(benchmark::State& state) {
    if (!createCanvas(800, 600)) {
        state.SkipWithError("no canvas");
        return;
    }
    buildTrigTables();
    prepareSoundAnalysis();
    clearPictureBuffers();
    clearEffectRecords();
    scratchInit();
    resetFrameScheduler(pictureBuffer(0), pictureBuffer(1), 2);
    const FamilyServices services = benchServices();
    FrameHooks hooks = engineFrameHooks(&services, nullptr, nullptr);
    hooks.blit = nullptr;
    hooks.loadImage = nullptr;   // the decode is measured with the picture loader

    uint32_t now = 1000000;
    for (auto _ : state) {
        stepFrame(hooks, now, now / 1000, 800, 600);
        now += 33;
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
    freeCanvas();
}
BENCHMARK(BM_StepFrame800x600)->Unit(benchmark::kMicrosecond);

}  // namespace
