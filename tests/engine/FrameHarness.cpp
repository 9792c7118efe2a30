#include "FrameHarness.h"

namespace vt_test {

namespace {

FrameHarness* active = nullptr;   // the dispatchers are plain functions

void record(char family, int row, int row2, const EffectParams* p) {
    active->calls.push_back({family, row, row2, p->firstFrame, p->progress, p->duration, p->source,
                             p->source2, p->destination});
}

void recTransition(int row, EffectParams* p) { record('T', row, -1, p); }
void recImageEffect(int row, EffectParams* p) { record('I', row, -1, p); }
void recTitleStyle(int row, EffectParams* p) { record('S', row, -1, p); }
void recTitleMotion(int motion, int effect, EffectParams* p) { record('M', motion, effect, p); }
void recAnimation(int row, EffectParams* p) {
    // An animation draws something of its own into its canvas.
    p->destination[0] = 0xA0000000u | static_cast<Pixel>(row);
    record('A', row, -1, p);
}
void recAnimationEffect(int row, EffectParams* p) { record('E', row, -1, p); }

int32_t stampPicture(void*, int32_t index, Pixel* destination, int32_t, int32_t, int32_t) {
    active->loads.push_back({index, destination});
    destination[0] = 0x100u + static_cast<Pixel>(index);
    return 1;
}

const char* titleText(void*, int32_t row) {
    return row < static_cast<int32_t>(active->titles.size()) ? active->titles[row].c_str() : nullptr;
}
int32_t lastTitleIndex(void*) {
    return active->titles.empty() ? 0 : static_cast<int32_t>(active->titles.size()) - 1;
}
void countLetter(void*, int32_t, int32_t) { ++active->letterFrames; }
void countBlit(void*, int32_t w, int32_t h) {
    ++active->blits;
    active->blitWidth = w;
    active->blitHeight = h;
}

}  // namespace

FrameHarness::FrameHarness(int pictures) {
    const size_t size = static_cast<size_t>(kWidth + 16) * (kHeight + 16);
    for (auto& b : pictures_) b.assign(size, 0);
    for (auto& b : animation_) b.assign(size, 0);
    canvas_.assign(size, 0);
    active = this;

    services.runTransition = recTransition;
    services.transitionCount = &transitionCount;
    services.runImageEffect = recImageEffect;
    services.imageEffectCount = &imageEffectCount;
    services.runTitleStyle = recTitleStyle;
    services.runTitleMotionEffect = recTitleMotion;
    services.titleCounts = titleCounts;
    services.runAnimation = recAnimation;
    services.animationCount = &animationCount;
    services.runAnimationEffect = recAnimationEffect;
    services.animationEffectCount = &animationEffectCount;

    hooks.services = &services;
    hooks.options = &options;
    hooks.canvas = canvas();
    hooks.canvasWidth = kWidth;
    hooks.canvasHeight = kHeight;
    hooks.animationCanvases[0] = animationCanvas(0);
    hooks.animationCanvases[1] = animationCanvas(1);
    hooks.loadImage = stampPicture;
    hooks.titleText = titleText;
    hooks.lastTitleIndex = lastTitleIndex;
    hooks.drawLetter = countLetter;
    hooks.blit = countBlit;
    start(pictures);
}

FrameHarness::~FrameHarness() { active = nullptr; }

void FrameHarness::start(int pictures) {
    clearEffectRecords();
    scratchInit();
    // countImages of a package as the authoring program writes it: n - 1.
    resetFrameScheduler(picture(0), picture(1), pictures - 1);
    // Start-up decodes pictures 0 and 1 into the current and the previous buffer.
    stampPicture(nullptr, 0, picture(0), kWidth, kHeight, kWidth + 16);
    stampPicture(nullptr, 1, picture(1), kWidth, kHeight, kWidth + 16);
    loads.clear();
}

void FrameHarness::frame(uint32_t offsetMs, uint32_t seconds) {
    calls.clear();
    stepFrame(hooks, kStart + offsetMs, seconds, kWidth, kHeight);
}

const FamilyCall* FrameHarness::find(char family) const {
    for (const FamilyCall& c : calls)
        if (c.family == family) return &c;
    return nullptr;
}

int FrameHarness::count(char family) const {
    int n = 0;
    for (const FamilyCall& c : calls) n += c.family == family;
    return n;
}

int FrameHarness::pictureIn(const Pixel* buffer) {
    return buffer && buffer[0] >= 0x100u && buffer[0] < 0x200u ? static_cast<int>(buffer[0] - 0x100u)
                                                                : -1;
}

}  // namespace vt_test
