// The fault guard: runs a call so that a processor fault inside it (access
// violation, integer division by zero, illegal instruction, stack overflow, ...)
// is caught, its exception record and registers are captured, and the caller
// goes on. On Windows it is built on a vectored exception handler that redirects
// the faulting thread to the landing point of the innermost guard; natively it is
// a plain call (the sanitizers are the net there). On every platform a C++
// exception that leaves the guarded call is caught at the guard as well and
// reported like a fault, with the code kCppExceptionCode: an effect row's
// std::bad_alloc must not cross the window procedure and end the program.
#pragma once
#include <cstdint>
#include <type_traits>

// Registers of the faulting context, widened to 64 bits so one record serves the
// 32-bit and 64-bit builds (a 32-bit build fills the low halves).
struct FaultRegisters {
    uint64_t ax, bx, cx, dx, bp, si, di, sp, ip;
    uint16_t ds, es, ss, cs, fs, gs;
    uint32_t eflags;
    uint16_t fpuStatus;        // x87 status word (TOP in bits 11-13)
    uint8_t fpuRegs[8][10];    // x87 save-area slots ST(0)..ST(7), 10 bytes each, significand first
};

// The code a caught C++ exception is reported with (the platform's own code for
// a C++ exception).
constexpr uint32_t kCppExceptionCode = 0xE06D7363;

struct FaultRecord {
    uint32_t code;             // exception code, e.g. 0xC0000005
    uint64_t address;          // where it happened
    FaultRegisters regs;
};

// Returns true when body(arg) returned normally, false when a fault or a C++
// exception was caught (then *fault, when given, describes it; a C++ exception
// has no address or registers). Guards nest; the innermost catches.
bool runGuarded(void (*body)(void*), void* arg, FaultRecord* fault);

// Fills *fault (when given) for a C++ exception caught at a guard.
inline void recordCppException(FaultRecord* fault) {
    if (fault) *fault = FaultRecord{kCppExceptionCode, 0, {}};
}

// True where faults are really caught (the Windows builds).
bool faultGuardCatches();

template <class F>
bool guardedCall(F&& f, FaultRecord* fault = nullptr) {
    using Fn = std::remove_reference_t<F>;
    return runGuarded([](void* p) { (*static_cast<Fn*>(p))(); }, static_cast<void*>(&f), fault);
}
