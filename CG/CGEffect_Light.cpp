// Light rays and twinkles round the title, drop shadows, a wandering spot,
// recolouring (plasma, a moving four-corner gradient, a blinking negative) and
// plain blends.
#include <algorithm>
#include <cmath>

#include "CG/CGDraw.h"
#include "CG/CGEffects.h"
#include "render/PixelBuffer.h"
#include "CG/TitleStyles.h"
#include "render/Blits.h"
#include "render/CrtRandom.h"
#include "render/Discs.h"
#include "render/Lines.h"
#include "render/MaskRelief.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

inline bool lit(Pixel p) { return (p & 0xFFFFFF) != 0; }

// Calls op(frame pixel, title pixel) for every frame pixel of the visible box.
template <class Op>
void forVisibleBox(const TitleView& v, const Rect& vis, Op op) {
    for (int32_t y = vis.top; y < vis.bottom; ++y) {
        const Pixel* s = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = vis.left; x < vis.right; ++x) op(d[x], s[x], x, y);
    }
}

// Twinkle state: counter word and offset words in the record.
struct Twinkle {
    int32_t* counter;
    int32_t* ox;
    int32_t* oy;
    int32_t period;
};

template <class Draw>
void twinkle(EffectParams* params, const TitleView& v, Twinkle t, Draw draw) {
    if (*t.counter == t.period || params->firstFrame) {
        *t.counter = 0;
        *t.ox = randRange(-v.iw / 2, v.iw / 2);
        *t.oy = randBell(-v.ih / 2, v.ih / 2, 4);
    }
    draw(v.cx + *t.ox, v.cy + *t.oy, *t.counter);
    ++*t.counter;
}

template <class Draw>
void drawTwinkles(EffectParams* params, int32_t periodA, int32_t periodB, Draw draw) {
    TitleView v;
    if (!titleView(params, &v)) return;
    blitKeyedCentered(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
    int32_t* words = params->state.title.titleEffectWords;
    twinkle(params, v, Twinkle{&params->frameCounter, &words[1], &words[2], std::max(1, periodA)},
            [&](int32_t x, int32_t y, int32_t n) { draw(v, x, y, n, std::max(1, periodA)); });
    twinkle(params, v, Twinkle{&words[0], &words[3], &words[4], std::max(1, periodB)},
            [&](int32_t x, int32_t y, int32_t n) { draw(v, x, y, n, std::max(1, periodB)); });
}

// Palette, wave table and steps of the plasma recolouring.
struct PlasmaState {
    Pixel palette[256];
    uint8_t wave[256];
    int32_t T;
    int32_t direction;   // +1 or -1 per pixel
    int32_t sStep;       // 2, 4 or 6 per row
};

void copyLit(const TitleView& v, const Rect& vis) {
    forVisibleBox(v, vis, [](Pixel& d, Pixel s, int32_t, int32_t) {
        if (lit(s)) d = s & 0xFFFFFF;
    });
}

}  // namespace

