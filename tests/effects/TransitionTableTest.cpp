// The engine's transition table as catalogue data: the count word, row numbers
// and families, and exact names, ids and group names where they are odd.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>
#include <set>
#include <string>

#include "Transition/TransitionTable.h"
#include "Transition/Transition_3D.h"
#include "Transition/Transition_3DBox.h"
#include "Transition/Transition_3DDoor.h"
#include "Transition/Transition_3DFlag.h"
#include "Transition/Transition_3DJigsaw.h"
#include "Transition/Transition_3DScatter.h"
#include "Transition/Transition_3DTurn.h"
#include "Transition/Transition_Block.h"
#include "Transition/Transition_Pixel.h"
#include "Transition/Transition_Plain.h"
#include "Transition/Transition_Push.h"
#include "Transition/Transition_Rotate.h"
#include "Transition/Transition_Slide.h"
#include "Transition/Transition_Special.h"
#include "Transition/Transition_Stretch.h"
#include "Transition/Transition_Warping.h"
#include "Transition/Transition_Wipe.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"
#include "tests/support/TestSupport.h"

namespace {

struct FamilyRange {
    const char* prefix;
    int firstRow, lastRow;
};
// Catalogue rows of each family (family number = index).
constexpr FamilyRange kFamilies[] = {
    {"3D_", 0, 104},   {"BL_", 105, 167}, {"PX_", 168, 191}, {"PL_", 192, 215},
    {"PS_", 216, 221}, {"RO_", 222, 238}, {"SL_", 239, 283}, {"SP_", 284, 300},
    {"ST_", 301, 350}, {"WA_", 351, 385}, {"WI_", 386, 521},
};

const TransitionTableRow* findRow(int number) {
    for (int i = 0; i < transitionCount; ++i)
        if (transitionTable[i].number == number) return &transitionTable[i];
    return nullptr;
}

TEST(TransitionTable, RowsAreCatalogueRowsInOrderWithTheirFamilies) {
    ASSERT_GT(transitionCount, 0);
    ASSERT_LE(transitionCount, 522);
    std::set<EffectEntry> entries;
    int previous = -1;
    for (int i = 0; i < transitionCount; ++i) {
        const TransitionTableRow& r = transitionTable[i];
        SCOPED_TRACE("row " + std::to_string(r.number));
        EXPECT_GT(r.number, previous);   // catalogue order, no row twice
        previous = r.number;
        ASSERT_GE(r.row.group, 0);
        ASSERT_LE(r.row.group, 10);
        const FamilyRange& f = kFamilies[r.row.group];
        EXPECT_EQ(r.row.id / 1000, r.row.group);
        EXPECT_GE(r.number, f.firstRow);
        EXPECT_LE(r.number, f.lastRow);
        EXPECT_EQ(0, std::strncmp(r.row.name, f.prefix, 3)) << r.row.name;
        EXPECT_EQ(0, r.row.reserved);
        ASSERT_NE(nullptr, r.row.entry);
        EXPECT_TRUE(entries.insert(r.row.entry).second) << "entry shared with another row";
    }
}

// A family is either all there or not there at all.
TEST(TransitionTable, CountHoldsWholeFamilies) {
    int expected = 0;
    for (const FamilyRange& f : kFamilies) {
        int present = 0;
        for (int n = f.firstRow; n <= f.lastRow; ++n) present += findRow(n) != nullptr;
        EXPECT_TRUE(present == 0 || present == f.lastRow - f.firstRow + 1) << f.prefix << " has " << present;
        expected += present;
    }
    EXPECT_EQ(expected, transitionCount);
    EXPECT_NE(nullptr, findRow(192));   // the plain family is built
}

TEST(TransitionTable, NamesAndIdsAreCopiedExactly) {
    struct Expect { int number; int id; const char* group; const char* name; } cases[] = {
        {4, 10, "3D_Roll", "3D_Roll_000In"},
        {9, 15, "3D_Roll", "3D_Roll_225In"},          // ids fall back at row 10
        {10, 10, "3D_Roll", "3D_Roll_270In"},         // the id of row 4
        {14, 20, "3D_Roll", "3D_Roll_090Out"},        // three rows share 20
        {18, 20, "3D_Roll", "3D_Roll_270Out"},
        {21, 30, "3D_Page", "3D_Page_045In"},
        {29, 40, "3D_Page", "3D_Page_045Out"},
        {43, 80, "3D_Page", "3D_Page_LR"},            // the page group again, the id of "3D_Page_RL"
        {66, 170, "3D_1Door", "3D_1Door_LIn"},
        {83, 212, "3D_X_Rotate", "3D_X_Rotate_Out"},   // 211 unused
        {94, 260, "3D_Block_Explode2", "3D_Block_Explode2_28by21_In"},
        {103, 278, "3D_Flag2", "3D_Flag2_In"},
        {53, 123, "3D_Blind", "3D_Blind_Horizental_BT"},
        {54, 140, "3D_Page4_In", "3D_Page4_In"},
        {92, 240, "3D_Blind2Serial", "3D_Blind2Serial_Horizental_9_TB"},
        {192, 3000, "PL_Fade", "PL_Fade"},
        {193, 3001, "PL_Fade", "PL_Fade_OutIn"},
        {196, 3020, "PL_ColorMask", "PL_ColorMask"},
        {197, 3030, "PL_White", "PL_White_OutIn"},   // between the mask and the coloured rows
        {203, 3036, "PL_Purple", "PL_Purple_OutIn"},
        {212, 3045, "PL_Test", "PL_Test"},
        {214, 3047, "PL_FadeMax2", "PL_FadeMax2"},
        {215, 3047, "PL_FadeAdd", "PL_FadeAdd"},     // the same id as the row before
        {305, 8010, "ST_UpDown", "ST_UpDown_In"},    // the id of "ST_SideDual_In"
        {323, 8070, "ST_Corner", "ST_Corner_090In"}, // the id of "ST_Corner_000In"; 8072 unused
        {341, 8130, "ST_Cross", "ST_CrossDual_01_000"},
        {346, 8160, "ST_SizeDown", "ST_SizeDown"},   // five rows share 8160
        {347, 8160, "ST_SizeUp", "ST_SizeUp"},
        {348, 8160, "ST_Multi", "ST_Multi_In"},
        {349, 8160, "ST_Multi", "ST_Multi_Out"},
        {350, 8160, "ST_MultiWorld", "ST_MultiWorld"},
        {398, 10071, "WI_RandLine_Horizental", "WI_RandLine_Horizental"},   // sic
        {411, 10120, "WI_Curtain", "WI_CurtainRedFire_Up"},   // the ids of the plain curtain rows
        {424, 10180, "WI_Line", "WI_Line_SE_090"},            // the id of "WI_Line_SE_000"
        {449, 10240, "WI_Multiline", "WI_Multiline_12by9_045"},
        {450, 10221, "WI_Multiline", "WI_Multiline_12by9_135"},   // ids out of order
        {499, 10282, "WI_Cross", "WI_Cross_12_090"},
        {520, 10370, "WI_RandPoligon_In", "WI_RandPoligon_In"},   // sic, its own group
    };
    for (const Expect& e : cases) {
        const TransitionTableRow* r = findRow(e.number);
        if (!r) continue;   // its family is not built
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.id, r->row.id);
        EXPECT_STREQ(e.group, r->row.groupName);
        EXPECT_STREQ(e.name, r->row.name);
    }
    // Names that end in a blank or a TAB keep it.
    struct Odd { int number; const char* name; const char* group; } odd[] = {
        {0, "3D_Ball_In ", nullptr},
        {106, nullptr, "BL_Roto1 "},
        {107, nullptr, "BL_Roto2 "},
        {171, "PX_Stretch_In ", nullptr},
        {172, "PX_Stretch_Out", "PX_Stretcht"},
        {174, "PX_SlideTop_Ou", nullptr},
        {267, "SL_Corner_090Ou", nullptr},
        {273, "SL_Cross_02_090_In\t", nullptr},
        {275, "SL_Cross_09_000_In\t", nullptr},
        {277, "SL_Cross_15_045_In\t", nullptr},
        {301, "ST_Side_In\t", nullptr},
        {303, "ST_SideDual_In\t", nullptr},
    };
    for (const Odd& o : odd) {
        const TransitionTableRow* r = findRow(o.number);
        if (!r) continue;
        SCOPED_TRACE("row " + std::to_string(o.number));
        if (o.name) {
            EXPECT_STREQ(o.name, r->row.name);
        }
        if (o.group) {
            EXPECT_STREQ(o.group, r->row.groupName);
        }
    }
}

