#include "engine/SaverCommandLine.h"

#include <cstdint>

namespace {

// A window number; digits beyond what a handle can hold saturate instead of wrapping.
uint64_t readNumber(const char* p) {
    uint64_t n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        uint64_t digit = static_cast<uint64_t>(*p - '0');
        n = n > (UINT64_MAX - digit) / 10 ? UINT64_MAX : n * 10 + digit;
    }
    return n;
}

const char* skipBlanksAndColons(const char* p) {
    while (*p == ' ' || *p == ':') ++p;
    return p;
}

}  // namespace

void parseSaverCommandLine(const char* line, int32_t* mode, uint64_t* window) {
    const char* p = line ? line : "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
    } else {
        while (*p && *p != ' ') ++p;
    }
    if (*p) ++p;                  // the closing quote or the blank
    while (*p == ' ') ++p;

    if (!*p) {
        *mode = kModeSettings;
        return;
    }
    if (*p == '-' || *p == '/') ++p;
    switch (*p) {
    case 'p': case 'P': case 'l': case 'L':
        *mode = kModePreview;
        *window = readNumber(skipBlanksAndColons(p + 1));
        break;
    case 's': case 'S':
        *mode = kModeFullScreen;
        break;
    case 'c': case 'C':
        *mode = kModeSettings;
        *window = readNumber(skipBlanksAndColons(p + 1));
        break;
    case 'a': case 'A':
        *mode = kModePassword;
        *window = readNumber(skipBlanksAndColons(p + 1));
        break;
    default:
        break;
    }
}
