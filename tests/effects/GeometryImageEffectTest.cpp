// Geometry, Move and Stretch image effects on small pictures: where each output
// pixel is sampled from, the mirror weight's swing on the beat, and exact zoom
// blur sums (the shifts of negative offsets round down).
#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "Sfx/Image_Effect_Geometry.h"
#include "Sfx/Image_Effect_Light.h"
#include "Sfx/Image_Effect_Move.h"
#include "Sfx/Image_Effect_Stretch.h"
#include "tests/effects/ImageEffectFixture.h"

using namespace vt_test;

namespace {

constexpr Pixel kUntouched = 0x00ABCDEF;

// Each pixel tells where it is (channels in multiples of 16, so the blur shifts
// keep exact values).
void fillCoordinates(GuardedBuffer& b) {
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.at(x, y) = static_cast<Pixel>((x * 16) << 16 | (y * 16) << 8 | 0x40);
}

// canvas (x, y) == picture (sx(x), sy(y)) over the whole frame.
template <class SX, class SY>
void expectSampled(const EffectRun& t, SX sx, SY sy) {
    for (int y = 0; y < t.canvas.height(); ++y)
        for (int x = 0; x < t.canvas.width(); ++x)
            ASSERT_EQ(t.canvas.at(x, y), t.picture.at(sx(x), sy(y))) << x << "," << y;
}

TEST(GeometrySymetry, WeightSwingsOnTheBeatAndHoldsAtTheEnds) {
    EffectRun t(6, 2);
    fillCoordinates(t.picture);
    t.frame(applyGmSymetry2, 0, 0).frame(applyGmSymetry2, 0, 0);
    EXPECT_EQ(t.p.stateWords[1], 0);
    EXPECT_TRUE(t.canvas.sameVisible(t.picture));
    t.frame(applyGmSymetry2, 0, 1);
    EXPECT_EQ(t.p.stateWords[1], 1);
    for (int i = 0; i < 7; ++i) t.frame(applyGmSymetry2, 0, 0);
    // f = 8: own and mirror in equal parts, a left-right symmetric frame.
    EXPECT_EQ(t.p.stateWords[1], 8);
    EXPECT_EQ(t.canvas.at(0, 1), 0x281040u);   // red (0 + 80) / 2
    EXPECT_EQ(t.canvas.at(5, 1), t.canvas.at(0, 1));
    for (int i = 0; i < 20; ++i) t.frame(applyGmSymetry2, 0, 0);
    EXPECT_EQ(t.p.stateWords[1], 16);
    expectSampled(t, [](int x) { return 5 - x; }, [](int y) { return y; });
    t.frame(applyGmSymetry2, 0, 1);
    EXPECT_EQ(t.p.stateWords[1], 15);
}

TEST(GeometryMultiVision, FullLevelIsThePictureAndHalfLevelTilesIt) {
    EffectRun full(16, 12);
    fillCoordinates(full.picture);
    full.frame(applyGmMultiVision, 255);
    EXPECT_TRUE(full.canvas.sameVisible(full.picture));

    // z = 127: v = 512, two copies across and down, wrapped about the centre.
    EffectRun half(16, 12);
    fillCoordinates(half.picture);
    half.frame(applyGmMultiVision, 127);
    expectSampled(half, [](int x) { return ((2 * x - 8) % 16 + 16) % 16; },
                  [](int y) { return ((2 * y - 6) % 12 + 12) % 12; });
}

TEST(MoveScroll, ScrollsOnceRoundEitherWay) {
    struct Case {
        int direction;
        float progress;
        int shift;
    };
    const Case cases[] = {{0, 0.0f, 0}, {1, 0.0f, 0}, {0, 0.25f, 4}, {1, 0.25f, 12}, {0, 0.999f, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction * 10 + c.progress);
        EffectRun t(16, 5, kUntouched);
        fillCoordinates(t.picture);
        t.p.progress = c.progress;
        t.frame([&c](EffectParams* p) { applyMvScroll(p, c.direction); }, 0);
        expectSampled(t, [&c](int x) { return (x + c.shift) % 16; }, [](int y) { return y; });
    }
}

TEST(StretchUpDown, SilenceCopiesThePicture) {
    EffectRun t(33, 21);
    t.picture.fillPattern(12);
    t.frame(applyStUpDown, 0);
    EXPECT_TRUE(t.canvas.sameVisible(t.picture));
}

TEST(StretchZoomBlur, SilenceDimsByTheTotalWeightAndLeavesOddEdges) {
    EffectRun t(17, 13, kUntouched);
    t.picture.fillPattern(2);
    t.frame(applyStAlphaStretch, 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const Pixel p = t.picture.at(x, y);
            ASSERT_EQ(t.canvas.at(x, y), 3 * ((p >> 2) & 0x3F3F3F) + ((p >> 3) & 0x1F1F1F)) << x << "," << y;
        }
    for (int y = 0; y < 13; ++y) EXPECT_EQ(t.canvas.at(16, y), kUntouched);
    for (int x = 0; x < 17; ++x) EXPECT_EQ(t.canvas.at(x, 12), kUntouched);
}

TEST(StretchZoomBlur, FullLevelStreaksTowardTheCentre) {
    // k = 255 at the corner (dx -8, dy -6): the three layers sample (0, 0),
    // (1, 1) and (2, 2): the shifts of the negative offsets round down.
    EffectRun t(16, 12);
    fillCoordinates(t.picture);
    t.frame(applyStAlphaStretch, 255);
    EXPECT_EQ(t.canvas.at(0, 0), 0x0C0C38u);
    // The centre samples itself in every layer; 8 and 14 layers weigh in to 1.
    for (auto body : {applyStAlphaStretch8, applyStAlphaStretch16}) {
        EffectRun u(16, 12);
        u.picture.fill(0x808080);
        u.frame(body, 255);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) ASSERT_EQ(u.canvas.at(x, y), 0x808080u);
    }
}

// A caller's envelope mode that leaves the raw level alone (6) can hand a body
// any float: a level past 255 must not push a crop, a zoom-blur scale or the
// mosaic step past the picture (nor a NaN anywhere); it acts as 255 (NaN as 0).
TEST(LevelsOutOfRange, ActAsTheNearestLevelInRange) {
    void (*const bodies[])(EffectParams*) = {applyStUpDown,      applyStAlphaStretch, applyStAlphaStretch8,
                                             applyStAlphaStretch16, applyGmMultiVision, applyLtEmbossLight,
                                             applyLtCircleLight, applyLtRGBLight};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, float> pairs[] = {{1000.0f, 255.0f}, {-50.0f, 0.0f}, {nan, 0.0f}, {160.0f, 200.0f}};
    for (auto body : bodies) {
        for (auto [raw, held] : pairs) {
            EffectRun a(40, 30), b(40, 30);
            a.picture.fillPattern(21);
            b.picture.fillPattern(21);
            a.p.levelMode = b.p.levelMode = 6;
            a.frame(body, raw);
            b.frame(body, held);
            // 160 and 200 both drive the mosaic step past its coarsest (z + 1 <= 0).
            if (raw == 160.0f && body != applyGmMultiVision) continue;
            EXPECT_TRUE(a.canvas.sameVisible(b.canvas)) << raw;
        }
    }
}

}  // namespace
