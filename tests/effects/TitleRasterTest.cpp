// The title rasteriser through the platform's text seam (the built-in font
// natively, GDI under Wine): image size, layout, colour, placement, and the
// title tables' dispatch.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

#include "CG/CGEffect_Pre.h"
#include "CG/TitleLayout.h"
#include "CG/TitleStyles.h"
#include "CG/TitleTable.h"
#include "render/Platform.h"
#include "tests/support/TestSupport.h"

namespace {

// A title record as the runtime fills it for the first frame of a title.
class TitleRecord {
public:
    TitleRecord(int32_t width, int32_t height, const char* text, int32_t fontSize = 20,
                int32_t colorRef = 0x000000FF, int32_t position = 0)
        : canvas_(width, height) {
        std::memset(&p_, 0, sizeof p_);
        p_.destination = canvas_.pixels();
        p_.rect = Rect{0, 0, width, height};
        p_.pitch = canvas_.pitch();
        p_.width = width;
        p_.height = height;
        p_.firstFrame = 1;
        p_.duration = 2500;
        TitleFields& t = p_.state.title;
        t.titlePosition = position << 24;
        t.titleFont = &font_;
        t.titleFormat = 21;
        t.titleColor = colorRef;
        t.titleFontSize = fontSize;
        t.titleText = text;
    }
    ~TitleRecord() { platformDeleteImage(p_.state.title.titleBitmap); }
    TitleRecord(const TitleRecord&) = delete;
    TitleRecord& operator=(const TitleRecord&) = delete;

    EffectParams* params() { return &p_; }
    TitleFields& title() { return p_.state.title; }
    vt_test::GuardedBuffer& canvas() { return canvas_; }
    int32_t imageWidth() const { return static_cast<int32_t>(static_cast<uint32_t>(p_.state.title.titleSize) >> 16); }
    int32_t imageHeight() const { return p_.state.title.titleSize & 0xFFFF; }
    Pixel image(int32_t x, int32_t y) const { return p_.state.title.titlePixels[y * imageWidth() + x]; }

private:
    EffectParams p_;
    TextFont font_;   // no face name: the default font
    vt_test::GuardedBuffer canvas_;
};

struct Box {
    int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, lit = 0;
};

Box litBox(const TitleRecord& r) {
    Box b;
    for (int32_t y = 0; y < r.imageHeight(); ++y)
        for (int32_t x = 0; x < r.imageWidth(); ++x)
            if (r.image(x, y)) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x + 1);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y + 1);
                ++b.lit;
            }
    return b;
}

Rect measure(const char* text, int32_t fontSize, int32_t width, int32_t height) {
    int32_t dx = 0, dy = 0;
    platformTextResolution(nullptr, &dx, &dy);
    const TextFont f = titleDrawFont(nullptr, scaleTitleFontSize(width, height, fontSize), dx, dy);
    Rect r{0, 0, 0, 0};
    platformDrawText(nullptr, 0, 0, 0, text, static_cast<int32_t>(std::strlen(text)), f, 0, &r, kTextCalcRect);
    return r;
}

