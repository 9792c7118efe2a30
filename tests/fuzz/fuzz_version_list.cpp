// The updater's version list over arbitrary server bytes: the rows' lines and
// the detail box's text.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "updater/UpdateItems.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view list(reinterpret_cast<const char*>(data), size);
    VersionLine lines[kUpdateItemCount];
    parseVersionList(list, lines);
    UpdateItem items[kUpdateItemCount]{};
    for (int row = 0; row < kUpdateItemCount; ++row) {
        if (std::strlen(lines[row].text) >= kUpdateTextBytes) __builtin_trap();
        items[row].newVersion = lines[row].number;
        items[row].installedVersion = 1100;
    }
    if (decideUpdates(items) > kUpdateItemCount) __builtin_trap();
    std::string text = detailText(list);
    if (text.size() > 2 * size) __builtin_trap();
    return 0;
}
