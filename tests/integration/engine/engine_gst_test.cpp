// The engine on GStreamer with media made at test time: the roads of graph
// building, what each leaves in the pipeline, seeks, chapters, the A-B loop
// and the end of the clip, the silent volume, the sound output when no sink
// opens, and that opening and
// closing leaves nothing behind; the Filters menu over those pipelines and the
// settings dialog's editing of an element's properties.
#include <fcntl.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <set>
#include <tuple>

#include "engine/chapters_loop.h"
#include "engine/filter_properties.h"
#include "engine/filters_menu.h"
#include "engine/media/audio_output.h"
#include "support/gst_player.h"
#include "support/gst_tools.h"
#include "support/sanitizers.h"
#include "view/sliders.h"

namespace tavimo {

// The folder of clips made at test time; the shared entry removes it.
std::filesystem::path gMedia;

namespace {

namespace fs = std::filesystem;

using test::Launch;
using test::Media;

// 100-ns units; the clips run at 25 frames a second.
constexpr int64_t kMs = 10'000, kSecond = 1000 * kMs, kFrame = 40 * kMs;

// Muxer branches: `frames` of 320 x 240 SMPTE bars at 25/s, a key frame each
// second; `buffers` of 10 ms of a 440 Hz tone.
std::string Video(int frames) {
    return "videotestsrc num-buffers=" + std::to_string(frames) +
           " pattern=smpte ! video/x-raw,format=I420,width=320,height=240,framerate=25/1 ! "
           "x264enc speed-preset=ultrafast key-int-max=25 ! h264parse ! queue ! mux. ";
}
std::string Audio(int buffers) {
    return "audiotestsrc num-buffers=" + std::to_string(buffers) +
           " samplesperbuffer=441 freq=440 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! "
           "avenc_aac ! aacparse ! queue ! mux. ";
}

// Makes the clips once per run in a fresh folder, and serves it over HTTP
// twice: as Python's own server does, whole files only, and as most servers
// do, with byte ranges (tests/support/ranges_server.py). The servers end
// with the program.
struct Servers {
    std::vector<pid_t> pids;
    ~Servers() {
        for (pid_t server : pids) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }
} gServers;
std::string gUrl, gRangesUrl;

// Starts the server `argv` on 127.0.0.1 (its process goes in gServers); the
// URL of the clips' folder, empty if it said no port.
std::string Serve(std::vector<const char*> argv) {
    int said[2];
    if (pipe(said) != 0)
        return {};
    argv.push_back(nullptr);
    const pid_t server = fork();
    if (server == 0) {
        dup2(said[1], STDOUT_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);  // its request log
        execvp(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    gServers.pids.push_back(server);
    close(said[1]);
    // It says its port once it listens.
    FILE* in = fdopen(said[0], "r");
    int port = 0;
    const bool told = std::fscanf(in, "Serving HTTP on %*s port %d", &port) == 1;
    std::fclose(in);
    return told ? "http://127.0.0.1:" + std::to_string(port) + "/" : std::string();
}

void MakeMedia() {
    gMedia = test::NewFolder("engine");
    ASSERT_FALSE(gMedia.empty());
    const std::string mp4 = "mp4mux name=mux ! filesink location=";
    ASSERT_TRUE(Launch(Video(100) + Audio(400) + mp4 + Media("av.mp4")));
    ASSERT_TRUE(Launch(Video(50) + mp4 + Media("video.mp4")));
    ASSERT_TRUE(Launch(Audio(200) + mp4 + Media("audio.mp4")));
    // 30 s with a key frame every 10 s, as x264 makes them by default (no B
    // frames: their delay would shift every time by two frames).
    ASSERT_TRUE(
        Launch("videotestsrc num-buffers=750 ! "
               "video/x-raw,format=I420,width=160,height=120,framerate=25/1 ! "
               "x264enc speed-preset=veryfast bframes=0 key-int-max=250 ! h264parse ! mp4mux ! "
               "filesink location=" +
               Media("gop10.mp4")));
    ASSERT_TRUE(Launch(
        "videotestsrc num-buffers=50 ! video/x-raw,width=320,height=240,framerate=25/1 ! "
        "avenc_wmv2 ! queue ! mux. audiotestsrc num-buffers=100 ! audioconvert ! avenc_wmav2 ! "
        "queue ! mux. asfmux name=mux ! filesink location=" +
        Media("clip.wmv")));
    ASSERT_TRUE(Launch(Audio(100) + Audio(100) + mp4 + Media("two-sounds.mp4")));
    // 8 s with sound and three chapters (the last untitled), at frames 0, 60
    // and 130; a key frame each second.
    std::ofstream(Media("chapters.txt"))
        << ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2400\ntitle=Opening\n"
           "[CHAPTER]\nTIMEBASE=1/1000\nSTART=2400\nEND=5200\ntitle=Middle part\n"
           "[CHAPTER]\nTIMEBASE=1/1000\nSTART=5200\nEND=8000\n";
    ASSERT_TRUE(
        test::Ffmpeg("-f lavfi -i testsrc=size=320x240:rate=25:duration=8 "
                     "-f lavfi -i sine=frequency=440:duration=8 -i " +
                     Media("chapters.txt") +
                     " -map 0:v -map 1:a -map_chapters 2 -c:v libx264 -preset ultrafast "
                     "-g 25 -c:a aac " +
                     Media("chapters.mkv")));
    ASSERT_TRUE(test::Ffmpeg("-i " + Media("chapters.mkv") + " -c copy " + Media("chapters.mp4")));
    std::ofstream(Media("text.mp4")) << "This is not a video.\n";
    fs::copy_file(Media("video.mp4"), Media("mp4.wmv"));

    // 6 MB of noise in 2 s with its index last, past what the network
    // source's buffer holds: the demuxer must skip to the index.
    ASSERT_TRUE(
        Launch("videotestsrc num-buffers=50 pattern=snow ! "
               "video/x-raw,width=320,height=240,framerate=25/1 ! "
               "x264enc speed-preset=ultrafast bitrate=20000 ! h264parse ! mp4mux ! "
               "filesink location=" +
               Media("noise.mp4")));
    // The same 30 s with its index first, to be played as it comes.
    ASSERT_TRUE(test::Ffmpeg("-i " + Media("gop10.mp4") + " -c copy -movflags +faststart " +
                             Media("gop10-web.mp4")));

    gUrl = Serve({"python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory",
                  gMedia.c_str()});
    gRangesUrl = Serve(
        {"python3", "-u", TAVIMO_SOURCE_DIR "/tests/support/ranges_server.py", gMedia.c_str()});
    ASSERT_FALSE(gUrl.empty() || gRangesUrl.empty());
}

using EngineGstTest = test::GstRecordTest<test::ScriptedHost, MakeMedia>;

const std::string kRender =
    "FAILED(hr=0xffffffff) in RenderFileToVMR9(pGB, szFile, pVmr, TRUE)\n\nUnknown Error: "
    "0xffffffff";
const std::string kAsfLoad =
    "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or "
    "higher.\n";

TEST_F(EngineGstTest, RoadsOfGraphBuilding) {
    const char *source = "SOURCE", *asf = "ASF Reader", *mixer = "Tavimo Subtitle Mixer",
               *video = "Video Mixing Renderer 9", *audio = "Audio Renderer";
    const std::string missing =
        "FAILED(hr=0x80070002) in pGB->AddSourceFilter(filename, L\"SOURCE\", &pSource)\n\nThe "
        "file could not be found.";
    using Names = std::vector<const char*>;
    using Boxes = std::vector<std::string>;
    struct Row {
        const char* name;
        std::string path;
        Boxes boxes;  // none: the clip plays
        REFERENCE_TIME duration = 0;
        Names inPipeline = {}, notInPipeline = {};
    } rows[] = {
        {"video and audio", Media("av.mp4"), Boxes(), 40000000,
         Names{source, mixer, video, audio, "Color Space Converter"}, Names{asf}},
        {"video only", Media("video.mp4"), Boxes(), 20000000, Names{source, video}, Names{audio}},
        {"audio only", Media("audio.mp4"), Boxes(), 20000000, Names{source, audio}, Names{video}},
        {"windows media", Media("clip.wmv"), Boxes(), 23200000, Names{asf, mixer, video, audio},
         Names{source}},
        {"over HTTP: the network source", gUrl + "av.mp4", Boxes(), 40000000, Names{source, audio}},
        {"over HTTP without ranges, a file read out of order", gUrl + "noise.mp4",
         Boxes{"FAILED(hr=0x801901a0) in pMC->Run()\n\nThe file cannot be played from here: it "
               "has to be read out of order, and its server only sends it whole."}},
        {"missing file", Media("missing.mp4"), Boxes{missing, kRender}},
        {"file URI that cannot be looked up", "file:///" + std::string(300, 'n') + ".mp4",
         Boxes{missing, kRender}},
        {"text named mp4", Media("text.mp4"),
         Boxes{"FAILED(hr=0x80040265) in pMC->Run()\n\nThe file cannot be played: its format is "
               "not supported."}},
        {"mp4 named wmv", Media("mp4.wmv"),
         Boxes{kAsfLoad + "The file is not in the expected format.", kRender}},
        {"mms url", "mms://example.invalid/live",
         Boxes{kAsfLoad + "No handler is installed for this protocol (mms://).", kRender}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.dialogs.calls.clear();
        bool plays = Open(row.path);
        EXPECT_EQ(host.Boxes(), row.boxes);
        EXPECT_EQ(plays, row.boxes.empty());
        if (!plays)
            continue;
        EXPECT_NEAR(record.Duration, row.duration, 1000000);
        for (bool present : {true, false})
            for (const char* name : present ? row.inPipeline : row.notInPipeline) {
                g_autoptr(GstElement) element = gst_bin_get_by_name(GST_BIN(Pipeline()), name);
                EXPECT_EQ(element != nullptr, present) << name;
            }
    }
}

// The threads that pushed buffers through a pad, each as a GThread pointer.
struct PadThreads {
    std::mutex mutex;
    std::set<GThread*> threads;
    std::atomic<int> buffers = 0;
    static GstPadProbeReturn Note(GstPad*, GstPadProbeInfo*, gpointer data) {
        auto* self = static_cast<PadThreads*>(data);
        std::lock_guard lock(self->mutex);
        self->threads.insert(g_thread_self());
        ++self->buffers;
        return GST_PAD_PROBE_OK;
    }
};

// A decoder that has one thread (clips up to 1080p30) decodes the next frame
// while the sink waits for the last: it must not run in the thread that
// converts, mixes and renders, or one slow frame there (the first of a
// subtitle) delays the next decode and that frame is dropped as late.
TEST_F(EngineGstTest, OneThreadDecoderWorksApartFromTheRenderer) {
    ASSERT_TRUE(Open(Media("video.mp4")));
    const auto decoders = test::ElementsOfClass(Pipeline(), "Decoder/Video");
    ASSERT_EQ(decoders.size(), 1u);
    PadThreads decoded, rendered;
    const auto note = GST_PAD_PROBE_TYPE_BUFFER;
    test::ProbePad(decoders[0], "src", note, &PadThreads::Note, &decoded);
    test::ProbePad(SinkOf("Video Mixing Renderer 9"), "sink", note, &PadThreads::Note, &rendered);
    // Without a clock the fake sink plays the clip round and round.
    EXPECT_TRUE(QTest::qWaitFor([&] { return decoded.buffers > 5 && rendered.buffers > 5; }, 5000));
    record.CloseClip();
    for (GThread* thread : decoded.threads)
        EXPECT_EQ(rendered.threads.count(thread), 0u) << "a thread both decodes and renders";
}

// On a clip with a key frame every 10 s: the five-second keys go to a key
// frame in their own direction, never back going forward; the seek bar's
// click and the end of its drag land on the frame under the pointer; a seek
// far past either end stays in the clip.
TEST_F(EngineGstTest, SeeksLandWhereTheyShould) {
    ASSERT_TRUE(Open(Media("gop10.mp4")));
    record.TogglePause();
    ASSERT_EQ(record.ClipState, ClipState::Paused);
    ASSERT_EQ(record.Duration, 30 * kSecond);
    // case, where the clip stands, the step, the frame shown after it
    const std::tuple<const char*, int64_t, int64_t, int64_t> steps[] = {
        {"'.' at 2.5 s: the key frame at 10 s, not back to 0", 25'000'000, 5 * kSecond,
         10 * kSecond},
        {"'.' at 10.96 s: 20 s, not back to 10 s", 109'600'000, 5 * kSecond, 20 * kSecond},
        {"',' at 12 s: 0, not on to 10 s", 12 * kSecond, -5 * kSecond, 0},
        {"',' at 2.5 s: the start", 25'000'000, -5 * kSecond, 0},
        {"'.' at 22 s, no key frame after 27 s: 27 s, not back to 20 s", 22 * kSecond, 5 * kSecond,
         27 * kSecond},
    };
    for (const auto& [name, from, step, shown] : steps) {
        record.SeekTo(from);
        EXPECT_NEAR(ShownTime(), from, kFrame) << name << ": where it starts";
        record.SeekBy(step);
        EXPECT_EQ(ShownTime(), shown) << name;
    }
    // The seek bar: 400 pixels inside its border for the clip's 30 s.
    CSlider bar;
    bar.Attach(record, [] {});
    bar.resize(402, 20);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(1 + 100, 5));
    EXPECT_NEAR(ShownTime(), 75'000'000, kFrame) << "a click at a quarter: 7.5 s";
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(1 + 40, 5));
    QTest::mouseMove(&bar, QPoint(1 + 200, 5));
    QMouseEvent drag(QEvent::MouseMove, QPointF(1 + 280, 5), bar.mapToGlobal(QPointF(1 + 280, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &drag);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(1 + 280, 5));
    EXPECT_NEAR(ShownTime(), 210'000'000, kFrame) << "a drag let go at 70 %: 21 s";
    // Far past either end: the clip's end, the clip's start.
    record.SeekTo(std::numeric_limits<int64_t>::max());
    EXPECT_GE(Position(), 30 * kSecond - kFrame) << "past the end";
    record.SeekTo(25'000'000);
    record.SeekTo(std::numeric_limits<int64_t>::min());
    EXPECT_EQ(ShownTime(), 0) << "before the start";
}

// Over HTTP, as the player opens a URL. From a server that answers byte
// ranges '.' goes forward (a demuxer fed over the network takes a key-frame
// seek back to the key frame before it, here 0 s). From one that answers
// none a seek would end the stream: the clip plays on, the note says it
// cannot seek, and at its end, where it cannot rewind, it stops rather than
// ending over and over. Either way whether the file's index comes first or
// last.
TEST_F(EngineGstTest, FiveSecondKeysOverHttp) {
    const std::tuple<const char*, const std::string&, const char*, bool> rows[] = {
        {"ranges, index last", gRangesUrl, "gop10.mp4", true},
        {"ranges, index first", gRangesUrl, "gop10-web.mp4", true},
        {"no ranges, index last", gUrl, "gop10.mp4", false},
        {"no ranges, index first", gUrl, "gop10-web.mp4", false},
    };
    for (const auto& [name, server, clip, seeks] : rows) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Open(server + clip));
        // At the clip's pace: without a clock the fake sink plays it through at once.
        g_object_set(SinkOf("Video Mixing Renderer 9"), "sync", TRUE, nullptr);
        if (seeks)
            record.SeekTo(25'000'000);
        else
            QTest::qWait(500);
        const REFERENCE_TIME before = Position();
        record.SeekBy(5 * kSecond);
        if (seeks) {
            EXPECT_GE(Position(), before + 5 * kSecond - kFrame);
            EXPECT_EQ(record.ClipState, ClipState::Running);
        } else {
            QTest::qWait(500);
            EXPECT_GT(Position(), before) << "playing on";
            EXPECT_LT(Position(), before + 5 * kSecond) << "not sought";
            std::string note;
            record.Mixer.Note.Copy(note);
            EXPECT_EQ(note, "This stream cannot seek");
            EXPECT_EQ(record.ClipState, ClipState::Running);
            g_object_set(SinkOf("Video Mixing Renderer 9"), "sync", FALSE, nullptr);
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return record.ClipState == ClipState::Stopped; }, 5000))
                << "stopped at its end";
        }
        EXPECT_EQ(host.Boxes(), std::vector<std::string>{});
        record.CloseClip();
    }
}

