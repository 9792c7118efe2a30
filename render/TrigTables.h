// The engine-wide sine, cosine and square-root tables. Effects draw rotating,
// circling and glowing shapes with integer arithmetic and read these instead of
// calling the maths library per pixel.
//
//   SineTable[i], CosineTable[i]  sin/cos of i steps of 8,192 per turn, x 32,768
//   SqrtTable[i]                  sqrt(i) x 1,024 for i below 8,192
//
// Values truncate toward zero. The turn is the truncated constant 6.283185308,
// not 2 pi, exactly as the effects were tuned against. A 16-bit fixed angle
// (65,536 per turn) reads index (angle & 0xFFFF) >> 3; products with an entry
// are shifted right by 15. Square-root callers keep the index below 8,192.
//
// The tables are filled before main runs; buildTrigTables() refills them (the
// start-up sequence calls it) and gives the same values on every build.
#pragma once
#include <cstdint>

constexpr int kTrigTableSize = 8192;
constexpr int kTrigScale = 32768;
constexpr int kSqrtScale = 1024;

extern int32_t SineTable[kTrigTableSize];
extern int32_t CosineTable[kTrigTableSize];
extern int32_t SqrtTable[kTrigTableSize];

void buildTrigTables();

// Table index of a 16-bit fixed-point angle.
inline int trigIndex(int32_t angle) { return (angle & 0xFFFF) >> 3; }
