/* Held open by tools/wine-session for a whole test run: one process with a
 * hidden window keeps Wine's desktop and services warm, so every test program
 * starts in a fraction of a second. Ends on WM_CLOSE or with the wineserver. */
#include <windows.h>

static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, LPWSTR cmd, int show) {
    WNDCLASSW wc = {0};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = L"VtKeepAlive";
    if (!RegisterClassW(&wc)) return 1;
    if (!CreateWindowExW(0, wc.lpszClassName, L"keep-alive", WS_OVERLAPPED, 0, 0, 1, 1, NULL, NULL, inst, NULL))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
