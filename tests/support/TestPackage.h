// A small scenario-package writer for tests: an "engine" of given bytes, padded to
// 512, the marker, the count, 600 directory slots, then the entries' data.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ScenarioPackage.h"

namespace vt_test {

struct TestEntry {
    int32_t type;
    int32_t index;
    std::vector<uint8_t> data;
};

inline std::vector<uint8_t> textEntryBytes(const std::string& text) {
    std::vector<uint8_t> v(text.begin(), text.end());
    v.push_back(0);
    return v;
}

inline void putLe32(std::vector<uint8_t>& file, size_t at, int32_t value) {
    auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(u >> (8 * i));
}

// Offset of directory slot `slot`'s field (0 type, 1 index, 2 offset, 3 size).
inline size_t slotField(size_t packageOffset, int slot, int field) {
    return packageOffset + kPackageMarkerBytes + 4 + static_cast<size_t>(slot) * kPackageSlotBytes + 4 * field;
}

inline size_t packageOffsetFor(size_t engineBytes) {
    return (engineBytes + kPackageAlignment - 1) / kPackageAlignment * kPackageAlignment;
}

inline std::vector<uint8_t> buildSaverFile(const std::vector<uint8_t>& engine, const std::vector<TestEntry>& entries) {
    std::vector<uint8_t> file = engine;
    size_t base = packageOffsetFor(engine.size());
    file.resize(base + kPackageHeaderBytes, 0);
    uint8_t marker[kPackageMarkerBytes];
    scenarioMarker(marker);
    std::memcpy(file.data() + base, marker, sizeof marker);
    putLe32(file, base + kPackageMarkerBytes, static_cast<int32_t>(entries.size()));
    for (size_t i = 0; i < entries.size() && i < static_cast<size_t>(kPackageSlots); ++i) {
        const TestEntry& e = entries[i];
        putLe32(file, slotField(base, static_cast<int>(i), 0), e.type);
        putLe32(file, slotField(base, static_cast<int>(i), 1), e.index);
        putLe32(file, slotField(base, static_cast<int>(i), 2), static_cast<int32_t>(file.size()));
        putLe32(file, slotField(base, static_cast<int>(i), 3), static_cast<int32_t>(e.data.size()));
        file.insert(file.end(), e.data.begin(), e.data.end());
    }
    return file;
}

// Bytes that stand in for a JPEG file of a picture: `size` bytes of a pattern.
inline std::vector<uint8_t> patternBytes(size_t size, uint8_t seed) {
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

}  // namespace vt_test
