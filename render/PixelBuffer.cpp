// Copies, adds and blends that place a source RECT at one spot, pixel for pixel.
#include "render/PixelBuffer.h"

#include <cstring>

void copyRect(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& srcRect,
              int32_t dstPitch, int32_t srcPitch) {
    const int32_t width = srcRect.right - srcRect.left;
    const int32_t height = srcRect.bottom - srcRect.top;
    if (width <= 0 || height <= 0) return;
    Pixel* d = pixelAt(dst, dstPitch, x, y);
    const Pixel* s = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    const size_t bytes = static_cast<size_t>(width) * sizeof(Pixel);
    for (int32_t row = 0; row < height; ++row, d += dstPitch, s += srcPitch) {
        const uintptr_t dAddr = reinterpret_cast<uintptr_t>(d), sAddr = reinterpret_cast<uintptr_t>(s);
        if (dAddr > sAddr && dAddr < sAddr + bytes) {
            // A forward copy onto itself a little to the right repeats the start
            // of the row; effects that scroll within one buffer rely on that order.
            for (int32_t i = 0; i < width; ++i) d[i] = s[i];
        } else {
            std::memmove(d, s, bytes);
        }
    }
}

void addRect(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& srcRect,
             int32_t dstPitch, int32_t srcPitch) {
    const int32_t width = srcRect.right - srcRect.left;
    const int32_t height = srcRect.bottom - srcRect.top;
    if (height < 1) return;
    Pixel* d = pixelAt(dst, dstPitch, x, y);
    const Pixel* s = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    for (int32_t row = 0; row < height; ++row, d += dstPitch, s += srcPitch)
        for (int32_t i = 0; i < width; ++i) d[i] = saturatingAdd(d[i], s[i]);
}

void copyRectKeyed(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& srcRect,
                   int32_t dstPitch, int32_t srcPitch, Pixel key) {
    const int32_t width = srcRect.right - srcRect.left;
    const int32_t height = srcRect.bottom - srcRect.top;
    if (width <= 0 || height <= 0) return;
    Pixel* d = pixelAt(dst, dstPitch, x, y);
    const Pixel* s = pixelAt(src, srcPitch, srcRect.left, srcRect.top);
    for (int32_t row = 0; row < height; ++row, d += dstPitch, s += srcPitch)
        for (int32_t i = 0; i < width; ++i)
            if (s[i] != key) d[i] = s[i];
}

void blendRect(Pixel* dst, const Pixel* src, int32_t x, int32_t y, const Rect& rect,
               int32_t dstPitch, int32_t srcPitch, float alpha) {
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    const uint32_t a = blendWeight(alpha);
    Pixel* d = pixelAt(dst, dstPitch, x + rect.left, y + rect.top);
    const Pixel* s = pixelAt(src, srcPitch, x + rect.left, y + rect.top);
    for (int32_t row = 0; row < height; ++row, d += dstPitch, s += srcPitch) blendPixels(d, s, width, a);
}
