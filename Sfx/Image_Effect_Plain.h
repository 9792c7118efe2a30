// Plain image effects: the picture filtered pixel by pixel, the filter's strength
// following the shaped sound level. Each body draws the whole frame from the
// record's picture into its canvas; all pixel arithmetic is integer, from values
// made once per frame.
//
// State kept in the record between frames:
//   stateWords[0]  split bodies: the turning angle (float bits); beat-switched
//                  bodies: the toggle
//   stateWords[1]  split bodies: the turning direction
//   buffers[0], slots[0]  blur, crayon and water colour: their kept scratch buffer
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void applyPlMonoColor(EffectParams* p);        // grey on every other beat
void applyPlNegative(EffectParams* p);         // negative on every other beat
void applyPlBlur(EffectParams* p);             // box blur, widest in silence
void applyPlCrepas(EffectParams* p);           // crayon: two jittered samples averaged
void applyPlSharpen(EffectParams* p);
void applyPlSketch(EffectParams* p, int32_t colour);   // 0 mono, 1 colour
void applyPlYCPSplit2(EffectParams* p);        // yellow, cyan and purple copies over the picture
void applyPlYCPSplit(EffectParams* p);         // the three copies alone
void applyPlRGBSplit2(EffectParams* p);        // red, green and blue copies over the picture
void applyPlRGBSplit(EffectParams* p);         // the three copies alone
void applyPlBitPlaneSlicing(EffectParams* p);  // each channel towards its lower seven bits
void applyPlContrast(EffectParams* p);         // S-curve, steeper when louder
void applyPlContrast2(EffectParams* p);        // paler when louder
void applyPlColorMask(EffectParams* p);        // low bits masked off when louder
void applyPlWaterColor2(EffectParams* p);      // paint dabs
