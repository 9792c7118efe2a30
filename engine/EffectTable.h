// Rows of the effect tables. Every table is a static array followed by its row
// count; ids and names are data that no code reads.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"

// Transition, image-effect, animation and animation-effect tables.
struct EffectTableRow {
    int32_t id;                 // id or group code
    int32_t group;              // family or group index, or 0
    const char* groupName;
    const char* name;
    int32_t reserved;           // 0
    EffectEntry entry;
};

// Title tables (styles, positions, motions, title effects).
struct TitleTableRow {
    const char* name;
    int32_t reserved;           // 0
    EffectEntry entry;
};
