#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/MakerInfo.h"
#include "engine/TitleLetter.h"
#include "tests/engine/OptionTestSupport.h"

namespace {

TEST(TitleTexts, RowsFollowThePicturesAndScreenSaverIsEmpty) {
    MemoryEntries package;
    package.add(kEntryTitle, 0, "A");
    package.add(kEntryTitle, 1, "ScreenSaver");
    package.add(kEntryTitle, 2, "C");
    package.add(kEntryTitle, 4, "after a gap: not a title");
    loadTitleTexts(package);
    const TitleList& t = titleList();
    EXPECT_EQ(t.lastTitleIndex, 2);
    std::string shown;
    int32_t index = -1;
    for (int i = 0; i < 6; ++i) {
        index = nextTitleIndex(index);
        shown += std::string("[") + t.rows[index] + "]";
    }
    EXPECT_EQ(shown, "[A][][C][A][][C]");
}

TEST(TitleTexts, NoTitlesShowTheMakersAddress) {
    MemoryEntries package;
    loadTitleTexts(package);
    EXPECT_EQ(titleList().lastTitleIndex, 0);
    EXPECT_STREQ(titleList().rows[0], kMakerPromotionTitle);
    EXPECT_EQ(nextTitleIndex(0), 0);
}

TEST(TitleTexts, LongTitlesAndManyTitlesNeverOverrunTheRows) {
    MemoryEntries package;
    for (int i = 0; i < 300; ++i) package.add(kEntryTitle, i, std::string(99, 'a' + i % 26));
    // A double-byte character across the 59-byte limit is left out whole.
    package.add(kEntryTitle, 1, std::string(58, 'x') + "\xB0\xA1" + "tail");
    package.add(kEntryTitle, 2, "unterminated", false);
    loadTitleTexts(package);
    const TitleList& t = titleList();
    EXPECT_EQ(t.lastTitleIndex, kTitleRows - 1);
    EXPECT_EQ(std::strlen(t.rows[0]), 59u);
    EXPECT_EQ(std::string(t.rows[1]), std::string(58, 'x'));
    EXPECT_STREQ(t.rows[2], "unterminated");
    EXPECT_EQ(std::strlen(t.rows[kTitleRows - 1]), 59u);
}

TEST(TitleTexts, EmptyEntriesAreEmptyTitles) {
    // Entries of no bytes at all (not even the terminating zero).
    MemoryEntries package;
    package.add(kEntryTitle, 0, "", false);
    package.add(kEntryTitle, 1, "B");
    package.add(kEntryTitle, 2, "", false);
    loadTitleTexts(package);
    const TitleList& t = titleList();
    EXPECT_EQ(t.lastTitleIndex, 2);
    EXPECT_STREQ(t.rows[0], "");
    EXPECT_STREQ(t.rows[1], "B");
    EXPECT_STREQ(t.rows[2], "");
}

TEST(Letter, LinesHeightAndLengthWithoutTheZero) {
    MemoryEntries package;
    package.add(kEntryLetter, 0, "first\r\nsecond\r\nthird");
    loadLetterText(package);
    LetterState& letter = letterState();
    EXPECT_EQ(letter.length, 20);  // the stored terminating zero is not drawn
    EXPECT_EQ(countLetterLines(), 2);
    EXPECT_EQ(letterTextHeight(1, 30), 60);
    EXPECT_EQ(letterTextHeight(2, 30), 120);
    freeLetterText();
    EXPECT_EQ(letter.length, 0);
    EXPECT_EQ(countLetterLines(), 0);

    MemoryEntries none;
    loadLetterText(none);
    EXPECT_EQ(letter.length, 0);
}

TEST(Letter, StartsOnTheTickThatReachesItsDelay) {
    struct Case {
        int32_t delay;
        int firstTick;  // 1-based tick on which it starts
    } cases[] = {{5, 5}, {1, 1}, {0, 1}, {30, 30}};
    for (const Case& c : cases) {
        startLetter(30, c.delay);
        int tick = 0;
        bool started = false;
        while (!started && tick < 100) {
            ++tick;
            started = letterTimerTick();
        }
        EXPECT_EQ(tick, c.firstTick) << c.delay;
        EXPECT_EQ(letterState().started, 1);
        EXPECT_FALSE(letterTimerTick());  // later ticks change nothing
    }
}

TEST(Letter, ScrollsOnePixelAFrameAndStartsAgainAtTheBottom) {
    MemoryEntries package;
    package.add(kEntryLetter, 0, "a\rb\rc");
    loadLetterText(package);
    startLetter(20, 0);  // height 2 x 20 = 40
    const int w = 640, h = 480;
    Rect first = stepLetterFrame(w, h);
    EXPECT_EQ(first.left, 10);
    EXPECT_EQ(first.top, h - 8);  // 16 pixels above the frame's bottom (GDI y h + 8)
    EXPECT_EQ(first.right, w);
    EXPECT_EQ(first.bottom, 40 + h);
    int frames = 1;
    Rect r = first;
    for (;;) {
        Rect next = stepLetterFrame(w, h);
        ++frames;
        if (next.top == first.top) break;
        EXPECT_EQ(next.top, r.top - 1);
        EXPECT_EQ(next.bottom - next.top, first.bottom - first.top);
        r = next;
        ASSERT_LT(frames, 10000);
    }
    // Offsets 0 .. height + h + 32 are drawn, then offset 0 again.
    EXPECT_EQ(frames - 1, 40 + h + 32 + 1);
    EXPECT_EQ(r.top, h - 8 - (40 + h + 32));

    fitLetterHeight(100);  // a wrapped text drawn taller than its carriage returns say
    EXPECT_EQ(letterState().height, 100);
    fitLetterHeight(10);
    EXPECT_EQ(letterState().height, 100);
    freeLetterText();
}

}  // namespace
