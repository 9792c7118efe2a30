#include "Sfx/Image_Effect_Water.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Sfx/ImageEffectFrame.h"
#include "Sfx/ImageEffectShared.h"
#include "Sfx/WarpKernels.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/Lines.h"
#include "render/RandomGeometry.h"
#include "render/TrigTables.h"

namespace {

using warp::pixelOf;
using warp::quarterOf;

WaterState& stateOf(EffectParams* p) { return effectState<WaterState>(p); }

bool inside(int64_t x, int64_t y, const Frame& f) { return x >= 0 && x < f.w && y >= 0 && y < f.h; }
bool strictlyInside(int64_t x, int64_t y, const Frame& f) { return x > 0 && x < f.w && y > 0 && y < f.h; }

int64_t sqrtAt(int64_t i) { return SqrtTable[std::clamp<int64_t>(i, 0, kTrigTableSize - 1)]; }

template <class Sample>
void drawEach(const Frame& f, Sample sample) {
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) d[x] = sample(x, y);
    }
}

// ---- The height field ------------------------------------------------------------------
//
// Both planes sit in one kept scratch buffer with a zero row before, between and
// after them; the columns past the frame's width stay 0 too. So every
// neighbour of the W x H area outside it reads as height 0 without a test.

struct HeightField {
    int16_t* planes[2];
    int32_t pitch, w, h;

    int16_t* row(int plane, int32_t y) const { return planes[plane] + static_cast<ptrdiff_t>(y) * pitch; }
};

// Two zero rows lead, so that the corner neighbour left of row -1 is inside too.
size_t heightFieldCells(const Frame& f) { return static_cast<size_t>(2 * f.h + 4) * f.pitch; }

HeightField heightFieldIn(Pixel* buffer, const Frame& f) {
    int16_t* base = reinterpret_cast<int16_t*>(buffer);
    return {{base + 2 * f.pitch, base + static_cast<ptrdiff_t>(f.h + 3) * f.pitch}, f.pitch, f.w, f.h};
}

int16_t wrap16(int64_t v) { return static_cast<int16_t>(v); }

// A smooth bump of height `depth` at (x, y), clipped to the field.
void stampDrop(const HeightField& hf, int plane, int32_t x, int32_t y, int32_t r, int32_t depth) {
    if (r <= 0) return;
    const int64_t r2 = static_cast<int64_t>(r) * r;
    for (int32_t row = std::max(y - r, 0); row < std::min(hf.h, y + r); ++row) {
        int16_t* line = hf.row(plane, row);
        for (int32_t col = std::max(x - r, 0); col < std::min(hf.w, x + r); ++col) {
            const int64_t q = int64_t{col - x} * (col - x) + int64_t{row - y} * (row - y);
            if (q >= r2) continue;
            const double rim = r - std::sqrt(static_cast<double>(q));
            line[col] = wrap16(line[col] + truncToInt(rim * rim * depth / r2));
        }
    }
}

// One damped wave step over rows firstRow .. H - 1: the plane that held the
// older state receives the next one.
template <class Kernel>
void stepField(const HeightField& hf, int next, int32_t firstRow, int32_t damping, Kernel kernel) {
    const int current = next ^ 1;
    for (int32_t y = firstRow; y < hf.h; ++y) {
        const int16_t* up = hf.row(current, y - 1);
        const int16_t* mid = hf.row(current, y);
        const int16_t* down = hf.row(current, y + 1);
        int16_t* out = hf.row(next, y);
        for (int32_t x = 0; x < hf.w; ++x)
            out[x] = wrap16((damping * (kernel(up + x, mid + x, down + x) - 4 * int32_t{out[x]})) >> 10);
    }
}

void stepWaterField(const HeightField& hf, int next, int32_t damping) {
    stepField(hf, next, 0, damping, [](const int16_t* u, const int16_t* m, const int16_t* d) {
        return ((u[-1] + u[1] + d[-1] + d[1]) >> 1) + 2 * m[0] + u[0] + m[-1] + m[1] + d[0];
    });
}

void stepPondField(const HeightField& hf, int next, int32_t damping) {
    stepField(hf, next, hf.h * 3 / 4, damping, [](const int16_t* u, const int16_t* m, const int16_t* d) {
        return ((u[-1] + u[0] + u[1] + d[-1] + d[0] + d[1]) >> 2) + 2 * (m[-1] + m[0] + m[1]);
    });
}

