// Flames along the letter edges, the title revealed in stripes behind passing
// light streaks, and the title on a plate, in a halo or hollowed out.
#include <algorithm>
#include <cmath>

#include "CG/CGDraw.h"
#include "CG/CGEffect_Pre.h"
#include "CG/CGEffects.h"
#include "CG/TitleStyles.h"
#include "engine/CrashLog.h"
#include "render/Blits.h"
#include "render/CrtRandom.h"
#include "render/Fills.h"
#include "render/MaskRelief.h"
#include "render/PixelBuffer.h"

namespace {

constexpr int32_t kFlameWidth = 30, kFlameHeight = 110, kFlamesPerRow = 11, kFlameCount = 33;

inline bool lit(Pixel p) { return (p & 0xFFFFFF) != 0; }

// A passing streak; 1000 of them after six leading words of the work buffer.
struct PassLineRecord {
    float speed;        // pixels per frame
    int32_t length;
    int32_t thickness;
    int32_t kind;       // 0 down, 1 up, 2 right, 3 left
    int32_t step;
    Pixel colour;
    int32_t headX, headY, tailX, tailY;
    int32_t active;
};
static_assert(sizeof(PassLineRecord) == 11 * 4);
constexpr int32_t kPassLineRecords = 1000;
constexpr int32_t kPassLineLead = 6;

PassLineRecord* passLineRecords(Pixel* buffer) { return reinterpret_cast<PassLineRecord*>(buffer + kPassLineLead); }

// Adds the streak from tail to head along one axis: two-thirds of the colour
// rising from nothing at the tail over two-thirds of the run; the head third
// adds nothing.
void sweepTitleLine(const TitleView& v, const PassLineRecord& r, int32_t ox, int32_t oy) {
    const bool vertical = r.kind < 2;
    const int32_t tail = vertical ? r.tailY + oy : r.tailX + ox, head = vertical ? r.headY + oy : r.headX + ox;
    const int32_t across = vertical ? r.headX + ox : r.headY + oy;
    const int32_t run = std::abs(head - tail), dir = head >= tail ? 1 : -1;
    const int32_t lit = run * 2 / 3;
    if (lit <= 0) return;
    const int32_t limit = vertical ? v.H : v.W, acrossLimit = vertical ? v.W : v.H;
    const Pixel c = r.colour;
    const int32_t cr = ((c >> 16) & 0xFF) * 2 / 3, cg = ((c >> 8) & 0xFF) * 2 / 3, cb = (c & 0xFF) * 2 / 3;
    // Only the steps of the lit part that fall on the frame.
    int32_t i0 = 0, i1 = lit;
    if (dir > 0) {
        i0 = std::max(i0, -tail);
        i1 = std::min(i1, limit - tail);
    } else {
        i0 = std::max(i0, tail - (limit - 1));
        i1 = std::min(i1, tail + 1);
    }
    for (int32_t i = i0; i < i1; ++i) {
        const int32_t ramp = static_cast<int32_t>(static_cast<int64_t>(i) * 4096 / lit);
        const Pixel add = static_cast<Pixel>(((cr * ramp) >> 12) << 16 | ((cg * ramp) >> 12) << 8 | ((cb * ramp) >> 12));
        const int32_t along = tail + dir * i;
        for (int32_t t = 0; t < r.thickness; ++t) {
            const int32_t a = across + t;
            if (a < 0 || a >= acrossLimit) continue;
            Pixel* p = vertical ? v.frameRow(along) + a : v.frameRow(a) + along;
            *p = saturatingAdd(*p, add);
        }
    }
}

// Top bytes of the background pixels: 255 at a glyph, fading to 0 about seven pixels out.
void markHalo(Pixel* image, int32_t iw, int32_t ih) {
    for (int32_t y = 0; y < ih; ++y)
        for (int32_t x = 0; x < iw; ++x) {
            Pixel& p = image[static_cast<ptrdiff_t>(y) * iw + x];
            if (lit(p)) continue;
            int32_t d2 = 255;
            for (int32_t n = 0; n <= 8; ++n) {
                int32_t found = kNoPixelFound;
                findNearestPixelClipped(image, iw, ih, x, y, n, &found);
                if (found != kNoPixelFound) {
                    d2 = found;
                    break;
                }
            }
            const int32_t g = std::min(255, static_cast<int32_t>(36 * std::sqrt(static_cast<double>(d2))));
            p = (p & 0xFFFFFF) | static_cast<Pixel>(255 - g) << 24;
        }
}

template <class Halo>
void drawHaloed(EffectParams* params, Halo halo) {
    TitleView v;
    if (!titleView(params, &v)) return;
    if (params->firstFrame) markHalo(v.image, v.iw, v.ih);
    Rect vis;
    if (!v.visible(&vis)) return;
    for (int32_t y = vis.top; y < vis.bottom; ++y) {
        const Pixel* s = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = vis.left; x < vis.right; ++x) {
            const Pixel p = s[x];
            if (lit(p))
                d[x] = p & 0xFFFFFF;
            else if (const int32_t h = static_cast<int32_t>(p >> 24))
                d[x] = halo(d[x], h);
        }
    }
}

}  // namespace

