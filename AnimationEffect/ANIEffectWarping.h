// Warping animation effects: every pixel of the animation layer moved through a
// displacement map once per frame. Each frame reads the layer the previous
// frame produced, so a fixed map applied again and again streams the
// animation's strokes into swirls, zooms, mirrors and ripples.
//
// A WarpMap is one scratch buffer holding two planes of int16: X first, Y
// (pitch x height, rounded down to even) entries later, rows `pitch` entries
// apart, relative to the clip's top left. Entry (x, y) is where destination
// pixel (x, y) samples, in 1/16 pixel; -16 in both planes (a position outside
// the layer) samples the margin just above and left of the clip.
//
// Record words: buffers[0..1] / slots[0..1] the maps A and B, buffers[2] /
// slots[2] the angle table of map types 8, 12 and 16; the state area holds
// WarpState; "SmartEffect" counts its frames in frameCounter. The current map
// builder is process-wide.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

struct WarpState {
    int32_t warpRandom[10];      // rand() words that shape the map being built
    int32_t warpBuildRow;        // next row of the map under construction
    int32_t warpNewMap;          // 1 in the frame a new map starts
    int32_t angleAmplitude;      // map type 12: drawn with its angle table
    int32_t angleLobes;
};
WarpState& warpState(EffectParams* record);

constexpr int32_t kWarpMapTypes = 18;

using WarpMapGenerator = void (*)(int16_t* map, int32_t pitch, int32_t width, int32_t height, int32_t firstRow,
                                  int32_t endRow, EffectParams* record);
// Builder of each map type, and the same under its own fault guard.
extern const WarpMapGenerator kWarpMapBuilders[kWarpMapTypes];
void runWarpMapGenerator(int32_t type, int16_t* map, int32_t pitch, int32_t width, int32_t height, int32_t firstRow,
                         int32_t endRow, EffectParams* record);

// The angle table of map type 8 (kind 0), 12 (1) or 16 (2) as a new map fills
// it, and one of its entries worked out alone with the library's atan2 and sin
// (the two agree in every entry; for tests).
void fillWarpAngleTable(int32_t kind, const WarpState& s, int16_t* table, int32_t pitch, int32_t width,
                        int32_t height);
int32_t warpAngleEntry(int32_t kind, const WarpState& s, int64_t dx, int64_t dy);

// Start of the Y plane.
inline int16_t* warpPlaneY(int16_t* map, int32_t pitch, int32_t height) {
    return map + ((static_cast<int64_t>(pitch) * height) & ~int64_t{1});
}
// True when both planes of a layer of that pitch and height fit one scratch buffer.
bool warpMapFits(int32_t pitch, int32_t height);

// 1 when the mean of 32 random samples from the middle of the layer (red +
// green + blue over 3) is above the threshold.
int32_t chooseWarpApplier(const Pixel* layer, int32_t pitch, int32_t width, int32_t height, int32_t threshold);
// Half-pixel sampling: three taps (1/2, 1/4, 1/4) for dark layers, four
// (1/2, 1/4, 1/8, 1/16, fading) for bright ones. Map entries are held to
// -16 .. 16 x size - 17, so no map can send a read outside the layer and its margin.
void applyWarpMap(Pixel* dst, const Pixel* src, const int16_t* map, int32_t pitch, int32_t width, int32_t height);
void applyWarpMapFading(Pixel* dst, const Pixel* src, const int16_t* map, int32_t pitch, int32_t width,
                        int32_t height);
// The same through a position weight/256 of the way from the old map to the new.
void blendWarpMaps(Pixel* dst, const Pixel* src, const int16_t* oldMap, const int16_t* newMap, int32_t weight,
                   int32_t pitch, int32_t width, int32_t height);
void blendWarpMapsFading(Pixel* dst, const Pixel* src, const int16_t* oldMap, const int16_t* newMap, int32_t weight,
                         int32_t pitch, int32_t width, int32_t height);

// Draws the ten random words, then makes `type` the current builder.
void selectWarpMap(EffectParams* record, int32_t type);
void setWarpMapGenerator(int32_t type);
// One frame of a warp row: applies map A, builds B 24 rows a frame, swaps on a
// beat once B is complete.
void warpStep(EffectParams* record);
// Row 0: a new random map type every 241 frames, cross-faded in.
void SmartEffect(EffectParams* record);

// The 17 warp rows: the row's map type, then warpStep.
template <int32_t Type>
void warpRow(EffectParams* record) {
    setWarpMapGenerator(Type);
    warpStep(record);
}

// Where "SmartEffect" takes the seed it reseeds with on its first frame (the
// time in seconds unless a test says otherwise).
void setWarpReseedClock(uint32_t (*clock)());