struct CatalogueRow {
    int number, id;
    const char* group;   // null: not pinned here
    const char* name;
    void (*call)(EffectParams*);   // the worker with the row's constants; null: given in words
};
const CatalogueRow kCatalogue[] = {
#include "tests/effects/TransitionCatalogue.inc"
};

// Every catalogue row stands, in order, with its id, group and name: a dropped
// family or a renamed row fails here.
TEST(TransitionTable, EveryCatalogueRowStandsWithItsIdGroupAndName) {
    ASSERT_EQ(transitionCount, static_cast<int>(std::size(kCatalogue)));
    for (int i = 0; i < transitionCount; ++i) {
        const CatalogueRow& want = kCatalogue[i];
        const TransitionTableRow& got = transitionTable[i];
        SCOPED_TRACE("row " + std::to_string(want.number));
        EXPECT_EQ(want.number, got.number);
        EXPECT_EQ(want.id, got.row.id);
        EXPECT_STREQ(want.name, got.row.name);
        if (want.group) {
            EXPECT_STREQ(want.group, got.row.groupName);
        }
    }
}

// Each row's entry draws what its worker draws with the row's constants, frame
// by frame: a wrong worker or constant shows in the pixels.
std::vector<Pixel> framesOf(void (*draw)(EffectParams*)) {
    scratchInit();
    crtSrand(99);
    vt_test::TransitionFrame f(48, 36);
    f.out.fillPattern(1);
    f.in.fillPattern(2);
    f.record.duration = 2000;
    f.record.acquireBuffer = scratchAcquire;   // the engine's own pool
    f.record.keepBuffer = scratchKeep;
    f.record.clearBuffer = scratchClear;
    std::vector<Pixel> frames;
    int first = 1;
    for (float p : {0.0f, 0.3f, 0.55f, 0.8f}) {
        scratchFrameStart();
        draw(f.at(p, first));
        scratchFrameEnd();
        first = 0;
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 48; ++x) frames.push_back(f.canvas.at(x, y));
    }
    return frames;
}

