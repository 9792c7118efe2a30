#include "engine/FrameScheduler.h"

#include <algorithm>
#include <utility>

#include "engine/EffectFrames.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"
#include "render/PixelBuffer.h"

FrameScheduler frameScheduler;

namespace {

constexpr float kTransitionProgressCap = 0.999f;

void copyFrame(Pixel* destination, const Pixel* source, int32_t width, int32_t height) {
    const int32_t pitch = pitchForWidth(width);
    if (source) copyRect(destination, source, 0, 0, Rect{0, 0, width, height}, pitch, pitch);
}

// Decodes picture `index` into `destination` and moves slideIndex on; a picture
// that fails to decode leaves its buffer as it was and is passed over all the same.
void decodeNextPicture(const FrameHooks& hooks, FrameScheduler& s, Pixel* destination,
                       int32_t width, int32_t height) {
    const int32_t k = s.slideIndex;
    if (hooks.loadImage && destination)
        hooks.loadImage(hooks.user, k, destination, width, height, pitchForWidth(width));
    // "At or beyond" rather than "equal": a package with fewer than two picture
    // entries (last index below 0) keeps asking for picture 0 instead of counting up.
    s.slideIndex = k >= s.lastPictureIndex ? 0 : k + 1;
}

}  // namespace

void resetFrameScheduler(Pixel* firstPicture, Pixel* secondPicture, int32_t lastPictureIndex) {
    frameScheduler = FrameScheduler{};
    frameScheduler.currentPicture = firstPicture;
    frameScheduler.previousPicture = secondPicture;
    frameScheduler.lastPictureIndex = lastPictureIndex;
    titleChoice.titleIndex = -1;
}

