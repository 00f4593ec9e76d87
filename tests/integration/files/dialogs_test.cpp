// The About box and the Enter URL dialog, offscreen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "integration/about_dialog.h"
#include "integration/open_url_dialog.h"
#include "platform/desktop.h"

namespace tavimo {
namespace {

struct RecordingLauncher : platform::Launcher {
    std::vector<std::string> opened;
    void OpenWithDefault(const std::string& uri) override { opened.push_back(uri); }
};

// Title, Escape and typing a URL are driven end to end; here the text as shown,
// the address button and the URL's length limit.
TEST(AboutDialogTest, TextAndAddressButton) {
    RecordingLauncher launcher;
    CAboutDlg dialog(launcher, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.TextBox()->isReadOnly());
    const QString text = dialog.TextBox()->toPlainText();
    EXPECT_TRUE(text.startsWith("Tavimo build 30\nA small video player")) << text.toStdString();
    EXPECT_EQ(dialog.AddressButton()->text(), "https://www.example.org");
    QTest::mouseClick(dialog.AddressButton(), Qt::LeftButton);
    EXPECT_EQ(launcher.opened, std::vector<std::string>{"https://www.example.org"});
    EXPECT_TRUE(dialog.isVisible()) << "the box stays open";
}

TEST(OpenUrlDialogTest, TextAsTypedUpTo519Characters) {
    const std::pair<QString, std::string> rows[] = {
        {"  rtsp://cam/live ", "  rtsp://cam/live "},
        {QString(600, 'u'), std::string(519, 'u')},
    };
    for (const auto& [typed, text] : rows) {
        COpenURL dialog(nullptr);
        dialog.show();
        QTest::keyClicks(dialog.Edit(), typed);
        QTest::keyClick(dialog.Edit(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Text(), text);
    }
}

}  // namespace
}  // namespace tavimo