// A network source pauses the clip below 100 % buffered and plays it on at
// 100 %, by a call that runs later on another thread: what the user did in
// between stands. The bus is told here as the source's queue tells it; the
// pipeline's state lock, held meanwhile, makes that call wait.
TEST_F(EngineGstTest, BufferingGivesWayToTheUser) {
    const std::tuple<const char*, void (PlayerRecord::*)(), GstState> rows[] = {
        {"left alone: plays on at 100 %", nullptr, GST_STATE_PLAYING},
        {"paused right after the 100 %", &PlayerRecord::TogglePause, GST_STATE_PAUSED},
        {"closed right after the 100 %", &PlayerRecord::CloseClip, GST_STATE_NULL},
    };
    for (const auto& [name, act, after] : rows) {
        SCOPED_TRACE(name);
        const GstState settles = after;  // a lambda takes no structured binding (clang)
        ASSERT_TRUE(Open(Media("gop10.mp4")));
        PlayAtPace();
        g_autoptr(GstElement) pipeline = GST_ELEMENT(gst_object_ref(Pipeline()));
        const auto goesTo = [&] { return GST_STATE_TARGET(pipeline); };
        gst_element_post_message(pipeline, gst_message_new_buffering(GST_OBJECT(pipeline), 40));
        ASSERT_TRUE(QTest::qWaitFor([&] { return goesTo() == GST_STATE_PAUSED; }, 5000));
        GST_STATE_LOCK(pipeline);
        gst_element_post_message(pipeline, gst_message_new_buffering(GST_OBJECT(pipeline), 100));
        if (act)
            (record.*act)();
        GST_STATE_UNLOCK(pipeline);
        EXPECT_TRUE(QTest::qWaitFor([&] { return goesTo() == settles; }, 5000));
        EXPECT_FALSE(QTest::qWaitFor([&] { return goesTo() != settles; }, 500)) << "and stays";
        record.CloseClip();
    }
}

