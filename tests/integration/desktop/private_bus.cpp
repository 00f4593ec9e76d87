#include "private_bus.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusContext>

#include <cstdlib>
#include <set>
#include <vector>

namespace tavimo::testing {
namespace {

constexpr char kMarker[] = "TAVIMO_TEST_PRIVATE_BUS";
constexpr char kConnection[] = "screensaver-standin";

// The service object, living in the stand-in's thread.
class Service : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    explicit Service(ScreenSaverStandIn& counts) : counts_(counts) {}

  public slots:
    uint Inhibit(const QString& /*application*/, const QString& /*reason*/) {
        ++counts_.inhibits_;
        if (counts_.silent_) {
            setDelayedReply(true);  // and the reply never goes
            return 0;
        }
        ++counts_.outstanding_;
        if (counts_.delayMs_ > 0)
            QThread::msleep(static_cast<unsigned long>(counts_.delayMs_.load()));
        const uint cookie = next_++;
        cookies_.insert(cookie);
        return cookie;
    }
    void UnInhibit(uint cookie) {
        ++counts_.unInhibits_;
        if (counts_.silent_) {
            setDelayedReply(true);
            return;
        }
        if (cookies_.erase(cookie) == 1)
            --counts_.outstanding_;
    }

  private:
    ScreenSaverStandIn& counts_;
    uint next_ = 17;
    std::set<uint> cookies_;
};

}  // namespace

void RunUnderPrivateBus(int argc, char** argv) {
    if (std::getenv(kMarker) != nullptr)
        return;
    setenv(kMarker, "1", 1);
    std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
    for (int i = 0; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp(args[0], args.data());
}

ScreenSaverStandIn::ScreenSaverStandIn() {
    auto* service = new Service(*this);
    service_.reset(service);
    service->moveToThread(&thread_);
    thread_.start();
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
    registered_ = bus.registerObject("/org/freedesktop/ScreenSaver", service,
                                     QDBusConnection::ExportAllSlots) &&
                  bus.registerService("org.freedesktop.ScreenSaver");
}

ScreenSaverStandIn::~ScreenSaverStandIn() {
    {
        QDBusConnection bus(kConnection);
        bus.unregisterService("org.freedesktop.ScreenSaver");
        bus.unregisterObject("/org/freedesktop/ScreenSaver");
    }
    QDBusConnection::disconnectFromBus(kConnection);
    thread_.quit();
    thread_.wait();
}

}  // namespace tavimo::testing

#include "private_bus.moc"
