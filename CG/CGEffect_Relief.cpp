// The title as glass that bends and lights the frame behind it, lights chasing
// round the letter outlines, and glowing streaks blown off the letters.
#include <algorithm>

#include "CG/CGDraw.h"
#include "CG/CGEffect_Pre.h"
#include "CG/CGEffects.h"
#include "render/PixelBuffer.h"
#include "CG/TitleStyles.h"
#include "render/CrtRandom.h"
#include "render/MaskRelief.h"

namespace {

inline Pixel average(Pixel a, Pixel b) { return ((a >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F); }

// Outline store: 16-bit words; lengths first, then 2,048 points an outline.
constexpr int32_t kOutlineLengths = 2048;
constexpr int32_t kOutlineFirstWord = 8192;
constexpr int32_t kOutlineWords = 4096;
constexpr int32_t kOutlinePoints = kOutlineWords / 2;
constexpr int32_t kOutlineCapacity = (kScratchPixels * 2 - kOutlineFirstWord) / kOutlineWords;

constexpr int32_t kNeighbourX[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
constexpr int32_t kNeighbourY[8] = {-1, -1, -1, 0, 0, 1, 1, 1};

// Marks every lit pixel with a background neighbour (or on the image's edge) as outline.
void markOutline(Pixel* image, int32_t iw, int32_t ih) {
    for (int32_t y = 0; y < ih; ++y)
        for (int32_t x = 0; x < iw; ++x) {
            Pixel& p = image[static_cast<ptrdiff_t>(y) * iw + x];
            if (!p || p == kOutlineMarker) continue;
            for (int i = 0; i < 8; ++i) {
                const int32_t nx = x + kNeighbourX[i], ny = y + kNeighbourY[i];
                if (nx < 0 || ny < 0 || nx >= iw || ny >= ih || !image[static_cast<ptrdiff_t>(ny) * iw + nx]) {
                    p = kOutlineMarker;
                    break;
                }
            }
        }
}

void traceOutlines(Pixel* image, int32_t iw, int32_t ih, uint16_t* store, Pixel colour, int32_t* outlineCount) {
    // Recolouring to the marker itself would never end a trace.
    if (colour == kOutlineMarker) colour = kOutlineMarker + 0x010101;
    uint16_t* lengths = store;
    // Without a pool buffer the outlines are still traced (and recoloured), only not stored.
    if (lengths) std::fill(lengths, lengths + kOutlineLengths, 0);
    *outlineCount = 0;
    for (int32_t y = 0; y < ih; ++y)
        for (int32_t x = 0; x < iw; ++x) {
            Pixel& start = image[static_cast<ptrdiff_t>(y) * iw + x];
            if (start != kOutlineMarker) continue;
            const int32_t c = *outlineCount;
            const bool stored = store && c < std::min(kOutlineCapacity, kOutlineLengths);
            uint16_t* points = stored ? store + kOutlineFirstWord + static_cast<ptrdiff_t>(kOutlineWords) * c : nullptr;
            int32_t n = 0;
            auto record = [&](TitlePoint p) {
                if (points && n < kOutlinePoints) {
                    points[2 * n] = static_cast<uint16_t>(p.x);
                    points[2 * n + 1] = static_cast<uint16_t>(p.y);
                }
            };
            start = colour;
            TitlePoint current{x, y}, previous = current, next;
            record(current);
            n = 1;
            bool first = true;
            while (findNextOutlinePixel(image, iw, ih, kOutlineMarker, previous, current, &next)) {
                image[static_cast<ptrdiff_t>(next.y) * iw + next.x] = colour;
                if (first) {
                    n = 0;   // the first point found takes the start's place
                    first = false;
                }
                record(next);
                ++n;
                previous = current;
                current = next;
            }
            if (stored) {
                lengths[c] = static_cast<uint16_t>(std::min(n, kOutlinePoints));
                *outlineCount = c + 1;
            }
        }
}

}  // namespace

int32_t findNextOutlinePixel(const Pixel* pixels, int32_t rowLength, int32_t height, Pixel marker,
                             TitlePoint previous, TitlePoint current, TitlePoint* next) {
    for (int i = 0; i < 8; ++i) {
        const TitlePoint p{current.x + kNeighbourX[i], current.y + kNeighbourY[i]};
        if (p.x < 0 || p.y < 0 || p.x >= rowLength || p.y >= height) continue;
        if (p.x == previous.x && p.y == previous.y) continue;
        if (pixels[static_cast<ptrdiff_t>(p.y) * rowLength + p.x] == marker) {
            *next = p;
            return 1;
        }
    }
    return 0;
}

void drawTitleWind(EffectParams* params, int32_t direction, int32_t gate) {
    Pixel* buffer = titleWorkBuffer(params);
    TitleView v;
    Rect vis;
    if (!buffer || gate <= 0 || !titleView(params, &v) || !v.visible(&vis)) return;
    // The trail plane is laid out like the frame after the two tables.
    if (static_cast<int64_t>(v.pitch) * v.H + 1024 > kScratchPixels) return;
    const int32_t h = v.cx - (v.iw >> 1), top = v.cy - (v.ih >> 1);
    const int32_t y0 = std::max(top, vis.top) + 1, y1 = std::min(vis.bottom, v.cy + (v.ih >> 1)) - 1;
    const int32_t a = std::max(h, vis.left) + 1, b = std::min(vis.right, v.cx + (v.iw >> 1)) - 1;
    if (params->clearBuffer) params->clearBuffer(buffer);
    int32_t* offset = reinterpret_cast<int32_t*>(buffer);
    int32_t* gates = offset + 512;
    for (int i = 0; i < 512; ++i) {
        offset[i] = crtRand() % 3 - 1;
        gates[i] = crtRand() % gate;
    }
    Pixel* trail = buffer + 1024;
    uint32_t k = 0;
    auto pixel = [&](int32_t x, int32_t y, int32_t sx, int32_t back) {
        const ptrdiff_t at = static_cast<ptrdiff_t>(y) * v.pitch + x;
        const Pixel t = sx < v.iw ? v.row(y - top)[sx] : 0;
        if (t) {
            v.dst[at] = t;
            trail[at] = t;
            return;
        }
        k += static_cast<uint32_t>(x);
        if (!gates[k % 512]) return;
        const int32_t d = offset[k % 512];
        const Pixel value = average(trail[at + back - static_cast<ptrdiff_t>(d) * v.pitch],
                                    trail[at + back + static_cast<ptrdiff_t>(d) * v.pitch]);
        trail[at] = value;
        v.dst[at] = saturatingAdd(v.dst[at], value);
    };
    if (direction == 0) {
        for (int32_t x = a, end = std::min(b + 100, v.W - 1); x < end; ++x)
            for (int32_t y = y0; y < y1; ++y) pixel(x, y, std::min(v.iw, x - h), -1);
    } else {
        for (int32_t x = b - 1, end = std::max(a - 100, 1); x >= end; --x)
            for (int32_t y = y0; y < y1; ++y) pixel(x, y, std::max(0, x - h), 1);
    }
}

void drawTitleDest3D(EffectParams* params, int32_t kind, int32_t tinted) {
    TitleView v;
    if (!titleView(params, &v)) return;
    if (params->firstFrame)
        renderTitleRelief(v.image, v.imageRect(), v.iw, 1.0f, titleFontSizeInUse(params) / 16, kind);
    Rect vis;
    if (!v.visible(&vis)) return;
    const Pixel colour = colorRefToPixel(params->state.title.titleColor);
    const int32_t y1 = std::min(vis.bottom, v.cy + v.ih / 2), x0 = std::max(vis.left, v.L), x1 = std::min(vis.right, v.Rt);
    for (int32_t y = std::max(vis.top, v.T); y < y1; ++y) {
        const Pixel* relief = v.row(y - v.T) - v.L;
        Pixel* d = v.frameRow(y);
        for (int32_t x = x0; x < x1; ++x) {
            const Pixel w = relief[x];
            if (!w) continue;
            const int32_t lx = x + static_cast<int32_t>(w >> 28), ly = y + static_cast<int32_t>((w >> 20) & 15);
            if (!(vis.left < lx && lx < vis.right && vis.top <= ly && ly < vis.bottom)) continue;
            const Pixel m = v.frameRow(ly)[lx];
            const int32_t light = (w >> 8) & 255, gain = w & 255;
            Pixel out = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                int32_t n = light + static_cast<int32_t>((m >> shift) & 0xFF) * gain / 256;
                if (tinted) {
                    const int32_t sum = n + static_cast<int32_t>((colour >> shift) & 0xFF);
                    n = sum < 512 ? sum / 2 : 255;
                }
                out |= static_cast<Pixel>(std::min(n, 255)) << shift;
            }
            d[x] = out;
        }
    }
}

void drawTitleCircularLight(EffectParams* params, int32_t drawTitle, int32_t largeDots, int32_t doubledColour) {
    TitleView v;
    const bool haveTitle = titleView(params, &v);
    TitleFields& t = params->state.title;
    int32_t& outlineCount = t.titleEffectWords[0];
    const Pixel tc = colorRefToPixel(t.titleColor);
    uint16_t* store = reinterpret_cast<uint16_t*>(titleWorkBuffer(params));
    if (params->firstFrame) {
        outlineCount = 0;
        if (haveTitle) {
            markOutline(v.image, v.iw, v.ih);
            traceOutlines(v.image, v.iw, v.ih, store, tc, &outlineCount);
        }
    }
    Rect vis;
    if (!haveTitle || !v.visible(&vis)) return;
    Pixel light = static_cast<Pixel>(t.titleColor) & 0xFFFFFF;
    if (doubledColour) {
        light = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const Pixel c = (tc >> shift) & 0xFF;
            light |= (c >= 128 ? 255 : c * 2) << shift;
        }
    }
    if (drawTitle) {
        const int32_t y1 = std::min(vis.bottom, v.B), x0 = std::max(vis.left, v.L), x1 = std::min(vis.right, v.Rt);
        for (int32_t y = std::max(vis.top, v.T); y < y1; ++y) {
            const Pixel* s = v.row(y - v.T) - v.L;
            Pixel* d = v.frameRow(y);
            for (int32_t x = x0; x < x1; ++x)
                if (s[x]) d[x] = s[x];
        }
    }
    if (!store) return;
    const int32_t L = v.cx - (v.iw >> 1), T = v.cy - (v.ih >> 1);
    const uint32_t phase = static_cast<uint32_t>(params->frameCounter);
    const int32_t count = std::clamp(outlineCount, 0, std::min(kOutlineCapacity, kOutlineLengths));
    for (int32_t c = 0; c < count; ++c) {
        const uint32_t n = store[c];
        if (n <= 8) continue;
        const uint16_t* points = store + kOutlineFirstWord + static_cast<ptrdiff_t>(kOutlineWords) * c;
        for (uint32_t k = 0; k < n / 2; ++k) {
            const uint32_t i = (k + phase) % n;
            const int32_t x = L + points[2 * i], y = T + points[2 * i + 1];
            if (!(0 < x && x < v.W - 1 && 0 < y && y < v.H - 1)) continue;
            Pixel* p = v.frameRow(y) + x;
            *p = light;
            if (largeDots) {
                p[-1] = p[1] = light;
                p[-v.pitch] = p[v.pitch] = light;
            }
        }
    }
    params->frameCounter = static_cast<int32_t>(phase + static_cast<uint32_t>((v.W + v.H) * 12 / 1024));
}
