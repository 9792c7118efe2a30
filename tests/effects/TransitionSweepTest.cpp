// Every built row of the engine's transition table through the effect sweep.
// A row is expected to show the outgoing picture at progress 0 and the incoming
// one on the last frame, within one channel step (a weight of 255 of 256 leaves
// one); the rows that are meant to behave otherwise are listed with the reason.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "Transition/TransitionTable.h"
#include "tests/support/EffectSweep.h"

using namespace vt_test;

namespace {

struct RuleNote {
    int firstRow, lastRow;   // catalogue row numbers
    RowRule rule;
    const char* reason;
};

RowRule outgoingOnly(int tolerance) {
    RowRule r;
    r.outgoingTolerance = tolerance;
    return r;
}
RowRule incomingOnly(int tolerance) {
    RowRule r;
    r.incomingTolerance = tolerance;
    return r;
}

constexpr const char* kStillSqueezed =
    "Stretch: at progress 0.999 the arriving picture is still a pixel short of its full size (or the leaving one a "
    "pixel wide), so its samples are shifted";
constexpr const char* kFanBorder =
    "folding fan: a turned point on the left or top border shows the base picture, and the sector lacks 2/2048 of "
    "the turn at 0.999 (Out: a thin sector of turned blades remains)";
constexpr const char* kZoomBlur =
    "zoom blur: the zoomed picture is a mix of masked copies at 15/16 brightness (the 15-copy one loses up to 14 "
    "steps); the Out rows start from that mix and end with weight 254 of 256";

RowRule noEndChecks() { return RowRule{}; }
RowRule endTolerance(int tolerance) {
    RowRule r;
    r.endTolerance = tolerance;
    return r;
}

constexpr const char* kWholeLines =
    "moves by whole lines: at progress 0.999 the moving picture is still a line short of its place (In) or its "
    "last line has not left (Out)";
constexpr const char* kQuarterTerms =
    "SL_SplitCross: four quarter-weight terms with their low 2 bits dropped, so every channel may lose up to 3";
constexpr const char* kTriangleSeams =
    "SL_Triangle_Explode_Out: the shared triangle filler leaves each triangle's bottom row and span ends, so the "
    "seams of the assembled pieces show the incoming picture at the start";

const RuleNote kNotes[] = {
    {212, 212, incomingOnly(0),
     "PL_Test: incoming pixels brighter than the starting threshold (150 x 1024) show from the first frame"},
    {213, 213, outgoingOnly(0),
     "PL_FadeMax: an incoming channel of 0 never outweighs the outgoing one, so the last frame keeps it"},
    {216, 219, outgoingOnly(0), kWholeLines},
    {221, 221, outgoingOnly(0), kWholeLines},
    {239, 239, outgoingOnly(0), kWholeLines},
    {242, 243, outgoingOnly(0), kWholeLines},
    {245, 245, outgoingOnly(0), kWholeLines},
    {247, 247, outgoingOnly(0), kWholeLines},
    {249, 249, outgoingOnly(0), kWholeLines},
    {254, 254, outgoingOnly(0), kWholeLines},
    {257, 260, outgoingOnly(0), kWholeLines},
    {264, 264, outgoingOnly(0), kWholeLines},
    {268, 271, outgoingOnly(0), kWholeLines},
    {273, 273, outgoingOnly(0), kWholeLines},
    {275, 277, outgoingOnly(0), kWholeLines},
    {279, 280, outgoingOnly(0), kWholeLines},
    {282, 282, outgoingOnly(0), kWholeLines},
    {220, 220, noEndChecks(),
     "PS_Cross_15_045: the oblique bands go through the shared quad filler, whose affine steps put pixels up to "
     "a texel off, and band ends whose texture lies outside the picture are black"},
    {278, 278, noEndChecks(),
     "SL_Cross_15_045_Out: the oblique bands go through the shared quad filler, whose affine steps put pixels up "
     "to a texel off the outgoing picture"},
    {246, 246, incomingOnly(0),
     "SL_X_In: with odd sizes the side triangles' travel f x W / H (integer) falls short of the half width, so a "
     "few incoming pixels show at the start"},
    {250, 250, endTolerance(3), kQuarterTerms},
    {251, 251, outgoingOnly(3), kQuarterTerms},
    {252, 252, incomingOnly(3),
     "SL_SplitCross_045In: at 45 degrees the copies start only 0.7 W away along each axis, so parts of them lie "
     "in the frame from the start; quarter terms lose the low 2 bits"},
    {253, 253, outgoingOnly(3), kQuarterTerms},
    {255, 256, noEndChecks(),
     "SL_SpaceGate: blades turn about pivots on a circle; at 0.86 radians the turned blades still overlap their "
     "places in a few pixels, and the centre pixels lie on every blade circle and belong to no blade"},
    {281, 281, incomingOnly(0), kTriangleSeams},
    {283, 283, incomingOnly(0), kTriangleSeams},
    // Stretch: progress stops at 0.999, where a squeezed or zoomed picture is
    // still a pixel short of its size; on the noise pattern that shifts every sample.
    {301, 301, outgoingOnly(1), kStillSqueezed},
    {303, 307, outgoingOnly(1), kStillSqueezed},
    {309, 309, outgoingOnly(1), kStillSqueezed},
    {312, 312, outgoingOnly(1), "ST_jurum_Out: at 0.999 the last column of the outgoing picture still lands on column 0"},
    {313, 313, outgoingOnly(1), kFanBorder},
    {314, 314, RowRule{}, kFanBorder},
    {315, 315, outgoingOnly(1), kFanBorder},
    {316, 316, incomingOnly(1), kFanBorder},
    {317, 317, outgoingOnly(1), kZoomBlur},
    {318, 318, incomingOnly(3), kZoomBlur},
    {319, 319, outgoingOnly(1), kZoomBlur},
    {320, 320, incomingOnly(3), kZoomBlur},
    {321, 324, outgoingOnly(1), kStillSqueezed},
    {328, 328, outgoingOnly(1), kStillSqueezed},
    {332, 335, outgoingOnly(1), kStillSqueezed},
    {337, 337, outgoingOnly(1), kStillSqueezed},
    {339, 339, outgoingOnly(1), kStillSqueezed},
    {341, 343, outgoingOnly(1), kStillSqueezed},
    {345, 345, outgoingOnly(1), kStillSqueezed},
    {347, 348, outgoingOnly(1), kStillSqueezed},
    {350, 350, outgoingOnly(1), "ST_MultiWorld: at 0.999 the incoming picture is still magnified 1.256 times"},
};

RowRule ruleFor(int number, const char** reason) {
    for (const RuleNote& n : kNotes)
        if (number >= n.firstRow && number <= n.lastRow) {
            *reason = n.reason;
            return n.rule;
        }
    *reason = nullptr;
    RowRule r;
    r.endTolerance = 1;
    return r;
}

std::string rowLabel(int index) {
    const TransitionTableRow& r = transitionTable[index];
    std::string label = "Row" + std::to_string(r.number) + "_";
    for (const char* c = r.row.name; *c; ++c) label += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return label;
}

class TransitionSweep : public testing::TestWithParam<int> {};

TEST_P(TransitionSweep, RowBehaves) {
    const TransitionTableRow& row = transitionTable[GetParam()];
    const char* reason = nullptr;
    const RowRule rule = ruleFor(row.number, &reason);
    if (reason) {
        RecordProperty("rule", reason);
        std::printf("row %d has its own rule: %s\n", row.number, reason);
    }
    for (const std::string& problem : sweepRow(SweepFamily::Transition, row.row.entry, rule, SweepOptions{}))
        ADD_FAILURE() << "row " << row.number << " \"" << row.row.name << "\": " << problem;
}

INSTANTIATE_TEST_SUITE_P(Table, TransitionSweep, testing::Range(0, static_cast<int>(transitionCount)),
                         [](const testing::TestParamInfo<int>& info) { return rowLabel(info.param); });

}  // namespace
