// The saver package as the writer lays it out, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PackageFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

struct Built {
    std::vector<uint8_t> engine;
    std::string saver;
    PackResult result;
    PackLog log;
    std::vector<ParsedEntry> entries;
    std::string why;
};

// Copies an engine stand-in of `engineLength` bytes to a saver file and packs it.
void build(Built& b, const std::string& dir, size_t engineLength, const PackInput& input) {
    b.engine = patternBytes(engineLength, 1);
    b.saver = makeFile(dir, "Saver.scr", b.engine);
    b.result = packScreenSaver(input, b.saver.c_str(), b.log.reporter());
    b.entries = parsePackage(readFileBytes(b.saver), engineLength, &b.why);
}

std::vector<std::pair<uint32_t, uint32_t>> keys(const std::vector<ParsedEntry>& entries) {
    std::vector<std::pair<uint32_t, uint32_t>> k;
    for (const ParsedEntry& e : entries) k.push_back({e.type, e.index});
    return k;
}

using Keys = std::vector<std::pair<uint32_t, uint32_t>>;

}  // namespace

TEST(ScenarioWriter, LayoutByteForByte) {
    const std::string dir = scratchDir("writer-layout");
    const std::vector<uint8_t> pic[3] = {patternBytes(700, 2), patternBytes(1500, 3), patternBytes(33, 4)};
    PackInput input;
    input.rows = {{makeFile(dir, "a.jpg", pic[0]), "Sea"},
                  {makeFile(dir, "b.jpg", pic[1]), ""},
                  {makeFile(dir, "c.jpg", pic[2]), "Sky"}};
    input.titlesOn = true;
    const std::vector<uint8_t> sound = patternBytes(900, 5);
    input.soundPath = makeFile(dir, "tune.MID", sound);
    input.letterOn = true;
    input.letterText = "Dear\r\nfriend";

    // Engine lengths: with fill, already a multiple of 512 (no fill), one short of one.
    for (size_t length : {1000u, 1024u, 2047u}) {
        SCOPED_TRACE(length);
        Built b;
        build(b, dir, length, input);
        ASSERT_TRUE(b.result.built) << b.result.error;
        ASSERT_FALSE(b.entries.empty()) << b.why;
        const std::vector<uint8_t> file = readFileBytes(b.saver);
        EXPECT_TRUE(std::equal(b.engine.begin(), b.engine.end(), file.begin()));

        EXPECT_EQ(keys(b.entries), (Keys{{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 2}, {3, 0}, {3, 1},
                                         {3, 2}, {4, 0}, {5, 0}}));
        // Data from P + 9,621, back to back, to the end of the file.
        const size_t p = (length + 511) / 512 * 512;
        EXPECT_EQ(b.entries[0].offset, p + 9621);
        for (size_t i = 1; i < b.entries.size(); ++i)
            EXPECT_EQ(b.entries[i].offset, b.entries[i - 1].offset + b.entries[i - 1].size) << i;
        EXPECT_EQ(file.size(), b.entries.back().offset + b.entries.back().size);

        EXPECT_EQ(b.entries[0].data, pic[0]);
        EXPECT_EQ(b.entries[1].data, pic[1]);
        EXPECT_EQ(b.entries[2].data, pic[2]);
        EXPECT_EQ(b.entries[3].data, pic[2]);   // the last picture twice
        EXPECT_EQ(b.entries[4].data, sound);
        const std::vector<uint8_t> screenSaver = {'S', 'c', 'r', 'e', 'e', 'n', 'S', 'a', 'v', 'e', 'r', 0};
        EXPECT_EQ(b.entries[5].data, (std::vector<uint8_t>{'S', 'e', 'a', 0}));
        EXPECT_EQ(b.entries[6].data, screenSaver);
        EXPECT_EQ(b.entries[7].data, (std::vector<uint8_t>{'S', 'k', 'y', 0}));
        EXPECT_EQ(b.entries[8].size, b.saver.size() + 1);
        EXPECT_EQ(b.entries[8].text(), b.saver);
        EXPECT_EQ(b.entries[9].size, input.letterText.size() + 1);
        EXPECT_EQ(b.entries[9].text(), input.letterText);

        EXPECT_TRUE(b.log.boxes.empty());
        EXPECT_EQ(b.result.pictureEntries, 4);
        EXPECT_EQ(b.result.soundKind, 2);
        EXPECT_EQ(b.result.titleEntries, 3);
        EXPECT_TRUE(b.result.letter);
        // Two progress lines per item.
        ASSERT_EQ(b.log.lines.size(), 20u);
        EXPECT_EQ(b.log.lines[0], "Object to update : " + input.rows[0].path);
        EXPECT_EQ(b.log.lines[1], "Update is completed : " + input.rows[0].path);
        EXPECT_EQ(b.log.lines[7], "Update is completed : " + input.rows[2].path);   // the repeat
        EXPECT_EQ(b.log.lines[12], "Object to update : ScreenSaver");
        EXPECT_EQ(b.log.lines[18], "Object to update : Letter");
        EXPECT_EQ(b.log.lines[19], "Update is completed : Letter");
    }
}

