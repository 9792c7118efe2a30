// The wizard's preview hosted in this process: it refuses an empty title list,
// and with pictures on the Image step it plays them through the engine's
// frame step into its canvas and onto the target device context.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "authoring/PreviewTables.h"
#include "authoring/win32/EffectProcess.h"
#include "authoring/win32/ImagePage.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/FrameCanvas.h"
#include "engine/FrameScheduler.h"
#include "render/CrtRandom.h"
#include "tests/support/TestSupport.h"
#include "tests/win/SaverHost.h"

namespace {

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// The frame step draws each cycle's image effect at random: the generator is
// set to a state whose next draw picks the preview's row of that name, so the
// frames do not depend on the time the test runs at. The row, or -1.
int32_t drawImageEffectNext(const char* name) {
    const PreviewTable& table = previewImageEffectTable();
    int32_t row = -1;
    for (int32_t i = 0; i < table.count; ++i)
        if (std::strcmp(table.rows[i]->name, name) == 0) row = i;
    if (row < 0) return -1;
    for (uint32_t seed = 1;; ++seed) {
        crtSrand(seed);
        if (crtRand() % table.count == row) {
            crtSrand(seed);
            return row;
        }
    }
}

// Share of the canvas's visible pixels that are not black.
double litShare(int w, int h) {
    const FrameCanvas& c = frameCanvas();
    int lit = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) lit += (c.origin[y * c.pitch + x] & 0xFFFFFF) != 0;
    return double(lit) / (w * h);
}

TEST(PreviewDriver, PlaysThePicturesOfTheTitleList) {
    wizard.instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(createWizardSheet());
    pump();
    selectWizardPage(kTextPage);
    selectWizardPage(kMakePage);
    pump();
    EXPECT_FALSE(startPreview(268, 201, false));   // no pictures yet

    selectWizardPage(kImagePage);
    pump();
    SendMessageA(wizard.fileList, LB_RESETCONTENT, 0, 0);
    for (const char* name : {"base420.jpg", "base444.jpg"}) {
        const std::string path = vt_test::sourceDir() + "/tests/data/jpeg/" + name;
        SendMessageA(wizard.fileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    selectAllItems(TRUE, wizard.fileList);
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_INSERT, 0);
    pump();
    selectWizardPage(kMakePage);
    pump();
    ASSERT_EQ(SendMessageA(wizard.titleList, LVM_GETITEMCOUNT, 0, 0), 2);

    ASSERT_TRUE(startPreview(268, 201, false));
    EXPECT_GT(previewTransitionTable().count, 0);
    // A plain image effect: whatever its progress, the picture stays in view.
    const int32_t row = drawImageEffectNext("PL_MonoColor");
    ASSERT_GE(row, 0);
    constexpr int kW = 400, kH = 300, kX = 86, kY = 59, kFrameW = 268, kFrameH = 201;
    constexpr uint32_t kUntouched = 0xFF00FF;
    BITMAPINFO info = vt_win::topDownBitmap(kW, kH);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(0xFF, 0x00, 0xFF));
    const RECT all{0, 0, kW, kH};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    for (int i = 0; i < 12; ++i) {
        previewFrameTo(dc, kFrameW, kFrameH, 1);
        Sleep(33);
    }
    EXPECT_EQ(frameScheduler.imageEffectRow, row);
    EXPECT_GT(litShare(kFrameW, kFrameH), 0.5);

    // The last frame lands at (86, 59) of the page's device context, pixel for
    // pixel, and nothing else of it is drawn over.
    GdiFlush();
    const uint32_t* page = static_cast<const uint32_t*>(bits);
    const FrameCanvas& c = frameCanvas();
    int frameWrong = 0, outsideWrong = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t got = page[y * kW + x] & 0xFFFFFF;
            if (x >= kX && x < kX + kFrameW && y >= kY && y < kY + kFrameH)
                frameWrong += got != (c.origin[(y - kY) * c.pitch + (x - kX)] & 0xFFFFFF);
            else
                outsideWrong += got != kUntouched;
        }
    EXPECT_EQ(frameWrong, 0) << "pixels of the frame's place that differ from the canvas";
    EXPECT_EQ(outsideWrong, 0) << "pixels drawn outside the frame's place";
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    freePreviewCanvases();
    EXPECT_EQ(frameCanvas().origin, nullptr);
}

}  // namespace
