// Plain animation effects: the animation layer of the previous frame (the
// record's source) filtered into the new layer (its destination) before the
// animation draws over it, so trails and blurs build up frame by frame; and
// the rows that paint a plasma background instead.
//
// Fractions of a pixel are taken per channel by shifting the whole pixel and
// masking, so fractions drop channel by channel and nothing carries.
//
// State: "FoggyBlur" and "Smoke" hold their offset tables in buffers[0] /
// slots[0]; "ColorFadeOut" its step in stateWords[0]; "Smoke" and "Color" count
// frames in frameCounter (never reset); "Shift" keeps a process-wide follower
// and frame counter.
#pragma once
#include "Animation/ANI_PlasmaGenerators.h"
#include "engine/EffectParams.h"
#include "render/FloatToInt.h"

void applyBlack(EffectParams* p);
// One offset drawn for the whole frame (a row, a row and a pixel, a row less a
// pixel, or a pixel); every pixel becomes the per-channel mean of the two source
// pixels that far before and after it, halves rounded down. Reads one row and one
// pixel into the margin.
void applyBlurSlow(EffectParams* p);
// Four taps through 32,768 random offsets of up to 6 rows and 6 pixels (drawn
// on the first frame), weighted 1/2, 1/4, 1/8, 1/16.
void applyFoggyBlur(EffectParams* p);
// The picture rises and blurs: 1/16 of the pixel plus 1/8 of seven pixels up
// to 3 rows below. Column 0 is left alone.
void applyBlurUp(EffectParams* p);
void applyFadeOut(EffectParams* p);
// Channels scaled by 29/32 or 31/32 in one of six patterns; a beat moves on.
void applyColorFadeOut(EffectParams* p);
// The layer moved along a circle whose radius follows the level.
void applyShift(EffectParams* p);
// Four quarter taps 1 to 8 rows below, jittered, drifting and swaying.
void applySmoke(EffectParams* p);
// A colour gradient between twelve moving corner values; the source is not read.
void applyColor(EffectParams* p);
// Ripples on each colour channel with the two layers as the ripple buffers.
void applyWater(EffectParams* p);

// A plasma or Fantasy generator painting the layer.
template <PlasmaGenerator Generator>
void applyPlasmaGenerator(EffectParams* p) {
    Generator(p->destination, p->pitch, &p->rect, truncToInt(p->level), p->beat, p->firstFrame);
}

// "Shift"'s process-wide state back to how the process starts (tests).
void resetPlainEffects();