TEST(TransitionTable, EveryRowCallsItsWorkerWithItsConstants) {
    int pinned = 0;
    for (int i = 0; i < transitionCount && i < static_cast<int>(std::size(kCatalogue)); ++i) {
        if (!kCatalogue[i].call) continue;
        ++pinned;
        const std::vector<Pixel> viaEntry = framesOf(transitionTable[i].row.entry);
        const std::vector<Pixel> direct = framesOf(kCatalogue[i].call);
        EXPECT_TRUE(viaEntry == direct) << "row " << kCatalogue[i].number << " " << kCatalogue[i].name;
    }
    EXPECT_GT(pinned, 400);
}

// runTransition plays the row at the given table position.
TEST(TransitionTable, RunTransitionCallsTheRowAtThatPosition) {
    int index = -1;
    for (int i = 0; i < transitionCount; ++i)
        if (transitionTable[i].number == 196) index = i;   // PL_ColorMask
    ASSERT_GE(index, 0);
    vt_test::GuardedBuffer out(5, 3, 0x7F80FF), in(5, 3, 0xFF7F00), canvas(5, 3, 0x123456);
    EffectParams record{};
    record.source = out.pixels();
    record.source2 = in.pixels();
    record.destination = canvas.pixels();
    record.rect = {0, 0, 5, 3};
    record.pitch = out.pitch();
    record.width = 5;
    record.height = 3;
    record.firstFrame = 1;
    record.progress = 0.5f;
    runTransition(index, &record);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(0x808080u, canvas.at(x, y));
    EXPECT_EQ(0x123456u, canvas.at(-1, 0));   // the margin is left alone
}

}  // namespace
