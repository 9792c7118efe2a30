// The MP3 header and tag reader over arbitrary bytes: the head as the file's
// start, its last 128 bytes (when there are so many) as the tag.
#include <cstdint>

#include "authoring/Mp3Info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Mp3Info info;
    const uint8_t* tail = size >= kId3v1Bytes ? data + size - kId3v1Bytes : nullptr;
    parseMp3Info(data, size < kMp3HeadBytes ? size : kMp3HeadBytes, tail, tail ? kId3v1Bytes : 0, info);
    mp3InfoRows(info);
    return mp3BitRateAccepted(info) ? 0 : 0;
}
