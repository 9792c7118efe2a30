#include "engine/CrashLog.h"

#include <cstdio>
#include <cstring>

namespace {
char g_logPath[260] = {};
}

void setDebugLogPath(const char* path) {
    std::strncpy(g_logPath, path ? path : "", sizeof g_logPath - 1);
    g_logPath[sizeof g_logPath - 1] = '\0';
}

const char* debugLogPath() { return g_logPath; }

int crashFilter(const FaultRecord& fault) {
    writeCrashReport(fault);
    return 1;
}

void writeCrashReport(const FaultRecord& fault) {
    if (!g_logPath[0]) return;
    FILE* f = std::fopen(g_logPath, "a+t");
    if (!f) return;
    std::fprintf(f, "\nCrash reason: unknown exception 0x%08lx\n", static_cast<unsigned long>(fault.code));
    std::fclose(f);
}

void writeTraceLine(const char* unit, int line) {
    if (!g_logPath[0]) return;
    FILE* f = std::fopen(g_logPath, "a+t");
    if (!f) return;
    std::fprintf(f, "%s(%d)\n", unit, line);
    std::fprintf(f, "-----------------------------------------------------\n");
    std::fclose(f);
}
