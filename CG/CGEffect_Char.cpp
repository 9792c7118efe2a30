// The title comes in and goes out one character after the other, each from its
// own box of the title image, centred on its pen position.
#include <algorithm>

#include "CG/CGDraw.h"
#include "CG/CGEffects.h"
#include "render/Blits.h"

namespace {

// The phase of the character with delay index k, or a plain title.
struct CharTiming {
    bool plain;      // between intro and outro: the whole image
    double s, step, life;
    double phase(int32_t k) const { return (s - step * k) / life; }
};

CharTiming charTiming(const EffectParams* params, int32_t n, int32_t introMax, float introSpread, int32_t outroMax,
                      float outroSpread) {
    const double t = titleElapsed(params);
    const int32_t duration = params->duration;
    const int32_t intro = std::min(duration / 2, introMax), outro = std::min(duration / 2, outroMax);
    CharTiming c{};
    if (t >= intro && t <= duration - outro) {
        c.plain = true;
        return c;
    }
    if (t < intro) {
        const double spread = introSpread * intro;
        c.step = spread / n;
        c.life = intro - spread;
        c.s = t;
    } else {
        const double spread = outroSpread * outro;
        c.step = spread / n;
        c.life = spread - outro;
        c.s = spread + (t - duration);
    }
    return c;
}

// Walks the character boxes with the pen and calls draw(index, box, centre x, centre y).
template <class Draw>
void walkCharacters(const TitleView& v, const TitleCharLayout& layout, Draw draw) {
    const Rect* rects = layout.rects;
    int32_t penX = v.L + rects[0].left, penY = v.T + rects[0].top;
    bool toggle = false;
    for (int32_t i = 0; i < layout.count; ++i) {
        // Boxes come from measuring; the image was drawn apart from them, so hold them inside it.
        Rect r = rects[i];
        r.left = std::clamp(r.left, 0, v.iw);
        r.right = std::clamp(r.right, r.left, v.iw);
        r.top = std::clamp(r.top, 0, v.ih);
        r.bottom = std::clamp(r.bottom, r.top, v.ih);
        if (rects[i].left == rects[i].right) {
            penX = v.L + rects[i].left;
            if (!toggle) penY += (rects[i].bottom - rects[i].top) / 2;
            toggle = !toggle;
            continue;
        }
        const int32_t w = rects[i].right - rects[i].left, h = rects[i].bottom - rects[i].top;
        draw(i, r, penX + w / 2, penY + h / 2);
        penX += w;
    }
}

bool charLayout(const EffectParams* params, const TitleCharLayout** layout) {
    *layout = params->state.title.titleCharRects;
    return *layout && (*layout)->rects && (*layout)->count >= 1;
}

}  // namespace

void drawTitleStretchEachDown(EffectParams* params, int32_t introMax, float introSpread, int32_t outroMax,
                              float outroSpread, float turn) {
    TitleView v;
    if (!titleView(params, &v)) return;
    const TitleCharLayout* layout = nullptr;
    const bool haveChars = charLayout(params, &layout);
    const CharTiming timing = charTiming(params, haveChars ? layout->count : 1, introMax, introSpread, outroMax,
                                         outroSpread);
    if (timing.plain) {
        blitKeyedCentered(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
        return;
    }
    if (!haveChars) return;
    walkCharacters(v, *layout, [&](int32_t k, const Rect& r, int32_t x, int32_t y) {
        const double E = timing.phase(k);
        if (E >= 1) {
            blitKeyedCentered(v.dst, v.image, x, y, r, v.pitch, v.iw, v.W, v.H);
            return;
        }
        const float F = E < 0 ? 0.0f : static_cast<float>(E);
        rotateTitleImageAlpha(v.dst, v.image, x, y, r, v.pitch, v.iw, v.W, v.H, (F - 1) * turn, F, 1.0f);
    });
}

void drawTitleStretchEachUp(EffectParams* params, int32_t introMax, float introSpread, int32_t outroMax,
                            float outroSpread, float startSize, float turn) {
    TitleView v;
    if (!titleView(params, &v)) return;
    const TitleCharLayout* layout = nullptr;
    const bool haveChars = charLayout(params, &layout);
    const CharTiming timing = charTiming(params, haveChars ? layout->count : 1, introMax, introSpread, outroMax,
                                         outroSpread);
    if (timing.plain) {
        blitKeyedCentered(v.dst, v.image, v.cx, v.cy, v.imageRect(), v.pitch, v.iw, v.W, v.H);
        return;
    }
    if (!haveChars) return;
    int32_t k = 0;   // line breaks do not delay the characters after them
    walkCharacters(v, *layout, [&](int32_t, const Rect& r, int32_t x, int32_t y) {
        const float h = static_cast<float>(std::clamp(timing.phase(k++), 0.0, 1.0));
        const float K = startSize - h * (startSize - 1);
        if (K == startSize) return;
        if (K == 1.0f) {
            blitKeyedCentered(v.dst, v.image, x, y, r, v.pitch, v.iw, v.W, v.H);
            return;
        }
        rotateTitleImageAlpha(v.dst, v.image, x, y, r, v.pitch, v.iw, v.W, v.H, turn * (K - 1), K, 1.0f / K);
    });
}
