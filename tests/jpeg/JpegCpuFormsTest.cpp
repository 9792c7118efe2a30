// Every processor class's form of each codec operation, taken from the
// operation table its filler writes, gives the plain form's output bit for
// bit: random blocks and the extremes, then whole pictures decoded and encoded
// under each class.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <random>
#include <vector>

#include "jpeg/CodecOps.h"
#include "jpeg/JpegEncoder.h"
#include "jpeg/VectorOps.h"
#include "tests/jpeg/JpegTestUtil.h"
#include "tests/jpeg/JpegWriteUtil.h"

using namespace jpeg_test;

namespace {

struct ClassTable {
    int cls;
    CodecOps ops;
};

// The table of every class, filled by its filler.
const std::vector<ClassTable>& classTables() {
    static const std::vector<ClassTable> tables = [] {
        readCpuInfo(&gCpuInfo);
        std::vector<ClassTable> t;
        const std::pair<int, void (*)(CodecOps*)> fillers[] = {
            {kCpuOther, fillOpsPlain}, {kCpuP5Mmx, fillOpsMmx}, {kCpuP6Mmx, fillOpsMmxCmov},
            {kCpuP6Sse, fillOpsSse},   {kCpuSse2, fillOpsSse2},
        };
        for (auto [cls, fill] : fillers) {
            ClassTable c{cls, CodecOps{}};
            fill(&c.ops);
            t.push_back(c);
        }
        return t;
    }();
    return tables;
}
const CodecOps& plainOps() { return classTables()[0].ops; }

using Block = std::array<int16_t, 64>;

// Coefficient blocks: random ones of several spreads and the extremes.
std::vector<Block> testBlocks(uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Block> blocks;
    Block b{};
    blocks.push_back(b);                                  // all zero
    for (int16_t v : {int16_t(32767), int16_t(-32768), int16_t(1016), int16_t(-1024), int16_t(255)}) {
        b.fill(v);
        blocks.push_back(b);                              // saturating and flat
        b.fill(0);
        b[0] = v;
        blocks.push_back(b);                              // DC only
        for (int i = 0; i < 64; ++i) b[i] = static_cast<int16_t>((i + i / 8) % 2 ? v : -v - 1);
        blocks.push_back(b);                              // checkerboard
    }
    for (int i = 0; i < 8; ++i) {
        b.fill(0);
        b[i * 8] = 32767;                                 // ends of a row or column far apart
        b[i * 8 + 7] = -32768;
        b[i] = -32768;
        b[56 + i] = 32767;
        blocks.push_back(b);
    }
    for (int spread : {2, 40, 400, 2048, 65536}) {
        for (int n = 0; n < 200; ++n) {
            Block r{};
            const int count = 1 + int(rng() % 64);
            for (int i = 0; i < count; ++i)
                r[kNaturalOrder[rng() % 64]] = static_cast<int16_t>(int(rng() % spread) - spread / 2);
            blocks.push_back(r);
        }
        // Sparse blocks as photographs give them: only the top-left 4x4, only
        // rows 0-3, only columns 0-3.
        for (int n = 0; n < 150; ++n) {
            Block r{};
            const int rows = n % 3 == 2 ? 8 : 4, columns = n % 3 == 1 ? 8 : 4;
            const int count = 1 + int(rng() % (rows * columns));
            for (int i = 0; i < count; ++i)
                r[int(rng() % rows) * 8 + int(rng() % columns)] = static_cast<int16_t>(int(rng() % spread) - spread / 2);
            blocks.push_back(r);
        }
    }
    return blocks;
}

// Tables: random, all ones, maximal.
std::vector<std::array<uint16_t, 80>> testTables() {
    std::mt19937 rng(3);
    std::vector<std::array<uint16_t, 80>> t;
    std::array<uint16_t, 80> q{};
    for (uint16_t v : {uint16_t(1), uint16_t(255), uint16_t(32768), uint16_t(65535)}) {
        q.fill(0);
        for (int i = 0; i < 64; ++i) q[i] = v;
        t.push_back(q);
    }
    for (int n = 0; n < 6; ++n) {
        for (int i = 0; i < 64; ++i) q[i] = static_cast<uint16_t>(n < 3 ? 1 + rng() % 255 : rng() % 65536);
        t.push_back(q);
    }
    return t;
}

std::string where(int cls, const char* op, size_t n) {
    return "class " + std::to_string(cls) + " " + op + " case " + std::to_string(n);
}

#ifdef VT_VECTOR_FORMS
// Every operation slot of a table, by name.
std::vector<std::pair<std::string, uintptr_t>> slotsOf(const CodecOps& o) {
    auto at = [](auto f) { return reinterpret_cast<uintptr_t>(f); };
    std::vector<std::pair<std::string, uintptr_t>> s = {
        {"end-of-call hook", at(o.leaveSimdState)}, {"forward DCT 0", at(o.forwardDct[0])},
        {"forward DCT 1", at(o.forwardDct[1])},     {"output start", at(o.startOutput)},
        {"output bytes", at(o.writeBytes)},         {"block encoder", at(o.encodeBlock)},
        {"block decoder", at(o.decodeBlock)},       {"block skipper", at(o.skipBlock)},
    };
    for (int family = 0; family < 2; ++family)
        for (int size = 0; size < 4; ++size)
            s.push_back({"inverse DCT " + std::to_string(family) + "." + std::to_string(size), at(o.idct[family][size])});
    for (int i = 0; i < kMcuFetchCount; ++i) s.push_back({"fetch " + std::to_string(i), at(o.fetch[i])});
    for (int i = 0; i < kOutputKernelCount; ++i) s.push_back({"output kernel " + std::to_string(i), at(o.outputKernel[i])});
    for (int i = 0; i < 3; ++i) {
        s.push_back({"quantise " + std::to_string(i), at(o.quantise[i])});
        s.push_back({"dequantise " + std::to_string(i), at(o.dequantise[i])});
    }
    return s;
}
#endif

}  // namespace

