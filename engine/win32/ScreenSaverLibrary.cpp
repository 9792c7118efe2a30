#include "engine/win32/ScreenSaverLibrary.h"

#include <windowsx.h>

#include "engine/QuitRules.h"
#include "engine/SaverCommandLine.h"

namespace {

SaverLibraryState g_saver = {};

HWND windowFromNumber(uint64_t number) {
    if (number == 0 || number > UINTPTR_MAX) return nullptr;
    HWND w = reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
    return IsWindow(w) ? w : nullptr;
}

// Posted, so the window goes away after the message that ended it is handled.
void closeSaver(HWND window) {
    if (g_saver.closing) return;
    g_saver.closing = true;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// Full screen: any key, any button, or the cursor wandering off its start ends the saver.
bool fullScreenInput(HWND window, UINT message, LPARAM lParam) {
    SaverInput input;
    switch (message) {
    case WM_MOUSEMOVE: input = SaverInput::MouseMove; break;
    case WM_LBUTTONDOWN: input = SaverInput::LeftButton; break;
    case WM_RBUTTONDOWN: input = SaverInput::RightButton; break;
    case WM_MBUTTONDOWN: input = SaverInput::MiddleButton; break;
    case WM_KEYDOWN: input = SaverInput::KeyDown; break;
    case WM_SYSKEYDOWN: input = SaverInput::SysKeyDown; break;
    default: return false;
    }
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &p);
    if (inputEndsSaver(input, p.x - g_saver.startCursor.x, p.y - g_saver.startCursor.y)) closeSaver(window);
    return true;
}

int showConfigureDialog(HINSTANCE instance, uint64_t ownerNumber) {
    if (!RegisterDialogClasses(instance)) return 1;
    // An owner that is not (or no longer) a window: the dialog stands on its own.
    HWND owner = windowFromNumber(ownerNumber);
    INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(kConfigureDialogId), owner, ScreenSaverConfigureDialog, 0);
    return r == -1 ? 1 : 0;
}

}  // namespace

const SaverLibraryState& saverLibraryState() { return g_saver; }

LRESULT CALLBACK DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool fullScreen = g_saver.previewParent == nullptr;
    switch (message) {
    case WM_CREATE:
        GetCursorPos(&g_saver.startCursor);
        break;
    case WM_SETCURSOR:
        if (fullScreen) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_SYSCOMMAND:
        if (fullScreen) {
            switch (wParam & 0xFFF0) {
            case SC_SCREENSAVE: case SC_NEXTWINDOW: case SC_PREVWINDOW: case SC_TASKLIST: case SC_KEYMENU:
                return 0;
            }
        }
        break;
    case WM_TIMER:
        // A preview parent that vanished without taking its children along.
        if (!fullScreen && !IsWindow(g_saver.previewParent)) closeSaver(window);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        if (fullScreen && fullScreenInput(window, message, lParam)) return 0;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerSaverWindowClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    if (GetClassInfoA(instance, kSaverWindowClass, &wc)) return true;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ScreenSaverProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kSaverIconId));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverWindowClass;
    return RegisterClassA(&wc) != 0;
}

HWND createSaverWindow(HINSTANCE instance, HWND previewParent) {
    g_saver.instance = instance;
    g_saver.previewParent = previewParent;
    g_saver.closing = false;
    g_saver.startCursor = {};
    HWND window;
    if (previewParent) {
        RECT r = {};
        GetClientRect(previewParent, &r);
        window = CreateWindowExA(0, kSaverWindowClass, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                 r.right - r.left, r.bottom - r.top, previewParent, nullptr, instance, nullptr);
    } else {
        window = CreateWindowExA(WS_EX_TOPMOST, kSaverWindowClass, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                 instance, nullptr);
        if (window) SetForegroundWindow(window);
    }
    g_saver.window = window;
    return window;
}

int runSaverMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_saver.window = nullptr;
    return static_cast<int>(msg.wParam);
}

int screenSaverMain(HINSTANCE instance, const char* commandLine) {
    int32_t mode = kModeNone;
    uint64_t window = 0;
    parseSaverCommandLine(commandLine, &mode, &window);
    g_saver.instance = instance;
    switch (mode) {
    case kModeSettings:
        return showConfigureDialog(instance, window);
    case kModePassword:
        // The system keeps saver passwords itself; nothing to change here.
        return 0;
    case kModePreview: {
        HWND parent = windowFromNumber(window);
        if (!parent) return 1;
        if (!registerSaverWindowClass(instance) || !createSaverWindow(instance, parent)) return 1;
        return runSaverMessageLoop();
    }
    case kModeFullScreen:
        if (!registerSaverWindowClass(instance) || !createSaverWindow(instance, nullptr)) return 1;
        return runSaverMessageLoop();
    default:
        return 1;
    }
}
