// Step 3, the "Sound" page: folders, the sound file list, a small player with
// volume and balance, and the chosen file's information.
#pragma once
#include <windows.h>

INT_PTR CALLBACK soundPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The Sound step holds no sound: path, times, information and highlight
// emptied, the player stopped and closed (Cancel Selection, File New, a work
// opened without sound).
void dropChosenSound(HWND page);
