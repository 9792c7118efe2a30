// The few platform services the portable code needs. The Windows build backs
// them with the system (win32/), the native build with stand-ins of its own
// (native/), good enough for tests.
#pragma once
#include <cstdint>
#include "render/PixelTypes.h"

// Milliseconds from an arbitrary start, wrapping like timeGetTime.
uint32_t platformTimeMs();
// Seconds since 1970, as time(0) (the seed of the random picks).
uint32_t platformTimeSeconds();

// A font description with the fields of a LOGFONTA.
struct TextFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 1;          // DEFAULT_CHARSET
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    char faceName[32] = {};
};

// DrawText format bits (the platform's DT_ values).
enum : uint32_t {
    kTextTop = 0x0,
    kTextCenter = 0x1,
    kTextRight = 0x2,
    kTextVCenter = 0x4,
    kTextBottom = 0x8,
    kTextWordBreak = 0x10,
    kTextSingleLine = 0x20,
    kTextNoClip = 0x100,
    kTextCalcRect = 0x400,
};

// Draws `length` bytes of `text` (code page 949) into a 32-bit pixel buffer
// (`pixels` addresses pixel (0, 0), `pitch` in pixels, `width` x `height` the
// drawable area) inside *rect, laid out as DrawTextA lays it out with `format`,
// in `color` (0x00RRGGBB) over the pixels already there; pixels the glyphs do not
// cover keep their values. With kTextCalcRect nothing is drawn and *rect receives
// the extent. Returns the text height in pixels, 0 on failure.
int32_t platformDrawText(Pixel* pixels, int32_t pitch, int32_t width, int32_t height,
                         const char* text, int32_t length, const TextFont& font,
                         uint32_t color, Rect* rect, uint32_t format);

// Pixels per logical inch of a device context (the screen's when dc is null);
// 96 on both axes natively.
void platformTextResolution(void* dc, int32_t* dpiX, int32_t* dpiY);

// A 32-bit top-down image of width x height pixels for `dc` (a DIB section on
// Windows, made on the screen when dc is null; plain memory natively), all
// pixels 0. *pixels receives pixel (0, 0); rows are `width` pixels. Returns the
// image's handle (on Windows an HBITMAP), or null when it cannot be made.
void* platformCreateImage(void* dc, int32_t width, int32_t height, Pixel** pixels);
// Releases an image of platformCreateImage; null does nothing.
void platformDeleteImage(void* image);

// Shows a message box with an OK button (natively: writes to stderr).
void platformMessageBox(const char* text, const char* caption);
