// Warping image effects: every canvas pixel fetched from a displaced point of the
// picture, the displacement driven by the shaped sound level. Balls, jewels and
// lenses magnify or shrink radially; tornados and dancing warps turn or shear
// about a centre; the quadrilateral warps wobble the picture's corners; the sine
// wave ripples rows and columns.
//
// State kept in the record between frames: WarpState in the state area, the
// fall-off and displacement maps in buffers[0] / buffers[1] (slots[0] / slots[1]).
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct WarpState {
    int32_t warpPhase;          // time phase of the wandering and wobbling bodies
    int32_t warpToggle;         // spin direction or barrel orientation, 0 or 1
    int32_t swirlCentreX, swirlCentreY;
    int32_t rowWaveSign, rowWaveSpeed;
    int32_t columnWaveSign, columnWaveSpeed;
};

// Unit-wide words that outlive a picture: the dance direction of WP_Dancing2
// and the saddle's fold signs of WP_Bilinear2.
extern int32_t dancingSpinFlip;
extern int32_t saddleSignX, saddleSignY;

// Lenses and balls.
void applyWpBall(EffectParams* p);
void applyWpBall3(EffectParams* p);
void applyWpBall4(EffectParams* p);
void applyWpBall5(EffectParams* p);           // lit glass ball
void applyWpJewel(EffectParams* p);
void applyWpJewel2(EffectParams* p);
void applyWpBeetles(EffectParams* p);
void applyWpMovingDandy(EffectParams* p);
void applyWpMovingAccel(EffectParams* p);
void applyWpMonitor(EffectParams* p);
void applyWpPixelEffect5(EffectParams* p);
void applyWpEllipse(EffectParams* p);
void applyWpFishEyeLens(EffectParams* p);
void applyWpLens(EffectParams* p);
// Swirls, shears and tornados.
void applyWpCrestpeak(EffectParams* p);
void applyWpDia(EffectParams* p);
void applyWpDancing(EffectParams* p);
void applyWpDancing2(EffectParams* p);
void applyWpDancing3(EffectParams* p);
void applyWpTaegukTornado(EffectParams* p);
void applyWpSeoulTornado(EffectParams* p);
void applyWpKongjuTornado(EffectParams* p);
void applyWpLATornado(EffectParams* p);
void applyWpLasVegasTornado(EffectParams* p);
void applyWpPrivateTutor(EffectParams* p);
// Quadrilaterals and the sine wave.
void applyWpPsudoBilinear(EffectParams* p);
void applyWpFastBilinear(EffectParams* p);
void applyWpBilinear3(EffectParams* p);
void applyWpBilinear2(EffectParams* p);
void applyWpSineWave(EffectParams* p);
