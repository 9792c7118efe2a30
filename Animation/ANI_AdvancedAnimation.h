// Sixteen music-driven rows: three star fields, a rainbow arc, a growing crack,
// spectrum rays from wandering centres, spectrum histories as pictures, a
// pulsing bubble, pulsing rings and a falling-glyph matrix.
//
// Only the stars, shooting stars, sparkles, glows, the crack tree and the scratch
// buffers are set up on a first frame; followers, boosts, counters, the Lumbra
// centres, the Nodra rings and the matrix grid last the whole run.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Unpacked workers.
void drawTwinkleStars(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t firstFrame);
void drawShootingStars(Pixel* destination, int32_t pitch, const Rect* clip, int32_t firstFrame, int32_t beat);
void drawSpectrumSparkles(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t firstFrame,
                          const int16_t* spectrum);
void drawSpectrumGlows(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t firstFrame,
                       const int16_t* spectrum, int32_t beat);
void drawRainbowArc(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level);
void drawCrack(Pixel* destination, int32_t pitch, int32_t firstFrame, const Rect* clip, int32_t beat,
               const int16_t* spectrum, int32_t level);
void drawLumbra(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level);
void drawRotatingRays(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level);
void drawHappyMirel(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                    int32_t beat);
void drawHappyTavia(Pixel* destination, int32_t pitch, const Rect* clip, const int16_t* spectrum, int32_t level,
                    int32_t beat);
void drawNodra(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);

// Record workers (each under its own guard).
void drawVeskor(EffectParams* record);
void drawSpectrumFall(EffectParams* record, int32_t variant);   // 0 falling, 1 rising
void drawMovingOutSpectrum(EffectParams* record);
void drawBruvel(EffectParams* record);
void drawMatrix(EffectParams* record);

// The rows' record workers for the unpacked ones.
void runShiningStar(EffectParams* record);
void runShiningStar2(EffectParams* record);
void runShiningStar3(EffectParams* record);
void runRainbow(EffectParams* record);
void runCrack(EffectParams* record);
void runLumbra(EffectParams* record);
void runTolvek(EffectParams* record);
void runHappyMirel(EffectParams* record);
void runHappyTavia(EffectParams* record);
void runNodra(EffectParams* record);

// The matrix reseeds the generator from this clock every frame (the platform's
// seconds unless a test sets another).
using SecondsClock = uint32_t (*)();
void setMatrixClock(SecondsClock clock);

void resetAdvancedState();
