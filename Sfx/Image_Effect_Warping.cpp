#include "Sfx/Image_Effect_Warping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "Sfx/WarpKernels.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/RotatedCopies.h"
#include "render/TrigTables.h"

int32_t dancingSpinFlip = 0;
int32_t saddleSignX = 1;
int32_t saddleSignY = 1;

namespace {

using warp::halfOf;
using warp::pixelOf;
using warp::quarterOf;
using warp::sampleB16;
using warp::sampleK3;
using warp::sampleK4;

constexpr double kDegree = 0.017444444;   // the dancing warps' degree, as tuned

WarpState& stateOf(EffectParams* p) { return effectState<WarpState>(p); }

// The shaped level held to 0..255, scaled in the record where a body asks.
float scaledLevel(EffectParams* p, float factor) {
    p->level = heldLevel(p->level) * factor;
    return p->level;
}

// Phases count on with wrap-around: whatever another effect left in the word
// must not overflow.
int32_t advance(int32_t phase, int32_t step) {
    return static_cast<int32_t>(static_cast<uint32_t>(phase) + static_cast<uint32_t>(step));
}

// Two's-complement arithmetic that wraps as 32-bit words.
inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapAbs(int32_t a) { return a < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(a)) : a; }

int32_t sineAt(int64_t a) { return SineTable[a & 8191]; }
int32_t cosineAt(int64_t a) { return CosineTable[a & 8191]; }

bool inside(int64_t x, int64_t y, const Frame& f) { return x >= 0 && x < f.w && y >= 0 && y < f.h; }
bool strictlyInside(int64_t x, int64_t y, const Frame& f) { return x > 0 && x < f.w && y > 0 && y < f.h; }

// Every pixel of the frame from sample(x, y).
template <class Sample>
void drawEach(const Frame& f, Sample sample) {
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = sample(x, y);
    }
}

// The pixels at offsets -W/2 .. W/2 - 1 and -H/2 .. H/2 - 1 from the centre
// (W/2, H/2): an odd last column or row is left as the canvas had it.
template <class Sample>
void drawOffsets(const Frame& f, Sample sample) {
    const int32_t hw = f.w / 2, hh = f.h / 2;
    for (int32_t dy = -hh; dy < hh; ++dy) {
        Pixel* d = f.dstRow(hh + dy) + hw;
        for (int32_t dx = -hw; dx < hw; ++dx) d[dx] = sample(dx, dy);
    }
}

// A pixel of the lens overlay; the brackets may reach past a small frame.
void plot(const Frame& f, int64_t x, int64_t y, Pixel c) {
    if (inside(x, y, f)) f.dstRow(static_cast<int32_t>(y))[x] = c;
}

// Both lenses' viewfinder: dotted cross hairs through the lens centre and the
// corner brackets of a square inside the lens.
void drawViewfinder(const Frame& f, int32_t cx, int32_t cy, int32_t r, float s) {
    constexpr Pixel kGreen = 0x00FF00;
    for (int32_t i = 0; i < f.h / 2; ++i) plot(f, cx, 2 * i, kGreen);
    for (int32_t i = 0; i < f.w / 2; ++i) plot(f, 2 * i, cy, kGreen);
    const int32_t q = truncToInt(r * 0.707);
    const int32_t arm = truncToInt(16 * s);
    for (int32_t k = 0; k < arm; ++k) {
        plot(f, cx + q - k, cy + q, kGreen);
        plot(f, cx + q, cy + q - k, kGreen);
        plot(f, cx - q + k, cy + q, kGreen);
        plot(f, cx - q, cy + q - k, kGreen);
        plot(f, cx + q - k, cy - q, kGreen);
        plot(f, cx + q, cy - q + k, kGreen);
        plot(f, cx - q + k, cy - q, kGreen);
        plot(f, cx - q, cy - q + k, kGreen);
    }
}

struct Lens {
    int32_t cx, cy, r;
    int64_t r2;
};

// The lens wanders on two sines of the phase, which steps once a frame.
Lens wanderingLens(EffectParams* p, const Frame& f, float s) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpPhase = crtRand();
    const int32_t phase = st.warpPhase;
    st.warpPhase = advance(phase, 1);
    Lens lens;
    lens.cx = f.w / 2 + truncToInt(std::sin(phase * 0.021) * (f.w / 4));
    lens.cy = f.h / 2 + truncToInt(std::cos(phase * 0.035) * (f.h / 4));
    lens.r = truncToInt(80 * s);
    lens.r2 = static_cast<int64_t>(lens.r) * lens.r;
    return lens;
}

// Inside the lens disc each pixel is sample(dx, dy); outside it, and where the
// sample returns false, the picture pixel.
template <class Sample>
void drawLens(const Frame& f, const Lens& lens, Sample sample) {
    copyPicture(f);
    if (lens.r <= 0) return;
    const int32_t y0 = std::max(0, lens.cy - lens.r), y1 = std::min(f.h - 1, lens.cy + lens.r);
    const int32_t x0 = std::max(0, lens.cx - lens.r), x1 = std::min(f.w - 1, lens.cx + lens.r);
    for (int32_t y = y0; y <= y1; ++y) {
        Pixel* d = f.dstRow(y);
        const int64_t dy = y - lens.cy;
        for (int32_t x = x0; x <= x1; ++x) {
            const int64_t dx = x - lens.cx;
            if (dx * dx + dy * dy >= lens.r2) continue;
            sample(dx, dy, d[x]);
        }
    }
}

}  // namespace

