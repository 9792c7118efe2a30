// The fault guard under Wine: faults inside guarded calls are caught with their
// codes and registers, guards nest, and the program carries on.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "render/FaultGuard.h"

namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kIntDivideByZero = 0xC0000094;
constexpr uint32_t kStackOverflow = 0xC00000FD;

volatile int zero = 0;
volatile int sink;
int* volatile nowhere = nullptr;

void writeNull() { *nowhere = 42; }
void divideByZero() { sink = 7 / zero; }

__attribute__((noinline)) int recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    if (zero != 0) return 0;
    return recurse(depth + 1) + pad[0];
}

TEST(FaultGuard, CatchesOnWindows) { EXPECT_TRUE(faultGuardCatches()); }

TEST(FaultGuard, ReportsCodeAndRegistersOfEachFault) {
    struct Case {
        const char* name;
        void (*body)();
        uint32_t code;
    } cases[] = {
        {"null write", [] { writeNull(); }, kAccessViolation},
        {"integer division by zero", [] { divideByZero(); }, kIntDivideByZero},
    };
    for (const Case& c : cases) {
        FaultRecord fault{};
        volatile bool after = false;
        bool ok = guardedCall([&] { c.body(); after = true; }, &fault);
        EXPECT_FALSE(ok) << c.name;
        EXPECT_FALSE(after) << c.name << ": the guarded call went on past the fault";
        EXPECT_EQ(fault.code, c.code) << c.name;
        EXPECT_NE(fault.address, 0u) << c.name;
        EXPECT_EQ(fault.regs.ip, fault.address) << c.name;
        EXPECT_NE(fault.regs.sp, 0u) << c.name;
        EXPECT_NE(fault.regs.cs, 0u) << c.name;
    }
}

TEST(FaultGuard, NormalCallsReturnTrueAndLeaveTheRecord) {
    FaultRecord fault{};
    fault.code = 1234;
    int value = 0;
    EXPECT_TRUE(guardedCall([&] { value = 5; }, &fault));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(fault.code, 1234u);
}

TEST(FaultGuard, NestedGuardsCatchInnermostFirst) {
    FaultRecord inner{}, outer{};
    volatile int stage = 0;
    bool outerOk = guardedCall(
        [&] {
            bool innerOk = guardedCall([] { writeNull(); }, &inner);
            stage = innerOk ? -1 : 1;
            divideByZero();   // now the outer guard's turn
            stage = 2;
        },
        &outer);
    EXPECT_EQ(stage, 1);
    EXPECT_FALSE(outerOk);
    EXPECT_EQ(inner.code, kAccessViolation);
    EXPECT_EQ(outer.code, kIntDivideByZero);
    // Both guards are gone: a new one still works.
    FaultRecord again{};
    EXPECT_FALSE(guardedCall([] { writeNull(); }, &again));
    EXPECT_EQ(again.code, kAccessViolation);
}

TEST(FaultGuard, ManyFaultsInARow) {
    int caught = 0;
    for (int i = 0; i < 500; ++i) {
        FaultRecord fault{};
        if (!guardedCall([i] { if (i & 1) writeNull(); else divideByZero(); }, &fault) &&
            fault.code == ((i & 1) ? kAccessViolation : kIntDivideByZero))
            ++caught;
    }
    EXPECT_EQ(caught, 500);
}

TEST(FaultGuard, CppExceptionsAreCaughtAndLeaveNoStaleGuard) {
    FaultRecord fault{};
    volatile bool after = false;
    EXPECT_FALSE(guardedCall([&] { throw std::bad_alloc(); after = true; }, &fault));
    EXPECT_FALSE(after);
    EXPECT_EQ(fault.code, kCppExceptionCode);
    // Inside a fault guard that is itself inside another: the innermost takes it,
    // the outer call goes on.
    FaultRecord inner{}, outer{};
    volatile int stage = 0;
    EXPECT_TRUE(guardedCall(
        [&] {
            stage = guardedCall([] { throw std::runtime_error("row"); }, &inner) ? -1 : 1;
        },
        &outer));
    EXPECT_EQ(stage, 1);
    EXPECT_EQ(inner.code, kCppExceptionCode);
    // A fault after the exception still lands in the right guard.
    EXPECT_FALSE(guardedCall([] { writeNull(); }, &fault));
    EXPECT_EQ(fault.code, kAccessViolation);
}

