#include "CG/CGMotion.h"

#include <cmath>

namespace {

constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;
// Far more steps than any box of a 16-bit size needs to leave a frame.
constexpr int32_t kMaxSteps = 1 << 20;

// from + e x (to - from) / ms, per axis, without overflowing on long titles.
TitlePoint between(TitlePoint from, TitlePoint to, int64_t e, int64_t ms) {
    return TitlePoint{static_cast<int32_t>(from.x + e * (to.x - from.x) / ms),
                      static_cast<int32_t>(from.y + e * (to.y - from.y) / ms)};
}

}  // namespace

void offscreenPoint(int32_t* x, int32_t* y, int32_t boxWidth, int32_t boxHeight, int32_t frameWidth,
                    int32_t frameHeight, float angleRadians) {
    const float dx = 4.0f * std::cos(angleRadians), dy = 4.0f * std::sin(angleRadians);
    const int32_t hw = boxWidth / 2, hh = boxHeight / 2;
    int32_t cx = *x, cy = *y;
    for (int32_t i = 0; i < kMaxSteps; ++i) {
        *x = static_cast<int32_t>(static_cast<float>(cx) + dx);
        *y = static_cast<int32_t>(static_cast<float>(cy) + dy);
        const int32_t left = cx - hw, right = cx + hw, top = cy - hh, bottom = cy + hh;
        if ((left < 0 && right < 0) || (top < 0 && bottom < 0) || (left > frameWidth && right > frameWidth) ||
            (top > frameHeight && bottom > frameHeight))
            return;
        cx = *x;
        cy = *y;
    }
}

void moveTitleBox(EffectParams* params, int32_t inAngle, int32_t inMs, int32_t outAngle, int32_t outMs) {
    TitleFields& t = params->state.title;
    TitlePoint& hold = t.titleMotionPath[0];
    TitlePoint& entry = t.titleMotionPath[1];
    TitlePoint& exit = t.titleMotionPath[2];
    if (params->firstFrame) {
        const int32_t iw = t.titleSize >> 16, ih = t.titleSize & 0xFFFF;
        hold = entry = exit = t.titleCenter;
        offscreenPoint(&entry.x, &entry.y, iw, ih, params->width, params->height,
                       static_cast<float>(inAngle - 180) * kDegreesToRadians);
        offscreenPoint(&exit.x, &exit.y, iw, ih, params->width, params->height,
                       static_cast<float>(outAngle - 180) * kDegreesToRadians);
    }
    const int64_t D = params->duration;
    const int64_t inT = inMs > D / 2 ? D / 2 : inMs, outT = outMs > D / 2 ? D / 2 : outMs;
    const int64_t e = static_cast<int64_t>(static_cast<double>(D) * params->progress);
    if (e < inT)
        t.titleCenter = between(entry, hold, e, inT);
    else if (D - outT >= e || outT <= 0)
        t.titleCenter = hold;
    else
        t.titleCenter = between(exit, hold, D - e, outT);
}

void moveTitleStill(EffectParams*) {}

void moveTitleLeftScroll(EffectParams* params, int32_t inAngle, int32_t inMs, int32_t outAngle, int32_t outMs) {
    params->state.title.titleCenter.x = params->width / 2;
    moveTitleBox(params, inAngle, inMs, outAngle, outMs);
}

void moveTitleUpScroll(EffectParams* params, int32_t inAngle, int32_t inMs, int32_t outAngle, int32_t outMs) {
    params->state.title.titleCenter.y = params->height / 2;
    moveTitleBox(params, inAngle, inMs, outAngle, outMs);
}
