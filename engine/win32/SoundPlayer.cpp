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

}  // namespace

struct SoundPlayer::Impl final : SoundThreadHost {
    HWND window = nullptr;
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
    SoundPump pump;

    void lock() override { EnterCriticalSection(&section); }
    void unlock() override { LeaveCriticalSection(&section); }
    void lockHandover() override { EnterCriticalSection(&handoverSection); }
    void unlockHandover() override { LeaveCriticalSection(&handoverSection); }
    void pause(int ms) override { Sleep(ms); }
    void post(int message) override {
        if (window) PostMessageA(window, message, 0, 0);
    }

    static DWORD WINAPI threadMain(void* self) {
        Impl* impl = static_cast<Impl*>(self);
        return runSoundThread(impl->pump, *impl);
    }

    bool createMediaStream(const wchar_t* path) {
        if (FAILED(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                    reinterpret_cast<void**>(&multiMediaStream))))
            return false;
        if (FAILED(multiMediaStream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr))) return false;
        if (FAILED(multiMediaStream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr))) return false;
        return SUCCEEDED(multiMediaStream->OpenFile(path, AMMSF_RUN));
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
        releaseAndClear(stream.data);
        releaseAndClear(stream.sample);
        releaseAndClear(mediaStream);
        releaseAndClear(audioMediaStream);
        releaseAndClear(multiMediaStream);
        stream.stream = nullptr;
        open = 0;
        return 0;
    }
};

SoundPlayer::SoundPlayer() : impl_(new Impl) {
    InitializeCriticalSection(&impl_->section);
    InitializeCriticalSection(&impl_->handoverSection);
}

SoundPlayer::~SoundPlayer() {
    stopSound();
    DeleteCriticalSection(&impl_->handoverSection);
    DeleteCriticalSection(&impl_->section);
    delete impl_;
}

void SoundPlayer::setSoundWindow(void* window) { impl_->window = static_cast<HWND>(window); }

void SoundPlayer::setSampleTarget(int16_t* samples, int count) {
    EnterCriticalSection(&impl_->handoverSection);
    impl_->pump.setSampleTarget(samples, count);
    LeaveCriticalSection(&impl_->handoverSection);
}

int SoundPlayer::openSound(const char* path) {
    Impl& m = *impl_;
    stopSound();
    closeSoundStream();
    m.open = 0;

    wchar_t wide[1001] = {};
    MultiByteToWideChar(CP_ACP, 0, path ? path : "", -1, wide, 1000);
    if (!m.createMediaStream(wide)) return 0;

    if (FAILED(m.multiMediaStream->GetMediaStream(MSPID_PrimaryAudio, &m.mediaStream))) return 0;
    if (FAILED(m.mediaStream->QueryInterface(IID_IAudioMediaStream, reinterpret_cast<void**>(&m.audioMediaStream))))
        return 0;
    WAVEFORMATEX decoded = {};
    if (FAILED(m.audioMediaStream->GetFormat(&decoded))) return 0;
    m.multiMediaStream->GetDuration(&m.duration);

    if (FAILED(CoCreateInstance(CLSID_AMAudioData, nullptr, CLSCTX_INPROC_SERVER, IID_IAudioData,
                                reinterpret_cast<void**>(&m.stream.data))))
        return 0;
    m.stream.data->SetFormat(&decoded);
    if (FAILED(m.audioMediaStream->CreateSample(m.stream.data, 0, &m.stream.sample))) return 0;
    if (FAILED(m.multiMediaStream->GetDuration(&m.duration))) return 0;
    m.stream.stream = m.multiMediaStream;
    m.stream.base = 0;
    m.stream.bytesRead = 0;
    m.stream.bytesPerSecond = decoded.nAvgBytesPerSec;

    m.converting = 0;
    m.playback = fromWaveFormat(decoded);
    if (!playsUnconverted(m.playback)) {
        m.source = m.playback;
        WAVEFORMATEX target = toWaveFormat(cdQualityFormat());
        if (acmStreamOpen(&m.converter.handle, nullptr, &decoded, &target, nullptr, 0, 0,
                          ACM_STREAMOPENF_NONREALTIME) != 0) {
            m.converter.handle = nullptr;
            return 0;
        }
        m.converting = 1;
        m.playback = cdQualityFormat();
    }
    if (m.createSoundBuffer() != 0) return 0;

    EnterCriticalSection(&m.section);
    m.pump.configure(m.playback, &m.buffer, &m.stream, &m.converter, m.converting ? m.source.bytesPerSecond : 0);
    LeaveCriticalSection(&m.section);
    m.open = 1;
    return 1;
}

int SoundPlayer::startSoundThread() {
    Impl& m = *impl_;
    if (!m.buffer.buffer || !m.pump.configured()) return 0;
    if (m.thread) stopSoundThread();   // never two pumping threads
    startSoundBuffer();
    m.pump.clearStop();
    m.thread = CreateThread(nullptr, 0, &Impl::threadMain, &m, 0, &m.threadId);
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
        WaitForSingleObject(m.thread, INFINITE);
        CloseHandle(m.thread);
        m.thread = nullptr;
    }
    return 1;
}

int SoundPlayer::rewindSound() { return impl_->stream.rewind() ? 1 : 0; }

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
    wchar_t wide[MAX_PATH + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, path ? path : "", -1, wide, MAX_PATH);
    IAMMultiMediaStream* stream = nullptr;
    IMediaStream* media = nullptr;
    IAudioMediaStream* audio = nullptr;
    int result = 0;
    WAVEFORMATEX wave = {};
    STREAM_TIME length = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                                   reinterpret_cast<void**>(&stream))) &&
        SUCCEEDED(stream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr)) &&
        SUCCEEDED(stream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr)) &&
        SUCCEEDED(stream->OpenFile(wide, 0)) && SUCCEEDED(stream->GetMediaStream(MSPID_PrimaryAudio, &media)) &&
        SUCCEEDED(media->QueryInterface(IID_IAudioMediaStream, reinterpret_cast<void**>(&audio))) &&
        SUCCEEDED(audio->GetFormat(&wave)) && SUCCEEDED(stream->GetDuration(&length))) {
        if (format) *format = fromWaveFormat(wave);
        if (duration) *duration = length;
        result = 1;
    }
    releaseAndClear(audio);
    releaseAndClear(media);
    releaseAndClear(stream);
    return result;
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
