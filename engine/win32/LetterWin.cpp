#include "engine/win32/LetterWin.h"

#include "engine/SaverOptions.h"
#include "engine/TitleLetter.h"

namespace {

UINT_PTR g_letterTimer = 0;

constexpr UINT kLetterFormat = DT_CENTER | DT_WORDBREAK | DT_NOCLIP | DT_EDITCONTROL;

}  // namespace

void startLetterTimer() {
    if (g_letterTimer) KillTimer(nullptr, g_letterTimer);
    g_letterTimer = SetTimer(nullptr, 0, 1000, letterTimerProc);
}

VOID CALLBACK letterTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (letterTimerTick() && g_letterTimer) {
        KillTimer(nullptr, g_letterTimer);
        g_letterTimer = 0;
    }
}

void drawLetter(HDC canvasDC, int w, int h) {
    LetterState& letter = letterState();
    if (!letter.started) return;
    const SaverOptions& o = saverOptions();
    HFONT font = CreateFontA(o.fontSize, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, HANGEUL_CHARSET,
                             OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                             o.fontFace);
    HGDIOBJ previous = SelectObject(canvasDC, font);
    if (!letter.measured && letter.length > 0) {
        RECT extent{10, 0, w, 0};
        DrawTextA(canvasDC, letter.text.data(), letter.length, &extent, kLetterFormat | DT_CALCRECT);
        fitLetterHeight(extent.bottom - extent.top);
    }
    Rect r = stepLetterFrame(w, h);
    RECT rect{r.left, r.top, r.right, r.bottom};
    SetBkMode(canvasDC, TRANSPARENT);
    SetTextColor(canvasDC, o.letterColor);
    if (letter.length > 0) DrawTextA(canvasDC, letter.text.data(), letter.length, &rect, kLetterFormat);
    SelectObject(canvasDC, previous);
    DeleteObject(font);
}
