// The JPEG codec's public interface: one caller-owned record, JpegProperties,
// and the operations on it. A decode is
//   jpegInit; set buffer/bufferSize (or fileName); jpegRead(type 1, or 0 for a file);
//   take jpegWidth/jpegHeight; set pixels, width, height, rowPad, channels, color;
//   jpegRead(type 3, or 2); jpegFree.
// Results: 0 success, negative codes with the texts of jpegErrorText.
//
// Region reads: a whole-image read (types 2, 3, 14-19) with a rectangle in
// state.roiLeft/Top/Right/Bottom (output pixels; a right or bottom of 0 is the
// image's edge) writes that rectangle only, its top-left pixel at `pixels`,
// and returns 2. Interrupted reads: with state.interrupt set a read returns 1
// after the next MCU (in a progressive or split-scan image's scan of one
// component, after the next row of its blocks) with that MCU's column and row
// in roiLeft = roiRight, roiTop = roiBottom; the next read of the same type
// goes on from there. The caller's rectangle is given back when the read ends
// or is left for another read.
//
// Limits: images up to 65,535 pixels a side and kMaxImagePixels in all (larger
// ones are refused with "Memory error"); 8-bit samples; 1 to 4 components with
// sampling factors 1 to 4 and at most 10 blocks per MCU; baseline, extended and
// progressive Huffman frames; at most kMaxScans scans in one image.
#pragma once
#include <cstdint>

#include "jpeg/CodecState.h"

// Colour codes of the caller's pixel buffer and of the JPEG data.
enum JpegColor : int32_t {
    kJpegColorRgb = 1,       // R, G, B  | JPEG: three components, no transform
    kJpegColorBgr = 2,       // B, G, R
    kJpegColorYcbcr = 3,     // YCbCr samples | JPEG: YCbCr (assumed by default)
    kJpegColorGrey = 4,      // one grey byte | JPEG: one component
    kJpegColorRgba = 5,      // R, G, B, A    | JPEG: four components, no transform
    kJpegColorYcck = 6,      //               | JPEG: four components, Adobe transform
    kJpegColorOther = 255,   // samples passed through
};

enum JpegSubsampling : int32_t {
    kJpegSub444 = 0,         // every component 1x1
    kJpegSub420 = 1,         // three components, first 2x2
    kJpegSub422 = 2,         // three components, first 2x1
    kJpegSub420K = 3,        // four components, first and fourth 2x2
    kJpegSub422K = 4,        // four components, first and fourth 2x1
    kJpegSubOther = 255,
};

// Second argument of jpegRead: even types read fileName, odd types buffer.
enum JpegIoType : int32_t {
    kJpegReadParamsFile = 0,
    kJpegReadParams = 1,
    kJpegReadImageFile = 2,
    kJpegReadImage = 3,
    kJpegReadTablesFile = 4,
    kJpegReadTables = 5,
    kJpegReadDataFile = 6,
    kJpegReadData = 7,
    kJpegWriteImageFile = 8,     // whole image
    kJpegWriteImage = 9,
    kJpegWriteTablesFile = 10,   // tables only
    kJpegWriteTables = 11,
    kJpegWriteDataFile = 12,     // image without tables
    kJpegWriteData = 13,
    kJpegReadHalfFile = 14,
    kJpegReadHalf = 15,
    kJpegReadQuarterFile = 16,
    kJpegReadQuarter = 17,
    kJpegReadEighthFile = 18,
    kJpegReadEighth = 19,
    kJpegReadThumbFile = 20,
    kJpegReadThumb = 21,
};

enum JpegResult : int32_t {
    kJpegRoiSuccess = 2,
    kJpegInterruptSuccess = 1,
    kJpegOk = 0,
    kJpegException = -1,
    kJpegInvalidEncoder = -2,
    kJpegBadSubsampling = -3,
    kJpegBadBytesPerPixel = -4,
    kJpegMemoryError = -5,
    kJpegBadHuffmanTable = -6,
    kJpegBadQuantTable = -7,
    kJpegInvalidProperties = -8,
    kJpegCloseError = -9,
    kJpegBadFileName = -10,
    kJpegEofError = -11,
    kJpegNotSupported = -12,
    kJpegNotJpeg = -13,
    kJpegBadComponents = -14,
    kJpegBadSof = -15,
    kJpegBadDnl = -16,
    kJpegNoHuffmanTable = -17,
    kJpegNoQuantTable = -18,
    kJpegNoFrame = -19,
    kJpegMultipleFrames = -20,
    kJpegDataError = -21,
    kJpegNoImage = -22,
    kJpegFileError = -23,
    kJpegInternalError = -24,
    kJpegBadRestart = -25,
    kJpegThumbTooSmall = -26,
    kJpegThumbWrongColor = -27,
    kJpegOutputTooSmall = -28,
    kJpegUnsupportedFrame = -29,
    kJpegCommentError = -30,
    kJpegReserved = -99,
};

struct JpegProperties {
    // Caller fields, in this order.
    int32_t keepState;           // nonzero: skip validation, keep the working copy
    void* pixels;                // caller's pixel buffer
    int32_t width;               // buffer width in pixels
    int32_t height;              // buffer rows; negative = bottom-up
    int32_t rowPad;              // bytes after each row
    int32_t channels;            // bytes per pixel
    int32_t color;               // JpegColor of the buffer
    int32_t subsampling;         // JpegSubsampling of the buffer (0, or 2 with YCbCr)
    const char* fileName;        // even IO types
    const void* buffer;          // odd IO types
    int32_t bufferSize;
    int32_t jpegWidth;           // set by a read
    int32_t jpegHeight;
    int32_t jpegChannels;
    int32_t jpegColor;
    int32_t jpegSubsampling;
    int32_t thumbWidth;
    int32_t thumbHeight;
    int32_t conversionRequired;
    int32_t upsamplingRequired;
    int32_t quality;             // encoder
    // The codec's own working state; callers leave it alone (the comment buffer
    // fields excepted).
    CodecState state;
};

int jpegInit(JpegProperties* props);
int jpegRead(JpegProperties* props, int ioType);
// Encodes pixels (or state.encoder.planeInput) as jpegWidth x jpegHeight with
// jpegChannels components of jpegColor; even types write fileName, odd types
// buffer (which must hold the whole stream). After a success bufferSize holds
// the bytes written.
int jpegWrite(JpegProperties* props, int ioType);
int jpegFree(JpegProperties* props);
const char* jpegErrorText(int code);
int validateProperties(JpegProperties* props);
