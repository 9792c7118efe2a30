// The screen-saver library layer: what the platform's screen-saver library does for
// a saver (mingw-w64 ships only an empty stub of it). It reads the command line,
// shows the settings dialog or creates the saver window (full screen and topmost,
// or a child covering the preview window's client area), ends a full-screen saver
// on input, and runs the message loop. The saver supplies the three hooks below.
#pragma once
#include <windows.h>

#include <cstdint>

// Hooks the saver supplies.
LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI RegisterDialogClasses(HANDLE instance);

// The default handling of every message the saver does not consume.
LRESULT CALLBACK DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

constexpr int kConfigureDialogId = 2003;
constexpr int kSaverIconId = 149;
inline constexpr char kSaverWindowClass[] = "WindowsScreenSaverClass";

struct SaverLibraryState {
    HINSTANCE instance;
    HWND window;              // the saver window while it exists
    HWND previewParent;       // null in full-screen mode
    POINT startCursor;        // where the cursor stood when the window was made
    bool closing;             // a close is on its way
};
const SaverLibraryState& saverLibraryState();

// The process entry's work: runs the mode the command line names; returns the exit code.
int screenSaverMain(HINSTANCE instance, const char* commandLine);

// The pieces of screenSaverMain, for programs that host the saver window themselves.
bool registerSaverWindowClass(HINSTANCE instance);
// A full-screen saver window when previewParent is null, else a child filling its client area.
HWND createSaverWindow(HINSTANCE instance, HWND previewParent);
int runSaverMessageLoop();
