#include "Transition/Transition_Special.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Transition/TransitionFrame.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/Discs.h"
#include "render/FloatToInt.h"
#include "render/MaskRelief.h"
#include "render/PixelBuffer.h"
#include "render/SeedFill.h"
#include "render/TrigTables.h"

namespace {

constexpr uint32_t kChannelShift[3] = {16, 8, 0};   // red, green, blue

inline int32_t channelOf(Pixel p, int c) { return static_cast<int32_t>((p >> kChannelShift[c]) & 0xFFu); }
inline Pixel fromChannels(int32_t r, int32_t g, int32_t b) {
    return (static_cast<uint32_t>(r & 0xFF) << 16) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           static_cast<uint32_t>(b & 0xFF);
}

}  // namespace

// ---- Dots, pole, rings -----------------------------------------------------------

void renderSpLed(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t k = truncToInt(t->progress * 1024.0f);
    const int32_t step = k > 511 ? (1024 - k) / 32 + 1 : k / 32 + 1;
    const int32_t r = step / 2;
    const uint32_t w = static_cast<uint32_t>(std::clamp(k / 4, 0, 256));
    const int32_t hw = f.w >> 1, hh = f.h >> 1;
    for (int32_t sy = 1; sy >= -1; sy -= 2) {
        for (int32_t b = 0; r + b * step < hh; ++b) {
            const int32_t offY = r + b * step;
            const int32_t cy = hh + sy * offY;
            for (int32_t sx = 1; sx >= -1; sx -= 2) {
                for (int32_t a = 0; r + a * step < hw; ++a) {
                    const int32_t offX = r + a * step;
                    const int32_t cx = hw + sx * offX;
                    const Pixel colour = blendPixel(f.outgoing[f.at(cx, cy)], f.incoming[f.at(cx, cy)], w);
                    for (int32_t dy = -r; dy <= r; ++dy) {
                        if (offY + sy * dy >= hh) continue;   // stays in its half of the frame
                        Pixel* out = f.canvas + f.at(0, cy + dy);
                        for (int32_t dx = -r; dx <= r; ++dx) {
                            if (offX + sx * dx >= hw) continue;
                            out[cx + dx] = dx * dx + dy * dy <= r * r ? colour : 0;
                        }
                    }
                }
            }
        }
    }
}

void renderSpPole(EffectParams* t, int32_t kind) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const uint32_t w = static_cast<uint32_t>(std::clamp(truncToInt(std::sqrt(p) * 256.0f), 0, 256));
    // Columns [lo, hi) show the incoming picture in place; left of lo its
    // column leftColumn, from hi on its column rightColumn.
    int32_t lo, hi, leftColumn, rightColumn;
    if (kind == 0) {
        lo = 0;
        hi = truncToInt(p * static_cast<float>(f.w - 1));
        leftColumn = 0;
        rightColumn = hi;
    } else if (kind == 1) {
        lo = truncToInt(static_cast<float>(f.w - 1) * (1.0f - p));
        hi = f.w;
        leftColumn = lo - 1;
        rightColumn = 0;
    } else {
        const int32_t hw = f.w >> 1;
        lo = truncToInt(static_cast<float>(hw) - p * static_cast<float>(hw));
        hi = truncToInt(static_cast<float>(hw) * (1.0f + p));
        leftColumn = lo - 1;
        rightColumn = hi;
    }
    lo = std::clamp(lo, 0, f.w);
    hi = std::clamp(hi, lo, f.w);
    leftColumn = std::clamp(leftColumn, 0, f.w - 1);
    rightColumn = std::clamp(rightColumn, 0, f.w - 1);
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* a = f.outgoing + f.at(0, y);
        const Pixel* b = f.incoming + f.at(0, y);
        Pixel* out = f.canvas + f.at(0, y);
        const Pixel left = b[leftColumn], right = b[rightColumn];
        for (int32_t x = 0; x < lo; ++x) out[x] = blendPixel(a[x], left, w);
        for (int32_t x = lo; x < hi; ++x) out[x] = blendPixel(a[x], b[x], w);
        for (int32_t x = hi; x < f.w; ++x) out[x] = blendPixel(a[x], right, w);
    }
}

