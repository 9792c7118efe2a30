// The canvas as a DIB section: pixel code and GDI share its pixels, and the
// frame copy takes w x h pixels from its point (8, 8).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "engine/FrameCanvas.h"
#include "engine/PictureBuffers.h"
#include "tests/engine/FakePictureDecoder.h"
#include "render/PixelBuffer.h"

namespace {

// A top-down 32-bit DIB section to copy the frame into.
struct Target {
    HDC dc = CreateCompatibleDC(nullptr);
    Pixel* bits = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    int width;
    Target(int w, int h) : width(w) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<Pixel*>(p);
        old = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Pixel at(int x, int y) const { return bits[y * width + x]; }
};

}  // namespace

TEST(FrameCanvasDib, TopDownSectionSharedWithGdi) {
    ASSERT_TRUE(createCanvas(64, 48));
    const FrameCanvas& canvas = frameCanvas();
    ASSERT_NE(canvas.memoryDC, nullptr);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(static_cast<HBITMAP>(canvas.bitmap), sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBmih.biWidth, 80);
    EXPECT_EQ(std::abs(section.dsBmih.biHeight), 64);   // top-down shows in the SetPixelV check below
    EXPECT_EQ(section.dsBmih.biBitCount, 32);
    EXPECT_EQ(section.dsBm.bmBits, canvas.bits);
    EXPECT_EQ(canvas.origin[0], 0u);

    // GDI point (x + 8, y + 8) is frame point (x, y).
    SetPixelV(static_cast<HDC>(canvas.memoryDC), 8 + 5, 8 + 3, RGB(0x12, 0x34, 0x56));
    GdiFlush();
    EXPECT_EQ(*pixelAt(canvas.origin, canvas.pitch, 5, 3), 0x123456u);
    freeCanvas();
    EXPECT_EQ(frameCanvas().origin, nullptr);
}

TEST(FrameCanvasDib, PresentCopiesTheFrameFromItsOrigin) {
    ASSERT_TRUE(createCanvas(32, 24));
    const FrameCanvas& canvas = frameCanvas();
    for (int y = -8; y < 24 + 8; ++y)
        for (int x = -8; x < 32 + 8; ++x)
            *pixelAt(canvas.origin, canvas.pitch, x, y) =
                (x < 0 || y < 0 || x >= 32 || y >= 24) ? 0xFF00FFu : static_cast<Pixel>(y << 8 | x);
    Target target(48, 40);
    presentCanvas(target.dc, 32, 24);
    GdiFlush();
    EXPECT_EQ(target.at(0, 0), 0x000000u);
    EXPECT_EQ(target.at(31, 0), 0x00001Fu);
    EXPECT_EQ(target.at(31, 23), 0x00171Fu);
    // Nothing of the margin is copied, and a larger size is cut to the canvas.
    EXPECT_EQ(target.at(32, 0), 0u);
    EXPECT_EQ(target.at(0, 24), 0u);
    presentCanvas(target.dc, 48, 40);
    GdiFlush();
    EXPECT_EQ(target.at(32, 0), 0u);
    EXPECT_EQ(target.at(0, 24), 0u);
    freeCanvas();
    presentCanvas(target.dc, 32, 24);   // no canvas: nothing happens
}

// The road of a picture: decoded into a picture buffer, fitted and centred,
// copied into the canvas and blitted to a window.
TEST(FrameCanvasDib, PictureShowsFittedAndCentredInAWindow) {
    vt_test::FakeDecoder decoder;
    decoder.width = 40;
    decoder.height = 10;
    setPictureDecoder(&decoder);
    setPictureSource(PictureSource{vt_test::findPicture, vt_test::releasePicture});
    ASSERT_EQ(loadFrameImage(3, 1, 64, 48), 1);
    ASSERT_TRUE(createCanvas(64, 48));
    const FrameCanvas& canvas = frameCanvas();
    copyRect(canvas.origin, pictureBuffer(0), 0, 0, Rect{0, 0, 64, 48}, canvas.pitch, pitchForWidth(64));

    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    COLORREF above = 1, first = 0, below = 1;
    for (int i = 0; i < 20; ++i) {
        HDC dc = GetDC(window);
        presentCanvas(dc, 64, 48);
        GdiFlush();
        above = GetPixel(dc, 32, 15);
        first = GetPixel(dc, 0, 16);
        below = GetPixel(dc, 32, 32);
        ReleaseDC(window, dc);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (first == RGB(0, 0, 200)) break;
        Sleep(20);
    }
    // 40 x 10 in 64 x 48: 64 x 16 from row 16, black above and below.
    EXPECT_EQ(above, RGB(0, 0, 0));
    EXPECT_EQ(first, RGB(0, 0, 200));
    EXPECT_EQ(below, RGB(0, 0, 0));
    DestroyWindow(window);
    freeCanvas();
    setPictureDecoder(nullptr);
}