#ifdef VT_VECTOR_FORMS
// Which classes hold one routine for each operation: a letter per filler, in
// the order of classTables() (classes 0-2, 3, 4, 5, 6); equal letters, the
// same routine; different letters, different routines. Unnamed slots hold one
// routine in every class.
TEST(CpuForms, ClassesShareTheRoutinesOfTheClassTable) {
    readCpuInfo(&gCpuInfo);
    if (!(gCpuInfo.features & kCpuFeatureSse2)) GTEST_SKIP() << "the vector forms need SSE2";
    std::map<std::string, std::string> shared = {
        {"end-of-call hook", "ABBBB"}, {"forward DCT 0", "ABBBB"},   {"forward DCT 1", "ABBCD"},
        {"inverse DCT 0.0", "ABBBB"},  {"inverse DCT 1.0", "ABBCD"}, {"output start", "ABBBB"},
        {"output bytes", "ABBBB"},     {"block encoder", "ABBCB"},   {"block decoder", "ABCCC"},
        {"block skipper", "ABBBB"},    {"quantise 0", "ABBBB"},      {"quantise 1", "ABBCD"},
        {"quantise 2", "ABBBB"},       {"dequantise 1", "ABBBD"},
        // The packed 4:2:2 fetch, and the 2x1 kernels to R, G, B and B, G, R.
        {"fetch 14", "ABBCC"},         {"output kernel 2", "ABBCC"}, {"output kernel 5", "ABBCC"},
    };
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) shared["fetch " + std::to_string(i)] = "ABBBB";
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9, 14, 15, 16, 17}) shared["output kernel " + std::to_string(i)] = "ABBBB";
    const auto& tables = classTables();
    ASSERT_EQ(tables.size(), 5u);
    std::vector<std::vector<std::pair<std::string, uintptr_t>>> slots;
    for (const ClassTable& c : tables) slots.push_back(slotsOf(c.ops));
    for (size_t n = 0; n < slots[0].size(); ++n) {
        const std::string& what = slots[0][n].first;
        const std::string letters = shared.count(what) ? shared[what] : "AAAAA";
        for (size_t i = 0; i < 5; ++i)
            for (size_t j = i + 1; j < 5; ++j)
                EXPECT_EQ(letters[i] == letters[j], slots[i][n].second == slots[j][n].second)
                    << what << ": classes " << tables[i].cls << " and " << tables[j].cls << " should "
                    << (letters[i] == letters[j] ? "share" : "not share") << " a routine";
    }
    // The second slot of each pair holds the first form again.
    for (const ClassTable& c : tables) {
        EXPECT_EQ(c.ops.quantise[2], c.ops.quantise[0]) << c.cls;
        EXPECT_EQ(c.ops.dequantise[2], c.ops.dequantise[0]) << c.cls;
    }
}
#endif

