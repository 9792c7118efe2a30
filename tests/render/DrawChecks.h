// Checks shared by the drawing tests.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"
#include "tests/support/TestSupport.h"

namespace draw_checks {

using vt_test::GuardedBuffer;

// Every pixel of the buffer and its margin outside `area` still equals the same
// pixel of `reference` (a buffer filled the same way), and the guard zone is intact.
inline bool unchangedOutside(const GuardedBuffer& buffer, const GuardedBuffer& reference, const Rect& area) {
    if (!buffer.guardIntact()) return false;
    for (int y = -kBufferMargin; y < buffer.height() + kBufferMargin; ++y)
        for (int x = -kBufferMargin; x < buffer.width() + kBufferMargin; ++x) {
            bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            if (!inside && buffer.at(x, y) != reference.at(x, y)) return false;
        }
    return true;
}

// Number of pixels (visible area and margin) that differ between two buffers.
inline int countChanged(const GuardedBuffer& a, const GuardedBuffer& b) {
    int n = 0;
    for (int y = -kBufferMargin; y < a.height() + kBufferMargin; ++y)
        for (int x = -kBufferMargin; x < a.width() + kBufferMargin; ++x) n += a.at(x, y) != b.at(x, y);
    return n;
}

inline uint32_t red(Pixel p) { return (p >> 16) & 0xFF; }
inline uint32_t green(Pixel p) { return (p >> 8) & 0xFF; }
inline uint32_t blue(Pixel p) { return p & 0xFF; }

}  // namespace draw_checks
