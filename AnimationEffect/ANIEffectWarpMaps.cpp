// The eighteen warp map builders. Each fills rows [first, min(height, end)) of
// both planes of a map; the shapes come from the record's ten random words.
// All integer, on the engine's sine, cosine and square-root tables, except
// the angle tables of types 8, 12 and 16 (floating point, once per map).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "AnimationEffect/ANIEffectWarping.h"
#include "AnimationEffect/AnimationEffectEntry.h"
#include "engine/CrashLog.h"
#include "render/CrtRandom.h"
#include "render/FloatToInt.h"
#include "render/TrigTables.h"

namespace {

constexpr const char* kUnit = animationEffectUnitPath(AnimationEffectUnit::Warping);
constexpr double kPi = 3.141592653589793;

inline int64_t S(int64_t i) { return SineTable[i & 8191]; }
inline int64_t C(int64_t i) { return CosineTable[i & 8191]; }
inline int64_t S16(int64_t a) { return SineTable[(a & 0xFFFF) >> 3]; }
inline int64_t C16(int64_t a) { return CosineTable[(a & 0xFFFF) >> 3]; }
// sqrt(i) x 1024: the table where it reaches, the same formula past its end
// (large frames ask for more than its 8,192 entries).
inline int64_t Q(int64_t i) {
    if (i < 0) return 0;
    return i < kTrigTableSize ? SqrtTable[i] : static_cast<int64_t>(std::sqrt(static_cast<double>(i)) * 1024.0);
}
inline int32_t sgn(int32_t r) { return (r & 2) - 1; }

// The frame of one builder call: sizes, centre, the rows to fill, and the store.
struct MapRows {
    int16_t* px;
    int16_t* py;
    int32_t pitch, w, h, cx, cy;
    int32_t first, end;
    int64_t limitX, limitY;   // 16W - 16, 16H - 16

