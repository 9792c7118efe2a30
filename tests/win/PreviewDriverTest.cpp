// The wizard's preview hosted in this process: it refuses an empty title list,
// and with pictures on the Image step it plays them through the engine's
// frame step into its canvas and onto the target device context.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

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
#include "tests/support/TestSupport.h"

namespace {

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
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
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int i = 0; i < 12; ++i) {
        previewFrameTo(dc, 268, 201, 1);
        Sleep(33);
    }
    EXPECT_GT(litShare(268, 201), 0.5);
    // The frame lands at (86, 59) of the page's device context.
    EXPECT_NE(GetPixel(dc, 86 + 134, 59 + 100) & 0xFFFFFF, 0u);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    freePreviewCanvases();
    EXPECT_EQ(frameCanvas().origin, nullptr);
}

}  // namespace
