// The scenario-file reader over arbitrary text: every slot and text stays in bounds.
#include <cstdint>
#include <cstdlib>

#include "authoring/ScenarioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScenarioState state;
    int32_t missing = 0;
    parseScenarioText(reinterpret_cast<const char*>(data), size, state,
                      [](const char* path, void*) { return (path[0] & 1) == 0; }, nullptr, &missing);
    if (state.pictures.size() > kScenarioListLimit || state.titles.size() > kScenarioListLimit ||
        state.titlePaths.size() > kScenarioListLimit || state.missingPictures.size() > kScenarioListLimit ||
        state.letterText.size() > kScenarioLetterChars || state.letterStartTime.size() > kScenarioStartTimeChars)
        std::abort();
    for (const auto& p : state.pictures)
        if (p.size() > kScenarioLineChars) std::abort();
    return 0;
}