TEST(TitleRaster, DrawsTheTextInItsColourInsideTheMargin) {
    TitleRecord r(640, 480, "Glimmer", 50, 0x000000FF);   // COLORREF red
    EXPECT_EQ(renderTitleText(r.params(), kStyleStill), 1);
    TitleFields& t = r.title();
    EXPECT_EQ(t.titleFontSize, 100);
    ASSERT_NE(t.titlePixels, nullptr);
    ASSERT_NE(t.titleBitmap, nullptr);
    const Rect extent = measure("Glimmer", 50, 640, 480);
    EXPECT_EQ(r.imageWidth(), extent.right + 32);
    EXPECT_EQ(r.imageHeight(), extent.bottom + 32);
    const Box b = litBox(r);
    ASSERT_GT(b.lit, 30);
    EXPECT_GE(b.left, 16);
    EXPECT_GE(b.top, 16);
    EXPECT_LE(b.right, r.imageWidth() - 16);
    EXPECT_LE(b.bottom, r.imageHeight() - 16);
    EXPECT_LT(b.left, 16 + 8) << "text starts at the margin";
    int full = 0;
    for (int32_t y = 0; y < r.imageHeight(); ++y)
        for (int32_t x = 0; x < r.imageWidth(); ++x) {
            const Pixel p = r.image(x, y);
            EXPECT_EQ(p & 0xFF00FFFFu, 0u) << "only red (possibly darker at glyph edges): " << std::hex << p;
            full += p == 0x00FF0000u;
        }
    EXPECT_GT(full, 10);
    // Upper Left: the centre half the image plus 8 pixels in.
    EXPECT_EQ(t.titleCenter.x, r.imageWidth() / 2 + 8);
    EXPECT_EQ(t.titleCenter.y, r.imageHeight() / 2 + 8);
    // The record's character layout: one box per byte, in order along the line.
    ASSERT_NE(t.titleCharRects, nullptr);
    ASSERT_EQ(t.titleCharRects->count, 7);
    for (int i = 1; i < 7; ++i) EXPECT_EQ(t.titleCharRects->rects[i].left, t.titleCharRects->rects[i - 1].right);
    EXPECT_EQ(t.titleCharRects->rects[0].left, 16);
}

TEST(TitleRaster, OnlyTheFirstFrameRenders) {
    TitleRecord r(400, 300, "Once");
    r.params()->firstFrame = 0;
    EXPECT_EQ(renderTitleText(r.params(), kStyleShadow), 0);
    EXPECT_EQ(r.title().titlePixels, nullptr);
    EXPECT_EQ(r.title().titleFontSize, 20) << "the size is rescaled only when rendering";
}

TEST(TitleRaster, SecondLineBoxesLieWhereTheTextIsCentred) {
    TitleRecord r(640, 480, "AB\nC", 30);
    ASSERT_EQ(renderTitleText(r.params(), kStyleStill), 1);
    const TitleCharLayout* layout = r.title().titleCharRects;
    ASSERT_EQ(layout->count, 4);
    const Rect& a = layout->rects[0];
    const Rect& b = layout->rects[1];
    const Rect& c = layout->rects[3];
    EXPECT_EQ(a.top, 16);
    EXPECT_EQ(c.top, 16 + (a.bottom - a.top));
    // "C" centred under "AB".
    const int32_t firstLine = b.right - a.left, secondLine = c.right - c.left;
    EXPECT_EQ(c.left - a.left, (firstLine - secondLine) / 2);
    // The drawn "C" lies inside its box (give or take a pixel of glyph overhang).
    int32_t minX = 1 << 30, maxX = -1;
    for (int32_t y = c.top; y < c.bottom; ++y)
        for (int32_t x = 0; x < r.imageWidth(); ++x)
            if (r.image(x, y)) minX = std::min(minX, x), maxX = std::max(maxX, x);
    ASSERT_GE(maxX, 0) << "nothing drawn on the second line";
    EXPECT_GE(minX, c.left - 1);
    EXPECT_LE(maxX, c.right);
}

TEST(TitleRaster, DoubleByteTitleAndCutTitle) {
    TitleRecord hangul(640, 480, "\xC7\xD1\xB1\xDB A");   // two syllables of code page 949, a space, A
    ASSERT_EQ(renderTitleText(hangul.params(), kStyleStill), 1);
    EXPECT_EQ(hangul.title().titleCharRects->count, 4);

    // A title whose last character lost its trail byte ends at its terminator.
    const char cut[] = {'T', 'i', '\xC7', '\0', '\xD1', 'X', 'X', '\0'};
    TitleRecord r(640, 480, cut);
    ASSERT_EQ(renderTitleText(r.params(), kStyleStill), 1);
    EXPECT_EQ(r.title().titleCharRects->count, 3);
}

TEST(TitleRaster, LongestTitleGetsABoxPerByte) {
    const std::string text(150, 'w');
    TitleRecord r(800, 600, text.c_str(), 8);
    ASSERT_EQ(renderTitleText(r.params(), kStyleBlackFrame), 1);
    EXPECT_EQ(r.title().titleCharRects->count, kMaxTitleBytes);
    EXPECT_EQ(r.imageWidth(), measure(text.substr(0, kMaxTitleBytes).c_str(), 8, 800, 600).right + 32);
}

