// The preview's tables and settings: every preview row runs the engine row of
// its name, in the preview's order, and the Text and Make steps' controls turn
// into the options the frame step reads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Sfx/ImageEffectTable.h"
#include "Transition/TransitionTable.h"
#include "authoring/PreviewSettings.h"
#include "authoring/PreviewTables.h"

namespace {

std::string trimmed(const char* s) {
    std::string t = s;
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
    return t;
}

TEST(PreviewTables, RowsAreTheEngineRowsOfTheirNamesInPreviewOrder) {
    const PreviewTable& t = previewTransitionTable();
    ASSERT_LE(t.count, 230);
    int next = 0;   // position in the name list
    for (int i = 0; i < t.count; ++i) {
        const std::string name = trimmed(t.rows[i]->name);
        while (next < 230 && trimmed(kPreviewTransitionNames[next]) != name) ++next;
        ASSERT_LT(next, 230) << "row " << i << " \"" << name << "\" is out of order or not a preview row";
        ++next;
        bool engine = false;
        for (int r = 0; r < transitionCount; ++r) engine |= &transitionTable[r].row == t.rows[i];
        EXPECT_TRUE(engine) << name;
    }
    // Every preview name the engine has built is in the table.
    int built = 0;
    for (const char* name : kPreviewTransitionNames)
        for (int r = 0; r < transitionCount; ++r)
            if (trimmed(transitionTable[r].row.name) == trimmed(name)) {
                ++built;
                break;
            }
    EXPECT_EQ(t.count, built);
    EXPECT_GT(t.count, 100);   // the Block, Pixel, Plain, Rotate, Slide, Special, Stretch and Warping rows
    EXPECT_STREQ(kPreviewTransitionNames[95], "PX_Stretch_In ");
    EXPECT_STREQ(kPreviewImageEffectNames[68], "AN_FireWork ");

    const PreviewTable& fx = previewImageEffectTable();
    for (int i = 0; i < fx.count; ++i) {
        bool engine = false;
        for (int r = 0; r < ImageEffectTableCount; ++r) engine |= &ImageEffectTable[r].row == fx.rows[i];
        EXPECT_TRUE(engine) << fx.rows[i]->name;
    }
    const FamilyServices& s = previewFamilyServices();
    EXPECT_EQ(*s.transitionCount, t.count);
    EXPECT_EQ(*s.imageEffectCount, fx.count);
    EXPECT_EQ(*s.animationCount, previewAnimationTable().count);
}

TEST(PreviewSettings, TheFirstBoxThatIsOnDecides) {
    struct Case {
        const char* what;
        PreviewControls c;
        int mode;
        const char* face;
        int size;
    };
    PreviewControls defaults;
    defaults.defaultFont = true;
    defaults.writeTitles = true;
    defaults.titleFont = "Arial";
    PreviewControls defaultLetter;
    defaultLetter.defaultFont = true;
    defaultLetter.writeLetter = true;
    PreviewControls defaultNeither;
    defaultNeither.defaultFont = true;
    PreviewControls titles;
    titles.writeTitles = true;
    titles.titleFont = "Arial";
    titles.titleSize = "48";
    PreviewControls titlesBare;
    titlesBare.writeTitles = true;
    PreviewControls letter;
    letter.writeLetter = true;
    letter.letterFont = "Courier";
    letter.letterTime = 7;
    const Case cases[] = {
        {"default font, titles chosen", defaults, 1, "Times New Roman", 100},
        {"default font, letter chosen", defaultLetter, 0, "Times New Roman", 100},
        {"default font, neither", defaultNeither, 9, "Times New Roman", 100},   // the mode keeps its value
        {"titles", titles, 1, "Arial", 48},
        {"titles without selections", titlesBare, 1, "Times New Roman", 100},
        {"letter", letter, 0, "Courier", 20},
        {"none", PreviewControls{}, 9, "Keep", 33},
    };
    for (const Case& k : cases) {
        PreviewSettings s;
        s.titleMode = 9;
        std::strcpy(s.fontFace, "Keep");
        s.fontSize = 33;
        readPreviewSettings(k.c, s);
        EXPECT_EQ(s.titleMode, k.mode) << k.what;
        EXPECT_STREQ(s.fontFace, k.face) << k.what;
        EXPECT_EQ(s.fontSize, k.size) << k.what;
    }
    PreviewSettings s;
    readPreviewSettings(letter, s);
    EXPECT_EQ(s.letterTime, 7u);
    const FrameOptions o = previewFrameOptions(letter, s);
    EXPECT_EQ(o.letterMode, 1);

    PreviewControls chosen;
    chosen.colourChosen = true;
    chosen.titleColour = 0x123456;
    EXPECT_EQ(previewFrameOptions(chosen, s).defaultColorCheck, 0);
    chosen.randomColour = true;
    EXPECT_EQ(previewFrameOptions(chosen, s).defaultColorCheck, 1);
    EXPECT_EQ(previewFrameOptions(PreviewControls{}, s).defaultColorCheck, 1);
}

TEST(PreviewSettings, LetterSizeFollowsTheScreenMode) {
    EXPECT_EQ(previewLetterSize(30, true, 2), 30);
    EXPECT_EQ(previewLetterSize(30, false, 0), 21);
    EXPECT_EQ(previewLetterSize(30, false, 1), 13);
    EXPECT_EQ(previewLetterSize(30, false, 2), 10);
    EXPECT_EQ(previewLetterSize(30, false, 5), -1);
}

}  // namespace
