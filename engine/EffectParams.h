// The parameter record of one effect family. The runtime keeps one static record
// per family (transition, image effect, title, animation, animation effect),
// writes the fields its filler names before every call, and leaves every other
// field as the effect left it, so effects keep their state here from frame to
// frame. Pointer fields are pointers: the record is the same in 32-bit, 64-bit
// and native builds (nothing outside the process depends on its layout).
//
// The effect families name some fields differently; they are the same fields:
//   src = source, src2 = source2, dst = destination, clipRect = rect,
//   durationMs = duration, acquire/keep/clear = acquireBuffer/keepBuffer/clearBuffer,
//   workBuffer = buffers[0], workSlot = slots[0], prevLevel = previousLevel.
#pragma once
#include <cstddef>
#include <cstdint>

#include "render/PixelBuffer.h"   // pixelAt
#include "render/PixelTypes.h"

struct EffectParams;

using EffectEntry = void (*)(EffectParams*);

// Scratch-pool callbacks (see ScratchPool.h).
using ScratchAcquireFn = Pixel* (*)(int32_t* slot);   // null when no slot is free
using ScratchKeepFn = int32_t (*)(int32_t slot);
using ScratchClearFn = int32_t (*)(Pixel* buffer);    // returns 0

struct TextFont;

// The title family's per-character layout: rectangles in title-image coordinates,
// one per character (a byte, or a lead byte with its trail byte).
struct TitleCharLayout {
    const Rect* rects;
    int32_t count;
};

struct TitlePoint {
    int32_t x;
    int32_t y;
};

// Title fields, at the start of the title record's state area.
struct TitleFields {
    const TitleCharLayout* titleCharRects;  // owned by the title family
    int32_t titlePosition;       // position row << 24
    const TextFont* titleFont;   // the runtime's title font (LOGFONTA fields)
    int32_t titleFormat;         // 21: centre, vertical centre, word break
    int32_t titleColor;          // COLORREF order: red in the low byte
    int32_t titleFontSize;
    const char* titleText;       // the title's row of the title list
    void* titleDC;               // the canvas's memory device context (null natively)
    void* titleBitmap;           // the image the style makes (platformCreateImage); the runtime deletes it per title
    Pixel* titlePixels;          // the title image's pixels, rows of its width; cleared per title
    // Written by the title family.
    int32_t titleSize;           // image width << 16 | image height
    TitlePoint titleCenter;      // where the image centre lies on the frame
    TitlePoint titleMotionPath[3];   // hold, entry and exit points of the motion
    int32_t titleEffectWords[5]; // kept by the title effects between frames
};

constexpr size_t kEffectStateWords = 342;

// The per-effect state area: 342 words of the 32-bit layout. Effects overlay
// their own state structs on it with effectState<T>(); the area is sized so that
// any state laid out for 342 32-bit words still fits with 64-bit pointers.
union EffectStateArea {
    TitleFields title;
    int32_t words[kEffectStateWords];
    alignas(8) unsigned char bytes[kEffectStateWords * 8];
};

struct EffectParams {
    int32_t unused0;             // not written by the runtime
    Pixel* source;               // the picture the effect reads
    Pixel* source2;              // transitions: the incoming picture
    Pixel* destination;          // where the frame is drawn
    Rect rect;                   // always (0, 0, width, height)
    int32_t pitch;               // pixels per row of every pixel pointer: width + 16
    int32_t firstFrame;          // 1 on the first frame of this use of the effect
    float progress;              // 0 to just under 1
    int32_t duration;            // length of the run in ms
    int32_t zeroWord;            // 0 from the transition, image-effect and title fillers
    int32_t width;
    int32_t height;
    int32_t stateWords[2];       // effect state
    ScratchAcquireFn acquireBuffer;
    ScratchKeepFn keepBuffer;
    ScratchClearFn clearBuffer;
    Pixel* buffers[3];           // effect state: by convention the scratch buffers held
    int32_t slots[3];            // effect state: by convention their slot numbers
    float level;                 // sound level 0 to 255 of this frame
    float previousLevel;         // written only by the level envelope
    int32_t frameCounter;        // effect state (animations: frame counter)
    int32_t beat;                // 1 in a frame with a beat
    int32_t levelMode;           // level-envelope mode; the runtime writes 0
    EffectStateArea state;       // per-effect state; title fields at its start in the title record
    int32_t constant16;          // the value 16, written by the image-effect and animation fillers
    const int16_t* samples;      // the 256 newest sound samples
    int32_t unused1[2];          // not written by the runtime
    const int16_t* spectrum;     // entries 0 to 127: band magnitudes
};

// An effect's own state laid over the record's state area.
template <class T>
T& effectState(EffectParams* p) {
    static_assert(sizeof(T) <= sizeof(EffectStateArea), "effect state does not fit the record");
    static_assert(alignof(T) <= 8, "effect state needs more alignment than the record gives");
    return *reinterpret_cast<T*>(p->state.bytes);
}

// Title family state that follows the title fields.
template <class T>
T& titleExtraState(EffectParams* p) {
    constexpr size_t offset = (sizeof(TitleFields) + 7) & ~size_t(7);
    static_assert(offset + sizeof(T) <= sizeof(EffectStateArea), "title state does not fit the record");
    return *reinterpret_cast<T*>(p->state.bytes + offset);
}
