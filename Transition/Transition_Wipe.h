// Wipe transitions: the incoming picture replaces the outgoing one behind a
// moving edge (a line, a corner, circles, cells, slats, blades, a clock hand,
// random shapes, a wavy curtain, a growing outline). `source` is the outgoing
// picture, `source2` the incoming one; every worker draws the whole clip area
// of `destination` unless its comment says otherwise. Angles are degrees; the
// direction of travel of angle a is (sin a, cos a) with y downward.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "render/PixelTypes.h"

// Straight edges. Edge kind 2 softens the edge over a 100-pixel band; any other
// value draws it sharp.
void renderWiLine(EffectParams* t, int32_t edge, int32_t angle);
void renderWiSide(EffectParams* t, int32_t edge, int32_t direction);   // 0 closes to the middle, 1 opens from it
void renderWiDiagonal(EffectParams* t, int32_t direction);             // corner rectangles shrink (1) or grow (0)
void renderWiLineCross(EffectParams* t);                               // even rows from the left, odd from the right

// Corners and arcs.
void renderWiCorner(EffectParams* t, int32_t edge, int32_t angle, int32_t direction);
void blendWiCorner(Pixel* dst, const Pixel* first, const Pixel* second, const Rect& box, const Rect& outer,
                   int32_t pitch, int32_t swap, int32_t quadrant);
void renderWiArc(EffectParams* t, int32_t edge, int32_t angle, int32_t direction);

// Circles and squared-distance patterns.
void renderWiCircle(EffectParams* t, int32_t direction);
void renderWiMultiCircle(EffectParams* t, int32_t direction, int32_t cols, int32_t rows);
void renderWiAlphaCircle(EffectParams* t, int32_t direction);
void renderWiOstberg(EffectParams* t, int32_t direction, float scale);

// Diamonds and the turning triangle.
void renderWiDiamond(EffectParams* t, int32_t cols, int32_t rows, int32_t direction);
void renderWiTriangle(EffectParams* t, int32_t direction);

// Grids of cells, slats and bands.
void renderWiMultiline(EffectParams* t, int32_t cols, int32_t rows, int32_t angle);
void renderWiZigzagline(EffectParams* t, int32_t cols, int32_t rows, int32_t angle);
void renderWiBlinder(EffectParams* t, int32_t style, int32_t slats, int32_t angle);   // style 21, 22 or 23
void renderWiDomino(EffectParams* t, int32_t cols, int32_t rows, int32_t angle);
void renderWiCross(EffectParams* t, int32_t bands, int32_t angle);

// Shutters and clock hands.
void renderWiShutter(EffectParams* t, int32_t direction);
void renderWiShutter2(EffectParams* t, int32_t direction);
void renderWiWatch(EffectParams* t, int32_t clockwise, int32_t startAngle);
void renderWiFadeWatch(EffectParams* t, int32_t clockwise, int32_t startAngle);

// Random pieces; the state lives in a kept scratch buffer.
void renderWiAlphaBlock(EffectParams* t);
void renderWiRandLine(EffectParams* t, int32_t vertical);
void renderWiRandLineCross(EffectParams* t);
// A random point on a random edge of the W x H picture (the bottom and right
// edges lie one pixel outside it); returns the edge 0 top, 1 bottom, 2 left, 3 right.
int32_t pickEdgePoint(int32_t* x, int32_t* y, int32_t width, int32_t height);

// Curtains. Colour kind 0 keeps the fire picture's colours, 1 exchanges red
// and blue (2 to 5: the other channel orders).
void renderWiCurtain(EffectParams* t, int32_t up);
void renderWiFireCurtain(EffectParams* t, int32_t up, int32_t kind);

// Outlines filled from the centre: their corners move by a step per frame and
// keep their radii in the scratch buffer.
void renderWiPolygon(EffectParams* t, int32_t direction, int32_t corners, float spike, int32_t random);
void renderWiSpline(EffectParams* t, int32_t fire, int32_t direction);

// Flames of the fire picture (row length `firePitch`) along a closed smooth
// curve through `count` points, and along one cubic segment of it.
void drawFireSpline(Pixel* dst, const Rect& clip, int32_t pitch, const Pixel* fire, int32_t firePitch,
                    int32_t fireHeight, int32_t frames, int32_t cellHeight, const int16_t* xs, const int16_t* ys,
                    int32_t count);
void drawFireBezier(Pixel* dst, const Rect& clip, int32_t pitch, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                    int32_t x2, int32_t y2, int32_t x3, int32_t y3, const Pixel* fire, int32_t firePitch);

// Where the fire wipes get their 330 x 360 fire picture (row length 330) on
// their first frame: 1 when filled, 0 when the picture is missing. The engine
// reads its bitmap resource 122 (the default); the authoring program's preview
// installs its own loader. Null restores the default.
using WipeFireLoader = int32_t (*)(Pixel* dst, int32_t width, int32_t height);
void setWipeFireLoader(WipeFireLoader loader);

// The unit's flame phase (raised by every drawFireBezier call), for tests.
float fireSpritePhase();
