// The viewer windows' decisions that need no window: the slide show's next
// picture, the full-screen preview's display mode and frame size, the
// picture-order strip's slide and its thumbnail jump, and the names of the
// pictures the preview's effects load from Glimmerdeck's resources.
#pragma once
#include <cstdint>

#include "engine/SaverOptions.h"

// The slide show's picture after `index` in a list of `count` (back to 0 after the last).
int32_t nextSlideIndex(int32_t index, int32_t count);
// The "Slide Time" combo's text (seconds) as milliseconds.
uint32_t slideTimeMs(const char* text);

// The Make step's screen-mode choice: 0 400 x 300, 1 640 x 480, 2 800 x 600.
// Other choices give false and leave w and h alone.
bool previewFrameSize(int32_t choice, int32_t* w, int32_t* h);

// What the full-screen preview's start needs of the system.
class FullScreenSeams : public DisplaySwitcher {
public:
    // Starts the preview with sound at w x h; false without pictures.
    virtual bool startPreview(int32_t w, int32_t h) = 0;
    // Tells the user that the mode was refused and 640 x 480 comes instead.
    virtual void notifyFallback() = 0;
};

// The mode w x h at 32, 24 or 16 bits; when all are refused, the notice and
// 640 x 480 at the same depths. True when a mode was set; *fellBack says
// whether the notice was given.
bool setPreviewDisplayModeWith(FullScreenSeams& seams, int32_t w, int32_t h, bool* fellBack);

struct FullScreenStart {
    int32_t choice;        // the screen-mode choice in use (1 after 400 x 300 fell back)
    bool started;          // the preview runs (false: no pictures, or an unknown choice)
    bool modeSet;          // the display was switched
    int32_t frameW, frameH;
};
// The full-screen start for a screen-mode choice: 640 x 480 and 800 x 600 start
// the preview first and then switch the display (a refused mode keeps the
// chosen frame size on a 640 x 480 display); 400 x 300 switches first, and
// when it falls back the preview runs at 640 x 480 as choice 1.
FullScreenStart startFullScreenWith(FullScreenSeams& seams, int32_t choice);

// The picture-order strip: the top of the window at step 0..69 of its slide
// in (its top 69 rows end up visible), and whether a screen point lies in the
// 50-pixel band at the bottom that calls it.
constexpr int32_t kStripSlideSteps = 70;
int32_t stripTopAtStep(int32_t step, int32_t screenHeight);
bool inStripBand(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight);

// Clicking thumbnail `button` of `count`: the picture decoded next and the
// title index to set (the title before it while a slide-to-slide transition
// runs, since that transition's end brings the next title).
struct ThumbnailJump {
    int32_t nextPicture;
    int32_t titleIndex;
};
ThumbnailJump thumbnailJump(int32_t button, int32_t count, int32_t drawMode);

// The bitmap resource of a picture the preview's effects ask for by name
// (exact, case-sensitive), or 0 for any other name.
int32_t bitmapResourceForName(const char* name);
