// The debug log of effect faults. Every effect entry runs its body under the
// fault guard; a fault appends a crash report (reason and registers) and a trace
// record (source unit and line) and the frame goes on without that effect.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "render/FaultGuard.h"

struct EffectParams;

// The engine's log, "c:\화면보호기디버그.txt" (UTF-8 here; the Windows side opens
// it through the wide-character file API, so the code page does not matter).
extern const char kDebugLogName[];

// Paths are UTF-8.
void setDebugLogPath(const char* path);
const char* debugLogPath();

// Appends the crash report for a caught fault; returns 1 (run the handler).
int crashFilter(const FaultRecord& fault);
void writeCrashReport(const FaultRecord& fault);
void writeTraceLine(const char* unit, int line);

// One fault of an effect entry: the crash report and the trace record, unless
// that unit and line has already been reported kReportsPerSite times (then one
// notice says so and later faults there are not written).
inline constexpr int kReportsPerSite = 3;
void reportEntryFault(const char* unit, int line, const FaultRecord& fault);
// Forgets the per-site counts and the notices written (a new run, or a test).
void resetFaultCounts();

// A notice for the log that must not stop the show (a missing picture of an
// effect, reported where a message box would block the frame): written the
// first time this text comes in a run, with a line ending; later ones are not.
void logNoticeOnce(const char* text);

// The guard pattern of an effect entry: body() runs under the fault guard; a
// fault is reported with the crash report and writeTraceLine(unit, line), and
// the entry returns normally.
template <class F>
void runGuardedEntry(const char* unit, int line, F&& body) {
    FaultRecord fault{};
    if (!guardedCall(body, &fault)) reportEntryFault(unit, line, fault);
}

// A table row's worker call, Worker(target, constants...), each constant of its
// literal's own type. The row macros wrap it in a captureless lambda per row:
// floating-point template arguments would say the same, but not every compiler
// takes them.
template <class Target, class Worker, class... Constants>
inline void callRowWorker(Target* target, Worker worker, Constants... constants) {
    worker(target, constants...);
}

// The entry of a table row: Call (the row's lambda, one type per row, so no two
// rows share an entry) under the guard, a fault logged with the unit's path
// (PathOf(Unit)) and Line. rowEntryOf gives its address for the table.
template <auto PathOf, auto Unit, int Line, class Call>
void guardedRowEntry(EffectParams* record) {
    runGuardedEntry(PathOf(Unit), Line, [record] { Call{}(record); });
}

template <auto PathOf, auto Unit, int Line, class Call>
constexpr auto rowEntryOf(Call) {
    return &guardedRowEntry<PathOf, Unit, Line, Call>;
}

// Reason text of an exception code; null when the table has no row for it.
const char* crashReasonText(uint32_t code);
// The text of one crash report, as appended to the log.
std::string formatCrashReport(const FaultRecord& fault);
// The text of one trace record.
std::string formatTraceLine(const char* unit, int line);

// Platform part: opens a UTF-8 path for appending in text mode; when that
// fails, the same file name in the user's temporary folder. Null when neither
// opens.
FILE* openDebugLog(const char* path);
