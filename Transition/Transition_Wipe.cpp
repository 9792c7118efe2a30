// Wipes whose edge is a straight line, a corner, an arc, circles, diamonds or a
// turning triangle. Every worker here is a function of the progress alone.
#include "Transition/Transition_Wipe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "Transition/WipeShared.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshGrid.h"
#include "render/PixelBuffer.h"

using wipe::copySpan;
using wipe::splitRow;

namespace {

constexpr float kDegree = 0.017453292f;
constexpr float kSizeUnit = 0.00089285715f;   // 1 / 1120: sizes scale with (W + H) / 1120

// The largest n >= 0 with n^2 < limit, or -1 when no n fits (limit <= 0).
int32_t halfSpanBelow(int64_t limit) {
    if (limit <= 0) return -1;
    int64_t n = static_cast<int64_t>(std::sqrt(static_cast<double>(limit)));
    while (n * n >= limit) --n;
    while ((n + 1) * (n + 1) < limit) ++n;
    return static_cast<int32_t>(n);
}

// Row y of the W x H area (or of one cell: columns [x0, x1)): the columns whose
// squared distance from (cx, cy) is below r2 from `inside`, the others from `outside`.
void discRow(const TransitionFrame& f, int32_t y, int32_t x0, int32_t x1, int32_t cx, int64_t dy2, int64_t r2,
             const Pixel* inside, const Pixel* outside) {
    const int32_t n = halfSpanBelow(r2 - dy2);
    if (n < 0) {
        copySpan(f, y, outside, x0, x1);
        return;
    }
    const int32_t l = std::clamp(cx - n, x0, x1), r = std::clamp(cx + n + 1, x0, x1);
    copySpan(f, y, outside, x0, l);
    copySpan(f, y, inside, l, r);
    copySpan(f, y, outside, r, x1);
}

// The line wipe's edge at an oblique angle: the line x' + r y' = k in the
// coordinates of the starting corner (x' and y' run into the picture), with its
// crossings of the picture grown by the margins.
struct ObliqueEdge {
    IntPoint a, b;
    bool valid;
};

ObliqueEdge obliqueEdge(int32_t w, int32_t h, int32_t angle, double p) {
    const float s = std::sin(static_cast<float>(angle) * kDegree), c = std::cos(static_cast<float>(angle) * kDegree);
    const bool flipX = s < 0, flipY = c < 0;
    const float ax = std::fabs(s), ay = std::fabs(c);
    const float b = static_cast<float>(angle % 90) * kDegree;
    const int32_t marginY = truncToInt(50.0f / std::cos(b)), marginX = truncToInt(50.0f / std::sin(b));
    // At 45 degrees the ratio is exactly 1, so the edge is exact in whole pixels.
    const double r = angle % 90 == 45 ? 1.0 : static_cast<double>(ay) / ax;
    const int32_t m = truncToInt(50.0f / ax);
    const int32_t k = truncToInt((w + h * r + 2.0 * m) * p - m);
    // y' range where x' = k - r y' lies within -marginX .. w + marginX.
    const double lo = std::max<double>(-marginY, (k - w - marginX) / r);
    const double hi = std::min<double>(h + marginY, (k + marginX) / r);
    auto screen = [&](double yl) {
        const double xl = k - r * yl;
        return IntPoint{truncToInt(flipX ? w - xl : xl), truncToInt(flipY ? h - yl : yl)};
    };
    // A line that misses the grown picture still splits it: take its points at
    // the grown picture's top and bottom instead.
    if (!(lo < hi)) return {screen(-marginY), screen(h + marginY), true};
    return {screen(lo), screen(hi), true};
}

}  // namespace

// ---- Straight edges ------------------------------------------------------------------

