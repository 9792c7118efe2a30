// Processor classification and the operation-table fillers.
#include "jpeg/CodecOps.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define VT_HAVE_CPUID 1
#endif

#include "jpeg/CodecInternal.h"
#include "jpeg/JpegEncoder.h"
#include "jpeg/VectorOps.h"
#include "render/FaultGuard.h"

CpuInfo gCpuInfo;

namespace {

void blankCpuInfo(CpuInfo* info) {
    std::memset(info, 0, sizeof *info);
    std::memset(info->vendor, ' ', 12);
}

void queryCpuid(CpuInfo* info) {
#ifdef VT_HAVE_CPUID
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d)) return;
    std::memcpy(info->vendor, &b, 4);
    std::memcpy(info->vendor + 4, &d, 4);
    std::memcpy(info->vendor + 8, &c, 4);
    if (a < 1) return;
    __get_cpuid(1, &a, &b, &c, &d);
    info->brandIndex = b & 0xFF;
    info->processorType = (a >> 12) & 3;
    info->family = (a >> 8) & 15;
    info->model = (a >> 4) & 15;
    info->stepping = a & 15;
    info->features = d;
#else
    (void)info;
#endif
}

void leaveNothing() {}

void leaveMmx() {
#ifdef VT_VECTOR_FORMS
    leaveMmxState();
#endif
}

// The instructions each class's forms use.
bool hasClassFeatures(const CpuInfo& info, int cls) {
    uint32_t f = info.features;
    switch (cls) {
    case kCpuP5Mmx: return (f & kCpuFeatureMmx) != 0;
    case kCpuP6Mmx: return (f & kCpuFeatureMmx) && (f & kCpuFeatureCmov);
    case kCpuP6Sse: return (f & kCpuFeatureMmx) && (f & kCpuFeatureCmov) && (f & kCpuFeatureSse);
    case kCpuSse2: return (f & kCpuFeatureMmx) && (f & kCpuFeatureCmov) && (f & kCpuFeatureSse2);
    default: return true;
    }
}

}  // namespace

void readCpuInfo(CpuInfo* info) {
    blankCpuInfo(info);
    // A processor that faults on CPUID counts as one that has nothing.
    if (!guardedCall([&] { queryCpuid(info); })) blankCpuInfo(info);
    info->vendor[12] = 0;
}

CpuClass cpuClassFromInfo(const CpuInfo& info) {
    bool mmx = info.features & kCpuFeatureMmx, sse = info.features & kCpuFeatureSse;
    switch (info.family) {
    case 5: return mmx ? kCpuP5Mmx : kCpuP5;
    case 6:
        if (mmx && sse) return kCpuP6Sse;
        if (mmx) return kCpuP6Mmx;
        return kCpuP6;
    case 15: return (info.features & kCpuFeatureSse2) ? kCpuSse2 : kCpuOther;
    default: return kCpuOther;
    }
}

CpuClass chooseCpuClass(const CpuInfo& info, int override) {
    if (override >= kCpuOther && override <= kCpuSse2 && hasClassFeatures(info, override))
        return static_cast<CpuClass>(override);
    return cpuClassFromInfo(info);
}

CpuClass selectCpuClass(CodecOps* ops) {
    readCpuInfo(&gCpuInfo);
    return chooseCpuClass(gCpuInfo, readCpuOverride(ops));
}

