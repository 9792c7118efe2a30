// Frame image effects: the picture through a window whose size follows the
// music (on a drifting gradient, a plasma, a plain colour or a treated copy of
// the picture), and frames drawn round or over the picture (bevels, shadows, a
// growing tile, glass bars, a pulsing outline).
//
// State kept in the record between frames: frameCounter (the gradient, plasma
// and frame counters, never reset), stateWords[0] (window colour or shape),
// stateWords[1] (tint mask), buffers[0] / slots[0] (blurred copy, ragged map,
// jitter table or outline mask) and FramePlasma in the state area.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct FramePlasma {
    uint8_t rowPhase, columnStep, phase2, phase3, step2, step3, rowStep;
};

// Unit-wide words that outlive a picture: the clover's gradient counter and the
// ragged window's peak level.
extern int32_t albumCloverCounter;
extern double albumPeakLevel;

// Windows.
void applyFrAlbumClover(EffectParams* p);
void applyFrAlbumHeart(EffectParams* p);
void applyFrAlbumPlasma(EffectParams* p);
void applyFrAlbum(EffectParams* p);
void applyFrAlbum2(EffectParams* p);
void applyFrBirthday4(EffectParams* p);   // blurred picture outside
void applyFrBirthday3(EffectParams* p);   // tinted (OR) outside
void applyFrBirthday2(EffectParams* p);   // masked (AND) outside
void applyFrBirthday(EffectParams* p);    // jittered outside
// Frames.
void applyFrFrame(EffectParams* p);
void applyFrFrame2(EffectParams* p);      // raised bevel
void applyFrFrame3(EffectParams* p);      // sunken bevel
void applyFrFrame4(EffectParams* p);      // bevel fading into shadow
void applyFrFrame5(EffectParams* p);      // wavy shadow
void applyFrFrameUp(EffectParams* p);
void applyFrGlassPrison(EffectParams* p);
void applyFrSpline(EffectParams* p);
