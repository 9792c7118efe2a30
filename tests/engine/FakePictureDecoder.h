// A stand-in for the JPEG codec behind the picture loader's seam, and a picture
// source holding one entry (index 3).
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/PictureLoader.h"

namespace vt_test {

inline constexpr Pixel kOld = 0x777777;   // what a frame buffer held before a load

// Hands out a picture of a chosen size whose pixel (x, y) is R = x, G = y, B = 200, A = 255.
class FakeDecoder : public PictureDecoder {
public:
    int32_t width = 4, height = 2;
    int32_t openResult = 0, sizeResult = 0, pixelsResult = 0;
    int opens = 0, closes = 0, pixelReads = 0;

    int32_t open() override { ++opens; return openResult; }
    int32_t readSize(const uint8_t*, int32_t, int32_t* w, int32_t* h) override {
        if (sizeResult != 0) return sizeResult;
        *w = width;
        *h = height;
        return 0;
    }
    int32_t readPixels(uint8_t* rgba, int32_t w, int32_t h) override {
        ++pixelReads;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint8_t* p = rgba + (static_cast<size_t>(y) * w + x) * 4;
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(y);
                p[2] = 200;
                p[3] = 255;
                if (pixelsResult != 0 && y >= h / 2) return pixelsResult;   // fails half way
            }
        return pixelsResult;
    }
    void close() override { ++closes; }
    const char* errorText(int32_t) override { return "Memory error"; }
};

inline Pixel fakePixel(int x, int y) { return static_cast<Pixel>(x) << 16 | static_cast<Pixel>(y) << 8 | 200; }

inline const uint8_t kJpegBytes[] = {0xFF, 0xD8, 0xFF, 0xD9};
inline int gReleases = 0;
inline int32_t gReleasedIndex = -1;

inline const uint8_t* findPicture(int32_t index, int32_t* size) {
    if (index != 3) return nullptr;
    *size = sizeof kJpegBytes;
    return kJpegBytes;
}
inline void releasePicture(int32_t index, const uint8_t* data) {
    ++gReleases;
    gReleasedIndex = data == kJpegBytes ? index : -99;
}

}  // namespace vt_test
