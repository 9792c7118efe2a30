#include "Transition/Transition_Push.h"

#include <cstddef>

#include "Transition/Transition_Slide.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/PixelBuffer.h"

namespace {

struct PushFrame {
    const Pixel* a;   // outgoing
    const Pixel* b;   // incoming
    Pixel* canvas;
    int32_t pitch, w, h;

    explicit PushFrame(const EffectParams* t) {
        const Rect& r = t->rect;
        a = pixelAt(t->source, t->pitch, r.left, r.top);
        b = pixelAt(t->source2, t->pitch, r.left, r.top);
        canvas = pixelAt(t->destination, t->pitch, r.left, r.top);
        pitch = t->pitch;
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    void copy(const Pixel* src, int32_t l, int32_t t, int32_t r, int32_t bottom, int32_t x, int32_t y) const {
        if (r <= l || bottom <= t) return;
        copyRect(canvas, src, x, y, Rect{l, t, r, bottom}, pitch, pitch);
    }
};

inline int32_t bandStart(float bandSize, int32_t i) { return truncToInt(bandSize * static_cast<float>(i)); }

}  // namespace

void renderPsCross(EffectParams* t, int32_t count, int32_t angle) {
    const PushFrame f(t);
    if (f.w <= 0 || f.h <= 0 || count <= 0) return;
    const float p = t->progress;
    const int32_t W = f.w, H = f.h;
    if (angle == 0) {
        const int32_t l = truncToInt(static_cast<float>(W) * p), m = W - l;
        const float bh = static_cast<float>(H) / static_cast<float>(count);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t top = bandStart(bh, i), bottom = i + 1 == count ? H : bandStart(bh, i + 1);
            if (i & 1) {   // moving left
                f.copy(f.a, l, top, W, bottom, 0, top);
                f.copy(f.b, 0, top, l, bottom, m, top);
            } else {       // moving right
                f.copy(f.b, m, top, W, bottom, 0, top);
                f.copy(f.a, 0, top, m, bottom, l, top);
            }
        }
    } else if (angle == 90) {
        const int32_t l = truncToInt(static_cast<float>(H) * p), m = H - l;
        const float bw = static_cast<float>(W) / static_cast<float>(count);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t left = bandStart(bw, i), right = i + 1 == count ? W : bandStart(bw, i + 1);
            if (i & 1) {   // moving up
                f.copy(f.a, left, l, right, H, left, 0);
                f.copy(f.b, left, 0, right, l, left, m);
            } else {       // moving down
                f.copy(f.b, left, m, right, H, left, 0);
                f.copy(f.a, left, 0, right, m, left, l);
            }
        }
    } else if (angle > 0 && angle < 90) {
        const ObliqueBands bands(W, H, count, angle);
        const double wt = bands.span, q = p;
        const Rect clip{0, 0, W, H};
        for (int32_t i = 0; i < count; ++i) {
            // Destination and texture cuts of B, then of A.
            const double in0 = (i & 1) ? (1.0 - q) * wt : 0.0, in1 = (i & 1) ? wt : q * wt;
            const double out0 = (i & 1) ? 0.0 : q * wt, out1 = (i & 1) ? (1.0 - q) * wt : wt;
            const double cuts[2][4] = {{in0, in1, (i & 1) ? 0.0 : (1.0 - q) * wt, (i & 1) ? q * wt : wt},
                                       {out0, out1, (i & 1) ? q * wt : 0.0, (i & 1) ? wt : (1.0 - q) * wt}};
            const Pixel* pictures[2] = {f.b, f.a};
            for (int k = 0; k < 2; ++k) {
                float dp[4][2];
                int32_t tp[4][2];
                bands.corners(i, cuts[k][0], cuts[k][1], dp);
                bands.corners(i, cuts[k][2], cuts[k][3], tp);
                drawTexturedQuadB(f.canvas, dp[0], dp[1], dp[2], dp[3], pictures[k], tp[0], tp[1], tp[2], tp[3],
                                  clip, f.pitch, f.pitch);
            }
        }
    }
}

void renderPsLineCross(EffectParams* t) {
    const PushFrame f(t);
    if (f.w <= 0 || f.h <= 0) return;
    const int32_t W = f.w;
    const int32_t l = truncToInt(static_cast<float>(W) * t->progress);
    const int32_t h = truncToInt(static_cast<float>(W) * (1.0f - t->progress));
    for (int32_t y = 0; y < f.h; ++y) {
        if ((y & 1) == 0) {   // pushed right
            f.copy(f.b, W - l, y, W, y + 1, 0, y);
            f.copy(f.a, 0, y, W - l, y + 1, l, y);
        } else {              // pushed left
            f.copy(f.a, W - h, y, W, y + 1, 0, y);
            f.copy(f.b, 0, y, W - h, y + 1, h, y);
        }
    }
}
