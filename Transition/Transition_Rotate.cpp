#include "Transition/Transition_Rotate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Transition/TransitionFrame.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"
#include "render/RandomGeometry.h"
#include "render/RotatedCopies.h"
#include "render/TrigTables.h"

namespace {

// The turn point travels from the start point to the centre and the angle
// unwinds from `turns` whole turns to 0 as q runs from 0 to 1024.
struct Travel {
    int32_t x, y;
    float angle;
};
Travel travelAt(const TransitionFrame& f, int32_t q, float turns, int32_t sx, int32_t sy) {
    return {sx + ((f.w >> 1) - sx) * q / 1024, sy + ((f.h >> 1) - sy) * q / 1024,
            turns * 6.2831855f - static_cast<float>(q) * turns * 0.0061359233f};
}

float zoomOf(int32_t curve, float zoomStart, int32_t q) {
    if (curve == 1) return zoomStart - std::sqrt(static_cast<float>(q)) * (zoomStart - 1.0f) * 0.03125f;
    return static_cast<float>(q) / 1024.0f;
}

int32_t qOf(int32_t dir, float p) { return dir == 1 ? truncToInt(1024.0f * (1.0f - p)) : truncToInt(1024.0f * p); }

void blendedBlit(const TransitionFrame& f, const Pixel* picture, int32_t curve, const Travel& at, float scale, float alpha) {
    if (curve == 1)
        rotateZoomBlitSmooth(f.canvas, f.pitch, picture, f.pitch, f.rect, f.rect, at.x, at.y, at.angle, scale, alpha);
    else
        rotateZoomBlitAlpha(f.canvas, f.pitch, picture, f.pitch, f.rect, f.rect, at.x, at.y, at.angle, scale, alpha);
}

}  // namespace

void renderRoFade(EffectParams* t, int32_t dir, int32_t curve, float zoomStart, float turns, int32_t sx,
                  int32_t sy) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const int32_t q = qOf(dir, p);
    const float scale = zoomOf(curve, zoomStart, q);
    const Travel at = travelAt(f, q, turns, sx, sy);
    if (dir == 0) {
        blendedBlit(f, f.incoming, curve, at, scale, static_cast<float>(q) / 2048.0f);
        return;
    }
    blendedBlit(f, f.outgoing, curve, at, scale, 0.5f);
    // The incoming picture seeps in a little every frame; a duration of 0 (or
    // one past 32768 ms) would make the divisor 1, not a fault.
    const int32_t step = t->duration > 0 ? 32768 / t->duration : 0;
    blendRect(f.canvas, f.incoming, 0, 0, f.rect, f.pitch, f.pitch, p / static_cast<float>(step + 1));
}

void renderRoInOut(EffectParams* t, int32_t dir, float turns, int32_t sx, int32_t sy) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const int32_t q = dir == 0 ? truncToInt(p * 1024.0f) : truncToInt((1.0f - p) * 1024.0f);
    f.copyWhole(dir == 0 ? f.outgoing : f.incoming);
    const Travel at = travelAt(f, q, turns, sx, sy);
    rotateZoomBlit(f.canvas, f.pitch, dir == 0 ? f.incoming : f.outgoing, f.pitch, f.rect, f.rect, at.x, at.y,
                   at.angle, static_cast<float>(q) / 1024.0f);
}

void renderRoAlpha(EffectParams* t, int32_t dir, int32_t curve, float zoomStart, float turns, int32_t sx,
                   int32_t sy) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t q = qOf(dir, t->progress);
    f.copyWhole(dir == 0 ? f.outgoing : f.incoming);
    blendedBlit(f, dir == 0 ? f.incoming : f.outgoing, curve, travelAt(f, q, turns, sx, sy),
                zoomOf(curve, zoomStart, q), static_cast<float>(q) / 1024.0f);
}

namespace {

struct RotatePick {
    float turn;
    int32_t x, y, zoom;
};
RotatePick rotatePicks[2];   // 0: the outgoing picture, 1: the incoming one

}  // namespace

