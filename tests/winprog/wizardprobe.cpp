// Looks at and drives Glimmerdeck's windows from outside, for tests/wine scripts:
//
//   wizardprobe wait TITLE SECONDS        exit 0 once a window titled TITLE exists
//   wizardprobe count TITLE               prints how many windows are titled TITLE
//   wizardprobe gone TITLE SECONDS        exit 0 once no window is titled TITLE
//   wizardprobe message CAPTION TEXT SECONDS
//                                         waits for a message box with that caption
//                                         and text, presses its button; exit 0 when found
//   wizardprobe page TITLE INDEX          selects a sheet page (PSM_SETCURSEL)
//   wizardprobe command TITLE ID          posts WM_COMMAND ID to the window
//   wizardprobe close TITLE               posts WM_CLOSE to the window
//   wizardprobe sysclose TITLE            posts the close box's (and Alt+F4's) SC_CLOSE
//   wizardprobe end TITLE                 ends the window's process at once (after a
//                                         failed check, so the next start is not refused)
//   wizardprobe file TITLE PATH SECONDS   waits for a file dialog titled TITLE, types
//                                         PATH as its file name and presses its OK
//   wizardprobe cells TITLE ID            prints each row of list view ID of the shown
//                                         page as "CELL | CELL ..."
//   wizardprobe thumb TITLE ID            for trackbar ID of the shown page: "thumb: in
//                                         place" when its thumb is drawn where its
//                                         position is, else where it is and should be
//   wizardprobe folder TITLE ID PATH      opens folder tree ID of the shown page down to
//                                         PATH (a Z: path) and selects that folder
//   wizardprobe choose TITLE ID NAME      in list box ID of the shown page, selects the
//                                         row of file NAME as a click does (posts the
//                                         change, so a message it brings can be answered)
//   wizardprobe selected TITLE ID         prints the selected row of list box ID, or
//                                         "(none)"
//   wizardprobe cancel TITLE SECONDS      waits for a dialog titled TITLE and cancels it
//   wizardprobe reply CAPTION TEXT ID SECONDS
//                                         like message, but presses the button ID
//                                         (6 Yes, 7 No, 2 Cancel)
//   wizardprobe send TITLE ID SECONDS     sends WM_COMMAND ID and waits for it to be
//                                         handled; exit 1 when that takes longer (a
//                                         question or dialog is holding it)
//   wizardprobe where TITLE ID            prints the screen centre "X Y" of the window's
//                                         visible control ID (for a click)
//   wizardprobe text TITLE ID             prints that control's text
//   wizardprobe settext TITLE ID TEXT     sets that control's text
//   wizardprobe rows TITLE ID             prints how many rows that list box or list view has
//   wizardprobe focused TITLE ID SECONDS  exit 0 once that control (or a child of it) has
//                                         the keyboard focus
//
// Any other outcome exits 1 with a line on stdout saying why.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/RemoteControls.h"

namespace {

struct Search {
    const char* title;
    HWND found;
    int count;
};

BOOL CALLBACK visit(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    char title[512] = {};
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && std::strcmp(title, search->title) == 0) {
        if (!search->found) search->found = window;
        ++search->count;
    }
    return TRUE;
}

Search find(const char* title) {
    Search search = {title, nullptr, 0};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search;
}

