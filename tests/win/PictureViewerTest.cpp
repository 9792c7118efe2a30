// The viewer windows hosted in this process with the wizard's pages: the
// picture and slide-show windows of the Image step, the full-screen preview
// with its picture-order strip, and the preview's pictures loaded by name.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "authoring/win32/EffectProcess.h"
#include "authoring/win32/ImagePage.h"
#include "authoring/win32/MakePage.h"
#include "authoring/win32/PictureViewer.h"
#include "authoring/win32/ViewerBitmap.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/EffectFrames.h"
#include "engine/FrameCanvas.h"
#include "engine/FrameScheduler.h"
#include "render/Fills.h"
#include "tests/support/TestSupport.h"
#include "tests/win/SaverHost.h"

namespace {

std::vector<std::string> boxTexts;
HHOOK boxHook = nullptr;

// Every message box is answered at once and its text kept.
LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char type[16] = {};
        GetClassNameA(box, type, sizeof type);
        if (std::string(type) == "#32770") {
            char text[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            if (text[0]) {   // a message box, not a page
                boxTexts.push_back(text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

double litShare(const Pixel* pixels, int w, int h, int pitch) {
    int lit = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) lit += (pixels[y * pitch + x] & 0xFFFFFF) != 0;
    return double(lit) / (w * h);
}

// A rectangle of the screen as the user sees it (read back from the display).
std::vector<Pixel> screenPixels(int x, int y, int w, int h) {
    std::vector<Pixel> pixels(static_cast<size_t>(w) * h, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info = vt_win::topDownBitmap(w, h);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, w, h, screen, x, y, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * sizeof(Pixel));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

const char* const kPictures[] = {"base420.jpg", "base444.jpg", "prog420.jpg"};

class Viewers : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wizard.instance = GetModuleHandleA(nullptr);
        boxHook = SetWindowsHookExA(WH_CBT, answerBoxes, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(createWizardSheet());
        pump();
        selectWizardPage(kTextPage);
        selectWizardPage(kImagePage);
        pump();
        SendMessageA(wizard.fileList, LB_RESETCONTENT, 0, 0);
        for (const char* name : kPictures) {
            const std::string path = vt_test::sourceDir() + "/tests/data/jpeg/" + name;
            SendMessageA(wizard.fileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        }
        selectAllItems(TRUE, wizard.fileList);
        SendMessageA(wizard.imagePage, WM_COMMAND, IDC_INSERT, 0);
        pump();
    }
    void SetUp() override { boxTexts.clear(); }
};

TEST_F(Viewers, SlideShowStepsThroughTheListFromTheSelection) {
    ASSERT_EQ(SendMessageA(wizard.imageList, LB_GETCOUNT, 0, 0), 3);
    // The slide time list: 1 to 10 seconds, "2" selected.
    char time[8] = {};
    GetDlgItemTextA(wizard.imagePage, IDC_SLIDE_TIME, time, sizeof time);
    EXPECT_STREQ(time, "2");
    SendMessageA(wizard.imageList, LB_SETSEL, FALSE, -1);
    SendMessageA(wizard.imageList, LB_SETCURSEL, 1, 0);
    SendMessageA(wizard.imageList, LB_SETCARETINDEX, 1, 0);
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_SLIDE_SHOW, 0);
    pump();
    HWND show = slideShowWindow();
    ASSERT_NE(show, nullptr);
    EXPECT_TRUE(slideShowWindowExists());
    EXPECT_EQ(slideShowIndex(), 1);
    RECT r;
    GetWindowRect(show, &r);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
    // Second, third, first, second.
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        SendMessageA(show, WM_TIMER, 101, 0);
        UpdateWindow(show);
        seen.push_back(slideShowIndex());
        int32_t w = 0, h = 0;
        getClientSize(show, &w, &h);
        ASSERT_NE(viewerPixels(), nullptr);
        EXPECT_GT(litShare(viewerPixels(), w, h, w), 0.3);
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 0, 1}));
    // A second Slide Show while one runs opens nothing new.
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_SLIDE_SHOW, 0);
    EXPECT_EQ(slideShowWindow(), show);
    DestroyWindow(show);
    pump();
    EXPECT_FALSE(slideShowWindowExists());
    EXPECT_TRUE(boxTexts.empty());
}

TEST_F(Viewers, OriginalSizeShowsTheSelectedPictureAtItsSize) {
    wizard.currentImageIndex = -1;
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_ORIGINAL, 0);
    pump();
    EXPECT_EQ(pictureWindow(), nullptr);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0], "There is no image selected. Please select image.");

    wizard.currentImageIndex = 0;
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_ORIGINAL, 0);
    pump();
    HWND window = pictureWindow();
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    int32_t w = 0, h = 0;
    getClientSize(window, &w, &h);
    EXPECT_NEAR(w, 40, 4);
    EXPECT_NEAR(h, 30, 4);
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    // Opened again: the same window shows the new selection.
    wizard.currentImageIndex = 2;
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_ORIGINAL, 0);
    UpdateWindow(window);
    EXPECT_EQ(pictureWindow(), window);
    char title[300] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_NE(std::string(title).find("prog420.jpg"), std::string::npos);
    ASSERT_NE(viewerPixels(), nullptr);
    getClientSize(window, &w, &h);
    EXPECT_GT(litShare(viewerPixels(), w, h, w), 0.3);
    DestroyWindow(window);
    EXPECT_EQ(pictureWindow(), nullptr);
}

