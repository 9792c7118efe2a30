// Scenario files (".sao"): the wizard's work as CRLF text lines in a fixed
// order, and the loaded data (`ScenarioState`) from which each step refills
// its controls.
//
//   1 N (pictures)          2 M (title rows)       3 slide-time row     4 "1"
//   5 letter start text     6-9 letter font/size, title font/size rows
//   10 random colour        11 default font        12-14 screen mode, transition ms, show ms
//   15 sound path or "Nothing"
//   N picture paths (or "Nothing"); M title-list paths then M titles (or "Nothing")
//   "LETTER", then the letter text to the end of the file
//
// The reader trusts nothing in the file: counts only say where the sections
// lie, every slot and text is bounded, over-long lines are cut, and at most
// the letter's room is kept of the letter.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "authoring/WizardOptions.h"

constexpr int32_t kScenarioListLimit = 255;      // rows of the picture and title lists
constexpr size_t kScenarioLineChars = 259;       // a path slot holds 259 characters
constexpr size_t kScenarioStartTimeChars = 11;
constexpr size_t kScenarioLetterChars = 9999;

// What the steps hold when a scenario is written (a page fills it from its controls).
struct ScenarioPageValues {
    std::vector<std::string> pictures;      // Image step list 1121, in order
    std::vector<std::string> titlePaths;    // Text step title list, column 0
    std::vector<std::string> titles;        // column 1 (same rows)
    int32_t slideTimeRow = 0;               // list 1104
    TextOptionValues text;
    MakeOptionValues make;
    std::string soundPath;                  // Sound step edit 1012
    std::string letterText;                 // edit 1072, its line breaks CR LF
};

// The data of the last loaded scenario file.
struct ScenarioState {
    int32_t imageRestorePending = 0;
    int32_t textRestorePending = 0;
    int32_t soundRestorePending = 0;
    int32_t makeRestorePending = 0;
    int32_t slideTimeRow = 0;
    std::string letterStartTime;            // at most 11 characters
    int32_t letterFontRow = 0, letterSizeRow = 0, titleFontRow = 0, titleSizeRow = 0;
    int32_t randomColour = 0, defaultFont = 0;
    std::vector<std::string> pictures;      // at most 255, each at most 259 characters
    std::vector<std::string> titlePaths;
    std::vector<std::string> titles;
    std::string soundPath;
    std::vector<std::string> missingPictures;   // at most 255
    int32_t screenModeRow = 0, transitionMs = 0, showMs = 0;
    std::string letterText;                 // at most 9,999 characters
};

// The program's one state, its file name and whether Save may write without asking.
ScenarioState& scenarioState();
extern int32_t missingCount;              // missing pictures of the last load (all of them)
extern std::string scenarioPath;
extern bool scenarioNamed;

// The whole file's text.
std::string scenarioFileText(const ScenarioPageValues& values);
// Writes it to an open file in one go; false when not every byte was written.
bool writeScenarioFile(std::FILE* file, const ScenarioPageValues& values);

// The single lines, as `writeScenarioFile` writes them.
void writeCountLines(std::string& out, const ScenarioPageValues& values);
void writeSlideTimeLine(std::string& out, const ScenarioPageValues& values);
void writeLetterOptionLines(std::string& out, const ScenarioPageValues& values);
void writeTitleOptionLines(std::string& out, const ScenarioPageValues& values);
void writeSoundLine(std::string& out, const ScenarioPageValues& values);
void writeSelectedImageLines(std::string& out, const ScenarioPageValues& values);
void writeTitleListLines(std::string& out, const ScenarioPageValues& values);
void writeLetterSection(std::string& out, const ScenarioPageValues& values);

// Whether a picture named in the file exists (the loader asks for each).
using FileExistsFn = bool (*)(const char* path, void* user);

// Reads scenario text into state (cleared first; the four restore flags set)
// and adds every missing picture to *missing (may be null).
void parseScenarioText(const char* data, size_t size, ScenarioState& state, FileExistsFn exists,
                       void* user, int32_t* missing);
// The same from an open file, read as it comes (the file may be of any size).
void readScenarioStream(std::FILE* file, ScenarioState& state, FileExistsFn exists, void* user,
                        int32_t* missing);

// A save writes, for every step that has not yet taken the loaded scenario,
// the loaded data rather than that step's controls (unmade, or still holding
// older work), all of it: an empty letter or sound path included.
void takePendingScenario(ScenarioPageValues& values, const ScenarioState& state);

// Whether two states of the work differ in nothing a scenario file keeps: the
// test for unsaved work. A title list not yet made (its step never shown) and
// one holding every picture without titles are the same work.
bool sameScenarioWork(const ScenarioPageValues& a, const ScenarioPageValues& b);

// The save dialog's name made a scenario name: ".sao" appended unless the
// name already ends in it (in any case).
std::string withScenarioExtension(const std::string& path);
// Whether the open dialog's choice is a scenario file by its extension.
bool isScenarioPath(const std::string& path);
