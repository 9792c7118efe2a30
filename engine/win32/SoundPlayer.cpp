// The player on the platform: DirectSound for output, DirectShow multimedia
// streaming to decode the file, the Audio Compression Manager to convert rates
// DirectSound does not play as they are. The refill logic is SoundPump's.
#include "engine/SoundPlayer.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <dsound.h>
#include <mmstream.h>
#include <amstream.h>
#include <austream.h>

#include <cstring>

#include "engine/SoundControl.h"
#include "engine/SoundConvert.h"

namespace {

IDirectSound* g_device = nullptr;

template <class T>
void releaseAndClear(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

WAVEFORMATEX toWaveFormat(const SoundFormat& f) {
    WAVEFORMATEX w = {};
    w.wFormatTag = f.formatTag;
    w.nChannels = f.channels;
    w.nSamplesPerSec = f.rate;
    w.nAvgBytesPerSec = f.bytesPerSecond;
    w.nBlockAlign = f.blockAlign;
    w.wBitsPerSample = f.bitsPerSample;
    return w;
}

SoundFormat fromWaveFormat(const WAVEFORMATEX& w) {
    SoundFormat f;
    f.formatTag = w.wFormatTag;
    f.channels = w.nChannels;
    f.rate = w.nSamplesPerSec;
    f.bytesPerSecond = w.nAvgBytesPerSec;
    f.blockAlign = w.nBlockAlign;
    f.bitsPerSample = w.wBitsPerSample;
    return f;
}

class DirectSoundBufferPort final : public SoundBufferPort {
public:
    IDirectSoundBuffer* buffer = nullptr;

    bool position(uint32_t* play, uint32_t* write) override {
        DWORD p = 0, w = 0;
        if (!buffer || FAILED(buffer->GetCurrentPosition(&p, &w))) return false;
        *play = p;
        *write = w;
        return true;
    }
    Write write(uint32_t offset, const uint8_t* data, uint32_t bytes) override {
        if (!buffer) return Write::Failed;
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        bool restored = false;
        HRESULT hr = buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0);
        if (hr == DSERR_BUFFERLOST && SUCCEEDED(buffer->Restore())) {
            restored = true;
            hr = buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0);
        }
        if (FAILED(hr) || !p1) return Write::Failed;
        if (n1 > bytes) n1 = bytes;
        std::memcpy(p1, data, n1);
        if (p2 && n2) std::memcpy(p2, data + n1, n1 + n2 <= bytes ? n2 : bytes - n1);
        buffer->Unlock(p1, n1, p2, n2);
        return restored ? Write::DoneAfterRestore : Write::Done;
    }
    void play() override {
        if (buffer) buffer->Play(0, 0, DSBPLAY_LOOPING);
    }
    void stop() override {
        if (buffer) buffer->Stop();
    }
    void setPosition(uint32_t offset) override {
        if (buffer) buffer->SetCurrentPosition(offset);
    }
};

class StreamSamplePort final : public SoundStreamPort {
public:
    IAMMultiMediaStream* stream = nullptr;
    IAudioData* data = nullptr;
    IAudioStreamSample* sample = nullptr;
    // Where reading stands: the stream's clock runs on while nothing is read
    // (and restarts at a seek), so the position is counted from the data.
    int64_t base = 0;               // 100 ns units at the last seek
    uint64_t bytesRead = 0;         // decoded bytes since then
    uint32_t bytesPerSecond = 0;    // of the decoded format

    int64_t position() const {
        if (!bytesPerSecond) return base;
        return base + static_cast<int64_t>(bytesRead / bytesPerSecond) * 10000000 +
               static_cast<int64_t>(bytesRead % bytesPerSecond) * 10000000 / bytesPerSecond;
    }
    bool seek(int64_t to) {
        if (!stream || FAILED(stream->Seek(to))) return false;
        base = to;
        bytesRead = 0;
        return true;
    }

