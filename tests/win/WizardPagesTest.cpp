// The wizard's pages hosted in this process (their templates are linked in from
// authoring/app/glimmerdeck.rc) and driven through their own routines: pictures
// flow into the title list, the 255 limit, titles typed row by row, the title
// and letter modes, the Make step's options, and File New.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "authoring/ScenarioFile.h"
#include "authoring/WizardRules.h"
#include "authoring/win32/FolderBrowser.h"
#include "authoring/win32/HyperLink.h"
#include "authoring/win32/ImagePage.h"
#include "authoring/win32/MakePage.h"
#include "authoring/win32/SaverInstall.h"
#include "authoring/win32/TextPage.h"
#include "authoring/win32/WizardFrame.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardState.h"
#include "authoring/win32/WizardWidgets.h"
#include "tests/support/TestSupport.h"

namespace {

// Every message box the pages show is answered at once (OK, or No) and its text kept.
std::vector<std::string> boxTexts;
HHOOK boxHook = nullptr;

LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char type[16] = {};
        GetClassNameA(box, type, sizeof type);
        if (std::string(type) == "#32770") {
            char text[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            if (text[0]) {
                boxTexts.push_back(text);
                // "No" to a question (whose Cancel would drop the action), OK to the rest.
                PostMessageA(box, WM_COMMAND, IDNO, 0);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string text(HWND page, int id) {
    char buffer[256] = {};
    GetDlgItemTextA(page, id, buffer, sizeof buffer);
    return buffer;
}

std::string cell(int row, int column) {
    char buffer[260];
    titleCell(row, column, buffer, sizeof buffer);
    return buffer;
}

std::vector<std::string> imageRows() {
    std::vector<std::string> rows;
    int count = static_cast<int>(SendMessageA(wizard.imageList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) rows.push_back(listBoxText(wizard.imageList, i));
    return rows;
}

std::vector<std::string> titleRows() {
    std::vector<std::string> rows;
    for (int i = 0; i < titleRowCount(); ++i) rows.push_back(cell(i, 0));
    return rows;
}

// Puts `count` made-up pictures into the file list, all selected, and inserts them.
void insertPictures(int count, const char* prefix) {
    SendMessageA(wizard.fileList, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char path[64];
        wsprintfA(path, "C:\\pictures\\%s%03d.jpg", prefix, i);
        SendMessageA(wizard.fileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    }
    selectAllItems(TRUE, wizard.fileList);
    SendMessageA(wizard.imagePage, WM_COMMAND, IDC_INSERT, 0);
    pump();
}

class WizardPages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        boxHook = SetWindowsHookExA(WH_CBT, answerBoxes, nullptr, GetCurrentThreadId());
        wizard.instance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(createWizardSheet());
        pump();
    }
    void SetUp() override {
        ASSERT_TRUE(IsWindow(wizard.sheet));
        boxTexts.clear();
    }
};

TEST_F(WizardPages, PicturesFlowIntoTheTitleListAndDeletesFollow) {
    insertPictures(3, "a");
    ASSERT_EQ(imageRows().size(), 3u);
    EXPECT_EQ(wizard.currentImageIndex, 0);
    EXPECT_EQ(std::string(wizard.currentImagePath), "C:\\pictures\\a000.jpg");
    EXPECT_EQ(wizard.textPage, nullptr);
    selectWizardPage(kTextPage);   // made now: it copies the selected pictures
    pump();
    ASSERT_NE(wizard.textPage, nullptr);
    EXPECT_EQ(titleRows(), imageRows());
    selectWizardPage(kImagePage);
    insertPictures(5, "b");        // appended to both lists from now on
    ASSERT_EQ(imageRows().size(), 8u);
    EXPECT_EQ(titleRows(), imageRows());

    std::vector<std::string> before = imageRows();
    selectAllItems(FALSE, wizard.imageList);
    SendMessageA(wizard.imageList, LB_SETSEL, TRUE, 2);
    SendMessageA(wizard.imageList, LB_SETSEL, TRUE, 5);
    deleteSelectedImages();
    std::vector<std::string> after = imageRows();
    ASSERT_EQ(after.size(), 6u);
    before.erase(before.begin() + 5);
    before.erase(before.begin() + 2);
    EXPECT_EQ(after, before);
    EXPECT_EQ(titleRows(), after);
    EXPECT_TRUE(boxTexts.empty());
}

TEST_F(WizardPages, AtMost255Pictures) {
    deleteAllImages();
    EXPECT_EQ(titleRowCount(), 0);
    insertPictures(250, "c");
    insertPictures(10, "d");
    std::vector<std::string> rows = imageRows();
    std::string boxes;
    for (const std::string& box : boxTexts) boxes += " \"" + box + "\"";
    ASSERT_EQ(rows.size(), 255u) << "rows " << (rows.empty() ? "none" : rows.front() + " to " + rows.back())
                                 << "; boxes:" << boxes;
    EXPECT_EQ(rows.back(), "C:\\pictures\\d004.jpg");   // the first five of the ten
    EXPECT_EQ(titleRowCount(), 255);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0], "The number of image can be selected up to 255.");
    deleteAllImages();
}

TEST_F(WizardPages, TitlesAreTypedRowByRow) {
    insertPictures(2, "e");
    selectWizardPage(kTextPage);
    pump();
    HWND page = wizard.textPage;
    ASSERT_EQ(wizard.currentTitleRow, 0);
    SetDlgItemTextA(page, IDC_TITLE_EDIT, "Sunset");
    SendMessageA(page, WM_COMMAND, IDC_TITLE_INPUT, 0);
    pump();
    EXPECT_EQ(cell(0, 1), "Sunset");
    EXPECT_EQ(wizard.currentTitleRow, 1);
    SetDlgItemTextA(page, IDC_TITLE_EDIT, "");
    SendMessageA(page, WM_COMMAND, IDC_TITLE_INPUT, 0);   // empty: nothing, no move
    EXPECT_EQ(cell(1, 1), "");
    SetDlgItemTextA(page, IDC_TITLE_EDIT, "Harbour");
    SendMessageA(page, WM_COMMAND, IDC_TITLE_INPUT, 0);
    pump();
    EXPECT_EQ(cell(1, 1), "Harbour");
    EXPECT_EQ(wizard.currentTitleRow, 1);                   // the last row stays current
    SendMessageA(page, WM_COMMAND, IDC_TITLE_DELETE, 0);
    EXPECT_EQ(cell(1, 1), "");

    // Title mode leaves the letter controls off, letter mode the title controls.
    EXPECT_TRUE(IsDlgButtonChecked(page, IDC_TITLE_MODE));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_LETTER)));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_LETTER_MODE, BN_CLICKED), 0);
    EXPECT_TRUE(IsDlgButtonChecked(page, IDC_LETTER_MODE));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_LETTER)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_TITLE_EDIT)));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TITLE_MODE, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_TITLE_EDIT)));

    // Sizes, and no vertical font variants offered.
    EXPECT_EQ(text(page, IDC_TITLE_SIZE), "100");
    EXPECT_EQ(text(page, IDC_LETTER_SIZE), "20");
    int fonts = static_cast<int>(SendDlgItemMessageA(page, IDC_TITLE_FONT, CB_GETCOUNT, 0, 0));
    EXPECT_GT(fonts, 0);
    for (int i = 0; i < fonts; ++i) {
        char face[64] = {};
        SendDlgItemMessageA(page, IDC_TITLE_FONT, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
        EXPECT_NE(face[0], '@') << face;
    }
    SetDlgItemTextA(page, IDC_LETTER, "Dear friend");
    char letter[32] = {};
    getLetterText(letter);
    EXPECT_STREQ(letter, "Dear friend");
    EXPECT_EQ(getLetterSize(), 12);
    selectWizardPage(kImagePage);
    pump();
}

