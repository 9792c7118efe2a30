#include "authoring/PictureLoading.h"

#include <algorithm>
#include <memory>
#include <new>

#include "engine/PictureLoader.h"
#include "jpeg/Jpeg.h"
#include "render/Platform.h"

namespace {

// jpegInit with its failure shown; false when the codec cannot start.
bool startCodec(JpegProperties& props) {
    int rc = jpegInit(&props);
    if (rc == 0) return true;
    jpegFree(&props);
    platformMessageBox(jpegErrorText(rc), nullptr);
    return false;
}

}  // namespace

int loadJpegToDib(const char* path, Pixel* pixels, int32_t w, int32_t h, int32_t pitch) {
    if (!path || !pixels || w < 1 || h < 1 || pitch < w) return 0;
    auto props = std::make_unique<JpegProperties>();
    if (!startCodec(*props)) return 0;
    props->fileName = path;
    if (jpegRead(props.get(), kJpegReadParamsFile) != 0 || props->jpegWidth < 1 || props->jpegHeight < 1) {
        jpegFree(props.get());
        return 0;
    }
    const int32_t iw = props->jpegWidth, ih = props->jpegHeight;
    // The size comes from the file: checked before anything is allocated.
    const int64_t bytes = int64_t{iw} * 4 * ih;
    std::unique_ptr<uint8_t[]> rgba(bytes <= kMaxDecodedBytes
                                        ? new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]()
                                        : nullptr);
    if (!rgba) {
        jpegFree(props.get());
        return 0;
    }
    props->pixels = rgba.get();
    props->width = iw;
    props->height = ih;
    props->rowPad = 0;
    props->channels = 4;
    props->color = kJpegColorRgba;
    // A picture that fails half-way is not shown: the area keeps what it held.
    const int rc = jpegRead(props.get(), kJpegReadImageFile);
    jpegFree(props.get());
    if (rc != 0) return 0;

    for (int32_t y = 0; y < h; ++y) std::fill_n(pixels + static_cast<ptrdiff_t>(y) * pitch, w, Pixel{0});
    int32_t fw = 0, fh = 0;
    fitImageSize(iw, ih, w, h, &fw, &fh);
    Pixel* at = pixels + static_cast<ptrdiff_t>((h - fh) / 2) * pitch + (w - fw) / 2;
    scaleImageBilinear(at, rgba.get(), fw, fh, pitch, iw, ih, iw * 4);
    return 1;
}

uint32_t probeJpegSize(const char* path, int32_t* width, int32_t* height) {
    auto props = std::make_unique<JpegProperties>();
    if (!startCodec(*props)) return 0x80004005u;
    props->fileName = path;
    if (jpegRead(props.get(), kJpegReadParamsFile) == 0) {
        *width = props->jpegWidth;
        *height = props->jpegHeight;
    }
    jpegFree(props.get());
    return 0;
}
