#include "authoring/win32/HyperLink.h"

#include <shellapi.h>

#include <cstring>
#include <new>

#include "authoring/WizardRules.h"
#include "engine/MakerInfo.h"

namespace {

constexpr UINT_PTR kHoverTimer = 1000;
constexpr const char kMakerMail[] = "support@vantrelle.example";

HyperLink* webLink = nullptr;
HyperLink* mailLink = nullptr;

// The few Simple MAPI records the mail link hands over (the platform's layout).
struct MapiRecipient {
    ULONG reserved, recipientClass;
    LPSTR name, address;
    ULONG entryIdSize;
    LPVOID entryId;
};
struct MapiMessage {
    ULONG reserved;
    LPSTR subject, noteText, messageType, dateReceived, conversationId;
    ULONG flags;
    MapiRecipient* originator;
    ULONG recipientCount;
    MapiRecipient* recipients;
    ULONG fileCount;
    LPVOID files;
};
using MapiSendMail = ULONG(WINAPI*)(ULONG_PTR, ULONG_PTR, MapiMessage*, ULONG, ULONG);
constexpr ULONG kMapiTo = 1;
constexpr ULONG kMapiLogonUiDialog = 0x1 | 0x8;

void copyText(char* to, size_t size, const char* from) {
    std::strncpy(to, from, size - 1);
    to[size - 1] = 0;
}

}  // namespace

HyperLink::~HyperLink() {
    if (cursorLibrary) FreeLibrary(cursorLibrary);
    if (previousFont) {
        HDC desktop = GetDC(nullptr);
        SelectObject(desktop, previousFont);
        ReleaseDC(nullptr, desktop);
    }
    if (font) DeleteObject(font);
}

int windowsVersionClass() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version)) return 0;
#pragma GCC diagnostic pop
    return windowsVersionClass(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

void createHyperLink(HyperLink* link, HWND parent, const char* target, const char* text, COLORREF normalColour,
                     COLORREF visitedColour, COLORREF hoverColour, const char* faceName, int pointSize, int weight,
                     unsigned styleBits, int x, int y) {
    if (!link || !parent || !target) return;
    link->parent = parent;
    copyText(link->target, sizeof link->target, target);
    copyText(link->text, sizeof link->text, text && *text ? text : target);
    if (normalColour) link->normalColour = normalColour;
    if (visitedColour) link->visitedColour = visitedColour;
    if (hoverColour) link->hoverColour = hoverColour;
    if (faceName && *faceName) copyText(link->faceName, sizeof link->faceName, faceName);

    HDC desktop = GetDC(nullptr);
    LinkFont shape = linkFont(GetDeviceCaps(desktop, LOGPIXELSY), pointSize, weight, styleBits);
    link->pointSize = pointSize < 1 ? 8 : pointSize;
    link->weight = shape.weight;
    link->styleBits = (shape.italic ? 1 : 0) | (shape.underline ? 2 : 0) | (shape.strikeOut ? 4 : 0);
    link->font = CreateFontA(shape.height, 0, 0, 0, shape.weight, shape.italic, shape.underline, shape.strikeOut,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                             VARIABLE_PITCH | FF_SWISS, link->faceName);
    link->previousFont = static_cast<HFONT>(SelectObject(desktop, link->font));
    SIZE extent = {};
    GetTextExtentPoint32A(desktop, link->text, static_cast<int>(std::strlen(link->text)), &extent);
    // The desktop's DC goes back as it was; the destructor has nothing more to restore.
    SelectObject(desktop, link->previousFont);
    link->previousFont = nullptr;
    ReleaseDC(nullptr, desktop);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA type = {};
    type.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    type.lpfnWndProc = hyperLinkWndProc;
    type.hInstance = instance;
    type.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
    type.lpszClassName = "HyperLinkWnd";
    if (windowsVersionClass() == 2) {
        char path[MAX_PATH] = {};
        GetWindowsDirectoryA(path, MAX_PATH - 16);
        lstrcatA(path, "\\winhlp32.exe");
        link->cursorLibrary = LoadLibraryA(path);
        if (link->cursorLibrary) type.hCursor = LoadCursorA(link->cursorLibrary, MAKEINTRESOURCEA(106));
    }
    if (!type.hCursor) type.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));   // IDC_HAND
    RegisterClassA(&type);   // already registered by the first link: that is fine

    link->window = CreateWindowExA(0, "HyperLinkWnd", nullptr, WS_CHILD | WS_VISIBLE, x, y, extent.cx, extent.cy,
                                   parent, nullptr, instance, link);
    if (!link->window) {
        MessageBoxA(parent, "Error Creating HyperLink Window", "", MB_OK);
        return;
    }
    ShowWindow(link->window, SW_SHOW);
    UpdateWindow(link->window);
}

LRESULT CALLBACK hyperLinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* link = reinterpret_cast<HyperLink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (link) {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, link->hovering ? link->hoverColour : link->visited ? link->visitedColour : link->normalColour);
            HGDIOBJ old = SelectObject(dc, link->font);
            RECT client = {};
            GetClientRect(window, &client);
            DrawTextA(dc, link->text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SelectObject(dc, old);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (link && !link->hovering) {
            link->hovering = 1;
            SetTimer(window, kHoverTimer, 100, nullptr);
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    case WM_TIMER: {
        if (!link || wParam != kHoverTimer) return 0;
        POINT at = {};
        GetCursorPos(&at);
        ScreenToClient(window, &at);
        RECT client = {};
        GetClientRect(window, &client);
        if (!PtInRect(&client, at)) {
            link->hovering = 0;
            KillTimer(window, kHoverTimer);
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (!link) return 0;
        link->visited = 1;
        if (isMailTarget(link->target)) {
            sendMapiMail(link);
        } else if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", link->target, nullptr, nullptr,
                                                           SW_SHOWNORMAL)) <= 32) {
            MessageBoxA(link->parent, "Error Opening the Browser", "Error", MB_ICONERROR);
        }
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool sendMapiMail(HyperLink* link) {
    HMODULE mapi = LoadLibraryA("MAPI32.DLL");
    if (!mapi) return false;
    auto send = reinterpret_cast<MapiSendMail>(reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")));
    bool sent = false;
    if (send) {
        MapiRecipient to = {};
        to.recipientClass = kMapiTo;
        to.name = link->text;
        to.address = link->target;
        MapiMessage mail = {};
        mail.recipientCount = 1;
        mail.recipients = &to;
        sent = send(0, reinterpret_cast<ULONG_PTR>(link->parent), &mail, kMapiLogonUiDialog, 0) == 0;
    }
    FreeLibrary(mapi);
    return sent;
}

void createWebLink(HWND dialog) {
    webLink = new (std::nothrow) HyperLink;
    if (webLink)
        createHyperLink(webLink, dialog, kMakerWebAddress, kMakerWebAddress, 0, 0, 0, "Verdana", 10, 400, 2, 130,
                        187);
}

void createMailLink(HWND dialog) {
    mailLink = new (std::nothrow) HyperLink;
    char target[64] = "mailto:";
    lstrcatA(target, kMakerMail);
    if (mailLink) createHyperLink(mailLink, dialog, target, kMakerMail, 0, 0, 0, "Verdana", 10, 400, 2, 167, 146);
}

void deleteWebLink() {
    delete webLink;
    webLink = nullptr;
}

void deleteMailLink() {
    delete mailLink;
    mailLink = nullptr;
}
