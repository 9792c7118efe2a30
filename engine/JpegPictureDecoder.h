// The picture loader's decoder on the JPEG codec: one JpegProperties record per
// picture, a parameter read and a whole-image read into R, G, B, A, both from
// the package entry in memory.
#pragma once
#include "engine/PictureLoader.h"
#include "jpeg/Jpeg.h"

class JpegPictureDecoder : public PictureDecoder {
public:
    int32_t open() override;
    int32_t readSize(const uint8_t* jpeg, int32_t size, int32_t* width, int32_t* height) override;
    int32_t readPixels(uint8_t* rgba, int32_t width, int32_t height) override;
    void close() override;
    const char* errorText(int32_t code) override;

private:
    JpegProperties props_{};
    bool open_ = false;
};
