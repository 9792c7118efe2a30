// The runtime's static frame-sized buffers: the two picture buffers the slides
// are decoded into and the two canvases the animations draw into alternately.
// Each holds 816 x 616 pixels, an 800 x 600 frame with its 8-pixel margin, and
// is used with the pitch width + 16 of the current frame.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

constexpr int32_t kPictureBufferPixels = kFrameBufferWidth * kFrameBufferHeight;   // 502,656
// The drawing origin lies 8 rows of 816 pixels plus 8 pixels in.
constexpr int32_t kPictureOriginOffset = kBufferMargin * kFrameBufferWidth + kBufferMargin;

// Drawing origin of picture buffer 0 or 1 (the scheduler's currentPicture starts
// at 0, previousPicture at 1).
Pixel* pictureBuffer(int32_t which);
// Drawing origin of animation canvas 0 or 1. Zero at program start; never cleared.
Pixel* animationCanvas(int32_t which);
// Fills both picture buffers, margins included, with 0.
void clearPictureBuffers();