TEST_F(EngineGstTest, LowestVolumeSilences) {
    for (int volume : {50, 0}) {
        record.Volume = volume;
        ASSERT_TRUE(Open(Media("av.mp4"))) << volume;
        QTest::qWait(300);
        g_autoptr(GstSample) heard = test::LastSample(SinkOf("Audio Renderer"));
        ASSERT_NE(heard, nullptr) << volume;
        GstBuffer* buffer = gst_sample_get_buffer(heard);
        std::string bytes(gst_buffer_get_size(buffer), '\0');
        gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
        EXPECT_EQ(bytes.find_first_not_of('\0') == std::string::npos, volume == 0) << volume;
        record.CloseClip();
    }
}

// The file's chapters reach the record in order, from Matroska's table of
// contents and from MP4's own box; the chapter keys show the frame a chapter
// starts on, while paused too: ffmpeg puts the frames 23 ms late (the sound's
// priming), so the frame before a chapter still runs at its start; the
// first frame starting at or after it is shown, whole, and drawing the
// paused picture again (as a note does) keeps it.
TEST_F(EngineGstTest, ChaptersAndTheirKeys) {
    for (const char* clip : {"chapters.mkv", "chapters.mp4"}) {
        SCOPED_TRACE(clip);
        ASSERT_TRUE(Open(Media(clip)));
        // MP4's chapters come from a worker, by the position timer.
        (void)QTest::qWaitFor(
            [&] {
                record.PollPosition();
                return !record.Chapters.empty();
            },
            5000);
        EXPECT_EQ(
            record.Chapters,
            (std::vector<Chapter>{{0, "Opening"}, {2400 * kMs, "Middle part"}, {5200 * kMs, ""}}));
        record.TogglePause();
        ASSERT_EQ(record.ClipState, ClipState::Paused);
        const std::pair<void (PlayerRecord::*)(), int64_t> steps[] = {
            {&PlayerRecord::NextChapter, 2400 * kMs},     {&PlayerRecord::NextChapter, 5200 * kMs},
            {&PlayerRecord::NextChapter, 5200 * kMs},  // the last: stays
            {&PlayerRecord::PreviousChapter, 2400 * kMs}, {&PlayerRecord::PreviousChapter, 0},
        };
        for (const auto& [step, shown] : steps) {
            (record.*step)();
            for (const char* when : {"after the jump", "drawn again"}) {
                const auto [start, length] = ShownFrame();
                EXPECT_GE(start, shown) << when << ": not the frame before the chapter";
                EXPECT_LT(start, shown + kFrame) << when << ": the chapter's first frame";
                EXPECT_EQ(length, kFrame) << when << ": a whole frame, not the end of one";
                record.RefreshPausedPicture();
            }
        }
        record.CloseClip();
    }
    ASSERT_TRUE(Open(Media("av.mp4")));
    EXPECT_TRUE(record.Chapters.empty()) << "a clip without chapters";
    // An MP4's own chapters are read off the UI thread and given to the
    // graph by a queued call: graphs let go before that call runs are left
    // alone (no use after free under AddressSanitizer).
    for (int i = 0; i < 5; ++i) {
        std::shared_ptr<IGraphBuilder> gone;
        std::shared_ptr<IBaseFilter> its;
        ASSERT_EQ(media->CreateFilterGraph(&gone), S_OK);
        ASSERT_EQ(gone->AddSourceFilter(Media("chapters.mp4"), "SOURCE", &its), S_OK);
    }
    QThread::msleep(300);
    QCoreApplication::processEvents();
}

