// The sound player's refill logic, with a fake buffer, stream and converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "engine/SoundPump.h"

namespace {

uint8_t streamByte(uint32_t k) { return static_cast<uint8_t>(k * 7 + (k >> 9) + 1); }

SoundFormat pcm(uint32_t rate, uint16_t channels, uint16_t bits) {
    SoundFormat f;
    f.rate = rate;
    f.channels = channels;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.bytesPerSecond = rate * f.blockAlign;
    return f;
}

struct FakeBuffer : SoundBufferPort {
    std::vector<uint8_t> data;
    uint32_t playCursor = 0, lead = 0;
    bool playing = false;
    int playCalls = 0;
    int failWrites = 0;        // this many writes fail
    bool loseNext = false;     // the next write finds the buffer lost
    uint64_t played = 0;       // bytes played since the last setPosition
    struct Write { uint32_t offset, bytes; };
    std::vector<Write> writes;

    explicit FakeBuffer(uint32_t size, uint32_t writeLead) : data(size, 0xEE), lead(writeLead) {}
    uint32_t size() const { return static_cast<uint32_t>(data.size()); }
    void advance(uint32_t bytes) {
        if (!playing) return;
        playCursor = (playCursor + bytes) % size();
        played += bytes;
    }
    void setCursorTo(uint32_t writeCursor) {   // moves the cursors forward to this write cursor
        advance((writeCursor + size() - (playCursor + lead) % size()) % size());
    }

    bool position(uint32_t* p, uint32_t* w) override {
        *p = playCursor;
        *w = (playCursor + lead) % size();
        return true;
    }
    SoundBufferPort::Write write(uint32_t offset, const uint8_t* bytes, uint32_t n) override {
        if (failWrites > 0) {
            --failWrites;
            return SoundBufferPort::Write::Failed;
        }
        bool restored = false;
        if (loseNext) {
            loseNext = false;
            restored = true;
            std::fill(data.begin(), data.end(), 0xEE);
            playing = false;
        }
        std::copy(bytes, bytes + n, data.begin() + offset);
        writes.push_back({offset, n});
        return restored ? SoundBufferPort::Write::DoneAfterRestore : SoundBufferPort::Write::Done;
    }
    void play() override {
        ++playCalls;
        playing = true;
    }
    void stop() override { playing = false; }
    void setPosition(uint32_t offset) override {
        playCursor = offset;
        played = 0;
    }
};

struct FakeStream : SoundStreamPort {
    uint32_t total;
    uint32_t pos = 0;
    uint32_t failAt = UINT32_MAX;   // reads from here on fail
    int reads = 0, rewinds = 0;
    std::vector<uint32_t> requested;

