#include "Transition/Transition_3DDoor.h"

#include <cmath>
#include <initializer_list>

#include "Transition/TransitionFrame.h"
#include "Transition/Transition_3DShared.h"
#include "render/Camera3D.h"
#include "render/Fills.h"
#include "render/FloatToInt.h"
#include "render/MeshRaster.h"
#include "render/RandomGeometry.h"

FaceLight litFace(const MeshVertex& n, const MeshVertex& lightDir, const MeshVertex& halfway) {
    const float diffuse = dotProduct(lightDir, n) * 256.0f;
    const float h = dotProduct(halfway, n);
    float power = h;
    for (int k = 0; k < 4; ++k) power *= power;
    return {256 + (diffuse >= 0.0f ? truncToInt(diffuse) : 0), h > 0.0f ? truncToInt(power * 512.0f) : 0};
}

FaceLight litQuad(const MeshVertex& tl, const MeshVertex& tr, const MeshVertex& bl, const MeshVertex& lightDir,
                  const MeshVertex& halfway) {
    MeshVertex n;
    planeNormal(&n, tl, tr, bl);
    return litFace(n, lightDir, halfway);
}

void lookFromFront() {
    selectMatrix(1);
    loadIdentity();
    selectMatrix(2);
    loadIdentity();
    lookAt(0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
}

namespace {

// Highlight direction of a light: normalise(L + (0, 0, 1)).
MeshVertex halfwayOf(const MeshVertex& l) {
    MeshVertex h{l.x, l.y, l.z + 1.0f, 0};
    normalizeVector(&h, h);
    return h;
}

// One face quad (corners top-left, top-right, bottom-left, bottom-right),
// texture points in 1/16 pixel of the face picture.
void drawFace(const TransitionFrame& f, const MeshVertex* c, const Pixel* face, const int32_t (*tex)[2],
              FaceLight fl) {
    renderMeshCell(f.canvas, &c[0], &c[1], &c[2], &c[3], face, tex[0], tex[1], tex[2], tex[3], f.rect, f.pitch,
                   f.pitch, fl.highlight, fl.highlight, fl.highlight, fl.highlight, fl.light, fl.light, fl.light,
                   fl.light, kCellModeFlatLit);
}

struct Hinged {
    TransitionFrame f;
    const Pixel* face;
    const Pixel* background;
    float m;
    float limit;   // the turn that puts the leaf edge-on to the eye
};

Hinged hingedOf(EffectParams* t, int32_t dir, int32_t swing) {
    Hinged h{frameOf(t), nullptr, nullptr, 0.0f, 0.0f};
    const MovingPicture mp = movingPicture(h.f, dir, t->progress);
    h.face = mp.mover;
    h.background = mp.background;
    h.m = mp.m;
    const float a = std::atan2(static_cast<float>(h.f.w + h.f.h), static_cast<float>(h.f.w / 2));
    h.limit = swing == 1 ? 3.1415927f - a : a;
    return h;
}

void turnAndProject(MeshVertex* v, float angle, int32_t centre, const TransitionFrame& f) {
    rotateAboutCentre1B(&v->x, &v->z, angle, centre);
    projectPointAbout(&v->x, &v->y, &v->z, f.w / 2, f.h / 2, f.w + f.h);
}

void projectFlat(MeshVertex* v, const TransitionFrame& f) {
    projectPointAbout(&v->x, &v->y, &v->z, f.w / 2, f.h / 2, f.w + f.h);
}

}  // namespace

void render3dOneDoor(EffectParams* t, int32_t dir, int32_t side, int32_t swing) {
    const Hinged h = hingedOf(t, dir, swing);
    const TransitionFrame& f = h.f;
    if (f.empty()) return;
    const float W = static_cast<float>(f.w), H = static_cast<float>(f.h);
    MeshVertex c[4] = {{0, 0, 0, 0}, {W, 0, 0, 0}, {0, H, 0, 0}, {W, H, 0, 0}};
    MeshVertex light{0.8f * static_cast<float>(swing), 0.6f, 0.1f, 0};
    if (side == 0) {
        light.x = -light.x;
        const float angle = static_cast<float>(swing) * h.limit * h.m;
        turnAndProject(&c[1], angle, 0, f);
        turnAndProject(&c[3], angle, 0, f);
        projectFlat(&c[0], f);
        projectFlat(&c[2], f);
    } else {
        const float angle = -static_cast<float>(swing) * h.limit * h.m;
        turnAndProject(&c[0], angle, f.w, f);
        turnAndProject(&c[2], angle, f.w, f);
        projectFlat(&c[1], f);
        projectFlat(&c[3], f);
    }
    const int32_t tex[4][2] = {{0, 0}, {16 * f.w, 0}, {0, 16 * f.h}, {16 * f.w, 16 * f.h}};
    f.copyWhole(h.background);
    drawFace(f, c, h.face, tex, litQuad(c[0], c[1], c[2], light, halfwayOf(light)));
}

void render3dTwoDoor(EffectParams* t, int32_t dir, int32_t swing) {
    const Hinged h = hingedOf(t, dir, swing);
    const TransitionFrame& f = h.f;
    if (f.empty()) return;
    const float W = static_cast<float>(f.w), H = static_cast<float>(f.h), half = static_cast<float>(f.w / 2);
    const MeshVertex light{-0.8f * static_cast<float>(swing), 0.6f, 0.1f, 0};
    const MeshVertex halfway = halfwayOf(light);
    const float angle = static_cast<float>(swing) * h.limit * h.m;

    MeshVertex left[4] = {{0, 0, 0, 0}, {half, 0, 0, 0}, {0, H, 0, 0}, {half, H, 0, 0}};
    turnAndProject(&left[1], angle, 0, f);
    turnAndProject(&left[3], angle, 0, f);
    projectFlat(&left[0], f);
    projectFlat(&left[2], f);
    MeshVertex right[4] = {{half, 0, 0, 0}, {W, 0, 0, 0}, {half, H, 0, 0}, {W, H, 0, 0}};
    turnAndProject(&right[0], -angle, f.w, f);
    turnAndProject(&right[2], -angle, f.w, f);
    projectFlat(&right[1], f);
    projectFlat(&right[3], f);

    const int32_t hx = 16 * (f.w / 2);
    const int32_t texLeft[4][2] = {{0, 0}, {hx, 0}, {0, 16 * f.h}, {hx, 16 * f.h}};
    const int32_t texRight[4][2] = {{hx, 0}, {16 * f.w, 0}, {hx, 16 * f.h}, {16 * f.w, 16 * f.h}};
    f.copyWhole(h.background);
    drawFace(f, left, h.face, texLeft, litQuad(left[0], left[1], left[2], light, halfway));
    drawFace(f, right, h.face, texRight, litQuad(right[0], right[1], right[2], light, halfway));
}

namespace {

MeshVertex asVertex(const FixedPoint3& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z), 0};
}

