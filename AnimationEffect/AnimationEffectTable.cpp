#include "AnimationEffect/AnimationEffectTable.h"

#include <iterator>

#include "AnimationEffect/ANIEffectPlain.h"
#include "AnimationEffect/AnimationEffectEntry.h"

// catalogue row, {group code, 0, name, name, 0, entry}
const AnimationEffectRow AnimationEffectTable[] = {
    {19, {2000, 0, "BlurSlow", "BlurSlow", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyBlurSlow)}},
};

const int32_t AnimationEffectTableCount = static_cast<int32_t>(std::size(AnimationEffectTable));

const int32_t AnimationEffectBlurSlowRow = [] {
    for (int32_t i = 0; i < AnimationEffectTableCount; ++i)
        if (AnimationEffectTable[i].catalogueRow == 19) return i;
    return -1;
}();

void runAnimationEffect(int row, EffectParams* record) { AnimationEffectTable[row].row.entry(record); }
