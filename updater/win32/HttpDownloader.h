// One connection's worth of WinInet for a version check or an update run.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "updater/UpdateRun.h"

// Set on the dialog thread when the user presses Escape or the close box while a
// check or a run is under way; every network wait gives up at once.
extern bool updateCancelRequested;

// The replacement's file operations on the real file system.
struct WinFileOps final : FileOps {
    bool replace(const std::string& from, const std::string& to) override;
    bool move(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool exists(const std::string& path) override;
};

class HttpDownloader {
public:
    // dialog: the window whose keys (Escape) are handled while the network is waited for.
    explicit HttpDownloader(HWND dialog = nullptr) : dialog_(dialog) {}
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;
    virtual ~HttpDownloader() { close(); }

    void close();

    // Fetches url into localPath: 1 on success, 0 on failure. Whatever body the
    // server sends is kept, but only once it arrived whole (and no larger than
    // maxBytes); a failed transfer leaves the old file untouched. It tells the
    // user nothing: the caller reports the failure.
    int downloadFile(HWND owner, const char* url, const char* localPath,
                     uint64_t maxBytes = UINT64_MAX);
    // The URL's Content-Length from the response headers alone (the body is not
    // fetched), or 0 (after telling the user) when it can't be had.
    uint32_t queryContentLength(HWND owner, const char* url);

    // The update run's steps, each on the handles this object holds.
    bool openInternet();
    bool openUrl(const char* url);
    bool queryNumber(DWORD query, DWORD& value);
    // True when the last failure was the user's cancel or a server that stopped answering.
    bool cancelled() const { return updateCancelRequested; }
    bool timedOut() const { return timedOut_; }

    enum class Fetch { Done, ReadFailed, Incomplete, CantCreate, CantPlace, NotTheFile };
    // Streams the open URL into a file of its own beside path and puts it in
    // place of path when complete. isTheFile, when given, looks at the complete
    // file first (by its own path); a file it refuses is removed (NotTheFile).
    // onChunk gets the bytes of every write.
    Fetch receive(const std::string& path, bool lengthKnown, uint64_t announced, uint64_t maxBytes,
                  const std::function<void(uint64_t)>& onChunk,
                  const std::function<bool(const std::string&)>& isTheFile = nullptr);

private:
    // Runs one blocking WinInet call on a thread of its own while this thread
    // keeps handling its window messages. False when the call failed, the user
    // cancelled, or it did not finish within the stall limit; in the last two
    // cases the call is left to end on its own and the handles are closed.
    bool runResponsive(std::function<BOOL()> call);
    bool openHead(const char* url, DWORD& status);

    HWND dialog_ = nullptr;
    HINTERNET internet_ = nullptr;
    HINTERNET connection_ = nullptr;
    HINTERNET url_ = nullptr;
    bool timedOut_ = false;
    // Shared with a read that may outlive this object when it is abandoned.
    std::shared_ptr<std::vector<char>> buffer_;
};

// The update server's address of one file.
std::string updateUrl(const char* fileName);
