// File input is streamed through the codec's small buffer: a file of some
// hundred megabytes (a restart-interval picture padded with comment segments
// before and after its scan) decodes to the same pixels as the unpadded
// stream from memory, while the process's peak memory grows by far less than
// the file.
//
// VT_JPEG_LARGE_FILE_MB sets the padded size (default 300).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/jpeg/JpegTestUtil.h"
#include "tests/jpeg/JpegToolUtil.h"

using namespace jpeg_test;

namespace {

// Peak resident memory in KiB (VmHWM), or -1.
long peakRssKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Starts the peak over from the present resident size; false when the
// kernel does not offer it.
bool resetPeakRss() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    bool ok = std::fputs("5", f) >= 0;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

void writeComments(std::FILE* f, int64_t bytes) {
    Bytes segment(65537, 'c');
    segment[0] = 0xFF, segment[1] = 0xFE, segment[2] = 0xFF, segment[3] = 0xFF;
    for (int64_t done = 0; done < bytes; done += int64_t(segment.size()))
        ASSERT_EQ(std::fwrite(segment.data(), 1, segment.size(), f), segment.size());
}

}  // namespace

TEST(JpegFileInput, LargePaddedFileDecodesInLittleMemory) {
    const char* env = std::getenv("VT_JPEG_LARGE_FILE_MB");
    const int64_t padMb = env ? std::atoll(env) : 300;
    const std::string dir = vt_test::scratchDir("jpeg_file_input");
    const std::string pnm = dir + "/big.pnm", jpg = dir + "/big.jpg", padded = dir + "/padded.jpg";
    writePnm(pnm, photoLike(1536, 1024, 7));
    ASSERT_EQ(run("cjpeg -quality 85 -restart 3 -outfile " + jpg + " " + pnm), 0);
    const Bytes plain = vt_test::readFileBytes(jpg);
    const size_t sos = findMarker(plain, 0xDA);
    ASSERT_NE(sos, std::string::npos);
    ASSERT_GE(plain.size(), 4u);
    // Half the padding before the scan, half between its data and EOI.
    {
        std::FILE* f = std::fopen(padded.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(plain.data(), 1, sos, f), sos);
        writeComments(f, padMb << 19);
        const size_t dataEnd = plain.size() - 2;
        ASSERT_EQ(std::fwrite(plain.data() + sos, 1, dataEnd - sos, f), dataEnd - sos);
        writeComments(f, padMb << 19);
        ASSERT_EQ(std::fwrite(plain.data() + dataEnd, 1, 2, f), 2u);
        ASSERT_EQ(std::fclose(f), 0);
    }
    std::FILE* probe = std::fopen(padded.c_str(), "rb");
    ASSERT_NE(probe, nullptr);
    std::fseek(probe, 0, SEEK_END);
    const long fileBytes = std::ftell(probe);
    std::fclose(probe);
    ASSERT_GE(fileBytes, padMb << 20);

    const Decoded expected = decodeMemory(plain, kJpegColorRgb, 3);
    ASSERT_EQ(expected.imageResult, 0);

    Canvas canvas(size_t(expected.width) * expected.height * 3);
    const bool measured = resetPeakRss();
    const long before = peakRssKib();
    JpegProperties p;
    ASSERT_EQ(jpegInit(&p), 0);
    p.fileName = padded.c_str();
    ASSERT_EQ(jpegRead(&p, kJpegReadParamsFile), 0);
    EXPECT_EQ(p.jpegWidth, expected.width);
    p.pixels = canvas.data();
    p.width = p.jpegWidth;
    p.height = p.jpegHeight;
    p.channels = 3;
    p.color = kJpegColorRgb;
    EXPECT_EQ(jpegRead(&p, kJpegReadImageFile), 0);
    EXPECT_EQ(jpegFree(&p), 0);
    const long grown = peakRssKib() - before;
    EXPECT_TRUE(canvas.guardsIntact());
    EXPECT_TRUE(std::equal(expected.pixels.begin(), expected.pixels.end(), canvas.data()));
    std::printf("padded file %ld KiB, peak memory grew by %ld KiB\n", fileBytes / 1024, grown);
    if (measured && before >= 0) {
        // The decode's own needs (pixels excepted) are a few hundred KiB.
        EXPECT_LT(grown, 16 * 1024) << "peak memory grew by " << grown << " KiB for a " << fileBytes / 1024
                                    << " KiB file";
    }
    std::remove(padded.c_str());
}
