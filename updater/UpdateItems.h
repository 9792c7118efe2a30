// Skyfetch's table of updatable files and the version check that marks the
// ones the server has newer copies of. No platform calls here: the dialog reads
// the installed versions and downloads the list, this decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int kUpdateItemCount = 4;
inline constexpr int kUpdateTextBytes = 10;       // 9 characters and the zero
inline constexpr int kAuthoringRow = 1;           // Glimmerdeck's row
// Numbers from here up are versions 2.0 and later, which this updater never fetches.
inline constexpr int32_t kNoUpdateFromVersion = 2000;
// The authoring program from 1.9 on is past what this updater may replace.
inline constexpr int32_t kAuthoringRefusedFromVersion = 1900;
// The version list is read into memory and shown whole; a real one is a few
// hundred bytes, so anything past this is not a version list.
inline constexpr std::size_t kVersionListMaxBytes = 64 * 1024;

struct UpdateItem {
    uint8_t needsUpdate;                 // 1: to be downloaded
    int32_t installedVersion;            // 0: no file or no version block
    int32_t newVersion;                  // 0 until a version list was read
    char installedText[kUpdateTextBytes];
    char newText[kUpdateTextBytes];
    char fileName[100];
    uint8_t missing;                     // 1: no such file where it is looked for
};

struct UpdateItemInfo {
    const char* fileName;
    const char* shownName;
    int iconId;
};

// Row order = line of the version list = image index of the list.
extern const UpdateItemInfo kUpdateItemInfo[kUpdateItemCount];
extern UpdateItem updateItems[kUpdateItemCount];

// The four parts written one after another in decimal and read back as one
// number: 1.1.0.0 -> 1100, 1.10.0.0 -> 11000. Numbers past the 32-bit range
// (large parts) saturate; they are far above any version this updater fetches.
int32_t versionNumber(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision);
// "%d.%d.%d.%d", cut to 9 characters.
void versionText(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision,
                 char (&out)[kUpdateTextBytes]);

// One line of the version list as a row reads it.
struct VersionLine {
    int32_t number;                      // the line's leading decimal number, 0 when none
    char text[kUpdateTextBytes];         // its first four characters joined by points
};

// Splits the version list into the lines of the four rows. A list with fewer
// lines leaves the missing rows at number 0 and empty text; a line longer than
// nine characters is cut (its rest never spills into the next row).
void parseVersionList(std::string_view list, VersionLine (&lines)[kUpdateItemCount]);

// The leading decimal number of a text (blanks, an optional sign, digits), as
// the C library reads it but saturated instead of overflowing.
int32_t leadingNumber(std::string_view text);

// Marks every row whose announced version is newer than the installed one and
// below 2.0 (a program that is not there counts as version 0). Returns how
// many rows are marked.
int decideUpdates(UpdateItem (&items)[kUpdateItemCount]);
// After a completed run the marked rows hold the versions they downloaded.
void markUpdated(UpdateItem (&items)[kUpdateItemCount]);

// The row's texts in the list: its installed version and whether it is current.
const char* installedColumnText(const UpdateItem& item);
const char* updateStateText(const UpdateItem& item);

// The detail box's text: the whole list less its last two bytes (the final line
// end), with bare line feeds widened to CR LF for the edit control, and cut at
// a zero byte.
std::string detailText(std::string_view list);
