#include "platform/idle_inhibit.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace tavimo::platform {
namespace {

constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr char kPath[] = "/org/freedesktop/ScreenSaver";
constexpr char kInterface[] = "org.freedesktop.ScreenSaver";
// Every call waits at most this long for the service: a service that never
// answers must not hold up leaving full screen or closing (the bus's own
// limit is 25 s). A hold given up on this way ends with our bus connection.
constexpr int kCallTimeoutMs = 1000;

bool ServicePresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return false;
    }
    return bus.interface()->isServiceRegistered(kService).value();
}

}  // namespace

IdleInhibit::IdleInhibit(QString reason, QObject* parent)
    : QObject(parent), reason_(std::move(reason)) {}

IdleInhibit::~IdleInhibit() {
    Release();
    if (watcher_ != nullptr) {
        // The cookie is still on its way: waiting (no longer than the call's
        // timeout) delivers it, and the answer's handler gives it back.
        watcher_->waitForFinished();
    }
    if (display_ != nullptr) {
        XCloseDisplay(static_cast<Display*>(display_));
    }
}

void IdleInhibit::Hold() {
    if (wanted_) {
        return;
    }
    wanted_ = true;
    if (cookie_.has_value() || pending_ || suspended_) {
        return;  // an earlier hold still stands or its cookie is coming
    }
    if (ServicePresent()) {
        InhibitOnBus();
    } else {
        SuspendX11(true);
    }
}

void IdleInhibit::Release() {
    if (!wanted_) {
        return;
    }
    wanted_ = false;
    if (cookie_.has_value()) {
        UnInhibitOnBus(*cookie_);
        cookie_.reset();
    }
    SuspendX11(false);
    // A pending Inhibit is given back when its cookie arrives.
}

void IdleInhibit::InhibitOnBus() {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
    call << QStringLiteral("Tavimo") << reason_;
    pending_ = true;
    watcher_ = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, kCallTimeoutMs), this);
    connect(watcher_, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                watcher_ = nullptr;
                pending_ = false;
                QDBusPendingReply<uint32_t> reply = *watcher;
                if (reply.isError()) {
                    if (wanted_) {
                        SuspendX11(true);  // the service refused: the X server's way
                    }
                } else if (wanted_) {
                    cookie_ = reply.value();
                } else {
                    UnInhibitOnBus(reply.value());
                }
            });
}

void IdleInhibit::UnInhibitOnBus(uint32_t cookie) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "UnInhibit");
    call << cookie;
    QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
}

void IdleInhibit::SuspendX11(bool suspend) {
    if (suspend == suspended_) {
        return;
    }
    if (display_ == nullptr) {
        if (!suspend) {
            return;
        }
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) {
            return;  // no X server: nothing to hold
        }
    }
    auto* display = static_cast<Display*>(display_);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XScreenSaverQueryExtension(display, &event, &error) ||
        !XScreenSaverQueryVersion(display, &major, &minor) || (major == 1 && minor < 1)) {
        return;  // suspension came with version 1.1
    }
    XScreenSaverSuspend(display, suspend ? True : False);
    XFlush(display);
    suspended_ = suspend;
}

}  // namespace tavimo::platform
