// Builds a saver from the command line with the authoring program's package
// writer: a copy of the engine file with the pictures, titles, sound and letter
// appended.
//
//   makesaver --engine ENGINE.scr --out SAVER.scr --picture A.jpg [--picture B.jpg ...]
//             [--title TEXT ...] [--sound FILE] [--letter FILE] [--saver-path PATH]
//
// Titles go to the pictures in order (missing ones are empty); without --title
// titles are off. --letter switches the letter on with the text of FILE.
// --saver-path is the path stored for the engine to name its options by
// (default: the file name of --out). Anything the writer could not pack is a
// failure here: the output is removed and the exit code is 1.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "authoring/ScenarioWriter.h"

namespace {

constexpr const char* kUsage =
    "usage: makesaver --engine ENGINE.scr --out SAVER.scr --picture A.jpg [--picture B.jpg ...]\n"
    "                 [--title TEXT ...] [--sound FILE] [--letter FILE] [--saver-path PATH]\n";

int failWith(const std::string& why, const std::string& out = {}) {
    std::fprintf(stderr, "makesaver: %s\n", why.c_str());
    if (!out.empty()) {
        std::error_code ec;
        std::filesystem::remove(out, ec);
    }
    return 1;
}

void printLine(void*, const char* line) { std::printf("%s\n", line); }

void printMessage(void* user, const char* text, const char* caption, PackMessageStyle) {
    std::fprintf(stderr, "makesaver: %s: %s\n", caption, text);
    ++*static_cast<int*>(user);
}

}  // namespace

int main(int argc, char** argv) {
    std::string engine, out, letterFile, saverPath;
    std::vector<std::string> pictures, titles;
    PackInput input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc) return failWith("missing value after " + arg + "\n" + kUsage);
        const char* value = argv[++i];
        if (arg == "--engine") engine = value;
        else if (arg == "--out") out = value;
        else if (arg == "--picture") pictures.push_back(value);
        else if (arg == "--title") titles.push_back(value);
        else if (arg == "--sound") input.soundPath = value;
        else if (arg == "--letter") letterFile = value;
        else if (arg == "--saver-path") saverPath = value;
        else return failWith("unknown option " + arg + "\n" + kUsage);
    }
    if (engine.empty() || out.empty() || pictures.empty())
        return failWith(std::string("--engine, --out and at least one --picture are needed\n") + kUsage);
    if (titles.size() > pictures.size()) return failWith("more titles than pictures");
    if (pictures.size() > static_cast<size_t>(kMaxSaverPictures))
        return failWith("at most 255 pictures");

    for (size_t i = 0; i < pictures.size(); ++i)
        input.rows.push_back({pictures[i], i < titles.size() ? titles[i] : std::string()});
    input.titlesOn = !titles.empty();
    if (!letterFile.empty()) {
        std::vector<uint8_t> text;
        if (!readWholeFile(letterFile.c_str(), text)) return failWith("cannot read " + letterFile);
        input.letterOn = true;
        input.letterText.assign(text.begin(), text.end());
    }
    if (saverPath.empty()) saverPath = std::filesystem::path(out).filename().string();

    std::error_code ec;
    std::filesystem::copy_file(engine, out, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return failWith("cannot copy " + engine + " to " + out + ": " + ec.message(), out);

    // The package is written to `out`; the path stored in it is `saverPath`.
    int messages = 0;
    PackReporter reporter;
    reporter.user = &messages;
    reporter.progressLine = printLine;
    reporter.message = printMessage;
    const PackResult result = packScreenSaver(input, out.c_str(), reporter, saverPath.c_str());
    if (!result.built) return failWith(result.error, out);
    if (messages > 0) return failWith("the saver was not built as asked", out);
    std::printf("makesaver: %s: %d picture entries, %d titles%s%s\n", out.c_str(),
                result.pictureEntries, result.titleEntries, result.soundKind ? ", sound" : "",
                result.letter ? ", letter" : "");
    return 0;
}
