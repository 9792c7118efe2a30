// Turns, breathing zooms and the three left-to-right sweeps; every body depends
// only on the elapsed time and keeps no state.
#include <algorithm>
#include <array>
#include <cmath>

#include "CG/CGDraw.h"
#include "CG/CGEffects.h"

namespace {

template <bool AboutY>
void drawTurn(EffectParams* params, float speed) {
    TitleView v;
    if (!titleView(params, &v)) return;
    const float angle = static_cast<float>(titleElapsed(params) * speed);
    const float perspective = static_cast<float>(300000.0 / (static_cast<double>(v.iw) * v.iw) + 1.0);
    const Rect box{v.L, v.T, v.Rt, v.B};
    if (AboutY)
        rotateTitleImageY(v.dst, v.image, v.pitch, v.iw, box, v.imageRect(), v.W, v.H, angle, 1.0f, perspective);
    else
        rotateTitleImageX(v.dst, v.image, v.pitch, v.iw, box, v.imageRect(), v.W, v.H, angle, 1.0f, perspective);
}

}  // namespace

void drawTitleRotateX(EffectParams* params, float speed) { drawTurn<false>(params, speed); }
void drawTitleRotateY(EffectParams* params, float speed) { drawTurn<true>(params, speed); }

void drawTitleZoom(EffectParams* params, float ampX, float freqX, float ampY, float freqY) {
    TitleView v;
    if (!titleView(params, &v)) return;
    const double t = titleElapsed(params);
    const float sx = static_cast<float>(1.0 + ampX * std::sin(t * freqX));
    const float sy = static_cast<float>(1.0 + ampY * std::sin(t * freqY));
    zoomTitleImage(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H, sx, sy);
}

void drawTitleSome(EffectParams* params, float rate) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const double x = std::min(1.0, titleElapsed(params) * rate);
    const int32_t y0 = std::max(v.T, vis.top), y1 = std::min(vis.bottom, v.B);
    const int32_t left = std::max(v.L, vis.left), right = std::min(vis.right, v.Rt);
    if (left >= right) return;
    const int32_t s = std::clamp(static_cast<int32_t>((v.Rt - v.L) * x + v.L), left, right);
    for (int32_t y = y0; y < y1; ++y) {
        const Pixel* src = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t c = left; c < s; ++c)
            if (src[c]) d[c] = src[c];
        if (s >= right) continue;
        if (const Pixel smear = src[s])
            std::fill(d + s, d + right, smear);
    }
}

void drawTitleDoOl(EffectParams* params, int32_t sweepMs) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const int32_t y0 = std::max(0, std::max(v.T, vis.top) - 32), y1 = std::min(v.H, std::min(vis.bottom, v.B) + 32);
    const int32_t c0 = std::max(0, std::max(v.L, vis.left) - 4), c1 = std::min(v.W, std::min(vis.right, v.Rt) + 4);
    const int32_t w = v.iw / 4;
    const int32_t travel = v.Rt + 2 * w - v.L;
    const double share = sweepMs > 0 ? std::min(1.0, titleElapsed(params) / sweepMs) : 1.0;
    const int32_t X = v.L + static_cast<int32_t>(share * travel) - w;
    // The inverse vertical scale of each column, in 1/32768; a chunk of columns at a time.
    constexpr int32_t kChunk = 1024;
    std::array<int32_t, kChunk> g;
    const int32_t end = std::min(c1, X);
    for (int32_t chunk = c0; chunk < end; chunk += kChunk) {
        const int32_t n = std::min(kChunk, end - chunk);
        for (int32_t i = 0; i < n; ++i) {
            const int32_t x = chunk + i;
            int32_t f = 0;
            if (x < X) {
                if (!(x <= X - w || X == v.L)) f = ((x << 9) + (w << 9) - (X << 9)) / w;
            } else if (!(x >= X + w || X == v.Rt)) {
                f = ((X + w - x) << 9) / w;
            }
            g[i] = (1 << 24) / (f + 512);
        }
        const int32_t xEnd = std::min(chunk + n, v.L + v.iw);
        const int32_t xStart = std::max(chunk, v.L);
        for (int32_t y = y0; y < y1; ++y) {
            Pixel* d = v.frameRow(y);
            for (int32_t x = xStart; x < xEnd; ++x) {
                const int32_t sy = v.cy + (((y - v.cy) * g[x - chunk]) >> 15) - v.T;
                if (sy < 0 || sy >= v.ih) continue;
                if (const Pixel p = v.row(sy)[x - v.L]) d[x] = p;
            }
        }
    }
}

void drawTitleBbasaseo(EffectParams* params, int32_t sweepMs) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const int32_t y0 = std::max(0, std::max(v.T, vis.top) - 48), y1 = std::min(v.H, std::min(vis.bottom, v.B) + 48);
    const int32_t c0 = std::max(0, std::max(v.L, vis.left) - 32), cEnd = std::min(v.W, std::min(vis.right, v.Rt) + 32);
    const int32_t r = std::min(200, (v.ih * 3) / 2);
    if (r < 1) return;
    const int32_t k = 65536 / (r * r);
    const double share = sweepMs > 0 ? std::min(1.0, titleElapsed(params) / sweepMs) : 1.0;
    const int32_t X = static_cast<int32_t>(share * (r + v.Rt - v.L) + v.L);
    const int32_t c1 = std::min(cEnd, X + r / 2);
    const int32_t r2 = r * r;
    for (int32_t y = y0; y < y1; ++y) {
        Pixel* d = v.frameRow(y);
        const int32_t dy = y - v.cy;
        for (int32_t x = c0; x < c1; ++x) {
            const int32_t dx = x - X;
            const int32_t d2 = dx * dx + dy * dy;
            int32_t sx, sy;
            if (d2 < r2) {
                const int32_t s = 128 - ((d2 * k * -384) >> 16);
                sx = ((s * dx) >> 9) + X - v.L;
                sy = ((s * dy) >> 9) + v.cy - v.T;
            } else {
                sx = x - v.L;
                sy = y - v.T;
            }
            if (sx < 0 || sx >= v.iw || sy < 0 || sy >= v.ih) continue;
            if (const Pixel p = v.row(sy)[sx]) d[x] = p;
        }
    }
}