// The picture refracted through the plane; with a light shift, each channel
// darkened by the slope too.
void renderRefracted(const Frame& f, const HeightField& hf, int plane, int32_t shift, int32_t lightShift) {
    const int64_t end = static_cast<int64_t>(f.h) * f.pitch;
    for (int32_t y = 0; y < f.h; ++y) {
        const int16_t* row = hf.row(plane, y);
        const int16_t* below = hf.row(plane, y + 1);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t gx = row[x] - row[x + 1], gy = row[x] - below[x];
            const int64_t k = int64_t{y} * f.pitch + x + (gx >> shift) + int64_t{f.pitch} * (gy >> shift);
            if (k < 0 || k >= end) {
                d[x] = 0;
                continue;
            }
            const Pixel c = f.src[k];
            if (lightShift < 0) {
                d[x] = c;
                continue;
            }
            const int32_t m = (gx + 4 * gy) >> lightShift;
            auto ch = [m](Pixel v, int sh) { return static_cast<Pixel>(std::clamp<int32_t>(((v >> sh) & 255) - m, 0, 255)) << sh; };
            d[x] = ch(c, 16) | ch(c, 8) | ch(c, 0);
        }
    }
}

// The pond's edge: an arch 32 rows below three quarters of the height at the
// sides, meeting it in the middle.
int32_t pondEdge(const Frame& f, int32_t x) {
    return truncToInt(f.h * 3 / 4 + 32 - std::sin(x * 3.141592654 / f.w) * 32);
}

// Above the edge the picture; below it a darker, bluish mirror of the picture
// about the edge, rippled by the field.
void renderPondReflection(const Frame& f, const HeightField& hf, int plane, int32_t lightShift) {
    const int32_t top = f.h * 3 / 4;
    for (int32_t y = 0; y < top; ++y) std::copy(f.srcRow(y), f.srcRow(y) + f.w, f.dstRow(y));
    int32_t* edge = frameInts(static_cast<size_t>(f.w));
    for (int32_t x = 0; x < f.w; ++x) edge[x] = pondEdge(f, x);
    const int64_t end = static_cast<int64_t>(f.h) * f.pitch;
    for (int32_t y = top; y < f.h; ++y) {
        const int16_t* row = hf.row(plane, y);
        const int16_t* below = hf.row(plane, y + 1);
        const Pixel* s = f.srcRow(y);
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            if (y <= edge[x]) {
                d[x] = s[x];
                continue;
            }
            const int32_t gy = row[x] - below[x], gx = row[x] - row[x + 1];
            const int64_t srcRow = 2 * int64_t{edge[x]} - (gy >> 4) - y;
            const int64_t col16 = 16 * int64_t{x} + gx;
            const int64_t k = srcRow * f.pitch + (col16 >> 4);
            if (k < 0 || k >= end) {
                d[x] = 0;
                continue;
            }
            const uint32_t fx = static_cast<uint32_t>(col16 & 15), fy = static_cast<uint32_t>(gy & 15);
            const Pixel* r0 = f.src + k;
            const Pixel* r1 = r0 + f.pitch;
            const Pixel mix = warp::weighted4(r0[0], r0[1], r1[0], r1[1], (16 - fx) * (16 - fy), fx * (16 - fy),
                                              (16 - fx) * fy, fx * fy, 8);
            const int32_t m = (gx + 4 * gy) >> lightShift;
            auto ch = [m](Pixel v, int sh, int32_t tint) {
                return static_cast<Pixel>(std::clamp<int32_t>(((v >> sh) & 255) - m - tint, 0, 255)) << sh;
            };
            d[x] = ch(mix, 16, 48) | ch(mix, 8, 32) | ch(mix, 0, 16);
        }
    }
}

enum class Pond { None, Drops, EdgeDrops };

void runHeightField(EffectParams* p, Pond pond, int32_t damping, int32_t shift, int32_t shade, int32_t depth) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    WaterState& st = stateOf(p);
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (p->firstFrame) st.waterPage = 0;
    Pixel* buffer = keptScratch(p, 0, [&](Pixel* b) {
        if (drawable) std::fill_n(reinterpret_cast<int16_t*>(b), heightFieldCells(f), int16_t{0});
    });
    if (!drawable) return;
    if (!buffer) {
        copyPicture(f);
        return;
    }
    const HeightField hf = heightFieldIn(buffer, f);
    const int current = st.waterPage & 1;
    const int32_t top = f.h * 3 / 4;
    const int64_t level = truncToInt(L);
    if (pond == Pond::None) {
        const int64_t n = level * (f.w + f.h) / 16384;
        for (int64_t i = 0; i < n; ++i) {
            const int32_t x = crtRand() % f.w;
            const int32_t y = crtRand() % f.h;
            const int32_t r = crtRand() % static_cast<int32_t>(n + 1) + 1;
            stampDrop(hf, current, x, y, r, depth);
        }
        renderRefracted(f, hf, current, shift, shade ? 5 - shade : -1);
        stepWaterField(hf, current ^ 1, damping);
    } else {
        const int64_t n = level * (f.w + f.h) / (pond == Pond::Drops ? 16384 : 65536);
        for (int64_t i = 0; i < n; ++i) {
            const int32_t x = crtRand() % f.w;
            if (pond == Pond::Drops) {
                const int32_t dd = crtRand() % (f.h - top);
                // Drops further down are larger; a frame too low for a pond top still gets radius 1.
                stampDrop(hf, current, x, top + dd, dd * 16 / std::max(top, 1) + 1, depth);
            } else {
                stampDrop(hf, current, x, pondEdge(f, x), 16, depth);
            }
        }
        renderPondReflection(f, hf, current, 5 - shade);
        stepPondField(hf, current ^ 1, damping);
    }
    st.waterPage = current ^ 1;
}

}  // namespace