// ---- Lenses and balls ------------------------------------------------------------------

void applyWpBall(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t m = p->levelMode ? truncToInt(L / 256.0f * -512.0f) : truncToInt(512 - 4 * L);
    const int64_t cx = f.w >> 1, cy = f.h >> 1;
    const int64_t r2 = std::max<int64_t>(1, cx * cx + cy * cy);   // a 1 x 1 frame has no radius
    const int64_t o = 0x400000 / r2;
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t v = 512 - ((m * (dx * dx + dy * dy - r2) * o) >> 22);
        const int64_t a = cx * 16 + ((dx * v) >> 5), b = cy * 16 + ((dy * v) >> 5);
        if (a < 0 || (a >> 4) >= f.w - 1 || b < 0 || (b >> 4) >= f.h - 1) return 0;
        return sampleB16(f, a, b);
    });
}

void applyWpBall3(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t g = p->levelMode ? truncToInt(-2 * L) : truncToInt(512 - 3 * L);
    const int64_t cx = f.w / 2, cy = f.h / 2;
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t h = 512 - ((g * (dx * dx + dy * dy - 131072)) >> 17);
        const int64_t sx = ((h * dx) >> 9) + cx, sy = ((h * dy) >> 9) + cy;
        return strictlyInside(sx, sy, f) ? pixelOf(f, sx, sy) : 0;
    });
}

void applyWpBall4(EffectParams* p) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t k = truncToInt(L);
    const int64_t o = truncToInt(420 / sizeScale(f));
    const int64_t cx = f.w / 2, cy = f.h / 2;
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* d = f.dstRow(y);
        const int64_t dy = y - cy;
        const int64_t mag = std::llabs(dy * f.w / f.h);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t dx = x - cx;
            const int64_t t = o * (std::llabs(dx) + mag);
            const int64_t sx = x + ((k * (((t * dx) >> 16) - dx)) >> 8);
            const int64_t sy = y + ((k * (((t * dy) >> 16) - dy)) >> 8);
            d[x] = strictlyInside(sx, sy, f) ? pixelOf(f, sx, sy) : 0;
        }
    }
}

void applyWpBall5(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float s = sizeScale(f);
    const int64_t r = truncToInt(s * L * 0.41666667f);
    const int64_t shine = std::min<int64_t>(256, truncToInt(r * 1.5f / s));
    const float lo = r / (1.5f * s);
    const int64_t lx = truncToInt(f.w / 2 - lo), ly = truncToInt(f.h / 2 - lo);
    const int64_t fs = truncToInt(1024 / (s * s));
    const int64_t cx = f.w / 2, cy = f.h / 2, r2 = r * r;
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s0 = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        const int64_t dy = y - cy;
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t dx = x - cx;
            const int64_t d2 = dx * dx + dy * dy;
            if (d2 >= r2) {
                d[x] = s0[x];
                continue;
            }
            const int64_t w = 0x400000 / (((fs * (r2 - d2)) >> 10) + 4096);
            const int64_t x8 = ((w * dx) >> 7) + 8 * cx, y8 = ((w * dy) >> 7) + 8 * cy;
            if (x8 <= 0 || x8 >= 8 * f.w - 8 || y8 <= 0 || y8 >= 8 * f.h - 8) {
                d[x] = 0;
                continue;
            }
            // The highlight's table read is held inside the table on large frames.
            const int64_t lightIndex = std::min<int64_t>(8191, ((x - lx) * (x - lx) + (y - ly) * (y - ly)) >> 5);
            const int64_t gain = std::max<int64_t>(64, 2 * (shine - (SqrtTable[lightIndex] >> 8)));
            const uint32_t fx = static_cast<uint32_t>(x8 & 7), fy = static_cast<uint32_t>(y8 & 7);
            const Pixel* r0 = f.src + (y8 >> 3) * f.pitch + (x8 >> 3);
            const Pixel* r1 = r0 + f.pitch;
            const uint32_t w00 = (8 - fx) * (8 - fy), w10 = fx * (8 - fy), w01 = (8 - fx) * fy, w11 = fx * fy;
            Pixel out = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int64_t sum = ((r0[0] >> shift) & 255) * w00 + ((r0[1] >> shift) & 255) * w10 +
                                    ((r1[0] >> shift) & 255) * w01 + ((r1[1] >> shift) & 255) * w11;
                out |= static_cast<Pixel>(std::min<int64_t>(255, (sum * gain) >> 12)) << shift;
            }
            d[x] = out;
        }
    }
}

