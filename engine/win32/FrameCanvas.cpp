// The canvas as a top-down 32-bit DIB section in a memory device context.
#include "engine/FrameCanvas.h"

#include <windows.h>

#include <cstring>

namespace {
HGDIOBJ gPreviousBitmap = nullptr;   // the DC's own bitmap, put back before deleting
}  // namespace

bool createCanvas(int32_t w, int32_t h) {
    freeCanvas();
    limitFrameSize(&w, &h);
    const int32_t pitch = pitchForWidth(w);
    const int32_t rows = h + 2 * kBufferMargin;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pitch;
    info.bmiHeader.biHeight = -rows;     // top-down: row 0 first in memory
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(dc);
        return false;
    }
    std::memset(bits, 0, static_cast<size_t>(pitch) * rows * sizeof(Pixel));
    gPreviousBitmap = SelectObject(dc, bitmap);

    setCanvasRecord(static_cast<Pixel*>(bits), w, h, dc, bitmap);
    return true;
}

void freeCanvas() {
    const FrameCanvas& canvas = frameCanvas();
    HDC dc = static_cast<HDC>(canvas.memoryDC);
    if (dc) {
        if (gPreviousBitmap) SelectObject(dc, gPreviousBitmap);
        DeleteDC(dc);
    }
    if (canvas.bitmap) DeleteObject(static_cast<HBITMAP>(canvas.bitmap));
    gPreviousBitmap = nullptr;
    clearCanvasRecord();
}

void presentCanvas(void* deviceContext, int32_t w, int32_t h) {
    const FrameCanvas& canvas = frameCanvas();
    if (!canvas.origin || !deviceContext) return;
    limitFrameSize(&w, &h);
    BitBlt(static_cast<HDC>(deviceContext), 0, 0, w, h, static_cast<HDC>(canvas.memoryDC),
           kBufferMargin, kBufferMargin, SRCCOPY);
}