void applyWtWater2002(EffectParams* p, int32_t damping, int32_t shift, int32_t shade, int32_t depth) {
    runHeightField(p, Pond::None, damping, shift, shade, depth);
}

void applyWtPond(EffectParams* p, int32_t damping, int32_t, int32_t shade, int32_t depth) {
    runHeightField(p, Pond::Drops, damping, 4, shade, depth);
}

void applyWtPond2(EffectParams* p, int32_t damping, int32_t, int32_t shade, int32_t depth) {
    runHeightField(p, Pond::EdgeDrops, damping, 4, shade, depth);
}

// ---- Rain ripples and the wiper ----------------------------------------------------------

namespace {

enum Slot { kActive, kX, kY, kAge, kStrength, kRadius };
constexpr int kSlots = 50;

struct RippleShape {
    int32_t lifetime;     // frames until the ring has faded
    int32_t amplitude;    // per unit of strength
    int32_t centreStep;   // the profile's centre moves this far a frame
    int32_t spread;       // the sine's angle scale
    int32_t sqrtShift;    // SqrtTable[q >> sqrtShift] >> (10 - sqrtShift / 2) is the distance
};
constexpr RippleShape kRipple{49, 32, 3, 4096, 4};
constexpr RippleShape kRipple2{39, 64, 8, 2048, 2};

struct DisplacementField {
    int16_t* xs;
    int16_t* ys;
};

DisplacementField displacementIn(Pixel* buffer, const Frame& f) {
    int16_t* base = reinterpret_cast<int16_t*>(buffer);
    return {base, base + static_cast<ptrdiff_t>(f.h) * f.pitch};
}

// One ring ripple of age a: the ring widens to radius r and fades over the
// shape's lifetime. 128 in the profile is no displacement.
void addRainRipple(const Frame& f, const DisplacementField& field, const RippleShape& shape, int32_t x, int32_t y,
                   int32_t r, int32_t a, int32_t strength) {
    const int64_t n = std::min<int64_t>(f.w, int64_t{a} * (r - 1) / shape.lifetime + 1);
    if (n <= 0) return;
    const int64_t amp = int64_t{shape.amplitude} * strength - int64_t{shape.amplitude} * a * strength / shape.lifetime;
    int32_t* profile = frameInts(static_cast<size_t>(n));
    const int64_t centre = int64_t{shape.centreStep} * a;
    for (int64_t j = 0; j < n; ++j) {
        if (j == centre) {
            profile[j] = static_cast<int32_t>(amp + 128);
        } else {
            const int64_t angle = ((50 - a) * (j - centre) * shape.spread / n) & 8191;
            profile[j] = static_cast<int32_t>(amp * SineTable[angle] / (j - centre) / 32768 + 128);
        }
    }
    const int32_t distanceShift = 10 - shape.sqrtShift / 2;
    for (int32_t row = std::max(y - r, 0); row <= std::min(f.h - 1, y + r); ++row) {
        int16_t* xs = field.xs + static_cast<ptrdiff_t>(row) * f.pitch;
        int16_t* ys = field.ys + static_cast<ptrdiff_t>(row) * f.pitch;
        const int64_t dy = row - y;
        for (int32_t col = std::max(x - r, 0); col <= std::min(f.w - 1, x + r); ++col) {
            const int64_t dx = col - x, q = dx * dx + dy * dy;
            if (q >= n * n) continue;
            const int64_t k = profile[std::min<int64_t>(n - 1, sqrtAt(q >> shape.sqrtShift) >> distanceShift)];
            xs[col] = static_cast<int16_t>(xs[col] + ((k * dx) >> 7) - dx);
            ys[col] = static_cast<int16_t>(ys[col] + ((k * dy) >> 7) - dy);
        }
    }
}

// The picture through the displacement field, which then fades to 3/4.
void drawDisplaced(const Frame& f, const DisplacementField& field) {
    for (int32_t y = 0; y < f.h; ++y) {
        int16_t* xs = field.xs + static_cast<ptrdiff_t>(y) * f.pitch;
        int16_t* ys = field.ys + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t u = x + xs[x];
            if (u > 0 && u < f.w) {
                const int32_t v = y + ys[x];
                if (v > 0 && v < f.h) d[x] = pixelOf(f, u, v);
            }
            xs[x] = static_cast<int16_t>(xs[x] * 3 / 4);
            ys[x] = static_cast<int16_t>(ys[x] * 3 / 4);
        }
    }
}

