#include "Sfx/Image_Effect_Frame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "render/ChannelMath.h"
#include "render/CrtRandom.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/RandomGeometry.h"
#include "render/SeedFill.h"
#include "render/TrigTables.h"

int32_t albumCloverCounter = 0;
double albumPeakLevel = 0;

namespace {

using channel_math::clamp255;
using channel_math::rgb;

constexpr double kTwoPi = 6.283185307179586;

float frameScale(const Frame& f) { return static_cast<float>(f.w + f.h) * 0.0017857143f; }

// The level a window follows: the shaped level, or under a time envelope the
// body's own mapping of it.
double windowLevel(const EffectParams* p, float L, double a, double b) {
    return p->levelMode == 0 ? L : (1 - L / 256.0 * 2) * a + b;
}

Pixel brighten(Pixel c, int32_t k) {
    return rgb(clamp255(int64_t((c >> 16) & 255) + k), clamp255(int64_t((c >> 8) & 255) + k),
               clamp255(int64_t(c & 255) + k));
}
Pixel darken(Pixel c, int32_t k) { return brighten(c, -k); }
Pixel scaled128(Pixel c, int64_t w) {
    return rgb(clamp255((((c >> 16) & 255) * w) >> 7), clamp255((((c >> 8) & 255) * w) >> 7),
               clamp255(((c & 255) * w) >> 7));
}
Pixel halfBright(Pixel c) { return (c >> 1) & 0x7F7F7F; }

// (a x (256 - m) + b x m) >> 8 per channel.
Pixel mix256(Pixel a, Pixel b, int64_t m) {
    auto ch = [&](int sh) {
        return clamp255((int64_t((a >> sh) & 255) * (256 - m) + int64_t((b >> sh) & 255) * m) >> 8) << sh;
    };
    return ch(16) | ch(8) | ch(0);
}

// The distance in the round windows: a circle of the frame's width stretched
// to its height. Far corners of frames past the table's reach read its end.
struct WindowDistance {
    int64_t aspect, cx, cy;
    int64_t operator()(int64_t x, int64_t y) const {
        const int64_t dy = (y * aspect - cy * aspect) / 256, dx = x - cx;
        return SqrtTable[std::min<int64_t>(kTrigTableSize - 1, (dx * dx + dy * dy) >> 6)] >> 7;
    }
};
WindowDistance windowDistance(const Frame& f) { return {(int64_t{f.w} << 8) / f.h, f.w / 2, f.h / 2}; }

// The gradient between four corner colours that drift with the counter n.
template <class Keep>
void drawGradient(const Frame& f, int64_t n, Keep showsPicture) {
    auto c = [n](int64_t k) -> int64_t { return (CosineTable[(n * k) & 8191] >> 8) + 128; };
    const int64_t corners[3][4] = {{c(12), c(21), c(30), c(49)}, {c(58), c(67), c(76), c(85)},
                                   {c(94), c(13), c(22), c(31)}};
    const int64_t rowStep = 131072 / f.h, colStep = 131072 / f.w;
    for (int32_t y = 0; y < f.h; ++y) {
        int64_t value[3], step[3];
        for (int ch = 0; ch < 3; ++ch) {
            const int64_t left = (corners[ch][0] << 17) + y * (corners[ch][2] - corners[ch][0]) * rowStep;
            const int64_t right = (corners[ch][1] << 17) + y * (corners[ch][3] - corners[ch][1]) * rowStep;
            value[ch] = left;
            step[ch] = ((right - left) >> 17) * colStep;
        }
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            d[x] = showsPicture(x, y) ? s[x]
                                      : rgb(clamp255(value[0] >> 17), clamp255(value[1] >> 17), clamp255(value[2] >> 17));
            for (int ch = 0; ch < 3; ++ch) value[ch] += step[ch];
        }
    }
}

}  // namespace

// ---- Windows ---------------------------------------------------------------------------

