// The scenario package reader over arbitrary saver-file bytes, and everything in
// the engine that takes its entries: load, then ask for every entry the directory
// names (and a few it does not), count, read the name; then the title, saver-name
// and letter readers, the sound entry written to its file, and the pictures
// decoded through the JPEG codec into a small frame.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/JpegPictureDecoder.h"
#include "engine/PackageEntries.h"
#include "engine/PictureLoader.h"
#include "engine/SaverOptions.h"
#include "engine/ScenarioPackage.h"
#include "engine/SoundControl.h"
#include "engine/TitleLetter.h"

namespace {

ScenarioPackage* g_package = nullptr;

// The engine's decoder, refusing pictures that would take long to decode here:
// a mutated size field alone would otherwise make every run a huge allocation.
class BoundedDecoder : public JpegPictureDecoder {
public:
    int32_t readSize(const uint8_t* jpeg, int32_t size, int32_t* width, int32_t* height) override {
        const int32_t rc = JpegPictureDecoder::readSize(jpeg, size, width, height);
        if (rc >= 0 && int64_t{*width} * *height > 1024 * 1024) return kPictureMemoryError;
        return rc;
    }
};

const uint8_t* findPicture(int32_t index, int32_t* size) {
    return findEntry(g_package, kEntryPicture, index, size);
}
void releasePicture(int32_t index, const uint8_t* data) {
    releaseEntry(g_package, kEntryPicture, index, const_cast<uint8_t*>(data));
}

// The sound file goes to a folder of this process's own, removed at exit.
struct SoundFolder {
    SoundFolders folders;
    SoundFolder() {
        char dir[] = "/tmp/fuzz_scenario.XXXXXX";
        if (mkdtemp(dir)) folders.system = folders.temp = dir;
    }
    ~SoundFolder() {
        if (!folders.system.empty()) std::remove(folders.system.c_str());
    }
};
const SoundFolders& soundFolders() {
    static const SoundFolder folder;
    return folder.folders;
}

void driveConsumers(ScenarioPackage* package) {
    const PackageEntries entries(package);
    loadTitleTexts(entries);
    char saverName[260] = {};
    loadSaverName(entries, saverName);
    freeLetterText();
    loadLetterText(entries);
    (void)countLetterLines();
    freeLetterText();

    SoundEntrySource sound;
    sound.find = [](void*, int32_t type, int32_t index, int32_t* size) {
        return findEntry(g_package, type, index, size);
    };
    sound.release = [](void*, int32_t type, int32_t index, uint8_t* data) {
        releaseEntry(g_package, type, index, data);
    };
    if (!soundFolders().system.empty() && writeSoundFile(sound, soundFolders())) std::remove(soundFilePath());

    static BoundedDecoder decoder;
    setPictureSource(PictureSource{findPicture, releasePicture});
    setPictureDecoder(&decoder);
    constexpr int32_t w = 40, h = 30, pitch = w + 16;
    std::vector<Pixel> frame(static_cast<size_t>(h) * pitch);
    const int32_t pictures = countImages(package);
    for (int32_t i = 0; i < pictures && i < 4; ++i) loadImage(i, frame.data(), w, h, pitch);
    setPictureDecoder(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScenarioPackage* package = newScenarioPackage();
    loadScenarioFrom(package, memoryPackageSource(data, size));
    for (int32_t i = 0; i < package->count; ++i) {
        int32_t type = package->entries[i].type, index = package->entries[i].index;
        int32_t entrySize = -1;
        uint8_t* entry = findEntry(package, type, index, &entrySize);
        if (entry) {
            volatile uint8_t sink = entry[0] ^ entry[entrySize];   // the whole entry and its zero byte
            (void)sink;
            if (entrySize > 0) sink = entry[entrySize - 1];
            releaseEntry(package, type, index, entry);
        }
    }
    for (int32_t type = 0; type <= 8; ++type) {
        int32_t entrySize = 0;
        if (uint8_t* entry = findEntry(package, type, 0, &entrySize)) releaseEntry(package, type, 0, entry);
    }
    countImages(package);
    countTitles(package);
    char name[kSaverNameBytes];
    std::memset(name, 0, sizeof name);
    loadScenarioName(package, name);

    g_package = package;
    driveConsumers(package);
    g_package = nullptr;
    freeScenarioPackage(package);
    return 0;
}
