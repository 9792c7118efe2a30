#include "engine/SoundPump.h"

#include <cstring>

SoundFormat cdQualityFormat() {
    SoundFormat f;
    f.formatTag = 1;
    f.channels = 2;
    f.rate = 44100;
    f.bitsPerSample = 16;
    f.blockAlign = 4;
    f.bytesPerSecond = 176400;
    return f;
}

bool playsUnconverted(const SoundFormat& f) {
    const bool nativeRate = f.rate == 8000 || f.rate == 11025 || f.rate == 22050 || f.rate == 32000 ||
                            f.rate == 44100;
    return f.formatTag == 1 && nativeRate && (f.channels == 1 || f.channels == 2) &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           f.blockAlign == f.channels * f.bitsPerSample / 8 && f.bytesPerSecond == f.rate * f.blockAlign;
}

void SoundPump::configure(const SoundFormat& playback, SoundBufferPort* buffer, SoundStreamPort* stream,
                          SoundConverterPort* converter, uint32_t sourceBytesPerSecond) {
    format_ = playback;
    buffer_ = buffer;
    stream_ = stream;
    converter_ = sourceBytesPerSecond ? converter : nullptr;
    half_ = playback.bytesPerSecond;
    const uint32_t block = playback.blockAlign ? playback.blockAlign : 1;
    sampleBlock_ = half_ / 25 / block * block;
    if (sampleBlock_ == 0) sampleBlock_ = block;
    mirror_.assign(2 * static_cast<size_t>(half_), 0);
    fillSilence(mirror_.data(), static_cast<uint32_t>(mirror_.size()));
    conversion_.assign(converter_ ? sourceBytesPerSecond : 0, 0);
    playing_ = 0;
    refillPending_ = 0;
    lastCursor_ = 0;
    writePending_[0] = writePending_[1] = false;
    draining_ = false;
}

void SoundPump::release() {
    playing_ = 0;
    buffer_ = nullptr;
    stream_ = nullptr;
    converter_ = nullptr;
}

void SoundPump::setSampleTarget(int16_t* samples, int count) {
    target_ = samples;
    targetCount_ = samples ? count : 0;
}

void SoundPump::copyHandover(int16_t* destination) const {
    for (int i = 0; i < targetCount_; ++i) destination[i] = target_[i];
}

void SoundPump::fillSilence(uint8_t* dst, uint32_t bytes) const {
    std::memset(dst, format_.bitsPerSample == 8 ? 0x80 : 0, bytes);
}

// The next second of audio into one mirror half. Whatever the stream does not
// deliver is silence, so a short or failed read never replays stale audio; a
// failed read ends the sound like the end of the stream.
SoundPump::Fill SoundPump::fillMirrorHalf(int half, uint32_t* valid) {
    uint8_t* dst = mirror_.data() + static_cast<size_t>(half) * half_;
    *valid = 0;
    if (draining_ || !stream_) {
        fillSilence(dst, half_);
        return Fill::Ended;
    }
    uint32_t got = 0;
    SoundStreamPort::Read r;
    if (converter_) {
        const uint32_t want = static_cast<uint32_t>(conversion_.size());
        r = stream_->read(conversion_.data(), want, &got);
        if (got > want) got = want;
        *valid = got ? converter_->convert(conversion_.data(), got, dst, half_) : 0;
    } else {
        r = stream_->read(dst, half_, &got);
        *valid = got;
    }
    if (*valid > half_) *valid = half_;
    fillSilence(dst + *valid, half_ - *valid);
    return r == SoundStreamPort::Read::Data ? Fill::Audio : Fill::Ended;
}

void SoundPump::writeHalf(int half) {
    const uint32_t offset = static_cast<uint32_t>(half) * half_;
    const SoundBufferPort::Write r = buffer_->write(offset, mirror_.data() + offset, half_);
    writePending_[half] = r == SoundBufferPort::Write::Failed;
    if (r == SoundBufferPort::Write::DoneAfterRestore) {
        // The restored buffer lost both halves and stopped: put back the other one too.
        const int other = half ^ 1;
        const uint32_t otherOffset = static_cast<uint32_t>(other) * half_;
        writePending_[other] =
            buffer_->write(otherOffset, mirror_.data() + otherOffset, half_) == SoundBufferPort::Write::Failed;
        if (playing_) buffer_->play();
    }
}

