#include "Animation/ANI_PlasmaGenerators.h"

#include <algorithm>
#include <cmath>

#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"

Pixel plasmaPalette[256];
uint8_t plasmaWave[kPlasmaWaveSize];

namespace {

inline uint8_t waveByte(double v) { return static_cast<uint8_t>(truncToInt(v)); }
inline int8_t signedWave(int i) { return static_cast<int8_t>(plasmaWave[i & 255]); }
// A channel built by truncation; a value that reaches 256 wraps as a byte would.
inline Pixel channel(double v) { return static_cast<Pixel>(truncToInt(v)) & 0xFFu; }
inline Pixel rgb(double r, double g, double b) { return channel(r) << 16 | channel(g) << 8 | channel(b); }

struct Frame {
    int32_t w, h;
    bool empty() const { return w <= 0 || h <= 0; }
};
Frame frameOf(const Rect* clip) { return {clip->right - clip->left, clip->bottom - clip->top}; }
inline Pixel* rowAt(Pixel* d, int32_t pitch, const Rect* clip, int32_t y) {
    return pixelAt(d, pitch, clip->left, clip->top + y);
}

// Generators that index the wave by column and row paint at most its size.
inline int32_t waveSpan(int32_t n) { return std::min(n, kPlasmaWaveSize); }
// Entries filled per column: every column and row of the frame, and the 256
// that the byte-indexed reads can reach.
inline int32_t columnWaveCount(Frame f) { return waveSpan(std::max({f.w, f.h, 256})); }

double follow(double follower, int32_t level, double decay) {
    return level >= follower ? level : follower * decay;
}

void fillSineWave(double period, double phase, int32_t count) {
    for (int32_t i = 0; i < count; ++i) plasmaWave[i] = waveByte(std::sin(phase + kPlasmaTwoPi * i / period) * 127.0 + 128.0);
}

// Two distinct byte shifts of 0, 8 or 16.
void drawShifts(int32_t& s1, int32_t& s2) {
    s1 = (crtRand() % 3) * 8;
    do s2 = (crtRand() % 3) * 8;
    while (s2 == s1);
}

void paintShifted(Pixel* d, int32_t pitch, const Rect* clip, Frame f, int32_t s1, int32_t s2) {
    const int32_t w = waveSpan(f.w), h = waveSpan(f.h);
    for (int32_t y = 0; y < h; ++y) {
        Pixel* row = rowAt(d, pitch, clip, y);
        const Pixel high = static_cast<Pixel>(plasmaWave[y]) << s2;
        for (int32_t x = 0; x < w; ++x) row[x] = static_cast<Pixel>(plasmaWave[x]) << s1 | high;
    }
}

// Entry i of the three-sine palette from accumulator t.
void buildThreeSinePalette(double t) {
    const int32_t dr = truncToInt((std::cos(0.052 * t) + 1.0) * 128.0);
    const int32_t dg = truncToInt((std::sin(0.023 * t) + 1.0) * 128.0);
    const int32_t db = truncToInt((std::cos(0.034 * t) + 1.0) * 128.0);
    const double fr = std::cos(0.0045 * t) + 1.0, fg = std::sin(0.0056 * t) + 1.0, fb = std::cos(0.0067 * t) + 1.0;
    for (int i = 0; i < 256; ++i)
        plasmaPalette[i] = rgb((std::sin((i - dr) * fr * kPlasmaStep) + 1.0) * 128.0,
                               (std::sin((i - dg) * fg * kPlasmaStep) + 1.0) * 128.0,
                               (std::sin((i - db) * fb * kPlasmaStep) + 1.0) * 128.0);
}

// The palette of "Plasma7" and "Plasma9": red and blue opposite, green a quarter turn on.
void buildCosinePalette() {
    for (int i = 0; i < 256; ++i)
        plasmaPalette[i] = rgb(std::cos(kPlasmaStep * i) * 127.0 + 128.0, std::sin(kPlasmaStep * i) * 127.0 + 128.0,
                               128.0 - std::cos(kPlasmaStep * i) * 127.0);
}

void advance(RowPhase& p, int32_t da, int32_t db, int32_t dc) {
    p.a = static_cast<uint8_t>(p.a + da);
    p.b = static_cast<uint8_t>(p.b + db);
    p.c = static_cast<uint8_t>(p.c + dc);
}

struct ShiftedState {
    int32_t s1 = 0, s2 = 8;
};
struct Fantasy2State {
    ShiftedState shifts;
    double t = 0;
};
struct PlasmaState {
    ShiftedState shifts;
    int32_t u = 0, v = 0;
};
struct Plasma2State {
    RowPhase phase;
    double level = 0;
};
struct Plasma3State {
    RowPhase phase;
    double t = 0;
    double follower = 0;
};
struct Plasma4State {
    int32_t c1 = 0, c2 = 0;
    double t = 0;
};
struct Plasma6State {
    RowPhase phase;
    int32_t mode = 0;
};
struct Plasma8State {
    double t = 0;
};

struct GeneratorStates {
    ShiftedState fantasy;
    Fantasy2State fantasy2;
    PlasmaState plasma;
    int32_t plasmaCounter = 0;    // "Plasma"'s shift pairs in turn
    int32_t plasma4Counter = 0;
    Plasma2State plasma2;
    Plasma3State plasma3, plasma7, plasma9;
    Plasma4State plasma4;
    double plasma5T = 0;
    Plasma6State plasma6;
    Plasma8State plasma8;
};
GeneratorStates g_state;

inline bool setUp(int32_t beat, int32_t firstFrame) { return beat || firstFrame; }

}  // namespace

