// Plays the authoring program's part towards Skyfetch and presses its buttons,
// so tests/wine/updater.sh can run an update unattended.
//   updaterprobe drive FOLDER STEP...   starts FOLDER\Skyfetch.exe in FOLDER, hands it
//                                       this program's window (message 1124) unless the
//                                       first step is "noowner", then runs the steps:
//       check   "Version Check", waits for its end
//       update  "Update", waits for the run's end
//       ok      "Ok", waits for Skyfetch to exit
//       close   Escape, waits for Skyfetch to exit
//       refused "Update", expecting only a message box: waits for it and a quiet while
//       autoclose  ticks "Auto Close after the Download"
//       exit    waits for Skyfetch to exit by itself
//       press-check, press-update   presses the button and goes on at once
//       wait    hands on messages for three seconds
//       responsive  reports whether Skyfetch's window answered a text request
//               within two seconds ("responsive: yes" or "responsive: no")
//       escape  presses Escape, closebox  clicks the close box: each waits at most
//               five seconds for Skyfetch to exit ("exit: N")
//       kill    ends Skyfetch at once (as a power cut or a task manager would)
//     Every message box is reported ("box: TEXT") and answered with OK; after each
//     step the status line, the buttons and the file list are reported (each row
//     "row N: CELL | CELL | CELL | CELL", and "columns: fit" when every heading and
//     cell fits its column, else "column N: cut"); WM_DESTROY reaching this
//     program's window is reported as "owner: WM_DESTROY". Exit 0 unless Skyfetch
//     could not be started or a step timed out.
//   updaterprobe                        (started by Skyfetch as Glimmerdeck.exe, or by
//                                       Glimmerdeck as Skyfetch.exe) writes "restarted.txt"
//                                       beside itself, with its current folder on the
//                                       second line, and exits.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/RemoteControls.h"

namespace {

DWORD skyfetchPid = 0;
HWND ownerWindow = nullptr;

LRESULT CALLBACK ownerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY && w == ownerWindow) {
        // The authoring program would end here; the probe still has buttons to press.
        std::printf("owner: WM_DESTROY\n");
        std::fflush(stdout);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

void pump(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (int(until - GetTickCount()) > 0);
}

std::string textOf(HWND w) {
    char text[1024] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &result);
    return text;
}

struct Found { HWND dialog; HWND box; };

BOOL CALLBACK findWindows(HWND w, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != skyfetchPid || !IsWindowVisible(w)) return TRUE;
    char cls[64] = {}, title[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (std::strcmp(cls, "#32770") != 0) return TRUE;
    auto* found = reinterpret_cast<Found*>(lp);
    if (std::strcmp(title, "Skyfetch") == 0) found->dialog = w;
    else found->box = w;
    return TRUE;
}

Found scan() {
    Found found{};
    EnumWindows(findWindows, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Answers a message box if one is up; true when it did.
bool answerBox() {
    HWND box = scan().box;
    if (!box) return false;
    HWND text = GetDlgItem(box, 0xFFFF);
    std::printf("box: %s\n", text ? textOf(text).c_str() : textOf(box).c_str());
    std::fflush(stdout);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i) pump(50);
    return true;
}

// The list's rows, and whether its columns show their headings and cells whole
// (text and a few pixels each side; the first column's cells have their small
// icon too).
void reportList(HWND dialog) {
    HWND list = GetDlgItem(dialog, 1008);
    HANDLE process = vt_test::openWindowProcess(list);
    if (!process) return;
    const int columns = vt_test::listColumnCount(list);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    bool fit = true;
    for (int c = 0; c < columns; ++c) {
        constexpr int kPadding = 10;
        int needed = vt_test::listTextWidth(process, list, vt_test::listColumnTitle(process, list, c)) + kPadding;
        for (int r = 0; r < rows; ++r)
            needed = std::max(needed, vt_test::listTextWidth(process, list, vt_test::listCellText(process, list, r, c)) +
                                          (c == 0 ? 16 + kPadding : kPadding));
        const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
        if (width < needed) {
            std::printf("column %d: cut (%d of %d pixels)\n", c, width, needed);
            fit = false;
        }
    }
    if (fit) std::printf("columns: fit\n");
    for (int r = 0; r < rows; ++r) {
        std::string line = "row " + std::to_string(r) + ":";
        for (int c = 0; c < columns; ++c) line += (c ? " | " : " ") + vt_test::listCellText(process, list, r, c);
        std::printf("%s\n", line.c_str());
    }
    CloseHandle(process);
}

void report(HWND dialog) {
    reportList(dialog);
    std::printf("status: %s\n", textOf(GetDlgItem(dialog, 1007)).c_str());
    std::printf("update button: %s\n", IsWindowEnabled(GetDlgItem(dialog, 1001)) ? "enabled" : "disabled");
    std::printf("ok button: %s\n", IsWindowEnabled(GetDlgItem(dialog, 1002)) ? "enabled" : "disabled");
    std::fflush(stdout);
}

// Waits until the status line shows one of the finals and no box came for a
// while, or Skyfetch ended.
bool waitFor(HANDLE process, HWND dialog, const char* const* finals, DWORD timeoutMs) {
    DWORD start = GetTickCount(), quietSince = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (answerBox()) quietSince = GetTickCount();
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return true;
        std::string status = textOf(GetDlgItem(dialog, 1007));
        bool final = false;
        for (const char* const* f = finals; *f; ++f) final |= status == *f;
        if (final && GetTickCount() - quietSince > 2000) return true;
        if (!final) quietSince = GetTickCount();
        pump(50);
    }
    return false;
}

