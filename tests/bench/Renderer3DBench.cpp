// The 3D renderer and the mask tools at 800 x 600, the frame size of the
// largest display mode: one mesh effect frame must fit well inside 33 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "render/Camera3D.h"
#include "render/DepthBuffer.h"
#include "render/MaskRelief.h"
#include "render/MeshLit.h"
#include "render/MeshRaster.h"
#include "render/SeedFill.h"
#include "tests/render/MeshFixtures.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kW = 800, kH = 600;
const Rect kFrame{0, 0, kW, kH};

// A waving flag of rows x cols vertices covering the frame, projected like an effect frame does it.
void waveGrid(std::vector<MeshVertex>& g, int rows, int cols, float phase) {
    g.resize(static_cast<size_t>(rows) * cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j)
            g[i * cols + j] = MeshVertex{-kW / 2.0f + j * kW / float(cols - 1), -kH / 2.0f + i * kH / float(rows - 1),
                                         -1.0f + 30.0f * std::sin(j * 0.4f + phase) * std::cos(i * 0.3f), 0};
    transformGrid(g.data(), rows, cols);
}

const float kLight[3] = {0.8f, 0.2f, 0.2f};
const int32_t kAmbient[3] = {128, 128, 128};

void BM_TexturedMesh17x33(benchmark::State& state) {
    vt_test::GuardedBuffer frame(kW, kH), picture(kW, kH);
    picture.fillPattern(3);
    mesh_fixtures::standardCamera(kW, kH);
    std::vector<MeshVertex> g;
    float phase = 0;
    for (auto _ : state) {
        waveGrid(g, 17, 33, phase += 0.1f);
        clearDepthRect(kFrame, frame.pitch());
        renderMeshGrid(frame.pixels(), picture.pixels(), kFrame, kFrame, frame.pitch(), picture.pitch(), g.data(), 17,
                       33, kLight, 0, kAmbient, 1.0f, 4);
        benchmark::DoNotOptimize(frame.pixels());
    }
}
BENCHMARK(BM_TexturedMesh17x33)->Unit(benchmark::kMillisecond);

void BM_LitMesh17x33(benchmark::State& state) {
    vt_test::GuardedBuffer frame(kW, kH);
    mesh_fixtures::standardCamera(kW, kH);
    std::vector<MeshVertex> g;
    std::vector<uint32_t> colours;
    float phase = 0;
    for (auto _ : state) {
        waveGrid(g, 17, 33, phase += 0.1f);
        colours.assign(g.size(), 0x4080C0);   // the lit mesh overwrites them: refilled every frame
        clearDepthRect(kFrame, frame.pitch());
        renderLitMesh(frame.pixels(), kFrame, frame.pitch(), g.data(), colours.data(), 0, 0, 33, 17, kLight, 0,
                      kAmbient, 1.0f, 4, 0);
        benchmark::DoNotOptimize(frame.pixels());
    }
}
BENCHMARK(BM_LitMesh17x33)->Unit(benchmark::kMillisecond);

// A 400 x 100 title: strokes 8 pixels wide in letter-sized boxes.
void drawTitleMask(vt_test::GuardedBuffer& b) {
    b.fill(0);
    for (int letter = 0; letter < 12; ++letter) {
        const int x0 = 10 + letter * 32, y0 = 15;
        for (int y = y0; y < y0 + 70; ++y)
            for (int x = x0; x < x0 + 26; ++x) {
                const bool stem = x < x0 + 8 || (letter % 3 == 0 && x >= x0 + 18);
                const bool bar = (y < y0 + 8) || (y >= y0 + 31 && y < y0 + 39) || (letter % 2 == 0 && y >= y0 + 62);
                if (stem || bar) b.at(x, y) = 0xFFFFFF;
            }
    }
}

// The title relief (profile 2) or the block relief of the same title.
void BM_Relief400x100(benchmark::State& state) {
    vt_test::GuardedBuffer mask(400, 100);
    for (auto _ : state) {
        state.PauseTiming();
        drawTitleMask(mask);
        state.ResumeTiming();
        if (state.range(0)) renderTitleRelief(mask.pixels(), Rect{0, 0, 400, 100}, mask.pitch(), 1.0f, 16, 2);
        else renderMaskRelief(mask.pixels(), Rect{0, 0, 400, 100}, mask.pitch(), 1.0f, 16, 0);
        benchmark::DoNotOptimize(mask.pixels());
    }
}
BENCHMARK(BM_Relief400x100)->ArgName("title")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_SeedFillFullFrame(benchmark::State& state) {
    std::vector<uint8_t> mask(static_cast<size_t>(kW) * kH);
    for (auto _ : state) {
        std::memset(mask.data(), 0, mask.size());
        setByteFillTarget(mask.data(), kFrame, kW);
        seedFill(kW / 2, kH / 2, 1, 0, 0, 0);
        benchmark::DoNotOptimize(mask.data());
    }
}
BENCHMARK(BM_SeedFillFullFrame)->Unit(benchmark::kMillisecond);

void BM_CopyFillFullFrame(benchmark::State& state) {
    std::vector<uint8_t> mask(static_cast<size_t>(kW) * kH, 0);
    vt_test::GuardedBuffer source(kW, kH), target(kW, kH);
    source.fillPattern(1);
    for (auto _ : state) {
        setFillTargets(target.pixels(), target.pitch(), source.pixels(), source.pitch(), mask.data(), kFrame, kW);
        fillMaskSeedCopy(kW / 2, kH / 2, 1, 0, 0, 0);
        benchmark::DoNotOptimize(target.pixels());
    }
}
BENCHMARK(BM_CopyFillFullFrame)->Unit(benchmark::kMillisecond);

}  // namespace
