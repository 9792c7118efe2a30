#include "authoring/Mp3Info.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "authoring/WizardOptions.h"

namespace {

// Bit rates (kbps) by bits 15-12: MPEG 1 per layer, then the lower sampling
// frequencies (MPEG 2 and 2.5), whose layers II and III share a column.
constexpr int16_t kMpeg1Rates[3][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1},
};
constexpr int16_t kLowRates[2][16] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},
};
constexpr int32_t kSamplingRates[4][3] = {
    {0, 0, 0},                   // reserved version
    {11025, 12000, 8000},        // MPEG 2.5
    {22050, 24000, 16000},       // MPEG 2
    {44100, 48000, 32000},       // MPEG 1
};
constexpr int32_t kVersionOfBits[4] = {1, 0, 2, 3};
constexpr int32_t kLayerOfBits[4] = {0, 3, 2, 1};

constexpr uint32_t kSyncMask = 0xFFE00000u;

uint32_t wordAt(const uint8_t* p) {
    uint8_t bytes[4];
    std::memcpy(bytes, p, 4);
    reverseBytes(bytes, 4);   // the header is big-endian
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

std::string field(const uint8_t* p, size_t n) {
    size_t len = 0;
    while (len < n && p[len]) ++len;
    return std::string(reinterpret_cast<const char*>(p), len);
}

std::string formatted(const char* format, int value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string minutesAndSeconds(const char* format, int64_t duration100ns) {
    const int64_t seconds = duration100ns > 0 ? duration100ns / 10000000 : 0;
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>((seconds / 60) % 60), static_cast<int>(seconds % 60));
    return text;
}

}  // namespace

void clearMp3Info(Mp3Info& info) { info = Mp3Info{}; }

void reverseBytes(uint8_t* buffer, size_t n) {
    if (!buffer || n == 0) return;
    std::reverse(buffer, buffer + n);
}

size_t id3v2TagBytes(const uint8_t* data, size_t size) {
    if (!data || size < kId3v2HeaderBytes || std::memcmp(data, "ID3", 3) != 0) return 0;
    if (data[3] == 0xFF || data[4] == 0xFF) return 0;
    size_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (data[i] & 0x80) return 0;   // the size is 7 bits a byte; anything else is no tag
        body = body << 7 | data[i];
    }
    const bool footer = data[3] >= 4 && (data[5] & 0x10) != 0;
    return kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
}

size_t id3v2TagsBytes(const uint8_t* data, size_t size) {
    size_t skip = 0;
    while (skip < size) {
        const size_t tag = id3v2TagBytes(data + skip, size - skip);
        if (tag == 0) break;
        skip += tag;
    }
    return skip;
}

bool frameHeaderValid(uint32_t header) {
    return (header & kSyncMask) == kSyncMask && ((header >> 19) & 3) != 1 && ((header >> 17) & 3) != 0 &&
           ((header >> 12) & 15) != 0 && ((header >> 12) & 15) != 15 && ((header >> 10) & 3) != 3;
}

long findFrameSync(const uint8_t* data, size_t size, size_t from, uint32_t* header) {
    *header = 0;
    for (size_t step = 0; step <= kMp3SyncSearchSteps; ++step) {
        const size_t at = from + step;
        if (at > size || size - at < 4) return -1;
        const uint32_t word = wordAt(data + at);
        if (!frameHeaderValid(word)) continue;
        // Tag texts and pictures hold words that look like a header (FF FE starts
        // every UTF-16 text); a real frame is followed by the next one, with the
        // same version, layer and sampling rate.
        Mp3Info probe;
        readFrameHeader(word, probe);
        const size_t next = at + static_cast<size_t>(probe.frameLength);
        if (next <= size && size - next >= 4) {
            const uint32_t following = wordAt(data + next);
            constexpr uint32_t kSameStream = kSyncMask | 0x001E0C00u;   // version, layer, sampling rate
            if (!frameHeaderValid(following) || (following & kSameStream) != (word & kSameStream)) continue;
        }
        *header = word;
        return static_cast<long>(at);
    }
    return -1;
}

void readFrameHeader(uint32_t header, Mp3Info& info) {
    info.version = kVersionOfBits[(header >> 19) & 3];
    info.layer = kLayerOfBits[(header >> 17) & 3];
    info.protection = static_cast<int32_t>((header >> 16) & 1);
    const unsigned rateIndex = (header >> 12) & 15;
    int32_t rate = 0;   // no table for a reserved layer or version
    if (info.layer != 0 && info.version == 3) rate = kMpeg1Rates[info.layer - 1][rateIndex];
    else if (info.layer != 0 && (info.version == 2 || info.version == 1))
        rate = kLowRates[info.layer == 1 ? 0 : 1][rateIndex];
    info.bitRate = rate;
    const unsigned sampleIndex = (header >> 10) & 3;
    if (sampleIndex != 3) info.samplingRate = kSamplingRates[info.version][sampleIndex];
    info.channelMode = static_cast<int32_t>((header >> 6) & 3);
    info.copyright = static_cast<int32_t>((header >> 3) & 1);
    info.original = static_cast<int32_t>((header >> 2) & 1);
    info.emphasis = static_cast<int32_t>(header & 3);
    const int32_t padding = static_cast<int32_t>((header >> 9) & 1);
    info.frameLength = 0;
    if (info.samplingRate != 0 && rate > 0) {
        // Layer III of the lower sampling rates carries half the samples a frame.
        const int32_t perSecond = info.layer == 3 && info.version != 3 ? 72000 : 144000;
        info.frameLength = info.layer == 1 ? (rate * 12000 / info.samplingRate + padding) * 4
                                           : rate * perSecond / info.samplingRate + padding;
    }
}