    void store(int32_t x, int32_t y, int64_t X, int64_t Y) const {
        const ptrdiff_t i = static_cast<ptrdiff_t>(y) * pitch + x;
        if (X >= 0 && X < limitX && Y >= 0 && Y < limitY) {
            px[i] = static_cast<int16_t>(X);
            py[i] = static_cast<int16_t>(Y);
        } else {
            px[i] = py[i] = -16;
        }
    }
};

MapRows mapRows(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end) {
    return {map, warpPlaneY(map, pitch, h), pitch, w, h, w >> 1, h >> 1, std::max(first, 0), std::min(h, end),
            16 * int64_t{w} - 16, 16 * int64_t{h} - 16};
}

// Runs f(x, y, dx, dy) -> {X, Y} over the rows.
struct Pos {
    int64_t x, y;
};
template <class F>
void fillRows(const MapRows& m, F&& f) {
    for (int32_t y = m.first; y < m.end; ++y)
        for (int32_t x = 0; x < m.w; ++x) {
            const Pos p = f(x, y, int64_t{x} - m.cx, int64_t{y} - m.cy);
            m.store(x, y, p.x, p.y);
        }
}

const int32_t* R(EffectParams* record) { return warpState(record).warpRandom; }

// ---- vortex chains (types 0-2) ---------------------------------------------

// (W + H) x 1600 / (i + 32) for i = 0..n; kept while the frame size stays.
const std::vector<int32_t>& falloffTable(int32_t w, int32_t h, int32_t n) {
    static std::vector<int32_t> table;
    static int64_t key = -1;
    const int64_t k = (int64_t{w + h} << 32) | static_cast<uint32_t>(n);
    if (k != key) {
        table.assign(static_cast<size_t>(n) + 1, 0);
        for (int32_t i = 0; i <= n; ++i) table[i] = static_cast<int32_t>(int64_t{w + h} * 1600 / (i + 32));
        key = k;
    }
    return table;
}

enum class Vortex { WhiteHoles, BlackHoles, Tornado };

template <Vortex Kind>
void buildVortexChain(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t w2h2 = int64_t{w} * w + int64_t{h} * h;
    constexpr int kTableShift = Kind == Vortex::WhiteHoles ? 4 : Kind == Vortex::BlackHoles ? 3 : 6;
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(w2h2 >> kTableShift, 1 << 24));
    const std::vector<int32_t>& falloff = falloffTable(w, h, n);
    int32_t k[3];
    for (int i = 0; i < 3; ++i) k[i] = (((r[i] >> 4) & 15) + 4) * sgn(r[i]);
    const int32_t hw = std::max(w >> 1, 1), hh = std::max(h >> 1, 1);
    const int64_t centres[3][2] = {{(r[3] % hw + r[0] % hw) * 64, (r[6] % hh + r[2] % hh) * 64},
                                   {(r[4] % hw + r[1] % hw) * 64, (r[7] % hh + r[0] % hh) * 64},
                                   {(r[5] % hw + r[2] % hw) * 64, (r[8] % hh + r[1] % hh) * 64}};
    const int32_t whiteShift = truncToInt(std::pow(static_cast<double>(w + h), 0.25) * 2.9) & 31;
    auto F = [&](int64_t u2) { return falloff[static_cast<size_t>(std::min<int64_t>(u2 >> kTableShift, n))]; };
    fillRows(m, [&](int32_t x, int32_t y, int64_t, int64_t) {
        int64_t px = 64 * int64_t{x}, py = 64 * int64_t{y};
        for (int stage = 0; stage < 3; ++stage) {
            const int64_t ccx = centres[stage][0], ccy = centres[stage][1];
            const int64_t ux = x - ccx / 64, uy = y - ccy / 64;
            const int64_t u2 = ux * ux + uy * uy;
            int64_t a;
            int64_t f = 0;
            if constexpr (Kind == Vortex::WhiteHoles) a = (k[stage] * F(u2) >> 9) & 8191;
            else if constexpr (Kind == Vortex::BlackHoles) {
                f = F(u2);
                a = (k[stage] * f >> 8) & 8191;
            } else a = (k[stage] * F(u2) >> 10) & 8191;
            const int64_t ox = px - ccx, oy = py - ccy;
            px = ccx + ((C(a) * ox + S(a) * oy) >> 15);
            py = ccy + ((C(a) * oy - S(a) * ox) >> 15);
            if constexpr (Kind == Vortex::WhiteHoles) {
                px -= (u2 * ux) >> whiteShift;
                py -= (u2 * uy) >> whiteShift;
            } else if constexpr (Kind == Vortex::BlackHoles) {
                px += (f * ux) >> 10;
                py += (f * uy) >> 10;
            }
        }
        return Pos{px >> 2, py >> 2};
    });
}

// ---- single-formula types --------------------------------------------------

void buildRotationMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t l = (r[0] & 511) - 256;
    const int32_t mode = r[1] & 3;
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t r2 = dx * dx + dy * dy;
        int64_t a;
        switch (mode) {
            case 0: a = l * 10000 / ((r2 >> 4) + 128); break;
            case 1: a = l * ((r2 >> 9) + 8); break;
            case 2: a = l * 8; break;
            default: a = (l * C(r2 >> 2)) >> 10; break;
        }
        const int64_t s = S16(a), c = C16(a), v = 2 * int64_t{y} - h, u = 2 * int64_t{x} - w;
        return Pos{8 * int64_t{w} + ((s * v + c * u) >> 12), 8 * int64_t{h} + ((c * v - s * u) >> 12)};
    });
}

void buildNewWaveMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t k = (r[0] & 127) + 1;
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t u = S(S((y & 511) * 16) / 2 + dx * k);
        const int64_t v = S(S((x & 511) * 16) / 2 + k * dy);
        return Pos{((u + r[1] - 16384) >> 9) + 16 * int64_t{x} + 1, ((v + r[2] - 16384) >> 9) + 16 * int64_t{y} + 1};
    });
}

void buildLensTwistMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t t = ((r[2] & 127) - 64) & 8191;
    const int64_t g = C(t), f = S(t);
    const int64_t d = (r[0] & 127) + m.cy - 64;
    // d near 0 (frames under about 130 rows): the lens is as strong as at |d| = 2.
    const int64_t q = 65536 / std::max<int64_t>((d * d) >> 2, 1);
    const int64_t e = r[1] & 63;
    fillRows(m, [&](int32_t, int32_t, int64_t dx, int64_t dy) {
        const int64_t o = ((q * (dx * dx + dy * dy) * e) >> 14) - 16 * e + 4096;
        const int64_t oy = (o * dy) >> 8, ox = (o * dx) >> 8;
        return Pos{16 * int64_t{m.cx} + ((f * oy + g * ox) >> 15), 16 * int64_t{m.cy} + ((g * oy - f * ox) >> 15)};
    });
}

void buildCdMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t f = ((r[0] & 8191) + 5000) / std::max(w + h, 1);
    const int s = w + h < 1201 ? 3 : 4;
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t l = C(f * (Q((dx * dx + dy * dy) >> s) >> (8 - s)));
        const int64_t l2 = std::abs(l + 16);
        return Pos{16 * int64_t{x} - ((l2 * dx) >> 13), 16 * int64_t{y} - ((l2 * dy) >> 13)};
    });
}

void buildDishMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t f = ((r[0] & 511) + 700) * 1024 / std::max(w + h, 1);
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t n = (f * Q((dx * dx + dy * dy) >> 5)) >> 17;
        const int64_t l = n * std::abs(S(n) + 16);
        return Pos{16 * int64_t{x} - ((l * dx) >> 16), 16 * int64_t{y} - ((l * dy) >> 16)};
    });
}

// ---- angle tables (types 8, 12, 16) ------------------------------------------

enum class AngleKind { Flower, StretchFlower, Tavia };

int32_t angleEntry(AngleKind kind, const WarpState& s, int64_t dx, int64_t dy) {
    const double a = std::atan2(static_cast<double>(dx), static_cast<double>(dy));
    switch (kind) {
        case AngleKind::Flower: {
            const int32_t petals = (s.warpRandom[1] & 15) + 8;
            return truncToInt(4096.0 * petals / kPi * (a + 1.1)) & 8191;
        }
        case AngleKind::StretchFlower:
            return static_cast<int16_t>(truncToInt(std::sin(s.angleLobes * a) * s.angleAmplitude));
        case AngleKind::Tavia:
            return static_cast<int16_t>(truncToInt(a * 8192.0));
    }
    return 0;
}

// A whole table of entries without a library atan2 (and sin) per entry, which
// stalled the first frame: one quadrant of angles is worked out, to within about
// 1e-15, and the others follow from it (atan2(-x, y) = -atan2(x, y), atan2(x, -y)
// = pi - atan2(x, y), and for the lobes' whole number L sin(L(pi - a)) =
// -(-1)^L sin(La)). Wherever the value before truncation lies so close to an
// integer that the library's last bits could decide it, and on the axes, the
// entry is the library's own: the table equals angleEntry's in every entry.
class QuickAngles {
public:
    QuickAngles() {
        for (int k = 0; k <= kSteps; ++k) atanOf_[k] = std::atan(static_cast<double>(k) / kSteps);
    }

