// The Image step's two picture windows: "Image Origin" shows the selected
// picture at its own size, "Image Show" steps through the selected-picture list
// one slide time at a time. Each exists at most once.
#include <windows.h>

#include <cstring>

#include "authoring/PictureLoading.h"
#include "authoring/ViewerRules.h"
#include "authoring/win32/ViewerBitmap.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"

namespace {

constexpr UINT_PTR kSlideTimer = 101;
constexpr const char* kOriginClass = "Image Origin";
constexpr const char* kShowClass = "Image Show";
constexpr const char* kNoPicture = "There is no image selected. Please select image.";

HWND g_originWindow = nullptr;
HWND g_showWindow = nullptr;
char g_originPath[260];
char g_showPath[260];
int32_t g_slideIndex = 0;
int32_t g_slideCount = 0;

// Row `row` of the selected-picture list into path; an over-long row or a
// missing one leaves it empty.
void readListRow(int32_t row, char* path) {
    path[0] = '\0';
    HWND list = wizard.imageList;
    if (!list || row < 0) return;
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR || length >= 260) return;
    SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(path));
}

void noPictureNotice(HWND window) {
    MessageBoxA(window, kNoPicture, "Glimmerdeck", MB_OK);
    freeViewerBitmap();
}

bool registerViewerClass(const char* name, WNDPROC proc) {
    WNDCLASSA wc = {};
    if (GetClassInfoA(wizard.instance, name, &wc)) return true;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = wizard.instance;
    wc.hIcon = LoadIconA(wizard.instance, MAKEINTRESOURCEA(IDI_GLIMMERDECK));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

HWND createViewerWindow(const char* name, WNDPROC proc) {
    if (!registerViewerClass(name, proc)) return nullptr;
    HWND window = CreateWindowExA(0, name, "", WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 100, 100, 700, 600,
                                  nullptr, nullptr, wizard.instance, nullptr);
    if (!window) {
        UnregisterClassA(name, wizard.instance);
        return nullptr;
    }
    ShowWindow(window, SW_SHOW);
    return window;
}

// The window's outer size for a client area of the picture's size.
void fitToPicture(HWND window, const char* path, HWND after, UINT flags) {
    int32_t w = 0, h = 0;
    if (probeJpegSize(path, &w, &h) != 0 || w < 1 || h < 1) return;   // keeps its size
    SetWindowPos(window, after, 0, 0, w + 2 * GetSystemMetrics(SM_CYEDGE),
                 h + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CXEDGE), flags);
}

void paintPicture(HWND window, const char* path) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    drawPictureInWindow(dc, window, path);
    EndPaint(window, &ps);
}

LRESULT CALLBACK imageOriginProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        readListRow(wizard.currentImageIndex, g_originPath);
        if (!g_originPath[0]) {
            noPictureNotice(window);
            return -1;
        }
        fitToPicture(window, g_originPath, HWND_TOPMOST, SWP_NOMOVE);
        return 0;
    case WM_PAINT:
        readListRow(wizard.currentImageIndex, g_originPath);
        if (!g_originPath[0]) {
            ValidateRect(window, nullptr);
            noPictureNotice(window);
            DestroyWindow(window);
            return 0;
        }
        fitToPicture(window, g_originPath, nullptr, SWP_NOMOVE | SWP_NOZORDER);
        paintPicture(window, g_originPath);
        return 0;
    case WM_DESTROY:
        // Only the viewer's own bitmap: the preview canvases are the Make
        // step's, whose preview runs on while a viewer opens and closes.
        freeViewerBitmap();
        if (g_originWindow == window) g_originWindow = nullptr;
        g_originPath[0] = '\0';
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK imageShowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const LRESULT selected = SendMessageA(wizard.imageList, LB_GETCURSEL, 0, 0);
        g_slideIndex = selected == LB_ERR ? 0 : static_cast<int32_t>(selected);
        g_slideCount = wizard.imageList ? static_cast<int32_t>(SendMessageA(wizard.imageList, LB_GETCOUNT, 0, 0)) : 0;
        readListRow(g_slideIndex, g_showPath);
        if (!g_showPath[0]) {
            KillTimer(window, kSlideTimer);
            noPictureNotice(window);
            return -1;
        }
        SetWindowPos(window, nullptr, 100, 100, 640, 480, SWP_NOZORDER);
        return 0;
    }
    case WM_TIMER:
        g_slideIndex = nextSlideIndex(g_slideIndex, g_slideCount);
        readListRow(g_slideIndex, g_showPath);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        paintPicture(window, g_showPath);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kSlideTimer);
        freeViewerBitmap();   // not the Make step's preview canvases
        if (g_showWindow == window) g_showWindow = nullptr;
        g_showPath[0] = '\0';
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void fillSlideTimeList(HWND page) {
    for (int s = 1; s <= 10; ++s) {
        char text[4];
        wsprintfA(text, "%d", s);
        SendDlgItemMessageA(page, IDC_SLIDE_TIME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageA(page, IDC_SLIDE_TIME, CB_SETCURSEL, 1, 0);
}

bool slideShowWindowExists() { return g_showWindow != nullptr; }

void openSlideShowWindow(HWND, UINT slideMs) {
    if (g_showWindow) return;
    g_showWindow = createViewerWindow(kShowClass, imageShowProc);
    if (g_showWindow) SetTimer(g_showWindow, kSlideTimer, slideMs, nullptr);
}

void showOriginalSizeWindow(HWND) {
    if (g_originWindow) {
        InvalidateRect(g_originWindow, nullptr, TRUE);
        return;
    }
    g_originWindow = createViewerWindow(kOriginClass, imageOriginProc);
}

HWND pictureWindow() { return g_originWindow; }
HWND slideShowWindow() { return g_showWindow; }
int32_t slideShowIndex() { return g_slideIndex; }
