// Level- and beat-driven rows: a glowing or scattered sun, three coloured suns
// or lights turning about the centre, a scanner sweep of spectrum sparks,
// falling particle streams in three colourings and a spinning taeguk disc.
//
// The routines' angles, counters, followers and the 8,000 drop particles last
// the whole run (the three drop rows share the particles).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Unpacked workers.
void drawSun(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant);
void drawRgbSun(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant);
void drawScanner(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level);
void drawParticleDrop(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t variant);
void drawTaeguk(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat);
void drawRgbLights(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant);

// The rows' record workers.
void runSun(EffectParams* record, int32_t variant);
void runRgbSun(EffectParams* record, int32_t variant);
void runScanner(EffectParams* record);
void runParticleDrop(EffectParams* record, int32_t variant);
void runTaeguk(EffectParams* record);
void runRgbLights(EffectParams* record, int32_t variant);

void resetUpgradedState();
