// Processor classification and the operation-table fillers.
#include "jpeg/CodecOps.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <mmintrin.h>
#define VT_HAVE_CPUID 1
#endif

#include "jpeg/CodecInternal.h"
#include "jpeg/JpegEncoder.h"
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
#ifdef __MMX__
    _mm_empty();
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
    ops->idct[0][0] = inverseDctAan8;
    ops->idct[0][1] = inverseDctAan4;
    ops->idct[0][2] = inverseDctAan2;
    ops->idct[0][3] = inverseDctAan1;
    ops->idct[1][0] = inverseDct8;
    ops->idct[1][1] = inverseDct4;
    ops->idct[1][2] = inverseDct2;
    ops->idct[1][3] = inverseDct1;
    for (InverseDct& f : ops->activeIdct) f = nullptr;
    ops->mcuOutput = nullptr;
    fillOutputKernels(ops);
    ops->decodeBlock = decodeBlock;
    ops->skipBlock = skipBlock;
    ops->dequantise[0] = dequantiseScaled;
    ops->dequantise[1] = dequantise;
    ops->dequantise[2] = dequantiseScaled;
    ops->forwardDct[0] = forwardDctScaled;
    ops->forwardDct[1] = forwardDct;
    ops->forwardDct[2] = forwardDct;
    ops->quantise[0] = quantiseScaled;
    ops->quantise[1] = quantise;
    ops->quantise[2] = quantise;
    ops->mcuFetch = nullptr;
    ops->encodeBlock = encodeBlock;
}

// The vector forms are not built yet: the SIMD classes run the plain forms and
// clear the MMX state at the end of each call as their forms will need.
void fillOpsMmx(CodecOps* ops) {
    fillOpsPlain(ops);
    ops->leaveSimdState = leaveMmx;
}
void fillOpsMmxCmov(CodecOps* ops) { fillOpsMmx(ops); }
void fillOpsSse(CodecOps* ops) { fillOpsMmx(ops); }
void fillOpsSse2(CodecOps* ops) { fillOpsMmx(ops); }

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
