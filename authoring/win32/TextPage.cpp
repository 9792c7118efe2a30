#include "authoring/win32/TextPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <memory>

#include "authoring/WizardRules.h"
#include "authoring/win32/ViewerBitmap.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"

namespace {

constexpr int kLetterControls[] = {IDC_LETTER_TIME, IDC_LETTER_FONT, IDC_LETTER_SIZE, IDC_LETTER_COLOUR, IDC_LETTER};
constexpr int kTitleControls[] = {IDC_TITLE_FONT, IDC_TITLE_SIZE,   IDC_TITLE_COLOUR,
                                  IDC_RANDOM_COLOUR, IDC_DEFAULT_FONT, IDC_TITLE_EDIT, IDC_TITLE_LIST};
constexpr int kLetterBufferSize = 10000;

void enable(HWND page, const int* ids, size_t count, bool on) {
    for (size_t i = 0; i < count; ++i) EnableWindow(GetDlgItem(page, ids[i]), on);
}

void setMode(HWND page, bool letter) {
    CheckRadioButton(page, IDC_TITLE_MODE, IDC_LETTER_MODE, letter ? IDC_LETTER_MODE : IDC_TITLE_MODE);
    enable(page, kLetterControls, std::size(kLetterControls), letter);
    enable(page, kTitleControls, std::size(kTitleControls), !letter);
}

void remakeBrush(HBRUSH& brush, COLORREF colour) {
    if (brush) DeleteObject(brush);
    brush = CreateSolidBrush(colour);
}

void deletePageResources() {
    if (wizard.letterBrush) DeleteObject(wizard.letterBrush), wizard.letterBrush = nullptr;
    if (wizard.titleBrush) DeleteObject(wizard.titleBrush), wizard.titleBrush = nullptr;
    if (wizard.textBitmap) DeleteObject(wizard.textBitmap), wizard.textBitmap = nullptr;
}

void redrawTitlePreview(bool erase = true) { redrawRect(wizard.textPage, 45, 49, 205, 171, erase); }

// Gives a row the selected and focused states, which makes it current.
void focusRow(int row) {
    LVITEMA state = {};
    state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(wizard.titleList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void pickColour(HWND page, bool letter) {
    COLORREF colour = chooseColour(page, 1);
    if (colour == 0) return;   // cancelled (or black): nothing changes
    if (letter) {
        wizard.letterColour = colour;
        remakeBrush(wizard.letterBrush, colour);
        InvalidateRect(GetDlgItem(page, IDC_LETTER_SWATCH), nullptr, TRUE);
    } else {
        wizard.titleColour = colour;
        wizard.titleColourChosen = 1;
        remakeBrush(wizard.titleBrush, colour);
        InvalidateRect(GetDlgItem(page, IDC_TITLE_SWATCH), nullptr, TRUE);
    }
}

void onInit(HWND page) {
    wizard.textPage = page;
    initTitleList(page);
    fillFontLists(page);
    fillSizeLists(page);
    setTextDefaults(page);
    CheckRadioButton(page, IDC_TITLE_MODE, IDC_LETTER_MODE, IDC_TITLE_MODE);
    addTextPageTips(page, wizard.instance);
    remakeBrush(wizard.letterBrush, wizard.letterColour);
    remakeBrush(wizard.titleBrush, wizard.titleColour);
    SendDlgItemMessageA(page, IDC_TITLE_EDIT, EM_LIMITTEXT, 50, 0);
    SendDlgItemMessageA(page, IDC_LETTER, EM_LIMITTEXT, 5000, 0);
    subclassTitleEdit(page);
    EnableWindow(GetDlgItem(page, IDC_LETTER_AUTO), FALSE);
    EnableWindow(GetDlgItem(page, IDC_TITLE_AUTO), FALSE);
    enable(page, kLetterControls, std::size(kLetterControls), false);
    fillTitleListFromImages();
}

void onSetActive(HWND page) {
    if (wizard.textRestorePending) {
        restoreTextSettings(page);
        wizard.textRestorePending = 0;
    }
    activatePage(kTextPage, IDM_TEXT);
    if (wizard.textBitmap) DeleteObject(wizard.textBitmap);
    wizard.textBitmap = LoadBitmapA(wizard.instance, MAKEINTRESOURCEA(IDB_PAGE));
    SetDlgItemTextA(page, IDC_TITLE_EDIT, "Enter the string of title here.");
    titleCell(0, 0, wizard.currentTitlePath, sizeof wizard.currentTitlePath);
    if (!wizard.currentTitlePath[0]) return;
    focusRow(0);
    redrawTitlePreview();
}

void onCommand(HWND page, int id, int code) {
    if (handleCommonCommand(page, kTextPage, id)) return;
    switch (id) {
    case IDC_TITLE_MODE:
        if (code == BN_CLICKED) setMode(page, false);
        break;
    case IDC_LETTER_MODE:
        if (code == BN_CLICKED) setMode(page, true);
        break;
    case IDC_TITLE_INPUT:
    case IDC_INSERT:
        if (applyTitleText()) selectNextTitle(wizard.currentTitlePath);
        break;
    case IDC_TITLE_DELETE: clearCurrentTitle(); break;
    case IDC_TITLE_PREVIOUS: selectPreviousTitle(wizard.currentTitlePath); break;
    case IDC_TITLE_NEXT: selectNextTitle(wizard.currentTitlePath); break;
    case IDC_LETTER_COLOUR: pickColour(page, true); break;
    case IDC_TITLE_COLOUR: pickColour(page, false); break;
    case IDC_TITLE_EDIT:
        if (code == EN_MAXTEXT)
            MessageBoxA(page, "Can't enter any more. Image title can be entered total up to English 50 characters.",
                        "Glimmerdeck", MB_OK);
        break;
    case IDC_LETTER:
        if (code == EN_MAXTEXT)
            MessageBoxA(page, "Can't enter any more. Letter can be entered total up to English 5,000 characters.",
                        "Glimmerdeck", MB_OK);
        break;
    case IDC_TEXT_BACK: selectWizardPage(kImagePage); break;
    case IDC_TEXT_NEXT: selectWizardPage(kSoundPage); break;
    case IDC_TEXT_EXIT:
    case CMD_EXIT:
        deletePageResources();
        exitCleanup();
        break;
    case CMD_DELETE_ALL:
        SendMessageA(wizard.titleList, LVM_DELETEALLITEMS, 0, 0);
        wizard.currentTitlePath[0] = 0;
        redrawTitlePreview();
        break;
    }
}

void onPaint(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    drawPageBitmap(dc, wizard.textBitmap, 3);
    if (titleRowCount() > 0) showTitlePicturePreview(dc, page, wizard.currentTitlePath);
    EndPaint(page, &paint);
}

}  // namespace

INT_PTR CALLBACK textPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: onInit(page); return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        onTitleListNotify(page, header);
        switch (header->code) {
        case PSN_SETACTIVE: onSetActive(page); break;
        case PSN_KILLACTIVE:
            if (wizard.textBitmap) DeleteObject(wizard.textBitmap), wizard.textBitmap = nullptr;
            detachPageMenu();
            break;
        case PSN_RESET:
            exitCleanup();
            if (wizard.textBitmap) DeleteObject(wizard.textBitmap), wizard.textBitmap = nullptr;
            detachPageMenu();
            break;
        }
        return FALSE;
    }
    case WM_PAINT: onPaint(page); return TRUE;
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID == IDC_TITLE_LIST) drawTitleRow(draw);
        else drawFontItem(message, lParam);
        return TRUE;
    }
    case WM_MEASUREITEM:
        drawFontItem(message, lParam);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id == IDC_LETTER_SWATCH && wizard.letterBrush) return reinterpret_cast<INT_PTR>(wizard.letterBrush);
        if (id == IDC_TITLE_SWATCH && wizard.titleBrush) return reinterpret_cast<INT_PTR>(wizard.titleBrush);
        return FALSE;
    }
    case WM_COMMAND: onCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}

