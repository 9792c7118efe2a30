// Exact pixels of the warp appliers and of the integer plain rows, the shapes
// of a few warp maps, the plasma palettes, and the silence cases of the
// plasma backgrounds and animations.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Animation/ANI_Plasma.h"
#include "Animation/ANI_PlasmaGenerators.h"
#include "AnimationEffect/ANIEffectPlain.h"
#include "AnimationEffect/ANIEffectWarping.h"
#include "render/CrtRandom.h"
#include "tests/effects/AnimationFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

// A map for a width x height layer of pitch width + 16, every entry -16.
struct TestMap {
    int32_t pitch, height;
    std::vector<int16_t> entries;
    TestMap(int32_t w, int32_t h) : pitch(w + 16), height(h), entries(2 * static_cast<size_t>(pitch) * h + 2, -16) {}
    int16_t* data() { return entries.data(); }
    void set(int x, int y, int16_t mx, int16_t my) {
        entries[static_cast<size_t>(y) * pitch + x] = mx;
        warpPlaneY(data(), pitch, height)[static_cast<size_t>(y) * pitch + x] = my;
    }
    int16_t x(int x, int y) { return entries[static_cast<size_t>(y) * pitch + x]; }
    int16_t y(int x, int y) { return warpPlaneY(data(), pitch, height)[static_cast<size_t>(y) * pitch + x]; }
};

// Source pixels chosen so that each tap shows in the result.
GuardedBuffer warpSource() {
    GuardedBuffer s(4, 3, 0);
    s.at(2, 1) = 0xFE0000;   // rounded tap
    s.at(1, 1) = 0x00FC00;   // column neighbour
    s.at(2, 2) = 0x0000F8;   // row neighbour
    s.at(1, 2) = 0xF0F0F0;   // diagonal (fading only)
    s.at(-1, -1) = 0x800000;
    s.at(0, -1) = 0x008000;
    s.at(-1, 0) = 0x000080;
    return s;
}

TEST(WarpAppliers, HalfPixelTapsWeighExactly) {
    GuardedBuffer src = warpSource();
    TestMap map(4, 3);
    map.set(0, 0, 24, 16);        // half pixels (3, 2): rounded (2, 1), neighbours column 1 and row 2
    map.set(1, 0, -16, -16);      // the margin above and left
    map.set(2, 0, 30000, 16);     // past the right edge: held at the last column's half pixel
    struct Case {
        bool fading;
        Pixel atSample, atMargin, atEdge;
    } cases[] = {
        // 1/2 (2,1) + 1/4 (2,2) + 1/4 (1,1); the margin; 1/4 of (2, 1) beside column 3
        {false, 0x7F0000 + 0x00003E + 0x003F00, 0x400000 + 0x000020 + 0x002000, 0x3F0000},
        // 1/2 (2,1) + 1/4 (1,1) + 1/8 (2,2) + 1/16 (1,2)
        {true, 0x7F0000 + 0x003F00 + 0x00001F + 0x0F0F0F, 0x400000 + 0x002000 + 0x000010, 0x3F000F},
    };
    for (const Case& c : cases) {
        GuardedBuffer dst(4, 3, 0xABCDEF);
        (c.fading ? applyWarpMapFading : applyWarpMap)(dst.pixels(), src.pixels(), map.data(), map.pitch, 4, 3);
        EXPECT_EQ(dst.at(0, 0), c.atSample) << c.fading;
        EXPECT_EQ(dst.at(1, 0), c.atMargin) << c.fading;
        EXPECT_EQ(dst.at(2, 0), c.atEdge) << c.fading;
        EXPECT_TRUE(dst.marginIntact(0xABCDEF));
    }
}

TEST(WarpAppliers, CrossFadeMovesTheSamplePointByTheWeight) {
    GuardedBuffer src(8, 2, 0);
    for (int x = 0; x < 8; ++x) src.at(x, 0) = static_cast<Pixel>(x * 32) << 16;
    TestMap oldMap(8, 2), newMap(8, 2);
    oldMap.set(0, 0, 0, 0);      // half pixel 0
    newMap.set(0, 0, 64, 0);     // half pixel 8
    // Half pixel h = weight x 8 / 256: 1/2 of its rounded column, 1/4 of the other.
    struct Case {
        int weight;
        Pixel red;
    } cases[] = {{0, 8}, {128, 32 + 24}, {255, 64 + 24}};
    for (const Case& c : cases) {
        GuardedBuffer dst(8, 2, 0);
        blendWarpMaps(dst.pixels(), src.pixels(), oldMap.data(), newMap.data(), c.weight, oldMap.pitch, 8, 2);
        EXPECT_EQ(dst.at(0, 0), c.red << 16) << c.weight;
    }
}

