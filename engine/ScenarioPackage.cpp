#include "engine/ScenarioPackage.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

class FilePackageSource final : public PackageSource {
public:
    explicit FilePackageSource(std::FILE* f) : f_(f) {}
    ~FilePackageSource() override { std::fclose(f_); }

    int64_t size() override {
        if (!seek(0, SEEK_END)) return 0;
#ifdef _WIN32
        int64_t n = _ftelli64(f_);
#else
        int64_t n = ftello(f_);
#endif
        return n < 0 ? 0 : n;
    }

    int64_t readAt(int64_t offset, void* dst, int64_t n) override {
        if (offset < 0 || n <= 0 || !seek(offset, SEEK_SET)) return 0;
        return static_cast<int64_t>(std::fread(dst, 1, static_cast<size_t>(n), f_));
    }

private:
    bool seek(int64_t offset, int whence) {
#ifdef _WIN32
        return _fseeki64(f_, offset, whence) == 0;
#else
        return fseeko(f_, static_cast<off_t>(offset), whence) == 0;
#endif
    }
    std::FILE* f_;
};

class MemoryPackageSource final : public PackageSource {
public:
    MemoryPackageSource(const uint8_t* data, size_t size) : data_(data), size_(static_cast<int64_t>(size)) {}
    int64_t size() override { return size_; }
    int64_t readAt(int64_t offset, void* dst, int64_t n) override {
        if (offset < 0 || n <= 0 || offset >= size_) return 0;
        int64_t take = n < size_ - offset ? n : size_ - offset;
        std::memcpy(dst, data_ + offset, static_cast<size_t>(take));
        return take;
    }

private:
    const uint8_t* data_;
    int64_t size_;
};

int32_t readLe32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// Entry data with one zero byte after it, so text entries are always terminated.
uint8_t* readEntryData(PackageSource& file, int64_t offset, int32_t size) {
    auto* data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size) + 1));
    if (!data) return nullptr;
    if (file.readAt(offset, data, size) != size && size > 0) {
        std::free(data);          // half an entry is no entry
        return nullptr;
    }
    data[size] = 0;
    return data;
}

const PackageEntry* firstEntry(const ScenarioPackage* package, int32_t type, int32_t index) {
    if (!package) return nullptr;
    for (int32_t i = 0; i < package->count; ++i) {
        const PackageEntry& e = package->entries[i];
        if (e.present && e.type == type && e.index == index) return &e;
    }
    return nullptr;
}

void clearEntries(ScenarioPackage* package) {
    for (int32_t i = 0; i < package->count; ++i) std::free(package->entries[i].data);
    package->count = 0;
    package->packageOffset = 0;
    std::memset(package->entries, 0, sizeof package->entries);
}

// Counts entries of a type for the indexes 0, 1, 2, ... up to the first missing one.
int32_t countRun(const ScenarioPackage* package, int32_t type) {
    int32_t n = 0;
    while (n < kPackageSlots && hasEntry(package, type, n)) ++n;
    return n;
}

ScenarioPackage* g_enginePackage = nullptr;
char g_saverName[kSaverNameBytes] = {};
// Read at run time so the compiler cannot fold the letters back into one string.
volatile uint8_t g_markerKey = 0x35;

}  // namespace

void scenarioMarker(uint8_t out[kPackageMarkerBytes]) {
    static const uint8_t masked[kPackageMarkerBytes - 1] = {
        'V' ^ 0x35, 'T' ^ 0x35, 'L' ^ 0x35, 'R' ^ 0x35, 'E' ^ 0x35, 'S' ^ 0x35, 'O' ^ 0x35, 'U' ^ 0x35,
        'R' ^ 0x35, 'C' ^ 0x35, 'E' ^ 0x35, 'S' ^ 0x35, '1' ^ 0x35, '0' ^ 0x35, '0' ^ 0x35, '0' ^ 0x35,
    };
    uint8_t key = g_markerKey;
    for (int i = 0; i < kPackageMarkerBytes - 1; ++i) out[i] = masked[i] ^ key;
    out[kPackageMarkerBytes - 1] = 0;
}

std::unique_ptr<PackageSource> openPackageFile(const char* path) {
    std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return nullptr;
    return std::make_unique<FilePackageSource>(f);
}

std::unique_ptr<PackageSource> memoryPackageSource(const uint8_t* data, size_t size) {
    return std::make_unique<MemoryPackageSource>(data, size);
}

ScenarioPackage* initScenarioPackage(ScenarioPackage* package) {
    clearEntries(package);
    package->file.reset();
    return package;
}

ScenarioPackage* newScenarioPackage() {
    auto* package = new (std::nothrow) ScenarioPackage{};
    return package ? initScenarioPackage(package) : nullptr;
}

