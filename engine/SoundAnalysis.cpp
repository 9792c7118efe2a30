#include "engine/SoundAnalysis.h"

#include <cmath>
#include <cstring>

namespace {

// The truncated turn the effects were tuned with (also used by the trig tables).
constexpr double kTurn = 6.283185308;
constexpr double kLevelScale = 0.00003;
constexpr double kEnvelopeDecay = 0.92;
constexpr double kRiseScale = 0.015625;
constexpr double kRecoveryPerFrame = 0.025;
constexpr int kFramesSinceBeatCap = 1 << 30;

int16_t saturate16(int32_t v) {
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<int16_t>(v);
}

// Truncation toward zero, then saturation to 16 bits.
int16_t saturate16(double v) {
    if (v >= 32767.0) return 32767;
    if (v <= -32768.0) return -32768;
    return static_cast<int16_t>(static_cast<int32_t>(v));
}

// Each value minus 15/16 of its unchanged predecessor; walked backwards so the
// predecessor is still the input. The first value becomes 0.
void preEmphasize(int16_t* w, int n) {
    for (int i = n - 1; i >= 1; --i) w[i] = saturate16(w[i] - w[i - 1] * 15 / 16);
    w[0] = 0;
}

void applyHammingWindow(const SoundAnalysis& a, int16_t* w, int n) {
    for (int i = 0; i < n; ++i) w[i] = saturate16((0.54 - 0.46 * a.cosine[i]) * w[i]);
}

void spectrumMagnitudes(SoundAnalysis& a, int16_t* w, int n) {
    preEmphasize(w, n);
    applyHammingWindow(a, w, n);
    for (int i = 0; i < n; ++i) a.real[i] = w[i];
    std::memset(a.imaginary, 0, sizeof(int32_t) * n);
    fftInPlace(a, a.real, a.imaginary, n);
    for (int i = 0; i < n / 2; ++i) {
        const int32_t re = saturate16(a.real[i]), im = saturate16(a.imaginary[i]);
        const int32_t sum = im * im / 16384 + re * re / 16384;
        w[i] = static_cast<int16_t>(std::sqrt(static_cast<double>(sum)));
    }
    for (int i = n / 2; i < n; ++i) w[i] = saturate16(a.real[i]);
}

int stagesFor(int n) {
    switch (n) {
        case 32: return 5;
        case 64: return 6;
        case 128: return 7;
        case 256: return 8;
        default: return 0;
    }
}

}  // namespace

SoundAnalysis::SoundAnalysis() {
    std::memset(samples, 0, sizeof samples);
    std::memset(spectrum, 0, sizeof spectrum);
    std::memset(cosine, 0, sizeof cosine);
    std::memset(negativeSine, 0, sizeof negativeSine);
    std::memset(real, 0, sizeof real);
    std::memset(imaginary, 0, sizeof imaginary);
}

SoundAnalysis& soundAnalysis() {
    static SoundAnalysis analysis;
    return analysis;
}

int setupSpectrum(SoundAnalysis& a, int n) {
    // Sizes above 256 would not fit the arrays: refused like any other odd size.
    const int stages = stagesFor(n);
    if (stages == 0) return 0;
    a.transformSize = n;
    a.stageCount = stages;
    for (int i = 0; i < n; ++i) {
        const double angle = i * kTurn / n;
        a.cosine[i] = std::cos(angle);
        a.negativeSine[i] = -std::sin(angle);
    }
    return 1;
}

double meanSquare(const int16_t* values, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += static_cast<int32_t>(values[i]) * values[i] / n;
    return sum;
}

int detectBeat(SoundAnalysis& a, int rawLevel) {
    double x = static_cast<uint16_t>(rawLevel);
    if (x < a.envelope) x = a.envelope * kEnvelopeDecay;
    const double rise = (x - a.envelope) * kRiseScale;
    const double recovery = std::fmin(1.0, a.framesSinceBeat * kRecoveryPerFrame);
    a.envelope = x;
    if (rise * recovery > a.beatThreshold) {
        a.framesSinceBeat = 0;
        return 1;
    }
    if (a.framesSinceBeat < kFramesSinceBeatCap) ++a.framesSinceBeat;
    return 0;
}

void bitReversePermute(int32_t* values, int n) {
    int j = 0;
    for (int i = 1; i < n - 1; ++i) {
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
        if (i < j) {
            const int32_t t = values[i];
            values[i] = values[j];
            values[j] = t;
        }
    }
}

// Radix-2 decimation in time without scaling between stages, every result
// truncated toward zero; the imaginary row comes in all zero, so only the real
// row is permuted. 256 points of 16-bit input stay far inside 32 bits.
void fftInPlace(const SoundAnalysis& a, int32_t* re, int32_t* im, int n) {
    bitReversePermute(re, n);
    int groups = n / 2;
    int span = 1;
    for (int stage = 0; stage < a.stageCount; ++stage) {
        for (int g = 0; g < groups; ++g) {
            const int base = g * 2 * span;
            for (int k = 0; k < span; ++k) {
                const int top = base + k;
                const int bottom = top + span;
                const int t = k * groups;
                const double c = a.cosine[t];
                const double s = a.negativeSine[t];
                const double tr = re[bottom] * c - im[bottom] * s;
                const double ti = re[bottom] * s + im[bottom] * c;
                const double topRe = re[top];
                const double topIm = im[top];
                re[top] = static_cast<int32_t>(topRe + tr);
                im[top] = static_cast<int32_t>(topIm + ti);
                re[bottom] = static_cast<int32_t>(topRe - tr);
                im[bottom] = static_cast<int32_t>(topIm - ti);
            }
        }
        span *= 2;
        groups /= 2;
    }
}

void analyzeSpectrum(SoundAnalysis& a) {
    const int n = a.transformSize;
    if (n == 0) return;
    int16_t* s = a.samples;
    int16_t* w = a.spectrum;
    for (int i = 0; i < n; ++i) {
        s[i] = saturate16(static_cast<int32_t>(s[i]) * a.gain / kUnityGain);
        w[i] = static_cast<int16_t>(s[i] >> 1);
    }
    const int16_t raw = saturate16(static_cast<int32_t>(meanSquare(s, n) * kLevelScale));
    a.beat = static_cast<int16_t>(detectBeat(a, raw));
    int level = raw > 255 ? 255 : raw;
    level = level * level / 255;
    a.level = static_cast<uint16_t>(level);
    if (a.automaticGain) {
        // Bounded: long silence would otherwise raise the gain without limit and
        // the next music would take minutes to come back down.
        if (level <= 32) {
            if (a.gain < kMaxSoundGain) ++a.gain;
        } else if (a.gain > kMinSoundGain) {
            --a.gain;
        }
    }
    spectrumMagnitudes(a, w, n);
}
