#include "app/desktop_wiring.h"

#include <QApplication>
#include <QUrl>

#include "app/main_frame.h"
#include "view/sliders.h"

namespace tavimo {
namespace {

// How often the player's state is compared with what the desktop was told;
// commands bring it up to date at once.
constexpr int kPollMs = 250;
constexpr int64_t kUnitsPerSecond = 10'000'000;

// A clip whose graph shows a picture (not sound alone).
bool ShowsVideo(PlayerRecord& record) {
    long width = 0, height = 0;
    return record.pWC != nullptr && SUCCEEDED(record.pWC->GetNativeVideoSize(&width, &height)) &&
           width > 0 && height > 0;
}

}  // namespace

DesktopWiring::DesktopWiring(CMainFrame& frame, bool replacing)
    : frame_(frame),
      awake_(QCoreApplication::translate("Desktop", "Playing video")),
      mpris_(*this) {
    mpris_.Start(replacing);
    connect(&frame_, &CMainFrame::commandIssued, this, &DesktopWiring::Sync,
            Qt::QueuedConnection);  // after the command has run
    connect(&poll_, &QTimer::timeout, this, &DesktopWiring::Sync);
    // The window closes before the loop ends: the hold goes with it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { awake_.Release(); });
    poll_.start(kPollMs);
    Sync();
}

DesktopWiring::~DesktopWiring() = default;

void DesktopWiring::Sync() {
    PlayerRecord& record = frame_.Record();
    awake_.Set(record.ClipState == ClipState::Running && ShowsVideo(record));
    mpris_.Sync();
}

MprisSnapshot DesktopWiring::Snapshot() {
    PlayerRecord& record = frame_.Record();
    MprisSnapshot s;
    switch (record.ClipState) {
        case ClipState::Running:
            s.playback = MprisSnapshot::Playback::Playing;
            break;
        case ClipState::Paused:
            s.playback = MprisSnapshot::Playback::Paused;
            break;
        case ClipState::Stopped:
        case ClipState::Closed:
            break;
    }
    s.clipPath = record.ClipPath;
    s.volume = record.Volume;
    s.rate = record.Speed;
    s.canPause = record.HasControl();
    s.canSeek = record.HasSeeking();
    if (record.pMS) {
        REFERENCE_TIME value = 0;
        if (SUCCEEDED(record.pMS->GetDuration(&value))) {
            s.duration = value;
        }
        if (SUCCEEDED(record.pMS->GetCurrentPosition(&value))) {
            s.position = value;
        }
    }
    return s;
}

void DesktopWiring::Command(int id) {
    frame_.OnCommand(id);
}

void DesktopWiring::SetVolume(int volume) {
    frame_.Sliders()->SetVolumePosition(volume);
    frame_.Record().SetVolume(volume);
}

void DesktopWiring::SeekTo(int64_t position) {
    PlayerRecord& record = frame_.Record();
    if (!record.HasSeeking()) {
        return;
    }
    record.SeekTo(position);
    frame_.SetSeekPosition(static_cast<int32_t>(position >> 16), position / kUnitsPerSecond);
}

void DesktopWiring::SeekBy(int64_t offset) {
    PlayerRecord& record = frame_.Record();
    if (!record.HasSeeking()) {
        return;
    }
    record.SeekBy(offset);
    record.PollPosition();
}

void DesktopWiring::SetRate(double rate) {
    frame_.Record().SetSpeed(rate);
    Sync();
}

void DesktopWiring::Open(const QString& uri) {
    frame_.DropFiles({QUrl(uri)});
}

void DesktopWiring::Raise() {
    if (frame_.isMinimized()) {
        frame_.showNormal();
    }
    frame_.show();
    frame_.raise();
    frame_.activateWindow();
}

}  // namespace tavimo
