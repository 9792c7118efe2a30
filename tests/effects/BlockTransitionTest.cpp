// The block transitions: the orders block by block, and the reveal and push
// workers on frames whose pixels name their block.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Transition/Transition_Block.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"

using vt_test::CountingPool;
using Frame = vt_test::TransitionFrame;

namespace {

std::vector<int> orderOf(int cols, int rows, int pattern) {
    std::vector<BlockCell> cells(static_cast<size_t>(cols * rows), BlockCell{0, 0, 0, 0, 0});
    orderBlocks(cells.data(), cols, rows, pattern);
    std::vector<int> order;
    for (const BlockCell& c : cells) order.push_back(c.order);
    return order;
}

bool isPermutation(std::vector<int> order) {
    std::sort(order.begin(), order.end());
    for (size_t k = 0; k < order.size(); ++k)
        if (order[k] != static_cast<int>(k)) return false;
    return true;
}

TEST(BlockOrders, EveryFixedOrderNumbersEachBlockOnce) {
    for (int pattern = 1; pattern <= 7; ++pattern)
        for (auto [cols, rows] : {std::pair{16, 12}, std::pair{12, 9}, std::pair{32, 24}})
            EXPECT_TRUE(isPermutation(orderOf(cols, rows, pattern))) << pattern << " " << cols << "x" << rows;
}

TEST(BlockOrders, SpiralRunsClockwiseFromTheOutsideIn) {
    const std::vector<int> o = orderOf(16, 12, 1);
    auto at = [&](int i, int j) { return o[static_cast<size_t>(i * 16 + j)]; };
    EXPECT_EQ(0, at(0, 0));
    EXPECT_EQ(15, at(0, 15));
    EXPECT_EQ(26, at(11, 15));
    EXPECT_EQ(41, at(11, 0));
    EXPECT_EQ(51, at(1, 0));     // the outer ring's 52 blocks end below the corner
    EXPECT_EQ(52, at(1, 1));
    EXPECT_EQ(191, at(6, 5));    // the centre 6 x 2 ring ends below its corner
    const std::vector<int> small = orderOf(12, 9, 1);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(104 + k, small[static_cast<size_t>(4 * 12 + 4 + k)]);
}

TEST(BlockOrders, ZigzagDiagonalAndCheckers) {
    const std::vector<int> zig = orderOf(16, 12, 2);
    EXPECT_EQ(16, zig[16 + 15]);   // the second row runs right to left
    EXPECT_EQ(31, zig[16]);
    const std::vector<int> diag = orderOf(16, 12, 3);
    EXPECT_EQ(0, diag[0]);
    EXPECT_EQ(1, diag[1]);          // (0, 1) before (1, 0)
    EXPECT_EQ(2, diag[16]);
    EXPECT_EQ(191, diag[191]);
    const std::vector<int> checker0 = orderOf(16, 12, 4);
    EXPECT_EQ(8, checker0[16]);     // the even columns of row 1 follow the 8 of row 0
    EXPECT_EQ(96, checker0[1]);
    const std::vector<int> checker1 = orderOf(16, 12, 5);
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 16; ++j)
            EXPECT_EQ(i % 2 == 0 && j % 2 == 0, checker1[static_cast<size_t>(i * 16 + j)] < 48) << i << "," << j;
    EXPECT_EQ(orderOf(16, 12, 8), std::vector<int>(192, 0));
}

// Pixels name their block: 32 x 24 pictures in 2 x 2 blocks of a 16 x 12 grid.
Pixel blockMark(int x, int y, Pixel picture) { return picture | static_cast<Pixel>((y / 2) << 8 | (x / 2)); }

struct BlockScene : Frame {
    BlockScene() : Frame(32, 24) {
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) {
                out.at(x, y) = blockMark(x, y, 0x100000);
                in.at(x, y) = blockMark(x, y, 0x200000);
            }
    }
    // The picture (1 outgoing, 2 incoming) and block (i, j) shown at block (i, j), checked on all 4 pixels.
    Pixel shown(int i, int j) {
        const Pixel p = canvas.at(2 * j, 2 * i);
        for (int k = 1; k < 4; ++k) EXPECT_EQ(p, canvas.at(2 * j + k % 2, 2 * i + k / 2));
        return p;
    }
};

TEST(BlockReveal, ZigzagAtSeventeenBlocks) {
    CountingPool::reset();
    BlockScene s;
    renderBlPlain(s.at(0.09f), 16, 12, 2, 0);   // trunc(192 x 0.09) = 17
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 16; ++j) {
            const bool incoming = i == 0 || (i == 1 && j == 15);
            EXPECT_EQ((incoming ? 0x200000u : 0x100000u) | static_cast<Pixel>(i << 8 | j), s.shown(i, j));
        }
    EXPECT_EQ(1, CountingPool::acquires);
    EXPECT_EQ(1, CountingPool::keeps);
}

