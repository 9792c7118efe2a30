// The sound player's own conversion of decoded audio to 44,100 Hz 16-bit
// stereo: every linear PCM layout a WAV file may hold (8-bit unsigned, 16-, 24-
// and 32-bit signed integer, 32- and 64-bit float; one channel or more; any
// common rate), for the formats the platform's converter refuses or turns into
// silence. Rates are changed by linear interpolation, carried across blocks so
// one-second blocks join without a seam.
#pragma once
#include <cstdint>

#include "engine/SoundPump.h"

enum class SampleCoding { Integer, Float };

// Whether the converter takes this format: PCM (tag 1), IEEE float (tag 3) or
// the extensible tag (0xFFFE) with its coding given, at 8/16/24/32 integer or
// 32/64 float bits, one to eight channels in whole-byte containers filling the
// block, and a rate from 1,000 to 384,000 Hz.
bool pcmConvertible(const SoundFormat& f, SampleCoding coding);
// The coding a format's tag says (the extensible tag does not say: then
// `extensible` is taken, which the platform reads from the sub-format).
SampleCoding codingOfTag(uint16_t formatTag, SampleCoding extensible);

class PcmConverter final : public SoundConverterPort {
public:
    // False (and nothing converts) when pcmConvertible refuses the format.
    bool open(const SoundFormat& source, SampleCoding coding);
    // Whole source frames only; a trailing part frame is ignored. Returns the
    // bytes of 44,100 Hz 16-bit stereo written (at most dstCapacity).
    uint32_t convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstCapacity) override;
    // Forgets the carried frame and phase (the stream starts again).
    void restart() override;

private:
    float sampleAt(const uint8_t* frame, int channel) const;

    SoundFormat source_{};
    SampleCoding coding_ = SampleCoding::Integer;
    bool open_ = false;
    double step_ = 1.0;        // source frames per output frame
    double position_ = 0.0;    // next output frame, in source frames from the block's start
    bool haveLast_ = false;    // the previous block's last frame is known
    float last_[2] = {0, 0};
};