void applyFrAlbumClover(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t s = truncToInt(frameScale(f) * windowLevel(p, L, 350, 170) * 0.125);
    const int64_t cx = f.w / 2, cy = f.h / 2;
    int64_t leaves[3][2] = {{cx, cy + 10 - 3 * s}};
    for (int i = 1; i < 3; ++i) {
        int32_t px = 0, py = static_cast<int32_t>(-3 * s);
        rotateXFixed(&px, &py, 21845 * i);
        leaves[i][0] = px + cx;
        leaves[i][1] = py + cy + 10;
    }
    const int64_t r2 = 9 * s * s;
    albumCloverCounter = static_cast<int32_t>(static_cast<uint32_t>(albumCloverCounter) + 1u);
    drawGradient(f, albumCloverCounter, [&](int64_t x, int64_t y) {
        for (const auto& leaf : leaves)
            if ((x - leaf[0]) * (x - leaf[0]) + (y - leaf[1]) * (y - leaf[1]) < r2) return true;
        return false;
    });
    // The stem: a triangle widening downward under the leaves.
    const int64_t t = (9 * s) / 4, y0 = 3 * s + cy + 10, end = std::min<int64_t>(f.h, y0 + t + 1);
    for (int64_t y = std::max<int64_t>(y0, 0); y < end; ++y) {
        const int64_t h = ((y - y0) * t) / (end - y0);
        const int64_t from = std::max<int64_t>(0, cx - h), to = std::min<int64_t>(f.w, cx + h);
        const Pixel* src = f.srcRow(static_cast<int32_t>(y));
        Pixel* d = f.dstRow(static_cast<int32_t>(y));
        for (int64_t x = from; x < to; ++x) d[x] = src[x];
    }
}

void applyFrAlbumHeart(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    p->frameCounter = static_cast<int32_t>(static_cast<uint32_t>(p->frameCounter) + 1u);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t e = truncToInt((windowLevel(p, L, 360, 180) * 0.125 + 10) * frameScale(f));
    const int64_t cx = f.w / 2, cy = f.h / 2;
    const int64_t fw = 3 * e, g = cy - fw / 2 + 10, lobe2 = 4 * e * e;
    const double i = 2 * e / 1.4142135623730951, j = i + 3 * e;
    const int64_t k = 2 * e + truncToInt(1.025 * std::sqrt(j * j + i * i));
    const int64_t k2 = k * k, pointTop = e / 2 + g;
    auto sq = [](int64_t a, int64_t b) { return a * a + b * b; };
    drawGradient(f, p->frameCounter, [&](int64_t x, int64_t y) {
        if (sq(x - (cx - fw / 2), y - g) < lobe2 || sq(x - (cx + fw / 2), y - g) < lobe2) return true;
        return y > pointTop && sq(x - (cx - fw), y - (cy + 10 - fw)) < k2 && sq(x - (cx + fw), y - (cy + 10 - fw)) < k2;
    });
}

