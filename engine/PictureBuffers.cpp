#include "engine/PictureBuffers.h"

#include <cstring>

namespace {
Pixel gPictureBuffers[2][kPictureBufferPixels];
Pixel gAnimationCanvases[2][kPictureBufferPixels];
}  // namespace

Pixel* pictureBuffer(int32_t which) { return gPictureBuffers[which & 1] + kPictureOriginOffset; }

Pixel* animationCanvas(int32_t which) { return gAnimationCanvases[which & 1] + kPictureOriginOffset; }

void clearPictureBuffers() { std::memset(gPictureBuffers, 0, sizeof gPictureBuffers); }
