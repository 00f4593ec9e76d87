// The About box and the Enter URL dialog, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <sstream>
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

// Title, Escape and typing a URL are driven end to end; here the text's form, the address
// button and the URL's length limit.
TEST(AboutDialogTest, TextAndAddressButton) {
    std::vector<std::string> lines;
    std::stringstream text(AboutText());
    for (std::string line; std::getline(text, line);) {
        ASSERT_TRUE(!line.empty() && line.back() == '\r') << "every line ends in CR LF";
        lines.push_back(line.substr(0, line.size() - 1));
    }
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], "Tavimo build 30");
    EXPECT_EQ(lines[3] + "|" + lines[4] + "|" + lines[5],
              "|Thanks to (a-z):|" + std::string(20, '-'));
    for (size_t i = 7; i < 16; ++i)
        EXPECT_LT(
            QString::fromStdString(lines[i - 1]).compare(lines[i].c_str(), Qt::CaseInsensitive), 0);

    RecordingLauncher launcher;
    CAboutDlg dialog(launcher, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.TextBox()->isReadOnly());
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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
