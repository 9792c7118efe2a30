// Sine waves that bend the standing title, and the dance whose warp centre
// circles the title. Nearest samples, keyed.
#include <algorithm>
#include <cmath>

#include "CG/CGDraw.h"
#include "CG/CGEffect_Pre.h"
#include "CG/CGEffects.h"
#include "render/TrigTables.h"

int32_t& danceAngle() {
    static int32_t angle = 0;
    return angle;
}

void drawTitleWave(EffectParams* params, int32_t axis, int32_t fadeMs, int32_t strength) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const double t = titleElapsed(params);
    int32_t a = strength * titleFontSizeInUse(params) / 512;
    const int32_t e = static_cast<int32_t>(t);
    if (fadeMs > 0) {
        if (e < fadeMs)
            a = a * e / fadeMs;
        else if (params->duration - fadeMs < e)
            a = static_cast<int32_t>(static_cast<uint32_t>(a * (params->duration - e)) / static_cast<uint32_t>(fadeMs));
    }
    const int32_t P = static_cast<int32_t>(t * 20);
    auto d = [a, P](int32_t n) { return (a * SineTable[(P + 256 * n) & (kTrigTableSize - 1)]) >> 15; };
    auto put = [&v](Pixel* dst, int32_t sx, int32_t sy) {
        if (sx < 0 || sx >= v.iw || sy < 0 || sy >= v.ih) return;
        if (const Pixel p = v.row(sy)[sx]) *dst = p;
    };
    if (axis == 0) {
        const int32_t y0 = std::max(0, std::max(v.T, vis.top) - 32), y1 = std::min(v.H, std::min(vis.bottom, v.B) + 32);
        for (int32_t y = y0; y < y1; ++y) {
            const int32_t dy = d(y);
            Pixel* row = v.frameRow(y);
            for (int32_t x = std::max(0, v.L + dy), x1 = std::min(v.W, v.Rt + dy); x < x1; ++x)
                put(row + x, x - dy - v.L, y - v.T);
        }
    } else if (axis == 1) {
        const int32_t x0 = std::max(0, std::max(v.L, vis.left) - 4), x1 = std::min(v.W, std::min(vis.right, v.Rt) + 4);
        for (int32_t x = x0; x < x1; ++x) {
            const int32_t dx = d(x);
            for (int32_t y = std::max(0, v.T + dx), y1 = std::min(v.H, v.B + dx); y < y1; ++y)
                put(v.frameRow(y) + x, x - v.L, y - dx - v.T);
        }
    } else {
        for (int32_t y = std::max(0, v.T - 8), y1 = std::min(v.H, v.B + 8); y < y1; ++y) {
            const int32_t dx = d(y);
            Pixel* row = v.frameRow(y);
            for (int32_t x = std::max(0, v.L + dx), x1 = std::min(v.W, v.Rt + dx); x < x1; ++x)
                put(row + x, x - dx - v.L, y - d(x) - v.T);
        }
    }
}

void drawTitleDancing(EffectParams* params) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const int32_t T = v.cy - (v.ih >> 1), B = v.cy + (v.ih >> 1);
    const int32_t y0 = std::max(0, std::max(T, vis.top) - 16), y1 = std::min(v.H, std::min(vis.bottom, B) + 16);
    const int32_t x0 = std::max(0, std::max(v.L, vis.left) - 80), x1 = std::min(v.W, std::min(vis.right, v.Rt) + 80);
    int32_t& degrees = danceAngle();
    const double angle = degrees * 0.017444444444444446;
    const int32_t ox = static_cast<int32_t>(v.cx + 150 * std::sin(angle));
    const int32_t oy = static_cast<int32_t>(v.cy + 150 * std::cos(angle));
    const int32_t kc = static_cast<int32_t>(600 * std::cos(angle)), ks = static_cast<int32_t>(600 * std::sin(angle));
    degrees += 4;
    for (int32_t y = y0; y < y1; ++y) {
        const int32_t dy = y - oy;
        Pixel* row = v.frameRow(y);
        for (int32_t x = x0; x < x1; ++x) {
            const int32_t dx = x - ox;
            const int32_t w = 100 - ((dy * dy + dx * dx) >> 8);
            const int32_t p = ((w * dx) >> 10) * kc, q = ((w * dy) >> 10) * ks;
            const int32_t sx = ((p + q) >> 10) + x - v.L, sy = ((p - q) >> 10) + y - T;
            if (sx < 0 || sx >= v.iw || sy < 0 || sy >= v.ih) continue;
            if (const Pixel px = v.row(sy)[sx]) row[x] = px;
        }
    }
}
