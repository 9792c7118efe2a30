#include "Sfx/Image_Effect_Special.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "engine/ScratchPool.h"
#include "render/Discs.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MaskRelief.h"
#include "render/RandomGeometry.h"
#include "render/SeedFill.h"

namespace {

// Three accumulators carried along every row and on into the next: each moves
// toward the picture's channel by k / 512. k = 512 copies the picture.
template <class RowFactor>
void smearRows(const Frame& f, RowFactor factor) {
    int32_t acc[3] = {0, 0, 0};
    for (int32_t y = 0; y < f.h; ++y) {
        const int64_t k = factor(y);
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            Pixel out = 0;
            for (int c = 0; c < 3; ++c) {
                const int32_t ch = static_cast<int32_t>((s[x] >> (16 - 8 * c)) & 255);
                acc[c] = static_cast<uint8_t>(acc[c] + ((k * (ch - acc[c])) >> 9));
                out |= static_cast<Pixel>(acc[c]) << (16 - 8 * c);
            }
            d[x] = out;
        }
    }
}

}  // namespace

void applySpWaveWind(EffectParams* p) {
    float L = 0;
    if (p->levelMode) {
        updateEffectLevel(p, 0.0f, 1.0f);
        L = heldLevel(p->level);
    }
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t unit = std::max(1, 32000 / f.w);
    const bool sound = p->levelMode == 0;
    smearRows(f, [&](int32_t y) -> int64_t {
        // A one-row frame reads the first sample.
        const int64_t sample = p->samples ? p->samples[f.h > 1 ? 255 * y / (f.h - 1) : 0] : 0;
        if (sound) return 5120 / (std::llabs(sample / unit) + 10);
        return truncToInt(5120 / (std::fabs(sample * (L / 512) / unit) + 10));
    });
}

void applySpWind(EffectParams* p) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t k = truncToInt(5120 / (L * f.w * 0.0046875 + 10));
    smearRows(f, [k](int32_t) { return k; });
}

void applySpEarthQuake(EffectParams* p) {
    const double a = randRangeDouble(0, 6.283185308);
    double g;
    if (p->levelMode == 0) {
        g = heldLevel(p->level) / 8;
    } else {
        updateEffectLevel(p, 0.0f, 1.0f);
        g = heldLevel(p->level) / 256 * 32;
    }
    Frame f;
    if (!frameOf(p, &f)) return;
    // A shake wider than a small frame bares all of it.
    const int32_t dx = std::clamp(truncToInt(g * std::cos(a)), -f.w, f.w);
    const int32_t dy = std::clamp(truncToInt(g * std::sin(a)), -f.h, f.h);
    copyRect(f.dst, f.src, std::max(dx, 0), std::max(dy, 0),
             Rect{std::max(-dx, 0), std::max(-dy, 0), f.w - std::max(dx, 0), f.h - std::max(dy, 0)}, f.pitch,
             f.pitch);
    fillRect(f.dst, dx <= 0 ? Rect{f.w + dx, 0, f.w, f.h} : Rect{0, 0, dx, f.h}, f.pitch, 0);
    fillRect(f.dst, dy <= 0 ? Rect{0, f.h + dy, f.w, f.h} : Rect{0, 0, f.w, dy}, f.pitch, 0);
}

