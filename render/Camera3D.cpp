#include "render/Camera3D.h"

#include <cmath>

#include "render/FloatToInt.h"

namespace {

CameraState g_camera;   // zero at start, like the rest of the renderer's static state

Matrix4& selectedMatrix() {
    return g_camera.selected == 1 ? g_camera.ProjectionMatrix : g_camera.ModelViewMatrix;
}

// selected := op x selected
void applyToSelected(const Matrix4& op) {
    Matrix4& m = selectedMatrix();
    multiplyMatrix(&m, op, m);
}

}  // namespace

CameraState& cameraState() { return g_camera; }

// ---- vectors and matrices ---------------------------------------------------

float dotProduct(const MeshVertex& a, const MeshVertex& b) {
    return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                              static_cast<double>(a.z) * b.z);
}

MeshVertex* crossProductW(MeshVertex* out, const MeshVertex& a, const MeshVertex& b) {
    float x = static_cast<float>(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y);
    float y = static_cast<float>(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z);
    float z = static_cast<float>(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x);
    out->x = x;
    out->y = y;
    out->z = z;
    return out;
}

float vectorLength(const MeshVertex& a) {
    return static_cast<float>(std::sqrt(static_cast<double>(a.x) * a.x + static_cast<double>(a.y) * a.y +
                                        static_cast<double>(a.z) * a.z));
}

MeshVertex* normalizeVector(MeshVertex* out, const MeshVertex& a) {
    double len = std::sqrt(static_cast<double>(a.x) * a.x + static_cast<double>(a.y) * a.y +
                           static_cast<double>(a.z) * a.z);
    double s = len == 0.0 ? 32768.0 : 1.0 / len;
    out->x = static_cast<float>(a.x * s);
    out->y = static_cast<float>(a.y * s);
    out->z = static_cast<float>(a.z * s);
    return out;
}

MeshVertex* scaleVectorDiv(MeshVertex* out, const MeshVertex& a, float s) {
    out->x = a.x / s;
    out->y = a.y / s;
    out->z = a.z / s;
    return out;
}

MeshVertex* subtractVector(MeshVertex* out, const MeshVertex& a, const MeshVertex& b) {
    out->x = a.x - b.x;
    out->y = a.y - b.y;
    out->z = a.z - b.z;
    return out;
}

MeshVertex* clearVector(MeshVertex* a) {
    a->x = a->y = a->z = 0.0f;
    return a;
}

Matrix4* identityMatrix(Matrix4* m) {
    for (int i = 0; i < 16; ++i) m->e[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    return m;
}

Matrix4* buildRotationMatrix(Matrix4* m, const MeshVertex& axis, float angleRadians) {
    double c = std::cos(static_cast<double>(angleRadians));
    double s = std::sin(static_cast<double>(angleRadians));
    double k = 1.0 - c;
    MeshVertex n{};
    normalizeVector(&n, axis);
    double x = n.x, y = n.y, z = n.z;
    const double rows[3][3] = {
        {x * x * k + c, x * y * k + z * s, x * z * k - y * s},
        {x * y * k - z * s, y * y * k + c, y * z * k + x * s},
        {x * z * k + y * s, y * z * k - x * s, z * z * k + c},
    };
    identityMatrix(m);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m->at(i, j) = static_cast<float>(rows[i][j]);
    return m;
}

Matrix4* multiplyMatrix(Matrix4* dst, const Matrix4& a, const Matrix4& b) {
    Matrix4 r{};   // from zero, copied at the end: dst may alias either operand
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(a.at(i, k)) * b.at(k, j);
            r.at(i, j) = static_cast<float>(sum);
        }
    *dst = r;
    return dst;
}

// ---- camera -----------------------------------------------------------------

void resetTransforms() {
    identityMatrix(&g_camera.ProjectionMatrix);
    identityMatrix(&g_camera.ModelViewMatrix);
    g_camera.selected = 1;
}

void selectMatrix(int32_t which) { g_camera.selected = which; }

void loadIdentity() { identityMatrix(&selectedMatrix()); }

void rotate(float angleDegrees, float ax, float ay, float az) {
    if (angleDegrees == 0.0f) return;
    g_camera.rotationAxis.x = ax;
    g_camera.rotationAxis.y = ay;
    g_camera.rotationAxis.z = az;
    const float kDegreesToRadians = 0.01745329f;
    buildRotationMatrix(&g_camera.scratch, g_camera.rotationAxis, angleDegrees * kDegreesToRadians);
    applyToSelected(g_camera.scratch);
}

