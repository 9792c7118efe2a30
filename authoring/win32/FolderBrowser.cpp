#include "authoring/win32/FolderBrowser.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "authoring/WizardRules.h"
#include "authoring/win32/ImagePage.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"

ShellFolderTree imageFolderTree;
ShellFolderTree soundFolderTree;

namespace {

// The shared shell objects, obtained on first need; each user holds a reference
// while it needs one.
IMalloc* shellAllocator = nullptr;
IShellFolder* desktopFolder = nullptr;

IMalloc* allocator() {
    if (!shellAllocator) SHGetMalloc(&shellAllocator);
    return shellAllocator;
}

IShellFolder* desktop() {
    if (!desktopFolder) SHGetDesktopFolder(&desktopFolder);
    return desktopFolder;
}

void releaseFolder(IShellFolder* folder) {
    if (!folder) return;
    if (folder->Release() == 0 && folder == desktopFolder) desktopFolder = nullptr;
}

void freeItemId(LPITEMIDLIST list) {
    if (list && allocator()) allocator()->Free(list);
}

// The lParam of every tree item.
struct TreeItemData {
    IShellFolder* parentFolder;   // referenced
    ShellItemId* absolute;        // parent's list followed by the item's own
    unsigned flags;
};

// Names of non-file-system items too (not in every SDK's headers).
constexpr DWORD kIncludeNonFileSystem = 0x2000;

constexpr unsigned kListNonFolders = 1, kIncludeHidden = 2, kNormalName = 16;

void fillTreeDisplayInfo(TVITEMA& item, const TreeItemData& data) {
    LPCITEMIDLIST relative = lastItemId(data.absolute->get());
    if (item.mask & TVIF_TEXT) {
        STRRET name = {};
        name.uType = STRRET_CSTR;
        DWORD how = (data.flags & kNormalName ? SHGDN_NORMAL : SHGDN_INFOLDER) | kIncludeNonFileSystem;
        char text[MAX_PATH] = {};
        if (SUCCEEDED(data.parentFolder->GetDisplayNameOf(relative, how, &name)))
            itemNameText(relative, &name, text);
        lstrcpynA(item.pszText, text, item.cchTextMax);
    }
    ULONG attributes = SFGAO_FOLDER | SFGAO_GHOSTED | SFGAO_SHARE | SFGAO_LINK | SFGAO_REMOVABLE;
    if (FAILED(data.parentFolder->GetAttributesOf(1, &relative, &attributes))) attributes = 0;
    if (item.mask & TVIF_STATE) {
        item.stateMask = TVIS_CUT | TVIS_OVERLAYMASK;
        item.state = 0;
        if (attributes & SFGAO_GHOSTED) item.state |= TVIS_CUT;
        if (attributes & SFGAO_SHARE) item.state |= INDEXTOOVERLAYMASK(1);
        else if (attributes & SFGAO_LINK) item.state |= INDEXTOOVERLAYMASK(2);
    }
    if (item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
        SHFILEINFOA info = {};
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(data.absolute->get()), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        item.iImage = item.iSelectedImage = info.iIcon;
        if (attributes & SFGAO_FOLDER) {
            SHGetFileInfoA(reinterpret_cast<LPCSTR>(data.absolute->get()), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
            item.iSelectedImage = info.iIcon;
        }
    }
    if (item.mask & TVIF_CHILDREN) {
        if (!(attributes & SFGAO_FOLDER)) {
            item.cChildren = 0;
        } else if (!(attributes & SFGAO_REMOVABLE) && !(data.flags & kListNonFolders)) {
            // Removable drives are never touched before the user opens them.
            ULONG sub = SFGAO_HASSUBFOLDER;
            if (FAILED(data.parentFolder->GetAttributesOf(1, &relative, &sub))) sub = 0;
            item.cChildren = (sub & SFGAO_HASSUBFOLDER) ? 1 : 0;
        } else {
            item.cChildren = 1;
        }
    }
}

void insertShellItem(ShellFolderTree* object, HTREEITEM parent, IShellFolder* parentFolder,
                     LPCITEMIDLIST parentList, LPCITEMIDLIST ownList, unsigned flags) {
    LPITEMIDLIST absolute = concatItemIds(parentList, ownList);
    if (!absolute) return;
    auto* data = new TreeItemData{parentFolder, new ShellItemId(absolute), flags};
    parentFolder->AddRef();
    char text[MAX_PATH] = {};
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_SORT;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = text;
    insert.item.cchTextMax = sizeof text;
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    fillTreeDisplayInfo(insert.item, *data);
    object->lastInserted = reinterpret_cast<HTREEITEM>(
        SendMessageA(object->tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!object->lastInserted) {
        releaseFolder(data->parentFolder);
        delete data->absolute;
        delete data;
    }
}

TreeItemData* itemData(HWND tree, HTREEITEM item) {
    TVITEMA info = {};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return nullptr;
    return reinterpret_cast<TreeItemData*>(info.lParam);
}

std::string folderPatternOf(HWND tree, HTREEITEM item) {
    TreeItemData* data = itemData(tree, item);
    char path[MAX_PATH] = {};
    if (!data || !SHGetPathFromIDListA(data->absolute->get(), path)) path[0] = 0;
    return folderPattern(path);
}

}  // namespace

ShellItemId::~ShellItemId() { freeItemId(list_); }

UINT itemIdSize(LPCITEMIDLIST list) {
    UINT size = 0;
    for (; list && list->mkid.cb; list = nextItemId(list)) size += list->mkid.cb;
    return size;
}

LPCITEMIDLIST nextItemId(LPCITEMIDLIST list) {
    return reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(list) + list->mkid.cb);
}

LPCITEMIDLIST lastItemId(LPCITEMIDLIST list) {
    LPCITEMIDLIST last = list;
    for (LPCITEMIDLIST at = list; at && at->mkid.cb; at = nextItemId(at)) last = at;
    return last;
}

LPITEMIDLIST concatItemIds(LPCITEMIDLIST first, LPCITEMIDLIST second) {
    UINT size1 = itemIdSize(first), size2 = itemIdSize(second);
    if (!allocator()) return nullptr;
    auto* list = static_cast<BYTE*>(allocator()->Alloc(size1 + size2 + 2));
    if (!list) return nullptr;
    if (size1) std::memcpy(list, first, size1);
    if (size2) std::memcpy(list + size1, second, size2);
    list[size1 + size2] = list[size1 + size2 + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(list);
}

LPITEMIDLIST copyItemId(LPCITEMIDLIST list) { return concatItemIds(list, nullptr); }

void itemNameText(LPCITEMIDLIST item, STRRET* name, char* out) {
    out[0] = 0;
    switch (name->uType) {
    case STRRET_WSTR:
        WideCharToMultiByte(CP_ACP, 0, name->pOleStr, -1, out, MAX_PATH, nullptr, nullptr);
        if (allocator()) allocator()->Free(name->pOleStr);
        name->pOleStr = nullptr;
        break;
    case STRRET_OFFSET: lstrcpynA(out, reinterpret_cast<const char*>(item) + name->uOffset, MAX_PATH); break;
    case STRRET_CSTR: lstrcpynA(out, name->cStr, MAX_PATH); break;
    }
    out[MAX_PATH - 1] = 0;
    *name = {};
}

void createFolderTree(ShellFolderTree* object, HWND dialog, int treeId) {
    object->tree = GetDlgItem(dialog, treeId);
    LPITEMIDLIST desktopList = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopList))) {
        SHFILEINFOA info = {};
        auto images = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
            reinterpret_cast<LPCSTR>(desktopList), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        PostMessageA(object->tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
        freeItemId(desktopList);
    }
    object->font = CreateFontA(8, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                               "MS Sans Serif");
    SendMessageA(object->tree, WM_SETFONT, reinterpret_cast<WPARAM>(object->font), FALSE);
}

