#include "CG/CGDraw.h"

#include <algorithm>
#include <cmath>

#include "render/Blits.h"
#include "render/PixelBuffer.h"

namespace {

inline int32_t half(int32_t v) { return v / 2; }

// Per-channel mix of four pixels with 4-bit fractions (weights sum to 256).
inline Pixel bilinear(Pixel p00, Pixel p10, Pixel p01, Pixel p11, int32_t fx, int32_t fy) {
    const uint32_t w00 = (16 - fx) * (16 - fy), w10 = fx * (16 - fy), w01 = (16 - fx) * fy, w11 = fx * fy;
    Pixel out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = ((p00 >> shift) & 0xFF) * w00 + ((p10 >> shift) & 0xFF) * w10 +
                           ((p01 >> shift) & 0xFF) * w01 + ((p11 >> shift) & 0xFF) * w11;
        out |= ((c >> 8) & 0xFF) << shift;
    }
    return out;
}

// dst x (256 - a) + src x a, per channel.
inline Pixel mixPixel(Pixel dst, Pixel src, int32_t a) {
    Pixel out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t c = (static_cast<int32_t>((dst >> shift) & 0xFF) * (256 - a) +
                           static_cast<int32_t>((src >> shift) & 0xFF) * a) >> 8;
        out |= static_cast<Pixel>(std::clamp(c, 0, 255)) << shift;
    }
    return out;
}

inline Pixel halfMix(Pixel a, Pixel b) { return ((a >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F); }

// The four bilinear neighbours of (sx, sy), the right and lower ones held inside
// the RECT so that a sample on its last column or row reads nothing beyond it.
struct Quad {
    Pixel p00, p10, p01, p11;
};
inline Quad neighbours(const Pixel* src, int32_t srcPitch, const Rect& r, int32_t sx, int32_t sy) {
    const int32_t x1 = std::min(sx + 1, r.right - 1), y1 = std::min(sy + 1, r.bottom - 1);
    const Pixel* a = src + static_cast<ptrdiff_t>(sy) * srcPitch;
    const Pixel* b = src + static_cast<ptrdiff_t>(y1) * srcPitch;
    return Quad{a[sx], a[x1], b[sx], b[x1]};
}

// Placement of a source RECT centred on (cx, cy): the frame part and the source
// offset of frame pixel (0, 0).
struct Placement {
    Rect v;
    int32_t ox, oy;   // source x = frame x + ox
};
bool placeCentered(Placement* p, int32_t cx, int32_t cy, const Rect& srcRect, int32_t frameW, int32_t frameH) {
    const int32_t w = srcRect.right - srcRect.left, h = srcRect.bottom - srcRect.top;
    if (w <= 0 || h <= 0 || !clipCenteredBox(&p->v, cx, cy, w, h, frameW, frameH)) return false;
    p->ox = srcRect.left - (cx - w / 2);
    p->oy = srcRect.top - (cy - h / 2);
    return true;
}

template <class Op>
void forPlacedPixels(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, int32_t frameW, int32_t frameH, Op op) {
    Placement p;
    if (!placeCentered(&p, cx, cy, srcRect, frameW, frameH)) return;
    for (int32_t y = p.v.top; y < p.v.bottom; ++y) {
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const Pixel* s = src + static_cast<ptrdiff_t>(y + p.oy) * srcPitch + p.ox;
        for (int32_t x = p.v.left; x < p.v.right; ++x)
            if (const Pixel v = s[x] & 0xFFFFFF) d[x] = op(d[x], v);
    }
}

}  // namespace

int32_t clipCenteredBox(Rect* out, int32_t x, int32_t y, int32_t w, int32_t h, int32_t frameW, int32_t frameH) {
    const int32_t left = x - half(w), right = x + half(w), top = y - half(h), bottom = y + half(h);
    if (left >= frameW || right < 0 || top >= frameH || bottom < 0) return 0;
    *out = Rect{std::max(0, left), std::max(0, top), std::min(frameW, right), std::min(frameH, bottom)};
    return 1;
}

void zoomTitleImage(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                    int32_t srcPitch, int32_t frameW, int32_t frameH, float sx, float sy) {
    const int32_t sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    const int32_t hx = static_cast<int32_t>(static_cast<float>(sw / 2) * sx);
    const int32_t hy = static_cast<int32_t>(static_cast<float>(sh / 2) * sy);
    if (hx <= 0 || hy <= 0) return;
    const int64_t stepX = static_cast<int64_t>(sw) * 65536 / (2 * hx), stepY = static_cast<int64_t>(sh) * 65536 / (2 * hy);
    const int32_t x0 = std::max(0, cx - hx), x1 = std::min(frameW, cx + hx);
    const int32_t y0 = std::max(0, cy - hy), y1 = std::min(frameH, cy + hy);
    int64_t accY = static_cast<int64_t>(y0 - (cy - hy)) * stepY;
    for (int32_t y = y0; y < y1; ++y, accY += stepY) {
        const int32_t sy0 = std::min<int32_t>(static_cast<int32_t>(accY >> 16), sh - 1);
        const Pixel* s = src + static_cast<ptrdiff_t>(srcRect.top + sy0) * srcPitch + srcRect.left;
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        int64_t accX = static_cast<int64_t>(x0 - (cx - hx)) * stepX;
        for (int32_t x = x0; x < x1; ++x, accX += stepX) {
            const Pixel v = s[std::min<int32_t>(static_cast<int32_t>(accX >> 16), sw - 1)];
            if (v) d[x] = v;
        }
    }
}