void renderRoRotate(EffectParams* t, int32_t zoomA, int32_t zoomB) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    if (t->firstFrame) {
        for (RotatePick& pick : rotatePicks) {
            pick.turn = static_cast<float>(crtRand() - 16384) * 0.0004f;
            pick.x = crtRand() % f.w;
            pick.y = crtRand() % f.h;
            pick.zoom = (crtRand() & 15) + 2;
        }
    }
    const float p = t->progress;
    const int32_t hw = f.w >> 1, hh = f.h >> 1;
    const RotatePick& a = rotatePicks[0];
    const RotatePick& b = rotatePicks[1];
    const float sA = zoomA == 1 ? 1.0f + static_cast<float>(a.zoom - 1) * p : 1.0f - p;
    const float sB = zoomB == 1 ? 1.0f + static_cast<float>(b.zoom - 1) * (1.0f - p) : p;
    const float wA = std::min(1.0f, 1.0f / (sA + 0.01f));
    const float wB = std::min(1.0f, 1.0f / (sB + 0.01f));
    const auto draw = [&f](const Pixel* picture, int32_t zoom, int32_t x, int32_t y, float angle, float scale,
                           float weight) {
        if (zoom == 1)
            rotateZoomBlitSmooth(f.canvas, f.pitch, picture, f.pitch, f.rect, f.rect, x, y, angle, scale, weight);
        else
            rotateZoomBlit(f.canvas, f.pitch, picture, f.pitch, f.rect, f.rect, x, y, angle, scale);
    };
    draw(f.outgoing, zoomA, truncToInt(static_cast<float>(hw) + static_cast<float>(a.x - hw) * p),
         truncToInt(static_cast<float>(hh) + static_cast<float>(a.y - hh) * p), a.turn * p, sA, wA);
    draw(f.incoming, zoomB, truncToInt(static_cast<float>(hw) + static_cast<float>(b.x - hw) * (1.0f - p)),
         truncToInt(static_cast<float>(hh) + static_cast<float>(b.y - hh) * (1.0f - p)), b.turn * (1.0f - p), sB,
         wB);
}

void renderRoPage(EffectParams* t, int32_t dir, int32_t corner) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const int32_t k = dir == 1 ? truncToInt(p * 4096.0f) : truncToInt((1.0f - p) * 4096.0f);
    f.copyWhole(dir == 1 ? f.incoming : f.outgoing);
    const int32_t cornerX = (corner & 2) ? f.w : 0;
    const int32_t cornerY = (corner & 1) ? f.h : 0;
    const int32_t g = (corner & 2) ? -1 : 1;
    const float r = static_cast<float>(-g * k) * 0.0003834952f;
    int32_t x = (f.w >> 1) - cornerX, y = (f.h >> 1) - cornerY;
    rotateXFixed(&x, &y, truncToInt(r * -10430.378f));
    rotateZoomBlit(f.canvas, f.pitch, dir == 1 ? f.outgoing : f.incoming, f.pitch, f.rect, f.rect, x + cornerX,
                   y + cornerY, r, 1.0f);
}

void renderRoMulti(EffectParams* t, int32_t cols, int32_t rows, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const float s = dir == 0 ? t->progress : 1.0f - t->progress;
    const Pixel* moving = dir == 0 ? f.incoming : f.outgoing;
    f.copyWhole(dir == 0 ? f.outgoing : f.incoming);
    const float angle = static_cast<float>(t->duration) * s * 0.012566371f;
    const float cw = static_cast<float>(f.w) / static_cast<float>(cols);
    const float ch = static_cast<float>(f.h) / static_cast<float>(rows);
    for (int32_t i = 0; i < rows; ++i) {
        for (int32_t j = 0; j < cols; ++j) {
            // One pixel of overlap with the right and lower neighbours, never past
            // the frame (tiles narrower than a pixel would reach beyond it).
            Rect tile{truncToInt(static_cast<float>(j) * cw), truncToInt(static_cast<float>(i) * ch),
                      truncToInt(cw * static_cast<float>(j + 1) + 1.0f),
                      truncToInt(ch * static_cast<float>(i + 1) + 1.0f)};
            if (j == cols - 1 || tile.right > f.w) tile.right = f.w;
            if (i == rows - 1 || tile.bottom > f.h) tile.bottom = f.h;
            if (tile.right <= tile.left || tile.bottom <= tile.top) continue;
            rotateZoomBlit(f.canvas, f.pitch, moving, f.pitch, tile, tile,
                           truncToInt(static_cast<float>(j) * cw + cw / 2.0f + 0.5f),
                           truncToInt(ch / 2.0f + static_cast<float>(i) * ch + 0.5f), angle, s);
        }
    }
}

