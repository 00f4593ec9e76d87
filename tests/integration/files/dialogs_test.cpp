// The About box and the Enter URL dialog as a person meets them, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
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

TEST(AboutDialogTest, TextLayoutButtonAndEscape) {
    std::vector<std::string> lines;
    std::stringstream text(AboutText());
    for (std::string line; std::getline(text, line);) {
        ASSERT_FALSE(line.empty()) << "every line ends in CR LF";
        EXPECT_EQ(line.back(), '\r');
        lines.push_back(line.substr(0, line.size() - 1));
    }
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], "Tavimo build 30");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Thanks to (a-z):");
    EXPECT_EQ(lines[5], std::string(20, '-'));
    std::vector<QString> names;
    for (size_t i = 6; i < 16; ++i)
        names.push_back(QString::fromStdString(lines[i]));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }));

    RecordingLauncher launcher;
    CAboutDlg dialog(launcher, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "About Tavimo");
    EXPECT_TRUE(dialog.TextBox()->isReadOnly());
    EXPECT_TRUE(dialog.TextBox()->toPlainText().startsWith("Tavimo build 30\n"));
    EXPECT_EQ(dialog.AddressButton()->text(), "https://www.example.org");
    QTest::mouseClick(dialog.AddressButton(), Qt::LeftButton);
    EXPECT_EQ(launcher.opened, std::vector<std::string>{"https://www.example.org"});
    EXPECT_TRUE(dialog.isVisible()) << "the box stays open";
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(OpenUrlDialogTest, TextAsTypedUpTo519AndTheButtons) {
    const struct {
        const char* name;
        QString typed;
        bool ok;
        std::string text;
        QDialog::DialogCode result;
    } rows[] = {
        {"blanks stay", "  rtsp://cam/live ", true, "  rtsp://cam/live ", QDialog::Accepted},
        {"empty", "", true, "", QDialog::Accepted},
        {"too long", QString(600, 'u'), true, std::string(519, 'u'), QDialog::Accepted},
        {"cancel", "http://x", false, "http://x", QDialog::Rejected},
    };
    for (const auto& row : rows) {
        COpenURL dialog(nullptr);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), "Enter URL") << row.name;
        QTest::keyClicks(dialog.Edit(), row.typed);
        QTest::keyClick(dialog.Edit(), row.ok ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), row.result) << row.name;
        EXPECT_EQ(dialog.Text(), row.text) << row.name;
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
