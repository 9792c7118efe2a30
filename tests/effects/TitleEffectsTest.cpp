// The title motions, the shared title drawing routines and the title effect
// bodies on small synthetic titles: timing of the motions, exact values of the
// integer routines, and the behaviours each effect promises.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <tuple>
#include <vector>

#include "CG/CGDraw.h"
#include "CG/CGEffects.h"
#include "CG/CGMotion.h"
#include "CG/TitleTable.h"
#include "engine/ScratchPool.h"
#include "render/MaskRelief.h"
#include "tests/support/TestSupport.h"

namespace {

using vt_test::GuardedBuffer;

constexpr Pixel kInk = 0x00C08040;
constexpr Pixel kBackground = 0x00203040;

// A title record over a frame, with a synthetic title image: a bar of ink with
// a notch, two character boxes, the margin of the real images.
class TitleScene {
public:
    TitleScene(int32_t width, int32_t height, int32_t iw = 48, int32_t ih = 40, int32_t duration = 4000)
        : frame(width, height, kBackground), image(static_cast<size_t>(iw) * ih, 0) {
        for (int32_t y = 16; y < ih - 16; ++y)
            for (int32_t x = 16; x < iw - 16; ++x)
                if (!(x == 24 && y == 20)) image[static_cast<size_t>(y) * iw + x] = kInk;
        rects[0] = Rect{16, 16, 16 + (iw - 32) / 2, ih - 16};
        rects[1] = Rect{rects[0].right, 16, iw - 16, ih - 16};
        layout = TitleCharLayout{rects, 2};
        std::memset(&p, 0, sizeof p);
        p.destination = frame.pixels();
        p.rect = Rect{0, 0, width, height};
        p.pitch = frame.pitch();
        p.width = width;
        p.height = height;
        p.duration = duration;
        p.firstFrame = 1;
        p.acquireBuffer = scratchAcquire;
        p.keepBuffer = scratchKeep;
        p.clearBuffer = scratchClear;
        TitleFields& t = p.state.title;
        t.titlePixels = image.data();
        t.titleSize = iw << 16 | ih;
        t.titleCenter = TitlePoint{width / 2, height / 2};
        t.titleCharRects = &layout;
        t.titleColor = 0x000000FF;   // red
        t.titleFontSize = 100;
    }
    // One frame of `body` at `progress`; the first call is the title's first frame.
    template <class Body>
    void run(Body body, float progress) {
        scratchFrameStart();
        p.progress = progress;
        body(&p);
        p.firstFrame = 0;
        scratchFrameEnd();
    }
    int32_t changedPixels() const {
        int32_t n = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) n += frame.at(x, y) != kBackground;
        return n;
    }
    GuardedBuffer frame;
    std::vector<Pixel> image;
    Rect rects[2];
    TitleCharLayout layout;
    EffectParams p;
};

class TitleEffects : public ::testing::Test {
protected:
    void SetUp() override { scratchInit(); }
};

// ---- Motions ---------------------------------------------------------------

TitleScene motionScene(int32_t duration) {
    TitleScene s(640, 480, 100, 50, duration);
    s.p.state.title.titleCenter = TitlePoint{320, 240};
    return s;
}

TEST_F(TitleEffects, MotionEntersHoldsAndLeavesOnTime) {
    TitleScene s = motionScene(4000);
    auto linLout = [](EffectParams* p) { moveTitleBox(p, 0, 500, 0, 500); };
    s.run(linLout, 0.0f);
    const TitlePoint entry = s.p.state.title.titleMotionPath[1], exit = s.p.state.title.titleMotionPath[2];
    EXPECT_LT(entry.x + 50, 0);   // wholly left of the frame
    EXPECT_EQ(entry.y, 240);
    EXPECT_EQ(exit.x, entry.x);
    EXPECT_EQ(s.p.state.title.titleCenter.x, entry.x);
    s.run(linLout, 0.0625f);   // 250 ms
    EXPECT_EQ(s.p.state.title.titleCenter.x, entry.x + 250 * (320 - entry.x) / 500);
    for (float progress : {0.125f, 0.5f, 0.875f}) {   // 500, 2000, 3500 ms
        s.run(linLout, progress);
        EXPECT_EQ(s.p.state.title.titleCenter.x, 320) << progress;
    }
    s.run(linLout, 0.9375f);   // 3750 ms: half way out
    EXPECT_EQ(s.p.state.title.titleCenter.x, exit.x + 250 * (320 - exit.x) / 500);
}

