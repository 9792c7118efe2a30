#include "Animation/AnimationTable.h"

#include <iterator>

#include "Animation/ANI_Bubble.h"
#include "Animation/ANI_Plasma.h"
#include "Animation/AnimationShared.h"

// catalogue row, {id, group, group name, name, 0, entry}
const AnimationRow AnimationTable[] = {
    {0, {1000, 0, "Bubble", "Bubble", 0, Bubble}},
    {1, {1001, 0, "Bubble", "MetalBubble", 0, MetalBubble}},
    {64, {1064, 0, "Plasma", "Plasma", 0, PlasmaAnimationEntry}},
    {65, {1065, 0, "Plasma3", "Plasma3", 0, Plasma3AnimationEntry}},
    {66, {1066, 0, "Plasma_3D", "Plasma_3D", 0, VT_ANIMATION_ENTRY(Plasma, drawPlasma3D, 0)}},
    {67, {1067, 0, "Plasma_3D_Flag", "Plasma_3D_Flag", 0, VT_ANIMATION_ENTRY(Plasma, drawPlasma3D, 1)}},
    {68, {1068, 0, "Plasma_3D_Mountain", "Plasma_3D_Mountain", 0, VT_ANIMATION_ENTRY(Plasma, drawPlasma3D, 2)}},
    {69, {1069, 0, "Plasma_3D_Ball_Mountain", "Plasma_3D_Ball_Mountain", 0, VT_ANIMATION_ENTRY(Plasma, drawPlasma3D, 3)}},
};

const int32_t AnimationTableCount = static_cast<int32_t>(std::size(AnimationTable));

void runAnimation(int row, EffectParams* record) { AnimationTable[row].row.entry(record); }