void applyWpJewel(EffectParams* p) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float s = sizeScale(f);
    const float m = p->levelMode ? L * 0.00390625f * 8160 : 32 * L;
    const int32_t k = static_cast<int32_t>(truncToInt(m / (s * s * s)));
    const int32_t cx = f.w / 2, cy = f.h / 2;
    const int64_t end = static_cast<int64_t>(f.h) * f.pitch;
    // Only the linear position is tested: a sample past a side edge reads the
    // margin or the neighbouring row. The products wrap as 32-bit words: the
    // wrap draws the facets.
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int32_t dx = static_cast<int32_t>(x) - cx, dy = static_cast<int32_t>(y) - cy;
        const int32_t v = wrapMul(k, dx * dx + dy * dy);
        const int32_t row = wrapAdd(cy + dy, -(wrapMul(v, dy) >> 28));
        const int32_t idx = wrapAdd(wrapAdd(wrapMul(f.pitch, row), cx + dx), -(wrapMul(v, dx) >> 28));
        return idx > 0 && idx < end ? f.src[idx] : 0;
    });
}

void applyWpJewel2(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t g = 4096 / (f.w + f.h);
    const int32_t k = static_cast<int32_t>(truncToInt(L)) * (p->levelMode ? 2 : 1);
    const int32_t g2 = wrapMul(g, g), g3 = wrapMul(g2, g);
    // 32-bit products that wrap, as the facets need.
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int32_t ex = (f.w >> 1) - static_cast<int32_t>(x), ey = (f.h >> 1) - static_cast<int32_t>(y);
        const int32_t pu = wrapMul(wrapMul(wrapMul(ex, g), wrapMul(wrapAbs(wrapMul(ey, ex)), g2)), k);
        const int32_t pv = wrapMul(wrapMul(wrapMul(wrapMul(wrapAbs(ex), ey), wrapAbs(ey)), g3), k);
        const int64_t u = 2 * x + 1 - (pu >> 26);
        const int64_t v = 2 * y + 1 - (pv >> 26);
        return u >= 1 && u < 2 * f.w && v > 0 && v < 2 * f.h ? sampleK3(f, u, v) : 0;
    });
}

void applyWpBeetles(EffectParams* p) {
    updateEffectLevel(p, 0.92f, 1.0f);
    const float L = scaledLevel(p, p->levelMode == 0 ? 0.5f : 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float e = (f.w + f.h) * 0.00125f;
    const int64_t k = truncToInt(L / (e * e));
    const int64_t cx = f.w >> 1, cy = f.h >> 1;
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t l = k * (dx * dx + dy * dy);
        if (l > 0x3fffff) return 0;
        return pixelOf(f, x - ((dx * (l >> 12)) >> 10), y - ((dy * (l >> 12)) >> 10));
    });
}

void applyWpMovingDandy(EffectParams* p) {
    updateEffectLevel(p, 0.96f, 1.0f);
    const float L = scaledLevel(p, p->levelMode ? 2.0f : 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float e = (f.w + f.h) * 0.00125f;
    const int64_t k = truncToInt(L / (e * e));
    const int64_t cx = f.w >> 1, cy = f.h >> 1;
    drawOffsets(f, [&](int64_t dx, int64_t dy) -> Pixel {
        const int64_t m = 0x8000000 / (k * ((dx * dx + dy * dy) >> 6) + 0x20000);
        return pixelOf(f, cx + ((dx * m) >> 10), cy + ((dy * m) >> 10));
    });
}

void applyWpMovingAccel(EffectParams* p) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpPhase = 0;
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = scaledLevel(p, p->levelMode ? 2.0f : 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t phase = st.warpPhase;
    const int64_t cx = (f.w >> 1) + (f.w >> 1) * cosineAt(phase) / 32768;
    const int64_t cy = f.h / 2 + (f.h / 2) * sineAt(phase * 72 / 64) / 32768;
    st.warpPhase = advance(st.warpPhase, truncToInt(L));
    const float s = sizeScale(f);
    const int64_t m = truncToInt(2 * L / (s * s));
    // The sample lies between the pixel and the wandering centre, which stays
    // within a column or row of the frame.
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t r = 0x40000 - ((m * (dx * dx + dy * dy)) >> 10);
        return sampleK3(f, 2 * cx + 1 + ((r * dx) >> 17), 2 * cy + 1 + ((r * dy) >> 17));
    });
}

void applyWpMonitor(EffectParams* p) {
    updateEffectLevel(p, 0.9f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t k = truncToInt(L * sizeScale(f));
    const int64_t cx = f.w >> 1, cy = f.h >> 1;
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t l = (dx * dx + dy * dy) >> 4;
        const int64_t u = 2 * x + 1 + ((l * dx * k) >> 20), v = 2 * y + 1 + ((l * dy * k) >> 20);
        return u > 0 && u < 2 * f.w && v > 0 && v < 2 * f.h ? sampleK4(f, u, v) : 0;
    });
}