TEST(WarpAppliers, BrightnessTestSamplesTheMiddle) {
    GuardedBuffer bright(40, 30, 0xC8C8C8), dark(40, 30, 0x969696);
    crtSrand(3);
    EXPECT_EQ(chooseWarpApplier(bright.pixels(), bright.pitch(), 40, 30, 150), 1);
    EXPECT_EQ(chooseWarpApplier(dark.pixels(), dark.pitch(), 40, 30, 150), 0);   // 150 is not above 150
    GuardedBuffer tiny(1, 1, 0xFFFFFF);
    EXPECT_EQ(chooseWarpApplier(tiny.pixels(), tiny.pitch(), 1, 1, 150), 1);
}

// warpStep builds B 24 rows a frame and swaps only on a beat once B is whole;
// without beats the first map stays.
TEST(WarpStep, SwapsOnlyOnABeatAfterTheNextMapIsComplete) {
    GuardedBuffer a(40, 48), b(40, 48);
    EffectParams p{};
    aimAnimationRecord(p, a, b);
    AnimationTestPool::get().reset(4);
    crtSrand(2);
    warpRow<9>(&p);
    Pixel* const first = p.buffers[0];
    Pixel* const second = p.buffers[1];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(warpState(&p).warpBuildRow, 24);
    p.firstFrame = 0;
    p.beat = 1;   // B has rows 0-23 only: no swap yet
    warpRow<9>(&p);
    EXPECT_EQ(p.buffers[0], first);
    p.beat = 0;
    for (int i = 0; i < 5; ++i) warpRow<9>(&p);
    EXPECT_EQ(p.buffers[0], first);
    EXPECT_GT(warpState(&p).warpBuildRow, 48);
    p.beat = 1;
    warpRow<9>(&p);
    EXPECT_EQ(p.buffers[0], second);
    EXPECT_EQ(p.buffers[1], first);
    EXPECT_EQ(warpState(&p).warpBuildRow, 24);
    EXPECT_EQ(warpState(&p).warpNewMap, 0);
}

// With no room in the pool the warp rows leave the previous layer as it was.
TEST(WarpStep, WithoutMapsTheLayerStandsStill) {
    GuardedBuffer a(40, 30), b(40, 30);
    a.fillPattern(3);
    EffectParams p{};
    aimAnimationRecord(p, a, b);
    AnimationTestPool::get().reset(1);   // one map fits, two do not
    warpRow<3>(&p);
    EXPECT_TRUE(b.sameVisible(a));
    SmartEffect(&p);
    EXPECT_TRUE(b.sameVisible(a));
}

// A record whose warp words are set, for calling builders directly.
struct BuilderRun {
    EffectParams p{};
    GuardedBuffer a{8, 8}, b{8, 8};
    BuilderRun() {
        aimAnimationRecord(p, a, b);
        AnimationTestPool::get().reset(4);
        WarpState& s = warpState(&p);
        for (int i = 0; i < 10; ++i) s.warpRandom[i] = 1234 * (i + 1);
        s.warpNewMap = 1;
    }
};

TEST(WarpMaps, DandyKeepsTheCentreAndPullsTheRestIn) {
    BuilderRun run;
    const int w = 64, h = 48;
    TestMap map(w, h);
    runWarpMapGenerator(9, map.data(), map.pitch, w, h, 0, h, &run.p);
    EXPECT_EQ(map.x(32, 24), 16 * 32);
    EXPECT_EQ(map.y(32, 24), 16 * 24);
    EXPECT_LT(std::abs(map.x(0, 0) - 16 * 32), 16 * 32);   // far pixels sample near the centre
}

TEST(WarpMaps, MagicStretchMirrorsFourWays) {
    BuilderRun run;
    const int w = 64, h = 48;
    TestMap map(w, h);
    runWarpMapGenerator(13, map.data(), map.pitch, w, h, 0, h, &run.p);
    for (int d = 1; d < 20; ++d) {
        EXPECT_EQ(map.x(32 + d, 10), map.x(32 - d, 10)) << d;
        EXPECT_EQ(map.y(5, 24 + d), map.y(5, 24 - d)) << d;
    }
}

