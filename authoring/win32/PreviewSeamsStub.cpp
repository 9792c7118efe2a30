// Stand-in for the preview driver and the viewer windows: the Make step's frame
// shows the first picture of the title list, still, and the viewers do not open.
#include <windows.h>
#include <commctrl.h>

#include "authoring/PictureLoading.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "render/Platform.h"

namespace {

HDC stillDc = nullptr;
HBITMAP stillBitmap = nullptr;
HGDIOBJ stillOld = nullptr;
int32_t stillWidth = 0, stillHeight = 0;

}  // namespace

bool startPreview(int32_t w, int32_t h, bool) {
    freePreviewCanvases();
    if (!wizard.titleList || SendMessageA(wizard.titleList, LVM_GETITEMCOUNT, 0, 0) < 1) return false;
    char path[260] = {};
    LVITEMA item = {};
    item.pszText = path;
    item.cchTextMax = sizeof path;
    SendMessageA(wizard.titleList, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    Pixel* bits = nullptr;
    stillBitmap = static_cast<HBITMAP>(platformCreateImage(nullptr, w, h, &bits));
    if (!stillBitmap) return false;
    stillDc = CreateCompatibleDC(nullptr);
    stillOld = SelectObject(stillDc, stillBitmap);
    stillWidth = w;
    stillHeight = h;
    loadJpegToDib(path, bits, w, h, w);
    return true;
}

void previewFrame(HDC dc, int32_t, int32_t) {
    if (stillDc) BitBlt(dc, 86, 59, stillWidth, stillHeight, stillDc, 0, 0, SRCCOPY);
}

void freeParticleLists() {}
void scratchReleaseAll() {}

void freePreviewCanvases() {
    if (stillDc) SelectObject(stillDc, stillOld), DeleteDC(stillDc), stillDc = nullptr;
    if (stillBitmap) DeleteObject(stillBitmap), stillBitmap = nullptr;
}

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
