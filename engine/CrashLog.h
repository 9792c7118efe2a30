// The debug log of effect faults. Every effect entry runs its body under the
// fault guard; a fault appends a crash report (reason and registers) and a trace
// record (source unit and line) and the frame goes on without that effect.
#pragma once
#include <cstdint>

#include "render/FaultGuard.h"

void setDebugLogPath(const char* path);
const char* debugLogPath();

// Appends the crash report for a caught fault; returns 1 (run the handler).
int crashFilter(const FaultRecord& fault);
void writeCrashReport(const FaultRecord& fault);
void writeTraceLine(const char* unit, int line);

// The guard pattern of an effect entry: body() runs under the fault guard; a
// fault is reported with crashFilter and writeTraceLine(unit, line), and the
// entry returns normally.
template <class F>
void runGuardedEntry(const char* unit, int line, F&& body) {
    FaultRecord fault{};
    if (!guardedCall(body, &fault)) {
        crashFilter(fault);
        writeTraceLine(unit, line);
    }
}