// The stream has ended in `half`, after `valid` bytes. Counts the bytes still to
// play from the play cursor: the refilled half plays after the half under the
// cursor, except at the first fill, where play starts in it.
void SoundPump::beginDrain(int half, uint32_t valid, uint32_t play, bool afterCurrentHalf) {
    const uint32_t ring = 2 * half_;
    int64_t remaining;
    if (!afterCurrentHalf) {
        remaining = static_cast<int64_t>(valid) - (play - static_cast<uint32_t>(half) * half_);
    } else {
        const uint32_t current = static_cast<uint32_t>(half ^ 1) * half_;
        if (play >= current && play < current + half_)
            remaining = static_cast<int64_t>(current + half_ - play) + valid;
        else
            remaining = static_cast<int64_t>((current + ring - play) % ring) + half_ + valid;
    }
    draining_ = true;
    drainRemaining_ = remaining;
    drainLastPlay_ = play;
    // A cursor that stops moving must not hold the end back for ever.
    const int64_t ms = remaining * 1000 / (format_.bytesPerSecond ? format_.bytesPerSecond : 1);
    drainPassesLeft_ = static_cast<int>(ms / kSoundPassMs) * 2 + 30;
}

bool SoundPump::drainFinished(uint32_t play) {
    const uint32_t ring = 2 * half_;
    drainRemaining_ -= (play + ring - drainLastPlay_) % ring;
    drainLastPlay_ = play;
    --drainPassesLeft_;
    return drainRemaining_ <= 0 || drainPassesLeft_ <= 0;
}

void SoundPump::start() {
    if (!buffer_) return;
    if (converter_) converter_->restart();
    draining_ = false;
    writePending_[0] = writePending_[1] = false;
    uint32_t valid = 0;
    if (fillMirrorHalf(0, &valid) == Fill::Ended) beginDrain(0, valid, 0, false);
    writeHalf(0);
    refillPending_ = 1;   // the first pass fills the second half
    lastCursor_ = 0;
    buffer_->setPosition(0);
    buffer_->play();
    playing_ = 1;
}

void SoundPump::requestStop() {
    stop_ = 1;
    playing_ = 0;
    if (buffer_) buffer_->stop();
}

SoundPump::Pass SoundPump::pass() {
    Pass result;
    if (!playing_ || !buffer_) return result;
    uint32_t play = 0, cursor = 0;
    if (!buffer_->position(&play, &cursor)) return result;
    const uint32_t ring = 2 * half_;
    play %= ring;
    cursor %= ring;

    const uint32_t h = half_, last = lastCursor_;
    if ((last < h && cursor >= h) || (last >= h && cursor < h)) {
        refillPending_ = 1;
        writePending_[0] = writePending_[1] = false;   // superseded by the refill
    }
    lastCursor_ = cursor;

    const int cursorHalf = cursor < h ? 0 : 1;
    if (refillPending_) {
        const int half = cursorHalf ^ 1;
        uint32_t valid = 0;
        const bool wasDraining = draining_;
        if (fillMirrorHalf(half, &valid) == Fill::Ended && !wasDraining) beginDrain(half, valid, play, true);
        writeHalf(half);
        refillPending_ = 0;
    } else if (writePending_[cursorHalf ^ 1]) {
        writeHalf(cursorHalf ^ 1);
    }

    if (draining_ && drainFinished(play)) {
        playing_ = 0;
        stop_ = 1;
        buffer_->stop();
        result.ended = true;
    }
    result.sampled = true;
    result.sampleOffset = cursor - cursor % sampleBlock_;
    return result;
}

int SoundPump::copySamples(uint32_t offset) {
    if (!target_ || mirror_.empty()) return 0;
    const size_t ring = mirror_.size();
    const uint8_t* m = mirror_.data();
    size_t p = offset % ring;
    for (int i = 0; i < targetCount_; ++i) {
        if (format_.bitsPerSample == 8)
            target_[i] = static_cast<int16_t>((m[p] - 128) * 256);
        else
            target_[i] = static_cast<int16_t>(m[p] | m[(p + 1) % ring] << 8);
        p = (p + 16) % ring;
    }
    return targetCount_;
}

int runSoundThread(SoundPump& pump, SoundThreadHost& host) {
    while (!pump.stopRequested()) {
        host.lock();
        const SoundPump::Pass pass = pump.pass();
        host.unlock();
        if (pass.sampled) {
            // Only this thread writes the mirror while it runs.
            host.lockHandover();
            pump.copySamples(pass.sampleOffset);
            host.unlockHandover();
        }
        if (pass.ended) host.post(kSoundEndMessage);
        host.pause(kSoundPassMs);
        host.post(kSoundPassMessage);
    }
    return 1;
}

bool startPumping(SoundPump& pump, SoundThreadHost& host, bool (*startThread)(void*), void* context) {
    host.lock();
    pump.start();
    host.unlock();
    pump.clearStop();
    if (startThread(context)) return true;
    pump.requestStop();
    return false;
}

void SoundMessageTarget::setWindow(void* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = window;
    if (window_ && endPending_) {
        endPending_ = false;
        poster_(window_, kSoundEndMessage);
    }
}

void SoundMessageTarget::post(int message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_)
        poster_(window_, message);
    else if (message == kSoundEndMessage)
        endPending_ = true;
}

void* SoundMessageTarget::window() {
    std::lock_guard<std::mutex> lock(mutex_);
    return window_;
}
