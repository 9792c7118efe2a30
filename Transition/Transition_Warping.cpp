// Warping transitions. Each worker draws the whole clip area every frame by
// fetching every canvas pixel from a displaced point; per-pixel work is
// integer arithmetic and table lookups, floats only make the per-frame
// constants and tables. Where a displacement can pass 32 bits for large
// zooms it is worked in 64 bits, so far-off points stay outside the picture
// instead of wrapping back into it; the jewel and the saddle lens wrap on
// purpose (their facets are the wrapped products).
#include "Transition/Transition_Warping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "Transition/TransitionFrame.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/TrigTables.h"

namespace {

struct Warp {
    const Pixel* src;            // outgoing
    const Pixel* src2;           // incoming
    Pixel* dst;
    int32_t pitch, w, h, hw, hh;
    float p;
    double tri;
    double e880, e1120;
    uint32_t alpha;

    ptrdiff_t at(int64_t x, int64_t y) const { return static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(x); }
    bool inside(int64_t x, int64_t y) const { return x >= 0 && x < w && y >= 0 && y < h; }
    bool empty() const { return w <= 0 || h <= 0; }
    ptrdiff_t size() const { return static_cast<ptrdiff_t>(pitch) * h; }
};

Warp warpOf(const EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    Warp a{f.outgoing, f.incoming, f.canvas, f.pitch, f.w, f.h, f.w >> 1, f.h >> 1, t->progress, 0, 0, 0, 0};
    a.tri = a.p < 0.5f ? a.p : 1.0 - a.p;
    // Worked in float: at W + H = 1120 a double product lands just under 1.0,
    // which drops the ring shift from 10 to 9 and moves the lens constants.
    a.e880 = static_cast<float>(a.w + a.h) * 0.0011363636f;
    a.e1120 = static_cast<float>(a.w + a.h) * 0.00089285714f;
    a.alpha = blendWeight(a.p);
    return a;
}

inline int32_t trunc32(double v) { return truncToInt(v); }
// Two's-complement products that wrap as 32-bit words.
inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Quadratic ease of a 12-bit step: 0..256.
inline uint32_t easeWeight(int32_t s) {
    const int32_t q = s >> 4;
    return static_cast<uint32_t>(std::clamp((q * q) >> 8, 0, 256));
}

inline Pixel scaled(Pixel p, uint32_t u) { return blendPixel(0, p, u); }

inline Pixel raised(Pixel p, int32_t add) {
    auto ch = [add](Pixel v, int shift) {
        return static_cast<Pixel>(std::clamp(static_cast<int32_t>((v >> shift) & 0xFF) + add, 0, 255)) << shift;
    };
    return ch(p, 16) | ch(p, 8) | ch(p, 0);
}

inline Pixel shaded(Pixel p, int32_t sub) { return raised(p, -sub); }

// The pair of pictures a direction argument picks: 0 warps the incoming one.
struct Pair {
    const Pixel* warped;
    const Pixel* plain;
    int32_t s;                   // 12-bit step, 4096 at the warped picture's start
    uint32_t u;                  // weight of the plain picture
};

Pair pairOf(const Warp& a, int32_t dir) {
    const int32_t s = dir == 0 ? trunc32((1.0 - a.p) * 4096) : trunc32(a.p * 4096.0);
    return {dir == 0 ? a.src2 : a.src, dir == 0 ? a.src : a.src2, s, easeWeight(s)};
}

// Outer (shown where the warped point leaves the picture) and inner picture.
struct Sides {
    const Pixel* outer;
    const Pixel* inner;
};
Sides sidesOf(const Warp& a, int32_t dir) { return dir == 0 ? Sides{a.src, a.src2} : Sides{a.src2, a.src}; }

// The water ripples' radial table: the scale in 1/32768 by ring index.
struct RippleTable {
    int32_t q[720];
    int32_t shift;
    RippleTable(const EffectParams* t, const Warp& a, float strength, float rings, float speed) {
        const int32_t r = std::max(1, trunc32(std::sqrt(double(a.hw) * a.hw + double(a.hh) * a.hh)));
        const double g = a.e1120 * rings, m = strength * a.tri * 0.7;
        const double time = double(t->duration) * a.p * speed * 0.15;
        for (int i = 0; i < 720; ++i) q[i] = trunc32(32768.0 - 32768.0 * m * std::sin((i - time) * g * 56.548668 / r));
        shift = trunc32(10.0 * std::sqrt(std::sqrt(a.e1120)));
    }
    // Screens far beyond a saver's sizes would index past the table.
    int32_t at(int32_t index) const { return q[std::clamp(index, 0, 719)]; }
};

// The sweeping light band of the second water ripple and the tutor.
struct Band {
    int32_t centre, half;
    Band(const Warp& a, int32_t s) : centre(((4096 - s) * a.w) >> 12), half(std::max(1, ((a.w + a.h) / 4) / 2)) {}
};

inline Pixel bandedMix(const Warp& a, const Pair& pr, const Band& band, int32_t x, int32_t y, int64_t X, int64_t Y) {
    const Pixel plain = pr.plain[a.at(x, y)];
    if (!a.inside(X, Y)) return scaled(plain, pr.u);
    Pixel warped = pr.warped[a.at(X, Y)];
    if (X > band.centre - band.half && X < band.centre + band.half)
        warped = raised(warped, 256 - static_cast<int32_t>(std::llabs(X - band.centre)) * 256 / band.half);
    return blendPixel(warped, plain, pr.u);
}

// A scratch buffer acquired on the first frame (or later, once the pool has
// one) and kept every frame; null when there is none or it is too small.
void* heldBuffer(EffectParams* t, int64_t bytes) {
    if (t->firstFrame || !t->buffers[0]) t->buffers[0] = t->acquireBuffer ? t->acquireBuffer(&t->slots[0]) : nullptr;
    if (!t->buffers[0]) return nullptr;
    if (t->keepBuffer) t->keepBuffer(t->slots[0]);
    return bytes <= kScratchBlockBytes - kScratchLeadBytes ? t->buffers[0] : nullptr;
}

// A radial table in the scratch buffer, or in a table of our own when the
// pool has none free.
int32_t* radialTable(EffectParams* t, int64_t entries) {
    if (void* b = heldBuffer(t, entries * 4)) return static_cast<int32_t*>(b);
    static std::vector<int32_t> own;
    if (static_cast<int64_t>(own.size()) < entries) own.resize(static_cast<size_t>(entries));
    return own.data();
}

void crossFade(const Warp& a) {
    for (int32_t y = 0; y < a.h; ++y)
        for (int32_t x = 0; x < a.w; ++x) a.dst[a.at(x, y)] = blendPixel(a.src[a.at(x, y)], a.src2[a.at(x, y)], a.alpha);
}

// Loop about the centre: dy in [-hh, hh), dx in [-hw, hw), pixel (hw + dx, hh + dy).
template <class F>
void aboutCentre(const Warp& a, F f) {
    for (int32_t dy = -a.hh; dy < a.hh; ++dy) {
        Pixel* row = a.dst + a.at(0, a.hh + dy) + a.hw;
        for (int32_t dx = -a.hw; dx < a.hw; ++dx) row[dx] = f(dx, dy);
    }
}

template <class F>
void overRect(const Warp& a, F f) {
    for (int32_t y = 0; y < a.h; ++y) {
        Pixel* row = a.dst + a.at(0, y);
        for (int32_t x = 0; x < a.w; ++x) row[x] = f(x, y);
    }
}

}  // namespace

