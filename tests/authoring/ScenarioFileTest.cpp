// Scenario files: the lines as written, what reading gives back, and files
// that do not keep to the format.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "authoring/ScenarioFile.h"
#include "tests/support/TestSupport.h"

namespace {

struct Missing {
    std::set<std::string> paths;
    static bool exists(const char* path, void* self) { return !static_cast<Missing*>(self)->paths.count(path); }
};

ScenarioState parse(const std::string& text, Missing* missing = nullptr, int32_t* count = nullptr) {
    ScenarioState state;
    parseScenarioText(text.data(), text.size(), state, missing ? &Missing::exists : nullptr, missing, count);
    return state;
}

ScenarioPageValues sample() {
    ScenarioPageValues v;
    v.pictures = {"C:\\a.jpg", "C:\\b.jpg"};
    v.titlePaths = v.pictures;
    v.titles = {"Sea", ""};
    v.slideTimeRow = 3;
    v.text.letterStartText = "7";
    v.text.letterFontRow = 4;
    v.text.letterSizeRow = 5;
    v.text.titleFontRow = 6;
    v.text.titleSizeRow = 2;
    v.text.randomColour = true;
    v.make = {true, 2, 3000, 8000};
    v.soundPath = "C:\\s.mp3";
    v.letterText = "Dear\r\nall";
    return v;
}

}  // namespace

TEST(ScenarioFile, LinesInTheirFixedOrder) {
    EXPECT_EQ(scenarioFileText(sample()),
              "2\r\n2\r\n3\r\n1\r\n7\r\n4\r\n5\r\n6\r\n2\r\n1\r\n0\r\n2\r\n3000\r\n8000\r\nC:\\s.mp3\r\n"
              "C:\\a.jpg\r\nC:\\b.jpg\r\nC:\\a.jpg\r\nC:\\b.jpg\r\nSea\r\nNothing\r\nLETTER\r\nDear\r\nall\r\n");

    // Nothing chosen, no Make page yet: the fillers.
    ScenarioPageValues empty;
    empty.text.letterStartText = "";
    EXPECT_EQ(scenarioFileText(empty), "0\r\n0\r\n0\r\n1\r\n5\r\n0\r\n1\r\n0\r\n2\r\n0\r\n0\r\n1\r\n2000\r\n5000\r\n"
                                       "Nothing\r\nNothing\r\nNothing\r\nLETTER\r\n\r\n");
}

TEST(ScenarioFile, ReadingGivesBackWhatWasWritten) {
    const ScenarioPageValues v = sample();
    Missing missing{{"C:\\b.jpg"}};
    int32_t count = 0;
    const ScenarioState s = parse(scenarioFileText(v), &missing, &count);
    EXPECT_EQ(s.imageRestorePending + s.textRestorePending + s.soundRestorePending + s.makeRestorePending, 4);
    EXPECT_EQ(s.slideTimeRow, 3);
    EXPECT_EQ(s.letterStartTime, "7");
    EXPECT_EQ(s.letterFontRow, 4);
    EXPECT_EQ(s.letterSizeRow, 5);
    EXPECT_EQ(s.titleFontRow, 6);
    EXPECT_EQ(s.titleSizeRow, 2);
    EXPECT_EQ(s.randomColour, 1);
    EXPECT_EQ(s.defaultFont, 0);
    EXPECT_EQ(s.screenModeRow, 2);
    EXPECT_EQ(s.transitionMs, 3000);
    EXPECT_EQ(s.showMs, 8000);
    EXPECT_EQ(s.soundPath, "C:\\s.mp3");
    EXPECT_EQ(s.pictures, v.pictures);
    EXPECT_EQ(s.titlePaths, v.titlePaths);
    EXPECT_EQ(s.titles, (std::vector<std::string>{"Sea", ""}));
    EXPECT_EQ(s.letterText, "Dear\r\nall");
    EXPECT_EQ(s.missingPictures, (std::vector<std::string>{"C:\\b.jpg"}));
    EXPECT_EQ(count, 1);

    // No pictures: the "Nothing" fillers read as nothing, sound path empty.
    const ScenarioState e = parse(scenarioFileText(ScenarioPageValues{}));
    EXPECT_TRUE(e.pictures.empty());
    EXPECT_TRUE(e.titlePaths.empty());
    EXPECT_TRUE(e.soundPath.empty());
    EXPECT_EQ(e.letterText, "");
}

