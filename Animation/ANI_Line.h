// Line drawings. Line1-Line3 trace the tip of a slowly tumbling 3D vector whose
// length follows the level: each frame's step of the tip as a thick white line
// mirrored into four quadrants (Line1, Line2) or as a twelve-fold ribbon of
// round-ended bands whose colours change on beats (Line3). Line4 draws twelve
// sine harmonics across the picture and their sum, as high as the level.
//
// Each row's vector, previous tip and counter (and Line3's colour mode) last the
// whole run: a row that runs again goes on from where it stopped.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void drawSpinLines(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);              // Line1
void drawSpinLines2(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);             // Line2
void drawSpinRibbon(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat);   // Line3
void drawHarmonicLines(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);          // Line4

void resetLineState();
