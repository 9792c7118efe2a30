// Plays a 440 Hz tone for two seconds through DirectSound, as the engine's sound
// player does, so tests/wine/sound_null_sink.sh can record it from the session's
// PulseAudio null sink. Exit status: 0 played, 1 no DirectSound device, 2 failed.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstdio>
#include <cstring>

int main() {
    IDirectSound* ds = nullptr;
    HRESULT hr = DirectSoundCreate(nullptr, &ds, nullptr);
    if (FAILED(hr)) {
        std::printf("soundprobe: DirectSoundCreate failed 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    ds->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);

    constexpr int kRate = 44100, kSeconds = 2;
    WAVEFORMATEX fmt{};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = 2;
    fmt.nSamplesPerSec = kRate;
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = 4;
    fmt.nAvgBytesPerSec = kRate * 4;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = kRate * 4 * kSeconds;
    desc.lpwfxFormat = &fmt;
    IDirectSoundBuffer* buf = nullptr;
    if (FAILED(hr = ds->CreateSoundBuffer(&desc, &buf, nullptr))) {
        std::printf("soundprobe: CreateSoundBuffer failed 0x%08lX\n", static_cast<unsigned long>(hr));
        return 2;
    }
    void* p1;
    void* p2;
    DWORD n1, n2;
    if (FAILED(buf->Lock(0, desc.dwBufferBytes, &p1, &n1, &p2, &n2, 0))) return 2;
    auto* s = static_cast<short*>(p1);
    for (DWORD i = 0; i < n1 / 4; ++i) {
        short v = static_cast<short>(12000 * std::sin(2 * 3.14159265358979 * 440 * i / kRate));
        s[2 * i] = s[2 * i + 1] = v;
    }
    buf->Unlock(p1, n1, p2, n2);

    // Wine's PulseAudio stream carries sound only about a second after the
    // device is made; what a buffer plays before that is lost (the play cursor
    // runs on regardless).
    Sleep(1500);
    DWORD start = timeGetTime();
    buf->Play(0, 0, 0);
    DWORD status = DSBSTATUS_PLAYING;
    while ((status & DSBSTATUS_PLAYING) && timeGetTime() - start < 10000) {
        Sleep(20);
        buf->GetStatus(&status);
    }
    std::printf("soundprobe: played %lu ms\n", static_cast<unsigned long>(timeGetTime() - start));
    Sleep(300);   // let the last of it drain before the device goes
    buf->Release();
    ds->Release();
    return 0;
}