// Sets up the rain's kept buffer (cleared) and its slots on the first frame.
Pixel* rainBuffer(EffectParams* p, const Frame& f, bool drawable, size_t cells) {
    WaterState& st = stateOf(p);
    if (p->firstFrame)
        for (auto& slot : st.slots) slot[kActive] = 0;
    return keptScratch(p, 0, [&](Pixel* b) {
        if (drawable) std::fill_n(b, cells, Pixel{0});
    });
}

int freeSlot(WaterState& st) {
    for (int i = 0; i < kSlots; ++i)
        if (!st.slots[i][kActive]) return i;
    return -1;
}

void startDrop(WaterState& st, int slot, int32_t x, int32_t y, int32_t strength, int32_t radius) {
    int32_t* s = st.slots[slot];
    s[kActive] = 1;
    s[kX] = x;
    s[kY] = y;
    s[kAge] = 0;
    s[kStrength] = strength;
    s[kRadius] = radius;
}

void runRipples(WaterState& st, const Frame& f, const DisplacementField& field, const RippleShape& shape,
                int32_t maxAge) {
    for (auto& s : st.slots) {
        if (!s[kActive]) continue;
        addRainRipple(f, field, shape, s[kX], s[kY], s[kRadius], s[kAge], s[kStrength]);
        s[kAge] += 1;
        if (s[kAge] > maxAge) {
            s[kActive] = 0;
            s[kAge] = 0;
        }
    }
}

}  // namespace

void applyWtRainFall(EffectParams* p) {
    updateEffectLevel(p, 0.0f, 1.0f);
    const float L = heldLevel(p->level);
    WaterState& st = stateOf(p);
    Frame f;
    const bool drawable = frameOf(p, &f);
    if (p->firstFrame) st.rainPrevLevel = 0;
    Pixel* buffer = rainBuffer(p, f, drawable, drawable ? static_cast<size_t>(f.h) * f.pitch : 0);
    if (!drawable) return;
    if (!buffer) {
        copyPicture(f);
        return;
    }
    const DisplacementField field = displacementIn(buffer, f);
    const float s = sizeScale(f);
    const int slot = freeSlot(st);
    if (slot >= 0) {
        if (p->levelMode == 0) {
            if (L > st.rainPrevLevel) {
                const int32_t x = crtRand() % f.w;
                const int32_t y = crtRand() % f.h;
                startDrop(st, slot, x, y, truncToInt(L), 1 + truncToInt(s * L * 0.2f));
            }
        } else if (crtRand() > 10000) {
            const int32_t x = crtRand() % f.w;
            const int32_t y = crtRand() % f.h;
            startDrop(st, slot, x, y, truncToInt(L / 256 * 512), 1 + truncToInt(L / 256 * s * 102.4f));
        }
    }
    runRipples(st, f, field, kRipple, 50);
    drawDisplaced(f, field);
    st.rainPrevLevel = L;
}

void applyWtRainFall2(EffectParams* p) {
    updateEffectLevel(p, 0.0f, 1.0f);
    const float L = heldLevel(p->level);
    WaterState& st = stateOf(p);
    Frame f;
    const bool drawable = frameOf(p, &f);
    Pixel* buffer = rainBuffer(p, f, drawable, drawable ? static_cast<size_t>(f.h) * f.pitch : 0);
    if (!drawable) return;
    if (!buffer) {
        copyPicture(f);
        return;
    }
    const DisplacementField field = displacementIn(buffer, f);
    const int slot = freeSlot(st);
    if (slot >= 0) {
        const int32_t x = crtRand() % f.w;
        const int32_t y = crtRand() % f.h;
        startDrop(st, slot, x, y, truncToInt(4 * L), 1 + truncToInt(L / 2));
    }
    runRipples(st, f, field, kRipple2, 40);
    drawDisplaced(f, field);
}

