// The viewer windows outside the wizard's pages: the Image step's picture and
// slide-show windows, and the Make step's full-screen preview with its
// picture-order strip. The wizard opens them through its seams
// (WizardSeams.h); these give their handles and the full-screen state.
#pragma once
#include <windows.h>

#include <cstdint>

HWND pictureWindow();
HWND slideShowWindow();
int32_t slideShowIndex();

HWND getFullScreenWindow();
HWND imageOrderWindow();
// The screen-mode choice in use and the frame size the preview draws.
int32_t fullScreenChoice();
void fullScreenFrameSize(int32_t* w, int32_t* h);
// The display switch the full-screen preview uses (the system's by default;
// null restores it): w x h at bits, 1 when the mode was set.
using DisplayModeSetter = int (*)(int w, int h, int bits);
void setFullScreenModeSetter(DisplayModeSetter setter);