// ---- Water and glass

void renderWaJewel(EffectParams* t) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double k = 16384.0 / (a.e880 * a.e880 * a.e880);
    const int32_t f = trunc32(k * a.tri);
    const ptrdiff_t size = a.size();
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int32_t l = wrapMul(f, dx * dx + dy * dy);
        const int32_t row = wrapAdd(dy + a.hh, -(wrapMul(l, dy) >> 28));
        const int32_t n = wrapAdd(wrapAdd(wrapMul(a.pitch, row), dx + a.hw), -(wrapMul(l, dx) >> 28));
        if (n > 0 && n < size) return blendPixel(a.src[n], a.src2[n], a.alpha);
        return 0;
    });
}

void renderWaWater(EffectParams* t, int32_t mode, float strength, float rings, float speed) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const RippleTable table(t, a, strength, rings, speed);
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int32_t q = table.at((dx * dx + dy * dy + 1024) >> table.shift);
        const int64_t X = ((int64_t(q) * dx) >> 15) + a.hw, Y = ((int64_t(q) * dy) >> 15) + a.hh;
        const ptrdiff_t here = a.at(a.hw + dx, a.hh + dy);
        if (!a.inside(X, Y)) return blendPixel(a.src[here], a.src2[here], a.alpha);
        const ptrdiff_t there = a.at(X, Y);
        if (mode == 0) return blendPixel(a.src[here], a.src2[there], a.alpha);
        if (mode == 1) return blendPixel(a.src[there], a.src2[here], a.alpha);
        return blendPixel(a.src[there], a.src2[there], a.alpha);
    });
}

