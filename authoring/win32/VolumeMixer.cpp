#include "authoring/win32/VolumeMixer.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "engine/SoundPlayer.h"

namespace {

struct MixerState {
    HMIXER handle = nullptr;
    UINT devices = 0;
    MIXERCAPSA caps = {};
    DWORD controlId = 0;
    DWORD minimum = 0, maximum = 0;   // kept, not used for scaling
};
MixerState g_mixer;

int controlDetails(DWORD* value, bool set) {
    if (!g_mixer.handle) return 0;
    MIXERCONTROLDETAILS_UNSIGNED detail = {set ? *value : 0};
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = g_mixer.controlId;
    details.cChannels = 1;
    details.cbDetails = sizeof detail;
    details.paDetails = &detail;
    const HMIXEROBJ mixer = reinterpret_cast<HMIXEROBJ>(g_mixer.handle);
    const MMRESULT r = set ? mixerSetControlDetails(mixer, &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE)
                           : mixerGetControlDetailsA(mixer, &details,
                                                     MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    if (r != MMSYSERR_NOERROR) return 0;
    if (!set) *value = detail.dwValue;
    return 1;
}

void setBar(HWND page, int id, LPARAM position) { SendDlgItemMessageA(page, id, TBM_SETPOS, TRUE, position); }

}  // namespace

int initMixer(HWND page) {
    g_mixer.devices = mixerGetNumDevs();
    g_mixer.caps = MIXERCAPSA{};
    if (g_mixer.devices > 0) {
        if (mixerOpen(&g_mixer.handle, 0, reinterpret_cast<DWORD_PTR>(page), 0, CALLBACK_WINDOW) !=
            MMSYSERR_NOERROR) {
            g_mixer.handle = nullptr;
            return 0;
        }
        if (mixerGetDevCapsA(0, &g_mixer.caps, sizeof g_mixer.caps) != MMSYSERR_NOERROR) return 0;
    }
    if (g_mixer.caps.szPname[0]) {
        char text[64 + MAXPNAMELEN];
        wsprintfA(text, "Sound card OK->%s", g_mixer.caps.szPname);
        SetDlgItemTextA(page, kIdSoundCardStatus, text);
    } else {
        SetDlgItemTextW(page, kIdSoundCardStatus, L"사운드 카드가 설치 되지 않았습니다.");
    }
    return 1;
}

int selectWaveOutVolume(DWORD componentType) {
    if (!g_mixer.handle) return 0;
    const HMIXEROBJ mixer = reinterpret_cast<HMIXEROBJ>(g_mixer.handle);
    MIXERLINEA line = {};
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    if (mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
        return 0;
    MIXERCONTROLA control = {};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA controls = {};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    if (mixerGetLineControlsA(mixer, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR)
        return 0;
    g_mixer.controlId = control.dwControlID;
    g_mixer.minimum = control.Bounds.dwMinimum;
    g_mixer.maximum = control.Bounds.dwMaximum;
    return 1;
}

int getMixerVolume(DWORD* value) { return controlDetails(value, false); }

int setMixerVolume(DWORD value) { return controlDetails(&value, true); }

void initVolumeControls(HWND page) {
    SendDlgItemMessageA(page, kIdVolumeBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessageA(page, kIdBalanceBar, TBM_SETRANGEMIN, FALSE, -10000);
    SendDlgItemMessageA(page, kIdBalanceBar, TBM_SETRANGEMAX, TRUE, 10000);
    DWORD volume = 0;
    if (selectWaveOutVolume(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT) && getMixerVolume(&volume))
        setBar(page, kIdVolumeBar, volumeToTrackbar(volume));
    // The bar places its thumb only when the position changes: the centre is
    // also the position it had under its first range, so the thumb would stay
    // drawn where that range put it (at the left) and leave a ghost when moved.
    SendDlgItemMessageA(page, kIdBalanceBar, TBM_SETPOS, FALSE, 1);
    setBar(page, kIdBalanceBar, 0);
}

void onMixerScroll(HWND page, HWND trackbar) {
    const LRESULT position = SendMessageA(trackbar, TBM_GETPOS, 0, 0);
    if (trackbar == GetDlgItem(page, kIdVolumeBar)) {
        if (selectWaveOutVolume(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT))
            setMixerVolume(trackbarToVolume(static_cast<int32_t>(position)));
    } else if (trackbar == GetDlgItem(page, kIdBalanceBar)) {
        soundPlayer().setSoundPan(static_cast<int32_t>(position));
    }
}

bool onMixerCommand(HWND page, int command) {
    auto volume = [&](DWORD value, int bar) {
        if (!g_mixer.handle) return;
        if (selectWaveOutVolume(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT)) setMixerVolume(value);
        setBar(page, kIdVolumeBar, bar);
    };
    auto balance = [&](int32_t pan) {
        soundPlayer().setSoundPan(pan);   // -1 without a sound: the bar moves anyway
        setBar(page, kIdBalanceBar, pan);
    };
    switch (command) {
    case kCmdMaximumVolume: volume(65535, 100); return true;
    case kCmdMiddleVolume: volume(32767, 50); return true;
    case kCmdMute: volume(0, 0); return true;
    case kCmdBalanceLeft: balance(-10000); return true;
    case kCmdBalanceMiddle: balance(0); return true;
    case kCmdBalanceRight: balance(10000); return true;
    default: return false;
    }
}

void closeMixer() {
    if (g_mixer.handle) mixerClose(g_mixer.handle);
    g_mixer.handle = nullptr;
}
