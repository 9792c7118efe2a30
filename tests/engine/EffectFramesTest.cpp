// The family records: which words each filler writes, and the title's choices.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "FrameHarness.h"

using vt_test::FrameHarness;

namespace {

constexpr unsigned char kPoison = 0xCD;

void poison(EffectParams& r) { std::memset(&r, kPoison, sizeof r); }

void expectSameRecord(const EffectParams& actual, const EffectParams& expected) {
    const auto* a = reinterpret_cast<const unsigned char*>(&actual);
    const auto* e = reinterpret_cast<const unsigned char*>(&expected);
    for (size_t i = 0; i < sizeof(EffectParams); ++i)
        if (a[i] != e[i]) {
            ADD_FAILURE() << "record byte " << i << " is " << int(a[i]) << ", expected " << int(e[i]);
            return;
        }
}

void expectFrameWords(EffectParams& e, Pixel* destination, int32_t w, int32_t h) {
    e.destination = destination;
    e.rect = Rect{0, 0, w, h};
    e.pitch = w + 16;
    e.width = w;
    e.height = h;
    e.acquireBuffer = scratchAcquire;
    e.keepBuffer = scratchKeep;
    e.clearBuffer = scratchClear;
}

void expectSoundWords(EffectParams& e, const SoundFrame& s) {
    e.level = static_cast<float>(s.level);
    e.beat = s.beat;
    e.samples = s.samples;
    e.spectrum = s.spectrum;
}

}  // namespace

TEST(EffectFrames, EachFillerWritesOnlyItsWords) {
    FrameHarness h;
    const int16_t samples[256] = {1, 2, 3};
    const int16_t spectrum[256] = {4, 5, 6};
    setFrameSound(SoundFrame{samples, spectrum, 200, 1});
    constexpr int32_t w = FrameHarness::kWidth, hh = FrameHarness::kHeight;

    poison(transitionRecord);
    EffectParams e = transitionRecord;
    runTransitionFrame(h.hooks, h.canvas(), h.picture(0), h.picture(1), 0.25f, 1, 5, w, hh);
    expectFrameWords(e, h.canvas(), w, hh);
    e.source = h.picture(0);
    e.source2 = h.picture(1);
    e.firstFrame = 1;
    e.progress = 0.25f;
    e.duration = 2000;
    e.zeroWord = 0;
    expectSameRecord(transitionRecord, e);   // no sound words
    EXPECT_EQ(h.find('T')->row, 5);

    poison(imageEffectRecord);
    e = imageEffectRecord;
    runImageEffectFrame(h.hooks, h.canvas(), h.picture(0), 0.5f, 0, 2500, 7, w, hh);
    expectFrameWords(e, h.canvas(), w, hh);
    e.source = h.picture(0);
    e.firstFrame = 0;
    e.progress = 0.5f;
    e.duration = 2500;
    e.zeroWord = 0;
    expectSoundWords(e, frameSound);
    e.levelMode = 0;
    e.constant16 = 16;
    expectSameRecord(imageEffectRecord, e);

    poison(animationRecord);
    poison(animationEffectRecord);
    EffectParams ea = animationRecord, ee = animationEffectRecord;
    Pixel* result = nullptr;
    runAnimationFrame(h.hooks, &result, 0.0f, 1, 0, 0, 3, 4, w, hh);
    for (EffectParams* x : {&ea, &ee}) {
        expectFrameWords(*x, h.animationCanvas(1), w, hh);
        x->source = h.animationCanvas(0);
        x->progress = 0.0f;
        x->duration = 0;
        expectSoundWords(*x, frameSound);
        x->levelMode = 0;
        x->constant16 = 16;
    }
    ea.firstFrame = 1;
    ee.firstFrame = 0;
    expectSameRecord(animationRecord, ea);
    expectSameRecord(animationEffectRecord, ee);
    EXPECT_EQ(result, h.animationCanvas(1));

    poison(titleRecord);
    titleRecord.state.title.titleBitmap = nullptr;
    e = titleRecord;
    runTitleFrame(h.hooks, 1000, 1, 0.3f, 2500, w, hh);
    expectFrameWords(e, h.canvas(), w, hh);
    e.firstFrame = 0;   // set for the dispatchers, cleared after them
    e.progress = 0.3f;
    e.duration = 2500;
    e.zeroWord = 0;
    expectSoundWords(e, frameSound);
    TitleFields& t = e.state.title;
    t.titlePosition = titleChoice.positionRow << 24;
    t.titleFont = &titleChoice.font;
    t.titleFormat = 21;
    t.titleColor = titleChoice.drawnColor;
    t.titleFontSize = 100;
    t.titleText = titleRecord.state.title.titleText;
    t.titleDC = nullptr;
    t.titleBitmap = nullptr;
    t.titlePixels = nullptr;
    expectSameRecord(titleRecord, e);
    EXPECT_STREQ(titleRecord.state.title.titleText, "A");
    EXPECT_EQ(h.find('S')->first, 1);
    EXPECT_EQ(h.find('M')->first, 1);
    setFrameSound(SoundFrame{});
}

