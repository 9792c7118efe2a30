#include "authoring/win32/ImagePage.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "authoring/PictureLoading.h"
#include "authoring/ViewerRules.h"
#include "authoring/WizardRules.h"
#include "authoring/win32/FolderBrowser.h"
#include "authoring/win32/ViewerBitmap.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"

namespace {

constexpr RECT kSelectedPreview = {491, 290, 650, 413};
constexpr RECT kFilePreview = {63, 216, 367, 444};

void redrawPreview(const RECT& rect) {
    redrawRect(wizard.imagePage, rect.left, rect.top, rect.right, rect.bottom);
}

void redrawRow(HWND list, int row) {
    RECT rect = {};
    if (row >= 0 && SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        InvalidateRect(list, &rect, TRUE);
}

int rowCount(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); }

void showLimitMessage() {
    MessageBoxA(wizard.imagePage, "The number of image can be selected up to 255.", "Glimmerdeck", MB_OK);
}

// Step 5 of an insert: row 0 becomes the current picture.
void selectFirstPicture() {
    if (rowCount(wizard.imageList) < 1) return;
    wizard.currentImageIndex = 0;
    lstrcpynA(wizard.currentImagePath, listBoxText(wizard.imageList, 0).c_str(), sizeof wizard.currentImagePath);
    SendMessageA(wizard.imageList, LB_SETCURSEL, 0, 0);
    InvalidateRect(wizard.imageList, nullptr, TRUE);
    redrawPreview(kSelectedPreview);
}

void onSelectionChange(HWND list, bool selectedList) {
    int& index = selectedList ? wizard.currentImageIndex : wizard.currentFileIndex;
    char* path = selectedList ? wizard.currentImagePath : wizard.currentFilePath;
    redrawRow(list, index);
    index = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    lstrcpynA(path, listBoxText(list, index).c_str(), kWizardPathSize);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    redrawRow(list, index);
    redrawPreview(selectedList ? kSelectedPreview : kFilePreview);
}

void deletePageBitmaps() {
    for (HBITMAP& bitmap : wizard.imageBitmaps)
        if (bitmap) DeleteObject(bitmap), bitmap = nullptr;
}

void onDropFiles(HDROP drop) {
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH] = {};
        if (!DragQueryFileA(drop, i, path, sizeof path)) continue;
        if (!isDroppedPicture(path)) {
            MessageBoxA(wizard.imagePage, "The selected file is not supported.", "Glimmerdeck", MB_ICONEXCLAMATION);
            continue;
        }
        if (!addPicture(path)) break;
    }
    DragFinish(drop);
    updateImageListExtent(wizard.imageList);
    selectFirstPicture();
}

void onPaint(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    drawPageBitmap(dc, wizard.imageBitmaps[0], 1);
    drawSideBitmap(dc, wizard.imageBitmaps[1]);
    if (rowCount(wizard.imageList) > 0) showImagePreviewSmall(dc, page, wizard.currentImagePath);
    if (rowCount(wizard.fileList) > 0) showImagePreviewLarge(dc, page, wizard.currentFilePath);
    EndPaint(page, &paint);
}

void onInit(HWND page) {
    wizard.imagePage = page;
    createFolderTree(&imageFolderTree, page, IDC_FOLDER_TREE);
    fillFolderTreeRoot(&imageFolderTree, nullptr, 0);
    initImageList(page);
    initFileListFont(page);
    addImagePageTips(page, wizard.instance);
    fillSlideTimeList(page);
    CheckDlgButton(page, IDC_AUTO_EFFECT, BST_CHECKED);
    EnableWindow(GetDlgItem(page, IDC_AUTO_EFFECT), FALSE);
}

void onCommand(HWND page, int id, int code) {
    if (handleCommonCommand(page, kImagePage, id)) return;
    switch (id) {
    case IDC_IMAGE_LIST:
    case IDC_FILE_LIST:
        if (code == LBN_SELCHANGE) onSelectionChange(GetDlgItem(page, id), id == IDC_IMAGE_LIST);
        break;
    case IDC_IMAGE_NEXT: selectWizardPage(kTextPage); break;
    case IDC_IMAGE_EXIT:
    case CMD_EXIT:
        deletePageBitmaps();
        exitCleanup();
        DestroyWindow(wizard.sheet);
        break;
    case IDC_SLIDE_SHOW:
    case CMD_SLIDE_SHOW: {
        if (slideShowWindowExists()) break;
        wizard.viewerMode = 0;
        char text[16] = {};
        GetDlgItemTextA(page, IDC_SLIDE_TIME, text, sizeof text);
        openSlideShowWindow(page, slideTimeMs(text));
        break;
    }
    case IDC_ORIGINAL:
    case CMD_ORIGINAL:
        wizard.viewerMode = 1;
        showOriginalSizeWindow(page);
        break;
    case IDC_PREVIOUS_IMAGE: showPreviousImage(wizard.currentImagePath); break;
    case IDC_NEXT_IMAGE: showNextImage(wizard.currentImagePath); break;
    case IDC_DELETE_IMAGE: deleteSelectedImages(); break;
    case IDC_INSERT:
        addSelectedFiles();
        selectFirstPicture();
        break;
    case CMD_SELECT_ALL_RIGHT: selectAllItems(TRUE, wizard.imageList); break;
    case CMD_SELECT_ALL_LEFT: selectAllItems(TRUE, wizard.fileList); break;
    case CMD_DELETE_ALL: deleteAllImages(); break;
    }
}

}  // namespace