TEST_F(TitleEffects, ShortTitleNeverRests) {
    TitleScene s = motionScene(600);
    auto tinBout = [](EffectParams* p) { moveTitleBox(p, 90, 500, 270, 500); };
    s.run(tinBout, 0.0f);
    s.run(tinBout, 299.0f / 600);
    EXPECT_LT(s.p.state.title.titleCenter.y, 240);   // still coming down from the top
    s.run(tinBout, 0.5f);
    EXPECT_EQ(s.p.state.title.titleCenter.y, 240);
    s.run(tinBout, 302.0f / 600);
    EXPECT_GT(s.p.state.title.titleCenter.y, 240);   // already leaving through the bottom
}

TEST_F(TitleEffects, LeftScrollCrossesTheMiddleAtHalfLife) {
    TitleScene s = motionScene(10000);
    auto scroll = [](EffectParams* p) { TitleMotionTable[13].row.entry(p); };
    s.run(scroll, 0.0f);
    EXPECT_GT(s.p.state.title.titleCenter.x - 50, 640);
    s.run(scroll, 0.25f);
    EXPECT_GT(s.p.state.title.titleCenter.x, 320);
    s.run(scroll, 0.5f);
    EXPECT_EQ(s.p.state.title.titleCenter.x, 320);
    s.run(scroll, 0.75f);
    EXPECT_LT(s.p.state.title.titleCenter.x, 320);
}

TEST_F(TitleEffects, OffscreenPointClearsImagesLargerThanTheFrame) {
    for (int angle : {0, 90, 180, 270, 45}) {
        int32_t x = 320, y = 240;
        offscreenPoint(&x, &y, 2000, 1000, 640, 480, (angle - 180) * 3.14159265f / 180);
        const bool outside = x + 1000 < 0 || y + 500 < 0 || x - 1000 > 640 || y - 500 > 480;
        EXPECT_TRUE(outside) << angle << ": " << x << ", " << y;
    }
}

// ---- Drawing routines ------------------------------------------------------

TEST_F(TitleEffects, ClipCenteredBox) {
    Rect r{};
    ASSERT_EQ(clipCenteredBox(&r, -49, 10, 100, 50, 640, 480), 1);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1);
    EXPECT_EQ(r.bottom, 35);
    EXPECT_EQ(clipCenteredBox(&r, -51, 10, 100, 50, 640, 480), 0);
    EXPECT_EQ(clipCenteredBox(&r, 320, 505, 100, 50, 640, 480), 0);
}

TEST_F(TitleEffects, TintsAndBlendsExactly) {
    GuardedBuffer b(8, 8, 0x00204060);
    tintRectHalf(b.pixels(), Rect{0, 0, 2, 2}, b.pitch(), 0x7F7F7F);
    EXPECT_EQ(b.at(1, 1), 0x004F5F6Fu);
    EXPECT_EQ(b.at(2, 2), 0x00204060u);
    tintRectBlend(b.pixels(), Rect{2, 2, 3, 3}, b.pitch(), 0x00FFFFFF, 0.25f);   // pixel weight 64
    EXPECT_EQ(b.at(2, 2), static_cast<Pixel>(((255 * 192 + 0x20 * 64) >> 8) << 16 | ((255 * 192 + 0x40 * 64) >> 8) << 8 |
                                             ((255 * 192 + 0x60 * 64) >> 8)));
    GuardedBuffer narrow(8, 8, 0x00204060);
    tintRectGradient(narrow.pixels(), Rect{0, 0, 3, 8}, narrow.pitch(), 0xFFFFFF, 0);
    EXPECT_EQ(narrow.checksum(), GuardedBuffer(8, 8, 0x00204060).checksum());
    tintRectGradient(narrow.pixels(), Rect{0, 0, 8, 8}, narrow.pitch(), 0xFFFFFF, 0);
    EXPECT_EQ(narrow.at(0, 0), 0x00FFFFFFu);   // full colour at the left edge
    EXPECT_LT(narrow.at(7, 0) & 0xFF, 0x80u);  // almost the pixel at the right

    const Pixel src[4] = {0x00808080, 0, 0x00FF0000, 0x00010203};
    GuardedBuffer d(4, 4, 0x00404040);
    blendTitleHalf(d.pixels(), src, 1, 1, Rect{0, 0, 2, 2}, d.pitch(), 2, 4, 4);
    EXPECT_EQ(d.at(0, 0), 0x00606060u);
    EXPECT_EQ(d.at(1, 0), 0x00404040u);   // transparent
    EXPECT_EQ(d.at(0, 1), 0x009F2020u);
    addTitleImage(d.pixels(), src, 1, 1, Rect{0, 0, 2, 2}, d.pitch(), 2, 4, 4);
    EXPECT_EQ(d.at(0, 1), 0x00FF2020u);
    EXPECT_EQ(d.at(1, 1), 0x00212324u);   // the halved frame plus the source
}

