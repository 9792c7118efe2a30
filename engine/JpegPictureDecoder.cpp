#include "engine/JpegPictureDecoder.h"

int32_t JpegPictureDecoder::open() {
    open_ = true;
    return jpegInit(&props_);
}

int32_t JpegPictureDecoder::readSize(const uint8_t* jpeg, int32_t size, int32_t* width, int32_t* height) {
    props_.fileName = nullptr;
    props_.buffer = jpeg;
    props_.bufferSize = size;
    int32_t rc = jpegRead(&props_, kJpegReadParams);
    *width = rc == 0 ? props_.jpegWidth : 0;
    *height = rc == 0 ? props_.jpegHeight : 0;
    return rc;
}

int32_t JpegPictureDecoder::readPixels(uint8_t* rgba, int32_t width, int32_t height) {
    props_.pixels = rgba;
    props_.width = width;
    props_.height = height;
    props_.rowPad = 0;   // 4 x width is a whole number of 32-bit words
    props_.channels = 4;
    props_.color = kJpegColorRgba;
    return jpegRead(&props_, kJpegReadImage);
}

void JpegPictureDecoder::close() {
    if (open_) jpegFree(&props_);
    open_ = false;
}

const char* JpegPictureDecoder::errorText(int32_t code) { return jpegErrorText(code); }
