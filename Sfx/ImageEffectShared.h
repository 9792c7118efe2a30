// What every image effect shares: the level envelope that shapes the sound level
// before a body reads it, and the small random step the plasma animations and a
// title effect borrow.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/RandomGeometry.h"   // randomSmallStep

// Shapes record->level in place according to record->levelMode.
//   0  peak follower: a rising level is multiplied by attack, a falling one
//      becomes decay x the previous shaped level; held to 0..255 and stored in
//      previousLevel (nothing else writes previousLevel).
//   1  ramp up over 2 s, hold 127.5, ramp down over the last 2 s (phases of
//      4 s or less: as 3)
//   2  127.5
//   3  triangle: 0 at both ends, 127.5 in the middle
//   4  ramp up (over 2 s, or the whole phase when it is shorter) and hold
//   5  hold and ramp down (the mirror of 4)
//   other values leave level as it is.
// Modes 1 to 5 follow the phase's time (duration x progress) and ignore the sound.
void updateEffectLevel(EffectParams* record, float decay, float attack);

// A level held to 0..255 (NaN gives 0), and the same truncated to an integer
// weight: no body that doubles a level or derives a radius from it can push a
// channel past its byte or a sample past the picture.
float heldLevel(float level);
int32_t levelByte(float level);