Pixel recolourFlame(Pixel p, int32_t kind) {
    const Pixel r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    Pixel c[3];
    switch (kind) {
        case 1: c[0] = b, c[1] = g, c[2] = r; break;
        case 2: c[0] = g, c[1] = r, c[2] = b; break;
        case 3: c[0] = g, c[1] = b, c[2] = r; break;
        case 4: c[0] = r, c[1] = b, c[2] = g; break;
        case 5: c[0] = b, c[1] = r, c[2] = g; break;
        default: c[0] = r, c[1] = g, c[2] = b; break;
    }
    return (c[0] >> 1) << 16 | (c[1] >> 1) << 8 | (c[2] >> 1);
}

void drawTitleFire(EffectParams* params, int32_t kind, int32_t spacing) {
    Pixel* sheet = titleWorkBuffer(params);
    if (params->firstFrame && sheet) {
        if (!loadBitmapResource(sheet, "RedFires33.bmp", kFireBitmapWidth, kFireBitmapHeight))
            logNoticeOnce(kFireMissingNotice);
        for (int32_t i = 0; i < kFireBitmapWidth * kFireBitmapHeight; ++i) sheet[i] = recolourFlame(sheet[i], kind);
    }
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const int32_t k = ++params->frameCounter;
    const int32_t fontSize = titleFontSizeInUse(params);
    const int32_t hw = fontSize / 128 + 4, fh = fontSize / 8;
    spacing = std::clamp(spacing, 1, 32);
    int32_t count = 0;
    for (int32_t y = vis.top + 1; y < vis.bottom - 1; ++y) {
        const Pixel* s = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = vis.left + 1; x < vis.right - 1; ++x) {
            const Pixel p = s[x];
            if (!p) continue;
            d[x] = p;
            if (++count < spacing) continue;
            const bool edge = !s[x - 1] || !s[x + 1] || !s[x - v.iw] || !s[x + v.iw];
            if (!edge || !sheet) continue;
            count = 0;
            const int32_t f = static_cast<int32_t>((static_cast<uint32_t>(k) + y + x) % kFlameCount);
            const Rect flame{kFlameWidth * (f % kFlamesPerRow), 120 * (f / kFlamesPerRow),
                             kFlameWidth * (f % kFlamesPerRow) + kFlameWidth, 120 * (f / kFlamesPerRow) + kFlameHeight};
            const double height = 0.5 * std::cos(0.021 * x - y - 0.03 * k) + 0.4 * std::sin(0.031 * (k + y + x)) + 1;
            const Rect to{std::max(0, x - hw), std::max(0, y - static_cast<int32_t>(height * fh)),
                          std::min(v.W, x + hw), std::min(v.H, y + 2)};
            if (to.left < to.right && to.top < to.bottom)
                stretchRectAdd(v.dst, sheet, to, flame, v.pitch, kFireBitmapWidth);
        }
    }
}

void drawTitlePassLine(EffectParams* params, int32_t timeMs) {
    if (params->firstFrame) params->frameCounter = 0;
    Pixel* buffer = titleWorkBuffer(params);
    if (params->firstFrame && buffer && params->clearBuffer) params->clearBuffer(buffer);
    TitleView v;
    if (!titleView(params, &v)) return;
    const int32_t a = std::min(timeMs, params->duration / 2);
    const double e = titleElapsed(params);
    const double u = (v.W + v.H) * 0.00089285715;
    const int32_t length = static_cast<int32_t>(1000 * u);
    const float speed = static_cast<float>(60 * u);
    const Pixel colour = colorRefToPixel(params->state.title.titleColor);
    PassLineRecord* records = buffer ? passLineRecords(buffer) : nullptr;
    if (records && e < a) {
        int32_t started = 0;
        for (int32_t i = 0; i < kPassLineRecords && started < 2; ++i) {
            PassLineRecord& r = records[i];
            if (r.active) continue;
            ++started;
            r = PassLineRecord{};
            r.kind = crtRand() % 4;
            r.colour = colour;
            r.thickness = 2;
            r.length = length;
            r.active = 1;
            switch (r.kind) {
                case 0: r.speed = speed; r.headX = r.tailX = crtRand() % v.iw; r.headY = 0; r.tailY = -length; break;
                case 1: r.speed = -speed; r.headX = r.tailX = crtRand() % v.iw; r.headY = v.H; r.tailY = v.H + length; break;
                case 2: r.speed = speed; r.headY = r.tailY = crtRand() % v.ih; r.headX = 0; r.tailX = -length; break;
                default: r.speed = -speed; r.headY = r.tailY = crtRand() % v.ih; r.headX = v.W; r.tailX = v.W + length; break;
            }
        }
    }
    if (records)
        for (int32_t i = 0; i < kPassLineRecords; ++i) {
            PassLineRecord& r = records[i];
            if (!r.active) continue;
            const int32_t s = static_cast<int32_t>(static_cast<float>(r.step) * r.speed);
            switch (r.kind) {
                case 0: r.headY = s; r.tailY = r.headY - r.length; break;
                case 1: r.headY = s + v.H; r.tailY = r.headY + r.length; break;
                case 2: r.headX = s; r.tailX = r.headX - r.length; break;
                default: r.headX = s + v.W; r.tailX = r.headX + r.length; break;
            }
            ++r.step;
        }
    // The reveal: stripes from the top during the first half of a, then the gaps fill from the left.
    Rect vis;
    const int32_t h = a / 2;
    if (h > 0 && v.visible(&vis)) {
        const int32_t shown = static_cast<int32_t>(std::min<double>(v.ih, v.ih * e / h));
        const int32_t fill = e > h ? static_cast<int32_t>(std::min<double>(v.iw, v.iw * (e - h) / h)) : 0;
        const TitleCharLayout* chars = params->state.title.titleCharRects;
        const int32_t c = chars && chars->rects && chars->count > 0 ? chars->rects[0].bottom - chars->rects[0].top : 0;
        const int32_t period = c / 16, band = c / 32;
        for (int32_t y = vis.top; y < std::min(vis.bottom, v.T + shown); ++y) {
            // Character boxes under 16 pixels give no band period: every row is a full band.
            const bool full = period <= 0 || y % period < band;
            const int32_t right = full ? vis.right : std::min(vis.right, v.L + fill);
            const Pixel* s = v.row(y - v.T) - v.L;
            Pixel* d = v.frameRow(y);
            for (int32_t x = vis.left; x < right; ++x)
                if (s[x]) d[x] = s[x];
        }
    }
    if (records)
        for (int32_t i = 0; i < kPassLineRecords; ++i)
            if (records[i].active) sweepTitleLine(v, records[i], v.L, v.T);
}

