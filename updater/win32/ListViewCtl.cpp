#include "updater/win32/ListViewCtl.h"

#include "updater/UpdaterIds.h"
#include "updater/win32/UpdaterDialog.h"

ListViewCtl fileList;

ListViewCtl::ListViewCtl() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
}

ListViewCtl::~ListViewCtl() {
    if (images_) ImageList_Destroy(images_);
}

void ListViewCtl::attach(HWND dialog, int controlId) {
    list_ = GetDlgItem(dialog, controlId);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
}

void ListViewCtl::addColumn(int width, int column, const char* title) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = width;
    col.pszText = const_cast<char*>(title);
    col.iSubItem = column;
    SendMessageA(list_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
}

bool ListViewCtl::setImageList(const int* iconIds, int count) {
    if (images_) ImageList_Destroy(images_);
    images_ = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, count, 1);
    if (!images_) {
        showUpdaterError(IDS_NO_IMAGELIST);
        return false;
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (int i = 0; i < count; ++i) {
        HICON icon = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        if (!icon) {
            showUpdaterError(IDS_NO_ICON);
            ImageList_Destroy(images_);
            images_ = nullptr;
            return false;
        }
        ImageList_AddIcon(images_, icon);
        DestroyIcon(icon);
    }
    ListView_SetImageList(list_, images_, LVSIL_SMALL);
    return true;
}

void ListViewCtl::insertRow(int row, int column, const char* text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    item.iImage = row;
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ListViewCtl::setCellText(int column, int row, const char* text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void ListViewCtl::fitColumns() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    // The widest cell, and the heading with the header's margins; not the
    // list's "use header" size, which gives the last column only what is left.
    constexpr int kHeadingMargins = 12;
    for (int c = 0; c < columns; ++c) {
        char title[128] = {};
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT;
        col.pszText = title;
        col.cchTextMax = sizeof title;
        SendMessageA(list_, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
        const int heading =
            static_cast<int>(SendMessageA(list_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(title))) +
            kHeadingMargins;
        SendMessageA(list_, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE);
        if (SendMessageA(list_, LVM_GETCOLUMNWIDTH, c, 0) < heading) SendMessageA(list_, LVM_SETCOLUMNWIDTH, c, heading);
    }
}
