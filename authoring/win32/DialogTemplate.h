// Dialog templates built in memory, for the few small dialogs of the output
// units (missing files, delete tool, install name): the program needs no
// resource script for them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class DialogTemplate {
public:
    // Dialog units; DS_SETFONT is added for the face.
    DialogTemplate(const char* caption, DWORD style, short width, short height, const char* face = "MS Shell Dlg",
                   WORD pointSize = 8);
    // className: "BUTTON", "EDIT", "STATIC", "LISTBOX" or a registered class name.
    DialogTemplate& add(const char* className, const char* text, WORD id, DWORD style, short x, short y, short cx,
                        short cy, DWORD exStyle = 0);
    const DLGTEMPLATE* get();

private:
    void word(WORD w) { data_.push_back(w); }
    void text(const char* s);
    void align() {
        if (data_.size() % 2) data_.push_back(0);
    }
    std::vector<WORD> data_;
    size_t countAt_ = 0;
};