void setUpRowPhase(RowPhase& phase, bool withPhases) {
    phase.direction = static_cast<int8_t>(1 - 2 * (crtRand() & 1));
    phase.stepB = static_cast<int8_t>((crtRand() % 3 + 1) * 2);
    phase.spareStep = randomSmallStep();
    if (!withPhases) return;
    phase.a = static_cast<uint8_t>(crtRand() % 100);
    phase.b = static_cast<uint8_t>(crtRand() % 100);
    phase.c = static_cast<uint8_t>(crtRand() % 100);
}

void paintRowPhaseRow(Pixel* row, int32_t count, uint8_t a, uint8_t b, uint8_t k, int32_t direction) {
    const uint32_t ab = static_cast<uint32_t>(signedWave(a) + signedWave(b));
    for (int32_t x = 0; x < count; ++x) {
        row[x] = plasmaPalette[(ab + plasmaWave[k]) & 255];
        k = static_cast<uint8_t>(k + direction);
    }
}

void paintRowPhase(Pixel* d, int32_t pitch, const Rect& clip, const RowPhase& p) {
    const int32_t w = clip.right - clip.left, h = clip.bottom - clip.top;
    uint8_t a = p.a, b = p.b, c = p.c;
    for (int32_t y = 0; y < h; ++y) {
        paintRowPhaseRow(pixelAt(d, pitch, clip.left, clip.top + y), w, a, b, c, p.direction);
        a = static_cast<uint8_t>(a + p.stepA);
        b = static_cast<uint8_t>(b + p.stepB);
        c = static_cast<uint8_t>(c + p.stepC);
    }
}

void buildHannWave(double t) {
    const double e = (std::sin(0.021 * t) + 1.0) * kPlasmaPi;
    const double k = std::sin(0.031 * t) * 200.0 + 400.0;
    const double l = std::sin(0.01 * t) * 200.0 + 400.0;
    const double m = (std::sin(0.041 * t) + 1.0) * kPlasmaPi;
    for (int i = 0; i < 256; ++i)
        plasmaWave[i] = waveByte(std::sin(e + kPlasmaTwoPi * i / k) * std::sin(kPlasmaTwoPi * i / l + m) * 128.0 *
                                     (0.5 - 0.5 * std::cos(kPlasmaStep * i)) +
                                 128.0);
}

void drawFantasy(Pixel* d, int32_t pitch, const Rect* clip, int32_t, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    ShiftedState& s = g_state.fantasy;
    if (setUp(beat, firstFrame)) {
        const double period = randRangeDouble(5.0, 2560.0);
        const double phase = randRangeDouble(0.0, kPlasmaTwoPi);
        fillSineWave(period, phase, columnWaveCount(f));
        drawShifts(s.s1, s.s2);
    }
    paintShifted(d, pitch, clip, f, s.s1, s.s2);
}

void drawFantasy2(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Fantasy2State& s = g_state.fantasy2;
    if (setUp(beat, firstFrame)) drawShifts(s.shifts.s1, s.shifts.s2);
    s.t += level & 255;
    const double phase = (std::cos(0.006 * s.t) + 1.0) * kPlasmaPi;
    const double period = std::cos(0.0003 * s.t) * 1000.0 + 1005.0;
    fillSineWave(period, phase, columnWaveCount(f));
    paintShifted(d, pitch, clip, f, s.shifts.s1, s.shifts.s2);
}

