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
//   wizardprobe rows TITLE ID             prints the rows of that list box or list view
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
            if (button) PostMessageA(button, BM_CLICK, 0, 0);
            else PostMessageA(box, WM_COMMAND, IDOK, 0);
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
        char text[10000] = {};
        SendMessageA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
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