    // One update fills the whole buffer unless the stream ends; a short update
    // without the end is asked again for the rest.
    Read read(uint8_t* dst, uint32_t bytes, uint32_t* got) override {
        *got = 0;
        if (!data || !sample) return Read::Failed;
        while (*got < bytes) {
            if (FAILED(data->SetBuffer(bytes - *got, dst + *got, 0))) return Read::Failed;
            const HRESULT hr = sample->Update(0, nullptr, nullptr, 0);
            DWORD actual = 0;
            if (SUCCEEDED(hr)) data->GetInfo(nullptr, nullptr, &actual);
            if (actual > bytes - *got) actual = bytes - *got;
            *got += actual;
            bytesRead += actual;
            if (hr == MS_S_ENDOFSTREAM) return Read::End;
            if (FAILED(hr) || actual == 0) return Read::Failed;
        }
        return Read::Data;
    }
    bool rewind() override {
        if (!stream) return false;
        seek(0);
        return true;
    }
};

class AcmConverterPort final : public SoundConverterPort {
public:
    HACMSTREAM handle = nullptr;
    ACMSTREAMHEADER header = {};

    uint32_t convert(const uint8_t* src, uint32_t srcBytes, uint8_t* dst, uint32_t dstCapacity) override {
        if (!handle) return 0;
        std::memset(&header, 0, sizeof header);
        header.cbStruct = sizeof header;
        header.pbSrc = const_cast<LPBYTE>(src);
        header.cbSrcLength = srcBytes;
        header.pbDst = dst;
        header.cbDstLength = dstCapacity;
        if (acmStreamPrepareHeader(handle, &header, 0) != 0) return 0;
        const MMRESULT r = acmStreamConvert(handle, &header, ACM_STREAMCONVERTF_BLOCKALIGN);
        // Synchronous: done on return, or failed. Never wait for it.
        const bool done = r == 0 && (header.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
        const uint32_t used = done ? header.cbDstLengthUsed : 0;
        acmStreamUnprepareHeader(handle, &header, 0);
        return used <= dstCapacity ? used : 0;
    }
};

// The wave-format tag a media sub-type or extensible sub-format GUID stands for
// ({tag-0000-0010-8000-00AA00389B71}); -1 for any other GUID.
long waveTagOfGuid(const GUID& g) {
    static const unsigned char tail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (g.Data2 != 0 || g.Data3 != 0x10 || std::memcmp(g.Data4, tail, 8) != 0) return -1;
    return static_cast<long>(g.Data1);
}

// Whether the samples of an extensible format are integers or floats: its
// WAVEFORMATEX does not say; the connection's sub-format does.
SampleCoding extensibleCoding(IMediaStream* stream, const WAVEFORMATEX& decoded) {
    SampleCoding coding = decoded.wBitsPerSample == 64 ? SampleCoding::Float : SampleCoding::Integer;
    IPin* pin = nullptr;
    if (FAILED(stream->QueryInterface(IID_IPin, reinterpret_cast<void**>(&pin))) || !pin) return coding;
    AM_MEDIA_TYPE type = {};
    if (SUCCEEDED(pin->ConnectionMediaType(&type))) {
        long tag = waveTagOfGuid(type.subtype);
        if (type.pbFormat && type.cbFormat >= sizeof(WAVEFORMATEXTENSIBLE) &&
            reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat)->wFormatTag == WAVE_FORMAT_EXTENSIBLE)
            tag = waveTagOfGuid(reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(type.pbFormat)->SubFormat);
        if (tag == WAVE_FORMAT_IEEE_FLOAT) coding = SampleCoding::Float;
        if (tag == WAVE_FORMAT_PCM) coding = SampleCoding::Integer;
        CoTaskMemFree(type.pbFormat);
        if (type.pUnk) type.pUnk->Release();
    }
    pin->Release();
    return coding;
}

// How long the UI thread waits for the streaming layer: to open a file, and
// for the pumping thread to finish its pass. Both can hang inside the platform
// on a damaged file (the open or a sample update never returns); the saver must
// still start, and end at once when the user moves.
constexpr DWORD kOpenWaitMs = 3000;
constexpr DWORD kThreadStopWaitMs = 500;

