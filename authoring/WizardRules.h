// The wizard's rules that need no window: path routines, list row texts, the
// picture limit, the Make step's seconds texts and checks, the font table, the
// window placement arithmetic and the small decisions of the about box links.
// The Windows pages call these with what they read from their controls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kMaxWizardPictures = 255;
constexpr size_t kWizardPathSize = 260;

// ---- Paths ----

// Cuts the text at its last '.' and keeps what follows the last backslash, in place.
void fileBaseName(char* path);
// Keeps what follows the last backslash, in place.
void fileNameOfPath(char* path);
// The part after the last backslash (the whole text without one).
const char* fileNamePart(const char* path);
// Copies the text after the last '.' into out (at most outSize - 1 bytes, always
// terminated) and returns out; returns "invalid" and leaves out alone without a '.'.
const char* fileExtension(const char* path, char* out, size_t outSize);
// A dropped file is taken when its extension is "jpg" in any case.
bool isDroppedPicture(const char* path);
// The folder browser's filter: ".jpg"/".jpeg" in image mode, ".mp3"/".wav" in
// sound mode, in any case.
bool folderFileMatches(const char* name, bool imageMode);
// The search pattern of a folder: "<path>\*.*", or "NULL" (which finds nothing)
// for an item without a file-system path.
std::string folderPattern(const char* fileSystemPath);
// Drive and folder of a pattern, with its trailing backslash ("" when none).
std::string patternFolder(const char* pattern);
// The program's folder from its module file name: up to and including the last
// backslash; empty when there is none.
std::string folderOfModule(const char* moduleFileName);

// ---- List rows ----

// "%d.%s " with the row number counted from 1 and the file name of path.
std::string numberedRowText(int32_t row, const char* path);
// A title row wider than 150 pixels keeps its first 15 bytes and gets "....".
std::string shortenTitleRowText(const std::string& text, int32_t widthPixels);
// The row whose "%d.%s" text (number from 1, whole path) is the longest, the
// first of equal lengths; -1 for no rows. The horizontal extent measures its
// file-name part (or the whole text for the missing-files list).
int32_t longestRow(const std::vector<std::string>& paths);
std::string extentText(const std::vector<std::string>& paths, bool fileNameOnly);

// How many of `selected` files fit into a list of `rows` rows (255 at most).
int32_t picturesThatFit(int32_t selected, int32_t rows);
// The current row after a delete: the last current row read minus 1, 0 at the
// top, and never outside the remaining rows (-1 when none remain).
int32_t currentRowAfterDelete(int32_t lastCurrentRow, int32_t rowsLeft);

// ---- Make step ----

constexpr int32_t kTransitionMinMs = 1000, kTransitionMaxMs = 5000, kTransitionDefaultMs = 2000;
constexpr int32_t kShowMinMs = 2000, kShowMaxMs = 20000, kShowDefaultMs = 5000;

// While dragging: position x 0.001 as "%.2f".
std::string trackbarSecondsText(int32_t positionMs);
// After a load: tenths for the transition ("2.5"), hundredths for a show time of
// ten seconds or more ("10.05"), tenths below ("5.0").
std::string transitionSecondsText(int32_t positionMs);
std::string showSecondsText(int32_t positionMs);
// An edit's seconds as milliseconds (atof x 1,000, to the nearest millisecond).
int32_t secondsTextToMs(const char* text);

// Whether a name typed for an installed saver (already cut at its first '.')
// makes a file "<Windows folder>\<name>.scr": not empty or blank, none of the
// characters a file name cannot hold, no device name, at most 200 characters.
bool usableSaverName(const std::string& name);
// What is wrong with such a name, as the user is told; null for a usable one.
const char* saverNameProblem(const std::string& name);
constexpr size_t kSaverNameMaxChars = 200;
constexpr const char* kSaverNameEmpty = "Write a name for the screen saver.";
constexpr const char* kSaverNameTooLong = "The name is too long: a screen saver name has at most 200 characters.";
constexpr const char* kSaverNameCharacters =
    "A screen saver name cannot hold \\ / : * ? \" < > | or control characters.";
constexpr const char* kSaverNameDevice =
    "The system keeps this name for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9): choose another name.";

enum class MakeOptionError { None, Transition, ShowTime };
MakeOptionError checkMakeOptions(int32_t transitionMs, int32_t showMs);
const char* makeOptionMessage(MakeOptionError error);

// ---- Text step ----

// One installed font family as the platform describes it (the 60-byte LOGFONT).
struct FontRow {
    int32_t height, width, escapement, orientation, weight;
    uint8_t italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily;
    char faceName[32];
};
static_assert(sizeof(FontRow) == 60);

constexpr int32_t kMaxFontRows = 500;
struct FontTable {
    FontRow rows[kMaxFontRows];
    int32_t count;
};
extern FontTable fontTable;

// The enumeration callback's rule: 0 (stop) once the table is full; a face
// beginning with '@' (a vertical variant) is written but not counted, so the next
// family takes its row.
int collectFontRow(FontTable& table, const FontRow& row);

extern const char* const kLetterSizes[16];
extern const char* const kTitleSizes[16];

// The custom colours of the colour chooser: pure blues 128, 136, ... 248.
void chooserCustomColours(uint32_t colours[16]);

// ---- Keyboard ----

// A key as the message loop sees it: the virtual-key code and the modifiers held.
struct KeyStroke {
    uint32_t key;
    bool ctrl, shift, alt;
};
// Whether the key types or edits text, so that a control taking text gets it
// before any accelerator: every key without Ctrl or Alt except the function
// keys, Tab and Escape; Ctrl with the editing keys (select all, undo, copy,
// cut, paste, word delete, caret moves); Ctrl+Alt, which types on AltGr
// layouts. Alt alone and Ctrl with anything else stay commands.
bool keyEditsText(const KeyStroke& stroke);

// ---- Placement ----

struct Placement { int32_t x, y, width, height; };
// Centred on the screen, 12 pixels lower than made.
Placement centredOnScreen(int32_t screenW, int32_t screenH, int32_t w, int32_t h);
// Centred over the parent, kept on the screen.
Placement centredOverParent(int32_t parentLeft, int32_t parentTop, int32_t parentW, int32_t parentH,
                            int32_t w, int32_t h, int32_t screenW, int32_t screenH);

// ---- About box links ----

// 1 Win32s, 2 Windows 95, 4 Windows 98, 8 other 9x, 16 NT, 0 unknown.
int32_t windowsVersionClass(uint32_t platformId, uint32_t major, uint32_t minor);
struct LinkFont { int32_t height, weight; bool italic, underline, strikeOut; };
// A point size below 1 becomes 8; a weight outside 1..900 becomes 400 without style bits.
LinkFont linkFont(int32_t pixelsPerInchY, int32_t pointSize, int32_t weight, uint32_t styleBits);
// "mailto:" in any case.
bool isMailTarget(const char* target);
