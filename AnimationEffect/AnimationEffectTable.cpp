#include "AnimationEffect/AnimationEffectTable.h"

#include <iterator>

#include "AnimationEffect/ANIEffectPlain.h"
#include "AnimationEffect/ANIEffectWarping.h"
#include "AnimationEffect/AnimationEffectEntry.h"

// catalogue row, {group code, 0, name, name, 0, entry}; the warp rows (group
// 1000) carry no guard of their own: their builders and appliers do.
const AnimationEffectRow AnimationEffectTable[] = {
    {0, {1000, 0, "SmartEffect", "SmartEffect", 0, SmartEffect}},
    {1, {1000, 0, "WhiteHoles", "WhiteHoles", 0, warpRow<0>}},
    {2, {1000, 0, "BlackHoles", "BlackHoles", 0, warpRow<1>}},
    {3, {1000, 0, "Tornado", "Tornado", 0, warpRow<2>}},
    {4, {1000, 0, "Rotation1", "Rotation1", 0, warpRow<3>}},
    {5, {1000, 0, "NewWave", "NewWave", 0, warpRow<4>}},
    {6, {1000, 0, "Dish", "Dish", 0, warpRow<7>}},
    {7, {1000, 0, "CD", "CD", 0, warpRow<6>}},
    {8, {1000, 0, "Flower", "Flower", 0, warpRow<8>}},
    {9, {1000, 0, "Dandy", "Dandy", 0, warpRow<9>}},
    {10, {1000, 0, "Stretch", "Stretch", 0, warpRow<10>}},
    {11, {1000, 0, "StretchSmoke", "StretchSmoke", 0, warpRow<11>}},
    {12, {1000, 0, "StretchFlower", "StretchFlower", 0, warpRow<12>}},
    {13, {1000, 0, "MagicStretch", "MagicStretch", 0, warpRow<13>}},
    {14, {1000, 0, "RotoMirror", "RotoMirror", 0, warpRow<14>}},
    {15, {1000, 0, "Butterfly", "Butterfly", 0, warpRow<15>}},
    {16, {1000, 0, "Tavia", "Tavia", 0, warpRow<16>}},
    {17, {1000, 0, "Mirel", "Mirel", 0, warpRow<17>}},
    {18, {2000, 0, "Black", "Black", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyBlack)}},
    {19, {2000, 0, "BlurSlow", "BlurSlow", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyBlurSlow)}},
    {20, {2000, 0, "FoggyBlur", "FoggyBlur", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyFoggyBlur)}},
    {21, {2000, 0, "BlurUp", "BlurUp", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyBlurUp)}},
    {22, {2000, 0, "FadeOut", "FadeOut", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyFadeOut)}},
    {23, {2000, 0, "ColorFadeOut", "ColorFadeOut", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyColorFadeOut)}},
    {24, {2000, 0, "Shift", "Shift", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyShift)}},
    {25, {2000, 0, "Smoke", "Smoke", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applySmoke)}},
    {26, {2000, 0, "Fantasy", "Fantasy", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawFantasy>)}},
    {27, {2000, 0, "Fantasy2", "Fantasy2", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawFantasy2>)}},
    {28, {2000, 0, "Plasma", "Plasma", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma>)}},
    {29, {2000, 0, "Plasma2", "Plasma2", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma2>)}},
    {30, {2000, 0, "Plasma3", "Plasma3", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma3>)}},
    {31, {2000, 0, "Plasma4", "Plasma4", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma4>)}},
    {32, {2000, 0, "Plasma5", "Plasma5", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma5>)}},
    {33, {2000, 0, "Plasma6", "Plasma6", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma6>)}},
    {34, {2000, 0, "Plasma7", "Plasma7", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma7>)}},
    {35, {2000, 0, "Plasma8", "Plasma8", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma8>)}},
    {36, {2000, 0, "Plasma9", "Plasma9", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyPlasmaGenerator<drawPlasma9>)}},
    {37, {2000, 0, "Color", "Color", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyColor)}},
    {38, {2000, 0, "Water", "Water", 0, VT_ANIMATION_EFFECT_ENTRY(Plain, applyWater)}},
};

const int32_t AnimationEffectTableCount = static_cast<int32_t>(std::size(AnimationEffectTable));

const int32_t AnimationEffectBlurSlowRow = [] {
    for (int32_t i = 0; i < AnimationEffectTableCount; ++i)
        if (AnimationEffectTable[i].catalogueRow == 19) return i;
    return -1;
}();

void runAnimationEffect(int row, EffectParams* record) { AnimationEffectTable[row].row.entry(record); }
