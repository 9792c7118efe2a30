// Decoding the package's pictures into frame buffers: each picture is fitted
// into the frame with its aspect ratio kept, centred on black and scaled
// bilinearly. Pictures are untrusted: their declared size is checked before
// anything is allocated, and a picture that fails to decode is never shown.
#pragma once
#include <cstdint>

#include "render/PixelTypes.h"

// The codec calls the loader makes for one picture, in this order: open, readSize,
// readPixels, close (close also after a failed open). Results are the codec's:
// 0 success, negative an error whose text errorText gives.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    virtual int32_t open() = 0;
    // Parses the JPEG held in memory up to its first scan.
    virtual int32_t readSize(const uint8_t* jpeg, int32_t size, int32_t* width, int32_t* height) = 0;
    // The whole image as R, G, B, A bytes, rows 4 x width bytes apart.
    virtual int32_t readPixels(uint8_t* rgba, int32_t width, int32_t height) = 0;
    virtual void close() = 0;
    virtual const char* errorText(int32_t code) = 0;
};

// Where the loader finds picture entries: the runtime points it at its package
// reader (entries of type 1). find gives null when there is no such picture; every
// entry found is given back with release.
struct PictureSource {
    const uint8_t* (*find)(int32_t index, int32_t* size) = nullptr;
    void (*release)(int32_t index, const uint8_t* data) = nullptr;
};

void setPictureSource(const PictureSource& source);
// The decoder loadImage uses; null (the start) loads nothing.
void setPictureDecoder(PictureDecoder* decoder);

// The codec's result codes the loader gives itself.
constexpr int32_t kPictureMemoryError = -5;      // "Memory error"
constexpr int32_t kPictureInvalidFrame = -8;     // "Invalid JpegProperties"
constexpr int32_t kPictureNoImage = -22;         // "No image"

// Decoded pictures larger than this many bytes are refused with "Memory error".
constexpr int64_t kMaxDecodedBytes = INT32_MAX;

// Decodes picture `index` of the package into the frame buffer whose drawing
// origin is dst (w x h, rows pitch pixels apart). Returns 1 when the picture was
// drawn, 0 otherwise; on 0 the buffer keeps its contents. A codec that cannot
// start shows its error text in a message box.
int32_t loadImage(int32_t index, Pixel* dst, int32_t w, int32_t h, int32_t pitch);

// loadImage into picture buffer 0 (which = 1) or 1 (which = 2) with the pitch
// w + 16, the size limited to the buffers first; any other which does nothing.
// Used at start-up, when the scheduler's currentPicture is buffer 0.
int32_t loadFrameImage(int32_t index, int32_t which, int32_t w, int32_t h);

// The decode of one JPEG already found, with an opened decoder: reads the size,
// decodes, blacks the frame (h x pitch pixels from dst) and draws the fitted,
// centred picture. Returns 0 when drawn, else the codec's negative code, and
// then dst is untouched.
int32_t decodePicture(PictureDecoder& decoder, const uint8_t* jpeg, int32_t size, Pixel* dst,
                      int32_t w, int32_t h, int32_t pitch);

// The largest size with the picture's aspect ratio inside w x h; at least 4 wide
// and 1 high, and never larger than the frame.
void fitImageSize(int32_t imageWidth, int32_t imageHeight, int32_t w, int32_t h, int32_t* fittedWidth,
                  int32_t* fittedHeight);

// Scales an R, G, B, A image (rows sourceRowBytes apart) to fw x fh pixels
// 0x00RRGGBB at dst: 15-bit steps, 16 levels per axis, sampling from (0, 0) with
// no half-pixel offset; the last source column and row repeat towards the edges.
void scaleImageBilinear(Pixel* dst, const uint8_t* src, int32_t fw, int32_t fh, int32_t dstPitch,
                        int32_t imageWidth, int32_t imageHeight, int32_t sourceRowBytes);
