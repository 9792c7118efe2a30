#include "render/TrigTables.h"

#include <cmath>

int32_t SineTable[kTrigTableSize];
int32_t CosineTable[kTrigTableSize];
int32_t SqrtTable[kTrigTableSize];

namespace {

// The tables must come out bit-identical on every build, so sine and cosine are
// evaluated here with plain IEEE arithmetic rather than by the host's maths
// library (which differs between C runtimes in the last bit). Away from the
// three entries that round to exactly +-1, every scaled value lies at least
// 6.7e-6 from an integer, far above this evaluation's error (a few 1e-16).

// pi/2 split so that k * kHalfPiHi is exact for the small k used here.
constexpr double kHalfPiHi = 1.57079632673412561417e+00;
constexpr double kHalfPiLo = 6.07710050650619224932e-11;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;

// Taylor series on |r| <= pi/4; the first omitted term is below 1e-24.
double sinReduced(double r) {
    const double r2 = r * r;
    double p = 1.0 / 51090942171709440000.0;            // 1/21!
    p = p * r2 - 1.0 / 121645100408832000.0;             // 1/19!
    p = p * r2 + 1.0 / 355687428096000.0;                // 1/17!
    p = p * r2 - 1.0 / 1307674368000.0;                  // 1/15!
    p = p * r2 + 1.0 / 6227020800.0;                     // 1/13!
    p = p * r2 - 1.0 / 39916800.0;                       // 1/11!
    p = p * r2 + 1.0 / 362880.0;                         // 1/9!
    p = p * r2 - 1.0 / 5040.0;                           // 1/7!
    p = p * r2 + 1.0 / 120.0;                            // 1/5!
    p = p * r2 - 1.0 / 6.0;                              // 1/3!
    return r + r * r2 * p;
}

double cosReduced(double r) {
    const double r2 = r * r;
    double p = 1.0 / 2432902008176640000.0;              // 1/20!
    p = p * r2 - 1.0 / 6402373705728000.0;               // 1/18!
    p = p * r2 + 1.0 / 20922789888000.0;                 // 1/16!
    p = p * r2 - 1.0 / 87178291200.0;                    // 1/14!
    p = p * r2 + 1.0 / 479001600.0;                      // 1/12!
    p = p * r2 - 1.0 / 3628800.0;                        // 1/10!
    p = p * r2 + 1.0 / 40320.0;                          // 1/8!
    p = p * r2 - 1.0 / 720.0;                            // 1/6!
    p = p * r2 + 1.0 / 24.0;                             // 1/4!
    // 1 - r2/2 + r2^2 * p, summed small terms first.
    return 1.0 - (0.5 * r2 - r2 * r2 * p);
}

// sin and cos of a in [0, 2 pi + a little].
void sinCos(double a, double* s, double* c) {
    const int k = static_cast<int>(a * kTwoOverPi + 0.5);
    const double r = (a - k * kHalfPiHi) - k * kHalfPiLo;
    const double sr = sinReduced(r);
    const double cr = cosReduced(r);
    switch (k & 3) {
        case 0: *s = sr; *c = cr; break;
        case 1: *s = cr; *c = -sr; break;
        case 2: *s = -sr; *c = -cr; break;
        default: *s = -cr; *c = sr; break;
    }
}

// floor(sqrt(v)) in integers, exact.
uint64_t integerSqrt(uint64_t v) {
    uint64_t root = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
    while (root * root > v) --root;
    while ((root + 1) * (root + 1) <= v) ++root;
    return root;
}

struct BuildAtStart {
    BuildAtStart() { buildTrigTables(); }
} g_buildAtStart;

}  // namespace

void buildTrigTables() {
    const double step = 6.283185308 / 16384;
    for (int i = 0; i < kTrigTableSize; ++i) {
        const double angle = (2 * i) * step;
        double s, c;
        sinCos(angle, &s, &c);
        SineTable[i] = static_cast<int32_t>(s * kTrigScale);
        CosineTable[i] = static_cast<int32_t>(c * kTrigScale);
        // truncate(sqrt(i) x 1,024) is floor(sqrt(i x 2^20)) for every i here.
        SqrtTable[i] = static_cast<int32_t>(integerSqrt(static_cast<uint64_t>(i) << 20));
    }
}
