// The preview driver's entries beyond the wizard's seams: the full-screen
// preview starts it with sound at its own size and draws at (0, 0).
#pragma once
#include <windows.h>

#include <cstdint>

#include "render/PixelTypes.h"

bool startPreviewAt(int32_t w, int32_t h, bool withSound, bool fullScreen);
// target 1: to (86, 59) of dc (the Make page); 0: to (0, 0); other: no copy.
void previewFrameTo(HDC dc, int32_t w, int32_t h, int32_t target);

// While the picture-order strip is shown the preview draws no titles.
void setPictureOrderShown(bool shown);
// The pictures the running preview plays.
int32_t previewPictureCount();
// The strip's thumbnail click: picture `index` becomes the current picture at
// once, and the preview goes on after it.
void jumpToPreviewPicture(int32_t index);

// Copies Glimmerdeck's bitmap resource of that name ("RedFires33.bmp",
// "AirPlane.bmp", "FootMark.bmp") as w x h top-down pixels (pitch w); what the
// bitmap lacks is black. 1 when copied, 0 (nothing written) for another name
// or a missing resource. The module is the one the preview started in.
int32_t loadBitmapByName(Pixel* pixels, const char* name, int32_t w, int32_t h);
