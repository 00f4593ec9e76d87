// The real program on a private session bus: driven over MPRIS as a desktop's
// media keys and `playerctl` drive it, keeping the screen awake through a
// stand-in screen saver service; the resumed clip and the single-instance rule
// between real processes; and its start without a display.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "private_bus.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;
using tavimo::testing::ScreenSaverStandIn;

constexpr char kName[] = "org.mpris.MediaPlayer2.tavimo";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

// What a desktop's sound menu hears: PlaybackStatus from PropertiesChanged
// and the Seeked signals.
class Listener : public QObject {
    Q_OBJECT
  public:
    QString status;
    double rate = 1.0;
    int seeks = 0;

  public slots:
    void PropertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        if (changed.contains("PlaybackStatus")) {
            status = changed.value("PlaybackStatus").toString();
        }
        if (changed.contains("Rate")) {
            rate = changed.value("Rate").toDouble();
        }
    }
    void Seeked(qlonglong) { ++seeks; }
};

bool NameOwned(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}
QVariant Property(const QString& name, const char* iface, const char* property) {
    QDBusInterface props(name, kPath, "org.freedesktop.DBus.Properties");
    QDBusReply<QVariant> reply = props.call("Get", QString(iface), QString(property));
    return reply.isValid() ? reply.value() : QVariant();
}
void Call(const char* method, const QVariantList& args = {}) {
    QDBusInterface player(kName, kPath, kPlayer);
    player.callWithArgumentList(QDBus::Block, method, args);
}
QString Status() {
    return Property(kName, kPlayer, "PlaybackStatus").toString();
}
// Where the player under `name` is in its clip, in seconds.
double Position(const QString& name = kName) {
    return Property(name, kPlayer, "Position").toLongLong() / 1e6;
}

// Each test's own X server, user folders and media folder, on the private
// session bus all share.
class DesktopE2e : public ::testing::Test, public Session {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Running()); }
    // A player whose window is shown and which listens for the instance message.
    std::unique_ptr<Player> Started(const std::vector<std::string>& args) {
        auto started = std::make_unique<Player>(server, user, args);
        EXPECT_TRUE(started->WaitForWindow(15s).has_value()) << "no window";
        const auto socket =
            user.RuntimeDir() + "/tavimo/" + std::to_string(started->Pid()) + ".sock";
        Within(10s, [&] { return std::filesystem::exists(socket); });
        return started;
    }
};
using ShellE2e = DesktopE2e;

