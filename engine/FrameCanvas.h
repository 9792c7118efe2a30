// The off-screen canvas every frame is drawn into and then copied to the window.
// On Windows it is a top-down 32-bit DIB section selected into a memory device
// context, so GDI text and the pixel code share its pixels; natively it is a
// plain buffer. One canvas per program, UI thread only.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

struct FrameCanvas {
    Pixel* bits = nullptr;       // pixel (0, 0) of the whole bitmap, margin included
    Pixel* origin = nullptr;     // drawing origin: 8 rows and 8 pixels in; null without a canvas
    int32_t width = 0;           // frame size
    int32_t height = 0;
    int32_t pitch = 0;           // width + 16
    void* memoryDC = nullptr;    // HDC holding the bitmap (null natively)
    void* bitmap = nullptr;      // HBITMAP (null natively)
};

const FrameCanvas& frameCanvas();

// Frees any earlier canvas and makes one of (w + 16) x (h + 16) pixels, all 0.
// The size is limited first (limitFrameSize). Returns false, leaving no canvas,
// when the bitmap or its device context cannot be made.
bool createCanvas(int32_t w, int32_t h);
void freeCanvas();

// Frame sizes are never drawn beyond the buffers: a size is cut to the canvas's
// when a canvas exists (a preview window that grew after start-up keeps drawing
// at the size it started with), and to 800 x 600, the picture buffers' frame,
// before that. Negative sizes become 0, which draws nothing.
void limitFrameSize(int32_t* w, int32_t* h);

// For the platform units: record a canvas made over `bits` ((w + 16) x (h + 16)
// pixels, already 0), or forget it.
void setCanvasRecord(Pixel* bits, int32_t w, int32_t h, void* memoryDC, void* bitmap);
void clearCanvasRecord();

// Copies w x h pixels from the canvas's point (8, 8) to (0, 0) of the device
// context (SRCCOPY). Does nothing without a canvas, and natively.
void presentCanvas(void* deviceContext, int32_t w, int32_t h);