void translate(float tx, float ty, float tz) {
    identityMatrix(&g_camera.scratch);
    g_camera.scratch.at(0, 3) = tx;
    g_camera.scratch.at(1, 3) = ty;
    g_camera.scratch.at(2, 3) = tz;
    applyToSelected(g_camera.scratch);
}

void lookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
            float upY, float upZ) {
    const float kTiny = 1e-6f;
    // The camera looks down -z in model space; its camera-space z grows away from the eye.
    MeshVertex eye{eyeX, eyeY, -eyeZ, 0};
    MeshVertex target{targetX, targetY, -targetZ, 0};
    MeshVertex up{upX, upY, -upZ, 0};

    MeshVertex f{};
    subtractVector(&f, target, eye);
    float len = vectorLength(f);
    if (len <= kTiny) return;
    scaleVectorDiv(&f, f, len);

    auto orthogonalTo = [&](const MeshVertex& v) {
        float d = dotProduct(v, f);
        return MeshVertex{v.x - d * f.x, v.y - d * f.y, v.z - d * f.z, 0};
    };
    MeshVertex u = orthogonalTo(up);
    if (vectorLength(u) < kTiny) {
        u = orthogonalTo(MeshVertex{0.0f, 1.0f, 0.0f, 0});
        if (vectorLength(u) < kTiny) u = orthogonalTo(MeshVertex{0.0f, 0.0f, 1.0f, 0});
    }
    scaleVectorDiv(&u, u, vectorLength(u));

    MeshVertex s{};
    crossProductW(&s, u, f);

    Matrix4 l{};
    identityMatrix(&l);
    const MeshVertex* axes[3] = {&s, &u, &f};
    for (int i = 0; i < 3; ++i) {
        l.at(i, 0) = axes[i]->x;
        l.at(i, 1) = axes[i]->y;
        l.at(i, 2) = axes[i]->z;
        l.at(i, 3) = -dotProduct(*axes[i], eye);
    }
    multiplyMatrix(&g_camera.ModelViewMatrix, l, g_camera.ModelViewMatrix);
}

void setViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    g_camera.viewportLeft = left;
    g_camera.viewportTop = top;
    g_camera.viewportRight = right;
    g_camera.viewportBottom = bottom;
}

void setProjection(float fovDegrees, int32_t, float nearDepth, float farDepth) {
    const float kHalfDegreeToRadians = 0.0087266f;   // pi / 360: the tangent of half the field of view
    double t = std::tan(static_cast<double>(fovDegrees) * static_cast<double>(kHalfDegreeToRadians));
    if (t == 0.0) {
        g_camera.distance = 0x8000;
    } else {
        int32_t h = (g_camera.viewportBottom - g_camera.viewportTop) / 2;
        g_camera.distance = truncToInt(h / t);
    }
    g_camera.nearNeg = truncToInt(-static_cast<double>(nearDepth));
    g_camera.farNeg = truncToInt(-static_cast<double>(farDepth));
}

void transformGrid(MeshGrid* grid, int32_t rows, int32_t cols) {
    if (rows <= 0 || cols <= 0) return;
    Matrix4& c = g_camera.scratch;
    multiplyMatrix(&c, g_camera.ModelViewMatrix, g_camera.ProjectionMatrix);
    double cx = static_cast<double>(static_cast<float>(g_camera.viewportLeft + g_camera.viewportRight) * 0.5f);
    double cy = static_cast<double>(static_cast<float>(g_camera.viewportTop + g_camera.viewportBottom) * 0.5f);
    double d = static_cast<double>(static_cast<float>(g_camera.distance));
    int64_t count = static_cast<int64_t>(rows) * cols;
    for (int64_t i = 0; i < count; ++i) {
        MeshVertex& v = grid[i];
        double x = v.x, y = v.y, z = v.z;
        double xp = c.e[0] * x + c.e[1] * y + c.e[2] * z + c.e[3];
        double yp = c.e[4] * x + c.e[5] * y + c.e[6] * z + c.e[7];
        double zp = c.e[8] * x + c.e[9] * y + c.e[10] * z + c.e[11];
        double q = d + zp;
        if (q <= 1.0) q = 1.0;
        double f = d / q;
        v.x = static_cast<float>(cx + f * xp);
        v.y = static_cast<float>(cy + f * yp);
        v.z = static_cast<float>(zp);
    }
}
