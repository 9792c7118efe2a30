// The C runtime's random generator, reproduced so that every build (native,
// 32-bit and 64-bit Windows) draws the same sequence for the same seed. Every
// random choice of the system goes through here, never the host's rand().
#pragma once
#include <cstdint>

constexpr int kCrtRandMax = 0x7FFF;

void crtSrand(uint32_t seed);
int crtRand();                    // 0 .. 32767
uint32_t crtRandState();          // for tests and for saving/restoring a sequence
void crtSetRandState(uint32_t state);
