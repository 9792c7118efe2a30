#include "engine/SoundControl.h"

#include <cstdio>

#include "engine/SoundAnalysis.h"
#include "engine/SoundPlayer.h"

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

int32_t g_kind = kSoundNone;
std::string g_path;
int16_t g_handover[kSoundSamples];

// One attempt in one folder; a file that could not be written whole is removed.
bool writeWhole(const std::string& path, const uint8_t* data, int32_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const size_t want = size > 0 ? static_cast<size_t>(size) : 0;
    bool ok = want == 0 || std::fwrite(data, 1, want, f) == want;
    if (std::fclose(f) != 0) ok = false;
    if (!ok) std::remove(path.c_str());
    return ok;
}

}  // namespace

const char* soundFileName(int32_t kind) {
    switch (kind) {
        case kSoundMp3: return "sound.mp3";
        case kSoundMidi: return "sound.mid";
        case kSoundWav: return "sound.wav";
        default: return nullptr;
    }
}

int writeSoundFile(const SoundEntrySource& entries, const SoundFolders& folders) {
    if (!entries.find) return 0;
    int32_t size = 0;
    uint8_t* data = nullptr;
    int32_t kind = kSoundNone;
    for (int32_t index = kSoundMp3; index <= kSoundWav && !data; ++index) {
        data = entries.find(entries.context, kSoundEntryType, index, &size);
        if (data) kind = index;
    }
    if (!data) return 0;
    g_kind = kind;
    g_path.clear();
    for (const std::string* folder : {&folders.system, &folders.temp}) {
        if (folder->empty()) continue;
        std::string path = *folder + kSeparator + soundFileName(kind);
        if (writeWhole(path, data, size)) {
            g_path = std::move(path);
            break;
        }
    }
    if (entries.release) entries.release(entries.context, kSoundEntryType, kind, data);
    return g_path.empty() ? 0 : 1;
}

int writeSoundFile(const SoundEntrySource& entries) { return writeSoundFile(entries, platformSoundFolders()); }

int32_t soundKind() { return g_kind; }
const char* soundFilePath() { return g_path.c_str(); }

int startSound(int) {
    // A file the streaming cannot open leaves no buffer, and the thread does not start.
    soundPlayer().openSound(g_path.c_str());
    soundPlayer().startSoundThread();
    return 1;
}

int shutdownSound() {
    soundPlayer().stopSound();
    soundPlayer().closeSound();
    return 1;
}

void setSoundWindow(void* window) { soundPlayer().setSoundWindow(window); }

int16_t* soundHandoverSamples() { return g_handover; }

void prepareSoundAnalysis() {
    setupSpectrum(soundAnalysis(), kSoundSamples);
    soundPlayer().setSampleTarget(g_handover, kSoundSamples);
}

int startShowSound(int mute, const SoundEntrySource& entries) {
    if (mute == 1) return 0;
    if (!writeSoundFile(entries)) return 0;
    return startSound(0);
}

void stopShowSound(int mute) {
    if (mute != 1) shutdownSound();
}

int onSoundEnded(int soundOption) {
    if (soundOption != 1) return 0;
    soundPlayer().stopSound();
    soundPlayer().startSoundThread();
    return 1;
}

void analyzeNewestSound() {
    SoundAnalysis& a = soundAnalysis();
    soundPlayer().copyHandoverSamples(a.samples);
    analyzeSpectrum(a);
}
