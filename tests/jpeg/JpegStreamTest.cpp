// Huffman tables and the bit reader on hand-made bit streams, and a corpus of
// damaged files that must give their codes without touching memory they do
// not own (run under AddressSanitizer natively).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "jpeg/CodecInternal.h"
#include "tests/jpeg/JpegTestUtil.h"

using namespace jpeg_test;

namespace {

// Table from code lengths: counts[i] codes of length i + 1.
HuffmanLookup table(std::initializer_list<int> counts, std::initializer_list<int> symbols, int cls = 1) {
    uint8_t c[16] = {}, s[257] = {};
    int i = 0;
    for (int n : counts) c[i++] = static_cast<uint8_t>(n);
    i = 0;
    for (int v : symbols) s[i++] = static_cast<uint8_t>(v);
    HuffmanLookup t;
    EXPECT_EQ(buildHuffmanLookup(c, s, cls, 0, t), 0);
    return t;
}

// Bits as a string of '0' and '1', padded with zeros to whole bytes.
Bytes bits(const std::string& b) {
    Bytes out;
    std::string s = b;
    while (s.size() % 8) s += '0';
    for (size_t i = 0; i < s.size(); i += 8) out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 8), nullptr, 2)));
    return out;
}

StreamReader readerOver(const Bytes& d) {
    StreamReader r;
    resetInput(r, d.data(), d.size(), 0, false);
    return r;
}

}  // namespace

TEST(HuffmanLookup, BuildRules) {
    // One code of length 1 fills half the lookahead.
    HuffmanLookup t = table({1}, {0x42});
    int filled = 0;
    for (uint32_t e : t.lookahead) filled += (e >> 16) == 1 && (e & 0xFFFF) == 0x42;
    EXPECT_EQ(filled, 128);
    // Codes of 9 bits or more leave the lookahead empty.
    t = table({0, 0, 0, 0, 0, 0, 0, 0, 2}, {7, 9});
    for (uint32_t e : t.lookahead) EXPECT_EQ(e >> 16, 0u);

    uint8_t counts[16] = {}, symbols[300] = {};
    HuffmanLookup h;
    counts[15] = 255;
    counts[14] = 2;   // 257 entries in all: accepted
    EXPECT_EQ(buildHuffmanLookup(counts, symbols, 1, 0, h), 0);
    counts[13] = 1;   // 258
    EXPECT_EQ(buildHuffmanLookup(counts, symbols, 1, 0, h), kJpegBadHuffmanTable);
    uint8_t over[16] = {3};   // three codes of one bit cannot exist
    EXPECT_EQ(buildHuffmanLookup(over, symbols, 0, 0, h), kJpegBadHuffmanTable);
    uint8_t full[16] = {2};   // 0 and 1: the whole one-bit code space
    EXPECT_EQ(buildHuffmanLookup(full, symbols, 0, 0, h), 0);
}

TEST(HuffmanDecode, SymbolsShortLongAndStuffed) {
    // Lengths: a=0 (1 bit), b=10, c=110, then 9-bit codes 111000000, 111000001.
    HuffmanLookup t = table({1, 1, 1, 0, 0, 0, 0, 0, 2}, {0xA, 0xB, 0xC, 0xD, 0xE});
    Bytes d = bits("0" "10" "110" "111000001" "111000000" "0");
    StreamReader r = readerOver(d);
    for (int expected : {0xA, 0xB, 0xC, 0xE, 0xD, 0xA}) EXPECT_EQ(decodeSymbol(r, t), expected);

    // 0xFF 0x00 in the data is the byte 0xFF; after the data the reader
    // supplies zero bits and counts them.
    HuffmanLookup eight = table({0, 0, 0, 0, 0, 0, 0, 2}, {0x11, 0x22});   // 00000000, 00000001
    Bytes stuffed = {0xFF, 0x00, 0x00, 0x01};
    StreamReader s = readerOver(stuffed);
    ASSERT_EQ(fillBits(s), 0);
    EXPECT_EQ(s.bitCount - s.padBits, 24);
    EXPECT_EQ((s.bitBuffer >> s.padBits) & 0xFFFFFF, 0xFF0001u);
    EXPECT_EQ(decodeSymbol(s, eight), 0);      // 0xFF.. matches no code: symbol 0, 16 bits gone
    EXPECT_EQ(decodeSymbol(s, eight), 0x22);
}

