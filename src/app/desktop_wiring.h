// The player as a desktop citizen: its MPRIS service, and the screen kept
// awake while a clip with video plays.
#pragma once

#include <QObject>
#include <QTimer>

#include "integration/mpris.h"
#include "platform/idle_inhibit.h"

namespace tavimo {

class CMainFrame;

class DesktopWiring : public QObject, public MprisPort {
  public:
    // `replacing`: this start asked the other instances to close. The frame
    // must outlive the object. UI thread, after the frame is created.
    DesktopWiring(CMainFrame& frame, bool replacing);
    ~DesktopWiring() override;

    // MprisPort
    MprisSnapshot Snapshot() override;
    void Command(int id) override;
    void SetVolume(int volume) override;
    void SeekTo(int64_t position) override;
    void SeekBy(int64_t offset) override;
    void SetRate(double rate) override;
    void Raise() override;
    void Open(const QString& uri) override;

  private:
    // Brings the hold and the bus up to date with the player.
    void Sync();

    CMainFrame& frame_;
    platform::IdleInhibit awake_;
    Mpris mpris_;
    QTimer poll_;
};

}  // namespace tavimo