INT_PTR CALLBACK imagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: onInit(page); return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        onFolderTreeNotify(&imageFolderTree, header, 1);
        switch (header->code) {
        case PSN_SETACTIVE:
            activatePage(kImagePage, IDM_IMAGE);
            deletePageBitmaps();
            wizard.imageBitmaps[0] = LoadBitmapA(wizard.instance, MAKEINTRESOURCEA(IDB_PAGE));
            wizard.imageBitmaps[1] = LoadBitmapA(wizard.instance, MAKEINTRESOURCEA(IDB_SIDE));
            break;
        case PSN_KILLACTIVE:
            deletePageBitmaps();
            detachPageMenu();
            break;
        case PSN_RESET:
            deletePageBitmaps();
            detachPageMenu();
            exitCleanup();
            break;
        }
        return FALSE;
    }
    case WM_PAINT: onPaint(page); return TRUE;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID == IDC_FILE_LIST) measureFileItem(GetDlgItem(page, IDC_FILE_LIST), measure);
        else if (measure->CtlID == IDC_IMAGE_LIST) measureImageItem(measure);
        else return FALSE;
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID == IDC_FILE_LIST) drawFileItem(draw);
        else if (draw->CtlID == IDC_IMAGE_LIST) drawImageItem(draw);
        else return FALSE;
        return TRUE;
    }
    case WM_DROPFILES: onDropFiles(reinterpret_cast<HDROP>(wParam)); return TRUE;
    case WM_COMMAND: onCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}

void initImageList(HWND page) {
    fillListFont(wizard.imageListFont);
    wizard.imageList = GetDlgItem(page, IDC_IMAGE_LIST);
    SendMessageA(wizard.imageList, LB_SETTOPINDEX, 0, 0);
    wizard.imageListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wizard.imageList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(imageListKeyProc)));
}

LRESULT CALLBACK imageListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        int last = rowCount(list) - 1;
        switch (wParam) {
        case VK_DELETE:
            SetFocus(list);
            PostMessageA(wizard.imagePage, WM_COMMAND, IDC_DELETE_IMAGE, 0);
            break;
        case VK_HOME:
        case VK_UP:
            if (wizard.currentImageIndex == 0) return 0;
            break;
        case VK_END:
        case VK_DOWN:
            if (wizard.currentImageIndex == last) return 0;
            break;
        case VK_LEFT:
        case VK_RIGHT: return 0;
        }
    } else if (message == WM_LBUTTONDOWN) {
        showImageSizeTip(list, POINT{LOWORD(lParam), HIWORD(lParam)});
    }
    return CallWindowProcA(wizard.imageListProc, list, message, wParam, lParam);
}

void measureImageItem(MEASUREITEMSTRUCT* measure) {
    if (!wizard.imageListFont.lfFaceName[0]) fillListFont(wizard.imageListFont);
    measure->itemHeight = listRowHeight(nullptr, wizard.imageListFont);
}

void drawImageItem(const DRAWITEMSTRUCT* draw) {
    if (draw->CtlID != IDC_IMAGE_LIST || draw->itemID == static_cast<UINT>(-1)) return;
    const int row = static_cast<int>(draw->itemID);
    std::string path = listBoxText(draw->hwndItem, row);
    fillRowBackground(draw, (draw->itemState & ODS_SELECTED) != 0);
    SetTextColor(draw->hDC, row == wizard.currentImageIndex ? RGB(0, 0, 255) : RGB(0, 0, 0));
    SetBkMode(draw->hDC, TRANSPARENT);
    std::string text = numberedRowText(row, path.c_str());
    HFONT font = CreateFontIndirectA(&wizard.imageListFont);
    HGDIOBJ old = SelectObject(draw->hDC, font);
    TextOutA(draw->hDC, draw->rcItem.left, draw->rcItem.top + 1, text.c_str(), static_cast<int>(text.size()));
    SelectObject(draw->hDC, old);
    DeleteObject(font);
}

void showPreviousImage(char* path) {
    if (wizard.currentImageIndex <= 0) return;
    redrawRow(wizard.imageList, wizard.currentImageIndex);
    --wizard.currentImageIndex;
    SendMessageA(wizard.imageList, LB_SETCURSEL, wizard.currentImageIndex, 0);
    lstrcpynA(path, listBoxText(wizard.imageList, wizard.currentImageIndex).c_str(), kWizardPathSize);
    SendMessageA(wizard.imageList, LB_SETCARETINDEX, wizard.currentImageIndex, TRUE);
    redrawRow(wizard.imageList, wizard.currentImageIndex);
    redrawPreview(kSelectedPreview);
}

