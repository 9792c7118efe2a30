// Savers made by the package writer, read back by the engine's reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PackageFixture.h"
#include "engine/ScenarioPackage.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

std::vector<uint8_t> entryBytes(ScenarioPackage* p, int32_t type, int32_t index) {
    int32_t size = -1;
    uint8_t* data = findEntry(p, type, index, &size);
    if (!data) return {};
    std::vector<uint8_t> bytes(data, data + size);
    releaseEntry(p, type, index, data);
    return bytes;
}

std::string entryText(ScenarioPackage* p, int32_t type, int32_t index) {
    const std::vector<uint8_t> b = entryBytes(p, type, index);
    return b.empty() ? std::string("<none>") : std::string(b.begin(), b.end() - 1);
}

}  // namespace

TEST(ScenarioRoundTrip, TheEngineReadsWhatTheWriterWrote) {
    const std::string dir = scratchDir("round-trip");
    // Picture sizes on both sides of the reader's in-memory threshold.
    const std::vector<uint8_t> pic[3] = {patternBytes(100, 1), patternBytes(1023, 2), patternBytes(1024, 3)};
    PackInput input;
    input.rows = {{makeFile(dir, "a.jpg", pic[0]), "Dawn"},
                  {makeFile(dir, "b.jpg", pic[1]), ""},
                  {makeFile(dir, "c.jpg", pic[2]), "Dusk"}};
    input.titlesOn = true;
    const std::vector<uint8_t> sound = patternBytes(5000, 4);
    input.soundPath = makeFile(dir, "s.wav", sound);
    input.letterOn = true;
    input.letterText = "Line one\r\nLine two";

    struct Case {
        bool titles;
        int32_t lastTitle;
    } cases[] = {{true, 2}, {false, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.titles ? "titles on" : "titles off");
        input.titlesOn = c.titles;
        const std::string saver = makeFile(dir, "Beach.scr", patternBytes(1536, 5));
        PackLog log;
        ASSERT_TRUE(packScreenSaver(input, saver.c_str(), log.reporter()).built);

        ScenarioPackage* p = newScenarioPackage();
        ASSERT_EQ(loadScenario(p, saver.c_str()), 1);
        EXPECT_EQ(p->packageOffset, 1536);   // no fill after a multiple of 512
        EXPECT_EQ(countImages(p), 2);
        EXPECT_EQ(countTitles(p), c.lastTitle);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(entryBytes(p, kEntryPicture, i), pic[i]) << i;
        EXPECT_EQ(entryBytes(p, kEntryPicture, 3), pic[2]);
        EXPECT_EQ(entryBytes(p, kEntrySound, 3), sound);
        if (c.titles) {
            EXPECT_EQ(entryText(p, kEntryTitle, 0), "Dawn");
            EXPECT_EQ(entryText(p, kEntryTitle, 1), "ScreenSaver");
            EXPECT_EQ(entryText(p, kEntryTitle, 2), "Dusk");
        }
        EXPECT_EQ(entryText(p, kEntryLetter, 0), input.letterText);
        char name[kSaverNameBytes] = {};
        loadScenarioName(p, name);
        EXPECT_EQ(std::string(name), saver);
        freeScenarioPackage(p);
    }
}

TEST(ScenarioRoundTrip, AGapStopsTheEnginesPictureCount) {
    const std::string dir = scratchDir("round-trip-gap");
    PackInput input;
    input.rows = {{makeFile(dir, "a.jpg", patternBytes(10, 1)), ""},
                  {dir + "/gone.jpg", ""},
                  {makeFile(dir, "c.jpg", patternBytes(10, 3)), ""}};
    const std::string saver = makeFile(dir, "s.scr", patternBytes(600, 5));
    PackLog log;
    ASSERT_TRUE(packScreenSaver(input, saver.c_str(), log.reporter()).built);
    ScenarioPackage* p = newScenarioPackage();
    ASSERT_EQ(loadScenario(p, saver.c_str()), 1);
    EXPECT_EQ(countImages(p), -1);   // one entry before the gap
    EXPECT_EQ(countTitles(p), -1);
    freeScenarioPackage(p);
}