void renderWiLine(EffectParams* t, int32_t edge, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const double p = t->progress;
    const Pixel* out = f.outgoing;
    const Pixel* in = f.incoming;
    angle = ((angle % 360) + 360) % 360;
    IntPoint a{}, b{};
    if (angle == 0 || angle == 180) {
        const int32_t y0 = angle == 0 ? truncToInt((f.h + 100) * p - 50) : truncToInt((f.h + 50) - (f.h + 100) * p);
        for (int32_t y = 0; y < f.h; ++y) copySpan(f, y, (y < y0) == (angle == 0) ? in : out, 0, f.w);
        a = {0, y0};
        b = {f.w, y0};
    } else if (angle == 90 || angle == 270) {
        const int32_t x0 = angle == 90 ? truncToInt((f.w + 100) * p - 50) : truncToInt((f.w + 50) - (f.w + 100) * p);
        for (int32_t y = 0; y < f.h; ++y) {
            if (angle == 90) splitRow(f, y, x0, in, out);
            else splitRow(f, y, x0, out, in);
        }
        a = {x0, 0};
        b = {x0, f.h};
    } else {
        const ObliqueEdge e = obliqueEdge(f.w, f.h, angle, p);
        a = e.a;
        b = e.b;
        if (b.y == a.y) return;
        const int64_t slope = (static_cast<int64_t>(b.x - a.x) * 16384) / (b.y - a.y);
        for (int32_t y = 0; y < f.h; ++y) {
            const int64_t c = std::min<int64_t>(a.x + (((y - a.y) * slope) >> 14), f.w);
            // Incoming left of the crossing for 0 < a < 180, right of it
            // otherwise; the crossing column itself shows the outgoing picture.
            if (angle < 180) splitRow(f, y, static_cast<int32_t>(std::max<int64_t>(c, 0)), in, out);
            else splitRow(f, y, static_cast<int32_t>(std::max<int64_t>(c, -1)) + 1, out, in);
        }
    }
    if (edge == 2) {
        const int32_t incomingFirst = angle <= 90 || angle > 270 ? 1 : 0;
        blendAlongLine(f.canvas, out, in, a, b, 100, f.pitch, f.w, f.h, incomingFirst, f.rect);
    }
}

void renderWiSide(EffectParams* t, int32_t edge, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t half = f.w / 2;
    const bool in = direction == 0;
    const Pixel* outer = in ? f.incoming : f.outgoing;
    const Pixel* middle = in ? f.outgoing : f.incoming;
    const double s = in ? t->progress : 1.0 - t->progress;
    const bool soft = edge == 2;
    const int32_t g = soft ? half + 200 : half, h = soft ? 100 : 0;
    const int32_t xl = truncToInt(s * g - h), xr = truncToInt(f.w + h - s * g);
    for (int32_t y = 0; y < f.h; ++y) {
        copySpan(f, y, outer, 0, xl);
        copySpan(f, y, middle, std::max(xl, 0), xr);
        copySpan(f, y, outer, std::max(xr, 0), f.w);
    }
    if (soft) {
        blendAlongLine(f.canvas, outer, middle, {xl, 0}, {xl, f.h}, 100, f.pitch, f.w, f.h, 0, {0, 0, half, f.h});
        blendAlongLine(f.canvas, outer, middle, {xr, 0}, {xr, f.h}, 100, f.pitch, f.w, f.h, 1, {half, 0, f.w, f.h});
    }
}

void renderWiDiagonal(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const bool out = direction == 1;
    const Pixel* base = out ? f.incoming : f.outgoing;
    const Pixel* corner = out ? f.outgoing : f.incoming;
    const double s = out ? 1.0 - t->progress : t->progress;
    const int32_t cw = truncToInt(s * (f.w / 2)), ch = truncToInt(s * (f.h / 2));
    f.copyWhole(base);
    const Rect corners[4] = {{0, 0, cw, ch}, {f.w - cw, 0, f.w, ch}, {0, f.h - ch, cw, f.h}, {f.w - cw, f.h - ch, f.w, f.h}};
    for (const Rect& r : corners) stretchRectNearest(f.canvas, corner, r, r, f.pitch, f.pitch);
}

void renderWiLineCross(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t a = truncToInt(f.w * static_cast<double>(t->progress));
    const int32_t b = truncToInt(f.w * (1.0 - t->progress));
    for (int32_t y = 0; y < f.h; ++y) {
        if (y % 2 == 0) splitRow(f, y, a + 1, f.incoming, f.outgoing);
        else splitRow(f, y, b + 1, f.outgoing, f.incoming);
    }
}

// ---- Corner and arc --------------------------------------------------------------------