// Playing at the clip's pace, the loop from about 1 s to about 2 s comes back
// to A again and again and never shows a moment past B; once off, the clip
// plays on past B, and at its end rewinds and keeps running.
TEST_F(EngineGstTest, LoopComesBackToAAndNeverPassesB) {
    ASSERT_TRUE(Open(Media("chapters.mkv")));
    PlayAtPace();
    REFERENCE_TIME start = 1000 * kMs;
    record.pMS->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    record.StepLoop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Position() >= 2000 * kMs; }, 5000));
    record.StepLoop();
    ASSERT_EQ(record.Loop.stage, AbLoop::Stage::Looping);
    const REFERENCE_TIME a = record.Loop.a, b = record.Loop.b;
    EXPECT_GE(b - a, 900 * kMs);
    REFERENCE_TIME highest = 0, lowest = b, last = Position();
    int returns = 0;
    (void)QTest::qWaitFor(
        [&] {
            const REFERENCE_TIME position = Position();
            highest = std::max(highest, position);
            lowest = std::min(lowest, position);
            if (last > b - 300 * kMs && position < a + 300 * kMs)
                ++returns;
            last = position;
            return false;
        },
        3500);
    EXPECT_LE(highest, b + 20 * kMs) << "past B";
    EXPECT_GE(lowest, a - 40 * kMs) << "before A";
    EXPECT_GE(returns, 2);
    record.StepLoop();
    EXPECT_EQ(record.Loop.stage, AbLoop::Stage::Off);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() > b + 1000 * kMs; }, 5000))
        << "the clip plays on past B";
    // At its end (sought near it) the clip rewinds and keeps running.
    record.SeekTo(7000 * kMs);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() < a; }, 5000)) << "rewound at the end";
    EXPECT_EQ(record.ClipState, ClipState::Running);
}

