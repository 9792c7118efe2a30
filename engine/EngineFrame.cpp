#include "engine/EngineFrame.h"

#include "engine/FrameCanvas.h"
#include "engine/PictureBuffers.h"
#include "engine/PictureLoader.h"
#include "engine/SoundAnalysis.h"
#include "engine/SoundControl.h"
#include "render/Platform.h"

namespace {

void refreshEngineSound(void*, SoundFrame* sound) {
    analyzeNewestSound();
    const SoundAnalysis& a = soundAnalysis();
    sound->samples = a.samples;
    sound->spectrum = a.spectrum;
    sound->level = a.level;
    sound->beat = a.beat;
}

int32_t loadEnginePicture(void*, int32_t index, Pixel* destination, int32_t width, int32_t height,
                          int32_t pitch) {
    return loadImage(index, destination, width, height, pitch);
}

void presentEngineCanvas(void* deviceContext, int32_t width, int32_t height) {
    presentCanvas(deviceContext, width, height);
}

// The title styles make their images with platformCreateImage.
void deleteTitleImage(void*, void* image) { platformDeleteImage(image); }

}  // namespace

FrameHooks engineFrameHooks(const FamilyServices* services, const FrameOptions* options,
                            void* deviceContext) {
    const FrameCanvas& canvas = frameCanvas();
    FrameHooks hooks;
    hooks.services = services;
    hooks.options = options;
    hooks.canvas = canvas.origin;
    hooks.canvasWidth = canvas.width;
    hooks.canvasHeight = canvas.height;
    hooks.canvasDC = canvas.memoryDC;
    hooks.animationCanvases[0] = animationCanvas(0);
    hooks.animationCanvases[1] = animationCanvas(1);
    hooks.user = deviceContext;
    hooks.refreshSound = refreshEngineSound;
    hooks.loadImage = loadEnginePicture;
    hooks.blit = presentEngineCanvas;
    hooks.deleteTitleBitmap = deleteTitleImage;
    return hooks;
}
