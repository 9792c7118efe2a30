// Step 4, the "Make" page: the running preview, the three show options and the
// four outputs (scenario, install, saver file, installer).
#pragma once
#include <windows.h>

constexpr UINT_PTR kPreviewTimer = 100;
constexpr int kPreviewWidth = 268, kPreviewHeight = 201;

INT_PTR CALLBACK makePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void initMakePage(HWND page);
void resetMakeOptions(HWND page);
void applyMakeOptions(HWND page);
void showTrackbarSeconds(HWND page, HWND trackbar);
void showOptionSeconds(HWND page);
