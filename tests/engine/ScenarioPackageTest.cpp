// The scenario package reader on packages from the test writer, and on damaged ones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/ScenarioPackage.h"
#include "tests/support/TestPackage.h"
#include "tests/support/TestSupport.h"

using namespace vt_test;

namespace {

struct PackageDeleter {
    void operator()(ScenarioPackage* p) const { freeScenarioPackage(p); }
};
using PackagePtr = std::unique_ptr<ScenarioPackage, PackageDeleter>;

// A memory source that owns its bytes.
class OwnedBytes final : public PackageSource {
public:
    explicit OwnedBytes(std::vector<uint8_t> bytes)
        : bytes_(std::move(bytes)), inner_(memoryPackageSource(bytes_.data(), bytes_.size())) {}
    int64_t size() override { return inner_->size(); }
    int64_t readAt(int64_t offset, void* dst, int64_t n) override { return inner_->readAt(offset, dst, n); }

private:
    std::vector<uint8_t> bytes_;
    std::unique_ptr<PackageSource> inner_;
};

PackagePtr loadFromBytes(std::vector<uint8_t> bytes, int32_t* result = nullptr) {
    PackagePtr p(newScenarioPackage());
    int32_t r = loadScenarioFrom(p.get(), std::make_unique<OwnedBytes>(std::move(bytes)));
    if (result) *result = r;
    return p;
}

std::vector<uint8_t> entryBytes(ScenarioPackage* p, int32_t type, int32_t index, bool* found) {
    int32_t size = -7;
    uint8_t* data = findEntry(p, type, index, &size);
    *found = data != nullptr;
    if (!data) return {};
    std::vector<uint8_t> v(data, data + size);
    EXPECT_EQ(data[size], 0) << "entry data is followed by a zero byte";
    releaseEntry(p, type, index, data);
    return v;
}

// Three pictures as the authoring program stores them: entries 0 to 3, the last twice.
std::vector<TestEntry> threePictureScenario() {
    std::vector<uint8_t> last = patternBytes(5000, 3);
    return {
        {kEntryPicture, 0, patternBytes(3000, 1)},
        {kEntryPicture, 1, patternBytes(700, 2)},
        {kEntryPicture, 2, last},
        {kEntryPicture, 3, last},
        {kEntrySound, 3, patternBytes(40000, 9)},
        {kEntryTitle, 0, textEntryBytes("Beach")},
        {kEntryTitle, 1, textEntryBytes("ScreenSaver")},
        {kEntryTitle, 2, textEntryBytes("Harbour at night")},
        {kEntrySaverPath, 0, textEntryBytes("C:\\WINDOWS\\My Saver.scr")},
        {kEntryLetter, 0, textEntryBytes("Dear reader,\r\nhello.")},
    };
}

}  // namespace

TEST(ScenarioPackage, MarkerIsTheSixteenLettersAndAZero) {
    uint8_t marker[kPackageMarkerBytes];
    scenarioMarker(marker);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(marker)), "VTLRES" "OURCES1000");
    EXPECT_EQ(marker[16], 0);
}

