#include "authoring/WizardRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

FontTable fontTable;

namespace {

bool equalsNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// The extension of a file name's last dot, "" when none.
const char* dotExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot ? dot : "";
}

}  // namespace

void fileBaseName(char* path) {
    if (char* dot = std::strrchr(path, '.')) *dot = 0;
    fileNameOfPath(path);
}

void fileNameOfPath(char* path) {
    const char* name = fileNamePart(path);
    if (name != path) std::memmove(path, name, std::strlen(name) + 1);
}

const char* fileNamePart(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

const char* fileExtension(const char* path, char* out, size_t outSize) {
    const char* dot = std::strrchr(path, '.');
    if (!dot) return "invalid";
    if (outSize == 0) return out;
    std::snprintf(out, outSize, "%s", dot + 1);
    return out;
}

bool isDroppedPicture(const char* path) {
    char ext[29] = {};
    const char* got = fileExtension(path, ext, sizeof ext);
    return got == ext && equalsNoCase(ext, "jpg");
}

bool folderFileMatches(const char* name, bool imageMode) {
    const char* ext = dotExtension(name);
    if (imageMode) return equalsNoCase(ext, ".jpg") || equalsNoCase(ext, ".jpeg");
    return equalsNoCase(ext, ".mp3") || equalsNoCase(ext, ".wav");
}

std::string folderPattern(const char* fileSystemPath) {
    if (!fileSystemPath || !*fileSystemPath) return "NULL";
    std::string pattern = fileSystemPath;
    if (pattern.back() != '\\') pattern += '\\';
    return pattern + "*.*";
}

std::string patternFolder(const char* pattern) {
    const char* slash = std::strrchr(pattern, '\\');
    return slash ? std::string(pattern, slash + 1) : std::string();
}

std::string folderOfModule(const char* moduleFileName) { return patternFolder(moduleFileName); }

std::string numberedRowText(int32_t row, const char* path) {
    return std::to_string(row + 1) + "." + fileNamePart(path) + " ";
}

std::string shortenTitleRowText(const std::string& text, int32_t widthPixels) {
    if (widthPixels <= 150) return text;
    return text.substr(0, 15) + "....";
}

int32_t longestRow(const std::vector<std::string>& paths) {
    int32_t best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        size_t length = std::to_string(i + 1).size() + 1 + paths[i].size();
        if (best < 0 || length > bestLength) best = static_cast<int32_t>(i), bestLength = length;
    }
    return best;
}

std::string extentText(const std::vector<std::string>& paths, bool fileNameOnly) {
    int32_t row = longestRow(paths);
    if (row < 0) return std::string();
    std::string text = std::to_string(row + 1) + "." + paths[row];
    return fileNameOnly ? std::string(fileNamePart(text.c_str())) : text;
}

int32_t picturesThatFit(int32_t selected, int32_t rows) {
    int32_t free = std::max(0, kMaxWizardPictures - rows);
    return std::clamp(selected, 0, free);
}

int32_t currentRowAfterDelete(int32_t lastCurrentRow, int32_t rowsLeft) {
    if (rowsLeft <= 0) return -1;
    return std::clamp(lastCurrentRow - 1, 0, rowsLeft - 1);
}

// The times are shown with the single-precision 0.001 widened to double, as the
// option texts have always been computed.
namespace {
constexpr double kMilli = static_cast<double>(0.001f);
}

std::string trackbarSecondsText(int32_t positionMs) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", positionMs * kMilli);
    return text;
}

std::string transitionSecondsText(int32_t positionMs) {
    int32_t t = static_cast<int32_t>(positionMs * kMilli * 10);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d", t / 10, t % 10);
    return text;
}

std::string showSecondsText(int32_t positionMs) {
    char text[32];
    if (static_cast<int32_t>(positionMs * kMilli) >= 10) {
        int32_t t = static_cast<int32_t>(positionMs * kMilli * 100);
        std::snprintf(text, sizeof text, "%d.%02d", t / 100, t % 100);
    } else {
        int32_t t = static_cast<int32_t>(positionMs * kMilli * 10);
        std::snprintf(text, sizeof text, "%d.%d", t / 10, t % 10);
    }
    return text;
}

int32_t secondsTextToMs(const char* text) {
    double ms = std::atof(text) * 1000.0;
    // Far outside any range either way; keeps the conversion defined.
    if (!(ms > -1e9 && ms < 1e9)) return ms > 0 ? INT32_MAX : INT32_MIN;
    // Typed decimals are not exact in binary ("2.01" is 2009.99… ms): to the nearest millisecond.
    return static_cast<int32_t>(std::lround(ms));
}