    explicit FakeStream(uint32_t bytes) : total(bytes) {}
    Read read(uint8_t* dst, uint32_t bytes, uint32_t* got) override {
        ++reads;
        requested.push_back(bytes);
        const uint32_t end = std::min(total, failAt);
        const uint32_t n = std::min(bytes, end - pos);
        for (uint32_t i = 0; i < n; ++i) dst[i] = streamByte(pos + i);
        pos += n;
        *got = n;
        if (n == bytes) return Read::Data;
        return pos >= failAt ? Read::Failed : Read::End;
    }
    bool rewind() override {
        ++rewinds;
        pos = 0;
        return true;
    }
};

// Halves the source (two source bytes make one), or fails on request.
struct FakeConverter : SoundConverterPort {
    bool fail = false;
    std::vector<uint32_t> sizes;
    uint32_t convert(const uint8_t* src, uint32_t n, uint8_t* dst, uint32_t cap) override {
        sizes.push_back(n);
        if (fail) return 0;
        const uint32_t out = std::min(n / 2, cap);
        for (uint32_t i = 0; i < out; ++i) dst[i] = src[2 * i];
        return out;
    }
};

// The thread's loop, driven on the test's own thread: each pause plays 33 ms.
struct FakeHost : SoundThreadHost {
    FakeBuffer& buffer;
    SoundPump& pump;
    uint32_t bytesPerPass;
    std::vector<int> posted;
    int pauses = 0;
    FakeHost(FakeBuffer& b, SoundPump& p, uint32_t bytesPerSecond)
        : buffer(b), pump(p), bytesPerPass(bytesPerSecond * kSoundPassMs / 1000) {}
    int locked = 0, handoverLocked = 0, handoverCopies = 0;
    void lock() override { EXPECT_EQ(locked++, 0); }
    void unlock() override { --locked; }
    void lockHandover() override {
        EXPECT_EQ(locked, 0);   // never both: the frame step must not wait for a refill
        ++handoverLocked;
        ++handoverCopies;
    }
    void unlockHandover() override { --handoverLocked; }
    void pause(int ms) override {
        EXPECT_EQ(ms, kSoundPassMs);
        buffer.advance(bytesPerPass);
        if (++pauses > 2000) pump.requestStop();   // a runaway loop fails below
    }
    void post(int message) override { posted.push_back(message); }
    int count(int message) const { return static_cast<int>(std::count(posted.begin(), posted.end(), message)); }
};

bool holdsStream(const FakeBuffer& b, uint32_t offset, uint32_t streamPos, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (b.data[offset + i] != streamByte(streamPos + i)) return false;
    return true;
}

// One second = 8,000 bytes (8 kHz 8-bit mono), started: the first half is filled.
struct SmallRig {
    const SoundFormat f = pcm(8000, 1, 8);
    const uint32_t h = 8000;
    FakeBuffer buffer{2 * 8000, 0};
    FakeStream stream;
    SoundPump pump;
    explicit SmallRig(uint32_t streamBytes) : stream(streamBytes) {
        pump.configure(f, &buffer, &stream, nullptr, 0);
        pump.start();
    }
};

}  // namespace

TEST(SoundFormat, WhatPlaysUnconverted) {
    struct Case { SoundFormat f; bool plays; } cases[] = {
        {pcm(44100, 2, 16), true}, {pcm(22050, 1, 16), true}, {pcm(11025, 1, 8), true},
        {pcm(8000, 2, 8), true}, {pcm(32000, 2, 16), true},
        {pcm(48000, 2, 16), false}, {pcm(16000, 1, 16), false},
        {pcm(44100, 2, 24), false}, {pcm(44100, 6, 16), false}, {pcm(44100, 2, 32), false},
    };
    for (const Case& c : cases) EXPECT_EQ(playsUnconverted(c.f), c.plays) << c.f.rate << "/" << c.f.bitsPerSample;
    SoundFormat adpcm = pcm(22050, 1, 16);
    adpcm.formatTag = 2;
    EXPECT_FALSE(playsUnconverted(adpcm));
    EXPECT_EQ(cdQualityFormat().bytesPerSecond, 176400u);
}

TEST(SoundPump, RefillFollowsTheWriteCursorAcrossHalves) {
    SmallRig rig(60 * 8000);
    auto& [f, h, buffer, stream, pump] = rig;
    EXPECT_EQ(pump.sampleBlock(), 320u);
    // Started: the first second in the first half, playing from 0.
    ASSERT_EQ(buffer.writes.size(), 1u);
    EXPECT_EQ(buffer.writes[0].offset, 0u);
    EXPECT_TRUE(holdsStream(buffer, 0, 0, h));
    EXPECT_TRUE(buffer.playing);
    EXPECT_EQ(buffer.playCursor, 0u);

    // {write cursor, refilled half offset or -1}; each refill takes the next second.
    struct Step { uint32_t cursor; int64_t refill; } steps[] = {
        {0, h},              // the first pass fills the second half without a crossing
        {1000, -1}, {7999, -1},
        {8000, 0},           // entering the second half refills the first
        {12000, -1}, {15999, -1},
        {100, h},            // wrapping to the first half refills the second
        {7000, -1},
        {9000, 0}, {9500, -1},
        {3, h},
    };
    uint32_t second = 1;
    for (const Step& s : steps) {
        const size_t before = buffer.writes.size();
        buffer.setCursorTo(s.cursor);
        EXPECT_FALSE(pump.pass().ended);
        if (s.refill < 0) {
            EXPECT_EQ(buffer.writes.size(), before) << "cursor " << s.cursor;
            continue;
        }
        ASSERT_EQ(buffer.writes.size(), before + 1) << "cursor " << s.cursor;
        EXPECT_EQ(buffer.writes.back().offset, s.refill) << "cursor " << s.cursor;
        EXPECT_EQ(buffer.writes.back().bytes, h);
        EXPECT_TRUE(holdsStream(buffer, static_cast<uint32_t>(s.refill), second * h, h)) << "cursor " << s.cursor;
        ++second;
    }
    EXPECT_EQ(stream.reads, static_cast<int>(second));
}