// Work with the streaming layer on a thread of its own, within kOpenWaitMs.
// Shared by that thread and the caller; whoever lets go last deletes it, so a
// caller that gave up waiting never touches what the thread holds, and a late
// thread cleans up after itself.
struct StreamJob {
    volatile LONG refs = 2;
    bool ok = false;

    virtual ~StreamJob() = default;
    virtual bool run() = 0;
    void letGo() {
        if (InterlockedDecrement(&refs) == 0) delete this;
    }
    static DWORD WINAPI threadMain(void* self) {
        StreamJob* job = static_cast<StreamJob*>(self);
        // Its own apartment: the objects are free-threaded and outlive this
        // thread, so it is never left (leaving could unload what they run on).
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        job->ok = job->run();
        job->letGo();
        return 0;
    }
    // True when the job ran to its end in time; the caller then reads it and
    // lets go. A stuck job keeps everything it holds.
    bool runWithinLimit() {
        HANDLE thread = CreateThread(nullptr, 0, &StreamJob::threadMain, this, 0, nullptr);
        if (!thread) {
            refs = 1;
            return false;
        }
        const bool finished = WaitForSingleObject(thread, kOpenWaitMs) == WAIT_OBJECT_0;
        CloseHandle(thread);
        return finished;
    }
};

// One file opened for play.
struct OpenJob final : StreamJob {
    wchar_t path[1001] = {};
    IAMMultiMediaStream* multiMediaStream = nullptr;
    IMediaStream* mediaStream = nullptr;
    IAudioMediaStream* audioMediaStream = nullptr;
    IAudioData* data = nullptr;
    IAudioStreamSample* sample = nullptr;
    WAVEFORMATEX decoded = {};
    STREAM_TIME duration = 0;
    SampleCoding extensible = SampleCoding::Integer;

    ~OpenJob() override {
        releaseAndClear(data);
        releaseAndClear(sample);
        releaseAndClear(mediaStream);
        releaseAndClear(audioMediaStream);
        releaseAndClear(multiMediaStream);
    }

    bool run() override {
        if (FAILED(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAMMultiMediaStream, reinterpret_cast<void**>(&multiMediaStream))))
            return false;
        // The graph gets a thread of its own: this one ends once the file is open.
        if (FAILED(multiMediaStream->Initialize(STREAMTYPE_READ, 0, nullptr))) return false;
        if (FAILED(multiMediaStream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr))) return false;
        if (FAILED(multiMediaStream->OpenFile(path, AMMSF_RUN))) return false;
        if (FAILED(multiMediaStream->GetMediaStream(MSPID_PrimaryAudio, &mediaStream))) return false;
        if (FAILED(mediaStream->QueryInterface(IID_IAudioMediaStream, reinterpret_cast<void**>(&audioMediaStream))))
            return false;
        if (FAILED(audioMediaStream->GetFormat(&decoded))) return false;
        if (decoded.wFormatTag == WAVE_FORMAT_EXTENSIBLE) extensible = extensibleCoding(mediaStream, decoded);
        if (FAILED(CoCreateInstance(CLSID_AMAudioData, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioData,
                                    reinterpret_cast<void**>(&data))))
            return false;
        data->SetFormat(&decoded);
        if (FAILED(audioMediaStream->CreateSample(data, 0, &sample))) return false;
        return SUCCEEDED(multiMediaStream->GetDuration(&duration));
    }
};

// A file's format and duration through a stream of its own, released on the
// job's thread (a release can hang as an open can).
struct MediaInfoJob final : StreamJob {
    wchar_t path[MAX_PATH + 1] = {};
    WAVEFORMATEX wave = {};
    STREAM_TIME length = 0;

    bool run() override {
        IAMMultiMediaStream* stream = nullptr;
        IMediaStream* media = nullptr;
        IAudioMediaStream* audio = nullptr;
        const bool read =
            SUCCEEDED(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IAMMultiMediaStream, reinterpret_cast<void**>(&stream))) &&
            SUCCEEDED(stream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr)) &&
            SUCCEEDED(stream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr)) &&
            SUCCEEDED(stream->OpenFile(path, 0)) && SUCCEEDED(stream->GetMediaStream(MSPID_PrimaryAudio, &media)) &&
            SUCCEEDED(media->QueryInterface(IID_IAudioMediaStream, reinterpret_cast<void**>(&audio))) &&
            SUCCEEDED(audio->GetFormat(&wave)) && SUCCEEDED(stream->GetDuration(&length));
        releaseAndClear(audio);
        releaseAndClear(media);
        releaseAndClear(stream);
        return read;
    }
};

