#include "authoring/SystemCheck.h"

// A plain division: the old fixed-point form (x 274877907 >> 48) overflows
// 64 bits above 64 GB and then reports next to nothing.
uint32_t memoryUnits(uint64_t totalBytes) {
    const uint64_t units = totalBytes / 1024000u;
    return units > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(units);
}

SystemAdvice adviseSystem(uint32_t memory, bool cpuRead, uint32_t cpuMhz, int32_t screenWidth) {
    SystemAdvice advice;
    advice.memory = memory < kRecommendedMemoryUnits;
    advice.cpuUnknown = !cpuRead;
    // No speed read: no advice about it beyond the error.
    advice.cpuSlow = cpuRead && cpuMhz < kRecommendedCpuMhz;
    advice.askResolution = screenWidth < kRecommendedScreenWidth;
    return advice;
}