bool readId3v1(const uint8_t* tail, size_t size, Mp3Info& info) {
    if (!tail || size != kId3v1Bytes || std::memcmp(tail, "TAG", 3) != 0) return false;
    info.title = field(tail + 3, 30);
    info.artist = field(tail + 33, 30);
    info.album = field(tail + 63, 30);
    info.year = field(tail + 93, 4);
    if (tail[125] != 0) {
        info.comment = field(tail + 97, 30);
    } else {
        info.comment = field(tail + 97, 28);
        info.track = tail[126];
        info.genre = tail[127];
    }
    info.flags |= kMp3HasTag;
    return true;
}

void parseMp3Info(const uint8_t* head, size_t headSize, const uint8_t* tail, size_t tailSize, Mp3Info& info) {
    clearMp3Info(info);
    uint32_t header = 0;
    if (head && findFrameSync(head, headSize, id3v2TagsBytes(head, headSize), &header) >= 0) {
        readFrameHeader(header, info);
        info.frames = 1;
        info.flags |= kMp3HasFrame;
        // A bad or free bit rate adds nothing to the sum, so it reads as 0.
        if (info.bitRate <= 0) info.bitRate = 0;
        if (info.bitRate > 0 && info.frameLength > 0)
            info.playTime = static_cast<int32_t>(info.frameLength * 8.0 / (info.bitRate * 1000.0));
    }
    readId3v1(tail, tailSize, info);
}

int readMp3Info(const char* path, Mp3Info& info) {
    clearMp3Info(info);
    if (!path || pathExtension(path) != "mp3") return 0;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    // Tags with cover art run to megabytes: they are stepped over by their
    // sizes, and only the bytes after them are read.
    long audio = 0;
    uint8_t tagHeader[kId3v2HeaderBytes];
    while (std::fseek(file, audio, SEEK_SET) == 0 &&
           std::fread(tagHeader, 1, sizeof tagHeader, file) == sizeof tagHeader) {
        const size_t tag = id3v2TagBytes(tagHeader, sizeof tagHeader);
        if (tag == 0 || tag > static_cast<size_t>(LONG_MAX - audio)) break;
        audio += static_cast<long>(tag);
    }
    std::vector<uint8_t> head(kMp3HeadBytes);
    head.resize(std::fseek(file, audio, SEEK_SET) == 0 ? std::fread(head.data(), 1, head.size(), file) : 0);
    uint8_t tail[kId3v1Bytes];
    size_t tailSize = 0;
    if (std::fseek(file, -static_cast<long>(kId3v1Bytes), SEEK_END) == 0)
        tailSize = std::fread(tail, 1, sizeof tail, file);
    std::fclose(file);
    parseMp3Info(head.data(), head.size(), tailSize ? tail : nullptr, tailSize, info);
    return 1;
}

bool mp3BitRateAccepted(const Mp3Info& info) { return info.bitRate >= 1 && info.bitRate <= 256; }

std::vector<std::pair<std::string, std::string>> mp3InfoRows(const Mp3Info& info) {
    return {
        {"Sampling rate", formatted("%d Hz", info.samplingRate)},
        {"Bit rate", formatted("%d Kbps", info.bitRate)},
        {"Artist", info.artist},
        {"Title", info.title},
        {"Album", info.album},
        {"Year", info.year},
        {"Remark", info.comment},
        {"Track", formatted("%d", info.track)},
        {"Frames", formatted("%d", info.frames)},
        {"CRCs", formatted("%d", info.protection)},
        {"Original", formatted("%d", info.original)},
        {"Copyright", formatted("%d", info.copyright)},
        {"MPEG Type", formatted("MPEG 1 Layer %d", info.layer)},
    };
}

std::string totalTimeText(int64_t duration100ns) { return minutesAndSeconds("%02dM%02dS", duration100ns); }
std::string positionLabel(int64_t position100ns) { return minutesAndSeconds("%02d : %02d", position100ns); }

int32_t positionPercent(int64_t position100ns, int64_t duration100ns) {
    if (duration100ns <= 0 || position100ns <= 0) return 0;
    // Scaled down first where x 100 would overflow (streams of millennia).
    while (position100ns > INT64_MAX / 100) {
        position100ns /= 128;
        duration100ns /= 128;
    }
    if (duration100ns <= 0) return 0;
    return static_cast<int32_t>(std::min<int64_t>(100, position100ns * 100 / duration100ns));
}
