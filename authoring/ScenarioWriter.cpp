#include "authoring/ScenarioWriter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

constexpr const char* kCaptionStop = "Glimmerdeck 1.0";
constexpr const char* kCaptionNotice = "Glimmerdeck";
constexpr const char* kEmptyTitle = "ScreenSaver";
constexpr size_t kTitleBytes = 99;        // the title list's 100-byte row buffer
constexpr int64_t kMaxFileOffset = INT32_MAX;   // the reader's offsets are signed 32-bit

bool fail(PackageWriter& package, const std::string& why) {
    if (package.error.empty()) package.error = why + ": " + package.path;
    return false;
}

bool writeAll(std::FILE* file, const void* data, size_t size) {
    return size == 0 || std::fwrite(data, 1, size, file) == size;
}

bool writeZeros(std::FILE* file, int64_t count) {
    static const unsigned char zeros[4096] = {};
    while (count > 0) {
        const size_t chunk = static_cast<size_t>(std::min<int64_t>(count, sizeof zeros));
        if (!writeAll(file, zeros, chunk)) return false;
        count -= static_cast<int64_t>(chunk);
    }
    return true;
}

void putWord(unsigned char* out, uint32_t value) {
    out[0] = static_cast<unsigned char>(value);
    out[1] = static_cast<unsigned char>(value >> 8);
    out[2] = static_cast<unsigned char>(value >> 16);
    out[3] = static_cast<unsigned char>(value >> 24);
}

// Cuts the file back to the engine copy and closes it.
void rollBack(PackageWriter& package) {
    if (!package.file) return;
    std::fflush(package.file);
    truncateOpenFile(package.file, package.engineLength);
    std::fclose(package.file);
    package.file = nullptr;
}

void ensureProgress(const PackReporter& r) {
    if (r.ensureProgressWindow) r.ensureProgressWindow(r.user);
}

void progress(const PackReporter& r, const char* what, const char* item) {
    if (!r.progressLine) return;
    std::string line = what;
    line += item;
    r.progressLine(r.user, line.c_str());
}

void message(const PackReporter& r, const char* text, PackMessageStyle style) {
    if (r.message)
        r.message(r.user, text, style == PackMessageStyle::Stop ? kCaptionStop : kCaptionNotice,
                  style);
}

constexpr const char* kObjectToUpdate = "Object to update : ";
constexpr const char* kUpdateCompleted = "Update is completed : ";

// Reads what is left of an open file from its start; false unless every byte came.
bool readOpenFile(std::FILE* file, std::vector<uint8_t>& bytes) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (size < 0 || size > kMaxFileOffset) return false;
    std::rewind(file);
    bytes.resize(static_cast<size_t>(size));
    return std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

PackageWriter::~PackageWriter() {
    if (!finished) rollBack(*this);
}

bool beginPackage(PackageWriter& package, const char* path) {
    package.path = path ? path : "";
    // Existing file only: "r+" neither creates nor truncates.
    package.file = path ? std::fopen(path, "r+b") : nullptr;
    if (!package.file) return fail(package, "Cannot open the saver file for writing");
    if (std::fseek(package.file, 0, SEEK_END) != 0) return fail(package, "Cannot seek in the saver file");
    const long length = std::ftell(package.file);
    if (length < 0) return fail(package, "Cannot seek in the saver file");
    package.engineLength = length;
    const int64_t fill = (kPackageAlignment - length % kPackageAlignment) % kPackageAlignment;
    const int64_t start = length + fill;
    if (start + kPackageHeaderBytes > kMaxFileOffset) return fail(package, "The saver file is too large");
    // Zeros where the marker goes: it is written when everything else is in place.
    if (!writeZeros(package.file, fill + kPackageHeaderBytes))
        return fail(package, "Cannot write the saver file");
    package.directoryPosition = start + kPackageMarkerBytes;
    package.position = start + kPackageHeaderBytes;
    package.count = 0;
    std::memset(package.entries, 0, sizeof package.entries);
    return true;
}

