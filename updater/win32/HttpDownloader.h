// One connection's worth of WinInet for a version check or an update run.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "updater/UpdateRun.h"

// Takes one pending message of the thread, if any, so the dialog stays alive
// between reads.
void pumpOneMessage();

// The replacement's file operations on the real file system.
struct WinFileOps final : FileOps {
    bool replace(const std::string& from, const std::string& to) override;
    bool move(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool exists(const std::string& path) override;
};

class HttpDownloader {
public:
    HttpDownloader() = default;
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;
    virtual ~HttpDownloader() { close(); }

    void close();

    // Fetches url into localPath: 1 on success, 0 on failure. Whatever body the
    // server sends is kept, but only once it arrived whole (and no larger than
    // maxBytes); a failed transfer leaves the old file untouched.
    int downloadFile(HWND owner, const char* url, const char* localPath,
                     uint64_t maxBytes = UINT64_MAX);
    // The URL's Content-Length, or 0 (after telling the user) when it can't be had.
    uint32_t queryContentLength(HWND owner, const char* url);

    // The update run's steps, each on the handles this object holds.
    bool openInternet();
    bool openUrl(const char* url);
    bool queryNumber(DWORD query, DWORD& value);

    enum class Fetch { Done, ReadFailed, Incomplete, CantCreate, CantPlace };
    // Streams the open URL into a file of its own beside path and puts it in
    // place of path when complete. onChunk gets the bytes of every write.
    Fetch receive(const std::string& path, bool lengthKnown, uint64_t announced, uint64_t maxBytes,
                  const std::function<void(uint64_t)>& onChunk);

private:
    HINTERNET internet_ = nullptr;
    HINTERNET url_ = nullptr;
    std::vector<char> buffer_;
};

// The update server's address of one file.
std::string updateUrl(const char* fileName);
