#include "Animation/ANI_Line.h"

#include <algorithm>
#include <cmath>

#include "Animation/AnimationShared.h"
#include "render/Discs.h"
#include "render/FloatToInt.h"
#include "render/Lines.h"
#include "render/QuadFill.h"
#include "render/RandomGeometry.h"

namespace {

constexpr int32_t kMaxHarmonicPoints = 1024;

struct Spinner {
    int32_t frames = 0;
    float v[3] = {0, 0, 0};   // the tumbling vector
    float tipX = 0, tipY = 0;   // the previous tip
};

struct LineState {
    Spinner line1, line2, line3;
    int32_t ribbonMode = 0;   // Line3: 0..2
};
LineState g_line;

struct Turn {
    float length, x, y, z;
};

// One step of the tumbling vector; returns the previous tip and leaves the new one in v.
void spin(Spinner& s, const Turn& t, float* fromX, float* fromY) {
    float* v = s.v;
    const float current = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (current == 0.0f) {
        v[0] = v[1] = v[2] = t.length;
    } else {
        for (int k = 0; k < 3; ++k) v[k] = v[k] * t.length / current;
    }
    rotateX(&v[1], &v[2], t.x);
    rotateY(&v[0], &v[2], t.y);
    rotateZ(&v[0], &v[1], t.z);
    *fromX = s.tipX;
    *fromY = s.tipY;
    s.tipX = v[0];
    s.tipY = v[1];
}

struct Centre {
    int32_t x, y;
};
Centre centreOf(const Rect& r) { return {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2}; }

// The step from the previous tip to the new one, mirrored into the four quadrants.
void drawMirroredStep(Pixel* dst, int32_t pitch, const Rect& clip, float px, float py, float vx, float vy,
                      int32_t thickness) {
    const Centre c = centreOf(clip);
    const int signs[4][2] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
    for (const auto& sg : signs)
        drawThickLineAA(dst, clip, pitch, truncToInt(c.x + sg[0] * px), truncToInt(c.y + sg[1] * py),
                        truncToInt(c.x + sg[0] * vx), truncToInt(c.y + sg[1] * vy), 0xFFFFFF, thickness);
}

int32_t clampByte(int32_t v) { return std::clamp(v, 0, 255); }

// A round-ended band of half-width f from a to b.
void drawBand(Pixel* dst, int32_t pitch, const Rect& clip, const int32_t* a, const int32_t* b, int32_t f,
              Pixel colour) {
    fillDiscClipped(dst, clip, pitch, a[0], a[1], f, colour);
    fillDiscClipped(dst, clip, pitch, b[0], b[1], f, colour);
    const int32_t dx = b[0] - a[0], dy = b[1] - a[1];
    const int32_t length = truncToInt(std::sqrt(static_cast<float>(dx * dx + dy * dy)));
    if (length == 0) return;   // the two discs are the whole band
    const int32_t step = f * 4096 / length;
    const int32_t ox = (-dy * step) >> 12, oy = (dx * step) >> 12;
    const int32_t p0[2] = {a[0] + ox, a[1] + oy}, p1[2] = {b[0] + ox, b[1] + oy};
    const int32_t p2[2] = {b[0] - ox, b[1] - oy}, p3[2] = {a[0] - ox, a[1] - oy};
    fillQuad(QuadFillRecord{dst, clip, pitch, p0, p1, p2, p3, &colour});
}

}  // namespace

void drawSpinLines(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const int32_t c = level & 255;
    Spinner& s = g_line.line1;
    s.frames += 1;
    const float n = static_cast<float>(s.frames);
    float px, py;
    spin(s, {static_cast<float>(c * referenceScale(*clip) / 220 + 1), 0.015f, std::cos(0.4f * n) * 0.008f,
             static_cast<float>(c) * 0.001f},
         &px, &py);
    drawMirroredStep(dst, pitch, *clip, px, py, s.v[0], s.v[1], c * c * 32 / (255 * 255) + 1);
}