TEST(ScenarioWriter, OnePictureWithoutExtras) {
    const std::string dir = scratchDir("writer-one");
    PackInput input;
    input.rows = {{makeFile(dir, "only.jpg", patternBytes(64, 9)), "Alone"}};
    input.titlesOn = true;
    Built b;
    build(b, dir, 512, input);
    ASSERT_TRUE(b.result.built);
    EXPECT_EQ(keys(b.entries), (Keys{{1, 0}, {1, 1}, {3, 0}, {4, 0}}));
    EXPECT_EQ(b.entries[0].data, b.entries[1].data);
    EXPECT_EQ(b.entries[0].offset, 512u + 9621u);   // no fill
    EXPECT_EQ(b.entries[2].text(), "Alone");

    // Titles and letter off: pictures and the path only.
    input.titlesOn = false;
    input.letterText = "ignored";
    Built off;
    build(off, dir, 512, input);
    EXPECT_EQ(keys(off.entries), (Keys{{1, 0}, {1, 1}, {4, 0}}));
    EXPECT_TRUE(off.log.boxes.empty());
}

TEST(ScenarioWriter, UnreadablePictureLeavesAGapAndTheBuildGoesOn) {
    const std::string dir = scratchDir("writer-unreadable");
    const std::string a = makeFile(dir, "a.jpg", patternBytes(10, 1));
    const std::string b = makeFile(dir, "b.jpg", patternBytes(20, 2));
    const std::string gone = dir + "/gone.jpg";
    struct Case {
        std::vector<std::string> paths;
        Keys pictures;
        std::vector<int> unreadable;
    } cases[] = {
        {{a, gone, b}, {{1, 0}, {1, 2}, {1, 3}}, {1}},   // later pictures keep their indexes
        {{a, b, gone}, {{1, 0}, {1, 1}}, {2, 3}},        // the last one fails twice
    };
    for (const Case& c : cases) {
        PackInput input;
        for (const std::string& p : c.paths) input.rows.push_back({p, "t"});
        Built built;
        build(built, dir, 700, input);
        ASSERT_TRUE(built.result.built);
        Keys pictures;
        for (const ParsedEntry& e : built.entries)
            if (e.type == 1) pictures.push_back({e.type, e.index});
        EXPECT_EQ(pictures, c.pictures);
        EXPECT_EQ(built.result.unreadablePictures, c.unreadable);
        ASSERT_EQ(built.log.boxes.size(), c.unreadable.size());
        for (const PackLog::Box& box : built.log.boxes) {
            EXPECT_EQ(box.text, "Can't read image file.");
            EXPECT_EQ(box.caption, "Glimmerdeck 1.0");
            EXPECT_EQ(box.style, PackMessageStyle::Stop);
        }
    }
}

TEST(ScenarioWriter, SoundKindsAndSoundFailures) {
    struct Kind {
        const char* path;
        int kind;
    } kinds[] = {{"a.mp3", 1}, {"A.MP3", 1}, {"b.MiD", 2}, {"c.wav", 3}, {"x.mp3.wav", 3},
                 {"d.wma", 0}, {"noext", 0}, {"x.", 0}, {"dir.mp3\\file", 0}, {"", 0}};
    for (const Kind& k : kinds) EXPECT_EQ(soundKindFromExtension(k.path), k.kind) << k.path;

    const std::string dir = scratchDir("writer-sound");
    const std::string picture = makeFile(dir, "p.jpg", patternBytes(10, 1));
    std::filesystem::create_directories(dir + "/folder.mp3");
    struct Case {
        std::string sound;
        int kind;                 // 0: no sound entry
        const char* box;          // the one message, or null
        PackMessageStyle style;
    } cases[] = {
        {makeFile(dir, "s.MID", patternBytes(5, 1)), 2, nullptr, {}},
        {makeFile(dir, "s.mp3", patternBytes(5, 2)), 1, nullptr, {}},
        {makeFile(dir, "s.Wav", patternBytes(5, 3)), 3, nullptr, {}},
        {makeFile(dir, "s.ogg", patternBytes(5, 4)), 0, nullptr, {}},
        {"", 0, nullptr, {}},
        {dir + "/missing.mp3", 0,
         "Indicated sound file doesn't exist. Check whether file was moved or deleted.",
         PackMessageStyle::Notice},
        {dir + "/folder.mp3", 0, "Can't read sound file.", PackMessageStyle::Stop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sound);
        PackInput input;
        input.rows = {{picture, ""}};
        input.soundPath = c.sound;
        Built b;
        build(b, dir, 100, input);
        ASSERT_TRUE(b.result.built);
        const Keys expected = c.kind ? Keys{{1, 0}, {1, 1}, {2, uint32_t(c.kind)}, {4, 0}}
                                     : Keys{{1, 0}, {1, 1}, {4, 0}};
        EXPECT_EQ(keys(b.entries), expected);
        if (c.box) {
            ASSERT_EQ(b.log.boxes.size(), 1u);
            EXPECT_EQ(b.log.boxes[0].text, c.box);
            EXPECT_EQ(b.log.boxes[0].style, c.style);
        } else {
            EXPECT_TRUE(b.log.boxes.empty());
        }
    }
}