// Runs call(context) on a thread of its own, waiting up to ms for it; false
// when it did not finish in time (it goes on alone: whatever it touches must
// then be left to it).
bool runWithin(DWORD ms, LPTHREAD_START_ROUTINE call, void* context) {
    HANDLE thread = CreateThread(nullptr, 0, call, context, 0, nullptr);
    if (!thread) {
        call(context);
        return true;
    }
    const bool done = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return done;
}

// The stream objects of a closed sound, released on a thread of their own:
// releasing stops the platform's graph, which waits for its streaming thread,
// and that can be stuck on a damaged file. The objects are this record's alone.
struct StreamRelease {
    IAudioData* data;
    IAudioStreamSample* sample;
    IMediaStream* mediaStream;
    IAudioMediaStream* audioMediaStream;
    IAMMultiMediaStream* multiMediaStream;

    static DWORD WINAPI threadMain(void* self) {
        StreamRelease* r = static_cast<StreamRelease*>(self);
        releaseAndClear(r->data);
        releaseAndClear(r->sample);
        releaseAndClear(r->mediaStream);
        releaseAndClear(r->audioMediaStream);
        releaseAndClear(r->multiMediaStream);
        delete r;
        return 0;
    }
};

DWORD WINAPI rewindStream(void* port) {
    static_cast<StreamSamplePort*>(port)->rewind();
    return 0;
}

// Players whose pumping thread got stuck: kept for ever (the thread may still
// touch them), and the sound device with them.
bool g_playerAbandoned = false;

}  // namespace

struct SoundPlayer::Impl final : SoundThreadHost {
    SoundMessageTarget messages{[](void* window, int message) {
        PostMessageA(static_cast<HWND>(window), static_cast<UINT>(message), 0, 0);
    }};
    SoundFormat playback;
    SoundFormat source;
    int converting = 0;
    int open = 0;
    int state = kSoundNothingOpened;
    INT64 duration = 0;
    CRITICAL_SECTION section;
    CRITICAL_SECTION handoverSection;
    HANDLE thread = nullptr;
    DWORD threadId = 0;

    IAMMultiMediaStream* multiMediaStream = nullptr;
    IMediaStream* mediaStream = nullptr;
    IAudioMediaStream* audioMediaStream = nullptr;
    DirectSoundBufferPort buffer;
    StreamSamplePort stream;
    AcmConverterPort converter;
    PcmConverter pcm;
    bool acm = false;   // which converter: the system's or the player's own
    SoundPump pump;
    int16_t* sampleTarget = nullptr;
    int sampleCount = 0;

    Impl() {
        InitializeCriticalSection(&section);
        InitializeCriticalSection(&handoverSection);
    }

    void lock() override { EnterCriticalSection(&section); }
    void unlock() override { LeaveCriticalSection(&section); }
    void lockHandover() override { EnterCriticalSection(&handoverSection); }
    void unlockHandover() override { LeaveCriticalSection(&handoverSection); }
    void pause(int ms) override { Sleep(ms); }
    void post(int message) override { messages.post(message); }

    static DWORD WINAPI threadMain(void* self) {
        Impl* impl = static_cast<Impl*>(self);
        return runSoundThread(impl->pump, *impl);
    }
    static bool startThread(void* self) {
        Impl* impl = static_cast<Impl*>(self);
        impl->thread = CreateThread(nullptr, 0, &Impl::threadMain, impl, 0, &impl->threadId);
        return impl->thread != nullptr;
    }

