// The saver's options: one registry value per saver and option word under
// HKEY_CURRENT_USER "Software\Vantrelle\Tool\ScrOption", named by the saver's
// file name (lower-cased) followed by the word. The decisions (names, defaults,
// ranges, the display rule) live here; the registry and the display switch are
// reached through the two seams below, backed by the system in win32/.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/EntrySource.h"

inline constexpr const char* kOptionKey = "Software\\Vantrelle\\Tool\\ScrOption";
inline constexpr const char* kDefaultFontFace = "Times New Roman";

// Option words, as the authoring program writes them.
inline constexpr const char* kOptDisplay = "Display";
inline constexpr const char* kOptMute = "mute";
inline constexpr const char* kOptMouse = "mouse";
inline constexpr const char* kOptMouseClick = "mouseClick";
inline constexpr const char* kOptKey = "Key";
inline constexpr const char* kOptSound = "Sound";
inline constexpr const char* kOptTrx = "Trx";
inline constexpr const char* kOptSfx = "Sfx";
inline constexpr const char* kOptDefaultFontCheck = "DefaultFontCheck";
inline constexpr const char* kOptIsLetter = "IsLetter";
inline constexpr const char* kOptTitleFont = "TitleFont";
inline constexpr const char* kOptTitleFontSize = "TitleFontSize";
inline constexpr const char* kOptTitleFontColor = "TitleFontColor";
inline constexpr const char* kOptLetterFont = "LetterFont";
inline constexpr const char* kOptLetterFontSize = "LetterFontSize";
inline constexpr const char* kOptLetterFontColor = "LetterFontColor";
inline constexpr const char* kOptLetterTimerCheck = "LetterTimerCheck";
inline constexpr const char* kOptLetterTime = "LetterTime";
inline constexpr const char* kOptDefaultColorCheck = "DefaultColorCheck";

// A numeric option: its default and the range a stored value is clamped to.
struct DwordOption {
    const char* word;
    int32_t defaultValue;
    int32_t low, high;
};

inline constexpr DwordOption kTransitionMs{kOptTrx, 2000, 1000, 5000};
inline constexpr DwordOption kShowMs{kOptSfx, 5000, 2000, 20000};
inline constexpr DwordOption kTitleFontSize{kOptTitleFontSize, 100, 8, 400};
inline constexpr DwordOption kLetterFontSize{kOptLetterFontSize, 30, 8, 400};
inline constexpr DwordOption kLetterTime{kOptLetterTime, 5, 0, 3600};

enum DisplayChoice : int32_t {
    kDisplay400x300 = 0,
    kDisplay640x480 = 1,
    kDisplay800x600 = 2,
};

// The engine's option state (one static instance, saverOptions()).
struct SaverOptions {
    int32_t transitionMs = 2000;
    int32_t showMs = 5000;
    int32_t letterMode = 0;
    char fontFace[32] = "Times New Roman";  // title or letter face, by the mode
    int32_t fontSize = 100;
    uint32_t titleColor = 80;               // COLORREF 0x00BBGGRR
    uint32_t letterColor = 80;
    int32_t letterTimerCheck = 1;
    int32_t letterTime = 5;                 // seconds before the letter scrolls
    uint8_t defaultColor = 1;               // 1: the title colour is drawn at random
    int32_t mute = 0;
    int32_t mouse = 0;                      // 1: a mouse move does not end the saver
    int32_t mouseClick = 0;                 // 1: a left press does not end it
    int32_t key = 0;                        // 1: a key press does not end it
    int32_t soundRepeat = 1;                // option "Sound"
    int32_t displayChoice = kDisplay640x480;
    char saverName[260] = {};               // file name part of the saver's path
};

SaverOptions& saverOptions();

// Where option values are kept (the registry key on Windows, a map in tests).
class OptionStore {
public:
    virtual ~OptionStore() = default;
    // True with *value set when the value exists as a 4-byte number.
    virtual bool readDword(const char* name, uint32_t* value) const = 0;
    // True when a string value was read into dst (zero-terminated, cut to size - 1).
    virtual bool readString(const char* name, char* dst, size_t size) const = 0;
    virtual bool writeDword(const char* name, uint32_t value) = 0;
    virtual bool writeString(const char* name, const char* text) = 0;
};

// A saver's name, under which its options are stored: the file name without
// folder and last extension (C:\WINDOWS\My Saver.scr gives My Saver,
// C:\My.Folder\saver gives saver). The writer of the options uses it too.
std::string saverNameOf(const std::string& path);
// saverNameOf in place.
void fileNamePart(char* buffer);
// The saver name from the package's path entry (cut to 259 bytes), reduced.
void loadSaverName(const EntrySource& package, char (&name)[260]);
// The value name of one option: the lower-cased saver name and the word.
std::string optionValueName(const char* saverName, const char* word);

// One numeric option, its default when missing, clamped into its range.
int32_t readDwordOption(const OptionStore& store, const char* saverName, const DwordOption& option);
// A 0/1 switch; anything else stored gives the default.
int32_t readSwitchOption(const OptionStore& store, const char* saverName, const char* word,
                         int32_t defaultValue);
// A raw number (the quit options compare it with 1 themselves).
int32_t readRawOption(const OptionStore& store, const char* saverName, const char* word,
                      int32_t defaultValue);

// "400 * 300", "640 * 480", "800 * 600" -> 0, 1, 2; any other text -> -1.
int32_t displayChoiceFromText(const char* text);
const char* displayText(int32_t choice);
// Frame size of a display choice (0 x 0 for an unknown one).
void frameSizeOfChoice(int32_t choice, int32_t* width, int32_t* height);

// Titles are keyed onto the picture with colour 0 as the transparent key, so
// pure black becomes the nearest colour that still shows.
uint32_t visibleTitleColor(uint32_t colorRef);

// The part of readRunOptions that reads values: mute and the display choice
// always; the quit and sound options unless in preview (there they keep their
// initial values).
void readRunValues(const OptionStore& store, SaverOptions& options, bool preview);
// Every option of a show start (readOptions), under options.saverName.
void readShowValues(const OptionStore& store, SaverOptions& options);

// The full-screen display switch, one mode at a time.
class DisplaySwitcher {
public:
    virtual ~DisplaySwitcher() = default;
    virtual bool setMode(int32_t width, int32_t height, int32_t bits) = 0;
};

// chooseDisplayMode: the mode at 32, 24, 16 bits, else 640 x 480 (then
// displayChoice becomes 1); a window with a parent switches nothing.
bool chooseDisplayModeWith(DisplaySwitcher& display, bool hasParent, int32_t width, int32_t height,
                           int32_t& displayChoice, bool& switched);

// What a full-screen start does for the stored display choice.
struct DisplayStart {
    bool start;            // start the engine
    int32_t width, height; // with this frame size
    bool switched;         // the display mode was changed (restore it at the end)
};
DisplayStart planDisplayStart(DisplaySwitcher& display, bool hasParent, int32_t& displayChoice);

// The settings dialog's rule for the "Display" value saved: the chosen entry
// (0, 1, 2; -1 none) and the screen width give the text to write, or null.
const char* displayTextToSave(int32_t selectedEntry, int32_t screenWidth);

// Time label of a trackbar: tenths ("2.5s"), or hundredths from 10 s on when
// the label allows them ("12.34s"); integer arithmetic throughout.
std::string formatTimeLabel(int32_t ms, bool hundredthsFromTenSeconds);
