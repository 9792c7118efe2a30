// The engine's transition table: the 522 rows of the catalogue, in catalogue
// order, followed by their count. The runtime draws a row as a
// random number modulo the count and plays it through runTransition; ids and
// names are catalogue data that no code reads.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "engine/EffectTable.h"

struct TransitionTableRow {
    int32_t number;         // the row's place in the full catalogue (0..521)
    EffectTableRow row;     // id, family, group name, name, 0, guarded entry
};

extern const TransitionTableRow transitionTable[];
extern const int32_t transitionCount;

// Plays one frame of the table's row `row` (0 <= row < transitionCount; the
// caller guarantees it).
void runTransition(int row, EffectParams* context);
