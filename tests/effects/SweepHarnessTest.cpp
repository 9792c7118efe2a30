// The sweep must notice each kind of misbehaviour it promises to catch, and
// pass a row that behaves.
#include <gtest/gtest.h>

#include "engine/EffectParams.h"
#include "tests/support/EffectSweep.h"

using namespace vt_test;

namespace {

void copyBlend(EffectParams* p) {   // a well-behaved cross-fade
    int w = static_cast<int>(p->progress * 256);
    for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x) {
            Pixel a = p->source[y * p->pitch + x], b = p->source2[y * p->pitch + x], out = 0;
            for (int sh = 0; sh < 24; sh += 8) {
                int ca = (a >> sh) & 0xFF, cb = (b >> sh) & 0xFF;
                out |= static_cast<Pixel>((ca * (256 - w) + cb * w) >> 8) << sh;
            }
            p->destination[y * p->pitch + x] = out;
        }
}

void writesPastMargin(EffectParams* p) { p->destination[-(8 + 3) * p->pitch] = 1; }
void setsTopByte(EffectParams* p) { p->destination[0] = 0xFF000000u; }
void paintsGrey(EffectParams* p) {   // neither picture at either end
    for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x) p->destination[y * p->pitch + x] = 0x808080;
}
void changesSource(EffectParams* p) { p->source[5] ^= 1; }
void unseeded(EffectParams* p) {
    static uint32_t counter = 0;
    p->destination[0] = ++counter & 0xFF;
}
void forgetsToKeep(EffectParams* p) {
    // Acquires on the first frame, never keeps: later frames read poisoned memory.
    if (p->firstFrame) {
        p->buffers[0] = p->acquireBuffer(&p->slots[0]);
        p->buffers[0][0] = 0x123456;
    }
    p->destination[0] = p->buffers[0][0] & 0xFFFFFF;
}
void keepsProperly(EffectParams* p) {
    if (p->firstFrame) {
        p->buffers[0] = p->acquireBuffer(&p->slots[0]);
        p->buffers[0][0] = 0x123456;
    }
    p->keepBuffer(p->slots[0]);
    p->destination[0] = p->buffers[0][0] & 0xFFFFFF;
}

}  // namespace



TEST(EffectSweep, PassesAWellBehavedRowAndChecksTheEnds) {
    RowRule rule;
    rule.endTolerance = 1;
    EXPECT_TRUE(sweepRow(SweepFamily::Transition, copyBlend, rule, SweepOptions{}).empty());
}

TEST(EffectSweep, ReportsEachKindOfFault) {
    struct Case { const char* name; EffectEntry entry; const char* expect; } cases[] = {
        {"past margin", writesPastMargin, "outside a buffer"},
        {"top byte", setsTopByte, "top byte"},
        {"source", changesSource, "changed the source"},
        {"unseeded state", unseeded, "differs between two runs"},
        {"unkept buffer", forgetsToKeep, "differs between two runs"},
    };
    for (const Case& c : cases) {
        auto problems = sweepRow(SweepFamily::Transition, c.entry, RowRule{}, SweepOptions{});
        bool found = false;
        for (auto& p : problems) found |= p.find(c.expect) != std::string::npos;
        EXPECT_TRUE(found) << c.name;
    }
    EXPECT_TRUE(sweepRow(SweepFamily::ImageEffect, keepsProperly, RowRule{}, SweepOptions{}).empty());
}

TEST(EffectSweep, WrongEndsAreReported) {
    auto reports = [](EffectEntry entry, const RowRule& rule, const char* what) {
        bool found = false;
        for (auto& p : sweepRow(SweepFamily::Transition, entry, rule, SweepOptions{}))
            found |= p.find(what) != std::string::npos;
        return found;
    };
    RowRule both;
    both.endTolerance = 0;
    EXPECT_TRUE(reports(setsTopByte, both, "outgoing"));
    EXPECT_TRUE(reports(paintsGrey, both, "incoming"));
    RowRule incomingOnly;
    incomingOnly.incomingTolerance = 0;
    EXPECT_FALSE(reports(paintsGrey, incomingOnly, "outgoing"));
    EXPECT_TRUE(reports(paintsGrey, incomingOnly, "incoming"));
}
