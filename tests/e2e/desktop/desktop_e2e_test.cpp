// The real program on a private session bus: driven over MPRIS as a desktop's
// media keys and `playerctl` drive it, keeping the screen awake through a
// stand-in screen saver service, and quiet where there is no bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "private_bus.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;
using tavimo::testing::ScreenSaverStandIn;

constexpr char kName[] = "org.mpris.MediaPlayer2.tavimo";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

// Runs the event loop (bus signals, the stand-in's answers) until `done`.
bool Eventually(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// What a desktop's sound menu hears: PlaybackStatus from PropertiesChanged
// and the Seeked signals.
class Listener : public QObject {
    Q_OBJECT
  public:
    QString status;
    int seeks = 0;

  public slots:
    void PropertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        if (changed.contains("PlaybackStatus")) {
            status = changed.value("PlaybackStatus").toString();
        }
    }
    void Seeked(qlonglong) { ++seeks; }
};

class DesktopE2eTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Running()) << "Xvfb did not start"; }

    static bool NameOwned(const QString& name) {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
    }
    static QVariant Property(const QString& name, const char* iface, const char* property) {
        QDBusInterface props(name, kPath, "org.freedesktop.DBus.Properties");
        QDBusReply<QVariant> reply = props.call("Get", QString(iface), QString(property));
        return reply.isValid() ? reply.value() : QVariant();
    }
    static void Call(const char* method, const QVariantList& args = {}) {
        QDBusInterface player(kName, kPath, kPlayer);
        player.callWithArgumentList(QDBus::Block, method, args);
    }
    static QString Status() { return Property(kName, kPlayer, "PlaybackStatus").toString(); }

    XServer server;
    UserFolders user;
};

TEST_F(DesktopE2eTest, MprisDrivesThePlayerAndTheScreenStaysAwakeWhilePlaying) {
    ScreenSaverStandIn screenSaver;
    ASSERT_TRUE(screenSaver.Registered());
    Listener heard;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kName, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &heard,
                SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));
    bus.connect(kName, kPath, kPlayer, "Seeked", &heard, SLOT(Seeked(qlonglong)));

    Player player(server, user, {std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4"});
    ASSERT_TRUE(player.WaitForWindow(15s).has_value());
    ASSERT_TRUE(Eventually([] { return NameOwned(kName); }));
    EXPECT_EQ(Property(kName, "org.mpris.MediaPlayer2", "Identity").toString(), "Tavimo");
    EXPECT_EQ(Property(kName, "org.mpris.MediaPlayer2", "DesktopEntry").toString(), "tavimo");

    struct Step {
        const char* name;
        const char* method;  // null: only look
        const char* status;
        int holds;  // screen saver holds not given back
    };
    const Step steps[] = {
        {"the clip plays from the command line", nullptr, "Playing", 1},
        {"Pause", "Pause", "Paused", 0},
        {"Pause while paused changes nothing", "Pause", "Paused", 0},
        {"Play resumes", "Play", "Playing", 1},
        {"Stop", "Stop", "Stopped", 0},
        {"PlayPause on a stopped clip plays it again", "PlayPause", "Playing", 1},
        {"PlayPause pauses", "PlayPause", "Paused", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.method != nullptr) {
            Call(step.method);
        }
        EXPECT_TRUE(Eventually([&] { return Status() == step.status; })) << Status().toStdString();
        EXPECT_TRUE(Eventually([&] { return heard.status == step.status; }))
            << "PropertiesChanged said " << heard.status.toStdString();
        EXPECT_TRUE(Eventually([&] { return screenSaver.Outstanding() == step.holds; }))
            << screenSaver.Outstanding() << " holds";
    }

    // Paused at the clip's start: SetPosition goes to 7 of 10 s.
    const QVariantMap metadata = qdbus_cast<QVariantMap>(Property(kName, kPlayer, "Metadata"));
    const QDBusObjectPath track = qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), "demo.mp4");
    EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 10'000'000, 100'000);
    Call("SetPosition", {QVariant::fromValue(track), qlonglong{7'000'000}});
    EXPECT_TRUE(Eventually([&] { return heard.seeks > 0; })) << "no Seeked";
    EXPECT_NEAR(Property(kName, kPlayer, "Position").toLongLong(), 7'000'000, 1'000'000);

    // The volume goes through the volume bar's road; Quit closes like Exit and
    // the settings keep the volume.
    QDBusInterface props(kName, kPath, "org.freedesktop.DBus.Properties");
    props.call("Set", QString(kPlayer), QString("Volume"), QVariant::fromValue(QDBusVariant(0.4)));
    EXPECT_NEAR(Property(kName, kPlayer, "Volume").toDouble(), 0.4, 1e-9);
    Call("Play");
    EXPECT_TRUE(Eventually([&] { return screenSaver.Outstanding() == 1; }));
    QDBusInterface(kName, kPath, "org.mpris.MediaPlayer2").call("Quit");
    EXPECT_EQ(player.WaitForExit(10s), 0);
    EXPECT_EQ(user.Dword("Volume"), 40u);
    EXPECT_EQ(screenSaver.Outstanding(), 0) << "the hold outlived the player";
    EXPECT_EQ(screenSaver.Inhibits(), 4);
}

