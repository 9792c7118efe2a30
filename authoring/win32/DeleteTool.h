// The delete tool (menu command 40047): a modeless dialog listing the savers
// this program installed in the Windows folder (known by the company name in
// their version block), to delete one with its 19 registry values, try it as
// the system's saver, or open its settings dialog. Its dialog template is
// built in memory.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

enum : int {
    kIdDeleteStatus = 1145,
    kIdDeleteHelpText = 1146,
    kIdDeleteList = 1148,
    kIdDeleteButton = 1149,
    kIdPreviewButton = 1150,
    kIdConfigureButton = 1151,
    kIdHelpButton = 1153,
};

inline constexpr const char* kSaverCompanyName = "Vantrelle Co.,Ltd.";

// The list-view wrapper of the tool (one, program-wide).
class SaverListView {
public:
    void attach(HWND list);
    void addColumn(int column, const char* title, int width);
    void setImageList(const int* iconIds, int count);
    void insertRow(int row, const char* text);
    void setCellText(int column, int row, const char* text);
    std::string getCellText(int row, int column) const;   // at most 100 characters
    HWND window() const { return list_; }
    ~SaverListView();

private:
    HWND list_ = nullptr;
    HIMAGELIST images_ = nullptr;
};

// Opens the tool over owner; the dialog destroys itself on OK or close.
HWND openDeleteTool(HWND owner);
INT_PTR CALLBACK deleteToolDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void initDeleteTool(HWND dialog);
void fillSaverList(HWND dialog);
void deleteSelectedSaver(HWND dialog);
void previewSelectedSaver(HWND dialog);
void configureSelectedSaver(HWND dialog);
void toggleDeleteHelp(HWND dialog);
void showDeleteHelp(HWND dialog);

// The first translation's CompanyName of the version block; false without one.
bool readCompanyName(const char* path, std::string& name, std::string& languageName);
bool deleteSaverFile(HWND dialog, const char* path);
// Removes the saver's 19 option values ("My Saver.scr" or "My Saver").
void deleteSaverOptions(const char* fileName);

// The folder the tool lists (the Windows folder unless set), and extra shell
// flags for the delete (a test answers the shell's question in advance).
void setDeleteToolFolder(const std::string& folder);
void setDeleteToolShellFlags(WORD flags);
