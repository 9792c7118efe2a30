#include "render/Cloth.h"

#include <algorithm>
#include <cmath>

#include "render/RandomGeometry.h"

namespace {

constexpr float kGravity = 32.174f;
constexpr float kDrag = 0.01f;
constexpr float kTiny = 0.0001f;

// v / |v| with the cloth's conventions: a length of at most 0.0001 divides by
// 1, and components below 0.0001 in magnitude become 0.
void unitOf(const float* v, float* out) {
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length <= kTiny) length = 1.0f;
    for (int i = 0; i < 3; ++i) {
        out[i] = v[i] / length;
        if (std::fabs(out[i]) < kTiny) out[i] = 0.0f;
    }
}

float massWeight(int32_t r, int32_t c) {
    if (r == 0) return c == 0 ? 1.0f : c == kClothCols - 1 ? 2.0f : 3.0f;
    if (r == kClothRows - 1) return c == 0 ? 2.0f : c == kClothCols - 1 ? 1.0f : 3.0f;
    return 6.0f;
}

}  // namespace

float* setVec3(float* v, float x, float y, float z) {
    v[0] = x;
    v[1] = y;
    v[2] = z;
    return v;
}

float* addVec3(float* v, float x, float y, float z) {
    v[0] += x;
    v[1] += y;
    v[2] += z;
    return v;
}

void initClothMesh(Cloth& cloth) {
    for (int32_t r = 0; r < kClothRows; ++r)
        for (int32_t c = 0; c < kClothCols; ++c) {
            ClothNode& n = cloth.nodes[r * kClothCols + c];
            n = ClothNode{};
            n.mass = massWeight(r, c) * 0.71428573f * 0.33333334f;
            n.inverseMass = 1.0f / n.mass;
            setVec3(n.position, 10.0f * c - 50.0f, 37.0f - 10.714286f * r, 0.0f);
            n.pinned = (c == 0 && (r == 0 || r == kClothRows - 1)) ? 1 : 0;
        }
    updateClothVertices(cloth);
    int32_t t = 0;
    auto tri = [&](int32_t a, int32_t b, int32_t c) {
        cloth.triangles[t][0] = a;
        cloth.triangles[t][1] = b;
        cloth.triangles[t][2] = c;
        ++t;
    };
    for (int32_t r = 0; r < kClothRows - 1; ++r) {
        const int32_t b = kClothCols * r;
        tri(b, b + 1, b + 11);
        for (int32_t c = 1; c <= 9; ++c) {
            tri(b + c, b + c + 11, b + c + 10);
            tri(b + c, b + c + 1, b + c + 11);
        }
        tri(b + 10, b + 21, b + 20);
    }
    for (int32_t o = 109; o <= 175; o += 11) {
        tri(o - 10, o - 20, o - 21);
        for (int32_t c = 1; c <= 9; ++c) {
            tri(o + c - 11, o + c - 10, o + c - 21);
            tri(o + c - 10, o + c - 20, o + c - 21);
        }
        tri(o - 1, o, o - 11);
    }
    int32_t s = 0;
    auto spring = [&](int32_t r1, int32_t c1, int32_t r2, int32_t c2, float stiffness) {
        const float* p = cloth.nodes[r1 * kClothCols + c1].position;
        const float* q = cloth.nodes[r2 * kClothCols + c2].position;
        const float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
        cloth.springs[s++] = ClothSpring{r1, c1, r2, c2, stiffness, 2.0f, std::sqrt(dx * dx + dy * dy + dz * dz)};
    };
    for (int32_t r = 0; r < kClothRows; ++r)
        for (int32_t c = 0; c < kClothCols; ++c) {
            if (c < kClothCols - 1) spring(r, c, r, c + 1, 500.0f);
            if (r < kClothRows - 1) {
                spring(r, c, r + 1, c, 500.0f);
                if (c < kClothCols - 1) spring(r, c, r + 1, c + 1, 600.0f);
                if (c > 0) spring(r, c, r + 1, c - 1, 600.0f);
            }
        }
    clearClothContacts(cloth);
}

void setClothWindStrength(Cloth& cloth, float strength) { cloth.windStrength = strength; }

void setClothWindDirection(Cloth& cloth, float x, float y, float z) { setVec3(cloth.windDirection, x, y, z); }

