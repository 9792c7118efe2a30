#include "authoring/PreviewSettings.h"

#include <cstdlib>
#include <cstring>

namespace {

void setFace(PreviewSettings& s, const char* face) {
    std::strncpy(s.fontFace, face ? face : "Times New Roman", sizeof s.fontFace - 1);
    s.fontFace[sizeof s.fontFace - 1] = '\0';
}

}  // namespace

void readPreviewSettings(const PreviewControls& c, PreviewSettings& s) {
    if (c.defaultFont) {
        // Only the font is the default one: the chosen mode still says what plays.
        setFace(s, nullptr);
        s.fontSize = 100;
        if (c.writeTitles) s.titleMode = 1;
        else if (c.writeLetter) s.titleMode = 0;
    } else if (c.writeTitles) {
        s.titleMode = 1;
        setFace(s, c.titleFont);
        s.fontSize = c.titleSize ? std::atoi(c.titleSize) : 100;
    } else if (c.writeLetter) {
        s.titleMode = 0;
        setFace(s, c.letterFont);
        s.fontSize = c.letterSize ? std::atoi(c.letterSize) : 20;
        s.letterTime = c.letterTime;
    }
}

FrameOptions previewFrameOptions(const PreviewControls& c, const PreviewSettings& s) {
    FrameOptions o;
    o.showTime = c.showMs;
    o.transitionTime = c.transitionMs;
    o.letterMode = s.titleMode == 1 ? 0 : 1;
    std::memcpy(o.fontFace, s.fontFace, sizeof o.fontFace);
    o.fontSize = s.fontSize;
    o.titleColor = c.titleColour;
    o.defaultColorCheck = !c.colourChosen || c.randomColour ? 1 : 0;
    return o;
}

int32_t previewLetterSize(int32_t size, bool fullScreen, int32_t screenMode) {
    if (fullScreen) return size;
    switch (screenMode) {
    case 0: return size * 210 / 300;
    case 1: return size * 210 / 480;
    case 2: return size * 210 / 600;
    default: return -1;
    }
}
