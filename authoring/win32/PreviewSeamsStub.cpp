// Stand-in for the viewer windows: they do not open.
#include <windows.h>
#include <commctrl.h>

#include "authoring/win32/WizardSeams.h"

void fillSlideTimeList(HWND page) {
    for (int s = 1; s <= 10; ++s) {
        char text[4];
        wsprintfA(text, "%d", s);
        SendDlgItemMessageA(page, 1104, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageA(page, 1104, CB_SETCURSEL, 2, 0);
}
bool slideShowWindowExists() { return false; }
void openSlideShowWindow(HWND, UINT) {}
void showOriginalSizeWindow(HWND) {}
void openFullScreenPreview(HWND) {}
