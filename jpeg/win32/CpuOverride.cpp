// The processor-class override "USECPU" under HKEY_LOCAL_MACHINE
// "Software\Vantrelle\Codec\Jpeg", read through registry functions bound at run
// time so the codec does not link advapi32 itself.
#include <windows.h>

#include "jpeg/CodecOps.h"

namespace {

using RegOpenKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegQueryValueExAFn = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using RegCloseKeyFn = LONG(WINAPI*)(HKEY);

template <class T>
T bound(void* p) {
    return reinterpret_cast<T>(reinterpret_cast<INT_PTR>(p));
}

void* lookUp(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace

void bindRegistryFunctions(CodecOps* ops) {
    if (!ops->registryLibrary) ops->registryLibrary = LoadLibraryA("advapi32.dll");
    if (!ops->registryLibrary) return;
    if (!(ops->regOpenKey = lookUp(ops->registryLibrary, "RegOpenKeyExA"))) return;
    if (!(ops->regQueryValue = lookUp(ops->registryLibrary, "RegQueryValueExA"))) return;
    ops->regCloseKey = lookUp(ops->registryLibrary, "RegCloseKey");
}

int readCpuOverride(CodecOps* ops) {
    if (!ops->regOpenKey || !ops->regQueryValue || !ops->regCloseKey) return -1;
    HKEY key = nullptr;
    if (bound<RegOpenKeyExAFn>(ops->regOpenKey)(HKEY_LOCAL_MACHINE, "Software\\Vantrelle\\Codec\\Jpeg", 0,
                                                 KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return -1;
    int32_t value = -1;
    DWORD size = sizeof value;
    LONG rc = bound<RegQueryValueExAFn>(ops->regQueryValue)(key, "USECPU", nullptr, nullptr,
                                                           reinterpret_cast<LPBYTE>(&value), &size);
    bound<RegCloseKeyFn>(ops->regCloseKey)(key);
    return rc == ERROR_SUCCESS && size == sizeof value ? value : -1;
}

void releaseLateBound(CodecOps* ops) {
    if (ops->registryLibrary) FreeLibrary(static_cast<HMODULE>(ops->registryLibrary));
    ops->registryLibrary = nullptr;
    ops->regOpenKey = ops->regQueryValue = ops->regCloseKey = nullptr;
}
