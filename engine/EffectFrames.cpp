#include "engine/EffectFrames.h"

#include <cstring>

#include "engine/SaverOptions.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/Fills.h"

EffectParams transitionRecord;
EffectParams imageEffectRecord;
EffectParams titleRecord;
EffectParams animationRecord;
EffectParams animationEffectRecord;
TitleChoice titleChoice;

namespace {

const int16_t silentSamples[256] = {};
const int16_t silentSpectrum[256] = {};

constexpr int32_t kDefaultShowTime = 5000;
constexpr int32_t kDefaultTransitionTime = 2000;
constexpr int32_t kTitleFormat = 21;        // centre, vertical centre, word break
constexpr float kTitleProgressCap = 0.99f;

const FrameOptions defaultOptions;

int animationDrawnLast = 0;                 // which animation canvas holds the last frame

const FrameOptions& optionsOf(const FrameHooks& hooks) {
    return hooks.options ? *hooks.options : defaultOptions;
}

bool rowValid(int32_t row, const int32_t* count) { return row >= 0 && row < familyCount(count); }

// The words every filler writes: area, pitch, size, the scratch callbacks.
void fillFrame(EffectParams& r, Pixel* destination, int32_t width, int32_t height) {
    r.destination = destination;
    r.rect = Rect{0, 0, width, height};
    r.pitch = pitchForWidth(width);
    r.width = width;
    r.height = height;
    r.acquireBuffer = scratchAcquire;
    r.keepBuffer = scratchKeep;
    r.clearBuffer = scratchClear;
}

// The words of one use of an effect.
void fillRun(EffectParams& r, Pixel* destination, Pixel* source, int32_t first, float progress,
             int32_t duration, int32_t width, int32_t height) {
    fillFrame(r, destination, width, height);
    r.source = source;
    r.firstFrame = first;
    r.progress = progress;
    r.duration = duration;
}

void fillSound(EffectParams& r) {
    r.level = static_cast<float>(frameSound.level);
    r.beat = frameSound.beat;
    r.samples = frameSound.samples;
    r.spectrum = frameSound.spectrum;
}

// Image effects and the animation families: the sound, the level-envelope mode and the 16.
void fillEffectSound(EffectParams& r) {
    fillSound(r);
    r.levelMode = 0;
    r.constant16 = 16;
}

}  // namespace

SoundFrame frameSound{silentSamples, silentSpectrum, 0, 0};

void setFrameSound(const SoundFrame& sound) {
    frameSound = sound;
    if (!frameSound.samples) frameSound.samples = silentSamples;
    if (!frameSound.spectrum) frameSound.spectrum = silentSpectrum;
}

void clearEffectRecords() {
    std::memset(&transitionRecord, 0, sizeof transitionRecord);
    std::memset(&imageEffectRecord, 0, sizeof imageEffectRecord);
    std::memset(&animationRecord, 0, sizeof animationRecord);
    std::memset(&titleRecord, 0, sizeof titleRecord);
    titleChoice = TitleChoice{};
    animationDrawnLast = 0;
}

int32_t frameShowTime(const FrameOptions* options) {
    int32_t s = options ? options->showTime : kDefaultShowTime;
    return s > 0 ? s : kDefaultShowTime;
}

int32_t frameTransitionTime(const FrameOptions* options) {
    int32_t t = options ? options->transitionTime : kDefaultTransitionTime;
    return t > 0 ? t : kDefaultTransitionTime;
}

int32_t pickRow(const int32_t* count) {
    int value = crtRand();
    int32_t n = familyCount(count);
    return n > 0 ? value % n : -1;
}

void runTransitionFrame(const FrameHooks& hooks, Pixel* destination, Pixel* outgoing,
                        Pixel* incoming, float progress, int32_t first, int32_t row,
                        int32_t width, int32_t height) {
    EffectParams& r = transitionRecord;
    fillRun(r, destination, outgoing, first, progress, frameTransitionTime(hooks.options), width,
            height);
    r.source2 = incoming;
    r.zeroWord = 0;
    const FamilyServices* f = hooks.services;
    if (f && f->runTransition && rowValid(row, f->transitionCount) && destination && outgoing &&
        incoming)
        f->runTransition(row, &r);
}

void runImageEffectFrame(const FrameHooks& hooks, Pixel* destination, Pixel* source,
                         float progress, int32_t first, int32_t duration, int32_t row,
                         int32_t width, int32_t height) {
    EffectParams& r = imageEffectRecord;
    fillRun(r, destination, source, first, progress, duration, width, height);
    r.zeroWord = 0;
    fillEffectSound(r);
    const FamilyServices* f = hooks.services;
    if (f && f->runImageEffect && rowValid(row, f->imageEffectCount) && destination && source)
        f->runImageEffect(row, &r);
}

