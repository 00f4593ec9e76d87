// MPRIS on a private session bus, asked by a client of its own as a desktop
// would, driving the main frame's player on GStreamer (fake sinks) over a 30 s
// clip with a key frame every 10 s: positions land on the frame asked for, and
// offsets and positions at the ends of the 64-bit range stay inside the clip.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>
#include <tuple>

#include "../frame/frame_test_util.h"
#include "app/desktop_wiring.h"
#include "engine/media/gst_media.h"
#include "integration/mpris.h"
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
    const auto position = [&] {
        REFERENCE_TIME at = -1;
        record.pMS->GetCurrentPosition(&at);
        return at;
    };

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
        EXPECT_NEAR(position(), landed, 400'000);  // within a frame
        EXPECT_EQ(commands.size() == 1 && commands.at(0).at(0).toInt() == ID_NEXT_FILE, next);
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
