// The shell's folder tree beside a file list, for the Image and Sound steps:
// folders are enumerated the first time they are opened ("Loading..." stands in
// meanwhile), and choosing one lists its pictures or sounds.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

// One item id list, freed with the shell allocator on destruction.
class ShellItemId {
public:
    ShellItemId() = default;
    explicit ShellItemId(LPITEMIDLIST list) : list_(list) {}
    virtual ~ShellItemId();
    ShellItemId(const ShellItemId&) = delete;
    ShellItemId& operator=(const ShellItemId&) = delete;
    LPITEMIDLIST get() const { return list_; }

private:
    LPITEMIDLIST list_ = nullptr;
};

class ShellFolderTree {
public:
    virtual ~ShellFolderTree() = default;
    virtual void expandFolderItem(HTREEITEM item);

    HWND tree = nullptr;
    HTREEITEM loadingItem = nullptr;
    HTREEITEM expandingItem = nullptr;
    HTREEITEM lastInserted = nullptr;
    HFONT font = nullptr;
};

extern ShellFolderTree imageFolderTree;
extern ShellFolderTree soundFolderTree;

void createFolderTree(ShellFolderTree* object, HWND dialog, int treeId);
void fillFolderTreeRoot(ShellFolderTree* object, HTREEITEM parent, unsigned flags);
int onFolderTreeNotify(ShellFolderTree* object, const NMHDR* notification, int imageMode);
void listFolderFiles(const char* pattern, int imageMode);
void itemNameText(LPCITEMIDLIST item, STRRET* name, char* out);

// Item id list routines.
UINT itemIdSize(LPCITEMIDLIST list);
LPCITEMIDLIST nextItemId(LPCITEMIDLIST list);
LPCITEMIDLIST lastItemId(LPCITEMIDLIST list);
LPITEMIDLIST concatItemIds(LPCITEMIDLIST first, LPCITEMIDLIST second);
LPITEMIDLIST copyItemId(LPCITEMIDLIST list);
