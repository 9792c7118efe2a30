// A decoder that never comes: registered by wintest_MediaInfoLimitTest as the
// preferred filter for a stream type of its own, it holds the streaming
// layer's request for the filter object (as a hanging codec does) until the
// test sets the event "vt-stall-decoder-release", or a minute passed.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void** object) {
    *object = nullptr;
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, "vt-stall-decoder-release");
    if (release) {
        WaitForSingleObject(release, 60000);
        CloseHandle(release);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }
