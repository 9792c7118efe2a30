#include "render/MaskRelief.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "render/FloatToInt.h"
#include "render/MeshGeometry.h"
#include "render/RandomGeometry.h"

namespace {

// Smallest n^2 + offset^2 over the accepted candidates of the ring at
// distance n around `index`, kNoPixelFound when none.
template <class Accept>
int32_t ringBest(int64_t index, int64_t pitch, int32_t n, Accept accept) {
    int32_t best = kNoPixelFound;
    const int64_t nn = int64_t{n} * n;
    for (int32_t j = -n; j <= n; ++j) {
        const int32_t d2 = static_cast<int32_t>(nn + int64_t{j} * j);
        if (d2 >= best) continue;
        if (accept(index - n * pitch + j) || accept(index + n * pitch + j) || accept(index + j * pitch - n) ||
            accept(index + j * pitch + n))
            best = d2;
    }
    return best;
}

bool hasBlackPixel(const Pixel* mask, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        if (mask[i] == 0) return true;
    return false;
}

struct EdgeSearch {
    const Pixel* mask;
    int32_t count, pitch;
    bool anyBlack;      // without a black pixel the ring search would never end
    int32_t firstRing;  // 1, or 0 to look at the pixel itself too
    int32_t farRing;    // from this ring on every distance shades alike (0: no such ring)
    bool capped;        // the search uses the distance limit
    int32_t limit;

    int32_t distance(int32_t index) const {
        if (!anyBlack) return capped && limit < kNoPixelFound ? limit : kNoPixelFound;
        // A black pixel in range lies on a ring no wider than the range's rows or pitch.
        const int32_t lastRing = count / std::max(pitch, 1) + pitch + 1;
        int32_t d = kNoPixelFound;
        for (int32_t n = firstRing; n <= lastRing; ++n) {
            if (farRing > 0 && n >= farRing) return n * n;
            const int32_t missed = capped ? findNearestPixelAlt(mask, count, index, pitch, n, &d, limit)
                                          : findNearestPixel(mask, count, index, pitch, n, &d);
            if (!missed) return d;
        }
        return d;
    }
};

// Heights per pixel of the RECT's rows at the buffer's pitch, with a zero
// border of one row and one column for the lighting's neighbours.
class HeightField {
public:
    HeightField(int32_t rows, int32_t pitch)
        : pitch_(pitch), size_(static_cast<size_t>(rows + 2) * pitch + 2),
          heights_(new (std::nothrow) float[size_]()), sums_(new (std::nothrow) float[size_]()) {}
    bool ok() const { return heights_ && sums_; }
    float& at(int64_t index) { return heights_[static_cast<size_t>(index + pitch_ + 1)]; }
    float& sumAt(int64_t index) { return sums_[static_cast<size_t>(index + pitch_ + 1)]; }

private:
    int32_t pitch_;
    size_t size_;
    std::unique_ptr<float[]> heights_, sums_;
};

struct Light {
    double dx, dy, dz;
};
double dot(const MeshVertex& n, const Light& l) { return n.x * l.dx + n.y * l.dy + n.z * l.dz; }

// The shared pipeline: heights from the edge distance, a box smoothing of
// half-width q, lighting through the normal of the scaled height surface.
template <class HeightOf, class ShadeOf>
void buildRelief(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t q, float boxFactor,
                 HeightOf heightOf, ShadeOf shadeOf) {
    const int32_t rows = rect.bottom - rect.top, width = rect.right - rect.left;
    if (rows <= 0 || width <= 0 || pitch <= 0) return;
    const int64_t count = int64_t{rows} * pitch;
    Pixel* base = mask + static_cast<intptr_t>(rect.top) * pitch + rect.left;
    HeightField field(rows, pitch);
    if (!field.ok()) return;   // no memory for the heights: the mask stays as it is
    auto shape = [&](int64_t index) { return base[index] != 0; };

    for (int32_t i = 0; i < rows; ++i)
        for (int32_t c = 0; c < width; ++c) {
            const int64_t index = int64_t{i} * pitch + c;
            if (shape(index)) field.at(index) = heightOf(static_cast<int32_t>(index));
        }
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t c = 0; c < width; ++c) {
            const int64_t index = int64_t{i} * pitch + c;
            if (!shape(index)) continue;
            double sum = 0.0;
            for (int32_t dy = -q; dy <= q; ++dy)
                for (int32_t dx = -q; dx <= q; ++dx) {
                    const int64_t k = index + int64_t{dy} * pitch + dx;
                    if (k >= 0 && k < count) sum += field.at(k);
                }
            field.sumAt(index) = static_cast<float>(sum * boxFactor);
        }
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t c = 0; c < width; ++c) {
            const int64_t index = int64_t{i} * pitch + c;
            if (shape(index)) field.at(index) = field.sumAt(index);
        }
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t c = 0; c < width; ++c) {
            const int64_t index = int64_t{i} * pitch + c;
            if (!shape(index)) continue;
            auto point = [&](int32_t dx, int32_t dy) {
                return MeshVertex{static_cast<float>(c + dx), static_cast<float>(i + dy),
                                  s * field.at(index + int64_t{dy} * pitch + dx), 0};
            };
            const MeshVertex p1 = point(-1, -1), p2 = point(1, -1), p3 = point(-1, 1), p4 = point(1, 1);
            MeshVertex n1{}, n2{}, n{};
            planeNormal(&n1, p1, p3, p2);
            planeNormal(&n2, p2, p3, p4);
            midpoint(&n, n1, n2);
            base[index] = shadeOf(n);
        }
}

