#include "updater/UpdateItems.h"

#include <cstdio>
#include <cstring>
#include <limits>

const UpdateItemInfo kUpdateItemInfo[kUpdateItemCount] = {
    {"Skyfetch.exe", "Skyfetch", 103},
    {"Glimmerdeck.exe", "Glimmerdeck", 104},
    {"engine.scr", "engine", 105},
    {"Packwright.exe", "Packwright", 106},
};

UpdateItem updateItems[kUpdateItemCount];

int32_t versionNumber(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision) {
    char digits[4 * 5 + 1];
    std::snprintf(digits, sizeof digits, "%u%u%u%u", unsigned(major), unsigned(minor), unsigned(build),
                  unsigned(revision));
    return leadingNumber(digits);
}

void versionText(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision,
                 char (&out)[kUpdateTextBytes]) {
    char full[4 * 6 + 1];
    std::snprintf(full, sizeof full, "%u.%u.%u.%u", unsigned(major), unsigned(minor), unsigned(build),
                  unsigned(revision));
    std::size_t length = std::strlen(full);
    if (length > kUpdateTextBytes - 1) length = kUpdateTextBytes - 1;
    std::memcpy(out, full, length);
    out[length] = 0;
}

int32_t leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    if (negative) return int32_t(-value);
    return value >= limit ? std::numeric_limits<int32_t>::max() : int32_t(value);
}

void parseVersionList(std::string_view list, VersionLine (&lines)[kUpdateItemCount]) {
    std::memset(lines, 0, sizeof lines);
    // A zero byte ends the text, as it would for any reader of C strings.
    if (std::size_t zero = list.find('\0'); zero != std::string_view::npos) list = list.substr(0, zero);
    std::size_t at = 0;
    for (VersionLine& line : lines) {
        if (at >= list.size()) break;
        std::size_t end = list.find('\n', at);
        std::string_view whole = list.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? list.size() : end + 1;
        if (!whole.empty() && whole.back() == '\r') whole.remove_suffix(1);
        std::string_view kept = whole.substr(0, kUpdateTextBytes - 1);
        line.number = leadingNumber(kept);
        char* out = line.text;
        for (std::size_t c = 0; c < kept.size() && c < 4; ++c) {
            if (c) *out++ = '.';
            *out++ = kept[c];
        }
        *out = 0;
    }
}

int decideUpdates(UpdateItem (&items)[kUpdateItemCount]) {
    int marked = 0;
    for (UpdateItem& item : items) {
        item.needsUpdate = item.newVersion > item.installedVersion && item.newVersion < kNoUpdateFromVersion;
        marked += item.needsUpdate;
    }
    return marked;
}

void markUpdated(UpdateItem (&items)[kUpdateItemCount]) {
    for (UpdateItem& item : items) {
        if (!item.needsUpdate) continue;
        item.installedVersion = item.newVersion;
        std::memcpy(item.installedText, item.newText, sizeof item.installedText);
        item.needsUpdate = 0;
        item.missing = 0;
    }
}

const char* installedColumnText(const UpdateItem& item) { return item.missing ? "Not installed" : item.installedText; }

const char* updateStateText(const UpdateItem& item) {
    if (item.missing) return item.needsUpdate ? "Not installed: the new version is offered." : "Not installed.";
    return item.needsUpdate ? "Using Old Version." : "Using New Version.";
}

std::string detailText(std::string_view list) {
    if (list.size() < 2) return {};
    list.remove_suffix(2);
    if (std::size_t zero = list.find('\0'); zero != std::string_view::npos) list = list.substr(0, zero);
    std::string text;
    text.reserve(list.size() + list.size() / 16);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == '\n' && (i == 0 || list[i - 1] != '\r')) text += '\r';
        text += list[i];
    }
    return text;
}
