// The image-effect table as data, its dispatcher and guarded entries, and what
// every image effect shares: the level envelope and the small random step.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>
#include <set>
#include <string>

#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "Sfx/ImageEffectEntry.h"
#include "Sfx/ImageEffectShared.h"
#include "Sfx/ImageEffectTable.h"
#include "Sfx/Image_Effect_Plain.h"
#include "Sfx/Image_Effect_3D.h"
#include "Sfx/Image_Effect_3DFlag.h"
#include "Sfx/Image_Effect_Animation.h"
#include "Sfx/Image_Effect_Frame.h"
#include "Sfx/Image_Effect_Geometry.h"
#include "Sfx/Image_Effect_Light.h"
#include "Sfx/Image_Effect_Move.h"
#include "Sfx/Image_Effect_Special.h"
#include "Sfx/Image_Effect_Stretch.h"
#include "Sfx/Image_Effect_Warping.h"
#include "Sfx/Image_Effect_Water.h"
#include "engine/CrashLog.h"
#include "render/CrtRandom.h"
#include "tests/effects/ImageEffectFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

// ---- Level envelope -----------------------------------------------------------------

struct LevelCase {
    const char* what;
    int32_t mode;
    int32_t durationMs;
    float progress;
    float decay, attack;
    float level, previous;         // as the record holds them before the call
    float expectLevel, expectPrevious;
};

TEST(UpdateEffectLevel, ShapesTheLevelByMode) {
    const LevelCase cases[] = {
        {"follower: rising level times attack", 0, 1000, 0.5f, 0.96f, 1.0f, 200, 100, 200, 200},
        {"follower: attack below 1", 0, 1000, 0.5f, 0.92f, 0.5f, 200, 50, 100, 100},
        {"follower: equal counts as rising", 0, 1000, 0.5f, 0.9f, 0.5f, 80, 80, 40, 40},
        {"follower: falling level decays the previous", 0, 1000, 0.5f, 0.96f, 1.0f, 100, 200, 192, 192},
        {"follower: decay 0 drops to 0", 0, 1000, 0.5f, 0.0f, 1.0f, 100, 200, 0, 0},
        {"follower: clamped to 255", 0, 1000, 0.5f, 0.96f, 1.0f, 300, 0, 255, 255},
        {"follower: attack 1.25 clamped", 0, 1000, 0.5f, 0.9f, 1.25f, 250, 0, 255, 255},
        {"follower: negative result becomes 0", 0, 1000, 0.5f, 0.96f, -1.0f, 50, 0, 0, 0},
        {"mode 1, 6000 ms: rising", 1, 6000, 1000.0f / 6000, 0.5f, 1.0f, 99, 7, 63.75f, 7},
        {"mode 1, 6000 ms: holding", 1, 6000, 0.5f, 0.5f, 1.0f, 99, 7, 127.5f, 7},
        {"mode 1, 6000 ms: falling", 1, 6000, 5500.0f / 6000, 0.5f, 1.0f, 99, 7, 31.875f, 7},
        {"mode 1, 4000 ms is a triangle", 1, 4000, 0.25f, 0.5f, 1.0f, 99, 7, 63.75f, 7},
        {"mode 1, 4000 ms past the middle", 1, 4000, 0.75f, 0.5f, 1.0f, 99, 7, 63.75f, 7},
        {"mode 2: constant", 2, 4000, 0.1f, 0.5f, 1.0f, 99, 7, 127.5f, 7},
        {"mode 3: middle", 3, 2000, 0.5f, 0.5f, 1.0f, 99, 7, 127.5f, 7},
        {"mode 3: start", 3, 2000, 0.0f, 0.5f, 1.0f, 99, 7, 0.0f, 7},
        {"mode 4, 1500 ms: rises over the whole phase", 4, 1500, 0.8f, 0.5f, 1.0f, 99, 7, 102.0f, 7},
        {"mode 4, 8000 ms: holds after 2 s", 4, 8000, 0.5f, 0.5f, 1.0f, 99, 7, 127.5f, 7},
        {"mode 5, 1500 ms: falls over the whole phase", 5, 1500, 0.8f, 0.5f, 1.0f, 99, 7, 25.5f, 7},
        {"mode 5, 8000 ms: falls in the last 2 s", 5, 8000, 0.875f, 0.5f, 1.0f, 99, 7, 63.75f, 7},
        {"mode 3, no phase at all: 0, not 0 / 0", 3, 0, 0.0f, 0.5f, 1.0f, 99, 7, 0.0f, 7},
        {"mode 4, no phase at all", 4, 0, 0.0f, 0.5f, 1.0f, 99, 7, 0.0f, 7},
        {"mode 5, no phase at all", 5, 0, 0.0f, 0.5f, 1.0f, 99, 7, 0.0f, 7},
        {"mode 6 leaves the raw level", 6, 2000, 0.5f, 0.5f, 1.0f, 99, 7, 99, 7},
        {"mode -1 leaves the raw level", -1, 2000, 0.5f, 0.5f, 1.0f, 300, 7, 300, 7},
    };
    for (const LevelCase& c : cases) {
        EffectParams p{};
        p.levelMode = c.mode;
        p.duration = c.durationMs;
        p.progress = c.progress;
        p.level = c.level;
        p.previousLevel = c.previous;
        updateEffectLevel(&p, c.decay, c.attack);
        EXPECT_NEAR(p.level, c.expectLevel, 1e-3) << c.what;
        EXPECT_EQ(p.previousLevel, c.expectPrevious) << c.what;
    }
}

