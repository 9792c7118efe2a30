// Every style row of the title table, drawn each frame through every built
// motion and title-effect row, through the effect sweep: at frame sizes from a
// preview window up, at every position code, with a title larger than the
// smallest frame.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>

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

INSTANTIATE_TEST_SUITE_P(Rows, TitleStyleSweep, ::testing::Range(0, 13), styleName);

// The motion and effect rows the next frame function runs.
std::pair<int, int>& rowPair() {
    static std::pair<int, int> rows;
    return rows;
}

TEST(TitleSweep, MotionAndEffectRowsDrawTheTitle) {
    for (int m = 0; m < titleTableCounts[2]; ++m)
        for (int e = 0; e < titleTableCounts[3]; ++e) {
            auto frame = [](EffectParams* p) {
                runTitleStyle(7, p);
                runTitleMotionEffect(rowPair().first, rowPair().second, p);
            };
            rowPair() = {m, e};
            SweepOptions o;
            o.titlePosition = 6;
            for (const std::string& problem : sweepRow(SweepFamily::Title, frame, RowRule{}, o))
                ADD_FAILURE() << "motion " << m << ", effect " << e << ": " << problem;
        }
}

}  // namespace
