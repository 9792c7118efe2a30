// Light image effects: the picture lit by coloured lights that follow the music.
// Four bodies start from the picture at half brightness and brighten it inside
// their lights; the stage light adds its beams over the plain picture.
//
// State kept in the record between frames:
//   frameCounter   emboss and circle light: the colour phase 0-6 (stepped on
//                  beats); RGB and stage light: frames drawn, never reset, so
//                  their paths start wherever the word stands
//   stateWords[0]  circle light: frames drawn; six-colour light: its random
//                  time offset
//   state area     six-colour light: the band levels (LightBands)
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void applyLtEmbossLight(EffectParams* p);   // relief light, colour stepped on the beat
void applyLt6ColorLight(EffectParams* p);   // six spotlights sized by six spectrum bands
void applyLtRGBLight(EffectParams* p);      // red, green and blue spotlights
void applyLtCircleLight(EffectParams* p);   // one spotlight, colour stepped on the beat
void applyLtStageLight(EffectParams* p);    // seven swinging stage beams; ignores the sound

// The band levels of the six-colour light.
struct LightBands {
    float bandLevel[8];   // this frame's light band levels
    float bandPrev[8];    // the previous frame's, for the decay
    float bandSum[8];     // this frame's raw band sums
};

// One fan-shaped beam added to the canvas (origin at the visible top-left):
// from the pivot toward the tip, `spread` radians to each side, brightest along
// its axis at the pivot.
void drawStageBeam(Pixel* canvas, const Rect& clip, int32_t pitch, int32_t pivotX, int32_t pivotY, int32_t tipX,
                   int32_t tipY, float spread, Pixel colour);