void applyWpPixelEffect5(EffectParams* p) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpToggle = crtRand() & 1;
    updateEffectLevel(p, 0.94f, 1.0f);
    float L = heldLevel(p->level);
    if (p->levelMode == 0) {
        L = scaledLevel(p, 0.5f);
        if (p->beat) st.warpToggle ^= 1;
    }
    Frame f;
    if (!frameOf(p, &f)) return;
    const float s = sizeScale(f);
    const int64_t k = truncToInt(2 * L / (s * s));
    const int32_t hw = f.w >> 1, hh = f.h >> 1;
    if ((st.warpToggle & 1) == 0) {
        // A vertical barrel: each column drawn in toward the middle row.
        int32_t* e = frameInts(static_cast<size_t>(2 * hw));
        for (int32_t i = -hw; i < hw; ++i) e[i + hw] = static_cast<int32_t>(0x100000 / (((i * i * k) >> 15) + 256));
        for (int32_t j = -hh; j < hh; ++j) {
            Pixel* d = f.dstRow(hh + j) + hw;
            for (int32_t i = -hw; i < hw; ++i) {
                const int64_t ei = e[i + hw];
                d[i] = pixelOf(f, hw + ((i * ei) >> 12), hh + ((j * ei) >> 12));
            }
        }
    } else {
        for (int32_t j = -hh; j < hh; ++j) {
            const int64_t e = 0x100000 / (((static_cast<int64_t>(j) * j * k) >> 15) + 256);
            Pixel* d = f.dstRow(hh + j) + hw;
            const Pixel* row = f.srcRow(hh + static_cast<int32_t>((j * e) >> 12)) + hw;
            for (int32_t i = -hw; i < hw; ++i) d[i] = row[(i * e) >> 12];
        }
    }
}

void applyWpEllipse(EffectParams* p) {
    updateEffectLevel(p, 0.94f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t k = truncToInt(L) * (p->levelMode ? 2 : 1);
    const int64_t half = f.h >> 1, hw = f.w >> 1;
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t c = std::max<int64_t>(0, half * half - (y - half) * (y - half));
        const int64_t m = c > 8191 ? SqrtTable[std::min<int64_t>(8191, c >> 4)] >> 8 : SqrtTable[c] >> 10;
        const int64_t mm = m ? (hw * 0x28000) / m : 0x280000;
        const int64_t z = ((k * (mm - 0x40000)) >> 8) + 0x40000;
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t u = (f.w | 1) + (((x - hw) * z) >> 17);
            if (u > 0 && u < 2 * f.w) {
                const int64_t x0 = u >> 1, x1 = u - x0;
                d[x] = quarterOf(s[x1]) + warp::sixteenthOf(s[x1]) + warp::eighthOf(s[x0]) + halfOf(s[x0]);
            } else {
                d[x] = 0;
            }
        }
    }
}

void applyWpFishEyeLens(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float s = sizeScale(f);
    const Lens lens = wanderingLens(p, f, s);
    const int64_t l = lens.r2 > 0 ? 0x100000 / lens.r2 : 0;
    const int64_t big = truncToInt(32768 / (L + 1) + 16);
    drawLens(f, lens, [&](int64_t dx, int64_t dy, Pixel& out) {
        const int64_t g = big - ((((dx * dx + dy * dy) * (big - 512)) * l) >> 20);
        const int64_t a = 16 * lens.cx + ((dx * g) >> 5), b = 16 * lens.cy + ((dy * g) >> 5);
        if (a < 0 || (a >> 4) >= f.w || b < 0 || (b >> 4) >= f.h) return;
        out = sampleB16(f, a, b);
    });
    drawViewfinder(f, lens.cx, lens.cy, lens.r, s);
}

void applyWpLens(EffectParams* p) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float s = sizeScale(f);
    const Lens lens = wanderingLens(p, f, s);
    const int64_t zoom = truncToInt(4096 / (L + 1));
    drawLens(f, lens, [&](int64_t dx, int64_t dy, Pixel& out) {
        const int64_t a = 16 * lens.cx + (zoom * dx) / 4, b = 16 * lens.cy + (zoom * dy) / 4;
        if (a < 0 || (a >> 4) >= f.w || b < 0 || (b >> 4) >= f.h) return;
        out = sampleB16(f, a, b);
    });
    drawViewfinder(f, lens.cx, lens.cy, lens.r, s);
}

// ---- Shears, dancing warps and tornados ----------------------------------------------

namespace {

// The two shears: every pixel moved by D along the diagonal.
template <class Shift>
void diagonalShift(const Frame& f, int64_t cx, int64_t cy, Shift shift) {
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dd = shift(x - cx, y - cy);
        return strictlyInside(x + dd, y + dd, f) ? pixelOf(f, x + dd, y + dd) : 0;
    });
}

}  // namespace