// ---- Rolling discs ---------------------------------------------------------------

namespace {

constexpr int32_t kMaxCirclePicks = 1024;
uint8_t circlePicks[kMaxCirclePicks];   // direction code 1..16 per cell, row-major

struct Roll {
    int32_t ox, oy, spin;
};

// Directions 1 to 8 of the pattern table.
Roll basicRoll(int32_t code, int32_t dX, int32_t dY, int32_t f) {
    switch (code) {
        case 1: return {dX, 0, f};
        case 2: return {-dX, 0, -f};
        case 3: return {0, dY, f};
        case 4: return {0, -dY, -f};
        case 5: return {dX, dY, f};
        case 6: return {dX, -dY, f};
        case 7: return {-dX, dY, -f};
        default: return {-dX, -dY, -f};
    }
}

Roll rollFor(int32_t pattern, int32_t i, int32_t k, int32_t cols, int32_t rows, int32_t dX, int32_t dY, int32_t f) {
    const bool oddRow = (i & 1) != 0, oddCol = (k & 1) != 0;
    const bool leftHalf = k < cols / 2, topHalf = i < rows / 2;
    switch (pattern) {
        case 9: return basicRoll(oddRow ? 2 : 1, dX, dY, f);
        case 10: return basicRoll(leftHalf ? 2 : 1, dX, dY, f);
        case 11: return basicRoll(oddCol ? 4 : 3, dX, dY, f);
        case 12: return basicRoll(topHalf ? 4 : 3, dX, dY, f);
        case 13: return basicRoll(leftHalf ? 1 : 2, dX, dY, f);
        case 14: return basicRoll(topHalf ? 3 : 4, dX, dY, f);
        case 15: return basicRoll(oddRow ? 6 : 7, dX, dY, f);
        case 16: return basicRoll(oddRow ? 5 : 8, dX, dY, f);
        case 17: {
            const int32_t cell = i * cols + k;
            const int32_t c = cell < kMaxCirclePicks ? circlePicks[cell] : 1;
            switch (c) {
                case 9: return {dX / 2, -dY, f};
                case 10: return {dX / 2, dY, f};
                case 11: return {dX, -(dY / 2), f};
                case 12: return {dX, dY / 2, f};
                case 13: return {-(dX / 2), -dY, f};
                case 14: return {-(dX / 2), dY, f};
                case 15: return {-dX, -(dY / 2), f};
                case 16: return {-dX, dY / 2, f};
                default: return basicRoll(c, dX, dY, f);
            }
        }
        default: return basicRoll(pattern, dX, dY, f);
    }
}

}  // namespace

