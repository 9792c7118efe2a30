// In-memory stand-ins for the registry and the package, for the option, title
// and letter tests.
#pragma once
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/EntrySource.h"
#include "engine/SaverOptions.h"

class MemoryOptionStore : public OptionStore {
public:
    std::map<std::string, uint32_t> dwords;
    std::map<std::string, std::string> strings;
    mutable std::vector<std::string> reads;  // names asked for, in order

    bool readDword(const char* name, uint32_t* value) const override {
        reads.push_back(name);
        auto it = dwords.find(name);
        if (it == dwords.end()) return false;
        *value = it->second;
        return true;
    }
    bool readString(const char* name, char* dst, size_t size) const override {
        reads.push_back(name);
        auto it = strings.find(name);
        if (it == strings.end() || it->second.size() + 1 > size) return false;
        std::memcpy(dst, it->second.c_str(), it->second.size() + 1);
        return true;
    }
    bool writeDword(const char* name, uint32_t value) override {
        dwords[name] = value;
        return true;
    }
    bool writeString(const char* name, const char* text) override {
        strings[name] = text;
        return true;
    }
};

class MemoryEntries : public EntrySource {
public:
    std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> entries;

    void add(int32_t type, int32_t index, const std::string& text, bool withZero = true) {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        if (withZero) bytes.push_back(0);
        entries[{type, index}] = bytes;
    }
    bool readEntry(int32_t type, int32_t index, std::vector<uint8_t>& bytes) const override {
        auto it = entries.find({type, index});
        if (it == entries.end()) return false;
        bytes = it->second;
        return true;
    }
};