TEST(UpdateEffectLevel, FollowsAPeakFrameByFrame) {
    struct Run { float decay; float raw[3]; float shaped[3]; } runs[] = {
        {0.96f, {200, 100, 100}, {200, 192, 184.32f}},
        {0.0f, {200, 100, 100}, {200, 0, 100}},
    };
    for (const Run& r : runs) {
        EffectParams p{};
        for (int i = 0; i < 3; ++i) {
            p.level = r.raw[i];
            updateEffectLevel(&p, r.decay, 1.0f);
            EXPECT_FLOAT_EQ(p.level, r.shaped[i]) << "decay " << r.decay << " frame " << i;
            EXPECT_EQ(p.previousLevel, p.level);
        }
    }
}

TEST(RandomSmallStep, NeverZeroAndWithinRange) {
    crtSrand(4242);
    int seen[10] = {};
    for (int i = 0; i < 200000; ++i) {
        const int v = randomSmallStep();
        ASSERT_NE(v, 0);
        ASSERT_GE(v, -3);
        ASSERT_LE(v, 6);
        ++seen[v + 3];
    }
    for (int v : {-3, -2, -1, 1, 2, 3, 4}) EXPECT_GT(seen[v + 3], 5000) << v;
    // 5 and 6 need rand() at its maximum: rare.
    EXPECT_LT(seen[8] + seen[9], 100);
}

// ---- The table -------------------------------------------------------------------------

struct Group { int32_t code; const char* name; int32_t first, last; const char* prefix; };
constexpr Group kGroups[] = {
    {0, "Warping", 0, 29, "WP_"}, {1, "Plain", 30, 45, "PL_"},     {2, "Water", 46, 63, "WT_"},
    {3, "Light", 64, 68, "LT_"},  {4, "Stretch", 69, 72, "ST_"},  {5, "3D", 73, 74, "3D_Flag"},
    {6, "Frame", 75, 91, "FR_"},  {7, "Geometry", 92, 93, "GM_"}, {8, "Special", 94, 105, "SP_"},
    {9, "Animation", 106, 118, "AN_"}, {11, "Move", 119, 120, "MV_"},
};

const ImageEffectRow* catalogueRow(int32_t n) {
    for (int32_t i = 0; i < ImageEffectTableCount; ++i)
        if (ImageEffectTable[i].catalogueRow == n) return &ImageEffectTable[i];
    return nullptr;
}

