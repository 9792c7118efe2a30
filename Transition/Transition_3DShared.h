// What the 3D transition workers share: which picture moves over which, the
// flat light of one face, and the camera's per-frame model view.
#pragma once
#include <cstdint>

#include "Transition/TransitionFrame.h"
#include "render/MeshVertex.h"

// Dir 1 moves the outgoing picture over the incoming one with m = progress;
// dir 0 moves the incoming one over the outgoing one with m = 1 - progress.
// So m = 0 is the moving picture at home and m = 1 its far end.
struct MovingPicture {
    const Pixel* background;
    const Pixel* mover;
    float m;
};

inline MovingPicture movingPicture(const TransitionFrame& f, int32_t dir, float progress) {
    const bool out = dir == 1;
    return {out ? f.incoming : f.outgoing, out ? f.outgoing : f.incoming, out ? progress : 1.0f - progress};
}

// Flat light of one face from its normal: 256 plus the diffuse part, and a
// highlight (Hn . N)^16 x 512; a face turned from the light keeps 256 and no highlight.
struct FaceLight {
    int32_t light;
    int32_t highlight;
};
FaceLight litFace(const MeshVertex& normal, const MeshVertex& lightDir, const MeshVertex& halfway);
// The normal of (tl, tr, bl) and the light of litFace.
FaceLight litQuad(const MeshVertex& tl, const MeshVertex& tr, const MeshVertex& bl, const MeshVertex& lightDir,
                  const MeshVertex& halfway);

// Identity projection and model view, the eye at (0, 0, 1) looking at the origin, y up.
void lookFromFront();