TEST(CpuForms, EveryFillerWritesEverySlot) {
    for (const ClassTable& c : classTables()) {
        const CodecOps& o = c.ops;
        EXPECT_NE(o.leaveSimdState, nullptr);
        for (auto f : o.forwardDct) EXPECT_NE(f, nullptr) << c.cls;
        for (auto& family : o.idct)
            for (InverseDct f : family) EXPECT_NE(f, nullptr) << c.cls;
        EXPECT_NE(o.startOutput, nullptr);
        EXPECT_NE(o.writeBytes, nullptr);
        for (McuFetchFn f : o.fetch) EXPECT_NE(f, nullptr) << c.cls;
        for (OutputKernel k : o.outputKernel) EXPECT_NE(k, nullptr) << c.cls;
        EXPECT_NE(o.encodeBlock, nullptr);
        EXPECT_NE(o.decodeBlock, nullptr);
        EXPECT_NE(o.skipBlock, nullptr);
        for (auto f : o.quantise) EXPECT_NE(f, nullptr) << c.cls;
        for (auto f : o.dequantise) EXPECT_NE(f, nullptr) << c.cls;
        // Set per scan or per image, never by a filler.
        for (InverseDct f : o.activeIdct) EXPECT_EQ(f, nullptr);
        EXPECT_EQ(o.activeForwardDct, nullptr);
        EXPECT_EQ(o.mcuFetch, nullptr);
        EXPECT_EQ(o.mcuOutput, nullptr);
        o.leaveSimdState();
    }
}

TEST(CpuForms, Dequantisation) {
    const auto blocks = testBlocks(1);
    const auto tables = testTables();
    for (const ClassTable& c : classTables())
        for (int slot = 0; slot < 3; ++slot)
            for (size_t t = 0; t < tables.size(); ++t)
                for (size_t n = 0; n < blocks.size(); n += 1 + t) {
                    Block a = blocks[n], b = blocks[n];
                    plainOps().dequantise[slot](a.data(), tables[t].data());
                    c.ops.dequantise[slot](b.data(), tables[t].data());
                    ASSERT_EQ(a, b) << where(c.cls, "dequantise", n) << " slot " << slot << " table " << t;
                }
}

TEST(CpuForms, InverseTransforms) {
    const auto blocks = testBlocks(2);
    for (const ClassTable& c : classTables())
        for (int kind = 0; kind < 2; ++kind)
            for (int size = 0; size < 4; ++size)
                for (size_t n = 0; n < blocks.size(); ++n) {
                    Block a = blocks[n], b = blocks[n];
                    // Rows 11 bytes apart, the gaps marked: a transform writes its samples only.
                    uint8_t outA[8 * 11], outB[8 * 11];
                    std::memset(outA, 0xA5, sizeof outA);
                    std::memset(outB, 0xA5, sizeof outB);
                    plainOps().idct[kind][size](a.data(), outA, 11);
                    c.ops.idct[kind][size](b.data(), outB, 11);
                    ASSERT_EQ(0, std::memcmp(outA, outB, sizeof outA))
                        << where(c.cls, "inverse DCT", n) << " family " << kind << " size " << size;
                }
}

#ifdef VT_VECTOR_FORMS
// The decoder's one-step dequantisation and 8x8 transform gives what the two
// slots give one after the other, for the family whose routines it stands for.
TEST(CpuForms, DequantisingTransform) {
    const auto blocks = testBlocks(9);
    const auto tables = testTables();
    for (const ClassTable& c : classTables())
        for (int kind = 0; kind < 2; ++kind) {
            CodecOps ops = c.ops;
            for (int i = 0; i < 4; ++i) ops.activeIdct[i] = ops.idct[kind][i];
            ops.dequantise[2] = ops.dequantise[kind];
            const DequantisingIdct fused = dequantisingIdct(ops);
            EXPECT_EQ(fused != nullptr, kind == 1 && c.cls != kCpuOther) << "class " << c.cls << " family " << kind;
            if (!fused) continue;
            for (size_t t = 0; t < tables.size(); ++t)
                for (size_t n = 0; n < blocks.size(); ++n) {
                    Block a = blocks[n], b = blocks[n];
                    uint8_t outA[8 * 11], outB[8 * 11];
                    std::memset(outA, 0xA5, sizeof outA);
                    std::memset(outB, 0xA5, sizeof outB);
                    plainOps().dequantise[1](a.data(), tables[t].data());
                    plainOps().idct[1][0](a.data(), outA, 11);
                    fused(b.data(), tables[t].data(), outB, 11);
                    ASSERT_EQ(0, std::memcmp(outA, outB, sizeof outA))
                        << where(c.cls, "dequantising transform", n) << " table " << t;
                }
        }
}
#endif

namespace {

// Level-shifted sample blocks: flat extremes, a checkerboard, random ones, and
// the coefficient test blocks (beyond 8-bit samples too).
std::vector<Block> sampleBlocks(uint32_t seed, int randomCount, uint32_t extremesSeed) {
    std::vector<Block> samples;
    std::mt19937 rng(seed);
    for (int16_t v : {int16_t(-128), int16_t(127), int16_t(0)}) {
        Block b;
        b.fill(v);
        samples.push_back(b);
    }
    Block checker;
    for (int i = 0; i < 64; ++i) checker[i] = (i + i / 8) % 2 ? 127 : -128;
    samples.push_back(checker);
    for (int n = 0; n < randomCount; ++n) {
        Block b;
        for (int16_t& v : b) v = static_cast<int16_t>(int(rng() % 256) - 128);
        samples.push_back(b);
    }
    for (const Block& b : testBlocks(extremesSeed)) samples.push_back(b);
    return samples;
}

}  // namespace

