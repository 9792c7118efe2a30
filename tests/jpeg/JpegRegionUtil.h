// Helpers of the region and interrupted-read tests: reads from memory or from a
// file at every scale, the expected region cut from a whole-image read, and a
// counting inverse transform that raises the interrupt flag every n MCUs.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "jpeg/CodecInternal.h"
#include "tests/jpeg/JpegTestUtil.h"

namespace jpeg_test {

struct Source {
    Bytes data;                  // memory reads
    std::string path;            // file reads (data holds the same bytes)
};

// Read kinds of a scale (1, 2, 4, 8) from memory or from the file.
inline int readKind(int scale, bool file) {
    int kind = scale == 2 ? kJpegReadHalf : scale == 4 ? kJpegReadQuarter : scale == 8 ? kJpegReadEighth : kJpegReadImage;
    return file ? kind - 1 : kind;
}

inline int scaledSide(int side, int scale) { return (side * (8 / scale) + 7) / 8; }

struct Rect {
    int left, top, right, bottom;
};

// A parameter read of the source into p (after jpegInit); 0 or the code.
inline int readParams(JpegProperties& p, const Source& src, bool file) {
    if (file) p.fileName = src.path.c_str();
    else {
        p.buffer = src.data.data();
        p.bufferSize = static_cast<int32_t>(src.data.size());
    }
    return jpegRead(&p, file ? kJpegReadParamsFile : kJpegReadParams);
}

inline void setBuffer(JpegProperties& p, uint8_t* pixels, int width, int height, int channels, int color) {
    p.pixels = pixels;
    p.width = width;
    p.height = height;
    p.rowPad = 0;
    p.channels = channels;
    p.color = color;
}

struct Picture {
    int width = 0, height = 0, channels = 0, result = -999;
    Bytes pixels;
};

inline Picture readWhole(const Source& src, int scale, bool file, int color, int channels) {
    Picture out;
    JpegProperties p;
    jpegInit(&p);
    int e = readParams(p, src, file);
    EXPECT_EQ(e, 0);
    if (e) {
        jpegFree(&p);
        return out;
    }
    out.width = scaledSide(p.jpegWidth, scale);
    out.height = scaledSide(p.jpegHeight, scale);
    out.channels = channels;
    Canvas canvas(size_t(out.width) * out.height * channels);
    setBuffer(p, canvas.data(), out.width, out.height, channels, color);
    out.result = jpegRead(&p, readKind(scale, file));
    EXPECT_TRUE(canvas.guardsIntact());
    out.pixels.assign(canvas.data(), canvas.data() + canvas.bytes);
    jpegFree(&p);
    return out;
}

// The rectangle cut from a whole picture into a buffer `bufferWidth` wide;
// pixels outside the picture keep the canvas fill.
inline Bytes cut(const Picture& whole, const Rect& r, int bufferWidth, int bufferHeight) {
    const int ch = whole.channels;
    Bytes out(size_t(bufferWidth) * bufferHeight * ch, Canvas::kFill);
    for (int y = std::max(r.top, 0); y < std::min({r.bottom, whole.height, r.top + bufferHeight}); ++y)
        for (int x = std::max(r.left, 0); x < std::min({r.right, whole.width, r.left + bufferWidth}); ++x)
            std::copy_n(&whole.pixels[(size_t(y) * whole.width + x) * ch], ch,
                        &out[(size_t(y - r.top) * bufferWidth + (x - r.left)) * ch]);
    return out;
}

// A region read on a record whose parameters were read; the buffer is the
// rectangle's size.
inline Picture readRegion(JpegProperties& p, const Rect& r, int scale, bool file, int color, int channels) {
    Picture out;
    out.width = std::max(1, r.right - r.left);
    out.height = std::max(1, r.bottom - r.top);
    out.channels = channels;
    Canvas canvas(size_t(out.width) * out.height * channels);
    setBuffer(p, canvas.data(), out.width, out.height, channels, color);
    p.state.roiLeft = r.left;
    p.state.roiTop = r.top;
    p.state.roiRight = r.right;
    p.state.roiBottom = r.bottom;
    out.result = jpegRead(&p, readKind(scale, file));
    EXPECT_TRUE(canvas.guardsIntact());
    out.pixels.assign(canvas.data(), canvas.data() + canvas.bytes);
    return out;
}

inline int rowMarksSet(const JpegProperties& p) {
    int n = 0;
    if (p.state.rowMarks)
        for (int i = 0; i < kRowMarks; ++i) n += p.state.rowMarks[i].position >= 0;
    return n;
}

// The rectangles every picture is cut with, from its size at the scale.
inline std::vector<std::pair<std::string, Rect>> regionCases(int w, int h) {
    return {
        {"top-left corner", {0, 0, std::max(1, w / 3), std::max(1, h / 4)}},
        {"bottom-right corner", {w - std::max(1, w / 4), h - std::max(1, h / 3), w, h}},
        {"inside one MCU", {std::min(17, w - 1) / 16 * 16 + 1, std::min(18, h - 1) / 16 * 16 + 1,
                            std::min(17, w - 1) / 16 * 16 + 2 + (w > 20 ? 5 : 0),
                            std::min(18, h - 1) / 16 * 16 + 2 + (h > 20 ? 4 : 0)}},
        {"across MCU borders", {std::min(13, w - 1), std::min(9, h - 1), std::min(w, 41), std::min(h, 39)}},
        {"left band", {0, 1, std::max(1, w / 2), h}},
        {"empty", {w / 2, h / 2, w / 2, h / 2}},
        {"past the edges", {w / 2, h / 2, w + 30, h + 30}},
        {"wholly outside", {w + 5, h + 5, w + 20, h + 20}},
    };
}

// Region reads of every case at every scale, from memory and from the file,
// against the rectangle cut from the whole-image read; then a second read of
// one rectangle on the same record reuses its row marks.
inline void checkRegions(const std::string& name, const Source& src, int color, int channels) {
    for (bool file : {false, true}) {
        if (file && src.path.empty()) continue;
        for (int scale : {1, 2, 4, 8}) {
            SCOPED_TRACE(name + (file ? " file" : " memory") + " scale 1/" + std::to_string(scale));
            const Picture whole = readWhole(src, scale, file, color, channels);
            ASSERT_EQ(whole.result, 0);
            for (const auto& [what, rect] : regionCases(whole.width, whole.height)) {
                JpegProperties p;
                jpegInit(&p);
                ASSERT_EQ(readParams(p, src, file), 0);
                const Picture got = readRegion(p, rect, scale, file, color, channels);
                EXPECT_EQ(got.result, kJpegRoiSuccess) << what;
                EXPECT_TRUE(got.pixels == cut(whole, rect, got.width, got.height)) << what;
                // The caller's rectangle is given back.
                EXPECT_EQ(p.state.roiRight, rect.right) << what;
                // Interrupted after every MCU, resumed to the end: the same region.
                ASSERT_EQ(readParams(p, src, file), 0);
                p.state.interrupt = 1;
                Picture resumed = readRegion(p, rect, scale, file, color, channels);
                int returns = 0;
                while (resumed.result == kJpegInterruptSuccess && ++returns < 100000) {
                    Canvas canvas(resumed.pixels.size());
                    std::copy(resumed.pixels.begin(), resumed.pixels.end(), canvas.data());
                    p.pixels = canvas.data();
                    resumed.result = jpegRead(&p, readKind(scale, file));
                    EXPECT_TRUE(canvas.guardsIntact());
                    resumed.pixels.assign(canvas.data(), canvas.data() + canvas.bytes);
                }
                EXPECT_EQ(resumed.result, kJpegRoiSuccess) << what << " interrupted";
                EXPECT_TRUE(resumed.pixels == cut(whole, rect, got.width, got.height)) << what << " interrupted";
                EXPECT_EQ(p.state.roiRight, rect.right) << what << " interrupted";
                jpegFree(&p);
            }
            // Reads on one record: the first leaves row marks, the later ones
            // (lower in the picture) start from them, also when no parameter
            // read comes between (the read then starts at the stream's head).
            JpegProperties p;
            jpegInit(&p);
            ASSERT_EQ(readParams(p, src, file), 0);
            const Rect upper{1, whole.height / 3, std::max(2, whole.width / 2), std::max(whole.height / 3 + 1, whole.height * 2 / 3)};
            const Rect lower{0, whole.height - std::max(1, whole.height / 5), whole.width, whole.height};
            const Picture first = readRegion(p, upper, scale, file, color, channels);
            EXPECT_EQ(first.result, kJpegRoiSuccess);
            EXPECT_TRUE(first.pixels == cut(whole, upper, first.width, first.height));
            const RowMark* marks = p.state.rowMarks;
            const int marksAfterFirst = rowMarksSet(p);
            const std::pair<Rect, bool> reads[] = {{upper, true}, {lower, true}, {lower, false}, {upper, false}};
            for (const auto& [r, params] : reads) {
                SCOPED_TRACE(params ? "after a parameter read" : "without a parameter read");
                if (params) {
                    ASSERT_EQ(readParams(p, src, file), 0);
                }
                const Picture again = readRegion(p, r, scale, file, color, channels);
                EXPECT_EQ(again.result, kJpegRoiSuccess);
                EXPECT_TRUE(again.pixels == cut(whole, r, again.width, again.height));
                EXPECT_EQ(p.state.rowMarks, marks);
                EXPECT_GE(rowMarksSet(p), marksAfterFirst);
            }
            jpegFree(&p);
        }
    }
}

// ---- Interrupted reads

struct InterruptCounter {
    JpegProperties* props = nullptr;
    int every = 0;               // MCUs between interrupts
    int blocksPerMcu = 1;
    long blocks = 0;
    InverseDct original[4] = {};
};
inline InterruptCounter gCounter;

template <int I>
void countingIdct(int16_t* block, uint8_t* out, int stride) {
    gCounter.original[I](block, out, stride);
    if (++gCounter.blocks % (long(gCounter.every) * gCounter.blocksPerMcu) == 0) gCounter.props->state.interrupt = 1;
}

// A read interrupted after every MCU (every = 0: the flag stays set) or after
// every `every`-th MCU written, resumed until it ends; checks the rectangle of
// each return and gives the pixels.
inline Picture readInterrupted(const Source& src, int scale, bool file, int color, int channels, int every,
                               int* returns, int* mcus) {
    Picture out;
    JpegProperties p;
    jpegInit(&p);
    EXPECT_EQ(readParams(p, src, file), 0);
    out.width = scaledSide(p.jpegWidth, scale);
    out.height = scaledSide(p.jpegHeight, scale);
    out.channels = channels;
    Canvas canvas(size_t(out.width) * out.height * channels);
    setBuffer(p, canvas.data(), out.width, out.height, channels, color);
    const int kind = p.state.dctKind == 0 ? 0 : 1;
    if (every) {
        gCounter = InterruptCounter{&p, every, p.state.frame.blocksPerMcu, 0, {}};
        for (int i = 0; i < 4; ++i) gCounter.original[i] = p.state.ops->idct[kind][i];
        p.state.ops->idct[kind][0] = countingIdct<0>;
        p.state.ops->idct[kind][1] = countingIdct<1>;
        p.state.ops->idct[kind][2] = countingIdct<2>;
        p.state.ops->idct[kind][3] = countingIdct<3>;
    }
    const int across = p.state.frame.mcusAcross;
    *mcus = p.state.frame.mcuTotal;
    *returns = 0;
    for (;;) {
        p.state.interrupt = every ? 0 : 1;
        out.result = jpegRead(&p, readKind(scale, file));
        if (out.result != kJpegInterruptSuccess) break;
        ++*returns;
        const CodecState& s = p.state;
        EXPECT_EQ(s.roiLeft, s.roiRight);
        EXPECT_EQ(s.roiTop, s.roiBottom);
        EXPECT_GE(s.roiLeft, 0);
        EXPECT_GE(s.roiTop, 0);
        if (every) {
            // The pass that writes MCUs reports every every-th one, in order.
            const long n = long(*returns) * every - 1;
            if (s.roiLeft != n % across || s.roiTop != n / across) {
                ADD_FAILURE() << "return " << *returns << " reported " << s.roiLeft << "," << s.roiTop;
                break;
            }
        }
        if (*returns > 200000) {
            ADD_FAILURE() << "the read never ends";
            break;
        }
    }
    if (every)
        for (int i = 0; i < 4; ++i) p.state.ops->idct[kind][i] = gCounter.original[i];
    EXPECT_TRUE(canvas.guardsIntact());
    out.pixels.assign(canvas.data(), canvas.data() + canvas.bytes);
    jpegFree(&p);
    return out;
}

inline void checkInterrupted(const std::string& name, const Source& src, int color, int channels) {
    for (bool file : {false, true}) {
        if (file && src.path.empty()) continue;
        for (int scale : {1, 4}) {
            SCOPED_TRACE(name + (file ? " file" : " memory") + " scale 1/" + std::to_string(scale));
            const Picture whole = readWhole(src, scale, file, color, channels);
            ASSERT_EQ(whole.result, 0);
            for (int every : {0, 7, 1}) {
                int returns = 0, expectedMcus = 0;
                const Picture got = readInterrupted(src, scale, file, color, channels, every, &returns, &expectedMcus);
                EXPECT_EQ(got.result, 0) << "every " << every;
                EXPECT_TRUE(got.pixels == whole.pixels) << "every " << every;
                if (every == 7) {
                    EXPECT_EQ(returns, (expectedMcus - 1) / 7) << "every 7";
                } else if (every == 1) {
                    EXPECT_EQ(returns, expectedMcus - 1) << "every 1";
                } else {
                    EXPECT_GE(returns, expectedMcus - 1) << "flag always set";
                }
            }
        }
    }
}

}  // namespace jpeg_test