void renderRoCircle(EffectParams* t, int32_t dir, int32_t cols, int32_t rows, int32_t pattern) {
    const TransitionFrame f = frameOf(t);
    if (f.empty() || cols <= 0 || rows <= 0) return;
    const float p = t->progress;
    if (t->firstFrame) {
        const int32_t n = std::min(cols * rows, kMaxCirclePicks);
        for (int32_t c = 0; c < n; ++c) circlePicks[c] = static_cast<uint8_t>((crtRand() & 15) + 1);
    }
    const float cw = static_cast<float>(f.w) / static_cast<float>(cols);
    const float ch = static_cast<float>(f.h) / static_cast<float>(rows);
    const int32_t hcw = truncToInt(cw * 0.5f), hch = truncToInt(ch * 0.5f);
    const int32_t base = (f.w / 2 >= f.h / 2) ? hch : hcw;
    const int32_t rad = base * 12 / 16, r2 = rad * rad;

    const Pixel* moving = dir == 0 ? f.incoming : f.outgoing;
    const float e = dir == 0 ? 1.0f - p - 0.25f : p - 0.25f;
    const int32_t dX = truncToInt(e * static_cast<float>(f.w) * 1.3333334f);
    const int32_t dY = truncToInt(e * static_cast<float>(f.h) * 1.3333334f);
    const int32_t growth = (hch * hch + hcw * hcw - r2) * 4;
    f.copyWhole(dir == 0 ? f.outgoing : f.incoming);

    const bool growing = dir == 0 ? p > 0.75f : p < 0.25f;
    if (growing) {
        const int32_t limit = dir == 0 ? truncToInt(static_cast<float>(growth) * (p - 0.75f) + static_cast<float>(r2))
                                       : truncToInt(static_cast<float>(growth) * (0.25f - p) + static_cast<float>(r2));
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t y0 = truncToInt(static_cast<float>(i) * ch);
            const int32_t y1 = std::min(f.h, truncToInt(static_cast<float>(i + 1) * ch));
            for (int32_t k = 0; k < cols; ++k) {
                const int32_t x0 = truncToInt(static_cast<float>(k) * cw);
                const int32_t x1 = std::min(f.w, truncToInt(static_cast<float>(k + 1) * cw));
                for (int32_t y = y0; y < y1; ++y) {
                    const int32_t dy = y - y0 - hch;
                    const ptrdiff_t row = static_cast<ptrdiff_t>(y) * f.pitch;
                    for (int32_t x = x0; x < x1; ++x) {
                        const int32_t dx = x - x0 - hcw;
                        if (dx * dx + dy * dy < limit) f.canvas[row + x] = moving[row + x];
                    }
                }
            }
        }
        return;
    }
    // A disc too small to have a radius has nothing to roll.
    if (rad <= 0) return;
    const int32_t spin = truncToInt(65536.0f / (static_cast<float>(rad) * 6.2831855f) * static_cast<float>(dX) * 2.0f);
    for (int32_t i = 0; i < rows; ++i) {
        for (int32_t k = 0; k < cols; ++k) {
            const Roll roll = rollFor(pattern, i, k, cols, rows, dX, dY, spin);
            const int32_t cs = CosineTable[trigIndex(roll.spin)], sn = SineTable[trigIndex(roll.spin)];
            const int32_t srcX = truncToInt(cw * static_cast<float>(k)) + hcw;
            const int32_t srcY = truncToInt(ch * static_cast<float>(i)) + hch;
            for (int32_t dy = -hch; dy < hch; ++dy) {
                const int32_t y = truncToInt(static_cast<float>(i) * ch + static_cast<float>(roll.oy + hch + dy));
                if (y < 0 || y >= f.h) continue;
                Pixel* out = f.canvas + static_cast<ptrdiff_t>(y) * f.pitch;
                for (int32_t dx = -hcw; dx < hcw; ++dx) {
                    if (dx * dx + dy * dy > r2) continue;
                    const int32_t x = truncToInt(static_cast<float>(k) * cw + static_cast<float>(roll.ox + hcw + dx));
                    if (x < 0 || x >= f.w) continue;
                    // Cells narrower than the disc would read past the picture.
                    const int32_t sxp = std::clamp(srcX + ((dx * cs + dy * sn) >> 15), 0, f.w - 1);
                    const int32_t syp = std::clamp(srcY + ((dy * cs - dx * sn) >> 15), 0, f.h - 1);
                    out[x] = moving[static_cast<ptrdiff_t>(syp) * f.pitch + sxp];
                }
            }
        }
    }
}
