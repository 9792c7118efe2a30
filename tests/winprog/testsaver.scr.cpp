// The smallest full-screen saver: a topmost window over the whole screen in four
// known colours, ended by a key, a click or a mouse move, or after a timeout.
//   testsaver.scr [/s] [--mode WxH] [--timeout MS]
// Exit status: 0 ended by input, 3 timed out, 4 display mode refused.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Top left, top right, bottom left, bottom right (COLORREF is 0x00BBGGRR).
const COLORREF kQuadrants[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
constexpr UINT_PTR kTimeoutTimer = 1;
POINT firstMouse{-1, -1};
int exitCode = 0;

LRESULT CALLBACK saverProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT rc;
        GetClientRect(w, &rc);
        const int midX = rc.right / 2, midY = rc.bottom / 2;
        const RECT parts[4] = {{0, 0, midX, midY}, {midX, 0, rc.right, midY},
                               {0, midY, midX, rc.bottom}, {midX, midY, rc.right, rc.bottom}};
        for (int i = 0; i < 4; ++i) {
            HBRUSH b = CreateSolidBrush(kQuadrants[i]);
            FillRect(dc, &parts[i], b);
            DeleteObject(b);
        }
        EndPaint(w, &ps);
        return 0;
    }
    case WM_MOUSEMOVE: {
        POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (firstMouse.x < 0) firstMouse = p;
        else if (std::abs(p.x - firstMouse.x) > 4 || std::abs(p.y - firstMouse.y) > 4) DestroyWindow(w);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        DestroyWindow(w);
        return 0;
    case WM_TIMER:
        if (wp == kTimeoutTimer) {
            exitCode = 3;
            DestroyWindow(w);
        }
        return 0;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(exitCode);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    int width = 0, height = 0;
    UINT timeout = 60000;
    for (int i = 1; i < __argc; ++i) {
        if (!std::strcmp(__argv[i], "--mode") && i + 1 < __argc) {
            width = std::atoi(__argv[++i]);
            const char* x = std::strchr(__argv[i], 'x');
            height = x ? std::atoi(x + 1) : 0;
        } else if (!std::strcmp(__argv[i], "--timeout") && i + 1 < __argc) {
            timeout = static_cast<UINT>(std::atoi(__argv[++i]));
        }
    }
    if (width > 0 && height > 0) {
        DEVMODEA dm{};
        dm.dmSize = sizeof dm;
        dm.dmPelsWidth = width;
        dm.dmPelsHeight = height;
        dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        if (ChangeDisplaySettingsA(&dm, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return 4;
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = saverProc;
    wc.hInstance = inst;
    wc.lpszClassName = "TestSaverClass";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "testsaver", WS_POPUP | WS_VISIBLE, 0, 0,
                             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                             inst, nullptr);
    if (!w) return 5;
    SetForegroundWindow(w);
    SetFocus(w);
    SetTimer(w, kTimeoutTimer, timeout, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (width > 0 && height > 0) ChangeDisplaySettingsA(nullptr, 0);
    return exitCode;
}
