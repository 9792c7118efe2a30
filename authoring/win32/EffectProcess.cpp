// The wizard's preview: the scenario being edited played with the engine's own
// frame step and effect families, from the pictures, titles and settings on
// the pages, through the preview's smaller tables. The Make step draws it at
// (86, 59) of its page every 33 ms; the full-screen preview at (0, 0).
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "Animation/ParticleList.h"
#include "Transition/Transition_Wipe.h"
#include "authoring/PictureLoading.h"
#include "authoring/PreviewSettings.h"
#include "authoring/PreviewTables.h"
#include "authoring/ViewerRules.h"
#include "authoring/win32/EffectProcess.h"
#include "authoring/win32/WizardIds.h"
#include "authoring/win32/WizardSeams.h"
#include "authoring/win32/WizardState.h"
#include "engine/EffectFrames.h"
#include "engine/EngineFrame.h"
#include "engine/FrameCanvas.h"
#include "engine/FrameScheduler.h"
#include "engine/PictureBuffers.h"
#include "engine/ScratchPool.h"
#include "engine/SoundAnalysis.h"
#include "engine/SoundControl.h"
#include "engine/SoundPlayer.h"
#include "render/Fills.h"
#include "render/Platform.h"
#include "render/win32/BitmapResourceWin.h"
#include "render/TrigTables.h"

namespace {

struct PreviewState {
    char paths[256][260];
    int32_t pathCount;
    char titles[260][60];
    int32_t titleWrap;
    PreviewSettings settings;
    PreviewControls controls;
    FrameOptions options;
    // The letter: the seconds counted so far, started once they reach the
    // letter time, and its scroll offset.
    UINT_PTR letterTimer;
    uint32_t letterTicks;
    bool letterStarted;
    int32_t scroll;
    int32_t target;              // 1 the Make page, 0 the full-screen window
    int32_t screenMode;          // the Make step's screen-mode selection
    bool fullScreen;
    bool pictureOrderShown;
    HINSTANCE instance;          // the module whose bitmaps loadBitmapByName reads
    HDC dc;
};

PreviewState g_preview;

int32_t listRows(HWND list) { return list ? static_cast<int32_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0; }

void listText(HWND list, int32_t row, int32_t column, char* out, int32_t size) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = size;
    out[0] = '\0';
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    out[size - 1] = '\0';
}

bool copyPreviewImagePaths() {
    std::memset(g_preview.paths, 0, sizeof g_preview.paths);
    g_preview.pathCount = 0;
    const int32_t count = std::min(listRows(wizard.titleList), 255);
    if (count < 1) return false;
    for (int32_t i = 0; i < count; ++i) listText(wizard.titleList, i, 0, g_preview.paths[i], 260);
    g_preview.pathCount = count;
    return true;
}

void readPreviewTitles() {
    std::memset(g_preview.titles, 0, sizeof g_preview.titles);
    const int32_t rows = std::min(listRows(wizard.titleList), 260);
    for (int32_t i = 0; i < rows; ++i) listText(wizard.titleList, i, 1, g_preview.titles[i], 60);
    g_preview.titleWrap = rows - 1;
}

bool checked(HWND page, int id) { return page && IsDlgButtonChecked(page, id) == BST_CHECKED; }

// The selected row's text of a combo box, or false without a selection.
bool comboText(HWND page, int id, char* out, int size) {
    out[0] = '\0';
    if (!page) return false;
    const LRESULT row = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
    if (row == CB_ERR) return false;
    if (SendDlgItemMessageA(page, id, CB_GETLBTEXTLEN, row, 0) >= size) return false;
    SendDlgItemMessageA(page, id, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(out));
    return true;
}

int32_t trackbar(HWND page, int id, int32_t otherwise) {
    return page ? static_cast<int32_t>(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0)) : otherwise;
}

