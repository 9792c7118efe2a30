#include "authoring/win32/ViewerBitmap.h"

#include <commctrl.h>

#include "authoring/PictureLoading.h"
#include "authoring/win32/WizardIds.h"
#include "render/Platform.h"

namespace {

HDC viewerDC = nullptr;
HBITMAP viewerBitmap = nullptr;
HGDIOBJ viewerOld = nullptr;
Pixel* viewerBits = nullptr;

// Decodes path into a fresh w x h viewer and copies it to (x, y) of dc.
bool drawDecoded(HDC dc, const char* path, int32_t w, int32_t h, int x, int y) {
    if (!createViewerBitmap(w, h)) return false;
    if (!loadJpegToDib(path, viewerBits, w, h, w)) return false;
    // Only the viewer's own rows: below them a bitmap has nothing to copy.
    BitBlt(dc, x, y, w, h, viewerDC, 0, 0, SRCCOPY);
    return true;
}

}  // namespace

bool createViewerBitmap(int32_t w, int32_t h) {
    freeViewerBitmap();
    if (w < 1 || h < 1) return false;
    Pixel* bits = nullptr;
    viewerBitmap = static_cast<HBITMAP>(platformCreateImage(nullptr, w, h, &bits));
    if (!viewerBitmap) return false;
    viewerDC = CreateCompatibleDC(nullptr);
    if (!viewerDC) {
        freeViewerBitmap();
        return false;
    }
    viewerOld = SelectObject(viewerDC, viewerBitmap);
    viewerBits = bits;
    return true;
}

bool createViewerBitmapForWindow(HWND window, int32_t* w, int32_t* h) {
    getClientSize(window, w, h);
    return createViewerBitmap(*w, *h);
}

void freeViewerBitmap() {
    if (viewerDC) {
        SelectObject(viewerDC, viewerOld);
        DeleteDC(viewerDC);
        viewerDC = nullptr;
    }
    if (viewerBitmap) DeleteObject(viewerBitmap), viewerBitmap = nullptr;
    viewerBits = nullptr;
}

Pixel* viewerPixels() { return viewerBits; }
HDC viewerDc() { return viewerDC; }

void getClientSize(HWND window, int32_t* w, int32_t* h) {
    RECT rect = {};
    GetClientRect(window, &rect);
    *w = rect.right;
    *h = rect.bottom;
}

void showImagePreviewLarge(HDC dc, HWND page, const char* path) {
    if (SendDlgItemMessageA(page, IDC_FILE_LIST, LB_GETCOUNT, 0, 0) < 1) return;
    if (drawDecoded(dc, path, 304, 225, 65, 216)) SetDlgItemTextA(page, IDC_FILE_PATH_LABEL, path);
}

void showImagePreviewSmall(HDC dc, HWND page, const char* path) {
    if (SendDlgItemMessageA(page, IDC_IMAGE_LIST, LB_GETCOUNT, 0, 0) < 1) return;
    if (drawDecoded(dc, path, 160, 122, 491, 290)) SetDlgItemTextA(page, IDC_IMAGE_PATH_LABEL, path);
}

void showTitlePicturePreview(HDC dc, HWND page, const char* path) {
    if (SendDlgItemMessageA(page, IDC_TITLE_LIST, LVM_GETITEMCOUNT, 0, 0) < 1) return;
    drawDecoded(dc, path, 160, 122, 45, 49);
}

void drawPictureInWindow(HDC dc, HWND window, const char* path) {
    int32_t w = 0, h = 0;
    getClientSize(window, &w, &h);
    if (drawDecoded(dc, path, w, h, 0, 0)) SetWindowTextA(window, path);
}
