#include "render/RandomGeometry.h"

#include <cmath>

#include "render/CrtRandom.h"
#include "render/TrigTables.h"

// ---- random values -------------------------------------------------------

int32_t randRange(int32_t a, int32_t b) {
    int64_t width = static_cast<int64_t>(b) - a;
    int64_t draw = crtRand();
    if (width == 0) return a;   // the draw is still consumed, as for any other width
    return static_cast<int32_t>(a + draw % width);
}

int8_t randomSmallStep() {
    for (;;) {
        const int first = crtRand() * 4 / kCrtRandMax;    // 0..4, 4 only at the maximum
        const int second = crtRand() * 5 / kCrtRandMax;   // 0..5, 5 only at the maximum
        const uint8_t a = static_cast<uint8_t>(first + second);
        if (a != 3) return static_cast<int8_t>(a - 3);
    }
}

float randRangeFloat(float a, float b) {
    const float kStep = 3.0518509e-05f;   // single-precision 1 / 32767
    double draw = crtRand();
    return static_cast<float>(a + draw * (static_cast<double>(b) - a) * kStep);
}

double randRangeDouble(double a, double b) {
    double draw = crtRand();
    return a + draw * (b - a) * 3.051850947599719e-05;
}

int32_t randBell(int32_t a, int32_t b, int32_t n) {
    if (n <= 0) return a;
    int64_t sum = 0;
    for (int32_t i = 0; i < n; ++i) sum += crtRand();
    int64_t span = static_cast<int64_t>(b) - a;
    return static_cast<int32_t>(a + sum * span / (static_cast<int64_t>(n) * 32767));
}

// ---- float rotations -----------------------------------------------------
// Computed in double, each updated coordinate stored as float; a centre is
// added to the stored rotated value.

namespace {

inline void rotatePair(float* u, float* v, float angle) {
    double c = std::cos(static_cast<double>(angle)), s = std::sin(static_cast<double>(angle));
    double u0 = *u, v0 = *v;
    *u = static_cast<float>(u0 * c + v0 * s);
    *v = static_cast<float>(v0 * c - u0 * s);
}

inline float addCentre(double rotated, int32_t c) {
    float stored = static_cast<float>(rotated);
    return static_cast<float>(static_cast<double>(stored) + c);
}

}  // namespace

void rotateX(float* y, float* z, float angle) { rotatePair(y, z, angle); }
void rotateY(float* x, float* z, float angle) { rotatePair(z, x, angle); }
void rotateZ(float* x, float* y, float angle) { rotatePair(x, y, angle); }

void rotateAboutCentre1(float* p, float* q, float angle, int32_t c) {
    double cs = std::cos(static_cast<double>(angle)), sn = std::sin(static_cast<double>(angle));
    double pc = static_cast<double>(*p) - c, q0 = *q;
    *p = addCentre(pc * cs + q0 * sn, c);
    *q = static_cast<float>(q0 * cs - pc * sn);
}

void rotateAboutCentre1B(float* p, float* q, float angle, int32_t c) {
    double cs = std::cos(static_cast<double>(angle)), sn = std::sin(static_cast<double>(angle));
    double pc = static_cast<double>(*p) - c, q0 = *q;
    *q = static_cast<float>(pc * sn + q0 * cs);
    *p = addCentre(pc * cs - q0 * sn, c);
}

void rotateAboutPoint(float* p, float* q, float angle, int32_t cx, int32_t cy) {
    double cs = std::cos(static_cast<double>(angle)), sn = std::sin(static_cast<double>(angle));
    double pc = static_cast<double>(*p) - cx, qc = static_cast<double>(*q) - cy;
    *p = addCentre(pc * cs + qc * sn, cx);
    *q = addCentre(qc * cs - pc * sn, cy);
}

void rotateXYZ(float* x, float* y, float* z, float ax, float ay, float az) {
    rotateX(y, z, ax);
    rotateY(x, z, ay);
    rotateZ(x, y, az);
}

void rotateAboutAxis(MeshVertex* p, const MeshVertex& a, const MeshVertex& b, float angle) {
    p->x -= b.x;
    p->y -= b.y;
    p->z -= b.z;
    double ax = static_cast<double>(a.x) - b.x, ay = static_cast<double>(b.y) - a.y;
    float alpha = static_cast<float>(std::atan2(ax, ay));
    rotateZ(&p->x, &p->y, alpha);
    float beta = static_cast<float>(
        std::atan2(static_cast<double>(b.z) - a.z, std::sqrt(ax * ax + ay * ay)));
    rotateX(&p->y, &p->z, beta);
    rotateY(&p->x, &p->z, angle);
    rotateX(&p->y, &p->z, -beta);
    rotateZ(&p->x, &p->y, -alpha);
    p->x += b.x;
    p->y += b.y;
    p->z += b.z;
}