    void fill(AngleKind kind, const WarpState& s, int16_t* table, int32_t pitch, int32_t w, int32_t h) const {
        const int32_t cx = w >> 1, cy = h >> 1;
        auto at = [&](int32_t x, int32_t y) -> int16_t& { return table[static_cast<ptrdiff_t>(y) * pitch + x]; };
        auto exact = [&](int32_t x, int32_t y) {
            at(x, y) = static_cast<int16_t>(angleEntry(kind, s, int64_t{x} - cx, int64_t{y} - cy));
        };
        const bool quick = kind != AngleKind::StretchFlower ||
                           (s.angleLobes >= -64 && s.angleLobes <= 64 && std::abs(s.angleAmplitude) <= (1 << 20));
        if (!quick) {
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) exact(x, y);
            return;
        }
        for (int32_t y = 0; y < h; ++y) exact(cx, y);
        for (int32_t x = 0; x < w; ++x) exact(x, cy);
        const int32_t reachX = std::max(cx, w - 1 - cx), reachY = std::max(cy, h - 1 - cy);
        std::vector<double> angle(static_cast<size_t>(reachX) + 1), wave(angle.size());
        const double k = kind == AngleKind::Flower ? 4096.0 * ((s.warpRandom[1] & 15) + 8) / kPi : 8192.0;
        const int32_t lobes = s.angleLobes;
        const double amplitude = s.angleAmplitude;
        const double margin = kind == AngleKind::StretchFlower
                                  ? (std::abs(lobes) + 1.0) * kAngleError * std::abs(amplitude) + 1e-9
                                  : k * kAngleError + 1e-9;
        for (int32_t dy = 1; dy <= reachY; ++dy) {
            for (int32_t dx = 1; dx <= reachX; ++dx) {
                angle[dx] = firstQuadrantAtan2(dx, dy);
                if (kind == AngleKind::StretchFlower) wave[dx] = sine(lobes * angle[dx]);
            }
            for (int32_t below = 0; below < 2; ++below) {
                const int32_t y = below ? cy + dy : cy - dy;
                if (y < 0 || y >= h) continue;
                // Row y has y - cy = dy below the centre (atan2 of a positive second argument).
                const bool positiveY = below;
                for (int32_t x = 0; x < w; ++x) {
                    const int32_t dx = x - cx;
                    if (dx == 0) continue;
                    const double a0 = angle[std::abs(dx)];
                    double v;
                    if (kind == AngleKind::StretchFlower) {
                        double sv = wave[std::abs(dx)];
                        if (!positiveY && !(lobes & 1)) sv = -sv;
                        v = (dx < 0 ? -sv : sv) * amplitude;
                    } else {
                        double a = positiveY ? a0 : kPiD - a0;
                        if (dx < 0) a = -a;
                        v = kind == AngleKind::Flower ? k * (a + 1.1) : a * 8192.0;
                    }
                    const int32_t lo = truncToInt(v - margin);
                    if (lo != truncToInt(v + margin) || lo == INT32_MIN) {
                        exact(x, y);
                        continue;
                    }
                    at(x, y) = static_cast<int16_t>(kind == AngleKind::Flower ? lo & 8191 : lo);
                }
            }
        }
    }

private:
    static constexpr int kSteps = 64;
    // A bound, with a wide allowance, on how far the angles and sines here and the
    // library's stray from the true values (for the arguments met here: |x| < 250).
    static constexpr double kAngleError = 1e-11;
    static constexpr double kHalfPi = 1.5707963267948966;
    static constexpr double kPiD = 3.141592653589793;

    // atan(u) for |u| <= 1/128: the series to u^9 leaves less than 1e-19.
    static double smallAtan(double u) {
        const double u2 = u * u;
        return u * (1.0 - u2 * (1.0 / 3 - u2 * (1.0 / 5 - u2 * (1.0 / 7 - u2 * (1.0 / 9)))));
    }
    // atan2(x, y) for x, y > 0: atan(t) = atan(c) + atan((t - c) / (1 + tc)) about the nearest c = k / 64.
    double firstQuadrantAtan2(int32_t x, int32_t y) const {
        const bool steep = x > y;
        const double t = steep ? static_cast<double>(y) / x : static_cast<double>(x) / y;
        const int k = static_cast<int>(t * kSteps + 0.5);
        const double c = static_cast<double>(k) / kSteps;
        const double r = atanOf_[k] + smallAtan((t - c) / (1.0 + t * c));
        return steep ? kHalfPi - r : r;
    }
    // sin(x) for |x| < 250: reduced by pi/2 in two parts, then the Taylor series of
    // the sine to x^15 or the cosine to x^16 on |r| <= pi/4 (each term one multiply-add).
    static double sine(double x) {
        const double n = static_cast<double>(static_cast<int32_t>(x * (2.0 / kPiD) + (x < 0 ? -0.5 : 0.5)));
        const double r = (x - n * 1.5707963267341256) - n * 6.077100506506192e-11;
        const double r2 = r * r;
        const int q = static_cast<int>(n) & 3;
        double v;
        if (q & 1)
            v = 1.0 + r2 * (-1.0 / 2 + r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 + r2 * (-1.0 / 3628800 +
                    r2 * (1.0 / 479001600 + r2 * (-1.0 / 87178291200.0 + r2 * (1.0 / 20922789888000.0))))))));
        else
            v = r * (1.0 + r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 +
                    r2 * (-1.0 / 39916800 + r2 * (1.0 / 6227020800.0 + r2 * (-1.0 / 1307674368000.0))))))));
        return q & 2 ? -v : v;
    }

    double atanOf_[kSteps + 1];
};

