#include "CG/TitleTable.h"

#include <iterator>

#include "CG/CGDraw.h"
#include "CG/CGEffect_Pre.h"
#include "CG/CGEffects.h"
#include "CG/CGMotion.h"
#include "CG/TitleEntry.h"

namespace {
// The style rows' body: renderTitleText returns a value that nobody reads.
void renderStyled(EffectParams* record, int32_t code) { renderTitleText(record, code); }
}  // namespace

// {name, 0, entry}
const TitleTableRow TitleStyleTable[] = {
    {"Still", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleStill)},
    {"3D", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleBevel)},
    {"3D_Sharp", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleBevelSharp)},
    {"3D_Smooth", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleBevelSmooth)},
    {"3D_Ultung", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleUltung)},
    {"3D_Ultung2", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleUltung2)},
    {"BlackFrame", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleBlackFrame)},
    {"Whiten", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleWhiten)},
    {"Shadow", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleShadow)},
    {"Bolok", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleBolok)},
    {"BoxFrame", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleBoxFrame)},
    {"Neon", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleNeon)},
    {"ShadowOnly", 0, VT_TITLE_ENTRY(Pre, renderStyled, kStyleShadowOnly)},
};

const TitleTableRow TitlePositionTable[] = {
    {"Upper Left", 0, nullptr},  {"Upper Center", 0, nullptr},  {"Upper Right", 0, nullptr},
    {"Center", 0, nullptr},      {"Bottom Left", 0, nullptr},   {"Bottom Center", 0, nullptr},
    {"Bottom Right", 0, nullptr},
};

