// How the option, title and letter readers reach the entries of a scenario
// package: a copy of one entry's bytes, so they never hold the package's own
// buffers (and tests hand in entries of their own).
#pragma once
#include <cstdint>
#include <vector>

#include "engine/ScenarioPackage.h"  // the entry types

class EntrySource {
public:
    virtual ~EntrySource() = default;
    // Copies entry (type, index) into bytes; false when the package has none.
    virtual bool readEntry(int32_t type, int32_t index, std::vector<uint8_t>& bytes) const = 0;
};
