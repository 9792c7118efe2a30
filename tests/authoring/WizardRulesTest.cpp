// The wizard's window-free rules: paths, rows, limits, the Make step's seconds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "authoring/WizardRules.h"

namespace {

std::string baseName(const char* path) {
    char buffer[kWizardPathSize];
    std::snprintf(buffer, sizeof buffer, "%s", path);
    fileBaseName(buffer);
    return buffer;
}

}  // namespace

TEST(WizardPaths, BaseNameCutsAtTheLastDotOfTheWholePath) {
    EXPECT_EQ(baseName("C:\\Savers\\My Show.scr"), "My Show");
    EXPECT_EQ(baseName("C:\\a.b\\file"), "a");             // the folder's dot decides
    EXPECT_EQ(baseName("plain"), "plain");
    char name[] = "C:\\x\\y\\pic.jpg";
    fileNameOfPath(name);
    EXPECT_STREQ(name, "pic.jpg");
}

TEST(WizardPaths, ExtensionIsBoundedAndInvalidWithoutADot) {
    char out[8] = "keep";
    EXPECT_STREQ(fileExtension("C:\\dir\\noext", out, sizeof out), "invalid");
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(fileExtension("a.JPG", out, sizeof out), out);
    EXPECT_STREQ(out, "JPG");
    // A long extension never runs past the caller's buffer.
    EXPECT_STREQ(fileExtension("a.abcdefghijklmnop", out, sizeof out), "abcdefg");
}

TEST(WizardPaths, DropsAndFolderListsFilterByExtension) {
    struct Case { const char* name; bool dropped, image, sound; } cases[] = {
        {"C:\\p\\A.JPG", true, true, false},  {"b.jpeg", false, true, false},
        {"c.bmp", false, false, false},       {"d.MP3", false, false, true},
        {"e.wav", false, false, true},        {"f.avi", false, false, false},
        {"C:\\x.jpg\\noext", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isDroppedPicture(c.name), c.dropped) << c.name;
        EXPECT_EQ(folderFileMatches(fileNamePart(c.name), true), c.image) << c.name;
        EXPECT_EQ(folderFileMatches(fileNamePart(c.name), false), c.sound) << c.name;
    }
    EXPECT_EQ(folderPattern("C:\\Pictures"), "C:\\Pictures\\*.*");
    EXPECT_EQ(folderPattern("C:\\"), "C:\\*.*");
    EXPECT_EQ(folderPattern(""), "NULL");
    EXPECT_EQ(patternFolder("C:\\Pictures\\*.*"), "C:\\Pictures\\");
    EXPECT_EQ(folderOfModule("C:\\Program Files\\Glimmerdeck\\Glimmerdeck.exe"),
              "C:\\Program Files\\Glimmerdeck\\");
    EXPECT_EQ(folderOfModule("nofolder"), "");
}

TEST(WizardRows, RowTextsAndTheLongestRow) {
    EXPECT_EQ(numberedRowText(0, "C:\\pics\\sun.jpg"), "1.sun.jpg ");
    EXPECT_EQ(shortenTitleRowText("12.a very long file name.jpg ", 151), "12.a very long ....");
    EXPECT_EQ(shortenTitleRowText("1.a.jpg ", 150), "1.a.jpg ");
    EXPECT_EQ(longestRow({}), -1);
    EXPECT_EQ(extentText({}, true), "");
    // Equal lengths: the first wins; the number counts in the length.
    std::vector<std::string> rows = {"C:\\a\\xx.jpg", "C:\\a\\yy.jpg", "C:\\long\\z.jpg"};
    EXPECT_EQ(longestRow(rows), 2);
    EXPECT_EQ(extentText(rows, true), "z.jpg");
    EXPECT_EQ(extentText(rows, false), "3.C:\\long\\z.jpg");
    EXPECT_EQ(longestRow({"C:\\a\\bb.jpg", "C:\\a\\cc.jpg"}), 0);
}

TEST(WizardRows, PictureLimitAndCurrentRowAfterDelete) {
    EXPECT_EQ(picturesThatFit(10, 250), 5);
    EXPECT_EQ(picturesThatFit(3, 0), 3);
    EXPECT_EQ(picturesThatFit(3, 255), 0);
    EXPECT_EQ(picturesThatFit(3, 300), 0);
    EXPECT_EQ(currentRowAfterDelete(4, 6), 3);
    EXPECT_EQ(currentRowAfterDelete(0, 6), 0);
    EXPECT_EQ(currentRowAfterDelete(-1, 6), 0);   // no current row read
    EXPECT_EQ(currentRowAfterDelete(7, 2), 1);    // never past the rows left
    EXPECT_EQ(currentRowAfterDelete(3, 0), -1);   // nothing left to select
}