void stepFrame(const FrameHooks& hooks, uint32_t timeMs, uint32_t timeSeconds, int32_t width,
               int32_t height) {
    Pixel* const canvas = hooks.canvas;
    if (!canvas) return;   // never draw through a missing canvas
    // The pictures were decoded for the canvas's size and every buffer is made
    // for at most 800 x 600, so that is the size drawn whatever the window says.
    const int32_t w = std::min(hooks.canvasWidth, kMaxFrameWidth);
    const int32_t h = std::min(hooks.canvasHeight, kMaxFrameHeight);
    if (w <= 0 || h <= 0) return;
    FrameScheduler& s = frameScheduler;

    // 1-2. This frame's sound, the scratch pool's frame.
    SoundFrame sound;
    if (hooks.refreshSound) hooks.refreshSound(hooks.user, &sound);
    setFrameSound(sound);
    scratchFrameStart();

    // 3. Where in the cycle we are.
    const int32_t S = frameShowTime(hooks.options);
    const int32_t T = frameTransitionTime(hooks.options);
    const int32_t half = S / 2;
    const int32_t c5 = s.cycleCounter % 5;
    int32_t elapsed = static_cast<int32_t>(timeMs - s.cycleStart);
    const FamilyServices* f = hooks.services;

    // 4. New cycle.
    if (static_cast<int64_t>(elapsed) > static_cast<int64_t>(S) + T || elapsed <= 0) {
        elapsed = 0;
        s.cycleStart = timeMs;
        s.imageEffectRow = pickRow(f ? f->imageEffectCount : nullptr);
        s.imageEffectFirst = 1;
        s.animationEffectFirst = 1;
        s.cycleCounter += 1;
        if (s.schedulerState == kStateLeavingAnimation) s.schedulerState = kStateSlides;
        s.transitionPending = 1;
        if (s.firstLoad == 1) {
            decodeNextPicture(hooks, s, s.currentPicture, w, h);
            s.firstLoad = 0;
        }
    }

    // 5. Phase and draw mode.
    float p = 0.0f;
    float q = 0.0f;
    if (elapsed < half) {
        p = static_cast<float>(elapsed) / static_cast<float>(half);
        s.drawMode = s.schedulerState != kStateAnimation ? kDrawImageEffect : kDrawAnimation;
    } else if (elapsed < S) {
        if (s.schedulerState == kStateAnimation) {
            s.drawMode = kDrawAnimation;
        } else {
            q = static_cast<float>(elapsed - half) / static_cast<float>(S - half);
            s.drawMode = kDrawPlainPicture;
        }
    } else {
        if (s.transitionPending == 1) {
            if (s.schedulerState == kStateAnimation) s.schedulerState = kStateLeavingAnimation;
            // Without animation rows there is nothing to hand over to: the cycle
            // stays a slide cycle.
            if (c5 == 0 && s.schedulerState == kStateSlides && f &&
                familyCount(f->animationCount) > 0) {
                crtSrand(timeSeconds);
                s.animationRow = pickRow(f->animationCount);
                s.animationEffectRow = pickRow(f->animationEffectCount);
                s.newAnimation = 1;
                s.schedulerState = kStateAnimation;
            }
            s.transitionFirst = 1;
            s.transitionPending = 0;
            if (s.schedulerState != kStateAnimation) {
                std::swap(s.currentPicture, s.previousPicture);
                decodeNextPicture(hooks, s, s.currentPicture, w, h);
            }
            crtSrand(timeSeconds);
            s.transitionRow = pickRow(f ? f->transitionCount : nullptr);
        } else {
            s.transitionFirst = 0;
            s.newAnimation = 0;
        }
        p = static_cast<float>(elapsed - S) / static_cast<float>(T);
        if (p >= 1.0f) p = kTransitionProgressCap;
        s.drawMode = s.schedulerState == kStateAnimation         ? kDrawIntoAnimation
                     : s.schedulerState == kStateLeavingAnimation ? kDrawOutOfAnimation
                                                                  : kDrawSlideTransition;
    }

    // 6. Draw.
    const bool titles = !(hooks.options && hooks.options->letterMode == 1);
    const bool drawTitles = titles && !(hooks.options && hooks.options->titlesHidden);
    switch (s.drawMode) {
    case kDrawImageEffect:
        runImageEffectFrame(hooks, canvas, s.currentPicture, p, s.imageEffectFirst, half,
                            s.imageEffectRow, w, h);
        if (drawTitles) runTitleFrame(hooks, timeSeconds, s.imageEffectFirst, p * 0.5f, half, w, h);
        break;
    case kDrawPlainPicture:
        copyFrame(canvas, s.currentPicture, w, h);
        if (drawTitles) runTitleFrame(hooks, timeSeconds, 0, (q + 1.0f) * 0.5f, S, w, h);
        break;
    case kDrawSlideTransition:
        runTransitionFrame(hooks, canvas, s.previousPicture, s.currentPicture, p, s.transitionFirst,
                           s.transitionRow, w, h);
        break;
    case kDrawIntoAnimation:
        runAnimationFrame(hooks, &s.animationResult, 0.0f, s.newAnimation, s.animationEffectFirst,
                          0, s.animationRow, blurSlowRowOf(f), w, h);
        runTransitionFrame(hooks, canvas, s.currentPicture, s.animationResult, p,
                           s.transitionFirst, s.transitionRow, w, h);
        break;
    case kDrawOutOfAnimation:
        runTransitionFrame(hooks, canvas, s.animationResult, s.currentPicture, p,
                           s.transitionFirst, s.transitionRow, w, h);
        break;
    case kDrawAnimation:
        runAnimationFrame(hooks, &s.animationResult, 0.0f, s.newAnimation, s.animationEffectFirst,
                          0, s.animationRow, s.animationEffectRow, w, h);
        copyFrame(canvas, s.animationResult, w, h);
        break;
    }

    // 7. End of frame.
    s.transitionFirst = 0;
    s.imageEffectFirst = 0;
    s.newAnimation = 0;
    s.animationEffectFirst = 0;
    if (!titles && hooks.drawLetter) hooks.drawLetter(hooks.user, w, h);
    scratchFrameEnd();
    if (hooks.blit) hooks.blit(hooks.user, std::min(w, width), std::min(h, height));
}
