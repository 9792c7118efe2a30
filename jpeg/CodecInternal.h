// Declarations shared by the codec's units (not part of its interface).
#pragma once
#include <cstddef>
#include <cstdint>

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

// ---- Scans (ScanDecode.cpp)
// Decodes the entropy data of s.scan; 0 or a negative code.
int decodeScan(CodecState& s);
// Output of every MCU from the coefficient buffer.
void outputCoefficientImage(CodecState& s);
