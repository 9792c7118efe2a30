#include "Animation/AnimationTable.h"

#include <iterator>

#include "Animation/ANI_Bubble.h"

// catalogue row, {id, group, group name, name, 0, entry}
const AnimationRow AnimationTable[] = {
    {0, {1000, 0, "Bubble", "Bubble", 0, Bubble}},
    {1, {1001, 0, "Bubble", "MetalBubble", 0, MetalBubble}},
};

const int32_t AnimationTableCount = static_cast<int32_t>(std::size(AnimationTable));

void runAnimation(int row, EffectParams* record) { AnimationTable[row].row.entry(record); }
