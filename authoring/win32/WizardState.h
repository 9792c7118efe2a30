// Glimmerdeck's one record of wizard state: the sheet and its pages, the lists
// and their current rows, colours, and the saved and restore flags. Every page
// and every Part that builds, saves or previews reads the pages through it.
#pragma once
#include <windows.h>

#include <cstdint>

struct WizardState {
    HINSTANCE instance;
    HWND sheet;                      // the property sheet
    WNDPROC sheetProc;               // its own procedure (subclassed)
    HMENU sheetMenu;                 // menu 124, loaded with the sheet
    HMENU pageMenu;                  // the active page's menu
    HWND imagePage, textPage, soundPage, makePage;   // null until created
    HWND progressDialog;             // "Now Creating..." while a build writes
    int32_t imageRestorePending, textRestorePending, soundRestorePending, makeRestorePending;
    uint8_t saveAsReady[4];          // per page; 0 while its Save As runs
    char scenarioPath[260];

    // Image page
    int32_t currentImageIndex;       // row of list 1121, -1 right after deleting it
    char currentImagePath[260];
    int32_t currentFileIndex;        // row of list 1120
    char currentFilePath[260];
    HWND fileList, imageList;
    WNDPROC fileListProc, imageListProc;
    LOGFONTA imageListFont;
    HWND sizeTip;
    HBITMAP imageBitmaps[2];         // 103 and 128 while the page is active
    int32_t viewerMode;              // 0 slide show, 1 original size
    HWND pageTips;                   // the tooltip window made last

    // Text page
    HWND titleList;
    WNDPROC titleListProc, titleEditProc;
    int32_t currentTitleRow;
    char currentTitlePath[260];
    COLORREF letterColour, titleColour;
    int32_t titleColourChosen;
    HBRUSH letterBrush, titleBrush;
    HBITMAP textBitmap;

    // Sound page
    HWND soundList, soundInfoList;
    int32_t currentSoundIndex;
    char currentSoundPath[260];

    // Make page
    HBITMAP frameBitmap;
    HBRUSH blackBrush;
    uint8_t scrSaveReady, installerReady;   // 0 while that output runs
    uint8_t saverInstalled;                 // set by the install dialog
    uint8_t fullScreen;
};

extern WizardState wizard;

// Sheet page indices.
enum WizardPage { kImagePage = 0, kTextPage = 1, kSoundPage = 2, kMakePage = 3 };

// Selects a sheet page, creating it when it was never shown.
void selectWizardPage(int page);
