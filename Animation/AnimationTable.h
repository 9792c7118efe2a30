// The engine's animation table: the 114 rows of the catalogue, in catalogue order, followed by the count the runtime draws from. Ids, group
// names, names and catalogue row numbers are data that no code reads.
#pragma once
#include <cstdint>

#include "engine/EffectTable.h"

struct AnimationRow {
    int32_t catalogueRow;        // the row's place in the complete catalogue
    EffectTableRow row;
};

extern const AnimationRow AnimationTable[];
extern const int32_t AnimationTableCount;

// Calls the entry of table row `row` (0 <= row < AnimationTableCount: the
// runtime draws it as rand() modulo the count).
void runAnimation(int row, EffectParams* record);
