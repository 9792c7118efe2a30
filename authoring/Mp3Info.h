// MPEG audio frame header and ID3v1 tag of a sound file, for the Sound step's
// information list, and the rule that refuses MP3 files above 256 kbps.
// Only the first frame header is read; it is searched for within the first
// 10,000 bytes after the ID3v2 tags at the file's start.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct Mp3Info {
    int32_t genre = 255;          // ID3v1 genre; 255 none
    int32_t track = 0;            // ID3v1.1 track; 0 none
    std::string comment;          // at most 30 characters (28 with a track)
    std::string year;             // 4 characters
    std::string album;
    std::string artist;
    std::string title;
    int32_t channelMode = 0;      // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int32_t emphasis = 0;
    int32_t version = 0;          // 3 MPEG 1, 2 MPEG 2, 1 MPEG 2.5, 0 reserved
    int32_t flags = 0;            // kMp3HasFrame, kMp3HasTag
    int32_t bitRate = 0;          // kbps; 0 free or unknown, -1 a bad index
    int32_t layer = 0;            // 1, 2, 3; 0 reserved
    int32_t samplingRate = 0;     // Hz
    int32_t copyright = 0;
    int32_t original = 0;
    int32_t protection = 0;       // 1: no CRC
    int32_t playTime = 0;         // seconds
    int32_t frames = 0;
    int32_t frameLength = 0;      // bytes of the frame read
};

constexpr int32_t kMp3HasTag = 1;
constexpr int32_t kMp3HasFrame = 2;
constexpr size_t kMp3SyncSearchSteps = 10000;
// The longest frame (MPEG 2 layer II, 160 kbps at 8,000 Hz, padded).
constexpr size_t kMp3MaxFrameBytes = 2881;
// Bytes after the ID3v2 tags the header search may look at: the searched
// words and the frame that follows the last of them.
constexpr size_t kMp3HeadBytes = kMp3SyncSearchSteps + kMp3MaxFrameBytes + 4;
constexpr size_t kId3v1Bytes = 128;
constexpr size_t kId3v2HeaderBytes = 10;

void clearMp3Info(Mp3Info& info);

// Reverses n bytes in place; nothing for a null buffer or n = 0.
void reverseBytes(uint8_t* buffer, size_t n);

// Bytes of the ID3v2 tag at data (header, body and footer, by the sizes its
// header gives); 0 when data does not start with one.
size_t id3v2TagBytes(const uint8_t* data, size_t size);
// Bytes of the ID3v2 tags that follow one another from data on.
size_t id3v2TagsBytes(const uint8_t* data, size_t size);

// Whether a word is a usable frame header: sync bits, and version, layer,
// bit-rate (not free) and sampling-rate indexes that are not reserved.
bool frameHeaderValid(uint32_t header);

// Offset of the first frame header from `from` on, taking at most
// kMp3SyncSearchSteps one-byte steps; -1 when there is none. A header counts
// when it is valid and, where data reaches that far, the next frame's header
// stands where its length says.
long findFrameSync(const uint8_t* data, size_t size, size_t from, uint32_t* header);

// Fills the frame fields from one big-endian header word.
void readFrameHeader(uint32_t header, Mp3Info& info);
// The ID3v1 fields from the file's last 128 bytes; false when they are no tag.
bool readId3v1(const uint8_t* tail, size_t size, Mp3Info& info);

// The whole reading from the file's first bytes and its last 128 (tail may be
// null). `head` need hold no more than its ID3v2 tags and kMp3HeadBytes.
void parseMp3Info(const uint8_t* head, size_t headSize, const uint8_t* tail, size_t tailSize, Mp3Info& info);

// `readMp3Info`: 1 after reading, 0 when the name is not "mp3" or the file
// cannot be opened.
int readMp3Info(const char* path, Mp3Info& info);

// The rule of the Sound step: 1 to 256 kbps is taken.
bool mp3BitRateAccepted(const Mp3Info& info);

// The rows the Sound step appends for an MP3 file, in order: item and text.
std::vector<std::pair<std::string, std::string>> mp3InfoRows(const Mp3Info& info);

// "%02dM%02dS" and "%02d : %02d" of a duration in 100 ns units (minutes wrap at an hour).
std::string totalTimeText(int64_t duration100ns);
std::string positionLabel(int64_t position100ns);
// Position trackbar: position x 100 / duration in 64-bit integers, 0 for no duration.
int32_t positionPercent(int64_t position100ns, int64_t duration100ns);
