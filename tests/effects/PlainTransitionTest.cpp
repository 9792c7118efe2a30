// The plain transitions' integer results: golden pixels at the progress values
// where the formulas turn, and the blur against a direct box-mean reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Transition/Transition_Plain.h"
#include "render/CrtRandom.h"
#include "tests/effects/TransitionFixture.h"
#include "tests/support/TestSupport.h"

using vt_test::GuardedBuffer;

namespace {

using vt_test::CountingPool;
using Frame = vt_test::TransitionFrame;

using Worker = void (*)(EffectParams*);

struct Golden {
    const char* what;
    Worker worker;
    float progress;
    Pixel outgoing, incoming, expected;
};

void red(EffectParams* t) { renderPlColorOutIn(t, 0xFF0000); }
void redFirst(EffectParams* t) { renderPlColorFirst(t, 0xFF0000); }
void yellowFirst(EffectParams* t) { renderPlColorFirst(t, 0xFFFF00); }
void cyanFirst(EffectParams* t) { renderPlColorFirst(t, 0x00FFFF); }
void greyFirst(EffectParams* t) { renderPlColorFirst(t, 0x808080); }
void test(EffectParams* t) { renderPlTest(t, 0xFF0000); }

const float kJustBelowHalf = 0.49999997f;

const Golden kGolden[] = {
    {"fade at 0 is the outgoing picture", renderPlFade, 0.0f, 0x123456, 0xABCDEF, 0x123456},
    {"fade at 0.999 is one step short", renderPlFade, 0.999f, 0x000000, 0xFFFFFF, 0xFEFEFE},
    {"fade halfway", renderPlFade, 0.5f, 0x102030, 0x30FF00, 0x208F18},
    {"fade out-in at 0", renderPlFadeOutIn, 0.0f, 0x123456, 0xABCDEF, 0x123456},
    {"fade out-in at 0.25 halves", renderPlFadeOutIn, 0.25f, 0x80FF02, 0xABCDEF, 0x407F01},
    {"fade out-in at 0.5 is black", renderPlFadeOutIn, 0.5f, 0x123456, 0xABCDEF, 0x000000},
    {"fade out-in at 0.75", renderPlFadeOutIn, 0.75f, 0x123456, 0x80FF02, 0x407F01},
    {"white out-in at 0.25 adds 128", renderPlWhiteOutIn, 0.25f, 0x10A0FF, 0, 0x90FFFF},
    {"white out-in just below 0.5 adds 255", renderPlWhiteOutIn, kJustBelowHalf, 0x000100, 0, 0xFFFFFF},
    {"white out-in at 0.5 is white", renderPlWhiteOutIn, 0.5f, 0, 0x000000, 0xFFFFFF},
    {"white out-in at 0.999 is the incoming picture", renderPlWhiteOutIn, 0.999f, 0, 0x123456, 0x123456},
    {"red out-in floors toward minus infinity", red, 1.0f / 512, 0x00C8C8, 0, 0x00C7C7},
    {"red out-in at 0.5 is red", red, 0.5f, 0x123456, 0x00FF00, 0xFF0000},
    {"red out-in at 0.75", red, 0.75f, 0x123456, 0x00FF00, 0x7F7F00},
    {"colour mask halfway keeps the top bits", renderPlColorMask, 0.5f, 0x7F80FF, 0xFF7F00, 0x808080},
    {"colour mask at 0 is the outgoing picture", renderPlColorMask, 0.0f, 0x7F80FF, 0xFF7F00, 0x7F80FF},
    {"colour mask at 0.25", renderPlColorMask, 0.25f, 0xFFFFFF, 0x000000, 0xC0C0C0},
    {"white first at 0 darkens white by one", renderPlWhiteFirst, 0.0f, 0xFFFFFF, 0x123456, 0xFEFEFE},
    {"white first at 0.5 maps below 128", renderPlWhiteFirst, 0.5f, 0x80FF40, 0x123456, 0xFFFF7F},
    {"white first at 0.5 opens all-bright pixels", renderPlWhiteFirst, 0.5f, 0x8090A0, 0x123456, 0x123456},
    {"white first at 0.999 is the incoming picture", renderPlWhiteFirst, 0.999f, 0x000000, 0x123456, 0x123456},
    {"black first at 0 opens pure black", renderPlBlackFirst, 0.0f, 0x000000, 0x123456, 0x123456},
    {"black first at 0 keeps other pixels", renderPlBlackFirst, 0.0f, 0x010203, 0x123456, 0x010203},
    {"black first at 0.5 stretches above 128", renderPlBlackFirst, 0.5f, 0x80FF90, 0x123456, 0x00FE20},
    {"black first at 0.5 opens dark pixels", renderPlBlackFirst, 0.5f, 0x408080, 0x123456, 0x123456},
    {"red first opens on red", redFirst, 0.5f, 0x804020, 0x123456, 0x123456},
    {"red first maps red only", redFirst, 0.5f, 0x7F4020, 0x123456, 0xFD4020},
    {"yellow first opens on either channel", yellowFirst, 0.5f, 0x10FF10, 0x123456, 0x123456},
    {"cyan first leaves red", cyanFirst, 0.5f, 0xFF1010, 0x123456, 0xFF1F1F},
    {"an unknown colour draws nothing", greyFirst, 0.5f, 0x10FF10, 0x123456, 0x0F0F0F},
    {"test at 0 shows a white incoming pixel", test, 0.0f, 0x123456, 0xFFFFFF, 0xFFFFFF},
    {"test at 0 hides an incoming 80 grey", test, 0.0f, 0x123456, 0x505050, 0x123456},
    {"test at 0.5 shows even black", test, 0.5f, 0x123456, 0x000000, 0x000000},
    {"fade max picks per channel", renderPlFadeMax, 0.5f, 0x10C800, 0x206401, 0x20C801},
    {"fade max keeps the outgoing value on a tie", renderPlFadeMax, 0.25f, 0x010101, 0x030303, 0x010101},
    {"fade max2 halfway", renderPlFadeMax2, 0.5f, 0xFF0080, 0x80FF00, 0xFEFE7F},
    {"fade max2 at 0 is the outgoing picture", renderPlFadeMax2, 0.0f, 0x123456, 0xFFFFFF, 0x123456},
    {"fade add saturates per channel", renderPlFadeAdd, 0.5f, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    {"fade add halfway weighs 192 each", renderPlFadeAdd, 0.5f, 0x102030, 0x302010, 0x303030},
    {"fade add at 0 is the outgoing picture", renderPlFadeAdd, 0.0f, 0x123456, 0xFFFFFF, 0x123456},
};

TEST(PlainTransitions, GoldenPixels) {
    for (const Golden& g : kGolden) {
        Frame f(5, 3, g.outgoing, g.incoming);
        g.worker(f.at(g.progress));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(g.expected, f.canvas.at(x, y)) << g.what << std::hex << " got 0x" << f.canvas.at(x, y);
        EXPECT_EQ(0x0F0F0Fu, f.canvas.at(-1, 0)) << g.what << ": margin written";
        EXPECT_EQ(0x0F0F0Fu, f.canvas.at(5, 2)) << g.what << ": margin written";
    }
}

// Every worker writes exactly the clip area: an empty one draws nothing, an
// offset one leaves the rest of the canvas alone.
TEST(PlainTransitions, WriteOnlyTheClipArea) {
    const Worker workers[] = {renderPlFade, renderPlFadeOutIn, renderPlWhiteOutIn, red, renderPlColorMask,
                              renderPlWhiteFirst, renderPlBlackFirst, redFirst, test, renderPlFadeMax,
                              renderPlFadeMax2, renderPlFadeAdd, renderPlBlur, renderPlBlurOutIn};
    for (Worker w : workers) {
        CountingPool::reset();
        Frame f(40, 30, 0x000000, 0xFFFFFF, 0x0F0F0F);
        f.record.rect = {10, 10, 10, 30};
        w(f.at(0.5f));
        EXPECT_EQ(f.canvas.checksum(), GuardedBuffer(40, 30, 0x0F0F0F).checksum());
        f.record.rect = {4, 5, 36, 25};
        w(f.at(0.3f, 0));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= 4 && x < 36 && y >= 5 && y < 25;
                if (!inside) {
                    ASSERT_EQ(0x0F0F0Fu, f.canvas.at(x, y)) << x << "," << y;
                }
            }
        EXPECT_TRUE(f.canvas.guardIntact());
    }
}

// The box mean as defined, window by window: the exact quotient where the
// window is cut at an end, the sum times floor(65536 / (2n + 1)) >> 16 inside.
std::vector<Pixel> referenceBoxMean(const std::vector<Pixel>& in, int count, int n) {
    std::vector<Pixel> out(in.size());
    const uint32_t r = 65536u / static_cast<uint32_t>(2 * n + 1);
    for (int x = 0; x < count; ++x) {
        int lo = std::max(0, x - n), hi = std::min(count - 1, x + n);
        Pixel v = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            uint32_t sum = 0;
            for (int j = lo; j <= hi; ++j) sum += (in[j] >> shift) & 0xFF;
            bool edge = x < n || x >= count - n;
            v |= (edge ? sum / static_cast<uint32_t>(hi - lo + 1) : (sum * r) >> 16) << shift;
        }
        out[x] = v;
    }
    return out;
}