void showNextImage(char* path) {
    if (wizard.currentImageIndex >= rowCount(wizard.imageList) - 1) return;
    redrawRow(wizard.imageList, wizard.currentImageIndex);
    ++wizard.currentImageIndex;
    lstrcpynA(path, listBoxText(wizard.imageList, wizard.currentImageIndex).c_str(), kWizardPathSize);
    SendMessageA(wizard.imageList, LB_SETCURSEL, wizard.currentImageIndex, 0);
    SendMessageA(wizard.imageList, LB_SETCARETINDEX, wizard.currentImageIndex + 1, TRUE);
    redrawRow(wizard.imageList, wizard.currentImageIndex);
    redrawPreview(kSelectedPreview);
}

void deleteSelectedImages() {
    HWND list = wizard.imageList;
    int selected = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    if (selected <= 0) return;
    std::vector<int> rows(static_cast<size_t>(selected));
    selected = static_cast<int>(SendMessageA(list, LB_GETSELITEMS, selected, reinterpret_cast<LPARAM>(rows.data())));
    if (selected <= 0) return;
    rows.resize(static_cast<size_t>(selected));
    std::sort(rows.begin(), rows.end());
    int lastCurrent = 0;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        lastCurrent = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        if (*row == wizard.currentImageIndex) wizard.currentImageIndex = -1;
        SendMessageA(list, LB_DELETESTRING, *row, 0);
        if (wizard.titleList) SendMessageA(wizard.titleList, LVM_DELETEITEM, *row, 0);
    }
    int current = currentRowAfterDelete(lastCurrent, rowCount(list));
    if (current >= 0) SendMessageA(list, LB_SETSEL, TRUE, current);
    lstrcpynA(wizard.currentImagePath, listBoxText(list, current).c_str(), sizeof wizard.currentImagePath);
    redrawPreview(kSelectedPreview);
}

void deleteAllImages() {
    if (rowCount(wizard.imageList) < 1) return;
    SendMessageA(wizard.imageList, LB_RESETCONTENT, 0, 0);
    redrawPreview(kSelectedPreview);
    updateImageListExtent(wizard.imageList);
    if (wizard.titleList) SendMessageA(wizard.titleList, LVM_DELETEALLITEMS, 0, 0);
}

bool addPicture(const char* path) {
    if (picturesThatFit(1, rowCount(wizard.imageList)) < 1) {
        showLimitMessage();
        return false;
    }
    SendMessageA(wizard.imageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    if (wizard.titleList) appendTitleRow(path);
    return true;
}

void addSelectedFiles() {
    int selected = static_cast<int>(SendMessageA(wizard.fileList, LB_GETSELCOUNT, 0, 0));
    if (selected <= 0) return;
    int fit = picturesThatFit(selected, rowCount(wizard.imageList));
    std::vector<int> rows(static_cast<size_t>(std::max(fit, 1)));
    int got = fit > 0 ? static_cast<int>(SendMessageA(wizard.fileList, LB_GETSELITEMS, fit,
                                                      reinterpret_cast<LPARAM>(rows.data())))
                      : 0;
    for (int i = 0; i < got; ++i) {
        std::string path = listBoxText(wizard.fileList, rows[static_cast<size_t>(i)]);
        SendMessageA(wizard.imageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        if (wizard.titleList) appendTitleRow(path.c_str());
    }
    if (selected > fit) showLimitMessage();
    updateImageListExtent(wizard.imageList);
}

void selectAllItems(BOOL select, HWND list) {
    for (int row = rowCount(list) - 1; row >= 0; --row) SendMessageA(list, LB_SETSEL, select, row);
}

namespace {

void setListExtent(HWND list, bool fileNameOnly) {
    int count = rowCount(list);
    if (count <= 0) {
        SendMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
        return;
    }
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) paths.push_back(listBoxText(list, row));
    std::string text = extentText(paths, fileNameOnly);
    HDC dc = GetDC(list);
    int width = textWidth(dc, text.c_str());
    ReleaseDC(list, dc);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, width, 0);
}

}  // namespace

void updateImageListExtent(HWND list) { setListExtent(list, true); }
void updateListExtent(HWND list) { setListExtent(list, false); }

int textWidth(HDC dc, const char* text) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size.cx;
}

void showImageSizeTip(HWND list, POINT point) {
    if (!wizard.sizeTip)
        wizard.sizeTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr, wizard.instance, nullptr);
    if (!wizard.sizeTip) return;
    LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(hit) != 0) return;
    int row = LOWORD(hit);
    std::string path = listBoxText(list, row);
    int32_t width = 0, height = 0;
    probeJpegSize(path.c_str(), &width, &height);
    char text[64];
    std::snprintf(text, sizeof text, "Image size : %d x %d", width, height);
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = list;
    tool.uId = 1;
    // One size tool per list: the row clicked last replaces the one before.
    SendMessageA(wizard.sizeTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uFlags = TTF_SUBCLASS;
    tool.hinst = wizard.instance;
    tool.lpszText = text;
    SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageA(wizard.sizeTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}
