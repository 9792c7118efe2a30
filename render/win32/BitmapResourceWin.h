// A 24-bit bitmap resource of a module as width x height top-down pixels
// (pitch width), laid out as loadBitmapResource lays out the fire texture.
// 1 after filling dst, 0 (dst untouched) when it is missing or not 24-bit.
#pragma once
#include <windows.h>

#include <cstdint>

#include "render/PixelTypes.h"

int32_t loadBitmapResourceId(HINSTANCE instance, int32_t id, Pixel* dst, int32_t width, int32_t height);
