// The spectrum animations: a mirrored bar graph (Basic_Spectrum), a 20-frame
// history of 64 bands bent into seven 3D shapes (Spectrum3D<Shape><Mode>) and a
// flight through a ring-shaped tube whose wall is that history (Voyage...).
// Modes: 0 dots, 1 alpha-blended triangles, 2 lit surface, 3 lit wire mesh.
//
// The history, its peak-hold row, the tumbling spin and angles, the light
// counter, the worm trail and the flight angle last the whole run and are
// shared by all these rows; only the camera is set up again on a first frame.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

constexpr int32_t kSpectrumHistoryRows = 20;
constexpr int32_t kSpectrumHistoryBands = 64;

// Shape codes of drawSpectrum3D.
enum SpectrumShape : int32_t {
    kShapeBlackHole = 0, kShapeHeart = 4, kShapeDonuts = 5, kShapeFlat = 6, kShapeWorm = 7, kShapeBall = 8,
    kShapePost = 9,
};

void drawBasicSpectrum(EffectParams* record);
void drawSpectrum3D(EffectParams* record, int32_t shape, int32_t mode);
// speed: +60 forwards, -60 backwards (thousandths of a radian a frame).
void drawVoyage3D(EffectParams* record, int32_t mode, float speed);

// The shared history: bands 8..71 with a 7/8 peak decay, held at 1024, into row
// 0; then every row moves one back (rows 0 and 1 both hold the newest values).
void updateSpectrumHistory(const int16_t* spectrum);
const int16_t* spectrumHistoryRow(int32_t row);

void resetSpectrumState();