TEST(WarpMaps, BuildersFillOnlyTheirRowsAndStoreOnlyReachablePositions) {
    const int w = 67, h = 41;
    for (int type = 0; type < kWarpMapTypes; ++type) {
        BuilderRun run;
        TestMap map(w, h);
        std::fill(map.entries.begin(), map.entries.end(), int16_t{0x5A5A});
        runWarpMapGenerator(type, map.data(), map.pitch, w, h, h + 1, h + 30, &run.p);
        for (int16_t e : map.entries) ASSERT_EQ(e, 0x5A5A) << "type " << type << ": a first row past the height";
        runWarpMapGenerator(type, map.data(), map.pitch, w, h, 10, 20, &run.p);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int16_t mx = map.x(x, y), my = map.y(x, y);
                if (y < 10 || y >= 20) {
                    ASSERT_EQ(mx, 0x5A5A) << "type " << type << " row " << y;
                    continue;
                }
                const bool stored = mx >= 0 && mx < 16 * w - 16 && my >= 0 && my < 16 * h - 16;
                ASSERT_TRUE(stored || (mx == -16 && my == -16)) << "type " << type << " at " << x << "," << y;
            }
    }
}

// The palettes are whole channels: "Plasma7"'s red and blue half a turn
// apart, green a quarter turn on.
// The angle tables of the flower, stretched flower and Tavia maps are filled
// without a library call per entry; every entry must still be the library's
// own: every petal count, every lobe count (odd and even) at the amplitude's
// ends, at the engine's sizes, odd sizes and tiny frames.
TEST(WarpMaps, AngleTablesEqualTheLibrarysEntries) {
    const std::pair<int32_t, int32_t> sizes[] = {{800, 600}, {641, 479}, {67, 41}, {1, 1}, {2, 3}};
    std::vector<WarpState> states;
    for (int32_t petals = 0; petals < 16; ++petals) {
        WarpState s{};
        s.warpRandom[1] = petals;
        states.push_back(s);
    }
    for (int32_t lobes = 8; lobes < 40; ++lobes)
        for (int32_t amplitude : {4096, 12287}) {
            WarpState s{};
            s.angleLobes = lobes;
            s.angleAmplitude = amplitude;
            states.push_back(s);
        }
    for (auto [w, h] : sizes) {
        std::vector<int16_t> table(static_cast<size_t>(w) * h);
        for (int32_t kind = 0; kind < 3; ++kind)
            for (const WarpState& s : states) {
                if (kind != 1 && s.angleLobes != 0) continue;
                if (kind == 1 && s.angleLobes == 0) continue;
                if (kind == 2 && s.warpRandom[1] != 0) continue;
                fillWarpAngleTable(kind, s, table.data(), w, w, h);
                int32_t wrong = 0;
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x)
                        wrong += table[static_cast<size_t>(y) * w + x] != warpAngleEntry(kind, s, x - w / 2, y - h / 2);
                EXPECT_EQ(wrong, 0) << w << "x" << h << ", kind " << kind << ", petals word " << s.warpRandom[1]
                                    << ", lobes " << s.angleLobes << ", amplitude " << s.angleAmplitude;
            }
    }
}

TEST(PlasmaGenerators, CosinePaletteChannels) {
    GuardedBuffer layer(16, 12);
    const Rect clip{0, 0, 16, 12};
    crtSrand(1);
    drawPlasma7(layer.pixels(), layer.pitch(), &clip, 0, 0, 1);
    EXPECT_EQ(plasmaPalette[0], 0xFF8001u);
    EXPECT_EQ(plasmaPalette[64], 0x80FE7Fu);    // truncation: sin just under 1 gives 254
    EXPECT_EQ(plasmaPalette[128], 0x0180FEu);
}

// Under silence the accumulators stand still, so the backgrounds that are pure
// functions of them repeat; "Plasma" keeps drifting, its step being (0 - 60) / 4.
TEST(PlasmaGenerators, SilenceStopsAllButPlasma) {
    struct Case {
        PlasmaGenerator generator;
        bool moves;
    } cases[] = {{drawFantasy, false}, {drawFantasy2, false}, {drawPlasma5, false}, {drawPlasma8, false},
                 {drawPlasma, true}};
    const Rect clip{0, 0, 40, 30};
    for (const Case& c : cases) {
        resetPlasmaGenerators();
        crtSrand(9);
        GuardedBuffer first(40, 30), second(40, 30);
        c.generator(first.pixels(), first.pitch(), &clip, 0, 0, 1);
        c.generator(first.pixels(), first.pitch(), &clip, 0, 0, 0);
        c.generator(second.pixels(), second.pitch(), &clip, 0, 0, 0);
        EXPECT_EQ(!second.sameVisible(first), c.moves) << (&c - cases);
    }
}

