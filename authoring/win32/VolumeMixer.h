// The Sound step's volume and balance: the system mixer's wave-output volume
// (trackbar 1108, 0 to 100) and the pan of the wizard's sound buffer
// (trackbar 1109, -10,000 to 10,000), with the step's "Sound" menu commands.
#pragma once
#include <windows.h>

#include <cstdint>

enum : int {
    kIdVolumeBar = 1108,
    kIdBalanceBar = 1109,
    kIdSoundCardStatus = 1110,
    kCmdMaximumVolume = 40019,
    kCmdMute = 40020,
    kCmdBalanceLeft = 40021,
    kCmdBalanceRight = 40022,
    kCmdMiddleVolume = 40028,
    kCmdBalanceMiddle = 40029,
};

// Trackbar and mixer scales (integer division, as the step has always shown them).
constexpr uint32_t trackbarToVolume(int32_t position) { return static_cast<uint32_t>(position) * 65535u / 100u; }
constexpr int32_t volumeToTrackbar(uint32_t volume) { return static_cast<int32_t>(volume * 100ull / 65535u); }

// The page's WM_INITDIALOG: opens mixer 0 (callbacks to the page) and shows
// the sound card's name in 1110. 0 when a mixer call failed.
int initMixer(HWND page);
int selectWaveOutVolume(DWORD componentType);
int getMixerVolume(DWORD* value);
int setMixerVolume(DWORD value);
// When the page is shown: ranges, the current volume, the centred balance.
void initVolumeControls(HWND page);
// WM_HSCROLL of the volume or the balance trackbar.
void onMixerScroll(HWND page, HWND trackbar);
// The "Sound" menu's volume and balance commands; false for any other command.
bool onMixerCommand(HWND page, int command);
void closeMixer();