TEST_F(WizardPages, MakeOptionsAreCheckedBeforeTheyApply) {
    selectWizardPage(kMakePage);
    pump();
    HWND page = wizard.makePage;
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(text(page, IDC_SCREEN_MODE), "640 * 480");
    EXPECT_EQ(text(page, IDC_TRANSITION_TEXT), "2.0");
    EXPECT_EQ(text(page, IDC_SHOW_TEXT), "5.0");
    auto position = [&](int id) { return SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0); };

    SetDlgItemTextA(page, IDC_SHOW_TEXT, "12");
    SendMessageA(page, WM_COMMAND, IDC_APPLY, 0);
    EXPECT_EQ(position(IDC_SHOW_TIME), 12000);
    EXPECT_TRUE(boxTexts.empty());

    SetDlgItemTextA(page, IDC_TRANSITION_TEXT, "6");
    SendMessageA(page, WM_COMMAND, IDC_APPLY, 0);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0], "Enter transition time from 1sec to 5sec.");
    EXPECT_EQ(position(IDC_TRANSITION), 2000);

    SendDlgItemMessageA(page, IDC_SHOW_TIME, TBM_SETPOS, TRUE, 10050);
    showOptionSeconds(page);
    EXPECT_EQ(text(page, IDC_SHOW_TEXT), "10.05");
    SendMessageA(page, WM_COMMAND, IDC_DEFAULTS, 0);
    EXPECT_EQ(position(IDC_SHOW_TIME), 5000);
    EXPECT_EQ(text(page, IDC_TRANSITION_TEXT), "2.0");
}

