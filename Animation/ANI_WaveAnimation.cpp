#include "Animation/ANI_WaveAnimation.h"

#include <algorithm>
#include <cmath>

#include "Animation/AnimationShared.h"
#include "render/Blits.h"
#include "render/FloatToInt.h"
#include "render/Lines.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

constexpr int32_t kSpanWide = 0x500000;     // samples 0..160 across the width
constexpr int32_t kSpanNarrow = 0x320000;   // samples 0..100
constexpr int32_t kSampleCount = 256;

struct WaveState {
    int32_t dotFrames = 0, dot2Frames = 0, lineFrames = 0, surfaceFrames = 0;
    int32_t rainbowCount = 0;   // n_r
    int32_t direction = 1;
    uint16_t angle = 0;         // 65536ths of a turn
};
WaveState g_wave;

struct WaveColour {
    int32_t first, second, third;
};

WaveColour waveColour(int32_t n) {
    const float t = static_cast<float>(n);
    return {truncToInt(155.0f + 100.0f * std::sin(0.01273f * t)), truncToInt(155.0f - 100.0f * std::cos(0.022151f * t)),
            truncToInt(155.0f + 100.0f * std::cos(0.01993f * t))};
}

Pixel rgb(int32_t r, int32_t g, int32_t b) { return static_cast<Pixel>((r << 16) | (g << 8) | b); }

struct Box {
    int32_t left, top, right, bottom, w, h, cx, cy;
};
Box boxOf(const Rect& r) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    return {r.left, r.top, r.right, r.bottom, w, h, r.left + w / 2, r.top + h / 2};
}

void drawBeatWave(Pixel* dst, int32_t pitch, const Rect& clip, const int16_t* samples) {
    const Box b = boxOf(clip);
    if (b.w < 2) return;
    const int32_t step = kSpanWide / b.w;
    int32_t lastX = 0, lastY = 0;
    for (int32_t x = 0; x < b.w; ++x) {
        const int32_t px = b.left + x, py = b.cy - (b.h / 4) * waveSampleAt(samples, x * step) / 32768;
        if (x > 0) drawThickLineAA(dst, clip, pitch, lastX, lastY, px, py, 0xFFFFFF, 5);
        lastX = px;
        lastY = py;
    }
}

bool strictlyInside(const Box& b, int32_t x, int32_t y, int32_t margin) {
    return x > b.left + margin && x < b.right - 1 - margin && y > b.top + margin && y < b.bottom - 1 - margin;
}

}  // namespace

int32_t waveSampleAt(const int16_t* samples, int32_t t) {
    // A long diagonal or a narrow frame reads past the newest samples; held at the last pair.
    const int32_t i = std::min(t >> 15, kSampleCount - 2);
    const int32_t f = (t >> 7) & 0xFF;
    return (samples[i] * (256 - f) + samples[i + 1] * f) / 256;
}

void drawWaveDot(Pixel* dst, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples) {
    g_wave.dotFrames += 1;
    if (beat) return drawBeatWave(dst, pitch, *clip, samples);
    const Box b = boxOf(*clip);
    if (b.w <= 0) return;
    const WaveColour c = waveColour(g_wave.dotFrames);
    const Pixel colour = rgb(c.first, c.second, c.third);
    const int32_t step = kSpanWide / b.w;
    for (int32_t x = 0; x < b.w; ++x)
        addPixelSaturated(dst, pitch, b.left + x, b.cy - (b.h / 6) * 2 * waveSampleAt(samples, x * step) / 32768, colour);
}

void drawWaveDot2(Pixel* dst, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples, int32_t level) {
    g_wave.dot2Frames += 1;
    if (beat) return drawBeatWave(dst, pitch, *clip, samples);
    const Box b = boxOf(*clip);
    if (b.w <= 0) return;
    const WaveColour c = waveColour(g_wave.dot2Frames);
    const Pixel colour = rgb(c.first, c.second, c.third);
    const int32_t step = kSpanWide / b.w, clusters = (level & 0xFF) >> 5;
    for (int32_t x = 0; x < b.w; ++x) {
        const int32_t y = b.cy - ((b.h / 5) * 2 * waveSampleAt(samples, x * step) >> 15);
        for (int32_t n = 0; n < clusters; ++n) {
            const int32_t px = b.left + x + randBell(-8, 8, 4);
            const int32_t py = y + randBell(-8, 8, 4);
            if (strictlyInside(b, px, py, 0)) addPlus5(dst, pitch, px, py, colour);
        }
    }
}