TEST(EffectFrames, AnimationCanvasesAlternateAndTheirRecordsGetNoProgress) {
    FrameHarness h;
    Pixel* result = nullptr;
    Pixel* drawn[4];
    for (Pixel*& d : drawn) {
        runAnimationFrame(h.hooks, &result, 0.0f, 0, 0, 0, 1, 1, FrameHarness::kWidth,
                          FrameHarness::kHeight);
        EXPECT_EQ(h.find('E')->source, h.find('A')->source);
        d = result;
        h.calls.clear();
    }
    EXPECT_EQ(drawn[0], h.animationCanvas(1));
    EXPECT_EQ(drawn[1], h.animationCanvas(0));
    EXPECT_EQ(drawn[2], drawn[0]);
    EXPECT_EQ(drawn[3], drawn[1]);
}

TEST(EffectFrames, TitleChoicesFollowTheListAndEmptyTitlesDrawNothing) {
    FrameHarness h;
    h.titles = {"A", "", "C"};
    const char* expected[] = {"A", "", "C", "A", "", "C"};
    for (const char* text : expected) {
        const TitleChoice before = titleChoice;
        h.calls.clear();
        runTitleFrame(h.hooks, 1000 + titleChoice.titleIndex * 7, 1, 0.0f, 2500, 32, 24);
        EXPECT_STREQ(titleRecord.state.title.titleText, text);
        // The choices are made for an empty title too; only the drawing is left out.
        EXPECT_NE(titleChoice.titleIndex, before.titleIndex);
        EXPECT_EQ(h.calls.size(), text[0] ? 2u : 0u);
    }
    // Later frames of a title keep its choices and clear the first-frame flag.
    const TitleChoice kept = titleChoice;
    h.calls.clear();
    runTitleFrame(h.hooks, 5555, 0, 0.7f, 5000, 32, 24);
    EXPECT_EQ(titleChoice.styleRow, kept.styleRow);
    EXPECT_EQ(titleChoice.titleIndex, kept.titleIndex);
    EXPECT_EQ(h.find('S')->first, 0);
}

TEST(EffectFrames, TitleProgressIsClampedTo0To099) {
    FrameHarness h;
    const float cases[][2] = {{-0.5f, 0.0f}, {0.0f, 0.0f}, {0.5f, 0.5f}, {0.995f, 0.995f},
                              {1.0f, 0.99f}, {3.0f, 0.99f}};
    for (const auto& c : cases) {
        runTitleFrame(h.hooks, 1000, 0, c[0], 5000, 32, 24);
        EXPECT_FLOAT_EQ(titleRecord.progress, c[1]) << c[0];
    }
}

