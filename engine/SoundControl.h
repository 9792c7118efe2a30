// What the engine's life cycle does with the background sound, in order:
//
//   WM_NCCREATE     createSoundDevice(window)                    (SoundPlayer.h)
//   WM_CREATE       setSoundWindow(window)
//   start of show   prepareSoundAnalysis(); startShowSound(mute, entries)
//   every frame     analyzeNewestSound()   (copyHandoverSamples + analyzeSpectrum)
//   message 1069    onSoundEnded(soundOption)
//   WM_DESTROY      stopShowSound(mute); later releaseSoundDevice()
//
// The sound entry of the scenario package is written to a file the player opens:
// "sound.mp3", "sound.mid" or "sound.wav" in the system folder, or, where the
// system folder is not writable (normal users on current Windows), the same name
// in the user's temporary folder.
#pragma once
#include <cstdint>
#include <string>

// The package reader, as writeSoundFile needs it: the entry's bytes (null when
// there is none) and their release, always paired.
struct SoundEntrySource {
    void* context = nullptr;
    uint8_t* (*find)(void* context, int32_t type, int32_t index, int32_t* size) = nullptr;
    void (*release)(void* context, int32_t type, int32_t index, uint8_t* data) = nullptr;
};

struct SoundFolders {
    std::string system;    // the system folder, without a trailing separator
    std::string temp;      // the user's temporary folder, without a trailing separator
};
SoundFolders platformSoundFolders();

constexpr int32_t kSoundEntryType = 2;
enum SoundKind : int32_t { kSoundNone = 0, kSoundMp3 = 1, kSoundMidi = 2, kSoundWav = 3 };
const char* soundFileName(int32_t kind);     // "sound.mp3", "sound.mid", "sound.wav"; null otherwise

// Writes the first sound entry found (MP3, then MIDI, then WAV) to its file; 1
// when written, 0 otherwise. The entry is released on every path and a file
// left half-written is removed.
int writeSoundFile(const SoundEntrySource& entries, const SoundFolders& folders);
int writeSoundFile(const SoundEntrySource& entries);
int32_t soundKind();                          // the kind last written
const char* soundFilePath();                  // the file last written ("" when none)

int startSound(int unused);                   // opens the written file and starts the thread; 1
int shutdownSound();                          // stopSound, closeSound; 1

void setSoundWindow(void* window);
// The engine's handover array of 256 samples, which the player fills.
int16_t* soundHandoverSamples();
// Sets up the analysis for 256 samples and points the player at the handover array.
void prepareSoundAnalysis();
// Unless muted: writeSoundFile and, when it wrote a file, startSound. 1 when started.
int startShowSound(int mute, const SoundEntrySource& entries);
// Unless muted: shutdownSound.
void stopShowSound(int mute);
// Message 1069: with the "Sound" option 1 the sound starts again from its
// beginning (1); otherwise the show goes on silent (0).
int onSoundEnded(int soundOption);
// The frame step's first act: the newest samples into the analysis, analysed.
void analyzeNewestSound();