void applyWpCrestpeak(EffectParams* p) {
    WarpState& st = stateOf(p);
    updateEffectLevel(p, 0.96f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t phase = st.warpPhase;
    const int64_t k = truncToInt(L * std::cos(phase * 0.01));
    const double a = phase * kDegree;
    const int64_t cy = truncToInt(L / 2 * std::cos(a) + f.h / 2);
    const int64_t cx = truncToInt(L / 2 * std::sin(a) + f.w / 2);
    st.warpPhase = advance(phase, truncToInt(L / 32));
    diagonalShift(f, cx, cy, [k](int64_t dx, int64_t dy) { return (k * (dx * dx - dy * dy)) >> 18; });
}

void applyWpDia(EffectParams* p) {
    WarpState& st = stateOf(p);
    updateEffectLevel(p, 0.96f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t phase = st.warpPhase;
    const double g = L * sizeScale(f);
    const int64_t a = truncToInt(2 * g * std::sin(phase * 0.01));
    const int64_t b = truncToInt(2 * g * std::cos(phase * 0.01));
    const int64_t cy = truncToInt(g / 2 * std::cos(phase * kDegree) + f.h / 2);
    const int64_t cx = truncToInt(g / 2 * std::sin(phase * kDegree) + f.w / 2);
    st.warpPhase = advance(phase, truncToInt(L / 16));
    diagonalShift(f, cx, cy, [a, b](int64_t dx, int64_t dy) { return (dx * b - dy * a) >> 10; });
}

void applyWpDancing(EffectParams* p) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpPhase = 0;
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    st.warpPhase = advance(st.warpPhase, truncToInt(L / 16));
    const int64_t phase = st.warpPhase;
    const double a = phase * kDegree;
    const int64_t cy = truncToInt(static_cast<double>(L) * (f.w + f.h) * std::cos(a) / 512 + f.h / 2);
    const int64_t cx = truncToInt(static_cast<double>(L) * (f.w + f.h) * std::sin(a) / 512 + f.w / 2);
    int64_t k = truncToInt(1600 * L / (f.w + f.h));
    if (p->levelMode == 0) k = k * 12 / 32;
    const int64_t c13 = cosineAt(13 * phase) >> 8, c15 = cosineAt(15 * phase) >> 8;
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t ex = cx - x, ey = cy - y;
        const int64_t u = ey * c13 + ex * c15;
        const int64_t su = 2 * x + 1 - ((ex * (u >> 6) * k) >> 18);
        const int64_t sv = 2 * y + 1 - ((ey * (u >> 6) * k) >> 18);
        return su >= 1 && su < 2 * f.w && sv > 0 && sv < 2 * f.h ? sampleK4(f, su, sv) : 0;
    });
}

void applyWpDancing2(EffectParams* p) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpPhase = 0;
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = scaledLevel(p, p->levelMode ? 2.0f : 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t phase = st.warpPhase;
    const double a = phase * kDegree;
    const double e = static_cast<double>(f.w + f.h) * L;
    const int64_t sx = truncToInt(e * std::sin(a) / 1024), sy = truncToInt(e * std::cos(a) / 1024);
    if (p->beat) dancingSpinFlip ^= 1;
    const int32_t step = truncToInt(L / 16);
    st.warpPhase = advance(phase, dancingSpinFlip ? step : -step);
    const int64_t cy = truncToInt(1.5 * L * std::cos(a) + f.h / 2);
    const int64_t cx = truncToInt(1.5 * L * std::sin(a) + f.w / 2);
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t dd = (dy * dy + dx * dx) >> 8;
        const int64_t e1 = (-(dy * dd)) >> 10, f1 = (-(dx * dd)) >> 10;
        const int64_t sxp = x + ((sy * f1 - sx * e1) >> 10), syp = y - ((-(sx * e1) - sy * f1) >> 10);
        return strictlyInside(sxp, syp, f) ? pixelOf(f, sxp, syp) : 0;
    });
}

void applyWpDancing3(EffectParams* p) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpPhase = 0;
    updateEffectLevel(p, 0.94f, 1.0f);
    const float L = scaledLevel(p, p->levelMode == 0 ? 0.5f : 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t phase = st.warpPhase;
    const double a = phase * kDegree;
    st.warpPhase = advance(phase, truncToInt(L / 16));
    const double r = L * 0.8;
    const int64_t cy = truncToInt(r * std::cos(a) + f.h / 2), cx = truncToInt(r * std::sin(a) + f.w / 2);
    const int64_t t = truncToInt(8 * r * std::sin(a)), u = truncToInt(8 * r * std::cos(a));
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t w = 100 - ((dy * dy + dx * dx) >> 8);
        const int64_t m = (w * dx) >> 10, n = t * ((w * dy) >> 10);
        const int64_t su = 2 * x + 1 + ((u * m + n) >> 9), sv = 2 * y + 1 + ((u * m - n) >> 9);
        return su > 0 && su < 2 * f.w && sv > 0 && sv < 2 * f.h ? sampleK4(f, su, sv) : 0;
    });
}

namespace {

template <class Fill>
int32_t* keptMap(EffectParams* p, int index, Fill fill) {
    return reinterpret_cast<int32_t*>(
        keptScratch(p, index, [&](Pixel* buffer) { fill(reinterpret_cast<int32_t*>(buffer)); }));
}

}  // namespace

