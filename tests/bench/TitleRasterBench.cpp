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
