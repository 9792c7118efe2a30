// Special transitions: effects worked out pixel by pixel (dots, smears, split
// channels, noise, a rolling lens, lit LEDs, a streaking zoom) rather than by
// moving whole pieces. Only the lit LEDs keep a scratch buffer.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void renderSpLed(EffectParams* t);                                  // round dots on black
void renderSpPole(EffectParams* t, int32_t kind);                   // 0 left, 1 right, 2 centre
void renderSpRadio(EffectParams* t, int32_t dir);                   // disc with its rim streaked out
void renderSpWind(EffectParams* t);                                 // horizontal smear
void renderSpRgbSplit(EffectParams* t, int32_t dir, int32_t angle); // angle in degrees
void renderSpRgbBlock(EffectParams* t);                             // random channel discs
void renderSpNoise(EffectParams* t, int32_t modeIn, int32_t modeOut);
void renderSpCircle(EffectParams* t, int32_t dir);                  // rolling lens
void renderSp3dLed(EffectParams* t, int32_t shape);                 // 0 round, 1 square
void renderSpChaosZoom(EffectParams* t, int32_t dir);               // 0 zooms the outgoing picture away
