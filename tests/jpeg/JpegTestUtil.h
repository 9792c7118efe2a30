// Helpers of the codec's tests: fixtures, segment surgery and decodes into
// guarded buffers.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "jpeg/Jpeg.h"
#include "tests/support/TestSupport.h"

namespace jpeg_test {

using Bytes = std::vector<uint8_t>;

inline std::string fixturePath(const std::string& name) { return vt_test::sourceDir() + "/tests/data/jpeg/" + name; }
inline Bytes fixture(const std::string& name) { return vt_test::readFileBytes(fixturePath(name)); }

// Offset of the first segment with this marker code (walking the segments
// from SOI up to the first scan, then searching), or npos.
inline size_t findMarker(const Bytes& d, int code, size_t from = 2) {
    size_t i = from;
    while (i + 4 <= d.size()) {
        if (d[i] != 0xFF) return std::string::npos;
        if (d[i + 1] == code) return i;
        if (d[i + 1] == 0xDA) break;
        i += 2 + (d[i + 2] << 8 | d[i + 3]);
    }
    for (size_t j = from; j + 1 < d.size(); ++j)
        if (d[j] == 0xFF && d[j + 1] == code) return j;
    return std::string::npos;
}

inline size_t segmentSize(const Bytes& d, size_t at) { return 2 + (d[at + 2] << 8 | d[at + 3]); }

inline Bytes withoutSegment(Bytes d, int code) {
    size_t at = findMarker(d, code);
    if (at != std::string::npos) d.erase(d.begin() + at, d.begin() + at + segmentSize(d, at));
    return d;
}

inline Bytes insertAt(Bytes d, size_t at, const Bytes& piece) {
    d.insert(d.begin() + at, piece.begin(), piece.end());
    return d;
}

// A pixel buffer with guard bytes on both sides.
struct Canvas {
    static constexpr size_t kGuard = 256;
    static constexpr uint8_t kFill = 0xA7;
    Bytes storage;
    size_t bytes;
    Canvas(size_t n) : storage(n + 2 * kGuard, kFill), bytes(n) {}
    uint8_t* data() { return storage.data() + kGuard; }
    const uint8_t* data() const { return storage.data() + kGuard; }
    bool guardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (storage[i] != kFill || storage[kGuard + bytes + i] != kFill) return false;
        return true;
    }
};

struct Decoded {
    int paramsResult = 0;
    int imageResult = 0;
    int width = 0, height = 0;
    int channels = 0;            // of the buffer
    JpegProperties props{};      // after the reads (state released)
    Bytes pixels;
    bool guardsIntact = true;
};

// Parameter read then whole-image read from memory (IO types 1 and 3), the
// way the engine's picture loader does it, into `color` with `channels`.
inline Decoded decodeMemory(const Bytes& jpeg, int color = kJpegColorRgba, int channels = 4, int heightSign = 1) {
    Decoded out;
    JpegProperties p;
    jpegInit(&p);
    p.buffer = jpeg.data();
    p.bufferSize = static_cast<int32_t>(jpeg.size());
    out.paramsResult = jpegRead(&p, kJpegReadParams);
    if (out.paramsResult == 0 && int64_t(p.jpegWidth) * p.jpegHeight <= 16'000'000) {
        out.width = p.jpegWidth;
        out.height = p.jpegHeight;
        out.channels = channels;
        Canvas canvas(size_t(out.width) * out.height * channels);
        p.pixels = canvas.data();
        p.width = out.width;
        p.height = heightSign * out.height;
        p.rowPad = 0;
        p.channels = channels;
        p.color = color;
        out.imageResult = jpegRead(&p, kJpegReadImage);
        out.guardsIntact = canvas.guardsIntact();
        out.pixels.assign(canvas.data(), canvas.data() + canvas.bytes);
    }
    out.props = p;
    jpegFree(&p);
    return out;
}

inline void put16(Bytes& d, size_t at, int v) {
    d[at] = static_cast<uint8_t>(v >> 8);
    d[at + 1] = static_cast<uint8_t>(v);
}

}  // namespace jpeg_test
