// The encoder's streams read by an independent decoder: Debian's djpeg must
// accept every mode, sequential and progressive, and see the same picture
// as the codec's own decoder.
#include <gtest/gtest.h>

#include "tests/jpeg/JpegWriteUtil.h"

using namespace jpeg_test;

namespace {

std::string scratch() {
    static std::string dir = vt_test::scratchDir("jpeg_encode_djpeg");
    return dir;
}

TEST(JpegWriteOracle, DjpegReadsEveryMode) {
    for (const WriteSpec& mode : kSpecs) {
        SCOPED_TRACE(mode.name);
        const Image img = sourceFor(mode, 67, 41);
        const Written w = write(mode, img);
        ASSERT_EQ(w.result, 0);
        const std::string path = scratch() + "/" + mode.name + ".jpg";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(w.data.data(), 1, w.data.size(), f);
        std::fclose(f);
        // The decoders agree closely with replicated chroma (-nosmooth), as in
        // the decoder tests. djpeg writes grey as PGM and everything else as RGB (YCCK and plain
        // four-component data it cannot put in a PNM: those only have to decode).
        const bool four = mode.jpegChannels == 4;
        const std::string out = path + (four ? ".bmp" : ".pnm");
        ASSERT_EQ(run("djpeg -dct int -nosmooth " + std::string(four ? "-bmp " : "") + "-outfile " + out + " " + path), 0);
        if (four) continue;
        const Image ref = readPnm(out);
        ASSERT_EQ(ref.width, 67);
        ASSERT_EQ(ref.height, 41);
        const int refColor = ref.channels == 1 ? kJpegColorGrey : kJpegColorRgb;
        const Decoded ours = decodeMemory(w.data, refColor, ref.channels);
        ASSERT_EQ(ours.imageResult, 0);
        EXPECT_GT(psnr(ours.pixels, ref.data, ref.channels, ref.channels, ref.channels), 38.0);
        if (mode.jpegChannels == 1 && mode.channels == 3) {
            // Grey from colour: the encoder's luminance of the source.
            Bytes luma(size_t(67) * 41);
            for (size_t p = 0; p < luma.size(); ++p) {
                const uint8_t* s = &img.data[p * 3];
                luma[p] = uint8_t((77 * s[0] + 150 * s[1] + 29 * s[2]) >> 8);
            }
            EXPECT_GT(psnr(ref.data, luma, 1, 1, 1), 36.0);
        }
    }
}

}  // namespace
