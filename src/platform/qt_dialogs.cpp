#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace tavimo::platform {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Button sets and icons, by the low and high nibble of the flags.
struct ButtonRow {
    unsigned type;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};
constexpr ButtonRow kButtonRows[] = {
    {MB_OK, QMessageBox::Ok, QMessageBox::Ok},
    {MB_OKCANCEL, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok},
    {MB_YESNO, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
};
struct IconRow {
    unsigned icon;
    QMessageBox::Icon qtIcon;
};
constexpr IconRow kIconRows[] = {
    {MB_ICONHAND, QMessageBox::Critical},
    {MB_ICONQUESTION, QMessageBox::Question},
    {MB_ICONEXCLAMATION, QMessageBox::Warning},
    {MB_ICONINFORMATION, QMessageBox::Information},
};
struct ResultRow {
    QMessageBox::StandardButton button;
    int result;
};
constexpr ResultRow kResultRows[] = {
    {QMessageBox::Ok, IDOK},
    {QMessageBox::Cancel, IDCANCEL},
    {QMessageBox::Yes, IDYES},
    {QMessageBox::No, IDNO},
};

// {"Subtitles", "*.srt;*.sub"} becomes "Subtitles (*.srt *.sub)"; "*.*" means every file.
QString FilterText(const FileFilter& filter) {
    QStringList patterns = Q(filter.patterns).split(u';', Qt::SkipEmptyParts);
    for (QString& p : patterns) {
        p = p.trimmed();
        if (p == QLatin1String("*.*"))
            p = QStringLiteral("*");
    }
    return Q(filter.description) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

QColor FromColorRef(uint32_t c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
uint32_t ToColorRef(const QColor& c) {
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

void PaintSwatch(QPushButton* button, const QColor& color) {
    QPixmap swatch(32, 14);
    swatch.fill(color);
    button->setIcon(QIcon(swatch));
    button->setIconSize(swatch.size());
}

class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    int GetOpenFileName(const OpenFileRequest& request, std::string* path) override;
    bool ChooseFont(QFont& font, uint32_t& colorRef) override;
    bool GetText(const std::string& title, const std::string& label, std::string& text) override;
    void MessageBeep(unsigned) override { QApplication::beep(); }

  private:
    QPointer<QWidget> parent_;
};

int QtDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    QMessageBox box(parent_);
    box.setWindowTitle(Q(caption));
    // Plain, as a message box's text always is: a path such as "<b>x.mp4"
    // would otherwise be taken for markup and shown as another name.
    box.setTextFormat(Qt::PlainText);
    box.setText(Q(text));
    const ButtonRow* buttons = &kButtonRows[0];
    for (const ButtonRow& row : kButtonRows)
        if (row.type == (flags & 0x0F))
            buttons = &row;
    box.setStandardButtons(buttons->buttons);
    box.setDefaultButton(buttons->defaultButton);
    for (const IconRow& row : kIconRows)
        if (row.icon == (flags & 0xF0))
            box.setIcon(row.qtIcon);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const ResultRow& row : kResultRows)
        if (row.button == pressed)
            return row.result;
    // Closed with Escape or the window's close button.
    return (flags & 0x0F) == MB_YESNO ? IDNO : (flags & 0x0F) == MB_OK ? IDOK : IDCANCEL;
}

int QtDialogs::GetOpenFileName(const OpenFileRequest& request, std::string* path) {
    QStringList filters;
    for (const FileFilter& f : request.filters)
        filters << FilterText(f);
    QFileDialog dialog(parent_, Q(request.title), Q(request.initialDir));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 0;
    if (path)
        *path = dialog.selectedFiles().first().toStdString();
    return 1;
}

// Qt's font dialog, embedded, with a colour button below it: one dialog for both choices.
bool QtDialogs::ChooseFont(QFont& font, uint32_t& colorRef) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(QCoreApplication::translate("Dialogs", "Font"));
    auto* fonts = new QFontDialog(font, &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    QColor color = FromColorRef(colorRef);
    auto* colorButton =
        new QPushButton(QCoreApplication::translate("Dialogs", "&Color..."), &dialog);
    PaintSwatch(colorButton, color);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen =
            QColorDialog::getColor(color, &dialog, QCoreApplication::translate("Dialogs", "Color"));
        if (chosen.isValid())
            color = chosen;
        PaintSwatch(colorButton, color);
    });
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(colorButton);
    row->addStretch();
    row->addWidget(box);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(row);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = fonts->currentFont();
    colorRef = ToColorRef(color);
    return true;
}

bool QtDialogs::GetText(const std::string& title, const std::string& label, std::string& text) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent_, Q(title), Q(label), QLineEdit::Normal, Q(text), &ok);
    if (ok)
        text = answer.toStdString();
    return ok;
}

}  // namespace

std::unique_ptr<Dialogs> MakeQtDialogs(QWidget* parent) {
    return std::make_unique<QtDialogs>(parent);
}

}  // namespace tavimo::platform
