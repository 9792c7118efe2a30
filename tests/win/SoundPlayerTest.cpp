// The background sound player on the platform: DirectSound, multimedia streaming
// and ACM, under Wine with a PulseAudio null sink. The tone files come from
// tests/wine/sound_player.sh (sox and lame) through VT_SOUND_FIXTURES; without
// them only the tests that need no sound file run.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/SoundAnalysis.h"
#include "engine/SoundControl.h"
#include "engine/SoundPlayer.h"
#include "tests/engine/SoundEntryFake.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr double kToneHz = 860.0;
constexpr DWORD kToneMs = 2500;

// Records the player's messages and analyses the handover samples on every pass,
// as the engine's frame step does.
struct Listener {
    HWND window = nullptr;
    std::vector<std::pair<UINT, DWORD>> events;
    int16_t samples[kSoundSamples] = {};
    SoundAnalysis analysis;
    int nonZeroPasses = 0;
    std::vector<int> peaks;

    int count(UINT message) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](auto& e) { return e.first == message; }));
    }
    DWORD timeOf(UINT message, int nth = 0) const {
        for (auto& e : events)
            if (e.first == message && nth-- == 0) return e.second;
        return 0;
    }
};
Listener* g_listener = nullptr;

LRESULT CALLBACK listenerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == kSoundPassMessage || msg == kSoundEndMessage) && g_listener) {
        EXPECT_EQ(wp, 0u);
        EXPECT_EQ(lp, 0);
        g_listener->events.emplace_back(msg, timeGetTime());
        if (msg == kSoundPassMessage) {
            soundPlayer().copyHandoverSamples(g_listener->samples);
            const bool any = std::any_of(g_listener->samples, g_listener->samples + kSoundSamples,
                                         [](int16_t s) { return s != 0; });
            g_listener->nonZeroPasses += any;
            if (any) {
                std::copy(g_listener->samples, g_listener->samples + kSoundSamples, g_listener->analysis.samples);
                analyzeSpectrum(g_listener->analysis);
                const int16_t* s = g_listener->analysis.spectrum;
                g_listener->peaks.push_back(static_cast<int>(std::max_element(s + 1, s + kSpectrumBands) - s));
            }
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

template <class Pred>
bool pumpUntil(Pred done, DWORD timeoutMs) {
    const DWORD start = timeGetTime();
    while (!done()) {
        if (timeGetTime() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return true;
}

std::string fixture(const char* name) {
    const char* dir = std::getenv("VT_SOUND_FIXTURES");
    if (!dir || !*dir) return "";
    std::string path = std::string(dir) + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path[0] == '\\') path = "Z:" + path;   // a host path, through Wine's Z: drive
    return path;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    Listener listener;

    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        timeBeginPeriod(1);
    }
    static void TearDownTestSuite() {
        timeEndPeriod(1);
        CoUninitialize();
    }
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = listenerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SoundPlayerTestWindow";
        RegisterClassA(&wc);
        listener.window = CreateWindowA("SoundPlayerTestWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                        wc.hInstance, nullptr);
        ASSERT_NE(listener.window, nullptr);
        g_listener = &listener;
        setupSpectrum(listener.analysis, kSoundSamples);
        const int32_t device = createSoundDevice(listener.window);
        ASSERT_EQ(device, 0) << "no DirectSound device: the test needs a PulseAudio null sink";
        setSoundWindow(listener.window);
        soundPlayer().setSampleTarget(soundHandoverSamples(), kSoundSamples);
    }
    void TearDown() override {
        soundPlayer().stopSound();
        soundPlayer().closeSound();
        releaseSoundDevice();
        setSoundWindow(nullptr);
        g_listener = nullptr;
        DestroyWindow(listener.window);
    }

    // Plays the file to its end, restarts it as the engine does on 1069, and plays
    // it to its end again.
    void playTwice(const std::string& path, uint32_t bytesPerSecond, bool converting) {
        ASSERT_EQ(soundPlayer().openSound(path.c_str()), 1) << path;
        EXPECT_TRUE(soundPlayer().isOpen());
        EXPECT_EQ(soundPlayer().isConverting(), converting);
        EXPECT_EQ(soundPlayer().playbackFormat().bytesPerSecond, bytesPerSecond);

        const DWORD start = timeGetTime();
        ASSERT_EQ(soundPlayer().startSoundThread(), 1);
        EXPECT_TRUE(soundPlayer().threadRunning());
        ASSERT_TRUE(pumpUntil([&] { return listener.count(kSoundEndMessage) == 1; }, kToneMs + 4000)) << path;
        const DWORD endAt = listener.timeOf(kSoundEndMessage);
        // Played out in real time, not cut at the last refill.
        EXPECT_GE(endAt - start, kToneMs - 150) << path;
        EXPECT_LE(endAt - start, kToneMs + 1200) << path;
        const int passes = listener.count(kSoundPassMessage);
        EXPECT_GE(passes, static_cast<int>((endAt - start) / 45)) << "1068 on every pass";
        EXPECT_GE(listener.nonZeroPasses, passes / 2) << path;

        // The tone's band: 16-byte sample spacing makes bytesPerSecond / 16 samples a second.
        const double band = kToneHz * kSoundSamples / (bytesPerSecond / 16.0);
        std::vector<int> peaks = listener.peaks;
        ASSERT_GE(peaks.size(), 20u);
        std::sort(peaks.begin(), peaks.end());
        EXPECT_NEAR(peaks[peaks.size() / 2], band, 2.0) << path;

        // The thread ends after one more pass; nothing further arrives.
        ASSERT_TRUE(pumpUntil([&] { return !soundPlayer().threadRunning(); }, 1000));
        pumpUntil([] { return false; }, 200);
        EXPECT_EQ(listener.count(kSoundEndMessage), 1);
        EXPECT_EQ(listener.count(kSoundPassMessage), passes + 1);

        // The engine's answer to 1069 with "Sound" 1: from the start again.
        listener.events.clear();
        listener.nonZeroPasses = 0;
        const DWORD restart = timeGetTime();
        EXPECT_EQ(onSoundEnded(1), 1);
        EXPECT_TRUE(soundPlayer().threadRunning());
        ASSERT_TRUE(pumpUntil([&] { return listener.count(kSoundEndMessage) == 1; }, kToneMs + 4000)) << path;
        EXPECT_GE(listener.timeOf(kSoundEndMessage) - restart, kToneMs - 150) << path;
        EXPECT_GT(listener.nonZeroPasses, 10);
    }
};

TEST_F(SoundPlayerTest, Wav22050PlaysUnconvertedAndLoops) {
    const std::string path = fixture("tone22050.wav");
    if (path.empty()) GTEST_SKIP() << "VT_SOUND_FIXTURES not set (tests/wine/sound_player.sh sets it)";
    playTwice(path, 44100, false);   // mono 16-bit: a buffer of two 44,100-byte halves
}

TEST_F(SoundPlayerTest, Wav48000IsConvertedAndLoops) {
    const std::string path = fixture("tone48000.wav");
    if (path.empty()) GTEST_SKIP() << "VT_SOUND_FIXTURES not set (tests/wine/sound_player.sh sets it)";
    playTwice(path, 176400, true);
}

TEST_F(SoundPlayerTest, Mp3PlaysAndLoops) {
    const std::string path = fixture("tone.mp3");
    if (path.empty()) GTEST_SKIP() << "VT_SOUND_FIXTURES not set (tests/wine/sound_player.sh sets it)";
    playTwice(path, 176400, false);
}

TEST_F(SoundPlayerTest, ShowSoundWritesTheEntryAndPlaysItUnlessMuted) {
    const std::string path = fixture("tone22050.wav");
    if (path.empty()) GTEST_SKIP() << "VT_SOUND_FIXTURES not set (tests/wine/sound_player.sh sets it)";
    FakeSoundEntries entries;
    entries.byIndex[kSoundWav] = vt_test::readFileBytes(path);
    ASSERT_FALSE(entries.byIndex[kSoundWav].empty());
    const SoundFolders folders = platformSoundFolders();
    const std::string written = folders.system + "\\sound.wav";
    DeleteFileA(written.c_str());

    EXPECT_EQ(startShowSound(1, entries.source()), 0);    // muted: no file, no thread
    EXPECT_TRUE(entries.found.empty());
    EXPECT_EQ(GetFileAttributesA(written.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(soundPlayer().threadRunning());
    stopShowSound(1);

    EXPECT_EQ(startShowSound(0, entries.source()), 1);
    EXPECT_EQ(entries.released, std::vector<int32_t>{kSoundWav});
    EXPECT_STREQ(soundFilePath(), written.c_str());
    EXPECT_TRUE(soundPlayer().threadRunning());
    ASSERT_TRUE(pumpUntil([&] { return listener.nonZeroPasses >= 5; }, 3000));
    stopShowSound(0);
    EXPECT_FALSE(soundPlayer().threadRunning());
    EXPECT_FALSE(soundPlayer().isOpen());
    DeleteFileA(written.c_str());
}

TEST_F(SoundPlayerTest, UnplayableFilesLeaveTheShowSilent) {
    // A MIDI file the streaming may not decode, a file that is no sound, a missing one.
    const std::string dir = vt_test::scratchDir("sound-unplayable");
    const std::vector<uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                       'M', 'T', 'r', 'k', 0, 0, 0, 12, 0, 0x90, 60, 100, 96, 0x80,
                                       60, 0, 0, 0xFF, 0x2F, 0};
    vt_test::writeFileBytes(dir + "/tune.mid", midi);
    vt_test::writeFileBytes(dir + "/noise.wav", std::vector<uint8_t>(5000, 0x33));
    for (const char* name : {"tune.mid", "noise.wav", "missing.mp3"}) {
        const int opened = soundPlayer().openSound((dir + "/" + name).c_str());
        if (!opened) {
            EXPECT_EQ(soundPlayer().startSoundThread(), 0) << name;
            EXPECT_FALSE(soundPlayer().threadRunning()) << name;
        } else {
            // Whatever the platform decodes plays; it must still end and stop cleanly.
            EXPECT_EQ(soundPlayer().startSoundThread(), 1) << name;
            pumpUntil([&] { return listener.count(kSoundEndMessage) > 0; }, 4000);
        }
        soundPlayer().stopSound();
        soundPlayer().closeSound();
        EXPECT_FALSE(soundPlayer().threadRunning()) << name;
    }
}

TEST(SoundPlayerRewind, WithoutAStreamChangesNothing) {
    EXPECT_EQ(soundPlayer().rewindSound(), 0);
    EXPECT_EQ(soundPlayer().startSoundThread(), 0);
    EXPECT_EQ(soundPlayer().stopSound(), 1);
}

}  // namespace