TEST(BlockPush, BlocksMoveAlongTheOrder) {
    CountingPool::reset();
    BlockScene s;
    renderBlPush(s.at(0.0f), 16, 12, 2, 0);
    EXPECT_TRUE(s.canvas.sameVisible(s.out));
    // One place on (trunc(192 x 0.006) = 1): every outgoing block moves one place
    // along the zigzag and the incoming picture's last block enters at its start.
    renderBlPush(s.at(0.006f, 0), 16, 12, 2, 0);
    EXPECT_EQ(0x200000u | (11 << 8 | 0), s.shown(0, 0));
    EXPECT_EQ(0x100000u | (0 << 8 | 0), s.shown(0, 1));
    EXPECT_EQ(0x100000u | (0 << 8 | 15), s.shown(1, 15));
    EXPECT_EQ(0x100000u | (1 << 8 | 15), s.shown(1, 14));
}

// The random push order places every block exactly once: the first frame is the
// outgoing picture, every frame shows each block once, and the last frame is the
// incoming picture one place short of home.
TEST(BlockPush, RandomOrderStartsWholeAndEndsOnePlaceShort) {
    std::vector<std::vector<Pixel>> middles;
    for (unsigned seed : {1u, 7u, 12345u}) {
        CountingPool::reset();
        crtSrand(seed);
        BlockScene s;
        renderBlPush(s.at(0.0f), 16, 12, 0, 0);
        EXPECT_TRUE(s.canvas.sameVisible(s.out)) << seed;
        for (float p : {0.3f, 0.999f}) {
            renderBlPush(s.at(p, 0), 16, 12, 0, 0);
            std::vector<Pixel> shown;
            int outgoing = 0;
            for (int i = 0; i < 12; ++i)
                for (int j = 0; j < 16; ++j) {
                    const Pixel b = s.shown(i, j);
                    shown.push_back(b);
                    outgoing += (b & 0x100000u) != 0;
                }
            if (p < 0.5f) middles.push_back(shown);
            std::sort(shown.begin(), shown.end());
            EXPECT_EQ(std::adjacent_find(shown.begin(), shown.end()), shown.end()) << seed << " " << p;
            EXPECT_EQ(outgoing, 192 - static_cast<int>(192 * p)) << seed << " " << p;
        }
    }
    EXPECT_NE(middles[0], middles[1]);   // the order follows the seed
    EXPECT_NE(middles[1], middles[2]);
}

TEST(BlockWorkers, SkipTheFrameWhenThePoolIsDry) {
    using Worker = void (*)(EffectParams*);
    const Worker workers[] = {
        [](EffectParams* t) { renderBlPlain(t, 16, 12, 1, 0); },
        [](EffectParams* t) { renderBlPush(t, 16, 12, 1, 0); },
        [](EffectParams* t) { renderBlXRotate(t, 16, 12, 1, 0, 1); },
        [](EffectParams* t) { renderBlYRotate(t, 16, 12, 1, 0, 1); },
    };
    for (Worker w : workers) {
        CountingPool::reset();
        CountingPool::dry = true;
        BlockScene s;
        w(s.at(0.5f));
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(0x0F0F0Fu, s.canvas.at(x, y));
        EXPECT_EQ(0, CountingPool::keeps);
    }
}

// A turning block shows its front face (the outgoing picture) up to edge-on and
// black where it no longer covers its place; a block not yet turning is copied.
TEST(BlockTurn, FrontFaceUntilEdgeOn) {
    for (bool xAxis : {true, false}) {
        CountingPool::reset();
        Frame f(64, 48, 0x00808080, 0x00404040);
        auto turn = xAxis ? renderBlXRotate : renderBlYRotate;
        turn(f.at(0.0f), 2, 2, 2, 0, 1);
        EXPECT_TRUE(f.canvas.sameVisible(f.out));
        // N = 4; at p = 0.2 block 0 has theta = pi x 204 / 1024 and block 1 has not started.
        turn(f.at(0.2f, 0), 2, 2, 2, 0, 1);
        EXPECT_EQ(0x00808080u, f.canvas.at(48, 12));   // block (0, 1), order 1, still copied
        EXPECT_EQ(0u, xAxis ? f.canvas.at(16, 0) : f.canvas.at(0, 12));   // uncovered edge of block 0
        const Pixel centre = f.canvas.at(16, 12);
        EXPECT_NE(0u, centre);
        EXPECT_EQ(centre & 0xFF, (centre >> 16) & 0xFF);   // grey: the outgoing face, lit evenly
    }
}

}  // namespace