TEST(HuffmanDecode, SequentialBlock) {
    // DC: 0 -> category 0, 10 -> 1, 11 -> 2. AC: 0 EOB, 10 = (0,1), 110 = ZRL, 1110 = (15,1).
    HuffmanLookup dc = table({1, 2}, {0, 1, 2}, 0);
    HuffmanLookup ac = table({1, 1, 1, 1}, {0x00, 0x01, 0xF0, 0xF1});
    int16_t block[64], pred = 5;
    // DC category 2 value 3; AC -1 at zig-zag 1; ZRL; +1 after a run of 15 (zig-zag 33); EOB.
    Bytes d = bits("11" "11" "10" "0" "110" "1110" "1" "0");
    StreamReader r = readerOver(d);
    ASSERT_EQ(decodeBlock(r, dc, ac, pred, block), 0);
    EXPECT_EQ(pred, 8);
    EXPECT_EQ(block[0], 8);
    EXPECT_EQ(block[kNaturalOrder[1]], -1);
    EXPECT_EQ(block[kNaturalOrder[33]], 1);
    int nonzero = 0;
    for (int16_t v : block) nonzero += v != 0;
    EXPECT_EQ(nonzero, 3);

    // A run past position 63 lands on 63 instead of leaving the block.
    std::string s = "0";                           // DC category 0
    for (int i = 0; i < 3; ++i) s += "110";        // 48 zeros: k = 49
    s += "1110" "1";                               // run 15 then +1: position 64 -> 63
    Bytes over = bits(s);
    StreamReader r2 = readerOver(over);
    pred = 0;
    ASSERT_EQ(decodeBlock(r2, dc, ac, pred, block), 0);
    EXPECT_EQ(block[63], 1);
}

TEST(HuffmanDecode, MarkerInsideABlockKeepsWhatWasDecoded) {
    HuffmanLookup dc = table({1, 2}, {0, 1, 2}, 0);
    HuffmanLookup ac = table({1, 1, 1, 1}, {0x00, 0x01, 0xF0, 0xF1});
    // DC +1, AC +1 at 1, then the data stops with EOI.
    Bytes d = bits("10" "1" "10" "1" "10");   // the last symbol's value bit is missing
    d.push_back(0xFF);
    d.push_back(0xD9);
    StreamReader r = readerOver(d);
    int16_t block[64], pred = 0;
    ASSERT_EQ(decodeBlock(r, dc, ac, pred, block), 0);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[kNaturalOrder[1]], 1);
    EXPECT_EQ(r.pendingMarker, 0xD9);
    EXPECT_TRUE(r.starved);
    // The next block gets nothing: all zeros, prediction kept.
    ASSERT_EQ(decodeBlock(r, dc, ac, pred, block), 0);
    for (int16_t v : block) EXPECT_EQ(v, 0);
    EXPECT_EQ(pred, 1);
    // Memory that ends inside a run of 0xFF is a data error.
    Bytes ff = {0x80, 0xFF};
    StreamReader r3 = readerOver(ff);
    EXPECT_EQ(decodeBlock(r3, dc, ac, pred, block), kJpegDataError);
}