double raise32(double e) {
    for (int i = 0; i < 5; ++i) e *= e;
    return e;
}

// The bevel of the block reliefs: sqrt(u (t - u)) inside radius w / 2, flat beyond.
float bevelHeight(int32_t d2, int32_t w) {
    const int32_t r = w >> 1;
    if (static_cast<int64_t>(d2) < int64_t{r} * r) {
        const double u = std::sqrt(static_cast<double>(d2));
        return static_cast<float>(std::sqrt(u * ((w & ~1) - u)));
    }
    return static_cast<float>(r);
}

Pixel maskShade(const MeshVertex& n) {
    const Light diffuseDir{0.7f, 0.7f, -0.7f};
    const Light specularDir{0.35582998f, 0.35582998f, -0.86415857f};
    double diffuse = 256.0 * dot(n, diffuseDir);
    if (diffuse < 0.0) diffuse = 0.0;
    const double e = dot(n, specularDir);
    const double specular = e > 0.0 ? raise32(e) * 256.0 : 0.0;
    const uint32_t low = static_cast<uint32_t>(truncToInt(diffuse) + 100) & 0xFFFF;
    const uint32_t high = static_cast<uint32_t>(truncToInt(specular)) & 0xFFFF;
    return low | (high << 16);
}

void maskRelief(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, bool capped, int32_t limit) {
    const int32_t rows = rect.bottom - rect.top;
    if (rows <= 0 || pitch <= 0) return;
    const Pixel* base = mask + static_cast<intptr_t>(rect.top) * pitch + rect.left;
    const int32_t count = rows * pitch;
    const int32_t r = w >> 1;
    EdgeSearch search{base, count, pitch, hasBlackPixel(base, count), 1, r > 0 ? r : 1, capped, limit};
    buildRelief(
        mask, rect, pitch, s, 2, 0.04f, [&](int32_t index) { return bevelHeight(search.distance(index), w); },
        maskShade);
}

}  // namespace

int32_t findNearestPixel(const Pixel* mask, int32_t count, int32_t index, int32_t pitch, int32_t n,
                         int32_t* outDistance) {
    *outDistance = ringBest(index, pitch, n, [&](int64_t k) { return k >= 0 && k < count && mask[k] == 0; });
    return *outDistance == kNoPixelFound ? 1 : 0;
}

int32_t findNearestPixelAlt(const Pixel* mask, int32_t count, int32_t index, int32_t pitch, int32_t n,
                            int32_t* outDistance, int32_t limit) {
    int32_t missed = findNearestPixel(mask, count, index, pitch, n, outDistance);
    if (limit < *outDistance) {
        *outDistance = limit;
        missed = 0;
    }
    return missed;
}

