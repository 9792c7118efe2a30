#include "engine/CrashLog.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

const char kDebugLogName[] = "c:\\\xED\x99\x94\xEB\xA9\xB4\xEB\xB3\xB4\xED\x98\xB8\xEA\xB8\xB0\xEB\x94\x94\xEB\xB2\x84\xEA\xB7\xB8.txt";

namespace {

struct ExceptionRow {
    uint32_t code;
    const char* reason;
};

// The reasons, as the platform documentation describes each code; ended by code 0.
const ExceptionRow kExceptionTable[] = {
    {0xC0000005, "The thread tried to read from or write to a virtual address for which it does not have the "
                 "appropriate access."},
    {0xC000008C, "The thread tried to access an array element that is out of bounds and the underlying hardware "
                 "supports bounds checking."},
    {0x80000003, "A breakpoint was encountered."},
    {0x80000002, "The thread tried to read or write data that is misaligned on hardware that does not provide "
                 "alignment."},
    {0xC000008D, "One of the operands in a floating-point operation is denormal."},
    {0xC000008E, "The thread tried to divide a floating-point value by a floating-point divisor of zero."},
    {0xC000008F, "The result of a floating-point operation cannot be represented exactly as a decimal fraction."},
    {0xC0000090, "This exception represents any floating-point exception not included in this list."},
    {0xC0000091, "The exponent of a floating-point operation is greater than the magnitude allowed by the "
                 "corresponding type."},
    {0xC0000092, "The stack overflowed or underflowed as the result of a floating-point operation."},
    {0xC0000093, "The exponent of a floating-point operation is less than the magnitude allowed by the "
                 "corresponding type."},
    {0xC000001D, "The thread tried to execute an invalid instruction."},
    {0xC0000006, "The thread tried to access a page that was not present, and the system was unable to load the "
                 "page."},
    {0xC0000094, "The thread tried to divide an integer value by an integer divisor of zero."},
    {0xC0000095, "The result of an integer operation caused a carry out of the most significant bit of the result."},
    {0xC0000026, "An exception handler returned an invalid disposition to the exception dispatcher."},
    {0xC0000025, "The thread tried to continue execution after a noncontinuable exception occurred."},
    {0xC0000096, "The thread tried to execute an instruction whose operation is not allowed in the current machine "
                 "mode."},
    {0x80000004, "A trace trap or other single-instruction mechanism signaled that one instruction has been "
                 "executed."},
    {0xC00000FD, "The thread used up its stack."},
    {0xE06D7363, "Unhandled Microsoft C++ Exception"},
    {0, nullptr},
};

// A log that every frame's fault would fill stops growing after this many
// records in one run, whoever writes them.
constexpr int kMaxRecordsPerRun = 2000;

char g_logPath[260] = {};
std::mutex g_logMutex;
std::unordered_map<std::string, int> g_siteCounts;
std::unordered_set<std::string> g_notices;
int g_records = 0;

void appendToLog(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (!g_logPath[0]) return;
    if (g_records > kMaxRecordsPerRun) return;
    FILE* f = openDebugLog(g_logPath);
    if (!f) return;
    if (++g_records > kMaxRecordsPerRun)
        std::fputs("The log is full: further faults of this run are not written.\n", f);
    else
        std::fputs(text.c_str(), f);
    std::fclose(f);
}

void appendFormat(std::string& out, const char* format, auto... args) {
    char line[256];
    int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0) out.append(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

uint64_t readLe64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

void setDebugLogPath(const char* path) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    std::strncpy(g_logPath, path ? path : "", sizeof g_logPath - 1);
    g_logPath[sizeof g_logPath - 1] = '\0';
}

const char* debugLogPath() { return g_logPath; }

const char* crashReasonText(uint32_t code) {
    const ExceptionRow* row = kExceptionTable;
    while (row->code != 0 && row->code != code) ++row;
    return row->reason;
}

std::string formatCrashReport(const FaultRecord& fault) {
    const FaultRegisters& r = fault.regs;
    std::string out = "\n";
    if (const char* reason = crashReasonText(fault.code))
        appendFormat(out, "Crash reason: %s\n", reason);
    else
        appendFormat(out, "Crash reason: unknown exception 0x%08lx\n", static_cast<unsigned long>(fault.code));
    out += "Register Output\n";
    // At least eight digits: a 32-bit build's registers print as they are, a
    // 64-bit build's in full.
    using ull = unsigned long long;
    appendFormat(out, "EAX = %08llx\n", ull(r.ax));
    appendFormat(out, "EBX = %08llx\n", ull(r.bx));
    appendFormat(out, "ECX = %08llx\n", ull(r.cx));
    appendFormat(out, "EDX = %08llx\n", ull(r.dx));
    appendFormat(out, "EBP = %08llx\n", ull(r.bp));
    appendFormat(out, "DS:ESI = %04x:%08llx\n", unsigned(r.ds), ull(r.si));
    appendFormat(out, "ES:EDI = %04x:%08llx\n", unsigned(r.es), ull(r.di));
    appendFormat(out, "SS:ESP = %04x:%08llx\n", unsigned(r.ss), ull(r.sp));
    appendFormat(out, "CS:EIP = %04x:%08llx\n", unsigned(r.cs), ull(r.ip));
    appendFormat(out, "FS = %04x\n", unsigned(r.fs));
    appendFormat(out, "GS = %04x\n", unsigned(r.gs));
    appendFormat(out, "EFLAGS = %08lx\n", static_cast<unsigned long>(r.eflags));
    out += "\n";
    // The save area holds ST(0)..ST(7); physical register i is ST((i - TOP) mod 8).
    int top = (r.fpuStatus >> 11) & 7;
    for (int i = 0; i < 8; ++i) {
        uint64_t significand = readLe64(r.fpuRegs[(i - top + 8) & 7]);
        appendFormat(out, "MM%c = %08lx%08lx\n", '0' + i, static_cast<unsigned long>(significand >> 32),
                     static_cast<unsigned long>(significand & 0xFFFFFFFFu));
    }
    return out;
}

std::string formatTraceLine(const char* unit, int line) {
    std::string out;
    appendFormat(out, "%s(%d)\n", unit ? unit : "", line);
    out += std::string(53, '-') + "\n";
    return out;
}

int crashFilter(const FaultRecord& fault) {
    writeCrashReport(fault);
    return 1;
}

void writeCrashReport(const FaultRecord& fault) { appendToLog(formatCrashReport(fault)); }

void writeTraceLine(const char* unit, int line) { appendToLog(formatTraceLine(unit, line)); }

void reportEntryFault(const char* unit, int line, const FaultRecord& fault) {
    int count;
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        std::string site = unit ? unit : "";
        site += '(' + std::to_string(line) + ')';
        count = ++g_siteCounts[site];
    }
    if (count <= kReportsPerSite) {
        appendToLog(formatCrashReport(fault) + formatTraceLine(unit, line));
    } else if (count == kReportsPerSite + 1) {
        std::string notice;
        appendFormat(notice, "%s(%d): faulted %d times; further faults here are not written.\n", unit ? unit : "",
                     line, kReportsPerSite + 1);
        appendToLog(notice);
    }
}

void resetFaultCounts() {
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_siteCounts.clear();
    g_notices.clear();
    g_records = 0;
}

void logNoticeOnce(const char* text) {
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        if (!g_notices.insert(text ? text : "").second) return;
    }
    appendToLog(std::string(text ? text : "") + "\n");
}
