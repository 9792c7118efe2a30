#include "authoring/SaverBuild.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kCaption = "Glimmerdeck";

void stop(const PackReporter& r, const char* text, const char* caption = kCaption) {
    if (r.message) r.message(r.user, text, caption, PackMessageStyle::Stop);
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void removeFile(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}

bool appendFile(PackageWriter& package, uint32_t type, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path.c_str(), bytes)) return false;
    return appendEntry(package, type, 0, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// A plain byte copy that replaces the target: the library's copy_file takes
// any two files for the same one on Windows (no inode numbers there) and
// refuses to overwrite.
bool copyFileReplacing(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    bool ok = out != nullptr;
    std::vector<char> chunk(1 << 16);
    while (ok) {
        const size_t n = std::fread(chunk.data(), 1, chunk.size(), in);
        if (n == 0) {
            ok = !std::ferror(in);
            break;
        }
        ok = std::fwrite(chunk.data(), 1, n, out) == n;
    }
    std::fclose(in);
    if (out) ok = std::fclose(out) == 0 && ok;
    return ok;
}

}  // namespace

std::string findFileInFolder(const std::string& folder, const char* name, bool anyCase) {
    std::error_code ec;
    const std::string wanted = anyCase ? lowered(name) : std::string(name);
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string found = it->path().filename().string();
        if ((anyCase ? lowered(found) : found) == wanted) return found;
    }
    return {};
}

std::string folderFile(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '\\' || last == '/' ? folder + name : folder + "/" + name;
}

EngineCopy copyEngineFile(const std::string& folder, bool anyCase, const std::string& target) {
    const std::string found = findFileInFolder(folder, "engine.scr", anyCase);
    if (found.empty()) return EngineCopy::NotFound;
    return copyFileReplacing(folderFile(folder, found), target) ? EngineCopy::Copied : EngineCopy::CopyFailed;
}

std::string installerSaverPath(const std::string& exePath) {
    const size_t dot = exePath.rfind('.');
    return (dot == std::string::npos ? exePath : exePath.substr(0, dot)) + ".scr";
}

bool writeExeOptionFile(const std::string& folder, const SaverBuildInput& input, const PackReporter& reporter) {
    const std::string path = folderFile(folder, "ExeOption.txt");
    const std::string text = exeOptionText(input.text, input.make);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file) ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        removeFile(path);
        stop(reporter, " Can't use option file. Error code 0x005.");
    }
    return ok;
}

int appendInstallOptions(PackageWriter& package, const std::string& folder, const SaverBuildInput& input,
                         const PackReporter& reporter) {
    if (!writeExeOptionFile(folder, input, reporter)) return 0;
    if (findFileInFolder(folder, "ExeOption.txt", false).empty()) {
        stop(reporter, "Can' find option file to update. Error code 0x001");
        return 0;
    }
    const std::string path = folderFile(folder, "ExeOption.txt");
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path.c_str(), bytes)) {
        stop(reporter, "Can' find option file to update. Error code 0x001", "Install option part");
        removeFile(path);
        return 0;
    }
    const bool added = appendEntry(package, kEntryOptionText, 0, bytes.data(), static_cast<uint32_t>(bytes.size()));
    removeFile(path);
    return added ? 1 : 0;
}

int buildInstaller(const std::string& folder, const std::string& exePath, const std::string& saverPath,
                   const SaverBuildInput& input, const PackReporter& reporter) {
    if (folder.empty()) return 0;
    // Found in any case, and copied under the name it has (the same file on
    // Windows, where names compare without case).
    const std::string packwright = findFileInFolder(folder, "packwright.exe", true);
    if (packwright.empty()) {
        stop(reporter, "Can't find install engine file. Make sure that there is Packwright.exe file in the folder "
                       "you installed.");
        return 0;
    }
    if (!copyFileReplacing(folderFile(folder, packwright), exePath)) {
        stop(reporter, "Can't copy install engine file.");
        return 0;
    }

    PackageWriter package;
    if (!beginPackage(package, exePath.c_str())) {
        finishPackage(package);
        stop(reporter, "Can't copy install engine file.");
        return 0;
    }
    if (!appendFile(package, kEntrySaverFile, saverPath)) {
        stop(reporter,
             " Resource file path doesn't match.  Make sure that there is eigine.scr file in the folder you installed.",
             "scr engine part");
        removeFile(saverPath);
        finishPackage(package);
        return 0;
    }
    removeFile(saverPath);
    // The option file passes through the temporary folder: the program's own
    // folder may be read-only (as under Program Files).
    std::error_code ec;
    std::string temp = fs::temp_directory_path(ec).string();
    if (ec || temp.empty()) temp = folder;
    const int options = appendInstallOptions(package, temp, input, reporter);
    return finishPackage(package) ? options : 0;
}
