// The desktop's bus, private to the test. The idle hold against a stand-in
// org.freedesktop.ScreenSaver: holders are counted apart, and a hold released
// or ended before its cookie came is still given back. MPRIS, asked by a
// client of its own as a desktop would, driving the main frame's player on
// GStreamer (fake sinks) over a 30 s clip with a key frame every 10 s:
// positions land on the frame asked for, and offsets and positions at the
// ends of the 64-bit range stay inside the clip; an empty address opens nothing,
// one whose name is not UTF-8 opens its file and is the track's address.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <limits>
#include <memory>
#include <tuple>

#include "../frame/frame_test_util.h"
#include "app/desktop_wiring.h"
#include "engine/media/gst_media.h"
#include "integration/mpris.h"
#include "platform/idle_inhibit.h"
#include "private_bus.h"
#include "resources/command_ids.h"
#include "support/gst_player.h"

namespace tavimo {
namespace {

constexpr int64_t kSecond = 10'000'000;  // 100 ns units
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// Calls `method` of the Player interface from another connection and waits
// for the answer while this thread serves the call.
bool Call(const QString& method, const QVariantList& args) {
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    QDBusMessage call = QDBusMessage::createMethodCall(Mpris::kBusName, "/org/mpris/MediaPlayer2",
                                                       "org.mpris.MediaPlayer2.Player", method);
    call.setArguments(args);
    QDBusPendingCall pending = client.asyncCall(call);
    const bool answered = QTest::qWaitFor([&] { return pending.isFinished(); }, 5000);
    QTest::qWait(20);  // a command it posted runs
    return answered && !pending.isError();
}

// The Player interface's property `name`, read from another connection.
QVariant PlayerProperty(const QString& name) {
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    QDBusMessage get = QDBusMessage::createMethodCall(Mpris::kBusName, "/org/mpris/MediaPlayer2",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({QString("org.mpris.MediaPlayer2.Player"), name});
    QDBusPendingCall pending = client.asyncCall(get);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 5000) || pending.isError())
        return {};
    return qvariant_cast<QDBusVariant>(pending.reply().arguments().value(0)).variant();
}

TEST(Mpris, SeeksOverTheBusStayInTheClipAndLandWhereAsked) {
    QTemporaryDir dir;
    const std::string clip = dir.filePath("gop10.mp4").toStdString();
    ASSERT_TRUE(
        test::Quietly("gst-launch-1.0 -q videotestsrc num-buffers=750 ! "
                      "video/x-raw,format=I420,width=160,height=120,framerate=25/1 ! "
                      "x264enc speed-preset=veryfast bframes=0 key-int-max=250 ! "
                      "h264parse ! mp4mux ! filesink location=" +
                      clip));
    const std::unique_ptr<MediaFramework> media = NewGstMediaFramework(test::FakeSinks());
    frame_test::TestFrame main;
    CMainFrame& frame = main.Start();
    PlayerRecord& record = frame.Record();
    record.UseMediaFramework(media.get());
    record.ClipPath = clip;
    record.OpenClip();
    record.TogglePause();
    ASSERT_EQ(record.ClipState, ClipState::Paused);
    ASSERT_EQ(record.Duration, 30 * kSecond);
    DesktopWiring wiring(frame, false);
    const QVariant track =
        QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/tavimo/track/1"));
    QSignalSpy commands(&frame, &CMainFrame::commandIssued);

    // case, method, microseconds, where the clip stands after it, Next asked
    const std::tuple<const char*, const char*, int64_t, int64_t, bool> cases[] = {
        {"SetPosition 5 s: 5 s, not the key frame at 0", "SetPosition", 5'000'000, 5 * kSecond,
         false},
        {"SetPosition to the largest time: past the end, nothing moves", "SetPosition", kMax,
         15'000'000, false},
        {"SetPosition to the smallest time: before the start, nothing moves", "SetPosition", kMin,
         15'000'000, false},
        {"Seek by the largest offset: past the end, as Next", "Seek", kMax, 15'000'000, true},
        {"Seek by the smallest offset: the start", "Seek", kMin, 0, false},
        {"Seek by 3 s: forward to the key frame at 10 s", "Seek", 3'000'000, 10 * kSecond, false},
    };
    for (const auto& [name, method, us, landed, next] : cases) {
        SCOPED_TRACE(name);
        record.SeekTo(15'000'000);
        commands.clear();
        QVariantList args;
        if (QString(method) == "SetPosition")
            args << track;
        args << QVariant::fromValue(qlonglong{us});
        ASSERT_TRUE(Call(method, args));
        EXPECT_NEAR(frame_test::Position(record), landed, 400'000);  // within a frame
        EXPECT_EQ(commands.size() == 1 && commands.at(0).at(0).toInt() == ID_NEXT_FILE, next);
    }
    ASSERT_TRUE(Call("OpenUri", {QString(" ")}));
    EXPECT_EQ(record.ClipPath, clip) << "an empty address opens nothing";

    // "caf\xE9.mp4" (Latin-1), as a file manager's address has it: "caf%E9.mp4".
    const std::string latin1 = dir.filePath("caf").toStdString() + "\xE9.mp4";
    ASSERT_EQ(std::rename(clip.c_str(), latin1.c_str()), 0);
    // Removed here: QTemporaryDir cannot name it, and would leave it and the folder.
    const std::unique_ptr<const char, int (*)(const char*)> removed(latin1.c_str(), &std::remove);
    const QString uri =
        QUrl::fromLocalFile(dir.path()).toString(QUrl::FullyEncoded) + "/caf%E9.mp4";
    ASSERT_TRUE(Call("OpenUri", {uri}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return record.ClipPath == latin1; }, 5000))
        << record.ClipPath;
    EXPECT_EQ(record.ClipState, ClipState::Running) << "opened and playing";
    const QVariantMap metadata = qdbus_cast<QVariantMap>(PlayerProperty("Metadata"));
    EXPECT_EQ(metadata.value("xesam:url").toString().toStdString(), uri.toStdString());
}

using platform::IdleInhibit;
using testing::ScreenSaverStandIn;

TEST(IdleInhibit, HoldsAndReleasesThroughTheService) {
    using Steps = void (*)(std::unique_ptr<IdleInhibit>&, std::unique_ptr<IdleInhibit>&);
    // case, what the two holders do, then the service's inhibits, un-inhibits, holds outstanding
    const std::tuple<const char*, Steps, int, int, int> cases[] = {
        {"hold twice is one hold", [](auto& a, auto&) { a->Hold(), a->Hold(); }, 1, 0, 1},
        {"two holders: releasing one keeps the other",
         [](auto& a, auto& b) { a->Hold(), b->Hold(), QTest::qWait(300), a->Release(); }, 2, 1, 1},
        {"released before the cookie came: given back when it comes",
         [](auto& a, auto&) { a->Hold(), a->Release(); }, 1, 1, 0},
        {"ended before the cookie came: still given back",
         [](auto& a, auto&) { a->Hold(), a.reset(); }, 1, 1, 0},
    };
    for (const auto& [name, steps, inhibits, unInhibits, outstanding] : cases) {
        SCOPED_TRACE(name);
        ScreenSaverStandIn service;
        ASSERT_TRUE(service.Registered());
        service.SetReplyDelay(100);
        auto a = std::make_unique<IdleInhibit>("Playing video");
        auto b = std::make_unique<IdleInhibit>("Full screen");
        steps(a, b);
        QTest::qWait(500);  // every answer has come
        EXPECT_EQ(service.Inhibits(), inhibits);
        EXPECT_EQ(service.UnInhibits(), unInhibits);
        EXPECT_EQ(service.Outstanding(), outstanding);
    }
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    tavimo::testing::RunUnderPrivateBus(argc, argv);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
