// Fractions of a whole pixel taken per channel by shifting and masking: each
// channel's fraction is rounded down on its own and nothing carries into the
// next channel, so sums of fractions up to one whole stay within the bytes.
#pragma once
#include "render/PixelTypes.h"

inline Pixel half(Pixel p) { return (p >> 1) & 0x7F7F7Fu; }
inline Pixel quarter(Pixel p) { return (p >> 2) & 0x3F3F3Fu; }
inline Pixel eighth(Pixel p) { return (p >> 3) & 0x1F1F1Fu; }
inline Pixel sixteenth(Pixel p) { return (p >> 4) & 0x0F0F0Fu; }
