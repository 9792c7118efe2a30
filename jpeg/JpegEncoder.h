// Declarations shared by the encoder's units (not part of the codec's interface).
#pragma once
#include <cstdint>
#include <cstdio>

#include "jpeg/CodecInternal.h"

// Where encoded bytes go: a 4,096-byte buffer flushed to the file, or the
// caller's memory area directly.
struct OutputWriter {
    uint64_t bits;               // filled from the top
    int32_t bitCount;
    uint8_t* pos;
    uint8_t* start;
    uint8_t* end;
    int64_t written;             // bytes produced so far
    int64_t left;
    std::FILE* file;             // null for memory output
    WriteBytesFn writeBytes;     // the segment writer of the class that started the output
    uint8_t buffer[4096];
};

// Code and length of every symbol of one Huffman table; length 0 = no code.
struct HuffmanCode {
    uint16_t code[256];
    uint8_t length[256];
    // For AC symbols (run << 4 | size): the code already shifted over its
    // size value bits, and the two lengths together (0 = no code).
    uint32_t codeWithRoom[256];
    uint8_t lengthWithValue[256];
};


// What the MCU fetch routines read: the working caller fields and the layout.
struct FetchPlan {
    const uint8_t* origin;       // image row 0
    ptrdiff_t stride;
    int32_t channels;
    int32_t color;
    int32_t width;               // image size
    int32_t height;
    int32_t components;
    int32_t h[kMaxComponents];
    int32_t v[kMaxComponents];
    int32_t hmax, vmax;
    int32_t mcuWidth, mcuHeight;
    int32_t mode;                // FetchMode
    int32_t byteOf[kMaxComponents];   // pass-through: source byte of each component, -1 = 0
    int32_t packed;              // Y0, Cb, Y1, Cr per two pixels
};

enum FetchMode : int32_t {
    kFetchYcc,                   // R, G, B to Y, Cb, Cr; chroma boxes from summed terms
    kFetchYccMeans,              // the same from four-byte pixels; chroma from box means
    kFetchInvertedYcck,          // 255 - R, G, B to Y, Cb, Cr, and K
    kFetchBytes,                 // samples passed through, byte - 128
};

struct EncoderComponent {
    int32_t h, v;
    int32_t quant;               // quantisation table
    int32_t dc, ac;              // Huffman tables
    int32_t mcuOffset;           // first block of the component in an MCU
    int32_t blocksAcross, blocksDown;   // blocks that touch the image
};

struct EncoderWork {
    // Per quantisation table: the scaled table (zig-zag), then the divisors.
    uint16_t quant[4][64];
    uint16_t divisors[4][64];
    int32_t quantDefined[4];
    int32_t divisorsBuilt[4];
    HuffmanCode dc[4];
    HuffmanCode ac[4];
    int32_t dcDefined[4];
    int32_t acDefined[4];
    OutputWriter out;
    FetchPlan fetch;
    EncoderComponent comp[kMaxComponents];
    int32_t components;
    int32_t blocksPerMcu;
    int32_t mcusAcross, mcusDown;
    int32_t mcuWidth, mcuHeight;
    int32_t resuming;            // a sequential write was interrupted
    ScanInfo scan;
    alignas(32) int16_t mcu[kMaxBlocksPerMcu][64];
};

// ---- Forward DCT and quantisation (Fdct.cpp)
// The default quantisation tables in zig-zag order: 0 luminance, 1 chrominance.
const uint8_t* annexKTable(int which);
void forwardDct(int16_t* block);
void forwardDctScaled(int16_t* block);
void makeReciprocals(uint16_t* table);
void quantise(int16_t* block, const uint16_t* reciprocals);
void quantiseScaled(int16_t* block, const uint16_t* reciprocals);
void buildDivisors(uint16_t* table);
void scaleQuantTable(int quality, const uint8_t base[64], uint16_t out[64]);

// ---- Colour conversion and downsampling (EncodeColor.cpp)
// The fetch slot of the plan's case.
McuFetchSlot mcuFetchSlot(const FetchPlan& plan);
void fillMcuFetch(CodecOps* ops);

// ---- Huffman coding and output (EncodeHuffman.cpp)
void startOutput(OutputWriter& w, uint8_t* area, int64_t size, std::FILE* file);
int writeSegment(const uint8_t* bytes, int count, OutputWriter& w);
int putBits(OutputWriter& w, uint32_t value, int n);
int flushBits(OutputWriter& w);
int writeOut(OutputWriter& w);
int buildEncodingTable(const uint8_t bits[16], const uint8_t* values, HuffmanCode& table);
void buildOptimalTable(const uint32_t counts[257], uint8_t bits[16], uint8_t values[256]);
int encodeBlock(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                const int16_t* block);
int significantBits(int value);

// Progressive scan coder: one call per scan over the coefficient store. With
// counts set, nothing is written and every symbol is counted instead
// (dcCounts/acCounts by the components' table numbers).
struct ProgressiveScan {
    EncoderWork* work;
    const int16_t* coefficients;     // blocksPerMcu x 64 per MCU, MCU rows top down
    uint32_t (*counts)[257];         // [table] frequency tables, or null
};
int encodeProgressiveScan(ProgressiveScan& scan);

// ---- Driver (Encoder.cpp)
int encodeImage(JpegProperties* props, int ioType);
void freeEncoderWork(CodecState& s);
void setEncoderDefaults(JpegEncoderSettings& e);
