// Helpers of the native tests that run Debian's libjpeg-turbo tools: a
// photo-like test picture and PNM files.
#pragma once
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/jpeg/JpegTestUtil.h"

namespace jpeg_test {

struct Image {
    int width = 0, height = 0, channels = 0;
    Bytes data;
};

// Photo-like test picture: smooth shapes, edges and a little texture.
inline Image photoLike(int w, int h, uint32_t seed) {
    Image img{w, h, 3, Bytes(size_t(w) * h * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double fx = double(x) / w, fy = double(y) / h;
            double a = std::sin(fx * 11.0 + seed + std::cos(fy * 7.0) * 2.0), b = std::cos(fy * 13.0 - fx * 4.0);
            bool edge = (x / 37 + y / 29 + seed) % 5 == 0;
            seed = seed * 1664525u + 1013904223u;
            int n = int(seed >> 28) - 8;
            uint8_t* p = &img.data[(size_t(y) * w + x) * 3];
            p[0] = uint8_t(std::clamp(128 + 90 * a * fy + (edge ? 60 : 0) + n, 0.0, 255.0));
            p[1] = uint8_t(std::clamp(110 + 70 * b + 40 * fx + n, 0.0, 255.0));
            p[2] = uint8_t(std::clamp(140 + 60 * a * b - 50 * fy - (edge ? 40 : 0) + n, 0.0, 255.0));
        }
    return img;
}

inline void writePnm(const std::string& path, const Image& img) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "P%d\n%d %d\n255\n", img.channels == 1 ? 5 : 6, img.width, img.height);
    std::fwrite(img.data.data(), 1, img.data.size(), f);
    std::fclose(f);
}

inline Image readPnm(const std::string& path) {
    Bytes d = vt_test::readFileBytes(path);
    Image img;
    size_t i = 0;
    auto field = [&] {
        while (i < d.size() && (std::isspace(d[i]) || d[i] == '#')) {
            if (d[i] == '#')
                while (i < d.size() && d[i] != '\n') ++i;
            else
                ++i;
        }
        std::string s;
        while (i < d.size() && !std::isspace(d[i])) s += char(d[i++]);
        return s;
    };
    std::string magic = field();
    img.channels = magic == "P5" ? 1 : 3;
    img.width = std::atoi(field().c_str());
    img.height = std::atoi(field().c_str());
    field();
    ++i;
    if (i <= d.size()) img.data.assign(d.begin() + std::min(i, d.size()), d.end());
    return img;
}

inline int run(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

}  // namespace jpeg_test
