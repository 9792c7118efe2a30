// One saver's option values in the registry, and the settings dialog driven as a
// user drives it, for the Windows tests of the options and the dialog.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>

#include "engine/SaverOptions.h"
#include "engine/win32/Registry.h"

namespace vt_win {

class SaverValues {
public:
    explicit SaverValues(const char* saverName) : name_(saverName) {}

    std::string valueName(const char* word) const { return optionValueName(name_, word); }
    void put(const char* word, DWORD value) const {
        writeRegistryDword(HKEY_CURRENT_USER, kOptionKey, valueName(word).c_str(), value);
    }
    void put(const char* word, const char* text) const {
        writeRegistryString(HKEY_CURRENT_USER, kOptionKey, valueName(word).c_str(), text);
    }
    bool has(const char* word) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
        bool found = RegQueryValueExA(key, valueName(word).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        return found;
    }
    // 0xDEAD when missing.
    DWORD dword(const char* word) const {
        return readRegistryDword(HKEY_CURRENT_USER, kOptionKey, valueName(word).c_str(), 0xDEAD);
    }
    std::string text(const char* word) const {
        char buffer[64] = {};
        readRegistryString(HKEY_CURRENT_USER, kOptionKey, valueName(word).c_str(), "", buffer, sizeof buffer);
        return buffer;
    }
    void remove(std::initializer_list<const char*> words) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        for (const char* w : words) RegDeleteValueA(key, valueName(w).c_str());
        RegCloseKey(key);
    }
    // Every value the settings dialog reads or writes.
    void removeDialogValues() const {
        remove({kOptDisplay, kOptTrx, kOptSfx, kOptMouse, kOptMouseClick, kOptKey, kOptSound, kOptMute});
    }
    bool hasDialogValue() const {
        for (const char* w : {kOptDisplay, kOptTrx, kOptSfx, kOptMouse, kOptMouseClick, kOptKey, kOptSound, kOptMute})
            if (has(w)) return true;
        return false;
    }

private:
    const char* name_;
};

inline std::string controlText(HWND dialog, int id) {
    char text[128] = {};
    GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

// Moves a trackbar as a drag would end: the position, then the notification.
inline void moveTrackbar(HWND dialog, int id, int position) {
    HWND bar = GetDlgItem(dialog, id);
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
}

inline void clickControl(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

}  // namespace vt_win