void applyFrAlbumPlasma(EffectParams* p) {
    FramePlasma& pl = effectState<FramePlasma>(p);
    if (p->firstFrame) pl = FramePlasma{};
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    const int32_t q = truncToInt(L / 64);
    double r0;
    uint32_t counter = static_cast<uint32_t>(p->frameCounter);
    if (p->levelMode == 0) {
        counter += 2u * static_cast<uint32_t>(q);
        r0 = L;
    } else {
        r0 = (1 - L / 128.0) * 150 + 180;
        counter += static_cast<uint32_t>(q + truncToInt(r0 / 128));
    }
    p->frameCounter = static_cast<int32_t>(counter);
    const double t = p->frameCounter;
    if (p->firstFrame || p->beat) {
        pl.columnStep = crtRand() & 1 ? 255 : 1;
        pl.step3 = static_cast<uint8_t>(2 + 2 * (crtRand() % 3));
        pl.rowPhase = static_cast<uint8_t>(crtRand() % 100);
        pl.phase2 = static_cast<uint8_t>(crtRand() % 100);
        pl.phase3 = static_cast<uint8_t>(crtRand() % 100);
        pl.step2 = 3;
        pl.rowStep = 254;
    }
    Frame f;
    if (!frameOf(p, &f)) return;
    Pixel palette[256];
    uint8_t wave[256];
    const double p1 = 400 + 200 * std::sin(0.01 * t), p2 = (std::sin(0.041 * t) + 1) * 3.141592653589793;
    const double p3 = 400 + 200 * std::sin(0.031 * t), p4 = (std::sin(0.021 * t) + 1) * 3.141592653589793;
    for (int i = 0; i < 256; ++i) {
        const double a = kTwoPi * i / 256;
        palette[i] = rgb(static_cast<uint32_t>(truncToInt(128 + 127 * std::cos(a))),
                         static_cast<uint32_t>(truncToInt(128 + 127 * std::sin(a))),
                         static_cast<uint32_t>(truncToInt(128 - 127 * std::cos(a))));
        wave[i] = static_cast<uint8_t>(truncToInt(std::sin(p4 + kTwoPi * i / p3) * std::sin(kTwoPi * i / p1 + p2) * 128 *
                                                      (0.5 - 0.5 * std::cos(i * 0.024543693)) +
                                                  128));
    }
    const int64_t outer = truncToInt(frameScale(f) * r0), inner = outer >> 1;
    const int64_t k = outer == inner ? 1048576 : 1048576 / (outer - inner);
    const WindowDistance dist = windowDistance(f);
    uint8_t u = pl.rowPhase, v = pl.phase2, w = pl.phase3;
    for (int32_t y = 0; y < f.h; ++y) {
        const int32_t base = wave[w] + wave[v];
        uint8_t c = u;
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const Pixel colour = palette[(base + wave[c]) & 255];
            c = static_cast<uint8_t>(c + pl.columnStep);
            const int64_t dd = dist(x, y);
            if (dd < inner) d[x] = s[x];
            else if (dd < outer) d[x] = mix256(s[x], colour, ((dd - inner) * k) >> 12);
            else d[x] = colour;
        }
        v = static_cast<uint8_t>(v + pl.step2);
        w = static_cast<uint8_t>(w + pl.step3);
        u = static_cast<uint8_t>(u + pl.rowStep);
    }
}

void applyFrAlbum2(EffectParams* p) {
    if (p->firstFrame) p->stateWords[0] = static_cast<int32_t>(randomSmoothColor());
    updateEffectLevel(p, 0.99f, 1.0f);
    const float L = heldLevel(p->level);
    if (p->beat) p->stateWords[0] = static_cast<int32_t>(randomSmoothColor());
    Frame f;
    if (!frameOf(p, &f)) return;
    const Pixel colour = static_cast<Pixel>(p->stateWords[0]) & 0xFFFFFF;
    const double z = windowLevel(p, L, 360, 200), scale = frameScale(f);
    const int64_t g = truncToInt(z * scale * 200 / 256), h = truncToInt(z * scale * 70 / 256);
    const int64_t k = g == h ? 1048576 : 1048576 / (g - h);
    const WindowDistance dist = windowDistance(f);
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t dd = dist(x, y);
            if (dd > g) d[x] = colour;
            else if (dd < h) d[x] = s[x];
            else d[x] = mix256(s[x], colour, ((dd - h) * k) >> 12);
        }
    }
}

void applyFrAlbum(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (p->firstFrame) p->stateWords[0] = static_cast<int32_t>(randomSmoothColor());
    int32_t* map = reinterpret_cast<int32_t*>(keptScratch(p, 0, [&](Pixel* b) {
        if (!drawable) return;
        const WindowDistance dist = windowDistance(f);
        const int32_t spread = (f.w + f.h) / 16;
        for (int32_t y = 0; y < f.h; ++y)
            for (int32_t x = 0; x < f.w; ++x)
                reinterpret_cast<int32_t*>(b)[static_cast<ptrdiff_t>(y) * f.pitch + x] =
                    randBell(-spread, spread, 4) + static_cast<int32_t>(dist(x, y));
    }));
    double z;
    if (p->levelMode) {
        updateEffectLevel(p, 0.0f, 1.0f);
        z = (1 - heldLevel(p->level) / 256.0 * 2) * 150 + 200;
    } else {
        const double raw = heldLevel(p->level);
        z = raw > albumPeakLevel ? raw : albumPeakLevel * 0.97;
        albumPeakLevel = z;
    }
    if (p->beat) p->stateWords[0] = static_cast<int32_t>(randomSmoothColor());
    if (!drawable) return;
    const Pixel colour = static_cast<Pixel>(p->stateWords[0]) & 0xFFFFFF;
    const int64_t t = truncToInt(z * (f.w + f.h) * 0.0014);
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        const int32_t* m = map ? map + static_cast<ptrdiff_t>(y) * f.pitch : nullptr;
        // Without the ragged map the window is the picture alone.
        for (int32_t x = 0; x < f.w; ++x) d[x] = !m || m[x] < t ? s[x] : colour;
    }
}

