// Rows that were made faster draw exactly what they drew before: every frame of a
// short run, at the engine's sizes and an odd preview size, loud and quiet, under
// two seeds, pinned by one checksum per row (taken from the slower code). Native
// build only, where the math library is fixed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Animation/AnimationShared.h"
#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "AnimationEffect/ANIEffectWarping.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "CG/TitleTable.h"
#include "Sfx/ImageEffectTable.h"
#include "Transition/TransitionTable.h"
#include "tests/support/EffectSweep.h"

using namespace vt_test;

namespace {

struct PinnedRow {
    SweepFamily family;
    const char* name;
    uint64_t sum;
};

const PinnedRow kRows[] = {
    {SweepFamily::AnimationEffect, "Flower", 0xc83b0ed79f708a30ull},
    {SweepFamily::AnimationEffect, "StretchFlower", 0xe66b6e41aaa149c0ull},
    {SweepFamily::AnimationEffect, "Tavia", 0xbc88ea04dc6d90feull},
    {SweepFamily::Transition, "RO_Rotate2", 0xb31771bbe0a30aefull},
    {SweepFamily::Transition, "RO_Rotate4", 0x3c9781ba835f51dfull},
    {SweepFamily::Animation, "Bubble", 0xaad50e8f9344e25eull},
    {SweepFamily::Animation, "MetalBubble", 0x128bf05738fae820ull},
    {SweepFamily::Animation, "Sun1", 0xe37b970110d1da4full},
    {SweepFamily::Animation, "rgbSun1", 0x784c3ed9ee10a5f4ull},
    {SweepFamily::Animation, "ColorLight", 0x907ebcc765edf41bull},
    {SweepFamily::Animation, "ColorLight2", 0x1ac72edf1f186ed7ull},
    {SweepFamily::Animation, "ShiningStar3", 0x2845f8f9ea2e1f93ull},
    {SweepFamily::Animation, "SpectrumDot", 0xbb753abca468166bull},
    {SweepFamily::Animation, "SpectrumDot2", 0x6befaa08d69788bbull},
    {SweepFamily::Animation, "SpectrumDot3", 0xf8bc14500fa984f3ull},
    {SweepFamily::Animation, "SpectrumDot4", 0x3902177975e69b3full},
    {SweepFamily::Animation, "RedSpectrumFire", 0x30119149a6ed2c1full},
    {SweepFamily::Animation, "CyanSpectrumFire", 0xdfd124c0a046eb63ull},
    {SweepFamily::ImageEffect, "ST_AlphaStretch8", 0xf26101d334400497ull},
    {SweepFamily::ImageEffect, "ST_AlphaStretch", 0x45cf86f8548b0223ull},
    {SweepFamily::ImageEffect, "ST_AlphaStretch16", 0xbec5287de067b56bull},
    {SweepFamily::ImageEffect, "PL_Sharpen", 0xede7bfa151cadfb7ull},
    {SweepFamily::ImageEffect, "AN_Shining", 0x3e4a9e9b99ff94a0ull},
    {SweepFamily::ImageEffect, "AN_Shining2", 0xc20b4db710406811ull},
};

// Rows drawn by the mesh span routines (every routine of the mode table among them).
const PinnedRow kMeshRows[] = {
    {SweepFamily::Transition, "3D_Real_Block_Explode3_In", 0x23199d972daf493full},
    {SweepFamily::Transition, "3D_Real_Block_Explode3_Out", 0x813143a4cff5b9abull},
    {SweepFamily::Transition, "3D_Page4_In", 0x873367203ba90f83ull},
    {SweepFamily::Transition, "3D_SCV1", 0x21fd96b445af3833ull},
    {SweepFamily::Transition, "3D_Roto_Box", 0x7695ad3b6eacc99bull},
    {SweepFamily::Transition, "3D_Ball_Out", 0xaa341275ac889a43ull},
    {SweepFamily::Transition, "3D_Roll_045In", 0xfdde4083cc514cbbull},
    {SweepFamily::Transition, "3D_Page_000In", 0x9b88fc53d7904a23ull},
    {SweepFamily::Transition, "3D_Curtain_In", 0x82b9f56ea1ca631bull},
    {SweepFamily::Transition, "3D_Wave_In", 0x023cc4f14eab0343ull},
    {SweepFamily::Transition, "3D_007_In", 0x26501abf282c1603ull},
    {SweepFamily::Transition, "3D_BlockExplode_28by21_In", 0xe791309746bad93full},
    {SweepFamily::Transition, "3D_Blind_Vertical_LR", 0x4595a54f0ed8ee4bull},
    {SweepFamily::Transition, "3D_Gugim_In", 0x49ca5c4fa0e47bdfull},
    {SweepFamily::Transition, "3D_1Door_LIn", 0xee005379d124294bull},
    {SweepFamily::Transition, "3D_Twist", 0x5602b054ba939d63ull},
    {SweepFamily::Transition, "3D_GoGo_In", 0x94702e762528d4a3ull},
    {SweepFamily::Transition, "3D_Rotate45_000", 0x48cb352f2ce5df33ull},
    {SweepFamily::Transition, "3D_Orthogonal_In", 0x7eb192ff27336f8bull},
    {SweepFamily::Transition, "3D_Flag2_In", 0x1807b472ca208af7ull},
    {SweepFamily::ImageEffect, "3D_Flag", 0x86306a48963e799cull},
    {SweepFamily::ImageEffect, "3D_Flag2", 0x8a5abd82b9cc0577ull},
};

EffectEntry entryOf(SweepFamily family, const std::string& name) {
    switch (family) {
        case SweepFamily::Transition:
            for (int i = 0; i < transitionCount; ++i)
                if (name == transitionTable[i].row.name) return transitionTable[i].row.entry;
            break;
        case SweepFamily::ImageEffect:
            for (int i = 0; i < ImageEffectTableCount; ++i)
                if (name == ImageEffectTable[i].row.name) return ImageEffectTable[i].row.entry;
            break;
        case SweepFamily::Animation:
            for (int i = 0; i < AnimationTableCount; ++i)
                if (name == AnimationTable[i].row.name) return AnimationTable[i].row.entry;
            break;
        case SweepFamily::AnimationEffect:
            for (int i = 0; i < AnimationEffectTableCount; ++i)
                if (name == AnimationEffectTable[i].row.name) return AnimationEffectTable[i].row.entry;
            break;
        case SweepFamily::Title:
            break;
    }
    return nullptr;
}

// Every run starts from the process's start state, whatever ran before.
void resetRunState() {
    resetAnimationRunState();
    resetParticleLists();
    setWarpReseedClock([]() -> uint32_t { return 4242; });
}

uint64_t rowSum(SweepFamily family, EffectEntry entry) {
    static const SoundScenario loud = loudestScenario();
    static const SoundScenario quiet = silenceScenario();
    uint64_t h = 1469598103934665603ull;
    for (uint32_t seed : {12345u, 777u})
        for (const SoundScenario* sound : {&loud, &quiet}) {
            SweepOptions o;
            o.sizes = {{800, 600}, {640, 480}, {67, 41}};
            o.progresses = {0.0f, 0.1f, 0.3f, 0.6f, 0.9f, 0.999f};
            o.sound = sound;
            o.seed = seed;
            o.beforeRun = resetRunState;
            for (uint64_t s : rowFrameChecksums(family, entry, o)) h = (h ^ s) * 1099511628211ull;
            freeParticleLists();
        }
    return h;
}

template <size_t N>
void expectRowsAsBefore(const PinnedRow (&rows)[N]) {
    const bool print = std::getenv("VT_PRINT_CHECKSUMS") != nullptr;
    for (const PinnedRow& row : rows) {
        const EffectEntry entry = entryOf(row.family, row.name);
        ASSERT_NE(entry, nullptr) << row.name;
        const uint64_t sum = rowSum(row.family, entry);
        if (print) std::printf("    %s: 0x%016llxull\n", row.name, static_cast<unsigned long long>(sum));
        EXPECT_EQ(sum, row.sum) << row.name;
    }
}

TEST(FrameBudgetChecksums, SpedUpRowsDrawAsBefore) { expectRowsAsBefore(kRows); }

TEST(FrameBudgetChecksums, MeshRowsDrawAsBefore) { expectRowsAsBefore(kMeshRows); }

}  // namespace