void runAnimationFrame(const FrameHooks& hooks, Pixel** result, float progress,
                       int32_t animationFirst, int32_t effectFirst, int32_t duration,
                       int32_t animationRow, int32_t effectRow, int32_t width, int32_t height) {
    Pixel* last = hooks.animationCanvases[animationDrawnLast];
    Pixel* next = hooks.animationCanvases[1 - animationDrawnLast];
    if (!last || !next) return;
    animationDrawnLast = 1 - animationDrawnLast;

    const FamilyServices* f = hooks.services;
    fillRun(animationEffectRecord, next, last, effectFirst, progress, duration, width, height);
    fillEffectSound(animationEffectRecord);
    if (f && f->runAnimationEffect && rowValid(effectRow, f->animationEffectCount))
        f->runAnimationEffect(effectRow, &animationEffectRecord);
    // The animation's first-frame flag is written only after the effect ran.
    fillRun(animationRecord, next, last, animationFirst, progress, duration, width, height);
    fillEffectSound(animationRecord);
    if (f && f->runAnimation && rowValid(animationRow, f->animationCount))
        f->runAnimation(animationRow, &animationRecord);
    if (result) *result = next;
}

void runTitleFrame(const FrameHooks& hooks, uint32_t timeSeconds, int32_t first, float progress,
                   int32_t duration, int32_t width, int32_t height) {
    EffectParams& r = titleRecord;
    TitleFields& t = r.state.title;
    const FrameOptions& options = optionsOf(hooks);
    const FamilyServices* f = hooks.services;
    // Four counts: styles, positions, motions, title effects.
    const int32_t* counts = f ? f->titleCounts : nullptr;
    const int32_t* styleCount = counts ? &counts[0] : nullptr;
    const int32_t* positionCount = counts ? &counts[1] : nullptr;
    const int32_t* motionCount = counts ? &counts[2] : nullptr;
    const int32_t* effectCount = counts ? &counts[3] : nullptr;
    TitleChoice& c = titleChoice;

    if (first) {
        if (t.titleBitmap && hooks.deleteTitleBitmap) hooks.deleteTitleBitmap(hooks.user, t.titleBitmap);
        t.titleBitmap = nullptr;
        r.firstFrame = 1;
        t.titlePixels = nullptr;
        crtSrand(timeSeconds);
        // Colour 0 is the title image's transparent key: never draw a title in it.
        if (options.defaultColorCheck == 1) c.drawnColor = static_cast<int32_t>(visibleTitleColor(randomColor()));
        c.font = TextFont{};
        c.font.height = 10;
        c.font.width = 10;
        c.font.charSet = 1;
        std::memcpy(c.font.faceName, options.fontFace, sizeof c.font.faceName);
        c.font.faceName[sizeof c.font.faceName - 1] = '\0';
        c.styleRow = pickRow(styleCount);
        c.motionRow = pickRow(motionCount);
        c.effectRow = pickRow(effectCount);
        int32_t position = pickRow(positionCount);
        // Only the four corners: 1, 3 and 5 move on to 2, 4 and 6.
        if (position == 1 || position == 3 || position == 5) ++position;
        c.positionRow = position < 0 ? 0 : position;
        int32_t last = hooks.lastTitleIndex ? hooks.lastTitleIndex(hooks.user) : 0;
        c.titleIndex = c.titleIndex >= last ? 0 : c.titleIndex + 1;
    } else {
        r.firstFrame = 0;
    }

    fillFrame(r, hooks.canvas, width, height);
    r.zeroWord = 0;
    r.duration = duration;
    r.progress = progress < 0.0f ? 0.0f : (progress >= 1.0f ? kTitleProgressCap : progress);
    t.titleColor = options.defaultColorCheck == 1 ? c.drawnColor : options.titleColor;
    t.titleFontSize = options.fontSize;
    t.titlePosition = c.positionRow << 24;
    t.titleDC = hooks.canvasDC;
    fillSound(r);
    t.titleFont = &c.font;
    t.titleFormat = kTitleFormat;
    const char* text = nullptr;
    if (hooks.titleText && c.titleIndex >= 0) text = hooks.titleText(hooks.user, c.titleIndex);
    t.titleText = text ? text : "";

    if (t.titleText[0] == '\0' || !r.destination) return;   // an empty title draws nothing
    if (f && f->runTitleStyle && rowValid(c.styleRow, styleCount)) f->runTitleStyle(c.styleRow, &r);
    if (f && f->runTitleMotionEffect && rowValid(c.motionRow, motionCount) &&
        rowValid(c.effectRow, effectCount))
        f->runTitleMotionEffect(c.motionRow, c.effectRow, &r);
    r.firstFrame = 0;
}