void fillFolderTreeRoot(ShellFolderTree* object, HTREEITEM, unsigned flags) {
    IShellFolder* root = desktop();
    LPITEMIDLIST desktopList = nullptr;
    if (!root || FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopList))) return;
    root->AddRef();
    insertShellItem(object, TVI_ROOT, root, nullptr, desktopList, flags);
    releaseFolder(root);
    freeItemId(desktopList);
    if (object->lastInserted) SendMessageA(object->tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(object->lastInserted));
}

void ShellFolderTree::expandFolderItem(HTREEITEM item) {
    TreeItemData* data = itemData(tree, item);
    IShellFolder* root = desktop();
    if (!data || !root) return;
    IShellFolder* folder = nullptr;
    if (itemIdSize(data->absolute->get()) == 0) {
        folder = root;
        folder->AddRef();
    } else if (FAILED(root->BindToObject(data->absolute->get(), nullptr, IID_IShellFolder,
                                         reinterpret_cast<void**>(&folder)))) {
        return;
    }
    SHCONTF what = SHCONTF_FOLDERS;
    if (data->flags & kListNonFolders) what |= SHCONTF_NONFOLDERS;
    if (data->flags & kIncludeHidden) what |= SHCONTF_INCLUDEHIDDEN;
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(tree, what, &items) == S_OK && items) {
        LPITEMIDLIST id = nullptr;
        ULONG got = 0;
        while (items->Next(1, &id, &got) == S_OK && got == 1) {
            insertShellItem(this, item, folder, data->absolute->get(), id, data->flags);
            freeItemId(id);
        }
        items->Release();
    }
    releaseFolder(folder);
}

