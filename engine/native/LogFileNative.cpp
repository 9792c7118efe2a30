#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/CrashLog.h"

FILE* openDebugLog(const char* path) {
    if (FILE* f = std::fopen(path, "a")) return f;
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    if (!*name) return nullptr;
    const char* tmp = std::getenv("TMPDIR");
    std::string fallback = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name;
    return std::fopen(fallback.c_str(), "a");
}