void fillOpsPlain(CodecOps* ops) {
    ops->leaveSimdState = leaveNothing;
    ops->forwardDct[0] = forwardDctScaled;
    ops->forwardDct[1] = forwardDct;
    ops->idct[0][0] = inverseDctAan8;
    ops->idct[0][1] = inverseDctAan4;
    ops->idct[0][2] = inverseDctAan2;
    ops->idct[0][3] = inverseDctAan1;
    ops->idct[1][0] = inverseDct8;
    ops->idct[1][1] = inverseDct4;
    ops->idct[1][2] = inverseDct2;
    ops->idct[1][3] = inverseDct1;
    for (InverseDct& f : ops->activeIdct) f = nullptr;
    ops->activeForwardDct = nullptr;
    ops->startOutput = startOutput;
    ops->writeBytes = writeSegment;
    ops->mcuFetch = nullptr;
    fillMcuFetch(ops);
    ops->mcuOutput = nullptr;
    fillOutputKernels(ops);
    ops->encodeBlock = encodeBlock;
    ops->decodeBlock = decodeBlock;
    ops->skipBlock = skipBlock;
    ops->quantise[0] = quantiseScaled;
    ops->quantise[1] = quantise;
    ops->quantise[2] = quantiseScaled;
    ops->dequantise[0] = dequantiseScaled;
    ops->dequantise[1] = dequantise;
    ops->dequantise[2] = dequantiseScaled;
}

// The vector classes. Every form gives the plain form's results; they differ
// in the instructions they may use: class 3 MMX, class 4 MMX with conditional
// moves, class 5 also the SSE integer instructions, class 6 SSE2.
namespace {

void fillOpsVector(CodecOps* ops, int cls) {
    fillOpsPlain(ops);
    ops->leaveSimdState = leaveMmx;
#ifdef VT_VECTOR_FORMS
#if defined(__i386__) || defined(_M_IX86)
    // The forms are SSE2 code: a 32-bit processor without SSE2 keeps the plain ones.
    if (!(gCpuInfo.features & kCpuFeatureSse2)) return;
#endif
    const bool sse = cls >= kCpuP6Sse, sse2 = cls == kCpuSse2;
    ops->forwardDct[0] = forwardDctScaledMmx;
    ops->forwardDct[1] = sse2 ? forwardDctSse2 : sse ? forwardDctMmxSse : forwardDctMmx;
    ops->idct[0][0] = inverseDctAan8Mmx;
    ops->idct[1][0] = sse2 ? inverseDct8Sse2 : sse ? inverseDct8MmxSse : inverseDct8Mmx;
    ops->startOutput = startOutputMmx;
    ops->writeBytes = writeBytesMmx;
    fillMcuFetchVector(ops, sse);
    fillOutputKernelsVector(ops, sse);
    ops->encodeBlock = cls == kCpuP6Sse ? encodeBlockMmxSse : encodeBlockMmx;
    ops->decodeBlock = cls == kCpuP5Mmx ? decodeBlockMmx : decodeBlockMmxCmov;
    ops->skipBlock = skipBlockMmx;
    ops->quantise[0] = quantiseScaledMmx;
    ops->quantise[1] = sse2 ? quantiseSse2 : cls == kCpuP6Sse ? quantiseMmxSse : quantiseMmx;
    ops->quantise[2] = quantiseScaledMmx;
    ops->dequantise[1] = sse2 ? dequantiseSse2 : dequantiseMmx;
#else
    (void)cls;
#endif
}

}  // namespace

void fillOpsMmx(CodecOps* ops) { fillOpsVector(ops, kCpuP5Mmx); }
void fillOpsMmxCmov(CodecOps* ops) { fillOpsVector(ops, kCpuP6Mmx); }
void fillOpsSse(CodecOps* ops) { fillOpsVector(ops, kCpuP6Sse); }
void fillOpsSse2(CodecOps* ops) { fillOpsVector(ops, kCpuSse2); }

int setupCodecOps(CodecOps* ops) {
    bindRegistryFunctions(ops);
    switch (selectCpuClass(ops)) {
    case kCpuP5Mmx: fillOpsMmx(ops); break;
    case kCpuP6Mmx: fillOpsMmxCmov(ops); break;
    case kCpuP6Sse: fillOpsSse(ops); break;
    case kCpuSse2: fillOpsSse2(ops); break;
    default: fillOpsPlain(ops); break;
    }
    return 1;
}