void drawPlasma(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    PlasmaState& s = g_state.plasma;
    if (setUp(beat, firstFrame)) {
        int32_t& n = g_state.plasmaCounter;
        s.shifts.s1 = (n % 3) * 8;
        s.shifts.s2 = ((n / 3) % 3) * 8;
        n = (n + 1) & 0x7FFFFFFF;
        double period[3], phase[3];
        for (int i = 0; i < 3; ++i) {
            period[i] = randRangeDouble(100.0, 600.0);
            phase[i] = randRangeDouble(0.0, kPlasmaTwoPi);
        }
        const int32_t count = columnWaveCount(f);
        for (int32_t i = 0; i < count; ++i)
            plasmaWave[i] = waveByte(std::sin(phase[2] + kPlasmaTwoPi * i / period[2]) *
                                         std::sin(phase[1] + kPlasmaTwoPi * i / period[1]) *
                                         std::sin(phase[0] + kPlasmaTwoPi * i / period[0]) * 128.0 +
                                     127.0);
    }
    const int32_t step = ((level & 255) - 60) / 4;
    s.u += step;
    s.v += step;
    if (s.u < -1024 || s.u > 1024) s.u = 0;
    if (s.v < -1024 || s.v > 1024) s.v = 0;
    const int32_t u = static_cast<int8_t>(s.u), v = static_cast<int8_t>(s.v);
    const int32_t w = waveSpan(f.w), h = waveSpan(f.h);
    for (int32_t y = 0; y < h; ++y) {
        Pixel* row = rowAt(d, pitch, clip, y);
        const int32_t wy = plasmaWave[y];
        for (int32_t x = 0; x < w; ++x)
            row[x] = static_cast<Pixel>(plasmaWave[(plasmaWave[x] + v + y) & 255]) << s.shifts.s1 |
                     static_cast<Pixel>(plasmaWave[(u + wy + x) & 255]) << s.shifts.s2;
    }
}

void drawPlasma2(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Plasma2State& s = g_state.plasma2;
    level &= 255;
    if (setUp(beat, firstFrame)) {
        int32_t o[3];
        double fr[3];
        for (int32_t& v : o) v = crtRand() % 256;
        for (double& v : fr) v = randRangeDouble(0.0, 2.0);
        for (int i = 0; i < 256; ++i)
            plasmaPalette[i] = rgb((std::sin(fr[0] * (i - o[0]) * kPlasmaStep) + 1.0) * 127.0,
                                   (std::sin(fr[1] * (i - o[1]) * kPlasmaStep) + 1.0) * 127.0,
                                   (std::sin(fr[2] * (i - o[2]) * kPlasmaStep) + 1.0) * 127.0);
        for (int j = 0; j < 256; ++j) plasmaWave[j] = waveByte(std::sin(j * kPlasmaStep) * 128.0);
        s.phase.stepA = 3;
        s.phase.stepC = -2;
        setUpRowPhase(s.phase, false);
    }
    paintRowPhase(d, pitch, *clip, s.phase);
    s.level = beat ? s.level + ((level >> 2) & 63) : s.level * 0.98;
    const int32_t o = truncToInt(s.level);
    advance(s.phase, o / 80, o / 11, o / 16);
}

namespace {

// "Plasma3", "Plasma7" and "Plasma9" share their set-up.
void setUpPlasma3Like(Plasma3State& s, int32_t beat, int32_t firstFrame) {
    if (!setUp(beat, firstFrame)) return;
    s.phase.stepA = 3;
    s.phase.stepC = -2;
    setUpRowPhase(s.phase, true);
}

}  // namespace

void drawPlasma3(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    if (frameOf(clip).empty()) return;
    Plasma3State& s = g_state.plasma3;
    setUpPlasma3Like(s, beat, firstFrame);
    s.t += (level & 255) / 64;
    buildThreeSinePalette(s.t);
    buildHannWave(s.t);
    paintRowPhase(d, pitch, *clip, s.phase);
    advance(s.phase, -1, 4, 3);
}

