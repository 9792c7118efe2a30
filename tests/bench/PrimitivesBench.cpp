// Rendering primitives on an 800 x 600 frame: ms per call.
#include <benchmark/benchmark.h>

#include <vector>

#include "render/CrtRandom.h"
#include "render/Discs.h"
#include "render/Fills.h"
#include "render/Lines.h"
#include "render/RotatedCopies.h"
#include "render/TrigTables.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int W = 800, H = 600;
const Rect kFrame{0, 0, W, H};

Pixel* scratchBlock(int32_t* slot) {
    static std::vector<Pixel> block(700000);
    *slot = 0;
    return block.data() + 20000;
}

void BM_RotateZoomBlit(benchmark::State& state) {
    vt_test::GuardedBuffer src(W, H), dst(W, H);
    src.fillPattern(1);
    float angle = 0.f;
    for (auto _ : state) {
        rotateZoomBlit(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), kFrame, kFrame, W / 2, H / 2, angle, 0.9f);
        angle += 0.01f;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RotateZoomBlit)->Unit(benchmark::kMillisecond);

void BM_RotateZoomBlitSmooth(benchmark::State& state) {
    vt_test::GuardedBuffer src(W, H), dst(W, H);
    src.fillPattern(1);
    float angle = 0.f;
    for (auto _ : state) {
        rotateZoomBlitSmooth(dst.pixels(), dst.pitch(), src.pixels(), src.pitch(), kFrame, kFrame, W / 2, H / 2,
                             angle, 0.9f, 0.8f);
        angle += 0.01f;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RotateZoomBlitSmooth)->Unit(benchmark::kMillisecond);

void BM_WarpQuadBilinear(benchmark::State& state) {
    vt_test::GuardedBuffer src(W, H), dst(W, H);
    src.fillPattern(2);
    for (auto _ : state) {
        warpQuadBilinear(dst.pixels(), src.pixels(), dst.pitch(), W, H, 100, 700, 760, 30, 50, 120, 560, 500);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WarpQuadBilinear)->Unit(benchmark::kMillisecond);

void BM_WarpImageToQuad(benchmark::State& state) {
    vt_test::GuardedBuffer src(W, H), dst(W, H);
    src.fillPattern(2);
    setQuadWarpScratchSource(&scratchBlock);
    for (auto _ : state) {
        warpImageToQuad(dst.pixels(), src.pixels(), dst.pitch(), W, H, 100, 700, 760, 30, 50, 120, 560, 500);
        benchmark::ClobberMemory();
    }
    setQuadWarpScratchSource(nullptr);
}
BENCHMARK(BM_WarpImageToQuad)->Unit(benchmark::kMillisecond);

void BM_ThousandAntiAliasedLines(benchmark::State& state) {
    vt_test::GuardedBuffer dst(W, H);
    std::vector<int> ends(4000);
    crtSrand(5);
    for (size_t i = 0; i < ends.size(); ++i) ends[i] = crtRand() % (i % 2 ? H : W);
    for (auto _ : state) {
        for (size_t i = 0; i < ends.size(); i += 4)
            drawLineAA(dst.pixels(), kFrame, dst.pitch(), ends[i], ends[i + 1], ends[i + 2], ends[i + 3], 0x00FFC080);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ThousandAntiAliasedLines)->Unit(benchmark::kMillisecond);

void BM_ThousandGlowDiscs(benchmark::State& state) {
    buildTrigTables();
    vt_test::GuardedBuffer dst(W, H);
    std::vector<int> centres(2000);
    crtSrand(6);
    for (size_t i = 0; i < centres.size(); ++i) centres[i] = 20 + crtRand() % ((i % 2 ? H : W) - 40);
    for (auto _ : state) {
        for (size_t i = 0; i < centres.size(); i += 2)
            drawGlowDisc(dst.pixels(), dst.pitch(), centres[i], centres[i + 1], 16, 0x00406080, 64);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ThousandGlowDiscs)->Unit(benchmark::kMillisecond);

void BM_BlendAroundCircle(benchmark::State& state) {
    vt_test::GuardedBuffer a(W, H), b(W, H), dst(W, H);
    a.fillPattern(3);
    b.fillPattern(4);
    int radius = 0;
    for (auto _ : state) {
        blendAroundCircle(dst.pixels(), a.pixels(), b.pixels(), IntPoint{W / 2, H / 2}, radius, 40, W, H, dst.pitch());
        radius = (radius + 7) % 500;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlendAroundCircle)->Unit(benchmark::kMillisecond);

}  // namespace
