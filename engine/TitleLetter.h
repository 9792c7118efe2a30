// Title texts and the scrolling letter: which title belongs to which slide
// cycle, the letter's one-second start delay, and the letter's position frame by
// frame. The drawing itself (a GDI font and DrawTextA on the canvas) is in
// win32/LetterWin.cpp.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/EntrySource.h"
#include "render/PixelTypes.h"

inline constexpr int32_t kTitleRows = 260;
inline constexpr int32_t kTitleRowBytes = 60;

struct TitleList {
    char rows[kTitleRows][kTitleRowBytes];  // zero-terminated, at most 59 bytes
    int32_t lastTitleIndex;                 // highest row in use; 0 without titles
};

TitleList& titleList();

// Fills the title list from the package's title entries (type 3, index 0, 1, ...
// up to the first missing one). Without any title entry, row 0 holds the maker's
// address; a stored "ScreenSaver" is an empty title.
void loadTitleTexts(const EntrySource& package);
// The title row after `current`, wrapping after lastTitleIndex.
int32_t nextTitleIndex(int32_t current);

struct LetterState {
    std::vector<char> text;    // the letter's bytes and a terminating zero; empty when none
    int32_t length = 0;        // bytes to draw, without the terminating zero
    int32_t height = 0;        // scroll height: carriage returns x font size
    int32_t offset = 0;        // scroll position in pixels
    uint8_t started = 0;       // 1 once the start delay has passed
    int32_t seconds = 0;       // ticks of the one-second timer
    int32_t delay = 5;         // seconds before the letter scrolls
    uint8_t measured = 0;      // the drawn text's height has been taken into `height`
};

LetterState& letterState();

// Loads the letter entry (type 5, index 0); nothing when there is none.
void loadLetterText(const EntrySource& package);
void freeLetterText();
// Carriage-return bytes in the letter.
int32_t countLetterLines();
// countLetterLines() x font size x factor.
int32_t letterTextHeight(int32_t factor, int32_t fontSize);
// Letter start-up for a show: height from the font size, offset 0, waiting for
// `delay` seconds.
void startLetter(int32_t fontSize, int32_t delay);
// The show's letter set-up from the options: in letter mode the letter is
// loaded; the start delay is set in every mode (its timer always runs).
void setUpLetter(const EntrySource& package);
// Raises the scroll height to the text's drawn height (a long line that wraps
// has no carriage return of its own), so the letter leaves the frame before it
// starts again at the bottom.
void fitLetterHeight(int32_t drawnHeight);
// One tick of the one-second timer; true when the letter has just started (the
// caller stops the timer then). A delay of 0 starts it on the first tick.
bool letterTimerTick();
// The rectangle of this frame's letter in the canvas's GDI coordinates (frame
// point (x, y) is (x + 8, y + 8)) for a frame of w x h; moves the letter on by
// one pixel, back to the bottom after it has passed the top.
Rect stepLetterFrame(int32_t w, int32_t h);
