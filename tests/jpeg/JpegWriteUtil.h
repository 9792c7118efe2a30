// Helpers of the encoder's tests: the write modes, their test pictures, one
// write into memory and a distance between pictures.
#pragma once
#include <cmath>
#include <string>

#include "tests/jpeg/JpegToolUtil.h"

namespace jpeg_test {

struct Written {
    int result = 0;
    Bytes data;
    JpegProperties props{};
};

struct WriteSpec {
    const char* name;
    int color, channels, jpegColor, jpegChannels, jpegSubsampling;
    bool progressive;
    int dctKind;
};

// Smooth colours: what survives chroma subsampling, so a fault shows.
inline Image smoothPicture(int width, int height) {
    Image img{width, height, 3, Bytes(size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &img.data[(size_t(y) * width + x) * 3];
            p[0] = uint8_t(128 + 100 * std::sin(x / 9.0 + y / 13.0));
            p[1] = uint8_t(128 + 90 * std::cos(x / 11.0 - y / 7.0));
            p[2] = uint8_t(120 + 80 * std::sin((x + y) / 15.0));
        }
    return img;
}

inline Image sourceFor(const WriteSpec& w, int width, int height) {
    Image rgb = smoothPicture(width, height);
    Image out{width, height, w.channels, Bytes(size_t(width) * height * w.channels)};
    for (size_t p = 0; p < size_t(width) * height; ++p) {
        const uint8_t* s = &rgb.data[p * 3];
        uint8_t* d = &out.data[p * w.channels];
        if (w.channels == 1) {
            d[0] = static_cast<uint8_t>((s[0] * 77 + s[1] * 150 + s[2] * 29) >> 8);
        } else if (w.color == kJpegColorBgr) {
            d[0] = s[2], d[1] = s[1], d[2] = s[0];
        } else {
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
            if (w.channels == 4) d[3] = static_cast<uint8_t>(255 - s[1] / 2);
        }
    }
    return out;
}

inline Written write(const WriteSpec& w, const Image& img, int quality = 90, int bufferSize = 0,
              void (*tweak)(JpegProperties&) = nullptr) {
    Written out;
    JpegProperties& p = out.props;
    EXPECT_EQ(jpegInit(&p), 0);
    p.pixels = const_cast<uint8_t*>(img.data.data());
    p.width = img.width;
    p.height = img.height;
    p.channels = w.channels;
    p.color = w.color;
    p.jpegWidth = img.width;
    p.jpegHeight = img.height;
    p.jpegColor = w.jpegColor;
    p.jpegChannels = w.jpegChannels;
    p.jpegSubsampling = w.jpegSubsampling;
    p.quality = quality;
    p.state.dctKind = w.dctKind;
    p.state.encoder.progressive = w.progressive;
    if (tweak) tweak(p);
    out.data.assign(bufferSize ? size_t(bufferSize) : size_t(img.width) * img.height * 4 + 4096, 0);
    p.buffer = out.data.data();
    p.bufferSize = static_cast<int32_t>(out.data.size());
    out.result = jpegWrite(&p, kJpegWriteImage);
    if (out.result == 0) out.data.resize(size_t(p.bufferSize));
    jpegFree(&p);
    return out;
}

inline double psnr(const Bytes& a, const Bytes& b, int channelsA, int channelsB, int compare) {
    double sum = 0;
    size_t n = 0;
    for (size_t p = 0; p * channelsA < a.size() && p * channelsB < b.size(); ++p)
        for (int c = 0; c < compare; ++c) {
            const double d = double(a[p * channelsA + c]) - double(b[p * channelsB + c]);
            sum += d * d;
            ++n;
        }
    return n ? 10 * std::log10(255.0 * 255.0 / (sum / double(n) + 1e-9)) : 0;
}

inline const WriteSpec kSpecs[] = {
    {"bgr_420", kJpegColorBgr, 3, kJpegColorYcbcr, 3, kJpegSub420, false, 1},
    {"rgb_422", kJpegColorRgb, 3, kJpegColorYcbcr, 3, kJpegSub422, false, 1},
    {"rgb_444_aan", kJpegColorRgb, 3, kJpegColorYcbcr, 3, kJpegSub444, false, 0},
    {"rgb_to_rgb", kJpegColorRgb, 3, kJpegColorRgb, 3, kJpegSub444, false, 1},
    {"bgr_to_rgb", kJpegColorBgr, 3, kJpegColorRgb, 3, kJpegSub444, false, 1},
    {"rgb_to_grey", kJpegColorRgb, 3, kJpegColorGrey, 1, kJpegSub444, false, 1},
    {"grey", kJpegColorGrey, 1, kJpegColorGrey, 1, kJpegSub444, false, 1},
    {"rgbx_420", kJpegColorRgb, 4, kJpegColorYcbcr, 3, kJpegSub420, false, 1},
    {"rgba_ycck_420", kJpegColorRgba, 4, kJpegColorYcck, 4, kJpegSub420K, false, 1},
    {"rgba_plain", kJpegColorRgba, 4, kJpegColorRgba, 4, kJpegSub444, false, 1},
    {"prog_bgr_420", kJpegColorBgr, 3, kJpegColorYcbcr, 3, kJpegSub420, true, 1},
    {"prog_rgb_444_aan", kJpegColorRgb, 3, kJpegColorYcbcr, 3, kJpegSub444, true, 0},
    {"prog_grey", kJpegColorGrey, 1, kJpegColorGrey, 1, kJpegSub444, true, 1},
    {"prog_rgb_to_rgb", kJpegColorRgb, 3, kJpegColorRgb, 3, kJpegSub444, true, 1},
    {"prog_rgba_ycck", kJpegColorRgba, 4, kJpegColorYcck, 4, kJpegSub422K, true, 1},
    {"prog_rgba_plain", kJpegColorRgba, 4, kJpegColorRgba, 4, kJpegSub444, true, 1},
};

}  // namespace jpeg_test
