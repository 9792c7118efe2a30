#include "authoring/win32/DialogTemplate.h"

#include <cstring>

DialogTemplate::DialogTemplate(const char* caption, DWORD style, short width, short height, const char* face,
                               WORD pointSize) {
    style |= DS_SETFONT;
    word(LOWORD(style));
    word(HIWORD(style));
    word(0);   // extended style
    word(0);
    countAt_ = data_.size();
    word(0);   // item count
    word(0);   // x, y
    word(0);
    word(static_cast<WORD>(width));
    word(static_cast<WORD>(height));
    word(0);   // no menu
    word(0);   // the standard class
    text(caption);
    word(pointSize);
    text(face);
}

void DialogTemplate::text(const char* s) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, s ? s : "", -1, wide, 511);
    for (const wchar_t* p = wide; *p; ++p) word(static_cast<WORD>(*p));
    word(0);
}

DialogTemplate& DialogTemplate::add(const char* className, const char* label, WORD id, DWORD style, short x, short y,
                                    short cx, short cy, DWORD exStyle) {
    // Each item starts on a DWORD boundary.
    while (data_.size() % 2) word(0);
    style |= WS_CHILD | WS_VISIBLE;
    word(LOWORD(style));
    word(HIWORD(style));
    word(LOWORD(exStyle));
    word(HIWORD(exStyle));
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(cx));
    word(static_cast<WORD>(cy));
    word(id);
    static const struct {
        const char* name;
        WORD atom;
    } atoms[] = {{"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"COMBOBOX", 0x85}};
    bool done = false;
    for (const auto& a : atoms)
        if (!done && std::strcmp(className, a.name) == 0) {
            word(0xFFFF);
            word(a.atom);
            done = true;
        }
    if (!done) text(className);
    text(label);
    word(0);   // no creation data
    ++data_[countAt_];
    return *this;
}

const DLGTEMPLATE* DialogTemplate::get() {
    align();
    return reinterpret_cast<const DLGTEMPLATE*>(data_.data());
}
