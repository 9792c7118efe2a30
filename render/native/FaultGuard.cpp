#include "render/FaultGuard.h"

// Natively a fault is a bug that the sanitizers report; nothing is caught.
bool runGuarded(void (*body)(void*), void* arg, FaultRecord*) {
    body(arg);
    return true;
}

bool faultGuardCatches() { return false; }