void stretchTitleImageAlpha(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect,
                            int32_t dstPitch, int32_t srcPitch, int32_t frameW, int32_t frameH, float sx, float sy,
                            float alpha) {
    const int32_t a = static_cast<int32_t>(alpha * 256);
    const int32_t sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    const int32_t hx = static_cast<int32_t>(static_cast<float>(sw / 2) * sx);
    const int32_t hy = static_cast<int32_t>(static_cast<float>(sh / 2) * sy);
    if (2 * hx <= 0 || 2 * hy <= 0 || sw <= 0 || sh <= 0) return;
    const int64_t stepX = static_cast<int64_t>(sw) * 32768 / (2 * hx), stepY = static_cast<int64_t>(sh) * 32768 / (2 * hy);
    const int32_t x0 = std::max(0, cx - hx), x1 = std::min(frameW - 1, cx + hx);
    const int32_t y0 = std::max(0, cy - hy), y1 = std::min(frameH - 1, cy + hy);
    for (int32_t y = y0; y < y1; ++y) {
        const int64_t py = ((y - (cy - hy)) * stepY) >> 11;   // 1/16 pixel
        const int32_t syi = srcRect.top + std::min<int32_t>(static_cast<int32_t>(py >> 4), sh - 1);
        const int32_t fy = static_cast<int32_t>(py & 15);
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        for (int32_t x = x0; x < x1; ++x) {
            const int64_t px = ((x - (cx - hx)) * stepX) >> 11;
            const int32_t sxi = srcRect.left + std::min<int32_t>(static_cast<int32_t>(px >> 4), sw - 1);
            const Quad q = neighbours(src, srcPitch, srcRect, sxi, syi);
            if (!(q.p00 | q.p10 | q.p01 | q.p11)) continue;
            d[x] = mixPixel(d[x], bilinear(q.p00, q.p10, q.p01, q.p11, static_cast<int32_t>(px & 15), fy), a);
        }
    }
}

