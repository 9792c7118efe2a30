#include <io.h>

#include <climits>

#include "authoring/ScenarioWriter.h"

bool truncateOpenFile(std::FILE* file, int64_t length) {
    if (length < 0 || length > LONG_MAX) return false;
    return std::fflush(file) == 0 && _chsize(_fileno(file), static_cast<long>(length)) == 0;
}
