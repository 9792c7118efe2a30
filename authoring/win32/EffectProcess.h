// The preview driver's entries beyond the wizard's seams: the full-screen
// preview starts it with sound at its own size and draws at (0, 0).
#pragma once
#include <windows.h>

#include <cstdint>

bool startPreviewAt(int32_t w, int32_t h, bool withSound, bool fullScreen);
// target 1: to (86, 59) of dc (the Make page); 0: to (0, 0); other: no copy.
void previewFrameTo(HDC dc, int32_t w, int32_t h, int32_t target);