void renderWaWater2(EffectParams* t, int32_t dir, float strength, float rings, float speed) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const Pair pr = pairOf(a, dir);
    const RippleTable table(t, a, strength, rings, speed);
    const Band band(a, pr.s);
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int32_t q = table.at((dx * dx + dy * dy) >> table.shift);
        const int64_t X = ((int64_t(q) * dx) >> 15) + a.hw, Y = ((int64_t(q) * dy) >> 15) + a.hh;
        return bandedMix(a, pr, band, a.hw + dx, a.hh + dy, X, Y);
    });
}

namespace {

// The glass grids: per-row and per-column shifts, then one fetch per pixel.
template <class Fetch>
void glassGrid(const Warp& a, double amp, bool fine, Fetch fetch) {
    static std::vector<int32_t> rows, cols;
    rows.resize(static_cast<size_t>(a.h));
    cols.resize(static_cast<size_t>(a.w));
    const double n = fine ? 0 : std::sqrt(a.e880) * a.tri * 512;
    const int32_t N = trunc32(n);
    for (int32_t y = 0; y < a.h; ++y)
        rows[y] = trunc32(std::cos((y - a.h / 2) * (fine ? 100.53097 : N * 3.14159265358979) / a.h) * amp);
    for (int32_t x = 0; x < a.w; ++x) {
        const double phase = (x - a.w / 2) * (fine ? 100.53097 : N * 3.14159265358979) / a.w;
        cols[x] = trunc32((fine ? std::sin(phase) : std::cos(phase)) * amp);
    }
    overRect(a, [&](int32_t x, int32_t y) { return fetch(x, y, rows[y], cols[x]); });
}

int32_t glassStrength(const Warp& a) { return trunc32(std::sqrt(a.e880) * a.tri * 512); }

}  // namespace

void renderWaGlass(EffectParams* t, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double amp = glassStrength(a) * strength * 0.1;
    glassGrid(a, amp, false, [&](int32_t x, int32_t y, int32_t rowShift, int32_t colShift) -> Pixel {
        const int64_t X = colShift + x, Y = rowShift + y;
        if (!a.inside(X, Y)) return 0;
        return blendPixel(a.src[a.at(X, Y)], a.src2[a.at(X, Y)], a.alpha);
    });
}

void renderWaGlass2(EffectParams* t, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double amp = glassStrength(a) * strength * 0.0625;
    glassGrid(a, amp, true, [&](int32_t x, int32_t y, int32_t rowShift, int32_t colShift) -> Pixel {
        const int64_t X = int64_t(colShift) * rowShift + x;
        if (X < 1 || X >= a.w) return 0;
        return blendPixel(a.src[a.at(X, y)], a.src2[a.at(X, y)], a.alpha);
    });
}

