// Textured mesh rasterisers: front ends, cell modes, depth, quads and flares.
#include <gtest/gtest.h>

#include <vector>

#include "render/MeshLit.h"
#include "render/MeshRaster.h"
#include "render/MeshSpan.h"
#include "tests/render/MeshFixtures.h"

using vt_test::GuardedBuffer;

namespace {

constexpr int kW = 160, kH = 120;
const float kFrontLight[3] = {0.0f, 0.0f, 1.0f};   // diffuse exactly 256 on a grid facing the viewer
const int32_t kNoAmbient[3] = {0, 0, 0};

struct MeshScene {
    GuardedBuffer frame = mesh_fixtures::cameraFrame(kW, kH, 0x00102030);
    GuardedBuffer texture{kW, kH};
    MeshScene() { mesh_fixtures::fillDistinct(texture); }
};

// Draws one cell with explicit corners (x, y, depth) and texture points, full light.
void drawCell(GuardedBuffer& dst, const GuardedBuffer& tex, const float (&xyz)[4][3], const int32_t (&t)[4][2],
              uint32_t mode) {
    MeshVertex v[4];
    for (int i = 0; i < 4; ++i) v[i] = MeshVertex{xyz[i][0], xyz[i][1], xyz[i][2], 0};
    renderMeshCell(dst.pixels(), &v[0], &v[1], &v[2], &v[3], tex.pixels(), t[0], t[1], t[2], t[3],
                   Rect{0, 0, dst.width(), dst.height()}, dst.pitch(), tex.pitch(), 0, 0, 0, 0, 256, 256, 256, 256,
                   mode);
}

}  // namespace

TEST(MeshRaster, FlatGridFacingTheCameraReproducesTheTexture) {
    for (bool triangles : {false, true}) {
        MeshScene s;
        std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(5, 9, kW, kH, 0, 0, 20, 30);
        auto draw = triangles ? renderMeshTriangles : renderMeshGrid;
        draw(s.frame.pixels(), s.texture.pixels(), Rect{0, 0, kW, kH}, Rect{0, 0, kW, kH}, s.frame.pitch(),
             s.texture.pitch(), g.data(), 5, 9, kFrontLight, 0, kNoAmbient, 0.0f, 4);
        EXPECT_TRUE(s.frame.marginIntact(0x00102030));
        EXPECT_TRUE(s.frame.guardIntact());
        if (!triangles) {
            EXPECT_TRUE(s.frame.sameVisible(s.texture));
            continue;
        }
        // Right of a cell's diagonal a span starts at a fractional x and steps
        // by its whole width, so it may run one texel ahead there.
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const Pixel p = s.frame.at(x, y);
                ASSERT_TRUE(p == s.texture.at(x, y) || p == s.texture.at(x + 1, y)) << x << "," << y;
            }
    }
}

TEST(MeshRaster, MagnifiedCellsSampleBilinearly) {
    MeshScene s;
    // The picture's top-left 80 x 60 spread over the frame: twice the size, so
    // every even pixel falls exactly on a texel and every odd one between two.
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(5, 9, kW, kH, 0, 0, 20, 30);
    renderMeshGrid(s.frame.pixels(), s.texture.pixels(), Rect{0, 0, kW, kH}, Rect{0, 0, 80, 60}, s.frame.pitch(),
                   s.texture.pitch(), g.data(), 5, 9, kFrontLight, 0, kNoAmbient, 0.0f, 4);
    for (int y = 0; y < kH; y += 2)
        for (int x = 0; x < kW; x += 2) ASSERT_EQ(s.frame.at(x, y), s.texture.at(x / 2, y / 2)) << x << "," << y;
    const Pixel a = s.texture.at(10, 10), b = s.texture.at(11, 10);
    const Pixel mid = s.frame.at(21, 20);
    for (int shift : {0, 8, 16})
        EXPECT_EQ((mid >> shift) & 0xFF, ((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) * 128) >> 8);
}