void blendWiCorner(Pixel* dst, const Pixel* first, const Pixel* second, const Rect& box, const Rect& outer,
                   int32_t pitch, int32_t swap, int32_t quadrant) {
    if (swap) std::swap(first, second);
    const int32_t bl = box.left, bt = box.top, br = box.right, bb = box.bottom;
    // A box squeezed to nothing at a picture edge has no band to soften.
    if (br <= bl || bb <= bt) return;
    const int32_t e = 4096 / (br - bl);
    // Quadrant 2 (the rectangle right of and below the corner) is drawn in its
    // own coordinates; the others are its mirror images inside the box.
    const bool mirrorX = quadrant == 0 || quadrant == 1, mirrorY = quadrant == 0 || quadrant == 3;
    const int32_t xLimit = mirrorX ? bl + br - outer.left : outer.right;
    const int32_t yLimit = mirrorY ? bt + bb - outer.top : outer.bottom;
    auto blendAt = [&](int32_t xc, int32_t yc, int32_t w) {
        const int32_t x = mirrorX ? bl + br - xc : xc, y = mirrorY ? bt + bb - yc : yc;
        if (x <= outer.left || x >= outer.right || y <= outer.top || y >= outer.bottom) return;
        const ptrdiff_t at = static_cast<ptrdiff_t>(y) * pitch + x;
        dst[at] = wipe::mix4096(first[at], second[at], w);
    };
    for (int32_t y = bt; y < bb; ++y)
        for (int32_t x = bl + (y - bt) + 1; x < xLimit; ++x) blendAt(x, y, e * (bb - y));
    for (int32_t y = bt; y < yLimit; ++y) {
        const int32_t last = bl + std::min(y - bt, bb - 1 - bt);
        for (int32_t x = bl; x <= last; ++x) blendAt(x, y, e * (br - x));
    }
}

void renderWiCorner(EffectParams* t, int32_t edge, int32_t angle, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const bool soft = edge == 2, in = direction == 0;
    const double d = soft ? 100 : 0, u = soft ? 50 : 0;
    const double h = in ? t->progress : 1.0 - t->progress, F = 1.0 - h;
    const double W = f.w, H = f.h;
    angle = ((angle % 360) + 360) % 360;
    const double a = angle;
    auto rad = [](double degrees) { return degrees * static_cast<double>(kDegree); };
    const int32_t q = angle / 90;
    double X = 0, Y = 0;
    switch (q) {
        case 0:
            if (std::atan2(W, H) >= rad(a)) {
                const double T = H * std::tan(rad(a));
                Y = h * (H + d) - u;
                X = W + h * (T + d) - T - u;
            } else {
                const double T = W * std::tan(rad(90 - a));
                Y = H + h * (T + d) - T - u;
                X = h * (W + d) - u;
            }
            break;
        case 1:
            if (rad(a - 90) > std::atan2(H, W)) {
                const double T = H * std::tan(rad(180 - a));
                Y = F * (H + d) - u;
                X = W + h * (T + d) - T - u;
            } else {
                Y = F * (W * std::tan(rad(a - 90)) + d) - u;
                X = h * (W + d) - u;
            }
            break;
        case 2:
            if (rad(a - 180) > std::atan2(W, H)) {
                Y = F * (W * std::tan(rad(270 - a)) + d) - u;
                X = F * (W + d) - u;
            } else {
                Y = F * (H + d) - u;
                X = F * (H * std::tan(rad(a - 180)) + d) - u;
            }
            break;
        default:
            if (std::atan2(H, W) >= rad(a - 270)) {
                const double T = W * std::tan(rad(a - 270));
                Y = H + h * (T + d) - T - u;
                X = F * (W + d) - u;
            } else {
                Y = h * (H + d) - u;
                X = F * (H * std::tan(rad(360 - a)) + d) - u;
            }
            break;
    }
    const int32_t x0 = truncToInt(X), y0 = truncToInt(Y);
    const Pixel* inside = in ? f.incoming : f.outgoing;
    const Pixel* outside = in ? f.outgoing : f.incoming;
    const bool top = q == 0 || q == 3, left = q == 0 || q == 1;
    for (int32_t y = 0; y < f.h; ++y) {
        const bool rowIn = top ? y < y0 : y > y0;
        if (!rowIn) copySpan(f, y, outside, 0, f.w);
        else if (left) splitRow(f, y, x0, inside, outside);
        else splitRow(f, y, static_cast<int32_t>(std::clamp<int64_t>(int64_t{x0} + 1, 0, f.w)), outside, inside);
    }
    if (soft) {
        const Rect box{std::max(x0 - 50, 0), std::max(y0 - 50, 0), std::min(x0 + 50, f.w), std::min(y0 + 50, f.h)};
        blendWiCorner(f.canvas, f.outgoing, f.incoming, box, f.rect, f.pitch, in ? 1 : 0, q);
    }
}

