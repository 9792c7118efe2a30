// The update run ("Update") and the restart of the authoring program ("Ok").
#include <cstdio>
#include <cstring>
#include <string>

#include "updater/UpdateItems.h"
#include "updater/UpdateRun.h"
#include "updater/UpdaterIds.h"
#include "updater/win32/HttpDownloader.h"
#include "updater/win32/ListViewCtl.h"
#include "updater/win32/UpdaterDialog.h"

namespace {

const char kNotReady[] = "Server is not ready! Update file not found !";
const char kNoAccess[] = "Can't access Glimmerdeck Server!, Try it again";
const char kRunStopped[] = " Unable to Complete Update.";

// Set by a completed run that replaced the authoring program: "Ok" starts it again.
bool authoringReplaced = false;

void setText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

int stopRun(HWND dialog, HttpDownloader& http, const char* message) {
    SetDlgItemTextA(dialog, IDC_STATUS, kRunStopped);
    http.close();
    // The user who cancelled is leaving: no message to answer first.
    if (!http.cancelled()) MessageBoxA(dialog, message, kUpdaterCaption, MB_ICONERROR);
    return 0;
}

}  // namespace

void ownProgramFolder(char (&folder)[MAX_PATH]) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    char* slash = std::strrchr(path, '\\');
    if (!slash) return;
    slash[1] = 0;
    std::snprintf(folder, MAX_PATH, "%s", path);
}

int runUpdate(HWND dialog) {
    if (updateItems[kAuthoringRow].installedVersion >= kAuthoringRefusedFromVersion) {
        MessageBoxA(dialog,
                    "Auto Update Fuction is Supported up to the version 2.0 Current installed at Glimmerdeck.",
                    kUpdaterCaption, MB_OK);
        return 0;
    }

    UpdateRunState run;
    {
        HttpDownloader sizes(dialog);
        for (const UpdateItem& item : updateItems) {
            if (!item.needsUpdate) continue;
            ++run.fileCount;
            run.totalBytes += sizes.queryContentLength(dialog, updateUrl(item.fileName).c_str());
        }
        if (sizes.cancelled()) return stopRun(dialog, sizes, kRunStopped);
    }
    HWND progress = GetDlgItem(dialog, IDC_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(progress, PBM_SETPOS, 0, 0);

    if (updateItems[kAuthoringRow].needsUpdate && updateOwnerWindow && IsWindow(updateOwnerWindow)) {
        MessageBoxA(dialog, "Exit the Program for Updating Glimmerdeck.", kUpdaterCaption, MB_OK);
        SendMessageA(updateOwnerWindow, WM_DESTROY, 0, 0);
    }

    char folder[MAX_PATH] = {};
    ownProgramFolder(folder);
    for (const UpdateItem& item : updateItems) {
        SetDlgItemTextA(dialog, IDC_STATUS, "Updating");
        if (!item.needsUpdate) continue;
        ++run.fileIndex;
        setText(dialog, IDC_FILE_OF, fileOfText(run));
        SetDlgItemTextA(dialog, IDC_FILE_NAME, item.fileName);

        HttpDownloader http(dialog);
        if (!http.openInternet()) return 0;
        if (!http.openUrl(updateUrl(item.fileName).c_str())) {
            if (http.cancelled()) return stopRun(dialog, http, kRunStopped);
            http.close();
            MessageBoxA(dialog, kNotReady, kUpdaterCaption, MB_ICONERROR);
            return 0;
        }
        DWORD status = 0, length = 0;
        if (!http.queryNumber(HTTP_QUERY_STATUS_CODE, status) || status != 200)
            return stopRun(dialog, http, kNotReady);
        if (!http.queryNumber(HTTP_QUERY_CONTENT_LENGTH, length)) return stopRun(dialog, http, kNoAccess);
        setText(dialog, IDC_FILE_SIZE, bytesText(length));

        const std::string target = std::string(folder) + item.fileName;
        const int32_t offered = item.newVersion;
        auto isOffered = [offered](const std::string& download) {
            int32_t version = 0;
            char text[kUpdateTextBytes] = {};
            bool hasBlock = readVersionBlock(download.c_str(), version, text);
            return downloadIsOffered(hasBlock, version, offered);
        };
        auto fetched = http.receive(
            target, true, length, UINT64_MAX,
            [&](uint64_t bytes) {
                run.bytesSoFar += bytes;
                setText(dialog, IDC_BYTES, byteCountText(run));
                SendMessageA(progress, PBM_SETPOS, progressPosition(run), 0);
            },
            isOffered);
        if (fetched == HttpDownloader::Fetch::NotTheFile) {
            std::string text = std::string("The file the server sent for ") + item.fileName +
                               " is not the update, so it was not put in place.";
            return stopRun(dialog, http, text.c_str());
        }
        if (fetched == HttpDownloader::Fetch::CantCreate || fetched == HttpDownloader::Fetch::CantPlace) {
            std::string text = "Can't write " + target + ". Close the program that uses it and try again.";
            return stopRun(dialog, http, text.c_str());
        }
        if (fetched != HttpDownloader::Fetch::Done) return stopRun(dialog, http, kNoAccess);
        http.close();
    }

    authoringReplaced = updateItems[kAuthoringRow].needsUpdate != 0;
    markUpdated(updateItems);
    for (int row = 0; row < kUpdateItemCount; ++row) {
        fileList.setCellText(1, row, installedColumnText(updateItems[row]));
        fileList.setCellText(3, row, updateStateText(updateItems[row]));
    }
    fileList.fitColumns();
    Sleep(1000);
    SendMessageA(progress, PBM_SETPOS, 100, 0);
    SetDlgItemTextA(dialog, IDC_STATUS, "Update completed");
    EnableWindow(GetDlgItem(dialog, IDC_OK), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_UPDATE), FALSE);
    MessageBoxA(dialog, "The newest Version Update completed", kUpdaterCaption, MB_OK);
    return 1;
}

bool launchProgram(const char* commandLine) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process)) {
        logUpdaterException(GetLastError());
        return false;
    }
    DWORD waited = WaitForInputIdle(process.hProcess, INFINITE);
    if (waited == WAIT_FAILED) logUpdaterException(GetLastError());
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return waited == 0;
}

void restartAndClose(HWND dialog) {
    if (authoringReplaced) {
        MessageBoxA(dialog, "Reexecuting  Glimmerdeck.", kUpdaterCaption, MB_OK);
        launchProgram("Glimmerdeck.exe");
    }
    EndDialog(dialog, 0);
    PostQuitMessage(0);
}
