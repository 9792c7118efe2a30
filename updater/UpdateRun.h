// Bookkeeping of one update run (counts, bytes, progress, the texts the dialog
// shows) and the plan that puts a finished download in place of the old file.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint32_t kDownloadBufferBytes = 400000;
// How long one network step (connecting, an answer, a read) may wait for the
// server before the check or run gives up.
inline constexpr uint32_t kNetworkStallMs = 20000;

struct UpdateRunState {
    int fileCount = 0;           // flagged files of the run
    uint64_t totalBytes = 0;     // sum of their announced lengths
    int fileIndex = 0;           // the file being fetched, from 1
    uint64_t bytesSoFar = 0;     // written over all files of the run
};

// Progress bar position 0-100. With nothing announced (total 0) the bar stays
// at 0; a server that sends more than it announced never pushes it past 100.
int progressPosition(const UpdateRunState& run);

std::string fileOfText(const UpdateRunState& run);          // "File 1 of 2"
std::string bytesText(uint64_t length);                     // "1234 bytes"
std::string byteCountText(const UpdateRunState& run);       // "1234 / 5678"

// A download goes to a file of its own beside the target and replaces the
// target only once every announced byte has arrived.
std::string downloadTempPath(const std::string& target);
// Where a target that cannot be overwritten (a running program) is moved aside.
std::string asidePath(const std::string& target);

// True when a finished transfer may replace the target: it ended cleanly and
// brought exactly the announced length (when one was announced).
bool downloadComplete(bool readFailed, bool lengthKnown, uint64_t announced, uint64_t received);

// True when a complete download is the program the version list offered: it
// carries a version block and its number is at least the offered one. A
// portal's log-in page, an empty body or an older build must never replace a
// working program.
bool downloadIsOffered(bool hasVersionBlock, int32_t downloadedVersion, int32_t offeredVersion);

// The file operations the replacement needs, so the plan is the same natively
// (tests) and on Windows.
struct FileOps {
    virtual ~FileOps() = default;
    // Moves from over to, replacing to when it exists; false when it can't.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    // Moves from to to, which must not exist; false when it can't.
    virtual bool move(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
};

// Puts the complete download temp in place of target. A target that can't be
// replaced (a running program keeps its file) is first moved aside to
// asidePath(target) and the download moved in; if that fails too the old file
// is moved back. The download is removed whenever it could not be placed.
// Returns true when target now holds the download.
bool placeDownload(FileOps& ops, const std::string& temp, const std::string& target);
