// Basic pixel-buffer types shared by every drawing layer.
//
// A pixel buffer holds 32-bit pixels 0x00RRGGBB in rows of `pitch` pixels
// (width + 16). Callers address the first visible pixel; every buffer keeps an
// 8-pixel margin on each side that drawing may read and write.
#pragma once
#include <cstdint>

using Pixel = uint32_t;

// Left, top, right, bottom; right and bottom exclusive (the layout of a Win32 RECT).
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

constexpr int kBufferMargin = 8;           // pixels of margin on every side
constexpr int kMaxFrameWidth = 800;
constexpr int kMaxFrameHeight = 600;
constexpr int kFrameBufferWidth = 816;     // static frame buffers: 800 x 600 plus margins
constexpr int kFrameBufferHeight = 616;

inline int32_t pitchForWidth(int32_t width) { return width + 2 * kBufferMargin; }