TEST(MeshRaster, ClippedGridStaysInsideItsClip) {
    MeshScene s;
    std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(6, 8, kW, kH, -50, -40, 40, 45);
    renderMeshGrid(s.frame.pixels(), s.texture.pixels(), Rect{0, 0, kW, kH}, Rect{0, 0, kW, kH}, s.frame.pitch(),
                   s.texture.pitch(), g.data(), 6, 8, kFrontLight, 0, kNoAmbient, 0.0f, 4);
    EXPECT_TRUE(s.frame.marginIntact(0x00102030));
    EXPECT_TRUE(s.frame.guardIntact());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_NE(s.frame.at(x, y), 0x00102030u) << x << "," << y;
}

TEST(MeshRaster, DepthTestDrawsOnlyStrictlyNearerPixels) {
    MeshScene s;
    GuardedBuffer white(kW, kH, 0xFFFFFF), grey(kW, kH, 0x808080), black(kW, kH, 0x000000);
    const int32_t t[4][2] = {{0, 0}, {320, 0}, {320, 320}, {0, 320}};
    const float z5[4][3] = {{10, 10, 5}, {30, 10, 5}, {30, 30, 5}, {10, 30, 5}};
    const float z4[4][3] = {{20, 20, 4}, {40, 20, 4}, {40, 40, 4}, {20, 40, 4}};
    drawCell(s.frame, white, z5, t, kCellModeLit);
    EXPECT_EQ(s.frame.at(15, 15), 0xFFFFFFu);
    EXPECT_EQ(depthBuffer()[15 * s.frame.pitch() + 15], 5);
    drawCell(s.frame, grey, z5, t, kCellModeLit);   // a tie is not drawn
    EXPECT_EQ(s.frame.at(15, 15), 0xFFFFFFu);
    drawCell(s.frame, black, z4, t, kCellModeLit);  // nearer wins where the cells overlap
    EXPECT_EQ(s.frame.at(25, 25), 0u);
    EXPECT_EQ(s.frame.at(15, 15), 0xFFFFFFu);
    EXPECT_EQ(depthBuffer()[25 * s.frame.pitch() + 25], 4);
}

TEST(MeshRaster, CellModesSelectRoutinesOrNothing) {
    GuardedBuffer tex(64, 64, 0x00C0C0C0);
    const float box[4][3] = {{10, 10, 0}, {30, 10, 0}, {30, 30, 0}, {10, 30, 0}};
    const int32_t t[4][2] = {{0, 0}, {320, 0}, {320, 320}, {0, 320}};
    const int32_t whole[4][2] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}};
    struct Case {
        uint32_t mode;
        bool draws;
    } cases[] = {{0x200, true},    {0xF0000209, true}, {0x10100, true}, {0x2210, true}, {0x1010, true},
                 {0x210, false},   {0x1200, false},    {0x10200, false}, {0, false},     {0x2200, false}};
    for (const Case& c : cases) {
        GuardedBuffer frame(64, 64, 0);
        mesh_fixtures::clearDepth(frame);
        drawCell(frame, tex, box, c.mode == 0x1010 ? whole : t, c.mode);
        EXPECT_EQ(frame.at(20, 20), c.draws ? 0x00C0C0C0u : 0u) << std::hex << c.mode;
        EXPECT_TRUE(frame.guardIntact());
    }
}

TEST(MeshRaster, SmallCellsSampleTheNearestTexel) {
    // Columns alternating black and white: nearest sampling gives only those two,
    // bilinear blends them.
    GuardedBuffer tex(64, 64);
    for (int y = -8; y < 72; ++y)
        for (int x = -8; x < 72; ++x) tex.at(x, y) = (x & 1) ? 0xFFFFFF : 0;
    auto colours = [&](const float (&box)[4][3], uint32_t mode) {
        GuardedBuffer frame(64, 64, 0x123456);
        mesh_fixtures::clearDepth(frame);
        const int32_t t[4][2] = {{0, 0}, {240, 0}, {240, 240}, {0, 240}};   // 15 x 15 texels
        drawCell(frame, tex, box, t, mode);
        bool blended = false;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const Pixel p = frame.at(x, y);
                blended |= p != 0 && p != 0xFFFFFF && p != 0x123456;
            }
        return blended;
    };
    const float small[4][3] = {{10, 10, 0}, {20, 10, 0}, {20, 20, 0}, {10, 20, 0}};   // 12,800 < 57,600
    const float large[4][3] = {{10, 10, 0}, {50, 10, 0}, {50, 50, 0}, {10, 50, 0}};
    for (uint32_t mode : {0x200u, 0x2210u}) {
        EXPECT_FALSE(colours(small, mode)) << std::hex << mode;
        EXPECT_TRUE(colours(large, mode)) << std::hex << mode;
    }
}

