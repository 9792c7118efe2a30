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

const RuleNote kNotes[] = {
    {212, 212, incomingOnly(0),
     "PL_Test: incoming pixels brighter than the starting threshold (150 x 1024) show from the first frame"},
    {213, 213, outgoingOnly(0),
     "PL_FadeMax: an incoming channel of 0 never outweighs the outgoing one, so the last frame keeps it"},
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
