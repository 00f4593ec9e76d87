// The frame's Files and Help commands with the desktop's own services
// (GIO's associations and launcher, Qt's dialogs) plugged in. UI thread.
#pragma once

#include <string>

class QWidget;

namespace tavimo {

class PlayerRecord;
namespace platform {
class Dialogs;
}

namespace commands {

void NextFile(PlayerRecord& record);
void PreviousFile(PlayerRecord& record);
void RegisterFileType(const std::string& clipPath, platform::Dialogs& dialogs);
void ShowAbout(QWidget* owner);
// OK sets `ClipPath` to the text as typed and opens it; Cancel does nothing.
void OpenUrl(PlayerRecord& record, QWidget* owner);
void ShowHelp();
void CheckForUpdate();

}  // namespace commands
}  // namespace tavimo
