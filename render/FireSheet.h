// The engine's built-in fire texture: 33 flame frames of 30 x 110 pixels on black,
// in 3 rows of 11 cells of 30 x 120 (330 x 360 in all). Drawn by our own integer
// code, so every build makes the same bytes; the Windows engine carries it as
// bitmap resource 122, the native build draws it when asked.
#pragma once
#include <cstdint>
#include <vector>

#include "render/PixelTypes.h"

constexpr int32_t kFireFrameCount = 33;
constexpr int32_t kFireFrameWidth = 30;
constexpr int32_t kFireCellHeight = 120;
constexpr int32_t kFireFrameHeight = 110;

// 330 x 360 pixels 0x00RRGGBB, pitch 330, rows top-down.
void drawFireSheet(Pixel* dst);
// The sheet as a .bmp file: 24 bits per pixel, bottom-up rows of 992 bytes.
std::vector<uint8_t> fireSheetBitmapFile();
