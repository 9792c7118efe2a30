// The engine's two reads (parameters, then the whole image into RGBA) of
// arbitrary bytes, plus the same image into a bottom-up BGR buffer: any result,
// never a fault, never a write outside the buffer. Pictures above a megapixel
// are skipped to keep runs short.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "jpeg/Jpeg.h"

namespace {

void decodeInto(const uint8_t* data, size_t size, int color, int channels, int heightSign) {
    JpegProperties p;
    if (jpegInit(&p) != 0) return;
    p.buffer = data;
    p.bufferSize = static_cast<int32_t>(size);
    if (jpegRead(&p, kJpegReadParams) == 0 && int64_t(p.jpegWidth) * p.jpegHeight <= 1'000'000) {
        constexpr size_t kGuard = 64;
        const size_t bytes = size_t(p.jpegWidth) * p.jpegHeight * channels;
        std::vector<uint8_t> buffer(bytes + 2 * kGuard, 0xA5);
        p.pixels = buffer.data() + kGuard;
        p.width = p.jpegWidth;
        p.height = heightSign * p.jpegHeight;
        p.channels = channels;
        p.color = color;
        jpegRead(&p, kJpegReadImage);
        for (size_t i = 0; i < kGuard; ++i)
            if (buffer[i] != 0xA5 || buffer[kGuard + bytes + i] != 0xA5) std::abort();
    }
    jpegFree(&p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    decodeInto(data, size, kJpegColorRgba, 4, 1);
    decodeInto(data, size, kJpegColorBgr, 3, -1);
    return 0;
}
