// The shipped translations as translators leave them in the .ts files: each
// file is what lupdate makes of the sources now, translates every text the
// sources use, and keeps each text's placeholders, menu accelerator and
// shortcut column.
#include <gtest/gtest.h>

#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace tavimo {
namespace {

const QString kTsDir = QStringLiteral(TAVIMO_SOURCE_DIR "/src/resources/translations");
const char kUpdate[] = "cmake --build build --target update_translations";

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;  // "", "unfinished", or "vanished"/"obsolete" for a text the sources dropped
    bool InUse() const { return type != "vanished" && type != "obsolete"; }
};

// The messages of the .ts file at `path`, in file order; `error` says why
// when the file cannot be read. Any thread.
std::vector<Message> ReadTs(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    std::vector<Message> messages;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.push_back({context, {}, {}, {}});
        } else if (xml.name() == u"source" && !messages.empty()) {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.empty()) {
            messages.back().type = xml.attributes().value("type").toString();
            messages.back().translation =
                xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    if (xml.hasError())
        *error = xml.errorString() + " at line " + QString::number(xml.lineNumber());
    return messages;
}

// The placeholders of `text`: Qt's %1..%99 sorted (a translation may reorder
// them), then printf's %s, %d, %x... in order (it may not).
QStringList Placeholders(const QString& text) {
    static const QRegularExpression marker(
        R"(%%|%L?[1-9]\d?|%[-+#0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z|j|t|L)?[diouxXeEfgGcsp])");
    QStringList numbered;
    QStringList printf;
    for (const QRegularExpressionMatch& m : marker.globalMatch(text)) {
        const QString found = m.captured();
        if (found == "%%")
            continue;
        (found.back().isDigit() ? numbered : printf) << found;
    }
    numbered.sort();
    return numbered + printf;
}

qsizetype Accelerators(const QString& text) {
    return QString(text).remove("&&").count(u'&');
}

// What is wrong with the translation of a text still in use, empty if nothing.
QString Problem(const Message& m) {
    if (m.type == "unfinished" || m.translation.isEmpty())
        return "not translated";
    const QStringList kept = Placeholders(m.translation);
    if (Placeholders(m.source) != kept)
        return "placeholders " + Placeholders(m.source).join(' ') + " became " +
               (kept.isEmpty() ? "none" : kept.join(' '));
    if (Accelerators(m.source) != Accelerators(m.translation))
        return QString("%1 accelerator(s) (&) where the source has %2")
            .arg(Accelerators(m.translation))
            .arg(Accelerators(m.source));
    if (m.source.contains('\t') != m.translation.contains('\t'))
        return "the shortcut after the tab is lost or added";
    return {};
}

QString Quoted(const Message& m) {
    return m.context + " \"" + QString(m.source).replace('\n', "\\n").replace('\t', "\\t") + '"';
}

QStringList ShippedTsFiles() {
    QStringList paths;
    for (const QString& name : QDir(kTsDir).entryList({"tavimo_*.ts"}, QDir::Files))
        paths << kTsDir + '/' + name;
    return paths;
}

// The checker itself, one row for each way it can find a text broken.
TEST(TranslationProblem, CatchesWhatATranslatorCanBreak) {
    const struct {
        const char* name;
        Message message;
        bool broken;
    } rows[] = {
        {"fine", {"Menu", "&Open Video...\tCtrl+O", "&Video öffnen …\tStrg+O", ""}, false},
        {"not yet translated", {"Notes", "Loop off", "", "unfinished"}, true},
        {"marked unfinished", {"Notes", "Loop off", "Schleife aus", "unfinished"}, true},
        {"placeholders reordered", {"Notes", "Chapter %1/%2", "%2 : %1", ""}, false},
        {"placeholder lost", {"Boxes", "cannot write %1: %2", "Schreibfehler: %2", ""}, true},
        {"percent sign after a placeholder",
         {"Notes", "Sync %1%", "%1 % des Abgleichs", ""},
         false},
        {"printf placeholders swapped", {"Boxes", "%s: %d", "%d: %s", ""}, true},
        {"literal percent", {"Notes", "100%% done", "fertig", ""}, false},
        {"accelerator dropped", {"Menu", "&File", "Datei", ""}, true},
        {"escaped ampersand is no accelerator",
         {"Menu", "Q && A", "Fragen und Antworten", ""},
         false},
        {"shortcut column dropped", {"Menu", "Pause\tSPACE", "Pause", ""}, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(!Problem(row.message).isEmpty(), row.broken)
            << row.name << ": " << Problem(row.message).toStdString();
}

TEST(ShippedTsFiles, EveryTextTranslatedKeepingItsMarkers) {
    const QStringList paths = ShippedTsFiles();
    ASSERT_GE(paths.size(), 8);
    for (const QString& path : paths) {
        QString error;
        const std::vector<Message> messages = ReadTs(path, &error);
        ASSERT_TRUE(error.isEmpty()) << path.toStdString() << ": " << error.toStdString();
        QStringList problems;
        for (const Message& m : messages) {
            const QString problem = m.InUse() ? Problem(m) : QString();
            if (!problem.isEmpty())
                problems << Quoted(m) + ": " + problem;
        }
        if (!problems.isEmpty())
            ADD_FAILURE() << path.toStdString() << " (open it in Qt Linguist):\n"
                          << problems.join('\n').toStdString();
        EXPECT_GE(messages.size(), 150u) << path.toStdString();  // read whole
    }
}

TEST(ShippedTsFiles, AreWhatLupdateMakesOfTheSources) {
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QStringList args = QString(TAVIMO_LUPDATE_OPTIONS).split(' ', Qt::SkipEmptyParts);
    args << "@" TAVIMO_TR_LIST << "-ts";
    const QStringList paths = ShippedTsFiles();
    for (const QString& path : paths) {
        const QString copy = work.filePath(QFileInfo(path).fileName());
        ASSERT_TRUE(QFile::copy(path, copy)) << copy.toStdString();
        args << copy;
    }
    QProcess lupdate;
    lupdate.start(TAVIMO_LUPDATE, args);
    ASSERT_TRUE(lupdate.waitForFinished(120000));  // a hang detector, not a time limit
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    QStringList behind;
    for (const QString& path : paths) {
        QFile shipped(path), updated(work.filePath(QFileInfo(path).fileName()));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly) && updated.open(QIODevice::ReadOnly));
        if (shipped.readAll() != updated.readAll())
            behind << QFileInfo(path).fileName();
    }
    EXPECT_TRUE(behind.isEmpty()) << behind.join(' ').toStdString() << " behind the sources; run `"
                                  << kUpdate
                                  << "` (lupdate), then translate the new texts in Qt Linguist";
}

}  // namespace
}  // namespace tavimo
