// Glimmerdeck decodes the user's JPEG files itself, for the step thumbnails, the
// viewers and the preview: every picture is fitted with its aspect ratio kept,
// centred on black and scaled bilinearly into a 32-bit area.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// Decodes the file into the w x h area at pixels (rows pitch pixels apart).
// 1 when drawn; 0 when the file is missing, not a JPEG or damaged, and then the
// area keeps its contents. A codec that cannot start shows its error text.
int loadJpegToDib(const char* path, Pixel* pixels, int32_t w, int32_t h, int32_t pitch);

// The picture's size without decoding it; the outputs are written only when the
// size was read. 0, or 0x80004005 when the codec cannot start.
uint32_t probeJpegSize(const char* path, int32_t* width, int32_t* height);