bool appendEntry(PackageWriter& package, uint32_t type, uint32_t index, const void* data,
                 uint32_t size) {
    if (!package.file || !package.error.empty()) return false;
    if (package.count >= static_cast<uint32_t>(kPackageSlots))
        return fail(package, "Too many entries for the package directory");
    if (package.position + size > kMaxFileOffset) return fail(package, "The saver file is too large");
    if (!writeAll(package.file, data, size)) return fail(package, "Cannot write the saver file");
    package.entries[package.count] = PackageDirEntry{type, index, static_cast<uint32_t>(package.position), size};
    package.position += size;
    ++package.count;
    return true;
}

bool finishPackage(PackageWriter& package) {
    if (package.finished) return package.error.empty();
    package.finished = true;
    if (package.file && package.error.empty()) {
        unsigned char directory[4 + kPackageSlots * kPackageSlotBytes];
        putWord(directory, package.count);
        for (int i = 0; i < kPackageSlots; ++i) {
            const PackageDirEntry& e = package.entries[i];
            unsigned char* slot = directory + 4 + kPackageSlotBytes * i;
            putWord(slot, e.type);
            putWord(slot + 4, e.index);
            putWord(slot + 8, e.offset);
            putWord(slot + 12, e.size);
        }
        const long markerPosition = static_cast<long>(package.directoryPosition - kPackageMarkerBytes);
        bool ok = std::fseek(package.file, static_cast<long>(package.directoryPosition), SEEK_SET) == 0 &&
                  writeAll(package.file, directory, sizeof directory) && std::fflush(package.file) == 0 &&
                  std::fseek(package.file, markerPosition, SEEK_SET) == 0;
        // The marker one byte at a time, its zero byte included.
        uint8_t marker[kPackageMarkerBytes];
        scenarioMarker(marker);
        for (int i = 0; ok && i < kPackageMarkerBytes; ++i) ok = std::fputc(marker[i], package.file) != EOF;
        ok = ok && std::fflush(package.file) == 0;
        if (!ok) {
            fail(package, "Cannot write the saver file");
        } else {
            const int closed = std::fclose(package.file);
            package.file = nullptr;
            if (closed != 0) {
                // Closing lost data: reopen to cut the package off again.
                fail(package, "Cannot write the saver file");
                package.file = std::fopen(package.path.c_str(), "r+b");
            }
        }
    }
    if (!package.error.empty()) rollBack(package);
    return package.error.empty();
}

int soundKindFromExtension(const char* path) {
    const char* dot = path ? std::strrchr(path, '.') : nullptr;
    if (!dot) return 0;
    std::string ext = dot + 1;
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "mp3") return 1;
    if (ext == "mid") return 2;
    if (ext == "wav") return 3;
    return 0;
}

bool readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    const bool ok = readOpenFile(file, bytes);
    std::fclose(file);
    return ok;
}

bool packSound(PackageWriter& package, const PackInput& input, const PackReporter& reporter,
               PackResult& result) {
    const char* path = input.soundPath.c_str();
    if (!*path) return false;
    errno = 0;
    std::FILE* file = std::fopen(path, "rb");
    if (!file && errno == ENOENT) {
        message(reporter, "Indicated sound file doesn't exist. Check whether file was moved or deleted.",
                PackMessageStyle::Notice);
        return false;
    }
    const int kind = soundKindFromExtension(path);
    if (kind == 0) {
        if (file) std::fclose(file);
        return false;
    }
    ensureProgress(reporter);
    std::vector<uint8_t> bytes;
    const bool read = file && readOpenFile(file, bytes);
    if (file) std::fclose(file);
    if (!read) {
        message(reporter, "Can't read sound file.", PackMessageStyle::Stop);
        return false;
    }
    progress(reporter, kObjectToUpdate, path);
    const bool added = appendEntry(package, kEntrySound, static_cast<uint32_t>(kind), bytes.data(),
                                   static_cast<uint32_t>(bytes.size()));
    progress(reporter, kUpdateCompleted, path);
    if (added) result.soundKind = kind;
    return added;
}

