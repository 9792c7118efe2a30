// A frame-step harness for the engine tests: small picture buffers, canvas and
// animation canvases, recording family dispatchers with adjustable row counts,
// a loader that stamps the picture number into the buffer, and a fixed clock
// driven by the test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/EffectFrames.h"
#include "engine/FrameScheduler.h"
#include "engine/ScratchPool.h"
#include "render/CrtRandom.h"

namespace vt_test {

struct FamilyCall {
    char family;          // T transition, I image effect, S title style, M title motion+effect,
                          // A animation, E animation effect
    int row;
    int row2;             // M: the title-effect row
    int first;
    float progress;
    int duration;
    Pixel* source;
    Pixel* source2;
    Pixel* destination;
};

class FrameHarness {
public:
    static constexpr int32_t kWidth = 32;
    static constexpr int32_t kHeight = 24;
    static constexpr uint32_t kStart = 100000;   // the clock at the first frame

    // Row counts the recording table reports; a test may change them.
    int32_t transitionCount = 522;
    int32_t imageEffectCount = 121;
    int32_t animationCount = 114;
    int32_t animationEffectCount = 39;
    int32_t titleCounts[4] = {13, 7, 15, 68};

    FrameOptions options;
    FamilyServices services;
    FrameHooks hooks;
    std::vector<std::string> titles{"A", "B", "C"};
    std::vector<FamilyCall> calls;               // the last frame's family calls
    std::vector<std::pair<int32_t, Pixel*>> loads;   // every decode: picture, buffer
    int letterFrames = 0;
    int blits = 0;
    int32_t blitWidth = 0, blitHeight = 0;

    explicit FrameHarness(int pictures = 3);
    ~FrameHarness();

    // Start-up as the engine does it (records cleared, scheduler reset,
    // pictures 0 and 1 decoded) with `pictures` pictures in the package.
    void start(int pictures);
    void frame(uint32_t offsetMs, uint32_t seconds = 1000);   // offset from kStart
    const FamilyCall* find(char family) const;
    int count(char family) const;
    // The picture number stamped into a picture buffer (-1 for none).
    static int pictureIn(const Pixel* buffer);

    Pixel* picture(int i) { return pictures_[i].data() + kOrigin; }
    Pixel* animationCanvas(int i) { return animation_[i].data() + kOrigin; }
    Pixel* canvas() { return canvas_.data() + kOrigin; }

private:
    static constexpr int kOrigin = 8 * (kWidth + 16) + 8;
    std::vector<Pixel> pictures_[2], animation_[2], canvas_;
};

}  // namespace vt_test
