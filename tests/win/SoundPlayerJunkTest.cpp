// A sound file of junk through the real player, in fresh processes one after
// another: Wine's multimedia streaming now and then gets stuck on such a file
// (about one process in eight here, in its graph's streaming thread), and then
// the open, the pumping thread's pass, the seek of a stop or the release of a
// close never returns. None of the player's calls may wait for it without limit.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/SoundPlayer.h"
#include "tests/support/TestSupport.h"

namespace {

const char kChildSwitch[] = "--play-junk=";

// The child's one round, each step on a thread of its own as the authoring
// program's pages do: the file's information, then a second and a half of play.
DWORD WINAPI readInfo(void* file) {
    CoInitialize(nullptr);
    SoundFormat format;
    int64_t duration = 0;
    readMediaInfo(static_cast<const char*>(file), &format, &duration);
    return 0;
}

DWORD WINAPI playAndStop(void* file) {
    CoInitialize(nullptr);
    SoundPlayer& player = soundPlayer();
    player.openSound(static_cast<const char*>(file));
    player.startSoundThread();
    Sleep(1500);
    player.stopSound();
    player.closeSound();
    return 0;
}

int playJunk(const char* file) {
    CoInitialize(nullptr);
    for (LPTHREAD_START_ROUTINE step : {readInfo, playAndStop}) {
        HANDLE t = CreateThread(nullptr, 0, step, const_cast<char*>(file), 0, nullptr);
        if (!t) return 2;
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
    return 0;
}

}  // namespace

TEST(SoundPlayerJunk, NoCallWaitsForAStuckStream) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "vt-junk-sound.mp3";
    // 5,000 random bytes named .mp3.
    vt_test::writeFileBytes(path, vt_test::readFileBytes(vt_test::sourceDir() + "/tests/data/sound/junk.mp3"));

    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int round = 0; round < 10; ++round) {
        std::string line = std::string("\"") + self + "\" " + kChildSwitch + path;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        // The bounded waits add up to a few seconds at most.
        const DWORD r = WaitForSingleObject(pi.hProcess, 12000);
        DWORD code = 0;
        if (r == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_NE(r, static_cast<DWORD>(WAIT_TIMEOUT)) << "round " << round << ": the player waited for the stuck stream";
        EXPECT_EQ(code, 0u) << "round " << round;
    }
    DeleteFileA(path.c_str());
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], kChildSwitch, sizeof kChildSwitch - 1) == 0) {
            const int rc = playJunk(argv[i] + sizeof kChildSwitch - 1);
            ExitProcess(static_cast<UINT>(rc));   // a stuck thread left behind must not hold the exit
        }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