void drawTitleBackLight(EffectParams* params) {
    Pixel* buffer = titleWorkBuffer(params);
    TitleView v;
    if (!buffer || !titleView(params, &v)) return;
    if (static_cast<int64_t>(v.pitch) * v.H > kScratchPixels) return;
    if (params->clearBuffer) params->clearBuffer(buffer);
    copyCenteredBox(buffer, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
    Rect box;
    if (!clipCenteredBox(&box, v.cx, v.cy, v.iw & ~1, v.ih & ~1, v.W, v.H) || box.left >= box.right ||
        box.top >= box.bottom)
        return;
    constexpr int32_t kSamples = 16;
    const int32_t cx = v.W / 2, cy = v.H / 2;
    auto sampleAt = [](int32_t c, int32_t p, int32_t i) { return c + (p - c) * (1280 + 48 * i) / 2048; };
    // A pixel whose own place and samples (all on the way from it to the centre)
    // miss the copied box sums to nothing and keeps its colour: only the lines
    // whose run from 0.625 of the way out to the pixel meets the box are walked.
    auto reaches = [&](int32_t c, int32_t p, int32_t lo, int32_t hi) {
        const int32_t a = std::min(sampleAt(c, p, 0), p), b = std::max(sampleAt(c, p, 0), p);
        return a < hi && b >= lo;
    };
    int32_t x0 = v.W, x1 = 0;
    for (int32_t x = 0; x < v.W; ++x)
        if (reaches(cx, x, box.left, box.right)) {
            x0 = std::min(x0, x);
            x1 = x + 1;
        }
    // Sample columns of each scale over the walked columns, and the run of
    // scales whose samples fall inside the box (they move monotonically with
    // the scale, so the run is contiguous).
    constexpr int32_t kMaxColumns = kMaxFrameWidth * 4;
    static int32_t columns[kSamples][kMaxColumns];
    static uint8_t firstScale[kMaxColumns], endScale[kMaxColumns];
    x1 = std::min(x1, kMaxColumns);
    auto scaleRun = [&](int32_t c, int32_t p, int32_t lo, int32_t hi, uint8_t* first, uint8_t* end) {
        *first = kSamples;
        *end = 0;
        for (int32_t i = 0; i < kSamples; ++i) {
            const int32_t q = sampleAt(c, p, i);
            if (q < lo || q >= hi) continue;
            *first = std::min<uint8_t>(*first, static_cast<uint8_t>(i));
            *end = static_cast<uint8_t>(i + 1);
        }
    };
    for (int32_t x = x0; x < x1; ++x) {
        for (int32_t i = 0; i < kSamples; ++i) columns[i][x] = sampleAt(cx, x, i);
        scaleRun(cx, x, box.left, box.right, &firstScale[x], &endScale[x]);
    }
    for (int32_t y = 0; y < v.H; ++y) {
        if (!reaches(cy, y, box.top, box.bottom)) continue;
        uint8_t rowFirst, rowEnd;
        scaleRun(cy, y, box.top, box.bottom, &rowFirst, &rowEnd);
        const Pixel* rows[kSamples];
        for (int32_t i = 0; i < kSamples; ++i) rows[i] = buffer + static_cast<ptrdiff_t>(sampleAt(cy, y, i)) * v.pitch;
        const Pixel* own = buffer + static_cast<ptrdiff_t>(y) * v.pitch;
        Pixel* d = v.frameRow(y);
        for (int32_t x = x0; x < x1; ++x) {
            // Each sample is at most 0x0F per channel, so sixteen never carry between channels.
            Pixel sum = 0;
            const int32_t i1 = std::min(rowEnd, endScale[x]);
            for (int32_t i = std::max(rowFirst, firstScale[x]); i < i1; ++i)
                sum += (rows[i][columns[i][x]] >> 4) & 0x0F0F0F;
            const Pixel out = saturatingAdd(saturatingAdd(sum, own[x]), d[x]);
            if (out) d[x] = out;
        }
    }
}

void drawTitleBackLight2(EffectParams* params) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    copyLit(v, vis);
    bool toggle = false;
    forVisibleBox(v, vis, [&](Pixel&, Pixel s, int32_t x, int32_t y) {
        if (!lit(s)) return;
        toggle = !toggle;
        if (toggle)
            drawLightRay(v.dst, v.pitch, x, y, 2 * x - v.W / 2, 2 * y - v.H / 2, (s >> 4) & 0x0F0F0F, v.W, v.H);
    });
}

void drawTitleShining(EffectParams* params, int32_t periodA, int32_t periodB) {
    const Pixel colour = colorRefToPixel(params->state.title.titleColor);
    drawTwinkles(params, periodA, periodB, [&](const TitleView& v, int32_t x, int32_t y, int32_t n, int32_t period) {
        const int32_t g = (v.W + v.H) * 32 / 1024;
        const int32_t radius = static_cast<int32_t>((g + 1) - std::cos(n * 6.28 / period) * g);
        drawGlowDiscClipped(v.dst, v.pitch, Rect{0, 0, v.W, v.H}, x, y, radius, colour, 64);
    });
}

void drawTitleShiningCircle(EffectParams* params, int32_t periodA, int32_t periodB) {
    const Pixel colour = colorRefToPixel(params->state.title.titleColor);
    drawTwinkles(params, periodA, periodB, [&](const TitleView& v, int32_t x, int32_t y, int32_t n, int32_t period) {
        const int32_t g = (v.W + v.H) * 32 / 1024;
        drawAdditiveRing(v.dst, v.pitch, Rect{0, 0, v.W, v.H}, x, y, n * g / period + 1, 1, colour);
    });
}

