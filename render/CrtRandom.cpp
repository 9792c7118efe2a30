#include "render/CrtRandom.h"

namespace {
uint32_t g_state = 1;   // the runtime starts as if seeded with 1
}

void crtSrand(uint32_t seed) { g_state = seed; }

int crtRand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

uint32_t crtRandState() { return g_state; }
void crtSetRandState(uint32_t state) { g_state = state; }
