#include "render/Platform.h"

#include <chrono>
#include <cstdio>
#include <ctime>

uint32_t platformTimeMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t platformTimeSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

void platformMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
}