void renderWiArc(EffectParams* t, int32_t edge, int32_t angle, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const int32_t R = truncToInt(std::sqrt(static_cast<double>(hh) * hh + static_cast<double>(hw) * hw));
    const double towards = (270 - angle) * static_cast<double>(kDegree);
    const int32_t cy = truncToInt(R * std::sin(towards) + hh), cx = truncToInt(R * std::cos(towards) + hw);
    const bool in = direction == 0;
    const double m = in ? t->progress : 1.0 - t->progress;
    const Pixel* inside = in ? f.incoming : f.outgoing;
    const Pixel* outside = in ? f.outgoing : f.incoming;
    const double diagonal2 = static_cast<double>(f.h) * f.h + static_cast<double>(f.w) * f.w;
    if (edge == 2) {
        const int32_t radius = truncToInt(m * (std::sqrt(diagonal2) + 100));
        blendAroundCircle(f.canvas, inside, outside, {cx, cy}, radius, 50, f.w, f.h, f.pitch);
        return;
    }
    const int64_t r2 = static_cast<int64_t>(m * (m * diagonal2));
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t dy = y - cy;
        discRow(f, y, 0, f.w, cx, dy * dy, r2, inside, outside);
    }
}

// ---- Circles ---------------------------------------------------------------------------------

void renderWiCircle(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t cy = f.h / 2, cx = f.w / 2;
    const int32_t R = truncToInt(std::sqrt(static_cast<double>(cy) * cy + static_cast<double>(cx) * cx));
    const bool in = direction == 0;
    const int64_t r = truncToInt(R * (in ? static_cast<double>(t->progress) : 1.0 - t->progress));
    const Pixel* inside = in ? f.incoming : f.outgoing;
    const Pixel* outside = in ? f.outgoing : f.incoming;
    for (int32_t y = 0; y < f.h; ++y) discRow(f, y, 0, f.w, cx, int64_t{y - cy} * (y - cy), r * r, inside, outside);
}

void renderWiMultiCircle(EffectParams* t, int32_t direction, int32_t cols, int32_t rows) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const int64_t hw = f.w / 2, hh = f.h / 2;
    const int64_t D = (hw * hw / cols) / cols + (hh * hh / rows) / rows;
    const bool in = direction == 0;
    const double s = in ? t->progress : 1.0 - t->progress;
    const int64_t r2 = static_cast<int64_t>(s * (s * static_cast<double>(D)));
    const Pixel* inside = in ? f.incoming : f.outgoing;
    const Pixel* outside = in ? f.outgoing : f.incoming;
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t y0 = i * f.h / rows, y1 = (i + 1) * f.h / rows, ch = y1 - y0;
        for (int32_t j = 0; j < cols; ++j) {
            const int32_t x0 = j * f.w / cols, x1 = (j + 1) * f.w / cols, cw = x1 - x0;
            for (int32_t y = y0; y < y1; ++y) {
                const int64_t dv = (y - y0) - ch / 2;
                discRow(f, y, x0, x1, x0 + cw / 2, dv * dv, r2, inside, outside);
            }
        }
    }
}

void renderWiAlphaCircle(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t cy = f.h / 2, cx = f.w / 2;
    const int32_t R = truncToInt(std::sqrt(static_cast<double>(cy) * cy + static_cast<double>(cx) * cx));
    const bool in = direction == 0;
    const double s = in ? t->progress : 1.0 - t->progress;
    const int64_t r = truncToInt(s * (s * R) * 1.6), r2 = r * r;
    const int64_t k = 8388608 / (r2 + 1);
    const Pixel* centre = in ? f.incoming : f.outgoing;
    const Pixel* back = in ? f.outgoing : f.incoming;
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t dy2 = int64_t{y - cy} * (y - cy);
        const int32_t n = halfSpanBelow(r2 - dy2);
        const int32_t l = std::clamp(cx - n, 0, f.w), rr = std::clamp(cx + n + 1, 0, f.w);
        if (n < 0) {
            copySpan(f, y, back, 0, f.w);
            continue;
        }
        copySpan(f, y, back, 0, l);
        copySpan(f, y, back, rr, f.w);
        Pixel* d = f.canvasRow(y);
        const ptrdiff_t row = f.at(0, y);
        for (int32_t x = l; x < rr; ++x) {
            const int64_t d2 = int64_t{x - cx} * (x - cx) + dy2;
            const uint32_t w = static_cast<uint32_t>((k * d2 * 256) >> 23);
            d[x] = blendPixel(centre[row + x], back[row + x], w);
        }
    }
}