TEST(ScenarioWriter, TitleAndLetterRules) {
    const std::string dir = scratchDir("writer-titles");
    const std::string picture = makeFile(dir, "p.jpg", patternBytes(10, 1));
    PackInput input;
    input.rows = {{picture, std::string(150, 'x')}};
    input.titlesOn = true;
    input.letterOn = true;   // with an empty text
    Built b;
    build(b, dir, 100, input);
    ASSERT_TRUE(b.result.built);
    EXPECT_EQ(keys(b.entries), (Keys{{1, 0}, {1, 1}, {3, 0}, {4, 0}}));
    EXPECT_EQ(b.entries[2].text(), std::string(99, 'x'));   // the list's row holds 99 bytes
    EXPECT_EQ(b.entries[2].size, 100u);
    ASSERT_EQ(b.log.boxes.size(), 1u);
    EXPECT_EQ(b.log.boxes[0].text, "Letter doesn't exist. Check again.");
    EXPECT_EQ(b.log.boxes[0].caption, "Glimmerdeck");
    EXPECT_EQ(b.log.boxes[0].style, PackMessageStyle::Notice);
}

TEST(ScenarioWriter, ThreeHundredRowsAreCutTo255Pictures) {
    const std::string dir = scratchDir("writer-300");
    PackInput input;
    for (int i = 0; i < 300; ++i)
        input.rows.push_back({makeFile(dir, std::to_string(i) + ".jpg", patternBytes(3 + i % 7, uint8_t(i))),
                              "t" + std::to_string(i)});
    input.titlesOn = true;
    Built b;
    build(b, dir, 4096, input);
    ASSERT_TRUE(b.result.built);
    Keys expected;
    for (uint32_t i = 0; i <= 255; ++i) expected.push_back({1, i});
    for (uint32_t i = 0; i < 255; ++i) expected.push_back({3, i});
    expected.push_back({4, 0});
    EXPECT_EQ(keys(b.entries), expected);
    EXPECT_EQ(b.entries[255].data, b.entries[254].data);   // entry 255 repeats row 254
    EXPECT_EQ(b.entries[256 + 254].text(), "t254");
}

TEST(ScenarioWriter, FailuresAreReportedAndLeaveNoPackage) {
    const std::string dir = scratchDir("writer-fail");
    PackInput input;
    input.rows = {{makeFile(dir, "p.jpg", patternBytes(10, 1)), ""}};

    // An empty title list writes nothing at all.
    {
        Built b;
        build(b, dir, 1000, PackInput{});
        EXPECT_FALSE(b.result.built);
        EXPECT_FALSE(b.result.error.empty());
        EXPECT_EQ(readFileBytes(b.saver), b.engine);
        EXPECT_EQ(b.log.ensures, 0);
    }
    // A saver file that is not there is not created; a folder cannot be written.
    for (const std::string& target : {dir + "/missing.scr", dir}) {
        PackLog log;
        const PackResult r = packScreenSaver(input, target.c_str(), log.reporter());
        EXPECT_FALSE(r.built) << target;
        EXPECT_NE(r.error.find(target), std::string::npos) << r.error;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/missing.scr"));
}

TEST(ScenarioWriter, WriterLayerKeepsFailuresAndRollsBack) {
    const std::string dir = scratchDir("writer-layer");
    const std::vector<uint8_t> engine = patternBytes(777, 3);
    const std::string path = makeFile(dir, "s.scr", engine);
    {
        PackageWriter w;
        ASSERT_TRUE(beginPackage(w, path.c_str()));
        const char data[] = "abc";
        for (int i = 0; i < kPackageSlots; ++i) ASSERT_TRUE(appendEntry(w, 1, i, data, 3));
        EXPECT_FALSE(appendEntry(w, 1, 600, data, 3));   // the directory is full
        EXPECT_FALSE(finishPackage(w));
        EXPECT_FALSE(w.error.empty());
    }
    EXPECT_EQ(readFileBytes(path), engine);
    {
        PackageWriter w;   // abandoned without finishing
        ASSERT_TRUE(beginPackage(w, path.c_str()));
        ASSERT_TRUE(appendEntry(w, 4, 0, "x", 2));
    }
    EXPECT_EQ(readFileBytes(path), engine);
    {
        PackageWriter w;
        ASSERT_TRUE(beginPackage(w, path.c_str()));
        ASSERT_TRUE(appendEntry(w, 7, 0, "opt", 4));
        ASSERT_TRUE(finishPackage(w));
    }
    std::string why;
    const std::vector<ParsedEntry> entries = parsePackage(readFileBytes(path), engine.size(), &why);
    ASSERT_EQ(entries.size(), 1u) << why;
    EXPECT_EQ(entries[0].text(), "opt");
}
