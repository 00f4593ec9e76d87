#include "integration/open_url_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavimo {

COpenURL::COpenURL(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Enter URL"));
    edit_ = new QLineEdit(this);
    edit_->setMaxLength(kMaxLength);
    edit_->setMinimumWidth(440);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::string COpenURL::Text() const {
    return edit_->text().toStdString();
}

std::optional<std::string> AskForUrl(QWidget* owner) {
    COpenURL dialog(owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Text();
}

}  // namespace tavimo
