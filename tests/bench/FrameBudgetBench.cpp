// The frame budget: every row of every effect table (transitions, image effects,
// title styles, motions and effects, animations, animation effects) at 800 x 600,
// once with the loudest sound the analysis can give (every spectrum band at its
// full 362, a beat on every frame, level 255, full-scale samples) and once with
// silence. Per row: the median frame and the worst frame, the first frame (its
// tables and set-up) included. Each run of frames is repeated; the median is over
// all frames of all runs, the worst is the median of the runs' worst frames, so a
// stall of the machine in one run does not count as the row's. Frames are timed
// in the thread's processor time, so other work on a shared machine is left out
// (its effect on caches is not).
//
// Budget: median <= 6 ms, worst <= 16 ms. At the end the 20 rows furthest into
// their budget are printed. Run on one core of a quiet machine:
//   taskset -c 3 build/native-release/bin/bench_FrameBudgetBench [--benchmark_filter=Transition/]
// --frames=N (40) frames per run, --runs=N (3) runs per row: --runs=1 --frames=20
// scans the tables quickly.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "CG/TitleTable.h"
#include "Sfx/ImageEffectTable.h"
#include "Transition/TransitionTable.h"
#include "tests/support/EffectSweep.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
int framesPerRun = 40;   // --frames=N
int runs = 3;            // --runs=N
constexpr double kMedianBudgetMs = 6.0;
constexpr double kWorstBudgetMs = 16.0;

const vt_test::SoundScenario& loudest() {
    static const vt_test::SoundScenario s = vt_test::loudestScenario();
    return s;
}

const vt_test::SoundScenario& quiet() {
    static const vt_test::SoundScenario s = vt_test::silenceScenario();
    return s;
}

struct RowResult {
    std::string name;
    double medianMs;
    double worstMs;
    double firstMs;
};

