#include "render/FireSheet.h"

#include <algorithm>

#include "render/Fills.h"

namespace {

// Parabolic sine: angle in 1,024ths of a turn, result -256 .. 256.
int32_t waveAt(int32_t angle) {
    const int32_t a = angle & 1023, half = a & 511;
    const int32_t v = (half * (512 - half)) >> 8;
    return a < 512 ? v : -v;
}

uint32_t hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h & 255;
}

// Value noise 0..255 on a lattice of cw x ch pixels whose rows repeat every `rows`
// cells, so the upward scroll comes back to its start after the last frame.
int32_t noiseAt(int32_t x, int32_t y, int32_t cw, int32_t ch, int32_t rows, uint32_t seed) {
    const int32_t ix = x / cw, iy = y / ch;
    const int32_t fx = (x % cw) * 256 / cw, fy = (y % ch) * 256 / ch;
    auto at = [&](int32_t i, int32_t j) { return static_cast<int32_t>(hash(i + seed, j % rows)); };
    const int32_t top = at(ix, iy) * (256 - fx) + at(ix + 1, iy) * fx;
    const int32_t bottom = at(ix, iy + 1) * (256 - fx) + at(ix + 1, iy + 1) * fx;
    return (top * (256 - fy) + bottom * fy) >> 16;
}

// Heat 0..256 of pixel (x, y) of frame k (y = 0 top, the flame stands on y = 109).
int32_t heatAt(int32_t k, int32_t x, int32_t y) {
    const int32_t phase = k * 1024 / kFireFrameCount;
    const int32_t t = (kFireFrameHeight - 1 - y) * 256 / kFireFrameHeight;   // 0 base .. 253 top
    // Centre line in 16ths of a pixel, swaying more toward the tip.
    const int32_t centre = 240 + ((t * (waveAt(phase + t * 2) * 3 + waveAt(2 * phase + t * 5) * 2)) >> 12);
    // Half-width: swelling just above the base, then narrowing to the tip, flickering.
    const int32_t swell = std::min(256, 128 + t * 3);
    int32_t halfWidth = (200 * swell / 256) * (256 - t) / 256;
    halfWidth += (waveAt(3 * phase + t * 4) * (256 - t)) >> 11;
    if (halfWidth <= 0) return 0;
    const int32_t off = x * 16 + 8 - centre;
    int32_t edge = 256 - (off < 0 ? -off : off) * 256 / halfWidth;
    if (edge <= 0) return 0;
    // Rising turbulence (scrolls 8 pixels a frame, 33 cells of 8 rows).
    const int32_t scroll = y + k * 8;
    const int32_t n = (noiseAt(x + 64, scroll, 6, 8, 33, 11) * 2 + noiseAt(x + 64, scroll, 3, 4, 66, 29)) / 3;
    int32_t heat = edge * (96 + n) / 288;
    heat = heat * (300 - t) / 300;
    heat += std::max(0, 48 - t) * edge / 256;   // the hot base
    return std::clamp(heat, 0, 256);
}

Pixel fireColour(int32_t heat) {
    if (heat < 10) return 0;
    auto ramp = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    const uint32_t r = ramp(heat * 3);
    const uint32_t g = ramp((heat - 70) * 3);
    const uint32_t b = ramp((heat - 170) * 3);
    return (r << 16) | (g << 8) | b;
}

void putLe(std::vector<uint8_t>& out, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

void drawFireSheet(Pixel* dst) {
    std::fill(dst, dst + kFireBitmapWidth * kFireBitmapHeight, Pixel{0});
    for (int32_t k = 0; k < kFireFrameCount; ++k) {
        const int32_t left = kFireFrameWidth * (k % 11), top = kFireCellHeight * (k / 11);
        for (int32_t y = 0; y < kFireFrameHeight; ++y)
            for (int32_t x = 0; x < kFireFrameWidth; ++x)
                dst[(top + y) * kFireBitmapWidth + left + x] = fireColour(heatAt(k, x, y));
    }
}

std::vector<uint8_t> fireSheetBitmapFile() {
    const int32_t stride = (kFireBitmapWidth * 3 + 3) & ~3;   // 992
    const uint32_t bitsSize = static_cast<uint32_t>(stride * kFireBitmapHeight);
    std::vector<uint8_t> out(54 + bitsSize, 0);
    out[0] = 'B';
    out[1] = 'M';
    putLe(out, 2, static_cast<uint32_t>(out.size()), 4);
    putLe(out, 10, 54, 4);
    putLe(out, 14, 40, 4);
    putLe(out, 18, kFireBitmapWidth, 4);
    putLe(out, 22, kFireBitmapHeight, 4);   // positive: bottom-up
    putLe(out, 26, 1, 2);
    putLe(out, 28, 24, 2);
    putLe(out, 34, bitsSize, 4);
    putLe(out, 38, 2835, 4);                // 72 dpi
    putLe(out, 42, 2835, 4);
    std::vector<Pixel> sheet(kFireBitmapWidth * kFireBitmapHeight);
    drawFireSheet(sheet.data());
    for (int32_t row = 0; row < kFireBitmapHeight; ++row) {
        const Pixel* in = sheet.data() + (kFireBitmapHeight - 1 - row) * kFireBitmapWidth;
        uint8_t* line = out.data() + 54 + row * stride;
        for (int32_t x = 0; x < kFireBitmapWidth; ++x) {
            line[3 * x] = static_cast<uint8_t>(in[x]);
            line[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
            line[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
        }
    }
    return out;
}