TEST(ScenarioFile, TextsThatLookLikeTheFormat) {
    ScenarioPageValues v = sample();
    v.titles = {"Nothing", "x"};   // a title that reads "Nothing" comes back empty
    EXPECT_EQ(parse(scenarioFileText(v)).titles, (std::vector<std::string>{"", "x"}));

    v = sample();
    v.titles = {"LETTER", "x"};    // ... and one that reads "LETTER" starts the letter early
    const ScenarioState s = parse(scenarioFileText(v));
    EXPECT_TRUE(s.titles.empty());
    EXPECT_EQ(s.letterText.substr(0, 3), "x\r\n");

    // A line break inside a single-line text would shift every later line.
    v = sample();
    v.titles = {"two\r\nlines", "x"};
    EXPECT_EQ(parse(scenarioFileText(v)).titles, (std::vector<std::string>{"two", "x"}));
}

TEST(ScenarioFile, LongLinesStayWhole) {
    ScenarioPageValues v = sample();
    const std::string paragraph(1200, 'p');
    v.letterText = paragraph;
    v.pictures[0] = "C:\\" + std::string(300, 'd') + ".jpg";   // longer than a slot: cut, not split
    const ScenarioState s = parse(scenarioFileText(v));
    EXPECT_EQ(s.letterText, paragraph);
    ASSERT_EQ(s.pictures.size(), 2u);
    EXPECT_EQ(s.pictures[0].size(), kScenarioLineChars);
    EXPECT_EQ(s.pictures[1], "C:\\b.jpg");
    EXPECT_EQ(s.titles[0], "Sea");
}

TEST(ScenarioFile, HostileFilesStayInBounds) {
    // Counts far beyond the data (and negative) never fill more than is there.
    ScenarioState s = parse("99999999\r\n-7\r\n");
    EXPECT_TRUE(s.pictures.empty());
    s = parse("1000\r\n1000\r\n3\r\n1\r\n123456789012345\r\n");
    EXPECT_EQ(s.letterStartTime, "12345678901");

    // More than 255 pictures, all missing: 255 slots, the count of all.
    std::string many = "400\r\n0\r\n0\r\n1\r\n5\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n1\r\n2000\r\n5000\r\nNothing\r\n";
    Missing missing;
    for (int i = 0; i < 400; ++i) {
        many += "p" + std::to_string(i) + "\r\n";
        missing.paths.insert("p" + std::to_string(i));
    }
    int32_t count = 0;
    s = parse(many, &missing, &count);
    EXPECT_EQ(s.pictures.size(), 255u);
    EXPECT_EQ(s.missingPictures.size(), 255u);
    EXPECT_EQ(count, 400);

    // A letter beyond its room is cut; a huge line and a file without line breaks end the read.
    s = parse("0\r\n0\r\nLETTER\r\n" + std::string(20000, 'x') + "\r\nmore\r\n");
    EXPECT_EQ(s.letterText.size(), kScenarioLetterChars);
    s = parse(std::string(50000, '7'));
    EXPECT_TRUE(s.pictures.empty());
    s = parse(std::string("0\n0\n\n\n\n\n\n\n\n\n\n\n\n\nC:\\bare.mp3"));   // LF only, no last break
    EXPECT_EQ(s.soundPath, "C:\\bare.mp3");
    s = parse(std::string("1\r\n\0\r\n", 5));
    EXPECT_EQ(s.imageRestorePending, 1);
}

TEST(ScenarioFile, StreamReadMatchesTextRead) {
    const std::string dir = vt_test::scratchDir("scenario_stream");
    const std::string path = dir + "/work.sao";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    ASSERT_TRUE(writeScenarioFile(out, sample()));
    std::fclose(out);
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(in);
    ScenarioState s;
    readScenarioStream(in, s, nullptr, nullptr, nullptr);
    std::fclose(in);
    EXPECT_EQ(s.pictures, sample().pictures);
    EXPECT_EQ(s.letterText, "Dear\r\nall");
}

// What a loaded file gives back as page values, each step as its restore fills it.
ScenarioPageValues asRestored(const ScenarioState& s) {
    ScenarioPageValues v;
    ScenarioState all = s;
    all.imageRestorePending = all.textRestorePending = all.soundRestorePending = all.makeRestorePending = 1;
    takePendingScenario(v, all);
    return v;
}

TEST(ScenarioFile, SaveOpenSaveGivesTheSameBytes) {
    // Letters ending with and without line breaks, empty ones, and blank lines inside.
    for (const char* letter : {"Dear\r\nall", "Dear\r\nall\r\n", "", "\r\n", "a\r\n\r\n\r\nb\r\n\r\n"}) {
        ScenarioPageValues v = sample();
        v.letterText = letter;
        const std::string first = scenarioFileText(v);
        const ScenarioState once = parse(first);
        EXPECT_EQ(once.letterText, letter);
        const std::string second = scenarioFileText(asRestored(once));
        EXPECT_EQ(second, first) << "letter \"" << letter << "\"";
        EXPECT_EQ(scenarioFileText(asRestored(parse(second))), first);
    }
}

