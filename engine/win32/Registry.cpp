#include "engine/win32/Registry.h"

#include <cstring>
#include <vector>

namespace {

// Reads one value of the key; false when the key or the value is missing.
bool queryValue(HKEY root, const char* subkey, const char* name, DWORD* type, BYTE* data, DWORD* size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    LONG rc = RegQueryValueExA(key, name, nullptr, type, data, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool setValue(HKEY root, const char* subkey, const char* name, DWORD type, const BYTE* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name, 0, type, data, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool readDwordValue(HKEY root, const char* subkey, const char* name, DWORD* value) {
    DWORD type = 0, size = sizeof(DWORD), data = 0;
    if (!queryValue(root, subkey, name, &type, reinterpret_cast<BYTE*>(&data), &size)) return false;
    if (type != REG_DWORD || size != sizeof(DWORD)) return false;
    *value = data;
    return true;
}

bool readStringValue(HKEY root, const char* subkey, const char* name, char* dst, DWORD size) {
    if (size == 0) return false;
    // A value longer than the buffer fails (ERROR_MORE_DATA) and so takes the
    // default; one stored without its zero is cut to fit.
    std::vector<char> buffer(size);
    DWORD type = 0, got = size;
    if (!queryValue(root, subkey, name, &type, reinterpret_cast<BYTE*>(buffer.data()), &got)) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    size_t n = 0;
    while (n < got && n < size - 1 && buffer[n]) ++n;
    std::memcpy(dst, buffer.data(), n);
    dst[n] = '\0';
    return true;
}

}  // namespace

DWORD readRegistryDword(HKEY root, const char* subkey, const char* name, DWORD defaultValue) {
    DWORD value = 0;
    return readDwordValue(root, subkey, name, &value) ? value : defaultValue;
}

int readRegistryString(HKEY root, const char* subkey, const char* name, const char* defaultValue,
                       char* destination, DWORD size) {
    if (readStringValue(root, subkey, name, destination, size)) return 1;
    if (size > 0 && defaultValue) {
        std::strncpy(destination, defaultValue, size - 1);
        destination[size - 1] = '\0';
    }
    return 0;
}

int writeRegistryDword(HKEY root, const char* subkey, const char* name, DWORD value) {
    return setValue(root, subkey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

int writeRegistryString(HKEY root, const char* subkey, const char* name, const char* text) {
    return setValue(root, subkey, name, REG_SZ, reinterpret_cast<const BYTE*>(text),
                    static_cast<DWORD>(std::strlen(text) + 1));
}

bool RegistryOptionStore::readDword(const char* name, uint32_t* value) const {
    DWORD v = 0;
    if (!readDwordValue(root_, subkey_, name, &v)) return false;
    *value = v;
    return true;
}

bool RegistryOptionStore::readString(const char* name, char* dst, size_t size) const {
    return readStringValue(root_, subkey_, name, dst, static_cast<DWORD>(size));
}

bool RegistryOptionStore::writeDword(const char* name, uint32_t value) {
    return writeRegistryDword(root_, subkey_, name, value) != 0;
}

bool RegistryOptionStore::writeString(const char* name, const char* text) {
    return writeRegistryString(root_, subkey_, name, text) != 0;
}
