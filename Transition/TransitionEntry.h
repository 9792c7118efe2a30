// The guarded row entry shared by every transition table (the engine's full one
// and the authoring program's preview one). A row's entry is one instantiation
// of guardedRowEntry for the row's own call of its worker, so a table row is
// plain data and no two rows share an entry.
#pragma once
#include <cstdint>

#include "engine/CrashLog.h"
#include "engine/EffectParams.h"

// The units that hold the transition workers, in family order; the trace line of
// a caught fault names the unit.
enum class TransitionUnit : int32_t {
    ThreeD, ThreeDFlag, Block, Pixel, Plain, Push, Rotate, Slide, Special, Stretch, Warping, Wipe,
};

constexpr const char* transitionUnitPath(TransitionUnit unit) {
    switch (unit) {
        case TransitionUnit::ThreeD: return "Transition\\Transition_3D";
        case TransitionUnit::ThreeDFlag: return "Transition\\Transition_3DFlag";
        case TransitionUnit::Block: return "Transition\\Transition_Block";
        case TransitionUnit::Pixel: return "Transition\\Transition_Pixel";
        case TransitionUnit::Plain: return "Transition\\Transition_Plain";
        case TransitionUnit::Push: return "Transition\\Transition_Push";
        case TransitionUnit::Rotate: return "Transition\\Transition_Rotate";
        case TransitionUnit::Slide: return "Transition\\Transition_Slide";
        case TransitionUnit::Special: return "Transition\\Transition_Special";
        case TransitionUnit::Stretch: return "Transition\\Transition_Stretch";
        case TransitionUnit::Warping: return "Transition\\Transition_Warping";
        case TransitionUnit::Wipe: return "Transition\\Transition_Wipe";
    }
    return "Transition";
}

// Calls Worker(context, Constants...) under the fault guard. A fault is logged
// with the unit's path and Line and the frame goes on with whatever the worker
// drew. Every row is guarded, also those whose worker is not expected to fault:
// an unguarded fault would end the saver.
template <TransitionUnit Unit, int Line, auto Worker, auto... Constants>
void transitionEntry(EffectParams* context) {
    runGuardedEntry(transitionUnitPath(Unit), Line, [context] { Worker(context, Constants...); });
}

// The entry of one table row; the trace line is the row's line in its table.
#define VT_TRANSITION_ENTRY(unit, ...) \
    (rowEntryOf<transitionUnitPath, TransitionUnit::unit, __LINE__>([](EffectParams* target) { callRowWorker(target, __VA_ARGS__); }))
