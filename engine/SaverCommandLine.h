// The saver's command line, as the system starts a screen saver:
//   /s or -s      full screen            /p <hwnd>, /p:<hwnd>, /l <hwnd>   preview in that window
//   /c, /c:<hwnd> settings dialog        /a [<hwnd>]                        password change
//   nothing       settings dialog        anything else                      no mode
// Both the screen-saver library layer and the engine read it with this one parser.
#pragma once
#include <cstdint>

enum ScreenSaverModeValue : int32_t {
    kModeNone = 0,
    kModeSettings = 1,
    kModePassword = 2,
    kModePreview = 3,
    kModeFullScreen = 4,
};

// Reads `line` (the program name first, quoted when it holds blanks). Writes *mode
// and, for p, l, c and a, *window (the number that follows, after blanks and
// colons; 0 when no digits follow). An unknown switch writes neither.
void parseSaverCommandLine(const char* line, int32_t* mode, uint64_t* window);
