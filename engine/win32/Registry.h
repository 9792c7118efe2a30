// The four registry helpers of the saver options (the authoring program links
// them too) and the option store over one key.
#pragma once
#include <windows.h>

#include "engine/SaverOptions.h"

// A value that is missing, not a 4-byte number, or under a key that cannot be
// opened gives the default. Reading never creates the key.
DWORD readRegistryDword(HKEY root, const char* subkey, const char* name, DWORD defaultValue);
// 1 when a string value was read into destination (zero-terminated); else the
// default is copied there and the result is 0.
int readRegistryString(HKEY root, const char* subkey, const char* name, const char* defaultValue,
                       char* destination, DWORD size);
// 1 on success; the key is created when missing.
int writeRegistryDword(HKEY root, const char* subkey, const char* name, DWORD value);
int writeRegistryString(HKEY root, const char* subkey, const char* name, const char* text);

// The options of every saver: HKEY_CURRENT_USER\Software\Vantrelle\Tool\ScrOption.
class RegistryOptionStore : public OptionStore {
public:
    explicit RegistryOptionStore(HKEY root = HKEY_CURRENT_USER, const char* subkey = kOptionKey)
        : root_(root), subkey_(subkey) {}
    bool readDword(const char* name, uint32_t* value) const override;
    bool readString(const char* name, char* dst, size_t size) const override;
    bool writeDword(const char* name, uint32_t value) override;
    bool writeString(const char* name, const char* text) override;

private:
    HKEY root_;
    const char* subkey_;
};
