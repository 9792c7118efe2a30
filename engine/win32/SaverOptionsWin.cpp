#include "engine/win32/SaverOptionsWin.h"

#include "engine/win32/Registry.h"
#include "engine/win32/SettingsIds.h"

namespace {

bool g_switched = false;

class SystemDisplay : public DisplaySwitcher {
public:
    bool setMode(int32_t width, int32_t height, int32_t bits) override {
        return setDisplayMode(width, height, bits) != 0;
    }
};

bool hasParent(HWND window) { return window && GetParent(window) != nullptr; }

void setCheck(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

int setDisplayMode(int width, int height, int bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

int chooseDisplayMode(HWND window, int width, int height) {
    SystemDisplay display;
    bool switched = false;
    bool ok = chooseDisplayModeWith(display, hasParent(window), width, height, saverOptions().displayChoice,
                                    switched);
    g_switched = g_switched || switched;
    return ok;
}

void restoreDisplayMode() {
    if (!g_switched) return;
    ChangeDisplaySettingsA(nullptr, 0);
    g_switched = false;
}

bool displayModeSwitched() { return g_switched; }

int readRunOptions(HWND window, int start, const EntrySource& package, EngineStartFn startEngine) {
    SaverOptions& o = saverOptions();
    o.saverName[0] = '\0';
    loadSaverName(package, o.saverName);
    RegistryOptionStore store;

    if (start == 1) {
        if (hasParent(window)) {  // the control panel's preview
            readRunValues(store, o, true);
            RECT client{};
            GetClientRect(GetParent(window), &client);
            return startEngine ? startEngine(client.right - client.left, client.bottom - client.top) : 0;
        }
        readRunValues(store, o, false);
        SystemDisplay display;
        DisplayStart plan = planDisplayStart(display, false, o.displayChoice);
        g_switched = g_switched || plan.switched;
        if (!plan.start) return 0;
        return startEngine ? startEngine(plan.width, plan.height) : 0;
    }

    // The settings dialog: nothing is switched, the controls show the values (a
    // text the engine would not know shows the size it runs at).
    readRunValues(store, o, false);
    SendDlgItemMessageA(window, IDC_SCREEN_MODE, CB_SETCURSEL, static_cast<WPARAM>(o.displayChoice), 0);
    setCheck(window, IDC_QUIT_MOUSE, o.mouse == 1);
    setCheck(window, IDC_QUIT_CLICK, o.mouseClick == 1);
    setCheck(window, IDC_QUIT_KEY, o.key == 1);
    setCheck(window, IDC_SOUND_REPEAT, o.soundRepeat == 1);
    setCheck(window, IDC_SOUND_ONCE, o.soundRepeat != 1);
    setCheck(window, IDC_MUTE, o.mute == 1);
    return 1;
}

void readOptions() {
    RegistryOptionStore store;
    readShowValues(store, saverOptions());
}