TEST_F(WizardPages, FileNewEmptiesEveryStep) {
    for (int page : {kTextPage, kSoundPage, kMakePage, kImagePage}) {   // every step opened
        selectWizardPage(page);
        pump();
    }
    insertPictures(2, "f");
    SetDlgItemTextA(wizard.textPage, IDC_LETTER, "a letter");
    SetDlgItemTextA(wizard.makePage, IDC_SCENARIO_PATH, "C:\\work.sao");
    // A scenario opened before, whose Text step was never shown again.
    scenarioState().textRestorePending = 1;
    scenarioState().titlePaths = {"C:\\old.jpg"};
    wizard.textRestorePending = 1;
    SendMessageA(wizard.imagePage, WM_COMMAND, CMD_NEW, 0);
    pump();
    // The other steps were opened and nothing was saved: it still asks.
    EXPECT_EQ(boxTexts, std::vector<std::string>{"Would you save work ?"});
    EXPECT_TRUE(imageRows().empty());
    EXPECT_EQ(titleRowCount(), 0);
    EXPECT_EQ(text(wizard.textPage, IDC_LETTER), "");
    EXPECT_EQ(text(wizard.makePage, IDC_SCENARIO_PATH), "");
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(wizard.sheet), wizard.imagePage);
    EXPECT_EQ(scenarioState().textRestorePending, 0);   // neither restored nor saved later
    selectWizardPage(kTextPage);
    pump();
    EXPECT_EQ(titleRowCount(), 0);
    selectWizardPage(kImagePage);
    pump();
}

}  // namespace