TEST(PlainEffects, IntegerRowsGoldenValues) {
    GuardedBuffer src(3, 2, 0xFFFFFF), dst(3, 2, 0);
    EffectParams p{};
    aimAnimationRecord(p, src, dst);
    applyFadeOut(&p);
    EXPECT_EQ(dst.at(1, 1), 0xE1E1E1u);   // (255 >> 4) x 15
    p.beat = 1;
    applyColorFadeOut(&p);                // step 0: 29, 31, 31 out of 32
    EXPECT_EQ(dst.at(0, 0), 0xE7F7F7u);
    EXPECT_EQ(p.stateWords[0], 1);        // the beat moves on after the frame
    p.firstFrame = 0;
    applyColorFadeOut(&p);                // step 1: 29, 29, 31
    EXPECT_EQ(dst.at(0, 0), 0xE7E7F7u);

    // "Color" on its first counted frame: every corner at the cosine's top
    // (256) is held to 255 instead of carrying into the next channel.
    p.frameCounter = 0;
    applyColor(&p);
    EXPECT_EQ(dst.at(2, 1), 0xFFFFFFu);
    EXPECT_EQ(p.frameCounter, 1);
}

TEST(PlainEffects, WaterRipplesEachChannel) {
    GuardedBuffer src(3, 3, 0), dst(3, 3, 0);
    src.at(0, 1) = 0x808080;
    src.at(2, 1) = 0x808080;
    src.at(1, 0) = 0x100000;
    dst.at(1, 1) = 0x010203;   // two frames ago
    EffectParams p{};
    aimAnimationRecord(p, src, dst);
    applyWater(&p);
    // red (0x80 + 0x80 + 0x10) / 2 - 1 = 0x87, green 0x80 - 2, blue 0x80 - 3
    EXPECT_EQ(dst.at(1, 1), 0x877E7Du);
}

// Silence: the "Plasma" animation shrinks to a disc of radius 1, the single
// centre pixel.
TEST(PlasmaAnimations, SilentDiscIsOnePixel) {
    resetPlasmaAnimations();
    crtSrand(5);
    GuardedBuffer layer(40, 30, 0x123456);
    const Rect clip{0, 0, 40, 30};
    drawPlasmaAnimation(layer.pixels(), layer.pitch(), &clip, 0, 0, 1);
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (layer.at(x, y) != 0x123456) {
                ++changed;
                EXPECT_EQ(x, 20);
                EXPECT_EQ(y, 15);
            }
    EXPECT_LE(changed, 1);
    EXPECT_TRUE(layer.marginIntact(0x123456));
}

// "Plasma_3D_Mountain": a loud beat pushes the heights towards the viewer
// (negative), and without a beat every height sinks by 1/64 a frame.
TEST(PlasmaAnimations, MountainBumpSinksBy64thsWithoutBeats) {
    resetPlasmaAnimations();
    GuardedBuffer a(64, 50), b(64, 50);
    EffectParams p{};
    aimAnimationRecord(p, a, b);
    AnimationTestPool::get().reset(4);
    p.level = 255;
    p.beat = 1;
    crtSrand(6);
    drawPlasma3D(&p, 2);
    ASSERT_NE(p.buffers[0], nullptr);
    const int32_t* heights = reinterpret_cast<const int32_t*>(p.buffers[0] + 64 * 10);   // after the texture
    std::vector<int32_t> bumped(heights, heights + 16 * 32);
    EXPECT_LT(*std::min_element(bumped.begin(), bumped.end()), -100);
    EXPECT_LE(*std::max_element(bumped.begin(), bumped.end()), 0);
    p.firstFrame = 0;
    p.beat = 0;
    drawPlasma3D(&p, 2);
    for (int i = 0; i < 16 * 32; ++i) ASSERT_EQ(heights[i], bumped[i] * 63 / 64) << i;
}

}  // namespace
