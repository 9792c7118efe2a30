// The small routines the four wizard pages share: owner-drawn file lists, the
// title and sound information list views, tooltips, page bitmaps and menus,
// window centring and the program's folder.
#pragma once
#include <windows.h>

#include <string>

// The lists' font: Verdana, height 13, weight 300, default character set.
void fillListFont(LOGFONTA& font);
// The text height of a font made from `font` in the window's DC.
int fontTextHeight(HWND window, const LOGFONTA& font);
// Height of an owner-drawn row whose text is drawn one pixel below its top:
// the text's full cell, descenders and underscores included, and a pixel under it.
int listRowHeight(HWND window, const LOGFONTA& font);
// An owner-drawn row's background: teal when selected, else the class brush.
void fillRowBackground(const DRAWITEMSTRUCT* draw, bool teal);

void initFileListFont(HWND page);
void initSoundListFont(HWND page);
LRESULT CALLBACK fileListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
void measureFileItem(HWND list, MEASUREITEMSTRUCT* measure);
void drawFileItem(const DRAWITEMSTRUCT* draw);

void initTitleList(HWND page);
LRESULT CALLBACK titleListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
void onTitleListNotify(HWND page, const NMHDR* header);
void drawTitleRow(const DRAWITEMSTRUCT* draw);
void appendTitleRow(const char* path);
void setCurrentTitle(const char* title);
void setRowTitle(const char* title, int row);
int titleRowCount();
// Cell `column` of a title-list row into out (empty when there is no such row).
void titleCell(int row, int column, char* out, int size);

void initSoundInfoList(HWND page);
void addSoundInfoRow(const char* item, const char* information);

// Size ("%d bytes") and date ("%4d-%02d-%02d") of an existing file.
struct FileDateSize {
    char size[30];
    char date[30];
};
void fileDateAndSize(const char* path, FileDateSize* out);

void addImagePageTips(HWND page, HINSTANCE instance);
void addTextPageTips(HWND page, HINSTANCE instance);
void addSoundPageTips(HWND page, HINSTANCE instance);
void addMakePageTips(HWND page, HINSTANCE instance);

HBITMAP drawPageBitmap(HDC dc, HBITMAP bitmap, int place);
void drawSideBitmap(HDC dc, HBITMAP bitmap);
HMENU attachPageMenu(HINSTANCE instance, int menuId);
// Destroys the active page's menu (the sheet keeps no menu then).
void detachPageMenu();
void centreOnScreen(HWND window);
void centreOverParent(HWND window);
std::string programFolder();

// The sheet title and menu of a page that becomes active.
void activatePage(int page, int menuId);
// Redraws a page rectangle (client pixels).
void redrawRect(HWND page, int left, int top, int right, int bottom, bool erase = true);
// Text of a list box row (empty when there is none).
std::string listBoxText(HWND list, int row);