TEST(CpuForms, ForwardTransformsAndQuantisation) {
    const std::vector<Block> samples = sampleBlocks(5, 500, 6);
    const auto tables = testTables();
    for (const ClassTable& c : classTables()) {
        for (int slot = 0; slot < 2; ++slot)
            for (size_t n = 0; n < samples.size(); ++n) {
                Block a = samples[n], b = samples[n];
                plainOps().forwardDct[slot](a.data());
                c.ops.forwardDct[slot](b.data());
                ASSERT_EQ(a, b) << where(c.cls, "forward DCT", n) << " slot " << slot;
            }
        for (int slot = 0; slot < 3; ++slot)
            for (size_t t = 0; t < tables.size(); ++t)
                for (size_t n = 0; n < samples.size(); n += 1 + t) {
                    Block a = samples[n], b = samples[n];
                    plainOps().quantise[slot](a.data(), tables[t].data());
                    c.ops.quantise[slot](b.data(), tables[t].data());
                    ASSERT_EQ(a, b) << where(c.cls, "quantise", n) << " slot " << slot << " table " << t;
                }
    }
}

#ifdef VT_VECTOR_FORMS
// The encoder's one-step transform and quantisation gives what the two slots
// give one after the other, for the family whose routines it stands for.
TEST(CpuForms, QuantisingForwardTransform) {
    const std::vector<Block> samples = sampleBlocks(12, 300, 13);
    const auto tables = testTables();
    for (const ClassTable& c : classTables())
        for (int kind = 0; kind < 2; ++kind) {
            CodecOps ops = c.ops;
            ops.activeForwardDct = ops.forwardDct[kind];
            ops.quantise[2] = ops.quantise[kind];
            const QuantisingFdct fused = quantisingFdct(ops);
            EXPECT_EQ(fused != nullptr, kind == 1 && c.cls != kCpuOther) << "class " << c.cls << " family " << kind;
            if (!fused) continue;
            for (size_t t = 0; t < tables.size(); ++t)
                for (size_t n = 0; n < samples.size(); ++n) {
                    Block a = samples[n], b = samples[n];
                    plainOps().forwardDct[1](a.data());
                    plainOps().quantise[1](a.data(), tables[t].data());
                    fused(b.data(), tables[t].data());
                    ASSERT_EQ(a, b) << where(c.cls, "quantising transform", n) << " table " << t;
                }
        }
}
#endif

namespace {

// One MCU's planes for the kernels: Y (and K) 16 x 16, chroma 8 x 8 or the
// full size, filled by `sample`.
struct KernelPlanes {
    uint8_t plane[4][16 * 16];
    McuSamples m;
    KernelPlanes(int chromaStride, const std::function<uint8_t(int, int)>& sample) {
        for (int c = 0; c < 4; ++c)
            for (int i = 0; i < 256; ++i) plane[c][i] = sample(c, i);
        for (int c = 0; c < 4; ++c) {
            m.plane[c] = plane[c];
            m.stride[c] = c == 1 || c == 2 ? chromaStride : 16;
        }
    }
};

}  // namespace

TEST(CpuForms, OutputKernels) {
    std::mt19937 rng(9);
    std::vector<std::function<uint8_t(int, int)>> fills = {
        [](int, int) { return uint8_t(0); },
        [](int, int) { return uint8_t(255); },
        [](int c, int i) { return uint8_t(c == 0 || c == 3 ? (i & 1) * 255 : (i & 2) ? 255 : 0); },
    };
    for (int n = 0; n < 60; ++n) fills.push_back([&rng](int, int) { return uint8_t(rng()); });
    // Every (Cb, Cr) pair once, with random luma.
    for (int part = 0; part < 65536 / 64; ++part)
        fills.push_back([part, &rng](int c, int i) {
            const int pair = part * 64 + (i & 63);
            return uint8_t(c == 1 ? pair >> 8 : c == 2 ? pair & 255 : rng());
        });
    for (size_t f = 0; f < fills.size(); ++f) {
        for (int chromaStride : {8, 16}) {
            const KernelPlanes planes(chromaStride, fills[f]);
            for (const ClassTable& c : classTables())
                for (int k = 0; k < kOutputKernelCount; ++k) {
                    // 16 x 16 pixels of up to four bytes, rows padded and marked.
                    constexpr int kStep = 16 * 4 + 5;
                    uint8_t a[16 * kStep], b[16 * kStep];
                    std::memset(a, 0x5A, sizeof a);
                    std::memset(b, 0x5A, sizeof b);
                    plainOps().outputKernel[k](planes.m, a, kStep);
                    c.ops.outputKernel[k](planes.m, b, kStep);
                    ASSERT_EQ(0, std::memcmp(a, b, sizeof a))
                        << where(c.cls, "output kernel", f) << " slot " << k << " chroma stride " << chromaStride;
                }
        }
    }
}