std::vector<Pixel> referenceBlur(const std::vector<Pixel>& f, int w, int h, int n) {
    std::vector<Pixel> rows(f.size()), out(f.size());
    for (int y = 0; y < h; ++y) {
        std::vector<Pixel> line(f.begin() + y * w, f.begin() + (y + 1) * w);
        auto m = referenceBoxMean(line, w, n);
        std::copy(m.begin(), m.end(), rows.begin() + y * w);
    }
    for (int x = 0; x < w; ++x) {
        std::vector<Pixel> line(h);
        for (int y = 0; y < h; ++y) line[y] = rows[y * w + x];
        auto m = referenceBoxMean(line, h, n);
        for (int y = 0; y < h; ++y) out[y * w + x] = m[y];
    }
    return out;
}

TEST(PlainTransitions, BlurMatchesTheBoxMeanDefinition) {
    // 140 x 100: radius trunc(240 / 1120 x 128 x q); 0.5 gives 13, 0.3 gives 8.
    const int w = 140, h = 100;
    struct Case { Worker worker; float progress; int radius; bool fadeInput; } cases[] = {
        {renderPlBlur, 0.5f, 13, true}, {renderPlBlur, 0.3f, 8, true}, {renderPlBlur, 0.75f, 6, true},
        {renderPlBlurOutIn, 0.3f, 8, false}, {renderPlBlurOutIn, 0.5f, 13, false},
    };
    for (const Case& c : cases) {
        CountingPool::reset();
        Frame f(w, h);
        f.out.fillPattern(11);
        f.in.fillPattern(22);
        c.worker(f.at(c.progress));
        const uint32_t a = static_cast<uint32_t>(c.progress * 256);
        std::vector<Pixel> input(w * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Pixel o = f.out.at(x, y), i = f.in.at(x, y), v = 0;
                if (c.fadeInput) {
                    for (int shift = 16; shift >= 0; shift -= 8)
                        v |= ((((o >> shift) & 0xFF) * (256 - a) + ((i >> shift) & 0xFF) * a) >> 8) << shift;
                } else {
                    v = c.progress < 0.5f ? o : i;
                }
                input[y * w + x] = v;
            }
        const auto expected = referenceBlur(input, w, h, c.radius);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) wrong += f.canvas.at(x, y) != expected[y * w + x];
        EXPECT_EQ(0, wrong) << "progress " << c.progress;
    }
}