void readSettings() {
    static char titleFont[64], titleSize[16], letterFont[64], letterSize[16];
    PreviewControls& c = g_preview.controls;
    c = PreviewControls{};
    HWND text = wizard.textPage;
    c.defaultFont = checked(text, IDC_DEFAULT_FONT);
    c.writeTitles = checked(text, IDC_TITLE_MODE);
    c.writeLetter = checked(text, IDC_LETTER_MODE);
    c.titleFont = comboText(text, IDC_TITLE_FONT, titleFont, sizeof titleFont) ? titleFont : nullptr;
    c.titleSize = comboText(text, IDC_TITLE_SIZE, titleSize, sizeof titleSize) ? titleSize : nullptr;
    c.letterFont = comboText(text, IDC_LETTER_FONT, letterFont, sizeof letterFont) ? letterFont : nullptr;
    c.letterSize = comboText(text, IDC_LETTER_SIZE, letterSize, sizeof letterSize) ? letterSize : nullptr;
    c.letterTime = text ? GetDlgItemInt(text, IDC_LETTER_TIME, nullptr, FALSE) : 0;
    c.colourChosen = wizard.titleColourChosen != 0;
    c.randomColour = checked(text, IDC_RANDOM_COLOUR);
    c.titleColour = static_cast<int32_t>(wizard.titleColour);
    c.showMs = trackbar(wizard.makePage, IDC_SHOW_TIME, 5000);
    c.transitionMs = trackbar(wizard.makePage, IDC_TRANSITION, 2000);
    g_preview.screenMode =
        wizard.makePage ? static_cast<int32_t>(SendDlgItemMessageA(wizard.makePage, IDC_SCREEN_MODE, CB_GETCURSEL, 0, 0)) : 0;
    readPreviewSettings(c, g_preview.settings);
    g_preview.options = previewFrameOptions(c, g_preview.settings);
}

VOID CALLBACK letterTick(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_preview.letterTicks >= g_preview.settings.letterTime) g_preview.letterStarted = true;
}

void stopLetterTimer() {
    if (g_preview.letterTimer) KillTimer(nullptr, g_preview.letterTimer);
    g_preview.letterTimer = 0;
}

int32_t countLetterLines(const char* text) {
    int32_t n = 0;
    for (const char* c = text; *c; ++c) n += *c == '\r';
    return n;
}

int32_t loadPreviewFire(Pixel* pixels, int32_t w, int32_t h) { return loadBitmapByName(pixels, "RedFires33.bmp", w, h); }

// ---- Frame hooks

int32_t loadPicture(void*, int32_t index, Pixel* destination, int32_t w, int32_t h, int32_t pitch) {
    if (index < 0 || index >= g_preview.pathCount) index = 0;
    return loadJpegToDib(g_preview.paths[index], destination, w, h, pitch) ? 1 : 0;
}

const char* titleText(void*, int32_t row) { return row >= 0 && row < 260 ? g_preview.titles[row] : ""; }
int32_t lastTitleIndex(void*) { return g_preview.titleWrap; }

void drawLetter(void*, int32_t w, int32_t h) {
    if (!g_preview.letterStarted || !wizard.textPage) return;
    const FrameCanvas& canvas = frameCanvas();
    HDC dc = static_cast<HDC>(canvas.memoryDC);
    if (!dc) return;
    const int32_t size = g_preview.settings.fontSize;
    const int32_t scaled = previewLetterSize(size, g_preview.fullScreen, g_preview.screenMode);
    const int32_t height = scaled < 0 ? h : MulDiv(scaled, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, HANGEUL_CHARSET, OUT_STROKE_PRECIS,
                             CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH | FF_ROMAN, g_preview.settings.fontFace);
    HGDIOBJ old = SelectObject(dc, font);
    HWND edit = GetDlgItem(wizard.textPage, IDC_LETTER);
    const int length = edit ? GetWindowTextLengthA(edit) : 0;
    static std::string text;
    text.assign(static_cast<size_t>(length) + 1, '\0');
    if (edit) GetWindowTextA(edit, text.data(), length + 1);
    const int32_t textHeight = size * countLetterLines(text.c_str());
    int32_t& scroll = g_preview.scroll;
    RECT r{10, h - scroll - 8, w, textHeight - scroll + h};
    scroll = scroll + 1 > textHeight + h + 16 ? 0 : scroll + 1;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, wizard.letterColour);
    DrawTextA(dc, text.c_str(), -1, &r, DT_EDITCONTROL | DT_NOCLIP | DT_WORDBREAK | DT_CENTER);
    SelectObject(dc, old);
    DeleteObject(font);
}

void blit(void* user, int32_t w, int32_t h) {
    HDC dc = static_cast<HDC>(user);
    const FrameCanvas& canvas = frameCanvas();
    if (!dc || !canvas.memoryDC) return;
    if (g_preview.target == 1) BitBlt(dc, 86, 59, w, h, static_cast<HDC>(canvas.memoryDC), 8, 8, SRCCOPY);
    else if (g_preview.target == 0) BitBlt(dc, 0, 0, w, h, static_cast<HDC>(canvas.memoryDC), 8, 8, SRCCOPY);
}

