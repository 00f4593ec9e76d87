// Keeps the screen awake: no screen saver, no display power saving, while held.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QDBusPendingCallWatcher;

namespace tavimo::platform {

// One hold on the desktop's idle timer. Through the session bus's
// org.freedesktop.ScreenSaver service (Inhibit / UnInhibit) when it exists,
// else the X server's screen saver suspension (which also suspends DPMS).
// Several objects may hold at once; each gives back only its own hold.
// UI thread (needs the Qt event loop for the service's answer).
class IdleInhibit : public QObject {
    Q_OBJECT
  public:
    // `reason` is what the desktop shows for the hold.
    explicit IdleInhibit(QString reason, QObject* parent = nullptr);
    // Gives the hold back and waits for the service to take it, at most
    // about a second per call (a service that never answers holds up nothing).
    ~IdleInhibit() override;

    // Takes the hold; does nothing while held.
    void Hold();
    // Gives the hold back; does nothing while not held. Blocks at most about
    // a second on the service.
    void Release();
    // Hold() or Release() as `wanted` says.
    void Set(bool wanted) { wanted ? Hold() : Release(); }
    bool Held() const { return wanted_; }

  private:
    void InhibitOnBus();
    void UnInhibitOnBus(uint32_t cookie);
    void SuspendX11(bool suspend);

    QString reason_;
    bool wanted_ = false;
    bool pending_ = false;  // an Inhibit call waits for its cookie
    QDBusPendingCallWatcher* watcher_ = nullptr;
    std::optional<uint32_t> cookie_;
    void* display_ = nullptr;  // own X connection for the suspension
    bool suspended_ = false;
};

}  // namespace tavimo::platform