void rotateTitleImageAlpha(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect,
                           int32_t dstPitch, int32_t srcPitch, int32_t frameW, int32_t frameH, float angle,
                           float scale, float alpha) {
    if (scale == 0.0f || !(std::fabs(scale) > 1e-6f)) return;
    const int32_t sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    if (sw <= 0 || sh <= 0) return;
    const int32_t a = static_cast<int32_t>(alpha * 256);
    const int64_t k = static_cast<int64_t>(32768.0 / scale);
    const int32_t R = static_cast<int32_t>(std::fabs(scale) * std::sqrt(float(sw) * sw + float(sh) * sh) / 2);
    const int32_t x0 = std::max(0, cx - R), x1 = std::min(frameW - 1, cx + R);
    const int32_t y0 = std::max(0, cy - R), y1 = std::min(frameH - 1, cy + R);
    const int64_t c = static_cast<int64_t>(std::cos(angle) * 32768), s = static_cast<int64_t>(std::sin(angle) * 32768);
    const int64_t cxs = (srcRect.left + srcRect.right) / 2, cys = (srcRect.top + srcRect.bottom) / 2;
    for (int32_t y = y0; y < y1; ++y) {
        const int64_t dy = ((y - cy) * k) >> 8;
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        for (int32_t x = x0; x < x1; ++x) {
            const int64_t dx = ((x - cx) * k) >> 8;
            const int64_t u = 16 * cxs + ((dy * s + dx * c) >> 18);
            const int64_t v = 16 * cys + ((dy * c - dx * s) >> 18);
            const int64_t sx = u >> 4, sy = v >> 4;
            if (sx < srcRect.left || sx >= srcRect.right || sy < srcRect.top || sy >= srcRect.bottom) continue;
            Quad q = neighbours(src, srcPitch, srcRect, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
            if (!(q.p00 | q.p10 | q.p01 | q.p11)) continue;
            const Pixel top = std::max({q.p00, q.p10, q.p01, q.p11});
            for (Pixel* p : {&q.p00, &q.p10, &q.p01, &q.p11})
                if (!*p) *p = top;
            d[x] = mixPixel(d[x], bilinear(q.p00, q.p10, q.p01, q.p11, static_cast<int32_t>(u & 15),
                                           static_cast<int32_t>(v & 15)), a);
        }
    }
}

namespace {

// The perspective turn about one axis, written for the X turn (rows follow the
// angle, columns the perspective); Y swaps the roles through `across`.
template <bool AboutY>
void rotateTitleImageAxis(Pixel* dst, const Pixel* src, int32_t dstPitch, int32_t srcPitch, const Rect& box,
                          const Rect& srcRect, int32_t frameW, int32_t frameH, float angle, float scale,
                          float perspective) {
    const float c = scale * std::cos(angle);
    if (scale == 0.0f || !(std::fabs(c) >= 1e-7f)) return;
    const int32_t sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    if (sw < 2 || sh < 2) return;
    const int64_t T = static_cast<int64_t>(std::tan(angle) * perspective * 32768.0);
    const int64_t F = static_cast<int64_t>(scale * 32768.0);
    // 32768 / c held to a range whose products stay well inside 64 bits.
    const int64_t inv = static_cast<int64_t>(std::clamp(32768.0 / c, -1e12, 1e12));
    const int32_t cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    // Along the turn (rows for X) the box; across it the box widened.
    const int32_t alongC = AboutY ? cx : cy, acrossC = AboutY ? cy : cx;
    const int32_t widen = static_cast<int32_t>((1.0f - std::fabs(c)) * static_cast<float>(alongC));
    const int32_t alongLen = AboutY ? frameW : frameH, acrossLen = AboutY ? frameH : frameW;
    const int32_t a0 = std::max(0, AboutY ? box.left : box.top), a1 = std::min(alongLen, AboutY ? box.right : box.bottom);
    const int32_t b0 = std::max(0, (AboutY ? box.top : box.left) - widen);
    const int32_t b1 = std::min(acrossLen, (AboutY ? box.bottom : box.right) + widen);
    const int32_t alongSrc = AboutY ? sw : sh, acrossSrc = AboutY ? sh : sw;
    for (int32_t i = a0; i < a1; ++i) {
        const int64_t along16 = 8 * static_cast<int64_t>(alongSrc) + (((i - alongC) * inv) >> 11);
        int64_t qq = F * ((((i - alongC) * T) >> 15) + 1024);
        const int64_t q = qq > 32767 ? qq >> 15 : 1;
        const int64_t step = 0x2000000 / q;
        const int64_t sa = along16 >> 4;
        if (sa < 0 || sa >= alongSrc - 1) continue;
        const int32_t fa = static_cast<int32_t>(along16 & 15);
        for (int32_t j = b0; j < b1; ++j) {
            const int64_t across16 = 8 * static_cast<int64_t>(acrossSrc) + (((j - acrossC) * step) >> 11);
            const int64_t sb = across16 >> 4;
            if (sb < 0 || sb >= acrossSrc - 1) continue;
            const int32_t fb = static_cast<int32_t>(across16 & 15);
            const int32_t sx = srcRect.left + static_cast<int32_t>(AboutY ? sa : sb);
            const int32_t sy = srcRect.top + static_cast<int32_t>(AboutY ? sb : sa);
            const Pixel* r0 = src + static_cast<ptrdiff_t>(sy) * srcPitch + sx;
            const Pixel* r1 = r0 + srcPitch;
            if (!(r0[0] | r0[1] | r1[0] | r1[1])) continue;
            const int32_t fx = AboutY ? fa : fb, fy = AboutY ? fb : fa;
            const int32_t x = AboutY ? i : j, y = AboutY ? j : i;
            dst[static_cast<ptrdiff_t>(y) * dstPitch + x] = bilinear(r0[0], r0[1], r1[0], r1[1], fx, fy);
        }
    }
}

}  // namespace

void rotateTitleImageX(Pixel* dst, const Pixel* src, int32_t dstPitch, int32_t srcPitch, const Rect& box,
                       const Rect& srcRect, int32_t frameW, int32_t frameH, float angle, float scale,
                       float perspective) {
    rotateTitleImageAxis<false>(dst, src, dstPitch, srcPitch, box, srcRect, frameW, frameH, angle, scale, perspective);
}

void rotateTitleImageY(Pixel* dst, const Pixel* src, int32_t dstPitch, int32_t srcPitch, const Rect& box,
                       const Rect& srcRect, int32_t frameW, int32_t frameH, float angle, float scale,
                       float perspective) {
    rotateTitleImageAxis<true>(dst, src, dstPitch, srcPitch, box, srcRect, frameW, frameH, angle, scale, perspective);
}

void tintRectHalf(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour) {
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = rect.left; x < rect.right; ++x) d[x] = halfMix(colour, d[x]);
    }
}