// {catalogue row, {name, 0, entry}}; moveTitleBox(entry angle, entry ms, exit angle, exit ms)
const TitleCatalogueRow TitleMotionTable[] = {
    {0, {"Still", 0, VT_TITLE_ENTRY(Motion, moveTitleStill)}},
    {1, {"LinLout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 0, 500, 0, 500)}},
    {2, {"LinTout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 0, 500, 90, 500)}},
    {3, {"LinBout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 0, 500, 270, 500)}},
    {4, {"TinTout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 90, 500, 90, 500)}},
    {5, {"TinLout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 90, 500, 180, 500)}},
    {6, {"RinRout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 90, 500, 0, 500)}},
    {7, {"TinRout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 180, 500, 180, 500)}},
    {8, {"RinTout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 180, 500, 90, 500)}},
    {9, {"RinBout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 180, 500, 270, 500)}},
    {10, {"BinBout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 270, 500, 270, 500)}},
    {11, {"BinLout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 270, 500, 0, 500)}},
    {12, {"BinRout", 0, VT_TITLE_ENTRY(Motion, moveTitleBox, 270, 500, 180, 500)}},
    {13, {"LeftScroll", 0, VT_TITLE_ENTRY(Motion, moveTitleLeftScroll, 180, 10000000, 0, 10000000)}},
    {14, {"UpScroll", 0, VT_TITLE_ENTRY(Motion, moveTitleUpScroll, 270, 10000000, 90, 10000000)}},
};

const TitleCatalogueRow TitleEffectTable[] = {
    {0, {"None", 0, VT_TITLE_ENTRY(Draw, drawTitleNone)}},
    {1, {"3D_Post_Fast", 0, VT_TITLE_ENTRY(Mesh, drawTitle3DPost, -0.16666667f)}},
    {2, {"3D_Post_Slow", 0, VT_TITLE_ENTRY(Mesh, drawTitle3DPost, -0.083333336f)}},
    {3, {"3D_ScrollUp_Fast", 0, VT_TITLE_ENTRY(Mesh, drawTitle3DScrollUp, 100)}},
    {4, {"3D_ScrollUp_Slow", 0, VT_TITLE_ENTRY(Mesh, drawTitle3DScrollUp, 30)}},
    {5, {"3D_Flag", 0, VT_TITLE_ENTRY(Mesh, drawTitle3DFlag)}},
    {6, {"3D_Flag2", 0, VT_TITLE_ENTRY(Mesh, drawTitle3DFlag2)}},
    {7, {"RedFire", 0, VT_TITLE_ENTRY(Fire, drawTitleFire, 0, 4)}},
    {8, {"BlueFire", 0, VT_TITLE_ENTRY(Fire, drawTitleFire, 1, 4)}},
    {9, {"GreenFire", 0, VT_TITLE_ENTRY(Fire, drawTitleFire, 2, 4)}},
    {10, {"PurpleFire", 0, VT_TITLE_ENTRY(Fire, drawTitleFire, 3, 4)}},
    {11, {"PinkFire", 0, VT_TITLE_ENTRY(Fire, drawTitleFire, 4, 4)}},
    {12, {"CyanFire", 0, VT_TITLE_ENTRY(Fire, drawTitleFire, 5, 4)}},
    {13, {"PassLine", 0, VT_TITLE_ENTRY(Fire, drawTitlePassLine, 3000)}},
    {14, {"FrameAlpha", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameAlpha, Pixel{0x7F7F7F}, 0.5f, 0)}},
    {15, {"FrameAlpha1", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameAlpha, Pixel{0x7F7F7F}, 0.5f, 1)}},
    {16, {"FrameAlpha2", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameAlpha, Pixel{0x7F7F7F}, 0.5f, 2)}},
    {17, {"FrameAlpha3", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameAlpha, Pixel{0x7F7F7F}, 0.5f, 3)}},
    {18, {"FrameAlpha4", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameAlpha, Pixel{0x7F7F7F}, 0.5f, 4)}},
    {19, {"FrameNoSrc", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameNoSrc)}},
    {20, {"FrameBlur", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameBlur, Pixel{0xFFFFFF})}},
    {21, {"FrameLight", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameLight)}},
    {22, {"FrameKorea", 0, VT_TITLE_ENTRY(Fire, drawTitleFrameKorea)}},
    {23, {"BackLight", 0, VT_TITLE_ENTRY(Light, drawTitleBackLight)}},
    {24, {"BackLight2", 0, VT_TITLE_ENTRY(Light, drawTitleBackLight2)}},
    {25, {"Shining", 0, VT_TITLE_ENTRY(Light, drawTitleShining, 8, 15)}},
    {26, {"ShiningCircle", 0, VT_TITLE_ENTRY(Light, drawTitleShiningCircle, 8, 15)}},
    {27, {"Shadow", 0, VT_TITLE_ENTRY(Light, drawTitleShadow, 12, 12)}},
    {28, {"Shadow2", 0, VT_TITLE_ENTRY(Light, drawTitleShadow2, 12, 12)}},
    {29, {"Light", 0, VT_TITLE_ENTRY(Light, drawTitleLight, Pixel{0x7F7F7F}, 128)}},
    {30, {"Plasma", 0, VT_TITLE_ENTRY(Light, drawTitlePlasmaRow)}},
    {31, {"Color", 0, VT_TITLE_ENTRY(Light, drawTitleColor)}},
    {32, {"Negative_Fast", 0, VT_TITLE_ENTRY(Light, drawTitleNegative, 200)}},
    {33, {"Negative_Slow", 0, VT_TITLE_ENTRY(Light, drawTitleNegative, 600)}},
    {34, {"Alpha", 0, VT_TITLE_ENTRY(Light, drawTitleAlpha, 0.5f)}},
    {35, {"AlphaFastIn", 0, VT_TITLE_ENTRY(Light, drawTitleAlphaFade, 0.002f)}},
    {36, {"AlphaSlowIn", 0, VT_TITLE_ENTRY(Light, drawTitleAlphaFade, 0.0005f)}},
    {37, {"Add", 0, VT_TITLE_ENTRY(Light, drawTitleAdd)}},
    {38, {"DestReverse", 0, VT_TITLE_ENTRY(Light, drawTitleDestReverse)}},
    {39, {"RotateX_Fast", 0, VT_TITLE_ENTRY(Rotate, drawTitleRotateX, 0.006f)}},
    {40, {"RotateX_Slow", 0, VT_TITLE_ENTRY(Rotate, drawTitleRotateX, 0.003f)}},
    {41, {"RotateY_Fast", 0, VT_TITLE_ENTRY(Rotate, drawTitleRotateY, 0.006f)}},
    {42, {"RotateY_Slow", 0, VT_TITLE_ENTRY(Rotate, drawTitleRotateY, 0.003f)}},
    {43, {"Some_Fast", 0, VT_TITLE_ENTRY(Rotate, drawTitleSome, 0.001f)}},
    {44, {"Some_Slow", 0, VT_TITLE_ENTRY(Rotate, drawTitleSome, 0.00033333333f)}},
    {45, {"Wind_Right", 0, VT_TITLE_ENTRY(Relief, drawTitleWind, 0, 24)}},
    {46, {"Wind_Left", 0, VT_TITLE_ENTRY(Relief, drawTitleWind, 1, 24)}},
    {47, {"Dest3D", 0, VT_TITLE_ENTRY(Relief, drawTitleDest3D, 2, 0)}},
    {48, {"Dest3DColor", 0, VT_TITLE_ENTRY(Relief, drawTitleDest3D, 2, 1)}},
    {49, {"CircularLight", 0, VT_TITLE_ENTRY(Relief, drawTitleCircularLight, 1, 1, 0)}},
    {50, {"CircularLight2", 0, VT_TITLE_ENTRY(Relief, drawTitleCircularLight, 0, 1, 1)}},
    {51, {"ZoomFast", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.1f, 0.02f, 0.1f, 0.02f)}},
    {52, {"ZoomSlow", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.1f, 0.01f, 0.1f, 0.01f)}},
    {53, {"ZoomXFast", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.1f, 0.02f, 0.0f, 0.0f)}},
    {54, {"ZoomXSlow", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.1f, 0.01f, 0.0f, 0.0f)}},
    {55, {"ZoomYFast", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.0f, 0.0f, 0.1f, 0.02f)}},
    {56, {"ZoomYSlow", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.0f, 0.0f, 0.1f, 0.01f)}},
    {57, {"ZoomXYFast", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.1f, 0.015f, 0.2f, 0.011f)}},
    {58, {"ZoomXYSlow", 0, VT_TITLE_ENTRY(Rotate, drawTitleZoom, 0.1f, 0.009f, 0.2f, 0.007f)}},
    {59, {"Do_Ol_Fast", 0, VT_TITLE_ENTRY(Rotate, drawTitleDoOl, 1000)}},
    {60, {"Stretch_EachDown", 0, VT_TITLE_ENTRY(Char, drawTitleStretchEachDown, 2000, 0.8f, 2000, 0.8f, 0.5f)}},
    {61, {"Stretch_EachUp", 0, VT_TITLE_ENTRY(Char, drawTitleStretchEachUp, 2000, 0.8f, 2000, 0.8f, 4.0f, 0.3f)}},
    {62, {"Bbasaseo_Fast", 0, VT_TITLE_ENTRY(Rotate, drawTitleBbasaseo, 1000)}},
    {63, {"Bbasaseo_Slow", 0, VT_TITLE_ENTRY(Rotate, drawTitleBbasaseo, 2000)}},
    {64, {"Dancing", 0, VT_TITLE_ENTRY(Wave, drawTitleDancing)}},
    {65, {"WaveX", 0, VT_TITLE_ENTRY(Wave, drawTitleWave, 0, 600, 5)}},
    {66, {"WaveY", 0, VT_TITLE_ENTRY(Wave, drawTitleWave, 1, 600, 5)}},
    {67, {"WaveXY", 0, VT_TITLE_ENTRY(Wave, drawTitleWave, 2, 500, 5)}},
};

const int32_t titleTableCounts[4] = {
    static_cast<int32_t>(std::size(TitleStyleTable)),
    static_cast<int32_t>(std::size(TitlePositionTable)),
    static_cast<int32_t>(std::size(TitleMotionTable)),
    static_cast<int32_t>(std::size(TitleEffectTable)),
};

void runTitleStyle(int styleRow, EffectParams* record) { TitleStyleTable[styleRow].entry(record); }

void runTitleRows(const TitleCatalogueRow* motions, const TitleCatalogueRow* effects, int motionRow, int effectRow,
                  EffectParams* record) {
    motions[motionRow].row.entry(record);
    effects[effectRow].row.entry(record);
}

void runTitleMotionEffect(int motionRow, int effectRow, EffectParams* record) {
    runTitleRows(TitleMotionTable, TitleEffectTable, motionRow, effectRow, record);
}