TEST(MeshRaster, TitleModeSkipsBlackTexelNeighbourhoods) {
    GuardedBuffer tex(64, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 32; x < 64; ++x) tex.at(x, y) = 0x00FF8040;
    GuardedBuffer frame(64, 64, 0x00ABCDEF);
    mesh_fixtures::clearDepth(frame);
    const float box[4][3] = {{0, 0, 3}, {64, 0, 3}, {64, 64, 3}, {0, 64, 3}};
    const int32_t t[4][2] = {{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}};
    drawCell(frame, tex, box, t, kCellModeTitle);
    const int pitch = frame.pitch();
    EXPECT_EQ(frame.at(10, 10), 0x00ABCDEFu);
    EXPECT_EQ(depthBuffer()[10 * pitch + 10], kDepthEmpty);
    // Pixel 31 samples texels 31 and 32: not all black, so it is drawn, with
    // texel 31's full weight.
    EXPECT_EQ(frame.at(31, 10), 0u);
    EXPECT_EQ(depthBuffer()[10 * pitch + 31], 3);
    EXPECT_EQ(frame.at(30, 10), 0x00ABCDEFu);
    EXPECT_EQ(frame.at(40, 10), 0x00FF8040u);
    EXPECT_EQ(depthBuffer()[10 * pitch + 40], 3);
}

TEST(MeshRaster, TexturedQuadKeepsOrBlacksOutsidePixelsAndDrawsBothFacings) {
    GuardedBuffer tex(40, 40, 0x00404040);
    const Rect rect{0, 0, 40, 40};
    const float p[4][2] = {{5, 5}, {35, 5}, {35, 35}, {5, 35}};
    const int32_t t[4][2] = {{-20, -20}, {20, -20}, {20, 20}, {-20, 20}};
    auto draw = [&](bool blackOut, bool reversed) {
        GuardedBuffer frame(40, 40, 0x00999999);
        auto fn = blackOut ? drawTexturedQuadB : drawTexturedQuad;
        if (reversed)
            fn(frame.pixels(), p[3], p[2], p[1], p[0], tex.pixels(), t[3], t[2], t[1], t[0], rect, frame.pitch(),
               tex.pitch());
        else
            fn(frame.pixels(), p[0], p[1], p[2], p[3], tex.pixels(), t[0], t[1], t[2], t[3], rect, frame.pitch(),
               tex.pitch());
        EXPECT_TRUE(frame.guardIntact());
        return frame;
    };
    GuardedBuffer keep = draw(false, false), black = draw(true, false);
    int kept = 0, blacked = 0, copied = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const Pixel k = keep.at(x, y), b = black.at(x, y);
            if (k == 0x00404040u) {
                ++copied;
                EXPECT_EQ(b, k);
            } else if (b == 0) {
                ++blacked;
                EXPECT_EQ(k, 0x00999999u);
            } else {
                EXPECT_EQ(k, 0x00999999u);
                EXPECT_EQ(b, 0x00999999u);
                ++kept;
            }
        }
    EXPECT_GT(copied, 100);
    EXPECT_GT(blacked, 100);
    EXPECT_GT(kept, 100);   // outside the quad
    EXPECT_TRUE(draw(false, true).sameVisible(keep));
}

