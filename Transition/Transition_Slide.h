// Slide transitions: whole pieces of a picture moved across the frame without
// scaling. dir 0 (In) moves the incoming picture into place over the outgoing
// one, dir 1 (Out) moves the outgoing picture away over the incoming one.
// Every worker draws the whole clip area of `destination`.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

void renderSlSideIn(EffectParams* t, int32_t dir);                 // halves from the left and right edges
void renderSlUpdown(EffectParams* t, int32_t dir);                 // halves from the top and bottom edges
void renderSlDiagonal(EffectParams* t, int32_t dir);               // quadrants from the corners
void renderSlCross032(EffectParams* t, int32_t dir, int32_t count);   // bands alternately from left and right
void renderSlCross(EffectParams* t, int32_t dir, int32_t count, int32_t angle);   // bands sliding along themselves
void renderSlCorner(EffectParams* t, int32_t dir, int32_t angle);  // whole picture from one of eight directions
void renderSlPage(EffectParams* t);                                // boundary pushing both pictures apart and back
void renderSlX(EffectParams* t, int32_t dir);                      // four triangles along the diagonals
void renderSlFalling(EffectParams* t, int32_t dir);                // drop with a damped bounce
void renderSlSplitCross(EffectParams* t, int32_t dir, int32_t angle);   // four averaged drifting copies
void renderSlSlot(EffectParams* t, int32_t cols, int32_t rows);    // slot-machine reels
void renderSlSpaceGate(EffectParams* t, int32_t dir);              // eight-blade iris
void renderSlTriangleExplode(EffectParams* t, int32_t count, int32_t startAngle, int32_t dir);
void renderSlTriangleExplodeRo(EffectParams* t, int32_t count, int32_t startAngle, int32_t dir);

// Oblique bands of the cross slides and pushes. Band edges are the lines
// y = E x + k, cuts across a band the lines y = -x / E + c; band 0's low edge
// passes through the top-right corner, the last band's high edge (less one
// pixel of overlap) through the bottom-left one, and the cuts c = 0 and c = span
// through the top-left and bottom-right corners.
struct ObliqueBands {
    double slope;     // E = tan(angle)
    double lift;      // C = W E
    double spacing;   // u = (H + C) / count
    double span;      // Wt = H + W / E: the band length in cut units

    ObliqueBands(int32_t width, int32_t height, int32_t count, int32_t angleDegrees);
    // Corners (low edge, c1), (high edge, c1), (high edge, c2), (low edge, c2) of band i.
    void corners(int32_t band, double c1, double c2, float out[4][2]) const;
    void corners(int32_t band, double c1, double c2, int32_t out[4][2]) const;   // truncated
};
