// The engine's image-effect table: the 121 rows of the catalogue, in catalogue
// order, followed by the count the runtime draws from.
// Ids, group codes, names and catalogue row numbers are data that no code reads.
#pragma once
#include <cstdint>

#include "engine/EffectTable.h"

struct ImageEffectRow {
    int32_t catalogueRow;        // the row's place in the complete catalogue
    EffectTableRow row;
};

extern const ImageEffectRow ImageEffectTable[];
extern const int32_t ImageEffectTableCount;

// Calls the entry of table row `row` (0 <= row < ImageEffectTableCount: the
// runtime draws it as rand() modulo the count).
void runImageEffect(int row, EffectParams* record);