TEST(SoundPump, CopySamplesTakesTheFirstChannelEvery16Bytes) {
    struct Case { SoundFormat f; uint32_t offset; } cases[] = {
        {pcm(44100, 2, 16), 7056},     // left channel of every fourth frame
        {pcm(22050, 1, 16), 1764},
        {pcm(22050, 2, 8), 882},       // 8-bit samples are centred and widened
        {pcm(11025, 1, 8), 441},
        {pcm(44100, 2, 16), 352800 - 16 * 100},   // wraps at the end of the second half
        {pcm(8000, 1, 8), 16000 - 8},
    };
    for (const Case& c : cases) {
        const uint32_t h = c.f.bytesPerSecond;
        FakeBuffer buffer(2 * h, 0);
        FakeStream stream(10 * h);
        SoundPump pump;
        pump.configure(c.f, &buffer, &stream, nullptr, 0);
        int16_t target[256] = {};
        pump.setSampleTarget(target, 256);
        pump.start();
        EXPECT_FALSE(pump.pass().ended);   // the second half too
        EXPECT_EQ(pump.copySamples(c.offset), 256);
        for (int i = 0; i < 256; ++i) {
            const uint32_t p = (c.offset + 16u * i) % (2 * h);
            const int16_t expected = c.f.bitsPerSample == 8
                                         ? static_cast<int16_t>((streamByte(p) - 128) * 256)
                                         : static_cast<int16_t>(streamByte(p) | streamByte(p + 1) << 8);
            ASSERT_EQ(target[i], expected) << c.f.rate << " bits " << c.f.bitsPerSample << " sample " << i;
        }
        int16_t copy[256] = {};
        pump.copyHandover(copy);
        EXPECT_TRUE(std::equal(copy, copy + 256, target));
    }
}

TEST(SoundPump, EachPassSamplesAtTheWriteCursorRoundedToOneTwentyFifth) {
    const SoundFormat f = pcm(44100, 2, 16);
    FakeBuffer buffer(2 * f.bytesPerSecond, 0);
    FakeStream stream(10 * f.bytesPerSecond);
    SoundPump pump;
    pump.configure(f, &buffer, &stream, nullptr, 0);
    EXPECT_EQ(pump.sampleBlock(), 7056u);
    EXPECT_FALSE(pump.pass().sampled);   // not playing yet
    pump.start();
    buffer.setCursorTo(2 * 7056 + 7055);
    const SoundPump::Pass pass = pump.pass();
    EXPECT_TRUE(pass.sampled);
    EXPECT_EQ(pass.sampleOffset, 2u * 7056);
    buffer.setCursorTo(176400 + 7056 * 24);
    EXPECT_EQ(pump.pass().sampleOffset, 176400u + 7056 * 24);
}