TEST(ScenarioFile, SavingBeforeTheStepsTookTheLoadedData) {
    const ScenarioState loaded = parse(scenarioFileText(sample()));
    // Step 1 took its data at once; the others were never shown, so their
    // controls give nothing (or what they held before the load).
    ScenarioState pending = loaded;
    pending.imageRestorePending = 0;
    ScenarioPageValues controls;
    controls.pictures = sample().pictures;
    controls.slideTimeRow = 3;
    controls.letterText = "older letter";
    controls.soundPath = "C:\\older.wav";
    takePendingScenario(controls, pending);
    EXPECT_EQ(scenarioFileText(controls), scenarioFileText(sample()));

    // A step that has taken its data (and was edited since) keeps its controls.
    ScenarioState taken = loaded;
    taken.imageRestorePending = taken.textRestorePending = taken.soundRestorePending = 0;
    ScenarioPageValues edited = sample();
    edited.letterText = "edited";
    edited.soundPath = "C:\\other.wav";
    ScenarioPageValues v = edited;
    takePendingScenario(v, taken);
    EXPECT_EQ(scenarioFileText(v), scenarioFileText(edited));

    // A loaded file without sound or letter leaves none of the older work's in the steps.
    ScenarioPageValues bare = sample();
    bare.soundPath.clear();
    bare.letterText.clear();
    ScenarioState noSound = parse(scenarioFileText(bare));
    ScenarioPageValues older = sample();
    older.soundPath = "C:\\older.wav";
    older.letterText = "older letter";
    takePendingScenario(older, noSound);
    EXPECT_EQ(scenarioFileText(older), scenarioFileText(bare));
}

TEST(ScenarioFile, UnsavedWorkIsAnyChangeAFileWouldKeep) {
    const ScenarioPageValues kept = sample();
    EXPECT_TRUE(sameScenarioWork(kept, kept));
    // A title list never made equals one holding every picture untitled.
    ScenarioPageValues unmade = kept, made = kept;
    unmade.titlePaths.clear();
    unmade.titles.clear();
    made.titles = {"", ""};
    EXPECT_TRUE(sameScenarioWork(unmade, made));
    // A Make step never made equals one at its defaults.
    ScenarioPageValues noMake = kept, defaults = kept;
    noMake.make = MakeOptionValues{};
    defaults.make = {true, 1, 2000, 5000};
    EXPECT_TRUE(sameScenarioWork(noMake, defaults));

    struct Change {
        const char* what;
        void (*apply)(ScenarioPageValues&);
    };
    const Change changes[] = {
        {"a picture deleted", [](ScenarioPageValues& v) { v.pictures.pop_back(); v.titlePaths.pop_back(); v.titles.pop_back(); }},
        {"a title typed", [](ScenarioPageValues& v) { v.titles[1] = "Harbour"; }},
        {"a title cleared", [](ScenarioPageValues& v) { v.titles[0].clear(); }},
        {"the letter", [](ScenarioPageValues& v) { v.letterText += "!"; }},
        {"the sound dropped", [](ScenarioPageValues& v) { v.soundPath.clear(); }},
        {"the slide time", [](ScenarioPageValues& v) { v.slideTimeRow = 0; }},
        {"a letter font", [](ScenarioPageValues& v) { v.text.letterFontRow = 0; }},
        {"random colour", [](ScenarioPageValues& v) { v.text.randomColour = false; }},
        {"the show time", [](ScenarioPageValues& v) { v.make.showMs = 9000; }},
        {"the pictures' order", [](ScenarioPageValues& v) { std::swap(v.pictures[0], v.pictures[1]); }},
    };
    for (const Change& change : changes) {
        ScenarioPageValues changed = kept;
        change.apply(changed);
        EXPECT_FALSE(sameScenarioWork(kept, changed)) << change.what;
    }
}

TEST(ScenarioFile, ExtensionRules) {
    EXPECT_EQ(withScenarioExtension("C:\\notes.txt"), "C:\\notes.txt.sao");
    EXPECT_EQ(withScenarioExtension("C:\\Work.SAO"), "C:\\Work.SAO");
    EXPECT_EQ(withScenarioExtension("C:\\work"), "C:\\work.sao");
    EXPECT_TRUE(isScenarioPath("a.Sao"));
    EXPECT_FALSE(isScenarioPath("a.sao.txt"));
}
