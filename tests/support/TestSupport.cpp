#include "tests/support/TestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vt_test {

std::string sourceDir() { return VT_SOURCE_DIR; }
std::string binaryDir() { return VT_BINARY_DIR; }

std::string scratchDir(const std::string& name) {
    std::filesystem::path p = std::filesystem::path(VT_BINARY_DIR) / "test-scratch" / name;
    std::error_code ec;
    std::filesystem::remove_all(p, ec);
    std::filesystem::create_directories(p, ec);
    return p.string();
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

GuardedBuffer::GuardedBuffer(int width, int height, Pixel fillValue)
    : width_(width), height_(height), pitch_(width + 2 * kBufferMargin) {
    // Rows are contiguous with pitch_; the guard zone is kGuard whole rows above
    // and below the margin plus kGuard pixels at each end.
    rows_ = height + 2 * kBufferMargin + 2 * kGuard;
    storage_.assign(static_cast<size_t>(pitch_) * rows_ + 2 * kGuard, kCanary);
    origin_ = storage_.data() + kGuard + static_cast<size_t>(kGuard + kBufferMargin) * pitch_ + kBufferMargin;
    fill(fillValue);
}

void GuardedBuffer::fill(Pixel value) {
    Pixel* first = origin_ - kBufferMargin * pitch_ - kBufferMargin;
    for (int y = 0; y < height_ + 2 * kBufferMargin; ++y)
        for (int x = 0; x < pitch_; ++x) first[static_cast<ptrdiff_t>(y) * pitch_ + x] = value;
}

void GuardedBuffer::fillPattern(uint32_t seed) {
    uint32_t s = seed * 2654435761u + 1;
    Pixel* first = origin_ - kBufferMargin * pitch_ - kBufferMargin;
    for (int y = 0; y < height_ + 2 * kBufferMargin; ++y)
        for (int x = 0; x < pitch_; ++x) {
            s = s * 1664525u + 1013904223u;
            first[static_cast<ptrdiff_t>(y) * pitch_ + x] = (s >> 8) & 0x00FFFFFF;
        }
}

bool GuardedBuffer::guardIntact() const {
    const Pixel* first = origin_ - kBufferMargin * pitch_ - kBufferMargin;
    const Pixel* end = first + static_cast<ptrdiff_t>(height_ + 2 * kBufferMargin) * pitch_;
    for (const Pixel* p = storage_.data(); p < first; ++p)
        if (*p != kCanary) return false;
    for (const Pixel* p = end; p < storage_.data() + storage_.size(); ++p)
        if (*p != kCanary) return false;
    return true;
}

bool GuardedBuffer::marginIntact(Pixel value) const {
    for (int y = -kBufferMargin; y < height_ + kBufferMargin; ++y)
        for (int x = -kBufferMargin; x < width_ + kBufferMargin; ++x) {
            bool inside = x >= 0 && y >= 0 && x < width_ && y < height_;
            if (!inside && at(x, y) != value) return false;
        }
    return true;
}

uint64_t GuardedBuffer::checksum() const {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            h ^= at(x, y);
            h *= 1099511628211ull;
        }
    return h;
}

bool GuardedBuffer::sameVisible(const GuardedBuffer& other) const {
    if (other.width_ != width_ || other.height_ != height_) return false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (at(x, y) != other.at(x, y)) return false;
    return true;
}

}  // namespace vt_test
