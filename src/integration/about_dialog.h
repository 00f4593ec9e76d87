// The About box: a banner, the build and the credits, a button with the
// maker's web address that opens it, and OK.
#pragma once

#include <string>

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tavimo {

namespace platform {
class Launcher;
}

// "Tavimo build 30" and the credits block, each line ended by CR LF.
std::string AboutText();

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    // `launcher` opens the maker's address; it must outlive the dialog.
    CAboutDlg(platform::Launcher& launcher, QWidget* parent);

    QPlainTextEdit* TextBox() const { return text_; }
    QPushButton* AddressButton() const { return address_; }

  private:
    QPlainTextEdit* text_ = nullptr;
    QPushButton* address_ = nullptr;
};

// Runs the About box modally over `owner`. UI thread.
void ShowAbout(platform::Launcher& launcher, QWidget* owner);

}  // namespace tavimo
