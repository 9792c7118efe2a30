// Processor classes and the per-record table of the codec's speed-critical
// steps. The table is filled once per record by processor class; the codec
// calls these steps only through it.
#pragma once
#include <cstdint>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "jpeg/CodecState.h"

struct CpuInfo {
    uint32_t brandIndex;         // leaf 1 EBX bits 0-7
    uint32_t processorType;      // leaf 1 EAX bits 12-13
    uint32_t family;             // leaf 1 EAX bits 8-11
    uint32_t model;
    uint32_t stepping;
    uint32_t features;           // leaf 1 EDX
    char vendor[13];
};

enum CpuClass : int32_t {
    kCpuOther = 0,
    kCpuP5 = 1,                  // family 5 without MMX
    kCpuP6 = 2,                  // family 6 without MMX
    kCpuP5Mmx = 3,
    kCpuP6Mmx = 4,               // MMX without SSE
    kCpuP6Sse = 5,
    kCpuSse2 = 6,                // family 15 with SSE2
};

constexpr uint32_t kCpuFeatureCmov = 1u << 15;
constexpr uint32_t kCpuFeatureMmx = 1u << 23;
constexpr uint32_t kCpuFeatureSse = 1u << 25;
constexpr uint32_t kCpuFeatureSse2 = 1u << 26;

struct McuSamples;
struct FetchPlan;
struct OutputWriter;
struct HuffmanCode;

// 8x8 (or reduced) inverse transform of one dequantised block into 8-bit samples.
using InverseDct = void (*)(int16_t* block, uint8_t* out, int outStride);
using Dequantise = void (*)(int16_t* block, const uint16_t* table);
using DecodeBlockFn = int (*)(StreamReader& reader, const HuffmanLookup& dc, const HuffmanLookup& ac,
                              int16_t& dcPred, int16_t* block);
using SkipBlockFn = int (*)(StreamReader& reader, const HuffmanLookup& dc, const HuffmanLookup& ac,
                            int16_t& dcPred, int16_t* dcOut);
using McuOutputFn = void (*)(CodecState& state, int column, int row);
// One whole MCU of samples into the caller's pixels at dst.
using OutputKernel = void (*)(const McuSamples& samples, uint8_t* dst, ptrdiff_t rowStep);

// Encoder steps.
using ForwardDctFn = void (*)(int16_t* block);
using QuantiseFn = void (*)(int16_t* block, const uint16_t* reciprocals);
// One MCU of level-shifted samples, blocks in component order.
using McuFetchFn = void (*)(const FetchPlan& plan, int column, int row, int16_t* out);
using EncodeBlockFn = int (*)(OutputWriter& w, const HuffmanCode& dc, const HuffmanCode& ac, int16_t& dcPred,
                              const int16_t* block);

constexpr int kOutputKernelCount = 19;
constexpr int kMcuFetchCount = 15;

// The encoder's MCU fetch routines, one slot each (by buffer colour, channels
// and sampling).
enum McuFetchSlot : int32_t {
    kFetchGreyFromRgb,           // one component from three channels
    kFetchYcc444,                // three channels to Y, Cb, Cr
    kFetchYccFromFour,           // four channels to Y, Cb, Cr (box means when downsampled)
    kFetchInvertedYcck444,       // four components, inverted
    kFetchYcc420,                // three channels, Y 2x2
    kFetchYcc422,                // three channels, Y 2x1
    kFetchInvertedYcck420,
    kFetchInvertedYcck422,
    kFetchGrey,                  // one grey byte
    kFetchPassThrough,           // any other layout without conversion
    kFetchThreeBytes,            // three bytes as they are
    kFetchFourBytes,
    kFetchBytes420,              // three bytes, the last two averaged 2x2
    kFetchBytes422,
    kFetchPacked422,             // Y0, Cb, Y1, Cr
};

// Starts the encoder's output; the writer keeps the segment writer of the class.
using StartOutputFn = void (*)(OutputWriter& w, uint8_t* area, int64_t size, std::FILE* file);
using WriteBytesFn = int (*)(const uint8_t* bytes, int count, OutputWriter& w);

// The table, in its fixed order: seven header words, then 62 operation slots.
struct CodecOps {
    int32_t scanHeaderSize;      // bytes of the last SOS segment with its marker
    int32_t reserved;
    void* registryLibrary;       // late-bound advapi32 (Windows)
    void* regOpenKey;
    void* regQueryValue;
    void* regCloseKey;
    void (*leaveSimdState)();    // end-of-call hook
    ForwardDctFn forwardDct[2];  // family 0 (AAN), family 1
    InverseDct idct[2][4];       // [dctKind][8x8, 4x4, 2x2, 1x1]
    InverseDct activeIdct[4];    // the family in use, set per scan
    ForwardDctFn activeForwardDct;   // set per write
    StartOutputFn startOutput;
    WriteBytesFn writeBytes;
    McuFetchFn mcuFetch;         // set per image
    McuFetchFn fetch[kMcuFetchCount];
    McuOutputFn mcuOutput;       // set per image by the output stage
    OutputKernel outputKernel[kOutputKernelCount];
    EncodeBlockFn encodeBlock;
    DecodeBlockFn decodeBlock;
    SkipBlockFn skipBlock;
    QuantiseFn quantise[3];      // family 0, family 1, active
    Dequantise dequantise[3];    // family 0, family 1, active
};
constexpr int kCodecOpsHeaderWords = 7;
constexpr int kCodecOpsSlots = 62;
static_assert(offsetof(CodecOps, forwardDct) == sizeof(void*) * 5 + 8 ||
                  offsetof(CodecOps, forwardDct) == sizeof(void*) * 6,
              "the header holds seven words");
static_assert(sizeof(CodecOps) == offsetof(CodecOps, forwardDct) + kCodecOpsSlots * sizeof(void*),
              "every operation slot is one pointer");

extern CpuInfo gCpuInfo;

inline void copyBytes(void* dst, const void* src, size_t n) { std::memmove(dst, src, n); }
inline void zeroBytes(void* dst, size_t n) { std::memset(dst, 0, n); }

void readCpuInfo(CpuInfo* info);
// The class the CPUID data alone gives.
CpuClass cpuClassFromInfo(const CpuInfo& info);
// The class for this processor with an override (0..6; anything else = none). An
// override never picks forms whose instructions the processor lacks.
CpuClass chooseCpuClass(const CpuInfo& info, int override);
CpuClass selectCpuClass(CodecOps* ops);
int setupCodecOps(CodecOps* ops);

void fillOpsPlain(CodecOps* ops);
void fillOpsMmx(CodecOps* ops);
void fillOpsMmxCmov(CodecOps* ops);
void fillOpsSse(CodecOps* ops);
void fillOpsSse2(CodecOps* ops);

// Platform units (win32/ reads the registry through late-bound functions;
// natively there is no override).
void bindRegistryFunctions(CodecOps* ops);
int readCpuOverride(CodecOps* ops);
void releaseLateBound(CodecOps* ops);
#ifndef _WIN32
// Natively the override comes from here (the registry's stand-in); -1 = none.
void setCpuOverride(int value);
#endif
