// Desktop tests run on a private session bus: the program re-executes itself
// under dbus-run-session, so nothing reaches the user's own desktop. A
// stand-in org.freedesktop.ScreenSaver on that bus counts the holds it gets.
#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace tavimo::testing {

// Call first in main(): under no private bus yet, replaces the process with
// `dbus-run-session -- argv...` (returns only when that cannot start).
void RunUnderPrivateBus(int argc, char** argv);

// The stand-in service, on a connection of its own served by a thread of its
// own, so that blocking calls from the code under test are answered.
class ScreenSaverStandIn {
  public:
    ScreenSaverStandIn();
    ~ScreenSaverStandIn();
    bool Registered() const { return registered_; }
    int Inhibits() const { return inhibits_; }
    int UnInhibits() const { return unInhibits_; }
    // Holds not yet given back (by cookie).
    int Outstanding() const { return outstanding_; }
    // Answers to Inhibit come this many milliseconds late.
    void SetReplyDelay(int ms) { delayMs_ = ms; }
    // Calls are taken and counted but never answered, as by a hung desktop.
    void SetSilent(bool silent) { silent_ = silent; }

    std::atomic<int> inhibits_{0}, unInhibits_{0}, outstanding_{0}, delayMs_{0};
    std::atomic<bool> silent_{false};

  private:
    QThread thread_;
    std::unique_ptr<QObject> service_;
    bool registered_ = false;
};

}  // namespace tavimo::testing
