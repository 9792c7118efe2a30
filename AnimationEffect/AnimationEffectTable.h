// The engine's animation-effect table: the 39 rows of the catalogue, in
// catalogue order, followed by the count the runtime draws from.
// The runtime also runs catalogue row 19 ("BlurSlow") by itself during every
// transition into an animation: AnimationEffectBlurSlowRow is where that row
// stands in this table.
#pragma once
#include <cstdint>

#include "engine/EffectTable.h"

struct AnimationEffectRow {
    int32_t catalogueRow;        // the row's place in the complete catalogue
    EffectTableRow row;
};

extern const AnimationEffectRow AnimationEffectTable[];
extern const int32_t AnimationEffectTableCount;
extern const int32_t AnimationEffectBlurSlowRow;

// Calls the entry of table row `row` (0 <= row < AnimationEffectTableCount).
void runAnimationEffect(int row, EffectParams* record);
