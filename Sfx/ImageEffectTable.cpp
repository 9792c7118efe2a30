#include "Sfx/ImageEffectTable.h"

#include <iterator>

#include "Sfx/ImageEffectEntry.h"
#include "Sfx/Image_Effect_Geometry.h"
#include "Sfx/Image_Effect_Light.h"
#include "Sfx/Image_Effect_Move.h"
#include "Sfx/Image_Effect_Plain.h"
#include "Sfx/Image_Effect_Stretch.h"

namespace {
constexpr const char* kPlain = "Plain";
constexpr const char* kLight = "Light";
constexpr const char* kStretch = "Stretch";
constexpr const char* kGeometry = "Geometry";
constexpr const char* kMove = "Move";
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
    {64, {4000, 3, kLight, "LT_EmbossLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtEmbossLight)}},
    {65, {4010, 3, kLight, "LT_6ColorLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLt6ColorLight)}},
    {66, {4030, 3, kLight, "LT_RGBLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtRGBLight)}},
    {67, {4040, 3, kLight, "LT_CircleLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtCircleLight)}},
    {68, {4070, 3, kLight, "LT_StageLight", 0, VT_IMAGE_EFFECT_ENTRY(Light, applyLtStageLight)}},
    {69, {5000, 4, kStretch, "ST_AlphaStretch8", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStAlphaStretch8)}},
    {70, {5010, 4, kStretch, "ST_UpDown", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStUpDown)}},
    {71, {5020, 4, kStretch, "ST_AlphaStretch", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStAlphaStretch)}},
    {72, {5030, 4, kStretch, "ST_AlphaStretch16", 0, VT_IMAGE_EFFECT_ENTRY(Stretch, applyStAlphaStretch16)}},
    {92, {8000, 7, kGeometry, "GM_MultiVision", 0, VT_IMAGE_EFFECT_ENTRY(Geometry, applyGmMultiVision)}},
    {93, {8010, 7, kGeometry, "GM_Symetry2", 0, VT_IMAGE_EFFECT_ENTRY(Geometry, applyGmSymetry2)}},
    {119, {12020, 11, kMove, "MV_LeftScroll2", 0, VT_IMAGE_EFFECT_ENTRY(Move, applyMvScroll, 0)}},
    {120, {12030, 11, kMove, "MV_RightScroll2", 0, VT_IMAGE_EFFECT_ENTRY(Move, applyMvScroll, 1)}},
};

const int32_t ImageEffectTableCount = static_cast<int32_t>(std::size(ImageEffectTable));

void runImageEffect(int row, EffectParams* record) { ImageEffectTable[row].row.entry(record); }
