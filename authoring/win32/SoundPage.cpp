#include "authoring/win32/SoundPage.h"

#include <commctrl.h>

#include "authoring/WizardRules.h"
#include "authoring/win32/FolderBrowser.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "engine/SoundPlayer.h"

namespace {

void resetPosition(HWND page) {
    SendDlgItemMessageA(page, IDC_POSITION, TBM_SETPOS, TRUE, 0);
    SetDlgItemTextA(page, IDC_CURRENT_TIME, "00 : 00");
}

void redrawSoundRow(int row) {
    RECT rect = {};
    if (row >= 0 && SendMessageA(wizard.soundList, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        InvalidateRect(wizard.soundList, &rect, TRUE);
}

// Reads the path box into path and highlights that sound's row: none when the
// box is empty or the list shows another folder. The row, or -1.
int highlightBoxSound(HWND page, char* path, int size) {
    GetDlgItemTextA(page, IDC_SOUND_PATH, path, size);
    const LRESULT row = path[0] ? SendMessageA(wizard.soundList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(path))
                                : LB_ERR;
    SendMessageA(wizard.soundList, LB_SETCURSEL, row == LB_ERR ? static_cast<WPARAM>(-1) : row, 0);
    return row == LB_ERR ? -1 : static_cast<int>(row);
}

void onSoundChosen(HWND page) {
    const int chosen = static_cast<int>(SendMessageA(wizard.soundList, LB_GETCURSEL, 0, 0));
    const std::string path = listBoxText(wizard.soundList, chosen);
    // The path field takes the sound only once it is accepted: a refused file
    // leaves the sound chosen before (player, information, field and the
    // highlighted row alike; none when that one is in another folder).
    if (!showSoundFileInfo(page, path.c_str())) {
        char kept[MAX_PATH] = {};
        highlightBoxSound(page, kept, sizeof kept);
        return;
    }
    redrawSoundRow(wizard.currentSoundIndex);
    wizard.currentSoundIndex = chosen;
    lstrcpynA(wizard.currentSoundPath, path.c_str(), sizeof wizard.currentSoundPath);
    redrawSoundRow(wizard.currentSoundIndex);
    resetPosition(page);
}

// The sound the work now holds (edit 1012) becomes the chosen one: its row is
// highlighted when the list shows it. A work without sound holds none at all.
void takeWorkSound(HWND page) {
    char path[MAX_PATH] = {};
    const int row = highlightBoxSound(page, path, sizeof path);
    if (!path[0]) {
        dropChosenSound(page);
        return;
    }
    wizard.currentSoundIndex = row;
    lstrcpynA(wizard.currentSoundPath, path, sizeof wizard.currentSoundPath);
}

void onSetActive(HWND page) {
    if (SUCCEEDED(CoInitialize(nullptr))) noteComInitialised();
    // One device for the run: making another on every visit would leak the last.
    static bool deviceMade = false;
    if (!deviceMade) deviceMade = createSoundDevice(page) == 0;
    wizard.soundPage = page;
    activatePage(kSoundPage, IDM_SOUND);
    if (wizard.soundRestorePending) {
        restoreSoundSettings(page);
        wizard.soundRestorePending = 0;
        takeWorkSound(page);
    }
    showMixerLevels(page);
    resetPosition(page);
}

void onCommand(HWND page, int id, int code) {
    if (handleCommonCommand(page, kSoundPage, id)) return;
    switch (id) {
    case IDC_SOUND_LIST:
        if (code == LBN_SELCHANGE) onSoundChosen(page);
        break;
    case IDC_SOUND_CANCEL: dropChosenSound(page); break;
    case IDC_PLAY:
        soundPlayer().setSoundWindow(page);
        playSound(page);
        break;
    case IDC_PAUSE: pauseSound(); break;
    case IDC_STOP: soundPlayer().stopSound(); break;
    case 40023: seekSound(1); break;
    case 40024: seekSound(2); break;
    case 40025: seekSound(3); break;
    case 40026: seekSound(6); break;
    case 40027: seekSound(7); break;
    case 40019:
    case 40028:
    case 40020:
    case 40021:
    case IDC_BALANCE_MIDDLE:
    case 40022: mixerCommand(page, id); break;
    case IDC_SOUND_BACK: selectWizardPage(kTextPage); break;
    case IDC_SOUND_NEXT: selectWizardPage(kMakePage); break;
    case IDC_SOUND_EXIT:
    case CMD_EXIT: exitCleanup(); break;
    }
}

}  // namespace

void dropChosenSound(HWND page) {
    SetDlgItemTextA(page, IDC_SOUND_PATH, "");
    SetDlgItemTextA(page, IDC_CURRENT_TIME, "00 : 00");
    SetDlgItemTextA(page, IDC_TOTAL_TIME, "00 : 00");
    SendMessageA(wizard.soundInfoList, LVM_DELETEALLITEMS, 0, 0);
    // Play would otherwise still find the stream of the sound dropped.
    soundPlayer().stopSoundThread();
    soundPlayer().closeSound();
    SendDlgItemMessageA(page, IDC_POSITION, TBM_SETPOS, TRUE, 0);
    SendMessageA(wizard.soundList, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    wizard.currentSoundIndex = -1;
    wizard.currentSoundPath[0] = 0;
}

INT_PTR CALLBACK soundPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        initSoundInfoList(page);
        createFolderTree(&soundFolderTree, page, IDC_SOUND_TREE);
        fillFolderTreeRoot(&soundFolderTree, nullptr, 0);
        initSoundListFont(page);
        openMixer(page);
        addSoundPageTips(page, wizard.instance);
        wizard.currentSoundIndex = -1;
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        onFolderTreeNotify(&soundFolderTree, header, 0);
        switch (header->code) {
        case PSN_SETACTIVE: onSetActive(page); break;
        case PSN_KILLACTIVE:
            soundPlayer().stopSound();
            detachPageMenu();
            break;
        case PSN_RESET:
            detachPageMenu();
            exitCleanup();
            break;
        }
        return FALSE;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_SOUND_LIST) return FALSE;
        measureFileItem(GetDlgItem(page, IDC_SOUND_LIST), measure);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam != IDC_SOUND_LIST) return FALSE;
        drawFileItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_HSCROLL: {
        HWND trackbar = reinterpret_cast<HWND>(lParam);
        int id = GetDlgCtrlID(trackbar);
        if (id == IDC_VOLUME || id == IDC_BALANCE) mixerScroll(page, trackbar);
        return TRUE;
    }
    case kSoundPassMessage: showSoundPosition(page); return TRUE;
    case WM_COMMAND: onCommand(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}
