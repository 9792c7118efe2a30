#include <cstdint>

#include "engine/SoundPlayer.h"

bool soundSeekTarget(int command, int64_t current, int64_t duration, int64_t* target) {
    constexpr int64_t kMinute = 600000000;   // 60 s in 100 ns units
    switch (command) {
    case kSeekStart: *target = 0; return true;
    case kSeekMiddle: *target = duration / 2; return true;
    case kSeekEnd: *target = static_cast<int64_t>(static_cast<double>(duration) * 0.8); return true;
    case kSeekMinuteForward: *target = current + kMinute; return true;
    case kSeekMinuteBack:
        if (current <= kMinute) return false;
        *target = current - kMinute;
        return true;
    default: return false;
    }
}