namespace {

struct AboutSeen {
    bool found = false;
    std::vector<POINT> links;
    int hoverAfterMove = -1, hoverAfterLeave = -1;
};
AboutSeen aboutSeen;

BOOL CALLBACK collectLink(HWND child, LPARAM parent) {
    char type[32] = {};
    GetClassNameA(child, type, sizeof type);
    if (std::string(type) != "HyperLinkWnd") return TRUE;
    RECT rect = {};
    GetWindowRect(child, &rect);
    POINT at = {rect.left, rect.top};
    ScreenToClient(reinterpret_cast<HWND>(parent), &at);
    aboutSeen.links.push_back(at);
    EXPECT_GT(rect.right - rect.left, 0);
    // The pointer passes over the link and leaves (the cursor itself rests elsewhere).
    auto* link = reinterpret_cast<HyperLink*>(GetWindowLongPtrA(child, GWLP_USERDATA));
    if (link && aboutSeen.hoverAfterMove < 0) {
        SetCursorPos(0, 0);
        SendMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        aboutSeen.hoverAfterMove = link->hovering;
        SendMessageA(child, WM_TIMER, 1000, 0);
        aboutSeen.hoverAfterLeave = link->hovering;
    }
    return TRUE;
}

void CALLBACK inspectAbout(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND about = FindWindowA("#32770", "About Glimmerdeck 1.1 ");
    if (!about) return;
    aboutSeen.found = true;
    EnumChildWindows(about, collectLink, reinterpret_cast<LPARAM>(about));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(WizardPages, AboutBoxCarriesTheTwoLinks) {
    SetTimer(nullptr, 0, 200, inspectAbout);
    SendMessageA(wizard.imagePage, WM_COMMAND, CMD_ABOUT, 0);   // returns when the box is closed
    ASSERT_TRUE(aboutSeen.found);
    ASSERT_EQ(aboutSeen.links.size(), 2u);
    // Created web link first, then the mail link, at their places in the box.
    EXPECT_EQ(aboutSeen.links[0].x, 130);
    EXPECT_EQ(aboutSeen.links[0].y, 187);
    EXPECT_EQ(aboutSeen.links[1].x, 167);
    EXPECT_EQ(aboutSeen.links[1].y, 146);
    EXPECT_EQ(aboutSeen.hoverAfterMove, 1);
    EXPECT_EQ(aboutSeen.hoverAfterLeave, 0);
}

TEST_F(WizardPages, FolderFilesAreListedByKind) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "wizard-folder-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\sub.jpg").c_str(), nullptr);   // a folder is never listed
    for (const char* name : {"b.jpg", "A.JPEG", "c.MP3", "d.wav", "e.avi", "f.bmp"}) {
        HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    std::string pattern = folder + "\\*.*";
    listFolderFiles(pattern.c_str(), 1);
    ASSERT_EQ(SendMessageA(wizard.fileList, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(listBoxText(wizard.fileList, 0), folder + "\\A.JPEG");   // sorted
    EXPECT_EQ(listBoxText(wizard.fileList, 1), folder + "\\b.jpg");
    EXPECT_EQ(std::string(wizard.currentFilePath), folder + "\\A.JPEG");
    listFolderFiles("NULL", 1);   // a folder without a file-system path
    EXPECT_EQ(SendMessageA(wizard.fileList, LB_GETCOUNT, 0, 0), 0);

    selectWizardPage(kSoundPage);
    pump();
    listFolderFiles(pattern.c_str(), 0);
    ASSERT_EQ(SendMessageA(wizard.soundList, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(listBoxText(wizard.soundList, 0), folder + "\\c.MP3");
    EXPECT_EQ(listBoxText(wizard.soundList, 1), folder + "\\d.wav");
    selectWizardPage(kImagePage);
    pump();
}

namespace {

// The height of the top row of an owner-drawn list box.
int rowHeight(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)); }

struct NameDialogSeen {
    bool found = false;
    std::vector<std::string> boxesAfterEmpty;
    bool openAfterEmpty = false, openAfterBlank = false;
    // The message for each refused name, in the order of kRefusedNames.
    std::vector<std::string> refusals;
    int minutesRoom = 0, twoDigits = 0;
    bool autoBuddy = true, buddy = false;
};
NameDialogSeen nameSeen;
const std::string kRefusedNames[] = {"COM1", "aux.scr", std::string(201, 'a'), "Sea|Trip"};

void CALLBACK driveNameDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = FindWindowA("#32770", "Write screensaver file name.");
    if (!dialog) return;
    nameSeen.found = true;
    // The stand-by edit has room for two digits beside its arrows.
    HWND minutes = GetDlgItem(dialog, 1031);
    RECT room = {};
    SendMessageA(minutes, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    nameSeen.minutesRoom = room.right - room.left;
    HDC dc = GetDC(minutes);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(minutes, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, "60", 2, &size);
    SelectObject(dc, old);
    ReleaseDC(minutes, dc);
    nameSeen.twoDigits = size.cx;
    // Attached to its edit once, by the dialog: an auto-buddy as well shrinks the edit twice.
    nameSeen.autoBuddy = (GetWindowLongA(GetDlgItem(dialog, 1136), GWL_STYLE) & UDS_AUTOBUDDY) != 0;
    nameSeen.buddy = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, 1136, UDM_GETBUDDY, 0, 0)) == minutes;

    boxTexts.clear();
    SetDlgItemTextA(dialog, 1030, "");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    nameSeen.boxesAfterEmpty = boxTexts;
    nameSeen.openAfterEmpty = IsWindow(dialog) && IsWindowVisible(dialog);
    SetDlgItemTextA(dialog, 1030, "  .scr");   // blank once cut at its dot
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    nameSeen.openAfterBlank = IsWindow(dialog) && IsWindowVisible(dialog);
    for (const std::string& name : kRefusedNames) {
        boxTexts.clear();
        SetDlgItemTextA(dialog, 1030, name.c_str());
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        nameSeen.refusals.push_back(boxTexts.size() == 1 ? boxTexts[0] : "(" + std::to_string(boxTexts.size()) + " boxes)");
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

// The program's own dialog 118 (its template from the resources).
TEST_F(WizardPages, InstallNameDialogRefusesUnusableNames) {
    insertPictures(1, "n");
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string broken = std::string(windows) + "\\.scr";
    DeleteFileA(broken.c_str());
    SetTimer(nullptr, 0, 200, driveNameDialog);
    const INT_PTR result = DialogBoxParamA(wizard.instance, MAKEINTRESOURCEA(IDD_INSTALL_NAME), wizard.imagePage,
                                           installNameDialogProc, 0);
    ASSERT_TRUE(nameSeen.found);
    EXPECT_GE(nameSeen.minutesRoom, nameSeen.twoDigits);
    EXPECT_GT(nameSeen.twoDigits, 0);
    EXPECT_FALSE(nameSeen.autoBuddy);
    EXPECT_TRUE(nameSeen.buddy);
    EXPECT_EQ(result, 1);   // ended by Cancel, never by an install
    ASSERT_EQ(nameSeen.boxesAfterEmpty.size(), 1u);
    EXPECT_EQ(nameSeen.boxesAfterEmpty[0], kSaverNameEmpty);
    // Each refusal says what is wrong with the name.
    const std::vector<std::string> said = {kSaverNameDevice, kSaverNameDevice, kSaverNameTooLong,
                                           kSaverNameCharacters};
    EXPECT_EQ(nameSeen.refusals, said);
    EXPECT_TRUE(nameSeen.openAfterEmpty);
    EXPECT_TRUE(nameSeen.openAfterBlank);
    EXPECT_EQ(GetFileAttributesA(broken.c_str()), INVALID_FILE_ATTRIBUTES);
    deleteAllImages();
}

// Owner-drawn rows are drawn one pixel below their top: the row holds the whole text cell under it.
TEST_F(WizardPages, OwnerDrawnRowsHoldTheirText) {
    selectWizardPage(kSoundPage);
    pump();
    LOGFONTA font;
    fillListFont(font);
    const int cell = fontTextHeight(nullptr, font);
    ASSERT_GT(cell, 0);
    for (HWND list : {wizard.fileList, wizard.imageList, wizard.soundList}) {
        ASSERT_NE(list, nullptr);
        EXPECT_GE(rowHeight(list), cell + 2) << GetDlgCtrlID(list);
    }
    selectWizardPage(kImagePage);
    pump();
}

// The letter font list, disabled while no letter is written, is drawn disabled.
TEST_F(WizardPages, DisabledLetterFontListLooksDisabled) {
    selectWizardPage(kTextPage);
    pump();
    HWND page = wizard.textPage;
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TITLE_MODE, BN_CLICKED), 0);
    HWND fonts = GetDlgItem(page, IDC_LETTER_FONT);
    ASSERT_FALSE(IsWindowEnabled(fonts));
    auto draw = [&](UINT state) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 20);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_COMBOBOX;
        item.CtlID = IDC_LETTER_FONT;
        item.itemID = static_cast<UINT>(SendMessageA(fonts, CB_GETCURSEL, 0, 0));
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = fonts;
        item.hDC = dc;
        item.rcItem = {0, 0, 200, 20};
        drawFontItem(WM_DRAWITEM, reinterpret_cast<LPARAM>(&item));
        int black = 0, drawn = 0;
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 200; ++x) {
                const COLORREF c = GetPixel(dc, x, y);
                black += c == RGB(0, 0, 0);
                drawn += c != face;
            }
        const COLORREF background = GetPixel(dc, 199, 10);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        EXPECT_EQ(background, face) << state;
        EXPECT_EQ(black, 0) << state;
        EXPECT_GT(drawn, 0) << state;   // the face name is there, greyed
    };
    // As the system asks for it, and with only the window disabled.
    for (UINT state : {UINT(ODS_COMBOBOXEDIT | ODS_DISABLED), UINT(ODS_COMBOBOXEDIT)}) draw(state);
    selectWizardPage(kImagePage);
    pump();
}

