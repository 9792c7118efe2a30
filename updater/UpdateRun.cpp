#include "updater/UpdateRun.h"

#include <cstdio>

int progressPosition(const UpdateRunState& run) {
    if (run.totalBytes == 0) return 0;
    uint64_t bytes = run.bytesSoFar < run.totalBytes ? run.bytesSoFar : run.totalBytes;
    // Both below 2^64 / 100 for any real file; the division first keeps huge
    // announced lengths from overflowing.
    if (bytes > UINT64_MAX / 100) return int(bytes / (run.totalBytes / 100 + 1));
    return int(bytes * 100 / run.totalBytes);
}

std::string fileOfText(const UpdateRunState& run) {
    char text[64];
    std::snprintf(text, sizeof text, "File %d of %d", run.fileIndex, run.fileCount);
    return text;
}

std::string bytesText(uint64_t length) {
    char text[64];
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(length));
    return text;
}

std::string byteCountText(const UpdateRunState& run) {
    char text[64];
    std::snprintf(text, sizeof text, "%llu / %llu", static_cast<unsigned long long>(run.bytesSoFar),
                  static_cast<unsigned long long>(run.totalBytes));
    return text;
}

std::string downloadTempPath(const std::string& target) { return target + ".download"; }
std::string asidePath(const std::string& target) { return target + ".old"; }

bool downloadComplete(bool readFailed, bool lengthKnown, uint64_t announced, uint64_t received) {
    if (readFailed) return false;
    return !lengthKnown || announced == received;
}

bool downloadIsOffered(bool hasVersionBlock, int32_t downloadedVersion, int32_t offeredVersion) {
    return hasVersionBlock && downloadedVersion >= offeredVersion;
}

bool placeDownload(FileOps& ops, const std::string& temp, const std::string& target) {
    if (ops.replace(temp, target)) return true;
    const std::string aside = asidePath(target);
    // A stale copy from an earlier run goes first; if even that is held, give up.
    if (ops.exists(aside) && !ops.remove(aside)) {
        ops.remove(temp);
        return false;
    }
    bool hadTarget = ops.exists(target);
    if (hadTarget && !ops.move(target, aside)) {
        ops.remove(temp);
        return false;
    }
    if (ops.move(temp, target)) {
        // The old program may still be running; its copy is removed when it can be.
        if (hadTarget) ops.remove(aside);
        return true;
    }
    if (hadTarget) ops.move(aside, target);
    ops.remove(temp);
    return false;
}
