// The player's own conversion to 44,100 Hz 16-bit stereo, over a table of the
// WAV layouts users have: a known tone in, its level and pitch out, on both
// sides, with no seam between the one-second blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/SoundConvert.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Layout {
    uint16_t tag;
    SampleCoding coding;
    uint16_t bits;
};

SoundFormat formatOf(const Layout& l, uint16_t channels, uint32_t rate) {
    SoundFormat f;
    f.formatTag = l.tag;
    f.channels = channels;
    f.rate = rate;
    f.bitsPerSample = l.bits;
    f.blockAlign = static_cast<uint16_t>(channels * l.bits / 8);
    f.bytesPerSecond = rate * f.blockAlign;
    return f;
}

void putSample(std::vector<uint8_t>& out, const Layout& l, double v) {
    const int bytes = l.bits / 8;
    uint8_t b[8] = {};
    if (l.coding == SampleCoding::Float) {
        if (bytes == 4) {
            const float x = static_cast<float>(v);
            std::memcpy(b, &x, 4);
        } else {
            std::memcpy(b, &v, 8);
        }
    } else if (bytes == 1) {
        b[0] = static_cast<uint8_t>(std::lround(v * 127.0) + 128);
    } else {
        const double full = std::ldexp(1.0, 8 * bytes - 1) - 1;
        const auto x = static_cast<uint32_t>(static_cast<int32_t>(std::llround(v * full)));
        for (int i = 0; i < bytes; ++i) b[i] = static_cast<uint8_t>(x >> (8 * i));
    }
    out.insert(out.end(), b, b + bytes);
}

// Seconds of a tone: the first channel at 440 Hz, the second at 660 Hz, the
// others silent; amplitude 0.5.
std::vector<uint8_t> tone(const Layout& l, uint16_t channels, uint32_t rate, int seconds) {
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < rate * seconds; ++i)
        for (uint16_t c = 0; c < channels; ++c) {
            const double hz = c == 0 ? 440.0 : c == 1 ? 660.0 : 0.0;
            putSample(out, l, 0.5 * std::sin(2 * kPi * hz * i / rate));
        }
    return out;
}

struct Channel {
    double rms = 0;
    double pitch = 0;       // from the zero crossings
    int largestStep = 0;    // between neighbouring samples
};

Channel measure(const std::vector<int16_t>& stereo, int side) {
    Channel m;
    const size_t frames = stereo.size() / 2;
    double sum = 0;
    int crossings = 0;
    for (size_t i = 0; i < frames; ++i) {
        const int v = stereo[2 * i + side];
        sum += double(v) * v;
        if (i > 0) {
            const int u = stereo[2 * (i - 1) + side];
            if ((u < 0) != (v < 0)) ++crossings;
            m.largestStep = std::max(m.largestStep, std::abs(v - u));
        }
    }
    m.rms = std::sqrt(sum / frames);
    m.pitch = crossings / 2.0 / (double(frames) / 44100);
    return m;
}

TEST(SoundConvert, EveryLayoutAndRatePlaysItsToneAt44100Stereo) {
    const Layout layouts[] = {
        {1, SampleCoding::Integer, 8},       {1, SampleCoding::Integer, 16},
        {0xFFFE, SampleCoding::Integer, 24}, {1, SampleCoding::Integer, 24},
        {0xFFFE, SampleCoding::Integer, 32}, {1, SampleCoding::Integer, 32},
        {3, SampleCoding::Float, 32},        {3, SampleCoding::Float, 64},
        {0xFFFE, SampleCoding::Float, 32},
    };
    const uint32_t rates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000};
    const uint16_t channelCounts[] = {1, 2, 6};
    for (const Layout& l : layouts)
        for (uint32_t rate : rates)
            for (uint16_t channels : channelCounts) {
                if (channels > 2 && rate != 48000) continue;   // more channels: one rate is enough
                const std::string what = "tag " + std::to_string(l.tag) + ", " + std::to_string(l.bits) +
                                         " bits, " + std::to_string(channels) + " ch, " + std::to_string(rate) +
                                         " Hz";
                const SoundFormat f = formatOf(l, channels, rate);
                PcmConverter converter;
                ASSERT_TRUE(converter.open(f, l.coding)) << what;
                const std::vector<uint8_t> source = tone(l, channels, rate, 2);
                // One second of source at a time, as the player reads it.
                std::vector<uint8_t> out(176400);
                std::vector<int16_t> played;
                for (uint32_t at = 0; at < source.size(); at += f.bytesPerSecond) {
                    const uint32_t n = converter.convert(source.data() + at, f.bytesPerSecond, out.data(),
                                                         static_cast<uint32_t>(out.size()));
                    ASSERT_EQ(n % 4, 0u) << what;
                    // Each second gives a second of output, give or take the frame the phase carries
                    // (the first second stops at its last frame: up to one source frame less).
                    EXPECT_NEAR(double(n) / 4, 44100.0, 44100.0 / rate + 1) << what;
                    const size_t before = played.size();
                    played.resize(before + n / 2);
                    std::memcpy(played.data() + before, out.data(), n);
                }
                const Channel left = measure(played, 0), right = measure(played, 1);
                const double expectedRms = 0.5 / std::sqrt(2.0) * 32768;
                // Linear interpolation dulls 660 Hz from 8 kHz by about 2 %.
                const double tolerance = l.bits == 8 ? 0.04 : 0.03;
                EXPECT_NEAR(left.rms / expectedRms, 1.0, tolerance) << what;
                EXPECT_NEAR(right.rms / expectedRms, 1.0, tolerance) << what;
                EXPECT_NEAR(left.pitch, 440.0, 2.0) << what;
                EXPECT_NEAR(right.pitch, channels == 1 ? 440.0 : 660.0, 2.0) << what;
                // A 660 Hz tone at half scale moves at most about 1,540 a sample
                // (plus a step of 8-bit quantisation): a seam or a misread byte
                // would jump far more.
                const int steepest = static_cast<int>(0.5 * 2 * kPi * 660 / 44100 * 32768) + (l.bits == 8 ? 300 : 60);
                EXPECT_LE(right.largestStep, steepest) << what;
                EXPECT_LE(left.largestStep, steepest) << what;
            }
}

