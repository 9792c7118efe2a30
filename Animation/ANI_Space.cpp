#include "Animation/ANI_Space.h"

#include "Animation/AnimationShared.h"
#include "Animation/ParticleList.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/PixelBuffer.h"

namespace {

constexpr const char* kUnit = animationUnitPath(AnimationUnit::Space);
constexpr int32_t kAcceleration = 128;   // speed x (2048 + 128) / 2048 a frame
constexpr int32_t kStarHalf = kSpaceStarSize / 2;

// Every routine of the unit carries its own guard, down to one star.
template <class F>
void guarded(int line, F&& body) {
    runGuardedEntry(kUnit, line, body);
}

struct SpaceBounds {
    int32_t w = 0, h = 0;
};
SpaceBounds g_bounds;   // of the frame being updated

int32_t accelerate(int32_t v) { return static_cast<int32_t>(static_cast<int64_t>(2048 + kAcceleration) * v / 2048); }

void updateStar(EffectParams*, ParticleNode* star) {
    guarded(__LINE__, [star] {
        const int32_t g = star->age;
        star->age = g + 1;
        if (g > 128) {
            unlinkAndFreeParticle(SpaceParticles, star);
            return;
        }
        star->velocityX = accelerate(star->velocityX);
        star->velocityY = accelerate(star->velocityY);
        star->x += star->velocityX >> 4;
        star->y += star->velocityY >> 4;
        if (star->x < 0 || star->x > g_bounds.w * 64 || star->y < 0 || star->y > g_bounds.h * 64)
            unlinkAndFreeParticle(SpaceParticles, star);
    });
}

void spawnStars(EffectParams* p) {
    guarded(__LINE__, [p] {
        const int32_t count = truncToInt(static_cast<float>(p->beat + 1) * p->level * 0.125f);
        for (int32_t n = 0; n < count; ++n) {
            const int32_t a = crtRand(), b = crtRand();
            const int32_t dx = (a + b - 32768) >> 4;
            const int32_t c = crtRand(), d = crtRand();
            const int32_t dy = (c + d - 32768) >> 4;
            ParticleNode* star = newParticle();
            if (!star) continue;
            star->x = g_bounds.w * 32 + dx;
            star->y = g_bounds.h * 32 + dy;
            star->velocityX = dx;
            star->velocityY = dy;
            star->update = updateStar;
            appendParticle(SpaceParticles, star);
        }
    });
}

void drawStar(EffectParams* p, const ParticleNode& star) {
    guarded(__LINE__, [p, &star] {
        const Rect& r = p->rect;
        const int32_t cx = r.left + star.x / 64, cy = r.top + star.y / 64;
        if (cx < r.left + kStarHalf || cx >= r.right - kStarHalf || cy < r.top + kStarHalf || cy >= r.bottom - kStarHalf)
            return;
        addRect(p->destination, SpaceStarSprite, cx - kStarHalf, cy - kStarHalf, Rect{0, 0, kSpaceStarSize, kSpaceStarSize},
                p->pitch, kSpaceStarSize);
    });
}

}  // namespace

void runSpace(EffectParams* p) {
    guarded(__LINE__, [p] {
        if (p->firstFrame) freeParticleList(SpaceParticles);
        g_bounds = {p->rect.right - p->rect.left, p->rect.bottom - p->rect.top};
        updateAnimationLevel(p, 0.9f, 1.0f);
        guarded(__LINE__, [p] { updateParticles(SpaceParticles, p); });
        spawnStars(p);
        guarded(__LINE__, [p] {
            for (const ParticleNode* n = SpaceParticles.head; n; n = n->next) drawStar(p, *n);
        });
    });
}

void Space(EffectParams* p) {
    runGuardedEntry(kUnit, __LINE__, [p] { runSpace(p); });
}
