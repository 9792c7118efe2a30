#include "render/FaultGuard.h"

// Natively a fault is a bug that the sanitizers report; only C++ exceptions
// are caught.
bool runGuarded(void (*body)(void*), void* arg, FaultRecord* fault) {
    try {
        body(arg);
    } catch (...) {
        recordCppException(fault);
        return false;
    }
    return true;
}

bool faultGuardCatches() { return false; }
