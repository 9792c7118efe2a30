// Frame-sized copies, stretches and blends, in ms per call.
#include <benchmark/benchmark.h>

#include <vector>

#include "render/PixelBuffer.h"

namespace {

// A buffer of w x h pixels with the 8-pixel margin, filled with a pattern.
struct Frame {
    int pitch;
    std::vector<Pixel> storage;
    Pixel* origin;
    Frame(int w, int h) : pitch(w + 16), storage(static_cast<size_t>(w + 16) * (h + 16)) {
        for (size_t i = 0; i < storage.size(); ++i) storage[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFF;
        origin = storage.data() + 8 * pitch + 8;
    }
};

constexpr Rect kFrame{0, 0, 800, 600};

void BM_CopyRectFullFrame(benchmark::State& state) {
    Frame src(800, 600), dst(800, 600);
    for (auto _ : state) {
        copyRect(dst.origin, src.origin, 0, 0, kFrame, dst.pitch, src.pitch);
        benchmark::ClobberMemory();
    }
}

// One stretch of a sw x sh source onto the full frame per iteration.
template <class Stretch>
void benchStretch(benchmark::State& state, int sw, int sh, Stretch stretch) {
    Frame src(sw, sh), dst(800, 600);
    for (auto _ : state) {
        stretch(dst.origin, src.origin, kFrame, Rect{0, 0, sw, sh}, dst.pitch, src.pitch);
        benchmark::ClobberMemory();
    }
}

void BM_StretchRectSmooth4000x3000To800x600(benchmark::State& state) {
    benchStretch(state, 4000, 3000, stretchRectSmooth);
}
void BM_StretchRectSmoothEnlarge(benchmark::State& state) { benchStretch(state, 400, 300, stretchRectSmooth); }
void BM_StretchRectNearestFullFrame(benchmark::State& state) { benchStretch(state, 640, 480, stretchRectNearest); }
void BM_StretchRectAlphaFullFrame(benchmark::State& state) {
    benchStretch(state, 640, 480, [](Pixel* d, const Pixel* s, const Rect& dr, const Rect& sr, int32_t dp, int32_t sp) {
        stretchRectAlpha(d, s, dr, sr, dp, sp, 0.5f);
    });
}

void BM_BlendRectFullFrame(benchmark::State& state) {
    Frame src(800, 600), dst(800, 600);
    for (auto _ : state) {
        blendRect(dst.origin, src.origin, 0, 0, kFrame, dst.pitch, src.pitch, 0.5f);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(BM_CopyRectFullFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchRectSmooth4000x3000To800x600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchRectSmoothEnlarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchRectNearestFullFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchRectAlphaFullFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlendRectFullFrame)->Unit(benchmark::kMillisecond);
