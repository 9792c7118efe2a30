// The title rasteriser runs once per title, on the title's first frame: its
// cost is a one-frame stall. A 40-byte title on an 800 x 600 frame per style.
#include <benchmark/benchmark.h>

#include <cstring>

#include "CG/TitleTable.h"
#include "render/Platform.h"

namespace {

void BM_RenderTitle(benchmark::State& state) {
    const int style = static_cast<int>(state.range(0));
    static EffectParams p;
    TextFont font;
    for (auto _ : state) {
        std::memset(&p, 0, sizeof p);
        p.width = 800;
        p.height = 600;
        p.firstFrame = 1;
        TitleFields& t = p.state.title;
        t.titleFont = &font;
        t.titleFormat = 21;
        t.titleColor = 0x0040C0FF;
        t.titleFontSize = 60;
        t.titleText = "A walk along the harbour\nat early dawn";
        runTitleStyle(style, &p);
        platformDeleteImage(t.titleBitmap);
    }
    state.SetLabel(TitleStyleTable[style].name);
}
BENCHMARK(BM_RenderTitle)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);

}  // namespace

// Every title effect row at 800 x 600 with a large centred title, driven like the
// sweep (a title's run of frames, the first one rendering the plain style); the
// Time column is ms per frame.
#include <string>

#include "tests/support/EffectSweep.h"

namespace {

constexpr int kFramesPerRun = 30;
int benchEffectRow = 0;

void titleEffectFrame(EffectParams* p) {
    runTitleStyle(0, p);
    runTitleMotionEffect(0, benchEffectRow, p);
}

// A long two-line title at the frame centre: the largest image an effect works on.
vt_test::SweepOptions largeTitle() {
    vt_test::SweepOptions o;
    o.titleText = "A walk along the harbour\nat early dawn";
    o.titleFontSize = 60;
    o.titlePosition = 3;
    return o;
}

void benchTitleEffect(benchmark::State& state, int row) {
    static const vt_test::SweepOptions options = largeTitle();
    for (auto _ : state) {
        benchEffectRow = row;
        const double ms = vt_test::timeRowPerFrame(vt_test::SweepFamily::Title, titleEffectFrame, 800, 600,
                                                   kFramesPerRun, options);
        state.SetIterationTime(ms / 1000.0);
    }
}

const bool registered = [] {
    for (int i = 0; i < titleTableCounts[3]; ++i) {
        const TitleCatalogueRow& r = TitleEffectTable[i];
        const std::string name = "TitleEffect" + std::to_string(r.catalogueRow) + "/" + r.row.name;
        benchmark::RegisterBenchmark(name.c_str(), benchTitleEffect, i)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
