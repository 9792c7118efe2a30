#include "updater/win32/HttpDownloader.h"

#include <cstring>

#include "engine/MakerInfo.h"
#include "updater/win32/UpdaterDialog.h"

bool updateCancelRequested = false;

namespace {
const char kAgent[] = "HTTPTEST";
// Always from the server, and nothing left behind in the system's cache.
const DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

struct CallState {
    std::function<BOOL()> call;
    BOOL result = FALSE;
};

DWORD WINAPI callThread(void* parameter) {
    auto* holder = static_cast<std::shared_ptr<CallState>*>(parameter);
    std::shared_ptr<CallState> state = std::move(*holder);
    delete holder;
    state->result = state->call();
    return 0;
}

// Hands on every pending message; a quit request is put back for the dialog's
// own loop and ends the wait like a cancel.
void pumpMessages(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            updateCancelRequested = true;
            return;
        }
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void setTimeouts(HINTERNET handle) {
    DWORD ms = kNetworkStallMs;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof ms);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
}
}  // namespace

bool WinFileOps::replace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
bool WinFileOps::move(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str());
}
bool WinFileOps::remove(const std::string& path) { return DeleteFileA(path.c_str()); }
bool WinFileOps::exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string updateUrl(const char* fileName) { return std::string(kUpdateBaseAddress) + fileName; }

void HttpDownloader::close() {
    if (url_) InternetCloseHandle(url_);
    if (connection_) InternetCloseHandle(connection_);
    if (internet_) InternetCloseHandle(internet_);
    url_ = connection_ = internet_ = nullptr;
}

bool HttpDownloader::runResponsive(std::function<BOOL()> call) {
    if (updateCancelRequested) return false;
    auto state = std::make_shared<CallState>();
    state->call = std::move(call);
    auto* holder = new std::shared_ptr<CallState>(state);
    HANDLE thread = CreateThread(nullptr, 0, callThread, holder, 0, nullptr);
    if (!thread) {
        delete holder;
        return state->call() != FALSE;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        if (waited >= kNetworkStallMs) {
            timedOut_ = true;
            break;
        }
        DWORD left = kNetworkStallMs - waited;
        DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, left < 100 ? left : 100, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            CloseHandle(thread);
            return state->result != FALSE;
        }
        pumpMessages(dialog_);
        if (updateCancelRequested) break;
    }
    // Closing the handles asks WinInet to give the call up; the thread holds
    // its own state and buffer, so it may end whenever it does.
    close();
    CloseHandle(thread);
    return false;
}

bool HttpDownloader::openInternet() {
    internet_ = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet_) setTimeouts(internet_);
    return internet_ != nullptr;
}

bool HttpDownloader::openUrl(const char* url) {
    HINTERNET internet = internet_;
    std::string address = url;
    auto opened = std::make_shared<HINTERNET>(nullptr);
    bool ok = runResponsive([internet, address, opened] {
        *opened = InternetOpenUrlA(internet, address.c_str(), nullptr, 0, kOpenFlags, 0);
        return *opened != nullptr;
    });
    if (ok) url_ = *opened;
    return ok;
}

// A HEAD request: the headers of url without its body. status is 0 when no
// answer came.
bool HttpDownloader::openHead(const char* url, DWORD& status) {
    status = 0;
    char host[256] = {}, path[2048] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!InternetCrackUrlA(url, 0, 0, &parts)) return false;
    connection_ = InternetConnectA(internet_, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection_) return false;
    url_ = HttpOpenRequestA(connection_, "HEAD", path[0] ? path : "/", nullptr, nullptr, nullptr, kOpenFlags, 0);
    if (!url_) return false;
    HINTERNET request = url_;
    if (!runResponsive([request] { return HttpSendRequestA(request, nullptr, 0, nullptr, 0); })) return false;
    return queryNumber(HTTP_QUERY_STATUS_CODE, status);
}

bool HttpDownloader::queryNumber(DWORD query, DWORD& value) {
    DWORD size = sizeof value, index = 0;
    return HttpQueryInfoA(url_, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index);
}

HttpDownloader::Fetch HttpDownloader::receive(const std::string& path, bool lengthKnown, uint64_t announced,
                                              uint64_t maxBytes,
                                              const std::function<void(uint64_t)>& onChunk,
                                              const std::function<bool(const std::string&)>& isTheFile) {
    if (!buffer_) buffer_ = std::make_shared<std::vector<char>>(kDownloadBufferBytes);
    const std::string temp = downloadTempPath(path);
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fetch::CantCreate;
    uint64_t received = 0;
    bool failed = false;
    HINTERNET url = url_;
    auto buffer = buffer_;
    for (;;) {
        auto available = std::make_shared<DWORD>(0);
        if (!runResponsive([url, available] { return InternetQueryDataAvailable(url, available.get(), 0, 0); })) {
            failed = true;
            break;
        }
        DWORD want = *available < kDownloadBufferBytes ? *available : kDownloadBufferBytes;
        auto got = std::make_shared<DWORD>(0);
        if (!runResponsive([url, buffer, want, got] { return InternetReadFile(url, buffer->data(), want, got.get()); })) {
            failed = true;
            break;
        }
        if (*got == 0) break;
        // More than was announced (or than a file of this kind can be) is not
        // the file we asked for.
        if ((lengthKnown && received + *got > announced) || received + *got > maxBytes) {
            failed = true;
            break;
        }
        DWORD written = 0;
        if (!WriteFile(file, buffer->data(), *got, &written, nullptr) || written != *got) {
            failed = true;
            break;
        }
        received += *got;
        if (onChunk) onChunk(*got);
    }
    CloseHandle(file);
    WinFileOps ops;
    if (!downloadComplete(failed, lengthKnown, announced, received)) {
        ops.remove(temp);
        return failed ? Fetch::ReadFailed : Fetch::Incomplete;
    }
    if (isTheFile && !isTheFile(temp)) {
        ops.remove(temp);
        return Fetch::NotTheFile;
    }
    return placeDownload(ops, temp, path) ? Fetch::Done : Fetch::CantPlace;
}

int HttpDownloader::downloadFile(HWND owner, const char* url, const char* localPath, uint64_t maxBytes) {
    if (!openInternet()) return 0;
    // A server that can't be reached is the caller's to report: it knows what
    // was being fetched.
    if (!openUrl(url)) {
        close();
        return 0;
    }
    DWORD length = 0;
    bool lengthKnown = queryNumber(HTTP_QUERY_CONTENT_LENGTH, length);
    Fetch result = receive(localPath, lengthKnown, length, maxBytes, nullptr);
    close();
    return result == Fetch::Done;
}

uint32_t HttpDownloader::queryContentLength(HWND owner, const char* url) {
    DWORD length = 0, status = 0;
    if (!openInternet()) return 0;
    bool opened = openHead(url, status);
    // A server that knows no HEAD gets the plain request; its body is not read.
    if (opened && (status == HTTP_STATUS_BAD_METHOD || status == HTTP_STATUS_NOT_SUPPORTED) && !cancelled()) {
        close();
        opened = openInternet() && openUrl(url);
    }
    if (cancelled()) {
        length = 0;
    } else if (!opened) {
        MessageBoxA(owner, "Server is not ready! Update file not found !", kUpdaterCaption, MB_ICONERROR);
    } else if (!queryNumber(HTTP_QUERY_CONTENT_LENGTH, length)) {
        MessageBoxA(owner, "Can't access Glimmerdeck Server!, Try it again", kUpdaterCaption, MB_ICONERROR);
        length = 0;
    }
    close();
    return length;
}
