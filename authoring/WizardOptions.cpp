#include "authoring/WizardOptions.h"

#include <cctype>
#include <climits>

#include "engine/SaverOptions.h"

namespace {

void line(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

void number(std::string& out, long long value) { line(out, std::to_string(value)); }

void flag(std::string& out, bool on) { line(out, on ? "1" : "0"); }

uint32_t unsignedLeadingValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

std::string pathBaseName(const std::string& path) { return saverNameOf(path); }

std::string pathExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return "invalid";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

int32_t decimalValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) {
            value = negative ? -static_cast<long long>(INT32_MIN) : INT32_MAX;
            break;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

std::string letterStartLine(const std::string& edit) {
    return edit.empty() ? std::string("5") : edit.substr(0, 99);
}

void writeMakeOptionLines(std::string& out, const MakeOptionValues& make) {
    if (!make.pageExists) {
        line(out, "1");
        line(out, "2000");
        line(out, "5000");
        return;
    }
    number(out, make.screenModeRow);
    number(out, make.transitionMs);
    number(out, make.showMs);
}

void writeExeTitleSwitch(std::string& out, const TextOptionValues& text) { flag(out, text.titlesOn); }

void writeExeLetterOptions(std::string& out, const TextOptionValues& text) {
    line(out, "1");
    line(out, letterStartLine(text.letterStartText));
    line(out, text.letterFace);
    line(out, text.letterSizeText);
}

void writeExeTitleOptions(std::string& out, const TextOptionValues& text) {
    line(out, text.titleFace);
    line(out, text.titleSizeText);
    flag(out, text.randomColour);
    flag(out, text.defaultFont);
}

void writeExeColours(std::string& out, const TextOptionValues& text) {
    number(out, text.titleColour);
    number(out, text.letterColour);
}

std::string exeOptionText(const TextOptionValues& text, const MakeOptionValues& make) {
    std::string out;
    writeExeTitleSwitch(out, text);
    writeExeLetterOptions(out, text);
    writeExeTitleOptions(out, text);
    writeMakeOptionLines(out, make);
    writeExeColours(out, text);
    return out;
}

std::vector<ScrOptionValue> scrOptionValues(const char* saverPath, const TextOptionValues& text,
                                            const MakeOptionValues& make, int32_t screenWidth,
                                            int32_t& displayThreshold) {
    const std::string saver = pathBaseName(saverPath ? saverPath : "");
    std::vector<ScrOptionValue> values;
    auto dword = [&](const char* word, uint32_t v) {
        values.push_back({optionValueName(saver.c_str(), word), false, {}, v});
    };
    auto string = [&](const char* word, const std::string& v) {
        values.push_back({optionValueName(saver.c_str(), word), true, v, 0});
    };

    // The threshold of the middle mode is 600, not 640: a 640-wide screen keeps it.
    const int32_t row = make.screenModeRow;
    if (row == 0) displayThreshold = 400;
    else if (row == 1) displayThreshold = 600;
    else if (row == 2) displayThreshold = 800;
    if (screenWidth <= displayThreshold) string(kOptDisplay, "640 * 480");
    else if (row >= 0 && row <= 2) string(kOptDisplay, displayText(row));

    dword(kOptTrx, static_cast<uint32_t>(make.transitionMs));
    dword(kOptSfx, static_cast<uint32_t>(make.showMs));
    dword(kOptIsLetter, text.letterOn ? 1 : 0);
    string(kOptLetterFont, text.letterFace);
    dword(kOptLetterFontSize, static_cast<uint32_t>(decimalValue(text.letterSizeText)));
    dword(kOptLetterFontColor, text.letterColour);
    dword(kOptLetterTimerCheck, 1);
    dword(kOptLetterTime, unsignedLeadingValue(text.letterStartText));
    string(kOptTitleFont, text.titleFace);
    dword(kOptTitleFontSize, static_cast<uint32_t>(decimalValue(text.titleSizeText)));
    dword(kOptTitleFontColor, text.titleColour);
    dword(kOptDefaultColorCheck, text.randomColour ? 1 : 0);
    dword(kOptDefaultFontCheck, text.defaultFont ? 1 : 0);
    return values;
}