TEST_F(Viewers, ClosingAViewerLeavesTheMakePreviewRunning) {
    selectWizardPage(kMakePage);
    pump();
    SendMessageA(wizard.makePage, WM_TIMER, kPreviewTimer, 0);
    ASSERT_NE(frameCanvas().origin, nullptr);
    wizard.currentImageIndex = 0;
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_ORIGINAL, 0);
    pump();
    ASSERT_NE(pictureWindow(), nullptr);
    DestroyWindow(pictureWindow());
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_SLIDE_SHOW, 0);
    pump();
    ASSERT_NE(slideShowWindow(), nullptr);
    DestroyWindow(slideShowWindow());
    pump();
    // The preview's own canvas is still there, and its frames keep coming.
    const FrameCanvas& canvas = frameCanvas();
    ASSERT_NE(canvas.origin, nullptr);
    std::vector<uint32_t> before(canvas.origin, canvas.origin + canvas.pitch * canvas.height);
    bool moved = false;
    for (int i = 0; i < 150 && !moved; ++i) {
        Sleep(33);
        SendMessageA(wizard.makePage, WM_TIMER, kPreviewTimer, 0);
        ASSERT_NE(frameCanvas().origin, nullptr);
        moved = !std::equal(before.begin(), before.end(), frameCanvas().origin);
    }
    EXPECT_TRUE(moved);
    selectWizardPage(kImagePage);
    pump();
}

std::vector<std::string> modesAsked;
int fakeDisplay(int w, int h, int bits) {
    char text[32];
    std::snprintf(text, sizeof text, "%dx%d@%d", w, h, bits);
    modesAsked.push_back(text);
    return w == 640 ? 1 : 0;   // only 640 x 480
}