void applyWtRainFall3(EffectParams* p) {
    updateEffectLevel(p, 0.0f, 1.0f);
    if (p->levelMode) updateEffectLevel(p, 0.0f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    const bool drawable = frameOf(p, &f);
    int32_t* offsets = reinterpret_cast<int32_t*>(keptScratch(p, 0, [&](Pixel* b) {
        if (drawable) std::fill_n(b, static_cast<size_t>(f.h) * f.pitch, Pixel{0});
    }));
    if (!drawable) return;
    if (!offsets) {
        copyPicture(f);
        return;
    }
    const float s = sizeScale(f);
    const int64_t g = p->levelMode == 0 ? 20 + truncToInt(L / 6) : 1 - truncToInt(L / 256 * -85.333336f);
    const int64_t drops = truncToInt(g * s * s);
    const int64_t t = truncToInt(128 / (s * s));
    const int32_t spread = std::max(1, truncToInt(4 * s + 1));
    for (int64_t i = 0; i < drops; ++i) {
        const int64_t r = crtRand() % spread + 4;
        const int64_t cx = crtRand() % f.w;
        const int64_t cy = crtRand() % f.h;
        for (int64_t l = -r; l <= r; ++l) {
            const int64_t row = cy + l;
            if (row <= 0 || row >= f.h) continue;
            int32_t* line = offsets + row * f.pitch;
            for (int64_t m = -r; m <= r; ++m) {
                const int64_t col = cx + m, b = l * l + m * m;
                if (col <= 0 || col >= f.w || b > r * r) continue;
                line[col] += static_cast<int32_t>((t * ((l * b * f.w) / 4096 + (m * b) / 32)) >> 8);
            }
        }
    }
    const int64_t upper = int64_t{f.pitch} * (f.h - 1) - 1;
    for (int32_t y = 0; y < f.h; ++y) {
        int32_t* line = offsets + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int32_t o = line[x];
            line[x] = o * 31 / 32;
            const int64_t k = int64_t{y} * f.pitch + x + o;
            if (k <= f.w || k >= upper) continue;
            const Pixel* c = f.src + k;
            d[x] = quarterOf(c[f.pitch - 1]) + quarterOf(c[f.pitch + 1]) + quarterOf(c[-f.pitch - 1]) +
                   quarterOf(c[-f.pitch + 1]);
        }
    }
}

namespace {

struct Point {
    int64_t x, y;
};

// The column of the edge from a to b at row y.
int64_t edgeAt(Point a, Point b, int64_t y) { return b.y == a.y ? a.x : a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y); }

void clearSpan(int32_t* offsets, const Frame& f, int64_t y, int64_t c1, int64_t c2) {
    if (y < 0 || y >= f.h) return;
    const int64_t from = std::max<int64_t>(0, std::min(c1, c2)), to = std::min<int64_t>(f.w - 1, std::max(c1, c2));
    for (int64_t x = from; x <= to; ++x) offsets[y * f.pitch + x] = 0;
}

}  // namespace

void applyWtWiper(EffectParams* p) {
    WaterState& st = stateOf(p);
    if (p->firstFrame) {
        st.wiperSense = 0;
        st.wiperAngle = 0;
    }
    updateEffectLevel(p, 0.95f, 1.0f);
    if (p->levelMode) updateEffectLevel(p, 0.0f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    const bool drawable = frameOf(p, &f);
    int32_t* offsets = reinterpret_cast<int32_t*>(keptScratch(p, 0, [&](Pixel* b) {
        if (drawable) std::fill_n(b, static_cast<size_t>(f.h) * f.pitch, Pixel{0});
    }));
    // The blade swings between 9 and 120 degrees, 6 degrees a frame.
    if (st.wiperAngle > 2.0943952f) {
        st.wiperSense ^= 1;
        st.wiperAngle -= 0.034906585f;
    }
    if (!(st.wiperAngle >= 0.15707964f)) {
        st.wiperSense ^= 1;
        st.wiperAngle += 0.034906585f;
    }
    st.wiperAngle += st.wiperSense ? 0.10471976f : -0.10471976f;
    if (!drawable) return;
    if (!offsets) {
        copyPicture(f);
        return;
    }
    const float s = sizeScale(f);
    const int64_t px = f.w * 3 / 4, b = std::max<int64_t>(f.h, px);
    const double a = st.wiperAngle;
    const Point pivot{px, f.h};
    const Point tip{truncToInt(px - b * std::cos(a)), truncToInt(f.h - b * std::sin(a))};
    const Point trail{truncToInt(px - b * std::cos(a - 0.15707964)), truncToInt(f.h - b * std::sin(a - 0.15707964))};
    auto drop = [&](int64_t r) {
        const int64_t cx = crtRand() % f.w;
        const int64_t cy = crtRand() % f.h;
        for (int64_t j = -r; j <= r; ++j) {
            const int64_t row = cy + j;
            if (row < 0 || row >= f.h) continue;
            const int64_t h = sqrtAt(r * r - j * j) >> 10;
            for (int64_t l = -h; l <= h; ++l) {
                const int64_t col = cx + l;
                if (col < 0 || col >= f.w) continue;
                const int64_t g = j * j + l * l;
                offsets[row * f.pitch + col] = static_cast<int32_t>(((j * g) / 4) * f.pitch + (l * g) / 4);
            }
        }
    };
    if (p->levelMode == 0) {
        if (L > 0) {
            const int32_t spread = std::max(1, truncToInt(s * L / 64 + 1));
            int64_t i = 0;
            do {
                drop(crtRand() % spread + 3);
            } while (++i < s * s * L / 4);
        }
    } else {
        const int32_t spread = std::max(1, truncToInt(s * (L / 256) * 4 + 1));
        for (int64_t i = 0; i < s * s * (L / 256) * 128; ++i) drop(crtRand() % spread + 3);
    }
    // The blade wipes the triangle between the pivot, its tip and its trailing point.
    if (tip.y < trail.y) {
        for (int64_t y = tip.y; y < trail.y; ++y) clearSpan(offsets, f, y, edgeAt(tip, trail, y), edgeAt(tip, pivot, y));
        for (int64_t y = trail.y; y < f.h; ++y) clearSpan(offsets, f, y, edgeAt(trail, pivot, y), edgeAt(tip, pivot, y));
    } else {
        for (int64_t y = trail.y; y < tip.y; ++y) clearSpan(offsets, f, y, edgeAt(trail, pivot, y), edgeAt(tip, trail, y));
        for (int64_t y = tip.y; y < f.h; ++y) clearSpan(offsets, f, y, edgeAt(trail, pivot, y), edgeAt(tip, pivot, y));
    }
    const int64_t end = int64_t{f.pitch} * f.h;
    for (int32_t y = 0; y < f.h; ++y) {
        const int32_t* line = offsets + static_cast<ptrdiff_t>(y) * f.pitch;
        Pixel* d = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t k = int64_t{y} * f.pitch + x + line[x];
            if (k > 0 && k < end) d[x] = f.src[k];
        }
    }
    drawThickLineAA(f.dst, Rect{0, 0, f.w, f.h}, f.pitch, static_cast<int32_t>(tip.x), static_cast<int32_t>(tip.y),
                    static_cast<int32_t>(px), f.h, 0, 4);
}

