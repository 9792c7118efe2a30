// Images the portable code draws into, as DIB sections, and the resolution of a
// device context.
#include <windows.h>

#include <cstring>

#include "render/Platform.h"

void platformTextResolution(void* dc, int32_t* dpiX, int32_t* dpiY) {
    HDC hdc = static_cast<HDC>(dc);
    HDC screen = hdc ? nullptr : GetDC(nullptr);
    HDC use = hdc ? hdc : screen;
    int32_t x = use ? GetDeviceCaps(use, LOGPIXELSX) : 0;
    int32_t y = use ? GetDeviceCaps(use, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    *dpiX = x > 0 ? x : 96;
    *dpiY = y > 0 ? y : 96;
}

void* platformCreateImage(void* dc, int32_t width, int32_t height, Pixel** pixels) {
    *pixels = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC hdc = static_cast<HDC>(dc);
    HDC screen = hdc ? nullptr : GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(hdc ? hdc : screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (screen) ReleaseDC(nullptr, screen);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    std::memset(bits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(Pixel));
    *pixels = static_cast<Pixel*>(bits);
    return bitmap;
}

void platformDeleteImage(void* image) {
    if (image) DeleteObject(static_cast<HBITMAP>(image));
}