TEST(SoundPump, EndOfStreamPlaysOutPostsOnceAndRestartsFromTheStart) {
    // {stream length in bytes}: longer than the buffer, ending in either half, and
    // shorter than one half (ending in the first fill).
    const SoundFormat f = pcm(44100, 2, 16);
    const uint32_t h = f.bytesPerSecond;
    for (uint32_t length : {5 * h / 2, 3 * h + 1000, 4 * h, h * 3 / 10}) {
        FakeBuffer buffer(2 * h, 3528);
        FakeStream stream(length);
        SoundPump pump;
        int16_t target[256];
        pump.setSampleTarget(target, 256);
        pump.configure(f, &buffer, &stream, nullptr, 0);
        pump.start();
        FakeHost host(buffer, pump, h);
        EXPECT_EQ(runSoundThread(pump, host), 1);
        EXPECT_EQ(host.handoverCopies, host.pauses) << "samples handed over on every pass";

        ASSERT_LT(host.pauses, 2000) << length;
        EXPECT_EQ(host.count(kSoundEndMessage), 1) << length;
        ASSERT_GE(host.posted.size(), 2u);
        EXPECT_EQ(host.posted[host.posted.size() - 2], kSoundEndMessage) << length;
        EXPECT_EQ(host.posted.back(), kSoundPassMessage) << length;   // then the thread ends
        EXPECT_EQ(host.count(kSoundPassMessage), host.pauses);
        // Played to the end, and stopped within one pass of it.
        EXPECT_GE(buffer.played, length) << length;
        EXPECT_LT(buffer.played, length + host.bytesPerPass) << length;
        EXPECT_FALSE(buffer.playing);
        EXPECT_FALSE(pump.playing());
        EXPECT_TRUE(pump.stopRequested());
        // A last second cut short ends in silence, not in what the half held before.
        if (length % h) {
            const uint32_t last = (length - 1) % (2 * h), halfEnd = (last / h + 1) * h;
            EXPECT_TRUE(holdsStream(buffer, last - 99, length - 100, 100)) << length;
            EXPECT_TRUE(std::all_of(buffer.data.begin() + last + 1, buffer.data.begin() + halfEnd,
                                    [](uint8_t b) { return b == 0; })) << length;
        }

        // Restart as the engine does on 1069: rewind, then start the thread again.
        EXPECT_TRUE(stream.rewind());
        pump.clearStop();
        pump.start();
        EXPECT_TRUE(buffer.playing);
        EXPECT_EQ(buffer.playCursor, 0u);
        EXPECT_TRUE(holdsStream(buffer, 0, 0, std::min(h, length)));
        if (length > h) {
            buffer.advance(1000);
            pump.pass();
            EXPECT_TRUE(holdsStream(buffer, h, h, std::min(h, length - h))) << length;
        }
    }
}

TEST(SoundPump, FailedWriteIsRetriedWithoutSkippingAudio) {
    SmallRig rig(20 * 8000);
    auto& [f, h, buffer, stream, pump] = rig;
    buffer.failWrites = 2;
    buffer.setCursorTo(100);
    pump.pass();                        // refill of the second half fails
    buffer.setCursorTo(200);
    pump.pass();                        // retry fails too
    EXPECT_EQ(stream.reads, 2);
    EXPECT_FALSE(holdsStream(buffer, h, h, h));
    buffer.setCursorTo(300);
    pump.pass();                        // retry succeeds with the same second
    EXPECT_EQ(stream.reads, 2);
    EXPECT_TRUE(holdsStream(buffer, h, h, h));
    buffer.setCursorTo(400);
    pump.pass();
    EXPECT_EQ(buffer.writes.size(), 2u);   // nothing further to write
}

TEST(SoundPump, LostBufferIsRestoredWithBothHalvesAndPlaysOn) {
    SmallRig rig(20 * 8000);
    auto& [f, h, buffer, stream, pump] = rig;
    pump.pass();
    buffer.setCursorTo(h + 10);
    buffer.loseNext = true;
    const int playCalls = buffer.playCalls;
    pump.pass();                         // refills the first half into a lost buffer
    EXPECT_TRUE(holdsStream(buffer, 0, 2 * h, h));
    EXPECT_TRUE(holdsStream(buffer, h, h, h));   // the half under the cursor is back too
    EXPECT_EQ(buffer.playCalls, playCalls + 1);
    EXPECT_TRUE(buffer.playing);
}

TEST(SoundPump, FailedStreamEndsLikeTheEndOfTheStream) {
    const SoundFormat f = pcm(8000, 1, 8);
    const uint32_t h = f.bytesPerSecond;
    FakeBuffer buffer(2 * h, 0);
    FakeStream stream(20 * h);
    stream.failAt = 2 * h + 500;
    SoundPump pump;
    pump.configure(f, &buffer, &stream, nullptr, 0);
    pump.start();
    FakeHost host(buffer, pump, h);
    runSoundThread(pump, host);
    EXPECT_EQ(host.count(kSoundEndMessage), 1);
    EXPECT_GE(buffer.played, 2 * h + 500);
    EXPECT_LT(buffer.played, 2 * h + 500 + host.bytesPerPass);
    EXPECT_EQ(stream.reads, 3);           // no read after the failure
    EXPECT_TRUE(std::all_of(buffer.data.begin() + 500, buffer.data.begin() + h, [](uint8_t b) { return b == 0x80; }));
}