// ---- translation, projection, vectors ------------------------------------

void translatePoint(float* x, float* y, float* z, int32_t dx, int32_t dy, int32_t dz) {
    *x = static_cast<float>(static_cast<double>(*x) + dx);
    *y = static_cast<float>(static_cast<double>(*y) + dy);
    *z = static_cast<float>(static_cast<double>(*z) + dz);
}

namespace {
// d / (z + d), the divisor floored at 16 so points at or behind the eye never divide by 0.
inline double perspective(float z, int32_t d) {
    double depth = static_cast<double>(z) + d;
    if (!(depth > 16.0)) depth = 16.0;
    return d / depth;
}
}  // namespace

void projectPoint(float* x, float* y, float* z, int32_t d) {
    double f = perspective(*z, d);
    *x = static_cast<float>(*x * f);
    *y = static_cast<float>(*y * f);
}

void projectPointAbout(float* x, float* y, float* z, int32_t cx, int32_t cy, int32_t d) {
    double f = perspective(*z, d);
    *x = static_cast<float>(cx + (static_cast<double>(*x) - cx) * f);
    *y = static_cast<float>(cy + (static_cast<double>(*y) - cy) * f);
}

void transformPoint(float* x, float* y, float* z, float ax, float ay, float az, int32_t sx,
                    int32_t sy, int32_t dz, int32_t d) {
    rotateXYZ(x, y, z, ax, ay, az);
    *z = static_cast<float>(static_cast<double>(*z) + dz);
    projectPoint(x, y, z, d);
    *x = static_cast<float>(static_cast<double>(*x) + sx);
    *y = static_cast<float>(static_cast<double>(*y) + sy);
}

void crossProduct(MeshVertex* out, const MeshVertex& a, const MeshVertex& b) {
    double x = static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y;
    double y = static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z;
    double z = static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x;
    out->x = static_cast<float>(x);
    out->y = static_cast<float>(y);
    out->z = static_cast<float>(z);
}

void planeNormal(MeshVertex* out, const MeshVertex& p1, const MeshVertex& p2, const MeshVertex& p3) {
    MeshVertex u{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z, 0};
    MeshVertex v{p1.x - p3.x, p1.y - p3.y, p1.z - p3.z, 0};
    MeshVertex n{};
    crossProduct(&n, u, v);
    double len = std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                           static_cast<double>(n.z) * n.z);
    double s = len == 0.0 ? 32768.0 : 1.0 / len;
    out->x = static_cast<float>(n.x * s);
    out->y = static_cast<float>(n.y * s);
    out->z = static_cast<float>(n.z * s);
}

void midpoint(MeshVertex* out, const MeshVertex& a, const MeshVertex& b) {
    out->x = static_cast<float>((static_cast<double>(a.x) + b.x) * 0.5);
    out->y = static_cast<float>((static_cast<double>(a.y) + b.y) * 0.5);
    out->z = static_cast<float>((static_cast<double>(a.z) + b.z) * 0.5);
    out->w = 0;
}

void centroid4(MeshVertex* out, const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
               const MeshVertex& d) {
    out->x = static_cast<float>((static_cast<double>(a.x) + b.x + c.x + d.x) * 0.25);
    out->y = static_cast<float>((static_cast<double>(a.y) + b.y + c.y + d.y) * 0.25);
    out->z = static_cast<float>((static_cast<double>(a.z) + b.z + c.z + d.z) * 0.25);
    out->w = 0;
}

// ---- fixed-point twins ---------------------------------------------------
// Products are taken in 64 bits so coordinates beyond +-32,767 do not wrap.

