#include "CG/TitleTable.h"

#include <iterator>

#include "CG/CGDraw.h"
#include "CG/CGEffect_Pre.h"
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

const TitleCatalogueRow TitleMotionTable[] = {
    {0, {"Still", 0, VT_TITLE_ENTRY(Motion, moveTitleStill)}},
};

const TitleCatalogueRow TitleEffectTable[] = {
    {0, {"None", 0, VT_TITLE_ENTRY(Draw, drawTitleNone)}},
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
