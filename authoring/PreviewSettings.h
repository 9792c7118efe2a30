// What the preview reads from the Text and Make steps, as plain values, and
// the rules that turn them into the frame step's options and the letter's
// font height. The page code fills PreviewControls from its controls.
#pragma once
#include <cstdint>

#include "engine/FrameHooks.h"

struct PreviewControls {
    bool defaultFont = false;          // "Default Font and Size"
    bool writeTitles = false;          // "Write Image Title"
    bool writeLetter = false;          // "Write Letter"
    const char* titleFont = nullptr;   // the selected font's name; null: no selection
    const char* titleSize = nullptr;   // the selected size's text; null: no selection
    const char* letterFont = nullptr;
    const char* letterSize = nullptr;
    uint32_t letterTime = 0;           // seconds before the letter scrolls
    int32_t showMs = 5000;             // the Make step's trackbars
    int32_t transitionMs = 2000;
    bool colourChosen = false;         // a title colour was picked on the Text step
    bool randomColour = false;         // "Apply Random Color"
    int32_t titleColour = 0;           // COLORREF
};

// The settings one preview run keeps between reads: a read that finds none of
// the three boxes on changes nothing.
struct PreviewSettings {
    int32_t titleMode = 0;             // 1 titles, 0 letter
    char fontFace[32] = "Times New Roman";
    int32_t fontSize = 100;
    uint32_t letterTime = 0;
};

void readPreviewSettings(const PreviewControls& controls, PreviewSettings& settings);

// The frame step's options for this preview.
FrameOptions previewFrameOptions(const PreviewControls& controls, const PreviewSettings& settings);

// The letter's font size before MulDiv(…, LOGPIXELSY, 72): the full-screen
// preview uses the size itself, the Make step's small one scales it by the
// screen mode (0: 300 rows, 1: 480, 2: 600) to its 210-row frame; -1 for any
// other mode, where the frame height is the font height.
int32_t previewLetterSize(int32_t size, bool fullScreen, int32_t screenMode);