void renderSpRadio(EffectParams* t, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const Pixel* base = dir == 0 ? f.outgoing : f.incoming;
    const Pixel* ring = dir == 0 ? f.incoming : f.outgoing;
    const float x = dir == 0 ? t->progress : 1.0f - t->progress;
    const int32_t hh = f.h >> 1, hw = f.w >> 1;
    const int32_t radius = truncToInt(x * std::sqrt(static_cast<float>(hh * hh + hw * hw)));
    const uint32_t w = static_cast<uint32_t>(std::clamp(truncToInt(std::sqrt(x) * 256.0f), 0, 256));
    // 64-bit: the squared radius times 4096 passes 2^31 on large frames.
    const int64_t r2 = static_cast<int64_t>(radius) * radius;
    // Every pixel of the frame, the last column and row of odd sizes included.
    for (int32_t i = -hh; i < f.h - hh; ++i) {
        const Pixel* b = base + f.at(0, hh + i);
        const Pixel* same = ring + f.at(0, hh + i);
        Pixel* out = f.canvas + f.at(0, hh + i);
        for (int32_t j = -hw; j < f.w - hw; ++j) {
            const int64_t d2 = static_cast<int64_t>(i) * i + static_cast<int64_t>(j) * j;
            Pixel rim;
            if (d2 < r2) {
                rim = same[hw + j];
            } else {
                const int32_t s = SqrtTable[std::min<int64_t>(r2 * 4096 / (d2 + 1), kTrigTableSize - 1)];
                const int32_t rx = hw + ((j * s) >> 16), ry = hh + ((i * s) >> 16);
                if (rx < 0 || rx >= f.w || ry < 0 || ry >= f.h) continue;
                rim = ring[f.at(rx, ry)];
            }
            out[hw + j] = blendPixel(b[hw + j], rim, w);
        }
    }
}

// ---- Smear, split channels, channel discs, noise -----------------------------------

void renderSpWind(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const int32_t k = p < 0.5f ? truncToInt(512.0 * std::exp2(-10.0 * p)) : truncToInt(512.0 * std::exp2(-10.0 * (1.0 - p)));
    const Pixel* input = p < 0.5f ? f.outgoing : f.incoming;
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel first = f.outgoing[f.at(0, y)];
        int32_t c[3] = {channelOf(first, 0), channelOf(first, 1), channelOf(first, 2)};
        const Pixel* s = input + f.at(0, y);
        Pixel* out = f.canvas + f.at(0, y);
        for (int32_t x = 0; x < f.w; ++x) {
            for (int ch = 0; ch < 3; ++ch) c[ch] += (k * (channelOf(s[x], ch) - c[ch])) >> 9;
            out[x] = fromChannels(c[0], c[1], c[2]);
        }
    }
}

void renderSpRgbSplit(EffectParams* t, int32_t dir, int32_t angle) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const Pixel* moving = dir == 0 ? f.incoming : f.outgoing;
    const Pixel* base = dir == 0 ? f.outgoing : f.incoming;
    const float diagonal = std::sqrt(static_cast<float>(f.h * f.h + f.w * f.w));
    const int32_t e = truncToInt(diagonal * (dir == 0 ? 1.0f - p : p));
    const float a = static_cast<float>(angle) * 0.017453292f;
    const float turns[3] = {a, a + 2.0943951f, a + 4.1887902f};
    int32_t ox[3], oy[3];
    for (int c = 0; c < 3; ++c) {
        ox[c] = truncToInt(static_cast<float>(e) * std::cos(turns[c]));
        oy[c] = truncToInt(static_cast<float>(e) * std::sin(turns[c]));
    }
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* u = base + f.at(0, y);
        Pixel* out = f.canvas + f.at(0, y);
        for (int32_t x = 0; x < f.w; ++x) {
            Pixel v = 0;
            for (int c = 0; c < 3; ++c) {
                const int32_t sx = x + ox[c], sy = y + oy[c];
                const Pixel from = (sx >= 0 && sx < f.w && sy >= 0 && sy < f.h) ? moving[f.at(sx, sy)] : u[x];
                v |= from & (0xFFu << kChannelShift[c]);
            }
            out[x] = v;
        }
    }
}

