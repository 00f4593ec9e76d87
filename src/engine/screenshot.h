// Shift+S: the picture on screen, as the renderer received it (the clip's
// own size, the subtitle burnt in), saved as a PNG in the user's pictures
// folder, "Tavimo" inside. The conversion and the writing run on a worker;
// the window never waits for them.
#pragma once

#include <QObject>
#include <QThreadPool>

#include <memory>
#include <string>

#include "engine/media/media.h"

namespace tavimo {

class PlayerRecord;
namespace platform {
class Dialogs;
}

// Where screenshots go: the pictures folder of xdg-user-dirs (~/Pictures
// when none is set; the home folder when it is set to the home folder, as
// xdg-user-dirs marks a folder the user does not want), "Tavimo" inside.
// Any thread.
std::string ScreenshotFolder();

class ScreenshotSaver : public QObject {
    Q_OBJECT
  public:
    // Reads `record`'s clip and shows its note; boxes through `dialogs`.
    // Both not owned, outliving the saver. UI thread.
    ScreenshotSaver(PlayerRecord& record, platform::Dialogs& dialogs, QObject* parent = nullptr);
    // Waits for a save under way. UI thread.
    ~ScreenshotSaver() override;

    // Takes the frame shown now and returns; the note "Saved <file name>"
    // or a box naming the folder and why follows. Without a picture only a
    // beep. UI thread.
    void Save();

  signals:
    // A save ended: the file written, or empty after the box. UI thread.
    void finished(const QString& path);

  private:
    struct Outcome {
        std::string path;    // written, when not empty
        std::string folder;  // otherwise: where it failed
        std::string reason;  // and why
    };
    // Worker: converts, makes the folder and writes a name not yet taken.
    static Outcome Write(std::shared_ptr<ICurrentImage> image, std::string clipPath,
                         int64_t position);
    void Report(const Outcome& outcome);

    PlayerRecord& record_;
    platform::Dialogs& dialogs_;
    QThreadPool pool_;
};

}  // namespace tavimo
