// Crashes on purpose, in the ways a test program can crash, so that
// tests/wine/crash_fails_run.sh can check each one fails the run.
//   crashprobe MODE [ARG]: null, null-nofilter, divzero, thread, window, timer,
//                          guarded, exit N
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "render/FaultGuard.h"

namespace {

int* volatile nowhere = nullptr;
volatile int zero = 0;

void writeNull() { *nowhere = 1; }

LRESULT CALLBACK faultingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER || m == WM_TIMER) writeNull();
    return DefWindowProcA(w, m, wp, lp);
}

// A window whose procedure faults on WM_USER or on its first WM_TIMER, driven by
// the usual message loop (the engine draws its frames from WM_TIMER).
int crashInWindow(bool viaTimer) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = faultingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CrashProbe";
    RegisterClassA(&wc);
    HWND w = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    if (viaTimer) SetTimer(w, 1, 10, nullptr);
    else PostMessageA(w, WM_USER, 0, 0);
    DWORD end = GetTickCount() + 3000;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    std::puts("crashprobe: the fault in the window procedure was swallowed");
    return 0;   // what the rig must never let pass
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    std::printf("crashprobe %s\n", mode);
    std::fflush(stdout);
    if (!std::strcmp(mode, "null")) writeNull();
    else if (!std::strcmp(mode, "null-nofilter")) {
        SetUnhandledExceptionFilter(nullptr);   // leave it to Wine's own handling
        writeNull();
    } else if (!std::strcmp(mode, "divzero")) std::printf("%d\n", 7 / zero);
    else if (!std::strcmp(mode, "thread")) std::thread(writeNull).join();
    else if (!std::strcmp(mode, "window")) return crashInWindow(false);
    else if (!std::strcmp(mode, "timer")) return crashInWindow(true);
    else if (!std::strcmp(mode, "guarded")) {
        FaultRecord fault{};
        bool ok = guardedCall([] { writeNull(); }, &fault);
        std::printf("guarded: %s 0x%08X\n", ok ? "not caught" : "caught", static_cast<unsigned>(fault.code));
        return ok ? 1 : 0;
    } else if (!std::strcmp(mode, "exit") && argc > 2) return static_cast<int>(std::strtoul(argv[2], nullptr, 0));
    else {
        std::fputs("usage: crashprobe null|null-nofilter|divzero|thread|window|timer|guarded|exit N\n", stderr);
        return 2;
    }
    std::puts("crashprobe: still running after the fault");
    return 0;
}
