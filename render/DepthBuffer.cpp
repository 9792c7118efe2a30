#include "render/DepthBuffer.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "render/FloatToInt.h"
#include "render/MeshGeometry.h"
#include "render/RandomGeometry.h"

namespace {

int16_t g_depthStorage[kDepthBufferEntries];
int16_t* g_depthOrigin = g_depthStorage + kDepthBufferLead;
// The array the origin lies in, for the bounds of clearDepthRect; null for a
// foreign array set by a test, whose extent is the caller's business.
int16_t* g_depthFirst = g_depthStorage;
int16_t* g_depthEnd = g_depthStorage + kDepthBufferEntries;

LightTables g_lightA;
LightTables g_lightB;

double dot(const MeshVertex& a, const MeshVertex& b) {
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

void lightGrid(LightTables& tables, const MeshGrid* grid, int32_t rows, int32_t cols, float lightX,
               float lightY, float lightZ, int32_t ambient, int32_t intensity, int32_t power) {
    if (rows < 2 || cols < 2 || static_cast<int64_t>(rows) * cols > kLightTableEntries) return;
    VertexLight light = makeVertexLight(lightX, lightY, lightZ, intensity, power);
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            MeshVertex n = gridVertexNormal(grid, rows, cols, r, c);
            int32_t i = r * cols + c;
            tables.diffuse[i] = ambient + diffuseTerm(light, n);
            tables.specular[i] = specularTerm(light, n);
        }
}

}  // namespace

int16_t* depthBuffer() { return g_depthOrigin; }

void setDepthBuffer(int16_t* origin) {
    g_depthOrigin = origin;
    bool own = origin == g_depthStorage + kDepthBufferLead;
    g_depthFirst = own ? g_depthStorage : nullptr;
    g_depthEnd = own ? g_depthStorage + kDepthBufferEntries : nullptr;
}

int32_t clearDepthRect(const Rect& rect, int32_t pitch) {
    if (!g_depthOrigin) return 0;
    // Entry offsets from the origin; with the static array they are cut to its
    // extent, whatever the RECT.
    const int64_t lowest = g_depthFirst ? g_depthFirst - g_depthOrigin : INT64_MIN;
    const int64_t highest = g_depthFirst ? g_depthEnd - g_depthOrigin : INT64_MAX;
    for (int64_t y = rect.top; y < rect.bottom; ++y) {
        const int64_t from = std::max(y * pitch + rect.left, lowest);
        const int64_t to = std::min(y * pitch + rect.right, highest);
        for (int64_t i = from; i < to; ++i) g_depthOrigin[i] = kDepthEmpty;
    }
    return 1;
}

LightTables& lightTablesA() { return g_lightA; }
LightTables& lightTablesB() { return g_lightB; }

MeshVertex gridVertexNormal(const MeshGrid* grid, int32_t rows, int32_t cols, int32_t r, int32_t c) {
    auto v = [&](int32_t rr, int32_t cc) -> const MeshVertex& { return grid[rr * cols + cc]; };
    auto normal = [&](const MeshVertex& a, const MeshVertex& b, const MeshVertex& d) {
        MeshVertex n{};
        planeNormal(&n, a, b, d);
        return n;
    };
    // T: the triangle right of and below (r, c); U: the one right of and above it.
    auto T = [&](int32_t rr, int32_t cc) { return normal(v(rr, cc), v(rr, cc + 1), v(rr + 1, cc)); };
    auto U = [&](int32_t rr, int32_t cc) { return normal(v(rr - 1, cc), v(rr - 1, cc + 1), v(rr, cc)); };
    const int32_t lastR = rows - 1, lastC = cols - 1;
    MeshVertex n{};
    bool top = r == 0, bottom = r == lastR, left = c == 0, right = c == lastC;
    if (top && left) return T(0, 0);
    if (top && right) return normal(v(0, cols - 2), v(0, lastC), v(1, cols - 2));
    if (bottom && left) return normal(v(rows - 2, 0), v(rows - 2, 1), v(lastR, 0));
    if (bottom && right) return normal(v(rows - 2, cols - 2), v(rows - 2, lastC), v(lastR, cols - 2));
    if (top) {
        midpoint(&n, T(0, c), T(0, c - 1));
    } else if (bottom) {
        midpoint(&n, normal(v(rows - 2, c), v(rows - 2, c + 1), v(lastR, c)),
                           normal(v(rows - 2, c - 1), v(rows - 2, c), v(lastR, c - 1)));
    } else if (left) {
        midpoint(&n, T(r, 0), T(r - 1, 0));
    } else if (right) {
        midpoint(&n, normal(v(r, cols - 2), v(r, lastC), v(r + 1, cols - 2)),
                           normal(v(r - 1, cols - 2), v(r - 1, lastC), v(r, cols - 2)));
    } else {
        centroid4(&n, U(r, c - 1), U(r, c), T(r, c), T(r, c - 1));
    }
    return n;
}

VertexLight makeVertexLight(float lightX, float lightY, float lightZ, int32_t intensity, int32_t power) {
    VertexLight l{};
    l.light = MeshVertex{lightX, lightY, lightZ, 0};
    normalizeVector(&l.half, MeshVertex{lightX, lightY, lightZ + 1.0f, 0});
    l.intensity = intensity;
    l.power = power;
    return l;
}

int32_t diffuseTerm(const VertexLight& l, const MeshVertex& n) {
    double d = dot(l.light, n) * 256.0;
    return d < 0.0 ? 0 : truncToInt(d);
}

int32_t specularTerm(const VertexLight& l, const MeshVertex& n) {
    double s = dot(l.half, n);
    if (!(s > 0.0)) return 0;
    for (int32_t i = 0; i < l.power && i < 64; ++i) s *= s;   // beyond 64 squarings nothing changes
    return truncToInt(l.intensity * s);
}

void lightMeshGrid(const MeshGrid* grid, int32_t rows, int32_t cols, float lightX, float lightY, float lightZ,
                   int32_t ambient, int32_t intensity, int32_t power) {
    lightGrid(g_lightA, grid, rows, cols, lightX, lightY, lightZ, ambient, intensity, power);
}

void lightMeshGridB(const MeshGrid* grid, int32_t rows, int32_t cols, float lightX, float lightY,
                    float lightZ, int32_t ambient, int32_t intensity, int32_t power) {
    lightGrid(g_lightB, grid, rows, cols, lightX, lightY, lightZ, ambient, intensity, power);
}