void drawSpinLines2(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const int32_t c = level & 255;
    Spinner& s = g_line.line2;
    s.frames += 1;
    const float n = static_cast<float>(s.frames);
    const float length = std::sqrt(static_cast<float>(c)) * static_cast<float>(referenceScale(*clip)) * 0.05859375f + 1.0f;
    float px, py;
    spin(s, {length, 0.032f, std::cos(0.02f * n) * 0.08641f, static_cast<float>(c) * 0.00123f}, &px, &py);
    drawMirroredStep(dst, pitch, *clip, px, py, s.v[0], s.v[1], std::max(1, c * 20 / 255));
}

void drawSpinRibbon(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level, int32_t beat) {
    const int32_t c = level & 255;
    if (beat) g_line.ribbonMode = (g_line.ribbonMode + 1) % 3;
    Spinner& s = g_line.line3;
    s.frames += 1;
    const float n = static_cast<float>(s.frames);
    const float length = std::sqrt(static_cast<float>(c)) * static_cast<float>(referenceScale(*clip)) * 0.06f + 1.0f;
    float px, py;
    spin(s, {length, 0.032f, std::cos(0.02f * n) * 0.08641f, static_cast<float>(c) * 0.00123f}, &px, &py);
    const Centre centre = centreOf(*clip);
    int32_t u = c * 40 / 255;
    for (int32_t j = 0; j < 16; ++j) {
        const int32_t pv = clampByte(j * 51), qv = clampByte((j - 5) * 51), tv = clampByte((j - 10) * 51);
        Pixel colour;
        switch (g_line.ribbonMode) {
            case 0: colour = static_cast<Pixel>((pv << 16) | (qv << 8) | tv); break;
            case 1: colour = static_cast<Pixel>((tv << 16) | (qv << 8) | pv); break;
            default: colour = static_cast<Pixel>((qv << 16) | (pv << 8) | tv); break;
        }
        const int32_t f = std::max(u, 1) / 2;
        u -= 1;
        float ax = px, ay = py, bx = s.v[0], by = s.v[1];
        for (int k = 0; k < 12; ++k) {
            if (k > 0) {
                rotateZ(&ax, &ay, 0.5235987f);
                rotateZ(&bx, &by, 0.5235987f);
            }
            const int32_t a[2] = {truncToInt(centre.x + ax), truncToInt(centre.y + ay)};
            const int32_t b[2] = {truncToInt(centre.x + bx), truncToInt(centre.y + by)};
            drawBand(dst, pitch, *clip, a, b, f, colour);
        }
    }
}

void drawHarmonicLines(Pixel* dst, int32_t pitch, const Rect* clip, int32_t level) {
    const int32_t c = level & 255;
    const int32_t w = clip->right - clip->left, h = clip->bottom - clip->top;
    const int32_t n = std::min(w, kMaxHarmonicPoints);
    if (n <= 0) return;
    const int32_t cy = centreOf(*clip).y;
    const float k = static_cast<float>(c * h) * 0.0002f;
    int32_t sum[kMaxHarmonicPoints] = {};
    for (int32_t pass = 0; pass < 12; ++pass) {
        const Pixel colour = static_cast<Pixel>((255 << 16) | ((255 - 10 * pass) << 8) | (255 - 20 * pass));
        int32_t lastY = 0;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t term = truncToInt(-std::sin(6.2831855f * static_cast<float>(pass * i) / static_cast<float>(n)) * k);
            sum[i] += term;
            const int32_t y = cy + term;
            if (i > 0) drawLineAA(dst, *clip, pitch, clip->left + i - 1, lastY, clip->left + i, y, colour);
            lastY = y;
        }
    }
    for (int32_t i = 1; i < n; ++i)
        drawLineAA(dst, *clip, pitch, clip->left + i - 1, cy + sum[i - 1], clip->left + i, cy + sum[i], 0xFFFFFF);
}

void resetLineState() { g_line = LineState{}; }
