#include "render/Lines.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <vector>

#include "render/ChannelMath.h"
#include "render/PixelBuffer.h"

namespace {

using namespace channel_math;

inline Pixel* at(Pixel* dst, int32_t pitch, int64_t x, int64_t y) {
    return dst + static_cast<ptrdiff_t>(y * pitch + x);
}

// How a pixel takes the colour with weight w (edge) or fully (core).
struct BlendInk {
    static Pixel edge(Pixel p, Pixel c, uint32_t w) { return blendPixel(p, c, w); }
    static Pixel core(Pixel, Pixel c) { return c; }
};
struct AddInk {
    static Pixel edge(Pixel p, Pixel c, uint32_t w) { return addWeighted(p, c, w, 8); }
    static Pixel core(Pixel p, Pixel c) { return saturatingAdd(p, c); }
};
struct LightenInk {
    static Pixel edge(Pixel p, Pixel c, uint32_t w) {
        return rgb(std::max(red(p), (red(c) * w) >> 8), std::max(green(p), (green(c) * w) >> 8),
                   std::max(blue(p), (blue(c) * w) >> 8));
    }
    static Pixel core(Pixel p, Pixel c) {
        return rgb(std::max(red(p), red(c)), std::max(green(p), green(c)), std::max(blue(p), blue(c)));
    }
};

// The anti-aliased frame: walk the major axis with an 8-bit sub-pixel position on the
// minor axis; edge pixels c - a and c + b, core between them. step(i) moves one pixel
// along the minor axis.
template <class Ink>
void drawLineFamily(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0, int32_t x1,
                    int32_t y1, Pixel colour, int32_t thickness) {
    const int64_t t = std::max(thickness, 0);   // a negative thickness would reach past the clip
    const int64_t a = t / 2, b = (t + 1) / 2;
    const int64_t dx = static_cast<int64_t>(x1) - x0, dy = static_cast<int64_t>(y1) - y0;
    if (dx == 0 && dy == 0) return;
    const bool xMajor = std::llabs(dy) < std::llabs(dx);
    // Major coordinate u, minor coordinate v.
    int64_t u0 = xMajor ? x0 : y0, v0 = xMajor ? y0 : x0, u1 = xMajor ? x1 : y1;
    const int64_t du = xMajor ? dx : dy, dv = xMajor ? dy : dx;
    const int64_t uLo = xMajor ? clip.left : clip.top, uHi = xMajor ? clip.right : clip.bottom;
    const int64_t vLo = xMajor ? clip.top : clip.left, vHi = xMajor ? clip.bottom : clip.right;
    const int64_t slope = dv * 256 / du;
    if (u1 < u0) {
        std::swap(u0, u1);
        v0 = xMajor ? y1 : x1;
    }
    const int64_t first = std::max(u0, uLo + a + 1), last = std::min(u1, uHi - b - 1);
    const int64_t minorStep = xMajor ? pitch : 1, majorStep = xMajor ? 1 : pitch;
    int64_t p = v0 * 256 + (first - u0) * slope;
    for (int64_t u = first; u <= last; ++u, p += slope) {
        const int64_t c = p >> 8;
        const uint32_t f = static_cast<uint32_t>(p & 255);
        if (c < vLo + a + 1 || c >= vHi - b - 1) continue;
        Pixel* base = dst + static_cast<ptrdiff_t>(u * majorStep + c * minorStep);
        Pixel* upper = base - a * minorStep;
        *upper = Ink::edge(*upper, colour, 256 - f);
        for (int64_t k = -a + 1; k <= b - 1; ++k) base[k * minorStep] = Ink::core(base[k * minorStep], colour);
        Pixel* lower = base + b * minorStep;
        *lower = Ink::edge(*lower, colour, f);
    }
}

// Bresenham walk from (x0, y0) to (x1, y1), both ends included; visit(k, x, y).
template <class Visit>
void walkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, Visit visit) {
    const int64_t adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
    const int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    int64_t x = x0, y = y0;
    if (ady < adx) {
        int64_t err = 2 * ady - adx;
        for (int64_t k = 0; k <= adx; ++k) {
            visit(k, x, y);
            if (err >= 0) {
                y += sy;
                err += 2 * ady - 2 * adx;
            } else {
                err += 2 * ady;
            }
            x += sx;
        }
    } else {
        int64_t err = 2 * adx - ady;
        for (int64_t k = 0; k <= ady; ++k) {
            visit(k, x, y);
            if (err >= 0) {
                x += sx;
                err += 2 * adx - 2 * ady;
            } else {
                err += 2 * adx;
            }
            y += sy;
        }
    }
}

}  // namespace

void drawLineAA(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0, int32_t x1,
                int32_t y1, Pixel colour) {
    drawLineFamily<BlendInk>(dst, clip, pitch, x0, y0, x1, y1, colour, 1);
}

void drawThickLineAA(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                     int32_t x1, int32_t y1, Pixel colour, int32_t thickness) {
    drawLineFamily<BlendInk>(dst, clip, pitch, x0, y0, x1, y1, colour, thickness);
}

