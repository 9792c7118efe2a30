#include "engine/SoundConvert.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kTargetRate = 44100;

int32_t readLe(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    // Sign-extend from the top of the container.
    const int shift = 32 - 8 * bytes;
    return static_cast<int32_t>(v << shift) >> shift;
}

int16_t toSample(float v) {
    const float scaled = std::nearbyint(v * 32768.0f);
    if (!(scaled > -32768.0f)) return -32768;   // NaN too
    if (scaled > 32767.0f) return 32767;
    return static_cast<int16_t>(scaled);
}

}  // namespace

SampleCoding codingOfTag(uint16_t formatTag, SampleCoding extensible) {
    if (formatTag == 3) return SampleCoding::Float;
    if (formatTag == 0xFFFE) return extensible;
    return SampleCoding::Integer;
}

bool pcmConvertible(const SoundFormat& f, SampleCoding coding) {
    if (f.formatTag != 1 && f.formatTag != 3 && f.formatTag != 0xFFFE) return false;
    if (f.formatTag == 1 && coding != SampleCoding::Integer) return false;
    if (f.formatTag == 3 && coding != SampleCoding::Float) return false;
    const bool bitsOk = coding == SampleCoding::Integer
                            ? f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 24 ||
                                  f.bitsPerSample == 32
                            : f.bitsPerSample == 32 || f.bitsPerSample == 64;
    return bitsOk && f.channels >= 1 && f.channels <= 8 && f.blockAlign == f.channels * (f.bitsPerSample / 8) &&
           f.rate >= 1000 && f.rate <= 384000;
}

bool PcmConverter::open(const SoundFormat& source, SampleCoding coding) {
    open_ = pcmConvertible(source, coding);
    source_ = source;
    coding_ = coding;
    step_ = static_cast<double>(source.rate) / kTargetRate;
    restart();
    return open_;
}

void PcmConverter::restart() {
    position_ = 0.0;
    haveLast_ = false;
    last_[0] = last_[1] = 0.0f;
}

float PcmConverter::sampleAt(const uint8_t* frame, int channel) const {
    const int bytes = source_.bitsPerSample / 8;
    const uint8_t* p = frame + channel * bytes;
    if (coding_ == SampleCoding::Float) {
        if (bytes == 4) {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
        double v;
        std::memcpy(&v, p, 8);
        return static_cast<float>(v);
    }
    switch (bytes) {
    case 1: return (static_cast<float>(p[0]) - 128.0f) / 128.0f;
    case 2: return static_cast<float>(readLe(p, 2)) / 32768.0f;
    case 3: return static_cast<float>(readLe(p, 3)) / 8388608.0f;
    default: return static_cast<float>(static_cast<double>(readLe(p, 4)) / 2147483648.0);
    }
}

uint32_t PcmConverter::convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstCapacity) {
    if (!open_ || !src || !dst) return 0;
    const uint32_t block = source_.blockAlign;
    const int64_t frames = srcBytes / block;
    if (frames == 0) return 0;
    const int right = source_.channels > 1 ? 1 : 0;   // mono plays on both sides; beyond two, the front pair
    auto frameValue = [&](int64_t k, int channel) {
        if (k < 0) return last_[channel];
        return sampleAt(src + k * block, channel == 0 ? 0 : right);
    };
    if (!haveLast_ && position_ < 0.0) position_ = 0.0;

    uint32_t written = 0;
    while (written + 4 <= dstCapacity) {
        const double whole = std::floor(position_);
        const int64_t k = static_cast<int64_t>(whole);
        if (k + 1 >= frames) {
            // The last frame itself may be due (a rate of 44,100 Hz, or a phase on it).
            if (k + 1 > frames || position_ != whole) break;
        }
        const float t = static_cast<float>(position_ - whole);
        int16_t out[2];
        for (int c = 0; c < 2; ++c) {
            const float a = frameValue(k, c);
            const float b = t == 0.0f ? a : frameValue(k + 1, c);
            out[c] = toSample(a + (b - a) * t);
        }
        std::memcpy(dst + written, out, 4);   // little-endian hosts: the WAV byte order
        written += 4;
        position_ += step_;
    }
    last_[0] = frameValue(frames - 1, 0);
    last_[1] = frameValue(frames - 1, 1);
    haveLast_ = true;
    position_ -= static_cast<double>(frames);
    return written;
}
