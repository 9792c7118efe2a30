// Write failures the host can stage (a full device, a file-size limit), and the
// makesaver tool end to end.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

#include "PackageFixture.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

TEST(ScenarioWriterNative, ShortWriteFailsTheBuildAndRestoresTheEngineCopy) {
    const std::string dir = scratchDir("writer-short");
    PackInput input;
    input.rows = {{makeFile(dir, "big.jpg", patternBytes(60000, 1)), "t"}};
    const std::vector<uint8_t> engine = patternBytes(5000, 2);
    const std::string saver = makeFile(dir, "s.scr", engine);

    // The file may not grow past 30,000 bytes: the picture's write comes up short.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit limit = old;
    limit.rlim_cur = 30000;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    PackLog log;
    const PackResult r = packScreenSaver(input, saver.c_str(), log.reporter());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(r.built);
    EXPECT_NE(r.error.find("Cannot write"), std::string::npos) << r.error;
    EXPECT_EQ(readFileBytes(saver), engine);   // no package left behind

    // A device that takes nothing.
    if (std::filesystem::exists("/dev/full")) {
        const PackResult full = packScreenSaver(input, "/dev/full", log.reporter());
        EXPECT_FALSE(full.built);
        EXPECT_FALSE(full.error.empty());
    }
}

TEST(ScenarioWriterNative, MakesaverBuildsWhatTheWriterBuilds) {
    const std::string dir = scratchDir("makesaver");
    const std::string tool = binaryDir() + "/bin/makesaver";
    ASSERT_TRUE(std::filesystem::exists(tool));
    const std::vector<uint8_t> engine = patternBytes(3000, 4);
    const std::string enginePath = makeFile(dir, "engine.scr", engine);
    const std::string a = makeFile(dir, "a.jpg", patternBytes(100, 5));
    const std::string b = makeFile(dir, "b.jpg", patternBytes(200, 6));
    const std::string letter = makeFile(dir, "letter.txt", {'H', 'i', '\r', '\n', 'y', 'o', 'u'});
    const std::string sound = makeFile(dir, "tune.wav", patternBytes(300, 7));
    const std::string out = dir + "/Beach.scr";
    auto run = [&](const std::string& args) {
        return std::system((tool + " " + args + " > " + dir + "/log.txt 2>&1").c_str());
    };

    ASSERT_EQ(run("--engine " + enginePath + " --out " + out + " --picture " + a + " --picture " + b +
                  " --title Sand --sound " + sound + " --letter " + letter),
              0);
    std::string why;
    std::vector<ParsedEntry> entries = parsePackage(readFileBytes(out), engine.size(), &why);
    ASSERT_EQ(entries.size(), 8u) << why;
    EXPECT_EQ(entries[3].type, 2u);
    EXPECT_EQ(entries[3].index, 3u);
    EXPECT_EQ(entries[4].text(), "Sand");
    EXPECT_EQ(entries[5].text(), "ScreenSaver");   // the second picture has no title
    EXPECT_EQ(entries[6].text(), "Beach.scr");     // the saver names its options by this
    EXPECT_EQ(entries[7].text(), "Hi\r\nyou");

    // Without --title, titles are off.
    ASSERT_EQ(run("--engine " + enginePath + " --out " + out + " --picture " + a), 0);
    entries = parsePackage(readFileBytes(out), engine.size(), &why);
    ASSERT_EQ(entries.size(), 3u) << why;
    EXPECT_EQ(entries[2].type, 4u);

    // Failures: exit code non-zero, no saver left.
    const std::string failing[] = {
        "--engine " + enginePath + " --out " + out,                                   // no picture
        "--engine " + dir + "/none.scr --out " + out + " --picture " + a,            // no engine
        "--engine " + enginePath + " --out " + out + " --picture " + dir + "/x.jpg", // unreadable
        "--engine " + enginePath + " --out " + out + " --picture " + a + " --sound " + dir + "/s.mp3",
        "--engine " + enginePath + " --out " + out + " --picture " + a + " --title 1 --title 2",
        "--engine " + enginePath + " --out " + out + " --bogus 1",
    };
    for (const std::string& args : failing) {
        std::filesystem::remove(out);
        EXPECT_NE(run(args), 0) << args;
        EXPECT_FALSE(std::filesystem::exists(out)) << args;
    }
}
