// The playing side of the background sound player, free of the platform: a
// streaming buffer of two one-second halves, refilled with the next second of
// audio whenever the write cursor passes from one half into the other, a mirror
// of both halves in memory that the spectrum analysis samples, and the end of
// the stream. The platform (engine/win32/SoundPlayer.cpp) supplies the buffer,
// the decoded stream and the rate converter through the ports below, and runs
// runSoundThread on a thread of its own under its lock.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

constexpr int kSoundPassMessage = 1068;   // posted after every pass
constexpr int kSoundEndMessage = 1069;    // posted once when the sound has played to its end
constexpr int kSoundPassMs = 33;

// The fields of a WAVEFORMATEX that matter here.
struct SoundFormat {
    uint16_t formatTag = 1;               // 1: PCM
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t bytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// 44,100 Hz 16-bit stereo PCM: the primary buffer's format and the conversion target.
SoundFormat cdQualityFormat();
// Whether the decoded format plays as it is: 8- or 16-bit PCM, mono or stereo, at
// 8,000, 11,025, 22,050, 32,000 or 44,100 Hz, with consistent block and rate.
// Everything else is converted (wider formats would not fit the mirror's use).
bool playsUnconverted(const SoundFormat& f);

class SoundBufferPort {
public:
    enum class Write { Done, DoneAfterRestore, Failed };
    virtual ~SoundBufferPort() = default;
    // Play and write cursors in bytes; false when they cannot be read.
    virtual bool position(uint32_t* play, uint32_t* write) = 0;
    // Copies bytes into the buffer at offset. A lost buffer is restored and written
    // once more (DoneAfterRestore: the rest of its contents is gone too).
    virtual Write write(uint32_t offset, const uint8_t* data, uint32_t bytes) = 0;
    virtual void play() = 0;              // looping, from the current position
    virtual void stop() = 0;
    virtual void setPosition(uint32_t offset) = 0;
};

class SoundStreamPort {
public:
    enum class Read { Data, End, Failed };
    virtual ~SoundStreamPort() = default;
    // Decodes the next `bytes` of audio into dst; *got receives how many arrived
    // (all of them unless the result is End or Failed).
    virtual Read read(uint8_t* dst, uint32_t bytes, uint32_t* got) = 0;
    virtual bool rewind() = 0;
};

class SoundConverterPort {
public:
    virtual ~SoundConverterPort() = default;
    // Converts srcBytes into at most dstCapacity bytes of the playback format;
    // returns the bytes written, 0 when the conversion failed.
    virtual uint32_t convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstCapacity) = 0;
    // The stream starts again from its beginning: forget what was carried over.
    virtual void restart() {}
};

class SoundPump {
public:
    // After a successful open: the playback format (one half = its bytes per
    // second), the ports, and for a converted stream the source bytes per second
    // (0 when the stream plays unconverted). Allocates the mirror and the
    // conversion buffer; nothing is allocated per pass.
    void configure(const SoundFormat& playback, SoundBufferPort* buffer, SoundStreamPort* stream,
                   SoundConverterPort* converter, uint32_t sourceBytesPerSecond);
    // Drops the ports (before the platform releases them).
    void release();
    bool configured() const { return buffer_ != nullptr; }

    // Where each pass copies its samples; the handover array is written only here.
    void setSampleTarget(int16_t* samples, int count);
    // The handover array into destination (the frame step's copy, under the lock).
    void copyHandover(int16_t* destination) const;

    // Fills the first half from the stream, plays from offset 0, looping.
    void start();
    // Asks the pass loop to end and stops the buffer; lock-free.
    void requestStop();
    void clearStop() { stop_ = 0; }
    bool stopRequested() const { return stop_ != 0; }
    bool playing() const { return playing_ != 0; }

    // One pass, under the player's lock: the refill. `ended` when the sound has
    // just played to its end (the buffer is stopped, the loop will end, and the
    // caller posts 1069); `sampled` with the mirror offset to take the samples
    // from (the write cursor rounded down to 1/25 second).
    struct Pass {
        bool ended = false;
        bool sampled = false;
        uint32_t sampleOffset = 0;
    };
    Pass pass();

    // Copies the sample count of samples from the mirror at `offset`: the first
    // channel of the frame at every 16 bytes, as 16-bit values, wrapping at the end
    // of the mirror. Returns the count.
    int copySamples(uint32_t offset);

    uint32_t halfBytes() const { return half_; }
    uint32_t sampleBlock() const { return sampleBlock_; }
    const uint8_t* mirror() const { return mirror_.data(); }

private:
    enum class Fill { Audio, Ended };
    Fill fillMirrorHalf(int half, uint32_t* valid);
    void writeHalf(int half);
    void beginDrain(int half, uint32_t valid, uint32_t play, bool behindCursor);
    bool drainFinished(uint32_t play);
    void fillSilence(uint8_t* dst, uint32_t bytes) const;

    SoundFormat format_;
    SoundBufferPort* buffer_ = nullptr;
    SoundStreamPort* stream_ = nullptr;
    SoundConverterPort* converter_ = nullptr;
    uint32_t half_ = 0;
    uint32_t sampleBlock_ = 0;
    std::vector<uint8_t> mirror_;         // both halves, laid out like the buffer
    std::vector<uint8_t> conversion_;     // one second of source audio while converting
    int16_t* target_ = nullptr;
    int targetCount_ = 0;

    std::atomic<int> playing_{0};
    std::atomic<int> stop_{0};
    int refillPending_ = 0;
    uint32_t lastCursor_ = 0;
    bool writePending_[2] = {false, false};   // a half whose copy into the buffer failed

    // After the stream's end: the bytes still to play, counted down by the play cursor.
    bool draining_ = false;
    int64_t drainRemaining_ = 0;
    uint32_t drainLastPlay_ = 0;
    int drainPassesLeft_ = 0;
};

// The pumping thread's loop: until stop, one pass under the player's lock, the
// sample copy under the handover lock, a pause, and message 1068; 1069 right
// after the pass in which the sound ended. The handover has a lock of its own so
// the frame step never waits for a refill (decoding a second can take a while).
// The platform supplies the locks, the pause and the posting (which ignores a
// missing window).
class SoundThreadHost {
public:
    virtual ~SoundThreadHost() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
    virtual void lockHandover() = 0;
    virtual void unlockHandover() = 0;
    virtual void pause(int ms) = 0;
    virtual void post(int message) = 0;
};
int runSoundThread(SoundPump& pump, SoundThreadHost& host);

// Starts playing from the first half and then the pumping thread
// (startThread(context): true when it runs), the start under the host's lock.
// Without a thread nothing refills the buffer, which would loop its two halves
// for ever: then the buffer is stopped again and the result is false.
bool startPumping(SoundPump& pump, SoundThreadHost& host, bool (*startThread)(void*), void* context);

// Where the pumping thread's messages go. The window comes from the UI thread
// (WM_CREATE), after the thread may have started: it is handed over under a
// lock, and an end of the sound reported before it came is posted once it
// comes (the passes before it are not kept).
class SoundMessageTarget {
public:
    using Poster = void (*)(void* window, int message);
    explicit SoundMessageTarget(Poster poster) : poster_(poster) {}
    void setWindow(void* window);
    void post(int message);
    void* window();

private:
    std::mutex mutex_;
    Poster poster_;
    void* window_ = nullptr;
    bool endPending_ = false;
};