// With "Allow Multiple Instances" a second player takes a name of its own; its
// sound-only clip keeps no screen awake.
TEST_F(DesktopE2e, MprisDrivesThePlayersAndTheScreenStaysAwakeWhileAVideoPlays) {
    ScreenSaverStandIn screenSaver;
    ASSERT_TRUE(screenSaver.Registered());
    user.Store("AllowMultipleInstances", 1u);
    const std::string sound = media.filePath("tone.m4a").toStdString();
    ASSERT_TRUE(MakeClip("audiotestsrc num-buffers=200 ! avenc_aac ! mp4mux", sound));

    player = Started({});
    ASSERT_TRUE(QTest::qWaitFor([] { return NameOwned(kName); }));
    // Listening from when the name appears, as a sound menu does. QtDBus
    // passes on a well-known name's signals from the owner it tracks:
    // connected before the player started, the first one was once missed on
    // a loaded machine.
    Listener heard;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kName, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &heard,
                SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));
    bus.connect(kName, kPath, kPlayer, "Seeked", &heard, SLOT(Seeked(qlonglong)));
    EXPECT_EQ(Property(kName, "org.mpris.MediaPlayer2", "Identity").toString(), "Tavimo");
    EXPECT_EQ(Property(kName, "org.mpris.MediaPlayer2", "DesktopEntry").toString(), "tavimo");
    // A video opened as a file manager's "Open With" would.
    Call("OpenUri", {QString("file://%1/demo/demo.mp4").arg(TAVIMO_BUILD_DIR)});

    struct Step {
        const char* name;
        const char* method;  // null: only look
        const char* status;
        int holds;  // screen saver holds not given back
    };
    const Step steps[] = {
        {"the clip plays", nullptr, "Playing", 1},
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
        EXPECT_TRUE(QTest::qWaitFor([&] { return Status() == step.status; }))
            << Status().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return heard.status == step.status; }))
            << "PropertiesChanged said " << heard.status.toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.Outstanding() == step.holds; }))
            << screenSaver.Outstanding() << " holds";
    }

    // Paused at the clip's start: SetPosition goes to 7 of 10 s.
    const QVariantMap metadata = qdbus_cast<QVariantMap>(Property(kName, kPlayer, "Metadata"));
    const QDBusObjectPath track = qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), "demo.mp4");
    EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 10'000'000, 100'000);
    Call("SetPosition", {QVariant::fromValue(track), qlonglong{7'000'000}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return heard.seeks > 0; })) << "no Seeked";
    EXPECT_NEAR(Property(kName, kPlayer, "Position").toLongLong(), 7'000'000, 1'000'000);

    Player second(server, user, {sound});
    const QString instance = QString("%1.instance%2").arg(kName).arg(second.Pid());
    EXPECT_TRUE(QTest::qWaitFor([&] { return NameOwned(instance); }));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Property(instance, kPlayer, "PlaybackStatus").toString() == "Playing"; }));
    // A video's hold comes with the start of its play: a second into the
    // sound, none has come.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position(instance) > 1.0; }, 10000));
    EXPECT_EQ(screenSaver.Outstanding(), 0) << "sound alone";

    // The volume goes through the volume bar's road; Quit closes like Exit and
    // the settings keep the volume.
    QDBusInterface props(kName, kPath, "org.freedesktop.DBus.Properties");
    props.call("Set", QString(kPlayer), QString("Volume"), QVariant::fromValue(QDBusVariant(0.4)));
    EXPECT_NEAR(Property(kName, kPlayer, "Volume").toDouble(), 0.4, 1e-9);
    Call("Play");
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.Outstanding() == 1; }));

    // Rate: the speed keys' road; playing at 2x is no seek; 0 pauses.
    EXPECT_EQ(Property(kName, kPlayer, "MinimumRate").toDouble(), 0.25);
    EXPECT_EQ(Property(kName, kPlayer, "MaximumRate").toDouble(), 4.0);
    const auto setRate = [&](double rate) {
        props.call("Set", QString(kPlayer), QString("Rate"),
                   QVariant::fromValue(QDBusVariant(rate)));
    };
    setRate(2.0);
    EXPECT_EQ(Property(kName, kPlayer, "Rate").toDouble(), 2.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return heard.rate == 2.0; }))
        << "PropertiesChanged said " << heard.rate;
    // A second of the clip played at 2x: a Seeked sent for the change of
    // rate would come before the answer that says so.
    const int seeks = heard.seeks;
    const double from = Position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() > from + 1.0; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.seeks, seeks) << "playing at 2x announced as a seek";
    setRate(9.0);
    EXPECT_EQ(Property(kName, kPlayer, "Rate").toDouble(), 4.0);
    setRate(0.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status() == "Paused"; })) << Status().toStdString();
    Call("Play");
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.Outstanding() == 1; }));
    QDBusInterface(kName, kPath, "org.mpris.MediaPlayer2").call("Quit");
    EXPECT_EQ(player->WaitForExit(10s), 0);
    EXPECT_EQ(user.Dword("Volume"), 40u);
    EXPECT_EQ(screenSaver.Outstanding(), 0) << "the hold outlived the player";
    EXPECT_EQ(screenSaver.Inhibits(), 5);
}

// A clip left in the middle starts there again on the next run. Instances
// started with "Allow Multiple Instances" on hold no marker: a later start with
// the option off finds none and all run. The next start closes all of them,
// and they save as at a user's close.
TEST_F(ShellE2e, ResumeAndANewInstanceClosingTheOthersUnlessTheyAllowThem) {
    user.Store("ResumePlayback", 1u);
    user.Store("AllowMultipleInstances", 1u);
    const std::string clip = media.filePath("forty seconds.mp4").toStdString();
    ASSERT_TRUE(
        MakeClip("videotestsrc num-buffers=400 ! video/x-raw,width=160,height=120,"
                 "framerate=10/1 ! x264enc speed-preset=ultrafast key-int-max=10 ! mp4mux",
                 clip));
    // The seconds stored for the clip as the newest entry.
    const auto stored = [&] {
        const std::string text = user.Text("Software\\Orvenic\\Tavimo\\Resume Positions", "Clip1");
        const size_t space = text.find(' ');
        EXPECT_EQ(text.substr(space + 1), clip);
        return std::stod(text.substr(0, space)) / 1e7;
    };

    // Four five-second steps forward once it plays: left at about 21 s, each
    // step up to a second further on to the next key frame (three steps end
    // before 19.5 s). Esc stops; Esc on a stopped clip closes.
    auto run = Started({clip});
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            return Status() == "Playing" && Property(kName, kPlayer, "CanSeek").toBool() &&
                   Position() > 0.5;
        },
        10000));
    run->Key("period period period period");
    // Stopped as soon as the last step lands: where it stands is kept, even
    // before the position's timer has seen it.
    EXPECT_TRUE(QTest::qWaitFor([] { return Position() > 19.5; }, 10000)) << Position();
    run->Key("Escape");
    EXPECT_TRUE(QTest::qWaitFor([] { return Status() == "Stopped"; }, 10000));
    run->Key("Escape");
    EXPECT_EQ(run->WaitForExit(10s), 0);
    const double left = stored();
    EXPECT_GT(left, 19);
    EXPECT_LT(left, 28);

    auto first = Started({clip});
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() > left + 1.0; }, 10000))
        << "resumed and played on: " << Position();
    auto second = Started({});
    user.Store("AllowMultipleInstances", 0u);
    // An instance deals with the others before it reads the settings, and so
    // before its window shows.
    auto third = Started({});
    EXPECT_TRUE(first->Running() && second->Running() && third->Running());
    auto fourth = Started({});
    for (Player* p : {first.get(), second.get(), third.get()}) {
        EXPECT_EQ(p->WaitForExit(10s), 0);
    }
    // Without resuming, the second or so the first played would be too near
    // the start to keep.
    EXPECT_GT(stored(), left) << "resumed, and saved when closed by the fourth";
    EXPECT_TRUE(fourth->Running());
}