void renderSpRgbBlock(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    // A frame one pixel wide or high leaves no room to place a disc (modulo 0).
    if (f.w < 2 || f.h < 2) return;
    for (int n = 0; n < 3; ++n) {
        const int32_t c = crtRand();
        const int32_t g = (crtRand() & 63) + 16;
        const int32_t x0 = crtRand() % (f.w - 1);
        const int32_t y0 = crtRand() % (f.h - 1);
        const uint32_t mask = 0xFFu << (8 * (c % 3));   // 0 blue, 1 green, 2 red
        for (int32_t y = std::max(0, y0 - g); y < std::min(f.h, y0 + g); ++y) {
            const Pixel* b = f.incoming + f.at(0, y);
            Pixel* out = f.canvas + f.at(0, y);
            const int32_t dy2 = (y - y0) * (y - y0);
            for (int32_t x = std::max(0, x0 - g); x < std::min(f.w, x0 + g); ++x)
                if (dy2 + (x - x0) * (x - x0) < g * g) out[x] = (out[x] & ~mask) | (b[x] & mask);
        }
    }
}

void renderSpNoise(EffectParams* t, int32_t /*modeIn*/, int32_t /*modeOut*/) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    int32_t noise[512];
    for (int32_t& n : noise) n = crtRand() & 255;
    const float p = t->progress;
    const bool first = p < 0.5f;
    const int32_t m = first ? truncToInt(p * 8192.0f) : truncToInt((p - 0.5f) * 8192.0f);
    const Pixel* input = first ? f.outgoing : f.incoming;
    uint16_t counter = 0;
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = input + f.at(0, y);
        Pixel* out = f.canvas + f.at(0, y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t vRG = noise[counter & 511], vB = noise[(counter + 1) & 511];
            counter = static_cast<uint16_t>(counter + 2);
            const int32_t v[3] = {vRG, vRG, vB};
            int32_t c[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int32_t C = channelOf(s[x], ch);
                c[ch] = first ? C + (((v[ch] - C) * m) >> 12) : v[ch] + (((C - v[ch]) * m) >> 12);
            }
            out[x] = fromChannels(c[0], c[1], c[2]);
        }
        counter = static_cast<uint16_t>(counter + crtRand());
    }
}

// ---- Lens ---------------------------------------------------------------------------

void renderSpCircle(EffectParams* t, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const float u = static_cast<float>(f.h + f.w) * 0.00089285715f;
    const int32_t lens = truncToInt(u * 128.0f);
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const Pixel* lensPicture = dir == 0 ? f.incoming : f.outgoing;
    const Pixel* base = dir == 0 ? f.outgoing : f.incoming;
    const float weakPinch = 4000.0f / (u * u);
    const bool travelling = dir == 0 ? p <= 0.5f : p >= 0.5f;
    if (travelling) {
        const float tt = dir == 0 ? 0.5f - p : p - 0.5f;
        const int32_t dx = truncToInt(tt * tt * tt * static_cast<float>(hw + lens) * 8.0f);
        const int32_t turn = truncToInt(tt * 393216.0f);
        const int64_t cs = CosineTable[trigIndex(turn)], sn = SineTable[trigIndex(turn)];
        const int64_t pinch = dir == 0 ? 8000 : truncToInt(weakPinch);
        f.copyWhole(base);
        const int64_t l2 = static_cast<int64_t>(lens) * lens;
        for (int32_t i = std::max(-hh, -lens); i < std::min(hh, lens + 1); ++i) {
            Pixel* out = f.canvas + f.at(0, hh + i);
            for (int32_t g = std::max(-hw, -lens); g < std::min(hw, lens + 1); ++g) {
                const int64_t d2 = static_cast<int64_t>(g) * g + static_cast<int64_t>(i) * i;
                if (d2 >= l2 || dx + g >= hw) continue;
                const int64_t D = (pinch * d2) >> 10;
                const int64_t e = i - ((i * D) >> 17), fx = g - ((g * D) >> 17);
                // A strong pinch on a large frame folds the lens outward, past the picture.
                const int64_t sx = hw + ((cs * fx + sn * e) >> 15), sy = hh + ((cs * e - sn * fx) >> 15);
                if (sx < 0 || sx >= f.w || sy < 0 || sy >= f.h) continue;
                out[hw + dx + g] = lensPicture[f.at(static_cast<int32_t>(sx), static_cast<int32_t>(sy))];
            }
        }
        return;
    }
    const int64_t o = dir == 0 ? truncToInt(8000.0 * std::exp2(-14.0 * (p - 0.5)))
                               : truncToInt(static_cast<double>(weakPinch) * std::exp2(-14.0 * (0.5 - p)));
    // Every pixel of the frame, the last column and row of odd sizes included.
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t i = y - hh;
        const Pixel* b = base + f.at(0, y);
        Pixel* out = f.canvas + f.at(0, y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t g = x - hw;
            const int64_t D = (o * (i * i + g * g)) >> 10;
            Pixel v = b[x];
            if (D < 131072) {
                const int64_t sx = hw + g - ((g * D) >> 17), sy = hh + i - ((i * D) >> 17);
                if (sx >= 0 && sx < f.w && sy >= 0 && sy < f.h)
                    v = lensPicture[f.at(static_cast<int32_t>(sx), static_cast<int32_t>(sy))];
            }
            out[x] = v;
        }
    }
}

