// The effect sweep: runs table rows of an effect family the way the engine calls
// them (a run of frames, firstFrame on the first, progress rising, the canvas
// not cleared between frames) on small guarded buffers, and reports what a row
// did wrong. Every family's table is checked through this one harness.
//
// Checks per row and frame size: sources unchanged (margins included); nothing
// written outside the buffers and their 8-pixel margins; the top byte of every
// canvas pixel 0; scratch buffers used only while kept (buffers not kept are
// poisoned at frame end, and two runs with different poison must agree); a pool
// with no buffer at all, or with small leftovers of a previous user; the
// same output for the same seed; optionally the outgoing picture at progress 0
// and the incoming one at the end.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/EffectParams.h"

namespace vt_test {

enum class SweepFamily {
    Transition,        // source = outgoing, source2 = incoming
    ImageEffect,       // source = the picture, sound fields filled
    Animation,         // two canvases alternate; progress and duration 0
    AnimationEffect,   // as Animation
    Title,             // the title record: canvas only, progress capped at 0.99, title fields
                       // from the options; the entry runs a whole title frame (style, motion, effect)
};

// Sound seen by the effects during a run: samples and spectrum stay fixed, the
// level and beat follow a per-frame pattern.
struct SoundScenario {
    const char* name;
    int16_t samples[256];
    int16_t spectrum[128];
    std::vector<int> levels;     // per frame, cycled; 0..255
    std::vector<int> beats;      // per frame, cycled; 0 or 1
};
SoundScenario silenceScenario();
SoundScenario steadyToneScenario();
SoundScenario loudBeatsScenario();
// The loudest sound the analysis gives: every band at 362, a beat and level 255 on every frame.
SoundScenario loudestScenario();
const std::vector<SoundScenario>& allSoundScenarios();

struct RowRule {
    bool topByteZero = true;     // canvas pixels keep the 0x00RRGGBB form
    bool deterministic = true;   // same seed, same output
    int endTolerance = -1;       // >= 0: progress 0 shows the outgoing picture and the
                                 // last frame the incoming one, within this channel difference
    int outgoingTolerance = -1;  // >= 0: only the progress-0 check
    int incomingTolerance = -1;  // >= 0: only the last-frame check
    bool evenSizeEnds = false;   // the end checks only at even sizes (workers that
                                 // leave an odd last column or row as it was)
};

// The scratch pool a run draws from.
enum class SweepPool {
    Poisoned,       // buffers hold large values no effect writes (per run and slot)
    Dry,            // no buffer at all: every acquire returns null
    SmallLeftovers, // buffers hold small values 0..15, as a previous user may leave them
};

struct SweepOptions {
    // The odd size is a preview window's.
    std::vector<std::pair<int, int>> sizes{{64, 48}, {67, 41}, {151, 113}, {400, 300}};
    std::vector<float> progresses{0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f, 0.999f};
    const SoundScenario* sound = nullptr;   // null: silence
    int32_t levelMode = 0;                  // the record's level-envelope mode (the runtime writes 0)
    uint32_t seed = 12345;
    // Called before each run: resets words a unit keeps outside the record on purpose.
    void (*beforeRun)() = nullptr;
    int durationMs = 2000;
    // Animation families: the animation effect entry that runs before the
    // animation on every frame (the order the runtime uses), or null.
    EffectEntry companionEffect = nullptr;
    // Animation families: an entry run after the animation on the first frame, on
    // the same frame with a record and canvas of its own (the transition into the
    // animation, as the runtime orders them), or null.
    EffectEntry afterFirstFrame = nullptr;
    // Transition family: an animation drawn before the transition on every frame
    // (the runtime's order), with its sound, records and layers of its own, or null.
    EffectEntry animationBefore = nullptr;
    SweepPool pool = SweepPool::Poisoned;
    // Title family: the text and how the runtime would fill the title fields.
    const char* titleText = "Title\nAb";
    int32_t titleFontSize = 40;
    int32_t titleColor = 0x0030A0F0;   // COLORREF order
    int32_t titlePosition = 0;         // position code (shifted into the top byte)
    int32_t titleFontSizeLater = 0;    // non-zero: the size written after the first frame
};

// The canvas checksum of every frame of one run at one size.
std::vector<uint64_t> sweepFrameSums(SweepFamily family, EffectEntry entry, const SweepOptions& options, int width,
                                     int height);

// One run of a transition with the options' animationBefore drawn before it on
// every frame: the transition's canvas checksums and the animation's, per frame.
struct FramePair {
    std::vector<uint64_t> transition;
    std::vector<uint64_t> animation;
};
FramePair transitionAfterAnimationSums(EffectEntry transition, const SweepOptions& options, int width, int height);

// The engine's frame sizes with a few progress values (the runs there are long).
SweepOptions engineSizeOptions();
// The small sizes (one odd) with the given pool.
SweepOptions poolOptions(SweepPool pool);

// Runs one row's entry through the options' sizes; returns the problems found
// (empty when the row behaved).
std::vector<std::string> sweepRow(SweepFamily family, EffectEntry entry, const RowRule& rule,
                                  const SweepOptions& options);

// Mean milliseconds per frame of one row at the given size (for benchmarks): only
// the entry calls are timed, not the set-up of the buffers.
double timeRowPerFrame(SweepFamily family, EffectEntry entry, int width, int height, int frames,
                       const SoundScenario* sound);
// The same with the options' title fields (text, font size, colour, position).
double timeRowPerFrame(SweepFamily family, EffectEntry entry, int width, int height, int frames,
                       const SweepOptions& options);
// Milliseconds of each frame of one run (the first frame included), with the
// options' sound and title fields.
std::vector<double> rowFrameTimes(SweepFamily family, EffectEntry entry, int width, int height, int frames,
                                  const SweepOptions& options);

// The canvas checksum of every frame at every size of the options, in order.
std::vector<uint64_t> rowFrameChecksums(SweepFamily family, EffectEntry entry, const SweepOptions& options);

}  // namespace vt_test