TEST(EffectFrames, TitlePositionsAreTheFourCorners) {
    FrameHarness h;
    std::map<int32_t, int> seen;
    const int kTitles = 7000;
    for (int i = 0; i < kTitles; ++i) {
        runTitleFrame(h.hooks, 1000 + i, 1, 0.0f, 2500, 32, 24);
        ++seen[titleRecord.state.title.titlePosition >> 24];
    }
    ASSERT_EQ(seen.size(), 4u);
    for (int corner : {0, 2, 4, 6}) ASSERT_EQ(seen.count(corner), 1u) << corner;
    // Upper left 1 in 7, the other corners 2 in 7 each.
    EXPECT_NEAR(seen[0], kTitles / 7, kTitles / 35);
    for (int corner : {2, 4, 6}) EXPECT_NEAR(seen[corner], 2 * kTitles / 7, kTitles / 35);
}

TEST(EffectFrames, TitleColourAndFontPerNewTitle) {
    FrameHarness h;
    std::strcpy(h.options.fontFace, "Gulim");
    h.options.titleColor = 0x123456;
    h.options.fontSize = 44;

    h.options.defaultColorCheck = 0;
    for (uint32_t s : {1000u, 2000u}) {
        runTitleFrame(h.hooks, s, 1, 0.0f, 2500, 32, 24);
        EXPECT_EQ(titleRecord.state.title.titleColor, 0x123456);
    }
    h.options.defaultColorCheck = 1;
    runTitleFrame(h.hooks, 1000, 1, 0.0f, 2500, 32, 24);
    const int32_t first = titleRecord.state.title.titleColor;
    runTitleFrame(h.hooks, 2000, 0, 0.1f, 2500, 32, 24);
    EXPECT_EQ(titleRecord.state.title.titleColor, first);   // kept through the title
    runTitleFrame(h.hooks, 2000, 1, 0.0f, 2500, 32, 24);
    EXPECT_NE(titleRecord.state.title.titleColor, first);   // a new one per title

    const TextFont& f = *titleRecord.state.title.titleFont;
    EXPECT_EQ(f.height, 10);
    EXPECT_EQ(f.width, 10);
    EXPECT_EQ(f.weight, 0);
    EXPECT_EQ(f.charSet, 1);
    EXPECT_STREQ(f.faceName, "Gulim");
    EXPECT_EQ(titleRecord.state.title.titleFontSize, 44);
}

TEST(EffectFrames, NewTitleGivesTheStyleBitmapBack) {
    FrameHarness h;
    static std::vector<void*> deleted;
    deleted.clear();
    h.hooks.deleteTitleBitmap = [](void*, void* bitmap) { deleted.push_back(bitmap); };
    int bitmap = 0;
    Pixel pixels[4];
    runTitleFrame(h.hooks, 1000, 1, 0.0f, 2500, 32, 24);
    titleRecord.state.title.titleBitmap = &bitmap;   // as a style leaves them
    titleRecord.state.title.titlePixels = pixels;
    runTitleFrame(h.hooks, 1000, 0, 0.2f, 2500, 32, 24);
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(titleRecord.state.title.titlePixels, pixels);
    runTitleFrame(h.hooks, 1000, 1, 0.0f, 2500, 32, 24);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0], &bitmap);
    EXPECT_EQ(titleRecord.state.title.titleBitmap, nullptr);
    EXPECT_EQ(titleRecord.state.title.titlePixels, nullptr);
}

TEST(EffectFrames, StartUpClearsFourRecordsAndKeepsTheAnimationEffectOne) {
    poison(transitionRecord);
    poison(imageEffectRecord);
    poison(titleRecord);
    poison(animationRecord);
    poison(animationEffectRecord);
    clearEffectRecords();
    const EffectParams* cleared[] = {&transitionRecord, &imageEffectRecord, &titleRecord,
                                     &animationRecord};
    for (const EffectParams* r : cleared) {
        const auto* b = reinterpret_cast<const unsigned char*>(r);
        for (size_t i = 0; i < sizeof(EffectParams); ++i) ASSERT_EQ(b[i], 0) << i;
    }
    EXPECT_EQ(animationEffectRecord.width, static_cast<int32_t>(0xCDCDCDCD));
    std::memset(&animationEffectRecord, 0, sizeof animationEffectRecord);
}