void applySpEmboss(EffectParams* p, int32_t depth, int32_t red, int32_t green, int32_t blue, int32_t offset,
                   int32_t curve) {
    SpecialState& st = effectState<SpecialState>(p);
    // No level of a previous frame yet: the first frame blends.
    if (p->firstFrame) st.embossPrevLevel = -1;
    updateEffectLevel(p, 0.96f, 1.0f);
    const float L = heldLevel(p->level);
    const bool steady = L == st.embossPrevLevel;
    st.embossPrevLevel = L;
    Frame f;
    if (!frameOf(p, &f)) return;
    int32_t curveTable[256];
    const int32_t a = curve / 4 + 64, b = 128 - a, c = 255 - a;
    for (int32_t i = 0; i < 256; ++i) {
        if (i < a) curveTable[i] = i * b / a;
        else if (i < c) curveTable[i] = (i - a) * (255 - 2 * b) / (c - a) + b;
        else curveTable[i] = (i - 255) * b / a + 255;
    }
    const int64_t k = int64_t{truncToInt(L)} * (p->levelMode ? 2 : 1);
    const int32_t factors[3] = {red, green, blue};
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        const Pixel* back = f.srcRow(y - depth) - depth;
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t index = std::clamp<int32_t>(
                (static_cast<int32_t>(s[x] & 255) + offset - static_cast<int32_t>(back[x] & 255)) >> 1, 0, 255);
            const int64_t n = curveTable[index];
            Pixel out = 0;
            for (int ch = 0; ch < 3; ++ch) {
                const int shift = 16 - 8 * ch;
                const int64_t emboss = factors[ch] * n / 256;
                const int64_t picture = (s[x] >> shift) & 255;
                const int64_t v = steady ? emboss : picture + (((emboss - picture) * k) >> 8);
                out |= static_cast<Pixel>(std::clamp<int64_t>(v, 0, 255)) << shift;
            }
            d[x] = out;
        }
    }
}

void applySpLED(EffectParams* p) {
    updateEffectLevel(p, 0.91f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t r = 1 + truncToInt(((f.w + f.h) * 256 / 1120) * L / 8192);
    const int32_t cx = f.w >> 1, cy = f.h >> 1;
    const int64_t r2 = int64_t{r} * r;
    // Each cell drawn four times, mirrored about the centre; its pixels stay
    // within half the frame each way from the centre.
    for (int32_t row = 0; row < cy / (2 * r) + 1; ++row) {
        const int32_t g = r + 2 * r * row;
        if (g >= cy) break;
        for (int32_t col = 0; col < cx / (2 * r) + 1; ++col) {
            const int32_t o = r + 2 * r * col;
            if (o >= cx) break;
            for (int q = 0; q < 4; ++q) {
                const int32_t sx = q & 1 ? -1 : 1, sy = q & 2 ? -1 : 1;
                const Pixel colour = f.srcRow(cy + sy * g)[cx + sx * o];
                for (int32_t k = -r; k <= r; ++k) {
                    if (g + k >= cy) continue;
                    Pixel* d = f.dstRow(cy + sy * (g + k));
                    for (int32_t m = -r; m <= r; ++m) {
                        if (o + m >= cx) continue;
                        d[cx + sx * (o + m)] = int64_t{m} * m + int64_t{k} * k <= r2 ? colour : 0;
                    }
                }
            }
        }
    }
}

void applySp3DBlock(EffectParams* p, int32_t shape, int32_t colourSource, int32_t round, int32_t raised) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    const bool drawable = frameOf(p, &f);
    Pixel* tile = keptScratch(p, 0, [](Pixel*) {});
    if (!drawable) return;
    // A frame narrower than one block still gets one.
    const int32_t nx = std::max(1, truncToInt(4 * f.w / (L / 2 + 16)));
    const int32_t ny = std::max(1, truncToInt(4 * f.h / (L / 2 + 16)));
    const int32_t w = f.w / nx, h = f.h / ny;
    constexpr int64_t kTileCapacity = (kScratchBlockBytes - kScratchLeadBytes) / 4;
    if (!tile || int64_t{9} * w * h > kTileCapacity || w < 1 || h < 1) {
        copyPicture(f);
        return;
    }
    const int32_t tw = 3 * w;
    const Rect whole{0, 0, tw, 3 * h};
    const float sign = static_cast<float>(2 * raised - 1);
    if (shape == 2) {
        std::fill_n(tile, static_cast<size_t>(9) * w * h, Pixel{0});
        fillDisc(tile, tw, w + w / 2, h + h / 2, std::min(w, h) / 2, 1);
        renderMaskRelief(tile, whole, tw, sign, w, 0);
    } else {
        std::fill_n(tile, static_cast<size_t>(9) * w * h, Pixel{0x01010101});
        for (int32_t i = 1; i <= 2; ++i) {
            drawLineClipped(tile, 0, i * h, tw, i * h, 0, whole, tw);
            drawLineClipped(tile, i * w, 0, i * w, 3 * h, 0, whole, tw);
        }
        renderMaskReliefB(tile, whole, tw, sign, w / 2, 0, 3);
    }
    const Pixel* cell = tile + static_cast<ptrdiff_t>(h) * tw + w;
    for (int32_t i = 0; i < ny; ++i) {
        const int32_t y0 = i * f.h / ny, y1 = (i + 1) * f.h / ny;
        for (int32_t j = 0; j < nx; ++j) {
            const int32_t x0 = j * f.w / nx, x1 = (j + 1) * f.w / nx;
            const int32_t bw = x1 - x0, bh = y1 - y0;
            const Pixel centre = f.srcRow(y0 + bh / 2)[x0 + bw / 2];
            const int64_t reach = (int64_t{bw} * bw + int64_t{bh} * bh) / 8;
            for (int32_t v = 0; v < bh; ++v) {
                const Pixel* s = f.srcRow(y0 + v) + x0;
                const Pixel* t = cell + static_cast<ptrdiff_t>(std::min(v, 2 * h - 1)) * tw;
                Pixel* d = f.dstRow(y0 + v) + x0;
                for (int32_t u = 0; u < bw; ++u) {
                    if (round && int64_t{u - bw / 2} * (u - bw / 2) + int64_t{v - bh / 2} * (v - bh / 2) > reach) {
                        d[u] = 0;
                        continue;
                    }
                    const Pixel word = t[std::min(u, 2 * w - 1)];
                    const uint32_t gain = word & 0xFFFF, light = word >> 16;
                    const Pixel c = colourSource ? centre : s[u];
                    Pixel out = 0;
                    for (int shift = 0; shift <= 16; shift += 8)
                        out |= std::min<Pixel>(255, light + ((((c >> shift) & 255) * gain) >> 8)) << shift;
                    d[u] = out;
                }
            }
        }
    }
}