void drawWaveLine(Pixel* dst, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples, int32_t) {
    g_wave.lineFrames += 1;
    if (beat) return drawBeatWave(dst, pitch, *clip, samples);
    const Box b = boxOf(*clip);
    if (b.w <= 0) return;
    const WaveColour c = waveColour(g_wave.lineFrames);
    const uint32_t colour = static_cast<uint32_t>((c.third << 16) | (c.second << 8) | c.first);   // 0x00BBGGRR
    const int32_t step = kSpanNarrow / b.w;
    int32_t lastX = 0, lastY = 0;
    for (int32_t x = 0; x < b.w; ++x) {
        const int32_t px = b.left + x, py = b.cy - (b.h / 5) * 2 * waveSampleAt(samples, x * step) / 32768;
        if (x > 0) drawProfileLine(dst, *clip, pitch, lastX, lastY, px, py, colour, 3);
        lastX = px;
        lastY = py;
    }
}

void drawWaveSurface(Pixel* dst, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples) {
    g_wave.surfaceFrames += 1;
    if (beat) return drawBeatWave(dst, pitch, *clip, samples);
    const Box b = boxOf(*clip);
    if (b.w < 2) return;   // one column has no step across the samples
    const WaveColour c = waveColour(g_wave.surfaceFrames);
    const int32_t end[3] = {c.third, c.second, c.first};   // red, green, blue at the bar's end
    for (int32_t x = 0; x < b.w; ++x) {
        const int32_t bar = b.h * samples[255 * x / (b.w - 1)] / -98304;
        if (bar == 0) continue;
        const int32_t tip = b.cy + bar;
        const int32_t from = bar > 0 ? b.cy : tip, to = bar > 0 ? tip : b.cy;
        Pixel* column = dst + b.left + x;
        for (int32_t row = from; row < to; ++row) {
            int32_t ch[3];
            for (int k = 0; k < 3; ++k) ch[k] = end[k] + (end[k] - 255) * (row - tip) / bar;
            column[static_cast<ptrdiff_t>(row) * pitch] = rgb(ch[0], ch[1], ch[2]);
        }
    }
}

void drawWaveRainbow(Pixel* dst, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples, int32_t level,
                     int32_t variant) {
    if (beat) {
        g_wave.direction = -g_wave.direction;
        return drawBeatWave(dst, pitch, *clip, samples);
    }
    const Box b = boxOf(*clip);
    if (b.w <= 0) return;
    g_wave.angle = static_cast<uint16_t>(g_wave.angle + g_wave.direction * 400);
    if (g_wave.rainbowCount >= b.w) g_wave.rainbowCount = 0;
    const int32_t n = g_wave.rainbowCount;
    const int32_t d = truncToInt(std::sqrt(static_cast<float>(b.w * b.w + b.h * b.h)));
    const int32_t thickness = (level & 0xFF) / 48 + 1;
    const int32_t step = kSpanNarrow / b.w;
    const int32_t start = b.left - (d - b.w) / 2;
    int32_t lastX = -(d - b.w) / 2, lastY = b.cy;
    rotateAboutPointFixed(&lastX, &lastY, -400 * n, b.cx, b.cy);
    for (int32_t i = 0; i <= d - 2; ++i) {
        int32_t x = start + i, y = b.cy - (b.h / 5) * 2 * waveSampleAt(samples, i * step) / 32768;
        rotateAboutPointFixed(&x, &y, g_wave.angle, b.cx, b.cy);
        const int32_t phi = trigIndex((65536 / b.w) * (i + 2 * n));
        // A table value of +-32,768 would give 256; held at 255.
        const int32_t red = std::min(255, 128 - CosineTable[phi] / 256);
        const int32_t green = std::min(255, 128 + SineTable[phi] / 256);
        const int32_t blue = std::min(255, 128 + CosineTable[phi] / 256);
        if (strictlyInside(b, lastX, lastY, 2) && strictlyInside(b, x, y, 2)) {
            if (variant == 0)
                drawThickLineAA(dst, *clip, pitch, lastX, lastY, x, y, rgb(red, green, blue), thickness);
            else
                drawAdditiveLine(dst, *clip, pitch, lastX, lastY, x, y, rgb(red, green, blue), thickness);
        }
        lastX = x;
        lastY = y;
    }
    g_wave.rainbowCount += 1;
}

void runWaveDot(EffectParams* p) { drawWaveDot(p->destination, p->pitch, &p->rect, p->beat, p->samples); }
void runWaveDot2(EffectParams* p) {
    drawWaveDot2(p->destination, p->pitch, &p->rect, p->beat, p->samples, animationLevel(p));
}
void runWaveLine(EffectParams* p) {
    drawWaveLine(p->destination, p->pitch, &p->rect, p->beat, p->samples, animationLevel(p));
}
void runWaveSurface(EffectParams* p) { drawWaveSurface(p->destination, p->pitch, &p->rect, p->beat, p->samples); }
void runWaveRainbow(EffectParams* p, int32_t variant) {
    drawWaveRainbow(p->destination, p->pitch, &p->rect, p->beat, p->samples, animationLevel(p), variant);
}

void resetWaveState() { g_wave = WaveState{}; }