// Both pictures 255: corner blocks stay 255, the other edge pixels lose one to
// the reciprocal, the interior two (one per pass).
TEST(PlainTransitions, BlurOfFullWhiteFloorsOncePerPass) {
    CountingPool::reset();
    Frame f(20, 16, 0xFFFFFF, 0xFFFFFF);   // radius 2 at 0.5
    renderPlBlur(f.at(0.5f));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool edgeX = x < 2 || x >= 18, edgeY = y < 2 || y >= 14;
            const Pixel expected = edgeX && edgeY ? 0xFFFFFF : edgeX || edgeY ? 0xFEFEFE : 0xFDFDFD;
            ASSERT_EQ(expected, f.canvas.at(x, y)) << x << "," << y;
        }
}

TEST(PlainTransitions, BlurEndsAreTheUnblurredPictures) {
    CountingPool::reset();
    Frame f(64, 48);
    f.out.fillPattern(1);
    f.in.fillPattern(2);
    renderPlBlurOutIn(f.at(0.0f));
    EXPECT_TRUE(f.canvas.sameVisible(f.out));
    renderPlBlurOutIn(f.at(0.999f, 0));
    EXPECT_TRUE(f.canvas.sameVisible(f.in));
}

// The work buffer: acquired once, kept every frame (also with an empty clip
// area); without one the frame is skipped and acquiring is tried again.
TEST(PlainTransitions, BlurHoldsItsWorkBuffer) {
    CountingPool::reset();
    Frame f(30, 20, 0x000000, 0xFFFFFF);
    f.record.rect = {0, 0, 0, 20};
    renderPlBlur(f.at(0.2f, 1));
    f.record.rect = {0, 0, 30, 20};
    renderPlBlur(f.at(0.4f, 0));
    renderPlBlurOutIn(f.at(0.6f, 0));
    EXPECT_EQ(1, CountingPool::acquires);
    EXPECT_EQ(3, CountingPool::keeps);
    EXPECT_EQ(7, CountingPool::lastKept);

    CountingPool::reset();
    CountingPool::dry = true;
    Frame g(30, 20, 0x000000, 0xFFFFFF);
    renderPlBlur(g.at(0.3f, 1));
    EXPECT_EQ(GuardedBuffer(30, 20, 0x0F0F0F).checksum(), g.canvas.checksum());
    EXPECT_EQ(0, CountingPool::keeps);
    CountingPool::dry = false;
    renderPlBlur(g.at(0.4f, 0));
    EXPECT_EQ(2, CountingPool::acquires);
    EXPECT_EQ(1, CountingPool::keeps);
    EXPECT_NE(GuardedBuffer(30, 20, 0x0F0F0F).checksum(), g.canvas.checksum());
}

// A clip area much wider than high: the radius is held to the short side, so
// no window reaches outside the area.
TEST(PlainTransitions, BlurOfANarrowAreaStaysInside) {
    CountingPool::reset();
    Frame f(300, 3, 0x204060, 0x204060);
    renderPlBlur(f.at(0.5f));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 300; ++x) {
            const Pixel v = f.canvas.at(x, y);
            ASSERT_LE(((v >> 8) & 0xFF), 0x40u) << x << "," << y;
            ASSERT_GE(((v >> 8) & 0xFF), 0x3Eu) << x << "," << y;
        }
    EXPECT_TRUE(f.canvas.guardIntact());
}

}  // namespace
