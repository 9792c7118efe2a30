// The scenario package reader behind the EntrySource seam.
#pragma once
#include <memory>

#include "engine/EntrySource.h"
#include "engine/ScenarioPackage.h"

// The entries of a loaded package (null: none); the package stays the caller's.
class PackageEntries : public EntrySource {
public:
    explicit PackageEntries(ScenarioPackage* package) : package_(package) {}
    bool readEntry(int32_t type, int32_t index, std::vector<uint8_t>& bytes) const override;

private:
    ScenarioPackage* package_;
};

// The package of a saver file, owned by the result (which is empty when the
// file holds none).
std::unique_ptr<EntrySource> openPackageEntries(const char* path);