void drawTitleShadow(EffectParams* params, int32_t dx, int32_t dy) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    forVisibleBox(v, vis, [&](Pixel& d, Pixel, int32_t x, int32_t y) {
        const int32_t sx = x - dx - v.L, sy = y - dy - v.T;
        if (sx >= 0 && sx < v.iw && sy >= 0 && sy < v.ih && lit(v.row(sy)[sx])) d = (d >> 1) & 0x7F7F7F;
    });
    copyLit(v, vis);
}

void drawTitleShadow2(EffectParams* params, int32_t dx, int32_t dy) {
    TitleView v;
    if (!titleView(params, &v)) return;
    if (params->firstFrame) {
        for (int32_t y = 0; y < v.ih; ++y)
            for (int32_t x = 0; x < v.iw; ++x) {
                Pixel& p = v.image[static_cast<ptrdiff_t>(y) * v.iw + x];
                if (lit(p)) {
                    p = (p & 0xFFFFFF) | 0x9C000000u;
                    continue;
                }
                int32_t d2 = 255;
                for (int32_t n = 0; n <= 8; ++n) {
                    int32_t found = kNoPixelFound;
                    findNearestPixelClipped(v.image, v.iw, v.ih, x, y, n, &found);
                    if (found != kNoPixelFound) {
                        d2 = found;
                        break;
                    }
                }
                const int32_t m = std::max(0, 100 - static_cast<int32_t>(20 * std::sqrt(static_cast<double>(d2))));
                p = m > 0 ? static_cast<Pixel>(256 - m) << 24 : 0;
            }
    }
    Rect vis;
    if (!v.visible(&vis)) return;
    forVisibleBox(v, vis, [&](Pixel& d, Pixel, int32_t x, int32_t y) {
        const int32_t sx = x - dx - v.L, sy = y - dy - v.T;
        if (sx < 0 || sx >= v.iw || sy < 0 || sy >= v.ih) return;
        const Pixel w = v.row(sy)[sx] >> 24;
        if (!w) return;
        Pixel out = 0;
        for (int shift = 0; shift < 24; shift += 8) out |= ((((d >> shift) & 0xFF) * w) >> 8) << shift;
        d = out;
    });
    copyLit(v, vis);
}

void drawTitleLight(EffectParams* params, Pixel colour, int32_t speed) {
    const double t = static_cast<double>(speed) * params->frameCounter++;
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const int32_t sx = v.cx + static_cast<int32_t>(std::cos(0.00063 * t) * (v.iw / 2 - 50));
    const int32_t sy = v.cy + static_cast<int32_t>(std::cos(0.0008 * t) * (v.ih / 2 - 50));
    const int64_t R2 = static_cast<int64_t>(v.ih + 1) * (v.ih + 1);
    const int64_t scale = 0x800000 / R2;
    forVisibleBox(v, vis, [&](Pixel& d, Pixel s, int32_t x, int32_t y) {
        if (!lit(s)) return;
        s &= 0xFFFFFF;
        const int64_t q2 = static_cast<int64_t>(x - sx) * (x - sx) + static_cast<int64_t>(y - sy) * (y - sy);
        if (q2 >= R2) {
            d = s;
            return;
        }
        const int64_t D = 256 - ((q2 * scale * 256) >> 23);
        Pixel add = 0;
        for (int shift = 0; shift < 24; shift += 8)
            add |= static_cast<Pixel>(std::min<int64_t>(255, ((colour >> shift) & 0xFF) * D / 256)) << shift;
        d = saturatingAdd(s, add);
    });
}