// ---- Waves and glass ---------------------------------------------------------------------

void applyWtWaterMove(EffectParams* p) {
    WaterState& st = stateOf(p);
    if (p->firstFrame) st.waterPhase = 0;
    updateEffectLevel(p, 0.94f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int64_t k = truncToInt(L);
    st.waterPhase = static_cast<int32_t>(static_cast<uint32_t>(st.waterPhase) + static_cast<uint32_t>(k));
    const int32_t q = st.waterPhase;
    const int64_t cy = truncToInt((std::cos(q * 0.00032) + 1) * (f.h >> 1));
    const int64_t cx = truncToInt((std::sin(q * 0.00021) + 1) * (f.w >> 1));
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t c = CosineTable[SqrtTable[(((cy - y) * (cy - y) + (cx - x) * (cx - x)) >> 6) & 8191] & 8191];
        const int64_t d = (k * c) >> 20;
        return strictlyInside(x + d, y + d, f) ? pixelOf(f, x + d, y + d) : 0;
    });
}

void applyWtWater(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float pr = p->progress;
    const double a = pr < 0.5f ? L / 256.0 * pr : L / 256.0 * (1 - pr);
    const double phase = p->duration * pr * 0.2;
    const int64_t hw = f.w >> 1, hh = f.h >> 1;
    const int64_t r = std::max<int64_t>(1, truncToInt(std::sqrt(static_cast<double>(hh * hh + hw * hw))));
    // One entry past the half-diagonal for the corners; radii beyond the table
    // (huge frames) read its last entry.
    int32_t* ring = frameInts(static_cast<size_t>(r + 1));
    for (int64_t i = 0; i <= r; ++i) ring[i] = truncToInt(32768 - a * std::sin((i - phase) * 28.274334 / r) * 32768);
    for (int64_t dy = -hh; dy < hh; ++dy) {
        Pixel* d = f.dstRow(static_cast<int32_t>(hh + dy)) + hw;
        const Pixel* s = f.srcRow(static_cast<int32_t>(hh + dy)) + hw;
        for (int64_t dx = -hw; dx < hw; ++dx) {
            const int64_t t = ring[std::min<int64_t>(r, sqrtAt((dy * dy + dx * dx) >> 6) >> 7)];
            const int64_t x = hw + ((dx * t) >> 15), y = hh + ((dy * t) >> 15);
            d[dx] = inside(x, y, f) ? pixelOf(f, x, y) : s[dx];
        }
    }
}

void applyWtWaterLake(EffectParams* p) {
    updateEffectLevel(p, 0.98f, 1.0f);
    Frame f;
    if (!frameOf(p, &f)) return;
    const float pr = p->progress;
    const int64_t a = truncToInt((pr < 0.5f ? pr : 1 - pr) * 1024);
    const int64_t t = truncToInt(p->duration * pr * 60.0);
    const int32_t b = f.h * 60 / 100;
    for (int32_t y = 0; y < b; ++y) std::copy(f.srcRow(y), f.srcRow(y) + f.w, f.dstRow(y));
    for (int32_t k = 0; b + k < f.h; ++k) {
        const int64_t angle = (truncToInt(std::pow(static_cast<double>(k), 0.25) * 314159.2741 - t)) >> 3;
        const int64_t wave = 32768 - SineTable[angle & 8191] * a / 1024;
        const int64_t r = b - ((wave * k) >> 15);
        // The still mirror row stays inside the picture: the lake is never
        // deeper than the land above it.
        const int64_t row = r >= 0 && r < f.h ? r : std::max<int64_t>(0, b - k);
        std::copy(f.srcRow(static_cast<int32_t>(row)), f.srcRow(static_cast<int32_t>(row)) + f.w, f.dstRow(b + k));
    }
}

