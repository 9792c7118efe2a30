// The scenario package reader over arbitrary saver-file bytes: load, then ask for
// every entry the directory names (and a few it does not), count, read the name.
#include <cstdint>
#include <cstring>

#include "engine/ScenarioPackage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScenarioPackage* package = newScenarioPackage();
    loadScenarioFrom(package, memoryPackageSource(data, size));
    for (int32_t i = 0; i < package->count; ++i) {
        int32_t type = package->entries[i].type, index = package->entries[i].index;
        int32_t entrySize = -1;
        uint8_t* entry = findEntry(package, type, index, &entrySize);
        if (entry) {
            volatile uint8_t sink = entry[0] ^ entry[entrySize];   // the whole entry and its zero byte
            (void)sink;
            if (entrySize > 0) sink = entry[entrySize - 1];
            releaseEntry(package, type, index, entry);
        }
    }
    for (int32_t type = 0; type <= 8; ++type) {
        int32_t entrySize = 0;
        if (uint8_t* entry = findEntry(package, type, 0, &entrySize)) releaseEntry(package, type, 0, entry);
    }
    countImages(package);
    countTitles(package);
    char name[kSaverNameBytes];
    std::memset(name, 0, sizeof name);
    loadScenarioName(package, name);
    freeScenarioPackage(package);
    return 0;
}
