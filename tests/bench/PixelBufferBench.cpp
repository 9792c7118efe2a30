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

void BM_StretchRectSmooth4000x3000To800x600(benchmark::State& state) {
    Frame src(4000, 3000), dst(800, 600);
    for (auto _ : state) {
        stretchRectSmooth(dst.origin, src.origin, kFrame, Rect{0, 0, 4000, 3000}, dst.pitch, src.pitch);
        benchmark::ClobberMemory();
    }
}

void BM_StretchRectSmoothEnlarge(benchmark::State& state) {
    Frame src(400, 300), dst(800, 600);
    for (auto _ : state) {
        stretchRectSmooth(dst.origin, src.origin, kFrame, Rect{0, 0, 400, 300}, dst.pitch, src.pitch);
        benchmark::ClobberMemory();
    }
}

void BM_StretchRectNearestFullFrame(benchmark::State& state) {
    Frame src(640, 480), dst(800, 600);
    for (auto _ : state) {
        stretchRectNearest(dst.origin, src.origin, kFrame, Rect{0, 0, 640, 480}, dst.pitch, src.pitch);
        benchmark::ClobberMemory();
    }
}

void BM_StretchRectAlphaFullFrame(benchmark::State& state) {
    Frame src(640, 480), dst(800, 600);
    for (auto _ : state) {
        stretchRectAlpha(dst.origin, src.origin, kFrame, Rect{0, 0, 640, 480}, dst.pitch, src.pitch, 0.5f);
        benchmark::ClobberMemory();
    }
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
