#include <unistd.h>

#include "authoring/ScenarioWriter.h"

bool truncateOpenFile(std::FILE* file, int64_t length) {
    return std::fflush(file) == 0 && ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
}
