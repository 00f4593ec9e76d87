#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tavimo {
namespace {

// The languages we ship, as their files are named.
constexpr const char* kShipped[] = {"de", "fr", "es", "pl", "pt_BR", "ru", "it", "cs"};

// "pt-BR" and "pt_BR" name the same language; a shipped one is matched with
// its region first, then by the bare language ("de-AT" takes "de", "pt-PT"
// the Brazilian Portuguese we have).
QString ShippedMatch(const QString& tag) {
    const QString name = QString(tag).replace(u'-', u'_');
    const QString bare = name.section(u'_', 0, 0);
    for (const char* shipped : kShipped) {
        if (name.compare(QLatin1String(shipped), Qt::CaseInsensitive) == 0)
            return QLatin1String(shipped);
    }
    for (const char* shipped : kShipped) {
        const QString shippedBare = QString::fromLatin1(shipped).section(u'_', 0, 0);
        if (bare.compare(shippedBare, Qt::CaseInsensitive) == 0)
            return QLatin1String(shipped);
    }
    return {};
}

}  // namespace

QString ChooseLanguage(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages) {
        const QString bare = QString(tag).replace(u'-', u'_').section(u'_', 0, 0).toLower();
        if (bare == QLatin1String("en") || bare == QLatin1String("c"))
            return {};  // English is what the texts are written in
        const QString match = ShippedMatch(tag);
        if (!match.isEmpty())
            return match;
    }
    return {};
}

bool InstallTranslations(QCoreApplication& app, const QString& language) {
    if (language.isEmpty())
        return false;
    auto* own = new QTranslator(&app);
    if (!own->load(QStringLiteral(":/i18n/tavimo_") + language)) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    // Qt's own texts (buttons, the file dialog); a missing file only leaves
    // those in English.
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_") + language,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    } else {
        delete qt;
    }
    return true;
}

bool InstallDesktopTranslations(QCoreApplication& app) {
    return InstallTranslations(app, ChooseLanguage(QLocale::system().uiLanguages()));
}

}  // namespace tavimo