// With "Allow Multiple Instances" a second player takes the instance name;
// its sound-only clip keeps no screen awake, a video opened over the bus does.
TEST_F(DesktopE2eTest, SecondInstanceTakesItsOwnNameAndSoundAloneDoesNotHoldTheScreen) {
    ScreenSaverStandIn screenSaver;
    user.Store("AllowMultipleInstances", 1u);
    QTemporaryDir media;
    const std::string sound = media.filePath("tone.m4a").toStdString();
    ASSERT_EQ(std::system(("gst-launch-1.0 -q audiotestsrc num-buffers=200 ! avenc_aac ! "
                           "mp4mux ! filesink location=" +
                           sound)
                              .c_str()),
              0);
    Player first(server, user);
    ASSERT_TRUE(first.WaitForWindow(15s).has_value());
    ASSERT_TRUE(Eventually([] { return NameOwned(kName); }));
    Player second(server, user, {sound});
    const QString instance = QString("%1.instance%2").arg(kName).arg(second.Pid());
    EXPECT_TRUE(Eventually([&] { return NameOwned(instance); }));
    EXPECT_TRUE(Eventually(
        [&] { return Property(instance, kPlayer, "PlaybackStatus").toString() == "Playing"; }));
    Eventually([] { return false; }, 1000);
    EXPECT_EQ(screenSaver.Inhibits(), 0) << "sound alone";
    // The first opens a video as a file manager's "Open With" would: that one holds.
    QDBusInterface(kName, kPath, kPlayer)
        .call("OpenUri", QString("file://%1/demo/demo.mp4").arg(TAVIMO_BUILD_DIR));
    EXPECT_TRUE(Eventually([] { return Status() == "Playing"; }));
    EXPECT_TRUE(Eventually([&] { return screenSaver.Outstanding() == 1; }));
}

// No session bus (and, on a machine without sound, no audio output): the
// player plays, and the terminal shows at most the one line about the sound,
// also when a second clip opens.
TEST_F(DesktopE2eTest, WithoutABusItSaysNothing) {
    const std::string log = user.RuntimeDir() + "/stderr.txt";
    Player player(server, user, {std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4"},
                  {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"}, log);
    ASSERT_TRUE(player.WaitForWindow(15s).has_value());
    std::this_thread::sleep_for(2s);
    player.Key("Escape Return");  // stop, and open the clip again: a new sound output
    std::this_thread::sleep_for(2s);
    EXPECT_TRUE(player.Running());
    player.Key("Escape Escape");
    EXPECT_EQ(player.WaitForExit(10s), 0);
    QFile text(QString::fromStdString(log));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(text.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_LE(lines.removeAll("tavimo: no audio output; playing without sound"), 1);
    EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
}

}  // namespace
}  // namespace tavimo::e2e

int main(int argc, char** argv) {
    tavimo::testing::RunUnderPrivateBus(argc, argv);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "desktop_e2e_test.moc"