// ---- Lit LEDs ---------------------------------------------------------------------

void renderSp3dLed(EffectParams* t, int32_t shape) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t k = truncToInt(t->progress * 1024.0f);
    const int32_t s = k > 511 ? 1024 - k : k;
    const uint32_t wB = static_cast<uint32_t>(std::clamp(k / 4, 0, 256));
    // At least one LED each way: frames narrower than the spacing would divide by zero.
    const int32_t cols = std::max(1, f.w * 16 / (s + 32)), rows = std::max(1, f.h * 16 / (s + 32));
    const int32_t cw = f.w / cols, ch = f.h / rows;

    if (t->firstFrame) t->buffers[0] = t->acquireBuffer(&t->slots[0]);
    Pixel* tile = t->buffers[0];
    const int32_t tilePitch = 3 * cw;
    constexpr int64_t kRoom = (kScratchBlockBytes - kScratchLeadBytes) / 4;
    // Without a buffer (pool full) or room for the tile the LEDs are drawn flat.
    if (tile && static_cast<int64_t>(tilePitch) * 3 * ch <= kRoom) {
        const Rect tileRect{0, 0, tilePitch, 3 * ch};
        std::fill(tile, tile + static_cast<ptrdiff_t>(tilePitch) * 3 * ch, shape == 0 ? 0u : 0x01010101u);
        if (shape == 0) {
            fillDisc(tile + static_cast<ptrdiff_t>(ch) * tilePitch + cw, tilePitch, cw / 2, ch / 2,
                     std::min(cw, ch) * 16 / 32, 1);
        } else {
            drawLineClipped(tile, 0, ch, 3 * cw, ch, 0, tileRect, tilePitch);
            drawLineClipped(tile, 0, 2 * ch, 3 * cw, 2 * ch, 0, tileRect, tilePitch);
            drawLineClipped(tile, cw, 0, cw, 3 * ch, 0, tileRect, tilePitch);
            drawLineClipped(tile, 2 * cw, 0, 2 * cw, 3 * ch, 0, tileRect, tilePitch);
        }
        renderMaskRelief(tile, tileRect, tilePitch, 1.0f, shape == 0 ? cw : cw / 2, 0);
    } else {
        tile = nullptr;
    }
    if (t->buffers[0]) t->keepBuffer(t->slots[0]);

    const Pixel* middle = tile ? tile + static_cast<ptrdiff_t>(ch) * tilePitch + cw : nullptr;
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t y0 = r * f.h / rows, hgt = (r + 1) * f.h / rows - y0;
        for (int32_t q = 0; q < cols; ++q) {
            const int32_t x0 = q * f.w / cols, wid = (q + 1) * f.w / cols - x0;
            const ptrdiff_t centre = f.at(x0 + wid / 2, y0 + hgt / 2);
            const Pixel colour = blendPixel(f.outgoing[centre], f.incoming[centre], wB);
            const int32_t cr = channelOf(colour, 0), cg = channelOf(colour, 1), cb = channelOf(colour, 2);
            const int32_t reach = (hgt * hgt + wid * wid) / 8;
            for (int32_t i = 0; i < hgt; ++i) {
                Pixel* out = f.canvas + f.at(x0, y0 + i);
                const int32_t di2 = (i - hgt / 2) * (i - hgt / 2);
                for (int32_t j = 0; j < wid; ++j) {
                    if (shape == 0 && (j - wid / 2) * (j - wid / 2) + di2 > reach) {
                        out[j] = 0;
                        continue;
                    }
                    const uint32_t M = middle ? middle[static_cast<ptrdiff_t>(i) * tilePitch + j] : 256u;
                    const int32_t light = static_cast<int32_t>(M >> 16), gain = static_cast<int32_t>(M & 0xFFFF);
                    out[j] = fromChannels(std::min(255, light + ((cr * gain) >> 8)),
                                          std::min(255, light + ((cg * gain) >> 8)),
                                          std::min(255, light + ((cb * gain) >> 8)));
                }
            }
        }
    }
}

