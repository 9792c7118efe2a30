// The portable half of the title rasteriser: font size, font, layout walk and
// placement, measured with a synthetic fixed-pitch font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "CG/TitleLayout.h"

namespace {

// Every single byte 10 pixels wide, a two-byte character 18, lines 20 high; a
// line feed alone is measured as two empty lines and a carriage return as
// nothing, as DrawText does. Records
// every byte range asked for.
struct FixedFont {
    const char* begin = nullptr;
    const char* end = nullptr;   // first byte the walk may not read
    bool strayRead = false;
    std::vector<std::string> asked;

    static Rect measure(void* context, const char* text, int32_t length, int32_t x, int32_t y) {
        auto* f = static_cast<FixedFont*>(context);
        if (text < f->begin || text + length > f->end) f->strayRead = true;
        f->asked.emplace_back(text, static_cast<size_t>(length));
        int32_t width = 0, lines = 1, line = 0;
        for (int32_t i = 0; i < length; ++i) {
            const uint8_t c = static_cast<uint8_t>(text[i]);
            if (c == '\n') {
                ++lines;
                line = 0;
            } else if (c == '\r') {
                line = 0;
            } else if (c & 0x80 && i + 1 < length) {
                line += 18;
                ++i;
            } else {
                line += 10;
            }
            width = std::max(width, line);
        }
        return Rect{x, y, x + width, y + 20 * lines};
    }
};

std::vector<Rect> layOut(FixedFont& f, const char* text, int32_t length, uint32_t format, int32_t capacity = kMaxTitleBytes) {
    f.begin = text;
    f.end = text + length;
    std::vector<Rect> rects(static_cast<size_t>(capacity));
    const int32_t n = layOutTitleChars(text, length, format, FixedFont::measure, &f, rects.data(), capacity);
    rects.resize(static_cast<size_t>(n));
    return rects;
}

bool same(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(TitleLayout, TwoLinesGiveOneBoxPerByteWithTheShortLineCentred) {
    FixedFont f;
    const std::vector<Rect> r = layOut(f, "AB\nC", 4, 21);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_TRUE(same(r[0], Rect{16, 16, 26, 36}));
    EXPECT_TRUE(same(r[1], Rect{26, 16, 36, 36}));
    // The line feed starts the second line (offset by that line's centring).
    EXPECT_EQ(r[2].left, 16 + 5);
    EXPECT_EQ(r[2].top, 36);
    // "C" is centred under "AB": (20 - 10) / 2 = 5 pixels in.
    EXPECT_TRUE(same(r[3], Rect{21, 36, 31, 56}));
    EXPECT_FALSE(f.strayRead);
}

TEST(TitleLayout, LineOffsetFollowsTheAlignment) {
    struct Case {
        uint32_t format;
        int32_t offset;
    } cases[] = {{0, 0}, {kTextCenter, 10}, {kTextRight, 20}, {kTextCenter | kTextRight, 10}};
    for (const Case& c : cases) {
        FixedFont f;
        const std::vector<Rect> r = layOut(f, "ABCD\nEF", 7, c.format);
        ASSERT_EQ(r.size(), 7u);
        EXPECT_EQ(r[0].left, 16) << c.format;
        EXPECT_EQ(r[5].left, 16 + c.offset) << c.format;
        EXPECT_EQ(r[6].left, 26 + c.offset) << c.format;
    }
}

TEST(TitleLayout, CarriageReturnRestartsTheLineWithoutMovingDown) {
    FixedFont f;
    const std::vector<Rect> r = layOut(f, "AB\rC", 4, 0);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[3].left, 16);
    EXPECT_EQ(r[3].top, 16);
}

TEST(TitleLayout, DoubleByteCharacterIsOneBox) {
    FixedFont f;
    const char text[] = "\xC7\xD1X";   // one Hangul syllable in code page 949, then X
    const std::vector<Rect> r = layOut(f, text, 3, 0);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_TRUE(same(r[0], Rect{16, 16, 34, 36}));
    EXPECT_TRUE(same(r[1], Rect{34, 16, 44, 36}));
    EXPECT_EQ(f.asked.back(), "X");
}

TEST(TitleLayout, LeadByteCutOffAtTheEndNeverReadsPastTheText) {
    // The byte after the text is not the title's: the walk must not take it as a trail byte.
    const char buffer[] = {'A', 'B', '\xB0', '\xA1', '\0'};
    FixedFont f;
    const std::vector<Rect> r = layOut(f, buffer, 3, 0);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_FALSE(f.strayRead);
    EXPECT_EQ(f.asked.back(), std::string("\xB0"));
    EXPECT_EQ(r[2].right - r[2].left, 10);
}

TEST(TitleLayout, LongestTitleFillsTheArrayAndLongerTextsAreCut) {
    const std::string longest(kMaxTitleBytes, 'x');
    FixedFont f;
    EXPECT_EQ(layOut(f, longest.c_str(), titleLength(longest.c_str()), 0).size(), static_cast<size_t>(kMaxTitleBytes));
    const std::string longer(150, 'y');
    EXPECT_EQ(titleLength(longer.c_str()), kMaxTitleBytes);
    EXPECT_EQ(titleLength("short"), 5);
    EXPECT_EQ(titleLength(""), 0);
    EXPECT_EQ(titleLength(nullptr), 0);
    // A small array takes what fits and no more.
    FixedFont g;
    EXPECT_EQ(layOut(g, longest.c_str(), kMaxTitleBytes, 0, 7).size(), 7u);
    // A text of line feeds only has as many lines as bytes plus one.
    const std::string feeds(kMaxTitleBytes, '\n');
    FixedFont h;
    const std::vector<Rect> r = layOut(h, feeds.c_str(), kMaxTitleBytes, kTextCenter);
    ASSERT_EQ(r.size(), static_cast<size_t>(kMaxTitleBytes));
    EXPECT_EQ(r.back().top, 16 + 20 * kMaxTitleBytes);
}

TEST(TitleLayout, PlacementByPositionCode) {
    // A 200 x 80 image on a 640 x 480 frame.
    struct Case {
        int32_t code, x, y;
    } cases[] = {
        {0, 108, 48}, {1, 320, 48}, {2, 532, 48}, {3, 320, 240}, {4, 108, 432}, {5, 320, 432}, {6, 532, 432},
        {7, 11, 22},  {-1, 11, 22},
    };
    for (const Case& c : cases) {
        const TitlePoint p = placeTitle(c.code, 640, 480, 200, 80, TitlePoint{11, 22});
        EXPECT_EQ(p.x, c.x) << "code " << c.code;
        EXPECT_EQ(p.y, c.y) << "code " << c.code;
    }
    // Odd sizes halve with truncation.
    const TitlePoint odd = placeTitle(6, 401, 301, 51, 33, TitlePoint{});
    EXPECT_EQ(odd.x, 401 - 25 - 8);
    EXPECT_EQ(odd.y, 301 - (16 + 8));
}

TEST(TitleLayout, FontSizeScalesWithTheFrame) {
    EXPECT_EQ(scaleTitleFontSize(640, 480, 100), 200);
    EXPECT_EQ(scaleTitleFontSize(800, 600, 100), 250);
    EXPECT_EQ(scaleTitleFontSize(400, 300, 100), 125);
    EXPECT_EQ(scaleTitleFontSize(152, 112, 30), 14);   // a preview window: (264 x 1024 / 560 = 482) x 30 >> 10
    EXPECT_EQ(scaleTitleFontSize(640, 480, 0), 0);
}

TEST(TitleLayout, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(mulDiv(33, 96, 72), 44);
    EXPECT_EQ(mulDiv(14, 96, 72), 19);   // 18.67
    EXPECT_EQ(mulDiv(3, 1, 2), 2);
    EXPECT_EQ(mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(mulDiv(5, 2, 0), -1);
    EXPECT_EQ(mulDiv(2000000000, 3, 4), 1500000000);
}

TEST(TitleLayout, DrawFontFromTheRecordOrTheDefault) {
    TextFont chosen;
    std::strcpy(chosen.faceName, "Arial");
    chosen.weight = 700;
    chosen.charSet = 129;
    const TextFont a = titleDrawFont(&chosen, 200, 96, 120);
    EXPECT_STREQ(a.faceName, "Arial");
    EXPECT_EQ(a.weight, 700);
    EXPECT_EQ(a.charSet, 129);
    EXPECT_EQ(a.height, -mulDiv(33, 120, 72));
    EXPECT_EQ(a.width, -mulDiv(14, 96, 72));

    TextFont unnamed;
    unnamed.weight = 900;
    for (const TextFont* f : std::initializer_list<const TextFont*>{&unnamed, nullptr}) {
        const TextFont d = titleDrawFont(f, 250, 96, 96);
        EXPECT_STREQ(d.faceName, "Times New Roman");
        EXPECT_EQ(d.weight, 0);
        EXPECT_EQ(d.charSet, 1);
        EXPECT_EQ(d.height, -55);   // 41 x 96 / 72 = 54.67
        EXPECT_EQ(d.width, -23);    // 17 x 96 / 72 = 22.67
    }
}

}  // namespace