namespace {

// The Birthday bodies' window: shape 0 circle, 1 diamond, 2 rectangle, stepping
// on every beat. pixel(x, y, inside, picture) gives every pixel, in row order.
template <class PixelFn>
void birthdayWindow(EffectParams* p, const Frame& f, int64_t r, PixelFn pixel) {
    const int32_t shape = p->stateWords[0];
    const int64_t cx = f.w / 2, cy = f.h / 2, rh = (r * f.h) / f.w;
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        const int64_t dy = y - cy;
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t dx = x - cx;
            bool in;
            if (shape == 0) in = dx * dx + dy * dy < r * r;
            else if (shape == 1) in = std::llabs(dx) + std::llabs(dy) < r;
            else in = std::llabs(dx) < r && std::llabs(dy) < rh;
            d[x] = pixel(x, y, in, s[x]);
        }
    }
}

float birthdayLevel(EffectParams* p) {
    if (p->firstFrame) p->stateWords[0] = 0;
    updateEffectLevel(p, 0.96f, 1.0f);
    if (p->beat) p->stateWords[0] = p->stateWords[0] + 1;
    if (p->stateWords[0] > 2 || p->stateWords[0] < 0) p->stateWords[0] = 0;
    return static_cast<float>(windowLevel(p, heldLevel(p->level), 360, 200));
}

int64_t birthdayRadius(const Frame& f, float z) { return (int64_t{f.w / 2} * truncToInt(z)) / 256 + 1; }

// The tint of Birthday3 and Birthday2: red on the first frame, random on beats.
Pixel birthdayTint(EffectParams* p) {
    if (p->firstFrame) p->stateWords[1] = 0xFF0000;
    if (p->beat) p->stateWords[1] = (crtRand() << 16) | crtRand();
    // rand() << 16 reaches the top byte, which no canvas pixel may carry.
    return static_cast<Pixel>(p->stateWords[1]) & 0xFFFFFF;
}

}  // namespace

void applyFrBirthday4(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    const float z = birthdayLevel(p);
    const Pixel* blurred = keptScratch(p, 0, [&](Pixel* b) {
        if (!drawable) return;
        // 4 x 4 samples a pixel, every fourth row and column within 7 of it.
        for (int32_t y = 0; y < f.h; ++y)
            for (int32_t x = 0; x < f.w; ++x) {
                Pixel sum = 0;
                for (int32_t sy = std::max(0, y - 7); sy <= std::min(f.h - 1, y + 7); sy += 4)
                    for (int32_t sx = std::max(0, x - 7); sx <= std::min(f.w - 1, x + 7); sx += 4)
                        sum += (f.srcRow(sy)[sx] >> 4) & 0x0F0F0F;
                b[static_cast<ptrdiff_t>(y) * f.pitch + x] = sum;
            }
    });
    if (!drawable) return;
    birthdayWindow(p, f, birthdayRadius(f, z), [&](int32_t x, int32_t y, bool in, Pixel picture) {
        if (in) return picture;
        return blurred ? blurred[static_cast<ptrdiff_t>(y) * f.pitch + x] : halfBright(picture);
    });
}

void applyFrBirthday3(EffectParams* p) {
    const float z = birthdayLevel(p);
    const Pixel tint = birthdayTint(p);
    Frame f;
    if (!frameOf(p, &f)) return;
    birthdayWindow(p, f, birthdayRadius(f, z), [&](int32_t, int32_t, bool in, Pixel c) { return in ? c : c | tint; });
}

