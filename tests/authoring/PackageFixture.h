// Small fixtures for the package writer tests: an engine stand-in, picture
// files, a recording reporter, and an independent parse of the package layout.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/ScenarioWriter.h"

namespace vt_test {

// A file of `size` bytes of a pattern that never forms the marker.
std::vector<uint8_t> patternBytes(size_t size, uint8_t seed);
std::string makeFile(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes);

struct PackLog {
    std::vector<std::string> lines;        // progress lines
    struct Box {
        std::string text, caption;
        PackMessageStyle style;
    };
    std::vector<Box> boxes;
    int ensures = 0;
    PackReporter reporter();
};

struct ParsedEntry {
    uint32_t type, index, offset, size;
    std::vector<uint8_t> data;
    std::string text() const;              // the data up to its zero byte
};

// Parses the package behind the first `engineLength` bytes: the zero fill, the
// marker, the count, the directory (slots past the count all zero) and each
// entry's data inside the file. Empty on any deviation (with a reason in *why).
std::vector<ParsedEntry> parsePackage(const std::vector<uint8_t>& file, size_t engineLength,
                                      std::string* why);

}  // namespace vt_test
