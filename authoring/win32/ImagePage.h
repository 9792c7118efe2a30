// Step 1, the "Image" page: folders, the file list and the selected-image list
// (the saver's pictures, in order), thumbnails, viewers and dropped files.
#pragma once
#include <windows.h>

INT_PTR CALLBACK imagePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void initImageList(HWND page);
LRESULT CALLBACK imageListKeyProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
void measureImageItem(MEASUREITEMSTRUCT* measure);
void drawImageItem(const DRAWITEMSTRUCT* draw);
void showPreviousImage(char* path);
void showNextImage(char* path);
void deleteSelectedImages();
void deleteAllImages();
void addSelectedFiles();
// Appends one picture to list 1121 (and a title row); false, with the limit
// message, when the list is full.
bool addPicture(const char* path);
void selectAllItems(BOOL select, HWND list);
void updateImageListExtent(HWND list);
void updateListExtent(HWND list);
int textWidth(HDC dc, const char* text);
void showImageSizeTip(HWND list, POINT point);
