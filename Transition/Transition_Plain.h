// Plain transitions: the outgoing and the incoming picture mixed pixel by pixel,
// with no geometry. Each worker draws the whole clip area of `destination` for
// the record's progress, from the outgoing picture at 0 towards the incoming one;
// all pixel arithmetic is integer, from weights made once per frame.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void renderPlFade(EffectParams* t);                           // cross-fade
void renderPlFadeOutIn(EffectParams* t);                      // through black
void renderPlWhiteOutIn(EffectParams* t);                     // through white
void renderPlColorOutIn(EffectParams* t, uint32_t color);     // through one colour
void renderPlBlur(EffectParams* t);                           // cross-fade through a blur
void renderPlBlurOutIn(EffectParams* t);                      // blur out, blur in
void renderPlColorMask(EffectParams* t);                      // bit masks
void renderPlWhiteFirst(EffectParams* t);                     // bright parts open first
void renderPlBlackFirst(EffectParams* t);                     // dark parts open first
void renderPlColorFirst(EffectParams* t, uint32_t color);     // one or two channels run to full first
void renderPlTest(EffectParams* t, uint32_t unusedColor);     // brightness threshold of the incoming picture
void renderPlFadeMax(EffectParams* t);                        // per-channel choice
void renderPlFadeMax2(EffectParams* t);                       // per-channel maximum, eighth-power weights
void renderPlFadeAdd(EffectParams* t);                        // additive cross-fade
