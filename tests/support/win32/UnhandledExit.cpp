// Linked into every Windows test program: a fault that no guard catches ends the
// program at once with the exception code as its status and a line on stderr.
// Wine's own path (a debugger, a dialog) can hang or report 0.
#include <windows.h>

#include <cstdint>

namespace {

LONG WINAPI exitOnUnhandled(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* rec = info->ExceptionRecord;
    const auto at = static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(rec->ExceptionAddress));
    char line[128];
    int n = wsprintfA(line, "unhandled exception 0x%08lX at 0x%08lX%08lX: test program ended\r\n",
                      static_cast<unsigned long>(rec->ExceptionCode), static_cast<unsigned long>(at >> 32),
                      static_cast<unsigned long>(at & 0xFFFFFFFFu));
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
    TerminateProcess(GetCurrentProcess(), rec->ExceptionCode ? rec->ExceptionCode : 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

const bool installed = [] {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(exitOnUnhandled);
    return true;
}();

}  // namespace