void subclassTitleEdit(HWND page) {
    HWND edit = GetDlgItem(page, IDC_TITLE_EDIT);
    wizard.titleEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(titleEditKeyProc)));
}

LRESULT CALLBACK titleEditKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN)
        SendMessageA(wizard.textPage, WM_COMMAND, IDC_TITLE_INPUT, 0);
    return CallWindowProcA(wizard.titleEditProc, edit, message, wParam, lParam);
}

bool applyTitleText() {
    if (titleRowCount() == 0) {
        MessageBoxA(wizard.textPage, "After selecting image first, insert title.", "Glimmerdeck", MB_ICONINFORMATION);
        return false;
    }
    char text[60] = {};
    GetDlgItemTextA(wizard.textPage, IDC_TITLE_EDIT, text, sizeof text);
    if (!text[0]) return false;
    setCurrentTitle(text);
    SendDlgItemMessageA(wizard.textPage, IDC_TITLE_EDIT, WM_CLEAR, 0, 0);
    return true;
}

void clearCurrentTitle() {
    char title[260];
    titleCell(wizard.currentTitleRow, 1, title, sizeof title);
    if (title[0]) setCurrentTitle("");
}

void selectPreviousTitle(char* path) {
    if (wizard.currentTitleRow <= 0) return;
    --wizard.currentTitleRow;
    focusRow(wizard.currentTitleRow);
    titleCell(wizard.currentTitleRow, 0, path, static_cast<int>(kWizardPathSize));
    SendMessageA(wizard.titleList, LVM_SCROLL, 0, -8);
    redrawTitlePreview(false);
}

void selectNextTitle(char* path) {
    if (wizard.currentTitleRow >= titleRowCount() - 1) return;
    ++wizard.currentTitleRow;
    titleCell(wizard.currentTitleRow, 0, path, static_cast<int>(kWizardPathSize));
    focusRow(wizard.currentTitleRow);
    if (wizard.currentTitleRow > 9) SendMessageA(wizard.titleList, LVM_SCROLL, 0, 8);
    redrawTitlePreview(false);
}

