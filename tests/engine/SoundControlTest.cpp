// Writing the scenario's sound entry to its file, and the show's sound control.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/SoundControl.h"
#include "engine/SoundAnalysis.h"
#include "engine/SoundPlayer.h"
#include "tests/engine/SoundEntryFake.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 13);
    return v;
}

}  // namespace

TEST(SoundEntry, WritesTheFirstOfMp3MidiWavAndReleasesIt) {
    // {indexes present} -> the kind written
    struct Case { std::vector<int32_t> present; int32_t kind; } cases[] = {
        {{1, 3}, kSoundMp3}, {{3}, kSoundWav}, {{2, 3}, kSoundMidi}, {{1, 2, 3}, kSoundMp3},
    };
    for (const Case& c : cases) {
        const std::string dir = vt_test::scratchDir("sound-entry");
        FakeSoundEntries entries;
        for (int32_t index : c.present) entries.byIndex[index] = bytes(3000 + index, static_cast<uint8_t>(index));
        ASSERT_EQ(writeSoundFile(entries.source(), SoundFolders{dir, ""}), 1);
        EXPECT_EQ(soundKind(), c.kind);
        const std::string path = (fs::path(dir) / soundFileName(c.kind)).string();
        EXPECT_EQ(fs::path(soundFilePath()), fs::path(path));
        EXPECT_EQ(vt_test::readFileBytes(path), entries.byIndex[c.kind]);
        EXPECT_EQ(entries.found, std::vector<int32_t>{c.kind});
        EXPECT_EQ(entries.released, std::vector<int32_t>{c.kind});
        EXPECT_EQ(entries.wrongReleases, 0);
        size_t files = 0;
        for (const auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
        EXPECT_EQ(files, 1u);   // only the chosen kind's file
    }
}

TEST(SoundEntry, NoSoundEntryWritesNothing) {
    const std::string dir = vt_test::scratchDir("sound-none");
    FakeSoundEntries entries;
    entries.byIndex[4] = bytes(10, 1);   // not a sound index
    EXPECT_EQ(writeSoundFile(entries.source(), SoundFolders{dir, dir}), 0);
    EXPECT_TRUE(entries.released.empty());
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST(SoundEntry, ReplacesOnlyItsOwnNameAndFallsBackToTheTemporaryFolder) {
    const std::string dir = vt_test::scratchDir("sound-replace");
    const std::string temp = vt_test::scratchDir("sound-temp");
    vt_test::writeFileBytes((fs::path(dir) / "sound.wav").string(), bytes(50, 9));
    vt_test::writeFileBytes((fs::path(dir) / "sound.mp3").string(), bytes(80000, 7));
    FakeSoundEntries entries;
    entries.byIndex[1] = bytes(1500, 2);
    ASSERT_EQ(writeSoundFile(entries.source(), SoundFolders{dir, temp}), 1);
    EXPECT_EQ(vt_test::readFileBytes((fs::path(dir) / "sound.mp3").string()), entries.byIndex[1]);   // shorter: truncated
    EXPECT_EQ(vt_test::readFileBytes((fs::path(dir) / "sound.wav").string()), bytes(50, 9));
    EXPECT_TRUE(fs::is_empty(temp));

    // A system folder that cannot take the file: the same name in the temporary folder.
    const std::string missing = (fs::path(dir) / "no-such-folder").string();
    FakeSoundEntries wav;
    wav.byIndex[3] = bytes(2000, 5);
    ASSERT_EQ(writeSoundFile(wav.source(), SoundFolders{missing, temp}), 1);
    EXPECT_EQ(fs::path(soundFilePath()), fs::path(temp) / "sound.wav");
    EXPECT_EQ(vt_test::readFileBytes((fs::path(temp) / "sound.wav").string()), wav.byIndex[3]);
    EXPECT_EQ(wav.released, std::vector<int32_t>{3});

    // Neither folder: nothing written, the entry still released.
    FakeSoundEntries lost;
    lost.byIndex[2] = bytes(100, 3);
    EXPECT_EQ(writeSoundFile(lost.source(), SoundFolders{missing, missing}), 0);
    EXPECT_EQ(lost.released, std::vector<int32_t>{2});
    EXPECT_STREQ(soundFilePath(), "");
}

TEST(SoundControl, MutedShowWritesNoFileAndStartsNothing) {
    FakeSoundEntries entries;
    entries.byIndex[3] = bytes(100, 1);
    EXPECT_EQ(startShowSound(1, entries.source()), 0);
    EXPECT_TRUE(entries.found.empty());
    EXPECT_FALSE(soundPlayer().threadRunning());
    stopShowSound(1);
}

TEST(SoundControl, SoundEndRestartsOnlyWhenRepeatIsOn) {
    EXPECT_EQ(onSoundEnded(0), 0);
    EXPECT_EQ(onSoundEnded(2), 0);
    EXPECT_EQ(onSoundEnded(1), 1);
}

TEST(SoundControl, FrameStepAnalysesTheHandoverSamples) {
    prepareSoundAnalysis();
    int16_t* handover = soundHandoverSamples();
    for (int i = 0; i < 256; ++i) handover[i] = (i & 1) ? 30000 : -30000;
    analyzeNewestSound();
    EXPECT_EQ(soundAnalysis().level, 255);
    EXPECT_EQ(std::abs(soundAnalysis().samples[0]), 30000);
    for (int i = 0; i < 256; ++i) handover[i] = 0;
    analyzeNewestSound();
    EXPECT_EQ(soundAnalysis().level, 0);
}
