#include "engine/PackageEntries.h"

namespace {

class OwnedPackageEntries : public EntrySource {
public:
    explicit OwnedPackageEntries(ScenarioPackage* package) : package_(package) {}
    ~OwnedPackageEntries() override {
        if (package_) freeScenarioPackage(package_);
    }
    bool readEntry(int32_t type, int32_t index, std::vector<uint8_t>& bytes) const override {
        return PackageEntries(package_).readEntry(type, index, bytes);
    }

private:
    ScenarioPackage* package_;
};

}  // namespace

bool PackageEntries::readEntry(int32_t type, int32_t index, std::vector<uint8_t>& bytes) const {
    if (!package_) return false;
    int32_t size = 0;
    uint8_t* data = findEntry(package_, type, index, &size);
    if (!data) return false;
    bytes.assign(data, data + (size > 0 ? size : 0));
    releaseEntry(package_, type, index, data);
    return true;
}

std::unique_ptr<EntrySource> openPackageEntries(const char* path) {
    ScenarioPackage* package = newScenarioPackage();
    if (package) loadScenario(package, path);
    return std::make_unique<OwnedPackageEntries>(package);
}