void applyFrBirthday2(EffectParams* p) {
    const float z = birthdayLevel(p);
    const Pixel tint = birthdayTint(p);
    Frame f;
    if (!frameOf(p, &f)) return;
    birthdayWindow(p, f, birthdayRadius(f, z), [&](int32_t, int32_t, bool in, Pixel c) { return in ? c : c & tint; });
}

void applyFrBirthday(EffectParams* p) {
    const float z = birthdayLevel(p);
    const int32_t* jitter = reinterpret_cast<const int32_t*>(keptScratch(p, 0, [](Pixel* b) {
        for (int i = 0; i < 256; ++i) reinterpret_cast<int32_t*>(b)[i] = crtRand() % 21 - 10;
    }));
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t r = truncToInt(truncToInt(z) * f.w * 0.0021875 + 1);
    // Two byte counters step on every pixel, inside the window or not.
    uint8_t a = 0, b = 0;
    birthdayWindow(p, f, r, [&](int32_t x, int32_t y, bool in, Pixel picture) -> Pixel {
        if (x == 0) {
            a = static_cast<uint8_t>(a + y + b);
            b = static_cast<uint8_t>(b + y);
        }
        const int32_t ox = jitter ? jitter[(b + 2) & 255] : 0, oy = jitter ? jitter[(a + 3) & 255] : 0;
        a = static_cast<uint8_t>(a + 3);
        b = static_cast<uint8_t>(b + 2);
        if (in) return picture;
        return f.srcRow(std::clamp(y + oy, 0, f.h - 1))[std::clamp(x + ox, 0, f.w - 1)];
    });
}

// ---- Frames ------------------------------------------------------------------------------

namespace {

enum Side { kTop, kBottom, kLeft, kRight };

// The four mitred bands of width b: fn(side, t, x, y) for every band pixel, t
// counted from the outer edge. A band wider than half the frame is held to it.
template <class Fn>
void forEachBandPixel(int32_t x0, int32_t y0, int32_t w, int32_t h, int32_t b, Fn fn) {
    b = std::clamp(b, 0, std::min(w, h) / 2);
    for (int32_t t = 0; t < b; ++t) {
        for (int32_t x = t; x <= w - 1 - t; ++x) fn(kTop, t, x0 + x, y0 + t);
        for (int32_t x = t + 1; x <= w - 2 - t; ++x) fn(kBottom, t, x0 + x, y0 + h - 1 - t);
        for (int32_t y = t + 1; y <= h - 1 - t; ++y) {
            fn(kLeft, t, x0 + t, y0 + y);
            fn(kRight, t, x0 + w - 1 - t, y0 + y);
        }
    }
}

// The picture inside the bands, unchanged.
void copyInner(const Frame& f, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (x1 > x0 && y1 > y0) copyRect(f.dst, f.src, x0, y0, Rect{x0, y0, x1, y1}, f.pitch, f.pitch);
}

int32_t bevelWidth(const Frame& f, int32_t units) { return (((f.w + f.h) << 8) / 1120 * units) / 256; }

Pixel& at(const Frame& f, int32_t x, int32_t y) { return f.dstRow(y)[x]; }
Pixel pictureAt(const Frame& f, int32_t x, int32_t y) { return f.srcRow(y)[x]; }

// A bevel cut from the picture: each band's pixels brightened (positive) or
// darkened by its amount.
void pictureBevel(const Frame& f, const int32_t (&amount)[4]) {
    const int32_t b = std::clamp(bevelWidth(f, 20), 0, std::min(f.w, f.h) / 2);
    forEachBandPixel(0, 0, f.w, f.h, b, [&](Side side, int32_t, int32_t x, int32_t y) {
        at(f, x, y) = brighten(pictureAt(f, x, y), amount[side]);
    });
    copyInner(f, b, b, f.w - b, f.h - b);
}

}  // namespace

