// The start-up system check on Windows: a two-second notice without a button,
// then advice boxes for memory, processor speed and screen width.
#pragma once
#include <windows.h>

#include <cstdint>

// Called after the single-instance test, before the wizard is built.
void checkSystem();
// A message box that closes itself after milliseconds (its OK button hidden);
// 0 when the time ran out, else the box's own result.
int timedMessageBox(HWND owner, const char* text, const char* caption, UINT style, UINT milliseconds);
int readCpuMhz(DWORD* speed);
void readRamMb(uint32_t* amount);   // units of 1,024,000 bytes
int screenWidth();