void computeClothForces(Cloth& cloth) {
    for (ClothNode& n : cloth.nodes) setVec3(n.force, 0, 0, 0);
    for (ClothNode& n : cloth.nodes) {
        if (n.pinned) continue;
        addVec3(n.force, 0.0f, -kGravity * n.mass, 0.0f);
        const float* v = n.velocity;
        const float speed = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        const float back[3] = {-v[0], -v[1], -v[2]};
        float u[3];
        unitOf(back, u);
        const float drag = kDrag * speed * speed;
        addVec3(n.force, drag * u[0], drag * u[1], drag * u[2]);
        const float wx = static_cast<float>(randRange(0, 11));
        const float wz = static_cast<float>(randRange(0, 2));
        setClothWindDirection(cloth, wx, 0.0f, wz);
        float dir[3];
        unitOf(cloth.windDirection, dir);
        setVec3(cloth.windDirection, dir[0], dir[1], dir[2]);
        const float g = static_cast<float>(randRange(0, static_cast<int32_t>(cloth.windStrength + 1)));
        addVec3(n.force, g * dir[0], g * dir[1], g * dir[2]);
    }
    for (const ClothSpring& s : cloth.springs) {
        ClothNode& a = cloth.nodes[s.row1 * kClothCols + s.col1];
        ClothNode& b = cloth.nodes[s.row2 * kClothCols + s.col2];
        float d[3], w[3];
        for (int i = 0; i < 3; ++i) {
            d[i] = a.position[i] - b.position[i];
            w[i] = a.velocity[i] - b.velocity[i];
        }
        const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (!(length > 1e-6f)) continue;   // two nodes in one place pull in no direction
        const float f = -(s.stiffness * (length - s.restLength) +
                          s.damping * (w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / length);
        const float fx = f * d[0] / length, fy = f * d[1] / length, fz = f * d[2] / length;
        if (!a.pinned) addVec3(a.force, fx, fy, fz);
        if (!b.pinned) addVec3(b.force, -fx, -fy, -fz);
    }
}

const float (*stepCloth(Cloth& cloth, float dt))[3] {
    computeClothForces(cloth);
    for (ClothNode& n : cloth.nodes)
        for (int i = 0; i < 3; ++i) {
            n.acceleration[i] = n.force[i] * n.inverseMass;
            n.velocity[i] += n.acceleration[i] * dt;
            n.position[i] += n.velocity[i] * dt;
        }
    clearClothContacts(cloth);
    return updateClothVertices(cloth);
}

const float (*updateClothVertices(Cloth& cloth))[3] {
    for (int32_t i = 0; i < kClothNodes; ++i)
        for (int k = 0; k < 3; ++k)
            cloth.vertices[i][k] = cloth.vertices[i + kClothNodes][k] = cloth.nodes[i].position[k];
    return cloth.vertices;
}

int32_t clearClothContacts(Cloth& cloth) {
    for (ClothContact& c : cloth.contacts) c = ClothContact{-1, -1, {0, 0, 0}};
    return 0;
}

bool clothIsFinite(const Cloth& cloth) {
    for (const ClothNode& n : cloth.nodes)
        for (float p : n.position)
            if (!std::isfinite(p)) return false;
    return true;
}

namespace {

MeshVertex between(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c, const MeshVertex& d) {
    return {0.62f * (b.x + c.x) - 0.12f * (a.x + d.x), 0.62f * (b.y + c.y) - 0.12f * (a.y + d.y),
            0.62f * (b.z + c.z) - 0.12f * (a.z + d.z), 0};
}

}  // namespace

void buildClothFlagGrid(const float (*nodes)[3], float xScale, float yScale, MeshGrid* grid) {
    auto at = [grid](int32_t r, int32_t c) -> MeshVertex& { return grid[r * kFlagCols + c]; };
    for (int32_t i = 0; i < kClothRows; ++i) {
        for (int32_t j = 0; j < kClothCols; ++j) {
            const float* n = nodes[i * kClothCols + j];
            at(2 * i, 2 * j) = {n[0] * xScale, n[1] * yScale, n[2], 0};
        }
        for (int32_t j = 0; j + 1 < kClothCols; ++j)
            at(2 * i, 2 * j + 1) = between(at(2 * i, 2 * std::max(j - 1, 0)), at(2 * i, 2 * j), at(2 * i, 2 * j + 2),
                                           at(2 * i, 2 * std::min(j + 2, kClothCols - 1)));
    }
    for (int32_t r = 1; r < kFlagRows; r += 2)
        for (int32_t c = 0; c < kFlagCols; ++c)
            at(r, c) = between(at(std::max(r - 3, 0), c), at(r - 1, c), at(r + 1, c), at(std::min(r + 3, kFlagRows - 1), c));
}