void applySpChaosZoom(EffectParams* p) {
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t hw = f.w >> 1, hh = f.h >> 1;
    const int64_t shrink = std::max<int64_t>(2, hw - hw * truncToInt(L) / 512);
    const int64_t g = hw * 65536 / shrink;
    auto at = [&](int64_t col, int64_t row) {
        // The inset rectangle lies outside a frame under 10 pixels: held inside.
        return f.srcRow(static_cast<int32_t>(std::clamp<int64_t>(hh + row, 0, f.h - 1)))
            [std::clamp<int64_t>(hw + col, 0, f.w - 1)];
    };
    for (int64_t dy = -hh; dy < hh; ++dy) {
        Pixel* d = f.dstRow(static_cast<int32_t>(hh + dy)) + hw;
        for (int64_t dx = -hw; dx < hw; ++dx) {
            const int64_t u = (dx * g) >> 16, v = (dy * g) >> 16;
            if (u >= -hw && u < hw && v >= -hh && v < hh) {
                d[dx] = at(u, v);
                continue;
            }
            const bool first = f.h * dx < -f.w * dy, second = f.h * dx > f.w * dy;
            if (first && second) d[dx] = at(dx * (-hh + 4) / dy, -hh + 4);
            else if (first) d[dx] = at(-hw + 4, (-hw + 4) * dy / dx);
            else if (second) d[dx] = at(hw - 5, dy * (hw - 5) / dx);
            else d[dx] = at(dx * (hh - 5) / dy, hh - 5);
        }
    }
}
