// The letter on Windows: its one-second start timer and its drawing on the
// canvas's memory device context.
#pragma once
#include <windows.h>

// Starts the one-second thread timer (no window) that lets the letter start
// after its delay; it stops itself then.
void startLetterTimer();
VOID CALLBACK letterTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
// In letter mode, once started: draws this frame's letter on the canvas's
// device context for a frame of w x h, and moves it on by one pixel.
void drawLetter(HDC canvasDC, int w, int h);
