// The update run's bookkeeping and the plan that puts a finished download in
// place of the old file.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "updater/UpdateRun.h"

namespace {

TEST(UpdateRun, ProgressOverTheWholeRun) {
    struct Case { uint64_t total, sofar; int position; };
    const Case cases[] = {
        {0, 0, 0}, {0, 5000, 0},                  // nothing announced: the bar stays put
        {1000, 0, 0}, {1000, 999, 99}, {1000, 1000, 100},
        {1000, 1500, 100},                        // more than announced never passes the end
        {3, 1, 33},
        {UINT64_MAX, UINT64_MAX / 2, 49}, {UINT64_MAX, UINT64_MAX, 99},
        {uint64_t(1) << 40, uint64_t(1) << 39, 50},
    };
    for (const Case& c : cases) {
        UpdateRunState run;
        run.totalBytes = c.total;
        run.bytesSoFar = c.sofar;
        int position = progressPosition(run);
        EXPECT_GE(position, 0);
        EXPECT_LE(position, 100);
        EXPECT_NEAR(position, c.position, 1) << c.total << " " << c.sofar;
    }
}

TEST(UpdateRun, Texts) {
    UpdateRunState run;
    run.fileCount = 2;
    run.fileIndex = 1;
    run.totalBytes = 912000;
    run.bytesSoFar = 400000;
    EXPECT_EQ(fileOfText(run), "File 1 of 2");
    EXPECT_EQ(byteCountText(run), "400000 / 912000");
    EXPECT_EQ(bytesText(512000), "512000 bytes");
    EXPECT_EQ(bytesText(4294967295u), "4294967295 bytes");
}

TEST(UpdateRun, OnlyAWholeTransferIsComplete) {
    EXPECT_TRUE(downloadComplete(false, true, 1000, 1000));
    EXPECT_TRUE(downloadComplete(false, false, 0, 1234));   // no length announced: a clean end
    EXPECT_TRUE(downloadComplete(false, true, 0, 0));
    EXPECT_FALSE(downloadComplete(false, true, 1000, 999));  // connection dropped early
    EXPECT_FALSE(downloadComplete(false, true, 1000, 1001));
    EXPECT_FALSE(downloadComplete(true, true, 1000, 1000));  // a read failed
    EXPECT_FALSE(downloadComplete(true, false, 0, 10));
}

TEST(UpdateRun, OnlyTheOfferedVersionOrNewerReplacesAProgram) {
    struct Case { bool hasBlock; int32_t version, offered; bool replaces; };
    const Case cases[] = {
        {false, 0, 1200, false},    // a web page or an empty body: no version block
        {false, 1200, 1200, false},
        {true, 1000, 1200, false},  // an older build
        {true, 1199, 1200, false},
        {true, 1200, 1200, true},   // what the list offered
        {true, 1210, 1200, true},   // newer still
    };
    for (const Case& c : cases)
        EXPECT_EQ(downloadIsOffered(c.hasBlock, c.version, c.offered), c.replaces)
            << c.hasBlock << " " << c.version << " offered " << c.offered;
}

// A file system of names and contents; "held" names can't be overwritten or
// removed (a running program), but can be renamed, as on Windows.
struct FakeFiles final : FileOps {
    std::map<std::string, std::string> files;
    std::set<std::string> held;
    std::set<std::string> locked;     // can't even be renamed

    bool replace(const std::string& from, const std::string& to) override {
        if (!files.count(from) || held.count(to) || locked.count(to)) return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    bool move(const std::string& from, const std::string& to) override {
        if (!files.count(from) || files.count(to) || locked.count(from)) return false;
        files[to] = files[from];
        files.erase(from);
        if (held.erase(from)) held.insert(to);
        return true;
    }
    bool remove(const std::string& path) override {
        if (held.count(path) || locked.count(path)) return false;
        return files.erase(path) > 0;
    }
    bool exists(const std::string& path) override { return files.count(path) > 0; }
};

const std::string target = "C:\\app\\Glimmerdeck.exe";

TEST(PlaceDownload, ReplacesAPlainFile) {
    FakeFiles fs;
    fs.files = {{target, "old"}, {downloadTempPath(target), "new"}};
    EXPECT_TRUE(placeDownload(fs, downloadTempPath(target), target));
    EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{target, "new"}}));
}

TEST(PlaceDownload, CreatesAMissingFile) {
    FakeFiles fs;
    fs.files = {{downloadTempPath(target), "new"}};
    EXPECT_TRUE(placeDownload(fs, downloadTempPath(target), target));
    EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{target, "new"}}));
}

TEST(PlaceDownload, MovesARunningProgramAside) {
    FakeFiles fs;
    fs.files = {{target, "old"}, {downloadTempPath(target), "new"}, {asidePath(target), "stale"}};
    fs.held = {target};
    EXPECT_TRUE(placeDownload(fs, downloadTempPath(target), target));
    EXPECT_EQ(fs.files[target], "new");
    EXPECT_EQ(fs.files[asidePath(target)], "old");   // still running: left for later
    EXPECT_FALSE(fs.exists(downloadTempPath(target)));
}

TEST(PlaceDownload, KeepsTheOldFileWhenNothingWorks) {
    FakeFiles fs;
    fs.files = {{target, "old"}, {downloadTempPath(target), "new"}};
    fs.locked = {target};
    EXPECT_FALSE(placeDownload(fs, downloadTempPath(target), target));
    EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{target, "old"}}));

    // A stale copy aside that can't be removed stops the plan before it touches the target.
    FakeFiles held;
    held.files = {{target, "old"}, {downloadTempPath(target), "new"}, {asidePath(target), "stale"}};
    held.held = {target, asidePath(target)};
    EXPECT_FALSE(placeDownload(held, downloadTempPath(target), target));
    EXPECT_EQ(held.files[target], "old");
    EXPECT_EQ(held.files[asidePath(target)], "stale");
    EXPECT_FALSE(held.exists(downloadTempPath(target)));
}

// The download can't be moved in after the old file went aside: it comes back.
struct FailingMoveIn final : FileOps {
    FakeFiles inner;
    bool replace(const std::string& from, const std::string& to) override { return false; }
    bool move(const std::string& from, const std::string& to) override {
        return from == downloadTempPath(target) ? false : inner.move(from, to);
    }
    bool remove(const std::string& path) override { return inner.remove(path); }
    bool exists(const std::string& path) override { return inner.exists(path); }
};

TEST(PlaceDownload, PutsTheOldFileBackWhenTheNewOneCannotGoIn) {
    FailingMoveIn fs;
    fs.inner.files = {{target, "old"}, {downloadTempPath(target), "new"}};
    EXPECT_FALSE(placeDownload(fs, downloadTempPath(target), target));
    EXPECT_EQ(fs.inner.files, (std::map<std::string, std::string>{{target, "old"}}));
}

}  // namespace
