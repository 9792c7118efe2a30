// The wizard's option values as its pages hold them, and the texts made of
// them: the registry values of a saver, the installer's option text
// "ExeOption.txt" and the option lines of a scenario file. A page fills these
// records from its controls; nothing here reads a window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The Make step: screen-mode list 1023, trackbars 1024 (transition) and 1025
// (show time). Before that page exists its fixed values stand in.
struct MakeOptionValues {
    bool pageExists = false;
    int32_t screenModeRow = 1;        // 0 "400 * 300", 1 "640 * 480", 2 "800 * 600"; -1 none
    int32_t transitionMs = 2000;
    int32_t showMs = 5000;
};

// The Text step's options.
struct TextOptionValues {
    bool titlesOn = true;              // "Write Image Title" (1114)
    bool letterOn = false;             // "Write Letter" (1115)
    std::string letterStartText = "5"; // "Letter Start Time" edit 1076, as typed
    int32_t letterFontRow = 0;         // list 1077
    int32_t letterSizeRow = 1;         // list 1078
    int32_t titleFontRow = 0;          // list 1083
    int32_t titleSizeRow = 2;          // list 1084
    std::string letterFace;            // FontTable face of the letter font row
    std::string letterSizeText;        // selected text of list 1078
    std::string titleFace;             // FontTable face of the title font row
    std::string titleSizeText;         // selected text of list 1084
    bool randomColour = false;         // "Apply Random Color" (1082)
    bool defaultFont = false;          // "Default Font and Size" (1086)
    uint32_t letterColour = 0x00FF0000;   // COLORREF
    uint32_t titleColour = 0x00FF0000;
};

constexpr const char* kNothingLine = "Nothing";

// Lines 12 to 14 of a scenario file and 10 to 12 of "ExeOption.txt".
void writeMakeOptionLines(std::string& out, const MakeOptionValues& make);

// "ExeOption.txt": 14 CRLF lines.
void writeExeTitleSwitch(std::string& out, const TextOptionValues& text);
void writeExeLetterOptions(std::string& out, const TextOptionValues& text);
void writeExeTitleOptions(std::string& out, const TextOptionValues& text);
void writeExeColours(std::string& out, const TextOptionValues& text);
std::string exeOptionText(const TextOptionValues& text, const MakeOptionValues& make);

// The edit's text, or "5" when it is empty (scenario file and option text).
std::string letterStartLine(const std::string& edit);

// One registry value of a saver.
struct ScrOptionValue {
    std::string name;        // lower-cased saver name + word
    bool isString = false;
    std::string text;        // REG_SZ
    uint32_t number = 0;     // REG_DWORD
};

// The 14 values `writeScrOptions` writes for the saver at saverPath, in order.
// displayThreshold carries the display rule's threshold from one call to the
// next (0 at program start); with no screen-mode row and a screen wider than
// it, "Display" is left out.
std::vector<ScrOptionValue> scrOptionValues(const char* saverPath, const TextOptionValues& text,
                                            const MakeOptionValues& make, int32_t screenWidth,
                                            int32_t& displayThreshold);

// File name without folder and its last extension: C:\A\Holiday.Pics.scr gives Holiday.Pics.
std::string pathBaseName(const std::string& path);
// The text after the last '.', lower-cased; "invalid" when there is none.
std::string pathExtension(const std::string& path);
// C runtime decimal conversion: leading blanks, sign, digits; 0 when none; clamped.
int32_t decimalValue(const std::string& text);
