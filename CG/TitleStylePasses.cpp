#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "CG/TitleStyles.h"
#include "render/FloatToInt.h"
#include "render/MaskRelief.h"
#include "render/MeshVertex.h"
#include "render/RandomGeometry.h"

namespace {

// The part of the image a pass works on; pixels outside it read as background.
struct Region {
    Pixel* base;
    int32_t w;
    int32_t h;
    int32_t stride;

    bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Pixel at(int32_t x, int32_t y) const { return inside(x, y) ? base[static_cast<std::ptrdiff_t>(y) * stride + x] : 0; }
    Pixel* row(int32_t y) const { return base + static_cast<std::ptrdiff_t>(y) * stride; }
};

Region regionOf(Pixel* pixels, const Rect& rect, int32_t rowLength) {
    const int32_t w = std::max(0, rect.right - rect.left), h = std::max(0, rect.bottom - rect.top);
    return {pixels + static_cast<std::ptrdiff_t>(rect.top) * rowLength + rect.left, w, h, rowLength};
}

// A zeroed image of the region's size that replaces the region at the end.
class StyleCopy {
public:
    explicit StyleCopy(const Region& r) : r_(r), px_(static_cast<size_t>(r.w) * r.h, 0) {}
    void set(int32_t x, int32_t y, Pixel v) {
        if (r_.inside(x, y)) px_[static_cast<size_t>(y) * r_.w + x] = v;
    }
    void commit() {
        for (int32_t y = 0; y < r_.h; ++y)
            std::memcpy(r_.row(y), px_.data() + static_cast<size_t>(y) * r_.w, static_cast<size_t>(r_.w) * sizeof(Pixel));
    }

private:
    Region r_;
    std::vector<Pixel> px_;
};

// Builds a new image from the lit pixels: perLit(region, copy, x, y, pixel) for
// each, in row order, into a zeroed copy that then replaces the region.
template <class F>
void restyleLitPixels(Pixel* pixels, const Rect& rect, int32_t rowLength, F perLit) {
    const Region r = regionOf(pixels, rect, rowLength);
    StyleCopy out(r);
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0; x < r.w; ++x)
            if (const Pixel p = r.at(x, y)) perLit(r, out, x, y, p);
    out.commit();
}

// ---- Heights, smoothing and lighting of the relief styles ---------------------

class HeightMap {
public:
    HeightMap(int32_t w, int32_t h) : w_(w), h_(h), v_(static_cast<size_t>(w) * h, 0.0f) {}
    float at(int32_t x, int32_t y) const {
        return (x >= 0 && y >= 0 && x < w_ && y < h_) ? v_[static_cast<size_t>(y) * w_ + x] : 0.0f;
    }
    float& operator()(int32_t x, int32_t y) { return v_[static_cast<size_t>(y) * w_ + x]; }

private:
    int32_t w_, h_;
    std::vector<float> v_;
};

// For lit pixels: the mean of the (2k + 1)² heights around; neighbours outside
// the image add nothing but still count in the divisor.
HeightMap smoothHeights(const Region& r, const HeightMap& in, int32_t k) {
    if (k <= 0) return in;
    HeightMap out = in;
    const float divisor = static_cast<float>((2 * k + 1) * (2 * k + 1));
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0; x < r.w; ++x) {
            if (!r.at(x, y)) continue;
            float sum = 0.0f;
            for (int32_t j = std::max(0, y - k); j <= std::min(r.h - 1, y + k); ++j)
                for (int32_t i = std::max(0, x - k); i <= std::min(r.w - 1, x + k); ++i) sum += in.at(i, j);
            out(x, y) = sum / divisor;
        }
    return out;
}

struct Lighting {
    int32_t ambient;
    float specularScale;
    int32_t squarings;   // specular power 2^squarings
};