void renderWaTutor(EffectParams* t, int32_t dir, float rings, float twist) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const Pair pr = pairOf(a, dir);
    const int32_t turn = trunc32(pr.s * twist * 0.125);
    const int32_t step = trunc32(rings * 131072.0 / (a.w + a.h));
    static int32_t angles[kTrigTableSize];
    for (int i = 0; i < kTrigTableSize; ++i) {
        const int64_t phase = (int64_t(SqrtTable[i]) * step / 128) & 0x1fff;
        angles[i] = static_cast<int32_t>((int64_t(CosineTable[phase]) * turn >> 14) & 0x1fff);
    }
    const Band band(a, pr.s);
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int32_t k = angles[((dx * dx + dy * dy) >> 7) & 0x1fff];
        const int64_t c = CosineTable[k], sn = SineTable[k];
        const int64_t X = ((sn * dy + c * dx) >> 15) + a.hw, Y = ((c * dy - sn * dx) >> 15) + a.hh;
        return bandedMix(a, pr, band, a.hw + dx, a.hh + dy, X, Y);
    });
}

void renderWaWaterMove(EffectParams* t, int32_t dir, float path, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const Pair pr = pairOf(a, dir);
    const double k = (a.w + a.h) * 0.001;
    const int32_t amp = trunc32(pr.s * k * strength * 0.125);
    const double time = pr.s * k * path;
    const int32_t cx = trunc32((std::sin(time * 0.0041) + 1) * a.hw), cy = trunc32((std::cos(time * 0.0012) + 1) * a.hh);
    const int32_t xb = (((4096 - pr.s) * a.w) >> 12);
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int32_t d = static_cast<int32_t>(
            (int64_t(CosineTable[(((cx - x) * (cx - x) + (cy - y) * (cy - y)) >> 3) & 0x1fff]) * amp) >> 17);
        const int64_t X = x + d, Y = y + d;
        const Pixel plain = pr.plain[a.at(x, y)];
        if (!a.inside(X, Y)) return scaled(plain, pr.u);
        Pixel warped = pr.warped[a.at(X, Y)];
        if (X > xb - 128 && X < xb + 128) warped = raised(warped, 256 - 2 * static_cast<int32_t>(std::llabs(X - xb)));
        return blendPixel(warped, plain, pr.u);
    });
}

// ---- Rain

void renderWaRainFall(EffectParams* t) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    int32_t* field = static_cast<int32_t*>(heldBuffer(t, int64_t(a.size()) * 4));
    if (!field) {
        crossFade(a);   // no field to keep: the plain cross-fade
        return;
    }
    if (t->firstFrame)
        for (int32_t y = 0; y < a.h; ++y) std::fill_n(field + a.at(0, y), a.w, 0);
    const int32_t count = trunc32(a.tri * a.e880 * 512);
    const int32_t decay = trunc32((2.0 - a.p) * 32);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t r = crtRand() % (count / 16 + 1) + 4;
        const int32_t cx = crtRand() % a.w;
        const int32_t cy = crtRand() % a.h;
        for (int32_t ddy = -r; ddy <= r; ++ddy) {
            if (cy + ddy < 0 || cy + ddy >= a.h) continue;
            for (int32_t ddx = -r; ddx <= r; ++ddx) {
                const int32_t q = ddx * ddx + ddy * ddy;
                if (cx + ddx < 0 || cx + ddx >= a.w || q > r * r) continue;
                field[a.at(cx + ddx, cy + ddy)] += (q * ddy * a.pitch) / 4096 + (q * ddx) / 32;
            }
        }
    }
    const ptrdiff_t size = a.size();
    for (int32_t y = 0; y < a.h; ++y)
        for (int32_t x = 0; x < a.w; ++x) {
            int32_t& cell = field[a.at(x, y)];
            const int32_t v = cell;
            cell = static_cast<int32_t>(int64_t(v) * decay / 64);
            const int64_t n = int64_t(a.at(x, y)) + v;
            if (n > 0 && n < size) a.dst[a.at(x, y)] = blendPixel(a.src[n], a.src2[n], a.alpha);
        }
}

