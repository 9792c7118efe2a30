#include "engine/TitleLetter.h"

#include <cstring>

#include "engine/MakerInfo.h"
#include "engine/SaverOptions.h"

namespace {

TitleList g_titles{};
LetterState g_letter;

// Copies at most `room` bytes of a zero-terminated code page 949 text without
// splitting a double-byte character; returns the bytes copied.
size_t copyWholeCharacters(char* dst, size_t room, const uint8_t* src, size_t size) {
    size_t n = 0;
    while (n < size && src[n]) {
        size_t step = src[n] >= 0x81 ? 2 : 1;
        if (n + step > room || n + step > size) break;
        n += step;
    }
    if (n) std::memcpy(dst, src, n);   // an empty entry has no bytes at all
    dst[n] = '\0';
    return n;
}

}  // namespace

TitleList& titleList() { return g_titles; }
LetterState& letterState() { return g_letter; }

void loadTitleTexts(const EntrySource& package) {
    std::vector<uint8_t> bytes;
    int32_t count = 0;
    for (; count < kTitleRows; ++count) {  // rows beyond the list are not kept
        if (!package.readEntry(kEntryTitle, count, bytes)) break;
        char* row = g_titles.rows[count];
        copyWholeCharacters(row, kTitleRowBytes - 1, bytes.data(), bytes.size());
        if (std::strcmp(row, "ScreenSaver") == 0) row[0] = '\0';
    }
    if (count == 0) {
        std::strncpy(g_titles.rows[0], kMakerPromotionTitle, kTitleRowBytes - 1);
        g_titles.rows[0][kTitleRowBytes - 1] = '\0';
        g_titles.lastTitleIndex = 0;
        return;
    }
    g_titles.lastTitleIndex = count - 1;
}

int32_t nextTitleIndex(int32_t current) {
    return current >= g_titles.lastTitleIndex ? 0 : current + 1;
}

void loadLetterText(const EntrySource& package) {
    std::vector<uint8_t> bytes;
    if (!package.readEntry(kEntryLetter, 0, bytes)) return;
    g_letter.text.assign(bytes.begin(), bytes.end());
    g_letter.text.push_back('\0');
    // The stored text carries its own terminating zero; DrawTextA would draw it.
    g_letter.length = static_cast<int32_t>(std::strlen(g_letter.text.data()));
}

void freeLetterText() {
    g_letter.text.clear();
    g_letter.text.shrink_to_fit();
    g_letter.length = 0;
}

int32_t countLetterLines() {
    int32_t lines = 0;
    for (int32_t i = 0; i < g_letter.length; ++i)
        if (g_letter.text[i] == '\r') ++lines;
    return lines;
}

int32_t letterTextHeight(int32_t factor, int32_t fontSize) {
    return countLetterLines() * fontSize * factor;
}

void startLetter(int32_t fontSize, int32_t delay) {
    g_letter.height = letterTextHeight(1, fontSize);
    g_letter.offset = 0;
    g_letter.started = 0;
    g_letter.seconds = 0;
    g_letter.delay = delay < 0 ? 0 : delay;
    g_letter.measured = 0;
}

void setUpLetter(const EntrySource& package) {
    const SaverOptions& o = saverOptions();
    if (o.letterMode == 1) loadLetterText(package);
    startLetter(o.fontSize, o.letterTime);
}

void fitLetterHeight(int32_t drawnHeight) {
    g_letter.measured = 1;
    if (drawnHeight > g_letter.height) g_letter.height = drawnHeight;
}

bool letterTimerTick() {
    if (g_letter.started) return false;
    ++g_letter.seconds;
    if (g_letter.seconds < g_letter.delay) return false;
    g_letter.started = 1;
    return true;
}

Rect stepLetterFrame(int32_t w, int32_t h) {
    Rect r{10, h - g_letter.offset - 8, w, g_letter.height - g_letter.offset + h};
    if (++g_letter.offset > g_letter.height + h + 32) g_letter.offset = 0;
    return r;
}
