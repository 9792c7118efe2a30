// Plasma animations: a plasma disc that swells with the level ("Plasma"), four
// discs driven by four spectrum bands ("Plasma3"), and a plasma texture on a
// turning, music-driven 3D mesh ("Plasma_3D" and its flag, mountain and ball
// mountain variants). They draw over the layer the animation effect has just
// prepared, with the palette, wave and row phases of the plasma generators.
//
// State: per worker its own row phases, accumulator and level followers
// (process-wide); the 3D worker also holds one kept scratch buffer in the
// record (buffers[0] / slots[0]: texture, then heights or spectrum history) and
// its accumulator in the record's frame counter.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void drawPlasmaAnimation(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat,
                         int32_t firstFrame);
void drawPlasma3Animation(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum,
                          int32_t level, int32_t beat, int32_t firstFrame);
// variant 0 spectrum ball, 1 flag, 2 mountain, 3 ball mountain
void drawPlasma3D(EffectParams* record, int32_t variant);

// Guarded entries of the two unpacked workers.
void PlasmaAnimationEntry(EffectParams* record);
void Plasma3AnimationEntry(EffectParams* record);

// Every worker's process-wide state back to how the process starts (tests).
void resetPlasmaAnimations();