TEST(FaultGuard, WorkerThreadsHaveTheirOwnGuards) {
    std::atomic<int> caught{0};
    std::thread workers[4];
    for (auto& t : workers)
        t = std::thread([&] {
            for (int i = 0; i < 50; ++i) {
                FaultRecord fault{};
                if (!guardedCall([] { writeNull(); }, &fault) && fault.code == kAccessViolation) ++caught;
            }
        });
    for (auto& t : workers) t.join();
    EXPECT_EQ(caught.load(), 200);
}

// A hidden popup window of its own class, gone with the object.
struct ProcWindow {
    const char* className;
    HWND handle = nullptr;
    ProcWindow(WNDPROC proc, const char* name) : className(name) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        if (RegisterClassA(&wc))
            handle = CreateWindowA(name, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~ProcWindow() {
        if (handle) DestroyWindow(handle);
        UnregisterClassA(className, GetModuleHandleA(nullptr));
    }
};

FaultRecord procFault;
bool procOk;

LRESULT CALLBACK guardingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER) {
        procFault = {};
        procOk = guardedCall([] { writeNull(); }, &procFault);
        return 7;
    }
    if (m == WM_USER + 1) {
        // A row's container running out of memory: must not cross the window procedure.
        procFault = {};
        procOk = guardedCall([] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }, &procFault);
        return 8;
    }
    return DefWindowProcA(w, m, wp, lp);
}

TEST(FaultGuard, GuardInsideAWindowProcedure) {
    ProcWindow window(guardingProc, "FaultGuardTestWindow");
    ASSERT_TRUE(window.handle);
    EXPECT_EQ(SendMessageA(window.handle, WM_USER, 0, 0), 7);
    EXPECT_FALSE(procOk);
    EXPECT_EQ(procFault.code, kAccessViolation);
    EXPECT_EQ(SendMessageA(window.handle, WM_USER + 1, 0, 0), 8);
    EXPECT_FALSE(procOk);
    EXPECT_EQ(procFault.code, kCppExceptionCode);
}

TEST(FaultGuard, StackOverflowTwice) {
    // Twice: the second overflow needs the stack's guard page back.
    for (int round = 0; round < 2; ++round) {
        FaultRecord fault{};
        EXPECT_FALSE(guardedCall([] { (void)recurse(0); }, &fault)) << round;
        EXPECT_EQ(fault.code, kStackOverflow) << round;
    }
}

#if defined(__i386__)
// 32-bit Windows finds its frame-based exception handlers through the chain at
// FS:[0]; a landing abandons frames that may have put records on it, and must
// leave the chain as it was at the guard's entry.
void* sehHead() {
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

struct SehRecord {
    SehRecord* next;
    void* handler;
};

EXCEPTION_DISPOSITION __cdecl passOn(EXCEPTION_RECORD*, void*, CONTEXT*, void*) { return ExceptionContinueSearch; }

__attribute__((noinline)) void faultUnderOwnSehRecord() {
    volatile SehRecord record;
    record.next = static_cast<SehRecord*>(sehHead());
    record.handler = reinterpret_cast<void*>(&passOn);
    asm volatile("movl %0, %%fs:0" : : "r"(&record) : "memory");
    writeNull();
    asm volatile("movl %0, %%fs:0" : : "r"(record.next) : "memory");
}

LRESULT CALLBACK faultingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER) writeNull();
    return DefWindowProcA(w, m, wp, lp);
}

TEST(FaultGuard, SehChainIsRestoredAfterALanding) {
    ProcWindow owner(faultingProc, "FaultGuardSehWindow");
    ASSERT_TRUE(owner.handle);
    static HWND window;
    window = owner.handle;
    struct Case {
        const char* name;
        void (*body)();
    } cases[] = {
        {"a record of the guarded code's own", [] { faultUnderOwnSehRecord(); }},
        {"the system's records around a window procedure", [] { SendMessageA(window, WM_USER, 0, 0); }},
    };
    for (const Case& c : cases) {
        void* before = sehHead();
        FaultRecord fault{};
        EXPECT_FALSE(guardedCall([&] { c.body(); }, &fault)) << c.name;
        EXPECT_EQ(fault.code, kAccessViolation) << c.name;
        EXPECT_EQ(sehHead(), before) << c.name;
        // The system's own frame-based handlers still work.
        EXPECT_TRUE(IsBadReadPtr(nullptr, 4)) << c.name;
    }
}
#endif

TEST(FaultGuard, FloatingPointWorksAfterAFault) {
    FaultRecord fault{};
    EXPECT_FALSE(guardedCall([] { writeNull(); }, &fault));
    volatile double a = 1.5, b = 2.25;
    EXPECT_EQ(a * b, 3.375);
}

}  // namespace
