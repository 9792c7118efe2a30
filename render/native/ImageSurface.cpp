// Images the portable code draws into, as plain memory, and a fixed resolution.
#include <cstddef>
#include <new>

#include "render/Platform.h"

void platformTextResolution(void*, int32_t* dpiX, int32_t* dpiY) {
    *dpiX = 96;
    *dpiY = 96;
}

void* platformCreateImage(void*, int32_t width, int32_t height, Pixel** pixels) {
    *pixels = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    Pixel* image = new (std::nothrow) Pixel[static_cast<size_t>(width) * static_cast<size_t>(height)]();
    *pixels = image;
    return image;
}

void platformDeleteImage(void* image) { delete[] static_cast<Pixel*>(image); }