void applyWpTaegukTornado(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    auto zero = [&](int32_t* map) {
        if (drawable) std::fill(map, map + static_cast<ptrdiff_t>(f.h) * f.pitch, 0);
    };
    int32_t* mapX = keptMap(p, 0, zero);
    int32_t* mapY = keptMap(p, 1, zero);
    float gain = 0.7f;
    if (p->levelMode) {
        updateEffectLevel(p, 0.9f, 1.0f);
        gain = 1.2f;
    }
    const float L = heldLevel(p->level);
    if (!drawable) return;
    if (!mapX || !mapY) {   // no scratch: the picture without swirls
        copyPicture(f);
        return;
    }
    const int64_t e = 7000000 / (static_cast<int64_t>(f.h) * f.w);
    const int64_t r = truncToInt((f.w + f.h) * 0.0009765625 * L * gain);
    const int64_t cx = crtRand() % f.w;
    const int64_t cy = crtRand() % f.h;
    const int64_t sgn = 2 * (crtRand() & 1) - 1;
    const int64_t r2 = r * r;
    for (int64_t y = std::max<int64_t>(cy - r, 0); y <= std::min<int64_t>(cy + r, f.h - 1); ++y) {
        int32_t* mx = mapX + y * f.pitch;
        int32_t* my = mapY + y * f.pitch;
        const int64_t dy = y - cy;
        for (int64_t x = std::max<int64_t>(cx - r, 0); x <= std::min<int64_t>(cx + r, f.w - 1); ++x) {
            const int64_t dx = x - cx;
            if (dx * dx + dy * dy >= r2) continue;
            const int64_t a = (e * (r2 - dy * dy - dx * dx)) >> 11;
            const int64_t sn = sineAt(a), cs = cosineAt(a);
            mx[x] += static_cast<int32_t>(((sn * dy * sgn + dx * cs) >> 5) + (cx - x) * 1024);
            my[x] += static_cast<int32_t>(((dy * cs - sn * dx * sgn) >> 5) + (cy - y) * 1024);
        }
    }
    for (int32_t y = 0; y < f.h; ++y) {
        int32_t* mx = mapX + static_cast<ptrdiff_t>(y) * f.pitch;
        int32_t* my = mapY + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t vx = mx[x], vy = my[x];
            mx[x] = static_cast<int32_t>((static_cast<int64_t>(vx) * 63) >> 6);
            my[x] = static_cast<int32_t>((static_cast<int64_t>(vy) * 63) >> 6);
            const int64_t sx = x + (vx >> 10), sy = y + (vy >> 10);
            if (inside(sx, sy, f)) d[x] = pixelOf(f, sx, sy);
        }
    }
}

namespace {

// The Seoul and Kongju tornados: a turn about the centre by angle(d2).
template <class Angle>
void tornado(EffectParams* p, Angle angle) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) st.warpToggle = crtRand() & 1;
    updateEffectLevel(p, 0.96f, 1.0f);
    const float L = heldLevel(p->level);
    if (p->levelMode == 0 && p->beat) st.warpToggle ^= 1;
    Frame f;
    if (!frameOf(p, &f)) return;
    const float s = sizeScale(f);
    const int64_t k = truncToInt(6 * L / (s * s));
    const int64_t v = 2 * (st.warpToggle & 1) - 1;
    const int64_t hw = f.w / 2, hh = f.h / 2, r2 = hh * hh + hw * hw;
    drawOffsets(f, [&](int64_t dx, int64_t dy) -> Pixel {
        const int64_t a = angle(k, r2, dx * dx + dy * dy);
        const int64_t sn = sineAt(a), cs = cosineAt(a);
        const int64_t x = (dx * cs + v * dy * sn) >> 15, y = (dy * cs - v * dx * sn) >> 15;
        return x > -hw && x < hw && y > -hh && y < hh ? pixelOf(f, hw + x, hh + y) : 0;
    });
}

}  // namespace

void applyWpSeoulTornado(EffectParams* p) {
    tornado(p, [](int64_t k, int64_t r2, int64_t d2) { return (k * (r2 - d2)) >> 14; });
}

void applyWpKongjuTornado(EffectParams* p) {
    tornado(p, [](int64_t k, int64_t, int64_t d2) { return (d2 * k) >> 14; });
}

void applyWpLATornado(EffectParams* p) {
    WarpState& st = stateOf(p);
    Frame f;
    const bool drawable = frameOf(p, &f);
    const float s = drawable ? sizeScale(f) : 1.0f;
    if (p->firstFrame) {
        st.warpToggle = 0;
        st.swirlCentreX = st.swirlCentreY = 0;
        st.warpPhase = crtRand();
    }
    // One extra column and row: a centre on the frame's edge reads |dx| = W.
    int32_t* map = keptMap(p, 0, [&](int32_t* m) {
        if (!drawable) return;
        for (int64_t y = 0; y <= f.h; ++y)
            for (int64_t x = 0; x <= f.w; ++x)
                m[y * f.pitch + x] = static_cast<int32_t>(0x1000000 / (truncToInt(((y * y + x * x) >> 2) / (s * s)) + 128));
    });
    updateEffectLevel(p, 0.9f, 1.0f);
    const float L = scaledLevel(p, p->levelMode ? 2.0f : 1.0f);
    if (!drawable) return;
    const int32_t phase = st.warpPhase;
    st.swirlCentreX = truncToInt((std::cos(phase * 0.00051) + 1) * (f.w / 2));
    st.swirlCentreY = truncToInt((std::sin(phase * 0.00031) + 1) * (f.h / 2));
    st.warpPhase = advance(phase, truncToInt(L));
    if (p->levelMode == 0 && p->beat) st.warpToggle ^= 1;
    if (!map) {
        copyPicture(f);
        return;
    }
    const int64_t m = 2 * (st.warpToggle & 1) - 1;
    const int64_t cx = st.swirlCentreX, cy = st.swirlCentreY;
    const int64_t turn = truncToInt(100 * L);
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t a = (turn * map[std::llabs(dy) * f.pitch + std::llabs(dx)]) >> 18;
        const int64_t sn = sineAt(a), cs = cosineAt(a);
        const int64_t e = ((dx * cs + m * sn * dy) >> 14) + 1, g = ((dy * cs - m * sn * dx) >> 14) + 1;
        if (e > 1 - 2 * cx && e < 2 * (f.w - cx) + 1 && g > 1 - 2 * cy && g < 2 * (f.h - cy) + 1)
            return sampleK3(f, 2 * cx + e, 2 * cy + g);
        return 0;
    });
}

