#include "PackageFixture.h"

#include <algorithm>
#include <cstring>

#include "tests/support/TestSupport.h"

namespace vt_test {

std::vector<uint8_t> patternBytes(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t s = seed * 2654435761u + 7;
    for (uint8_t& b : bytes) {
        s = s * 1664525u + 1013904223u;
        b = static_cast<uint8_t>((s >> 24) | 0x80);   // never an ASCII letter or digit, never 0
    }
    return bytes;
}

std::string makeFile(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    writeFileBytes(path, bytes);
    return path;
}

PackReporter PackLog::reporter() {
    PackReporter r;
    r.user = this;
    r.ensureProgressWindow = [](void* u) { ++static_cast<PackLog*>(u)->ensures; };
    r.progressLine = [](void* u, const char* line) { static_cast<PackLog*>(u)->lines.push_back(line); };
    r.message = [](void* u, const char* text, const char* caption, PackMessageStyle style) {
        static_cast<PackLog*>(u)->boxes.push_back({text, caption, style});
    };
    return r;
}

std::string ParsedEntry::text() const {
    const auto zero = std::find(data.begin(), data.end(), uint8_t{0});
    return std::string(data.begin(), zero);
}

namespace {
uint32_t word(const std::vector<uint8_t>& f, size_t at) {
    return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<uint32_t>(f[at + 3]) << 24;
}
}  // namespace

std::vector<ParsedEntry> parsePackage(const std::vector<uint8_t>& file, size_t engineLength,
                                      std::string* why) {
    auto bad = [&](const std::string& reason) {
        if (why) *why = reason;
        return std::vector<ParsedEntry>{};
    };
    const size_t p = (engineLength + 511) / 512 * 512;
    if (file.size() < p + 9621) return bad("file too short for a package");
    for (size_t i = engineLength; i < p; ++i)
        if (file[i] != 0) return bad("fill byte " + std::to_string(i) + " is not zero");
    static const char marker[] = "VTLRESOURCES1000";
    if (std::memcmp(&file[p], marker, 17) != 0) return bad("no marker at P");
    const uint32_t count = word(file, p + 17);
    if (count > 600) return bad("count above 600");
    std::vector<ParsedEntry> entries;
    for (uint32_t i = 0; i < 600; ++i) {
        const size_t slot = p + 21 + 16 * i;
        ParsedEntry e{word(file, slot), word(file, slot + 4), word(file, slot + 8), word(file, slot + 12), {}};
        if (i >= count) {
            if (e.type || e.index || e.offset || e.size) return bad("slot past the count is not zero");
            continue;
        }
        if (static_cast<size_t>(e.offset) + e.size > file.size()) return bad("entry past the end");
        e.data.assign(file.begin() + e.offset, file.begin() + e.offset + e.size);
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace vt_test
