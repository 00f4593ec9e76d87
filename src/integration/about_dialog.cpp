#include "integration/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "integration/help_update.h"
#include "platform/desktop.h"
#include "resources/translate.h"

static void InitAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace tavimo {
namespace {

constexpr char kCredits[] =
    "--------------------\r\n"
    "FFmpeg\r\n"
    "GLib\r\n"
    "GoogleTest\r\n"
    "GStreamer\r\n"
    "ImageMagick\r\n"
    "Qt\r\n"
    "shared-mime-info\r\n"
    "uchardet\r\n"
    "x264\r\n"
    "Xvfb\r\n";

}  // namespace

std::string AboutText() {
    return TrArg(TrText("About", "Tavimo build %1"), {std::to_string(kBuildNumber)}) + "\r\n" +
           TrText("About", "A small video player that draws its own subtitles.") + "\r\n" +
           TrText("About", "Built with Qt 6 and GStreamer for Linux.") + "\r\n\r\n" +
           TrText("About", "Thanks to (a-z):") + "\r\n" + kCredits;
}

CAboutDlg::CAboutDlg(platform::Launcher& launcher, QWidget* parent) : QDialog(parent) {
    InitAboutResources();
    setWindowTitle(tr("About Tavimo"));
    auto* banner = new QLabel(this);
    banner->setPixmap(QIcon(QStringLiteral(":/about/banner.svg")).pixmap(QSize(320, 80)));
    banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setPlainText(QString::fromStdString(AboutText()).replace(QStringLiteral("\r\n"), "\n"));
    text_->setMinimumHeight(170);
    address_ = new QPushButton(QString::fromStdString(MakerAddress()), this);
    address_->setAutoDefault(false);
    connect(address_, &QPushButton::clicked, this,
            [&launcher] { launcher.OpenWithDefault(MakerAddress()); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner, 0, Qt::AlignHCenter);
    layout->addWidget(text_);
    layout->addWidget(address_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

void ShowAbout(platform::Launcher& launcher, QWidget* owner) {
    CAboutDlg dialog(launcher, owner);
    dialog.exec();
}

}  // namespace tavimo
