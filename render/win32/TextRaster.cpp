// The text seam on Windows: GDI fonts and DrawTextA into a memory DC with a
// top-down 32-bit DIB section; the pixels the glyphs cover are copied into the
// caller's buffer.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "render/Platform.h"

namespace {

LOGFONTA logFontFrom(const TextFont& f) {
    LOGFONTA lf{};
    lf.lfHeight = f.height;
    lf.lfWidth = f.width;
    lf.lfEscapement = f.escapement;
    lf.lfOrientation = f.orientation;
    lf.lfWeight = f.weight;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    lf.lfStrikeOut = f.strikeOut;
    lf.lfCharSet = f.charSet;
    lf.lfOutPrecision = f.outPrecision;
    lf.lfClipPrecision = f.clipPrecision;
    lf.lfQuality = f.quality;
    lf.lfPitchAndFamily = f.pitchAndFamily;
    std::memcpy(lf.lfFaceName, f.faceName, sizeof(lf.lfFaceName));
    lf.lfFaceName[sizeof(lf.lfFaceName) - 1] = '\0';
    return lf;
}

COLORREF colorRefFrom(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A memory DC with the font selected; releases everything it made.
class TextDC {
public:
    explicit TextDC(const TextFont& font) {
        LOGFONTA lf = logFontFrom(font);
        font_ = CreateFontIndirectA(&lf);
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        if (font_ && dc_) oldFont_ = SelectObject(dc_, font_);
    }
    ~TextDC() {
        if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
        if (dc_ && oldFont_) SelectObject(dc_, oldFont_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
        if (font_) DeleteObject(font_);
    }
    TextDC(const TextDC&) = delete;
    TextDC& operator=(const TextDC&) = delete;

    bool ok() const { return font_ && dc_; }
    HDC dc() const { return dc_; }

    // A top-down 32-bit section of width x height selected into the DC.
    uint32_t* makeBitmap(int32_t width, int32_t height) {
        Pixel* bits = nullptr;
        bitmap_ = static_cast<HBITMAP>(platformCreateImage(dc_, width, height, &bits));
        if (!bitmap_) return nullptr;
        oldBitmap_ = SelectObject(dc_, bitmap_);
        return bits;
    }

private:
    HFONT font_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

}  // namespace

int32_t platformDrawText(Pixel* pixels, int32_t pitch, int32_t width, int32_t height,
                         const char* text, int32_t length, const TextFont& font,
                         uint32_t color, Rect* rect, uint32_t format) {
    if (!text || !rect) return 0;
    TextDC t(font);
    if (!t.ok()) return 0;
    RECT rc{rect->left, rect->top, rect->right, rect->bottom};
    if (format & kTextCalcRect) {
        int32_t h = DrawTextA(t.dc(), text, length, &rc, format);
        *rect = Rect{rc.left, rc.top, rc.right, rc.bottom};
        return h;
    }
    if (!pixels || width <= 0 || height <= 0) return 0;
    uint32_t* bits = t.makeBitmap(width, height);
    if (!bits) return 0;
    SetBkMode(t.dc(), TRANSPARENT);

    // Where the glyphs fall (drawn in white), then their pixels in the colour: an
    // anti-aliased edge keeps the colour's own shading over black, and black text
    // still covers its pixels.
    int32_t x0 = 0, y0 = 0, x1 = width, y1 = height;
    if (!(format & kTextNoClip)) {
        x0 = std::max(x0, rect->left);
        y0 = std::max(y0, rect->top);
        x1 = std::min(x1, rect->right);
        y1 = std::min(y1, rect->bottom);
    }
    if (x0 >= x1 || y0 >= y1) return DrawTextA(t.dc(), text, length, &rc, format);
    const size_t count = static_cast<size_t>(width) * height;
    SetTextColor(t.dc(), RGB(255, 255, 255));
    DrawTextA(t.dc(), text, length, &rc, format);
    GdiFlush();
    std::vector<uint8_t> covered(count);
    for (size_t i = 0; i < count; ++i) covered[i] = (bits[i] & 0xFFFFFFu) != 0;
    std::memset(bits, 0, count * sizeof(uint32_t));
    rc = RECT{rect->left, rect->top, rect->right, rect->bottom};
    SetTextColor(t.dc(), colorRefFrom(color));
    const int32_t result = DrawTextA(t.dc(), text, length, &rc, format);
    GdiFlush();
    for (int32_t y = y0; y < y1; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        Pixel* out = pixels + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = x0; x < x1; ++x)
            if (covered[row + x]) out[x] = bits[row + x] & 0xFFFFFFu;
    }
    return result;
}
