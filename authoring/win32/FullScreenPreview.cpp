// The Make step's full-screen preview: the display switched to the chosen
// screen mode, the preview played with sound every 33 ms, and a strip of
// thumbnails that slides in at the bottom to jump to a picture. A key or a
// mouse button ends it and gives the display back.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "authoring/PictureLoading.h"
#include "authoring/ViewerRules.h"
#include "authoring/win32/EffectProcess.h"
#include "authoring/win32/MakePage.h"
#include "authoring/win32/PictureViewer.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "engine/SoundPlayer.h"
#include "engine/win32/SaverOptionsWin.h"
#include "render/Platform.h"

namespace {

constexpr UINT_PTR kFrameTimer = 4001;
constexpr UINT kSoundPass = 1068;
constexpr UINT kSoundEnd = 1069;
constexpr const char* kNoPicture = "There is no image selected. Please select image.";

HWND g_fullWindow = nullptr;
HWND g_orderWindow = nullptr;
HWND g_pager = nullptr;
HWND g_toolbar = nullptr;
HIMAGELIST g_images = nullptr;
std::vector<HBITMAP> g_thumbnails;
int32_t g_choice = 0;
int32_t g_frameW = 0, g_frameH = 0;
int32_t g_releasedButton = 0;
DisplayModeSetter g_modeSetter = nullptr;

int setMode(int w, int h, int bits) { return g_modeSetter ? g_modeSetter(w, h, bits) : setDisplayMode(w, h, bits); }

class SystemSeams : public FullScreenSeams {
public:
    bool setMode(int32_t w, int32_t h, int32_t bits) override { return ::setMode(w, h, bits) != 0; }
    bool startPreview(int32_t w, int32_t h) override { return startPreviewAt(w, h, true, true); }
    void notifyFallback() override {
        MessageBoxA(nullptr,
                    "Can't change screen mode. This mode is not supported by graphic card. \r\n"
                    "it changes into 640*480 mode.",
                    "Glimmerdeck", MB_OK);
    }
};

int32_t screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int32_t screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

bool registerClass(const char* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSA wc = {};
    if (GetClassInfoA(wizard.instance, name, &wc)) return true;
    wc.lpfnWndProc = proc;
    wc.hInstance = wizard.instance;
    wc.hIcon = LoadIconA(wizard.instance, MAKEINTRESOURCEA(IDI_GLIMMERDECK));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

// Subitem 0 of row `row` of the title list: the picture's path.
void titleListPath(int32_t row, char* out, int size) {
    out[0] = '\0';
    if (!wizard.titleList) return;
    LVITEMA item = {};
    item.pszText = out;
    item.cchTextMax = size;
    SendMessageA(wizard.titleList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    out[size - 1] = '\0';
}

// ---- The picture-order strip

HBITMAP createThumbnailDib(Pixel** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = static_cast<Pixel*>(pixels);
    return bitmap;
}

void buildImageOrderStrip(HWND window) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_PAGESCROLLER_CLASS};
    InitCommonControlsEx(&controls);
    g_pager = CreateWindowExA(WS_EX_STATICEDGE, "SysPager", "", WS_CHILD | WS_VISIBLE | PGS_HORZ, 10, 10,
                              screenWidth() - 25, 55, window, nullptr, wizard.instance, nullptr);
    if (!g_pager) return;
    const LRESULT button = SendMessageA(g_pager, PGM_GETBUTTONSIZE, 0, 0);
    SendMessageA(g_pager, PGM_SETBUTTONSIZE, 0, button + 10);
    g_toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT,
                                0, 0, 0, 0, g_pager, nullptr, wizard.instance, nullptr);
    if (!g_toolbar) return;
    SendMessageA(g_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int32_t count = previewPictureCount();
    g_images = ImageList_Create(32, 32, ILC_COLOR32, count, 1);
    g_thumbnails.assign(static_cast<size_t>(count), nullptr);
    for (int32_t i = 0; i < count; ++i) {
        char path[260];
        titleListPath(i, path, sizeof path);
        Pixel* bits = nullptr;
        HBITMAP thumbnail = createThumbnailDib(&bits);
        if (!thumbnail) continue;
        loadJpegToDib(path, bits, 32, 32, 32);
        ImageList_Add(g_images, thumbnail, nullptr);
        g_thumbnails[static_cast<size_t>(i)] = thumbnail;
    }
    SendMessageA(g_toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_images));
    for (int32_t i = 0; i < count; ++i) {
        TBBUTTON b = {};
        b.iBitmap = i;
        b.idCommand = i;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON;
        b.iString = -1;
        SendMessageA(g_toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
        char text[32];
        std::snprintf(text, sizeof text, "%d Image", i + 1);
        TBBUTTONINFOA info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_TEXT;
        info.pszText = text;
        SendMessageA(g_toolbar, TB_SETBUTTONINFOA, i, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageA(g_toolbar, TB_AUTOSIZE, 0, 0);
    SendMessageA(g_pager, PGM_SETCHILD, 0, reinterpret_cast<LPARAM>(g_toolbar));
    SendMessageA(g_pager, PGM_RECALCSIZE, 0, 0);
    SendMessageA(g_pager, PGM_SETBKCOLOR, 0, RGB(164, 177, 234));
    COLORSCHEME scheme = {sizeof scheme, 0, 0};
    SendMessageA(g_toolbar, TB_SETCOLORSCHEME, 0, reinterpret_cast<LPARAM>(&scheme));
}

LRESULT onStripNotify(const NMHDR* header, LPARAM lParam) {
    if (header->hwndFrom == g_pager && header->code == PGN_CALCSIZE) {
        auto* size = reinterpret_cast<NMPGCALCSIZE*>(lParam);
        SIZE max = {};
        SendMessageA(g_toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&max));
        if (size->dwFlag == PGF_CALCWIDTH) size->iWidth = max.cx;
        if (size->dwFlag == PGF_CALCHEIGHT) size->iHeight = max.cy;
        return 0;
    }
    if (header->hwndFrom != g_toolbar) return 0;
    switch (header->code) {
    case TBN_GETINFOTIPA: {
        auto* tip = reinterpret_cast<NMTBGETINFOTIPA*>(lParam);
        char path[260];
        titleListPath(tip->iItem, path, sizeof path);
        if (tip->pszText && tip->cchTextMax > 0) std::snprintf(tip->pszText, tip->cchTextMax, "Image path : %s", path);
        return 0;
    }
    case TBN_ENDDRAG: g_releasedButton = reinterpret_cast<const NMTOOLBARA*>(lParam)->iItem; return 0;
    case NM_CLICK: {
        // The click names its button itself; the released button stands in when it does not.
        const auto* mouse = reinterpret_cast<const NMMOUSE*>(lParam);
        const auto item = static_cast<int32_t>(mouse->dwItemSpec);
        if (item >= 0 && item < previewPictureCount()) g_releasedButton = item;
        jumpToPreviewPicture(g_releasedButton);
        return 0;
    }
    case TBN_QUERYINSERT: return 1;
    }
    return 0;
}

void destroyStrip() {
    if (g_images) ImageList_Destroy(g_images), g_images = nullptr;
    for (HBITMAP b : g_thumbnails)
        if (b) DeleteObject(b);
    g_thumbnails.clear();
    g_pager = g_toolbar = nullptr;
}

LRESULT CALLBACK imageOrderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: buildImageOrderStrip(window); return 0;
    case WM_NOTIFY: return onStripNotify(reinterpret_cast<const NMHDR*>(lParam), lParam);
    case WM_COMMAND: return 0;
    case WM_DESTROY:
        destroyStrip();
        if (g_orderWindow == window) g_orderWindow = nullptr;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void createImageOrderWindow() {
    if (!registerClass("Image Order", imageOrderProc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)))) return;
    g_orderWindow = CreateWindowExA(0, "Image Order", "", WS_POPUP | WS_BORDER | WS_SYSMENU, 0, 0, 0, 0, nullptr,
                                    nullptr, wizard.instance, nullptr);
}