void applyWpLasVegasTornado(EffectParams* p) {
    WarpState& st = stateOf(p);
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (p->firstFrame) st.warpToggle = crtRand() & 1;
    int32_t* map = keptMap(p, 0, [&](int32_t* m) {
        if (!drawable) return;
        const float s = sizeScale(f);
        for (int64_t y = 0; y < f.h; ++y)
            for (int64_t x = 0; x < f.w; ++x) {
                const int64_t d2 = (y - f.h / 2) * (y - f.h / 2) + (x - f.w / 2) * (x - f.w / 2);
                m[y * f.pitch + x] = static_cast<int32_t>(0x40000000 / (truncToInt(d2 / (s * s)) + 1024));
            }
    });
    updateEffectLevel(p, 0.92f, 1.0f);
    const float L = heldLevel(p->level);
    if (p->levelMode == 0 && p->beat) st.warpToggle ^= 1;
    if (!drawable) return;
    if (!map) {
        copyPicture(f);
        return;
    }
    const int64_t k = truncToInt((50 * (st.warpToggle & 1) - 25) * L);
    const int64_t hw = f.w / 2, hh = f.h / 2;
    drawOffsets(f, [&](int64_t dx, int64_t dy) -> Pixel {
        const int64_t a = (map[(hh + dy) * f.pitch + hw + dx] * k) >> 19;
        const int64_t cs = cosineAt(a), sn = sineAt(a);
        const int64_t e = ((dx * cs + dy * sn) >> 14) + 1, g = ((dy * cs - dx * sn) >> 14) + 1;
        return e > -2 * hw && e < 2 * hw && g > -2 * hh && g < 2 * hh ? sampleK3(f, e + f.w, g + f.h) : 0;
    });
}

void applyWpPrivateTutor(EffectParams* p) {
    updateEffectLevel(p, 0.92f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    static int32_t turns[kTrigTableSize];
    const int64_t k = truncToInt(L), step = 0x40000 / (f.w + f.h);
    for (int64_t i = 0; i < kTrigTableSize; ++i)
        turns[i] = static_cast<int32_t>(((k * cosineAt(step * SqrtTable[i] / 128)) >> 14) & 8191);
    const int64_t hw = f.w / 2, hh = f.h / 2;
    drawOffsets(f, [&](int64_t dx, int64_t dy) -> Pixel {
        const int32_t a = turns[((dy * dy + dx * dx) >> 7) & 8191];
        const int64_t cs = CosineTable[a], sn = SineTable[a];
        const int64_t x = hw + ((dy * sn + dx * cs) >> 15), y = hh + ((dy * cs - dx * sn) >> 15);
        return inside(x, y, f) ? pixelOf(f, x, y) : 0;
    });
}

// ---- Quadrilaterals and the sine wave -------------------------------------------------

namespace {

struct Corners {
    int32_t x0, y0, x1, y1, x2, y2, x3, y3;
};

// The corners swing on sines of the phase at the given frequencies (x0, y0,
// x1, y1, x2, y2, x3, y3), up to a quarter of the frame at full level.
Corners wobbleCorners(EffectParams* p, const Frame& f, float L, double k, const double (&freq)[8]) {
    WarpState& st = stateOf(p);
    const int32_t phase = st.warpPhase;
    st.warpPhase = advance(phase, truncToInt(L));
    const double gx = truncToInt(L * (f.w >> 2) * 0.00390625), gy = truncToInt(L * (f.h >> 2) * 0.00390625);
    const double t = phase * k;
    auto at = [t](double rest, double g, double fq) { return truncToInt(rest + g * std::sin(fq * t)); };
    return {at(0, gx, freq[0]), at(0, gy, freq[1]),   at(f.w, gx, freq[2]), at(0, gy, freq[3]),
            at(f.w, gx, freq[4]), at(f.h, gy, freq[5]), at(0, gx, freq[6]), at(f.h, gy, freq[7])};
}

int64_t nonZero(int64_t v) { return v ? v : 1; }

}  // namespace

void applyWpPsudoBilinear(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    static constexpr double kFreq[8] = {6.1, 1.7, 5.1, 2.7, 4.1, 4.7, 3.1, 3.7};
    const Corners c = wobbleCorners(p, f, L, 0.0002, kFreq);
    warpImageToQuad(f.dst, f.src, f.pitch, f.w, f.h, c.x0, c.x1, c.x2, c.x3, c.y0, c.y1, c.y2, c.y3);
}

void applyWpFastBilinear(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    static constexpr double kFreq[8] = {6.1, 6.7, 5.1, 5.7, 4.1, 4.7, 3.1, 3.7};
    const Corners c = wobbleCorners(p, f, L, 0.0002, kFreq);
    std::fill(f.dst, f.dst + static_cast<ptrdiff_t>(f.h) * f.pitch, 0);
    const int64_t st = (int64_t{c.y1} - c.y0) * (1 << 20) / nonZero(int64_t{c.x1} - c.x0);
    const int64_t sb = (int64_t{c.y2} - c.y3) * (1 << 20) / nonZero(int64_t{c.x2} - c.x3);
    int64_t v = 0;
    for (int64_t y = 0; y < f.h; ++y) {
        const int64_t left = ((y - c.y0) * (c.x3 - c.x0)) / nonZero(int64_t{c.y3} - c.y0) + c.x0;
        const int64_t right = ((y - c.y1) * (c.x2 - c.x1)) / nonZero(int64_t{c.y2} - c.y1) + c.x1;
        if (left == right) continue;
        const bool mirrored = right < left;
        const int64_t from = mirrored ? right : left, to = mirrored ? left : right;
        const int64_t step = (int64_t{1} << 20) / (to - from);
        Pixel* d = f.dstRow(static_cast<int32_t>(y));
        for (int64_t x = std::max<int64_t>(from, 0); x < std::min<int64_t>(f.w, to); ++x) {
            const int64_t along = ((x - from) * f.w * step) >> 20;
            const int64_t u = mirrored ? f.w - along : along;
            const int64_t top = (x * st - c.x0 * st) >> 20;
            const int64_t span = c.y3 + ((x * sb - c.x3 * sb) >> 20) - (c.y0 + top);
            if (span != 0) v = (y - (c.y0 + top)) * f.h / span;
            if (inside(u, v, f)) d[x] = pixelOf(f, u, v);
        }
    }
}

void applyWpBilinear3(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    static constexpr double kFreq[8] = {1.1, 1.7, 2.1, 2.7, 4.1, 4.7, 3.1, 3.7};
    const Corners c = wobbleCorners(p, f, L, 0.0005, kFreq);
    const int64_t fh = 0x40000 / f.h, fw = 0x40000 / f.w;
    for (int64_t y = 0; y < f.h; ++y) {
        const int64_t yl = c.y0 + (y * (c.y3 - c.y0) * fh) / 0x40000;
        const int64_t yr = c.y1 + (y * (c.y2 - c.y1) * fh) / 0x40000;
        Pixel* d = f.dstRow(static_cast<int32_t>(y));
        for (int64_t x = 0; x < f.w; ++x) {
            const int64_t xt = c.x0 + ((x * (c.x1 - c.x0) * fw) >> 18);
            const int64_t xb = c.x3 + ((x * (c.x2 - c.x3) * fw) >> 18);
            const int64_t u = xt + (((xb - xt) * y * fh) >> 18);
            const int64_t v = yl + ((x * (yr - yl) * fw) >> 18);
            d[x] = inside(u, v, f) ? pixelOf(f, u, v) : 0;
        }
    }
}

void applyWpBilinear2(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    if (p->beat) {
        saddleSignX = 2 * (crtRand() & 1) - 1;
        saddleSignY = 2 * (crtRand() & 1) - 1;
    }
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t kx = int64_t{saddleSignX} * truncToInt(L), ky = int64_t{saddleSignY} * truncToInt(L);
    const int64_t hw = f.w / 2, hh = f.h / 2;
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t q = (x - hw) * (y - hh);
        const int64_t sx = x + ((kx * q) >> 17), sy = y + ((ky * q) >> 17);
        return inside(sx, sy, f) ? pixelOf(f, sx, sy) : 0;
    });
}

