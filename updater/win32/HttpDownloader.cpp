#include "updater/win32/HttpDownloader.h"

#include "engine/MakerInfo.h"
#include "updater/win32/UpdaterDialog.h"

namespace {
const char kAgent[] = "HTTPTEST";
}

void pumpOneMessage() {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the dialog's own loop must still see it.
            PostQuitMessage(int(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

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
    if (internet_) InternetCloseHandle(internet_);
    url_ = internet_ = nullptr;
}

bool HttpDownloader::openInternet() {
    internet_ = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    return internet_ != nullptr;
}

bool HttpDownloader::openUrl(const char* url) {
    url_ = InternetOpenUrlA(internet_, url, nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    return url_ != nullptr;
}

bool HttpDownloader::queryNumber(DWORD query, DWORD& value) {
    DWORD size = sizeof value, index = 0;
    return HttpQueryInfoA(url_, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index);
}

HttpDownloader::Fetch HttpDownloader::receive(const std::string& path, bool lengthKnown, uint64_t announced,
                                              uint64_t maxBytes,
                                              const std::function<void(uint64_t)>& onChunk) {
    if (buffer_.empty()) buffer_.resize(kDownloadBufferBytes);
    const std::string temp = downloadTempPath(path);
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fetch::CantCreate;
    uint64_t received = 0;
    bool failed = false;
    for (;;) {
        DWORD available = 0;
        if (!InternetQueryDataAvailable(url_, &available, 0, 0)) {
            failed = true;
            break;
        }
        DWORD want = available < kDownloadBufferBytes ? available : kDownloadBufferBytes;
        DWORD got = 0;
        if (!InternetReadFile(url_, buffer_.data(), want, &got)) {
            failed = true;
            break;
        }
        if (got == 0) break;
        // More than was announced (or than a file of this kind can be) is not
        // the file we asked for.
        if ((lengthKnown && received + got > announced) || received + got > maxBytes) {
            failed = true;
            break;
        }
        DWORD written = 0;
        if (!WriteFile(file, buffer_.data(), got, &written, nullptr) || written != got) {
            failed = true;
            break;
        }
        received += got;
        if (onChunk) onChunk(got);
        pumpOneMessage();
    }
    CloseHandle(file);
    WinFileOps ops;
    if (!downloadComplete(failed, lengthKnown, announced, received)) {
        ops.remove(temp);
        return failed ? Fetch::ReadFailed : Fetch::Incomplete;
    }
    return placeDownload(ops, temp, path) ? Fetch::Done : Fetch::CantPlace;
}

int HttpDownloader::downloadFile(HWND owner, const char* url, const char* localPath, uint64_t maxBytes) {
    if (!openInternet()) return 0;
    if (!openUrl(url)) {
        MessageBoxA(owner, "Server is not ready! Update file not found !", kUpdaterCaption, MB_ICONERROR);
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
    DWORD length = 0;
    if (!openInternet()) return 0;
    if (!openUrl(url)) {
        MessageBoxA(owner, "Server is not ready! Update file not found !", kUpdaterCaption, MB_ICONERROR);
    } else if (!queryNumber(HTTP_QUERY_CONTENT_LENGTH, length)) {
        MessageBoxA(owner, "Can't access Glimmerdeck Server!, Try it again", kUpdaterCaption, MB_ICONERROR);
        length = 0;
    }
    close();
    return length;
}