namespace {

// Huffman tables for the block tests: the usual DC table and an AC table with
// every run/size symbol, lengths growing with the size.
struct TestTable {
    uint8_t bits[16];
    std::vector<uint8_t> values;
};
TestTable testTable(bool dc) {
    TestTable t{};
    if (dc) {
        const uint8_t bits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
        std::memcpy(t.bits, bits, 16);
        for (int i = 0; i < 12; ++i) t.values.push_back(uint8_t(i));
        return t;
    }
    const uint8_t bits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0};
    std::memcpy(t.bits, bits, 16);
    t.values.push_back(0x00);
    t.values.push_back(0xF0);
    for (int size = 1; size <= 10; ++size)
        for (int run = 0; run < 16; ++run) t.values.push_back(uint8_t(run << 4 | size));
    int given = 0;
    for (uint8_t b : t.bits) given += b;
    t.bits[15] = uint8_t(int(t.values.size()) - given);
    return t;
}

HuffmanCode standardCode(bool dc) {
    const TestTable t = testTable(dc);
    HuffmanCode code;
    EXPECT_EQ(buildEncodingTable(t.bits, t.values.data(), code), 0);
    return code;
}

HuffmanLookup standardLookup(bool dc) {
    const TestTable t = testTable(dc);
    HuffmanLookup lookup;
    EXPECT_EQ(buildHuffmanLookup(t.bits, t.values.data(), dc ? 0 : 1, 0, lookup), 0);
    return lookup;
}

}  // namespace

TEST(CpuForms, HuffmanBlockEncoderAndOutput) {
    const HuffmanCode dc = standardCode(true), ac = standardCode(false);
    std::vector<Block> blocks = testBlocks(4);
    Block last{};
    last[63] = 5;                                         // no end-of-band
    blocks.push_back(last);
    for (Block& b : blocks)
        for (int16_t& v : b) v = static_cast<int16_t>(v % 2048);   // quantised values
    for (const ClassTable& c : classTables())
        for (int size : {1 << 20, 700, 64}) {             // room, and too little of it
            std::vector<uint8_t> areaA(static_cast<size_t>(size)), areaB(static_cast<size_t>(size));
            OutputWriter a, b;
            plainOps().startOutput(a, areaA.data(), size, nullptr);
            c.ops.startOutput(b, areaB.data(), size, nullptr);
            const uint8_t soi[2] = {0xFF, 0xD8};
            ASSERT_EQ(a.writeBytes(soi, 2, a), b.writeBytes(soi, 2, b));
            int16_t predA = 0, predB = 0;
            int errA = 0, errB = 0;
            for (size_t n = 0; n < blocks.size() && !errA; ++n) {
                errA = plainOps().encodeBlock(a, dc, ac, predA, blocks[n].data());
                errB = c.ops.encodeBlock(b, dc, ac, predB, blocks[n].data());
                if (errA) break;
                ASSERT_EQ(errB, 0) << where(c.cls, "encode block", n);
                ASSERT_EQ(predA, predB);
            }
            if (!errA) {
                errA = flushBits(a);
                errB = flushBits(b);
                const uint8_t eoi[2] = {0xFF, 0xD9};
                if (!errA) errA = a.writeBytes(eoi, 2, a);
                if (!errB) errB = b.writeBytes(eoi, 2, b);
            }
            EXPECT_EQ(errA, errB) << "class " << c.cls << " area " << size;
            if (!errA) {
                ASSERT_EQ(a.written, b.written) << "class " << c.cls;
                EXPECT_EQ(0, std::memcmp(areaA.data(), areaB.data(), size_t(a.written))) << "class " << c.cls;
            }
        }
}