void renderWaRain(EffectParams* t, int32_t amplitude, int32_t radius, int32_t refraction, int32_t shade) {
    const Warp a = warpOf(t);
    if (a.empty() || radius <= 0) return;
    // Two fields and the row below the second, which the gradients read.
    const int64_t cells = int64_t(a.size());
    int16_t* base = static_cast<int16_t*>(heldBuffer(t, (2 * cells + 2 * a.pitch) * 2));
    if (!base) {
        crossFade(a);
        return;
    }
    int32_t& waveIndex = t->stateWords[0];
    if (t->firstFrame) {
        if (t->clearBuffer) t->clearBuffer(t->buffers[0]);
        waveIndex = 0;
    }
    waveIndex &= 1;
    int16_t* cur = base + waveIndex * cells;
    int16_t* old = base + (waveIndex ^ 1) * cells;
    const int32_t damping = a.p < 0.5f ? 253 : trunc32((2.0 - a.p) * 168.66667);
    int16_t profile[128];
    for (int i = 0; i < 128; ++i) {
        const double d = radius - std::sqrt(double(i));
        profile[i] = static_cast<int16_t>(trunc32(amplitude * d * d / (radius * radius)));
    }
    const int32_t drops = trunc32((0.6 - a.p) * (a.w + a.h) * 0.125);
    for (int32_t i = 0; i < drops; ++i) {
        const int32_t cx = crtRand() % a.w;
        const int32_t cy = crtRand() % a.h;
        for (int32_t y = std::max(cy - radius, 0); y < std::min(cy + radius, a.h); ++y)
            for (int32_t x = std::max(cx - radius, 0); x < std::min(cx + radius, a.w); ++x) {
                const int32_t d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (d < radius * radius && d < 128) {
                    int16_t& c = cur[a.at(x, y)];
                    c = static_cast<int16_t>(c + profile[d]);
                }
            }
    }
    const ptrdiff_t size = a.size();
    for (int32_t y = 0; y < a.h; ++y)
        for (int32_t x = 0; x < a.w; ++x) {
            const ptrdiff_t i = a.at(x, y);
            const int32_t gx = static_cast<int16_t>(cur[i] - cur[i + 1]);
            const int32_t gy = static_cast<int16_t>(cur[i] - cur[i + a.pitch]);
            const int64_t n = (gx >> refraction) + int64_t(gy >> refraction) * a.pitch + i;
            if (n < 0 || n >= size) {
                a.dst[i] = 0;
                continue;
            }
            const Pixel m = blendPixel(a.src[n], a.src2[n], a.alpha);
            a.dst[i] = shade ? shaded(m, (gx + 4 * gy) >> shade) : m;
        }
    for (int32_t y = 0; y < a.h; ++y)
        for (int32_t x = 0; x < a.w; ++x) {
            const ptrdiff_t i = a.at(x, y), p = a.pitch;
            const int32_t side = cur[i - 1] + cur[i + 1] + cur[i - p] + cur[i + p];
            const int32_t diag = cur[i - p - 1] + cur[i - p + 1] + cur[i + p - 1] + cur[i + p + 1];
            old[i] = static_cast<int16_t>(((diag >> 1) + 2 * cur[i] + side - 4 * old[i]) * damping >> 10);
        }
    waveIndex ^= 1;
}

// ---- Swirls, holes and bursts

void renderWaTornado(EffectParams* t, int32_t dir, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double q = dir == 0 ? 1.0 - a.p : a.p;
    const int32_t K = trunc32(q * strength * 3125000.0);
    const int32_t zoom = trunc32(1024.0 / ((1.0 - q) + 0.0001));
    const int32_t n = (a.hh * a.hh + a.hw * a.hw) >> 5;
    int32_t* table = radialTable(t, n + 1);
    for (int32_t i = 0; i <= n; ++i) table[i] = K / (i + 128);
    const Sides sd = sidesOf(a, dir);
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int32_t k = table[std::min((dx * dx + dy * dy) >> 5, n)] & 0x1fff;
        const int64_t c = CosineTable[k], sn = SineTable[k];
        const int64_t u = (int64_t(dx) * zoom) >> 10, v = (int64_t(dy) * zoom) >> 10;
        const int64_t X = (sn * v + c * u) >> 15, Y = (c * v - sn * u) >> 15;
        if (X >= -a.hw && X < a.hw && Y >= -a.hh && Y < a.hh) return sd.inner[a.at(X + a.hw, Y + a.hh)];
        return sd.outer[a.at(a.hw + dx, a.hh + dy)];
    });
}

void renderWaTornado2(EffectParams* t, int32_t turn, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int32_t K = trunc32(2048.0 * strength * a.tri / (a.e1120 * a.e1120));
    const int64_t corner = int64_t(a.hh) * a.hh + int64_t(a.hw) * a.hw;
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int32_t k = static_cast<int32_t>(((corner - dy * dy - dx * dx) * K >> 14) & 0x1fff);
        const int64_t c = CosineTable[k], sn = SineTable[k];
        const int64_t X = (sn * dy * turn + c * dx) >> 15, Y = (c * dy - sn * dx * turn) >> 15;
        if (X < -a.hw || X >= a.hw || Y < -a.hh || Y >= a.hh) return 0;
        const ptrdiff_t i = a.at(X + a.hw, Y + a.hh);
        return blendPixel(a.src[i], a.src2[i], a.alpha);
    });
}

void renderWaDualTornado(EffectParams* t, int32_t dir, int32_t x1, int32_t y1, int32_t x2, int32_t y2, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int32_t s = trunc32((dir == 0 ? 1.0 - a.p : a.p) * 4096);
    const int32_t K = trunc32(s * strength * 2500.0);
    const int32_t zoom = trunc32(1024.0 / (1.0001 - s * 0.000244140625));
    const int32_t n = std::max(1, (a.h * a.h + a.w * a.w) >> 6);
    int32_t* table = radialTable(t, n);
    for (int32_t i = 0; i < n; ++i) table[i] = K / (i + 512);
    const Sides sd = sidesOf(a, dir);
    auto angle = [&](int32_t x, int32_t y, int32_t cx, int32_t cy) {
        const int64_t d = (int64_t(x - cx) * (x - cx) + int64_t(y - cy) * (y - cy)) >> 5;
        return table[std::min<int64_t>(d, n - 1)];
    };
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int32_t k1 = angle(x, y, x1, y1) & 0x1fff, k2 = (-angle(x, y, x2, y2)) & 0x1fff;
        const int64_t u1 = (int64_t(x) * zoom - int64_t(zoom) * x1) >> 10, v1 = (int64_t(y) * zoom - int64_t(zoom) * y1) >> 10;
        const int64_t u2 = (int64_t(x) * zoom - int64_t(zoom) * x2) >> 10, v2 = (int64_t(y) * zoom - int64_t(zoom) * y2) >> 10;
        const int64_t X1 = (CosineTable[k1] * u1 + SineTable[k1] * v1) >> 15, Y1 = (CosineTable[k1] * v1 - SineTable[k1] * u1) >> 15;
        const int64_t X2 = (CosineTable[k2] * u2 + SineTable[k2] * v2) >> 15, Y2 = (CosineTable[k2] * v2 - SineTable[k2] * u2) >> 15;
        const int64_t X = (X1 + X2 + x1 + x2) >> 1, Y = (Y1 + Y2 + y1 + y2) >> 1;
        return a.inside(X, Y) ? sd.inner[a.at(X, Y)] : sd.outer[a.at(x, y)];
    });
}

void renderWaDualTornadoRow(EffectParams* t, int32_t dir, float strength) {
    const Warp a = warpOf(t);
    renderWaDualTornado(t, dir, 3 * a.w / 8, a.h / 2, 5 * a.w / 8, a.h / 2, strength);
}

void renderWaCircle(EffectParams* t, int32_t dir) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double q = dir == 0 ? a.p : 1.0 - a.p;
    const int64_t K = trunc32(70000.0 * std::exp(-12.0 * q));
    const Sides sd = sidesOf(a, dir);
    const int32_t cw = a.w / 2, ch = a.h / 2;
    for (int32_t dy = -ch; dy < a.h - ch; ++dy) {
        Pixel* row = a.dst + a.at(cw, ch + dy);
        for (int32_t dx = -cw; dx < a.w - cw; ++dx) {
            const int64_t v = (((int64_t(dx) * dx + int64_t(dy) * dy) >> 4) * K) >> 4;
            row[dx] = v < 131072 ? sd.inner[a.at(dx - ((v * dx) >> 17) + cw, dy - ((v * dy) >> 17) + ch)]
                                 : sd.outer[a.at(cw + dx, ch + dy)];
        }
    }
}

