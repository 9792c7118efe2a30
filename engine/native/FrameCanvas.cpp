// The canvas as a plain buffer, for the native builds.
#include "engine/FrameCanvas.h"

#include <cstddef>
#include <vector>

namespace {
std::vector<Pixel> gStorage;
}  // namespace

bool createCanvas(int32_t w, int32_t h) {
    freeCanvas();
    limitFrameSize(&w, &h);
    gStorage.assign(static_cast<size_t>(pitchForWidth(w)) * (h + 2 * kBufferMargin), 0);
    setCanvasRecord(gStorage.data(), w, h, nullptr, nullptr);
    return true;
}

void freeCanvas() {
    clearCanvasRecord();
    std::vector<Pixel>().swap(gStorage);
}

void presentCanvas(void*, int32_t, int32_t) {}