TEST_F(TitleEffects, ZoomAndRotationAtRestReproduceTheImage) {
    TitleScene s(80, 60);
    const Rect all{0, 0, 48, 40};
    drawTitleNone(&(s.p));   // reference: the plain keyed image
    const uint64_t plain = s.frame.checksum();
    auto fresh = [&] { s.frame.fill(kBackground); };

    fresh();
    zoomTitleImage(s.frame.pixels(), s.image.data(), 40, 30, all, s.frame.pitch(), 48, 80, 60, 1.0f, 1.0f);
    EXPECT_EQ(s.frame.checksum(), plain);
    fresh();
    zoomTitleImage(s.frame.pixels(), s.image.data(), 40, 30, all, s.frame.pitch(), 48, 80, 60, 0.0f, 1.0f);
    EXPECT_EQ(s.changedPixels(), 0);

    auto checkAtRest = [&](const char* what) {
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const int ix = x - 16, iy = y - 10;
                // Interior ink comes back exactly; nothing lands away from the ink.
                if (ix > 16 && ix < 31 && iy > 16 && iy < 23 && std::abs(ix - 24) > 1 && std::abs(iy - 20) > 1) {
                    EXPECT_EQ(s.frame.at(x, y), kInk) << what << " " << x << "," << y;
                }
                if (ix < 14 || ix > 33 || iy < 14 || iy > 25) {
                    EXPECT_EQ(s.frame.at(x, y), kBackground) << what << " " << x << "," << y;
                }
            }
    };
    fresh();
    rotateTitleImageAlpha(s.frame.pixels(), s.image.data(), 40, 30, all, s.frame.pitch(), 48, 80, 60, 0.0f, 1.0f, 1.0f);
    checkAtRest("alpha");
    const Rect box{40 - 24, 30 - 20, 40 + 24, 30 + 20};
    fresh();
    rotateTitleImageY(s.frame.pixels(), s.image.data(), s.frame.pitch(), 48, box, all, 80, 60, 0.0f, 1.0f, 1.2f);
    checkAtRest("Y");
    fresh();
    rotateTitleImageX(s.frame.pixels(), s.image.data(), s.frame.pitch(), 48, box, all, 80, 60, 0.0f, 1.0f, 1.2f);
    checkAtRest("X");
}

// ---- Effect bodies ---------------------------------------------------------

TEST_F(TitleEffects, SomeStretchesTheSplitColumn) {
    TitleScene s(100, 60, 200, 40, 4000);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 200; ++x) s.image[static_cast<size_t>(y) * 200 + x] = (y == 5) ? 0 : 0x00010000u * (x + 1);
    s.p.state.title.titleCenter = TitlePoint{100, 30};   // image from frame x 0
    s.run([](EffectParams* p) { drawTitleSome(p, 0.001f); }, 0.125f);   // 500 ms: x = 0.5
    // The split lies at image column 100: the frame shows columns 0..99 as they are.
    EXPECT_EQ(s.frame.at(50, 30), 0x00010000u * 51);
    EXPECT_EQ(s.frame.at(99, 30), 0x00010000u * 100);
    EXPECT_EQ(s.frame.at(99, 15), kBackground);   // a row whose pixels are 0
}

TEST_F(TitleEffects, NegativeBlinksOnItsPeriod) {
    for (auto [ms, negative] : {std::pair{100, false}, {200, true}, {399, true}, {400, false}, {600, true}}) {
        TitleScene s(80, 60, 48, 40, 1000);
        s.run([](EffectParams* p) { drawTitleNegative(p, 200); }, ms / 1000.0f);
        EXPECT_EQ(s.frame.at(40 - 24 + 20, 30 - 20 + 18), negative ? (kInk ^ 0xFFFFFFu) : kInk) << ms;
    }
}

TEST_F(TitleEffects, AlphaFastInFadesOverHalfASecond) {
    for (auto [ms, expected] : {std::pair{250, ((kBackground >> 1) & 0x7F7F7F) + ((kInk >> 1) & 0x7F7F7F)},
                                {2000, kInk}, {3750, ((kBackground >> 1) & 0x7F7F7F) + ((kInk >> 1) & 0x7F7F7F)}}) {
        TitleScene s(80, 60);
        s.run([](EffectParams* p) { drawTitleAlphaFade(p, 0.002f); }, ms / 4000.0f);
        EXPECT_EQ(s.frame.at(36, 28), expected) << ms;
    }
}