TEST(HuffmanDecode, ProgressiveRoutines) {
    HuffmanLookup dc = table({1, 2}, {0, 1, 2}, 0);
    // AC: 0 = EOB run 1 (0x00), 10 = (0,1), 110 = EOBRUN of 2^1 + bits (0x10).
    HuffmanLookup ac = table({1, 1, 1}, {0x00, 0x01, 0x10});
    int16_t block[64] = {};
    int16_t pred = 0;
    // DC first with Al 2: category 1, bit 1 -> +1 -> stored 4.
    Bytes d = bits("10" "1");
    StreamReader r = readerOver(d);
    ASSERT_EQ(decodeDcFirst(r, dc, block, pred, 2), 0);
    EXPECT_EQ(block[0], 4);
    // DC category 0 keeps the prediction: pred << Al again.
    Bytes z = bits("0");
    StreamReader rz = readerOver(z);
    ASSERT_EQ(decodeDcFirst(rz, dc, block, pred, 2), 0);
    EXPECT_EQ(block[0], 4);
    // DC refinement sets bit Al.
    Bytes one = bits("1");
    StreamReader r1 = readerOver(one);
    ASSERT_EQ(decodeDcRefine(r1, block, 1), 0);
    EXPECT_EQ(block[0], 6);

    // AC first, band 1..5, Al 1: +1 at 1 then an EOB run of 3 (2 + bit 1):
    // this block and the next two take no more data.
    Bytes a = bits("10" "1" "110" "1");
    StreamReader ra = readerOver(a);
    int16_t b1[64] = {}, b2[64] = {};
    ASSERT_EQ(decodeAcFirst(ra, b1, ac, 1, 5, 1), 0);
    EXPECT_EQ(b1[kNaturalOrder[1]], 2);
    EXPECT_EQ(ra.eobRun, 2);
    ASSERT_EQ(decodeAcFirst(ra, b2, ac, 1, 5, 1), 0);
    EXPECT_EQ(ra.eobRun, 1);

    // AC refinement, Al 0: the nonzero coefficient at 1 takes a correction bit
    // (1: 2 -> 3), then a new +1 lands on the first zero position (2).
    Bytes ref = bits("10" "1" "1" "0");
    StreamReader rr = readerOver(ref);
    ASSERT_EQ(decodeAcRefine(rr, b1, ac, 1, 5, 0), 0);
    EXPECT_EQ(b1[kNaturalOrder[1]], 3);
    EXPECT_EQ(b1[kNaturalOrder[2]], 1);
}

// ---- Damaged files

namespace {

struct Damage {
    const char* what;
    const char* base;
    std::function<Bytes(Bytes)> change;
    int params;   // expected parameter-read result
    int image;    // expected image-read result when the parameters were read, else unused
};

size_t sof(const Bytes& d) { return findMarker(d, 0xC0) != std::string::npos ? findMarker(d, 0xC0) : findMarker(d, 0xC2); }
size_t sos(const Bytes& d) { return findMarker(d, 0xDA); }

// A progressive stream with DC refinement scans of one byte of data each
// added before its end, `total` scans in all.
Bytes manyScans(Bytes d, int total) {
    size_t eoi = d.size() - 2;
    int extra = total;
    for (size_t i = 0; i + 1 < d.size(); ++i) extra -= d[i] == 0xFF && d[i + 1] == 0xDA;
    Bytes scan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x00, 0x10, 0x55};
    Bytes all;
    for (int i = 0; i < extra; ++i) all.insert(all.end(), scan.begin(), scan.end());
    d.insert(d.begin() + eoi, all.begin(), all.end());
    return d;
}