void applyWtWater3(EffectParams* p) {
    WaterState& st = stateOf(p);
    if (p->firstFrame) st.waterPhase = 0;
    updateEffectLevel(p, 0.95f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const double q = st.waterPhase;
    const double amp = sizeScale(f) * L * 0.1f;
    const double g = std::sin(q * 0.172) * 0.005 + 0.025, h = std::sin(q * 0.008) * 0.003 + 0.1;
    auto wave = [&](int64_t j) { return static_cast<int16_t>(truncToInt(amp * std::cos(g * j - h * q))); };
    // An odd last row or column has no mirror partner: it stays unmoved.
    int32_t* rowOff = frameInts(static_cast<size_t>(f.h + f.w));
    int32_t* colOff = rowOff + f.h;
    std::fill(rowOff, rowOff + f.h + f.w, 0);
    for (int32_t j = 0; j < f.h / 2; ++j) rowOff[f.h / 2 + j] = rowOff[f.h / 2 - 1 - j] = wave(j);
    for (int32_t j = 0; j < f.w / 2; ++j) colOff[f.w / 2 + j] = colOff[f.w / 2 - 1 - j] = wave(j);
    st.waterPhase = static_cast<int32_t>(static_cast<uint32_t>(st.waterPhase) + 1u);
    drawEach(f, [&](int64_t x, int64_t y) -> Pixel {
        const int64_t v = 2 * (y + rowOff[y]) + 1, u = 2 * (x + colOff[x]) + 1;
        if (v < 0 || v >= 2 * f.h || u < 0 || u >= 2 * f.w) return 0;
        return warp::sampleK4(f, u, v);
    });
}

namespace {

// dst(x, y) = the picture at (x + colOff[x], y + rowOff[y]) where that lies
// strictly inside, else `outside(x, y)`.
template <class Outside>
void drawRowColumnShift(const Frame& f, const int32_t* rowOff, const int32_t* colOff, Outside outside) {
    for (int32_t y = 0; y < f.h; ++y) {
        Pixel* d = f.dstRow(y);
        const int64_t sy = y + rowOff[y];
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t sx = x + colOff[x];
            d[x] = strictlyInside(sx, sy, f) ? pixelOf(f, sx, sy) : outside(x, y);
        }
    }
}

}  // namespace

void applyWtWater4(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    updateEffectLevel(p, 0.95f, drawable ? sizeScale(f) * 0.5f : 1.0f);
    const float L = heldLevel(p->level);
    if (!drawable) return;
    int32_t* rowOff = frameInts(static_cast<size_t>(f.h + f.w));
    int32_t* colOff = rowOff + f.h;
    for (int32_t y = 0; y < f.h; ++y) rowOff[y] = static_cast<int16_t>(truncToInt(std::sin(y * 6.2831855 / f.h) * L * 0.25));
    for (int32_t x = 0; x < f.w; ++x) colOff[x] = static_cast<int16_t>(truncToInt(std::sin(x * 6.2831855 / f.w) * L * 0.25));
    drawRowColumnShift(f, rowOff, colOff, [&](int32_t x, int32_t y) { return pixelOf(f, x, y); });
}

void applyWtWater5(EffectParams* p) {
    WaterState& st = stateOf(p);
    updateEffectLevel(p, 0.0f, 1.0f);
    Frame f;
    if (p->firstFrame)
        for (auto& slot : st.slots) slot[0] = 0;
    if (!frameOf(p, &f)) return;
    const int64_t w = std::max(1, truncToInt(5 * sizeScale(f)));
    if (p->beat) {
        const int slot = freeSlot(st);
        if (slot >= 0) {
            st.slots[slot][0] = 1;
            st.slots[slot][1] = static_cast<int32_t>(w);
        }
    } else {
        for (auto& slot : st.slots)
            if (slot[0]) slot[1] = static_cast<int32_t>(slot[1] + w);
    }
    const int64_t hw = f.w / 2, hh = f.h / 2, far = hh * hh + hw * hw;
    for (auto& slot : st.slots) {
        int64_t r = slot[1];
        if (r * r > far || r < 0) {   // run out to the corners (or left over from another effect)
            slot[0] = 0;
            r = slot[1] = static_cast<int32_t>(w);
        }
        slot[3] = static_cast<int32_t>(r * r);
        slot[4] = static_cast<int32_t>((r + w) * (r + w));
        slot[5] = static_cast<int32_t>((r - w) * (r - w));
    }
    for (int64_t dy = -hh; dy < hh; ++dy) {
        Pixel* d = f.dstRow(static_cast<int32_t>(hh + dy)) + hw;
        const Pixel* s = f.srcRow(static_cast<int32_t>(hh + dy)) + hw;
        for (int64_t dx = -hw; dx < hw; ++dx) {
            const int64_t dd = dx * dx + dy * dy;
            Pixel out = s[dx];
            for (int i = 0; i < 3; ++i) {
                const int32_t* slot = st.slots[i];
                if (!slot[0] || !(slot[5] < dd && dd < slot[4])) continue;
                const int64_t bend = static_cast<int16_t>(std::llabs(dd - slot[3]) + 4096);
                if (bend <= 0) continue;
                const int64_t x = static_cast<int16_t>(hw + dx * 4096 / bend);
                const int64_t y = static_cast<int16_t>(hh + dy * 4096 / bend);
                if (inside(x, y, f)) out = pixelOf(f, x, y);
            }
            d[dx] = out;
        }
    }
}

