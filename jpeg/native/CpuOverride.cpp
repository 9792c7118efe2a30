// Natively there is no registry: the processor alone picks the class.
#include "jpeg/CodecOps.h"

void bindRegistryFunctions(CodecOps*) {}

int readCpuOverride(CodecOps*) { return -1; }

void releaseLateBound(CodecOps* ops) {
    ops->registryLibrary = nullptr;
    ops->regOpenKey = ops->regQueryValue = ops->regCloseKey = nullptr;
}