// Pushes, once, before the first audio a decoder gives from 3 s on, a gap
// stamped 1 s: before the segment of a seek to 3 s. Streaming thread.
GstPadProbeReturn PushEarlyGap(GstPad* pad, GstPadProbeInfo* info, gpointer pushed) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (GST_BUFFER_PTS(buffer) < 3 * GST_SECOND ||
        static_cast<std::atomic<bool>*>(pushed)->exchange(true))
        return GST_PAD_PROBE_OK;
    gst_pad_push_event(pad, gst_event_new_gap(GST_SECOND, 0));
    return GST_PAD_PROBE_OK;
}

// At twice the speed, a gap stamped before the segment's start (scaletempo
// moves it to about 2^63 ns) leaves the clip playing to its end, where it
// rewinds. Mended: the audio sink waited for that time for good, spinning
// on the lock a seek or Stop needs (the window hung on a loaded machine).
TEST_F(EngineGstTest, AGapBeforeTheSegmentAtTwiceTheSpeedIsPassedOver) {
    // A transport stream: its segments have no end that would clip the gap.
    ASSERT_TRUE(test::Ffmpeg("-i " + Media("chapters.mkv") + " -c copy " + Media("clip.ts")));
    ASSERT_TRUE(Open(Media("clip.ts")));
    std::atomic<bool> pushed{false};
    const auto decoders = test::ElementsOfClass(Pipeline(), "Decoder/Audio");
    ASSERT_FALSE(decoders.empty());
    test::ProbePad(decoders[0], "src", GST_PAD_PROBE_TYPE_BUFFER, &PushEarlyGap, &pushed);
    PlayAtPace();
    record.SetSpeed(2.0);
    record.SeekTo(3000 * kMs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pushed.load(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() < 2000 * kMs; }, 10000))
        << "stood at " << Position() / 1e7 << " s";
}