TEST_F(Viewers, FullScreenPreviewPlaysJumpsAndEndsOnAKey) {
    // The real pointer goes where the messages below say it is, as a user's would.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    selectWizardPage(kMakePage);
    pump();
    ASSERT_EQ(SendMessageA(wizard.titleList, LVM_GETITEMCOUNT, 0, 0), 3);
    SendDlgItemMessageA(wizard.makePage, IDC_SCREEN_MODE, CB_SETCURSEL, 0, 0);
    setFullScreenModeSetter(fakeDisplay);
    SendMessageA(wizard.makePage, WM_COMMAND, IDC_FULL_SCREEN, 0);
    pump();
    HWND full = getFullScreenWindow();
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(wizard.fullScreen, 1);
    // 400 x 300 refused: the notice, a 640 x 480 display and preview.
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0].rfind("Can't change screen mode.", 0), 0u);
    EXPECT_EQ(modesAsked, (std::vector<std::string>{"400x300@32", "400x300@24", "400x300@16", "640x480@32"}));
    EXPECT_EQ(fullScreenChoice(), 1);
    int32_t fw = 0, fh = 0;
    fullScreenFrameSize(&fw, &fh);
    EXPECT_EQ(fw, 640);
    EXPECT_EQ(fh, 480);
    RECT r;
    GetWindowRect(full, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));

    for (int i = 0; i < 8; ++i) {
        SendMessageA(full, WM_TIMER, 4001, 0);
        Sleep(33);
    }
    const FrameCanvas& canvas = frameCanvas();
    ASSERT_NE(canvas.origin, nullptr);
    EXPECT_EQ(canvas.width, 640);
    EXPECT_GT(litShare(canvas.origin, 640, 480, canvas.pitch), 0.5);
    // The fire title effects' picture comes from Glimmerdeck's own bitmaps.
    std::vector<Pixel> fire(330 * 360, 0);
    EXPECT_EQ(loadBitmapResource(fire.data(), "RedFires33.bmp", 330, 360), 1);
    EXPECT_GT(litShare(fire.data(), 330, 360, 330), 0.1);

    // The strip: hidden until the pointer reaches the bottom band.
    HWND order = imageOrderWindow();
    ASSERT_NE(order, nullptr);
    EXPECT_FALSE(IsWindowVisible(order));
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    POINT bottom = {20, sh - 10};
    SetCursorPos(bottom.x, bottom.y);
    ScreenToClient(full, &bottom);
    SendMessageA(full, WM_MOUSEMOVE, 0, MAKELPARAM(bottom.x, bottom.y));
    EXPECT_TRUE(IsWindowVisible(order));
    GetWindowRect(order, &r);
    EXPECT_EQ(r.top, sh - 69);
    HWND pager = FindWindowExA(order, nullptr, "SysPager", nullptr);
    ASSERT_NE(pager, nullptr);
    HWND toolbar = FindWindowExA(pager, nullptr, TOOLBARCLASSNAMEA, nullptr);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 3);
    // Away and back, as a user's pointer goes: the strip is shown a second time.
    POINT away = {20, sh / 2};
    ScreenToClient(full, &away);
    SetCursorPos(20, sh / 2);
    SendMessageA(full, WM_MOUSEMOVE, 0, MAKELPARAM(away.x, away.y));
    EXPECT_FALSE(IsWindowVisible(order));
    for (int i = 0; i < 3; ++i) {
        pump();
        SendMessageA(full, WM_TIMER, 4001, 0);
        Sleep(50);
    }
    SetCursorPos(20, sh - 10);
    SendMessageA(full, WM_MOUSEMOVE, 0, MAKELPARAM(bottom.x, bottom.y));
    EXPECT_TRUE(IsWindowVisible(order));
    // What the screen shows there: the strip's pager and thumbnails, not the preview's black.
    for (int i = 0; i < 5; ++i) {
        pump();
        SendMessageA(full, WM_TIMER, 4001, 0);
        Sleep(50);
    }
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const std::vector<Pixel> band = screenPixels(10, sh - 58, sw - 30, 50);
    EXPECT_GT(litShare(band.data(), sw - 30, 50, sw - 30), 0.7);
    // ... and every thumbnail painted on its button.
    for (int i = 0; i < 3; ++i) {
        RECT button = {};
        SendMessageA(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
        const int bw = button.right - button.left, bh = button.bottom - button.top;
        ASSERT_GT(bw, 8);
        ASSERT_GT(bh, 8);
        const std::vector<Pixel> shown = screenPixels(button.left, button.top, bw, bh);
        const auto coloured = std::count_if(shown.begin(), shown.end(), [](Pixel p) {
            p &= 0xFFFFFF;
            return p != 0 && p != 0xFFFFFF;
        });
        EXPECT_GT(coloured, bw * bh / 4) << "button " << i;
    }
    char label[32] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, 1, reinterpret_cast<LPARAM>(label));
    EXPECT_STREQ(label, "2 Image");
    SendMessageA(full, WM_TIMER, 4001, 0);   // a frame with the strip shown (no titles)

    // Thumbnail 3 of 3: that picture now, picture 1 next.
    NMMOUSE click = {};
    click.hdr.hwndFrom = toolbar;
    click.hdr.code = NM_CLICK;
    click.dwItemSpec = 2;
    SendMessageA(order, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(frameScheduler.slideIndex, 0);
    EXPECT_EQ(titleChoice.titleIndex, frameScheduler.drawMode == kDrawSlideTransition ? 1 : 2);

    POINT middle = {20, sh / 2};
    SetCursorPos(middle.x, middle.y);
    ScreenToClient(full, &middle);
    SendMessageA(full, WM_MOUSEMOVE, 0, MAKELPARAM(middle.x, middle.y));
    EXPECT_FALSE(IsWindowVisible(order));
    EXPECT_EQ(getFullScreenWindow(), full);   // a move does not end it

    SendMessageA(full, WM_KEYDOWN, VK_SPACE, 0);
    pump();
    EXPECT_EQ(getFullScreenWindow(), nullptr);
    EXPECT_EQ(imageOrderWindow(), nullptr);
    EXPECT_EQ(wizard.fullScreen, 0);
    setFullScreenModeSetter(nullptr);
}

TEST(NamedBitmaps, FirePictureComesTopRowFirst) {
    std::vector<Pixel> fire(330 * 360, 0xDEADBEEF);
    EXPECT_EQ(loadBitmapByName(fire.data(), "redfires33.bmp", 330, 360), 0);
    EXPECT_EQ(fire[0], 0xDEADBEEFu);
    ASSERT_EQ(loadBitmapByName(fire.data(), "RedFires33.bmp", 330, 360), 1);
    // The file's last stored row is the picture's top row.
    FILE* file = std::fopen((vt_test::sourceDir() + "/engine/app/fire.bmp").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    const long stride = (330 * 3 + 3) & ~3;
    std::vector<unsigned char> row(static_cast<size_t>(stride));
    std::fseek(file, 54 + 359 * stride, SEEK_SET);
    ASSERT_EQ(std::fread(row.data(), 1, row.size(), file), row.size());
    std::fclose(file);
    for (int x : {0, 100, 329})
        EXPECT_EQ(fire[x], Pixel(row[3 * x + 2]) << 16 | Pixel(row[3 * x + 1]) << 8 | row[3 * x]) << x;
    // The two small pictures fill a larger request with black.
    std::vector<Pixel> plane(100 * 100, 0xDEADBEEF);
    ASSERT_EQ(loadBitmapByName(plane.data(), "AirPlane.bmp", 100, 100), 1);
    EXPECT_EQ(plane[99 * 100 + 99], 0u);
    EXPECT_NE(plane[99 * 100], 0u);   // the bitmap's bottom-left pixel (sky)
    EXPECT_EQ(loadBitmapByName(plane.data(), "FootMark.bmp", 48, 64), 1);
}

}  // namespace