int32_t findNearestPixelClipped(const Pixel* mask, int32_t width, int32_t height, int32_t x, int32_t y, int32_t n,
                                int32_t* outDistance) {
    int32_t best = kNoPixelFound;
    const int64_t nn = int64_t{n} * n;
    auto coloured = [&](int64_t px, int64_t py) { return (mask[py * width + px] & 0xFFFFFF) != 0; };
    auto consider = [&](int64_t offset, bool hit) {
        const int64_t d2 = nn + offset * offset;
        if (hit && d2 < best) best = static_cast<int32_t>(d2);
    };
    const int64_t top = int64_t{y} - n, bottom = int64_t{y} + n, left = int64_t{x} - n, right = int64_t{x} + n;
    for (int64_t px = std::max<int64_t>(left, 0); px <= std::min<int64_t>(right, int64_t{width} - 1); ++px) {
        if (top >= 0 && top < height) consider(px - x, coloured(px, top));
        if (bottom >= 0 && bottom < height) consider(px - x, coloured(px, bottom));
    }
    for (int64_t py = std::max<int64_t>(top, 0); py <= std::min<int64_t>(bottom, int64_t{height} - 1); ++py) {
        if (left >= 0 && left < width) consider(py - y, coloured(left, py));
        if (right >= 0 && right < width) consider(py - y, coloured(right, py));
    }
    *outDistance = best;
    return best == kNoPixelFound ? 1 : 0;
}

void renderMaskRelief(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, int32_t) {
    maskRelief(mask, rect, pitch, s, w, false, 0);
}

void renderMaskReliefB(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, int32_t,
                       int32_t distanceLimit) {
    maskRelief(mask, rect, pitch, s, w, true, distanceLimit);
}

void renderTitleRelief(Pixel* mask, const Rect& rect, int32_t pitch, float s, int32_t w, int32_t profile) {
    const int32_t rows = rect.bottom - rect.top;
    if (rows <= 0 || pitch <= 0) return;
    const Pixel* base = mask + static_cast<intptr_t>(rect.top) * pitch + rect.left;
    const int32_t count = rows * pitch;
    const int32_t t = w & ~1;
    // Profile 2 is flat from distance t on; the others grow without bound.
    EdgeSearch search{base, count, pitch, hasBlackPixel(base, count), 0, profile == 2 ? std::max(t, 1) : 0, false, 0};
    auto heightOf = [&](int32_t index) -> float {
        const int32_t d2 = search.distance(index);
        switch (profile) {
        case 0: return static_cast<float>(2.0 * std::sqrt(static_cast<double>(d2)));
        case 1: return static_cast<float>(d2 / 2);
        case 2: {
            const double u = std::sqrt(static_cast<double>(d2));
            if (t <= u) return static_cast<float>(w >> 1);
            return static_cast<float>(std::sqrt(u * (t - u)));
        }
        default: return 0.0f;
        }
    };
    auto shadeOf = [](const MeshVertex& n) -> Pixel {
        const Light diffuseDir{1.0, 1.0, -1.0};
        const Light specularDir{0.40824831f, 0.40824831f, -0.81649661f};
        double diffuse = 256.0 * dot(n, diffuseDir);
        if (diffuse < 0.0) diffuse = 0.0;
        const double e = dot(n, specularDir);
        const int32_t specular = e > 0.0 ? std::min(255, truncToInt(raise32(e) * 512.0)) : 0;
        const uint32_t gain = static_cast<uint32_t>(std::min(255, truncToInt(diffuse) + 100));
        // Each slope keeps its own byte; a negative y slope must not spill into the x byte.
        const uint32_t slopeY = static_cast<uint32_t>(truncToInt(64.0 * n.y)) & 0xFF;
        const uint32_t slopeX = static_cast<uint32_t>(truncToInt(64.0 * n.x)) & 0xFF;
        return gain | (static_cast<uint32_t>(specular) << 8) | (slopeY << 16) | (slopeX << 24);
    };
    const int32_t q = std::max(w / 8, 0);
    const float boxFactor = 1.0f / static_cast<float>((2 * q + 1) * (2 * q + 1));
    buildRelief(mask, rect, pitch, s, q, boxFactor, heightOf, shadeOf);
}