int32_t loadScenario(ScenarioPackage* package, const char* path) {
    std::unique_ptr<PackageSource> file = openPackageFile(path);
    if (!file) {
        std::fputs("file open error", stdout);
        clearEntries(package);
        package->file.reset();
        return 0;
    }
    return loadScenarioFrom(package, std::move(file));
}

int32_t loadScenarioFrom(ScenarioPackage* package, std::unique_ptr<PackageSource> source) {
    clearEntries(package);
    package->file = std::move(source);
    if (!package->file) return 0;
    PackageSource& file = *package->file;

    uint8_t marker[kPackageMarkerBytes];
    scenarioMarker(marker);
    // Offsets in the directory are 32-bit, so a package never starts past INT32_MAX.
    int64_t fileSize = file.size();
    int64_t scanEnd = fileSize < INT32_MAX ? fileSize : INT32_MAX;
    for (int64_t offset = 0; offset < scanEnd; offset += kPackageAlignment) {
        uint8_t head[kPackageMarkerBytes];
        if (file.readAt(offset, head, sizeof head) != sizeof head) break;
        if (std::memcmp(head, marker, sizeof head) != 0) continue;

        // A directory cut short is no package.
        static_assert(kPackageHeaderBytes - kPackageMarkerBytes == 4 + kPackageSlots * kPackageSlotBytes);
        auto* directory = static_cast<uint8_t*>(std::malloc(kPackageHeaderBytes - kPackageMarkerBytes));
        if (!directory) return 0;
        int64_t want = kPackageHeaderBytes - kPackageMarkerBytes;
        bool whole = file.readAt(offset + kPackageMarkerBytes, directory, want) == want;
        int32_t count = whole ? readLe32(directory) : -1;
        if (count < 0 || count > kPackageSlots) {
            std::free(directory);
            return 0;
        }
        package->packageOffset = static_cast<int32_t>(offset);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* slot = directory + 4 + i * kPackageSlotBytes;
            PackageEntry& e = package->entries[i];
            e.type = readLe32(slot);
            e.index = readLe32(slot + 4);
            e.fileOffset = readLe32(slot + 8);
            e.size = readLe32(slot + 12);
            e.present = e.fileOffset >= 0 && e.size >= 0 && e.fileOffset + e.size <= fileSize;
            if (e.present && e.size < kPackageMemoryLimit) {
                e.data = readEntryData(file, e.fileOffset, e.size);
                e.present = e.data != nullptr;
            }
        }
        package->count = count;
        std::free(directory);
        return 1;
    }
    return 0;
}

bool hasEntry(const ScenarioPackage* package, int32_t type, int32_t index) {
    return firstEntry(package, type, index) != nullptr;
}

uint8_t* findEntry(ScenarioPackage* package, int32_t type, int32_t index, int32_t* size) {
    const PackageEntry* e = firstEntry(package, type, index);
    if (!e) return nullptr;
    uint8_t* data = e->data;
    if (e->size >= kPackageMemoryLimit) {
        if (!package->file) return nullptr;
        data = readEntryData(*package->file, e->fileOffset, e->size);
        if (!data) return nullptr;
    }
    if (size) *size = e->size;
    return data;
}

void releaseEntry(ScenarioPackage* package, int32_t type, int32_t index, uint8_t* data) {
    const PackageEntry* e = firstEntry(package, type, index);
    if (e && e->size >= kPackageMemoryLimit) std::free(data);
}

int32_t freeScenarioPackage(ScenarioPackage* package) {
    if (!package) return 1;
    clearEntries(package);
    package->file.reset();
    delete package;
    return 1;
}

int32_t countImages(const ScenarioPackage* package) { return countRun(package, kEntryPicture) - 2; }

int32_t countTitles(const ScenarioPackage* package) { return countRun(package, kEntryTitle) - 1; }

void loadScenarioName(ScenarioPackage* package, char* buffer) {
    int32_t size = 0;
    uint8_t* data = findEntry(package, kEntrySaverPath, 0, &size);
    if (!data) return;
    int32_t n = 0;
    while (n < size && n < kSaverNameBytes - 1 && data[n] != 0) ++n;
    std::memcpy(buffer, data, static_cast<size_t>(n));
    buffer[n] = '\0';
    releaseEntry(package, kEntrySaverPath, 0, data);
}

void setEnginePackage(ScenarioPackage* package) { g_enginePackage = package; }
ScenarioPackage* enginePackage() { return g_enginePackage; }
char* saverNameBuffer() { return g_saverName; }
int32_t countImages() { return countImages(g_enginePackage); }
int32_t countTitles() { return countTitles(g_enginePackage); }
void loadScenarioName() { loadScenarioName(g_enginePackage, g_saverName); }