TEST(ScenarioPackage, RoundTripThroughTheModuleFile) {
    std::vector<TestEntry> entries = threePictureScenario();
    std::vector<uint8_t> file = buildSaverFile(patternBytes(1000, 77), entries);
    std::string path = scratchDir("package_round_trip") + "/saver.scr";
    ASSERT_TRUE(writeFileBytes(path, file));

    PackagePtr p(newScenarioPackage());
    ASSERT_EQ(loadScenario(p.get(), path.c_str()), 1);
    EXPECT_EQ(p->packageOffset, 1024);
    EXPECT_EQ(p->count, static_cast<int32_t>(entries.size()));
    for (const TestEntry& e : entries) {
        bool found = false;
        EXPECT_EQ(entryBytes(p.get(), e.type, e.index, &found), e.data) << e.type << "/" << e.index;
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(countImages(p.get()), 2);
    EXPECT_EQ(countTitles(p.get()), 2);
    char name[kSaverNameBytes] = "untouched";
    loadScenarioName(p.get(), name);
    EXPECT_STREQ(name, "C:\\WINDOWS\\My Saver.scr");

    int32_t size = 1234;
    EXPECT_EQ(findEntry(p.get(), kEntrySound, 1, &size), nullptr);
    EXPECT_EQ(size, 1234) << "a missing entry leaves the size alone";
}

TEST(ScenarioPackage, EngineOfWholeSectorsGetsNoPadding) {
    std::vector<uint8_t> file = buildSaverFile(patternBytes(1536, 5), {{kEntryTitle, 0, textEntryBytes("a")}});
    int32_t result = 0;
    PackagePtr p = loadFromBytes(file, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(p->packageOffset, 1536);
    EXPECT_EQ(countTitles(p.get()), 0);
}

// Below 1,024 bytes an entry is copied at load time and lent out; from 1,024 bytes
// on, every findEntry reads the file anew and releaseEntry frees the copy.
TEST(ScenarioPackage, MemoryThresholdIs1024Bytes) {
    std::vector<uint8_t> file = buildSaverFile({}, {{kEntryPicture, 0, patternBytes(1023, 1)},
                                                    {kEntryPicture, 1, patternBytes(1024, 2)}});
    PackagePtr p(newScenarioPackage());
    ASSERT_EQ(loadScenarioFrom(p.get(), memoryPackageSource(file.data(), file.size())), 1);
    int32_t size = 0;
    uint8_t* small1 = findEntry(p.get(), kEntryPicture, 0, &size);
    EXPECT_EQ(size, 1023);
    releaseEntry(p.get(), kEntryPicture, 0, small1);
    uint8_t* small2 = findEntry(p.get(), kEntryPicture, 0, &size);
    EXPECT_EQ(small1, small2) << "the package's own copy, not freed by releaseEntry";
    releaseEntry(p.get(), kEntryPicture, 0, small2);

    // Change the file behind the reader: only the large entry sees it.
    file[p->entries[0].fileOffset] ^= 0xFF;
    file[p->entries[1].fileOffset] ^= 0xFF;
    uint8_t* small3 = findEntry(p.get(), kEntryPicture, 0, &size);
    EXPECT_EQ(small3[0], patternBytes(1023, 1)[0]);
    releaseEntry(p.get(), kEntryPicture, 0, small3);
    uint8_t* large1 = findEntry(p.get(), kEntryPicture, 1, &size);
    uint8_t* large2 = findEntry(p.get(), kEntryPicture, 1, &size);
    EXPECT_EQ(size, 1024);
    EXPECT_NE(large1, large2) << "each call reads its own buffer";
    EXPECT_EQ(large1[0], static_cast<uint8_t>(patternBytes(1024, 2)[0] ^ 0xFF));
    releaseEntry(p.get(), kEntryPicture, 1, large1);   // the sanitizer sees a leak or double free
    releaseEntry(p.get(), kEntryPicture, 1, large2);
}

TEST(ScenarioPackage, CountsOfPicturesAndTitles) {
    struct Case { int pictures; int titles; int32_t images; int32_t lastTitle; } cases[] = {
        {0, 0, -2, -1}, {1, 0, -1, -1}, {2, 1, 0, 0}, {4, 3, 2, 2}, {256, 255, 254, 254},
    };
    for (const Case& c : cases) {
        std::vector<TestEntry> entries;
        for (int i = 0; i < c.pictures; ++i) entries.push_back({kEntryPicture, i, patternBytes(10, 1)});
        for (int i = 0; i < c.titles; ++i) entries.push_back({kEntryTitle, i, textEntryBytes("t")});
        PackagePtr p = loadFromBytes(buildSaverFile(patternBytes(100, 0), entries));
        EXPECT_EQ(countImages(p.get()), c.images) << c.pictures;
        EXPECT_EQ(countTitles(p.get()), c.lastTitle) << c.titles;
    }
    // A gap ends the count: entries 0, 1 and 3.
    PackagePtr gap = loadFromBytes(buildSaverFile({}, {{kEntryTitle, 0, textEntryBytes("a")},
                                                       {kEntryTitle, 1, textEntryBytes("b")},
                                                       {kEntryTitle, 3, textEntryBytes("d")}}));
    EXPECT_EQ(countTitles(gap.get()), 1);
}

TEST(ScenarioPackage, NoPackageGivesAnEmptyReader) {
    struct Case { const char* what; std::vector<uint8_t> bytes; } cases[] = {
        {"empty file", {}},
        {"engine only", patternBytes(5000, 4)},
    };
    for (Case& c : cases) {
        int32_t result = 7;
        PackagePtr p = loadFromBytes(c.bytes, &result);
        EXPECT_EQ(result, 0) << c.what;
        EXPECT_EQ(p->count, 0) << c.what;
        EXPECT_EQ(countImages(p.get()), -2);
        EXPECT_EQ(countTitles(p.get()), -1);
        char name[kSaverNameBytes] = "kept";
        loadScenarioName(p.get(), name);
        EXPECT_STREQ(name, "kept");
    }

    // The marker only counts at a multiple of 512 and with its zero byte.
    std::vector<uint8_t> shifted = buildSaverFile({}, {{kEntryTitle, 0, textEntryBytes("a")}});
    shifted.insert(shifted.begin(), 3, 0);
    std::vector<uint8_t> noZero = buildSaverFile({}, {{kEntryTitle, 0, textEntryBytes("a")}});
    noZero[16] = '!';
    for (auto* bytes : {&shifted, &noZero}) {
        int32_t result = 7;
        PackagePtr p = loadFromBytes(*bytes, &result);
        EXPECT_EQ(result, 0);
        EXPECT_FALSE(hasEntry(p.get(), kEntryTitle, 0));
    }

    PackagePtr missing(newScenarioPackage());
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadScenario(missing.get(), (scratchDir("package_missing") + "/none.scr").c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "file open error");
}

// Damaged or hostile packages: a bad count empties the package; an entry whose
// data does not lie inside the file is missing; neighbours are unaffected.
TEST(ScenarioPackage, HostileDirectories) {
    const std::vector<TestEntry> entries = {
        {kEntryPicture, 0, patternBytes(2000, 1)},   // slot 0: a large entry
        {kEntryTitle, 0, textEntryBytes("first")},   // slot 1: a small entry
        {kEntryTitle, 1, textEntryBytes("second")},  // slot 2
    };
    const std::vector<uint8_t> good = buildSaverFile(patternBytes(600, 3), entries);
    const size_t base = packageOffsetFor(600);
    const int32_t fileSize = static_cast<int32_t>(good.size());

    struct Patch { int slot; int field; int32_t value; };
    // title0: the size of title 0 as found (6 is "first" and its zero), -1 missing.
    struct Case {
        const char* what;
        std::vector<Patch> patches;
        int32_t result;
        bool picture;
        int title0;
        bool title1;
    } cases[] = {
        {"untouched", {}, 1, true, 6, true},
        {"count 601", {{-1, 0, 601}}, 0, false, -1, false},
        {"count -1", {{-1, 0, -1}}, 0, false, -1, false},
        {"count INT32_MIN", {{-1, 0, INT32_MIN}}, 0, false, -1, false},
        {"count 600", {{-1, 0, 600}}, 1, true, 6, true},
        {"count 2 hides slot 2", {{-1, 0, 2}}, 1, true, 6, false},
        {"large offset negative", {{0, 2, -5}}, 1, false, 6, true},
        {"large size negative", {{0, 3, -1}}, 1, false, 6, true},
        {"large one byte past the end", {{0, 2, fileSize - 1999}}, 1, false, 6, true},
        {"large ending at the end", {{0, 2, fileSize - 2000}}, 1, true, 6, true},
        {"large size INT32_MAX", {{0, 3, INT32_MAX}}, 1, false, 6, true},
        {"small offset INT32_MAX", {{1, 2, INT32_MAX}}, 1, true, -1, true},
        {"small offset negative", {{1, 2, INT32_MIN}}, 1, true, -1, true},
        {"small past the end", {{2, 2, fileSize - 3}}, 1, true, 6, false},
        {"size zero is an empty entry", {{1, 3, 0}}, 1, true, 0, true},
        {"offset into the engine part", {{0, 2, 0}}, 1, true, 6, true},
        {"duplicate: the first slot wins", {{2, 1, 0}}, 1, true, 6, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        for (const Patch& pt : c.patches) {
            size_t at = pt.slot < 0 ? base + kPackageMarkerBytes : slotField(base, pt.slot, pt.field);
            putLe32(bytes, at, pt.value);
        }
        int32_t result = -9;
        PackagePtr p = loadFromBytes(bytes, &result);
        EXPECT_EQ(result, c.result) << c.what;
        bool found = false;
        entryBytes(p.get(), kEntryPicture, 0, &found);
        EXPECT_EQ(found, c.picture) << c.what;
        std::vector<uint8_t> t0 = entryBytes(p.get(), kEntryTitle, 0, &found);
        EXPECT_EQ(found ? static_cast<int>(t0.size()) : -1, c.title0) << c.what;
        if (c.title0 == 6) {
            EXPECT_EQ(t0, textEntryBytes("first")) << c.what;
        }
        entryBytes(p.get(), kEntryTitle, 1, &found);
        EXPECT_EQ(found, c.title1) << c.what;
    }
}

TEST(ScenarioPackage, DirectoryCutShortIsNoPackage) {
    std::vector<uint8_t> file = buildSaverFile({}, {{kEntryTitle, 0, textEntryBytes("a")}});
    file.resize(kPackageHeaderBytes - 1);
    int32_t result = 7;
    PackagePtr p = loadFromBytes(file, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(p->count, 0);
}

namespace {
// A source whose reads come up short in one byte range (a failing disk, a file
// that shrank after it was measured).
class ShortReadSource final : public PackageSource {
public:
    ShortReadSource(const std::vector<uint8_t>& bytes, int64_t badFrom, int64_t badTo)
        : bytes_(bytes), badFrom_(badFrom), badTo_(badTo) {}
    int64_t size() override { return static_cast<int64_t>(bytes_.size()); }
    int64_t readAt(int64_t offset, void* dst, int64_t n) override {
        int64_t end = std::min<int64_t>(offset + n, size());
        if (offset < badTo_ && end > badFrom_) end = std::max(offset, badFrom_);
        if (end <= offset) return 0;
        std::memcpy(dst, bytes_.data() + offset, static_cast<size_t>(end - offset));
        return end - offset;
    }

private:
    std::vector<uint8_t> bytes_;
    int64_t badFrom_, badTo_;
};
}  // namespace

TEST(ScenarioPackage, ShortReadIsAMissingEntry) {
    std::vector<uint8_t> file = buildSaverFile({}, {{kEntryPicture, 0, patternBytes(3000, 1)},
                                                    {kEntryTitle, 0, textEntryBytes("small")},
                                                    {kEntryTitle, 1, textEntryBytes("kept")}});
    const int64_t data = kPackageHeaderBytes;
    struct Case { const char* what; int64_t from, to; bool picture, title0, title1; } cases[] = {
        {"inside the large entry", data + 2000, data + 2001, false, true, true},
        {"inside the small entry", data + 3002, data + 3003, true, false, true},
    };
    for (const Case& c : cases) {
        PackagePtr p(newScenarioPackage());
        ASSERT_EQ(loadScenarioFrom(p.get(), std::make_unique<ShortReadSource>(file, c.from, c.to)), 1);
        bool found = false;
        entryBytes(p.get(), kEntryPicture, 0, &found);
        EXPECT_EQ(found, c.picture) << c.what;
        entryBytes(p.get(), kEntryTitle, 0, &found);
        EXPECT_EQ(found, c.title0) << c.what;
        entryBytes(p.get(), kEntryTitle, 1, &found);
        EXPECT_EQ(found, c.title1) << c.what;
    }
}

TEST(ScenarioPackage, SaverNameIsCutAt259Characters) {
    struct Case { size_t length; size_t kept; } cases[] = {{0, 0}, {259, 259}, {260, 259}, {1500, 259}};
    for (const Case& c : cases) {
        std::string path(c.length, 'x');
        PackagePtr p = loadFromBytes(buildSaverFile({}, {{kEntrySaverPath, 0, textEntryBytes(path)}}));
        char name[kSaverNameBytes + 8];
        std::memset(name, '#', sizeof name);
        loadScenarioName(p.get(), name);
        EXPECT_EQ(std::strlen(name), c.kept) << c.length;
        EXPECT_EQ(name[kSaverNameBytes], '#') << "nothing written past the buffer";
    }
    // An entry without its terminating zero still gives a terminated name.
    PackagePtr raw = loadFromBytes(buildSaverFile({}, {{kEntrySaverPath, 0, {'a', 'b', 'c'}}}));
    char name[kSaverNameBytes];
    loadScenarioName(raw.get(), name);
    EXPECT_STREQ(name, "abc");
}

TEST(ScenarioPackage, EnginePackageAccessorsUseTheEnginesRecord) {
    PackagePtr p = loadFromBytes(buildSaverFile({}, threePictureScenario()));
    setEnginePackage(p.get());
    EXPECT_EQ(countImages(), 2);
    EXPECT_EQ(countTitles(), 2);
    loadScenarioName();
    EXPECT_STREQ(saverNameBuffer(), "C:\\WINDOWS\\My Saver.scr");
    setEnginePackage(nullptr);
    EXPECT_EQ(countImages(), -2);
    saverNameBuffer()[0] = '\0';
}