namespace {

// A fetch plan as the encoder makes it, over an image of the given size.
FetchPlan planFor(const std::vector<uint8_t>& pixels, int width, int height, int channels, int color, int mode,
                  int components, int hmax, int vmax, bool packed) {
    FetchPlan p{};
    p.origin = pixels.data();
    p.channels = channels;
    p.stride = packed ? ptrdiff_t(width) * 2 : ptrdiff_t(width) * channels;
    p.color = color;
    p.width = width;
    p.height = height;
    p.components = components;
    for (int c = 0; c < components; ++c) {
        const bool full = c == 0 || c == 3;
        p.h[c] = full ? hmax : 1;
        p.v[c] = full ? vmax : 1;
        p.byteOf[c] = components == 1 ? 0 : (c < channels ? c : -1);
    }
    p.hmax = hmax;
    p.vmax = vmax;
    p.mcuWidth = 8 * hmax;
    p.mcuHeight = 8 * vmax;
    p.mode = mode;
    p.packed = packed;
    return p;
}

}  // namespace

TEST(CpuForms, EncoderMcuFetch) {
    struct Case {
        int slot, channels, color, mode, components, hmax, vmax;
        bool packed;
        int order = 0;   // pass-through bytes: 0 in order, 1 reversed, 2 from the next byte on
    } cases[] = {
        {kFetchGreyFromRgb, 3, kJpegColorRgb, kFetchYcc, 1, 1, 1, false},
        {kFetchYcc444, 3, kJpegColorBgr, kFetchYcc, 3, 1, 1, false},
        {kFetchYccFromFour, 4, kJpegColorRgb, kFetchYccMeans, 3, 2, 2, false},
        {kFetchInvertedYcck444, 4, kJpegColorRgba, kFetchInvertedYcck, 4, 1, 1, false},
        {kFetchYcc420, 3, kJpegColorRgb, kFetchYcc, 3, 2, 2, false},
        {kFetchYcc422, 3, kJpegColorBgr, kFetchYcc, 3, 2, 1, false},
        {kFetchInvertedYcck420, 4, kJpegColorRgba, kFetchInvertedYcck, 4, 2, 2, false},
        {kFetchInvertedYcck422, 4, kJpegColorRgba, kFetchInvertedYcck, 4, 2, 1, false},
        {kFetchGrey, 1, kJpegColorGrey, kFetchBytes, 1, 1, 1, false},
        {kFetchPassThrough, 4, kJpegColorRgb, kFetchBytes, 3, 1, 1, false},
        {kFetchThreeBytes, 3, kJpegColorRgb, kFetchBytes, 3, 1, 1, false},
        {kFetchFourBytes, 4, kJpegColorRgba, kFetchBytes, 4, 1, 1, false},
        {kFetchBytes420, 3, kJpegColorRgb, kFetchBytes, 3, 2, 2, false},
        {kFetchBytes422, 3, kJpegColorRgb, kFetchBytes, 3, 2, 1, false},
        {kFetchPacked422, 2, kJpegColorYcbcr, kFetchBytes, 3, 2, 1, true},
        // The means fetch and the pass-through serve every sampling and layout.
        {kFetchYccFromFour, 4, kJpegColorBgr, kFetchYccMeans, 3, 1, 1, false},
        {kFetchYccFromFour, 4, kJpegColorRgb, kFetchYccMeans, 3, 2, 1, false},
        {kFetchYccFromFour, 4, kJpegColorBgr, kFetchYccMeans, 3, 1, 2, false},
        {kFetchPassThrough, 3, kJpegColorBgr, kFetchBytes, 3, 1, 1, false, 1},
        {kFetchPassThrough, 3, kJpegColorRgb, kFetchBytes, 3, 2, 2, false, 1},
        {kFetchPassThrough, 4, kJpegColorRgba, kFetchBytes, 4, 2, 2, false},
        {kFetchPassThrough, 4, kJpegColorRgba, kFetchBytes, 4, 2, 1, false, 2},
        {kFetchPassThrough, 1, kJpegColorOther, kFetchBytes, 3, 2, 1, false},
        {kFetchPassThrough, 2, kJpegColorOther, kFetchBytes, 3, 1, 2, false},
        {kFetchPassThrough, 3, kJpegColorRgb, kFetchBytes, 1, 1, 1, false, 2},
    };
    std::mt19937 rng(11);
    const int sizes[][2] = {{1, 1}, {17, 9}, {33, 31}, {48, 32}};
    for (const Case& k : cases)
        for (auto [width, height] : sizes)
            for (int fill = 0; fill < 4; ++fill) {
                std::vector<uint8_t> pixels(size_t(width) * height * 4);
                for (uint8_t& v : pixels) v = fill == 0 ? 0 : fill == 1 ? 255 : uint8_t(rng());
                FetchPlan plan = planFor(pixels, width, height, k.channels, k.color, k.mode, k.components,
                                               k.hmax, k.vmax, k.packed);
                for (int c = 0; c < k.components && k.order; ++c) {
                    const int at = k.order == 1 ? k.channels - 1 - c : c + 1;
                    plan.byteOf[c] = at >= 0 && at < k.channels ? at : -1;
                }
                ASSERT_EQ(mcuFetchSlot(plan), k.slot);
                const int blocks = k.components == 1 ? 1 : (k.components == 4 ? 2 : 1) * k.hmax * k.vmax + 2;
                for (const ClassTable& c : classTables())
                    for (int row = 0; row * plan.mcuHeight < height; ++row)
                        for (int col = 0; col * plan.mcuWidth < width; ++col) {
                            std::vector<int16_t> a(size_t(blocks) * 64, 7), b(size_t(blocks) * 64, 7);
                            plainOps().fetch[k.slot](plan, col, row, a.data());
                            c.ops.fetch[k.slot](plan, col, row, b.data());
                            ASSERT_EQ(a, b) << where(c.cls, "fetch", size_t(k.slot)) << " " << width << "x" << height
                                            << " MCU " << col << "," << row;
                        }
            }
}

