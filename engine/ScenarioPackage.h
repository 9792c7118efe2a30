// The scenario package: pictures, sound, titles, letter and the saver's own path,
// appended by the authoring program to a copy of the engine file. The reader finds
// it at a 512-byte boundary of its own module file and serves entries on demand.
//
// Layout at the package offset B (integers 32-bit little-endian):
//   B        17     marker letters and a zero byte (see scenarioMarker)
//   B + 17    4     entry count (0 to 600)
//   B + 21  9,600   600 directory slots {type, index, file offset, size}
//   B + 9,621 ...   entry data; offsets count from the start of the saver file
//
// The package is untrusted: a bad count gives an empty package, an entry whose
// data does not lie inside the file (or cannot be read whole) does not exist.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

constexpr int32_t kPackageAlignment = 512;
constexpr int32_t kPackageMarkerBytes = 17;
constexpr int32_t kPackageSlots = 600;
constexpr int32_t kPackageSlotBytes = 16;
constexpr int32_t kPackageHeaderBytes = kPackageMarkerBytes + 4 + kPackageSlots * kPackageSlotBytes;  // 9,621
// Entries below this size are read at load time and served from memory.
constexpr int32_t kPackageMemoryLimit = 1024;
constexpr int32_t kSaverNameBytes = 260;

enum PackageEntryType : int32_t {
    kEntryPicture = 1,       // index = picture number; a whole JPEG file
    kEntrySound = 2,         // index 1 MP3, 2 MIDI, 3 WAV
    kEntryTitle = 3,         // index = picture number; text with its zero byte
    kEntrySaverPath = 4,     // index 0
    kEntryLetter = 5,        // index 0
    kEntrySaverFile = 6,     // installer packages: the whole saver
    kEntryOptionText = 7,    // installer packages: the option text
};

// The 16 marker letters and the zero byte, put together at run time: the letters
// must never stand as one string in a program file, or the reader would take the
// engine's own bytes for a package.
void scenarioMarker(uint8_t out[kPackageMarkerBytes]);

// Where the package bytes come from: the module file, or memory (tests, fuzzing).
class PackageSource {
public:
    virtual ~PackageSource() = default;
    virtual int64_t size() = 0;
    // Reads up to n bytes at offset into dst; returns the number read.
    virtual int64_t readAt(int64_t offset, void* dst, int64_t n) = 0;
};

// Null when the file cannot be opened.
std::unique_ptr<PackageSource> openPackageFile(const char* path);
// Reads from caller-owned bytes, which must outlive the source.
std::unique_ptr<PackageSource> memoryPackageSource(const uint8_t* data, size_t size);

struct PackageEntry {
    int32_t type;
    int32_t index;
    int32_t size;
    int64_t fileOffset;
    uint8_t* data;           // the in-memory copy of an entry below 1,024 bytes, else null
    bool present;            // false: the data does not lie inside the file or could not be read
};

struct ScenarioPackage {
    std::unique_ptr<PackageSource> file;
    int32_t count;           // 0 until a package is found
    int32_t packageOffset;   // where the marker stands
    PackageEntry entries[kPackageSlots];
};

// Clears every field (closing nothing); returns package.
ScenarioPackage* initScenarioPackage(ScenarioPackage* package);
// A new, cleared record; freeScenarioPackage deletes it.
ScenarioPackage* newScenarioPackage();

// 1 when a package was found in the file at path, 0 otherwise ("file open error"
// on the standard output when it cannot be opened). The file stays open.
int32_t loadScenario(ScenarioPackage* package, const char* path);
// The same over any source; the package takes it over.
int32_t loadScenarioFrom(ScenarioPackage* package, std::unique_ptr<PackageSource> source);

// The first entry of that type and index, or null (size untouched). Every entry's
// data is followed by one zero byte beyond its size, so text entries are always
// terminated. Give the data back with releaseEntry.
uint8_t* findEntry(ScenarioPackage* package, int32_t type, int32_t index, int32_t* size);
void releaseEntry(ScenarioPackage* package, int32_t type, int32_t index, uint8_t* data);
// Whether findEntry would find the entry, without reading its data.
bool hasEntry(const ScenarioPackage* package, int32_t type, int32_t index);
// Closes the file, frees the in-memory copies and the record; returns 1.
int32_t freeScenarioPackage(ScenarioPackage* package);

// The last picture index: picture entries 0, 1, 2, ... up to the first missing
// one (N of them), minus 2 (the last picture is stored twice and never shown).
int32_t countImages(const ScenarioPackage* package);
// The last title index: title entries 0, 1, 2, ... up to the first missing one,
// minus 1 (-1 when there is none).
int32_t countTitles(const ScenarioPackage* package);
// Copies the saver-path entry into buffer (kSaverNameBytes, always terminated,
// longer paths cut at 259 characters); leaves it untouched when there is none.
void loadScenarioName(ScenarioPackage* package, char* buffer);

// The running engine's package (null before start-up and after shut-down) and
// the engine's saver-name buffer, which the option names are built from.
void setEnginePackage(ScenarioPackage* package);
ScenarioPackage* enginePackage();
char* saverNameBuffer();
int32_t countImages();
int32_t countTitles();
void loadScenarioName();