void drawAdditiveLine(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                      int32_t x1, int32_t y1, Pixel colour, int32_t thickness) {
    drawLineFamily<AddInk>(dst, clip, pitch, x0, y0, x1, y1, colour, thickness);
}

void drawThickLineLighten(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                          int32_t x1, int32_t y1, Pixel colour, int32_t thickness) {
    drawLineFamily<LightenInk>(dst, clip, pitch, x0, y0, x1, y1, colour, thickness);
}

void drawProfileLine(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0,
                     int32_t x1, int32_t y1, uint32_t colour, int32_t n) {
    const int64_t width = std::max<int64_t>(n, 0);
    // Entries beyond half the clip's larger side can never be drawn.
    const int64_t reach = std::max<int64_t>(static_cast<int64_t>(clip.right) - clip.left,
                                            static_cast<int64_t>(clip.bottom) - clip.top) / 2 + 1;
    const int64_t used = std::min(width, std::max<int64_t>(reach, 0));
    // Red and blue come exchanged: bits 0-7 are red.
    const int64_t chan[3] = {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};
    const int64_t m = 2048 / (width + 1), half = (width + 1) / 2;
    std::vector<Pixel> profile(static_cast<size_t>(used) + 1);
    for (int64_t k = 0; k <= used; ++k) {
        int64_t v[3];
        for (int i = 0; i < 3; ++i)
            v[i] = k < half ? 255 - (k * m * (255 - chan[i])) / 1024 : (chan[i] * m * (width - k)) / 1024;
        profile[static_cast<size_t>(k)] = rgb(clamp255(v[0]), clamp255(v[1]), clamp255(v[2]));
    }
    const bool xMajor = std::llabs(static_cast<int64_t>(y1) - y0) < std::llabs(static_cast<int64_t>(x1) - x0);
    walkLine(x0, y0, x1, y1, [&](int64_t, int64_t x, int64_t y) {
        // Along the minor axis: centre v, pairs v - k and v + k.
        const int64_t u = xMajor ? x : y, v = xMajor ? y : x;
        const int64_t uLo = xMajor ? clip.left : clip.top, uHi = xMajor ? clip.right : clip.bottom;
        const int64_t vLo = xMajor ? clip.top : clip.left, vHi = xMajor ? clip.bottom : clip.right;
        if (u < uLo || u >= uHi) return;
        const int64_t stride = xMajor ? pitch : 1;
        Pixel* centre = at(dst, pitch, x, y);
        if (v >= vLo && v < vHi) *centre = profile[0];
        const int64_t kMax = std::min({used, v - vLo, vHi - 1 - v});
        for (int64_t k = 1; k <= kMax; ++k) {
            centre[-k * stride] = profile[static_cast<size_t>(k)];
            centre[k * stride] = profile[static_cast<size_t>(k)];
        }
    });
}

void drawGradientLine(Pixel* dst, int32_t pitch, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                      Pixel startColour, Pixel endColour) {
    const int64_t steps = std::max(std::llabs(static_cast<int64_t>(x1) - x0),
                                   std::llabs(static_cast<int64_t>(y1) - y0));
    const int64_t u = steps == 0 ? -1 : 65536 / steps;
    const int64_t s[3] = {red(startColour), green(startColour), blue(startColour)};
    const int64_t d[3] = {static_cast<int64_t>(red(endColour)) - s[0],
                          static_cast<int64_t>(green(endColour)) - s[1],
                          static_cast<int64_t>(blue(endColour)) - s[2]};
    walkLine(x0, y0, x1, y1, [&](int64_t k, int64_t x, int64_t y) {
        Pixel c = startColour;
        if (k >= 1) {
            uint32_t v[3];
            for (int i = 0; i < 3; ++i) v[i] = static_cast<uint32_t>(s[i] + ((k - 1) * u * d[i]) / 65536) & 0xFF;
            c = rgb(v[0], v[1], v[2]);
        }
        *at(dst, pitch, x, y) = c;
    });
}

void drawLightRay(Pixel* dst, int32_t pitch, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  Pixel colour, int32_t width, int32_t height) {
    const int64_t steps = std::max(std::llabs(static_cast<int64_t>(x1) - x0),
                                   std::llabs(static_cast<int64_t>(y1) - y0));
    if (steps == 0) return;   // a ray of no length has nothing to fade over
    const int64_t u = 65536 / steps;
    const int64_t c[3] = {red(colour), green(colour), blue(colour)};
    walkLine(x0, y0, x1, y1, [&](int64_t step, int64_t x, int64_t y) {
        if (step == 0) return;   // the start point is not drawn
        if (x < 0 || x >= width || y < 0 || y >= height) return;
        const int64_t k = step - 1;
        Pixel add = rgb(static_cast<uint32_t>(c[0] - ((k * c[0] * u) >> 16)),
                        static_cast<uint32_t>(c[1] - ((k * c[1] * u) >> 16)),
                        static_cast<uint32_t>(c[2] - ((k * c[2] * u) >> 16)));
        Pixel* p = at(dst, pitch, x, y);
        *p = saturatingAdd(*p, add);
    });
}
