// Native builds have no sound device: nothing opens, the handover array keeps
// whatever it holds (silence), and the show runs silent.
#include "engine/SoundPlayer.h"

#include <filesystem>
#include <mutex>

#include "engine/SoundControl.h"

struct SoundPlayer::Impl {
    std::mutex lock;
    int16_t* target = nullptr;
    int count = 0;
};

SoundPlayer::SoundPlayer() : impl_(new Impl) {}
SoundPlayer::~SoundPlayer() { delete impl_; }

void SoundPlayer::setSoundWindow(void*) {}
void SoundPlayer::setSampleTarget(int16_t* samples, int count) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    impl_->target = samples;
    impl_->count = samples ? count : 0;
}
int SoundPlayer::openSound(const char*) { return 0; }
int SoundPlayer::startSoundThread() { return 0; }
int SoundPlayer::startSoundBuffer() { return 1; }
int SoundPlayer::stopSoundThread() { return 1; }
int SoundPlayer::rewindSound() { return 0; }
int SoundPlayer::stopSound() { return 1; }
int SoundPlayer::closeSoundStream() { return 1; }
int SoundPlayer::closeSound() { return 1; }
void SoundPlayer::copyHandoverSamples(int16_t* destination) {
    std::lock_guard<std::mutex> hold(impl_->lock);
    for (int i = 0; i < impl_->count; ++i) destination[i] = impl_->target[i];
}
int SoundPlayer::openSoundFile(const char*) { return 0; }
int SoundPlayer::playSound() { return 0; }
int SoundPlayer::pauseSound() { return 1; }
int SoundPlayer::soundPlayState() const { return kSoundNothingOpened; }
int64_t SoundPlayer::getSoundDuration() const { return 0; }
int64_t SoundPlayer::getSoundPosition() const { return 0; }
int64_t SoundPlayer::seekSound(int) { return -1; }
int32_t SoundPlayer::setSoundPan(int32_t) { return -1; }
int readMediaInfo(const char*, SoundFormat* format, int64_t* duration) {
    if (format) *format = SoundFormat{};
    if (duration) *duration = 0;
    return 0;
}
bool SoundPlayer::isOpen() const { return false; }
bool SoundPlayer::isConverting() const { return false; }
bool SoundPlayer::threadRunning() const { return false; }
SoundFormat SoundPlayer::playbackFormat() const { return SoundFormat{}; }

SoundPlayer& soundPlayer() {
    static SoundPlayer player;
    return player;
}

int32_t createSoundDevice(void*) { return 0; }
int32_t releaseSoundDevice() { return 0; }

SoundFolders platformSoundFolders() {
    std::error_code ec;
    std::string temp = std::filesystem::temp_directory_path(ec).string();
    while (temp.size() > 1 && temp.back() == '/') temp.pop_back();
    return SoundFolders{"", temp};
}