TEST_F(TitleEffects, FrameNoSrcLaysAPlateAroundTheText) {
    TitleScene s(80, 60);
    s.p.state.title.titleColor = 0x00FF8040;   // blue 0xFF, green 0x80, red 0x40
    s.run(drawTitleFrameNoSrc, 0.5f);
    const Pixel plate = ((0x004080FFu >> 2) & 0x3F3F3F) * 3;
    EXPECT_EQ(s.frame.at(20, 15), plate + ((kBackground >> 2) & 0x3F3F3F));
    EXPECT_EQ(s.frame.at(36, 28), kBackground);   // under the ink
}

TEST_F(TitleEffects, Dest3DColorOnBlackIsHalfLightAndColour) {
    TitleScene s(80, 60);
    s.frame.fill(0);
    s.p.state.title.titleColor = 0x00FFFFFF;
    s.run([](EffectParams* p) { drawTitleDest3D(p, 2, 1); }, 0.0f);
    int checked = 0;
    for (int y = 10; y < 50; ++y)
        for (int x = 16; x < 64; ++x) {
            const Pixel w = s.image[static_cast<size_t>(y - 10) * 48 + (x - 16)];
            if (!w) continue;
            const Pixel light = (w >> 8) & 255, c = (light + 255) / 2;
            EXPECT_EQ(s.frame.at(x, y), c << 16 | c << 8 | c) << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 50);
}

TEST_F(TitleEffects, CircularLight2ShowsOnlyTheLights) {
    TitleScene s(120, 80, 80, 60);
    s.frame.fill(0);
    s.run([](EffectParams* p) { TitleEffectTable[50].row.entry(p); }, 0.0f);
    ASSERT_STREQ(TitleEffectTable[50].row.name, "CircularLight2");
    std::set<Pixel> seen;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) seen.insert(s.frame.at(x, y));
    EXPECT_EQ(seen, (std::set<Pixel>{0, 0x00FF0000}));
    EXPECT_GT(s.p.state.title.titleEffectWords[0], 0);   // outlines traced
}

TEST_F(TitleEffects, CircularLightIgnoresTinyOutlines) {
    TitleScene s(80, 60);
    std::fill(s.image.begin(), s.image.end(), 0);
    s.image[20 * 48 + 20] = kInk;   // one dot: an outline of one point
    s.run([](EffectParams* p) { drawTitleCircularLight(p, 1, 1, 0); }, 0.0f);
    EXPECT_EQ(s.changedPixels(), 1);
}

TEST_F(TitleEffects, WavesAreFlatAtTheEnds) {
    TitleScene reference(80, 60);
    drawTitleNone(&reference.p);
    for (int axis = 0; axis < 3; ++axis) {
        TitleScene s(80, 60);
        s.p.state.title.titleFontSize = 1000;   // a strong wave in mid-life
        s.run([axis](EffectParams* p) { drawTitleWave(p, axis, 600, 5); }, 0.0f);
        EXPECT_EQ(s.frame.checksum(), reference.frame.checksum()) << axis;
    }
}

TEST_F(TitleEffects, DancingAngleRunsOnButStandsStillOffFrame) {
    TitleScene s(80, 60);
    const int32_t before = danceAngle();
    s.run(drawTitleDancing, 0.5f);
    EXPECT_EQ(danceAngle(), before + 4);
    s.p.state.title.titleCenter = TitlePoint{-500, 30};
    s.run(drawTitleDancing, 0.6f);
    EXPECT_EQ(danceAngle(), before + 4);
}

TEST_F(TitleEffects, FlameColoursFollowTheKind) {
    EXPECT_EQ(recolourFlame(0x00102030, 0), 0x00081018u);
    EXPECT_EQ(recolourFlame(0x00102030, 1), 0x00181008u);
    EXPECT_EQ(recolourFlame(0x00102030, 5), 0x00180810u);
}

TEST_F(TitleEffects, WindStreaksStopShortOfTheFrameEdge) {
    for (int direction : {0, 1}) {
        TitleScene s(200, 60);
        s.frame.fill(0);
        s.image.assign(s.image.size(), 0x00FFFFFF);   // a bright block to blow from
        s.run([direction](EffectParams* p) { drawTitleWind(p, direction, 24); }, 0.5f);
        int lastLit = direction == 0 ? 0 : 199;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 60; ++y)
                if (s.frame.at(x, y)) lastLit = direction == 0 ? std::max(lastLit, x) : std::min(lastLit, x);
        // The image spans 76..123; streaks reach at most 100 columns beyond it.
        if (direction == 0) {
            EXPECT_GT(lastLit, 130);
            EXPECT_LE(lastLit, 123 + 100);
        } else {
            EXPECT_LT(lastLit, 70);
            EXPECT_GE(lastLit, 76 - 100);
        }
    }
}