TEST(ImageEffectTable, RowsAreCatalogueDataInOrder) {
    ASSERT_GT(ImageEffectTableCount, 0);
    ASSERT_LE(ImageEffectTableCount, 121);
    int32_t lastRow = -1, lastId = 0;
    for (int32_t i = 0; i < ImageEffectTableCount; ++i) {
        const ImageEffectRow& r = ImageEffectTable[i];
        SCOPED_TRACE(r.row.name);
        EXPECT_GT(r.catalogueRow, lastRow);
        EXPECT_LT(r.catalogueRow, 121);
        // AN_Circle2 repeats AN_Circle's id: one body, a variant argument.
        if (r.catalogueRow == 109) EXPECT_EQ(r.row.id, lastId);
        else EXPECT_GT(r.row.id, lastId);
        lastRow = r.catalogueRow;
        lastId = r.row.id;
        const Group* g = nullptr;
        for (const Group& k : kGroups)
            if (r.catalogueRow >= k.first && r.catalogueRow <= k.last) g = &k;
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(r.row.group, g->code);
        EXPECT_STREQ(r.row.groupName, g->name);
        EXPECT_EQ(r.row.id / 1000, g->code + 1);
        EXPECT_EQ(std::strncmp(r.row.name, g->prefix, std::strlen(g->prefix)), 0);
        EXPECT_EQ(r.row.reserved, 0);
        EXPECT_NE(r.row.entry, nullptr);
    }
}

TEST(ImageEffectTable, PlainRowsStandComplete) {
    const struct { int32_t row; int32_t id; const char* name; } expected[] = {
        {30, 2000, "PL_MonoColor"}, {35, 2050, "PL_SketchMono"}, {36, 2060, "PL_SketchColor"},
        {37, 2110, "PL_YCPSplit2"}, {41, 2170, "PL_BitPlaneSlicing"}, {45, 2260, "PL_WaterColor2"},
    };
    for (const auto& e : expected) {
        const ImageEffectRow* r = catalogueRow(e.row);
        ASSERT_NE(r, nullptr) << e.row;
        EXPECT_EQ(r->row.id, e.id);
        EXPECT_STREQ(r->row.name, e.name);
    }
    std::set<EffectEntry> entries;
    for (int32_t n = 30; n <= 45; ++n) {
        ASSERT_NE(catalogueRow(n), nullptr) << n;
        entries.insert(catalogueRow(n)->row.entry);
    }
    EXPECT_EQ(entries.size(), 16u);   // the two sketch rows differ in their constant
}

TEST(ImageEffectTable, CatalogueQuirksStand) {
    const ImageEffectRow* glass = catalogueRow(56);
    const ImageEffectRow* glassAgain = catalogueRow(57);
    ASSERT_TRUE(glass && glassAgain);
    EXPECT_STREQ(glass->row.name, "WT_Glass2");
    EXPECT_STREQ(glassAgain->row.name, "WT_Glass2");
    EXPECT_EQ(glass->row.entry, glassAgain->row.entry);   // drawn twice as often as any other
    EXPECT_EQ(glassAgain->row.id, 3150);
    const ImageEffectRow* circle = catalogueRow(108);
    const ImageEffectRow* discs = catalogueRow(109);
    ASSERT_TRUE(circle && discs);
    EXPECT_EQ(circle->row.id, 10020);
    EXPECT_EQ(discs->row.id, 10020);
    EXPECT_NE(circle->row.entry, discs->row.entry);
    const struct { int32_t row; int32_t id; const char* name; } spot[] = {
        {0, 1000, "WP_SineWave"}, {29, 1370, "WP_FastBilinear"}, {61, 3200, "WT_Water2002Light"},
        {73, 6060, "3D_Flag"}, {91, 7160, "FR_Spline"}, {105, 9270, "SP_ChaosZoom"}, {112, 10090, "AN_Smoke"},
    };
    for (const auto& e : spot) {
        const ImageEffectRow* r = catalogueRow(e.row);
        ASSERT_NE(r, nullptr) << e.row;
        EXPECT_EQ(r->row.id, e.id);
        EXPECT_STREQ(r->row.name, e.name);
    }
}