#ifndef _WIN32
namespace {

// Runs f with the class override set, then clears it.
template <class F>
auto underClass(int cls, F f) {
    setCpuOverride(cls);
    auto r = f();
    setCpuOverride(-1);
    return r;
}

}  // namespace

// Whole pictures through the override seam (on Windows the registry value
// does the same; see the override test there).
TEST(CpuForms, WholePicturesDecodeAndEncodeAlikeUnderEveryClass) {
    const char* files[] = {"base444.jpg", "base422.jpg", "base420.jpg", "grey.jpg",
                           "prog420.jpg", "restart420.jpg", "adobe_rgb.jpg", "adobe_cmyk.jpg"};
    const std::pair<int, int> outputs[] = {{kJpegColorRgba, 4}, {kJpegColorRgb, 3}, {kJpegColorBgr, 3}};
    for (const char* file : files)
        for (const auto& output : outputs) {
            const int color = output.first, channels = output.second;
            const Bytes jpeg = fixture(file);
            const Decoded plain = underClass(kCpuOther, [&] { return decodeMemory(jpeg, color, channels); });
            for (int cls : {3, 4, 5, 6}) {
                const Decoded d = underClass(cls, [&] { return decodeMemory(jpeg, color, channels); });
                EXPECT_EQ(d.imageResult, plain.imageResult) << file << " class " << cls;
                EXPECT_TRUE(d.pixels == plain.pixels) << file << " colour " << color << " class " << cls;
            }
        }
    for (const WriteSpec& written : kSpecs)
        for (const auto& size : {std::pair{1, 1}, std::pair{37, 21}, std::pair{64, 48}}) {
            const int width = size.first, height = size.second;
            const Image img = sourceFor(written, width, height);
            const Written plain = underClass(kCpuOther, [&] { return write(written, img); });
            ASSERT_EQ(plain.result, 0) << written.name;
            for (int cls : {3, 4, 5, 6}) {
                const Written w = underClass(cls, [&] { return write(written, img); });
                EXPECT_EQ(w.result, 0) << written.name << " class " << cls;
                EXPECT_TRUE(w.data == plain.data) << written.name << " " << width << "x" << height << " class " << cls;
            }
        }
}
#endif

namespace {

// The whole content of a file written from its start, which is then closed.
std::vector<uint8_t> closeAndRead(std::FILE* f) {
    std::vector<uint8_t> bytes(size_t(std::ftell(f)));
    std::rewind(f);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    return bytes;
}

}  // namespace