    int createSoundBuffer() {
        releaseAndClear(buffer.buffer);
        if (!g_device) return static_cast<int>(DSERR_UNINITIALIZED);
        WAVEFORMATEX format = toWaveFormat(playback);
        DSBUFFERDESC desc = {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLPAN | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
        desc.dwBufferBytes = 2 * playback.bytesPerSecond;
        desc.lpwfxFormat = &format;
        return static_cast<int>(g_device->CreateSoundBuffer(&desc, &buffer.buffer, nullptr));
    }

    int releaseStreamObjects() {
        if (stream.data || stream.sample || mediaStream || audioMediaStream || multiMediaStream) {
            auto* r = new StreamRelease{stream.data, stream.sample, mediaStream, audioMediaStream, multiMediaStream};
            runWithin(kThreadStopWaitMs, &StreamRelease::threadMain, r);
        }
        stream.data = nullptr;
        stream.sample = nullptr;
        mediaStream = nullptr;
        audioMediaStream = nullptr;
        multiMediaStream = nullptr;
        stream.stream = nullptr;
        open = 0;
        return 0;
    }
};

SoundPlayer::SoundPlayer() : impl_(new Impl) {}

SoundPlayer::~SoundPlayer() {
    stopSound();
    DeleteCriticalSection(&impl_->handoverSection);
    DeleteCriticalSection(&impl_->section);
    delete impl_;
}

void SoundPlayer::setSoundWindow(void* window) { impl_->messages.setWindow(window); }

void SoundPlayer::setSampleTarget(int16_t* samples, int count) {
    impl_->sampleTarget = samples;
    impl_->sampleCount = count;
    EnterCriticalSection(&impl_->handoverSection);
    impl_->pump.setSampleTarget(samples, count);
    LeaveCriticalSection(&impl_->handoverSection);
}

int SoundPlayer::openSound(const char* path) {
    stopSound();
    closeSoundStream();
    Impl& m = *impl_;
    m.open = 0;

    OpenJob* job = new OpenJob;
    MultiByteToWideChar(CP_ACP, 0, path ? path : "", -1, job->path, 1000);
    if (!job->runWithinLimit() || !job->ok) {
        job->letGo();   // a stuck opener keeps its objects; the show goes on silent
        return 0;
    }
    m.multiMediaStream = job->multiMediaStream;
    m.mediaStream = job->mediaStream;
    m.audioMediaStream = job->audioMediaStream;
    m.stream.data = job->data;
    m.stream.sample = job->sample;
    m.duration = job->duration;
    const WAVEFORMATEX decoded = job->decoded;
    const SampleCoding extensible = job->extensible;
    job->multiMediaStream = nullptr;
    job->mediaStream = nullptr;
    job->audioMediaStream = nullptr;
    job->data = nullptr;
    job->sample = nullptr;
    job->letGo();

    m.stream.stream = m.multiMediaStream;
    m.stream.base = 0;
    m.stream.bytesRead = 0;
    m.stream.bytesPerSecond = decoded.nAvgBytesPerSec;

    m.converting = 0;
    m.acm = false;
    m.playback = fromWaveFormat(decoded);
    uint32_t sourceBytesPerSecond = 0;
    if (!playsUnconverted(m.playback)) {
        m.source = m.playback;
        // The system's converter for the 8- and 16-bit PCM it was made for; every
        // other layout (24- and 32-bit, float, extensible) through the player's
        // own: the system refuses some of them and turns others into silence.
        if (decoded.wFormatTag == WAVE_FORMAT_PCM && (decoded.wBitsPerSample == 8 || decoded.wBitsPerSample == 16)) {
            WAVEFORMATEX target = toWaveFormat(cdQualityFormat());
            WAVEFORMATEX from = decoded;
            from.cbSize = 0;
            m.acm = acmStreamOpen(&m.converter.handle, nullptr, &from, &target, nullptr, 0, 0,
                                  ACM_STREAMOPENF_NONREALTIME) == 0;
            if (!m.acm) m.converter.handle = nullptr;
        }
        if (!m.acm && !m.pcm.open(m.source, codingOfTag(decoded.wFormatTag, extensible))) return 0;
        m.converting = 1;
        m.playback = cdQualityFormat();
        // One second of whole source frames.
        sourceBytesPerSecond = m.acm ? m.source.bytesPerSecond : m.source.rate * m.source.blockAlign;
    }
    if (m.createSoundBuffer() != 0) return 0;

    EnterCriticalSection(&m.section);
    m.pump.configure(m.playback, &m.buffer, &m.stream, m.acm ? static_cast<SoundConverterPort*>(&m.converter) : &m.pcm,
                     sourceBytesPerSecond);
    LeaveCriticalSection(&m.section);
    m.open = 1;
    return 1;
}

int SoundPlayer::startSoundThread() {
    Impl& m = *impl_;
    if (!m.buffer.buffer || !m.pump.configured()) return 0;
    if (m.thread) {
        stopSoundThread();   // never two pumping threads
        if (impl_ != &m) return 0;   // that one was stuck: nothing is open any more
    }
    if (!startPumping(m.pump, m, &Impl::startThread, &m)) {
        m.state = kSoundStopped;
        return 0;
    }
    m.state = kSoundPlaying;
    return 1;
}

int SoundPlayer::startSoundBuffer() {
    EnterCriticalSection(&impl_->section);
    impl_->pump.start();
    LeaveCriticalSection(&impl_->section);
    return 1;
}

int SoundPlayer::stopSoundThread() {
    Impl& m = *impl_;
    m.pump.requestStop();
    if (m.thread) {
        // A pass ends within a refill; one that does not is stuck in the platform.
        if (WaitForSingleObject(m.thread, kThreadStopWaitMs) == WAIT_TIMEOUT) {
            abandonStuckThread();
            return 1;
        }
        CloseHandle(m.thread);
        m.thread = nullptr;
    }
    return 1;
}

// The pumping thread (or a seek) is stuck inside the streaming layer, perhaps
// holding the player's lock. It is left where it is with everything it may
// still touch (the player's state and locks, the stream objects, the buffer,
// and the sound device, which owns the buffer); a fresh state takes over, not
// open, so the caller's close and the program's exit never wait for it.
void SoundPlayer::abandonStuckThread() {
    Impl* stuck = impl_;
    stuck->lockHandover();   // never held across a platform call
    stuck->pump.setSampleTarget(nullptr, 0);
    stuck->unlockHandover();
    void* window = stuck->messages.window();
    stuck->messages.setWindow(nullptr);   // its late messages go nowhere
    if (stuck->thread) CloseHandle(stuck->thread);
    stuck->thread = nullptr;
    g_playerAbandoned = true;

    Impl* fresh = new Impl;
    fresh->messages.setWindow(window);
    fresh->sampleTarget = stuck->sampleTarget;
    fresh->sampleCount = stuck->sampleCount;
    fresh->pump.setSampleTarget(fresh->sampleTarget, fresh->sampleCount);
    fresh->state = stuck->state == kSoundNothingOpened ? kSoundNothingOpened : kSoundStopped;
    impl_ = fresh;
}

int SoundPlayer::rewindSound() {
    Impl& m = *impl_;
    if (!m.stream.stream) return 0;
    // A seek stops the platform's graph too: bounded like the release. One that
    // does not return leaves the stream to it, and the player starts afresh.
    if (!runWithin(kThreadStopWaitMs, &rewindStream, &m.stream)) abandonStuckThread();
    return 1;
}

int SoundPlayer::stopSound() {
    stopSoundThread();
    rewindSound();
    if (impl_->state == kSoundPlaying || impl_->state == kSoundPaused) impl_->state = kSoundStopped;
    return 1;
}

int SoundPlayer::openSoundFile(const char* path) { return openSound(path); }

int SoundPlayer::playSound() {
    Impl& m = *impl_;
    if (!m.buffer.buffer) return 0;
    if (m.state == kSoundPlaying && m.thread) return 1;
    return startSoundThread();
}

int SoundPlayer::pauseSound() {
    if (impl_->state != kSoundPlaying) return 1;
    stopSoundThread();   // the stream keeps its position
    impl_->state = kSoundPaused;
    return 1;
}

int SoundPlayer::soundPlayState() const { return impl_->state; }

int64_t SoundPlayer::getSoundDuration() const { return impl_->duration; }

int64_t SoundPlayer::getSoundPosition() const {
    Impl& m = *impl_;
    if (!m.multiMediaStream) return 0;
    EnterCriticalSection(&m.section);
    const int64_t now = m.stream.position();
    LeaveCriticalSection(&m.section);
    return now;
}

int64_t SoundPlayer::seekSound(int command) {
    Impl& m = *impl_;
    if (!m.multiMediaStream) return -1;
    const int64_t now = getSoundPosition();
    int64_t target = 0;
    if (soundSeekTarget(command, now, m.duration, &target)) {
        // Under the feeder's lock: a pass never reads across the jump.
        EnterCriticalSection(&m.section);
        m.stream.seek(target < 0 ? 0 : target);
        LeaveCriticalSection(&m.section);
    }
    return getSoundPosition();
}

int32_t SoundPlayer::setSoundPan(int32_t pan) {
    Impl& m = *impl_;
    if (!m.buffer.buffer) return -1;
    return static_cast<int32_t>(m.buffer.buffer->SetPan(pan));
}

int readMediaInfo(const char* path, SoundFormat* format, int64_t* duration) {
    if (duration) *duration = 0;
    MediaInfoJob* job = new MediaInfoJob;
    MultiByteToWideChar(CP_ACP, 0, path ? path : "", -1, job->path, MAX_PATH);
    const bool read = job->runWithinLimit() && job->ok;   // a stuck job is left to itself
    if (read) {
        if (format) *format = fromWaveFormat(job->wave);
        if (duration) *duration = job->length;
    }
    job->letGo();
    return read ? 1 : 0;
}

int SoundPlayer::closeSoundStream() {
    Impl& m = *impl_;
    EnterCriticalSection(&m.section);
    m.pump.release();
    releaseAndClear(m.buffer.buffer);
    if (m.converter.handle) acmStreamClose(m.converter.handle, 0);
    m.converter.handle = nullptr;
    m.converting = 0;
    LeaveCriticalSection(&m.section);
    m.releaseStreamObjects();
    return 1;
}

int SoundPlayer::closeSound() { return closeSoundStream(); }

void SoundPlayer::copyHandoverSamples(int16_t* destination) {
    EnterCriticalSection(&impl_->handoverSection);
    impl_->pump.copyHandover(destination);
    LeaveCriticalSection(&impl_->handoverSection);
}

bool SoundPlayer::isOpen() const { return impl_->open != 0; }
bool SoundPlayer::isConverting() const { return impl_->converting != 0; }
bool SoundPlayer::threadRunning() const {
    return impl_->thread && WaitForSingleObject(impl_->thread, 0) == WAIT_TIMEOUT;
}
SoundFormat SoundPlayer::playbackFormat() const { return impl_->playback; }

SoundPlayer& soundPlayer() {
    static SoundPlayer player;
    return player;
}

int32_t createSoundDevice(void* window) {
    HRESULT hr = DirectSoundCreate(nullptr, &g_device, nullptr);
    if (FAILED(hr)) {
        g_device = nullptr;
        return hr;
    }
    hr = g_device->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_PRIORITY);
    if (FAILED(hr)) return hr;
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    hr = g_device->CreateSoundBuffer(&desc, &primary, nullptr);
    if (FAILED(hr)) return hr;
    WAVEFORMATEX format = toWaveFormat(cdQualityFormat());
    hr = primary->SetFormat(&format);
    primary->Release();
    return FAILED(hr) ? hr : 0;
}

int32_t releaseSoundDevice() {
    if (g_playerAbandoned) {
        g_device = nullptr;   // a stuck thread's buffer still belongs to it
        return 0;
    }
    releaseAndClear(g_device);
    return 0;
}

SoundFolders platformSoundFolders() {
    SoundFolders folders;
    char path[MAX_PATH + 1] = {};
    if (GetSystemDirectoryA(path, MAX_PATH)) folders.system = path;
    DWORD n = GetTempPathA(MAX_PATH, path);
    if (n && n < MAX_PATH) {
        folders.temp = path;
        while (!folders.temp.empty() && (folders.temp.back() == '\\' || folders.temp.back() == '/'))
            folders.temp.pop_back();
    }
    return folders;
}