TEST(ImageEffectTable, DispatchRunsTheRowsEntry) {
    GuardedBuffer picture(4, 2), canvas(4, 2);
    picture.fill(0x123456);
    EffectParams p{};
    aimRecord(p, picture, canvas);
    p.beat = 1;
    int32_t negative = -1;
    for (int32_t i = 0; i < ImageEffectTableCount; ++i)
        if (ImageEffectTable[i].catalogueRow == 31) negative = i;
    ASSERT_GE(negative, 0);
    runImageEffect(negative, &p);
    EXPECT_EQ(canvas.at(3, 1), 0x123456u ^ 0xFFFFFFu);
}

TEST(ImageEffectEntry, AFaultIsLoggedAndTheEntryReturns) {
    if (!faultGuardCatches()) GTEST_SKIP() << "faults are caught only in the Windows builds";
    const std::string log = scratchDir("imagefx_fault") + "/debug.txt";
    setDebugLogPath(log.c_str());
    EffectParams p{};   // no pictures: the body faults on its first pixel
    p.rect = {0, 0, 4, 2};
    p.pitch = 20;
    p.width = 4;
    p.height = 2;
    imageEffectEntry<SfxUnit::Plain, 4321, applyPlColorMask>(&p);
    const std::vector<uint8_t> bytes = readFileBytes(log);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("Sfx\\Image_Effect_Plain(4321)"), std::string::npos) << text;
}

// ---- Every catalogue row --------------------------------------------------------------

struct CatalogueRow {
    int number, id;
    const char* name;
    void (*call)(EffectParams*);   // the body with the row's arguments; null: given in words
};
const CatalogueRow kCatalogue[] = {
#include "tests/effects/ImageEffectCatalogue.inc"
};

// Every catalogue row stands, in order, with its id and name: a dropped family or
// a renamed row fails here.
TEST(ImageEffectTable, EveryCatalogueRowStandsWithItsIdAndName) {
    ASSERT_EQ(ImageEffectTableCount, static_cast<int>(std::size(kCatalogue)));
    for (int i = 0; i < ImageEffectTableCount; ++i) {
        SCOPED_TRACE("row " + std::to_string(kCatalogue[i].number));
        EXPECT_EQ(kCatalogue[i].number, ImageEffectTable[i].catalogueRow);
        EXPECT_EQ(kCatalogue[i].id, ImageEffectTable[i].row.id);
        EXPECT_STREQ(kCatalogue[i].name, ImageEffectTable[i].row.name);
    }
}

// Each row's entry draws what its body draws with the row's arguments, frame by
// frame under loud sound: a wrong body or argument shows in the pixels.
std::vector<Pixel> framesOf(void (*draw)(EffectParams*)) {
    // Unit-wide words that outlive a picture on purpose start both runs alike.
    dancingSpinFlip = 0;
    saddleSignX = saddleSignY = 1;
    albumCloverCounter = 0;
    albumPeakLevel = 0;
    animationUnitWords = {};
    resetParticleLists();
    resetAnimationRunState();
    crtSrand(99);
    EffectRun run(48, 36);
    run.picture.fillPattern(3);
    for (int i = 0; i < 36; ++i) run.spectrum[i] = static_cast<int16_t>(3000 - 80 * i);
    for (int i = 0; i < 256; ++i) run.samples[i] = static_cast<int16_t>((i * 997) % 20000 - 10000);
    std::vector<Pixel> frames;
    const float levels[] = {200, 120, 250, 90};
    for (int f = 0; f < 4; ++f) {
        run.p.progress = 0.2f * static_cast<float>(f);
        run.frame(draw, levels[f], f & 1);
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 48; ++x) frames.push_back(run.canvas.at(x, y));
    }
    return frames;
}

TEST(ImageEffectTable, EveryRowCallsItsBodyWithItsArguments) {
    int pinned = 0;
    for (int i = 0; i < ImageEffectTableCount && i < static_cast<int>(std::size(kCatalogue)); ++i) {
        if (!kCatalogue[i].call) continue;
        ++pinned;
        const std::vector<Pixel> viaEntry = framesOf(ImageEffectTable[i].row.entry);
        const std::vector<Pixel> direct = framesOf(kCatalogue[i].call);
        EXPECT_TRUE(viaEntry == direct) << "row " << kCatalogue[i].number << " " << kCatalogue[i].name;
    }
    EXPECT_GT(pinned, 100);
}

}  // namespace