TEST(TitleRaster, EveryPositionCodeAndTheCorners) {
    for (int32_t code = 0; code < 7; ++code) {
        TitleRecord r(640, 480, "Pos", 20, 0xFFFFFF, code);
        ASSERT_EQ(renderTitleText(r.params(), kStyleStill), 1);
        const TitlePoint expected = placeTitle(code, 640, 480, r.imageWidth(), r.imageHeight(), TitlePoint{});
        EXPECT_EQ(r.title().titleCenter.x, expected.x) << code;
        EXPECT_EQ(r.title().titleCenter.y, expected.y) << code;
    }
}

TEST(TitleRaster, EveryStyleKeepsTheImageSizeAndTheMarginClear) {
    for (int32_t row = 0; row < titleTableCounts[0]; ++row) {
        TitleRecord r(640, 480, "Ag\nHi", 30, 0x0040C0FF);
        runTitleStyle(row, r.params());
        ASSERT_NE(r.title().titlePixels, nullptr) << row;
        const Box b = litBox(r);
        EXPECT_GT(b.lit, 20) << row;
        // Outline, rim and shadow styles reach a few pixels into the margin, the
        // halo eight, the box two from the edge; nothing touches the image border.
        EXPECT_GE(b.left, 1) << row;
        EXPECT_GE(b.top, 1) << row;
        EXPECT_LE(b.right, r.imageWidth() - 1) << row;
        EXPECT_LE(b.bottom, r.imageHeight() - 1) << row;
        for (int32_t y = 0; y < r.imageHeight(); ++y)
            for (int32_t x = 0; x < r.imageWidth(); ++x) ASSERT_EQ(r.image(x, y) >> 24, 0u) << row;
    }
}

// ---- Tables and dispatch ------------------------------------------------------

std::vector<std::string> calls;
template <int N>
void record(EffectParams*) {
    calls.push_back(std::to_string(N));
}

TEST(TitleTables, CountsAndNames) {
    EXPECT_EQ(titleTableCounts[0], 13);
    EXPECT_EQ(titleTableCounts[1], 7);
    EXPECT_EQ(titleTableCounts[2], 15);
    EXPECT_EQ(titleTableCounts[3], 68);
    EXPECT_STREQ(TitleStyleTable[0].name, "Still");
    EXPECT_STREQ(TitleStyleTable[11].name, "Neon");
    EXPECT_STREQ(TitleStyleTable[12].name, "ShadowOnly");
    EXPECT_STREQ(TitlePositionTable[4].name, "Bottom Left");
    for (int32_t i = 0; i < titleTableCounts[0]; ++i) EXPECT_EQ(TitleStyleTable[i].reserved, 0);
    // Motion and effect rows are in catalogue order and start with the plain rows.
    EXPECT_STREQ(TitleMotionTable[0].row.name, "Still");
    EXPECT_STREQ(TitleEffectTable[0].row.name, "None");
    for (int32_t i = 1; i < titleTableCounts[2]; ++i)
        EXPECT_GT(TitleMotionTable[i].catalogueRow, TitleMotionTable[i - 1].catalogueRow);
    for (int32_t i = 1; i < titleTableCounts[3]; ++i)
        EXPECT_GT(TitleEffectTable[i].catalogueRow, TitleEffectTable[i - 1].catalogueRow);
    const char* motions[] = {"Still",   "LinLout", "LinTout", "LinBout", "TinTout",    "TinLout",   "RinRout", "TinRout",
                             "RinTout", "RinBout", "BinBout", "BinLout", "BinRout", "LeftScroll", "UpScroll"};
    for (int32_t i = 0; i < titleTableCounts[2]; ++i) {
        EXPECT_EQ(TitleMotionTable[i].catalogueRow, i);
        EXPECT_STREQ(TitleMotionTable[i].row.name, motions[i]);
    }
    const char* effects[] = {
        "None", "3D_Post_Fast", "3D_Post_Slow", "3D_ScrollUp_Fast", "3D_ScrollUp_Slow", "3D_Flag", "3D_Flag2",
        "RedFire", "BlueFire", "GreenFire", "PurpleFire", "PinkFire", "CyanFire", "PassLine", "FrameAlpha",
        "FrameAlpha1", "FrameAlpha2", "FrameAlpha3", "FrameAlpha4", "FrameNoSrc", "FrameBlur", "FrameLight",
        "FrameKorea", "BackLight", "BackLight2", "Shining", "ShiningCircle", "Shadow", "Shadow2", "Light", "Plasma",
        "Color", "Negative_Fast", "Negative_Slow", "Alpha", "AlphaFastIn", "AlphaSlowIn", "Add", "DestReverse",
        "RotateX_Fast", "RotateX_Slow", "RotateY_Fast", "RotateY_Slow", "Some_Fast", "Some_Slow", "Wind_Right",
        "Wind_Left", "Dest3D", "Dest3DColor", "CircularLight", "CircularLight2", "ZoomFast", "ZoomSlow", "ZoomXFast",
        "ZoomXSlow", "ZoomYFast", "ZoomYSlow", "ZoomXYFast", "ZoomXYSlow", "Do_Ol_Fast", "Stretch_EachDown",
        "Stretch_EachUp", "Bbasaseo_Fast", "Bbasaseo_Slow", "Dancing", "WaveX", "WaveY", "WaveXY"};
    static_assert(std::size(effects) == 68);
    for (int32_t i = 0; i < titleTableCounts[3]; ++i) {
        EXPECT_EQ(TitleEffectTable[i].catalogueRow, i);
        EXPECT_STREQ(TitleEffectTable[i].row.name, effects[i]);
        EXPECT_EQ(TitleEffectTable[i].row.reserved, 0);
    }
}

