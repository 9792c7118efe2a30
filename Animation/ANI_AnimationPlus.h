// Lights, lasers and 3D balls: coloured glow lights on moving paths, laser beams
// shot from the centre, lights and balls set out in 3D and turned by the beat,
// and a pair of eyes with a mouth.
//
// Followers, boosts, angles, counters and the 512 laser particles last the whole
// run; only Balls_3D sets anything up on a first frame (its sprite buffer).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Unpacked workers.
// variant 0 drawGlowDisc, 1 drawGlowDiscB, 2 drawGlowCross, 3 drawGlowDiscExact.
void drawColorLight(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                    int32_t beat, int32_t variant);
// variant 0 spawns on beats only, 1 and 2 every frame.
void drawLaser(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant);
void drawLights3D(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                  int32_t beat, int32_t variant);
// variant 0 a line of balls, 1 a ring.
void drawSpectrumBalls3D(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                         int32_t beat, int32_t variant);
void drawEye(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t variant);
// Record worker (its sprite lives in a kept scratch buffer, buffers[0]).
void drawBalls3D(EffectParams* record);

// The rows' record workers for the unpacked ones.
void runColorLight(EffectParams* record, int32_t variant);
void runLaser(EffectParams* record, int32_t variant);
void runLights3D(EffectParams* record, int32_t variant);
void runSpectrumBalls3D(EffectParams* record, int32_t variant);
void runEye(EffectParams* record, int32_t variant);

// The colour circle of the 3D rows at table direction phi.
Pixel colourCircle(int32_t phi);

void resetAnimationPlusState();
