// The engine's two reads (parameters, then the whole image into RGBA) of
// arbitrary bytes, the same image read from a file into a bottom-up BGR buffer,
// and one reduced read (half, quarter or eighth, by the input's size): any
// result, never a fault, never a write outside the buffer.
//
// Frames up to the codec's own limit are decoded, but the pixels asked for are
// bounded by the data there is (kPixelsPerByte, at least a megapixel): a few
// bytes that claim 100 megapixels would otherwise spend each run on filling
// a frame from nothing.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jpeg/Jpeg.h"

namespace {

constexpr int64_t kPixelsPerByte = 256;
constexpr int64_t kAlwaysPixels = 1'000'000;

std::string g_file;

struct Read {
    int paramsType, imageType;
    int scale;   // 1, 2, 4, 8
    int color, channels, heightSign;
};

void decodeInto(const uint8_t* data, size_t size, const Read& r) {
    JpegProperties p;
    if (jpegInit(&p) != 0) return;
    if (r.paramsType & 1) {
        p.buffer = data;
        p.bufferSize = static_cast<int32_t>(size);
    } else {
        p.fileName = g_file.c_str();
    }
    if (jpegRead(&p, r.paramsType) == 0) {
        const int64_t w = (int64_t(p.jpegWidth) + r.scale - 1) / r.scale;
        const int64_t h = (int64_t(p.jpegHeight) + r.scale - 1) / r.scale;
        const int64_t budget = std::max<int64_t>(kAlwaysPixels, int64_t(size) * kPixelsPerByte);
        if (w * h * r.scale * r.scale <= budget) {
            constexpr size_t kGuard = 64;
            const size_t bytes = size_t(w) * size_t(h) * r.channels;
            std::vector<uint8_t> buffer(bytes + 2 * kGuard, 0xA5);
            p.pixels = buffer.data() + kGuard;
            p.width = static_cast<int32_t>(w);
            p.height = r.heightSign * static_cast<int32_t>(h);
            p.channels = r.channels;
            p.color = r.color;
            jpegRead(&p, r.imageType);
            for (size_t i = 0; i < kGuard; ++i)
                if (buffer[i] != 0xA5 || buffer[kGuard + bytes + i] != 0xA5) std::abort();
        }
    }
    jpegFree(&p);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = std::getenv("TMPDIR");
    g_file = std::string(dir && *dir ? dir : "/tmp") + "/vt_fuzz_jpeg_" + std::to_string(getpid()) + ".jpg";
    std::atexit([] { std::remove(g_file.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    decodeInto(data, size, {kJpegReadParams, kJpegReadImage, 1, kJpegColorRgba, 4, 1});

    if (FILE* f = std::fopen(g_file.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, f) == size;
        if (std::fclose(f) == 0 && written)
            decodeInto(data, size, {kJpegReadParamsFile, kJpegReadImageFile, 1, kJpegColorBgr, 3, -1});
    }

    static const int kReduced[3][2] = {{kJpegReadHalf, 2}, {kJpegReadQuarter, 4}, {kJpegReadEighth, 8}};
    const auto& reduced = kReduced[size % 3];
    decodeInto(data, size, {kJpegReadParams, reduced[0], reduced[1], kJpegColorRgb, 3, 1});
    return 0;
}