void slideInImageOrder() {
    if (!g_orderWindow || IsWindowVisible(g_orderWindow)) return;
    ShowWindow(g_orderWindow, SW_SHOW);
    const int32_t w = screenWidth(), h = screenHeight();
    for (int32_t step = 0; step < kStripSlideSteps; ++step)
        SetWindowPos(g_orderWindow, nullptr, 0, stripTopAtStep(step, h), w, h, SWP_NOZORDER);
    // Painted now, pager and buttons, not at the next idle moment between preview frames.
    RedrawWindow(g_orderWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---- The full-screen window

int32_t startFullScreenPreview(HWND window) {
    const LRESULT selected =
        wizard.makePage ? SendDlgItemMessageA(wizard.makePage, IDC_SCREEN_MODE, CB_GETCURSEL, 0, 0) : 0;
    SystemSeams seams;
    const FullScreenStart s = startFullScreenWith(seams, static_cast<int32_t>(selected));
    g_frameW = s.frameW;
    g_frameH = s.frameH;
    if (s.frameW == 0) return s.choice;   // an unknown choice starts nothing
    if (!s.started) {
        MessageBoxA(window, kNoPicture, "Glimmerdeck", MB_ICONEXCLAMATION);
        ChangeDisplaySettingsA(nullptr, 0);
        return -1;
    }
    SetTimer(window, kFrameTimer, 33, nullptr);
    return s.choice;
}

void fitWindowToScreen(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, screenWidth(), screenHeight(), SWP_SHOWWINDOW);
}

void closeFullScreen(HWND window) {
    KillTimer(window, kFrameTimer);
    freePreviewCanvases();
    soundPlayer().stopSound();
    DestroyWindow(window);
    ChangeDisplaySettingsA(nullptr, 0);
    if (wizard.makePage) applyMakeOptions(wizard.makePage);
}

LRESULT CALLBACK fullScreenPreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (wizard.makePage) KillTimer(wizard.makePage, kPreviewTimer);
        freePreviewCanvases();
        g_choice = startFullScreenPreview(window);
        if (g_choice < 0) return -1;
        fitWindowToScreen(window);
        createImageOrderWindow();
        soundPlayer().setSoundWindow(window);
        return 0;
    case WM_TIMER: {
        if (g_frameW == 0) return 0;
        setPictureOrderShown(g_orderWindow && IsWindowVisible(g_orderWindow));
        HDC dc = GetDC(window);
        previewFrameTo(dc, g_frameW, g_frameH, 0);
        ReleaseDC(window, dc);
        return 0;
    }
    case WM_MOUSEMOVE: {
        POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &p);
        if (inStripBand(p.x, p.y, screenWidth(), screenHeight())) slideInImageOrder();
        else if (g_orderWindow) ShowWindow(g_orderWindow, SW_HIDE);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN: closeFullScreen(window); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
    case kSoundEnd: {
        // The sound plays in a loop for as long as the preview runs.
        SoundPlayer& player = soundPlayer();
        player.stopSound();
        player.startSoundThread();
        break;
    }
    case WM_PAINT: ValidateRect(window, nullptr); return 0;
    case WM_DESTROY:
        KillTimer(window, kFrameTimer);
        if (g_orderWindow) DestroyWindow(g_orderWindow);
        setPictureOrderShown(false);
        soundPlayer().setSoundWindow(nullptr);
        wizard.fullScreen = 0;
        if (g_fullWindow == window) g_fullWindow = nullptr;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void openFullScreenPreview(HWND) {
    if (g_fullWindow) return;
    if (!registerClass("Full Screen", fullScreenPreviewProc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)))) return;
    g_fullWindow = CreateWindowExA(0, "Full Screen", "Preview Full Screen", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_SYSMENU,
                                   100, 100, 700, 600, nullptr, nullptr, wizard.instance, nullptr);
    if (!g_fullWindow) {
        wizard.fullScreen = 0;
        return;
    }
    ShowWindow(g_fullWindow, SW_SHOW);
}

HWND getFullScreenWindow() { return g_fullWindow; }
HWND imageOrderWindow() { return g_orderWindow; }
int32_t fullScreenChoice() { return g_choice; }
void fullScreenFrameSize(int32_t* w, int32_t* h) {
    *w = g_frameW;
    *h = g_frameH;
}
void setFullScreenModeSetter(DisplayModeSetter setter) { g_modeSetter = setter; }
