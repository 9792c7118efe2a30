#include "render/Blits.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "render/PixelBuffer.h"
#include "render/Platform.h"


void blitKeyedCentered(Pixel* dst, const Pixel* src, int32_t cx, int32_t cy, const Rect& srcRect,
                       int32_t dstPitch, int32_t srcPitch, int32_t width, int32_t height) {
    const int64_t hw = (static_cast<int64_t>(srcRect.right) - srcRect.left) >> 1;
    const int64_t hh = (static_cast<int64_t>(srcRect.bottom) - srcRect.top) >> 1;
    const int64_t y0 = std::max<int64_t>(cy - hh, 0), y1 = std::min<int64_t>(height, cy + hh);
    const int64_t x0 = std::max<int64_t>(cx - hw, 0), x1 = std::min<int64_t>(width, cx + hw);
    const int64_t offX = srcRect.left - cx + hw, offY = srcRect.top - cy + hh;
    for (int64_t y = y0; y < y1; ++y) {
        Pixel* d = dst + static_cast<ptrdiff_t>(y * dstPitch);
        const Pixel* s = src + static_cast<ptrdiff_t>((y + offY) * srcPitch + offX);
        for (int64_t x = x0; x < x1; ++x)
            if (s[x] != 0) d[x] = s[x];
    }
}

int32_t drawTextToBuffer(Pixel* dst, const Rect& clip, int32_t pitch, const char* text,
                         uint32_t colour, int32_t x, int32_t y, int32_t height,
                         const char* faceName) {
    TextFont font;
    font.height = height;
    font.weight = 700;
    font.charSet = 0;        // ANSI
    font.quality = 2;        // proof
    if (faceName) {
        std::strncpy(font.faceName, faceName, sizeof(font.faceName) - 1);
        font.faceName[sizeof(font.faceName) - 1] = '\0';
    }
    const int32_t length = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (length == 0) return 1;

    Rect extent{0, 0, 0, 0};
    const Pixel rgb = ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
    if (platformDrawText(nullptr, 0, 0, 0, text, length, font, rgb, &extent, kTextCalcRect) == 0)
        return 0;
    const int32_t w = extent.right - extent.left, h = extent.bottom - extent.top;
    if (w <= 0 || h <= 0) return 1;

    // The text on black in a bitmap of its own, then keyed onto the buffer.
    std::vector<Pixel> bitmap(static_cast<size_t>(w) * h, 0);
    Rect box{0, 0, w, h};
    if (platformDrawText(bitmap.data(), w, w, h, text, length, font, rgb, &box, kTextCenter) == 0)
        return 0;
    blitKeyedCentered(dst, bitmap.data(), x + w / 2, y + h / 2, Rect{0, 0, w, h}, pitch, w,
                      clip.right - clip.left, clip.bottom - clip.top);
    return 1;
}

void addPixelSaturated(Pixel* dst, int32_t pitch, int32_t x, int32_t y, Pixel colour) {
    Pixel* p = dst + static_cast<ptrdiff_t>(y) * pitch + x;
    *p = saturatingAdd(*p, colour);
}

void addSparkle(Pixel* dst, int32_t pitch, int32_t x, int32_t y, Pixel colour) {
    static const int8_t kPlus[9][2] = {{0, -2}, {0, -1}, {-2, 0}, {-1, 0}, {0, 0},
                                       {1, 0},  {2, 0},  {0, 1},  {0, 2}};
    for (const auto& o : kPlus) addPixelSaturated(dst, pitch, x + o[0], y + o[1], colour);
}

void addPixelSaturatedB(Pixel* dst, int32_t pitch, int32_t x, int32_t y, Pixel colour) {
    static const int8_t kPlus[8][2] = {{0, -2}, {0, -1}, {-2, 0}, {-1, 0},
                                       {0, 0},  {1, 0},  {0, 1},  {0, 2}};
    Pixel* centre = dst + static_cast<ptrdiff_t>(y) * pitch + x;
    const Pixel v = saturatingAdd(*centre, colour);
    for (const auto& o : kPlus) centre[static_cast<ptrdiff_t>(o[1]) * pitch + o[0]] = v;
}