int onFolderTreeNotify(ShellFolderTree* object, const NMHDR* notification, int imageMode) {
    if (notification->hwndFrom != object->tree) return 0;
    switch (notification->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        const auto* view = reinterpret_cast<const NMTREEVIEWA*>(notification);
        HTREEITEM item = view->itemNew.hItem;
        object->expandingItem = nullptr;
        if (view->action & TVE_EXPAND &&
            !SendMessageA(object->tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))) {
            object->expandingItem = item;
            UpdateWindow(object->tree);
            TVINSERTSTRUCTA insert = {};
            insert.hParent = item;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT;
            insert.item.pszText = const_cast<char*>("Loading...");
            object->loadingItem = reinterpret_cast<HTREEITEM>(
                SendMessageA(object->tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        }
        break;
    }
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
        const auto* view = reinterpret_cast<const NMTREEVIEWA*>(notification);
        HTREEITEM item = view->itemNew.hItem;
        if (!(view->action & TVE_EXPAND) || item != object->expandingItem) break;
        object->expandingItem = nullptr;
        if (object->loadingItem) {
            SendMessageA(object->tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(object->loadingItem));
            object->loadingItem = nullptr;
        }
        object->expandFolderItem(item);
        HTREEITEM child = reinterpret_cast<HTREEITEM>(
            SendMessageA(object->tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        TVITEMA children = {};
        children.mask = TVIF_CHILDREN;
        children.hItem = item;
        children.cChildren = child ? 1 : 0;
        SendMessageA(object->tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&children));
        for (; child; child = reinterpret_cast<HTREEITEM>(SendMessageA(object->tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                        reinterpret_cast<LPARAM>(child)))) {
            if (SendMessageA(object->tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0) == reinterpret_cast<LRESULT>(item))
                break;
            SendMessageA(object->tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(child));
        }
        break;
    }
    case TVN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(const_cast<NMHDR*>(notification));
        if (TreeItemData* data = reinterpret_cast<TreeItemData*>(info->item.lParam))
            fillTreeDisplayInfo(info->item, *data);
        break;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
        const auto* view = reinterpret_cast<const NMTREEVIEWA*>(notification);
        std::string pattern = folderPatternOf(object->tree, view->itemNew.hItem);
        listFolderFiles(pattern.c_str(), imageMode);
        break;
    }
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: {
        const auto* view = reinterpret_cast<const NMTREEVIEWA*>(notification);
        if (auto* data = reinterpret_cast<TreeItemData*>(view->itemOld.lParam)) {
            releaseFolder(data->parentFolder);
            delete data->absolute;
            delete data;
        }
        break;
    }
    }
    return 0;
}

void listFolderFiles(const char* pattern, int imageMode) {
    HWND list = imageMode ? wizard.fileList : wizard.soundList;
    if (!list) return;
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) > 0) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        if (imageMode) redrawRect(wizard.imagePage, 63, 216, 367, 444);
    }
    const std::string folder = patternFolder(pattern);
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            if (!folderFileMatches(found.cFileName, imageMode != 0)) continue;
            std::string path = folder + found.cFileName;
            if (path.size() >= MAX_PATH) continue;   // no room in the wizard's path fields
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) < 1) return;
    if (imageMode) {
        SendMessageA(list, LB_SETSEL, TRUE, 0);
        SendMessageA(list, LB_SETCARETINDEX, 0, FALSE);
        wizard.currentFileIndex = 0;
        lstrcpynA(wizard.currentFilePath, listBoxText(list, 0).c_str(), sizeof wizard.currentFilePath);
        redrawRect(wizard.imagePage, 63, 216, 367, 444);
    }
    updateImageListExtent(list);
}