TEST(TitleTables, MotionRunsBeforeTheEffect) {
    const TitleCatalogueRow motions[] = {{0, {"m0", 0, record<10>}}, {1, {"m1", 0, record<11>}}};
    const TitleCatalogueRow effects[] = {{0, {"e0", 0, record<20>}}, {1, {"e1", 0, record<21>}}};
    EffectParams p{};
    calls.clear();
    runTitleRows(motions, effects, 1, 0, &p);
    runTitleRows(motions, effects, 0, 1, &p);
    EXPECT_EQ(calls, (std::vector<std::string>{"11", "20", "10", "21"}));
}

TEST(TitleTables, AFrameOfStyleMotionAndEffectDrawsTheTitleAtItsPlace) {
    TitleRecord r(320, 240, "Hi", 60, 0x00FFFFFF, 6);
    r.canvas().fill(0);
    runTitleStyle(0, r.params());
    runTitleMotionEffect(0, 0, r.params());
    const TitleFields& t = r.title();
    ASSERT_NE(t.titlePixels, nullptr);
    const int32_t W = r.imageWidth(), H = r.imageHeight();
    EXPECT_EQ(t.titleCenter.x, 320 - W / 2 - 8);
    EXPECT_EQ(t.titleCenter.y, 240 - H / 2 - 8);
    // The canvas holds the image's lit pixels, keyed, at the centre.
    const int32_t left = t.titleCenter.x - W / 2, top = t.titleCenter.y - H / 2;
    int drawn = 0;
    for (int32_t y = 0; y < 240; ++y)
        for (int32_t x = 0; x < 320; ++x) {
            const bool inImage = x >= left && x < left + W && y >= top && y < top + H;
            const Pixel expected = inImage ? r.image(x - left, y - top) : 0;
            ASSERT_EQ(r.canvas().at(x, y), expected) << x << ", " << y;
            drawn += expected != 0;
        }
    EXPECT_GT(drawn, 10);
    EXPECT_TRUE(r.canvas().guardIntact());

    // Later frames keep the image and draw it again.
    Pixel* image = t.titlePixels;
    r.params()->firstFrame = 0;
    r.canvas().fill(0);
    runTitleStyle(0, r.params());
    runTitleMotionEffect(0, 0, r.params());
    EXPECT_EQ(t.titlePixels, image);
    EXPECT_EQ(r.canvas().at(left + W / 2, top + H / 2), r.image(W / 2, H / 2));
}

}  // namespace
