// 3D transitions: one picture becomes a sheet, a ball, a slab, slats or
// tiles that move in perspective over the other picture, drawn through the
// mesh renderer with its shared depth buffer. dir 0 brings the incoming
// picture in, dir 1 takes the outgoing one away, unless a worker says
// otherwise.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// The picture folds into a ball that spins off along angleDeg (degrees) while
// the picture behind it fades to black.
void render3dBall(EffectParams* t, int32_t angleDeg, int32_t dir);
// The picture opens from a meridian into a half sphere, then flattens.
void render3dBall2(EffectParams* t, int32_t dir);

// The sheet rolls up onto a cylinder moving along angle (radians); radius in
// (w + h) / 1120 pixels. The roll gathers at most three quarters of a turn,
// the page curls without limit.
void render3dRoll(EffectParams* t, int32_t dir, float angle, float radius);
void render3dPage(EffectParams* t, int32_t dir, float angle, float radius);

// Two curtain halves gathered towards the sides, rippling in depth.
void render3dCurtain(EffectParams* t, int32_t dir, int32_t ripple);
// A rippling sheet swung about its left edge and slid off to the right.
void render3dWave(EffectParams* t, int32_t dir);

// A thick slab whose edges carry the maker's banner tilts back and recedes.
void render3dNameSlab(EffectParams* t, int32_t dir, float tiltY, float tiltZ);

// Tiles with random motion kept from the first frame: a flat burst, falling
// ice shards (motion 0) and a ball that bursts.
void render3dBlockExplode(EffectParams* t, int32_t dir, int32_t cols, int32_t rows);
void render3dFreezenExplode(EffectParams* t, int32_t dir, int32_t motion, int32_t cols, int32_t rows);
void render3dBallExplode(EffectParams* t, int32_t dir, int32_t cols, int32_t rows);

// Venetian blinds of n slats turning about their centre lines.
void render3dBlindVertical(EffectParams* t, int32_t dir, int32_t n, uint32_t colour, int32_t reverse,
                           int32_t back, int32_t staggered, int32_t solid);
void render3dBlindHorizontal(EffectParams* t, int32_t dir, int32_t n, uint32_t colour, int32_t reverse,
                             int32_t back, int32_t staggered, int32_t solid);

// A book page turned about the vertical centre line (dir 0 right to left).
void render3dPageSide(EffectParams* t, int32_t dir);
// Four quarters curling towards their corners; radius in pixels.
void render3dPage4(EffectParams* t, int32_t dir, float radius);
// The picture rolled into a tube that swings towards the viewer.
void render3d007(EffectParams* t, int32_t dir);
