// A package reader stand-in for the sound entry: entries by index, and a log of
// every find and release so tests can check they pair up.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "engine/SoundControl.h"

struct FakeSoundEntries {
    std::map<int32_t, std::vector<uint8_t>> byIndex;   // sound entries (type 2) by index
    std::vector<int32_t> found, released;             // indexes handed out and given back
    int wrongReleases = 0;

    SoundEntrySource source() {
        SoundEntrySource s;
        s.context = this;
        s.find = [](void* c, int32_t type, int32_t index, int32_t* size) -> uint8_t* {
            auto* self = static_cast<FakeSoundEntries*>(c);
            auto it = self->byIndex.find(index);
            if (type != kSoundEntryType || it == self->byIndex.end()) return nullptr;
            self->found.push_back(index);
            *size = static_cast<int32_t>(it->second.size());
            return it->second.data();
        };
        s.release = [](void* c, int32_t type, int32_t index, uint8_t* data) {
            auto* self = static_cast<FakeSoundEntries*>(c);
            auto it = self->byIndex.find(index);
            if (type != kSoundEntryType || it == self->byIndex.end() || it->second.data() != data)
                ++self->wrongReleases;
            self->released.push_back(index);
        };
        return s;
    }
};
