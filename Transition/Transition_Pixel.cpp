#include "Transition/Transition_Pixel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "Transition/TransitionFrame.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"

namespace {

// False for an empty clip rectangle: nothing to draw.
bool pixelArea(const EffectParams* t, TransitionFrame* a) {
    *a = frameOf(t);
    return !a->empty();
}

// The frame's size unit, 1.0 at 1120 / 2 = 560 x 560.
double sizeUnit(const TransitionFrame& a) { return (a.w + a.h) * 0.00089285715; }
// The unit as the moving workers keep it, rounded to single precision; the
// arithmetic with it stays in double (256 / 1.6f gives 159.99..., not 160).
double storedUnit(const TransitionFrame& a) { return static_cast<float>(sizeUnit(a)); }

// The per-pixel map in the worker's scratch buffer, `w` entries a row. The
// map values fit a byte (thresholds 0..255) or 16 bits (delays and speeds), so
// large frames fit the buffer too. Acquired on the first frame (and again on a
// later frame if the pool had none then), kept on every frame; *fresh tells the
// caller to fill it. Null when the pool has no buffer or the map would not fit:
// the frame is skipped.
template <class T>
T* pixelMap(EffectParams* t, const TransitionFrame& a, bool* fresh) {
    constexpr int64_t kRoom = kScratchBlockBytes - kScratchLeadBytes;
    if (static_cast<int64_t>(a.w) * a.h * static_cast<int64_t>(sizeof(T)) > kRoom) return nullptr;
    *fresh = t->firstFrame || !t->buffers[0];
    if (*fresh) t->buffers[0] = t->acquireBuffer(&t->slots[0]);
    if (!t->buffers[0]) return nullptr;
    t->keepBuffer(t->slots[0]);
    return reinterpret_cast<T*>(t->buffers[0]);
}

uint8_t thresholdOf(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// Fills the threshold map row by row from the top, left to right: the order the
// random draws are taken in.
template <class Value>
void fillThresholds(uint8_t* map, const TransitionFrame& a, Value value) {
    for (int32_t y = 0; y < a.h; ++y)
        for (int32_t x = 0; x < a.w; ++x) *map++ = thresholdOf(value(x, y));
}

// canvas = incoming where map < level, else outgoing (swapped with `reversed`).
void drawThresholds(const TransitionFrame& a, const uint8_t* map, int32_t level, bool reversed) {
    const Pixel* below = reversed ? a.outgoing : a.incoming;
    const Pixel* above = reversed ? a.incoming : a.outgoing;
    for (int32_t y = 0; y < a.h; ++y, map += a.w) {
        const ptrdiff_t r = a.at(0, y);
        Pixel* d = a.canvas + r;
        const Pixel* lo = below + r;
        const Pixel* hi = above + r;
        for (int32_t x = 0; x < a.w; ++x) d[x] = map[x] < level ? lo[x] : hi[x];
    }
}

// The threshold workers' frame: the map made on the first frame, then compared
// with trunc(256 p) (or trunc(256 (1 - p)), the roles swapped, when reversed).
template <class Value>
void thresholdFrame(EffectParams* t, bool reversed, Value value) {
    TransitionFrame a;
    if (!pixelArea(t, &a)) return;
    bool fresh = false;
    uint8_t* map = pixelMap<uint8_t>(t, a, &fresh);
    if (!map) return;
    if (fresh) fillThresholds(map, a, value);
    const double p = t->progress;
    drawThresholds(a, map, truncToInt(256.0 * (reversed ? 1.0 - p : p)), reversed);
}

// Band of a corner front: (256 t -+ 256 band) / m, held to 0..255.
int32_t cornerValue(int64_t t, int64_t m, int32_t band, int32_t draws) {
    const int64_t lo = std::max<int64_t>(0, (t - band) * 256 / m);
    const int64_t hi = std::min<int64_t>(255, (t + band) * 256 / m);
    return randBell(static_cast<int32_t>(lo), static_cast<int32_t>(hi), draws);
}

constexpr double kPi = 3.1415927, kHalfPi = 1.5707964, kThreeHalfPi = 4.712389, kTwoPi = 6.2831855;
constexpr double kDegree = 0.017453292;

// Where the moving workers draw: the background whole, then the mover's pixels.
struct MoverFrame {
    TransitionFrame area;
    const Pixel* mover;
};

bool moverFrame(EffectParams* t, int32_t dir, MoverFrame* f) {
    if (!pixelArea(t, &f->area)) return false;
    const TransitionFrame& a = f->area;
    f->mover = dir ? a.outgoing : a.incoming;
    a.copyWhole(dir ? a.incoming : a.outgoing);
    return true;
}

// Explode and stretch: every mover pixel (j, i) lands on one canvas pixel
// strictly inside the frame and is mixed there with what the canvas holds.
template <class Place>
void scatterMover(const MoverFrame& f, uint32_t moverWeight, Place place) {
    const TransitionFrame& a = f.area;
    for (int32_t i = 0; i < a.h; ++i) {
        const Pixel* m = f.mover + a.at(0, i);
        for (int32_t j = 0; j < a.w; ++j) {
            int32_t x, y;
            if (!place(j, i, &x, &y)) continue;
            Pixel* d = a.canvas + a.at(0, y) + x;
            *d = blendPixel(*d, m[j], moverWeight);
        }
    }
}

}  // namespace

// ---- Threshold maps ---------------------------------------------------------------

void renderPxRand(EffectParams* t) {
    thresholdFrame(t, false, [](int32_t, int32_t) { return crtRand() & 0xFF; });
}

void renderPxCircle(EffectParams* t, int32_t dir) {
    TransitionFrame a;
    if (!pixelArea(t, &a)) return;
    const int32_t cx = a.w / 2, cy = a.h / 2;
    const double v = std::max(1, cx * cx + cy * cy);   // a 1-pixel frame has no radius to divide by
    const double k = sizeUnit(a);
    const double u = 32768.0 * k * k;
    thresholdFrame(t, dir != 0, [=](int32_t x, int32_t y) {
        const double w = static_cast<double>(y - cy) * (y - cy) + static_cast<double>(x - cx) * (x - cx);
        const int32_t lo = std::max(0, truncToInt((w - u) * 256.0 / v));
        const int32_t hi = std::min(255, truncToInt((w + u) * 256.0 / v));
        return randBell(lo, hi, 5);
    });
}

void renderPxLine(EffectParams* t, int32_t angle) {
    TransitionFrame a;
    if (!pixelArea(t, &a)) return;
    const int32_t W = a.w, H = a.h;
    const double th = angle * kDegree;
    const double T = std::tan(th);
    int32_t m = H;
    switch (angle) {
        case 90: case 270: m = W; break;
        case 45: m = truncToInt(W * std::sin(th) + H * std::cos(th)); break;
        case 135: m = truncToInt(W * std::sin(kPi - th) + H * std::cos(kPi - th)); break;
        case 225: m = truncToInt(H * std::sin(kThreeHalfPi - th) + W * std::cos(kThreeHalfPi - th)); break;
        case 315: m = truncToInt(W * std::sin(kTwoPi - th) + H * std::cos(kTwoPi - th)); break;
        default: break;
    }
    int64_t p0 = 0, sx = 1024, sy = 0, r = 65536;
    if (angle == 270) {
        p0 = -1024 * static_cast<int64_t>(W);
    } else if (angle != 90) {
        sx = truncToInt(1024.0 * T);
        sy = 1024;
        if (angle > 90 && angle < 180) p0 = -1024 * static_cast<int64_t>(H);
        else if (angle >= 180 && angle < 270) p0 = truncToInt(-1024.0 * (H + W * T));
        else if (angle > 270) p0 = truncToInt(T * (-1024.0 * W));
        r = truncToInt(65536.0 / std::sqrt(1.0 + T * T));
    }
    const int64_t c = 16777216 / std::max(1, m);   // a sweep of length 0 would divide by zero
    thresholdFrame(t, false, [=](int32_t x, int32_t y) {
        const int64_t pos = p0 + x * sx + y * sy;
        const int64_t d = (std::abs(pos >> 10) * r) >> 16;
        const int64_t lo = (d - 50) * c < 0 ? 0 : ((d - 50) * c) >> 16;
        const int64_t hi = std::min<int64_t>(255, ((d + 50) * c) >> 16);
        return randBell(static_cast<int32_t>(lo), static_cast<int32_t>(hi), 5);
    });
}

void renderPxCorner(EffectParams* t, int32_t angle) {
    TransitionFrame a;
    if (!pixelArea(t, &a)) return;
    const int32_t W = a.w, H = a.h;
    const double th = angle * kDegree;
    const int quadrant = angle < 90 ? 0 : angle < 180 ? 1 : angle < 270 ? 2 : 3;
    static constexpr double kQuadrantStart[4] = {0.0, kHalfPi, kPi, kThreeHalfPi};
    const double alpha = th - kQuadrantStart[quadrant];
    const bool wideSplit = quadrant == 0 || quadrant == 3;   // split at atan(W / H), else atan(H / W)
    const bool caseA = alpha <= (wideSplit ? std::atan(static_cast<double>(W) / H) : std::atan(static_cast<double>(H) / W));
    const double ta = std::tan(alpha);
    int64_t m1, m2;
    if (quadrant < 3) {
        m1 = caseA ? truncToInt(H * ta) : W;
        m2 = caseA ? H : truncToInt(W / ta);
    } else {
        m1 = caseA ? W : truncToInt(H / ta);
        m2 = caseA ? truncToInt(W * ta) : H;
    }
    // Tiny frames can truncate a divisor to 0.
    m1 = std::max<int64_t>(1, m1);
    m2 = std::max<int64_t>(1, m2);
    const double slope = quadrant == 0 ? std::tan(kHalfPi - alpha)
                       : quadrant == 1 ? -std::tan(kPi - th)
                       : quadrant == 2 ? std::tan(kHalfPi - alpha)
                                       : -ta;
    thresholdFrame(t, false, [=](int32_t x, int32_t y) {
        bool rowRegion;
        switch (quadrant) {
            case 0: rowRegion = (x - W) * slope <= y - H; break;
            case 1: rowRegion = y <= (x - W) * slope; break;
            case 2: rowRegion = y <= x * slope; break;
            default: rowRegion = x * slope <= y - H; break;
        }
        if (rowRegion) {
            int64_t rt;
            switch (quadrant) {
                case 0: rt = caseA ? y : m2 + y - H; break;
                case 1: case 2: rt = caseA ? H - y : m2 - y; break;
                default: rt = caseA ? y - H + m2 : y; break;
            }
            return cornerValue(rt, m2, 20, 4);
        }
        int64_t ct;
        switch (quadrant) {
            case 0: case 1: ct = caseA ? x - W + m1 : x; break;
            case 2: ct = caseA ? m1 - x : W - x; break;
            default: ct = caseA ? W - x : m1 - x; break;
        }
        return cornerValue(ct, m1, 20, 4);
    });
}

void renderPxSpray(EffectParams* t) {
    TransitionFrame a;
    if (!pixelArea(t, &a)) return;
    bool fresh = false;
    uint8_t* map = pixelMap<uint8_t>(t, a, &fresh);
    if (!map) return;
    if (fresh) std::memset(map, 0, static_cast<size_t>(a.w) * a.h);
    const int32_t W = a.w, H = a.h;
    const double p = t->progress;
    // A transition time of 0 would divide by zero; it is never below 1 ms.
    const uint32_t quotient = 2u / std::max(1u, static_cast<uint32_t>(t->duration));
    const double h = (quotient + 0.06) * sizeUnit(a) * 8.0;
    const int32_t dots = truncToInt(40000.0 * h);
    const double s = 256.0 * h;
    const double wobble = H * (0.5 - std::fabs(p - 0.5)) * std::sin(39.0 * p);
    const int32_t x0 = truncToInt(W * p - wobble), y0 = truncToInt(H * p + wobble);
    const int32_t xlo = truncToInt(x0 - s), xhi = truncToInt(x0 + s);
    const int32_t ylo = truncToInt(y0 - s), yhi = truncToInt(y0 + s);
    for (int32_t k = 0; k < dots; ++k) {
        const int32_t x = randBell(xlo, xhi, 8);
        const int32_t y = randBell(ylo, yhi, 8);
        if (x >= 0 && x < W && y >= 0 && y < H) map[static_cast<ptrdiff_t>(y) * W + x] = 1;
    }
    if (p <= 0.8) {
        drawThresholds(a, map, 1, true);   // sprayed (1) shows the incoming picture
        return;
    }
    const uint32_t fade = static_cast<uint32_t>(std::clamp(truncToInt((p - 0.8) * 1280.0), 0, 256));
    for (int32_t y = 0; y < H; ++y, map += W) {
        const ptrdiff_t r = a.at(0, y);
        Pixel* d = a.canvas + r;
        const Pixel* o = a.outgoing + r;
        const Pixel* i = a.incoming + r;
        for (int32_t x = 0; x < W; ++x) d[x] = map[x] ? i[x] : blendPixel(o[x], i[x], fade);
    }
}

// ---- Moving pixels ----------------------------------------------------------------

void renderPxSlideTop(EffectParams* t, int32_t dir) {
    MoverFrame f;
    if (!pixelArea(t, &f.area)) return;
    const TransitionFrame& a = f.area;
    bool fresh = false;
    uint16_t* map = pixelMap<uint16_t>(t, a, &fresh);
    if (!map || a.h > 16000) return;
    const int32_t H = a.h, W = a.w;
    if (fresh)
        for (int32_t i = 0; i < H; ++i)
            for (int32_t x = 0; x < W; ++x)
                map[static_cast<ptrdiff_t>(i) * W + x] = static_cast<uint16_t>(crtRand() % (H + 32 - i) + H - i);
    const double p = t->progress;
    const int32_t step = truncToInt(dir ? (1.0 - p) * (3 * H + 32) : (3 * H + 32) * p);
    moverFrame(t, dir, &f);
    for (int32_t i = 0; i < H; ++i) {
        const Pixel* m = f.mover + a.at(0, i);
        const uint16_t* delay = map + static_cast<ptrdiff_t>(i) * W;
        for (int32_t x = 0; x < W; ++x) {
            const int32_t e = step - H - delay[x] + i;
            if (e > 0) a.canvas[a.at(0, std::min(e, i)) + x] = m[x];
        }
    }
}

void renderPxSlideBottom(EffectParams* t, int32_t dir) {
    MoverFrame f;
    if (!pixelArea(t, &f.area)) return;
    const TransitionFrame& a = f.area;
    bool fresh = false;
    uint16_t* map = pixelMap<uint16_t>(t, a, &fresh);
    if (!map) return;
    const int32_t H = a.h, W = a.w;
    // At the full step of 64 every pixel must lie at least H rows down, or the
    // mover already shows on the first frame: the speed H / 60 falls short of
    // H / 64 at some heights (1 below 120 rows: the preview window's).
    const int32_t slowest = std::max(1, (H + 63) / 64);
    if (fresh)
        for (int32_t i = 0; i < H; ++i)
            for (int32_t x = 0; x < W; ++x) {
                const int32_t speed = truncToInt(crtRand() % 32 + 8 * H * 0.0020833334);
                map[static_cast<ptrdiff_t>(i) * W + x] = static_cast<uint16_t>(std::clamp(speed, slowest, 65535));
            }
    const double p = t->progress;
    const int32_t step = truncToInt(64.0 * (dir ? p : 1.0 - p));
    moverFrame(t, dir, &f);
    for (int32_t i = 0; i < H; ++i) {
        Pixel* d = a.canvas + a.at(0, i);
        const uint16_t* speed = map + static_cast<ptrdiff_t>(i) * W;
        for (int32_t x = 0; x < W; ++x) {
            const int32_t e = i - speed[x] * step;
            if (e > 0) d[x] = f.mover[a.at(0, e) + x];
        }
    }
}

void renderPxExplode(EffectParams* t, int32_t dir) {
    MoverFrame f;
    if (!moverFrame(t, dir, &f)) return;
    const TransitionFrame& a = f.area;
    const double k = storedUnit(a);
    const double d = dir ? t->progress : 1.0 - t->progress;
    const int32_t spread = truncToInt(d * (256.0 / k));
    const int32_t background = std::clamp(truncToInt(k * spread), 0, 256);
    const int32_t q = spread / 4;
    const int32_t cx = a.w / 2, cy = a.h / 2, W = a.w, H = a.h;
    scatterMover(f, static_cast<uint32_t>(256 - background), [=](int32_t j, int32_t i, int32_t* x, int32_t* y) {
        const int32_t dx = j - cx, dy = i - cy;
        const int32_t o = q * ((dx * dx + dy * dy) >> 9) + 1024;
        *x = cx + ((dx * o) >> 10);
        if (*x <= 0 || *x >= W) return false;
        *y = cy + ((dy * o) >> 10);
        return *y > 0 && *y < H;
    });
}

void renderPxStretch(EffectParams* t, int32_t dir) {
    MoverFrame f;
    if (!moverFrame(t, dir, &f)) return;
    const TransitionFrame& a = f.area;
    const double k = storedUnit(a);
    const double l = dir ? t->progress : 1.0 - t->progress;
    const int32_t grow = truncToInt(l * (256.0 / k));
    const int32_t background = std::clamp(truncToInt(grow * k), 0, 256);
    const int32_t s = 8 * grow + 1024;
    const int32_t cx = a.w / 2, cy = a.h / 2, W = a.w, H = a.h;
    scatterMover(f, static_cast<uint32_t>(256 - background), [=](int32_t j, int32_t i, int32_t* x, int32_t* y) {
        *y = cy + ((s * (i - cy)) >> 10);
        *x = cx + (((j - cx) * s) >> 10);
        return *x > 0 && *x < W && *y > 0 && *y < H;
    });
}
