#include "engine/screenshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/player_record.h"
#include "engine/screenshot_name.h"
#include "platform/dialogs.h"
#include "platform/queued_call.h"
#include "resources/translate.h"

namespace tavimo {
namespace {

// A clash takes " (2)" and so on; past this many the folder is reported full.
constexpr int kMostAttempts = 9999;

std::string Png(const VideoImage& image, std::string* reason) {
    const QImage picture(image.rgbx.data(), image.width, image.height, image.width * 4,
                         QImage::Format_RGBX8888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        *reason = TrText("Boxes", "The picture could not be made into a PNG.");
    return bytes.toStdString();
}

// Writes all of `bytes` to a new file `path`; EEXIST when it is there already.
int WriteNew(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            close(fd);
            unlink(path.c_str());  // no half a picture left behind
            return error;
        }
        done += size_t(n);
    }
    return close(fd) == 0 ? 0 : errno;
}

}  // namespace

// Qt reads user-dirs.dirs and gives ~/Pictures where it names no pictures
// folder; the same is said here for a Qt that would give nothing.
std::string ScreenshotFolder() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath() + "/Pictures";
    return (pictures + "/Tavimo").toStdString();
}

ScreenshotSaver::ScreenshotSaver(PlayerRecord& record, platform::Dialogs& dialogs, QObject* parent)
    : QObject(parent), record_(record), dialogs_(dialogs) {
    pool_.setMaxThreadCount(1);
}

ScreenshotSaver::~ScreenshotSaver() {
    pool_.waitForDone();
}

void ScreenshotSaver::Save() {
    std::shared_ptr<ICurrentImage> image;
    if (!record_.pWC || FAILED(record_.pWC->GetCurrentImage(&image)) || !image) {
        dialogs_.MessageBeep(platform::MB_ICONHAND);
        return;
    }
    int64_t position = image->Time();
    if (position < 0 && record_.pMS)
        record_.pMS->GetCurrentPosition(&position);
    platform::StartPooled(pool_, [this, image, clip = record_.ClipPath, position] {
        Outcome outcome = Write(image, clip, position);
        platform::PostQueued(this, [this, outcome] { Report(outcome); });
    });
}

ScreenshotSaver::Outcome ScreenshotSaver::Write(std::shared_ptr<ICurrentImage> image,
                                                std::string clipPath, int64_t position) {
    Outcome outcome;
    outcome.folder = ScreenshotFolder();
    VideoImage bitmap;
    if (FAILED(image->GetBitmap(&bitmap))) {
        outcome.reason = TrText("Boxes", "The picture could not be read from the video.");
        return outcome;
    }
    const std::string png = Png(bitmap, &outcome.reason);
    if (!outcome.reason.empty())
        return outcome;
    std::error_code ec;
    std::filesystem::create_directories(outcome.folder, ec);
    if (!ec && !std::filesystem::is_directory(outcome.folder, ec))
        ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) {
        outcome.reason = ec.message();
        return outcome;
    }
    for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
        const std::string path = outcome.folder + "/" + ScreenshotName(clipPath, position, attempt);
        const int error = WriteNew(path, png);
        if (error == 0) {
            outcome.path = path;
            return outcome;
        }
        if (error != EEXIST) {
            outcome.reason = std::strerror(error);
            return outcome;
        }
    }
    outcome.reason = TrText("Boxes", "Every name for this moment is taken.");
    return outcome;
}

// UI thread: the note, or the box.
void ScreenshotSaver::Report(const Outcome& outcome) {
    if (!outcome.path.empty()) {
        record_.Note.Show(TrArg(TrText("Notes", "Saved %1"),
                                {std::filesystem::path(outcome.path).filename().string()}));
    } else {
        dialogs_.MessageBox(
            TrArg(TrText("Boxes", "The screenshot could not be saved in the folder\n%1"),
                  {outcome.folder}) +
                "\n\n" + outcome.reason,
            "Tavimo", platform::MB_OK | platform::MB_ICONHAND);
    }
    emit finished(QString::fromStdString(outcome.path));
}

}  // namespace tavimo