int ThreadCount() {
    return int(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

long RssKb() {
    malloc_trim(0);  // what the allocator keeps free is not the graph's
    long size = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST_F(EngineGstTest, OpenAndCloseLeaveNothingBehind) {
    auto cycle = [&] {
        ASSERT_TRUE(Open(Media("av.mp4")));
        // Every element of the graph must be gone after the close.
        std::vector<gpointer> watched;
        for (GstElement* element : test::Elements(gst_bin_iterate_recurse(GST_BIN(Pipeline()))))
            watched.push_back(element);
        watched.push_back(Pipeline());
        for (gpointer& object : watched)
            g_object_add_weak_pointer(G_OBJECT(object), &object);
        QApplication::processEvents();
        record.CloseClip();
        QApplication::processEvents();
        for (gpointer& object : watched) {
            EXPECT_EQ(object, nullptr) << (object ? GST_OBJECT_NAME(object) : "");
            if (object)
                g_object_remove_weak_pointer(G_OBJECT(object), &object);
        }
    };
    for (int i = 0; i < 10; ++i)
        cycle();
    int threads = ThreadCount();
    // What stays grows with every batch of 100; on a loaded machine the
    // allocator's and the threads' reserves grew once by 5.2 MB: a second
    // batch decides.
    long grown = 0;
    for (int batch = 0; batch < 2; ++batch) {
        const long rss = RssKb();
        for (int i = 0; i < 100; ++i)
            cycle();
        grown = RssKb() - rss;
        if (grown < 5 * 1024)
            break;
    }
    // Idle streaming threads wait in GLib's pool for the next task.
    EXPECT_LE(ThreadCount(), threads + int(g_thread_pool_get_max_unused_threads()));
    // Under AddressSanitizer freed memory stays aside (LeakSanitizer counts
    // what stays instead); ThreadSanitizer keeps every thread's history.
    if (!testing_support::kSanitized) {
        EXPECT_LT(grown, 5 * 1024);
    }
}

// The popup as a list of (id, name).
struct RecordingPopup : FiltersPopup {
    void RemoveAll() override { items.clear(); }
    void Append(int id, const std::string& name) override { items.emplace_back(id, name); }
    std::vector<std::pair<int, std::string>> items;
};

class FiltersMenuTest : public EngineGstTest {
  protected:
    void OpenMenu(const std::string& path) {
        ASSERT_TRUE(Open(path)) << path;
        ASSERT_EQ(BuildFiltersMenu(record.pGB, popup, table), S_OK);
    }

    // The value the filter's properties list for `name`.
    static std::string Value(const std::shared_ptr<IFilterProperties>& properties,
                             const std::string& name) {
        std::vector<FilterProperty> list;
        properties->GetProperties(&list);
        const auto found = std::ranges::find(list, name, &FilterProperty::name);
        return found == list.end() ? "(absent)" : found->value;
    }
    std::shared_ptr<IFilterProperties> PropertiesOf(int id) {
        std::shared_ptr<IFilterProperties> properties;
        EXPECT_EQ(table.Find(id)->QueryFilterProperties(&properties), S_OK);
        return properties;
    }

    RecordingPopup popup;
    FilterMenuTable table;
};

TEST_F(FiltersMenuTest, ListsTheFiltersAsTheDataReachesThem) {
    const char *demuxer = "QuickTime demuxer", *aacParser = "AAC audio stream parser",
               *aac = "libav AAC (Advanced Audio Coding) decoder", *mixer = "Tavimo Subtitle Mixer",
               *converter = "Color Space Converter", *video = "Video Mixing Renderer 9",
               *audio = "Audio Renderer";
    // case, clip, the items in order
    const std::tuple<const char*, const char*, std::vector<std::string>> rows[] = {
        {"mp4 with sound: the source's insides, then ours; no SOURCE",
         "av.mp4",
         {demuxer, "H.264 parser", "libav H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10 decoder",
          aacParser, aac, converter, mixer, video, audio}},
        {"two sound tracks: the same names twice, each with its own item; the unreached "
         "renderer and mixer come last",
         "two-sounds.mp4",
         {demuxer, aacParser, aac, aacParser, aac, audio, video, mixer}},
        {"windows media: the ASF Reader is listed before what it holds",
         "clip.wmv",
         {"ASF Reader", "ASF Demuxer", "libav Windows Media Video 8 decoder",
          "libav Windows Media Audio 2 decoder", converter, mixer, video, audio}},
    };
    for (const auto& [name, clip, items] : rows) {
        SCOPED_TRACE(name);
        OpenMenu(Media(clip));
        std::vector<std::string> names;
        for (const auto& [id, item] : popup.items) {
            EXPECT_EQ(id, 33000 + int(names.size()));
            names.push_back(item);
        }
        EXPECT_EQ(names, items);
        EXPECT_EQ(table.Find(33000 + int(items.size())), nullptr);
    }
}

// Each editor kind applies on OK; a value out of range or not a number applies
// nothing, not even the valid edits, and keeps the dialog open; once the
// graph is gone, nothing applies.
TEST_F(FiltersMenuTest, DialogAppliesSimpleWritablePropertiesOnOk) {
    OpenMenu(Media("av.mp4"));
    constexpr int kDecoder = 33002, kConverter = 33005, kRenderer = 33007;  // a fakesink here
    // property, text (into a line edit; "true"/"false" for a box, a nick for a
    // list), the value after
    using Edits = std::vector<std::tuple<const char*, const char*, const char*>>;
    // case, filter, whether the dialog closes, edits
    const std::tuple<const char*, int, bool, Edits> rows[] = {
        {"int, uint, int64, bool applied", kRenderer, true,
         Edits{{"num-buffers", "12", "12"},
               {"blocksize", "8192", "8192"},
               {"ts-offset", "-5000", "-5000"},
               {"signal-handoffs", "true", "true"}}},
        {"an enum applied", kDecoder, true,
         Edits{{"skip-frame", "Skip B-frames", "Skip B-frames"}}},
        {"double and enum applied", kConverter, true,
         Edits{{"alpha-value", "0.5", "0.5"}, {"dither", "none", "none"}}},
        {"below the minimum: nothing applied, the dialog stays", kRenderer, false,
         Edits{{"num-buffers", "-2", "12"}, {"blocksize", "100", "8192"}}},
        {"not a number", kRenderer, false, Edits{{"ts-offset", "5 ms", "-5000"}}},
        {"an unsigned number takes no sign", kRenderer, false, Edits{{"blocksize", "-1", "8192"}}},
    };
    for (const auto& [name, filter, closes, edits] : rows) {
        SCOPED_TRACE(name);
        FilterPropertiesDialog dialog(PropertiesOf(filter), "title", table.Graph());
        for (const auto& [property, text, after] : edits) {
            QWidget* editor = dialog.Editor(property);
            ASSERT_NE(editor, nullptr) << property;
            if (auto* box = qobject_cast<QCheckBox*>(editor))
                box->setChecked(std::string(text) == "true");
            else if (auto* combo = qobject_cast<QComboBox*>(editor))
                combo->setCurrentText(text);
            else
                qobject_cast<QLineEdit*>(editor)->setText(text);
        }
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, closes);
        for (const auto& [property, text, after] : edits)
            EXPECT_EQ(Value(PropertiesOf(filter), property), after) << property;
    }

    // Read-only: the element's name and parent, what it last saw, types
    // without an editor; each keeps its description as a tooltip.
    const auto properties = PropertiesOf(kRenderer);
    FilterPropertiesDialog dialog(properties, "Video Mixing Renderer 9", table.Graph());
    for (const char* name : {"name", "parent", "last-message", "last-sample", "render-delay"}) {
        EXPECT_EQ(dialog.Editor(name), nullptr) << name;
        EXPECT_NE(dialog.Field(name), nullptr) << name;
    }
    EXPECT_EQ(dialog.Field("sync")->toolTip(), "Sync on the clock");

    // Outliving its graph, the dialog takes no edit, and a stale menu item shows none.
    auto* buffers = qobject_cast<QLineEdit*>(dialog.Editor("num-buffers"));
    ASSERT_NE(buffers, nullptr);
    std::weak_ptr<IBaseFilter> renderer = table.Find(kRenderer);
    record.CloseClip();
    EXPECT_TRUE(renderer.expired());
    buffers->setText("7");
    dialog.accept();
    EXPECT_EQ(Value(properties, "num-buffers"), "12");
    QTimer::singleShot(200, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a stale item showed " << modal->windowTitle().toStdString();
            modal->close();
        }
    });
    EXPECT_EQ(table.Find(kRenderer), nullptr);
    EXPECT_EQ(ShowFilterProperties(table, kRenderer, nullptr), 0);
}

