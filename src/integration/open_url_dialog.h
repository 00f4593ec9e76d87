// Open URL: one line of at most 519 characters; OK plays the text exactly as
// typed, an empty text asks for a file, Cancel does nothing.
#pragma once

#include <optional>
#include <string>

#include <QDialog>

class QLineEdit;

namespace tavimo {

class COpenURL : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxLength = 519;
    explicit COpenURL(QWidget* parent);
    QLineEdit* Edit() const { return edit_; }
    std::string Text() const;

  private:
    QLineEdit* edit_ = nullptr;
};

// Runs the dialog modally over `owner`: the text on OK, nothing on Cancel. UI thread.
std::optional<std::string> AskForUrl(QWidget* owner);

}  // namespace tavimo