TEST(MeshRaster, LightCrossFallsOffLinearly) {
    GuardedBuffer frame(40, 40, 0);
    const Rect clip{0, 0, 40, 40};
    drawLightCross(frame.pixels(), clip, frame.pitch(), 20, 20, 4, 64, 64, 256);
    EXPECT_EQ(frame.at(20, 20), 0x008080FFu);   // the centre is lit twice
    EXPECT_EQ(frame.at(22, 20), 0x00202080u);   // half-way: 64 - 32, 256 - 128
    EXPECT_EQ(frame.at(20, 23), 0x00101040u);   // 64 - 48, 256 - 192
    EXPECT_EQ(frame.at(24, 20), 0u);
    EXPECT_EQ(frame.at(21, 21), 0u);
    GuardedBuffer untouched(40, 40, 0);
    drawLightCross(untouched.pixels(), clip, untouched.pitch(), 39, 20, 4, 64, 64, 256);   // on the last column
    drawLightCross(untouched.pixels(), clip, untouched.pitch(), 20, 20, 0, 64, 64, 256);   // no length
    EXPECT_TRUE(untouched.sameVisible(GuardedBuffer(40, 40, 0)));
}

TEST(MeshRaster, TrianglesAddFlaresOnlyWithAHighlight) {
    // Drawn twice without clearing the depth: the second mesh loses every depth
    // tie, so only the additive flares change the frame.
    for (float specular : {0.0f, 0.04f}) {
        MeshScene s;
        std::vector<MeshVertex> g = mesh_fixtures::screenAlignedGrid(5, 9, kW, kH, 0, 0, 20, 30);
        auto draw = [&] {
            renderMeshTriangles(s.frame.pixels(), s.texture.pixels(), Rect{0, 0, kW, kH}, Rect{0, 0, kW, kH},
                                s.frame.pitch(), s.texture.pitch(), g.data(), 5, 9, kFrontLight, 0, kNoAmbient,
                                specular, 0);
        };
        draw();
        GuardedBuffer once(kW, kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) once.at(x, y) = s.frame.at(x, y);
        draw();
        // Specular 0.04 gives 10 on every vertex: flares at vertex 0 (the first
        // of the equal maxima, screen (0, 0)) with half-length 5, and at (1, 1)
        // and (2, 2); the two up and left of it are off the clip.
        int changed = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (once.at(x, y) == s.frame.at(x, y)) continue;
                ++changed;
                EXPECT_TRUE((x <= 8 && y <= 2) || (y <= 8 && x <= 2)) << x << "," << y;
            }
        if (specular == 0.0f) {
            EXPECT_EQ(changed, 0);
        } else {
            EXPECT_GT(changed, 20);
        }
    }
}


TEST(MeshRaster, SpanStepDivisionIsExact) {
    uint32_t seed = 7;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 214013 + 2531011;
        const int64_t b = 1 + (seed >> 8) % 2000;
        seed = seed * 214013 + 2531011;
        int64_t a = (static_cast<int64_t>(seed) << 14) - (int64_t{1} << 45);
        if (i % 3 == 0) a = b * ((a >> 20) % 1000);   // exact multiples, where a reciprocal falls short
        ASSERT_EQ(meshspan::divideTruncating(a, b, 1.0 / static_cast<double>(b)), a / b) << a << " / " << b;
    }
}

