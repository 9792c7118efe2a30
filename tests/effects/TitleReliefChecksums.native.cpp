// The lit relief styles compute in floating point: their output on a fixed
// synthetic mask is pinned by checksum here (native build only, where the math
// library is fixed), so a change of their arithmetic shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "CG/TitleStyles.h"

namespace {

// Two strokes of a glyph-like mask, with anti-aliased edge shades, in a 16-pixel margin.
std::vector<Pixel> strokes(int32_t w, int32_t h) {
    std::vector<Pixel> px(static_cast<size_t>(w) * h, 0);
    for (int32_t y = 16; y < h - 16; ++y)
        for (int32_t x = 16; x < w - 16; ++x) {
            const bool bar = x < 26 || (y > 30 && y < 40);
            const bool edge = x == 26 || y == 30 || y == 40;
            if (bar) px[static_cast<size_t>(y) * w + x] = 0x00C08040;
            else if (edge) px[static_cast<size_t>(y) * w + x] = 0x00603020;
        }
    return px;
}

uint64_t checksum(const std::vector<Pixel>& px) {
    uint64_t h = 1469598103934665603ull;
    for (Pixel p : px) h = (h ^ p) * 1099511628211ull;
    return h;
}

TEST(TitleReliefChecksums, PinnedOutputs) {
    const int32_t w = 72, h = 64;
    const Rect all{0, 0, w, h};
    struct Case {
        const char* name;
        std::function<void(Pixel*)> pass;
        uint64_t sum;
    } cases[] = {
        {"bevel 0", [&](Pixel* p) { renderStyleBevel(p, all, w, 1, 12, 0); }, 0xfefe883e2d3a9eaaull},
        {"bevel 1", [&](Pixel* p) { renderStyleBevel(p, all, w, 1, 12, 1); }, 0x45e5edab877f3e65ull},
        {"bevel 2", [&](Pixel* p) { renderStyleBevel(p, all, w, 1, 12, 2); }, 0x7bf31439bc155417ull},
        {"bevel 2, size 20", [&](Pixel* p) { renderStyleBevel(p, all, w, 1, 20, 2); }, 0x2cd4d565562499e9ull},
        {"ultung", [&](Pixel* p) { renderStyle3DUltung(p, all, w, 1, 12); }, 0x95b207badbd3433eull},
        {"ultung2", [&](Pixel* p) { renderStyle3DUltung2(p, all, w, 1, 12); }, 0x208382fe88b05562ull},
        {"neon", [&](Pixel* p) { renderStyleNeon(p, all, w, 0x00FF8000); }, 0x9b73f046a3d4ae02ull},
    };
    for (const Case& c : cases) {
        std::vector<Pixel> px = strokes(w, h);
        c.pass(px.data());
        EXPECT_EQ(checksum(px), c.sum) << c.name << ": 0x" << std::hex << checksum(px);
    }
}

}  // namespace
