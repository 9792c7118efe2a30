// The title effect bodies, by unit. Each draws the title image (titlePixels,
// titleSize, centred on titleCenter) onto the destination of the title record;
// the table rows call them with their constants. Elapsed time is duration x
// progress in ms; nothing is drawn while there is no image.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// ---- CGEffect_Rotate: turns, zooms and left-to-right sweeps ----
void drawTitleRotateX(EffectParams* params, float speed);   // radians per ms
void drawTitleRotateY(EffectParams* params, float speed);
void drawTitleSome(EffectParams* params, float rate);        // the smear reaches the right edge at 1 / rate ms
void drawTitleZoom(EffectParams* params, float ampX, float freqX, float ampY, float freqY);
void drawTitleDoOl(EffectParams* params, int32_t sweepMs);
void drawTitleBbasaseo(EffectParams* params, int32_t sweepMs);

// ---- CGEffect_Char: one character after the other ----
void drawTitleStretchEachDown(EffectParams* params, int32_t introMax, float introSpread, int32_t outroMax,
                              float outroSpread, float turn);
void drawTitleStretchEachUp(EffectParams* params, int32_t introMax, float introSpread, int32_t outroMax,
                            float outroSpread, float startSize, float turn);

// ---- CGEffect_Wave: waves and the dance ----
void drawTitleWave(EffectParams* params, int32_t axis, int32_t fadeMs, int32_t strength);
void drawTitleDancing(EffectParams* params);
// The dance angle in degrees; it runs on from one title to the next.
int32_t& danceAngle();

// ---- CGEffect_Relief: glass relief, outline lights, wind ----
void drawTitleWind(EffectParams* params, int32_t direction, int32_t gate);
void drawTitleDest3D(EffectParams* params, int32_t kind, int32_t tinted);
void drawTitleCircularLight(EffectParams* params, int32_t drawTitle, int32_t largeDots, int32_t doubledColour);
constexpr Pixel kOutlineMarker = 0x010101;
// The next marked neighbour of `current` other than `previous` in the order
// upper-left, up, upper-right, left, right, lower-left, down, lower-right;
// neighbours outside the width x height image are not looked at.
int32_t findNextOutlinePixel(const Pixel* pixels, int32_t rowLength, int32_t height, Pixel marker,
                             TitlePoint previous, TitlePoint current, TitlePoint* next);

// ---- CGEffect_Fire: flames, passing lines, plates and frames ----
void drawTitleFire(EffectParams* params, int32_t kind, int32_t spacing);
void drawTitlePassLine(EffectParams* params, int32_t timeMs);
void drawTitleFrameAlpha(EffectParams* params, Pixel colour, float alpha, int32_t kind);
void drawTitleFrameNoSrc(EffectParams* params);
void drawTitleFrameBlur(EffectParams* params, Pixel glow);
void drawTitleFrameLight(EffectParams* params);
void drawTitleFrameKorea(EffectParams* params);
// Recolours fire-sheet pixels for flame kind 0-5 (channel order, each halved).
Pixel recolourFlame(Pixel p, int32_t kind);

// ---- CGEffect_Light: light, shadow and colour ----
void drawTitleBackLight(EffectParams* params);
void drawTitleBackLight2(EffectParams* params);
void drawTitleShining(EffectParams* params, int32_t periodA, int32_t periodB);
void drawTitleShiningCircle(EffectParams* params, int32_t periodA, int32_t periodB);
void drawTitleShadow(EffectParams* params, int32_t dx, int32_t dy);
void drawTitleShadow2(EffectParams* params, int32_t dx, int32_t dy);
void drawTitleLight(EffectParams* params, Pixel colour, int32_t speed);
void drawTitlePlasmaRow(EffectParams* params);   // recolour, then the image keyed
void drawTitleColor(EffectParams* params);
void drawTitleNegative(EffectParams* params, int32_t periodMs);
void drawTitleAlpha(EffectParams* params, float alpha);
void drawTitleAlphaFade(EffectParams* params, float rate);   // alpha = min(1, e x rate, (duration - e) x rate)
void drawTitleAdd(EffectParams* params);
void drawTitleDestReverse(EffectParams* params);

// ---- CGEffect_3D: meshes and the cloth flag ----
void drawTitle3DPost(EffectParams* params, float degreesPerMs);
void drawTitle3DScrollUp(EffectParams* params, int32_t speed);
void drawTitle3DFlag(EffectParams* params);
void drawTitle3DFlag2(EffectParams* params);
