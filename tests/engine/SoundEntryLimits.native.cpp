// A write cut short (here by a file-size limit) leaves no half-written sound file.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "engine/SoundControl.h"
#include "tests/engine/SoundEntryFake.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

TEST(SoundEntry, ShortWriteRemovesTheFileInEveryFolder) {
    const std::string dir = vt_test::scratchDir("sound-short");
    const std::string temp = vt_test::scratchDir("sound-short-temp");
    FakeSoundEntries entries;
    entries.byIndex[1] = std::vector<uint8_t>(200000, 0x5A);

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 50000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int written = writeSoundFile(entries.source(), SoundFolders{dir, temp});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(written, 0);
    EXPECT_FALSE(fs::exists(fs::path(dir) / "sound.mp3"));
    EXPECT_FALSE(fs::exists(fs::path(temp) / "sound.mp3"));
    EXPECT_EQ(entries.released, std::vector<int32_t>{1});
}
