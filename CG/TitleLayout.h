// The portable half of the title rasteriser: the font size for the frame, the
// font the title is drawn with, the per-character layout walk and the placement
// of the image on the frame. Measuring goes through a callback so the walk runs
// on any font (the platform's, or a synthetic one in tests).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/Platform.h"
#include "render/PixelTypes.h"

// The longest title the scenario package can carry; longer texts are cut here.
constexpr int32_t kMaxTitleBytes = 99;
// Margin around the text in the title image.
constexpr int32_t kTitleMargin = 16;

// The font size for the frame: 640 x 480 doubles the option's size, 800 x 600
// scales it by 2.5.
int32_t scaleTitleFontSize(int32_t width, int32_t height, int32_t fontSize);

// round(a * b / c) with the platform's MulDiv rounding; -1 when c is 0.
int32_t mulDiv(int32_t a, int32_t b, int32_t c);

// The font a title of the scaled size is drawn with: `font` when it names a
// face, else Times New Roman; height and width from the size and resolution.
TextFont titleDrawFont(const TextFont* font, int32_t scaledSize, int32_t dpiX, int32_t dpiY);

// Measures `length` bytes of text as DrawText's DT_CALCRECT does, starting from
// the rect (x, y, x, y); returns the extent.
using MeasureTextFn = Rect (*)(void* context, const char* text, int32_t length, int32_t x, int32_t y);

// Bytes of the title that are drawn: up to the terminator, at most kMaxTitleBytes.
int32_t titleLength(const char* text);

// Walks the title and writes one rectangle per character into `rects` (image
// coordinates, the margin included), each line offset as `format` aligns it;
// returns the number written (at most `capacity`). A lead byte (top bit set)
// takes its trail byte along, except a lead byte cut off by the end of the text.
int32_t layOutTitleChars(const char* text, int32_t length, uint32_t format, MeasureTextFn measure,
                         void* context, Rect* rects, int32_t capacity);

// The image centre for position code `code` (0 to 6) on a frame of w x h for an
// image of W x H; any other code keeps `current`.
TitlePoint placeTitle(int32_t code, int32_t w, int32_t h, int32_t W, int32_t H, TitlePoint current);
