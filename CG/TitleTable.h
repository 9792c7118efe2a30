// The engine's title tables: the 13 text styles, the 7 positions, the 15 motions
// and the 68 title effects, in catalogue order,
// followed by the four row counts the runtime draws from. Names and catalogue
// numbers are data that no code reads.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "engine/EffectTable.h"

struct TitleCatalogueRow {
    int32_t catalogueRow;        // the row's place in the complete catalogue
    TitleTableRow row;
};

extern const TitleTableRow TitleStyleTable[];
extern const TitleTableRow TitlePositionTable[];   // entries 0: the row index is the position code
extern const TitleCatalogueRow TitleMotionTable[];
extern const TitleCatalogueRow TitleEffectTable[];
// Styles, positions, motions, title effects.
extern const int32_t titleTableCounts[4];

// Calls the style row (0 <= row < styles: the runtime draws rows modulo the counts).
void runTitleStyle(int styleRow, EffectParams* record);
// Calls the motion row, then the title-effect row.
void runTitleMotionEffect(int motionRow, int effectRow, EffectParams* record);
// The same over any pair of tables: the motion sets the centre before the effect draws.
void runTitleRows(const TitleCatalogueRow* motions, const TitleCatalogueRow* effects, int motionRow, int effectRow,
                  EffectParams* record);
