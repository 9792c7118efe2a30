// Plasma and Fantasy generators: moving colour backgrounds painted over the
// whole clip rectangle of a layer from a shared 256-colour palette and a shared
// byte wave. The animation-effect rows "Fantasy", "Fantasy2" and "Plasma" to
// "Plasma9" call them once per frame; the plasma animations share the palette,
// the wave and the row-phase scheme.
//
// Every generator keeps its own process-wide phases, steps and accumulators;
// they are set up on the first frame and again on every beat, and otherwise
// survive from one animation cycle to the next.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// One entry per column and per row of any frame the engine draws (and more).
constexpr int32_t kPlasmaWaveSize = 4096;

extern Pixel plasmaPalette[256];
extern uint8_t plasmaWave[kPlasmaWaveSize];

// Periodic constants the generators were tuned with.
constexpr double kPlasmaTwoPi = 6.283184;
constexpr double kPlasmaPi = 3.141592;
constexpr double kPlasmaStep = 0.0245436875;   // 2 pi / 256

// Three phase bytes walked through the wave: row colours are
// palette[(wave[A] + wave[B] + wave[k]) & 255], k running from C by the
// direction along the row; A, B and C step once per row.
struct RowPhase {
    uint8_t a = 0, b = 0, c = 0;
    int8_t stepA = 3, stepB = 2, stepC = -2;
    int8_t direction = 1;
    int8_t spareStep = 1;   // drawn with the others, never read
};

// Draws the direction, step B and the spare step, then (withPhases) the three
// starting phases as rand() % 100.
void setUpRowPhase(RowPhase& phase, bool withPhases);
// One row of `count` row-phase colours from phases a, b and k.
void paintRowPhaseRow(Pixel* row, int32_t count, uint8_t a, uint8_t b, uint8_t k, int32_t direction);
// The frame's rows, phases stepping per row; the phase bytes are left as they
// were at the start (the caller adds the frame's advance).
void paintRowPhase(Pixel* destination, int32_t pitch, const Rect& clip, const RowPhase& phase);
// Entries 0-255 of plasmaWave from the accumulator T, Hann-windowed.
void buildHannWave(double t);

// The generators: (layer, pitch, clip, level, beat, first frame). Only the
// level's low byte is read.
using PlasmaGenerator = void (*)(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat,
                                 int32_t firstFrame);
void drawFantasy(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawFantasy2(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma2(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma3(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma4(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma5(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma6(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma7(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma8(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);
void drawPlasma9(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level, int32_t beat, int32_t firstFrame);

// Puts every generator's process-wide state back to how the process starts
// (tests: two runs with the same seed must agree).
void resetPlasmaGenerators();
