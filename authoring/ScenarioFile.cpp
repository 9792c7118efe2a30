#include "authoring/ScenarioFile.h"

#include <algorithm>
#include <cctype>

int32_t missingCount = 0;
std::string scenarioPath;
bool scenarioNamed = false;

ScenarioState& scenarioState() {
    static ScenarioState state;
    return state;
}

namespace {

constexpr size_t kTitleChars = 69;        // the title list's 70-byte cell buffer
constexpr size_t kLetterStartChars = 99;

// One line of a single-line field: cut to its buffer, and never a line break
// inside, which would shift every later line of the file.
void textLine(std::string& out, const std::string& text, size_t limit) {
    std::string t = text.substr(0, std::min(limit, text.find_first_of("\r\n")));
    out += t;
    out += "\r\n";
}

void numberLine(std::string& out, long long value) {
    out += std::to_string(value);
    out += "\r\n";
}

std::string cut(const std::string& text, size_t limit) { return text.substr(0, limit); }

// The reading side: lines by number, "LETTER" wherever it comes.
class ScenarioLines {
public:
    ScenarioLines(ScenarioState& state, FileExistsFn exists, void* user, int32_t* missing)
        : state_(state), exists_(exists), user_(user), missing_(missing) {}

    // False once nothing more of the file can matter.
    bool take(const std::string& line) {
        if (inLetter_) return appendLetter(line);
        if (line == "LETTER") {
            inLetter_ = true;
            return true;
        }
        ++k_;
        if (k_ <= 15) {
            header(line);
            return true;
        }
        // An empty section is one "Nothing" line, so a picture count of 0 still
        // takes one line before the title list starts.
        const long long pictureLines = pictures_ > 0 ? pictures_ : 1;
        const long long index = k_ - 16;
        if (index < pictureLines) {
            if (pictures_ > 0) picture(line);
        } else if (index < pictureLines + titles_) {
            if (state_.titlePaths.size() < kScenarioListLimit) state_.titlePaths.push_back(cut(line, kScenarioLineChars));
        } else if (index < pictureLines + 2 * titles_) {
            if (state_.titles.size() < kScenarioListLimit)
                state_.titles.push_back(line == kNothingLine ? std::string() : cut(line, kScenarioLineChars));
        }
        return true;
    }

    // The writer ends the letter with one CR LF of its own; it is not the letter's.
    void finish() {
        std::string& letter = state_.letterText;
        if (inLetter_ && letter.size() >= 2 && letter.compare(letter.size() - 2, 2, "\r\n") == 0)
            letter.resize(letter.size() - 2);
    }

private:
    void header(const std::string& line) {
        const int32_t value = decimalValue(line);
        switch (k_) {
        case 1: pictures_ = std::max(0, value); break;
        case 2: titles_ = std::max(0, value); break;
        case 3: state_.slideTimeRow = value; break;
        case 5: state_.letterStartTime = cut(line, kScenarioStartTimeChars); break;
        case 6: state_.letterFontRow = value; break;
        case 7: state_.letterSizeRow = value; break;
        case 8: state_.titleFontRow = value; break;
        case 9: state_.titleSizeRow = value; break;
        case 10: state_.randomColour = value; break;
        case 11: state_.defaultFont = value; break;
        case 12: state_.screenModeRow = value; break;
        case 13: state_.transitionMs = value; break;
        case 14: state_.showMs = value; break;
        case 15: state_.soundPath = line == kNothingLine ? std::string() : cut(line, kScenarioLineChars); break;
        default: break;
        }
    }

    // Every missing picture is counted; only the first 255 are kept.
    void picture(const std::string& line) {
        std::string path = cut(line, kScenarioLineChars);
        if (exists_ && !exists_(path.c_str(), user_)) {
            if (state_.missingPictures.size() < kScenarioListLimit) state_.missingPictures.push_back(path);
            if (missing_) ++*missing_;
        }
        if (state_.pictures.size() < kScenarioListLimit) state_.pictures.push_back(std::move(path));
    }

    bool appendLetter(const std::string& line) {
        std::string& letter = state_.letterText;
        const size_t room = kScenarioLetterChars - letter.size();
        letter.append(line, 0, std::min(room, line.size()));
        letter.append("\r\n", 0, std::min<size_t>(2, kScenarioLetterChars - letter.size()));
        return letter.size() < kScenarioLetterChars;
    }

    ScenarioState& state_;
    FileExistsFn exists_;
    void* user_;
    int32_t* missing_;
    long long k_ = 0;
    long long pictures_ = 0;
    long long titles_ = 0;
    bool inLetter_ = false;
};

// Splits the byte stream into lines (CR LF or LF; one CR before the LF is the
// break's), keeping at most the letter's room of any line.
template <class NextByte>
void readLines(NextByte next, ScenarioState& state, FileExistsFn exists, void* user, int32_t* missing) {
    state = ScenarioState{};
    state.imageRestorePending = state.textRestorePending = 1;
    state.soundRestorePending = state.makeRestorePending = 1;
    ScenarioLines lines(state, exists, user, missing);
    std::string line;
    bool any = false;
    for (int c = next(); ; c = next()) {
        if (c < 0 || c == '\n') {
            if (c < 0 && !any) break;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!lines.take(line)) break;
            line.clear();
            any = false;
            if (c < 0) break;
            continue;
        }
        any = true;
        if (line.size() <= kScenarioLetterChars) line.push_back(static_cast<char>(c));
    }
    lines.finish();
}

}  // namespace