// ---- Chaos zoom -------------------------------------------------------------------

namespace {

// The pixel of the picture's border on the ray from the centre through the
// offset (j, i); held inside the frame.
Pixel borderPoint(const TransitionFrame& f, const Pixel* picture, int32_t hw, int32_t hh, int32_t j, int32_t i) {
    const int64_t a = static_cast<int64_t>(f.h) * j, b = -static_cast<int64_t>(f.w) * i;
    const int32_t ii = i == 0 ? 1 : i;
    int32_t x, y;
    if (a < b && -a < b) {
        x = j * -hh / ii;
        y = -hh;
    } else if (a < b) {
        x = -hw;
        y = -hw * i / j;
    } else if (-a < b) {
        x = hw - 1;
        y = i * (hw - 1) / j;
    } else {
        x = j * (hh - 1) / ii;
        y = hh - 1;
    }
    x = std::clamp(hw + x, 0, f.w - 1);
    y = std::clamp(hh + y, 0, f.h - 1);
    return picture[f.at(x, y)];
}

}  // namespace

void renderSpChaosZoom(EffectParams* t, int32_t dir) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const float p = t->progress;
    const Pixel* zoomed = dir == 0 ? f.outgoing : f.incoming;
    const Pixel* other = dir == 0 ? f.incoming : f.outgoing;
    const int32_t l = dir == 0 ? truncToInt(p * 2048.0f) : truncToInt((1.0f - p) * 2048.0f);
    const int32_t hw = f.w >> 1, hh = f.h >> 1;
    if (l <= 1023) {
        const int32_t n = std::max(2, hw - hw * l / 1024);
        const int64_t v = static_cast<int64_t>(hw) * 65536 / n;   // j x v passes 2^31 on large frames
        // Every pixel of the frame, the last column and row of odd sizes included.
        for (int32_t y = 0; y < f.h; ++y) {
            const int32_t i = y - hh;
            const int64_t sy = hh + ((i * v) >> 16);
            Pixel* out = f.canvas + f.at(0, y);
            for (int32_t x = 0; x < f.w; ++x) {
                const int32_t j = x - hw;
                const int64_t sx = hw + ((j * v) >> 16);
                out[x] = (sx >= 0 && sx < f.w && sy >= 0 && sy < f.h)
                             ? zoomed[f.at(static_cast<int32_t>(sx), static_cast<int32_t>(sy))]
                             : borderPoint(f, zoomed, hw, hh, j, i);
            }
        }
        return;
    }
    f.copyWhole(other);
    const int32_t rowEdge = hh * (l - 1024) / 1024, colEdge = hw * (l - 1024) / 1024;
    for (int32_t i = rowEdge - hh; i < hh - rowEdge; ++i) {
        Pixel* out = f.canvas + f.at(0, hh + i);
        for (int32_t j = colEdge - hw; j < hw - colEdge; ++j) out[hw + j] = borderPoint(f, zoomed, hw, hh, j, i);
    }
}
