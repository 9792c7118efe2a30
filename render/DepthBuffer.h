// Shared state of the mesh rasterisers: the depth buffer and the per-vertex
// light tables.
//
// DepthBuffer: one 16-bit depth per pixel of a scratch-sized frame, addressed
// like a frame pixel (origin + y * pitch + x, margin included). 0x7FFF is
// empty; a depth-tested pixel is drawn when its depth is below the entry
// (signed compare) and then stored. Each effect clears its own rectangle every
// frame; nothing clears the whole buffer.
//
// LightTables: one diffuse (256 = full) and one specular value per vertex of
// the grid being drawn, indexed like the grid; pair A serves renderMeshGrid,
// renderTitleMesh and renderMeshTriangles, pair B renderMeshGridB.
//
// UI thread only, no locks.
#pragma once
#include <cstdint>

#include "render/Camera3D.h"
#include "render/PixelTypes.h"

constexpr int32_t kDepthBufferEntries = 675584;   // the pixels of one scratch buffer
constexpr int32_t kDepthBufferLead = 59456;       // entries before the origin
constexpr int16_t kDepthEmpty = 0x7FFF;

// The origin (entry of frame pixel (0, 0)); null when there is no buffer, in
// which case every depth user draws nothing.
int16_t* depthBuffer();
// Points the renderer at another depth array (or none); for tests.
void setDepthBuffer(int16_t* origin);
// Depth entry at a frame pixel; the caller checked depthBuffer() is not null.
inline int16_t* depthAt(int16_t* origin, int32_t pitch, int32_t x, int32_t y) {
    return origin + static_cast<intptr_t>(y) * pitch + x;
}

// Fills exactly the RECT (right and bottom exclusive) with 0x7FFF, rows
// `pitch` entries apart. 0 when there is no depth buffer, else 1.
int32_t clearDepthRect(const Rect& rect, int32_t pitch);

constexpr int32_t kLightTableEntries = 65 * 65;

struct LightTables {
    int32_t diffuse[kLightTableEntries];
    int32_t specular[kLightTableEntries];
};
LightTables& lightTablesA();
LightTables& lightTablesB();

// Normal of vertex (r, c) of a projected grid, from the triangles around it
// (corners one triangle, edges the mean of two, inside the mean of four; the
// means are not renormalised). rows and cols at least 2.
MeshVertex gridVertexNormal(const MeshGrid* grid, int32_t rows, int32_t cols, int32_t r, int32_t c);

// Fills pair A for a grid projected by transformGrid. lightDir is not
// normalised: its length scales the diffuse term. Grids with fewer than two
// rows or columns, or more vertices than the tables hold, are left alone.
void lightMeshGrid(const MeshGrid* grid, int32_t rows, int32_t cols, float lightX, float lightY, float lightZ,
                   int32_t ambient, int32_t intensity, int32_t power);
void lightMeshGridB(const MeshGrid* grid, int32_t rows, int32_t cols, float lightX, float lightY,
                    float lightZ, int32_t ambient, int32_t intensity, int32_t power);

// Per-vertex light terms shared with the lit colour meshes.
struct VertexLight {
    MeshVertex light;   // the light direction as given
    MeshVertex half;    // normalise(light + (0, 0, 1))
    int32_t intensity;
    int32_t power;
};
VertexLight makeVertexLight(float lightX, float lightY, float lightZ, int32_t intensity, int32_t power);
// truncate(max(0, 256 (L . N)))
int32_t diffuseTerm(const VertexLight& l, const MeshVertex& n);
// truncate(intensity (H . N)^(2^power)) when H . N > 0, else 0
int32_t specularTerm(const VertexLight& l, const MeshVertex& n);
