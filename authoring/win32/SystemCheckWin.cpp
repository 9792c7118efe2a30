#include "authoring/win32/SystemCheckWin.h"

#include "authoring/SystemCheck.h"
#include "authoring/win32/OutputShell.h"
#include "authoring/win32/SaverInstall.h"

namespace {

constexpr const char* kCaption = "Glimmerdeck";
HHOOK g_timedHook = nullptr;

LRESULT CALLBACK timedBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        // No button to press: the notice ends on its own.
        if (HWND ok = GetDlgItem(reinterpret_cast<HWND>(wParam), IDOK)) {
            EnableWindow(ok, FALSE);
            ShowWindow(ok, SW_HIDE);
        }
        return 0;
    }
    return CallNextHookEx(g_timedHook, code, wParam, lParam);
}

void CALLBACK timedBoxTimer(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

}  // namespace

int timedMessageBox(HWND owner, const char* text, const char* caption, UINT style, UINT milliseconds) {
    g_timedHook = SetWindowsHookExA(WH_CBT, timedBoxHook, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, milliseconds, timedBoxTimer);
    int result = MessageBoxA(owner, text, caption, style);
    KillTimer(nullptr, timer);
    MSG quit;
    if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) result = 0;
    if (g_timedHook) UnhookWindowsHookEx(g_timedHook);
    g_timedHook = nullptr;
    return result;
}

int readCpuMhz(DWORD* speed) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\SYSTEM\\CENTRALPROCESSOR\\0", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return 0;
    DWORD type = 0, value = 0, size = sizeof value;
    const bool ok = RegQueryValueExA(key, "~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                        ERROR_SUCCESS &&
                    type == REG_DWORD;
    RegCloseKey(key);
    if (!ok) return 0;
    *speed = value;
    return 1;
}

void readRamMb(uint32_t* amount) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    *amount = memoryUnits(status.ullTotalPhys);
}

int screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

void checkSystem() {
    timedMessageBox(nullptr, "Now checking system information to use Glimmerdeck 1.1. Please wait a moment..",
                    kCaption, MB_OK, 2000);
    uint32_t memory = 0;
    readRamMb(&memory);
    DWORD mhz = 0;
    const bool cpuRead = readCpuMhz(&mhz) != 0;
    const SystemAdvice advice = adviseSystem(memory, cpuRead, mhz, screenWidth());
    if (advice.memory) showMessage(nullptr, "Upper 65RAM memory is recommended for Glimmerdeck 1.1.", kCaption, MB_OK);
    if (advice.cpuUnknown) showMessage(nullptr, "Can't get CPU speed. Error code 0x008", kCaption, MB_OK);
    if (advice.cpuSlow)
        showMessage(nullptr, " If CPU speed is upper 400Hz, it helps make and appreciate screen saver.", kCaption,
                    MB_OK);
    if (advice.askResolution &&
        showMessage(nullptr,
                    "Glimmerdeck 1.1 is executed normally in upper 800*600 monitor resolution. Would you change "
                    "resolution ?",
                    kCaption, MB_YESNO) == IDYES)
        runControlPanelApplet(GetDesktopWindow(), "shell32.dll", "Control_RunDLL", "desk.cpl,,3");
}