void renderWaHole(EffectParams* t, int32_t dir) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int32_t K = trunc32((dir == 0 ? 1.0 - a.p : a.p) * a.e1120 * 256);
    const int64_t M = int64_t(K) * 40000;
    const int32_t n = (a.hh * a.hh + a.hw * a.hw) >> 2;
    int32_t* table = radialTable(t, n + 1);
    for (int32_t i = 0; i <= n; ++i) table[i] = trunc32(double(M) / (std::sqrt(double(i)) + 1.0));
    const Sides sd = sidesOf(a, dir);
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int32_t dx = x - a.hw, dy = y - a.hh;
        const int64_t v = table[std::min((dx * dx + dy * dy) >> 2, n)];
        const int64_t X = ((v * dx) >> 15) + x, Y = ((v * dy) >> 15) + y;
        return a.inside(X, Y) ? sd.inner[a.at(X, Y)] : sd.outer[a.at(x, y)];
    });
}

void renderWaDrum(EffectParams* t, float strength, float speed) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double m = a.tri * strength * 256;
    const int64_t D = trunc32(std::sin(speed * a.p * 80.0) * m);
    const int64_t r2 = std::max(1, a.hh * a.hh + a.hw * a.hw);
    const int64_t Q = 4194304 / r2;
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int64_t k = 512 - (((int64_t(dx) * dx + int64_t(dy) * dy - r2) * Q * D) >> 22);
        const int64_t X = ((k * dx) >> 9) + a.hw, Y = ((k * dy) >> 9) + a.hh;
        if (!a.inside(X, Y)) return 0;
        return blendPixel(a.src[a.at(X, Y)], a.src2[a.at(X, Y)], a.alpha);
    });
}

void renderWaExplodeBall(EffectParams* t, int32_t) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int64_t r2 = std::max(1, a.hh * a.hh + a.hw * a.hw);
    const int64_t Q = 4194304 / (2 * r2);
    const int64_t K = trunc32(a.p * 1024.0);
    aboutCentre(a, [&](int32_t dx, int32_t dy) -> Pixel {
        const int64_t P = (2 * r2 - int64_t(dx) * dx - int64_t(dy) * dy) * Q * K;
        const int64_t k = 512 - (P >> 22);
        if (k <= 0) return a.src2[a.at(a.hw + dx, a.hh + dy)];
        const int64_t A = ((k * dx) >> 5) + 16 * a.hw, B = ((k * dy) >> 5) + 16 * a.hh;
        const int64_t x0 = A >> 4, y0 = B >> 4;
        const uint32_t fx = A & 15, fy = B & 15;
        // Its right and lower neighbours weigh nothing at the last column and row.
        const int64_t x1 = std::min<int64_t>(x0 + 1, a.w - 1), y1 = std::min<int64_t>(y0 + 1, a.h - 1);
        return bilinearMix(a.src[a.at(x0, y0)], a.src[a.at(x1, y0)], a.src[a.at(x0, y1)], a.src[a.at(x1, y1)], fx, fy);
    });
}

// ---- Orbiting lenses

void renderWaClover(EffectParams* t, int32_t dir) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int32_t s = trunc32((dir == 0 ? a.p : 1.0 - a.p) * 1024);
    const int64_t D = (a.w + a.h) / 4;
    const int32_t cx = trunc32(std::sin(s / 128.0) * ((140 * D) / 256) + a.w / 2);
    const int32_t cy = trunc32(std::cos(s / 128.0) * ((100 * D) / 256) + a.h / 2);
    const int64_t M = (((1024 - s) * D * D) / 256) / 256;
    const Sides sd = sidesOf(a, dir);
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int64_t d = ((int64_t(x - cx) * (x - cx) + int64_t(y - cy) * (y - cy)) >> 6) + 1;
        const int64_t X = (M * (x - cx)) / d + x, Y = (M * (y - cy)) / d + y;
        return a.inside(X, Y) ? sd.inner[a.at(X, Y)] : sd.outer[a.at(x, y)];
    });
}