void drawPlasma4(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Plasma4State& s = g_state.plasma4;
    if (setUp(beat, firstFrame)) {
        g_state.plasma4Counter = (g_state.plasma4Counter + 1) & 0x7FFFFFFF;
        double period[3], phase[3];
        for (int i = 0; i < 3; ++i) {
            period[i] = randRangeDouble(200.0, 600.0);
            phase[i] = randRangeDouble(0.0, kPlasmaTwoPi);
        }
        const int32_t count = waveSpan(std::max(f.w, f.h));
        for (int32_t i = 0; i < count; ++i)
            plasmaWave[i] = waveByte(std::sin(phase[2] + kPlasmaTwoPi * i / period[2]) *
                                         std::sin(kPlasmaTwoPi * i / period[1] + phase[1]) *
                                         std::sin(kPlasmaTwoPi * i / period[0] + phase[0]) * 128.0 *
                                         (0.5 - 0.5 * std::cos(kPlasmaTwoPi * i / f.w)) +
                                     127.0);
    }
    s.c1 += 1;
    s.c2 += 1;
    s.t += (level & 255) / 100;
    const double rb = truncToInt(std::cos(0.094 * s.t) * 127.0 + 128.0);
    const double rr = truncToInt(std::cos(0.052 * s.t) * 127.0 + 128.0);
    const double rg = truncToInt(std::sin(0.073 * s.t) * 127.0 + 128.0);
    const double fb = std::cos(0.0067 * s.t) + 1.0, fg = std::sin(0.0056 * s.t) + 1.0, fr = std::cos(0.0045 * s.t) + 1.0;
    for (int i = 0; i < 256; ++i)
        plasmaPalette[i] = rgb(std::sin((i - rr) * fr * kPlasmaStep) * 127.0 + 128.0,
                               std::sin((i - rg) * fg * kPlasmaStep) * 127.0 + 128.0,
                               std::sin((i - rb) * fb * kPlasmaStep) * 127.0 + 128.0);
    const uint32_t counters = static_cast<uint32_t>(s.c1 + s.c2);
    const int32_t w = waveSpan(f.w), h = waveSpan(f.h);
    for (int32_t y = 0; y < h; ++y) {
        Pixel* row = rowAt(d, pitch, clip, y);
        const uint32_t base = plasmaWave[y] + counters;
        for (int32_t x = 0; x < w; ++x) row[x] = plasmaPalette[(base + plasmaWave[x]) & 255];
    }
}

void drawPlasma5(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t, int32_t) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    double& t = g_state.plasma5T;
    t += (level & 255) / 32;
    buildThreeSinePalette(t);
    buildHannWave(t);
    const int32_t cx = f.w / 2, cy = f.h / 2;
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* row = rowAt(d, pitch, clip, y);
        const int32_t v = y - cy;
        const int32_t base = v * v - 80000;
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t u = x - cx;
            row[x] = plasmaPalette[plasmaWave[((u * u + base) >> 9) & 255]];
        }
    }
}

void drawPlasma6(Pixel* d, int32_t pitch, const Rect* clip, int32_t, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Plasma6State& s = g_state.plasma6;
    if (setUp(beat, firstFrame)) {
        s.mode = s.mode + 1 >= 6 ? 0 : s.mode + 1;
        const double p1 = randRangeDouble(200.0, 600.0), f1 = randRangeDouble(0.0, kPlasmaTwoPi);
        const double p2 = randRangeDouble(200.0, 600.0), f2 = randRangeDouble(0.0, kPlasmaTwoPi);
        const Pixel r = crtRand() & 255, g = crtRand() & 255, b = crtRand() & 255;
        // Which channels follow the cosine ramp, by mode: red, green, blue, red and
        // green, green and blue, blue and red.
        static constexpr uint8_t kRamped[6] = {4, 2, 1, 6, 3, 5};
        const uint8_t ramped = kRamped[s.mode];
        for (int i = 0; i < 256; ++i) {
            const Pixel ramp = channel(128.0 - 127.0 * std::cos(kPlasmaStep * i));
            plasmaPalette[i] = (ramped & 4 ? ramp : r) << 16 | (ramped & 2 ? ramp : g) << 8 | (ramped & 1 ? ramp : b);
        }
        for (int i = 0; i < 256; ++i)
            plasmaWave[i] = waveByte(std::sin(kPlasmaTwoPi * i / p2 + f2) * std::sin(kPlasmaTwoPi * i / p1 + f1) * 128.0 *
                                         (0.5 - 0.5 * std::cos(kPlasmaStep * i)) +
                                     128.0);
        s.phase.stepA = 3;
        s.phase.stepC = -2;
        setUpRowPhase(s.phase, true);
    }
    // Colours at half resolution, each stored into its 2 x 2 block.
    const RowPhase& p = s.phase;
    uint8_t a = p.a, b = p.b, c = p.c;
    for (int32_t y = 0; y < f.h; y += 2) {
        Pixel* row0 = rowAt(d, pitch, clip, y);
        Pixel* row1 = y + 1 < f.h ? row0 + pitch : nullptr;
        const uint32_t ab = static_cast<uint32_t>(signedWave(a) + signedWave(b));
        uint8_t k = c;
        for (int32_t x = 0; x < f.w; x += 2) {
            const Pixel colour = plasmaPalette[(ab + plasmaWave[k]) & 255];
            k = static_cast<uint8_t>(k + p.direction);
            row0[x] = colour;
            if (x + 1 < f.w) row0[x + 1] = colour;
            if (row1) {
                row1[x] = colour;
                if (x + 1 < f.w) row1[x + 1] = colour;
            }
        }
        a = static_cast<uint8_t>(a + p.stepA);
        b = static_cast<uint8_t>(b + p.stepB);
        c = static_cast<uint8_t>(c + p.stepC);
    }
    advance(s.phase, -1, 4, 3);
}

