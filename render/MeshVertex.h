// A point or vector of the float geometry and the 3D renderer: x, y, z and one
// 32-bit word that the geometry leaves alone (set to 0 by the averaging helpers).
#pragma once
#include <cstdint>

struct MeshVertex {
    float x;
    float y;
    float z;
    int32_t w;
};
