// Shared helpers for the tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/PixelTypes.h"

namespace vt_test {

// Source and build folders, for fixtures and generated files.
std::string sourceDir();
std::string binaryDir();
// A fresh, empty folder under the build tree for one test.
std::string scratchDir(const std::string& name);

std::vector<uint8_t> readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A pixel buffer of width x height with the 8-pixel margin, surrounded by a
// further guard zone filled with a canary value, so a test can see whether code
// wrote outside the buffer and its margin.
class GuardedBuffer {
public:
    static constexpr Pixel kCanary = 0xA5C3E1F7u;
    static constexpr int kGuard = 64;            // extra pixels each side, beyond the margin

    GuardedBuffer(int width, int height, Pixel fill = 0);
    Pixel* pixels() { return origin_; }          // pixel (0, 0)
    const Pixel* pixels() const { return origin_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int pitch() const { return pitch_; }
    Pixel& at(int x, int y) { return origin_[static_cast<ptrdiff_t>(y) * pitch_ + x]; }
    Pixel at(int x, int y) const { return origin_[static_cast<ptrdiff_t>(y) * pitch_ + x]; }
    void fill(Pixel value);                      // visible area and margin
    void fillPattern(uint32_t seed);             // deterministic 0x00RRGGBB noise over area and margin
    bool guardIntact() const;                    // the guard zone still holds the canary
    // Rows of the guard zone start kGuard rows above the margin's first row.
    bool marginIntact(Pixel value) const;        // every margin pixel equals value
    uint64_t checksum() const;                   // over the visible area
    bool sameVisible(const GuardedBuffer& other) const;

private:
    int width_, height_, pitch_;
    int rows_;                                   // rows in the allocation
    std::vector<Pixel> storage_;
    Pixel* origin_;
};

}  // namespace vt_test
