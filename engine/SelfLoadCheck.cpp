#include "engine/SelfLoadCheck.h"

#include <cctype>
#include <cstring>

namespace {

bool endsWord(char c) { return c == '\0' || c == ' ' || c == '\t'; }

}  // namespace

std::string selfLoadModulePath(const char* commandLine) {
    if (!commandLine) return {};
    const char* p = commandLine;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '"') {
        const char* end = std::strchr(p + 1, '"');
        return end ? std::string(p + 1, end) : std::string(p + 1);
    }
    for (const char* s = p; *s; ++s) {
        if (s[0] == '.' && std::tolower(static_cast<unsigned char>(s[1])) == 's' &&
            std::tolower(static_cast<unsigned char>(s[2])) == 'c' &&
            std::tolower(static_cast<unsigned char>(s[3])) == 'r' && endsWord(s[4]))
            return std::string(p, s + 4);
    }
    const char* end = p;
    while (!endsWord(*end)) ++end;
    return std::string(p, end);
}