// The engine's hooks (canvas, sound, title images) with the preview's own
// pictures, titles, letter and blit.
FrameHooks previewHooks(HDC dc) {
    FrameHooks hooks = engineFrameHooks(&previewFamilyServices(), &g_preview.options, dc);
    hooks.loadImage = loadPicture;
    hooks.titleText = titleText;
    hooks.lastTitleIndex = lastTitleIndex;
    hooks.drawLetter = drawLetter;
    hooks.blit = blit;
    return hooks;
}

void setupPreview(int32_t w, int32_t h) {
    readSettings();
    readPreviewTitles();
    g_preview.scroll = 0;
    g_preview.letterTicks = 0;
    g_preview.letterStarted = false;
    createCanvas(w, h);
    Pixel* first = pictureBuffer(0) + kPictureOriginOffset;
    Pixel* second = pictureBuffer(1) + kPictureOriginOffset;
    loadPicture(nullptr, 0, first, w, h, w + 16);
    loadPicture(nullptr, 1, second, w, h, w + 16);
    resetFrameScheduler(first, second, g_preview.pathCount - 1);
    g_preview.letterTimer = SetTimer(nullptr, 0, 1000, letterTick);
    scratchStartUp();   // as the engine: the quad warp takes its two-pass path here too
    resetParticleLists();
}

void startPreviewSound() {
    char path[261] = {};
    if (wizard.soundRestorePending == 1) return;   // the Sound step has not taken the scenario's sound yet
    if (wizard.soundPage) GetDlgItemTextA(wizard.soundPage, IDC_SOUND_PATH, path, 261);
    if (!path[0]) return;
    SoundPlayer& player = soundPlayer();
    player.stopSound();
    player.closeSound();
    if (player.openSound(path)) player.startSoundThread();
}

}  // namespace

bool startPreviewAt(int32_t w, int32_t h, bool withSound, bool fullScreen) {
    clearPictureBuffers();
    clearEffectRecords();
    buildTrigTables();
    g_preview.instance = GetModuleHandleA(nullptr);
    // The fire title effects and fire wipes take their picture from Glimmerdeck's bitmaps.
    setBitmapResourceLoader(loadBitmapByName);
    setWipeFireLoader(loadPreviewFire);
    prepareSoundAnalysis();
    if (!copyPreviewImagePaths()) return false;
    stopLetterTimer();
    g_preview.fullScreen = fullScreen;
    setupPreview(w, h);
    if (withSound) startPreviewSound();
    return true;
}

bool startPreview(int32_t w, int32_t h, bool withSound) { return startPreviewAt(w, h, withSound, false); }

void previewFrameTo(HDC dc, int32_t w, int32_t h, int32_t target) {
    if (!frameCanvas().origin) return;
    g_preview.target = target;
    g_preview.options.titlesHidden = g_preview.pictureOrderShown ? 1 : 0;
    const FrameHooks hooks = previewHooks(dc);
    stepFrame(hooks, timeGetTime(), static_cast<uint32_t>(std::time(nullptr)), w, h);
}

void previewFrame(HDC dc, int32_t w, int32_t h) { previewFrameTo(dc, w, h, 1); }

void scratchReleaseAll() { scratchFreeBlocks(); }

void freePreviewCanvases() {
    stopLetterTimer();
    freeCanvas();
}

void setPictureOrderShown(bool shown) { g_preview.pictureOrderShown = shown; }

int32_t previewPictureCount() { return g_preview.pathCount; }

void jumpToPreviewPicture(int32_t index) {
    const FrameCanvas& canvas = frameCanvas();
    if (index < 0 || index >= g_preview.pathCount || !canvas.origin || !frameScheduler.currentPicture) return;
    loadJpegToDib(g_preview.paths[index], frameScheduler.currentPicture, canvas.width, canvas.height,
                  canvas.width + 16);
    const ThumbnailJump jump = thumbnailJump(index, g_preview.pathCount, frameScheduler.drawMode);
    frameScheduler.slideIndex = jump.nextPicture;
    titleChoice.titleIndex = jump.titleIndex;
}

int32_t loadBitmapByName(Pixel* pixels, const char* name, int32_t w, int32_t h) {
    const int32_t id = bitmapResourceForName(name);
    if (!id || !pixels || w < 1 || h < 1) return 0;
    return loadBitmapResourceId(g_preview.instance ? g_preview.instance : GetModuleHandleA(nullptr), id, pixels, w, h);
}