void fillFontLists(HWND page) {
    fontTable.count = 0;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesA(dc, nullptr, collectFontFamily, 0);
    ReleaseDC(nullptr, dc);
    for (int id : {IDC_LETTER_FONT, IDC_TITLE_FONT}) {
        SendDlgItemMessageA(page, id, CB_RESETCONTENT, 0, 0);
        for (int row = 0; row < fontTable.count; ++row)
            SendDlgItemMessageA(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fontTable.rows[row].faceName));
    }
}

int CALLBACK collectFontFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM) {
    static_assert(sizeof(LOGFONTA) == sizeof(FontRow));
    FontRow row;
    std::memcpy(&row, font, sizeof row);
    return collectFontRow(fontTable, row);
}

void drawFontItem(UINT message, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure->itemHeight = (measure->CtlID == IDC_LETTER_FONT || measure->CtlID == IDC_TITLE_FONT) ? 20 : 16;
        return;
    }
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlID != IDC_LETTER_FONT && draw->CtlID != IDC_TITLE_FONT) return;
    if (draw->itemID >= static_cast<UINT>(fontTable.count)) return;
    // A disabled list (letter fonts while no letter is written) looks disabled.
    if ((draw->itemState & ODS_DISABLED) || !IsWindowEnabled(draw->hwndItem)) {
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        SetTextColor(draw->hDC, GetSysColor(COLOR_GRAYTEXT));
    } else if (draw->itemState & ODS_SELECTED) {
        HBRUSH brush = CreateSolidBrush(RGB(132, 144, 180));
        FillRect(draw->hDC, &draw->rcItem, brush);
        DeleteObject(brush);
        SetTextColor(draw->hDC, RGB(255, 255, 255));
    } else {
        HWND letterFonts = GetDlgItem(wizard.textPage, IDC_LETTER_FONT);
        auto background = reinterpret_cast<HBRUSH>(GetClassLongPtrA(letterFonts, GCLP_HBRBACKGROUND));
        FillRect(draw->hDC, &draw->rcItem, background ? background : GetSysColorBrush(COLOR_WINDOW));
        SetTextColor(draw->hDC, RGB(0, 0, 0));
    }
    SetBkMode(draw->hDC, TRANSPARENT);
    const FontRow& row = fontTable.rows[draw->itemID];
    LOGFONTA face;
    std::memcpy(&face, &row, sizeof face);
    face.lfHeight = 15;
    face.lfWidth = 0;
    HFONT font = CreateFontIndirectA(&face);
    HGDIOBJ old = SelectObject(draw->hDC, font);
    TextOutA(draw->hDC, draw->rcItem.left + 5, draw->rcItem.top + 2, row.faceName,
             static_cast<int>(strnlen(row.faceName, sizeof row.faceName)));
    SelectObject(draw->hDC, old);
    DeleteObject(font);
}

void fillSizeLists(HWND page) {
    for (const char* size : kLetterSizes)
        SendDlgItemMessageA(page, IDC_LETTER_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    for (const char* size : kTitleSizes)
        SendDlgItemMessageA(page, IDC_TITLE_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
}

void setTextDefaults(HWND page) {
    SetDlgItemTextA(page, IDC_LETTER_TIME, "5");
    CheckDlgButton(page, IDC_LETTER_AUTO, BST_CHECKED);
    CheckDlgButton(page, IDC_TITLE_AUTO, BST_CHECKED);
    EnableWindow(GetDlgItem(page, IDC_LETTER_AUTO), FALSE);
    SendDlgItemMessageA(page, IDC_LETTER_SIZE, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageA(page, IDC_TITLE_SIZE, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageA(page, IDC_LETTER_FONT, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(page, IDC_TITLE_FONT, CB_SETCURSEL, 0, 0);
}

COLORREF chooseColour(HWND owner, int full) {
    static COLORREF custom[16];
    uint32_t blues[16];
    chooserCustomColours(blues);
    for (int i = 0; i < 16; ++i) custom[i] = blues[i];
    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = owner;
    chooser.lpCustColors = custom;
    chooser.Flags = CC_ANYCOLOR | (full == 1 ? CC_FULLOPEN : 0);
    return ChooseColorA(&chooser) ? chooser.rgbResult : 0;
}

void getLetterText(char* buffer) {
    auto work = std::make_unique<char[]>(kLetterBufferSize);
    work[0] = 0;
    if (wizard.textPage) GetDlgItemTextA(wizard.textPage, IDC_LETTER, work.get(), kLetterBufferSize);
    std::memcpy(buffer, work.get(), std::strlen(work.get()) + 1);
}

int getLetterSize() {
    auto work = std::make_unique<char[]>(kLetterBufferSize);
    work[0] = 0;
    if (wizard.textPage) GetDlgItemTextA(wizard.textPage, IDC_LETTER, work.get(), kLetterBufferSize);
    return static_cast<int>(std::strlen(work.get())) + 1;
}

void fillTitleListFromImages() {
    int count = static_cast<int>(SendMessageA(wizard.imageList, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) appendTitleRow(listBoxText(wizard.imageList, row).c_str());
}