std::vector<RowResult>& results() {
    static std::vector<RowResult> r;
    return r;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The title row under test: which table and which row (the other two tables at row 0).
int titleTable = 0;
int titleRow = 0;

void titleFrame(EffectParams* p) {
    runTitleStyle(titleTable == 0 ? titleRow : 0, p);
    runTitleMotionEffect(titleTable == 1 ? titleRow : 0, titleTable == 2 ? titleRow : 0, p);
}

struct RowSpec {
    vt_test::SweepFamily family;
    EffectEntry entry;
    int titleTable;   // title rows: 0 style, 1 motion, 2 effect
    int titleRow;
    bool loud;
    std::string name;
};

void runRow(benchmark::State& state, RowSpec rowSpec) {
    vt_test::SweepOptions o;
    o.sizes = {{kWidth, kHeight}};
    o.sound = rowSpec.loud ? &loudest() : &quiet();
    if (rowSpec.family == vt_test::SweepFamily::Title) {
        // A long two-line title at the frame centre: the largest image the effects work on.
        o.titleText = "A walk along the harbour\nat early dawn";
        o.titleFontSize = 60;
        o.titlePosition = 3;
        titleTable = rowSpec.titleTable;
        titleRow = rowSpec.titleRow;
    }
    std::vector<double> all, worsts, firsts;
    for (auto _ : state) {
        std::vector<double> t = vt_test::rowFrameTimes(rowSpec.family, rowSpec.entry, kWidth, kHeight, framesPerRun, o);
        double run = 0.0;
        for (double ms : t) run += ms;
        state.SetIterationTime(run / 1000.0 / std::max<size_t>(1, t.size()));
        all.insert(all.end(), t.begin(), t.end());
        worsts.push_back(t.empty() ? 0.0 : *std::max_element(t.begin(), t.end()));
        firsts.push_back(t.empty() ? 0.0 : t.front());
    }
    freeParticleLists();
    const RowResult r{rowSpec.name, median(all), median(worsts), median(firsts)};
    state.counters["median_ms"] = r.medianMs;
    state.counters["worst_ms"] = r.worstMs;
    state.counters["first_ms"] = r.firstMs;
    results().push_back(r);
}

std::string cleanName(const char* name) {
    std::string s;
    for (const char* c = name; *c; ++c) s += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return s;
}

void registerRow(const std::string& name, RowSpec rowSpec) {
    for (bool loud : {true, false}) {
        rowSpec.loud = loud;
        rowSpec.name = name + (loud ? "/loud" : "/quiet");
        benchmark::RegisterBenchmark(rowSpec.name.c_str(), runRow, rowSpec)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(runs);
    }
}

void registerAll() {
    using F = vt_test::SweepFamily;
    for (int i = 0; i < transitionCount; ++i) {
        const TransitionTableRow& r = transitionTable[i];
        registerRow("Transition/" + std::to_string(r.number) + "_" + cleanName(r.row.name),
                    {F::Transition, r.row.entry, 0, 0, true, {}});
    }
    for (int32_t i = 0; i < ImageEffectTableCount; ++i) {
        const ImageEffectRow& r = ImageEffectTable[i];
        registerRow("ImageEffect/" + std::to_string(r.catalogueRow) + "_" + cleanName(r.row.name),
                    {F::ImageEffect, r.row.entry, 0, 0, true, {}});
    }
    for (int i = 0; i < titleTableCounts[0]; ++i)
        registerRow("TitleStyle/" + std::to_string(i) + "_" + cleanName(TitleStyleTable[i].name),
                    {F::Title, titleFrame, 0, i, true, {}});
    for (int i = 0; i < titleTableCounts[2]; ++i)
        registerRow("TitleMotion/" + std::to_string(TitleMotionTable[i].catalogueRow) + "_" +
                        cleanName(TitleMotionTable[i].row.name),
                    {F::Title, titleFrame, 1, i, true, {}});
    for (int i = 0; i < titleTableCounts[3]; ++i)
        registerRow("TitleEffect/" + std::to_string(TitleEffectTable[i].catalogueRow) + "_" +
                        cleanName(TitleEffectTable[i].row.name),
                    {F::Title, titleFrame, 2, i, true, {}});
    for (int32_t i = 0; i < AnimationTableCount; ++i)
        registerRow("Animation/" + std::to_string(AnimationTable[i].catalogueRow) + "_" +
                        cleanName(AnimationTable[i].row.name),
                    {F::Animation, AnimationTable[i].row.entry, 0, 0, true, {}});
    for (int32_t i = 0; i < AnimationEffectTableCount; ++i)
        registerRow("AnimationEffect/" + std::to_string(AnimationEffectTable[i].catalogueRow) + "_" +
                        cleanName(AnimationEffectTable[i].row.name),
                    {F::AnimationEffect, AnimationEffectTable[i].row.entry, 0, 0, true, {}});
}

// The rows furthest into their budget (the larger of median / 6 ms and worst / 16 ms).
void printSlowest(int count) {
    std::vector<RowResult> r = results();
    auto load = [](const RowResult& x) { return std::max(x.medianMs / kMedianBudgetMs, x.worstMs / kWorstBudgetMs); };
    std::sort(r.begin(), r.end(), [&](const RowResult& a, const RowResult& b) { return load(a) > load(b); });
    int over = 0;
    for (const RowResult& x : r) over += load(x) > 1.0;
    std::printf("\nFrame budget at %dx%d (median <= %.0f ms, worst <= %.0f ms): %d of %zu row runs over\n", kWidth,
                kHeight, kMedianBudgetMs, kWorstBudgetMs, over, r.size());
    std::printf("%-58s %9s %9s %9s\n", "row/sound", "median", "worst", "first");
    for (int i = 0; i < count && i < static_cast<int>(r.size()); ++i)
        std::printf("%-58s %9.2f %9.2f %9.2f%s\n", r[i].name.c_str(), r[i].medianMs, r[i].worstMs, r[i].firstMs,
                    load(r[i]) > 1.0 ? "  OVER" : "");
}

}  // namespace

int main(int argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::sscanf(argv[i], "--frames=%d", &framesPerRun) == 1 || std::sscanf(argv[i], "--runs=%d", &runs) == 1)
            continue;
        argv[kept++] = argv[i];
    }
    argc = kept;
    framesPerRun = std::max(framesPerRun, 2);
    runs = std::max(runs, 1);
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSlowest(20);
    return 0;
}
