#include "authoring/ViewerRules.h"

#include <cstdlib>
#include <cstring>

int32_t nextSlideIndex(int32_t index, int32_t count) {
    const int32_t next = index + 1;
    return next >= count || next < 0 ? 0 : next;
}

uint32_t slideTimeMs(const char* text) {
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? static_cast<uint32_t>(seconds) * 1000u : 0u;
}

bool previewFrameSize(int32_t choice, int32_t* w, int32_t* h) {
    static const int32_t sizes[3][2] = {{400, 300}, {640, 480}, {800, 600}};
    if (choice < 0 || choice > 2) return false;
    *w = sizes[choice][0];
    *h = sizes[choice][1];
    return true;
}

bool setPreviewDisplayModeWith(FullScreenSeams& seams, int32_t w, int32_t h, bool* fellBack) {
    static const int32_t kBits[] = {32, 24, 16};
    *fellBack = false;
    for (int32_t bits : kBits)
        if (seams.setMode(w, h, bits)) return true;
    seams.notifyFallback();
    *fellBack = true;
    for (int32_t bits : kBits)
        if (seams.setMode(640, 480, bits)) return true;
    return false;
}

FullScreenStart startFullScreenWith(FullScreenSeams& seams, int32_t choice) {
    FullScreenStart s{choice, false, false, 0, 0};
    if (!previewFrameSize(choice, &s.frameW, &s.frameH)) return s;
    bool fellBack = false;
    if (choice == 0) {
        s.modeSet = setPreviewDisplayModeWith(seams, 400, 300, &fellBack);
        if (fellBack) {
            s.choice = 1;
            previewFrameSize(1, &s.frameW, &s.frameH);
        }
        s.started = seams.startPreview(s.frameW, s.frameH);
        return s;
    }
    s.started = seams.startPreview(s.frameW, s.frameH);
    if (s.started) s.modeSet = setPreviewDisplayModeWith(seams, s.frameW, s.frameH, &fellBack);
    return s;
}

int32_t stripTopAtStep(int32_t step, int32_t screenHeight) { return screenHeight - step; }

bool inStripBand(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight) {
    return x >= 0 && x < screenWidth && y >= screenHeight - 50 && y < screenHeight;
}

ThumbnailJump thumbnailJump(int32_t button, int32_t count, int32_t drawMode) {
    ThumbnailJump j{nextSlideIndex(button, count), button};
    if (drawMode == 0) j.titleIndex = button - 1;
    return j;
}

int32_t bitmapResourceForName(const char* name) {
    static const struct {
        const char* name;
        int32_t id;
    } kPictures[] = {{"RedFires33.bmp", 144}, {"AirPlane.bmp", 145}, {"FootMark.bmp", 146}};
    if (!name) return 0;
    for (const auto& p : kPictures)
        if (std::strcmp(name, p.name) == 0) return p.id;
    return 0;
}