// Entropy data of random blocks (0xFF bytes stuffed as they come), decoded
// block by block; the data also ends early, inside a block, and meets a marker.
TEST(CpuForms, HuffmanBlockDecoderAndSkipper) {
    const HuffmanCode dcCode = standardCode(true), acCode = standardCode(false);
    const HuffmanLookup dc = standardLookup(true), ac = standardLookup(false);
    std::vector<Block> blocks = testBlocks(8);
    for (Block& b : blocks)
        for (int16_t& v : b) v = static_cast<int16_t>(v % 1024);
    std::vector<uint8_t> area(1 << 22);
    OutputWriter w;
    startOutput(w, area.data(), int64_t(area.size()), nullptr);
    int16_t pred = 0;
    for (const Block& b : blocks) ASSERT_EQ(encodeBlock(w, dcCode, acCode, pred, b.data()), 0);
    ASSERT_EQ(flushBits(w), 0);
    const std::vector<uint8_t> data(area.begin(), area.begin() + w.written);
    std::vector<std::vector<uint8_t>> streams = {data};
    streams.push_back(std::vector<uint8_t>(data.begin(), data.begin() + data.size() / 3));   // ends early
    std::vector<uint8_t> marked(data.begin(), data.begin() + data.size() / 2);
    marked.push_back(0xFF);
    marked.push_back(0xD9);
    streams.push_back(marked);
    for (size_t n = 0; n < streams.size(); ++n)
        for (const ClassTable& c : classTables())
            for (bool skip : {false, true}) {
                StreamReader a{}, b{};
                resetInput(a, streams[n].data(), streams[n].size(), 0, false);
                resetInput(b, streams[n].data(), streams[n].size(), 0, false);
                int16_t predA = 0, predB = 0;
                for (size_t i = 0; i < blocks.size() + 4; ++i) {
                    Block outA, outB;
                    outA.fill(3);
                    outB.fill(3);
                    const int ea = skip ? plainOps().skipBlock(a, dc, ac, predA, outA.data())
                                        : plainOps().decodeBlock(a, dc, ac, predA, outA.data());
                    const int eb = skip ? c.ops.skipBlock(b, dc, ac, predB, outB.data())
                                        : c.ops.decodeBlock(b, dc, ac, predB, outB.data());
                    ASSERT_EQ(ea, eb) << where(c.cls, skip ? "skip block" : "decode block", i) << " stream " << n;
                    ASSERT_EQ(outA, outB) << where(c.cls, skip ? "skip block" : "decode block", i) << " stream " << n;
                    ASSERT_EQ(predA, predB);
                    ASSERT_EQ(a.ptr, b.ptr);
                    ASSERT_EQ(a.bitCount, b.bitCount);
                    ASSERT_EQ(a.padBits, b.padBits);
                    ASSERT_EQ(a.starved, b.starved);
                    ASSERT_EQ(a.pendingMarker, b.pendingMarker);
                    if (a.bitCount) {
                        ASSERT_EQ(a.bitBuffer << (64 - a.bitCount), b.bitBuffer << (64 - b.bitCount));
                    }
                    if (ea) break;
                    if (a.starved) a.starved = b.starved = 0;
                }
            }
}

// File output: segments longer than the writer's buffer, between entropy bits.
TEST(CpuForms, OutputPairToAFile) {
    const HuffmanCode dc = standardCode(true), ac = standardCode(false);
    std::vector<uint8_t> segment(10000);
    for (size_t i = 0; i < segment.size(); ++i) segment[i] = uint8_t(i * 7);
    std::vector<uint8_t> expected;
    for (const ClassTable& c : classTables()) {
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        OutputWriter w;
        c.ops.startOutput(w, nullptr, 0, f);
        int16_t pred = 0;
        Block b{};
        for (int n = 0; n < 3; ++n) {
            b[0] = int16_t(100 * n - 150);
            b[n + 1] = 255;                               // an all-ones code now and then
            ASSERT_EQ(c.ops.encodeBlock(w, dc, ac, pred, b.data()), 0);
            ASSERT_EQ(w.writeBytes(segment.data(), int(segment.size()) - n * 1000, w), 0);
        }
        ASSERT_EQ(flushBits(w), 0);
        ASSERT_EQ(writeOut(w), 0);
        const std::vector<uint8_t> bytes = closeAndRead(f);
        EXPECT_EQ(int64_t(bytes.size()), w.written);
        if (c.cls == kCpuOther) expected = bytes;
        else EXPECT_TRUE(bytes == expected) << "class " << c.cls;
    }
}

// Many blocks through the file writer's buffer, whose end falls now and then
// inside the bytes a block coder stores at once.
TEST(CpuForms, BlocksThroughTheFileBuffer) {
    const HuffmanCode dc = standardCode(true), ac = standardCode(false);
    std::vector<Block> blocks = testBlocks(14);
    for (Block& b : blocks)
        for (int16_t& v : b) v = static_cast<int16_t>(v % 1024);   // every DC difference has a code
    std::vector<uint8_t> expected;
    for (const ClassTable& c : classTables()) {
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        OutputWriter w;
        c.ops.startOutput(w, nullptr, 0, f);
        int16_t pred = 0;
        for (size_t n = 0; n < blocks.size(); ++n)
            ASSERT_EQ(c.ops.encodeBlock(w, dc, ac, pred, blocks[n].data()), 0) << where(c.cls, "encode block", n);
        ASSERT_EQ(flushBits(w), 0);
        ASSERT_EQ(writeOut(w), 0);
        const std::vector<uint8_t> bytes = closeAndRead(f);
        ASSERT_GT(bytes.size(), 4 * sizeof w.buffer);
        EXPECT_EQ(int64_t(bytes.size()), w.written);
        if (c.cls == kCpuOther) expected = bytes;
        else EXPECT_TRUE(bytes == expected) << "class " << c.cls;
    }
}