void writeCountLines(std::string& out, const ScenarioPageValues& v) {
    numberLine(out, static_cast<long long>(v.pictures.size()));
    numberLine(out, static_cast<long long>(v.titlePaths.size()));
}

void writeSlideTimeLine(std::string& out, const ScenarioPageValues& v) { numberLine(out, v.slideTimeRow); }

void writeLetterOptionLines(std::string& out, const ScenarioPageValues& v) {
    out += "1\r\n";
    textLine(out, letterStartLine(v.text.letterStartText), kLetterStartChars);
    numberLine(out, v.text.letterFontRow);
    numberLine(out, v.text.letterSizeRow);
}

void writeTitleOptionLines(std::string& out, const ScenarioPageValues& v) {
    numberLine(out, v.text.titleFontRow);
    numberLine(out, v.text.titleSizeRow);
    out += v.text.randomColour ? "1\r\n" : "0\r\n";
    out += v.text.defaultFont ? "1\r\n" : "0\r\n";
}

void writeSoundLine(std::string& out, const ScenarioPageValues& v) {
    textLine(out, v.soundPath.empty() ? std::string(kNothingLine) : v.soundPath, kScenarioLineChars);
}

void writeSelectedImageLines(std::string& out, const ScenarioPageValues& v) {
    if (v.pictures.empty()) out += "Nothing\r\n";
    for (const std::string& path : v.pictures) textLine(out, path, kScenarioLineChars);
}

void writeTitleListLines(std::string& out, const ScenarioPageValues& v) {
    if (v.titlePaths.empty()) {
        out += "Nothing\r\n";
        return;
    }
    for (const std::string& path : v.titlePaths) textLine(out, path, kScenarioLineChars);
    for (size_t i = 0; i < v.titlePaths.size(); ++i) {
        const std::string title = i < v.titles.size() ? cut(v.titles[i], kTitleChars) : std::string();
        textLine(out, title.empty() ? std::string(kNothingLine) : title, kTitleChars);
    }
}

void writeLetterSection(std::string& out, const ScenarioPageValues& v) {
    out += "LETTER\r\n";
    out += cut(v.letterText, kScenarioLetterChars);
    out += "\r\n";
}

std::string scenarioFileText(const ScenarioPageValues& values) {
    std::string out;
    writeCountLines(out, values);
    writeSlideTimeLine(out, values);
    writeLetterOptionLines(out, values);
    writeTitleOptionLines(out, values);
    writeMakeOptionLines(out, values.make);
    writeSoundLine(out, values);
    writeSelectedImageLines(out, values);
    writeTitleListLines(out, values);
    writeLetterSection(out, values);
    return out;
}

bool writeScenarioFile(std::FILE* file, const ScenarioPageValues& values) {
    const std::string text = scenarioFileText(values);
    return file && std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

void parseScenarioText(const char* data, size_t size, ScenarioState& state, FileExistsFn exists, void* user,
                       int32_t* missing) {
    size_t at = 0;
    readLines([&]() -> int { return at < size ? static_cast<unsigned char>(data[at++]) : -1; }, state, exists,
              user, missing);
}

void readScenarioStream(std::FILE* file, ScenarioState& state, FileExistsFn exists, void* user,
                        int32_t* missing) {
    readLines([&]() -> int { return file ? std::getc(file) : -1; }, state, exists, user, missing);
}

void takePendingScenario(ScenarioPageValues& v, const ScenarioState& s) {
    if (s.imageRestorePending == 1) {
        v.pictures = s.pictures;
        v.slideTimeRow = s.slideTimeRow;
    }
    if (s.textRestorePending == 1) {
        v.titlePaths = s.titlePaths;
        v.titles.assign(s.titlePaths.size(), std::string());
        for (size_t i = 0; i < s.titles.size() && i < v.titles.size(); ++i) v.titles[i] = s.titles[i];
        v.text.letterStartText = s.letterStartTime;
        v.text.letterFontRow = s.letterFontRow;
        v.text.letterSizeRow = s.letterSizeRow;
        v.text.titleFontRow = s.titleFontRow;
        v.text.titleSizeRow = s.titleSizeRow;
        v.text.randomColour = s.randomColour == 1;
        v.text.defaultFont = s.defaultFont == 1;
        v.letterText = s.letterText;
    }
    // The loaded file replaces the work whole: no letter or no sound in it means none.
    if (s.soundRestorePending == 1) v.soundPath = s.soundPath;
    if (s.makeRestorePending == 1) v.make = {true, s.screenModeRow, s.transitionMs, s.showMs};
}

bool sameScenarioWork(const ScenarioPageValues& a, const ScenarioPageValues& b) {
    const auto text = [](ScenarioPageValues v) {
        // The title list is filled from the pictures when its step is first made.
        if (v.titlePaths.empty() && !v.pictures.empty()) {
            v.titlePaths = v.pictures;
            v.titles.assign(v.pictures.size(), std::string());
        }
        return scenarioFileText(v);
    };
    return text(a) == text(b);
}

std::string withScenarioExtension(const std::string& path) {
    return pathExtension(path) == "sao" ? path : path + ".sao";
}

bool isScenarioPath(const std::string& path) { return pathExtension(path) == "sao"; }