const Damage kDamage[] = {
    {"one byte", "base420.jpg", [](Bytes d) { d.resize(1); return d; }, kJpegNotJpeg, 0},
    {"starts with EOI", "base420.jpg", [](Bytes d) { d[1] = 0xD9; return d; }, kJpegNotJpeg, 0},
    {"a PNG", "base420.jpg", [](Bytes) { return Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}; }, kJpegNotJpeg, 0},
    {"SOI alone", "base420.jpg", [](Bytes d) { d.resize(2); return d; }, kJpegMemoryError, 0},
    {"SOI then EOI", "base420.jpg", [](Bytes) { return Bytes{0xFF, 0xD8, 0xFF, 0xD9}; }, kJpegNoImage, 0},
    {"five components", "base420.jpg", [](Bytes d) { d[sof(d) + 9] = 5; return d; }, kJpegBadComponents, 0},
    {"no components", "base420.jpg", [](Bytes d) { d[sof(d) + 9] = 0; return d; }, kJpegBadComponents, 0},
    {"sampling factor 0", "base420.jpg", [](Bytes d) { d[sof(d) + 11] = 0x20; return d; }, kJpegBadSof, 0},
    {"sampling factor 5", "base420.jpg", [](Bytes d) { d[sof(d) + 11] = 0x52; return d; }, kJpegBadSof, 0},
    {"18 blocks an MCU", "base420.jpg", [](Bytes d) { d[sof(d) + 11] = 0x44; return d; }, kJpegBadSof, 0},
    {"12-bit samples", "base420.jpg", [](Bytes d) { d[sof(d) + 4] = 12; return d; }, kJpegUnsupportedFrame, 0},
    {"height 0", "base420.jpg", [](Bytes d) { put16(d, sof(d) + 5, 0); return d; }, kJpegBadDnl, 0},
    {"width 0", "base420.jpg", [](Bytes d) { put16(d, sof(d) + 7, 0); return d; }, kJpegBadSof, 0},
    {"over 100 megapixels", "base420.jpg",
     [](Bytes d) { put16(d, sof(d) + 5, 20000); put16(d, sof(d) + 7, 20000); return d; }, kJpegMemoryError, 0},
    {"frame header shorter than its components", "base420.jpg",
     [](Bytes d) { put16(d, sof(d) + 2, 11); return d; }, kJpegDataError, 0},
    {"quantisation selector 4", "base420.jpg", [](Bytes d) { d[sof(d) + 12] = 4; return d; }, kJpegDataError, 0},
    {"second frame header", "base420.jpg",
     [](Bytes d) {
         size_t at = sof(d);
         Bytes copy(d.begin() + at, d.begin() + at + segmentSize(d, at));
         return insertAt(d, at, copy);
     },
     kJpegMultipleFrames, 0},
    {"lossless frame", "base420.jpg", [](Bytes d) { d[sof(d) + 1] = 0xC3; return d; }, kJpegUnsupportedFrame, 0},
    {"arithmetic frame", "base420.jpg", [](Bytes d) { d[sof(d) + 1] = 0xC9; return d; }, kJpegUnsupportedFrame, 0},
    {"Huffman counts past their segment", "base420.jpg",
     [](Bytes d) { d[findMarker(d, 0xC4) + 5] = 3; return d; }, kJpegDataError, 0},
    {"Huffman class 2", "base420.jpg", [](Bytes d) { d[findMarker(d, 0xC4) + 4] = 0x20; return d; },
     kJpegBadHuffmanTable, 0},
    {"Huffman code space over-subscribed", "base420.jpg",
     [](Bytes d) {
         size_t at = findMarker(d, 0xC4);   // DC table: no one-bit codes, one of two, five of three bits
         d[at + 5] = 2;                     // two one-bit codes leave no room for longer ones
         d[at + 6] = 0;
         d[at + 7] -= 1;
         return d;
     },
     kJpegBadHuffmanTable, 0},
    {"DHT length 1093", "base420.jpg", [](Bytes d) { put16(d, findMarker(d, 0xC4) + 2, 1094); return d; },
     kJpegDataError, 0},
    {"DQT id 4", "base420.jpg", [](Bytes d) { d[findMarker(d, 0xDB) + 4] = 0x04; return d; }, kJpegBadQuantTable, 0},
    {"DQT precision 2", "base420.jpg", [](Bytes d) { d[findMarker(d, 0xDB) + 4] = 0x20; return d; },
     kJpegBadQuantTable, 0},
    {"DQT length 519", "base420.jpg", [](Bytes d) { put16(d, findMarker(d, 0xDB) + 2, 519); return d; },
     kJpegDataError, 0},
    {"DQT table cut short", "base420.jpg", [](Bytes d) { put16(d, findMarker(d, 0xDB) + 2, 40); return d; },
     kJpegDataError, 0},
    {"DRI without its value", "base420.jpg",
     [](Bytes d) { return insertAt(d, 2, Bytes{0xFF, 0xDD, 0x00, 0x02}); }, kJpegDataError, 0},
    {"segment length 1", "base420.jpg", [](Bytes d) { return insertAt(d, 2, Bytes{0xFF, 0xE3, 0x00, 0x01}); },
     kJpegDataError, 0},
    {"segment past the end", "base420.jpg",
     [](Bytes d) { return insertAt(d, 2, Bytes{0xFF, 0xE3, 0xFF, 0xF0}); }, kJpegDataError, 0},
    {"short APP0 is passed over", "base420.jpg",
     [](Bytes d) { return insertAt(withoutSegment(d, 0xE0), 2, Bytes{0xFF, 0xE0, 0x00, 0x04, 'J', 'F'}); }, 0, 0},
    {"scan before frame", "base420.jpg",
     [](Bytes d) {
         size_t at = sos(d);
         Bytes scan(d.begin() + at, d.begin() + at + segmentSize(d, at));
         return insertAt(d, 2, scan);
     },
     kJpegNoFrame, 0},
    {"scan of 0 components", "base420.jpg", [](Bytes d) { d[sos(d) + 4] = 0; return d; }, kJpegDataError, 0},
    {"scan of 5 components", "base420.jpg", [](Bytes d) { d[sos(d) + 4] = 5; return d; }, kJpegDataError, 0},
    {"scan names an unknown component", "base420.jpg", [](Bytes d) { d[sos(d) + 5] = 9; return d; },
     kJpegDataError, 0},
    {"scan names a component twice", "base420.jpg", [](Bytes d) { d[sos(d) + 7] = d[sos(d) + 5]; return d; },
     kJpegDataError, 0},
    {"scan Huffman id 4", "base420.jpg", [](Bytes d) { d[sos(d) + 6] = 0x40; return d; }, kJpegDataError, 0},
    {"scan uses an undefined Huffman table", "base420.jpg", [](Bytes d) { d[sos(d) + 6] = 0x22; return d; },
     kJpegNoHuffmanTable, 0},
    {"frame uses an undefined quantisation table", "base420.jpg", [](Bytes d) { d[sof(d) + 12] = 3; return d; },
     kJpegNoQuantTable, 0},
    {"baseline scan with Ss 1", "base420.jpg", [](Bytes d) { d[sos(d) + 11] = 1; return d; }, kJpegDataError, 0},
    {"progressive scan with Se 64", "prog420.jpg",
     [](Bytes d) { size_t at = sos(d); d[at + 4 + 2 * d[at + 4] + 2] = 64; return d; }, kJpegDataError, 0},
    {"progressive scan with Al 14", "prog420.jpg",
     [](Bytes d) { size_t at = sos(d); d[at + 4 + 2 * d[at + 4] + 3] = 0x0E; return d; }, kJpegDataError, 0},
    {"entropy data cut in half", "base420.jpg", [](Bytes d) { d.resize(sos(d) + 14 + 200); return d; }, 0,
     kJpegMemoryError},
    {"entropy data ends in 0xFF", "base420.jpg",
     [](Bytes d) { d.resize(sos(d) + 14 + 100); d.back() = 0xFF; return d; }, 0, kJpegDataError},
    {"progressive data cut in half", "prog420.jpg", [](Bytes d) { d.resize(d.size() / 2); return d; }, 0,
     kJpegMemoryError},
    {"restart markers garbled", "restart420.jpg",
     [](Bytes d) {
         for (size_t i = sos(d) + 2; i + 1 < d.size(); ++i)
             if (d[i] == 0xFF && d[i + 1] >= 0xD0 && d[i + 1] <= 0xD7) d[i + 1] = 0xD5;
         return d;
     },
     0, 0},
    {"EOI in the middle of the scan", "base420.jpg",
     [](Bytes d) { d.resize(sos(d) + 14 + 150); d.push_back(0xFF); d.push_back(0xD9); return d; }, 0, 0},
    {"a further scan after the image", "base420.jpg",
     [](Bytes d) {
         size_t at = sos(d);
         Bytes scan(d.begin() + at, d.end() - 2);
         return insertAt(d, d.size() - 2, scan);
     },
     0, 0},
    {"1000 scans", "prog420.jpg", [](Bytes d) { return manyScans(d, 1000); }, 0, 0},
    {"1001 scans", "prog420.jpg", [](Bytes d) { return manyScans(d, 1001); }, 0, kJpegDataError},
};

}  // namespace

TEST(JpegDamage, EachGivesItsCodeAndStaysInItsBuffers) {
    for (const Damage& c : kDamage) {
        Bytes data = c.change(fixture(c.base));
        Decoded d = decodeMemory(data);
        EXPECT_EQ(d.paramsResult, c.params) << c.what << ": " << jpegErrorText(d.paramsResult);
        if (d.paramsResult == 0) {
            EXPECT_EQ(d.imageResult, c.image) << c.what << ": " << jpegErrorText(d.imageResult);
        }
        EXPECT_TRUE(d.guardsIntact) << c.what;
        // The same bytes into the other layouts.
        Decoded g = decodeMemory(data, kJpegColorBgr, 3, -1);
        EXPECT_TRUE(g.guardsIntact) << c.what;
    }
}
