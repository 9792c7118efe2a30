// The guarded row entry shared by the title tables (the engine's and the
// authoring preview's). A row's entry is one instantiation of guardedRowEntry for
// the row's own call of its body, so a table row is plain data.
#pragma once
#include <cstdint>

#include "engine/CrashLog.h"
#include "engine/EffectParams.h"

// The units that hold the title routines; the trace line of a caught fault names the unit.
enum class TitleUnit : int32_t { Pre, Motion, Draw, Rotate, Char, Wave, Relief, Fire, Light, Mesh };

constexpr const char* titleUnitPath(TitleUnit unit) {
    switch (unit) {
        case TitleUnit::Pre: return "CG\\CGEffect_Pre";
        case TitleUnit::Motion: return "CG\\CGMotion";
        case TitleUnit::Draw: return "CG\\CGDraw";
        case TitleUnit::Rotate: return "CG\\CGEffect_Rotate";
        case TitleUnit::Char: return "CG\\CGEffect_Char";
        case TitleUnit::Wave: return "CG\\CGEffect_Wave";
        case TitleUnit::Relief: return "CG\\CGEffect_Relief";
        case TitleUnit::Fire: return "CG\\CGEffect_Fire";
        case TitleUnit::Light: return "CG\\CGEffect_Light";
        case TitleUnit::Mesh: return "CG\\CGEffect_3D";
    }
    return "CG";
}

// The entry of one table row; the trace line is the row's line in its table.
#define VT_TITLE_ENTRY(unit, ...) \
    (rowEntryOf<titleUnitPath, TitleUnit::unit, __LINE__>([](EffectParams* target) { callRowWorker(target, __VA_ARGS__); }))
