#include "Sfx/ImageEffectTable.h"

#include <iterator>

#include "Sfx/ImageEffectEntry.h"
#include "Sfx/Image_Effect_Plain.h"

namespace {
constexpr const char* kPlain = "Plain";
}  // namespace

// catalogue row, {id, group, group name, name, 0, entry}
const ImageEffectRow ImageEffectTable[] = {
    {30, {2000, 1, kPlain, "PL_MonoColor", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlMonoColor)}},
    {31, {2010, 1, kPlain, "PL_Negative", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlNegative)}},
    {32, {2020, 1, kPlain, "PL_Blur", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlBlur)}},
    {33, {2030, 1, kPlain, "PL_Crepas", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlCrepas)}},
    {34, {2040, 1, kPlain, "PL_Sharpen", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlSharpen)}},
    {35, {2050, 1, kPlain, "PL_SketchMono", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlSketch, 0)}},
    {36, {2060, 1, kPlain, "PL_SketchColor", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlSketch, 1)}},
    {37, {2110, 1, kPlain, "PL_YCPSplit2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlYCPSplit2)}},
    {38, {2120, 1, kPlain, "PL_YCPSplit", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlYCPSplit)}},
    {39, {2140, 1, kPlain, "PL_RGBSplit2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlRGBSplit2)}},
    {40, {2150, 1, kPlain, "PL_RGBSplit", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlRGBSplit)}},
    {41, {2170, 1, kPlain, "PL_BitPlaneSlicing", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlBitPlaneSlicing)}},
    {42, {2180, 1, kPlain, "PL_Contrast", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlContrast)}},
    {43, {2190, 1, kPlain, "PL_Contrast2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlContrast2)}},
    {44, {2230, 1, kPlain, "PL_ColorMask", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlColorMask)}},
    {45, {2260, 1, kPlain, "PL_WaterColor2", 0, VT_IMAGE_EFFECT_ENTRY(Plain, applyPlWaterColor2)}},
};

const int32_t ImageEffectTableCount = static_cast<int32_t>(std::size(ImageEffectTable));

void runImageEffect(int row, EffectParams* record) { ImageEffectTable[row].row.entry(record); }
