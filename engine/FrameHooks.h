// What the frame step takes from the rest of the program: the family
// dispatchers, the surfaces it draws into, the options it reads and the few
// services of other units (sound analysis, picture decoding, titles, letter,
// the final blit). The engine's window procedure fills one from its static
// state; tests fill one with recording stand-ins. Hooks left null are skipped.
#pragma once
#include <cstdint>

#include "engine/FamilyServices.h"
#include "render/PixelTypes.h"

// The sound data of one frame, as the effects read it.
struct SoundFrame {
    const int16_t* samples = nullptr;    // the 256 newest samples
    const int16_t* spectrum = nullptr;   // entries 0..127: band magnitudes
    int32_t level = 0;                   // 0..255
    int32_t beat = 0;                    // 1 in a frame with a beat
};

// The options the frame step reads ("Sfx", "Trx", "IsLetter", the title font,
// size and colour, "DefaultColorCheck").
struct FrameOptions {
    int32_t showTime = 5000;             // S, ms
    int32_t transitionTime = 2000;       // T, ms
    int32_t letterMode = 0;              // 1: the letter scrolls instead of titles
    int32_t titlesHidden = 0;            // 1: no titles this frame (the letter is unaffected)
    char fontFace[32] = "Times New Roman";
    int32_t fontSize = 100;
    int32_t titleColor = 80;
    int32_t defaultColorCheck = 1;       // 1: every new title draws a random colour
};

struct FrameHooks {
    const FamilyServices* services = nullptr;
    const FrameOptions* options = nullptr;   // null: the defaults above

    Pixel* canvas = nullptr;                 // drawing origin of the frame canvas; null: nothing is drawn
    int32_t canvasWidth = 0;                 // the size the canvas (and the pictures) were made for
    int32_t canvasHeight = 0;
    void* canvasDC = nullptr;                // the canvas's memory device context (titleDC)
    Pixel* animationCanvases[2] = {};        // drawing origins of the two animation canvases

    void* user = nullptr;                    // handed back to every hook below
    // Copies the newest samples and analyses them; fills *sound for this frame.
    void (*refreshSound)(void* user, SoundFrame* sound) = nullptr;
    // Decodes picture `index` of the package into the buffer at `destination`;
    // 1 when drawn, 0 when the buffer was left as it was.
    int32_t (*loadImage)(void* user, int32_t index, Pixel* destination, int32_t width,
                         int32_t height, int32_t pitch) = nullptr;
    // Title row `row` of the title list (null or "" for no title), and the last row in use.
    const char* (*titleText)(void* user, int32_t row) = nullptr;
    int32_t (*lastTitleIndex)(void* user) = nullptr;
    // Deletes the bitmap a title style made.
    void (*deleteTitleBitmap)(void* user, void* bitmap) = nullptr;
    // Draws the letter into the canvas (letter mode, end of every frame).
    void (*drawLetter)(void* user, int32_t width, int32_t height) = nullptr;
    // Copies width x height of the canvas from its point (8, 8) to the window.
    void (*blit)(void* user, int32_t width, int32_t height) = nullptr;
};
