// MPRIS on a private session bus, asked by a client of its own as a desktop
// would, driving a player on GStreamer (fake sinks) over a 30 s clip with a
// key frame every 10 s: positions land on the frame asked for, and offsets and
// positions at the ends of the 64-bit range stay inside the clip.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "integration/mpris.h"
#include "private_bus.h"
#include "resources/command_ids.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

constexpr int64_t kSecond = 10'000'000;  // 100 ns units
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

// The player as the frame wires it to the bus, cut to what seeking needs.
class Player : public PlayerHost, public MprisPort {
  public:
    Player() {
        GstMediaOptions options;
        options.videoSink = "fakesink";
        options.audioSink = "fakesink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
    }
    ~Player() override { record.CloseClip(); }

    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}

    MprisSnapshot Snapshot() override {
        MprisSnapshot s;
        s.playback = record.ClipState == ClipState::Running  ? MprisSnapshot::Playback::Playing
                     : record.ClipState == ClipState::Paused ? MprisSnapshot::Playback::Paused
                                                             : MprisSnapshot::Playback::Stopped;
        s.clipPath = record.ClipPath;
        s.canPause = s.canSeek = record.HasSeeking();
        s.duration = record.Duration;
        s.position = Position();
        return s;
    }
    void Command(int id) override { commands.push_back(id); }
    void SetVolume(int) override {}
    void SeekTo(int64_t position) override { record.SeekTo(position); }
    void SeekBy(int64_t offset) override { record.SeekBy(offset); }
    void Raise() override {}
    void Open(const QString&) override {}

    int64_t Position() {
        REFERENCE_TIME at = -1;
        if (record.pMS)
            record.pMS->GetCurrentPosition(&at);
        return at;
    }

    platform::ScriptedDialogs dialogs;
    std::unique_ptr<MediaFramework> media;
    PlayerRecord record{*this};
    std::vector<int> commands;
};

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
    ASSERT_EQ(std::system(("gst-launch-1.0 -q videotestsrc num-buffers=750 ! "
                           "video/x-raw,format=I420,width=160,height=120,framerate=25/1 ! "
                           "x264enc speed-preset=veryfast bframes=0 key-int-max=250 ! "
                           "h264parse ! mp4mux ! filesink location=" +
                           clip + " >/dev/null 2>&1")
                              .c_str()),
              0);
    Player player;
    player.record.ClipPath = clip;
    player.record.OpenClip();
    player.record.TogglePause();
    ASSERT_EQ(player.record.ClipState, ClipState::Paused);
    ASSERT_EQ(player.record.Duration, 30 * kSecond);
    Mpris mpris(player);
    ASSERT_TRUE(mpris.Start(false));
    const QVariant track = QVariant::fromValue(QDBusObjectPath(mpris.TrackId()));

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
        player.record.SeekTo(15'000'000);
        player.commands.clear();
        QVariantList args;
        if (QString(method) == "SetPosition")
            args << track;
        args << QVariant::fromValue(qlonglong{us});
        ASSERT_TRUE(Call(method, args));
        EXPECT_NEAR(player.Position(), landed, 400'000);  // within a frame
        EXPECT_EQ(player.commands, next ? std::vector<int>{ID_NEXT_FILE} : std::vector<int>{});
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
