// The scenario package writer: appends the pictures, sound, titles, the saver's
// own path and the letter to a fresh copy of the engine file, in the layout the
// engine's reader expects:
//
//   [engine file][zero fill to a multiple of 512 = P]
//   P         "VTLRESOURCES1000" and a zero byte
//   P + 17    entry count (uint32 LE)
//   P + 21    600 directory slots {type, index, absolute offset, size} (uint32 LE each)
//   P + 9621  the entries' data, back to back in append order
//
// The marker is written last, byte by byte, once everything else is on disk:
// a build that fails half-way never leaves a file the engine takes for a
// package, and the writer cuts the file back to the engine copy as well.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/ScenarioPackage.h"   // the layout's constants, entry types and marker

constexpr int32_t kMaxSaverPictures = 255;

// One directory slot as it stands in the file.
struct PackageDirEntry {
    uint32_t type;
    uint32_t index;
    uint32_t offset;          // from the start of the file
    uint32_t size;
};

// The writer's package: the open saver file and the directory filled so far.
// A failure sticks: later appends do nothing, finishPackage reports it and
// leaves the file as the engine copy it was.
class PackageWriter {
public:
    PackageWriter() = default;
    PackageWriter(const PackageWriter&) = delete;
    PackageWriter& operator=(const PackageWriter&) = delete;
    ~PackageWriter();         // an unfinished package is rolled back

    std::FILE* file = nullptr;
    uint32_t count = 0;                       // entries appended so far
    int64_t directoryPosition = 0;            // file offset of the count word
    int64_t engineLength = 0;                 // the file's length before the package
    int64_t position = 0;                     // where the next data goes
    PackageDirEntry entries[kPackageSlots] = {};
    std::string path;
    std::string error;                        // the first failure, empty while all is well
    bool finished = false;
};

// Opens the existing file at `path` (never creating or truncating it), and
// writes the zero fill, room for the marker, the count and the empty directory.
bool beginPackage(PackageWriter& package, const char* path);
bool appendEntry(PackageWriter& package, uint32_t type, uint32_t index, const void* data,
                 uint32_t size);
// Writes the count and the filled directory, then the marker, and closes the
// file. On any failure the file is cut back to the engine copy and false returned.
bool finishPackage(PackageWriter& package);

// "mp3" 1, "mid" 2, "wav" 3 by the text after the last '.', in any case; else 0.
int soundKindFromExtension(const char* path);

// What the wizard's steps hold when the saver is built.
struct PictureRow {
    std::string path;         // the picture file
    std::string title;        // its title ("" for none)
};
struct PackInput {
    std::vector<PictureRow> rows;   // the title list, in picture order
    bool titlesOn = false;          // "Write Image Title"
    std::string soundPath;          // "" for no sound
    bool letterOn = false;          // "Write Letter"
    std::string letterText;
};

// Message boxes of the writer: Stop has no owner and a stop icon; Notice is
// owned by the title list with an OK button only.
enum class PackMessageStyle { Stop, Notice };

// How the writer shows its work; the wizard backs it with the progress dialog
// (static text 1031 of dialog 120) and message boxes. Null hooks are skipped.
struct PackReporter {
    void* user = nullptr;
    void (*ensureProgressWindow)(void* user) = nullptr;
    void (*progressLine)(void* user, const char* line) = nullptr;
    void (*message)(void* user, const char* text, const char* caption, PackMessageStyle style) =
        nullptr;
};

// What a build did.
struct PackResult {
    bool built = false;                 // the package is complete and closed
    std::string error;                  // why not, when not
    int pictureEntries = 0;
    std::vector<int> unreadablePictures;   // picture indexes left without an entry
    int soundKind = 0;                  // index of the sound entry, 0 for none
    int titleEntries = 0;
    bool saverPath = false;
    bool letter = false;
};

// Builds the whole package on the file at `saverPath`, which the caller has
// just copied from the engine file. An empty title list writes nothing. The
// saver-path entry holds `storedPath` when given (a saver built in one place
// for another), else `saverPath`.
PackResult packScreenSaver(const PackInput& input, const char* saverPath,
                           const PackReporter& reporter, const char* storedPath = nullptr);

bool packSound(PackageWriter& package, const PackInput& input, const PackReporter& reporter,
               PackResult& result);
bool packTitles(PackageWriter& package, const PackInput& input, const PackReporter& reporter,
                PackResult& result);
bool packScenarioName(PackageWriter& package, const char* saverPath, const PackReporter& reporter,
                      PackResult& result);
bool packLetter(PackageWriter& package, const PackInput& input, const PackReporter& reporter,
                PackResult& result);

// Reads a whole file; false when it cannot be opened or read completely.
bool readWholeFile(const char* path, std::vector<uint8_t>& bytes);

// Cuts an open file to `length` bytes (platform part).
bool truncateOpenFile(std::FILE* file, int64_t length);
