// Every built row of the engine's image-effect table through the effect sweep,
// once per sound scenario with the runtime's envelope mode, and once with a
// time envelope so the bodies' other level paths run too.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "Sfx/ImageEffectTable.h"
#include "tests/support/EffectSweep.h"

using namespace vt_test;

namespace {

class ImageEffectRowSweep : public ::testing::TestWithParam<int> {};

std::string rowTestName(const ::testing::TestParamInfo<int>& info) {
    const ImageEffectRow& r = ImageEffectTable[info.param];
    std::string name = "row" + std::to_string(r.catalogueRow) + "_";
    for (const char* c = r.row.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

void expectClean(const std::vector<std::string>& problems, const std::string& scenario) {
    for (const std::string& p : problems) ADD_FAILURE() << scenario << ": " << p;
}

TEST_P(ImageEffectRowSweep, BehavesUnderEverySound) {
    const EffectEntry entry = ImageEffectTable[GetParam()].row.entry;
    for (const SoundScenario& sound : allSoundScenarios()) {
        SweepOptions options;
        options.sound = &sound;
        expectClean(sweepRow(SweepFamily::ImageEffect, entry, RowRule{}, options), sound.name);
    }
    SweepOptions envelope;
    envelope.sound = &allSoundScenarios().back();
    envelope.levelMode = 3;
    envelope.sizes = {{64, 48}};
    expectClean(sweepRow(SweepFamily::ImageEffect, entry, RowRule{}, envelope), "triangle envelope");
}

INSTANTIATE_TEST_SUITE_P(Built, ImageEffectRowSweep, ::testing::Range(0, ImageEffectTableCount), rowTestName);

}  // namespace