const char* saverNameProblem(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return kSaverNameEmpty;
    if (name.size() > kSaverNameMaxChars) return kSaverNameTooLong;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c)) return kSaverNameCharacters;
    // The system opens a device, not a file, under these names (with any extension).
    std::string upper = name.substr(0, name.find_last_not_of(' ') + 1);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* d : devices)
        if (upper == d) return kSaverNameDevice;
    if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
        upper[3] >= '1' && upper[3] <= '9')
        return kSaverNameDevice;
    return nullptr;
}

bool usableSaverName(const std::string& name) { return saverNameProblem(name) == nullptr; }

MakeOptionError checkMakeOptions(int32_t transitionMs, int32_t showMs) {
    if (transitionMs > kTransitionMaxMs || transitionMs < kTransitionMinMs) return MakeOptionError::Transition;
    if (showMs > kShowMaxMs || showMs < kShowMinMs) return MakeOptionError::ShowTime;
    return MakeOptionError::None;
}

const char* makeOptionMessage(MakeOptionError error) {
    switch (error) {
    case MakeOptionError::Transition: return "Enter transition time from 1sec to 5sec.";
    case MakeOptionError::ShowTime: return "Enter image show time from 2sec to 20sec.";
    case MakeOptionError::None: break;
    }
    return "";
}

int collectFontRow(FontTable& table, const FontRow& row) {
    if (table.count >= kMaxFontRows) return 0;
    table.rows[table.count] = row;
    table.rows[table.count].faceName[sizeof row.faceName - 1] = 0;
    if (row.faceName[0] != '@') ++table.count;
    return 1;
}

const char* const kLetterSizes[16] = {"10", "20", "30", "40", "50", "60", "70", "80",
                                      "90", "100", "110", "120", "130", "140", "150", "160"};
const char* const kTitleSizes[16] = {"50", "60", "100", "110", "120", "130", "140", "150",
                                     "160", "170", "180", "190", "200", "210", "220", "230"};

void chooserCustomColours(uint32_t colours[16]) {
    for (uint32_t i = 0; i < 16; ++i) colours[i] = (((i + 16) * 8) % 256) << 16;
}

Placement centredOnScreen(int32_t screenW, int32_t screenH, int32_t w, int32_t h) {
    return {(screenW - w) / 2, (screenH - h) / 2, w, h - 12};
}

Placement centredOverParent(int32_t parentLeft, int32_t parentTop, int32_t parentW, int32_t parentH,
                            int32_t w, int32_t h, int32_t screenW, int32_t screenH) {
    int32_t x = std::max(0, parentLeft + (parentW - w) / 2);
    int32_t y = std::max(0, parentTop + (parentH - h) / 2);
    if (x + w > screenW) x = screenW - w;
    if (y + h > screenH) y = screenH - h;
    return {x, y, w, h};
}

int32_t windowsVersionClass(uint32_t platformId, uint32_t major, uint32_t minor) {
    switch (platformId) {
    case 0: return 1;   // Win32s
    case 1:             // the Windows 95 family
        if (major != 4) return 8;
        if (minor == 0) return 2;
        return minor < 90 ? 4 : 8;
    case 2: return 16;  // NT
    }
    return 0;
}

LinkFont linkFont(int32_t pixelsPerInchY, int32_t pointSize, int32_t weight, uint32_t styleBits) {
    if (pointSize < 1) pointSize = 8;
    if (weight < 1 || weight > 900) weight = 400, styleBits = 0;
    return {-(pixelsPerInchY * pointSize / 72), weight, (styleBits & 1) != 0, (styleBits & 2) != 0,
            (styleBits & 4) != 0};
}

bool isMailTarget(const char* target) {
    static const char prefix[] = "mailto:";
    for (size_t i = 0; i < 7; ++i)
        if (std::tolower(static_cast<unsigned char>(target[i])) != prefix[i]) return false;
    return true;
}

bool keyEditsText(const KeyStroke& stroke) {
    // Virtual-key codes (the platform's numbering).
    enum : uint32_t {
        kBack = 0x08, kTab = 0x09, kEscape = 0x1B, kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26,
        kRight = 0x27, kDown = 0x28, kInsert = 0x2D, kDelete = 0x2E, kF1 = 0x70, kF24 = 0x87
    };
    if (stroke.ctrl && stroke.alt) return true;
    if (stroke.alt) return false;
    if (stroke.ctrl) {
        switch (stroke.key) {
        case 'A': case 'C': case 'V': case 'X': case 'Y': case 'Z':
        case kBack: case kDelete: case kInsert: case kLeft: case kRight: case kUp: case kDown: case kHome: case kEnd:
            return true;
        }
        return false;
    }
    return stroke.key != kTab && stroke.key != kEscape && !(stroke.key >= kF1 && stroke.key <= kF24);
}