void drawTitlePlasmaRow(EffectParams* params) {
    Pixel* buffer = titleWorkBuffer(params);
    TitleView v;
    if (!titleView(params, &v)) return;
    if (buffer) {
        PlasmaState& p = *reinterpret_cast<PlasmaState*>(buffer);
        if (params->firstFrame) p = PlasmaState{};
        p.T += 2;
        constexpr double kPi = 3.14159265358979323846;
        const double T = p.T;
        for (int i = 0; i < 256; ++i) {
            const double a = 2 * kPi * i / 256;
            const Pixel r = static_cast<Pixel>(128 + 127 * std::cos(a)), g = static_cast<Pixel>(128 + 127 * std::sin(a)),
                        b = static_cast<Pixel>(128 - 127 * std::cos(a));
            p.palette[i] = r << 16 | g << 8 | b;
            const double w = std::sin(2 * kPi * i / (200 * std::sin(0.01 * T) + 400) + (std::sin(0.041 * T) + 1) * kPi) *
                             std::sin(2 * kPi * i / (200 * std::sin(0.031 * T) + 400) + (std::sin(0.021 * T) + 1) * kPi) *
                             128 * (0.5 - 0.5 * std::cos(a)) + 128;
            p.wave[i] = static_cast<uint8_t>(static_cast<int32_t>(w));
        }
        uint8_t q = 3, r = 22, s = 94;
        if (params->firstFrame || params->beat) {
            q = static_cast<uint8_t>(crtRand() % 100);
            r = static_cast<uint8_t>(crtRand() % 100);
            s = static_cast<uint8_t>(crtRand() % 100);
            p.direction = crtRand() % 2 ? 1 : -1;
            p.sStep = 2 * (crtRand() % 3 + 1);
        }
        for (int32_t y = 0; y < v.ih; ++y) {
            Pixel* row = v.image + static_cast<ptrdiff_t>(y) * v.iw;
            uint8_t index = q;
            for (int32_t x = 0; x < v.iw; ++x, index = static_cast<uint8_t>(index + p.direction))
                if (row[x]) row[x] = p.palette[static_cast<uint8_t>(p.wave[s] + p.wave[r] + p.wave[index])];
            r = static_cast<uint8_t>(r + 3);
            s = static_cast<uint8_t>(s + p.sStep);
            q = static_cast<uint8_t>(q - 2);
        }
    }
    blitKeyedCentered(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
}

void drawTitleColor(EffectParams* params) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    params->frameCounter += 3;
    const int64_t n = params->frameCounter;
    auto sK = [n](int64_t K) { return (SineTable[(K * n) & (kTrigTableSize - 1)] >> 8) + 128; };
    // Corners top-left, bottom-left, top-right, bottom-right per channel, red first.
    const int32_t corner[3][4] = {{sK(21), sK(3), sK(12), sK(94)},
                                  {sK(85), sK(67), sK(76), sK(58)},
                                  {sK(49), sK(21), sK(30), sK(12)}};
    const int64_t stepY = 0x20000 / v.ih, stepX = 0x20000 / v.iw;
    for (int32_t y = vis.top; y < vis.bottom; ++y) {
        const int64_t fy = (y - v.T) * stepY;
        int64_t left[3], right[3];
        for (int c = 0; c < 3; ++c) {
            left[c] = corner[c][0] + (((corner[c][1] - corner[c][0]) * fy) >> 17);
            right[c] = corner[c][2] + (((corner[c][3] - corner[c][2]) * fy) >> 17);
        }
        const Pixel* s = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = vis.left; x < vis.right; ++x) {
            if (!lit(s[x])) continue;
            const int64_t fx = (x - v.L) * stepX;
            Pixel out = 0;
            for (int c = 0; c < 3; ++c) {
                const int64_t value = left[c] + (((right[c] - left[c]) * fx) >> 17);
                out |= static_cast<Pixel>(std::clamp<int64_t>(value, 0, 255)) << (16 - 8 * c);
            }
            d[x] = out;
        }
    }
}

void drawTitleNegative(EffectParams* params, int32_t periodMs) {
    TitleView v;
    Rect vis;
    if (periodMs <= 0 || !titleView(params, &v) || !v.visible(&vis)) return;
    const Pixel flag = (static_cast<int32_t>(titleElapsed(params)) / periodMs) % 2 ? 0xFFFFFF : 0;
    forVisibleBox(v, vis, [flag](Pixel& d, Pixel s, int32_t, int32_t) {
        if (lit(s)) d = (s & 0xFFFFFF) ^ flag;
    });
}

void drawTitleAlpha(EffectParams* params, float alpha) {
    TitleView v;
    if (!titleView(params, &v)) return;
    if (alpha == 0.5f)
        blendTitleHalf(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
    else
        blendTitleAlpha(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H, alpha);
}

void drawTitleAlphaFade(EffectParams* params, float rate) {
    const double e = titleElapsed(params);
    const double alpha = std::min({1.0, e * rate, (params->duration - e) * rate});
    drawTitleAlpha(params, static_cast<float>(std::max(0.0, alpha)));
}

void drawTitleAdd(EffectParams* params) {
    TitleView v;
    if (!titleView(params, &v)) return;
    addTitleImage(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
}

void drawTitleDestReverse(EffectParams* params) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    forVisibleBox(v, vis, [](Pixel& d, Pixel s, int32_t, int32_t) {
        if (lit(s)) d ^= 0xFFFFFF;
    });
}
