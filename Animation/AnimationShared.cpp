#include "Animation/AnimationShared.h"

void updateAnimationLevel(EffectParams* record, float decay, float attack) {
    if (record->levelMode != 0) return;
    float level = record->level >= record->previousLevel ? attack * record->level : decay * record->previousLevel;
    // NaN left by an earlier effect in previousLevel fails both tests and ends at 0.
    if (!(level > 0.0f)) level = 0.0f;
    if (level > 255.0f) level = 255.0f;
    record->level = level;
    record->previousLevel = level;
}