TEST(MakeOptions, SecondsTexts) {
    struct Case { int32_t ms; const char* drag; const char* transition; const char* show; } cases[] = {
        {2000, "2.00", "2.0", "2.0"},   {2500, "2.50", "2.5", "2.5"},   {5000, "5.00", "5.0", "5.0"},
        {10050, "10.05", "10.0", "10.05"}, {12500, "12.50", "12.5", "12.50"}, {20000, "20.00", "20.0", "20.00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trackbarSecondsText(c.ms), c.drag) << c.ms;
        EXPECT_EQ(transitionSecondsText(c.ms), c.transition) << c.ms;
        EXPECT_EQ(showSecondsText(c.ms), c.show) << c.ms;
    }
}

TEST(MakeOptions, EditTextsRoundTripAndRangesAreChecked) {
    // Every two-decimal time from 1 to 20 seconds gives its exact milliseconds.
    for (int hundredths = 100; hundredths <= 2000; ++hundredths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
        EXPECT_EQ(secondsTextToMs(text), hundredths * 10) << text;
    }
    EXPECT_EQ(secondsTextToMs("2.01"), 2010);
    EXPECT_EQ(secondsTextToMs("-1.5"), -1500);
    EXPECT_EQ(secondsTextToMs("12"), 12000);
    EXPECT_EQ(secondsTextToMs("2.0"), 2000);
    EXPECT_EQ(secondsTextToMs(""), 0);
    EXPECT_EQ(secondsTextToMs("1e300"), INT32_MAX);
    EXPECT_EQ(checkMakeOptions(6000, 5000), MakeOptionError::Transition);
    EXPECT_EQ(checkMakeOptions(999, 5000), MakeOptionError::Transition);
    EXPECT_EQ(checkMakeOptions(1000, 1999), MakeOptionError::ShowTime);
    EXPECT_EQ(checkMakeOptions(5000, 20001), MakeOptionError::ShowTime);
    EXPECT_EQ(checkMakeOptions(1000, 20000), MakeOptionError::None);
    EXPECT_STREQ(makeOptionMessage(MakeOptionError::Transition), "Enter transition time from 1sec to 5sec.");
}

TEST(MakeOptions, InstalledSaverNames) {
    // Each refusal says what is wrong with the name.
    const char* const usable = nullptr;
    const struct {
        std::string name;
        const char* problem;
    } cases[] = {
        {"My ScreenSaver", usable}, {"Sea", usable}, {"Console", usable}, {"COM0", usable},
        {std::string(200, 'a'), usable},
        {"", kSaverNameEmpty}, {"   ", kSaverNameEmpty},
        {"a\\b", kSaverNameCharacters}, {"a/b", kSaverNameCharacters}, {"C:x", kSaverNameCharacters},
        {"what?", kSaverNameCharacters}, {"star*", kSaverNameCharacters}, {"\"q\"", kSaverNameCharacters},
        {"<x>", kSaverNameCharacters}, {"a|b", kSaverNameCharacters}, {"tab\there", kSaverNameCharacters},
        {"CON", kSaverNameDevice}, {"nul", kSaverNameDevice}, {"Com1", kSaverNameDevice}, {"LPT9 ", kSaverNameDevice},
        {std::string(201, 'a'), kSaverNameTooLong}, {std::string(201, '?'), kSaverNameTooLong},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(saverNameProblem(c.name), c.problem) << "\"" << c.name << "\"";
        EXPECT_EQ(usableSaverName(c.name), c.problem == nullptr) << "\"" << c.name << "\"";
    }
}

TEST(TextStep, FontTableSkipsVerticalFacesAndStopsAt500) {
    static FontTable table;
    table.count = 0;
    FontRow row = {};
    std::strcpy(row.faceName, "Arial");
    EXPECT_EQ(collectFontRow(table, row), 1);
    std::strcpy(row.faceName, "@Gulim");
    EXPECT_EQ(collectFontRow(table, row), 1);
    std::strcpy(row.faceName, "Verdana");
    EXPECT_EQ(collectFontRow(table, row), 1);
    ASSERT_EQ(table.count, 2);
    EXPECT_STREQ(table.rows[1].faceName, "Verdana");   // took the vertical face's row
    table.count = kMaxFontRows;
    EXPECT_EQ(collectFontRow(table, row), 0);
    EXPECT_EQ(table.count, kMaxFontRows);
    EXPECT_STREQ(kTitleSizes[1], "60");
    EXPECT_STREQ(kTitleSizes[2], "100");
    uint32_t colours[16];
    chooserCustomColours(colours);
    EXPECT_EQ(colours[0], 128u << 16);
    EXPECT_EQ(colours[15], 248u << 16);
}

TEST(WizardPlacement, CentringKeepsWindowsOnScreen) {
    Placement p = centredOnScreen(1024, 768, 600, 400);
    EXPECT_EQ(p.x, 212);
    EXPECT_EQ(p.y, 184);
    EXPECT_EQ(p.height, 388);
    p = centredOverParent(900, 700, 200, 100, 300, 200, 1024, 768);
    EXPECT_EQ(p.x, 724);
    EXPECT_EQ(p.y, 568);
    p = centredOverParent(-200, -100, 100, 100, 300, 200, 1024, 768);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST(AboutLinks, VersionClassFontAndMailTargets) {
    EXPECT_EQ(windowsVersionClass(1, 4, 0), 2);
    EXPECT_EQ(windowsVersionClass(1, 4, 10), 4);
    EXPECT_EQ(windowsVersionClass(1, 4, 90), 8);
    EXPECT_EQ(windowsVersionClass(1, 5, 0), 8);
    EXPECT_EQ(windowsVersionClass(0, 3, 1), 1);
    EXPECT_EQ(windowsVersionClass(2, 10, 0), 16);
    EXPECT_EQ(windowsVersionClass(3, 0, 0), 0);
    LinkFont f = linkFont(96, 10, 0, 2);      // weight 0 drops the underline
    EXPECT_EQ(f.height, -13);
    EXPECT_EQ(f.weight, 400);
    EXPECT_FALSE(f.underline);
    f = linkFont(96, 0, 700, 3);
    EXPECT_EQ(f.height, -10);
    EXPECT_TRUE(f.italic && f.underline && !f.strikeOut);
    EXPECT_TRUE(isMailTarget("MAILTO:someone@example.com"));
    EXPECT_FALSE(isMailTarget("mail"));
    EXPECT_FALSE(isMailTarget("http://mailto:x"));
}

TEST(WizardKeys, TextControlsGetEveryKeyThatTypesOrEdits) {
    enum : uint32_t { Back = 0x08, Tab = 0x09, Esc = 0x1B, Space = 0x20, Left = 0x25, Ins = 0x2D, Del = 0x2E,
                      F1 = 0x70, F2 = 0x71, F3 = 0x72, F5 = 0x74, F7 = 0x76, Comma = 0xBC };
    struct Case {
        uint32_t key;
        bool ctrl, shift, alt, edits;
    };
    const Case cases[] = {
        // Capitals and plain typing, the capitals the wizard's table also binds among them.
        {'S', false, true, false, true}, {'E', false, true, false, true}, {'F', false, true, false, true},
        {'P', false, true, false, true}, {'A', false, false, false, true}, {'7', false, false, false, true},
        {Space, false, false, false, true}, {Comma, false, true, false, true},
        // Editing keys, alone and with Ctrl or Shift.
        {Del, true, false, false, true}, {Del, false, false, false, true}, {Back, true, false, false, true},
        {Ins, false, false, false, true}, {Ins, false, true, false, true}, {Left, true, true, false, true},
        {'A', true, false, false, true}, {'Z', true, false, false, true}, {'C', true, false, false, true},
        {'V', true, false, false, true}, {'X', true, false, false, true},
        // AltGr (Ctrl+Alt) types on many layouts.
        {'E', true, false, true, true}, {'Q', true, true, true, true},
        // Commands: function keys, Ctrl with a non-editing letter or digit, Alt, Tab and Escape.
        {F1, false, false, false, false}, {F2, false, false, false, false}, {F3, false, true, false, false},
        {F5, false, false, false, false}, {F7, true, false, false, false}, {'S', true, false, false, false},
        {'O', true, false, false, false}, {'N', true, false, false, false}, {'P', true, false, false, false},
        {'R', true, false, false, false}, {'F', true, false, false, false}, {'I', true, false, false, false},
        {'1', true, false, false, false}, {'2', true, false, false, false}, {'L', false, false, true, false},
        {'O', false, false, true, false}, {'W', false, true, true, false}, {Tab, false, false, false, false},
        {Esc, false, false, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyEditsText({c.key, c.ctrl, c.shift, c.alt}), c.edits)
            << "key 0x" << std::hex << c.key << (c.ctrl ? " ctrl" : "") << (c.shift ? " shift" : "")
            << (c.alt ? " alt" : "");
}