HWND waitFor(const char* title, double seconds) {
    DWORD until = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    do {
        if (HWND window = find(title).found) return window;
        Sleep(100);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
    return nullptr;
}

// The text of a message box: its static child's text.
std::string boxText(HWND box) {
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr))) {
        char text[512] = {};
        GetWindowTextA(child, text, sizeof text);
        if (text[0]) return text;
    }
    return std::string();
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK visitControl(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ControlSearch*>(data);
    if (GetDlgCtrlID(window) == search->id && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible control ID anywhere inside window (the sheet's pages are its children).
HWND control(HWND window, int id) {
    ControlSearch search = {id, nullptr};
    EnumChildWindows(window, visitControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for a message box with that caption and text and presses its button id.
int pressBoxButton(const char* caption, const std::string& text, int id, double seconds) {
    DWORD until = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    do {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", caption))) {
            if (boxText(box) != text) continue;
            HWND button = id ? GetDlgItem(box, id) : FindWindowExA(box, nullptr, "Button", nullptr);
            // What the button tells the box when clicked. (A posted BM_CLICK
            // counts only if the button keeps its mouse capture from press to
            // release; on a loaded machine a box once stayed up after one.)
            const int pressed = button ? GetDlgCtrlID(button) : IDOK;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(pressed, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            std::printf("pressed the button of \"%s\"\n", text.c_str());
            return 0;
        }
        Sleep(100);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
    std::printf("wizardprobe: no message box: %s\n", text.c_str());
    return 1;
}

int fail(const char* why, const char* what) {
    std::printf("wizardprobe: %s: %s\n", why, what);
    return 1;
}

bool sameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The child of item (opened first) whose text is name, or for a drive "(Z:)"
// holds it; null when there is none.
HTREEITEM childNamed(HANDLE process, HWND tree, HTREEITEM item, const std::string& name) {
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    for (HTREEITEM child = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         child; child = reinterpret_cast<HTREEITEM>(
                    SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
        const std::string text = vt_test::treeItemText(process, tree, child);
        if (sameText(text, name) || (name.size() == 2 && text.find("(" + name + ")") != std::string::npos))
            return child;
    }
    return nullptr;
}

// Down from the tree's root (the desktop): the drive is looked for one level
// below it (under "My Computer", whatever it is called), then each folder.
int openFolder(HANDLE process, HWND tree, const std::string& path) {
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (!root) return fail("an empty tree for", path.c_str());
    const std::string drive = path.substr(0, 2);
    HTREEITEM item = nullptr;
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    for (HTREEITEM top = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
         top && !item; top = reinterpret_cast<HTREEITEM>(
                          SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(top))))
        item = childNamed(process, tree, top, drive);
    if (!item) return fail("no drive in the tree for", path.c_str());
    size_t at = 3;
    while (at < path.size()) {
        const size_t end = path.find('\\', at);
        const std::string name = path.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? path.size() : end + 1;
        if (name.empty()) continue;
        item = childNamed(process, tree, item, name);
        if (!item) return fail("no folder in the tree named", name.c_str());
    }
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return 0;
}

int chooseFile(HANDLE process, HWND page, HWND list, const std::string& name) {
    const int rows = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const std::string text = vt_test::listBoxRowText(list, row);
        const size_t slash = text.find_last_of('\\');
        if (!sameText(slash == std::string::npos ? text : text.substr(slash + 1), name)) continue;
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        return 0;
    }
    std::string seen;
    for (int row = 0; row < rows; ++row) seen += " \"" + vt_test::listBoxRowText(list, row) + "\"";
    std::printf("wizardprobe: %d rows:%s\n", rows, seen.c_str());
    return fail("no row for", name.c_str());
}

// Control ID of the sheet's shown page (and that page, when asked).
HWND pageControl(HWND sheet, const char* id, HWND* page = nullptr) {
    HWND shown = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (page) *page = shown;
    return shown ? GetDlgItem(shown, std::atoi(id)) : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage", "wait|count|message|page|command|close TITLE ...");
    const std::string verb = argv[1];
    const char* title = argv[2];
    if (verb == "wait" && argc == 4) return waitFor(title, std::atof(argv[3])) ? 0 : fail("no window", title);
    if (verb == "gone" && argc == 4) {
        DWORD until = GetTickCount() + static_cast<DWORD>(std::atof(argv[3]) * 1000);
        while (find(title).found) {
            if (static_cast<LONG>(until - GetTickCount()) <= 0) return fail("still there", title);
            Sleep(100);
        }
        return 0;
    }
    if (verb == "count") {
        std::printf("%d\n", find(title).count);
        return 0;
    }
    if (verb == "message" && argc == 5) return pressBoxButton(title, argv[3], 0, std::atof(argv[4]));
    if (verb == "reply" && argc == 6) return pressBoxButton(title, argv[3], std::atoi(argv[4]), std::atof(argv[5]));
    if (verb == "cancel" && argc == 4) {
        HWND dialog = waitFor(title, std::atof(argv[3]));
        if (!dialog) return fail("no dialog", title);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return 0;
    }
    if (verb == "file" && argc == 5) {
        HWND dialog = waitFor(title, std::atof(argv[4]));
        if (!dialog) return fail("no file dialog", title);
        // The name box: the explorer-style combo box (cmb13), or the old edit (edt1).
        HWND name = GetDlgItem(dialog, 0x47C);
        if (!name || !IsWindowVisible(name)) name = GetDlgItem(dialog, 0x480);
        if (!name) return fail("no file name box in", title);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        std::printf("chose \"%s\"\n", argv[3]);
        return 0;
    }
    HWND window = find(title).found;
    if (!window) return fail("no window", title);
    if (verb == "page" && argc == 4) {
        SendMessageA(window, PSM_SETCURSEL, std::atoi(argv[3]), 0);
        return 0;
    }
    if (verb == "command" && argc == 4) return PostMessageA(window, WM_COMMAND, std::atoi(argv[3]), 0) ? 0 : 1;
    if ((verb == "folder" || verb == "choose") && argc == 5) {
        HWND page = nullptr;
        HWND control = pageControl(window, argv[3], &page);
        if (!control) return fail("no control", argv[3]);
        HANDLE process = vt_test::openWindowProcess(control);
        if (!process) return fail("cannot open the process of", title);
        const int status = verb == "folder" ? openFolder(process, control, argv[4])
                                            : chooseFile(process, page, control, argv[4]);
        CloseHandle(process);
        return status;
    }
    if (verb == "selected" && argc == 4) {
        HWND list = pageControl(window, argv[3]);
        if (!list) return fail("no control", argv[3]);
        const int row = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        std::printf("%s\n", row < 0 ? "(none)" : vt_test::listBoxRowText(list, row).c_str());
        return 0;
    }
    if ((verb == "cells" || verb == "thumb") && argc == 4) {
        HWND control = pageControl(window, argv[3]);
        if (!control) return fail("no control", argv[3]);
        HANDLE process = vt_test::openWindowProcess(control);
        if (!process) return fail("cannot open the process of", title);
        if (verb == "cells") {
            const int rows = static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
            const int columns = vt_test::listColumnCount(control);
            for (int r = 0; r < rows; ++r) {
                std::string line;
                for (int c = 0; c < columns; ++c) line += (c ? " | " : "") + vt_test::listCellText(process, control, r, c);
                std::printf("%s\n", line.c_str());
            }
        } else {
            // The thumb's centre against the point of the channel its position stands for.
            const RECT thumb = vt_test::trackbarThumb(process, control);
            const RECT channel = vt_test::trackbarChannel(process, control);
            const long low = static_cast<long>(SendMessageA(control, TBM_GETRANGEMIN, 0, 0));
            const long high = static_cast<long>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
            const long position = static_cast<long>(SendMessageA(control, TBM_GETPOS, 0, 0));
            const long half = (thumb.right - thumb.left) / 2;
            const long centre = thumb.left + half;
            const long want = high > low ? channel.left + half +
                                               (position - low) * (channel.right - channel.left - 2 * half) / (high - low)
                                         : channel.left + half;
            if (centre >= want - half && centre <= want + half) std::printf("thumb: in place\n");
            else std::printf("thumb: at x %ld, position %ld wants x %ld\n", centre, position, want);
        }
        CloseHandle(process);
        return 0;
    }
    if (verb == "close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == "sysclose") return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    if (verb == "end") {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        const bool ended = process && TerminateProcess(process, 3);
        if (process) CloseHandle(process);
        return ended ? 0 : fail("cannot end the process of", title);
    }
    if (verb == "send" && argc == 5) {
        DWORD_PTR result = 0;
        const UINT ms = static_cast<UINT>(std::atof(argv[4]) * 1000);
        if (SendMessageTimeoutA(window, WM_COMMAND, std::atoi(argv[3]), 0, SMTO_NORMAL, ms, &result)) return 0;
        return fail("command not handled in time", argv[3]);
    }
    if (argc < 4) return fail("unknown request", verb.c_str());
    HWND item = control(window, std::atoi(argv[3]));
    if (!item) return fail("no visible control", argv[3]);
    if (verb == "where") {
        RECT rect = {};
        GetWindowRect(item, &rect);
        std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return 0;
    }
    if (verb == "text") {
        // WM_GETTEXT itself: GetWindowText gives only a caption for another
        // process's control, not an edit's contents.
        char text[10000] = {};
        DWORD_PTR got = 0;
        SendMessageTimeoutA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                            &got);
        std::printf("%s\n", text);
        return 0;
    }
    if (verb == "settext" && argc == 5)
        return SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 1;
    if (verb == "focused" && argc == 5) {
        DWORD until = GetTickCount() + static_cast<DWORD>(std::atof(argv[4]) * 1000);
        GUITHREADINFO info = {};
        do {
            info.cbSize = sizeof info;
            if (GetGUIThreadInfo(GetWindowThreadProcessId(item, nullptr), &info) &&
                (info.hwndFocus == item || IsChild(item, info.hwndFocus)))
                return 0;
            Sleep(50);
        } while (static_cast<LONG>(until - GetTickCount()) > 0);
        char name[64] = "none";
        if (info.hwndFocus) GetClassNameA(info.hwndFocus, name, sizeof name);
        std::printf("wizardprobe: control %s never took the focus; it is with a %s, id %d\n", argv[3], name,
                    info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
        return 1;
    }
    if (verb == "rows") {
        char name[64] = {};
        GetClassNameA(item, name, sizeof name);
        const bool listView = lstrcmpiA(name, WC_LISTVIEWA) == 0;
        std::printf("%ld\n", static_cast<long>(SendMessageA(item, listView ? LVM_GETITEMCOUNT : LB_GETCOUNT, 0, 0)));
        return 0;
    }
    return fail("unknown request", verb.c_str());
}