bool waitForExit(HANDLE process, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        answerBox();
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return true;
        pump(50);
    }
    return false;
}

int drive(const char* folder, int stepCount, char** steps) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ownerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "UpdaterProbeOwner";
    RegisterClassA(&wc);
    ownerWindow = CreateWindowA(wc.lpszClassName, "Glimmerdeck", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);

    std::string program = std::string(folder) + "\\Skyfetch.exe";
    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &process)) {
        std::printf("cannot start %s: %lu\n", program.c_str(), GetLastError());
        return 1;
    }
    skyfetchPid = process.dwProcessId;
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && !dialog; ++i) {
        pump(50);
        dialog = scan().dialog;
    }
    int status = 0;
    if (!dialog) {
        std::printf("timeout: no Skyfetch window\n");
        status = 1;
    }
    bool owner = true;
    for (int i = 0; i < stepCount && status == 0; ++i) {
        std::string step = steps[i];
        std::printf("step: %s\n", step.c_str());
        std::fflush(stdout);
        bool done = true;
        if (step == "noowner") {
            owner = false;
            continue;
        }
        if (owner) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(dialog, 0x0400 + 100, 0, reinterpret_cast<LPARAM>(ownerWindow), SMTO_NORMAL, 5000,
                                &result);
            owner = false;
        }
        if (step == "check") {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), 0);
            static const char* const finals[] = {"Version Check Completed", "Unable to Complete Version Check",
                                                 nullptr};
            done = waitFor(process.hProcess, dialog, finals, 60000);
        } else if (step == "update") {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0);
            static const char* const finals[] = {"Update completed", " Unable to Complete Update.", nullptr};
            done = waitFor(process.hProcess, dialog, finals, 120000);
        } else if (step == "refused") {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0);
            done = false;
            for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 30000;) {
                done = answerBox();
                pump(50);
            }
            pump(2000);
            while (answerBox()) pump(2000);
        } else if (step == "press-check" || step == "press-update") {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step == "press-check" ? 1006 : 1001, BN_CLICKED), 0);
            continue;
        } else if (step == "wait") {
            pump(3000);
            continue;
        } else if (step == "responsive") {
            char text[256] = {};
            DWORD_PTR result = 0;
            bool answered = SendMessageTimeoutA(GetDlgItem(dialog, 1007), WM_GETTEXT, sizeof text,
                                                reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &result);
            std::printf("responsive: %s\n", answered ? "yes" : "no");
            std::fflush(stdout);
            continue;
        } else if (step == "escape" || step == "closebox") {
            if (step == "escape") {
                HWND target = GetDlgItem(dialog, 1006);
                PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            } else {
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            done = waitForExit(process.hProcess, 5000);
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            if (done) std::printf("exit: %lu\n", code);
            std::fflush(stdout);
            if (!done) {
                std::printf("timeout: step %s\n", step.c_str());
                status = 1;
            }
            continue;
        } else if (step == "kill") {
            TerminateProcess(process.hProcess, 9);
            WaitForSingleObject(process.hProcess, 5000);
            std::printf("killed\n");
            std::fflush(stdout);
            continue;
        } else if (step == "autoclose") {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(GetDlgItem(dialog, 1013), BM_SETCHECK, BST_CHECKED, 0, SMTO_NORMAL, 5000, &result);
        } else if (step == "ok" || step == "close" || step == "exit") {
            if (step != "exit")
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step == "ok" ? 1002 : IDCANCEL, BN_CLICKED), 0);
            done = waitForExit(process.hProcess, 30000);
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            if (done) std::printf("exit: %lu\n", code);
            std::fflush(stdout);
            continue;
        }
        if (!done) {
            std::printf("timeout: step %s\n", step.c_str());
            status = 1;
        } else if (IsWindow(dialog)) {
            report(dialog);
        }
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        if (status == 0) std::printf("still running after the steps\n");
        TerminateProcess(process.hProcess, 99);
        status = 1;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return status;
}

int markRestart() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::strcpy(std::strrchr(path, '\\') + 1, "restarted.txt");
    FILE* f = std::fopen(path, "w");
    if (!f) return 1;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::fprintf(f, "restarted\n%s\n", folder);
    std::fclose(f);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "drive") == 0) return drive(argv[2], argc - 3, argv + 3);
    return markRestart();
}
