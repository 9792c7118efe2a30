#include "authoring/win32/WizardWidgets.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <iterator>

#include "authoring/WizardRules.h"
#include "authoring/win32/ImagePage.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardState.h"

namespace {

LOGFONTA fileListFont;

const char* const kSheetTitles[4] = {
    "Glimmerdeck 1.1 - 1Step. Select image file",
    "Glimmerdeck 1.1 - 2Step. Write letter or image title",
    "Glimmerdeck 1.1 - 3Step. Select a sound file that enter as background sound of screen saver.",
    "Glimmerdeck 1.1 - 4Step. After a little setting up to work done so far, make screen saver.",
};

struct Tip {
    int id;
    const char* text;
};

void addPageTips(HWND page, HINSTANCE instance, const Tip* tips, size_t count) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, 0xFF};
    InitCommonControlsEx(&classes);
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, instance, nullptr);
    wizard.pageTips = tip;
    if (!tip) return;
    for (size_t i = 0; i < count; ++i) {
        HWND control = GetDlgItem(page, tips[i].id);
        if (!control) continue;
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = page;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.hinst = instance;
        tool.lpszText = const_cast<char*>(tips[i].text);
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// Paints one row's text, transparently, in a font made from `font`.
void drawRowText(HDC dc, const LOGFONTA& font, int x, int y, const char* text, COLORREF colour) {
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    SelectObject(dc, old);
    DeleteObject(made);
}

// A report list view with the columns "name0" and "name1".
void addTwoColumns(HWND list, const char* name0, int width0, const char* name1, int width1) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width0;
    column.pszText = const_cast<char*>(name0);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = width1;
    column.pszText = const_cast<char*>(name1);
    column.iSubItem = 1;
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void fillListFont(LOGFONTA& font) {
    font = {};
    font.lfHeight = 13;
    font.lfWeight = 300;
    font.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(font.lfFaceName, "Verdana");
}

int fontTextHeight(HWND window, const LOGFONTA& font) {
    HDC dc = GetDC(window);
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(made);
    ReleaseDC(window, dc);
    return metrics.tmHeight;
}

int listRowHeight(HWND window, const LOGFONTA& font) { return fontTextHeight(window, font) + 2; }

void fillRowBackground(const DRAWITEMSTRUCT* draw, bool teal) {
    if (teal) {
        HBRUSH brush = CreateSolidBrush(RGB(0, 128, 128));
        FillRect(draw->hDC, &draw->rcItem, brush);
        DeleteObject(brush);
        return;
    }
    auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(draw->hwndItem, GCLP_HBRBACKGROUND));
    FillRect(draw->hDC, &draw->rcItem, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
}

// ---- File lists 1120 and 1124 ----

void initFileListFont(HWND page) {
    fillListFont(fileListFont);
    wizard.fileList = GetDlgItem(page, IDC_FILE_LIST);
    wizard.fileListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wizard.fileList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fileListKeyProc)));
}

void initSoundListFont(HWND page) {
    fillListFont(fileListFont);
    wizard.soundList = GetDlgItem(page, IDC_SOUND_LIST);
}

LRESULT CALLBACK fileListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        int last = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) - 1;
        switch (wParam) {
        case VK_HOME:
        case VK_UP:
            if (wizard.currentFileIndex == 0) return 0;
            break;
        case VK_END:
        case VK_DOWN:
            if (wizard.currentFileIndex == last) return 0;
            break;
        case VK_LEFT:
        case VK_RIGHT: return 0;
        }
    } else if (message == WM_LBUTTONDOWN) {
        showImageSizeTip(list, POINT{LOWORD(lParam), HIWORD(lParam)});
    }
    return CallWindowProcA(wizard.fileListProc, list, message, wParam, lParam);
}

void measureFileItem(HWND list, MEASUREITEMSTRUCT* measure) {
    if (!fileListFont.lfFaceName[0]) fillListFont(fileListFont);
    measure->itemHeight = listRowHeight(list, fileListFont);
}

void drawFileItem(const DRAWITEMSTRUCT* draw) {
    if (draw->itemID == static_cast<UINT>(-1)) return;
    if (draw->CtlID != IDC_FILE_LIST && draw->CtlID != IDC_SOUND_LIST) return;
    std::string path = listBoxText(draw->hwndItem, static_cast<int>(draw->itemID));
    fillRowBackground(draw, (draw->itemState & ODS_SELECTED) != 0);
    if (!fileListFont.lfFaceName[0]) fillListFont(fileListFont);
    drawRowText(draw->hDC, fileListFont, draw->rcItem.left, draw->rcItem.top + 1, fileNamePart(path.c_str()),
                RGB(0, 0, 0));
}

// ---- Title list 1122 ----

void initTitleList(HWND page) {
    InitCommonControls();
    wizard.titleList = GetDlgItem(page, IDC_TITLE_LIST);
    addTwoColumns(wizard.titleList, "Image name", 150, "Text", 470);
    SendMessageA(wizard.titleList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x1403);
    wizard.titleListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wizard.titleList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(titleListKeyProc)));
}

