// The Sound step's file information on Windows: the information list (1125)
// with the file's properties and, for MP3 files, the frame header and ID3v1
// tag; the refusal of MP3 files above 256 kbps; and the position display.
// Every function takes the Sound step's page, whose controls it fills.
#pragma once
#include <windows.h>

#include <string>

enum : int {
    kIdSoundPath = 1012,          // edit: the chosen sound
    kIdSoundPosition = 1019,      // label "%02d : %02d"
    kIdSoundTotalTime = 1020,     // label "%02d : %02d"
    kIdSoundIcon = 1053,          // static: the file's shell icon
    kIdSoundPositionBar = 1111,   // trackbar 0 to 100
    kIdSoundInfoList = 1125,      // report list view: item, information
};

// Takes the sound at path (its extension lower-cased in place) onto the
// wizard's player and the page; false when an MP3 file was refused.
bool showSoundInfo(HWND page, char* path);
void fillFileInfoList(HWND page, const char* path);
void addSoundInfoRow(HWND page, const char* item, const char* info);

struct FileTimeAndSize {
    std::string date;    // "%4d-%02d-%02dDay %02d:%02d", local time
    std::string size;    // "%d bytes"
    std::string name;
};
int fileTimeAndSize(const char* path, FileTimeAndSize& out);

struct ShellFileTexts {
    std::string result, iconIndex, displayName, typeName, attributes;
};
void shellFileInfo(HWND page, const char* path, ShellFileTexts& out);
// The attribute words of SHGetFileInfo's attributes, then "and so on"; "" for none.
std::string shellAttributeText(DWORD attributes);

// 200 for "mp3", else "invalid file extension" is shown and 100 returned.
int checkMp3Extension(const char* path);
void showErrorBox(const char* format, ...);

// The page's answer to 1068: the position trackbar and label.
void updateSoundPosition(HWND page);