// Light (1, 1, -1), half vector (1, 1, -2) / |(1, 1, -2)|.
Pixel shadePixel(Pixel c, const MeshVertex& n, const Lighting& l) {
    const float diffuse = 256.0f * (n.x + n.y - n.z);
    const int32_t gain = (diffuse > 0.0f ? truncToInt(diffuse) : 0) + l.ambient;
    const float s = (n.x + n.y - 2.0f * n.z) / 2.4494898f;
    int32_t specular = 0;
    if (s > 0.0f) {
        float v = s;
        for (int32_t i = 0; i < l.squarings; ++i) v *= v;
        specular = truncToInt(l.specularScale * v);
    }
    auto channel = [&](int32_t shift) {
        const int32_t value = specular + gain * static_cast<int32_t>((c >> shift) & 0xFF) / 256;
        return static_cast<Pixel>(std::clamp(value, 0, 255)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

MeshVertex point(int32_t x, int32_t y, float z) { return {static_cast<float>(x), static_cast<float>(y), z, 0}; }

// Squared distance from a lit pixel to the nearest background pixel, by square
// rings. An image without background counts every pixel as far from the edge.
int32_t edgeDistance2(const Region& r, int32_t x, int32_t y) {
    const int32_t count = (r.h - 1) * r.stride + r.w;
    const int32_t index = y * r.stride + x;
    const int32_t limit = std::max(r.w, r.h);
    int32_t d2 = kNoPixelFound;
    for (int32_t n = 0; n <= limit; ++n)
        if (!findNearestPixel(r.base, count, index, r.stride, n, &d2)) return d2;
    return limit * limit;
}

// ---- Ripple reliefs -----------------------------------------------------------

constexpr int32_t kRippleSteps = 512;

// Walks in from every edge, lowering each height to the ripple entry of its
// step; a walk ends at the glyph's far edge or at the end of the ripple table.
void rippleHeights(const Region& r, HeightMap& h, const float* ripple) {
    auto lit = [&](int32_t x, int32_t y) { return r.at(x, y) != 0; };
    auto walk = [&](int32_t x, int32_t y, int32_t dx, int32_t dy) {
        for (int32_t i = 0; i < kRippleSteps && lit(x, y); ++i, x += dx, y += dy)
            if (ripple[i] < h(x, y)) h(x, y) = ripple[i];
    };
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0; x < r.w; ++x) {
            if (!lit(x, y)) continue;
            if (!lit(x - 1, y)) walk(x, y, 1, 0);
            if (!lit(x + 1, y)) walk(x, y, -1, 0);
            if (!lit(x, y - 1)) walk(x, y, 0, 1);
            if (!lit(x, y + 1)) walk(x, y, 0, -1);
        }
}

void renderRipple(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size,
                  const float* ripple, float specularScale) {
    const Region r = regionOf(pixels, rect, rowLength);
    if (r.w <= 0 || r.h <= 0) return;
    HeightMap h(r.w, r.h);
    const float start = static_cast<float>(size / 2);
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0; x < r.w; ++x)
            if (r.at(x, y)) h(x, y) = start;
    rippleHeights(r, h, ripple);
    HeightMap s = smoothHeights(r, h, size / 8);
    const float scale = static_cast<float>(depth);
    const Lighting light{64, specularScale, 4};
    for (int32_t y = 0; y < r.h; ++y) {
        Pixel* row = r.row(y);
        for (int32_t x = 0; x < r.w; ++x) {
            if (!row[x]) continue;
            MeshVertex n{};
            planeNormal(&n, point(x, y, s.at(x, y) * scale), point(x, y + 1, s.at(x, y + 1) * scale),
                        point(x + 1, y, s.at(x + 1, y) * scale));
            row[x] = shadePixel(row[x], n, light);
        }
    }
}

// Halved and doubled channels of a colour.
Pixel halfColor(Pixel c) { return (c >> 1) & 0x7F7F7Fu; }
Pixel doubleColor(Pixel c) {
    auto ch = [&](int32_t shift) { return std::min<Pixel>(255, ((c >> shift) & 0xFF) * 2) << shift; };
    return ch(16) | ch(8) | ch(0);
}

}  // namespace