bool packTitles(PackageWriter& package, const PackInput& input, const PackReporter& reporter,
                PackResult& result) {
    ensureProgress(reporter);
    if (!input.titlesOn) return false;
    const size_t m = std::min(input.rows.size(), static_cast<size_t>(kMaxSaverPictures));
    bool any = false;
    for (size_t i = 0; i < m; ++i) {
        // The list's row buffer holds 99 bytes; an empty title is stored as a word
        // the engine turns back into no title.
        std::string title(input.rows[i].title.c_str(),
                          std::min(std::strlen(input.rows[i].title.c_str()), kTitleBytes));
        if (title.empty()) title = kEmptyTitle;
        progress(reporter, kObjectToUpdate, title.c_str());
        if (!appendEntry(package, kEntryTitle, static_cast<uint32_t>(i), title.c_str(),
                         static_cast<uint32_t>(title.size() + 1)))
            return any;
        progress(reporter, kUpdateCompleted, title.c_str());
        ++result.titleEntries;
        any = true;
    }
    return any;
}

bool packScenarioName(PackageWriter& package, const char* saverPath, const PackReporter& reporter,
                      PackResult& result) {
    ensureProgress(reporter);
    progress(reporter, kObjectToUpdate, saverPath);
    const bool added = appendEntry(package, kEntrySaverPath, 0, saverPath,
                                   static_cast<uint32_t>(std::strlen(saverPath) + 1));
    progress(reporter, kUpdateCompleted, saverPath);
    result.saverPath = added;
    return added;
}

bool packLetter(PackageWriter& package, const PackInput& input, const PackReporter& reporter,
                PackResult& result) {
    if (!input.letterOn) return false;
    const char* text = input.letterText.c_str();
    if (!*text) {
        message(reporter, "Letter doesn't exist. Check again.", PackMessageStyle::Notice);
        return false;
    }
    ensureProgress(reporter);
    progress(reporter, kObjectToUpdate, "Letter");
    const bool added = appendEntry(package, kEntryLetter, 0, text,
                                   static_cast<uint32_t>(std::strlen(text) + 1));
    progress(reporter, kUpdateCompleted, "Letter");
    result.letter = added;
    return added;
}

PackResult packScreenSaver(const PackInput& input, const char* saverPath,
                           const PackReporter& reporter, const char* storedPath) {
    PackResult result;
    if (input.rows.empty()) {
        result.error = "No pictures to pack";
        return result;
    }
    const int n = static_cast<int>(std::min(input.rows.size(), static_cast<size_t>(kMaxSaverPictures)));
    PackageWriter package;
    ensureProgress(reporter);
    if (!beginPackage(package, saverPath)) {
        finishPackage(package);
        result.error = package.error;
        return result;
    }

    // n + 1 passes: the last repeats the last picture's file, which is what
    // makes the engine's count (entries - 2) reach the last picture.
    std::string path;
    for (int i = 0; i <= n && package.error.empty(); ++i) {
        if (i < n) path = input.rows[static_cast<size_t>(i)].path;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::vector<uint8_t> bytes;
        bool read = false;
        if (file) {
            progress(reporter, kObjectToUpdate, path.c_str());
            read = readOpenFile(file, bytes);
            std::fclose(file);
        }
        if (read && appendEntry(package, kEntryPicture, static_cast<uint32_t>(i), bytes.data(),
                                static_cast<uint32_t>(bytes.size()))) {
            ++result.pictureEntries;
        } else if (!read) {
            message(reporter, "Can't read image file.", PackMessageStyle::Stop);
            result.unreadablePictures.push_back(i);
        }
        progress(reporter, kUpdateCompleted, path.c_str());
    }

    if (package.error.empty()) packSound(package, input, reporter, result);
    if (package.error.empty()) packTitles(package, input, reporter, result);
    if (package.error.empty()) packScenarioName(package, storedPath ? storedPath : saverPath, reporter, result);
    if (package.error.empty()) packLetter(package, input, reporter, result);
    result.built = finishPackage(package);
    result.error = package.error;
    return result;
}
