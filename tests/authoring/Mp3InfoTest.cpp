// MP3 frame headers and ID3v1 tags as the Sound step reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "authoring/Mp3Info.h"
#include "tests/support/TestSupport.h"

namespace {

// `before` bytes of other data, then `count` frames of the header (or just the
// header when it gives no length).
std::vector<uint8_t> withHeader(size_t before, uint32_t header, int count = 3) {
    std::vector<uint8_t> bytes(before, 0x11);
    Mp3Info fields;
    readFrameHeader(header, fields);
    for (int frame = 0; frame < count; ++frame) {
        const size_t start = bytes.size();
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(header >> shift));
        bytes.resize(start + static_cast<size_t>(std::max(fields.frameLength, 4)), 0x22);
    }
    return bytes;
}

Mp3Info parsed(const std::vector<uint8_t>& head, const uint8_t* tail = nullptr) {
    Mp3Info info;
    parseMp3Info(head.data(), head.size(), tail, tail ? kId3v1Bytes : 0, info);
    return info;
}

}  // namespace

TEST(Mp3Info, FrameHeaderFields) {
    const Mp3Info info = parsed(withHeader(3, 0xFFFB9064));
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(info.samplingRate, 44100);
    EXPECT_EQ(info.frameLength, 417);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.version, 3);
    EXPECT_EQ(info.protection, 1);
    EXPECT_EQ(info.channelMode, 1);
    EXPECT_EQ(info.original, 1);
    EXPECT_EQ(info.frames, 1);
    EXPECT_EQ(info.flags, kMp3HasFrame);
    EXPECT_TRUE(mp3BitRateAccepted(info));

    struct Case {
        uint32_t header;
        int32_t bitRate, samplingRate, layer, version;
        bool accepted;
    } cases[] = {
        {0xFFFBE000, 320, 44100, 3, 3, false},   // above 256 kbps
        {0xFFFBD000, 256, 44100, 3, 3, true},
        {0xFFF3D400, 144, 24000, 3, 2, true},    // MPEG 2, lower-frequency table
        {0xFFE38800, 64, 8000, 3, 1, true},      // MPEG 2.5
        {0xFFFD9000, 160, 44100, 2, 3, true},    // layer II
        {0xFFFF9000, 288, 44100, 1, 3, false},   // layer I
        // No frame at all: free bit rate, bad bit-rate index, reserved layer,
        // version or sampling rate.
        {0xFFFB0000, 0, 0, 0, 0, false},
        {0xFFFBF000, 0, 0, 0, 0, false},
        {0xFFF99000, 0, 0, 0, 0, false},
        {0xFFEB9000, 0, 0, 0, 0, false},
        {0xFFFB9C00, 0, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        const Mp3Info i = parsed(withHeader(0, c.header));
        EXPECT_EQ(i.bitRate, c.bitRate) << std::hex << c.header;
        EXPECT_EQ(i.samplingRate, c.samplingRate) << std::hex << c.header;
        EXPECT_EQ(i.layer, c.layer) << std::hex << c.header;
        EXPECT_EQ(i.version, c.version) << std::hex << c.header;
        EXPECT_EQ(mp3BitRateAccepted(i), c.accepted) << std::hex << c.header;
    }
}

TEST(Mp3Info, SyncSearchIsBounded) {
    EXPECT_EQ(parsed(withHeader(10000, 0xFFFB9064)).bitRate, 128);
    const Mp3Info far = parsed(withHeader(10001, 0xFFFB9064));
    EXPECT_EQ(far.frames, 0);
    EXPECT_FALSE(mp3BitRateAccepted(far));
    // Data shorter than a header, and nothing at all.
    EXPECT_EQ(parsed({0xFF, 0xFB, 0x90}).frames, 0);
    EXPECT_EQ(parsed({}).frames, 0);
    uint32_t header = 0;
    const uint8_t bytes[] = {0xFF, 0xE0, 0, 0};
    EXPECT_EQ(findFrameSync(bytes, sizeof bytes, 1, &header), -1);
}

TEST(Mp3Info, Id3v1AndId3v11Tags) {
    uint8_t tag[kId3v1Bytes] = {};
    std::memcpy(tag, "TAG", 3);
    std::memcpy(tag + 3, "Title", 5);
    std::memset(tag + 33, 'A', 30);            // a full field has no zero byte
    std::memcpy(tag + 93, "19991", 5);          // the year is 4 characters
    std::memset(tag + 97, 'c', 30);
    Mp3Info v1 = parsed(withHeader(0, 0xFFFB9064), tag);
    EXPECT_EQ(v1.title, "Title");
    EXPECT_EQ(v1.artist, std::string(30, 'A'));
    EXPECT_EQ(v1.year, "1999");
    EXPECT_EQ(v1.comment.size(), 30u);
    EXPECT_EQ(v1.track, 0);
    EXPECT_EQ(v1.genre, 255);
    EXPECT_EQ(v1.flags, kMp3HasFrame | kMp3HasTag);

    tag[125] = 0;
    tag[126] = 7;
    tag[127] = 12;
    const Mp3Info v11 = parsed(withHeader(0, 0xFFFB9064), tag);
    EXPECT_EQ(v11.track, 7);
    EXPECT_EQ(v11.genre, 12);
    EXPECT_EQ(v11.comment, std::string(28, 'c'));

    tag[0] = 'X';
    EXPECT_EQ(parsed(withHeader(0, 0xFFFB9064), tag).flags, kMp3HasFrame);
}

TEST(Mp3Info, FileAndTexts) {
    const std::string dir = vt_test::scratchDir("mp3info");
    std::vector<uint8_t> bytes = withHeader(20, 0xFFFB9064, 10);
    vt_test::writeFileBytes(dir + "/Tone.MP3", bytes);
    vt_test::writeFileBytes(dir + "/tone.wav", bytes);
    Mp3Info info;
    EXPECT_EQ(readMp3Info((dir + "/Tone.MP3").c_str(), info), 1);
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(readMp3Info((dir + "/tone.wav").c_str(), info), 0);
    EXPECT_EQ(readMp3Info((dir + "/gone.mp3").c_str(), info), 0);

    const auto rows = mp3InfoRows(info);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows.front().first, "Sampling rate");
    EXPECT_EQ(rows.back().second, "MPEG 1 Layer 0");

    EXPECT_EQ(positionLabel(755000000), "01 : 15");            // 75.5 s
    EXPECT_EQ(positionLabel(36050000000), "00 : 05");          // 60 min 5 s: the minutes wrap
    EXPECT_EQ(totalTimeText(1250000000), "02M05S");
    EXPECT_EQ(positionPercent(5, 0), 0);
    EXPECT_EQ(positionPercent(50, 200), 25);
    EXPECT_EQ(positionPercent(INT64_MAX / 2, INT64_MAX), 49);
}
