// The updater's file list: the report list view of its dialog and its images.
#pragma once

#include <windows.h>
#include <commctrl.h>

class ListViewCtl {
public:
    ListViewCtl();               // registers the list and bar control classes
    virtual ~ListViewCtl();      // destroys the image list

    void attach(HWND dialog, int controlId);
    void addColumn(int width, int column, const char* title);
    // Builds the small-image list from icon resources; false (after telling the
    // user) when an icon or the list can't be made.
    bool setImageList(const int* iconIds, int count);
    void insertRow(int row, int column, const char* text);
    void setCellText(int column, int row, const char* text);
    // Every column as wide as its heading and its widest cell, in the list's font.
    void fitColumns();

private:
    HWND list_ = nullptr;
    HIMAGELIST images_ = nullptr;
};

extern ListViewCtl fileList;