void drawTitleFrameAlpha(EffectParams* params, Pixel colour, float alpha, int32_t kind) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    if (kind == 0) {
        if (alpha == 0.5f)
            tintRectHalf(v.dst, vis, v.pitch, colour);
        else
            tintRectBlend(v.dst, vis, v.pitch, colour, alpha);
    } else {
        tintRectGradient(v.dst, vis, v.pitch, colour, kind - 1);
    }
    blitKeyedCentered(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
}

void drawTitleFrameNoSrc(EffectParams* params) {
    TitleView v;
    Rect vis;
    if (!titleView(params, &v) || !v.visible(&vis)) return;
    const Pixel plate = ((colorRefToPixel(params->state.title.titleColor) >> 2) & 0x3F3F3F) * 3;
    for (int32_t y = vis.top; y < vis.bottom; ++y) {
        const Pixel* s = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = vis.left; x < vis.right; ++x)
            if (!s[x]) d[x] = plate + ((d[x] >> 2) & 0x3F3F3F);
    }
}

void drawTitleFrameBlur(EffectParams* params, Pixel glow) {
    drawHaloed(params, [glow](Pixel d, int32_t h) {
        Pixel out = 0;
        for (int shift = 0; shift < 24; shift += 8)
            out |= ((((d >> shift) & 0xFF) * (255 - h) + ((glow >> shift) & 0xFF) * h) >> 8) << shift;
        return out;
    });
}

void drawTitleFrameLight(EffectParams* params) {
    const Pixel colour = colorRefToPixel(params->state.title.titleColor);
    drawHaloed(params, [colour](Pixel d, int32_t h) {
        Pixel add = 0;
        for (int shift = 0; shift < 24; shift += 8) add |= ((((colour >> shift) & 0xFF) * h) >> 8) << shift;
        return saturatingAdd(d, add);
    });
}

void drawTitleFrameKorea(EffectParams* params) {
    TitleView v;
    if (!titleView(params, &v)) return;
    if (params->firstFrame) {
        const int32_t count = v.iw * v.ih, rings = std::max(v.iw, v.ih);
        for (int32_t i = 0; i < count; ++i) {
            Pixel& p = v.image[i];
            if (!p) continue;
            int32_t d2 = kNoPixelFound;
            for (int32_t n = 0; n <= rings && findNearestPixel(v.image, count, i, v.iw, n, &d2); ++n) {
            }
            if (d2 == kNoPixelFound) d2 = rings * rings;
            const int32_t m = std::min(255, static_cast<int32_t>(40 * std::sqrt(static_cast<double>(d2))));
            p = (p & 0xFFFFFF) | static_cast<Pixel>(m) << 24;
        }
    }
    Rect vis;
    if (!v.visible(&vis)) return;
    const Pixel colour = colorRefToPixel(params->state.title.titleColor);
    for (int32_t y = vis.top; y < vis.bottom; ++y) {
        const Pixel* s = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = vis.left; x < vis.right; ++x) {
            const Pixel m = s[x] >> 24;
            if (!m) continue;
            Pixel out = 0;
            for (int shift = 0; shift < 24; shift += 8)
                out |= ((((colour >> shift) & 0xFF) * (256 - m) + ((d[x] >> shift) & 0xFF) * m) >> 8) << shift;
            d[x] = out;
        }
    }
}