const QuickAngles& quickAngles() {
    static const QuickAngles q;
    return q;
}

}  // namespace

void fillWarpAngleTable(int32_t kind, const WarpState& s, int16_t* table, int32_t pitch, int32_t width,
                        int32_t height) {
    quickAngles().fill(static_cast<AngleKind>(std::clamp(kind, 0, 2)), s, table, pitch, width, height);
}

int32_t warpAngleEntry(int32_t kind, const WarpState& s, int64_t dx, int64_t dy) {
    return static_cast<int16_t>(angleEntry(static_cast<AngleKind>(std::clamp(kind, 0, 2)), s, dx, dy));
}

namespace {

// The angle table of this map: on a new map it is acquired (buffers[2] /
// slots[2]) and filled for the whole frame; every call keeps it. Null when
// the pool had none: the caller then works each entry out as it goes.
const int16_t* holdAngleTable(EffectParams* p, AngleKind kind, int32_t pitch, int32_t w, int32_t h) {
    WarpState& s = warpState(p);
    if (s.warpNewMap) {
        if (kind == AngleKind::StretchFlower) {
            s.angleAmplitude = crtRand() % 8192 + 4096;
            s.angleLobes = crtRand() % 32 + 8;
        }
        p->buffers[2] = p->acquireBuffer ? p->acquireBuffer(&p->slots[2]) : nullptr;
        if (p->buffers[2]) {
            quickAngles().fill(kind, s, reinterpret_cast<int16_t*>(p->buffers[2]), pitch, w, h);
        }
    }
    if (!p->buffers[2]) return nullptr;
    if (p->keepBuffer) p->keepBuffer(p->slots[2]);
    return reinterpret_cast<const int16_t*>(p->buffers[2]);
}

template <AngleKind Kind>
struct AngleSource {
    const int16_t* table;
    const WarpState* state;
    int32_t pitch;
    int32_t at(int32_t x, int32_t y, int64_t dx, int64_t dy) const {
        return table ? table[static_cast<ptrdiff_t>(y) * pitch + x] : angleEntry(Kind, *state, dx, dy);
    }
};

template <AngleKind Kind>
AngleSource<Kind> angleSource(EffectParams* p, int32_t pitch, int32_t w, int32_t h) {
    const int16_t* table = holdAngleTable(p, Kind, pitch, w, h);
    return {table, &warpState(p), pitch};
}

void buildFlowerMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    const auto angles = angleSource<AngleKind::Flower>(rec, pitch, w, h);
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t turn = ((r[0] & 2047) + 256) * sgn(r[0]);
    const int64_t s = S16(turn), c = C16(turn);
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t t = S(angles.at(x, y, dx, dy)) + 78000;
        const int64_t ox = (dx * t) >> 12, oy = (t * dy) >> 12;
        return Pos{16 * int64_t{m.cx} + ((ox * c + oy * s) >> 15), 16 * int64_t{m.cy} + ((oy * c - ox * s) >> 15)};
    });
}

void buildDandyMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams*) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    fillRows(m, [&](int32_t, int32_t, int64_t dx, int64_t dy) {
        const int64_t q = dx * dx + dy * dy + 1000;
        return Pos{16 * int64_t{m.cx} + dx * 16384 / q, 16 * int64_t{m.cy} + dy * 16384 / q};
    });
}

// Types 10-12: a radial stretch l(x, y) turned by a small angle.
template <class Stretch>
void fillStretch(const MapRows& m, int32_t turnWord, Stretch&& stretch) {
    const int64_t t = ((turnWord & 127) - 64) & 8191;
    const int64_t s = S(t), c = C(t);
    const int64_t baseX = 16 * int64_t{m.w / 2} + 1, baseY = 16 * int64_t{m.h / 2} + 1;
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t l = stretch(x, y, dx, dy);
        const int64_t ox = (l * dx) >> 14, oy = (l * dy) >> 14;
        return Pos{((s * oy + c * ox) >> 15) + baseX, ((c * oy - s * ox) >> 15) + baseY};
    });
}

void buildStretchMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const int32_t* r = R(rec);
    const int64_t k = (r[0] & 255) + 4;
    fillStretch(mapRows(map, pitch, w, h, first, end), r[1],
                [&](int32_t, int32_t, int64_t dx, int64_t dy) { return 260000 - ((k * (dx * dx + dy * dy)) >> 8); });
}

void buildStretchSmokeMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end,
                          EffectParams* rec) {
    if (first > h) return;
    const int32_t* r = R(rec);
    const int64_t k = (r[0] & 255) + 4;
    const int32_t j = (r[2] & 127) + 4;
    int32_t jitter[1024];
    for (int32_t& v : jitter) v = crtRand() % j - (j >> 1);
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int64_t t = ((r[1] & 127) - 64) & 8191;
    const int64_t s = S(t), c = C(t);
    const int64_t baseX = 16 * int64_t{w / 2} + 1, baseY = 16 * int64_t{h / 2} + 1;
    uint32_t n = 0;
    for (int32_t y = m.first; y < m.end; ++y) {
        for (int32_t x = 0; x < m.w; ++x, n += 2) {
            const int64_t dx = int64_t{x} - m.cx, dy = int64_t{y} - m.cy;
            const int64_t l = 260000 - ((k * (dx * dx + dy * dy)) >> 8);
            const int64_t ox = (l * dx) >> 14, oy = (l * dy) >> 14;
            m.store(x, y, ((s * oy + c * ox) >> 15) + baseX + jitter[n & 1023],
                    ((c * oy - s * ox) >> 15) + baseY + jitter[(n + 1) & 1023]);
        }
        n += static_cast<uint32_t>(crtRand());
    }
}

void buildStretchFlowerMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end,
                           EffectParams* rec) {
    const auto angles = angleSource<AngleKind::StretchFlower>(rec, pitch, w, h);
    if (first > h) return;
    const int32_t* r = R(rec);
    const int64_t k = (r[0] & 127) + 4;
    fillStretch(mapRows(map, pitch, w, h, first, end), r[1], [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        return angles.at(x, y, dx, dy) - ((k * (dx * dx + dy * dy)) >> 8) + 260000;
    });
}

void buildMagicStretchMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end,
                          EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t profile = R(rec)[0] & 3;
    int32_t t[512];
    for (int32_t i = 0; i < 512; ++i) {
        switch (profile) {
            case 0: t[i] = 12800 * i / (i + 800); break;
            case 1: t[i] = 1040 * i / 64; break;
            case 2: t[i] = 1008 * i / 64; break;
            default: t[i] = 14000 * i / (i + 800); break;
        }
    }
    // Frames over 1,024 wide would index past the profile: held at its end.
    auto at = [&](int64_t d) { return t[std::min<int64_t>(std::abs(d), 511)]; };
    fillRows(m, [&](int32_t, int32_t, int64_t dx, int64_t dy) {
        return Pos{16 * int64_t{m.cx} + at(dx), 16 * int64_t{m.cy} + at(dy)};
    });
}

