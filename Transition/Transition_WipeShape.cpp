// Shutters, clock hands and random wipes. The clock hands and the random
// wipes keep a table in their scratch buffer for the whole transition.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Transition/Transition_Wipe.h"
#include "Transition/WipeShared.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"
#include "render/SeedFill.h"
#include "render/TrigTables.h"

using wipe::copySpan;

// ---- Shutters ---------------------------------------------------------------------------------

void renderWiShutter(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const bool in = direction == 0;
    const double p = t->progress;
    const int64_t W = f.w, H = f.h;
    const int64_t F = in ? truncToInt((1.0 - p) * f.h) : truncToInt(f.h * p);
    const int64_t E = in ? truncToInt((1.0 - p) * f.w) : truncToInt(p * f.w);
    const Pixel* blade = in ? f.outgoing : f.incoming;
    const Pixel* open = in ? f.incoming : f.outgoing;
    for (int64_t y = 0; y < H; ++y) {
        const ptrdiff_t row = f.at(0, static_cast<int32_t>(y));
        Pixel* d = f.canvas + row;
        for (int64_t x = 0; x < W; ++x) {
            const bool covered = y * W < x * F                        // top blade
                                 || x * F - F * W < y * W - H * W     // bottom blade
                                 || y * E - E * H < -x * H            // left blade
                                 || H * W - x * H < y * E;            // right blade
            d[x] = covered ? blade[row + x] : open[row + x];
        }
    }
}

void renderWiShutter2(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t cy = f.h / 2, cx = f.w / 2;
    const double R = std::sqrt(static_cast<double>(cy) * cy + static_cast<double>(cx) * cx);
    const bool in = direction == 0;
    const double s = in ? t->progress : 1.0 - t->progress;
    const uint16_t k = static_cast<uint16_t>(truncToInt(s * -65536.0));
    const int64_t c = CosineTable[k / 8], sn = SineTable[k / 8];
    const int64_t r = truncToInt(s * R), r2 = r * r;
    const Pixel* inside = in ? f.incoming : f.outgoing;
    const Pixel* outside = in ? f.outgoing : f.incoming;
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t dy = y - cy;
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t dx = x - cx;
            Pixel v = outside[row + x];
            if (dx * dx + dy * dy < r2) {
                const int64_t u = (dx * c + dy * sn) >> 15, w = (dy * c - dx * sn) >> 15;
                if (u >= -cx && u < cx && w >= -cy && w < cy) v = inside[f.at(static_cast<int32_t>(cx + u), static_cast<int32_t>(cy + w))];
            }
            d[x] = v;
        }
    }
}

// ---- Clock hands -------------------------------------------------------------------------------

namespace {

// The hand's angle of every pixel in 4096ths of a turn, built once per
// transition; null when the pool has no buffer (the frame is then skipped).
const int32_t* watchTable(EffectParams* t, const TransitionFrame& f, int32_t clockwise, int32_t startAngle) {
    bool fresh = false;
    int32_t* table = reinterpret_cast<int32_t*>(wipe::keptBuffer(t, wipe::frameTableBytes(f), &fresh));
    if (!table || !fresh) return table;
    const int64_t s = (static_cast<int64_t>(startAngle & 0xFFFFFF) * 4096) / 360;
    constexpr double kPerRadian = 651.8986287636712;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    // Every pixel gets its angle, also the last row and column of an odd size.
    for (int32_t y = 0; y < f.h; ++y) {
        const double dy = y - hh;
        int32_t* out = table + f.at(0, y);
        for (int32_t x = 0; x < f.w; ++x) {
            const double dx = x - hw;
            const double v = clockwise ? s + 2048 + std::atan2(dx, dy) * kPerRadian
                                       : s + 1024 + std::atan2(dy, dx) * kPerRadian;
            out[x] = truncToInt(v) & 4095;
        }
    }
    return table;
}

}  // namespace

void renderWiWatch(EffectParams* t, int32_t clockwise, int32_t startAngle) {
    const TransitionFrame f = frameOf(t);
    const int32_t* table = watchTable(t, f, clockwise, startAngle);
    if (!table || f.empty()) return;
    const int32_t m = truncToInt((1.0 - t->progress) * 4096);
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) d[x] = table[row + x] > m ? f.incoming[row + x] : f.outgoing[row + x];
    }
}

void renderWiFadeWatch(EffectParams* t, int32_t clockwise, int32_t startAngle) {
    const TransitionFrame f = frameOf(t);
    const int32_t* table = watchTable(t, f, clockwise, startAngle);
    if (!table || f.empty()) return;
    const int32_t h = truncToInt((1.0 - t->progress) * 4096);
    const uint32_t incomingShare = 256 - static_cast<uint32_t>(h >> 4);
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x)
            d[x] = table[row + x] > h ? blendPixel(f.outgoing[row + x], f.incoming[row + x], incomingShare)
                                      : f.outgoing[row + x];
    }
}

// ---- Random pieces -------------------------------------------------------------------------------