// The instance replacing another reads the settings only after that one has
// saved them and ended: the volume and the option changed in the first are
// what the second saves. A replaced instance whose box is up (here the error
// about its command line's clip, shown before its main loop runs) still
// closes and ends, and so does one told to quit over MPRIS.
TEST_F(ShellE2e, AReplacedInstanceEndsBeforeTheNextReadsAndABoxDoesNotKeepItAlive) {
    user.Store("Volume", 100u);
    auto first = Started({});
    // Keys are taken in order: once the volume is down, C has hidden the text.
    first->Key("c shift+Down shift+Down shift+Down shift+Down shift+Down shift+Down");
    ASSERT_TRUE(
        QTest::qWaitFor([] { return Property(kName, kPlayer, "Volume").toDouble() < 0.71; }));
    auto second = Started({"/nonexistent/clip.mp4"});
    EXPECT_EQ(first->WaitForExit(10s), 0);
    ASSERT_TRUE(second->WaitForBox(15s)) << "the error box about the path";
    ASSERT_TRUE(second->Running());

    auto third = Started({"/nonexistent/clip.mp4"});
    EXPECT_EQ(second->WaitForExit(10s), 0) << "the box kept the replaced instance alive";
    EXPECT_EQ(user.Dword("Volume"), 70u) << "as the first left it, saved by the second";
    EXPECT_EQ(user.Dword("ViewSubtitles"), 0u);
    // Quit, as a desktop's sound menu sends it, while its box is up too.
    ASSERT_TRUE(QTest::qWaitFor([] { return NameOwned(kName); }));
    ASSERT_TRUE(third->WaitForBox(15s)) << "its error box";
    QDBusInterface(kName, kPath, "org.mpris.MediaPlayer2").call("Quit");
    EXPECT_EQ(third->WaitForExit(10s), 0) << "Quit with a box up";
}

// A screen saver service that takes calls and never answers: entering and
// leaving full screen and closing go on; the process ends at once rather
// than after the bus's 25 s per call.
TEST_F(DesktopE2e, AHungScreenSaverServiceHoldsNothingUp) {
    ScreenSaverStandIn screenSaver;
    ASSERT_TRUE(screenSaver.Registered());
    screenSaver.SetSilent(true);
    player = Started({std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4"});
    window = player->WaitForWindow(0ms).value_or(0);
    const QRect screen(0, 0, 1024, 768);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.Inhibits() >= 1; }, 10000)) << "it plays";
    Press("f");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Geometry() == screen; }, 10000)) << "full screen";
    Press("Escape");  // leaves full screen and stops
    EXPECT_TRUE(QTest::qWaitFor([&] { return Geometry() != screen; }, 10000)) << "full screen left";
    Press("Escape");  // closes
    EXPECT_EQ(player->WaitForExit(10s), 0);
    EXPECT_GE(screenSaver.Inhibits(), 2) << "the service was asked";
}

// Without a display: a line on stderr and status 1. The options need none.
TEST(ShellCommandLine, NoDisplayFailsWithStatusOneAndOptionsNeedNone) {
    const struct {
        const char* args;
        const char* output;
        int status;
    } cases[] = {{"", "cannot create the main window", 1},
                 {" --help", "Usage: tavimo", 0},
                 {" --version", "Tavimo ", 0}};
    for (const auto& c : cases) {
        const std::string out = RunIn(
            ":65000", "QT_QPA_PLATFORM=xcb " + PlayerBinary() + c.args + " 2>&1; echo status=$?");
        EXPECT_NE(out.find(c.output), std::string::npos) << out;
        EXPECT_NE(out.find("status=" + std::to_string(c.status)), std::string::npos) << out;
    }
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