TEST(SoundConvert, At44100The16BitSamplesComeThroughUnchanged) {
    const Layout l{1, SampleCoding::Integer, 16};
    const SoundFormat f = formatOf(l, 2, 44100);
    const std::vector<uint8_t> source = tone(l, 2, 44100, 1);
    PcmConverter converter;
    ASSERT_TRUE(converter.open(f, l.coding));
    std::vector<uint8_t> out(176400);
    ASSERT_EQ(converter.convert(source.data(), 176400, out.data(), 176400), 176400u);
    EXPECT_EQ(out, source);
}

TEST(SoundConvert, ExtremesClampAndTheOutputNeverOverruns) {
    // Full-scale and beyond-full-scale floats, the most negative integers.
    const Layout f32{3, SampleCoding::Float, 32};
    std::vector<uint8_t> source;
    for (double v : {1.0, -1.0, 4.0, -4.0}) putSample(source, f32, v);
    PcmConverter converter;
    ASSERT_TRUE(converter.open(formatOf(f32, 1, 44100), SampleCoding::Float));
    std::vector<uint8_t> out(64, 0xAB);
    ASSERT_EQ(converter.convert(source.data(), static_cast<uint32_t>(source.size()), out.data(), 12), 12u);
    int16_t s[6];
    std::memcpy(s, out.data(), 12);
    EXPECT_EQ(s[0], 32767);
    EXPECT_EQ(s[2], -32768);
    EXPECT_EQ(s[4], 32767);
    EXPECT_EQ(out[12], 0xAB) << "written past the capacity";

    const uint8_t lowest32[4] = {0, 0, 0, 0x80};
    ASSERT_TRUE(converter.open(formatOf({1, SampleCoding::Integer, 32}, 1, 44100), SampleCoding::Integer));
    ASSERT_EQ(converter.convert(lowest32, 4, out.data(), 4), 4u);
    std::memcpy(s, out.data(), 4);
    EXPECT_EQ(s[0], -32768);
    // A part frame alone converts to nothing.
    EXPECT_EQ(converter.convert(lowest32, 3, out.data(), 64), 0u);
}

TEST(SoundConvert, FormatsItRefuses) {
    struct Case {
        const char* what;
        SoundFormat f;
        SampleCoding coding;
    } cases[] = {
        {"ADPCM", formatOf({2, SampleCoding::Integer, 16}, 1, 22050), SampleCoding::Integer},
        {"12-bit", formatOf({1, SampleCoding::Integer, 12}, 1, 22050), SampleCoding::Integer},
        {"16-bit float", formatOf({3, SampleCoding::Float, 16}, 1, 22050), SampleCoding::Float},
        {"PCM tag said float", formatOf({1, SampleCoding::Integer, 32}, 1, 22050), SampleCoding::Float},
        {"no channels", formatOf({1, SampleCoding::Integer, 16}, 0, 22050), SampleCoding::Integer},
        {"rate 0", formatOf({1, SampleCoding::Integer, 16}, 1, 0), SampleCoding::Integer},
        {"a rate no file has", formatOf({1, SampleCoding::Integer, 16}, 1, 2000000), SampleCoding::Integer},
        {"thousands of channels", formatOf({1, SampleCoding::Integer, 16}, 4000, 44100), SampleCoding::Integer},
    };
    for (const Case& c : cases) {
        PcmConverter converter;
        EXPECT_FALSE(converter.open(c.f, c.coding)) << c.what;
        uint8_t in[64] = {}, out[64];
        EXPECT_EQ(converter.convert(in, sizeof in, out, sizeof out), 0u) << c.what;
    }
    SoundFormat padded = formatOf({1, SampleCoding::Integer, 16}, 2, 22050);
    padded.blockAlign = 6;   // a block that is not the samples
    EXPECT_FALSE(pcmConvertible(padded, SampleCoding::Integer));
    EXPECT_EQ(codingOfTag(3, SampleCoding::Integer), SampleCoding::Float);
    EXPECT_EQ(codingOfTag(1, SampleCoding::Float), SampleCoding::Integer);
    EXPECT_EQ(codingOfTag(0xFFFE, SampleCoding::Float), SampleCoding::Float);
}

}  // namespace
