// Processor classes and the per-record table of the codec's speed-critical
// steps. The table is filled once per record by processor class; the decoder
// calls these steps only through it. Classes whose vector forms are not built
// hold the plain forms.
#pragma once
#include <cstdint>
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

struct CodecOps {
    int32_t scanHeaderSize;      // bytes of the last SOS segment with its marker
    int32_t reserved;
    void* registryLibrary;       // late-bound advapi32 (Windows)
    void* regOpenKey;
    void* regQueryValue;
    void* regCloseKey;
    void (*leaveSimdState)();    // end-of-call hook
    InverseDct idct[2][4];       // [dctKind][8x8, 4x4, 2x2, 1x1]
    InverseDct activeIdct[4];    // the family in use, set per scan
    McuOutputFn mcuOutput;       // set per image by the output stage
    OutputKernel outputKernel[kOutputKernelCount];
    DecodeBlockFn decodeBlock;
    SkipBlockFn skipBlock;
    Dequantise dequantise[3];    // family 0, family 1, active
    ForwardDctFn forwardDct[3];  // family 0, family 1, active
    QuantiseFn quantise[3];      // family 0, family 1, active
    McuFetchFn mcuFetch;         // set per image
    EncodeBlockFn encodeBlock;
};

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
