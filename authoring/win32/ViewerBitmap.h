// The one viewer bitmap through which the steps draw decoded pictures: a 32-bit
// top-down DIB section in a memory DC, made again at each size it is needed.
#pragma once
#include <windows.h>

#include <cstdint>

#include "render/PixelTypes.h"

bool createViewerBitmap(int32_t w, int32_t h);
bool createViewerBitmapForWindow(HWND window, int32_t* w, int32_t* h);
void freeViewerBitmap();
Pixel* viewerPixels();
HDC viewerDc();
void getClientSize(HWND window, int32_t* w, int32_t* h);

// The step previews: each draws only when its list has rows and the picture decodes.
void showImagePreviewLarge(HDC dc, HWND page, const char* path);
void showImagePreviewSmall(HDC dc, HWND page, const char* path);
void showTitlePicturePreview(HDC dc, HWND page, const char* path);
void drawPictureInWindow(HDC dc, HWND window, const char* path);
