// Waveform animations: the 256 newest samples drawn across the frame as dots,
// dot clusters, a profile line, filled bars and a turning rainbow line. On a
// beat frame each of them draws one white waveform line instead of its picture.
//
// Each row's frame counter, and the rainbow pair's counter, direction and
// angle, last the whole run.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Unpacked workers.
void drawWaveDot(Pixel* destination, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples);
void drawWaveDot2(Pixel* destination, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples,
                  int32_t level);
void drawWaveLine(Pixel* destination, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples,
                  int32_t level);   // the level is not read
void drawWaveSurface(Pixel* destination, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples);
// variant 0 anti-aliased segments (WaveRainbow), 1 additive ones (WaveRainbowAdd).
void drawWaveRainbow(Pixel* destination, int32_t pitch, const Rect* clip, int32_t beat, const int16_t* samples,
                     int32_t level, int32_t variant);

// The rows' record workers: unpack the record for the workers above.
void runWaveDot(EffectParams* record);
void runWaveDot2(EffectParams* record);
void runWaveLine(EffectParams* record);
void runWaveSurface(EffectParams* record);
void runWaveRainbow(EffectParams* record, int32_t variant);

// The interpolated sample at fixed-point position t (15 fraction bits).
int32_t waveSampleAt(const int16_t* samples, int32_t t);

void resetWaveState();
