#include "tests/support/RemoteControls.h"

#include <commctrl.h>

namespace vt_test {

namespace {

// A block of the other process's memory for one message.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size)
        : process_(process),
          at_(static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
    ~RemoteBlock() {
        if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* at() const { return at_; }
    bool write(const void* data, size_t size, size_t offset = 0) {
        return at_ && WriteProcessMemory(process_, at_ + offset, data, size, nullptr);
    }
    bool read(void* data, size_t size, size_t offset = 0) const {
        return at_ && ReadProcessMemory(process_, at_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_;
    char* at_;
};

constexpr int kTextBytes = 512;

LRESULT send(HWND window, UINT message, WPARAM wParam, const void* remote) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

// A message that fills the text buffer a record (with pszText and cchTextMax)
// points to, the record and the buffer both in the other process.
template <class Record>
std::string remoteText(HANDLE process, HWND window, UINT message, WPARAM wParam, Record record) {
    RemoteBlock block(process, sizeof record + kTextBytes);
    record.pszText = block.at() + sizeof record;
    record.cchTextMax = kTextBytes;
    char text[kTextBytes] = {};
    if (!block.write(&record, sizeof record) || !block.write(text, sizeof text, sizeof record)) return {};
    send(window, message, wParam, block.at());
    block.read(text, sizeof text - 1, sizeof record);
    return text;
}

RECT trackbarRect(HANDLE process, HWND trackbar, UINT message) {
    RECT rect = {};
    RemoteBlock block(process, sizeof rect);
    if (block.write(&rect, sizeof rect)) {
        send(trackbar, message, 0, block.at());
        block.read(&rect, sizeof rect);
    }
    return rect;
}

}  // namespace

HANDLE openWindowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                             FALSE, pid)
               : nullptr;
}

std::string listCellText(HANDLE process, HWND list, int row, int column) {
    LVITEMA item = {};
    item.iSubItem = column;
    return remoteText(process, list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), item);
}

std::string listColumnTitle(HANDLE process, HWND list, int column) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    return remoteText(process, list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), col);
}

std::string treeItemText(HANDLE process, HWND tree, HTREEITEM item) {
    TVITEMA record = {};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    return remoteText(process, tree, TVM_GETITEMA, 0, record);
}

std::string listBoxRowText(HWND list, int row) {
    // In wide characters: between processes the narrow form comes back wide
    // for a list of a Unicode dialog.
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length < 0 || length >= kTextBytes) return {};
    wchar_t wide[kTextBytes] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                        5000, &result);
    char text[kTextBytes * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

int listColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int listTextWidth(HANDLE process, HWND list, const std::string& text) {
    RemoteBlock block(process, text.size() + 1);
    if (!block.write(text.c_str(), text.size() + 1)) return 0;
    return static_cast<int>(send(list, LVM_GETSTRINGWIDTHA, 0, block.at()));
}

RECT trackbarThumb(HANDLE process, HWND trackbar) { return trackbarRect(process, trackbar, TBM_GETTHUMBRECT); }
RECT trackbarChannel(HANDLE process, HWND trackbar) { return trackbarRect(process, trackbar, TBM_GETCHANNELRECT); }

}  // namespace vt_test