TEST_F(TitleEffects, CharactersComeAndGoAroundAPlainMiddle) {
    TitleScene reference(120, 80);
    drawTitleNone(&reference.p);
    auto down = [](EffectParams* p) { drawTitleStretchEachDown(p, 2000, 0.8f, 2000, 0.8f, 0.5f); };
    auto up = [](EffectParams* p) { drawTitleStretchEachUp(p, 2000, 0.8f, 2000, 0.8f, 4.0f, 0.3f); };
    // 10 s: plain from 2 s to 8 s; 3 s: intro and outro meet at 1.5 s. With two
    // characters the second starts at 0.4 of the intro and settles at 0.6.
    for (auto [duration, ms, plain] : {std::tuple{10000, 2000, true}, {10000, 7999, true}, {10000, 1000, false},
                                       {10000, 9000, false}, {3000, 1500, true}, {3000, 700, false}}) {
        for (bool isDown : {true, false}) {
            TitleScene s(120, 80, 48, 40, duration);
            if (isDown)
                s.run(down, ms / static_cast<float>(duration));
            else
                s.run(up, ms / static_cast<float>(duration));
            EXPECT_EQ(s.frame.checksum() == reference.frame.checksum(), plain) << duration << " " << ms << " " << isDown;
        }
    }
    // Before any character has started nothing shows.
    TitleScene s(120, 80, 48, 40, 10000);
    s.run(down, 0.0f);
    EXPECT_EQ(s.changedPixels(), 0);
}

TEST_F(TitleEffects, FlamesStayCloseToTheLetters) {
    TitleScene s(160, 120, 48, 40, 4000);
    s.frame.fill(0);
    s.p.state.title.titleFontSize = 40;   // half-width 4, height unit 5
    s.run([](EffectParams* p) { drawTitleFire(p, 0, 4); }, 0.0f);
    s.run([](EffectParams* p) { drawTitleFire(p, 0, 4); }, 0.1f);
    // Ink spans frame columns 72..87 and rows 56..63 (image at 56..103, 40..79).
    int flames = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            if (!s.frame.at(x, y)) continue;
            EXPECT_TRUE(x >= 72 - 4 && x < 88 + 4 && y >= 56 - 10 && y < 64 + 2) << x << "," << y;
            flames += s.frame.at(x, y) != kInk;
        }
    EXPECT_GT(flames, 0);
}

// Every effect row draws something of a title standing in the middle of the
// frame at mid-life.
TEST_F(TitleEffects, EveryRowDrawsAStandingTitle) {
    for (int row = 0; row < titleTableCounts[3]; ++row) {
        TitleScene s(400, 300, 120, 60);
        for (size_t i = 0; i < s.image.size(); ++i)
            if (s.image[i]) s.image[i] = 0x00E0C0A0;
        s.run(TitleEffectTable[row].row.entry, 0.0f);
        for (float progress : {0.45f, 0.5f}) s.run(TitleEffectTable[row].row.entry, progress);
        EXPECT_GT(s.changedPixels(), 20) << TitleEffectTable[row].row.name;
    }
}

// ---- Every catalogue row ---------------------------------------------------

#include "tests/effects/TitleCatalogue.inc"

// Every style, position, motion and effect row stands with its name: a dropped
// family or a renamed row fails here.
TEST(TitleTables, EveryCatalogueRowStandsWithItsName) {
    ASSERT_EQ(titleTableCounts[0], static_cast<int>(std::size(kTitleStyleNames)));
    for (int i = 0; i < titleTableCounts[0]; ++i) EXPECT_STREQ(TitleStyleTable[i].name, kTitleStyleNames[i]) << i;
    EXPECT_EQ(titleTableCounts[1], 7);
    ASSERT_EQ(titleTableCounts[2], static_cast<int>(std::size(kTitleMotionNames)));
    for (int i = 0; i < titleTableCounts[2]; ++i) {
        EXPECT_EQ(TitleMotionTable[i].catalogueRow, i);
        EXPECT_STREQ(TitleMotionTable[i].row.name, kTitleMotionNames[i]) << i;
    }
    ASSERT_EQ(titleTableCounts[3], static_cast<int>(std::size(kTitleEffectNames)));
    for (int i = 0; i < titleTableCounts[3]; ++i) {
        EXPECT_EQ(TitleEffectTable[i].catalogueRow, i);
        EXPECT_STREQ(TitleEffectTable[i].row.name, kTitleEffectNames[i]) << i;
    }
}

}  // namespace
