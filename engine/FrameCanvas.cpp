#include "engine/FrameCanvas.h"

namespace {
FrameCanvas gCanvas;
}  // namespace

const FrameCanvas& frameCanvas() { return gCanvas; }

void setCanvasRecord(Pixel* bits, int32_t w, int32_t h, void* memoryDC, void* bitmap) {
    const int32_t pitch = pitchForWidth(w);
    gCanvas.bits = bits;
    gCanvas.origin = bits + kBufferMargin * pitch + kBufferMargin;
    gCanvas.width = w;
    gCanvas.height = h;
    gCanvas.pitch = pitch;
    gCanvas.memoryDC = memoryDC;
    gCanvas.bitmap = bitmap;
}

void clearCanvasRecord() { gCanvas = FrameCanvas{}; }

void limitFrameSize(int32_t* w, int32_t* h) {
    const FrameCanvas& canvas = frameCanvas();
    const int32_t maxW = canvas.origin ? canvas.width : kMaxFrameWidth;
    const int32_t maxH = canvas.origin ? canvas.height : kMaxFrameHeight;
    if (*w > maxW) *w = maxW;
    if (*h > maxH) *h = maxH;
    if (*w < 0) *w = 0;
    if (*h < 0) *h = 0;
}
