// The guarded row entry shared by every image-effect table (the engine's full
// one and the authoring program's preview one). A row's entry is one
// instantiation of imageEffectEntry: the body and its constants are template
// arguments, so a table row is plain data.
#pragma once
#include <cstdint>

#include "engine/CrashLog.h"
#include "engine/EffectParams.h"

// The units that hold the effect bodies; the trace line of a caught fault names
// the unit.
enum class SfxUnit : int32_t {
    Warping, Plain, Water, Light, Stretch, ThreeD, ThreeDFlag, Frame, Geometry, Special, Animation, Move,
};

constexpr const char* sfxUnitPath(SfxUnit unit) {
    switch (unit) {
        case SfxUnit::Warping: return "Sfx\\Image_Effect_Warping";
        case SfxUnit::Plain: return "Sfx\\Image_Effect_Plain";
        case SfxUnit::Water: return "Sfx\\Image_Effect_Water";
        case SfxUnit::Light: return "Sfx\\Image_Effect_Light";
        case SfxUnit::Stretch: return "Sfx\\Image_Effect_Stretch";
        case SfxUnit::ThreeD: return "Sfx\\Image_Effect_3D";
        case SfxUnit::ThreeDFlag: return "Sfx\\Image_Effect_3DFlag";
        case SfxUnit::Frame: return "Sfx\\Image_Effect_Frame";
        case SfxUnit::Geometry: return "Sfx\\Image_Effect_Geometry";
        case SfxUnit::Special: return "Sfx\\Image_Effect_Special";
        case SfxUnit::Animation: return "Sfx\\Image_Effect_Animation";
        case SfxUnit::Move: return "Sfx\\Image_Effect_Move";
    }
    return "Sfx";
}

// Calls Body(record, Constants...) under the fault guard. A fault is logged with
// the unit's path and Line and the frame goes on with whatever the body drew.
// Every row is guarded, the 3D block and chaos-zoom rows too: an unguarded fault
// would end the saver.
template <SfxUnit Unit, int Line, auto Body, auto... Constants>
void imageEffectEntry(EffectParams* record) {
    runGuardedEntry(sfxUnitPath(Unit), Line, [record] { Body(record, Constants...); });
}

// The entry of one table row; the trace line is the row's line in its table.
#define VT_IMAGE_EFFECT_ENTRY(unit, ...) (&imageEffectEntry<SfxUnit::unit, __LINE__, __VA_ARGS__>)
