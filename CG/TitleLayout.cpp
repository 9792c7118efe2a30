#include "CG/TitleLayout.h"

#include <cstring>

int32_t scaleTitleFontSize(int32_t width, int32_t height, int32_t fontSize) {
    const uint32_t scale = static_cast<uint32_t>(width + height) * 1024u / 560u;
    const int64_t product = static_cast<int64_t>(static_cast<int32_t>(scale)) * fontSize;
    return static_cast<int32_t>(product >> 10);
}

int32_t mulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t n = static_cast<int64_t>(a) * b;
    // Rounded half away from zero.
    const int64_t an = n < 0 ? -n : n, ac = c < 0 ? -int64_t{c} : int64_t{c};
    const int64_t q = (an + ac / 2) / ac;
    return static_cast<int32_t>(((n < 0) != (c < 0)) ? -q : q);
}

TextFont titleDrawFont(const TextFont* font, int32_t scaledSize, int32_t dpiX, int32_t dpiY) {
    TextFont f;
    if (font && font->faceName[0]) {
        f = *font;
    } else {
        f.height = 10;
        f.width = 10;
        f.weight = 0;
        f.charSet = 1;
        std::strcpy(f.faceName, "Times New Roman");
    }
    f.height = -mulDiv(scaledSize / 6, dpiY, 72);
    f.width = -mulDiv(scaledSize / 14, dpiX, 72);
    return f;
}

int32_t titleLength(const char* text) {
    if (!text) return 0;
    const void* end = std::memchr(text, 0, kMaxTitleBytes);
    return end ? static_cast<int32_t>(static_cast<const char*>(end) - text) : kMaxTitleBytes;
}

int32_t layOutTitleChars(const char* text, int32_t length, uint32_t format, MeasureTextFn measure,
                         void* context, Rect* rects, int32_t capacity) {
    if (!text || length <= 0 || capacity <= 0) return 0;
    // Line widths, the widest, and the line height (of the last line measured).
    int32_t lineWidths[kMaxTitleBytes + 1] = {};
    int32_t lines = 0, widest = 0, lineHeight = 0;
    for (int32_t start = 0; start <= length && lines <= kMaxTitleBytes;) {
        int32_t end = start;
        while (end < length && text[end] != '\n') ++end;
        const Rect r = measure(context, text + start, end - start, 0, 0);
        lineWidths[lines] = r.right - r.left;
        if (lineWidths[lines] > widest) widest = lineWidths[lines];
        lineHeight = r.bottom - r.top;
        ++lines;
        start = end + 1;
    }
    auto offsetOf = [&](int32_t line) {
        const int32_t slack = widest - lineWidths[line < lines ? line : lines - 1];
        if (format & kTextCenter) return slack / 2;
        if (format & kTextRight) return slack;
        return 0;
    };

    int32_t x = 0, y = 0, line = 0, count = 0;
    for (int32_t i = 0; i < length && count < capacity;) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        int32_t bytes = 1;
        if (c & 0x80) {
            // A lead byte whose trail byte was cut off stands alone.
            if (i + 1 < length) bytes = 2;
        } else if (c == '\n') {
            x = 0;
            y += lineHeight;
            ++line;
        } else if (c == '\r') {
            x = 0;
        }
        const Rect r = measure(context, text + i, bytes, x, y);
        const int32_t d = offsetOf(line);
        rects[count++] = Rect{r.left + d + kTitleMargin, r.top + kTitleMargin, r.right + d + kTitleMargin,
                              r.bottom + kTitleMargin};
        x += r.right - r.left;
        i += bytes;
    }
    return count;
}

TitlePoint placeTitle(int32_t code, int32_t w, int32_t h, int32_t W, int32_t H, TitlePoint current) {
    const int32_t left = W / 2 + 8, right = w - W / 2 - 8;
    const int32_t top = H / 2 + 8, bottom = h - (H / 2 + 8);
    switch (code) {
        case 0: return {left, top};
        case 1: return {w / 2, top};
        case 2: return {right, top};
        case 3: return {w / 2, h / 2};
        case 4: return {left, bottom};
        case 5: return {w / 2, bottom};
        case 6: return {right, bottom};
        default: return current;
    }
}
