/* Starts one Windows program for tools/wine-run and hands back its exit status.
 * `wine` passes on only the low byte of a process's exit code, so a code such
 * as 0x100 would read as success: here any code outside 1..254 becomes 255 and
 * a crash is named on stderr. With --desktop the program runs in the named Wine
 * virtual desktop (`explorer /desktop` itself always exits 0, so it cannot be
 * the parent).
 *
 *   launch.exe [--desktop NAME,WxH] PROGRAM [ARGS...]
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

/* Appends one argument quoted so that CommandLineToArgvW gives it back unchanged. */
static void appendQuoted(wchar_t* out, size_t cap, const wchar_t* arg) {
    size_t n = wcslen(out);
    int plain = arg[0] != 0 && wcspbrk(arg, L" \t\n\v\"") == NULL;
    if (n && n + 1 < cap) out[n++] = L' ';
    if (plain) {
        for (const wchar_t* p = arg; *p && n + 1 < cap; ++p) out[n++] = *p;
        out[n] = 0;
        return;
    }
    if (n + 1 < cap) out[n++] = L'"';
    for (const wchar_t* p = arg;; ++p) {
        size_t slashes = 0;
        while (*p == L'\\') { ++p; ++slashes; }
        size_t times = *p == 0 ? slashes * 2 : *p == L'"' ? slashes * 2 + 1 : slashes;
        for (size_t i = 0; i < times && n + 1 < cap; ++i) out[n++] = L'\\';
        if (*p == 0) break;
        if (n + 1 < cap) out[n++] = *p;
    }
    if (n + 1 < cap) out[n++] = L'"';
    out[n] = 0;
}

/* 0 = 64-bit PE, 1 = 32-bit PE, -1 = not a readable PE file. (Whether this Wine
 * really runs 32-bit programs is tools/wine-run's check.) */
static int peKind(const wchar_t* path) {
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return -1;
    unsigned char h[4096];
    DWORD got = 0;
    BOOL ok = ReadFile(f, h, sizeof h, &got, NULL);
    CloseHandle(f);
    if (!ok || got < 64 || h[0] != 'M' || h[1] != 'Z') return -1;
    DWORD pe = h[60] | h[61] << 8 | h[62] << 16 | (DWORD)h[63] << 24;
    if (pe + 6 > got || memcmp(h + pe, "PE\0\0", 4) != 0) return -1;
    unsigned machine = h[pe + 4] | h[pe + 5] << 8;
    return machine == 0x014c ? 1 : 0;
}

static const char* crashName(DWORD code) {
    switch (code) {
    case 0xC0000005: return "access violation";
    case 0xC0000094: return "integer division by zero";
    case 0xC00000FD: return "stack overflow";
    case 0xC000001D: return "illegal instruction";
    case 0xC0000409: return "stack buffer overrun / fast fail";
    case 0xC0000374: return "heap corruption";
    case 0x80000003: return "breakpoint";
    default: return "exception";
    }
}

int wmain(int argc, wchar_t** argv) {
    wchar_t* desktop = NULL;
    int first = 1;
    if (argc > 2 && wcscmp(argv[1], L"--desktop") == 0) {
        desktop = argv[2];
        first = 3;
    }
    if (first >= argc) {
        fwprintf(stderr, L"usage: launch.exe [--desktop NAME,WxH] PROGRAM [ARGS...]\n");
        return 2;
    }
    const wchar_t* program = argv[first];
    const wchar_t* shown = wcsrchr(program, L'\\') ? wcsrchr(program, L'\\') + 1 : program;
    int kind = peKind(program);
    if (kind < 0) {
        fwprintf(stderr, L"wine-run: error: %ls is not a Windows program (or cannot be read)\n", program);
        return 126;
    }

    static wchar_t cmd[32768];
    cmd[0] = 0;
    for (int i = first; i < argc; ++i) appendQuoted(cmd, sizeof cmd / sizeof cmd[0], argv[i]);

    STARTUPINFOW si;
    PROCESS_INFORMATION pi;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    if (desktop) {
        /* A process started on a desktop that is not "Default" gets a virtual
         * desktop of the size registered under that name. */
        wchar_t* comma = wcschr(desktop, L',');
        if (!comma) {
            fwprintf(stderr, L"wine-run: error: --desktop needs NAME,WxH\n");
            return 2;
        }
        *comma = 0;
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, NULL, 0, KEY_SET_VALUE,
                            NULL, &key, NULL) == ERROR_SUCCESS) {
            RegSetValueExW(key, desktop, 0, REG_SZ, (const BYTE*)(comma + 1),
                           (DWORD)((wcslen(comma + 1) + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
        }
        si.lpDesktop = desktop;
    }
    fflush(stdout);
    fflush(stderr);
    /* Where address randomisation stays on (tools/wine/loader.bash), Wine now
     * and then loses a new process while setting it up, before the program
     * starts (ERROR_INTERNAL_ERROR): it is started again; any other refusal, or
     * the same one thrice, is final. */
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(program, cmd, NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) break;
        DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            fwprintf(stderr, L"wine-run: error: cannot start %ls (error %lu)\n", program, error);
            return 126;
        }
        fwprintf(stderr, L"wine-run: note: %ls was lost while starting (error %lu); starting it again\n", shown,
                 error);
        Sleep(500);
    }
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    if (!GetExitCodeProcess(pi.hProcess, &code)) code = 0xFFFFFFFF;
    CloseHandle(pi.hProcess);

    /* Every failure gets a line: ctest's output patterns look for "wine-run: error:". */
    if (code >= 0x80000000u) {
        fwprintf(stderr, L"wine-run: error: %ls CRASHED: %hs, code 0x%08lX\n", shown, crashName(code),
                 (unsigned long)code);
    } else if (code != 0) {
        fwprintf(stderr, L"wine-run: error: %ls exited with status %lu\n", shown, (unsigned long)code);
    }
    return code == 0 ? 0 : code <= 254 ? (int)code : 255;
}
