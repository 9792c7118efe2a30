// The sound information of a file whose decoder never comes: files named
// ".vtstall" are given a stream type of their own, and bin/stalldecoder.dll is
// registered as the preferred filter for it; it holds the streaming layer's
// request for the filter, as a hanging codec does. readMediaInfo gives up on
// it (no format, no duration) instead of holding the wizard's thread, and so
// does any read after it.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "engine/SoundPlayer.h"
#include "tests/support/TestSupport.h"

namespace {

const CLSID kStallClsid = {0x6e0d7c43, 0x93a1, 0x4c4b, {0x9b, 0x5e, 0x5a, 0x1f, 0x0c, 0x7d, 0x2e, 0x11}};
const GUID kStallSubtype = {0x6e0d7c44, 0x93a1, 0x4c4b, {0x9b, 0x5e, 0x5a, 0x1f, 0x0c, 0x7d, 0x2e, 0x11}};
const char kClassKey[] = "CLSID\\{6E0D7C43-93A1-4C4B-9B5E-5A1F0C7D2E11}";
const char kExtensionKey[] = "Media Type\\Extensions\\.vtstall";

// The filter mapper's entry: a decoder from the ".vtstall" stream to sound,
// above every other filter's merit.
bool mapFilter(bool add) {
    IFilterMapper2* mapper = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void**>(&mapper))))
        return false;
    HRESULT hr;
    if (add) {
        REGPINTYPES in = {&MEDIATYPE_Stream, &kStallSubtype};
        REGPINTYPES out = {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM};
        REGFILTERPINS2 pins[2] = {};
        pins[0].nMediaTypes = 1;
        pins[0].lpMediaType = &in;
        pins[1].dwFlags = REG_PINFLAG_B_OUTPUT;
        pins[1].nMediaTypes = 1;
        pins[1].lpMediaType = &out;
        REGFILTER2 filter = {};
        filter.dwVersion = 2;
        filter.dwMerit = MERIT_PREFERRED + 0x1000;
        filter.cPins2 = 2;
        filter.rgPins2 = pins;
        hr = mapper->RegisterFilter(kStallClsid, L"Stalling decoder", nullptr, &CLSID_LegacyAmFilterCategory,
                                    nullptr, &filter);
    } else {
        hr = mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, kStallClsid);
    }
    mapper->Release();
    return SUCCEEDED(hr);
}

struct Query {
    std::string path;
    int result = -1;
    int64_t duration = -1;
};

DWORD WINAPI readInfo(void* data) {
    auto* q = static_cast<Query*>(data);
    CoInitialize(nullptr);
    SoundFormat format;
    q->result = readMediaInfo(q->path.c_str(), &format, &q->duration);
    return 0;
}

bool setValue(const std::string& key, const char* name, const std::string& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != 0)
        return false;
    const bool ok = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)) == 0;
    RegCloseKey(k);
    return ok;
}

// The stalling decoder, registered for the test's run only.
class StallingDecoder {
public:
    StallingDecoder() {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string dll = self;
        dll = dll.substr(0, dll.find_last_of('\\') + 1) + "stalldecoder.dll";
        registered_ = GetFileAttributesA(dll.c_str()) != INVALID_FILE_ATTRIBUTES &&
                      setValue(std::string(kClassKey) + "\\InprocServer32", nullptr, dll) &&
                      setValue(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel", "Both") &&
                      setValue(kExtensionKey, "Source Filter", "{E436EBB5-524F-11CE-9F53-0020AF0BA770}") &&
                      setValue(kExtensionKey, "Media Type", "{E436EB83-524F-11CE-9F53-0020AF0BA770}") &&
                      setValue(kExtensionKey, "Subtype", "{6E0D7C44-93A1-4C4B-9B5E-5A1F0C7D2E11}") && mapFilter(true);
    }
    ~StallingDecoder() {
        SetEvent(release_);
        mapFilter(false);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kExtensionKey);
        CloseHandle(release_);
    }
    bool registered() const { return registered_; }

private:
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, "vt-stall-decoder-release");
    bool registered_ = false;
};

// readMediaInfo on a thread of its own; false when it has not returned long
// after its limit (it then still holds the thread).
bool query(Query& q) {
    HANDLE reader = CreateThread(nullptr, 0, readInfo, &q, 0, nullptr);
    if (!reader) return false;
    const bool returned = WaitForSingleObject(reader, 40000) == WAIT_OBJECT_0;
    CloseHandle(reader);
    return returned;
}

}  // namespace

TEST(MediaInfoLimit, ADecoderThatNeverComesIsGivenUp) {
    CoInitialize(nullptr);
    StallingDecoder source;
    ASSERT_TRUE(source.registered());
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    static Query stalled;   // a reader that never returns may still write it
    stalled.path = std::string(temp) + "vt-never.vtstall";
    ASSERT_TRUE(vt_test::writeFileBytes(stalled.path, std::vector<uint8_t>(4096, 0x11)));

    ASSERT_TRUE(query(stalled)) << "readMediaInfo waited for a decoder that never comes";
    EXPECT_EQ(stalled.result, 0);
    EXPECT_EQ(stalled.duration, 0);

    // A later file while the stuck request still waits: the platform may stay
    // wedged behind it, but that read returns too, within its own limit.
    static Query tone;
    tone.path = vt_test::sourceDir() + "/tests/data/sound/tone.mp3";
    ASSERT_TRUE(query(tone)) << "readMediaInfo waited behind the stuck request";
    EXPECT_EQ(tone.duration == 0, tone.result == 0);
}
