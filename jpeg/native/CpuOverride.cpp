// Natively there is no registry: the processor picks the class unless the
// stand-in override below is set.
#include "jpeg/CodecOps.h"

namespace {
int gOverride = -1;
}

void setCpuOverride(int value) { gOverride = value; }

void bindRegistryFunctions(CodecOps*) {}

int readCpuOverride(CodecOps*) { return gOverride; }

void releaseLateBound(CodecOps* ops) {
    ops->registryLibrary = nullptr;
    ops->regOpenKey = ops->regQueryValue = ops->regCloseKey = nullptr;
}