void renderStyleBevel(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size,
                      int32_t profile) {
    const Region r = regionOf(pixels, rect, rowLength);
    if (r.w <= 0 || r.h <= 0) return;
    HeightMap h(r.w, r.h);
    const int32_t radius = size / 2;
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0; x < r.w; ++x) {
            if (!r.at(x, y)) continue;
            const int32_t d2 = edgeDistance2(r, x, y);
            float v = 0.0f;
            if (profile == 0) {
                v = 2.0f * std::sqrt(static_cast<float>(d2));
            } else if (profile == 1) {
                v = static_cast<float>(d2 / 2);
            } else {
                const float s = std::sqrt(static_cast<float>(d2));
                const float twoR = static_cast<float>(2 * radius);
                v = s >= twoR ? static_cast<float>(radius) : std::sqrt(s * (twoR - s));
            }
            h(x, y) = v * static_cast<float>(depth);
        }
    HeightMap s = smoothHeights(r, h, size / 8);
    const Lighting light{100, 512.0f, 5};
    for (int32_t y = 0; y < r.h; ++y) {
        Pixel* row = r.row(y);
        for (int32_t x = 0; x < r.w; ++x) {
            if (!row[x]) continue;
            const MeshVertex ul = point(x - 1, y - 1, s.at(x - 1, y - 1)), ur = point(x + 1, y - 1, s.at(x + 1, y - 1));
            const MeshVertex ll = point(x - 1, y + 1, s.at(x - 1, y + 1)), lr = point(x + 1, y + 1, s.at(x + 1, y + 1));
            MeshVertex n1{}, n2{}, n{};
            planeNormal(&n1, ul, ll, lr);
            planeNormal(&n2, ur, ll, lr);
            midpoint(&n, n1, n2);
            row[x] = shadePixel(row[x], n, light);
        }
    }
}

void renderStyle3DUltung(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size) {
    static const std::vector<float> ripple = [] {
        std::vector<float> t(kRippleSteps);
        for (int32_t i = 0; i < kRippleSteps; ++i) t[i] = 16.0f * static_cast<float>(std::cos(0.1 * i));
        return t;
    }();
    renderRipple(pixels, rect, rowLength, depth, size, ripple.data(), 256.0f);
}

void renderStyle3DUltung2(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t depth, int32_t size) {
    static const std::vector<float> ripple = [] {
        std::vector<float> t(kRippleSteps);
        for (int32_t i = 0; i < kRippleSteps; ++i)
            t[i] = 16.0f * static_cast<float>(std::sin(0.21 * i) + std::sin(0.15 * i));
        return t;
    }();
    renderRipple(pixels, rect, rowLength, depth, size, ripple.data(), 512.0f);
}

void renderStyleBlackFrame(Pixel* pixels, const Rect& rect, int32_t rowLength, Pixel outline) {
    const Region r = regionOf(pixels, rect, rowLength);
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0; x < r.w; ++x) {
            const Pixel p = r.row(y)[x];
            if (!p || p == outline) continue;
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && r.inside(x + dx, y + dy) && r.row(y + dy)[x + dx] == 0)
                        r.row(y + dy)[x + dx] = outline;
        }
}

void renderStyleWhiten(Pixel* pixels, const Rect& rect, int32_t rowLength) {
    restyleLitPixels(pixels, rect, rowLength, [](const Region& r, StyleCopy& out, int32_t x, int32_t y, Pixel p) {
        out.set(x, y, 0xFFFFFFu);
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && r.inside(x + dx, y + dy) && r.at(x + dx, y + dy) == 0) {
                    out.set(x + dx, y + dy, p);
                    out.set(x, y, p);
                }
    });
}

void renderStyleShadow(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t titleColor) {
    const Pixel shadow = halfColor(colorRefToPixel(titleColor));
    restyleLitPixels(pixels, rect, rowLength, [&](const Region& r, StyleCopy& out, int32_t x, int32_t y, Pixel p) {
        for (int32_t j = 1; j <= 6; ++j)
            if (r.inside(x + j, y + j) && r.at(x + j, y + j) == 0) out.set(x + j, y + j, shadow);
        out.set(x, y, p);
    });
}

void renderStyleBolok(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t titleColor) {
    const Pixel color = colorRefToPixel(titleColor);
    const Pixel light = doubleColor(color), dark = halfColor(color);
    restyleLitPixels(pixels, rect, rowLength, [&](const Region& r, StyleCopy& out, int32_t x, int32_t y, Pixel p) {
        auto background = [&](int32_t bx, int32_t by) { return r.inside(bx, by) && r.at(bx, by) == 0; };
        // The neighbour in a direction, and the one beyond it, while they are background.
        auto rim = [&](int32_t dx, int32_t dy, Pixel c) {
            if (!background(x + dx, y + dy)) return;
            out.set(x + dx, y + dy, c);
            if (background(x + 2 * dx, y + 2 * dy)) out.set(x + 2 * dx, y + 2 * dy, c);
        };
        rim(-1, 0, light);
        rim(0, -1, light);
        rim(-1, -1, light);
        if (background(x + 1, y - 1)) out.set(x + 1, y - 1, r.at(x, y - 1) ? dark : light);
        rim(1, 0, dark);
        rim(0, 1, dark);
        rim(1, 1, dark);
        rim(-1, 1, dark);
        out.set(x, y, p);
    });
}