void applyFrFrame(EffectParams* p) {
    updateEffectLevel(p, 0.92f, 1.0f);
    const float L = heldLevel(p->level);
    const int32_t n = p->frameCounter;
    p->frameCounter = static_cast<int32_t>(static_cast<uint32_t>(n) + 1u);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t u = ((f.w + f.h) << 8) / 896;
    const int32_t s1 = (u * 3) / 256, s2 = (u * 10) / 256, S = s1 + s2, I = s2 + 2 * s1;
    const int64_t base[3] = {truncToInt(L * (std::cos(0.013 * n) + 1) * 0.5),
                             truncToInt(L * (std::cos(0.022 * n) + 1) * 0.5),
                             truncToInt(L * (std::cos(0.031 * n) + 1) * 0.5)};
    const Pixel c = rgb(clamp255(base[0]), clamp255(base[1]), clamp255(base[2]));
    const Pixel light = brighten(c, 100), dark = darken(c, 100), midLight = brighten(c, 50), midDark = darken(c, 50);
    const int64_t q = f.h / 4, lower = std::max(1, (3 * f.h) / 4);
    auto gradient = [&](int64_t y, int64_t top, int64_t rise, int64_t fall) {
        Pixel out = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const int64_t v = y < q ? base[ch] + top + (rise * y) / q
                                    : base[ch] + top + rise - (fall * y - fall * q) / lower;
            out |= clamp255(v) << (16 - 8 * ch);
        }
        return out;
    };
    // Fills clipped to the frame, later ones over earlier ones.
    auto fill = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel colour) {
        x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, f.w), y1 = std::min(y1, f.h);
        if (x1 > x0 && y1 > y0) fillRect(f.dst, Rect{x0, y0, x1, y1}, f.pitch, colour);
    };
    auto columns = [&](int32_t x0, int32_t x1, int32_t y0, int32_t y1, auto colourOfRow) {
        for (int32_t y = std::max(y0, 0); y < std::min(y1, f.h); ++y) {
            const Pixel colour = colourOfRow(y);
            for (int32_t x = std::max(x0, 0); x < std::min(x1, f.w); ++x) at(f, x, y) = colour;
        }
    };
    const int32_t W = f.w, H = f.h;
    fill(0, 0, W, s1, light);                                   // (a)
    fill(S, H - S - s1, W - S, H - S, light);                   // (b)
    fill(S, S, W - S, S + s1, dark);                            // (c)
    fill(0, H - s1, W, H, dark);                                // (d)
    auto outer = [&](int32_t y) { return gradient(y, 100, 100, 300); };
    columns(S, S + s1, 0, H, outer);                            // (e)
    columns(W - s1, W, 0, H, outer);
    fill(0, 0, s1, H, dark);                                    // (f)
    fill(W - S - s1, S, W - S, H - S, dark);                    // (g)
    fill(s1, s1, W - s1, S, midLight);                          // (h)
    fill(s1, H - S, W - s1, H - s1, midDark);
    auto middle = [&](int32_t y) { return gradient(y, 50, 50, 150); };
    columns(s1, S, s1, H - s1, middle);                         // (i)
    columns(W - S, W - s1, s1, H - s1, middle);
    copyInner(f, std::max(I, 0), std::max(I, 0), std::min(W - I, W), std::min(H - I, H));   // (j)
}

void applyFrFrame2(EffectParams* p) {
    Frame f;
    if (frameOf(p, &f)) pictureBevel(f, {100, -100, 70, -70});
}

void applyFrFrame3(EffectParams* p) {
    Frame f;
    if (frameOf(p, &f)) pictureBevel(f, {-100, 100, -70, 70});
}

void applyFrFrame4(EffectParams* p) {
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t b = std::clamp(bevelWidth(f, 16), 0, std::min(f.w, f.h) / 2);
    forEachBandPixel(0, 0, f.w, f.h, b, [&](Side side, int32_t t, int32_t x, int32_t y) {
        const int64_t w = side == kTop || side == kLeft ? 256 - (256 * t) / b : (256 * (t + 1)) / b;
        at(f, x, y) = scaled128(pictureAt(f, x, y), w);
    });
    copyInner(f, b, b, f.w - b, f.h - b);
}

