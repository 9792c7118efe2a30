#include "engine/SaverOptions.h"

#include <cstdio>
#include <cstring>

namespace {

SaverOptions g_options;

// Lower-cases the ASCII letters of a code page 949 name; the second byte of a
// double-byte character is left alone (it may fall in the A-Z range).
void lowerAnsiName(std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x81) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            text[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
}

void copyText(char* dst, size_t size, const char* src) {
    size_t n = strnlen(src, size - 1);
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

// A font face from the store; the default when missing or empty.
void readFaceOption(const OptionStore& store, const char* saverName, const char* word, char (&face)[32]) {
    char value[32] = {};
    if (!store.readString(optionValueName(saverName, word).c_str(), value, sizeof value) || !value[0])
        copyText(value, sizeof value, kDefaultFontFace);
    copyText(face, sizeof face, value);
}

}  // namespace

SaverOptions& saverOptions() { return g_options; }

std::string saverNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

void fileNamePart(char* buffer) {
    const std::string name = saverNameOf(buffer);
    std::memcpy(buffer, name.c_str(), name.size() + 1);   // never longer than the path
}

void loadSaverName(const EntrySource& package, char (&name)[260]) {
    std::vector<uint8_t> bytes;
    if (!package.readEntry(kEntrySaverPath, 0, bytes)) return;
    size_t n = 0;
    while (n < bytes.size() && n < sizeof name - 1 && bytes[n]) ++n;
    if (n) std::memcpy(name, bytes.data(), n);   // an empty entry has no bytes at all
    name[n] = '\0';
    fileNamePart(name);
}

std::string optionValueName(const char* saverName, const char* word) {
    std::string name = saverName ? saverName : "";
    lowerAnsiName(name);
    return name + word;
}

int32_t readRawOption(const OptionStore& store, const char* saverName, const char* word,
                      int32_t defaultValue) {
    uint32_t value = 0;
    if (!store.readDword(optionValueName(saverName, word).c_str(), &value)) return defaultValue;
    return static_cast<int32_t>(value);
}

int32_t readDwordOption(const OptionStore& store, const char* saverName, const DwordOption& option) {
    int32_t value = readRawOption(store, saverName, option.word, option.defaultValue);
    if (value < option.low) return option.low;
    if (value > option.high) return option.high;
    return value;
}

int32_t readSwitchOption(const OptionStore& store, const char* saverName, const char* word,
                         int32_t defaultValue) {
    int32_t value = readRawOption(store, saverName, word, defaultValue);
    return value == 0 || value == 1 ? value : defaultValue;
}

int32_t displayChoiceFromText(const char* text) {
    static const char* const kTexts[] = {"400 * 300", "640 * 480", "800 * 600"};
    for (int32_t i = 0; i < 3; ++i)
        if (std::strcmp(text, kTexts[i]) == 0) return i;
    return -1;
}

const char* displayText(int32_t choice) {
    switch (choice) {
    case kDisplay400x300: return "400 * 300";
    case kDisplay640x480: return "640 * 480";
    case kDisplay800x600: return "800 * 600";
    default: return "";
    }
}

void frameSizeOfChoice(int32_t choice, int32_t* width, int32_t* height) {
    static const int32_t kSizes[3][2] = {{400, 300}, {640, 480}, {800, 600}};
    bool known = choice >= 0 && choice < 3;
    *width = known ? kSizes[choice][0] : 0;
    *height = known ? kSizes[choice][1] : 0;
}

uint32_t visibleTitleColor(uint32_t colorRef) {
    colorRef &= 0x00FFFFFFu;
    return colorRef ? colorRef : 0x00010101u;
}

void readRunValues(const OptionStore& store, SaverOptions& o, bool preview) {
    const char* name = o.saverName;
    o.mute = readRawOption(store, name, kOptMute, 0);
    char display[10] = {};
    if (!store.readString(optionValueName(name, kOptDisplay).c_str(), display, sizeof display))
        copyText(display, sizeof display, "640 * 480");
    int32_t choice = displayChoiceFromText(display);
    o.displayChoice = choice < 0 ? kDisplay640x480 : choice;
    if (preview) {  // the quit and sound options are not read: their initial values
        o.mouse = o.mouseClick = o.key = 0;
        o.soundRepeat = 1;
        return;
    }
    o.mouse = readRawOption(store, name, kOptMouse, 0);
    o.mouseClick = readRawOption(store, name, kOptMouseClick, 0);
    o.key = readRawOption(store, name, kOptKey, 0);
    o.soundRepeat = readRawOption(store, name, kOptSound, 1);
}

void readShowValues(const OptionStore& store, SaverOptions& o) {
    const char* name = o.saverName;
    o.transitionMs = readDwordOption(store, name, kTransitionMs);
    o.showMs = readDwordOption(store, name, kShowMs);
    int32_t defaultFont = readSwitchOption(store, name, kOptDefaultFontCheck, 1);
    o.letterMode = readSwitchOption(store, name, kOptIsLetter, 0);

    // Colours and the letter delay do not belong to the font: read them whatever
    // the default-font switch says, so a default font still gets a visible colour
    // and a letter that starts.
    o.titleColor = visibleTitleColor(static_cast<uint32_t>(readRawOption(store, name, kOptTitleFontColor, 80)));
    o.letterColor = static_cast<uint32_t>(readRawOption(store, name, kOptLetterFontColor, 80)) & 0x00FFFFFFu;
    o.letterTimerCheck = readSwitchOption(store, name, kOptLetterTimerCheck, 1);
    o.letterTime = o.letterTimerCheck == 1 ? readDwordOption(store, name, kLetterTime) : kLetterTime.defaultValue;

    int32_t defaultColorCheck = readRawOption(store, name, kOptDefaultColorCheck, 1);
    o.defaultColor = defaultColorCheck == 1;

    if (defaultFont == 1) {
        copyText(o.fontFace, sizeof o.fontFace, kDefaultFontFace);
        o.fontSize = defaultColorCheck == 1 ? (o.letterMode ? 30 : 100) : 80;
    } else if (o.letterMode == 0) {
        readFaceOption(store, name, kOptTitleFont, o.fontFace);
        o.fontSize = readDwordOption(store, name, kTitleFontSize);
    } else {
        readFaceOption(store, name, kOptLetterFont, o.fontFace);
        o.fontSize = readDwordOption(store, name, kLetterFontSize);
    }
}

bool chooseDisplayModeWith(DisplaySwitcher& display, bool hasParent, int32_t width, int32_t height,
                           int32_t& displayChoice, bool& switched) {
    static const int32_t kBits[] = {32, 24, 16};
    if (hasParent) return false;
    for (int32_t bits : kBits)
        if (display.setMode(width, height, bits)) return switched = true;
    displayChoice = kDisplay640x480;
    if (width == 640 && height == 480) return false;  // just refused at every depth
    for (int32_t bits : kBits)
        if (display.setMode(640, 480, bits)) return switched = true;
    return false;
}

DisplayStart planDisplayStart(DisplaySwitcher& display, bool hasParent, int32_t& displayChoice) {
    DisplayStart s{false, 0, 0, false};
    int32_t asked = displayChoice;
    int32_t width = 0, height = 0;
    frameSizeOfChoice(asked, &width, &height);
    if (width == 0) {  // not a known choice: the default size
        displayChoice = asked = kDisplay640x480;
        frameSizeOfChoice(asked, &width, &height);
    }
    bool set = chooseDisplayModeWith(display, hasParent, width, height, displayChoice, s.switched);
    // 400 x 300 starts even when no mode could be set: the frame then sits in a
    // window of the current display size.
    if (!set && asked != kDisplay400x300) return s;
    s.start = true;
    frameSizeOfChoice(displayChoice, &s.width, &s.height);
    return s;
}

const char* displayTextToSave(int32_t selectedEntry, int32_t screenWidth) {
    switch (selectedEntry) {
    case 0: return 400 >= screenWidth ? "640 * 480" : "400 * 300";
    case 1: return "640 * 480";
    case 2: return 800 >= screenWidth ? "640 * 480" : "800 * 600";
    default: return nullptr;
    }
}

std::string formatTimeLabel(int32_t ms, bool hundredthsFromTenSeconds) {
    if (ms < 0) ms = 0;
    int32_t seconds = ms / 1000;
    char text[32];
    if (hundredthsFromTenSeconds && seconds >= 10)
        std::snprintf(text, sizeof text, "%d.%02ds", seconds, (ms % 1000) / 10);
    else
        std::snprintf(text, sizeof text, "%d.%ds", seconds, (ms % 1000) / 100);
    return text;
}