void renderStyleBoxFrame(Pixel* pixels, const Rect& rect, int32_t rowLength) {
    const Region r = regionOf(pixels, rect, rowLength);
    auto plot = [&](int32_t x, int32_t y) {
        if (r.inside(x, y)) r.row(y)[x] = 0xFFFFFFu;
    };
    for (int32_t x = 2; x <= r.w - 3; ++x) {
        plot(x, 2);
        plot(x, r.h - 4);
    }
    for (int32_t y = 2; y <= r.h - 3; ++y) {
        plot(2, y);
        plot(r.w - 4, y);
    }
}

void renderStyleNeon(Pixel* pixels, const Rect& rect, int32_t rowLength, int32_t titleColor) {
    const Region r = regionOf(pixels, rect, rowLength);
    if (r.w <= 0 || r.h <= 0) return;
    // The ring search reads the region as a w x h block of rows w long.
    std::vector<Pixel> mask(static_cast<size_t>(r.w) * r.h);
    for (int32_t y = 0; y < r.h; ++y)
        std::memcpy(mask.data() + static_cast<size_t>(y) * r.w, r.row(y), static_cast<size_t>(r.w) * sizeof(Pixel));
    // Text pixels counted over every top-left rectangle, so a pixel with no text
    // within the eight rings is known at once (most of the image).
    const int32_t iw = r.w + 1;
    std::vector<int32_t> sums(static_cast<size_t>(iw) * (r.h + 1), 0);
    for (int32_t y = 0; y < r.h; ++y)
        for (int32_t x = 0, run = 0; x < r.w; ++x) {
            run += (mask[static_cast<size_t>(y) * r.w + x] & 0xFFFFFFu) != 0;
            sums[static_cast<size_t>(y + 1) * iw + x + 1] = sums[static_cast<size_t>(y) * iw + x + 1] + run;
        }
    auto textNear = [&](int32_t x, int32_t y) {
        const int32_t x0 = std::max(0, x - 8), y0 = std::max(0, y - 8);
        const int32_t x1 = std::min(r.w, x + 9), y1 = std::min(r.h, y + 9);
        auto at = [&](int32_t sx, int32_t sy) { return sums[static_cast<size_t>(sy) * iw + sx]; };
        return at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0) > 0;
    };
    for (int32_t y = 0; y < r.h; ++y) {
        Pixel* row = r.row(y);
        for (int32_t x = 0; x < r.w; ++x) {
            if (row[x] & 0xFFFFFFu) continue;
            if (!textNear(x, y)) {
                row[x] = 0;
                continue;
            }
            int32_t d2 = 255;
            for (int32_t n = 0; n <= 8; ++n) {
                int32_t found = kNoPixelFound;
                if (!findNearestPixelClipped(mask.data(), r.w, r.h, x, y, n, &found)) {
                    d2 = found;
                    break;
                }
            }
            const int32_t g = std::min(255, truncToInt(std::sqrt(static_cast<float>(d2)) * 36.0f));
            row[x] = static_cast<Pixel>(255 - g) << 24;
        }
    }
    const Pixel text = colorRefToPixel(titleColor);
    for (int32_t y = 0; y < r.h; ++y) {
        Pixel* row = r.row(y);
        for (int32_t x = 0; x < r.w; ++x) {
            const Pixel p = row[x];
            if (p & 0xFFFFFFu) {
                row[x] = 0xFFFFFFu;
            } else if (const uint32_t a = p >> 24) {
                auto ch = [&](int32_t shift) { return (((255 - a) * ((text >> shift) & 0xFF) + a * 255) >> 8) << shift; };
                row[x] = ch(16) | ch(8) | ch(0);
            }
        }
    }
}

void renderStyleShadowOnly(Pixel* pixels, const Rect& rect, int32_t rowLength) {
    restyleLitPixels(pixels, rect, rowLength, [](const Region& r, StyleCopy& out, int32_t x, int32_t y, Pixel p) {
        if (p != r.at(x - 1, y - 1)) {
            out.set(x, y, p);
            return;
        }
        for (int32_t j = 1; j <= 3 && r.inside(x + j, y + j) && r.at(x + j, y + j) != p; ++j) out.set(x + j, y + j, p);
    });
}