// The sound output: the first sink that opens, else silence that keeps to the
// clock, said once on stderr and with no sound library's chatter.
TEST(AudioOutput, FirstSinkThatOpensElseClockBoundSilenceSaidOnce) {
    gst_init(nullptr, nullptr);
    // case, the candidates (none: the machine's sinks), the sink made (null:
    // whichever opens here), what stderr said
    const std::tuple<const char*, std::vector<std::string>, const char*, const char*> cases[] = {
        {"nothing opens: silence, and the one line",
         {"no-such-sink"},
         "fakesink",
         "tavimo: no audio output; playing without sound\n"},
        {"nothing opens again: the line is not repeated", {"no-such-sink"}, "fakesink", ""},
        {"the first candidate that opens is taken",
         {"no-such-sink", "fakeaudiosink", "fakesink"},
         "fakeaudiosink",
         ""},
        // ALSA and OpenAL ones where there is no sound card: none of their
        // libraries' messages reach the terminal.
        {"every sink of the machine tried", {}, nullptr, ""},
    };
    for (const auto& [name, candidates, factory, said] : cases) {
        SCOPED_TRACE(name);
        // Captured on file descriptor 2, so the libraries' own output too.
        ::testing::internal::CaptureStderr();
        GstElement* sink = MakeAudioOutput(candidates);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), said);
        ASSERT_NE(sink, nullptr);
        EXPECT_TRUE(g_object_is_floating(sink));
        const std::string made = GST_OBJECT_NAME(gst_element_get_factory(sink));
        EXPECT_TRUE(!factory || made == factory) << made;
        if (made == "fakesink") {
            gboolean sync = FALSE;
            g_object_get(sink, "sync", &sync, nullptr);
            EXPECT_TRUE(sync) << "silence must keep to the clock";
        }
        gst_object_unref(gst_object_ref_sink(sink));
    }
}

}  // namespace
}  // namespace tavimo
