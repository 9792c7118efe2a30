// The fault guard without __try/__except (which mingw g++ lacks): a vectored
// exception handler sees a processor fault first, copies the exception record
// and registers for the crash report, and resumes the faulting thread in a
// trampoline that __builtin_longjmp()s to the landing point of the thread's
// innermost guard. The trampoline runs on stack just below that guard's frame,
// where only the abandoned frames of the guarded call lived, so a stack overflow
// is survivable too.
//
// Limits: the handler runs before any handler of the guarded code, so a fault
// that the code inside would have handled itself (a system function probing a
// pointer under its own handler) also ends the guarded call.
#include "render/FaultGuard.h"

#include <windows.h>
#include <malloc.h>

#include <cstring>

namespace {

struct GuardFrame {
    void* jump[5];            // __builtin_setjmp buffer
    GuardFrame* outer;        // the enclosing guard on this thread, or null
    uintptr_t stackTop;       // the guard's stack pointer at entry
    FaultRecord record;       // filled by the handler
    volatile LONG landing;    // set once the handler has redirected the thread
    unsigned short x87Control;
    unsigned int mxcsr;
#if defined(__i386__)
    void* sehHead;            // FS:[0] at entry: SEH records of abandoned frames must go
#endif
};

// A TLS slot rather than thread_local: mingw emulates thread_local and allocates
// on a thread's first access, which an exception handler must not do (the fault
// may be inside the allocator).
DWORD guardSlot() {
    static const DWORD slot = TlsAlloc();
    return slot;
}

GuardFrame* innermost() { return static_cast<GuardFrame*>(TlsGetValue(guardSlot())); }
void setInnermost(GuardFrame* f) { TlsSetValue(guardSlot(), f); }

// The processor and system faults a guard takes over. Everything else (C++
// throws 0x20474343, debug-output and thread-naming notices, RPC exceptions)
// goes on to its usual handlers.
bool isFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_BREAKPOINT:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_GUARD_PAGE:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_SINGLE_STEP:
    case EXCEPTION_STACK_OVERFLOW:
        return true;
    default:
        return false;
    }
}

void copyRegisters(const CONTEXT& c, FaultRegisters& r) {
#if defined(__x86_64__)
    r.ax = c.Rax; r.bx = c.Rbx; r.cx = c.Rcx; r.dx = c.Rdx;
    r.bp = c.Rbp; r.si = c.Rsi; r.di = c.Rdi; r.sp = c.Rsp; r.ip = c.Rip;
    r.fpuStatus = c.FltSave.StatusWord;
    for (int i = 0; i < 8; ++i) std::memcpy(r.fpuRegs[i], &c.FltSave.FloatRegisters[i], 10);
#else
    r.ax = c.Eax; r.bx = c.Ebx; r.cx = c.Ecx; r.dx = c.Edx;
    r.bp = c.Ebp; r.si = c.Esi; r.di = c.Edi; r.sp = c.Esp; r.ip = c.Eip;
    r.fpuStatus = static_cast<uint16_t>(c.FloatSave.StatusWord);
    for (int i = 0; i < 8; ++i) std::memcpy(r.fpuRegs[i], c.FloatSave.RegisterArea + 10 * i, 10);
#endif
    r.ds = static_cast<uint16_t>(c.SegDs); r.es = static_cast<uint16_t>(c.SegEs);
    r.ss = static_cast<uint16_t>(c.SegSs); r.cs = static_cast<uint16_t>(c.SegCs);
    r.fs = static_cast<uint16_t>(c.SegFs); r.gs = static_cast<uint16_t>(c.SegGs);
    r.eflags = c.EFlags;
}

[[noreturn]] __attribute__((noinline)) void landTrampoline() {
    __builtin_longjmp(innermost()->jump, 1);
}

LONG CALLBACK faultHandler(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* rec = info->ExceptionRecord;
    if (!isFault(rec->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    const DWORD lastError = GetLastError();   // TlsGetValue clears it
    GuardFrame* f = innermost();
    // No guard here, or a fault on the way to the landing point: the handlers
    // further on (in the end the unhandled-exception path) deal with it.
    if (!f || f->landing) {
        SetLastError(lastError);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    f->landing = 1;
    f->record.code = rec->ExceptionCode;
    f->record.address = reinterpret_cast<uintptr_t>(rec->ExceptionAddress);
    copyRegisters(*info->ContextRecord, f->record.regs);

    // Resume "as if called" on the dead stack below the guard's frame.
    uintptr_t sp = ((f->stackTop - 512) & ~uintptr_t(15)) - sizeof(void*);
    CONTEXT* c = info->ContextRecord;
#if defined(__x86_64__)
    c->Rsp = sp;
    c->Rip = reinterpret_cast<uintptr_t>(&landTrampoline);
#else
    c->Esp = static_cast<DWORD>(sp);
    c->Eip = reinterpret_cast<uintptr_t>(&landTrampoline);
#endif
    c->EFlags &= ~(0x400u | 0x100u);   // the compiled code expects DF and TF clear
    return EXCEPTION_CONTINUE_EXECUTION;
}

void installHandler() {
    static const PVOID handle = AddVectoredExceptionHandler(1, faultHandler);
    (void)handle;
}

// Restores the thread's guard stack however runGuarded is left (return,
// landing, or a C++ exception caught at the guard).
struct InnermostRestore {
    GuardFrame* outer;
    ~InnermostRestore() { setInnermost(outer); }
};

}  // namespace

bool runGuarded(void (*body)(void*), void* arg, FaultRecord* fault) {
    installHandler();
    FaultRecord* volatile out = fault;
    GuardFrame frame;
    frame.outer = innermost();
    frame.landing = 0;
    std::memset(&frame.record, 0, sizeof frame.record);
    uintptr_t sp;
#if defined(__x86_64__)
    asm volatile("mov %%rsp, %0" : "=r"(sp));
#else
    asm volatile("mov %%esp, %0" : "=r"(sp));
    asm volatile("movl %%fs:0, %0" : "=r"(frame.sehHead));
#endif
    frame.stackTop = sp;
    asm volatile("fnstcw %0" : "=m"(frame.x87Control));
    asm volatile("stmxcsr %0" : "=m"(frame.mxcsr));

    InnermostRestore restore{frame.outer};
    GuardFrame* volatile self = &frame;
    setInnermost(self);
    if (__builtin_setjmp(self->jump) == 0) {
        try {
            body(arg);
        } catch (...) {
            // Unwound normally: the guard's state is intact, nothing to repair.
            recordCppException(out);
            return false;
        }
        return true;
    }

    // Landed from the trampoline: the guarded call is abandoned.
#if defined(__i386__)
    asm volatile("movl %0, %%fs:0" : : "r"(self->sehHead) : "memory");
#endif
    // An x87 stack left half full by the abandoned code would turn later
    // floating-point results into NaNs; flags raised there must not linger.
    asm volatile("fninit\n\tfldcw %0" : : "m"(self->x87Control));
    asm volatile("ldmxcsr %0" : : "m"(self->mxcsr));
    if (self->record.code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    if (out) *out = self->record;
    return false;
}

bool faultGuardCatches() { return true; }