TEST(SoundPump, ConvertedStreamReadsSourceSecondsThroughTheConverter) {
    const SoundFormat playback = cdQualityFormat();
    const uint32_t h = playback.bytesPerSecond, source = 2 * h;   // the fake converter halves
    FakeBuffer buffer(2 * h, 0);
    FakeStream stream(10 * source);
    FakeConverter converter;
    SoundPump pump;
    pump.configure(playback, &buffer, &stream, &converter, source);
    pump.start();
    ASSERT_EQ(stream.requested.size(), 1u);
    EXPECT_EQ(stream.requested[0], source);
    ASSERT_EQ(converter.sizes.size(), 1u);
    EXPECT_EQ(converter.sizes[0], source);
    for (uint32_t i = 0; i < h; i += 997) ASSERT_EQ(buffer.data[i], streamByte(2 * i)) << i;

    converter.fail = true;                // a failed conversion leaves silence, not stale audio
    pump.pass();
    EXPECT_TRUE(std::all_of(buffer.data.begin() + h, buffer.data.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(stream.reads, 2);
}

TEST(SoundPump, NoThreadMeansTheBufferStopsInsteadOfLooping) {
    for (bool threadRuns : {false, true}) {
        const SoundFormat f = pcm(8000, 1, 8);
        FakeBuffer buffer{2 * 8000, 0};
        FakeStream stream{100000};
        SoundPump pump;
        pump.configure(f, &buffer, &stream, nullptr, 0);
        FakeHost host(buffer, pump, f.bytesPerSecond);
        const bool started = startPumping(
            pump, host, [](void* runs) { return *static_cast<bool*>(runs); }, &threadRuns);
        EXPECT_EQ(started, threadRuns);
        EXPECT_EQ(buffer.playing, threadRuns) << "a buffer nobody refills must not play";
        EXPECT_EQ(pump.playing(), threadRuns);
        EXPECT_EQ(pump.stopRequested(), !threadRuns);
        EXPECT_EQ(host.locked, 0);
    }
}

// The window is set on the UI thread after the pumping thread may have started.
TEST(SoundMessageTarget, TheWindowIsHandedOverAndAnEarlyEndIsNotLost) {
    static std::vector<std::pair<void*, int>> posted;
    posted.clear();
    SoundMessageTarget target([](void* w, int m) { posted.push_back({w, m}); });
    int window = 0;
    target.post(kSoundPassMessage);   // before the window: dropped
    target.post(kSoundEndMessage);    // before the window: kept
    target.post(kSoundPassMessage);
    EXPECT_TRUE(posted.empty());
    target.setWindow(&window);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], std::make_pair(static_cast<void*>(&window), kSoundEndMessage));
    target.post(kSoundPassMessage);
    target.setWindow(&window);        // set again: the end is not posted twice
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].second, kSoundPassMessage);
}

TEST(SoundMessageTarget, APumpingThreadAndTheWindowsThread) {
    // The sound thread ends the sound at once (a file of nothing) while the
    // window's thread is still on its way to setting the window.
    for (int round = 0; round < 50; ++round) {
        static std::atomic<int> ends;
        ends = 0;
        SoundMessageTarget target([](void*, int m) {
            if (m == kSoundEndMessage) ++ends;
        });
        int window = 0;
        std::thread pumping([&] {
            for (int i = 0; i < 20; ++i) target.post(kSoundPassMessage);
            target.post(kSoundEndMessage);
            for (int i = 0; i < 20; ++i) target.post(kSoundPassMessage);
        });
        std::this_thread::sleep_for(std::chrono::microseconds(round * 10));
        target.setWindow(&window);
        pumping.join();
        EXPECT_EQ(ends.load(), 1) << round;
        EXPECT_EQ(target.window(), &window);
    }
}
