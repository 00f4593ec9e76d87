// The user's language: Tavimo's own translation (embedded under :/i18n) and
// Qt's (qtbase_<lang>.qm, for the file dialog and the box buttons), chosen
// from the desktop's list of languages.
#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace tavimo {

// The language Tavimo shows for the desktop's preference list `uiLanguages`
// (as QLocale::uiLanguages gives it, e.g. {"de-DE", "en-US"}): the first one
// we ship, "pt_BR"-style; empty for English, which also wins when it comes
// first. Any thread.
QString ChooseLanguage(const QStringList& uiLanguages);

// Installs the translators for `language` (ChooseLanguage's answer) on the
// application; they live as long as it does. Returns false, and leaves the
// texts in English, when our translation for it cannot be loaded. UI thread,
// after the application object exists and before any window is made.
bool InstallTranslations(QCoreApplication& app, const QString& language);

// Both of the above for the desktop's languages (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG). UI thread.
bool InstallDesktopTranslations(QCoreApplication& app);

}  // namespace tavimo
