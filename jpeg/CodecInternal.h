// Declarations shared by the codec's units (not part of its interface).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "jpeg/CodecOps.h"
#include "jpeg/Jpeg.h"

// Zig-zag index to natural position, with 16 extra entries that all land on 63
// so a run past the band's end stays inside the block.
extern const uint8_t kNaturalOrder[80];

// ---- Huffman decoding (Huffman.cpp)
int buildHuffmanLookup(const uint8_t counts[16], const uint8_t* symbols, int tableClass, int id,
                       HuffmanLookup& table);
int decodeBlock(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
                int16_t* block);
int skipBlock(StreamReader& r, const HuffmanLookup& dc, const HuffmanLookup& ac, int16_t& dcPred,
              int16_t* dcOut);
int decodeDcFirst(StreamReader& r, const HuffmanLookup& table, int16_t* block, int16_t& dcPred, int al);
int decodeDcRefine(StreamReader& r, int16_t* block, int al);
int decodeAcFirst(StreamReader& r, int16_t* block, const HuffmanLookup& table, int ss, int se, int al);
int decodeAcRefine(StreamReader& r, int16_t* block, const HuffmanLookup& table, int ss, int se, int al);
// Bit reader pieces, exposed for the tests.
int fillBits(StreamReader& r);
int decodeSymbol(StreamReader& r, const HuffmanLookup& table);   // symbol, or negative
void dropBits(StreamReader& r);

// ---- Stream reader (Markers.cpp)
void resetInput(StreamReader& r, const uint8_t* base, size_t size, size_t offset, bool fromFile);
// File input through `buffer` (kFileBufferSize bytes), from offset; 0 or -23.
int resetFileInput(StreamReader& r, std::FILE* file, uint8_t* buffer, int64_t offset);
void releaseInput(StreamReader& r);
// Next bufferful of a file: 0, or -23 at its end (memory input: its end code).
int refillInput(StreamReader& r);
// Refills a file's buffer; false at the end of the data.
bool refillMore(StreamReader& r);
int64_t streamPosition(const StreamReader& r);
int seekInput(StreamReader& r, int64_t offset);
int endOfDataCode(const StreamReader& r);
int nextMarker(StreamReader& r);       // marker code, or negative
int decodeJpegStream(CodecState& s, int ioType);

// ---- Dequantisation and inverse DCT (Idct.cpp)
void prepareTableNatural(const uint16_t zigzag[64], uint16_t* table);
void prepareTableScaled(const uint16_t zigzag[64], uint16_t* table);
void dequantise(int16_t* block, const uint16_t* table);
void dequantiseScaled(int16_t* block, const uint16_t* table);
void inverseDct8(int16_t* block, uint8_t* out, int stride);
void inverseDct4(int16_t* block, uint8_t* out, int stride);
void inverseDct2(int16_t* block, uint8_t* out, int stride);
void inverseDct1(int16_t* block, uint8_t* out, int stride);
void inverseDctAan8(int16_t* block, uint8_t* out, int stride);
void inverseDctAan4(int16_t* block, uint8_t* out, int stride);
void inverseDctAan2(int16_t* block, uint8_t* out, int stride);
void inverseDctAan1(int16_t* block, uint8_t* out, int stride);

// ---- Output (ColorOut.cpp)
struct McuSamples {
    const uint8_t* plane[kMaxComponents];
    int32_t stride[kMaxComponents];
};

enum PixelWriter : int32_t {
    kWriteYccRgb,                // YCbCr to R, G, B
    kWriteYccBgr,
    kWriteYccRgba,               // R, G, B, 255
    kWriteYcck,                  // 255-R, 255-G, 255-B, K
    kWriteGrey3,                 // Y, Y, Y
    kWriteGrey4,                 // Y, Y, Y, 255
    kWriteYuyv,                  // Y0, Cb, Y1, Cr
    kWriteCopy,                  // components into bytes
};

// Chooses the output for the current frame and buffer; 0, -8 or -14.
int setupFrameOutput(CodecState& s, int blockSide);
void fillOutputKernels(CodecOps* ops);
// Writes the MCU whose samples are in s.planes.
void outputMcu(CodecState& s, int column, int row);
// Colour conversion of a sequential image whose components came in separate
// scans, over the pixels the read wrote.
void convertImageInPlace(CodecState& s);
// Writes the part of the MCU inside s.region at the buffer's origin.
void outputRegionMcu(CodecState& s, int column, int row);
// Bytes of the scratch MCU a region read writes through.
constexpr size_t kRegionScratchBytes = size_t(kMaxMcuSide) * kMaxMcuSide * 255;

// ---- Region reads (JpegCodec.cpp)
// At the first scan of a whole-image read: the region it asks for, at the
// block side of its scale, and the row marks of this stream; 0, -5 or -23.
int setupRegionRead(CodecState& s, int blockSide);

// ---- Interrupted reads and writes
// After the MCU (column, row) of an across x down grid: true, with the next
// position stored in the scan, when the caller may be given back control;
// false after the grid's last MCU, where the position goes back to the start.
inline bool storeNextPosition(ScanInfo& scan, int column, int row, int across, int down) {
    if (column + 1 >= across && row + 1 >= down) {
        scan.nextColumn = scan.nextRow = 0;
        return false;
    }
    scan.nextColumn = column + 1 < across ? column + 1 : 0;
    scan.nextRow = column + 1 < across ? row : row + 1;
    return true;
}

// ---- Scans (ScanDecode.cpp)
// Decodes the entropy data of s.scan from its next position: 0 (done), 1
// (interrupted), 2 (region done) or a negative code.
int decodeScan(CodecState& s);
// Output of every MCU (of the region) from the coefficient buffer, from
// s.outputNext: 0, 1 (interrupted) or 2 (region done).
int outputCoefficientImage(CodecState& s);
