// The viewer windows' window-free rules: slide order, the full-screen start
// for each screen-mode choice with refused modes, the strip and its jumps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/ViewerRules.h"

namespace {

// A display that refuses the listed sizes, recording what was asked.
class FakeSeams : public FullScreenSeams {
public:
    std::vector<std::pair<int32_t, int32_t>> refused;
    bool pictures = true;
    std::string log;
    bool setMode(int32_t w, int32_t h, int32_t bits) override {
        log += "mode " + std::to_string(w) + "x" + std::to_string(h) + "@" + std::to_string(bits) + ";";
        for (auto& r : refused)
            if (r.first == w && r.second == h) return false;
        return true;
    }
    bool startPreview(int32_t w, int32_t h) override {
        log += "start " + std::to_string(w) + "x" + std::to_string(h) + ";";
        return pictures;
    }
    void notifyFallback() override { log += "notice;"; }
};

}  // namespace

TEST(SlideShow, StepsFromTheSelectionAndWrapsToTheFirst) {
    // Three pictures from the second: second, third, first, second.
    int32_t index = 1;
    std::vector<int32_t> seen{index};
    for (int i = 0; i < 3; ++i) seen.push_back(index = nextSlideIndex(index, 3));
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 0, 1}));
    EXPECT_EQ(nextSlideIndex(0, 1), 0);
    EXPECT_EQ(nextSlideIndex(0, 0), 0);   // an emptied list stays on row 0
    EXPECT_EQ(slideTimeMs("2"), 2000u);
    EXPECT_EQ(slideTimeMs("10"), 10000u);
    EXPECT_EQ(slideTimeMs(""), 0u);
}

TEST(FullScreenStart, EachChoiceWithAcceptedAndRefusedModes) {
    struct Case {
        int32_t choice;
        std::vector<std::pair<int32_t, int32_t>> refused;
        bool pictures;
        const char* log;
        int32_t usedChoice, frameW, frameH;
        bool started, modeSet;
    } cases[] = {
        {2, {}, true, "start 800x600;mode 800x600@32;", 2, 800, 600, true, true},
        {1, {{640, 480}}, true,
         "start 640x480;mode 640x480@32;mode 640x480@24;mode 640x480@16;notice;"
         "mode 640x480@32;mode 640x480@24;mode 640x480@16;",
         1, 640, 480, true, false},
        // 800 x 600 refused: a 640 x 480 display, frames of 800 x 600.
        {2, {{800, 600}}, true,
         "start 800x600;mode 800x600@32;mode 800x600@24;mode 800x600@16;notice;mode 640x480@32;", 2, 800, 600, true,
         true},
        {0, {}, true, "mode 400x300@32;start 400x300;", 0, 400, 300, true, true},
        // 400 x 300 refused: the notice, then a 640 x 480 display and preview.
        {0, {{400, 300}}, true,
         "mode 400x300@32;mode 400x300@24;mode 400x300@16;notice;mode 640x480@32;start 640x480;", 1, 640, 480,
         true, true},
        {1, {}, false, "start 640x480;", 1, 640, 480, false, false},   // no pictures: no display change
        {3, {}, true, "", 3, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log);
        FakeSeams seams;
        seams.refused = c.refused;
        seams.pictures = c.pictures;
        const FullScreenStart s = startFullScreenWith(seams, c.choice);
        EXPECT_EQ(seams.log, c.log);
        EXPECT_EQ(s.choice, c.usedChoice);
        EXPECT_EQ(s.frameW, c.frameW);
        EXPECT_EQ(s.frameH, c.frameH);
        EXPECT_EQ(s.started, c.started);
        EXPECT_EQ(s.modeSet, c.modeSet);
    }
}

TEST(PictureOrderStrip, SlidesInToSixtyNineRowsAndAnswersTheBottomBand) {
    EXPECT_EQ(stripTopAtStep(0, 768), 768);
    EXPECT_EQ(stripTopAtStep(kStripSlideSteps - 1, 768), 768 - 69);
    EXPECT_TRUE(inStripBand(0, 718, 1024, 768));
    EXPECT_TRUE(inStripBand(1023, 767, 1024, 768));
    EXPECT_FALSE(inStripBand(500, 717, 1024, 768));
    EXPECT_FALSE(inStripBand(1024, 760, 1024, 768));
}

TEST(PictureOrderStrip, ThumbnailJumpSetsTheNextPictureAndTitle) {
    // During a slide-to-slide transition the title before the picture is set,
    // so the transition's end brings the picture's own title.
    EXPECT_EQ(thumbnailJump(2, 5, 0).nextPicture, 3);
    EXPECT_EQ(thumbnailJump(2, 5, 0).titleIndex, 1);
    EXPECT_EQ(thumbnailJump(2, 5, 4).titleIndex, 2);
    EXPECT_EQ(thumbnailJump(4, 5, 5).nextPicture, 0);
    EXPECT_EQ(thumbnailJump(0, 5, 0).titleIndex, -1);
}

TEST(NamedBitmaps, ExactNamesOnly) {
    EXPECT_EQ(bitmapResourceForName("RedFires33.bmp"), 144);
    EXPECT_EQ(bitmapResourceForName("AirPlane.bmp"), 145);
    EXPECT_EQ(bitmapResourceForName("FootMark.bmp"), 146);
    EXPECT_EQ(bitmapResourceForName("redfires33.bmp"), 0);
    EXPECT_EQ(bitmapResourceForName("RedFires33.bmp "), 0);
    EXPECT_EQ(bitmapResourceForName(nullptr), 0);
}