// The lit span routines' SSE2 form draws what the plain form draws: random
// bands over a clipped frame with a pre-filled depth buffer, texture points over
// the whole texture, light from everyday values to ones past the vector form's
// ranges (negative, beyond 16-bit diffuse, past int32 when stepped), depths
// past 16 bits. Without SSE2 both runs take the plain form.
TEST(MeshRaster, VectorSpansDrawAsThePlainSpans) {
    struct Routine {
        CellSpanRoutine fill;
        bool bilinear;
        const char* name;
    } routines[] = {{fillCellMode200, true, "200"},          {fillCellMode10100, true, "10100"},
                    {fillCellMode200Small, false, "200s"},   {fillCellMode2210, true, "2210"},
                    {fillCellMode2210Small, false, "2210s"}, {fillCellMode1010, false, "1010"},
                    {fillCellB, true, "B"},                  {fillCellBSmall, false, "Bs"}};
    constexpr int kTexW = 48, kTexH = 40;
    GuardedBuffer texture(kTexW, kTexH);
    texture.fillPattern(99);
    for (int y = 10; y < 20; ++y)   // a black patch for the routine that skips black neighbourhoods
        for (int x = 5; x < 30; ++x) texture.at(x, y) = 0;
    uint32_t seed = 2024;
    auto next = [&seed](int32_t lo, int32_t hi) {   // lo .. hi inclusive
        seed = seed * 1664525u + 1013904223u;
        const uint64_t r = (static_cast<uint64_t>(seed) << 16) ^ (seed >> 7);
        return static_cast<int32_t>(lo + static_cast<int64_t>(r % (static_cast<uint64_t>(int64_t{hi} - lo) + 1)));
    };
    auto light = [&](int kind, int32_t& specular, int32_t& diff) {
        switch (kind) {
            case 0: specular = next(-300, 300), diff = next(-600, 600); break;
            case 1: specular = next(-40000, 40000), diff = next(-40000, 40000); break;
            case 2: specular = next(INT32_MIN, INT32_MAX), diff = next(INT32_MIN, INT32_MAX); break;
            case 3: specular = next(-8, 8), diff = next(32760, 32775); break;
            case 4: specular = next(-(1 << 30) - 8, -(1 << 30) + 8), diff = next(-32775, -32760); break;
            default: specular = next(0, 255), diff = next(0, 300); break;
        }
    };
    mesh_fixtures::standardCamera(64, 48);
    for (const Routine& r : routines)
        for (int n = 0; n < 300; ++n) {
            const int32_t unit = r.bilinear ? 16 : 1;
            CellSpan span{};
            CellSpanEdge* edges[2] = {&span.a, &span.b};
            const int lightKind = next(0, 6);   // one kind for the whole band
            const int32_t yTop = next(-10, 40), yBottom = yTop + next(0, 40);
            for (CellSpanEdge* e : edges) {
                e->x0 = next(-20, 84), e->x1 = next(-20, 84);
                e->y0 = yTop + next(0, 3), e->y1 = yBottom - next(0, 3);
                e->u0 = next(0, (kTexW - 2) * unit), e->u1 = next(0, (kTexW - 2) * unit);
                e->v0 = next(0, (kTexH - 2) * unit), e->v1 = next(0, (kTexH - 2) * unit);
                light(lightKind, e->spec0, e->diff0);
                light(lightKind, e->spec1, e->diff1);
                const bool deep = next(0, 3) == 0;
                e->depth0 = deep ? next(-100000, 100000) : next(-300, 300);
                e->depth1 = deep ? next(-100000, 100000) : next(-300, 300);
            }
            if (next(0, 1)) std::swap(span.a, span.b);
            const uint32_t fillSeed = static_cast<uint32_t>(next(0, 1 << 20));
            const int32_t depthSeed = next(0, 1 << 20);
            const Rect clip{next(0, 4), next(0, 4), 64 - next(0, 4), 48 - next(0, 4)};
            GuardedBuffer frames[2] = {GuardedBuffer(64, 48), GuardedBuffer(64, 48)};
            std::vector<int16_t> depths[2];
            for (int form = 0; form < 2; ++form) {
                GuardedBuffer& frame = frames[form];
                frame.fillPattern(fillSeed);
                mesh_fixtures::clearDepth(frame);
                for (int y = 0; y < 48; ++y)
                    for (int x = 0; x < 64; ++x)
                        *depthAt(depthBuffer(), frame.pitch(), x, y) = static_cast<int16_t>(((x * 31 + y * 17 + depthSeed) % 700) - 350);
                span.dst = frame.pixels();
                span.texture = texture.pixels();
                span.clip = clip;
                span.dstPitch = frame.pitch();
                span.srcPitch = texture.pitch();
                useVectorMeshSpans(form == 1);
                r.fill(span);
                for (int y = 0; y < 48; ++y)
                    for (int x = 0; x < 64; ++x) depths[form].push_back(*depthAt(depthBuffer(), frame.pitch(), x, y));
                EXPECT_TRUE(frame.guardIntact());
            }
            useVectorMeshSpans(true);
            ASSERT_TRUE(frames[0].sameVisible(frames[1])) << r.name << " case " << n;
            ASSERT_EQ(depths[0], depths[1]) << r.name << " case " << n;
        }
}
