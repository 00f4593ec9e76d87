#pragma once

#include <QFont>

#include <cstdint>
#include <string>
#include <vector>

namespace tavimo::platform {

// Message-box flags and results, with the values callers know them by.
constexpr unsigned MB_OK = 0, MB_OKCANCEL = 1, MB_YESNO = 4, MB_ICONHAND = 0x10,
                   MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7;

// One entry of an open-file filter list, e.g. {"Subtitles", "*.srt;*.sub"}.
struct FileFilter {
    std::string description;
    std::string patterns;
};

struct OpenFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string initialDir;
};

// Every dialog the player shows. All calls on the UI thread; strings are UTF-8.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Modal message box; returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // 1: chosen, *path set; 0: cancelled; negative: the dialog failed (code of the failure).
    virtual int GetOpenFileName(const OpenFileRequest& request, std::string* path) = 0;
    // Font and colour (COLORREF 0x00BBGGRR); false when cancelled. `font` in/out.
    virtual bool ChooseFont(QFont& font, uint32_t& colorRef) = 0;
    // One line of text (Open URL). False when cancelled. `text` in/out.
    virtual bool GetText(const std::string& title, const std::string& label, std::string& text) = 0;
    // The system sound for `type` (an MB_ICON* flag).
    virtual void MessageBeep(unsigned type) = 0;
};

}  // namespace tavimo::platform