void applyFrFrame5(EffectParams* p) {
    Frame f;
    if (!frameOf(p, &f)) return;
    copyPicture(f);
    const int64_t l = (int64_t{f.w + f.h} << 8) / 1120;
    auto depth = [l](int64_t k) { return std::max<int64_t>(1, (l * ((CosineTable[(200 * k) & 8191] >> 12) + 16)) / 256); };
    // The weight runs in 14.18 fixed point from 256 down by 256 / D a step.
    auto shade = [&](int64_t d, auto pixelAt) {
        const int64_t step = (262144 / d) << 8;
        int64_t running = int64_t{256} << 18;
        for (int64_t t = 0; t < d; ++t) {
            if (Pixel* px = pixelAt(t)) *px = scaled128(*px, running >> 18);
            running -= step;
        }
    };
    for (int32_t x = 0; x < f.w; ++x) {
        const int64_t d = depth(x);
        shade(d, [&](int64_t t) { return t < f.h ? &at(f, x, static_cast<int32_t>(t)) : nullptr; });
        shade(d, [&](int64_t t) {
            const int64_t y = f.h - d + t;   // from the inner row outward
            return y >= 0 && y < f.h ? &at(f, x, static_cast<int32_t>(y)) : nullptr;
        });
    }
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t d = depth(y);
        shade(d, [&](int64_t t) { return t < f.w ? &at(f, static_cast<int32_t>(t), y) : nullptr; });
        shade(d, [&](int64_t t) {
            const int64_t x = f.w - d + t;
            return x >= 0 && x < f.w ? &at(f, static_cast<int32_t>(x), y) : nullptr;
        });
    }
}

void applyFrFrameUp(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t z = p->levelMode == 0 ? truncToInt(L) : truncToInt((1 - L / 256.0 * 2) * 106 + 150);
    const int32_t mx = static_cast<int32_t>(std::max<int64_t>(0, (f.w >> 2) - (z * (f.w >> 2)) / 256));
    const int32_t my = static_cast<int32_t>(std::max<int64_t>(0, (f.h >> 2) - (z * (f.h >> 2)) / 256));
    const int32_t tw = f.w - 2 * mx, th = f.h - 2 * my;
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        const bool tileRow = y >= my && y < f.h - my;
        for (int32_t x = 0; x < f.w; ++x)
            if (!tileRow || x < mx || x >= f.w - mx) d[x] = halfBright(s[x]);
    }
    if (tw <= 0 || th <= 0) return;
    const int32_t b = std::clamp(bevelWidth(f, 16), 0, std::min(tw, th) / 2);
    static constexpr int32_t kShift[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    static constexpr int32_t kAmount[4] = {128, -128, 70, -70};
    forEachBandPixel(mx, my, tw, th, b, [&](Side side, int32_t, int32_t x, int32_t y) {
        const int32_t sx = std::clamp(x + kShift[side][0] * b, 0, f.w - 1);
        const int32_t sy = std::clamp(y + kShift[side][1] * b, 0, f.h - 1);
        at(f, x, y) = brighten(pictureAt(f, sx, sy), kAmount[side]);
    });
    copyInner(f, mx + b, my + b, f.w - mx - b, f.h - my - b);
}

