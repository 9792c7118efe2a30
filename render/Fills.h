// The built-in bitmap resource, random colours, rectangle fills and the soft
// cross-fades of two pictures along a line or around a circle.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

struct IntPoint {
    int32_t x;
    int32_t y;
};

constexpr int32_t kFireBitmapId = 122;
constexpr int32_t kFireBitmapWidth = 330;
constexpr int32_t kFireBitmapHeight = 360;
// What the log says, once a run, when the fire picture cannot be loaded.
inline constexpr char kFireMissingNotice[] = "Fire Resource Not Found!!!";

// The module whose bitmap resource loadBitmapResource reads (the engine's own).
void setResourceInstance(void* moduleInstance);
// Bitmap 122 (the fire texture) as width x height pixels 0x00RRGGBB, rows top-down,
// pitch = width. 1 after filling dst, 0 (dst untouched) when the resource is missing.
// A request larger than the bitmap gets the bitmap and black for the rest.
int32_t loadBitmapResource(Pixel* dst, const char* name, int32_t width, int32_t height);
// A program that holds its bitmaps under other ids (the authoring program's
// preview) installs a loader by name that loadBitmapResource then hands every
// request to; null goes back to resource 122 of the module.
using BitmapResourceLoader = int32_t (*)(Pixel* dst, const char* name, int32_t width, int32_t height);
void setBitmapResourceLoader(BitmapResourceLoader loader);
BitmapResourceLoader bitmapResourceLoader();

// Three draws: red, green, blue, each mod 256.
Pixel randomColor();
// A colour from one draw, on a circle of colours about mid-grey.
Pixel randomSmoothColor();
void fillRect(Pixel* dst, const Rect& rect, int32_t pitch, Pixel colour);

// Cross-fades a band of width w along the line P1-P2 from picture A (left or upper
// side) to picture B (swap exchanges them); pixels outside the band are left.
void blendAlongLine(Pixel* dst, const Pixel* a, const Pixel* b, IntPoint p1, IntPoint p2,
                    int32_t w, int32_t pitch, int32_t reserved1, int32_t reserved2, int32_t swap,
                    const Rect& clip);
// Every pixel of (0, 0, width, height): A inside radius - halfWidth, B outside
// radius + halfWidth, a cross-fade in the ring between.
void blendAroundCircle(Pixel* dst, const Pixel* a, const Pixel* b, IntPoint centre, int32_t radius,
                       int32_t halfWidth, int32_t width, int32_t height, int32_t pitch);

// Shared by the platform loaders: a 24-bit DIB's rows into top-down pixels, as
// loadBitmapResource lays them out (bits of rows of stride bytes, bottom-up unless
// topDown). Covers what the bitmap lacks with black.
void copyBitmapRows(Pixel* dst, int32_t width, int32_t height, const uint8_t* bits,
                    int32_t bitmapWidth, int32_t bitmapHeight, int32_t stride, bool topDown);