// The Sound step's own template: the file's icon (1053) and the sound-card line (1110) are there
// and filled; a refused sound leaves the one chosen before.
TEST_F(WizardPages, SoundStepShowsIconAndCardAndRefusesOverRateFiles) {
    selectWizardPage(kSoundPage);
    pump();
    HWND page = wizard.soundPage;
    HWND icon = GetDlgItem(page, 1053);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
    HWND card = GetDlgItem(page, 1110);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(IsWindowVisible(card));
    wchar_t line[128] = {};
    GetWindowTextW(card, line, 128);
    const std::wstring status = line;
    EXPECT_TRUE(status.rfind(L"Sound card OK->", 0) == 0 || status == L"사운드 카드가 설치 되지 않았습니다.")
        << status.size();

    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string good = std::string(temp) + "wizard-tone.mp3";
    const std::string refused = std::string(temp) + "wizard-loud.mp3";
    vt_test::writeFileBytes(good, vt_test::readFileBytes(vt_test::sourceDir() + "/tests/data/sound/tone.mp3"));
    std::vector<uint8_t> loud = {0xFF, 0xFB, 0xE0, 0x64};   // 320 kbps
    loud.resize(2000, 0);
    vt_test::writeFileBytes(refused, loud);
    auto choose = [&](const std::string& path) {
        SendMessageA(wizard.soundList, LB_RESETCONTENT, 0, 0);
        SendMessageA(wizard.soundList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        SendMessageA(wizard.soundList, LB_SETCURSEL, 0, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SOUND_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(wizard.soundList));
        pump();
    };
    choose(good);
    EXPECT_EQ(text(page, IDC_SOUND_PATH), good);
    EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
    EXPECT_TRUE(boxTexts.empty());
    choose(refused);
    ASSERT_EQ(boxTexts.size(), 1u);
    EXPECT_EQ(boxTexts[0].rfind("The selected file is not supported.", 0), 0u);
    EXPECT_EQ(text(page, IDC_SOUND_PATH), good);   // what a saver would be built with
    SaverBuildContext context;
    SaverBuildInput input;
    gatherSaverBuild(context, input);
    EXPECT_EQ(input.pack.soundPath, good);
    SendMessageA(page, WM_COMMAND, IDC_SOUND_CANCEL, 0);
    selectWizardPage(kImagePage);
    pump();
}