void renderWaP1(EffectParams* t, int32_t dir) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int32_t s = trunc32((dir == 0 ? a.p : 1.0 - a.p) * 1024);
    const double turn = a.p * 12.56;
    const int64_t D = (a.w + a.h) / 4;
    const int32_t cx = trunc32(std::sin(turn) * ((140 * D) / 256) + a.w / 2);
    const int32_t cy = trunc32(std::cos(turn) * ((100 * D) / 256) + a.h / 2);
    const int64_t M = ((1024 - s) * D * D) / 512;
    const Sides sd = sidesOf(a, dir);
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int64_t d = ((int64_t(cx - x) * (cx - x) + int64_t(cy - y) * (cy - y)) >> 1) + 1;
        const int64_t X = (M * (cx - x)) / d + x, Y = (M * (cy - y)) / d + y;
        return X >= 1 && X < a.w && Y >= 1 && Y < a.h ? sd.inner[a.at(X, Y)] : sd.outer[a.at(x, y)];
    });
}

void renderWaMulti(EffectParams* t) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int32_t C = trunc32(160000.0 * a.e1120 * a.e1120);
    const int32_t K = trunc32(a.tri * 40000.0 / (a.e1120 * a.e1120 * a.e1120));
    const int32_t cx = trunc32(std::sin(a.p * 6.28) * a.e1120 * 140 + a.hw);
    const int32_t cy = trunc32(std::cos(a.p * 6.28) * a.e1120 * 100 + a.hh);
    const uint32_t fade = static_cast<uint32_t>(std::clamp(trunc32(a.p * 256.0 + 1), 0, 256));
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int32_t dx = x - cx, dy = y - cy;
        const int32_t v = wrapAdd(dy * dy - dx * dx, C) >> 4;
        const int32_t X = wrapAdd(wrapMul(wrapMul(v, K), dx) >> 24, x);
        const int32_t Y = wrapAdd(wrapMul(wrapMul(v, K), dy) >> 24, y);
        if (X < 1 || X >= a.w || Y < 1 || Y >= a.h) return 0;
        return blendPixel(a.src[a.at(X, Y)], a.src2[a.at(X, Y)], fade);
    });
}

void renderWaDancing(EffectParams* t, int32_t dir, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const double m = (dir == 0 ? 1.0 - a.p : a.p) * strength * 2048;
    const uint32_t f = blendWeight(dir == 0 ? a.p : 1.0f - a.p);
    const double turn = a.p * 12.56;
    const int32_t cx = trunc32(a.e1120 * 300 * std::sin(turn) + a.hw);
    const int32_t cy = trunc32(a.e1120 * 300 * std::cos(turn) + a.hh);
    const int64_t Kc = trunc32(m * std::cos(turn)), Ks = trunc32(m * std::sin(turn));
    const Sides sd = sidesOf(a, dir);
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t w = 100 - ((dx * dx + dy * dy) >> 8);
        const int64_t A = ((w * dx) >> 10) * Kc, B = ((w * dy) >> 10) * Ks;
        const int64_t X = ((A + B) >> 10) + x, Y = ((A - B) >> 10) + y;
        const Pixel outer = sd.outer[a.at(x, y)];
        return a.inside(X, Y) ? blendPixel(outer, sd.inner[a.at(X, Y)], f) : outer;
    });
}

void renderWaMonitor(EffectParams* t, int32_t dir, float strength) {
    const Warp a = warpOf(t);
    if (a.empty()) return;
    const int64_t K = trunc32((dir == 0 ? 1.0 - a.p : a.p) * strength * 256);
    const uint32_t f = blendWeight(dir == 0 ? a.p : 1.0f - a.p);
    const double turn = a.p * 12.56;
    const int32_t cx = trunc32(std::sin(turn) * a.e1120 * 140 + a.hw);
    const int32_t cy = trunc32(std::cos(turn) * a.e1120 * 100 + a.hh);
    const Sides sd = sidesOf(a, dir);
    overRect(a, [&](int32_t x, int32_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t v = (dx * dx + dy * dy) >> 10;
        const int64_t X = ((v * dx * K) >> 12) + x, Y = ((v * dy * K) >> 12) + y;
        const Pixel outer = sd.outer[a.at(x, y)];
        return a.inside(X, Y) ? blendPixel(outer, sd.inner[a.at(X, Y)], f) : outer;
    });
}
