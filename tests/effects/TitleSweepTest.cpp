// Every style row of the title table, drawn each frame through every built
// motion and title-effect row, through the effect sweep: at frame sizes from a
// preview window up, at every position code, with a title larger than the
// smallest frame.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "CG/TitleTable.h"
#include "tests/support/EffectSweep.h"

using namespace vt_test;

namespace {

// A whole title frame as the runtime runs it: style, then motion and effect.
template <int Style, int Motion, int Effect>
void titleFrame(EffectParams* p) {
    runTitleStyle(Style, p);
    runTitleMotionEffect(Motion, Effect, p);
}

template <int... Styles>
constexpr EffectEntry styleFrames[] = {titleFrame<Styles, 0, 0>...};
constexpr const EffectEntry* kStyleFrames = styleFrames<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12>;

class TitleStyleSweep : public ::testing::TestWithParam<int> {};

std::string styleName(const ::testing::TestParamInfo<int>& info) {
    std::string name;
    for (const char* c = TitleStyleTable[info.param].name; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

TEST_P(TitleStyleSweep, BehavesAtEveryPosition) {
    for (int position = 0; position < titleTableCounts[1]; ++position) {
        SweepOptions o;
        o.titlePosition = position;
        o.sizes = {{64, 48}, {152, 112}, {400, 300}};
        for (const std::string& problem : sweepRow(SweepFamily::Title, kStyleFrames[GetParam()], RowRule{}, o))
            ADD_FAILURE() << "position " << position << ": " << problem;
    }
}

TEST_P(TitleStyleSweep, BehavesWithADryOrUsedPool) {
    for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers})
        for (const std::string& problem : sweepRow(SweepFamily::Title, kStyleFrames[GetParam()], RowRule{}, poolOptions(kind)))
            ADD_FAILURE() << (kind == SweepPool::Dry ? "no buffer: " : "small leftovers: ") << problem;
}

INSTANTIATE_TEST_SUITE_P(Rows, TitleStyleSweep, ::testing::Range(0, 13), styleName);

// The motion and effect rows the next frame function runs.
std::pair<int, int>& rowPair() {
    static std::pair<int, int> rows;
    return rows;
}

void titleRowsFrame(EffectParams* p) {
    runTitleStyle(7, p);
    runTitleMotionEffect(rowPair().first, rowPair().second, p);
}

// Rows whose output legitimately differs between two runs of the same title.
RowRule effectRule(int effect) {
    RowRule rule;
    const std::string name = TitleEffectTable[effect].row.name;
    // The dance angle and the outline-light phase run on from one title to the next.
    if (name == "Dancing" || name == "CircularLight" || name == "CircularLight2") rule.deterministic = false;
    return rule;
}

std::vector<std::string> sweepRows(int motion, int effect, SweepOptions o) {
    rowPair() = {motion, effect};
    return sweepRow(SweepFamily::Title, titleRowsFrame, effectRule(effect), o);
}

// Every motion under the plain effect, at every position a title can take.
TEST(TitleSweep, EveryMotionMovesTheTitle) {
    for (int m = 0; m < titleTableCounts[2]; ++m)
        for (int position : {0, 6}) {
            SweepOptions o;
            o.titlePosition = position;
            for (const std::string& problem : sweepRows(m, 0, o))
                ADD_FAILURE() << "motion " << m << ", position " << position << ": " << problem;
        }
}

TEST(TitleSweep, EveryMotionWithADryOrUsedPool) {
    for (int m = 0; m < titleTableCounts[2]; ++m)
        for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers})
            for (const std::string& problem : sweepRows(m, 0, poolOptions(kind)))
                ADD_FAILURE() << "motion " << m << (kind == SweepPool::Dry ? ", no buffer: " : ", small leftovers: ")
                              << problem;
}

class TitleEffectSweep : public ::testing::TestWithParam<int> {};

std::string effectName(const ::testing::TestParamInfo<int>& info) {
    std::string name = std::to_string(TitleEffectTable[info.param].catalogueRow) + "_";
    for (const char* c = TitleEffectTable[info.param].row.name; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

// Every effect row standing still, entering and leaving, scrolling across, and
// with a title larger than the frame at a corner; an empty-looking title of one
// blank too.
TEST_P(TitleEffectSweep, DrawsWithinTheFrame) {
    const int effect = GetParam();
    for (int motion : {0, 3, 13, 14}) {
        SweepOptions o;
        o.titlePosition = motion == 3 ? 6 : 0;
        for (const std::string& problem : sweepRows(motion, effect, o))
            ADD_FAILURE() << "motion " << motion << ": " << problem;
    }
    SweepOptions big;
    big.titleText = "WWWWWWWW\nWWW";
    big.titleFontSize = 90;
    big.titlePosition = 2;
    big.sizes = {{64, 48}, {67, 41}};
    for (const std::string& problem : sweepRows(0, effect, big)) ADD_FAILURE() << "large title: " << problem;
    SweepOptions blank;
    blank.titleText = " ";
    blank.sizes = {{67, 41}};
    for (const std::string& problem : sweepRows(1, effect, blank)) ADD_FAILURE() << "blank title: " << problem;
}

// The engine's frame sizes, and a pool with no buffer at all or with small
// leftovers; the title's size is the one scaled for the frame on every frame,
// though the runtime writes the option's unscaled size after the first.
TEST_P(TitleEffectSweep, DrawsAtTheEngineSizesAndWithADryOrUsedPool) {
    const int effect = GetParam();
    for (const std::string& problem : sweepRows(0, effect, engineSizeOptions()))
        ADD_FAILURE() << "engine sizes: " << problem;
    for (SweepPool kind : {SweepPool::Dry, SweepPool::SmallLeftovers})
        for (const std::string& problem : sweepRows(0, effect, poolOptions(kind)))
            ADD_FAILURE() << (kind == SweepPool::Dry ? "no buffer: " : "small leftovers: ") << problem;
}

TEST_P(TitleEffectSweep, KeepsTheScaledFontSizeForTheWholeTitle) {
    const int effect = GetParam();
    if (!effectRule(effect).deterministic) return;
    rowPair() = {0, effect};
    SweepOptions engine;
    engine.progresses = {0.0f, 0.2f, 0.4f, 0.5f};
    SweepOptions scaled = engine;
    scaled.titleFontSizeLater = 80;   // 640 + 480 = 1120 pixels double the option's 40
    const std::vector<uint64_t> asEngine = sweepFrameSums(SweepFamily::Title, titleRowsFrame, engine, 640, 480);
    rowPair() = {0, effect};
    EXPECT_EQ(asEngine, sweepFrameSums(SweepFamily::Title, titleRowsFrame, scaled, 640, 480));
}

INSTANTIATE_TEST_SUITE_P(Rows, TitleEffectSweep, ::testing::Range(0, titleTableCounts[3]), effectName);

}  // namespace
