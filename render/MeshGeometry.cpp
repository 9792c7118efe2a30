#include "render/MeshGeometry.h"

#include <cmath>

#include "render/FloatToInt.h"
#include "render/RandomGeometry.h"

int32_t windingTest(const int32_t* a1, const int32_t* a2, const int32_t* a3, const int32_t* a4,
                    const int32_t* a5, const int32_t* a6) {
    int64_t lhs = (static_cast<int64_t>(*a2) - *a4) * (static_cast<int64_t>(*a5) - *a3);
    int64_t rhs = (static_cast<int64_t>(*a6) - *a4) * (static_cast<int64_t>(*a1) - *a3);
    return lhs > rhs ? 1 : 0;
}

int32_t windingTestB(const int32_t* p1, const int32_t* p2, const int32_t* p3, const int32_t* p4,
                     const int32_t* p5, const int32_t* p6) {
    int64_t lhs = (static_cast<int64_t>(*p5) - *p3) * (static_cast<int64_t>(*p4) - *p2);
    int64_t rhs = (static_cast<int64_t>(*p4) - *p6) * (static_cast<int64_t>(*p1) - *p3);
    return lhs < rhs ? 1 : 0;
}

BandEdges bandEdges(int n, const int32_t* middleLeft, int k) {
    int left[4], right[4], nl = 0, nr = 0;
    left[nl++] = 0;
    right[nr++] = 0;
    for (int i = 1; i < n - 1; ++i) {
        if (middleLeft[i - 1]) left[nl++] = i;
        else right[nr++] = i;
    }
    left[nl++] = n - 1;
    right[nr++] = n - 1;
    BandEdges e{0, n - 1, 0, n - 1};
    for (int j = 0; j + 1 < nl; ++j)
        if (left[j] <= k && k < left[j + 1]) e.leftFrom = left[j], e.leftTo = left[j + 1];
    for (int j = 0; j + 1 < nr; ++j)
        if (right[j] <= k && k < right[j + 1]) e.rightFrom = right[j], e.rightTo = right[j + 1];
    return e;
}

int32_t integerLength(const int32_t* v) {
    const FixedPoint3 p{v[0], v[1], v[2]};
    const int32_t dot = dotProductFixed(p, p);
    return dot > 0 ? truncToInt(std::sqrt(static_cast<double>(dot))) : 0;
}