template <int Shift, bool Butterfly>
void buildMirrorTurn(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int64_t k = (R(rec)[0] & 127) - 64;
    fillRows(m, [&](int32_t, int32_t, int64_t dx, int64_t dy) {
        const int64_t r2 = dx * dx + dy * dy;
        const int64_t f = 16 * dx - ((r2 * dx) >> Shift), g = 16 * dy - ((r2 * dy) >> Shift);
        const int64_t a = Butterfly ? (f * g * k) >> 16 : k * ((f * r2) >> 20);
        const int64_t s = S16(a), c = C16(a);
        return Pos{((s * g + c * f) >> 15) + 16 * int64_t{m.cx}, 16 * int64_t{m.cy} + ((c * g - s * f) >> 15)};
    });
}

void buildRotoMirrorMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end,
                        EffectParams* rec) {
    buildMirrorTurn<15, false>(map, pitch, w, h, first, end, rec);
}

void buildButterflyMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end,
                       EffectParams* rec) {
    buildMirrorTurn<16, true>(map, pitch, w, h, first, end, rec);
}

void buildTaviaMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    const auto angles = angleSource<AngleKind::Tavia>(rec, pitch, w, h);
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t sign = sgn(r[0]);
    const int64_t base = sign * ((r[0] & 127) + 1024);
    const int64_t mult = (r[2] & 7) + 20;
    fillRows(m, [&](int32_t x, int32_t y, int64_t dx, int64_t dy) {
        const int64_t wave = S16(angles.at(x, y, dx, dy) * mult);
        const int64_t a = base + ((wave * sign) >> 5);
        const int64_t s = S16(a), c = C16(a);
        const int64_t u = 16 * dx, v = 16 * dy;
        return Pos{((s * v + u * c) >> 15) + 16 * int64_t{m.cx}, ((c * v - u * s) >> 15) + 16 * int64_t{m.cy}};
    });
}

void buildMirelMap(int16_t* map, int32_t pitch, int32_t w, int32_t h, int32_t first, int32_t end, EffectParams* rec) {
    if (first > h) return;
    const MapRows m = mapRows(map, pitch, w, h, first, end);
    const int32_t* r = R(rec);
    const int64_t kx = (r[3] & 4095) - 2048, ky = (r[2] & 4095) - 2048;
    const int64_t ax = (r[1] & 511) - 256, ay = (r[0] & 511) - 256;
    fillRows(m, [&](int32_t x, int32_t y, int64_t, int64_t) {
        return Pos{((ax * C16(y * kx) + ay * S16(ky * x)) >> 17) + 16 * int64_t{x},
                   ((ax * S16(y * ky) - ay * C16(kx * x)) >> 17) + 16 * int64_t{y}};
    });
}

// Map type t reports a fault with trace line kBuilderTraceBase + t.
constexpr int kBuilderTraceBase = __LINE__;

}  // namespace

const WarpMapGenerator kWarpMapBuilders[kWarpMapTypes] = {
    buildVortexChain<Vortex::WhiteHoles>,
    buildVortexChain<Vortex::BlackHoles>,
    buildVortexChain<Vortex::Tornado>,
    buildRotationMap,
    buildNewWaveMap,
    buildLensTwistMap,
    buildCdMap,
    buildDishMap,
    buildFlowerMap,
    buildDandyMap,
    buildStretchMap,
    buildStretchSmokeMap,
    buildStretchFlowerMap,
    buildMagicStretchMap,
    buildRotoMirrorMap,
    buildButterflyMap,
    buildTaviaMap,
    buildMirelMap,
};

void runWarpMapGenerator(int32_t type, int16_t* map, int32_t pitch, int32_t width, int32_t height, int32_t firstRow,
                         int32_t endRow, EffectParams* record) {
    if (type < 0 || type >= kWarpMapTypes || !map || width <= 0 || height <= 0) return;
    runGuardedEntry(kUnit, kBuilderTraceBase + type, [&] {
        kWarpMapBuilders[type](map, pitch, width, height, firstRow, endRow, record);
    });
}
