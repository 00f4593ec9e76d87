#include "integration/integration_commands.h"

#include <QFile>

#include "engine/player_record.h"
#include "integration/about_dialog.h"
#include "integration/file_type_access.h"
#include "integration/folder_navigation.h"
#include "integration/help_update.h"
#include "integration/open_url_dialog.h"
#include "platform/desktop.h"
#include "platform/paths.h"

namespace tavimo::commands {

void NextFile(PlayerRecord& record) {
    tavimo::NextFile(record, platform::DesktopAssociations(), platform::SelfExePath());
}

void PreviousFile(PlayerRecord& record) {
    tavimo::PreviousFile(record, platform::DesktopAssociations(), platform::SelfExePath());
}

void RegisterFileType(const std::string& clipPath, platform::Dialogs& dialogs) {
    QFile icon(QStringLiteral(":/icons/tavimo.svg"));
    const QByteArray svg = icon.open(QIODevice::ReadOnly) ? icon.readAll() : QByteArray();
    const FileTypeContext context{platform::DesktopAssociations(), UserDataHome(),
                                  platform::SelfExePath(), svg.toStdString()};
    tavimo::RegisterFileType(clipPath, context, dialogs);
}

void ShowAbout(QWidget* owner) {
    tavimo::ShowAbout(platform::DesktopLauncher(), owner);
}

void OpenUrl(PlayerRecord& record, QWidget* owner) {
    if (auto text = AskForUrl(owner)) {
        record.ClipPath = *text;
        record.OpenClip();
    }
}

void ShowHelp() {
    tavimo::ShowHelp(platform::DesktopLauncher());
}

void CheckForUpdate() {
    tavimo::CheckForUpdate(platform::DesktopLauncher());
}

}  // namespace tavimo::commands