void applyFrGlassPrison(EffectParams* p) {
    updateEffectLevel(p, 0.97f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t z = p->levelMode == 0 ? truncToInt(L) : truncToInt((1 - L / 256.0 * 2) * 1024 + 50);
    const int64_t h = std::max<int64_t>(1, ((int64_t{(f.w + f.h) << 8} / 1120) * (z / 4 + 6)) / 256);
    copyPicture(f);
    auto bar = [](Pixel c, int32_t o) -> Pixel {
        switch (o) {
            case 1: return rgb(clamp255(2 * int64_t((c >> 16) & 255)), clamp255(2 * int64_t((c >> 8) & 255)),
                               clamp255(2 * int64_t(c & 255)));
            case 3: return ((c >> 4) & 0x0F0F0F) * 15;
            case 4: return ((c >> 4) & 0x0F0F0F) * 12;
            case 5: return ((c >> 4) & 0x0F0F0F) * 9;
            default: return c;
        }
    };
    const int32_t hw = f.w / 2, hh = f.h / 2;
    auto barRow = [&](int64_t y, int32_t o) {
        if (y < 0 || y >= f.h) return;
        const Pixel* s = f.srcRow(static_cast<int32_t>(y));
        Pixel* d = f.dstRow(static_cast<int32_t>(y));
        for (int32_t x = 0; x < f.w; ++x) d[x] = bar(s[x], o);
    };
    if (hh > 6)
        for (int64_t k = 0; k == 0 || k * h < hh - 6; ++k)
            for (int32_t o = 0; o < 6; ++o) {
                barRow(hh + k * h + o, o);
                barRow(hh - k * h + o, o);
            }
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int64_t t = 0; t < hw - 6; t += h)
            for (int32_t o = 0; o < 6; ++o) {
                for (const int64_t x : {hw + t + o, hw - t + o})
                    if (x >= 0 && x < f.w) d[x] = bar(s[x], o);
            }
    }
}

void applyFrSpline(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    const size_t maskBytes = drawable ? static_cast<size_t>(f.h) * f.pitch : 0;
    // The mask, then 32 x coordinates, 32 y coordinates and 32 frequencies.
    auto tables = [&](Pixel* b) { return reinterpret_cast<int16_t*>(reinterpret_cast<uint8_t*>(b) + ((maskBytes + 1) & ~size_t(1))); };
    Pixel* buffer = keptScratch(p, 0, [&](Pixel* b) {
        int16_t* freq = tables(b) + 64;
        for (int i = 0; i < 32; ++i) freq[i] = static_cast<int16_t>((crtRand() & 255) + 256);
    });
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    const int32_t n = p->frameCounter;
    p->frameCounter = static_cast<int32_t>(static_cast<uint32_t>(n) + 1u);
    if (!drawable) return;
    if (!buffer) {
        copyPicture(f);
        return;
    }
    uint8_t* mask = reinterpret_cast<uint8_t*>(buffer);
    int16_t* xs = tables(buffer);
    int16_t* ys = xs + 32;
    const int16_t* freq = xs + 64;
    const Rect clip{0, 0, f.w, f.h};
    setByteFillTarget(mask, clip, f.pitch);
    std::fill_n(mask, maskBytes, uint8_t{0});
    const int64_t s = p->levelMode == 0 ? truncToInt(320 - L * 0.8) : truncToInt(L * 1.5);
    const int64_t hw = f.w / 2, hh = f.h / 2;
    const int64_t big = truncToInt(std::sqrt(static_cast<double>(hh * hh + hw * hw)));
    const int64_t r = std::max<int64_t>(1, big - ((big - hh / 2) * s) / 256);
    for (int i = 0; i < 32; ++i) {
        const double a = i * 0.19634955 - 0.01 * n;
        const double q = r + ((f.h + f.w) / 32) * std::sin(freq[i] * static_cast<double>(n) * 0.0003);
        xs[i] = static_cast<int16_t>(truncToInt(hw + q * std::sin(a) * f.w / f.h));
        ys[i] = static_cast<int16_t>(truncToInt(hh + q * std::cos(a)));
    }
    smoothMaskOutline(mask, clip, f.pitch, xs, ys, 32, 1, 0);
    seedFill(static_cast<int32_t>(hw), static_cast<int32_t>(hh), 1, 0, 0, 0);
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* src = f.srcRow(y);
        const uint8_t* m = mask + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = m[x] ? src[x] : src[x] ^ 0xFFFFFFu;
    }
    const Pixel colour = rgb(static_cast<uint32_t>(truncToInt(std::cos(0.011 * n) * 127 + 128)),
                             static_cast<uint32_t>(truncToInt(std::cos(0.013 * n) * 127 + 128)),
                             static_cast<uint32_t>(truncToInt(std::cos(0.017 * n) * 127 + 128)));
    smoothOutline(f.dst, clip, f.pitch, xs, ys, 32, colour, 0);
}
