// The about box's two links, drawn as coloured text in small "HyperLinkWnd"
// child windows: one opens the maker's web page, one writes a mail through
// Simple MAPI (loaded only when clicked).
#pragma once
#include <windows.h>

class HyperLink {
public:
    virtual ~HyperLink();   // destroyHyperLink

    HWND window = nullptr;
    HMODULE cursorLibrary = nullptr;
    HFONT font = nullptr;
    HFONT previousFont = nullptr;
    BYTE visited = 0;
    BYTE hovering = 0;
    HWND parent = nullptr;
    char target[260] = {};
    char text[260] = {};
    COLORREF normalColour = 0x00EE0000, visitedColour = 0x008B1A55, hoverColour = 0x000000FF;
    char faceName[32] = "MS Sans Serif";
    int pointSize = 8;
    int weight = 400;
    unsigned styleBits = 0;
};

void createHyperLink(HyperLink* link, HWND parent, const char* target, const char* text, COLORREF normalColour,
                     COLORREF visitedColour, COLORREF hoverColour, const char* faceName, int pointSize, int weight,
                     unsigned styleBits, int x, int y);
LRESULT CALLBACK hyperLinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool sendMapiMail(HyperLink* link);
int windowsVersionClass();

void createWebLink(HWND dialog);
void createMailLink(HWND dialog);
void deleteWebLink();
void deleteMailLink();
