// Rotate transitions: a picture turned and zoomed about a point with the
// rotating blits, whole or cut into tiles or discs. Direction 0 brings the
// incoming picture in, 1 takes the outgoing one away.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Spinning zoom blended over the previous frame, which leaves fading trails.
// (sx, sy) is where the turn starts; it travels to the frame centre.
void renderRoFade(EffectParams* t, int32_t dir, int32_t curve, float zoomStart, float turns, int32_t sx,
                  int32_t sy);
// The moving picture grows from (or shrinks to) nothing while turning, over the other one.
void renderRoInOut(EffectParams* t, int32_t dir, float turns, int32_t sx, int32_t sy);
// renderRoFade's zoom over the unmoved picture, faded in (or out).
void renderRoAlpha(EffectParams* t, int32_t dir, int32_t curve, float zoomStart, float turns, int32_t sx,
                   int32_t sy);
// Both pictures spin about random points drawn on the first frame.
void renderRoRotate(EffectParams* t, int32_t zoomA, int32_t zoomB);
// The moving picture swings a quarter turn about a frame corner (0 top-left,
// 1 bottom-left, 2 top-right, 3 bottom-right).
void renderRoPage(EffectParams* t, int32_t dir, int32_t corner);
// A grid of tiles, each turning and growing about its own centre.
void renderRoMulti(EffectParams* t, int32_t cols, int32_t rows, int32_t dir);
// A grid of discs that roll in (or out) along a pattern's directions and then
// grow to fill their cells; pattern 17 gives each cell a random direction.
void renderRoCircle(EffectParams* t, int32_t dir, int32_t cols, int32_t rows, int32_t pattern);

// Calls worker with the constants and then the frame centre as the start point
// (a table row: ROTATE(rotateFromCentre, worker, constants...)).
struct RotateFromCentre {
    template <class Worker, class... Constants>
    void operator()(EffectParams* t, Worker worker, Constants... constants) const {
        worker(t, constants..., (t->rect.right - t->rect.left) >> 1, (t->rect.bottom - t->rect.top) >> 1);
    }
};
inline constexpr RotateFromCentre rotateFromCentre{};
