#include "CG/CGDraw.h"

#include "render/Blits.h"

void drawTitleNone(EffectParams* params) {
    const TitleFields& t = params->state.title;
    if (!t.titlePixels || !params->destination) return;
    const int32_t W = static_cast<int32_t>(static_cast<uint32_t>(t.titleSize) >> 16), H = t.titleSize & 0xFFFF;
    blitKeyedCentered(params->destination, t.titlePixels, t.titleCenter.x, t.titleCenter.y, Rect{0, 0, W, H},
                      params->pitch, W, params->width, params->height);
}
