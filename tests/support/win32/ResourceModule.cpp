// Linked into every Windows test program: the bitmap resources are read from the
// test program itself, as the engine reads them from its own module (a program
// that links no fire picture still gets "not found").
#include <windows.h>

#include "render/Fills.h"

namespace {

const bool resourceModuleSet = [] {
    setResourceInstance(GetModuleHandleA(nullptr));
    return true;
}();

}  // namespace
