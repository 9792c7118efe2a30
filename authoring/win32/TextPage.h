// Step 2, the "Text" page: one title per picture, or one scrolling letter, with
// their fonts, sizes and colours.
#pragma once
#include <windows.h>

#include <cstddef>

// The title edit's text after File New (code page 949).
inline constexpr const char kTitleEditHintKorean[] =
    "\xc0\xcc\xb9\xcc\xc1\xf6\x20\xc5\xb8\xc0\xcc\xc6\xb2\xbf\xa1\x20\xb5\xe9\xbe\xee\xb0\xa5\x20\xb9\xae\xc0"
    "\xda\xbf\xad\xc0\xbb\x20\xc0\xcc\xb0\xf7\xbf\xa1\x20\xc0\xd4\xb7\xc2\xc7\xcf\xbd\xca\xbd\xc3\xbf\xe4\x2e";

INT_PTR CALLBACK textPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void subclassTitleEdit(HWND page);
LRESULT CALLBACK titleEditKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
bool applyTitleText();
void clearCurrentTitle();
void selectPreviousTitle(char* path);
void selectNextTitle(char* path);
void fillFontLists(HWND page);
int CALLBACK collectFontFamily(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM data);
void drawFontItem(UINT message, LPARAM item);
void fillSizeLists(HWND page);
void setTextDefaults(HWND page);
COLORREF chooseColour(HWND owner, int full);
// The letter text (at most 10,000 bytes with its zero) and its length plus 1.
void getLetterText(char* buffer);
int getLetterSize();
void fillTitleListFromImages();
