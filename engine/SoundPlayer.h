// The background sound player: one per program. It opens a sound file through
// the platform's multimedia streaming, converts it to 44,100 Hz 16-bit stereo
// when its format does not play as it is (8- and 16-bit PCM through the
// platform's converter, every other PCM layout through SoundConvert), plays it through a streaming buffer of
// two one-second halves refilled by a thread of its own (SoundPump), posts 1068
// to its window after every pass and 1069 once the sound has played to its end,
// and hands the newest samples to the spectrum analysis.
//
// The Windows build plays through DirectSound (engine/win32/SoundPlayer.cpp); the
// native build has no sound device, so opening fails and the show runs silent.
// Every operation is called from the UI thread.
#pragma once
#include <cstdint>

#include "engine/SoundPump.h"

class SoundPlayer {
public:
    SoundPlayer();
    virtual ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void setSoundWindow(void* window);                 // receives 1068 and 1069
    void setSampleTarget(int16_t* samples, int count);  // the handover array
    int openSound(const char* path);                   // 1 on success, 0 on failure
    int startSoundThread();                            // 0 when nothing is open
    int startSoundBuffer();
    // Waits for the thread to end, within a bound: a thread stuck inside the
    // streaming layer is left behind with everything it may touch, and the
    // player goes on as one with nothing open. openSound's wait for the
    // streaming layer is bounded the same way (then it fails).
    int stopSoundThread();
    int rewindSound();                                 // 0 when no stream is open
    int stopSound();                                   // stopSoundThread, then rewindSound
    int closeSoundStream();
    int closeSound();
    // The newest samples into destination, under the player's lock (each frame).
    void copyHandoverSamples(int16_t* destination);

    // The authoring program's controls over the same player: a play state,
    // pause and resume, the stream's duration and position (100 ns units),
    // seeking and the pan. startSoundThread counts as play, stopSound (from
    // playing or paused) as stop with rewind.
    int openSoundFile(const char* path);               // 1 on success, 0 on failure
    int playSound();                                   // 0 without a buffer
    int pauseSound();                                  // only while playing
    int soundPlayState() const;                        // a SoundPlayState
    int64_t getSoundDuration() const;
    int64_t getSoundPosition() const;                  // 0 when no stream is open
    int64_t seekSound(int command);                    // a SoundSeek; -1 when no stream is open
    int32_t setSoundPan(int32_t pan);                  // -10,000 left to 10,000 right; -1 without a buffer

    // State, for the authoring program and tests.
    bool isOpen() const;
    bool isConverting() const;
    bool threadRunning() const;
    SoundFormat playbackFormat() const;

private:
    void abandonStuckThread();
    struct Impl;
    Impl* impl_;
};

enum SoundPlayState : int {
    kSoundNothingOpened = 0,
    kSoundPlaying = 1,
    kSoundStopped = 2,
    kSoundPaused = 3,
};

// Seek commands of the Sound step's menu.
enum SoundSeek : int {
    kSeekStart = 1,
    kSeekMiddle = 2,
    kSeekEnd = 3,               // 80 % of the duration
    kSeekMinuteForward = 6,
    kSeekMinuteBack = 7,        // only beyond the first minute
};
// Where a seek command goes from current in a stream of duration (100 ns
// units); false for a command that does not move.
bool soundSeekTarget(int command, int64_t current, int64_t duration, int64_t* target);

// A sound file's format and duration (100 ns units) through a stream of its
// own; 1 when both were read, else 0 with duration 0.
int readMediaInfo(const char* path, SoundFormat* format, int64_t* duration);

// The program's one player.
SoundPlayer& soundPlayer();

// The one sound device: created with the saver window (0 or the failing
// platform result), released when the window is destroyed (0).
int32_t createSoundDevice(void* window);
int32_t releaseSoundDevice();
