#include "engine/PictureLoader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "engine/FrameCanvas.h"
#include "engine/PictureBuffers.h"
#include "render/PixelBuffer.h"
#include "render/Platform.h"

namespace {
PictureSource gSource;
PictureDecoder* gDecoder = nullptr;

Pixel rgbaPixel(const uint8_t* p) {
    return static_cast<Pixel>(p[0]) << 16 | static_cast<Pixel>(p[1]) << 8 | p[2];
}
}  // namespace

void setPictureSource(const PictureSource& source) { gSource = source; }
void setPictureDecoder(PictureDecoder* decoder) { gDecoder = decoder; }

void fitImageSize(int32_t iw, int32_t ih, int32_t w, int32_t h, int32_t* fittedWidth, int32_t* fittedHeight) {
    int64_t fw = 0, fh = 0;
    if (iw > 0 && ih > 0 && w > 0 && h > 0) {
        // Compared exactly: a truncated iw x h / w misjudges pictures a little
        // wider than the frame's shape and then fits them wider than the frame.
        if (int64_t{ih} * w >= int64_t{iw} * h) {
            fh = h;
            fw = int64_t{iw} * h / ih;
        } else {
            fw = w;
            fh = int64_t{ih} * w / iw;
        }
    }
    if (fw == 0) fw = 4;
    if (fh == 0) fh = 1;
    *fittedWidth = static_cast<int32_t>(std::min<int64_t>(fw, std::max(w, 1)));
    *fittedHeight = static_cast<int32_t>(std::min<int64_t>(fh, std::max(h, 1)));
}

void scaleImageBilinear(Pixel* dst, const uint8_t* src, int32_t fw, int32_t fh, int32_t dstPitch,
                        int32_t iw, int32_t ih, int32_t sourceRowBytes) {
    if (fw <= 0 || fh <= 0 || iw <= 0 || ih <= 0) return;
    const int64_t stepX = int64_t{iw} * 32768 / fw, stepY = int64_t{ih} * 32768 / fh;
    int64_t py = 0;
    for (int32_t y = 0; y < fh; ++y, py += stepY, dst += dstPitch) {
        const int64_t r = py >> 15;
        const uint32_t b = static_cast<uint32_t>(py >> 11) & 15;
        const uint8_t* upper = src + r * sourceRowBytes;
        const uint8_t* lower = r == ih - 1 ? upper : upper + sourceRowBytes;
        int64_t px = 0;
        for (int32_t x = 0; x < fw; ++x, px += stepX) {
            const int64_t c = px >> 15;
            const uint32_t a = static_cast<uint32_t>(px >> 11) & 15;
            const uint8_t* u = upper + c * 4;
            const uint8_t* l = lower + c * 4;
            // On the last column both column weights fall on it.
            const ptrdiff_t next = c == iw - 1 ? 0 : 4;
            dst[x] = bilinearMix(rgbaPixel(u), rgbaPixel(u + next), rgbaPixel(l), rgbaPixel(l + next), a, b);
        }
    }
}

int32_t decodePicture(PictureDecoder& decoder, const uint8_t* jpeg, int32_t size, Pixel* dst, int32_t w,
                      int32_t h, int32_t pitch) {
    if (w < 1 || h < 1 || pitch < w) return kPictureInvalidFrame;
    int32_t iw = 0, ih = 0;
    int32_t rc = decoder.readSize(jpeg, size, &iw, &ih);
    if (rc < 0) return rc;
    if (iw < 1 || ih < 1) return kPictureNoImage;

    // The size comes from the file: check it before allocating anything.
    const int64_t rowBytes = int64_t{iw} * 4;
    const int64_t bytes = rowBytes * ih;
    if (bytes > kMaxDecodedBytes) return kPictureMemoryError;
    // Zeroed, so even a codec that stops short leaves nothing undefined.
    std::unique_ptr<uint8_t[]> rgba(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]());
    if (!rgba) return kPictureMemoryError;

    rc = decoder.readPixels(rgba.get(), iw, ih);
    if (rc < 0) return rc;   // a damaged picture is not shown; the buffer keeps the last one

    std::fill_n(dst, static_cast<size_t>(h) * pitch, Pixel{0});
    int32_t fw = 0, fh = 0;
    fitImageSize(iw, ih, w, h, &fw, &fh);
    Pixel* at = dst + static_cast<ptrdiff_t>((h - fh) / 2) * pitch + (w - fw) / 2;
    scaleImageBilinear(at, rgba.get(), fw, fh, pitch, iw, ih, static_cast<int32_t>(rowBytes));
    return 0;
}

int32_t loadImage(int32_t index, Pixel* dst, int32_t w, int32_t h, int32_t pitch) {
    PictureDecoder* decoder = gDecoder;
    if (!decoder || !gSource.find) return 0;
    int32_t rc = decoder->open();
    if (rc != 0) {
        decoder->close();
        platformMessageBox(decoder->errorText(rc), nullptr);
        return 0;
    }
    int32_t size = 0;
    const uint8_t* jpeg = gSource.find(index, &size);
    if (!jpeg) {
        decoder->close();
        return 0;
    }
    rc = decodePicture(*decoder, jpeg, size, dst, w, h, pitch);
    decoder->close();
    if (gSource.release) gSource.release(index, jpeg);
    return rc == 0 ? 1 : 0;
}

int32_t loadFrameImage(int32_t index, int32_t which, int32_t w, int32_t h) {
    if (which != 1 && which != 2) return 0;
    limitFrameSize(&w, &h);
    return loadImage(index, pictureBuffer(which - 1), w, h, pitchForWidth(w));
}
