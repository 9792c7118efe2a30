// MP3 files as music arrives: made by lame, with ID3v2 tags at their start
// (UTF-16 texts, cover art far past the first 10,000 bytes, a version 2.4 tag
// with a footer), read through readMp3Info from disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "authoring/Mp3Info.h"
#include "tests/support/TestSupport.h"

namespace {

// Synchsafe size: seven bits a byte.
void putSize(std::vector<uint8_t>& out, size_t size) {
    for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((size >> shift) & 0x7F));
}

// An ID3v2.4 tag with a footer holding one UTF-16 title "Été", then `gap`
// zero bytes, in front of the audio of `mp3` (its own ID3v2 tag removed).
std::vector<uint8_t> withId3v24Footer(const std::vector<uint8_t>& mp3, size_t gap) {
    const std::vector<uint8_t> text = {1, 0xFF, 0xFE, 0xC9, 0, 't', 0, 0xE9, 0};
    std::vector<uint8_t> frames = {'T', 'I', 'T', '2'};
    putSize(frames, text.size());
    frames.push_back(0);
    frames.push_back(0);
    frames.insert(frames.end(), text.begin(), text.end());
    std::vector<uint8_t> out = {'I', 'D', '3', 4, 0, 0x10};
    putSize(out, frames.size());
    out.insert(out.end(), frames.begin(), frames.end());
    const std::vector<uint8_t> footer = {'3', 'D', 'I', 4, 0, 0x10};
    out.insert(out.end(), footer.begin(), footer.end());
    putSize(out, frames.size());
    out.resize(out.size() + gap, 0);
    const size_t audio = id3v2TagsBytes(mp3.data(), mp3.size());
    out.insert(out.end(), mp3.begin() + static_cast<long>(audio), mp3.end());
    return out;
}

}  // namespace

TEST(Mp3InfoLame, TaggedFilesReadTheirFirstRealFrame) {
    const std::string dir = vt_test::scratchDir("mp3info-lame");
    const auto run = [&](const std::string& command) {
        return std::system((command + " >> " + dir + "/log.txt 2>&1").c_str());
    };
    ASSERT_EQ(run("sox -q -n -r 44100 -c 2 -b 16 " + dir + "/tone.wav synth 1 sine 440 vol 0.5"), 0);
    // Cover art whose bytes are a run of 160 kbps frame headers, each where the
    // last one's length says: only skipping the tag avoids it.
    std::vector<uint8_t> cover = {0xFF, 0xD8, 0xFF, 0xE0};
    while (cover.size() < 200000) {
        const size_t start = cover.size();
        cover.insert(cover.end(), {0xFF, 0xFB, 0xA0, 0x64});
        cover.resize(start + 522, 0x5A);
    }
    ASSERT_TRUE(vt_test::writeFileBytes(dir + "/cover.jpg", cover));

    struct Case {
        const char* name;
        std::string lame;          // options besides the input and output
        int32_t bitRate, samplingRate, version;
        bool accepted;
    } cases[] = {
        {"untagged", "-b 128", 128, 44100, 3, true},
        {"latin1", "-b 128 --add-id3v2 --tt Sunset --ta Me", 128, 44100, 3, true},
        {"accented", "-b 128 --tt \"Évening in Paris\" --ta Artist", 128, 44100, 3, true},
        {"utf16", "-b 128 --id3v2-utf16 --tt \"Sunset over Paris, France\" --ta Me", 128, 44100, 3, true},
        {"b256", "-b 256 --id3v2-utf16 --tt Plain", 256, 44100, 3, true},
        {"b320", "-b 320 --id3v2-utf16 --tt Loud", 320, 44100, 3, false},
        {"cover128", "-b 128 --ti " + dir + "/cover.jpg --tt Art", 128, 44100, 3, true},
        {"cover256", "-b 256 --ti " + dir + "/cover.jpg --id3v2-utf16 --tt Art", 256, 44100, 3, true},
        {"cover320", "-b 320 --ti " + dir + "/cover.jpg --tt Art", 320, 44100, 3, false},
        {"mpeg2", "-b 64 --resample 22.05 --id3v2-utf16 --tt \"Été\"", 64, 22050, 2, true},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name + ".mp3";
        ASSERT_EQ(run("lame --quiet " + c.lame + " " + dir + "/tone.wav " + path), 0) << c.name;
        const std::vector<uint8_t> bytes = vt_test::readFileBytes(path);
        const bool tagged = id3v2TagsBytes(bytes.data(), bytes.size()) > 0;
        ASSERT_EQ(tagged, std::string(c.name) != "untagged") << c.name;
        Mp3Info info;
        ASSERT_EQ(readMp3Info(path.c_str(), info), 1) << c.name;
        EXPECT_EQ(info.bitRate, c.bitRate) << c.name;
        EXPECT_EQ(info.samplingRate, c.samplingRate) << c.name;
        EXPECT_EQ(info.version, c.version) << c.name;
        EXPECT_EQ(info.layer, 3) << c.name;
        EXPECT_EQ(info.frames, 1) << c.name;
        EXPECT_EQ(mp3BitRateAccepted(info), c.accepted) << c.name;
    }

    // The ID3v1 tag at the end still comes with a tag at the start.
    Mp3Info latin;
    readMp3Info((dir + "/latin1.mp3").c_str(), latin);
    EXPECT_EQ(latin.title, "Sunset");
    EXPECT_EQ(latin.artist, "Me");

    // A version 2.4 tag with a footer: the 10,000-byte search starts after the
    // footer, so a frame 10,000 bytes past it is found, and one byte further is not.
    const std::vector<uint8_t> utf16 = vt_test::readFileBytes(dir + "/utf16.mp3");
    struct Gap {
        size_t bytes;
        int32_t bitRate;
    } gaps[] = {{0, 128}, {kMp3SyncSearchSteps, 128}, {kMp3SyncSearchSteps + 1, 0}};
    for (const Gap& g : gaps) {
        const std::string path = dir + "/footer.mp3";
        ASSERT_TRUE(vt_test::writeFileBytes(path, withId3v24Footer(utf16, g.bytes)));
        Mp3Info info;
        ASSERT_EQ(readMp3Info(path.c_str(), info), 1);
        EXPECT_EQ(info.bitRate, g.bitRate) << "gap " << g.bytes;
    }
}
