// The authoring program's controls over the sound player under Wine (PulseAudio
// null sink): play, pause and resume, stop with rewind, seeking, the pan, and
// the duration read through a stream of its own. The tone is written here.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <cmath>
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/SoundPlayer.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int64_t kSecond = 10000000;

// A 16-bit stereo 44,100 Hz sine of `seconds`.
std::string writeTone(const std::string& dir, int seconds) {
    const uint32_t frames = 44100u * static_cast<uint32_t>(seconds), bytes = frames * 4;
    std::vector<uint8_t> file(44 + bytes);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    auto put16 = [&](size_t at, uint16_t v) {
        file[at] = static_cast<uint8_t>(v);
        file[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    std::memcpy(&file[0], "RIFF", 4);
    put32(4, 36 + bytes);
    std::memcpy(&file[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 2);
    put32(24, 44100);
    put32(28, 44100 * 4);
    put16(32, 4);
    put16(34, 16);
    std::memcpy(&file[36], "data", 4);
    put32(40, bytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / 44100)));
        put16(44 + 4 * i, s);
        put16(46 + 4 * i, s);
    }
    const std::string path = dir + "/tone.wav";
    vt_test::writeFileBytes(path, file);
    return path;
}

void pump(DWORD ms) {
    const DWORD start = timeGetTime();
    while (timeGetTime() - start < ms) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(10);
    }
}

class SoundControls : public ::testing::Test {
protected:
    HWND window = nullptr;
    std::string tone;
    void SetUp() override {
        CoInitialize(nullptr);
        window = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(createSoundDevice(window), 0) << "the test needs a PulseAudio null sink";
        tone = writeTone(vt_test::scratchDir("sound_controls"), 90);
    }
    void TearDown() override {
        soundPlayer().stopSound();
        soundPlayer().closeSound();
        releaseSoundDevice();
        DestroyWindow(window);
        CoUninitialize();
    }
};

}  // namespace

TEST(SoundSeek, Targets) {
    int64_t t = -5;
    EXPECT_TRUE(soundSeekTarget(kSeekMiddle, 0, 101, &t));
    EXPECT_EQ(t, 50);
    EXPECT_TRUE(soundSeekTarget(kSeekEnd, 0, 1000, &t));
    EXPECT_EQ(t, 800);
    EXPECT_FALSE(soundSeekTarget(kSeekMinuteBack, 45 * kSecond, 100 * kSecond, &t));
    EXPECT_TRUE(soundSeekTarget(kSeekMinuteBack, 90 * kSecond, 100 * kSecond, &t));
    EXPECT_EQ(t, 30 * kSecond);
    EXPECT_TRUE(soundSeekTarget(kSeekMinuteForward, 10, 0, &t));
    EXPECT_EQ(t, 10 + 60 * kSecond);
    EXPECT_FALSE(soundSeekTarget(4, 0, 100, &t));
}

TEST_F(SoundControls, PlayPauseStopSeekPan) {
    SoundPlayer& player = soundPlayer();
    EXPECT_EQ(player.setSoundPan(0), -1);   // no buffer yet
    EXPECT_EQ(player.seekSound(kSeekStart), -1);

    SoundFormat format;
    int64_t duration = 0;
    ASSERT_EQ(readMediaInfo(tone.c_str(), &format, &duration), 1);
    EXPECT_NEAR(static_cast<double>(duration), 90.0 * kSecond, 0.1 * kSecond);
    EXPECT_EQ(format.rate, 44100u);
    EXPECT_EQ(format.channels, 2u);
    EXPECT_EQ(readMediaInfo("C:\\no\\such.wav", &format, &duration), 0);
    EXPECT_EQ(duration, 0);

    ASSERT_EQ(player.openSoundFile(tone.c_str()), 1);
    EXPECT_EQ(player.soundPlayState(), kSoundNothingOpened);
    EXPECT_NEAR(static_cast<double>(player.getSoundDuration()), 90.0 * kSecond, 0.1 * kSecond);
    EXPECT_EQ(player.pauseSound(), 1);   // not playing: nothing
    EXPECT_EQ(player.soundPlayState(), kSoundNothingOpened);

    ASSERT_EQ(player.playSound(), 1);
    EXPECT_EQ(player.soundPlayState(), kSoundPlaying);
    pump(600);
    ASSERT_EQ(player.pauseSound(), 1);
    EXPECT_EQ(player.soundPlayState(), kSoundPaused);
    EXPECT_FALSE(player.threadRunning());
    const int64_t paused = player.getSoundPosition();
    EXPECT_GT(paused, 0);
    pump(300);
    EXPECT_EQ(player.getSoundPosition(), paused);   // the stream keeps its place
    ASSERT_EQ(player.playSound(), 1);
    EXPECT_TRUE(player.threadRunning());
    pump(300);
    EXPECT_GE(player.getSoundPosition(), paused);

    EXPECT_EQ(player.setSoundPan(-10000), 0);
    EXPECT_EQ(player.setSoundPan(10000), 0);

    // Seeks while playing; back a minute only beyond the first.
    const int64_t middle = player.seekSound(kSeekMiddle);
    EXPECT_NEAR(static_cast<double>(middle), 45.0 * kSecond, 3.0 * kSecond);
    const int64_t before = player.getSoundPosition();
    EXPECT_LT(player.seekSound(kSeekMinuteBack), before + 3 * kSecond);
    EXPECT_GE(player.seekSound(kSeekMinuteBack), 40 * kSecond);
    EXPECT_NEAR(static_cast<double>(player.seekSound(kSeekEnd)), 72.0 * kSecond, 3.0 * kSecond);

    ASSERT_EQ(player.stopSound(), 1);
    EXPECT_EQ(player.soundPlayState(), kSoundStopped);
    EXPECT_LT(player.getSoundPosition(), kSecond / 2);   // rewound
    EXPECT_EQ(player.stopSound(), 1);                    // stopped already: stays
    EXPECT_EQ(player.soundPlayState(), kSoundStopped);
}