void applyWtWater6(EffectParams* p) {
    WaterState& st = stateOf(p);
    if (p->firstFrame) {
        st.splitDirX = 1;
        st.splitDirY = 0;
        st.splitTurn = 0;
        st.splitBeats = 0;
    }
    updateEffectLevel(p, 0.9f, 1.0f);
    const float L = heldLevel(p->level);
    if (st.splitBeats == 0) {
        st.splitTurn = static_cast<float>(2 * (crtRand() & 1) - 1) * 0.5f;
        st.splitBeats = 1;
    }
    if (p->beat) st.splitBeats += 1;
    if (st.splitBeats > 5 || st.splitBeats < 0) st.splitBeats = 0;
    rotateAboutPoint(&st.splitDirX, &st.splitDirY, st.splitTurn, 0, 0);
    Frame f;
    if (!frameOf(p, &f)) return;
    const int32_t hw = f.w / 2, hh = f.h / 2;
    const int32_t x = std::clamp(truncToInt(st.splitDirX * L * (f.w * 0.0015625) * 0.125 + hw), 0, f.w);
    const int32_t y = std::clamp(truncToInt(st.splitDirY * L * (f.h * 0.0020833333) * 0.125 + hh), 0, f.h);
    stretchRectSmooth(f.dst, f.src, Rect{0, 0, x, y}, Rect{0, 0, hw, hh}, f.pitch, f.pitch);
    stretchRectSmooth(f.dst, f.src, Rect{x, 0, f.w, y}, Rect{hw, 0, f.w, hh}, f.pitch, f.pitch);
    stretchRectSmooth(f.dst, f.src, Rect{0, y, x, f.h}, Rect{0, hh, hw, f.h}, f.pitch, f.pitch);
    stretchRectSmooth(f.dst, f.src, Rect{x, y, f.w, f.h}, Rect{hw, hh, f.w, f.h}, f.pitch, f.pitch);
}

void applyWtGlass(EffectParams* p) {
    Frame f;
    const bool drawable = frameOf(p, &f);
    updateEffectLevel(p, 0.92f, drawable ? std::sqrt(sizeScale(f)) : 1.0f);
    const float L = heldLevel(p->level);
    if (!drawable) return;
    const double e = L * 0.05;
    const int64_t k = truncToInt(L) / 2;
    int32_t* rowOff = frameInts(static_cast<size_t>(f.h + f.w));
    int32_t* colOff = rowOff + f.h;
    for (int32_t y = 0; y < f.h; ++y)
        rowOff[y] = static_cast<int16_t>(truncToInt(e * std::cos(k * (y - f.h / 2) * 3.1415927 / f.h)));
    for (int32_t x = 0; x < f.w; ++x)
        colOff[x] = static_cast<int16_t>(truncToInt(e * std::cos(k * (x - f.w / 2) * 3.1415927 / f.w)));
    drawRowColumnShift(f, rowOff, colOff, [](int32_t, int32_t) -> Pixel { return 0; });
}

void applyWtGlass2(EffectParams* p) {
    updateEffectLevel(p, 0.91f, 1.0f);
    const float L = heldLevel(p->level);
    Frame f;
    if (!frameOf(p, &f)) return;
    const double d = L * 0.03125;
    int32_t* rowAmp = frameInts(static_cast<size_t>(f.h + f.w));
    int32_t* colAmp = rowAmp + f.h;
    for (int32_t y = 0; y < f.h; ++y)
        rowAmp[y] = static_cast<int16_t>(truncToInt(d * std::cos((y - f.h / 2) * 100.53097 / f.h)));
    for (int32_t x = 0; x < f.w; ++x)
        colAmp[x] = static_cast<int16_t>(truncToInt(d * std::sin((x - f.w / 2) * 100.53097 / f.w)));
    for (int32_t y = 0; y < f.h; ++y) {
        const Pixel* s = f.srcRow(y);
        Pixel* dst = f.dstRow(y);
        for (int32_t x = 0; x < f.w; ++x) {
            const int64_t sx = x + int64_t{rowAmp[y]} * colAmp[x];
            dst[x] = sx > 0 && sx < f.w ? s[sx] : 0;
        }
    }
}
