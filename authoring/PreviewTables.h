// The preview's own, smaller effect tables: the rows of the engine's tables
// that the wizard's preview plays, by name, in the preview's order. A name
// whose engine row is not built yet is left out, and the counts say how many
// rows stand. The animation effects are the engine's table as it is; the
// titles use the engine's title tables.
#pragma once
#include <cstdint>

#include "engine/EffectTable.h"
#include "engine/FamilyServices.h"

struct PreviewTable {
    const EffectTableRow* rows[256];
    int32_t count;
};

// The names, in order (230, 72 and 30).
extern const char* const kPreviewTransitionNames[230];
extern const char* const kPreviewImageEffectNames[72];
extern const char* const kPreviewAnimationNames[30];

const PreviewTable& previewTransitionTable();
const PreviewTable& previewImageEffectTable();
const PreviewTable& previewAnimationTable();

void runPreviewTransition(int row, EffectParams* record);
void runPreviewImageEffect(int row, EffectParams* record);
void runPreviewAnimation(int row, EffectParams* record);

// The families as the preview hands them to the frame step.
const FamilyServices& previewFamilyServices();
