// The start-up check's advice: memory, processor speed and screen width
// below what the program recommends. Only advice; start-up always goes on.
#pragma once
#include <cstdint>

constexpr uint32_t kRecommendedMemoryUnits = 65;    // units of 1,024,000 bytes
constexpr uint32_t kRecommendedCpuMhz = 400;
constexpr int32_t kRecommendedScreenWidth = 800;

// Total physical memory in units of 1,024,000 bytes (truncated).
uint32_t memoryUnits(uint64_t totalBytes);

struct SystemAdvice {
    bool memory = false;        // "Upper 65RAM memory is recommended ..."
    bool cpuUnknown = false;    // "Can't get CPU speed. Error code 0x008"
    bool cpuSlow = false;       // " If CPU speed is upper 400Hz, ..."
    bool askResolution = false; // the question about 800 * 600
};
SystemAdvice adviseSystem(uint32_t memory, bool cpuRead, uint32_t cpuMhz, int32_t screenWidth);
