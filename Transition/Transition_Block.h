// Block transitions: the frame cut into a grid of blocks that change from the
// outgoing to the incoming picture one after another in a fixed order. The
// order is made on the first frame and kept in a scratch buffer; every later
// frame follows from the progress alone.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// One block of the grid. `order` is the block's place in the order; the
// rectangle is used by the push worker only and holds the rectangle of the
// block whose order number equals this record's index.
struct BlockCell {
    uint16_t order;
    int32_t left, top, right, bottom;
};

// Order generators over cols x rows records in row-major order.
void orderBlocksRandom(BlockCell* cells, int32_t cols, int32_t rows);
void orderBlocksRing(BlockCell* first, int32_t w, int32_t h, int32_t base, int32_t cols);
void orderBlocksSpiral(BlockCell* cells, int32_t cols, int32_t rows);
void orderBlocksZigzag(BlockCell* cells, int32_t cols, int32_t rows);
void orderBlocksDiagonal(BlockCell* cells, int32_t cols, int32_t rows);
void orderBlocksChecker(BlockCell* cells, int32_t cols, int32_t rows);
void orderBlocksCheckerType(BlockCell* cells, int32_t cols, int32_t rows, int32_t type);
// Pattern 0-7 as the rows name them (Rand, Roto, ZigZag, Diagonal, Checker0-3);
// any other pattern leaves every order number as it is.
void orderBlocks(BlockCell* cells, int32_t cols, int32_t rows, int32_t pattern);

// Variant 0 reveals the incoming picture along the order; variant 1 plays the
// same order backwards.
void renderBlPlain(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant);
void renderBlPush(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant);
// Every block turns over like a card about its horizontal (X) or vertical (Y)
// centre line; dir 1 turns forwards.
void renderBlXRotate(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant, int32_t dir);
void renderBlYRotate(EffectParams* t, int32_t cols, int32_t rows, int32_t pattern, int32_t variant, int32_t dir);