LRESULT CALLBACK titleListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_DELETE) {
        SetFocus(list);
        PostMessageA(wizard.textPage, WM_COMMAND, IDC_TITLE_DELETE, 0);
    }
    return CallWindowProcA(wizard.titleListProc, list, message, wParam, lParam);
}

int titleRowCount() {
    return wizard.titleList ? static_cast<int>(SendMessageA(wizard.titleList, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void titleCell(int row, int column, char* out, int size) {
    out[0] = 0;
    if (!wizard.titleList || row < 0) return;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = size;
    SendMessageA(wizard.titleList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void appendTitleRow(const char* path) {
    if (!wizard.titleList) return;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = titleRowCount();
    item.pszText = const_cast<char*>(path);
    int row = static_cast<int>(SendMessageA(wizard.titleList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) setRowTitle("", row);
}

void setRowTitle(const char* title, int row) {
    if (!wizard.titleList || row < 0) return;
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(title);
    SendMessageA(wizard.titleList, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void setCurrentTitle(const char* title) { setRowTitle(title, wizard.currentTitleRow); }

void onTitleListNotify(HWND page, const NMHDR* header) {
    if (header->idFrom != IDC_TITLE_LIST) return;
    if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (!(change->uChanged & LVIF_STATE) || (change->uNewState & 3) != 3) return;
        wizard.currentTitleRow = change->iItem;
        titleCell(change->iItem, 0, wizard.currentTitlePath, sizeof wizard.currentTitlePath);
        char title[70];
        titleCell(change->iItem, 1, title, sizeof title);
        SetDlgItemTextA(page, IDC_TITLE_EDIT, title);
        InvalidateRect(wizard.titleList, nullptr, TRUE);
        redrawRect(page, 45, 49, 205, 171);
    } else if (header->code == NM_CLICK) {
        SetFocus(GetDlgItem(page, IDC_TITLE_EDIT));
    }
}

void drawTitleRow(const DRAWITEMSTRUCT* draw) {
    if (draw->CtlID != IDC_TITLE_LIST || draw->itemID == static_cast<UINT>(-1)) return;
    const int row = static_cast<int>(draw->itemID);
    char path[260];
    titleCell(row, 0, path, sizeof path);
    COLORREF colour = RGB(0, 0, 0);
    if (draw->itemState & ODS_FOCUS) {
        fillRowBackground(draw, true);
        if (row == wizard.currentTitleRow) colour = RGB(255, 255, 255);
        else fillRowBackground(draw, false);
    }
    if (!wizard.imageListFont.lfFaceName[0]) fillListFont(wizard.imageListFont);
    std::string text = numberedRowText(row, path);
    HFONT font = CreateFontIndirectA(&wizard.imageListFont);
    HGDIOBJ old = SelectObject(draw->hDC, font);
    SIZE extent = {};
    GetTextExtentPoint32A(draw->hDC, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(draw->hDC, old);
    DeleteObject(font);
    text = shortenTitleRowText(text, extent.cx);
    drawRowText(draw->hDC, wizard.imageListFont, draw->rcItem.left, draw->rcItem.top + 1, text.c_str(), colour);
    char title[70];
    titleCell(row, 1, title, sizeof title);
    drawRowText(draw->hDC, wizard.imageListFont, draw->rcItem.left + 160, draw->rcItem.top + 1, title,
                RGB(0, 0, 0));
}

// ---- Information list 1125 ----

void initSoundInfoList(HWND page) {
    InitCommonControls();
    wizard.soundInfoList = GetDlgItem(page, IDC_SOUND_INFO);
    addTwoColumns(wizard.soundInfoList, "Item", 120, "Information", 400);
    SendMessageA(wizard.soundInfoList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x40B);
}

void addSoundInfoRow(const char* itemText, const char* information) {
    if (!wizard.soundInfoList) return;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(wizard.soundInfoList, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(itemText);
    int row = static_cast<int>(SendMessageA(wizard.soundInfoList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(information);
    SendMessageA(wizard.soundInfoList, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void fileDateAndSize(const char* path, FileDateSize* out) {
    out->size[0] = out->date[0] = 0;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return;   // the caller passes a file that exists
    FindClose(search);
    FILETIME local = {};
    SYSTEMTIME when = {};
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &when);
    std::snprintf(out->size, sizeof out->size, "%lu bytes", static_cast<unsigned long>(found.nFileSizeLow));
    std::snprintf(out->date, sizeof out->date, "%4d-%02d-%02d", when.wYear, when.wMonth, when.wDay);
}

// ---- Tooltips ----

void addImagePageTips(HWND page, HINSTANCE instance) {
    static const Tip tips[] = {
        {1007, "Show previous image."}, {1008, "Delete selected image."}, {1009, "Show next image."},
        {1092, "Show image as original size."}, {1093, "Show image as slide form."},
        {1043, "Insert selected image file."}, {1045, "Move to next step."}, {1046, "Quits the application."},
    };
    addPageTips(page, instance, tips, std::size(tips));
}

void addTextPageTips(HWND page, HINSTANCE instance) {
    static const Tip tips[] = {
        {1034, "Delete written image title."}, {1035, "Show previous image."}, {1036, "Show next image."},
        {1037, "Insert image title."}, {1114, "Select as image title mode."}, {1047, " Move to previous step."},
        {1095, "Move to next step."}, {1096, "Quits the application."}, {1082, "Select as random color."},
        {1086, " Select font and size as default value."}, {1085, "Select font color."},
        {1090, "Select font color."}, {1084, "Select font size."}, {1083, "Select font."},
        {1072, "Write letter."}, {1115, "Select letter option mode."},
        {1076, "Enter the time it takes for letter to be applied first."}, {1077, "Select font."},
        {1078, "Select font size."}, {1079, "Select font color."}, {1089, "Select font color"},
    };
    addPageTips(page, instance, tips, std::size(tips));
}

void addSoundPageTips(HWND page, HINSTANCE instance) {
    static const Tip tips[] = {
        {1014, "Pause sound"}, {1015, "Play sound"}, {1016, "Stop sound."},
        {1012, "File path of selected sound"}, {1048, "Move to previous step."}, {1098, "Move to next step."},
        {1099, "Quits the application."}, {40029, "Set up as default value"},
    };
    addPageTips(page, instance, tips, std::size(tips));
}

void addMakePageTips(HWND page, HINSTANCE instance) {
    static const Tip tips[] = {
        {1031, "Applying set up option, it is applied to preview again."}, {1032, "Set up as default mode."},
        {1021, "Set up screen saver file."}, {1022, "Create screen saver file."}, {1023, "Select screen mode."},
        {1024, "Set up transition time."}, {1025, "Set up time image is shown."}, {1100, "Show with full screen."},
        {1030, "Create install file."}, {1103, "File path."}, {1104, "File path."}, {1105, "File path."},
        {57671, "Save scenario file."}, {1101, "Move to previous step."}, {1102, "Quits the application."},
    };
    addPageTips(page, instance, tips, std::size(tips));
}

// ---- Bitmaps, menus, placement ----

HBITMAP drawPageBitmap(HDC dc, HBITMAP bitmap, int place) {
    if (!bitmap) return bitmap;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    switch (place) {
    case 1: BitBlt(dc, 475, 275, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY); break;
    case 2:
        StretchBlt(dc, 60, 35, info.bmWidth, info.bmHeight + 29, memory, 0, 0, info.bmWidth, info.bmHeight,
                   SRCCOPY);
        break;
    case 3: BitBlt(dc, 30, 35, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY); break;
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

void drawSideBitmap(HDC dc, HBITMAP bitmap) {
    if (!bitmap) return;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, 45, 200, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

HMENU attachPageMenu(HINSTANCE instance, int menuId) {
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(menuId));
    SetMenu(wizard.sheet, menu);
    return menu;
}

void detachPageMenu() {
    if (!wizard.pageMenu) return;
    // The sheet menu stays on the sheet between pages; a destroyed menu never does.
    if (GetMenu(wizard.sheet) == wizard.pageMenu) SetMenu(wizard.sheet, wizard.sheetMenu);
    DestroyMenu(wizard.pageMenu);
    wizard.pageMenu = nullptr;
}

void activatePage(int page, int menuId) {
    SendMessageA(wizard.sheet, PSM_SETTITLEA, 0, reinterpret_cast<LPARAM>(kSheetTitles[page]));
    if (wizard.pageMenu) detachPageMenu();
    wizard.pageMenu = attachPageMenu(wizard.instance, menuId);
}

void centreOnScreen(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    Placement p = centredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  rect.right - rect.left, rect.bottom - rect.top);
    MoveWindow(window, p.x, p.y, p.width, p.height, TRUE);
}

void centreOverParent(HWND window) {
    RECT rect = {}, parent = {};
    GetWindowRect(window, &rect);
    HWND owner = GetParent(window);
    if (!owner || !GetWindowRect(owner, &parent)) return;
    Placement p = centredOverParent(parent.left, parent.top, parent.right - parent.left, parent.bottom - parent.top,
                                    rect.right - rect.left, rect.bottom - rect.top, GetSystemMetrics(SM_CXSCREEN),
                                    GetSystemMetrics(SM_CYSCREEN));
    MoveWindow(window, p.x, p.y, p.width, p.height, FALSE);
}

std::string programFolder() {
    char name[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
    if (length == 0 || length >= sizeof name) return std::string();
    return folderOfModule(name);
}

void redrawRect(HWND page, int left, int top, int right, int bottom, bool erase) {
    if (!page) return;
    RECT rect = {left, top, right, bottom};
    InvalidateRect(page, &rect, erase);
}

std::string listBoxText(HWND list, int row) {
    if (!list || row < 0) return std::string();
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR || length < 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}
