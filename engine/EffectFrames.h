// The per-frame calls into the effect families: each fills its family's static
// EffectParams record with what the runtime owns (pictures, canvas, size, time,
// sound, scratch callbacks) and calls the family's dispatcher. Every other word
// of a record stays as the effect left it.
#pragma once
#include <cstdint>

#include "engine/EffectParams.h"
#include "engine/FrameHooks.h"
#include "render/Platform.h"

// One static record per family.
extern EffectParams transitionRecord;
extern EffectParams imageEffectRecord;
extern EffectParams titleRecord;
extern EffectParams animationRecord;
extern EffectParams animationEffectRecord;

// The sound of the frame being drawn (silence until the first refresh).
extern SoundFrame frameSound;
void setFrameSound(const SoundFrame& sound);   // null arrays stand for silence

// A new title's random choices, kept until the next new title.
struct TitleChoice {
    int32_t titleIndex = -1;     // row of the title list shown now
    int32_t styleRow = 0;
    int32_t motionRow = 0;
    int32_t effectRow = 0;
    int32_t positionRow = 0;     // 0, 2, 4 or 6
    int32_t drawnColor = 0;      // the colour drawn for this title (default-colour flag on)
    TextFont font;               // the runtime's title font
};
extern TitleChoice titleChoice;

constexpr int32_t kBlurSlowRow = 19;   // animation-effect row of every transition into an animation

// Start-up: fills the transition, image-effect, animation and title records
// with 0 (the animation-effect record keeps its contents) and forgets the title.
void clearEffectRecords();

// The show and transition times the frame step works with: a time of 0 or less
// (bad options) takes its default, so no phase ever divides by it.
int32_t frameShowTime(const FrameOptions* options);
int32_t frameTransitionTime(const FrameOptions* options);

// Row pick: rand() mod the count, drawn even when the family has no rows so the
// sequence does not depend on which tables exist; -1 then.
int32_t pickRow(const int32_t* count);

void runTransitionFrame(const FrameHooks& hooks, Pixel* destination, Pixel* outgoing,
                        Pixel* incoming, float progress, int32_t first, int32_t row,
                        int32_t width, int32_t height);
void runImageEffectFrame(const FrameHooks& hooks, Pixel* destination, Pixel* source,
                         float progress, int32_t first, int32_t duration, int32_t row,
                         int32_t width, int32_t height);
// Swaps the animation canvases, runs the animation effect and then the animation
// into the canvas not drawn last, and stores that canvas in *result.
void runAnimationFrame(const FrameHooks& hooks, Pixel** result, float progress,
                       int32_t animationFirst, int32_t effectFirst, int32_t duration,
                       int32_t animationRow, int32_t effectRow, int32_t width, int32_t height);
// `timeSeconds` seeds the new title's picks.
void runTitleFrame(const FrameHooks& hooks, uint32_t timeSeconds, int32_t first, float progress,
                   int32_t duration, int32_t width, int32_t height);
