// The shared sine, cosine and square-root tables.
#include <gtest/gtest.h>

#include <cstring>

#include "render/TrigTables.h"

namespace {

// FNV-1a over the little-endian bytes of the three tables in the order sine,
// cosine, square root. The value comes from an independent 200-bit evaluation of
// the same definition; native and Windows builds must both reproduce it.
uint64_t tablesChecksum() {
    uint64_t h = 0xcbf29ce484222325ull;
    for (const int32_t* table : {SineTable, CosineTable, SqrtTable}) {
        for (int i = 0; i < kTrigTableSize; ++i) {
            const uint32_t v = static_cast<uint32_t>(table[i]);
            for (int b = 0; b < 4; ++b) {
                h ^= (v >> (8 * b)) & 0xFF;
                h *= 0x100000001b3ull;
            }
        }
    }
    return h;
}

}  // namespace

TEST(TrigTables, FilledBeforeMainAndIdenticalOnEveryBuild) {
    EXPECT_EQ(tablesChecksum(), 0x3493695681126a41ull);
    buildTrigTables();
    EXPECT_EQ(tablesChecksum(), 0x3493695681126a41ull);
}

TEST(TrigTables, ValuesAtChosenPoints) {
    struct Case { const int32_t* table; int index; int32_t value; } cases[] = {
        {CosineTable, 0, 32768}, {SineTable, 0, 0},
        {SineTable, 2048, 32768}, {CosineTable, 2048, 0},       // the truncated turn: cos is -6.7e-6 here
        {CosineTable, 4096, -32768}, {SineTable, 4096, 0},
        {SineTable, 6144, -32768}, {CosineTable, 6144, 0},
        {SineTable, 1, 25}, {CosineTable, 8191, 32767}, {SineTable, 8191, -25},
        {SineTable, 1024, 23170}, {CosineTable, 1024, 23170},
        {SqrtTable, 0, 0}, {SqrtTable, 1, 1024}, {SqrtTable, 2, 1448}, {SqrtTable, 4, 2048},
        {SqrtTable, 8100, 92160}, {SqrtTable, 8191, 92676},
    };
    for (const Case& c : cases) EXPECT_EQ(c.table[c.index], c.value) << "index " << c.index;
}

TEST(TrigTables, FixedAngleIndexWraps) {
    EXPECT_EQ(trigIndex(0), 0);
    EXPECT_EQ(trigIndex(65535), 8191);
    EXPECT_EQ(trigIndex(65536), 0);
    EXPECT_EQ(trigIndex(16384), 2048);
    EXPECT_EQ(trigIndex(-8), 8191);
}