void drawPlasma7(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Plasma3State& s = g_state.plasma7;
    level &= 255;
    setUpPlasma3Like(s, beat, firstFrame);
    s.t += level / 64;
    buildCosinePalette();
    buildHannWave(s.t);
    s.follower = follow(s.follower, level, 0.95);
    const int32_t r = truncToInt((f.h / 2 - 1) * s.follower / 255.0 + 1.0);
    const int32_t r2 = r * r;
    paintRowPhase(d, pitch, *clip, s.phase);
    const int32_t cx = f.w / 2, cy = f.h / 2;
    for (int32_t y = 0; y < f.h; ++y) {
        const int32_t dy2 = (y - cy) * (y - cy);
        if (dy2 >= r2) continue;
        Pixel* row = rowAt(d, pitch, clip, y);
        for (int32_t x = 0; x < f.w; ++x)
            if (dy2 + (x - cx) * (x - cx) < r2) row[x] ^= 0xFFFFFFu;
    }
    advance(s.phase, -1, 4, 3);
}

void drawPlasma8(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Plasma8State& s = g_state.plasma8;
    if (setUp(beat, firstFrame)) {
        const int32_t o1 = crtRand() % 256, o2 = crtRand() % 256, o3 = crtRand() % 256;
        for (int k = 0; k < 256; ++k)
            plasmaPalette[k] = rgb(std::cos((o1 + k) * kPlasmaStep) * 127.0 + 128.0,
                                   std::cos((o2 + k) * kPlasmaStep) * 127.0 + 128.0,
                                   std::cos((o3 + k) * kPlasmaStep) * 127.0 + 128.0);
    }
    s.t += (level & 255) / 32;
    for (int i = 0; i < 256; ++i) plasmaWave[i] = waveByte(std::cos((i - s.t) * kPlasmaStep) * 128.0);
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const int64_t q = 262144 / std::max<int64_t>(1, int64_t(hh) * hh + int64_t(hw) * hw);
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* row = rowAt(d, pitch, clip, y);
        const int64_t v = y - hh;
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t u = x - hw;
            row[x] = plasmaPalette[plasmaWave[(q * (u * u + v * v)) >> 10 & 255]];
        }
    }
}

void drawPlasma9(Pixel* d, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame) {
    const Frame f = frameOf(clip);
    if (f.empty()) return;
    Plasma3State& s = g_state.plasma9;
    level &= 255;
    setUpPlasma3Like(s, beat, firstFrame);
    s.t += level / 64;
    buildCosinePalette();
    buildHannWave(s.t);
    s.follower = follow(s.follower, level, 0.95);
    const int64_t scale = truncToInt((300.0 - s.follower) / ((f.w + f.h) * 0.00089285715));
    const int32_t cx = f.w / 2, cy = f.h / 2;
    const RowPhase& p = s.phase;
    uint8_t a = p.a, b = p.b;
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* row = rowAt(d, pitch, clip, y);
        const uint32_t ab = static_cast<uint32_t>(signedWave(a) + signedWave(b));
        const int64_t dy2 = int64_t(y - cy) * (y - cy);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t r2 = dy2 + int64_t(x - cx) * (x - cx);
            row[x] = plasmaPalette[(ab + plasmaWave[(r2 * scale >> 14) & 255]) & 255];
        }
        a = static_cast<uint8_t>(a + p.stepA);
        b = static_cast<uint8_t>(b + p.stepB);
    }
    advance(s.phase, -1, 4, 3);
}

void resetPlasmaGenerators() { g_state = GeneratorStates{}; }