void tintRectBlend(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour, float factor) {
    const int32_t f = static_cast<int32_t>(factor * 256);
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = rect.left; x < rect.right; ++x) d[x] = mixPixel(colour, d[x], f);
    }
}

void tintRectGradient(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour, int32_t kind) {
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w < 4 || h < 4) return;
    // Colour weight of line i of n: kinds 0/1 fall from 256 to 0; kinds 2/3 rise
    // to 128 over the first quarter and fall back over the last.
    auto weight = [kind](int32_t i, int32_t n) -> int32_t {
        if (kind <= 1) return static_cast<int32_t>((int64_t{256} << 18) - i * ((int64_t{256} << 18) / n)) >> 18;
        const int32_t q = n / 4;
        const int64_t step = (int64_t{128} << 18) / q;
        if (i < q) return static_cast<int32_t>((i * step) >> 18);
        if (i >= n - q) return static_cast<int32_t>(((n - 1 - i) * step) >> 18);
        return -1;   // the middle: 128, or the halving mix across
    };
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
        Pixel* d = dst + static_cast<ptrdiff_t>(y) * pitch;
        const int32_t rowWeight = (kind == 1 || kind == 2) ? weight(y - rect.top, h) : 0;
        for (int32_t x = rect.left; x < rect.right; ++x) {
            int32_t wgt = (kind == 1 || kind == 2) ? rowWeight : weight(x - rect.left, w);
            if (wgt < 0) {
                if (kind == 3) {
                    d[x] = halfMix(colour, d[x]);
                    continue;
                }
                wgt = 128;
            }
            d[x] = mixPixel(d[x], colour, wgt);
        }
    }
}

void blendTitleHalf(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                    int32_t srcPitch, int32_t frameW, int32_t frameH) {
    forPlacedPixels(dst, src, cx, cy, srcRect, dstPitch, srcPitch, frameW, frameH,
                    [](Pixel d, Pixel s) { return halfMix(d, s); });
}

void blendTitleAlpha(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                     int32_t srcPitch, int32_t frameW, int32_t frameH, float alpha) {
    const int32_t a = static_cast<int32_t>(alpha * 256);
    forPlacedPixels(dst, src, cx, cy, srcRect, dstPitch, srcPitch, frameW, frameH,
                    [a](Pixel d, Pixel s) { return mixPixel(d, s, a); });
}

void addTitleImage(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect, int32_t dstPitch,
                   int32_t srcPitch, int32_t frameW, int32_t frameH) {
    forPlacedPixels(dst, src, cx, cy, srcRect, dstPitch, srcPitch, frameW, frameH,
                    [](Pixel d, Pixel s) { return saturatingAdd(d, s); });
}

void copyCenteredBox(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& box, int32_t dstPitch,
                     int32_t srcPitch, int32_t width, int32_t height) {
    const int32_t hw = (box.right - box.left) >> 1, hh = (box.bottom - box.top) >> 1;
    const int32_t left = cx - hw, top = cy - hh;
    const int32_t x0 = std::max(0, left), x1 = std::min(width, cx + hw);
    const int32_t y0 = std::max(0, top), y1 = std::min(height, cy + hh);
    if (x0 >= x1) return;
    for (int32_t y = y0; y < y1; ++y)
        std::copy_n(src + static_cast<ptrdiff_t>(y - top) * srcPitch + (x0 - left), x1 - x0,
                    dst + static_cast<ptrdiff_t>(y) * dstPitch + x0);
}

bool titleView(const EffectParams* params, TitleView* v) {
    const TitleFields& t = params->state.title;
    v->image = t.titlePixels;
    v->iw = t.titleSize >> 16;
    v->ih = t.titleSize & 0xFFFF;
    v->cx = t.titleCenter.x;
    v->cy = t.titleCenter.y;
    v->L = v->cx - (v->iw >> 1);
    v->Rt = v->cx + (v->iw >> 1);
    v->T = v->cy - v->ih / 2;
    v->B = v->cy + v->ih / 2;
    v->dst = params->destination;
    v->pitch = params->pitch;
    v->W = params->width;
    v->H = params->height;
    return v->image && v->dst && v->iw > 0 && v->ih > 0 && v->W > 0 && v->H > 0;
}

double titleElapsed(const EffectParams* params) {
    return static_cast<double>(static_cast<uint32_t>(params->duration)) * static_cast<double>(params->progress);
}

void drawTitleNone(EffectParams* params) {
    TitleView v;
    if (!titleView(params, &v)) return;
    blitKeyedCentered(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
}

Pixel* titleWorkBuffer(EffectParams* params) {
    if (params->firstFrame) {
        params->buffers[0] = params->acquireBuffer ? params->acquireBuffer(&params->slots[0]) : nullptr;
    }
    if (params->buffers[0] && params->keepBuffer) params->keepBuffer(params->slots[0]);
    return params->buffers[0];
}
