// The language as the desktop gives it: this program runs with LANGUAGE=de:fr
// (and LANG=C.UTF-8), so German menus and boxes are expected, and the
// program's --help follows the same variables.
#include <gtest/gtest.h>

#include <QProcess>

#include "app/translations.h"
#include "frame_texts.h"
#include "resources/command_ids.h"

namespace tavimo {
namespace {

TEST(DesktopLanguage, GermanDesktopGetsGermanMenusAndBoxes) {
    ASSERT_EQ(qgetenv("LANGUAGE"), "de:fr");
    ASSERT_TRUE(InstallDesktopTranslations(*qApp));
    TestFrame f;
    QStringList bar;
    for (const QAction* popup : f.frame->menuBar()->actions())
        bar << popup->text();
    EXPECT_EQ(bar, QStringList({"&Datei", "Wiedergabe", "&Filter", "&Ansicht", "&Hilfe"}));
    f.frame->Record().ClipPath = "/nonexistent/clip.mkv";
    f.frame->OnCommand(ID_DELETE_FILE);
    ASSERT_FALSE(f.dialogs->calls.empty());
    EXPECT_EQ(f.dialogs->calls.back().text,
              "\u201e/nonexistent/clip.mkv\u201c in den Papierkorb verschieben?");
    RemoveTranslators();
}

// The first line of `tavimo --help` with LANGUAGE set to `languages`.
QString HelpFirstLine(const QString& languages) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LANGUAGE", languages);
    env.insert("G_DEBUG", "fatal-criticals");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TAVIMO_BUILD_DIR "/tavimo"), {"--help"});
    if (!program.waitForFinished(10000))  // a hang detector, not a time limit
        return "(no answer)";
    return QString::fromUtf8(program.readAllStandardOutput()).section('\n', 0, 0);
}

TEST(DesktopLanguage, HelpFollowsTheLanguage) {
    const struct {
        const char* name;
        QString languages;
        QString expected;
    } rows[] = {
        {"German", "de", "Aufruf: tavimo [DATEI-ODER-URL]"},
        {"Russian", "ru_RU",
         "\u0418\u0441\u043f\u043e\u043b\u044c\u0437\u043e\u0432\u0430\u043d"
         "\u0438\u0435: tavimo [\u0424\u0410\u0419\u041b-\u0418\u041b\u0418-URL]"},
        {"English before German", "en_GB:de", "Usage: tavimo [FILE-OR-URL]"},
        {"no language shipped", "ja", "Usage: tavimo [FILE-OR-URL]"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HelpFirstLine(row.languages), row.expected) << row.name;
}

}  // namespace
}  // namespace tavimo
