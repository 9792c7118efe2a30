// 3D turns and twists: a picture twisted like a ribbon column by column,
// spun, wrapped round a cylinder, swung like a hanging sign or turned as a lit
// mesh about a tilted axis. Stateless.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Linear ribbon twist about the horizontal centre line.
void render3dTwist(EffectParams* t);
// Cosine ribbon twist of k half-turns across the width.
void render3dTwist2(EffectParams* t, int32_t k);
// Dir 0: the incoming picture grows from nothing while it spins about the
// horizontal centre line; 1: the outgoing one spins away.
void render3dXRotate(EffectParams* t, int32_t dir, int32_t turns);
// Both pictures carried past on a turning, shaded cylinder.
void render3dYRotate(EffectParams* t, int32_t turns);
// A sign hinged at its top edge swings in and settles (dir 0), or swings away (1).
void render3dGoGo(EffectParams* t, int32_t dir);
// A lit mesh of the picture turned once about an axis tilted by tilt degrees
// whose spin runs to endAngle degrees.
void render3dRotate45(EffectParams* t, int32_t tilt, int32_t endAngle);
