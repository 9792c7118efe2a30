#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/SaverOptions.h"
#include "tests/engine/OptionTestSupport.h"

namespace {

TEST(SaverOptions, SaverNameIsTheFileNameWithoutFolderAndExtension) {
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\WINDOWS\\My Saver.scr", "My Saver"},
        {"C:\\Savers\\Beach.Party.scr", "Beach.Party"},
        {"Beach.scr", "Beach"},
        {"C:\\WINDOWS\\NoExtension", "NoExtension"},
        {"C:\\My.Folder\\saver", "saver"},   // a dot in the folder is not the extension
        {"D:/Out/Sea.Trip.scr", "Sea.Trip"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char buffer[260];
        std::strcpy(buffer, c.path);
        fileNamePart(buffer);
        EXPECT_STREQ(buffer, c.name) << c.path;
    }
}

TEST(SaverOptions, SaverNameComesFromThePathEntryAndIsCut) {
    MemoryEntries package;
    char name[260] = "stale";
    loadSaverName(package, name);
    EXPECT_STREQ(name, "stale");  // no entry: nothing changes

    package.add(kEntrySaverPath, 0, "C:\\WINDOWS\\Holiday.Pics.scr");
    loadSaverName(package, name);
    EXPECT_STREQ(name, "Holiday.Pics");

    // Longer than the buffer and without its terminating zero: cut, never overrun.
    package.add(kEntrySaverPath, 0, "C:\\" + std::string(400, 'x') + ".scr", false);
    loadSaverName(package, name);
    EXPECT_EQ(std::string(name), std::string(256, 'x'));   // 259 bytes kept, then the folder dropped

    package.add(kEntrySaverPath, 0, "", false);   // an entry of no bytes at all
    loadSaverName(package, name);
    EXPECT_STREQ(name, "");
}

TEST(SaverOptions, ValueNamesAreTheLowerCasedNameAndTheWord) {
    EXPECT_EQ(optionValueName("Beach", kOptTrx), "beachTrx");
    EXPECT_EQ(optionValueName("My Saver", kOptDisplay), "my saverDisplay");
    EXPECT_EQ(optionValueName("beach.party", kOptMouseClick), "beach.partymouseClick");
    EXPECT_EQ(optionValueName("", kOptKey), "Key");
    // Code page 949: the trail byte 0x41 of a Hangul character stays as it is.
    EXPECT_EQ(optionValueName("\xB0\x41X", kOptSfx), "\xB0\x41xSfx");
}

TEST(SaverOptions, NumbersTakeTheirDefaultWhenMissingAndAreClamped) {
    struct Case {
        const DwordOption* option;
        bool stored;
        uint32_t value;
        int32_t expected;
    } cases[] = {
        {&kTransitionMs, false, 0, 2000},     {&kTransitionMs, true, 0, 1000},
        {&kTransitionMs, true, 3500, 3500},   {&kTransitionMs, true, 9000, 5000},
        {&kShowMs, false, 0, 5000},           {&kShowMs, true, 1999, 2000},
        {&kShowMs, true, 20000, 20000},       {&kShowMs, true, 0xFFFFFFFF, 2000},  // -1 as stored
        {&kShowMs, true, 0x7FFFFFFF, 20000},  {&kLetterFontSize, true, 0, 8},
        {&kTitleFontSize, true, 5000, 400},   {&kLetterTime, true, 0, 0},
        {&kLetterTime, true, 99999, 3600},
    };
    for (const Case& c : cases) {
        MemoryOptionStore store;
        if (c.stored) store.dwords[optionValueName("Beach", c.option->word)] = c.value;
        EXPECT_EQ(readDwordOption(store, "Beach", *c.option), c.expected) << c.option->word << " " << c.value;
    }
}

TEST(SaverOptions, DisplayTextsAndFrameSizes) {
    EXPECT_EQ(displayChoiceFromText("400 * 300"), 0);
    EXPECT_EQ(displayChoiceFromText("640 * 480"), 1);
    EXPECT_EQ(displayChoiceFromText("800 * 600"), 2);
    EXPECT_EQ(displayChoiceFromText("800*600"), -1);
    EXPECT_EQ(displayChoiceFromText(""), -1);
    int32_t w = 0, h = 0;
    frameSizeOfChoice(2, &w, &h);
    EXPECT_EQ(w * 1000 + h, 800600);
    frameSizeOfChoice(7, &w, &h);
    EXPECT_EQ(w + h, 0);
    EXPECT_STREQ(displayText(0), "400 * 300");
}

TEST(SaverOptions, RunValues) {
    MemoryOptionStore store;
    SaverOptions o;
    std::strcpy(o.saverName, "Beach");
    store.dwords["beachmute"] = 1;
    store.dwords["beachmouse"] = 1;
    store.dwords["beachKey"] = 2;
    store.dwords["beachSound"] = 0;
    store.strings["beachDisplay"] = "800 * 600";
    readRunValues(store, o, false);
    EXPECT_EQ(o.mute, 1);
    EXPECT_EQ(o.mouse, 1);
    EXPECT_EQ(o.mouseClick, 0);
    EXPECT_EQ(o.key, 2);  // the window procedure compares with 1 itself
    EXPECT_EQ(o.soundRepeat, 0);
    EXPECT_EQ(o.displayChoice, kDisplay800x600);

    // Preview: the quit and sound options are not read at all.
    SaverOptions p = o;
    store.reads.clear();
    readRunValues(store, p, true);
    EXPECT_EQ(p.mouse, 0);
    EXPECT_EQ(p.soundRepeat, 1);
    for (const std::string& name : store.reads) EXPECT_TRUE(name == "beachmute" || name == "beachDisplay") << name;

    // An unknown size text runs at the default size.
    store.strings["beachDisplay"] = "1024 * 768";
    readRunValues(store, o, false);
    EXPECT_EQ(o.displayChoice, kDisplay640x480);
}

struct ShowCase {
    const char* label;
    std::vector<std::pair<const char*, uint32_t>> dwords;
    std::vector<std::pair<const char*, const char*>> strings;
    int32_t letterMode;
    const char* face;
    int32_t fontSize;
    uint32_t titleColor, letterColor;
    int32_t letterTime;
    uint8_t defaultColor;
};

TEST(SaverOptions, ShowValuesTable) {
    const ShowCase cases[] = {
        {"nothing stored: every default", {}, {}, 0, "Times New Roman", 100, 80, 80, 5, 1},
        {"default font, random colour, letter", {{"IsLetter", 1}}, {}, 1, "Times New Roman", 30, 80, 80, 5, 1},
        {"default font, own colour: size 80",
         {{"DefaultColorCheck", 0}, {"TitleFontColor", 0xFF}},
         {},
         0,
         "Times New Roman",
         80,
         0xFF,
         80,
         5,
         0},
        {"own title font",
         {{"DefaultFontCheck", 0}, {"TitleFontSize", 150}, {"TitleFontColor", 0x123456}},
         {{"TitleFont", "Arial"}, {"LetterFont", "Verdana"}},
         0,
         "Arial",
         150,
         0x123456,
         80,
         5,
         1},
        {"own letter font and delay",
         {{"DefaultFontCheck", 0}, {"IsLetter", 1}, {"LetterFontSize", 40}, {"LetterTime", 12}},
         {{"LetterFont", "Verdana"}},
         1,
         "Verdana",
         40,
         80,
         80,
         12,
         1},
        {"letter timer off: 5 s whatever is stored",
         {{"IsLetter", 1}, {"LetterTimerCheck", 0}, {"LetterTime", 40}},
         {},
         1,
         "Times New Roman",
         30,
         80,
         80,
         5,
         1},
        {"default font still reads the letter delay and colour",
         {{"IsLetter", 1}, {"LetterTime", 9}, {"LetterFontColor", 0xFFFFFF}},
         {},
         1,
         "Times New Roman",
         30,
         80,
         0xFFFFFF,
         9,
         1},
        {"black title is not the transparent key",
         {{"DefaultFontCheck", 0}, {"TitleFontColor", 0}},
         {},
         0,
         "Times New Roman",
         100,
         0x010101,
         80,
         5,
         1},
        {"empty face name: the default face",
         {{"DefaultFontCheck", 0}},
         {{"TitleFont", ""}},
         0,
         "Times New Roman",
         100,
         80,
         80,
         5,
         1},
        {"switches other than 0 and 1 take their default",
         {{"DefaultFontCheck", 7}, {"IsLetter", 3}},
         {},
         0,
         "Times New Roman",
         100,
         80,
         80,
         5,
         1},
    };
    for (const ShowCase& c : cases) {
        MemoryOptionStore store;
        for (auto& [word, value] : c.dwords) store.dwords[optionValueName("Beach", word)] = value;
        for (auto& [word, value] : c.strings) store.strings[optionValueName("Beach", word)] = value;
        SaverOptions o;
        std::strcpy(o.saverName, "Beach");
        std::strcpy(o.fontFace, "stale");
        readShowValues(store, o);
        SCOPED_TRACE(c.label);
        EXPECT_EQ(o.transitionMs, 2000);
        EXPECT_EQ(o.showMs, 5000);
        EXPECT_EQ(o.letterMode, c.letterMode);
        EXPECT_STREQ(o.fontFace, c.face);
        EXPECT_EQ(o.fontSize, c.fontSize);
        EXPECT_EQ(o.titleColor, c.titleColor);
        EXPECT_EQ(o.letterColor, c.letterColor);
        EXPECT_EQ(o.letterTime, c.letterTime);
        EXPECT_EQ(o.defaultColor, c.defaultColor);
    }
}

// A display that accepts only the listed modes and records every attempt.
class FakeDisplay : public DisplaySwitcher {
public:
    std::vector<std::array<int32_t, 3>> accepts, tried;
    bool setMode(int32_t w, int32_t h, int32_t bits) override {
        tried.push_back({w, h, bits});
        for (auto& m : accepts)
            if (m == std::array<int32_t, 3>{w, h, bits}) return true;
        return false;
    }
};

TEST(SaverOptions, DisplayStartTable) {
    struct Case {
        const char* label;
        int32_t choice;
        std::vector<std::array<int32_t, 3>> accepts;
        bool hasParent;
        bool start;
        int32_t width, height, choiceAfter;
        bool switched;
        size_t attempts;
    } cases[] = {
        {"800 x 600 at 32 bits", 2, {{800, 600, 32}}, false, true, 800, 600, 2, true, 1},
        {"800 x 600 at 16 bits", 2, {{800, 600, 16}}, false, true, 800, 600, 2, true, 3},
        {"800 x 600 refused, 640 x 480 taken", 2, {{640, 480, 24}}, false, true, 640, 480, 1, true, 5},
        {"800 x 600 with nothing to switch to", 2, {}, false, false, 0, 0, 1, false, 6},
        {"640 x 480 refused: no start", 1, {}, false, false, 0, 0, 1, false, 3},
        {"400 x 300 with no mode still starts at 640 x 480", 0, {}, false, true, 640, 480, 1, false, 6},
        {"400 x 300", 0, {{400, 300, 32}}, false, true, 400, 300, 0, true, 1},
        {"a window with a parent switches nothing", 0, {{400, 300, 32}}, true, true, 400, 300, 0, false, 0},
        {"an unknown choice runs as 640 x 480", 9, {{640, 480, 32}}, false, true, 640, 480, 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeDisplay display;
        display.accepts = c.accepts;
        int32_t choice = c.choice;
        DisplayStart s = planDisplayStart(display, c.hasParent, choice);
        EXPECT_EQ(s.start, c.start);
        if (c.start) {
            EXPECT_EQ(s.width, c.width);
            EXPECT_EQ(s.height, c.height);
        }
        EXPECT_EQ(choice, c.choiceAfter);
        EXPECT_EQ(s.switched, c.switched);
        EXPECT_EQ(display.tried.size(), c.attempts);
    }
}

TEST(SaverOptions, DisplaySavedBySettingsDialog) {
    EXPECT_STREQ(displayTextToSave(2, 800), "640 * 480");   // as wide as the screen
    EXPECT_STREQ(displayTextToSave(2, 1024), "800 * 600");
    EXPECT_STREQ(displayTextToSave(0, 800), "400 * 300");
    EXPECT_STREQ(displayTextToSave(0, 400), "640 * 480");
    EXPECT_STREQ(displayTextToSave(1, 320), "640 * 480");
    EXPECT_EQ(displayTextToSave(-1, 1024), nullptr);
}

TEST(SaverOptions, TimeLabels) {
    struct Case {
        int32_t ms;
        bool hundredths;
        const char* text;
    } cases[] = {
        {2500, false, "2.5s"},   {1234, false, "1.2s"},    {1000, false, "1.0s"},   {5000, false, "5.0s"},
        {9999, true, "9.9s"},    {10050, true, "10.05s"},  {12340, true, "12.34s"}, {15000, true, "15.00s"},
        {16080, true, "16.08s"}, {20000, true, "20.00s"},  {2000, true, "2.0s"},    {16080, false, "16.0s"},
        {4990, false, "4.9s"},   {19990, true, "19.99s"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatTimeLabel(c.ms, c.hundredths), c.text) << c.ms;
}

}  // namespace
