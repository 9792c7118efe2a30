// Reading another process's list views and trackbars, for the probes that look
// at the real programs' windows: the messages whose answers go through memory
// are given memory in that process.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace vt_test {

// The process that owns window, opened for reading and writing its memory;
// null when it can't be.
HANDLE openWindowProcess(HWND window);

std::string listCellText(HANDLE process, HWND list, int row, int column);
std::string listColumnTitle(HANDLE process, HWND list, int column);
int listColumnCount(HWND list);
// The width the list itself gives text in its own font (LVM_GETSTRINGWIDTH).
int listTextWidth(HANDLE process, HWND list, const std::string& text);

std::string treeItemText(HANDLE process, HWND tree, HTREEITEM item);
// A list box row's text goes between processes with the message itself.
std::string listBoxRowText(HWND list, int row);

// TBM_GETTHUMBRECT and TBM_GETCHANNELRECT.
RECT trackbarThumb(HANDLE process, HWND trackbar);
RECT trackbarChannel(HANDLE process, HWND trackbar);

}  // namespace vt_test