void renderWiOstberg(EffectParams* t, int32_t direction, float scale) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float s = (f.h + f.w) * kSizeUnit;
    // Below 13 pixels of width plus height the modulus would be 0.
    const int32_t m = std::max(truncToInt(s * s * scale * 16384.0f), 1);
    const bool out = direction == 1;
    const float l = out ? t->progress : 1.0f - t->progress;
    const Pixel* pattern = out ? f.incoming : f.outgoing;
    const Pixel* other = out ? f.outgoing : f.incoming;
    const int64_t T = truncToInt(scale * (s * s * l) * 32768.0f);
    const int32_t hw = f.w / 2, hh = f.h / 2;
    static std::vector<int32_t> columns;   // x^2 mod m per column, rebuilt each frame
    columns.resize(static_cast<size_t>(f.w));
    for (int32_t x = 0; x < f.w; ++x) columns[x] = static_cast<int32_t>((int64_t{x - hw} * (x - hw)) % m);
    // Every row and column is written, also the last of an odd size.
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t ry = (int64_t{y - hh} * (y - hh)) % m;
        const ptrdiff_t row = f.at(0, y);
        Pixel* d = f.canvas + row;
        for (int32_t x = 0; x < f.w; ++x) d[x] = ry + columns[x] < T ? pattern[row + x] : other[row + x];
    }
}

// ---- Diamonds and the turning triangle -------------------------------------------------------

void renderWiDiamond(EffectParams* t, int32_t cols, int32_t rows, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    // A picture narrower than the grid has cells of at least one pixel.
    const int64_t cw = std::max(f.w / cols, 1), ch = std::max(f.h / rows, 1);
    const int64_t kx = (ch * 32768) / cw, ky = (cw * 32768) / ch;
    const int64_t S = f.h * ky / rows + f.w * kx / cols;
    const bool in = direction == 0;
    const int64_t T = static_cast<int64_t>(S * (in ? static_cast<double>(t->progress) : 1.0 - t->progress) * 0.5);
    const Pixel* inside = in ? f.incoming : f.outgoing;
    const Pixel* outside = in ? f.outgoing : f.incoming;
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t y0 = i * f.h / rows, y1 = (i + 1) * f.h / rows, ci = y1 - y0;
        for (int32_t j = 0; j < cols; ++j) {
            const int32_t x0 = j * f.w / cols, x1 = (j + 1) * f.w / cols, cj = x1 - x0;
            for (int32_t y = y0; y < y1; ++y) {
                const int64_t qv = std::abs((y - y0) - ci / 2) * ky;
                const ptrdiff_t row = f.at(0, y);
                Pixel* d = f.canvas + row;
                for (int32_t x = x0; x < x1; ++x) {
                    const int64_t q = qv + std::abs((x - x0) - cj / 2) * kx;
                    const Pixel a = inside[row + x], b = outside[row + x];
                    d[x] = q < T ? a : q > T ? b : ((a >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F);
                }
            }
        }
    }
}

void renderWiTriangle(EffectParams* t, int32_t direction) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float s = (f.h + f.w) * kSizeUnit;
    const bool in = direction == 0;
    const float p = t->progress;
    const int32_t r = 1 + truncToInt(800.0f * s * (in ? p : 1.0f - p));
    const Pixel* window = in ? f.incoming : f.outgoing;
    f.copyWhole(in ? f.outgoing : f.incoming);
    const int32_t cx = (f.rect.left + f.rect.right) >> 1, cy = (f.rect.top + f.rect.bottom) >> 1;
    const float turn = p * 12.566371f;
    int32_t corners[3][2];
    for (int k = 0; k < 3; ++k) {
        const double g = static_cast<double>(turn) + k * 2.0943952;
        corners[k][0] = cx + truncToInt(r * std::cos(g));
        corners[k][1] = cy + truncToInt(r * std::sin(g));
    }
    // The window picture stands in place: copied, not sampled through the affine
    // steps, which slip by a pixel inside a triangle this large.
    copyTriangleInPlace(f.canvas, f.rect, f.pitch, corners[0], corners[1], corners[2], window);
}
