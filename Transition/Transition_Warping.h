// Warping transitions: every canvas pixel is fetched from a displaced point of
// the outgoing or incoming picture (water, glass, rain, swirls, holes and
// orbiting lenses), the two often cross-faded. Only the rain and the radial
// tables of the swirls and the hole keep a scratch buffer.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Water and glass (stateless).
void renderWaJewel(EffectParams* t);
void renderWaWater(EffectParams* t, int32_t mode, float a, float b, float v);   // 0 In, 1 Out, 2 both
void renderWaWater2(EffectParams* t, int32_t dir, float a, float b, float v);
void renderWaGlass(EffectParams* t, float a);
void renderWaGlass2(EffectParams* t, float a);
void renderWaTutor(EffectParams* t, int32_t dir, float b1, float b2);
void renderWaWaterMove(EffectParams* t, int32_t dir, float a1, float a2);

// Rain (fields that live from frame to frame).
void renderWaRainFall(EffectParams* t);
void renderWaRain(EffectParams* t, int32_t amplitude, int32_t radius, int32_t refraction, int32_t shade);

// Swirls, holes and bursts.
void renderWaTornado(EffectParams* t, int32_t dir, float a);
void renderWaTornado2(EffectParams* t, int32_t turn, float a);
void renderWaDualTornado(EffectParams* t, int32_t dir, int32_t x1, int32_t y1, int32_t x2, int32_t y2, float a);
// The rows' form: centres (3W/8, H/2) and (5W/8, H/2) worked out from the frame.
void renderWaDualTornadoRow(EffectParams* t, int32_t dir, float a);
void renderWaCircle(EffectParams* t, int32_t dir);
void renderWaHole(EffectParams* t, int32_t dir);
void renderWaDrum(EffectParams* t, float a, float b);
void renderWaExplodeBall(EffectParams* t, int32_t ignored);

// Orbiting lenses.
void renderWaClover(EffectParams* t, int32_t dir);
void renderWaP1(EffectParams* t, int32_t dir);
void renderWaMulti(EffectParams* t);
void renderWaDancing(EffectParams* t, int32_t dir, float a);
void renderWaMonitor(EffectParams* t, int32_t dir, float a);