namespace {

inline int64_t fixedSin(int32_t angle) { return SineTable[(angle & 0xFFFF) >> 3]; }
inline int64_t fixedCos(int32_t angle) { return CosineTable[(angle & 0xFFFF) >> 3]; }

// u' = (u cos + v sin) >> 15, v' = (v cos - u sin) >> 15.
inline void rotatePairFixed(int32_t* u, int32_t* v, int32_t angle) {
    int64_t c = fixedCos(angle), s = fixedSin(angle);
    int64_t u0 = *u, v0 = *v;
    *u = static_cast<int32_t>((u0 * c + v0 * s) >> 15);
    *v = static_cast<int32_t>((v0 * c - u0 * s) >> 15);
}

// d / max(z + d, 16) applied to one coordinate, truncating.
inline int32_t projectFixed(int64_t v, int64_t d, int64_t depth) {
    return static_cast<int32_t>(d * v / depth);
}

inline int64_t fixedDepth(int32_t z, int32_t d) {
    int64_t b = static_cast<int64_t>(z) + d;
    return b <= 16 ? 16 : b;
}

}  // namespace

void rotateXFixed(int32_t* p, int32_t* q, int32_t angle) { rotatePairFixed(p, q, angle); }

void rotateYFixed(int32_t* x, int32_t* y, int32_t angle) {
    int64_t c = fixedCos(angle), s = fixedSin(angle);
    int64_t x0 = *x, y0 = *y;
    *x = static_cast<int32_t>((x0 * c - y0 * s) >> 15);
    *y = static_cast<int32_t>((x0 * s + y0 * c) >> 15);
}

void rotateAboutCentre1Fixed(int32_t* p, int32_t* q, int32_t angle, int32_t c) {
    int64_t cs = fixedCos(angle), sn = fixedSin(angle);
    int64_t pc = static_cast<int64_t>(*p) - c, q0 = *q;
    *p = static_cast<int32_t>(((pc * cs + q0 * sn) >> 15) + c);
    *q = static_cast<int32_t>((q0 * cs - pc * sn) >> 15);
}

void rotateAboutCentre1BFixed(int32_t* p, int32_t* q, int32_t angle, int32_t c) {
    int64_t cs = fixedCos(angle), sn = fixedSin(angle);
    int64_t pc = static_cast<int64_t>(*p) - c, q0 = *q;
    *q = static_cast<int32_t>((pc * sn + q0 * cs) >> 15);
    *p = static_cast<int32_t>(((pc * cs - q0 * sn) >> 15) + c);
}

void rotateAboutPointFixed(int32_t* x, int32_t* y, int32_t angle, int32_t cx, int32_t cy) {
    int64_t cs = fixedCos(angle), sn = fixedSin(angle);
    int64_t px = static_cast<int64_t>(*x) - cx, py = static_cast<int64_t>(*y) - cy;
    *x = static_cast<int32_t>(((px * cs + py * sn) >> 15) + cx);
    *y = static_cast<int32_t>(((py * cs - px * sn) >> 15) + cy);
}

void rotateXYZFixed(int32_t* x, int32_t* y, int32_t* z, int32_t ax, int32_t ay, int32_t az) {
    rotatePairFixed(y, z, ax);
    rotatePairFixed(z, x, ay);
    rotatePairFixed(x, y, az);
}

void translatePointFixed(int32_t* x, int32_t* y, int32_t* z, int32_t dx, int32_t dy, int32_t dz) {
    *x += dx;
    *y += dy;
    *z += dz;
}

void projectPointFixed(int32_t* x, int32_t* y, int32_t* z, int32_t d) {
    int64_t b = fixedDepth(*z, d);
    *x = projectFixed(*x, d, b);
    *y = projectFixed(*y, d, b);
}

void projectPointAboutFixed(int32_t* x, int32_t* y, int32_t* z, int32_t cx, int32_t cy, int32_t d) {
    int64_t b = fixedDepth(*z, d);
    *x = static_cast<int32_t>(cx + projectFixed(static_cast<int64_t>(*x) - cx, d, b));
    *y = static_cast<int32_t>(cy + projectFixed(static_cast<int64_t>(*y) - cy, d, b));
}

void transformPointFixed(int32_t* x, int32_t* y, int32_t* z, int32_t ax, int32_t ay, int32_t az,
                         int32_t sx, int32_t sy, int32_t dz, int32_t d) {
    rotateXYZFixed(x, y, z, ax, ay, az);
    *z += dz;
    projectPointFixed(x, y, z, d);
    *x += sx;
    *y += sy;
}

int32_t dotProductFixed(const FixedPoint3& a, const FixedPoint3& b) {
    int64_t sum = static_cast<int64_t>(a.x) * b.x + static_cast<int64_t>(a.y) * b.y +
                  static_cast<int64_t>(a.z) * b.z;
    return static_cast<int32_t>(sum);
}