void applyWpSineWave(EffectParams* p) {
    WarpState& st = stateOf(p);
    if (p->firstFrame) {
        st.rowWaveSign = 1;
        st.rowWaveSpeed = 64;
        st.columnWaveSign = 1;
        st.columnWaveSpeed = 64;
    }
    int32_t* offsets = keptMap(p, 0, [](int32_t*) {});
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    if (p->beat) {
        st.columnWaveSign = 2 * (crtRand() & 1) - 1;
        st.rowWaveSign = 2 * (crtRand() & 1) - 1;
        st.columnWaveSpeed = crtRand() % 256 + 128;
        st.rowWaveSpeed = crtRand() % 256 + 128;
    }
    Frame f;
    if (!frameOf(p, &f)) return;
    if (!offsets) {
        copyPicture(f);
        return;
    }
    const int64_t d = std::max<int64_t>(1, (int64_t{f.w + f.h} << 8) / 1120);
    const int64_t e = truncToInt(p->duration * p->progress * 0.08);
    int64_t a = (int64_t{st.columnWaveSpeed} * st.columnWaveSign * e * 16) & 0xFFFF;
    const int64_t b = (int64_t{st.rowWaveSpeed} * st.rowWaveSign * e * 16) & 0xFFFF;
    const int64_t hs = f.w * 512 / d, vs = f.h * 512 / d;
    const int64_t c = d * truncToInt(L * 0.25f) / 256;
    int32_t* colOff = offsets;
    int32_t* rowOff = offsets + f.w;
    for (int32_t x = 0; x < f.w; ++x) {
        colOff[x] = static_cast<int32_t>((c * CosineTable[a >> 3]) >> 17);
        a = (a + hs) & 0xFFFF;
    }
    for (int64_t y = 0; y < f.h; ++y) rowOff[y] = static_cast<int32_t>((c * sineAt((b + y * vs) >> 3)) >> 17);
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t sx = x + rowOff[y], sy = y + colOff[x];
        return inside(sx, sy, f) ? pixelOf(f, sx, sy) : 0;
    });
}
