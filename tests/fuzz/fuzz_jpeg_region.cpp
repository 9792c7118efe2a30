// Region reads, interrupted reads (resumed, or abandoned half-way) and reduced
// reads of arbitrary bytes, from memory and from a file: any result, never a
// fault, never a write outside the buffer. The rectangle, the scale and the
// interrupt cadence come from a hash of the input, so the corpus stays plain
// JPEG files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jpeg/Jpeg.h"

namespace {

constexpr size_t kGuard = 64;
constexpr uint8_t kFill = 0xA5;

uint32_t hashOf(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

struct Choice {
    int kind;                    // memory read kind; the file kind is one less
    int left, top, right, bottom;
    int interruptEvery;          // 0: never; n: the flag set on every n-th call
    int maxCalls;                // an interrupted read abandoned after this many calls
};

Choice choose(uint32_t h, int width, int height) {
    static const int kKinds[] = {kJpegReadImage, kJpegReadHalf, kJpegReadQuarter, kJpegReadEighth};
    Choice c{};
    c.kind = kKinds[h & 3];
    const int scale = 1 << (h & 3);
    const int w = (width + scale - 1) / scale + 8, hgt = (height + scale - 1) / scale + 8;
    c.left = int((h >> 2) % uint32_t(w));
    c.top = int((h >> 10) % uint32_t(hgt));
    c.right = c.left + 1 + int((h >> 18) % uint32_t(w));
    c.bottom = c.top + 1 + int((h >> 24) % uint32_t(hgt));
    if ((h >> 5) % 5 == 0) c.right = c.bottom = 0;   // edges left open
    c.interruptEvery = int((h >> 13) % 4);
    c.maxCalls = (h >> 20) % 3 == 0 ? 1 + int((h >> 7) % 50) : 1 << 20;
    return c;
}

// One read of the chosen kind; the buffer holds the rectangle only.
void readOnce(const uint8_t* data, size_t size, const char* file, const Choice& c, int color, int channels) {
    JpegProperties p;
    if (jpegInit(&p) != 0) return;
    if (file) p.fileName = file;
    else {
        p.buffer = data;
        p.bufferSize = static_cast<int32_t>(size);
    }
    if (jpegRead(&p, file ? kJpegReadParamsFile : kJpegReadParams) == 0 &&
        int64_t(p.jpegWidth) * p.jpegHeight <= 1'000'000) {
        const int w = c.right > c.left ? c.right - c.left : p.jpegWidth;
        const int h = c.bottom > c.top ? c.bottom - c.top : p.jpegHeight;
        const size_t bytes = size_t(w) * size_t(h) * size_t(channels);
        std::vector<uint8_t> buffer(bytes + 2 * kGuard, kFill);
        p.pixels = buffer.data() + kGuard;
        p.width = w;
        p.height = h;
        p.channels = channels;
        p.color = color;
        p.state.roiLeft = c.left;
        p.state.roiTop = c.top;
        p.state.roiRight = c.right;
        p.state.roiBottom = c.bottom;
        const int kind = file ? c.kind - 1 : c.kind;
        int result = kJpegInterruptSuccess;
        for (int call = 0; result == kJpegInterruptSuccess && call < c.maxCalls; ++call) {
            p.state.interrupt = c.interruptEvery && call % c.interruptEvery == 0;
            result = jpegRead(&p, kind);
        }
        for (size_t i = 0; i < kGuard; ++i)
            if (buffer[i] != kFill || buffer[kGuard + bytes + i] != kFill) std::abort();
    }
    jpegFree(&p);
}

std::string scratchFile() {
    return "/tmp/vt_fuzz_jpeg_region_" + std::to_string(static_cast<long>(getpid())) + ".jpg";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    const uint32_t h = hashOf(data, size);
    // The picture's size is not known before the parameter read: the choice
    // is made for a size that covers the usual inputs.
    const Choice first = choose(h, 64, 64), second = choose(h * 2654435761u + 1, 256, 256);
    readOnce(data, size, nullptr, first, kJpegColorRgba, 4);
    readOnce(data, size, nullptr, second, kJpegColorBgr, 3);
    static const std::string path = scratchFile();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, f) == size;
        if (std::fclose(f) == 0 && written) readOnce(data, size, path.c_str(), second, kJpegColorRgb, 3);
        std::remove(path.c_str());
    }
    return 0;
}
