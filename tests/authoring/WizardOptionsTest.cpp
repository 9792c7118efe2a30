// The saver's registry values and the installer's option text, from the
// values the pages hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "authoring/WizardOptions.h"
#include "engine/SaverOptions.h"

namespace {

TextOptionValues fonts() {
    TextOptionValues t;
    t.letterFace = "Arial";
    t.letterSizeText = "30";
    t.titleFace = "Tahoma";
    t.titleSizeText = "72pt";
    return t;
}

const ScrOptionValue* find(const std::vector<ScrOptionValue>& values, const std::string& name) {
    for (const ScrOptionValue& v : values)
        if (v.name == name) return &v;
    return nullptr;
}

}  // namespace

TEST(WizardOptions, FourteenRegistryValuesUnderTheSaversName) {
    TextOptionValues t = fonts();
    t.letterOn = true;
    t.letterStartText = "";
    t.letterColour = 0x123456;
    int32_t threshold = 0;
    const auto values = scrOptionValues("C:\\WINDOWS\\Holiday.Pics.scr", t, {true, 1, 3000, 9000}, 1024, threshold);
    const char* words[] = {"Display", "Trx", "Sfx", "IsLetter", "LetterFont", "LetterFontSize", "LetterFontColor",
                           "LetterTimerCheck", "LetterTime", "TitleFont", "TitleFontSize", "TitleFontColor",
                           "DefaultColorCheck", "DefaultFontCheck"};
    ASSERT_EQ(values.size(), 14u);
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(values[i].name, std::string("holiday.pics") + words[i]);
    EXPECT_EQ(values[0].text, "640 * 480");
    EXPECT_EQ(values[1].number, 3000u);
    EXPECT_EQ(values[2].number, 9000u);
    EXPECT_EQ(values[3].number, 1u);
    EXPECT_EQ(values[4].text, "Arial");
    EXPECT_EQ(values[5].number, 30u);
    EXPECT_EQ(values[6].number, 0x123456u);
    EXPECT_EQ(values[7].number, 1u);
    EXPECT_EQ(values[8].number, 0u);    // an empty edit is 0 here, "5" in the texts
    EXPECT_TRUE(values[9].isString);
    EXPECT_EQ(values[10].number, 72u);
    EXPECT_EQ(values[11].number, 0xFF0000u);
}

// The engine finds its options under the names the wizard wrote them, whatever the saver's path.
TEST(WizardOptions, TheEngineReadsTheNamesTheWriterWrites) {
    const char* paths[] = {"C:\\WINDOWS\\Sea.scr", "C:\\My.Folder\\saver", "C:\\WINDOWS\\NoExtension",
                           "D:/Out.d/Sea.Trip.scr", "Bare.scr", "C:\\A.B\\C.D\\E"};
    const char* words[] = {"Display", "Trx", "Sfx", "IsLetter", "LetterFont", "LetterFontSize", "LetterFontColor",
                           "LetterTimerCheck", "LetterTime", "TitleFont", "TitleFontSize", "TitleFontColor",
                           "DefaultColorCheck", "DefaultFontCheck"};
    for (const char* path : paths) {
        char engineName[260];
        std::snprintf(engineName, sizeof engineName, "%s", path);
        fileNamePart(engineName);
        int32_t threshold = 0;
        const auto values = scrOptionValues(path, fonts(), {true, 1, 2000, 5000}, 1024, threshold);
        ASSERT_EQ(values.size(), 14u) << path;
        for (size_t i = 0; i < 14; ++i) EXPECT_EQ(values[i].name, optionValueName(engineName, words[i])) << path;
    }
}

TEST(WizardOptions, DisplayRule) {
    struct Case {
        int32_t row, width;
        const char* expected;   // null: not written
    } cases[] = {
        {2, 1024, "800 * 600"}, {2, 800, "640 * 480"}, {0, 800, "400 * 300"},
        {1, 640, "640 * 480"},  {1, 601, "640 * 480"}, {0, 400, "640 * 480"},
    };
    for (const Case& c : cases) {
        int32_t threshold = 0;
        const auto values = scrOptionValues("x.scr", fonts(), {true, c.row, 2000, 5000}, c.width, threshold);
        const ScrOptionValue* display = find(values, "xDisplay");
        ASSERT_TRUE(display) << c.row << " " << c.width;
        EXPECT_EQ(display->text, c.expected) << c.row << " " << c.width;
    }
    // No row: the threshold of the call before decides, and a wider screen gets nothing.
    int32_t threshold = 800;
    EXPECT_EQ(find(scrOptionValues("x.scr", fonts(), {true, -1, 2000, 5000}, 800, threshold), "xDisplay")->text,
              "640 * 480");
    EXPECT_EQ(find(scrOptionValues("x.scr", fonts(), {true, -1, 2000, 5000}, 1024, threshold), "xDisplay"), nullptr);
    EXPECT_EQ(threshold, 800);
}

TEST(WizardOptions, ExeOptionText) {
    TextOptionValues t = fonts();
    t.letterStartText = "";
    t.randomColour = true;
    t.titleColour = 255;
    EXPECT_EQ(exeOptionText(t, {true, 2, 4000, 12000}),
              "1\r\n1\r\n5\r\nArial\r\n30\r\nTahoma\r\n72pt\r\n1\r\n0\r\n2\r\n4000\r\n12000\r\n255\r\n16711680\r\n");
    t.titlesOn = false;
    EXPECT_EQ(exeOptionText(t, MakeOptionValues{}).substr(0, 3), "0\r\n");
    EXPECT_NE(exeOptionText(t, MakeOptionValues{}).find("\r\n1\r\n2000\r\n5000\r\n"), std::string::npos);
}