// Black behind the door; the outgoing face until it is edge-on, then the
// incoming one with the corners passed in the mirrored order.
void drawRotoDoor(const TransitionFrame& f, int32_t angle, const MeshVertex* c, const int* mirrored,
                  FaceLight fl) {
    fillRect(f.canvas, f.rect, f.pitch, 0);
    const int32_t tex[4][2] = {{0, 0}, {16 * f.w, 0}, {0, 16 * f.h}, {16 * f.w, 16 * f.h}};
    if ((angle & 0xFFFF) < 0x4000) {
        drawFace(f, c, f.outgoing, tex, fl);
    } else {
        const MeshVertex m[4] = {c[mirrored[0]], c[mirrored[1]], c[mirrored[2]], c[mirrored[3]]};
        drawFace(f, m, f.incoming, tex, fl);
    }
}

}  // namespace

void render3dYRotoDoor(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t angle = truncToInt(t->progress * 32768.0f);
    // Top-left, top-right, bottom-left, bottom-right.
    FixedPoint3 p[4] = {{0, 0, 0}, {f.w, 0, 0}, {0, f.h, 0}, {f.w, f.h, 0}};
    MeshVertex c[4];
    for (int i = 0; i < 4; ++i) {
        rotateAboutCentre1BFixed(&p[i].x, &p[i].z, -angle, f.w / 2);
        projectPointAboutFixed(&p[i].x, &p[i].y, &p[i].z, f.w / 2, f.h / 2, f.w + f.h);
        c[i] = asVertex(p[i]);
    }
    const MeshVertex light{0.8f, 0.5f, 0.1f, 0}, halfway{0.5520524f, 0.3450328f, 0.7590721f, 0};
    static constexpr int kMirrored[4] = {1, 0, 3, 2};
    drawRotoDoor(f, angle, c, kMirrored, litQuad(c[0], c[1], c[2], light, halfway));
}

void render3dXRotoDoor(EffectParams* t) {
    const TransitionFrame f = frameOf(t);
    if (f.empty()) return;
    const int32_t angle = truncToInt(t->progress * 32768.0f);
    FixedPoint3 top{0, 0, 0}, bottom{0, f.h, 0};
    for (FixedPoint3* p : {&top, &bottom}) {
        rotateAboutCentre1Fixed(&p->y, &p->z, angle, f.h / 2);
        projectPointAboutFixed(&p->x, &p->y, &p->z, f.w / 2, f.h / 2, f.w + f.h);
    }
    const MeshVertex c[4] = {asVertex(top), asVertex({f.w - top.x, top.y, top.z}), asVertex(bottom),
                             asVertex({f.w - bottom.x, bottom.y, bottom.z})};
    // The normal takes the top-right corner at depth 0.
    const MeshVertex topRightFlat = asVertex({f.w - top.x, top.y, 0});
    const MeshVertex light{0.8f, 1.0f, 0.0f, 0}, halfway{0.4923660f, 0.6154575f, 0.6154575f, 0};
    static constexpr int kMirrored[4] = {2, 3, 0, 1};
    drawRotoDoor(f, angle, c, kMirrored, litQuad(c[0], topRightFlat, c[2], light, halfway));
}
