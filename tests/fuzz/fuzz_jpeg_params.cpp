// Parameter read (IO type 1) of arbitrary bytes: any result code, never a
// fault, and parameters within the codec's stated limits on success.
#include <cstdint>
#include <cstdlib>

#include "jpeg/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    JpegProperties p;
    if (jpegInit(&p) != 0) return 0;
    p.buffer = data;
    p.bufferSize = static_cast<int32_t>(size);
    int r = jpegRead(&p, kJpegReadParams);
    if (r == 0) {
        if (p.jpegWidth < 1 || p.jpegHeight < 1 || int64_t(p.jpegWidth) * p.jpegHeight > kMaxImagePixels ||
            p.jpegChannels < 1 || p.jpegChannels > 4)
            std::abort();
    } else if (r > 0 || r < -30) {
        std::abort();
    }
    jpegFree(&p);
    return 0;
}
