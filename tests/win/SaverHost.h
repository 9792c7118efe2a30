// Helpers for the Windows test programs that host the saver window or start the
// saver as a process: message pumping, window capture, the built engine's path.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vt_win {

// Dispatches this thread's messages for up to ms milliseconds, or until done() holds.
template <class Done>
bool pumpUntil(DWORD ms, Done done) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;   // the saver's own quit; the test goes on
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void pumpFor(DWORD ms) { pumpUntil(ms, [] { return false; }); }

// A w x h bitmap of 0x00RRGGBB pixels, row by row from the top.
inline BITMAPINFO topDownBitmap(int w, int h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// The client area of a window as 0x00RRGGBB pixels, row by row.
inline std::vector<uint32_t> captureClient(HWND window, int* width, int* height) {
    RECT r = {};
    GetClientRect(window, &r);
    *width = r.right;
    *height = r.bottom;
    std::vector<uint32_t> pixels(static_cast<size_t>(*width) * *height);
    BITMAPINFO bi = topDownBitmap(*width, *height);
    void* bits = nullptr;
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateDIBSection(windowDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, *width, *height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return pixels;
}

inline size_t countPixels(const std::vector<uint32_t>& pixels, uint32_t value) {
    size_t n = 0;
    for (uint32_t p : pixels) n += p == value;
    return n;
}

// A plain top-level window with a white background whose client area is w x h.
inline HWND createHostWindow(int w, int h) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "VtSaverHost";
        registered = RegisterClassA(&wc) != 0;
    }
    RECT r = {0, 0, w, h};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, "VtSaverHost", "Saver host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
}

// The folder of this test program (the build's bin folder), with a trailing backslash.
inline std::string programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/") + 1);
}

inline std::string windowNumber(HWND w) { return std::to_string(reinterpret_cast<uintptr_t>(w)); }

}  // namespace vt_win
