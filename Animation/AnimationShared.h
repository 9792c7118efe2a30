// What every animation row shares: the guard around its entry, the two ways an
// entry hands the record to its worker, and the animations' own copy of the
// level envelope.
//
// Record workers take the record and the row's constants. Unpacked workers take
// the destination, the pitch and the clip first, then the values they need from
// the record (the level truncated toward zero, the beat, ...) in an order fixed
// per worker.
#pragma once
#include <cstdint>

#include "engine/CrashLog.h"
#include "engine/EffectParams.h"
#include "render/FloatToInt.h"
#include "render/PixelTypes.h"

// The units that hold the workers; the trace line of a caught fault names the unit.
enum class AnimationUnit : int32_t {
    AdvancedAnimation, AnimationPlus, Bonus, Bubble, Dot, FireWork, Line, Plasma, Space,
    SpectrumAnimation, SpriteAnimation, UpgradedAnimation, WaterJet, WaveAnimation,
};

constexpr const char* animationUnitPath(AnimationUnit unit) {
    switch (unit) {
        case AnimationUnit::AdvancedAnimation: return "Animation\\ANI_AdvancedAnimation";
        case AnimationUnit::AnimationPlus: return "Animation\\ANI_AnimationPlus";
        case AnimationUnit::Bonus: return "Animation\\ANI_Bonus";
        case AnimationUnit::Bubble: return "Animation\\ANI_Bubble";
        case AnimationUnit::Dot: return "Animation\\ANI_Dot";
        case AnimationUnit::FireWork: return "Animation\\ANI_FireWork";
        case AnimationUnit::Line: return "Animation\\ANI_Line";
        case AnimationUnit::Plasma: return "Animation\\ANI_Plasma";
        case AnimationUnit::Space: return "Animation\\ANI_Space";
        case AnimationUnit::SpectrumAnimation: return "Animation\\ANI_SpectrumAnimation";
        case AnimationUnit::SpriteAnimation: return "Animation\\ANI_SpriteAnimation";
        case AnimationUnit::UpgradedAnimation: return "Animation\\ANI_UpgradedAnimation";
        case AnimationUnit::WaterJet: return "Animation\\ANI_WaterJet";
        case AnimationUnit::WaveAnimation: return "Animation\\ANI_WaveAnimation";
    }
    return "Animation";
}

// The record's level as the unpacked workers take it.
inline int32_t animationLevel(const EffectParams* record) { return truncToInt(record->level); }

// Unpacked workers of the (destination, pitch, clip, level) shape (Dot, Dot2,
// Dot3, Line1, Line2, Line4), and of (..., level, beat) (Line3).
using LevelWorker = void (*)(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level);
using LevelBeatWorker = void (*)(Pixel* destination, int32_t pitch, const Rect* clip, int32_t level,
                                 int32_t beat);

template <AnimationUnit Unit, int Line, LevelWorker Worker>
void levelWorkerEntry(EffectParams* record) {
    runGuardedEntry(animationUnitPath(Unit), Line, [record] {
        Worker(record->destination, record->pitch, &record->rect, animationLevel(record));
    });
}

template <AnimationUnit Unit, int Line, LevelBeatWorker Worker>
void levelBeatWorkerEntry(EffectParams* record) {
    runGuardedEntry(animationUnitPath(Unit), Line, [record] {
        Worker(record->destination, record->pitch, &record->rect, animationLevel(record), record->beat);
    });
}

// The entry of one table row; the trace line is the row's line in its table.
#define VT_ANIMATION_ENTRY(unit, ...) \
    (rowEntryOf<animationUnitPath, AnimationUnit::unit, __LINE__>([](EffectParams* target) { callRowWorker(target, __VA_ARGS__); }))

// The peak follower of the level envelope (the only mode the runtime gives the
// animation records): a falling level becomes decay x the previous shaped level,
// a rising one attack x the level; held to 0..255 and stored in previousLevel.
// Any other level mode leaves the level as it is.
void updateAnimationLevel(EffectParams* record, float decay, float attack);

// The colour wheel of the particle families: index into the 8,192-step tables,
// red cos, green sin, blue cos a half turn on, each table / 256 + 128. A table
// value of 32,768 would give 256 and carry into the next channel; it is held at 255.
Pixel wheelColour(int32_t index);

// Adds the colour with saturation to (x, y) and its four neighbours.
void addPlus5(Pixel* destination, int32_t pitch, int32_t x, int32_t y, Pixel colour);

// The screen scale of the dot and line rows: min(w x 256 / 640, h x 256 / 480).
int32_t referenceScale(const Rect& clip);
// The size scale of most rows: (w + h) x 256 / 1120, 256 at 640 x 480.
inline int32_t sizeScale(const Rect& clip) {
    return ((clip.right - clip.left) + (clip.bottom - clip.top)) * 256 / 1120;
}

// Puts the state every animation unit keeps for the whole run (phases, level
// followers, histories, counters) back to its start-up values. The runtime never
// calls it: the rows carry that state from one run to the next. Tests use it to
// start a run from a known state.
void resetAnimationRunState();

// Holds scratch buffers buffers[0..count-1] / slots[0..count-1]: acquires each
// one the record does not hold yet (all of them after a first frame cleared the
// words; again later when the pool was full) and keeps every one held. Returns
// true when buffer 0 was acquired now, so its contents must be drawn again.
bool holdScratchBuffers(EffectParams* record, int32_t count);
// Forgets whatever an earlier effect left in the buffer words (first frames).
void dropScratchBuffers(EffectParams* record);

// A peak follower kept between frames: the input when it is not below the value
// held, else the value held x decay.
struct LevelFollower {
    double value = 0.0;
    double follow(double input, double decay) {
        value = input >= value ? input : value * decay;
        return value;
    }
};

// A radius held so that a disc of it centred at (x, y) stays inside the clip
// (for the glows that have no clipped form); 0 when the centre is outside.
int32_t radiusInside(const Rect& clip, int32_t x, int32_t y, int32_t radius);
// True when the disc lies inside the clip, its rim one pixel in.
inline bool discInside(const Rect& clip, int32_t x, int32_t y, int32_t radius) {
    return x - radius > clip.left && x + radius < clip.right - 1 && y - radius > clip.top && y + radius < clip.bottom - 1;
}