namespace {

// Weight 0..256 of the incoming picture per pixel, then the last fifth of the
// transition fades what is left of the outgoing picture out.
void composeWeighted(const TransitionFrame& f, const int32_t* weights, double p) {
    const int32_t fade = truncToInt(p * 1024) - 1024;
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t w = weights[row + x];
            uint32_t in = static_cast<uint32_t>(w);
            if (p > 0.8) in = 256 - static_cast<uint32_t>((int64_t{w - 256} * fade * 1278) >> 18);
            d[x] = blendPixel(f.outgoing[row + x], f.incoming[row + x], in);
        }
    }
}

void clearTable(int32_t* table, const TransitionFrame& f) {
    for (int32_t y = 0; y < f.h; ++y) std::memset(table + f.at(0, y), 0, static_cast<size_t>(f.w) * sizeof(int32_t));
}

void stampRow(int32_t* weights, const TransitionFrame& f, int32_t y, int32_t from, int32_t to) {
    if (y < 0 || y >= f.h) return;
    from = std::max(from, 0);
    to = std::min(to, f.w - 1);
    int32_t* row = weights + f.at(0, y);
    for (int32_t x = from; x <= to; ++x) row[x] = std::min(row[x] + 100, 256);
}

}  // namespace

void renderWiAlphaBlock(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    bool fresh = false;
    int32_t* weights = reinterpret_cast<int32_t*>(wipe::keptBuffer(t, wipe::frameTableBytes(f), &fresh));
    if (!weights || f.empty()) return;
    const double p = t->progress;
    if (fresh || p < 0.05) clearTable(weights, f);
    if (p < 0.05) return;
    // A transition time of 0 would make the shapes infinitely large.
    const float g = static_cast<float>((f.h + f.w) * 3) / static_cast<float>(std::max(t->duration, 1));
    const int32_t lo = truncToInt(g * 30 + 10), hi = truncToInt(g * 90 + 10);
    if (crtRand() % 2 == 0) {
        const int32_t d = randRange(lo, hi);
        const int32_t x = crtRand() % f.w;
        const int32_t y = crtRand() % f.h;
        for (int32_t j = -d; j <= d; ++j) {
            const int32_t k = truncToInt(std::sqrt(static_cast<double>(d) * d - static_cast<double>(j) * j));
            stampRow(weights, f, y + j, x - k, x + k);
        }
    } else {
        const int32_t a = randRange(lo, hi);
        const int32_t c = randRange(lo, hi);
        const int32_t x = crtRand() % f.w;
        const int32_t y = crtRand() % f.h;
        for (int32_t j = y - c; j <= y + c; ++j) stampRow(weights, f, j, x - a, x + a);
    }
    composeWeighted(f, weights, p);
}

void renderWiRandLine(EffectParams* t, int32_t vertical) {
    const TransitionFrame f = frameOf(t);
    const int32_t count = std::max(f.w, f.h);
    bool fresh = false;
    int32_t* thresholds =
        reinterpret_cast<int32_t*>(wipe::keptBuffer(t, int64_t{std::max(count, 0)} * 4, &fresh));
    if (!thresholds || f.empty()) return;
    if (fresh)
        for (int32_t i = 0; i < count; ++i) thresholds[i] = crtRand() & 1023;
    const int32_t T = truncToInt(t->progress * 1024.0);
    for (int32_t y = 0; y < f.h; ++y) {
        if (!vertical) {
            copySpan(f, y, thresholds[y] < T ? f.incoming : f.outgoing, 0, f.w);
            continue;
        }
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) d[x] = thresholds[x] < T ? f.incoming[row + x] : f.outgoing[row + x];
    }
}

int32_t pickEdgePoint(int32_t* x, int32_t* y, int32_t width, int32_t height) {
    const int32_t e = crtRand() % 4;
    switch (e) {
        case 0: *x = crtRand() % width; *y = 0; break;
        case 1: *x = crtRand() % width; *y = height; break;
        case 2: *x = 0; *y = crtRand() % height; break;
        default: *x = width; *y = crtRand() % height; break;
    }
    return e;
}

void renderWiRandLineCross(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    bool fresh = false;
    Pixel* marks = wipe::keptBuffer(t, wipe::frameTableBytes(f), &fresh);
    if (!marks || f.empty()) return;
    if (fresh) clearTable(reinterpret_cast<int32_t*>(marks), f);
    const int32_t n = truncToInt(t->duration * (static_cast<float>(f.w + f.h) / 1024.0f) * 0.006f);
    for (int32_t i = 0; i < n; ++i) {
        int32_t x0, y0, x1, y1;
        const int32_t first = pickEdgePoint(&x0, &y0, f.w, f.h);
        while (pickEdgePoint(&x1, &y1, f.w, f.h) == first) {
        }
        drawLineClipped(marks, x0, y0, x1, y1, 1, f.rect, f.pitch);
    }
    const double p = t->progress;
    const uint32_t g = p > 0.8 ? static_cast<uint32_t>(truncToInt((p - 0.8) * 1280)) : 0;
    for (int32_t y = 0; y < f.h; ++y) {
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x)
            d[x] = marks[row + x] ? f.incoming[row + x] : blendPixel(f.outgoing[row + x], f.incoming[row + x], g);
    }
}
