// The guarded row entry shared by the title tables (the engine's and the
// authoring preview's). A row's entry is one instantiation of titleRowEntry for
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

// Calls the row's body under the fault guard: a fault in a style, motion or title
// effect is logged with the unit and Line, and the show goes on. Call is the row's
// captureless lambda (one type per row, so no two rows share an entry).
template <TitleUnit Unit, int Line, class Call>
void titleRowEntry(EffectParams* record) {
    runGuardedEntry(titleUnitPath(Unit), Line, [record] { Call{}(record); });
}

template <TitleUnit Unit, int Line, class Call>
constexpr auto titleRowOf(Call) {
    return &titleRowEntry<Unit, Line, Call>;
}

// The entry of one table row; the trace line is the row's line in its table.
#define VT_TITLE_ENTRY(unit, ...) \
    (titleRowOf<TitleUnit::unit, __LINE__>([](EffectParams* target) { callRowWorker(target, __VA_ARGS__); }))
