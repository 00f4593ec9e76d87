// The tracks a file carries, on GStreamer with clips made at test time by
// ffmpeg: every audio and subtitle track listed in file order with what the
// menus show, cues of embedded text and ASS reaching the picture at their
// times and after a seek past where they began, switching audio while
// playing, a long gap between cues that does not hold the picture, and a
// track without a decoder.
#include <fcntl.h>
#include <gst/audio/audio.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <numeric>
#include <tuple>

#include "engine/media/gst_cue_preroll.h"
#include "engine/media/gst_filter_wrappers.h"
#include "support/fake_media.h"
#include "support/gst_player.h"
#include "support/gst_tools.h"
#include "support/pgs_stream.h"

namespace tavimo {

// The folder of clips made at test time; the shared entry removes it.
std::filesystem::path gMedia;

void PrintTo(const SubtitleEntry& e, std::ostream* os) {
    *os << "{" << e.start << ", " << e.end << ", \"" << e.text << "\", " << e.lines
        << (e.markup ? ", markup}" : "}");
}

namespace {

namespace fs = std::filesystem;
using Kind = StreamInfo::Kind;
using test::Ffmpeg;
using test::Media;

constexpr char kSubRip[] =
    "1\n00:00:00,500 --> 00:00:01,500\n<i>Hello</i> &amp; world\n\n"
    "2\n00:00:02,000 --> 00:00:03,000\nLine one\n<font color=\"#ff0000\">red</font>\n";
// Red (&H0000FF, BGR) text at the bottom centre of a 320 x 240 script.
constexpr char kAss[] =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
    "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
    "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,40,&H000000FF,&H000000FF,&H000000FF,&H00000000,1,0,0,0,100,100,0,"
    "0,1,0,0,2,10,10,10,1\n\n[Events]\n"
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:00.50,0:00:01.50,Default,,0,0,0,,RED RED\n";
constexpr char kLate[] =
    "1\n00:00:01,000 --> 00:00:02,000\nfirst\n\n2\n00:00:18,000 --> 00:00:19,500\nlate\n";
constexpr char kGap[] =
    "1\n00:00:01,000 --> 00:00:02,000\nfirst\n\n2\n00:01:05,000 --> 00:01:06,000\nlate\n";

// Black 320 x 240 pictures at 25/s, `seconds` long.
std::string Black(int seconds, const char* size = "320x240", int rate = 25) {
    return "-f lavfi -i color=c=black:s=" + std::string(size) + ":r=" + std::to_string(rate) +
           ":d=" + std::to_string(seconds) + " ";
}

// Black video with the PGS stream, its VobSub encoding and a SubRip track;
// and an MPEG-TS of the video with two DVB tracks: the PGS stream's, and the
// same rectangle from 3.5 s to 4.5 s.
void MakePictureClips() {
    std::ofstream(Media("rect.sup"), std::ios::binary) << test::PgsRectangle();
    std::ofstream(Media("later.sup"), std::ios::binary) << test::PgsRectangle(315000, 405000);
    ASSERT_TRUE(Ffmpeg(Black(5) + "-c:v libx264 -preset ultrafast -g 5 " + Media("black.mkv")));
    // -copyts keeps the stream's own times (ffmpeg would start it at 0); the
    // VobSub encoder learns each picture's end from the next display set.
    ASSERT_TRUE(Ffmpeg("-copyts -i " + Media("black.mkv") + " -fix_sub_duration -i " +
                       Media("rect.sup") + " -i " + Media("a.srt") +
                       " -map 0 -map 1 -map 1 -map 2 -c:v copy -c:s:0 copy -c:s:1 dvdsub "
                       "-c:s:2 srt -disposition:s 0 " +
                       Media("pictures.mkv")));
    // DVB from the VobSub encodings: with their four colours ffmpeg writes
    // 2-bit pixel strings (its 8-bit ones lack the end of string's second
    // byte, which ffmpeg alone reads).
    ASSERT_TRUE(Ffmpeg("-copyts -i " + Media("black.mkv") + " -fix_sub_duration -i " +
                       Media("later.sup") + " -map 0 -map 1 -c:v copy -c:s dvdsub " +
                       Media("later.mkv")));
    ASSERT_TRUE(Ffmpeg("-i " + Media("pictures.mkv") + " -i " + Media("later.mkv") +
                       " -map 0:v -map 0:s:1 -map 1:s:0 -c:v copy -c:s dvbsub " + Media("dvb.ts")));
    // A page due from the first frame on (0.2 s to 1.5 s of the Matroska
    // clip's time, 0.9 s to 2.2 s of the TS's).
    std::ofstream(Media("early.sup"), std::ios::binary) << test::PgsRectangle(18000, 135000);
    ASSERT_TRUE(Ffmpeg("-copyts -i " + Media("black.mkv") + " -fix_sub_duration -i " +
                       Media("early.sup") + " -map 0 -map 1 -c:v copy -c:s dvdsub " +
                       Media("early.mkv")));
    ASSERT_TRUE(Ffmpeg("-i " + Media("early.mkv") + " -map 0:v -map 0:s:0 -c:v copy -c:s dvbsub " +
                       Media("early.ts")));
}

void MakeMedia() {
    gMedia = test::NewFolder("tracks");
    ASSERT_FALSE(gMedia.empty());
    std::ofstream(Media("a.srt")) << kSubRip;
    std::ofstream(Media("a.ass")) << kAss;
    std::ofstream(Media("gap.srt")) << kGap;
    std::ofstream(Media("late.srt")) << kLate;
    std::ofstream(Media("long.srt")) << "1\n00:00:12,000 --> 00:00:25,000\nWWWWWWWW\n\n"
                                        "2\n00:00:32,000 --> 00:00:45,000\nMMMMMMMM\n";
    std::ofstream(Media("a.vtt")) << "WEBVTT\n\n00:00:00.500 --> 00:00:01.500\nHello\n";
    // A key frame every 0.2 s: seeks land on one at or before their target.
    const std::string video = "-c:v libx264 -preset ultrafast -g 5 ";
    // A loud stereo tone in English, silence in German, SubRip and ASS.
    ASSERT_TRUE(Ffmpeg(Black(6) +
                       "-f lavfi -i sine=f=440:d=6 -f lavfi -i anullsrc=r=48000:cl=mono " + "-i " +
                       Media("a.srt") + " -i " + Media("a.ass") +
                       " -map 0 -map 1 -map 2 -map 3 -map 4 -t 6 " + video +
                       "-c:a:0 aac -ac:a:0 2 -c:a:1 ac3 -c:s:0 srt -c:s:1 ass "
                       "-metadata:s:a:0 language=eng -metadata:s:a:1 language=ger "
                       "-metadata:s:s:0 language=eng -metadata:s:s:1 language=fre "
                       "-metadata:s:s:1 title=Signs -disposition:a:0 default "
                       "-disposition:a:1 0 -disposition:s:0 0 -disposition:s:1 default " +
                       Media("tracks.mkv")));
    ASSERT_TRUE(Ffmpeg(
        Black(4) + "-f lavfi -i sine=f=440:d=4 -i " + Media("a.srt") + " -map 0 -map 1 -map 2 " +
        video + "-c:a aac -c:s mov_text -metadata:s:s:0 language=eng " + Media("movtext.mp4")));
    // Two text tracks of which the file enables the second (its default).
    ASSERT_TRUE(Ffmpeg(Black(2) + "-i " + Media("a.srt") + " -i " + Media("a.srt") +
                       " -map 0 -map 1 -map 2 " + video +
                       "-c:s mov_text -metadata:s:s:0 language=eng -metadata:s:s:1 language=ger "
                       "-disposition:s:0 0 -disposition:s:1 default " +
                       Media("enabled.mp4")));
    // GStreamer 1.22 reads no WebVTT from Matroska.
    ASSERT_TRUE(Ffmpeg(Black(2) + "-i " + Media("a.vtt") + " -map 0 -map 1 " + video +
                       "-c:s webvtt -metadata:s:s:0 language=spa -disposition:s:0 0 " +
                       Media("webvtt.mkv")));
    std::string thirty = Black(1) + "-i " + Media("a.srt") + " -map 0 ";
    for (int i = 0; i < 30; ++i)
        thirty += "-map 1 ";
    ASSERT_TRUE(Ffmpeg(thirty + video + "-c:s srt " + Media("thirty.mkv")));
    // 50 s with a key frame every 10 s, two long lines each begun in the
    // stretch before a key frame and running past it.
    ASSERT_TRUE(Ffmpeg(Black(50) + "-i " + Media("long.srt") +
                       " -map 0 -map 1 -c:v libx264 -preset ultrafast -g 250 -c:s srt " +
                       Media("long.mkv")));
    ASSERT_TRUE(Ffmpeg(Black(70, "160x120", 10) + "-i " + Media("gap.srt") +
                       " -map 0 -map 1 -c:v libx264 -preset ultrafast -g 10 -c:s srt " +
                       Media("gap.mkv")));
    // 12 MB of lossless noise above a black lower half: the source reads at
    // most 8 MB ahead of the picture, so the cue at 18 s is read only when
    // playback nears it.
    ASSERT_TRUE(Ffmpeg(
        "-f lavfi -i nullsrc=s=320x240:r=10:d=20,geq=lum='if(lt(Y\\,120)\\,"
        "random(1)*255\\,16)':cb=128:cr=128 -i " +
        Media("late.srt") + " -map 0 -map 1 -c:v libx264 -preset ultrafast -qp 0 -g 2 -c:s srt " +
        Media("late.mkv")));
    MakePictureClips();
}

class TracksGstTest : public test::GstRecordTest<test::ScriptedHost, MakeMedia> {
  protected:
    // Paced: sinks that keep the clock, so that the clip plays in real time
    // from its start; unpaced, it plays through in a moment.
    explicit TracksGstTest(bool paced = false) : GstRecordTest(test::FakeSinks(paced)) {}

    bool Open(const std::string& path) {
        return GstRecordTest::Open(path) && SUCCEEDED(record.pGB->QueryStreamSelect(&tracks));
    }
    std::vector<StreamInfo> Tracks() {
        long count = 0;
        tracks->Count(&count);
        std::vector<StreamInfo> out(static_cast<size_t>(count));
        for (long i = 0; i < count; ++i)
            EXPECT_EQ(tracks->Info(i, &out[size_t(i)]), S_OK);
        return out;
    }
    // Pixels of the shown picture in [x0, x1) x [y0, y1) (its lower half
    // unless given) that `match` (R, G, B); -1 before the first picture.
    int CountShown(const std::function<bool(int, int, int)>& match, int x0 = 0, int y0 = 120,
                   int x1 = 320, int y1 = 240) {
        g_autoptr(GstSample) shown = Shown();
        return test::CountPixels(test::Rgbx(shown), 320, x0, y0, x1, y1, match);
    }

    std::shared_ptr<IAMStreamSelect> tracks;
};

// What the menus show of each track `got` against `want` (made by FakeTrack).
void ExpectListed(const std::vector<StreamInfo>& got, const std::vector<StreamInfo>& want) {
    ASSERT_EQ(got.size(), want.size());
    const auto fields = [](const auto& t) {
        return std::tuple(int(t.kind), t.format, t.language, t.title, t.channels, t.isDefault,
                          t.decodable, t.enabled);
    };
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(fields(got[i]), fields(want[i])) << "track " << i;
}

TEST_F(TracksGstTest, EveryTrackIsListedInFileOrderWithWhatTheMenusShow) {
    // ffmpeg flags the first subtitle track default when none is.
    std::vector<StreamInfo> thirty(30, FakeTrack(Kind::Subtitle, "", "SubRip"));
    // The clip opens with the subtitle track flagged default shown.
    thirty[0].isDefault = thirty[0].enabled = true;
    using Listing = std::vector<StreamInfo>;
    constexpr int kShown = kTrackOn | kTrackDefault;
    struct Row {
        const char* name;
        const char* clip;
        Listing tracks;
    } rows[] = {
        {"mkv: AAC and AC-3 in two languages, SubRip and ASS", "tracks.mkv",
         Listing{FakeTrack(Kind::Audio, "en", "AAC", 2, kShown),
                 FakeTrack(Kind::Audio, "de", "AC-3", 1), FakeTrack(Kind::Subtitle, "en", "SubRip"),
                 FakeTrack(Kind::Subtitle, "fr", "ASS", 0, kShown, "Signs")}},
        // MP4 flags a track it enables, not one it makes default: ffmpeg
        // enables the first of each kind when none is asked for.
        {"mp4: mov_text, enabled as the only one of its kind", "movtext.mp4",
         Listing{FakeTrack(Kind::Audio, "", "AAC", 1, kShown),
                 FakeTrack(Kind::Subtitle, "en", "Timed Text", 0, kShown)}},
        {"mp4: the text track the file enables is shown, the other not", "enabled.mp4",
         Listing{FakeTrack(Kind::Subtitle, "en", "Timed Text"),
                 FakeTrack(Kind::Subtitle, "de", "Timed Text", 0, kShown)}},
        {"mkv with 30 subtitle tracks lists all 30", "thirty.mkv", thirty},
        {"a subtitle stream nothing reads is listed, greyed", "webvtt.mkv",
         Listing{FakeTrack(Kind::Subtitle, "es", "Unknown", 0, kTrackNoDecoder)}},
        {"mkv: PGS, its VobSub encoding and SubRip", "pictures.mkv",
         Listing{FakeTrack(Kind::Subtitle, "", "PGS"), FakeTrack(Kind::Subtitle, "", "VobSub"),
                 FakeTrack(Kind::Subtitle, "", "SubRip")}},
        {"ts: two DVB tracks", "dvb.ts",
         Listing{FakeTrack(Kind::Subtitle, "", "DVB"), FakeTrack(Kind::Subtitle, "", "DVB")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(Open(Media(row.clip)));
        // Tags may follow the first data of a stream by a moment.
        (void)QTest::qWaitFor(
            [&] {
                auto now = Tracks();
                return std::all_of(now.begin(), now.end(), [](const StreamInfo& t) {
                    return t.channels > 0 || t.kind == Kind::Subtitle;
                });
            },
            2000);
        QTest::qWait(200);
        ExpectListed(Tracks(), row.tracks);
        record.CloseClip();
    }
}

using test::White;
bool Red(int r, int g, int b) {
    return r > 150 && g < 90 && b < 90;
}
// The picture subtitles' rectangle.
bool Green(int r, int g, int b) {
    return g > 150 && r < 100 && b < 100;
}

// The text of embedded cues as the track holds it, each cue once however
// often the demuxer sends it again (the clip loops here, unpaced).
TEST_F(TracksGstTest, TextCuesFillTheTrackOnceWithSubRipTags) {
    // ffmpeg starts this Matroska timeline 23 ms late, by the AAC encoder's
    // 1024-sample delay; the picture and the cues move together.
    // Markup: its tags are styles, never shown as typed.
    const SubtitleEntries mkv = {
        {523, 1523, "<i>Hello</i> & world", 1, 0, 0, true},
        {2023, 3023, "Line one\n<font color=\"#ff0000\">red</font>", 2, 0, 0, true},
    };
    // mov_text is plain text: what SubRip wrote as "&amp;" stays so.
    const SubtitleEntries mp4 = {
        {500, 1500, "Hello &amp; world", 1},
        {2000, 3000, "Line one\nred", 2},
    };
    struct Row {
        const char* name;
        const char* clip;
        long track;
        const SubtitleEntries& entries;
    } rows[] = {
        {"Matroska SubRip: markup as SubRip tags", "tracks.mkv", 2, mkv},
        {"MP4 mov_text: plain text", "movtext.mp4", 1, mp4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(Open(Media(row.clip)));
        ASSERT_EQ(tracks->Enable(row.track, AMSTREAMSELECTENABLE_ENABLE), S_OK);
        EXPECT_TRUE(QTest::qWaitFor([&] { return record.Track.Current()->size() >= 2; }, 3000));
        record.SeekTo(0);
        QTest::qWait(300);
        EXPECT_EQ(*record.Track.Current(), row.entries);
        ASSERT_EQ(tracks->Enable(row.track, 0), S_OK);
        EXPECT_TRUE(record.Track.Current()->empty());
        std::shared_ptr<IGraphBuilder> held = record.pGB;
        record.Track.Fill({{0, 60'000, "Drawn by the held graph", 1}});
        record.CloseClip();
        // A graph the record has let go of writes into its track no more,
        // whoever still holds it.
        tracks->Enable(row.track, AMSTREAMSELECTENABLE_ENABLE);
        EXPECT_EQ(record.Track.Current()->size(), 1u);
        // Played on by its holder, its mixer still draws with a core of its
        // own, never the one the record freed (AddressSanitizer's build).
        std::shared_ptr<IMediaControl> control;
        ASSERT_EQ(held->QueryMediaControl(&control), S_OK);
        control->Run();
        std::shared_ptr<IMediaSeeking> seeking;
        ASSERT_EQ(held->QueryMediaSeeking(&seeking), S_OK);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                REFERENCE_TIME now = 0;
                return SUCCEEDED(seeking->GetCurrentPosition(&now)) && now > 5'000'000;
            },
            3000));
        control->Stop();
        record.Track.Clear();
    }
}

// What the audio renderer plays now: the tone of track 0 or the silence of
// track 1, switched while playing, with the position going on unbroken.
TEST_F(TracksGstTest, SwitchingAudioWhilePlayingChangesWhatPlaysWithoutAJump) {
    ASSERT_TRUE(Open(Media("tracks.mkv")));
    PlayAtPace();
    GstElement* sink = SinkOf("Audio Renderer");
    // Root mean square of what plays (1.0: full scale), -1 before any sound.
    auto loudness = [&] {
        g_autoptr(GstSample) sample = test::LastSample(sink);
        const std::vector<double> sound = test::FirstChannel(sample);
        const double sum = std::inner_product(sound.begin(), sound.end(), sound.begin(), 0.0);
        return sound.empty() ? -1 : std::sqrt(sum / double(sound.size()));
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return Position() > 5000000; }, 4000));
    struct Row {
        const char* name;
        long track;
        bool loud;
    } rows[] = {
        {"the first track plays at the start", -1, true},
        {"to the silent German track", 1, false},
        {"back to the tone", 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const REFERENCE_TIME before = Position();
        QElapsedTimer timer;
        timer.start();
        if (row.track >= 0) {
            ASSERT_EQ(tracks->Enable(row.track, AMSTREAMSELECTENABLE_ENABLE), S_OK);
        }
        double rms = -1;
        // A tone of full scale has an RMS of 0.09 at ffmpeg's sine level (1/8).
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                rms = loudness();
                return row.loud ? rms > 0.05 : (rms >= 0 && rms < 0.001);
            },
            1000))
            << "rms " << rms;
        const REFERENCE_TIME moved = Position() - before;
        const REFERENCE_TIME elapsed = timer.elapsed() * 10000;
        EXPECT_NEAR(double(moved), double(elapsed), 2500000.0) << "no jump: moved with the clock";
        for (long i : {0, 1}) {
            StreamInfo info;
            tracks->Info(i, &info);
            EXPECT_EQ(info.enabled, i == (row.track < 0 ? 0 : row.track)) << i;
        }
    }
    EXPECT_EQ(tracks->Enable(0, 0), E_INVALIDARG) << "one audio track always plays";
}

// 20 ms of silence at 48 kHz in F32LE, `channels` of it, planar (with its
// audio meta) or interleaved; made by the harness `h`.
GstBuffer* Sound(GstHarness* h, int channels, bool planar, GstClockTime pts) {
    GstBuffer* buffer = gst_harness_create_buffer(h, 960 * channels * sizeof(float));
    if (planar) {
        GstAudioInfo info;
        gst_audio_info_set_format(&info, GST_AUDIO_FORMAT_F32LE, 48000, channels, nullptr);
        GST_AUDIO_INFO_LAYOUT(&info) = GST_AUDIO_LAYOUT_NON_INTERLEAVED;
        gst_buffer_add_audio_meta(buffer, &info, 960, nullptr);
    }
    GST_BUFFER_PTS(buffer) = pts;
    GST_BUFFER_DURATION(buffer) = 20 * GST_MSECOND;
    return buffer;
}

// A buffer of the track played before a switch that comes behind the new
// track's caps (input-selector can let one through under load). The renderer
// drops it and leaves its meta as it was: the converter would relabel a
// planar one as interleaved, keeping the planes' offsets (a copy of it then
// fails GStreamer's check), and play it as noise, and would map an
// interleaved one as planes (GStreamer's check fails). A buffer of the new
// track plays.
TEST(AudioRendererGst, DropsABufferOfTheTrackBeforeASwitch) {
    const struct {
        const char* name;
        const char* caps;
        int staleChannels, freshChannels;
        bool stalePlanar;
    } rows[] = {
        {"planar stereo under interleaved mono caps",
         "audio/x-raw,format=F32LE,rate=48000,channels=1,layout=interleaved", 2, 1, true},
        {"interleaved mono under planar stereo caps",
         "audio/x-raw,format=F32LE,rate=48000,channels=2,layout=non-interleaved", 1, 2, false},
    };
    GstMediaOptions options = test::FakeSinks();
    options.tempoFilter.clear();
    const auto media = NewGstMediaFramework(options);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::shared_ptr<IBaseFilter> renderer;
        ASSERT_EQ(media->CreateAudioRenderer(&renderer), S_OK);
        GstElement* bin =
            std::static_pointer_cast<gst_internal::ElementFilter>(renderer)->element();
        GstElement* sink = test::Elements(gst_bin_iterate_sinks(GST_BIN(bin))).at(0);
        int played = 0;
        g_object_set(sink, "signal-handoffs", TRUE, "async", FALSE, nullptr);
        g_signal_connect_swapped(sink, "handoff", G_CALLBACK(+[](int* n) { ++*n; }), &played);
        GstHarness* h = gst_harness_new_with_element(bin, "sink", nullptr);
        gst_harness_set_src_caps_str(h, row.caps);
        GstBuffer* stale = Sound(h, row.staleChannels, row.stalePlanar, 0);
        EXPECT_EQ(gst_harness_push(h, gst_buffer_ref(stale)), GST_FLOW_OK);
        if (row.stalePlanar) {
            EXPECT_EQ(gst_buffer_get_audio_meta(stale)->info.layout,
                      GST_AUDIO_LAYOUT_NON_INTERLEAVED);
        }
        EXPECT_EQ(played, 0) << "the stale buffer played";
        EXPECT_EQ(
            gst_harness_push(h, Sound(h, row.freshChannels, !row.stalePlanar, 20 * GST_MSECOND)),
            GST_FLOW_OK);
        EXPECT_EQ(played, 1) << "the new track's buffer";
        gst_buffer_unref(stale);
        gst_harness_teardown(h);
    }
}

class PacedTracksTest : public TracksGstTest {
  protected:
    PacedTracksTest() : TracksGstTest(true) {}
    // The pad that feeds the sink of the subtitle stream (a ref), null when none.
    GstPad* SubtitleFeed() {
        for (GstElement* element : test::Elements(gst_bin_iterate_elements(GST_BIN(Pipeline())))) {
            GstElementFactory* factory = gst_element_get_factory(element);
            if (factory && g_str_equal(GST_OBJECT_NAME(factory), "fakesink")) {
                g_autoptr(GstPad) pad = gst_element_get_static_pad(element, "sink");
                return gst_pad_get_peer(pad);
            }
        }
        return nullptr;
    }
};

// The line due at a seek's target is in the picture soon after the seek.
// Paused, the picture and the cue come on separate threads, here the cue half
// a second after the picture, as a slow subtitle stream would bring it. In a
// stretch of a Matroska clip not read yet the source reads from the key
// frame's cluster on, so a line running at the target that began before it
// must come from elsewhere, paused and playing.
TEST_F(PacedTracksTest, TheLineDueAtASeeksTargetIsDrawn) {
    constexpr int64_t kSecond = 10'000'000;
    struct Row {
        const char* name;
        const char* clip;
        bool paused, slowCue;
        int64_t at;
        int white;  // pixels of the line at least
    } rows[] = {
        {"paused, at 22 s: the line from 12 s, the key frame at 20 s", "long.mkv", true, false,
         22 * kSecond, 40},
        {"playing, at 42 s: the line from 32 s, the key frame at 40 s", "long.mkv", false, false,
         42 * kSecond, 40},
        {"paused, the cue at 18 s read after the picture", "late.mkv", true, true, 180500000, 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (record.ClipPath != Media(row.clip)) {
            record.CloseClip();
            ASSERT_TRUE(Open(Media(row.clip)));
            ASSERT_EQ(tracks->Enable(0, AMSTREAMSELECTENABLE_ENABLE), S_OK);
        }
        if (row.slowCue) {  // played a moment, its first cue read
            ASSERT_TRUE(QTest::qWaitFor([&] { return Position() > 5000000; }, 4000));
        }
        if (row.paused != (record.ClipState == ClipState::Paused))
            record.TogglePause();
        g_autoptr(GstPad) feed = row.slowCue ? SubtitleFeed() : nullptr;
        if (row.slowCue) {
            ASSERT_NE(feed, nullptr);
            gst_pad_add_probe(
                feed, GST_PAD_PROBE_TYPE_BUFFER,
                [](GstPad*, GstPadProbeInfo*, gpointer) {
                    g_usleep(500000);
                    return GST_PAD_PROBE_OK;
                },
                nullptr, nullptr);
            ASSERT_EQ(record.Track.Current()->size(), 1u) << "the late cue is not read yet";
        }
        record.SeekTo(row.at);
        int white = -1;
        // A hang detector for a loaded machine; on an idle one it shows
        // within half a second.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                white = CountShown(White);
                return ShownTime() >= row.at - kSecond && white >= row.white;
            },
            10000))
            << white << " white pixels, frame at " << ShownTime();
    }
}

// Closing a clip while the thread that reads its cues ahead is held in
// GStreamer (here opening a pipe no one writes to) lets that thread go
// instead of freezing the UI; the callback is dropped at once.
TEST_F(TracksGstTest, ClosingDoesNotWaitForACueReaderHeldInGStreamer) {
    const std::string pipe = Media("held.fifo");
    fs::remove(pipe);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    QElapsedTimer closing;
    {
        gst_internal::CuePreroll reader("file://" + pipe, [](const std::string&, GstBuffer*) {
            ADD_FAILURE() << "a cue from an empty pipe";
        });
        reader.Read(30 * GST_SECOND);
        QTest::qWait(500);  // into the open
        closing.start();
    }
    EXPECT_LT(closing.elapsed(), 5000);
    // A writer that closes at once ends the open: the thread then ends too.
    const int writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_GE(writer, 0) << "the reader's thread is no longer opening the pipe";
    if (writer >= 0)
        close(writer);
}

// Subtitles burnt into the paused picture as the menu and V choose them, at
// once: a text cue in its kind's colour at its times, the rectangle of a
// picture track in its colour at its place while due, nothing after them,
// nothing with the track off or out of view, and switches between picture
// tracks, text tracks and a file beside the clip. tracks.mkv holds SubRip
// cues at 0.523-1.523 s and 2.023-3.023 s and an ASS event at the first
// time. One clip holds a PGS stream, its VobSub encoding and a SubRip
// track; an MPEG-TS holds two DVB tracks, and a copy of it has a SubRip file
// beside it. The TS's clock starts 0.7 s before its first frame (ffmpeg's
// default mux delay), so that its pictures are due from 1.7 s to 3.69 s and
// from 4.2 s to 5.19 s of its time; at 2.5 s the file's second cue is due too.
TEST_F(TracksGstTest, PictureSubtitlesAreBurntIntoThePausedPicture) {
    fs::copy_file(Media("dvb.ts"), Media("beside.ts"), fs::copy_options::overwrite_existing);
    fs::copy_file(Media("a.srt"), Media("beside.srt"), fs::copy_options::overwrite_existing);
    // Opens `clip` paused, once read to its end (unpaced, in a moment): a
    // seek does not read a picture again that started before where it lands.
    auto openPaused = [&](const std::string& clip) {
        if (record.ClipPath == Media(clip))
            return;
        record.CloseClip();
        ASSERT_TRUE(Open(Media(clip)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ShownTime() >= 45000000; }, 10000));
        record.TogglePause();
        ASSERT_EQ(record.ClipState, ClipState::Paused);
    };
    struct Row {
        const char* name;
        const char* clip;
        int choice;   // Off 0, the file beside the clip, the clip's tracks; -1: V, -2: as opened
        int64_t at;   // sought first (100-ns units); -1: stays
        bool view;    // subtitles in view (C)
        int green;    // at the rectangle's place (120 x 40 at (100, 30)): at least; 0: none
        int white;    // text: at least this many pixels; 0: none
        int red = 0;  // the ASS event's text: at least this many pixels; 0: none
    } rows[] = {
        {"SubRip inside its cue", "tracks.mkv", 1, 10000000, true, 0, 40},
        {"SubRip between its cues", "tracks.mkv", 1, 17000000, true, 0, 0},
        {"ASS inside its event, in the script's red", "tracks.mkv", 2, 10000000, true, 0, 0, 200},
        {"ASS after its event", "tracks.mkv", 2, 20000000, true, 0, 0},
        {"text off", "tracks.mkv", 0, 10000000, true, 0, 0},
        {"SubRip again after ASS", "tracks.mkv", 1, 10000000, true, 0, 40},
        {"PGS while due", "pictures.mkv", 1, 20000000, true, 4000, 0},
        {"PGS after its end", "pictures.mkv", 1, 35000000, true, 0, 0},
        {"VobSub while due", "pictures.mkv", 2, 20000000, true, 4000, 0},
        {"VobSub after its end", "pictures.mkv", 2, 35000000, true, 0, 0},
        {"from VobSub to the SubRip track", "pictures.mkv", 3, 25000000, true, 0, 40},
        {"from SubRip back to PGS", "pictures.mkv", 1, 25000000, true, 4000, 0},
        {"DVB while due", "dvb.ts", 1, 20000000, true, 4000, 0},
        {"DVB after its end", "dvb.ts", 1, 39000000, true, 0, 0},
        {"to the second DVB track, not due yet", "dvb.ts", 2, 20000000, true, 0, 0},
        {"second DVB track while due", "dvb.ts", 2, 46000000, true, 4000, 0},
        {"back to the first DVB track", "dvb.ts", 1, 20000000, true, 4000, 0},
        {"DVB off", "dvb.ts", 0, 20000000, true, 0, 0},
        {"DVB out of view", "dvb.ts", 1, 20000000, false, 0, 0},
        {"opened with the file beside it", "beside.ts", -2, 25000000, true, 0, 40},
        {"beside, menu: the first DVB track", "beside.ts", 2, -1, true, 4000, 0},
        {"beside, menu: the file again", "beside.ts", 1, -1, true, 0, 40},
        {"beside, V: the first DVB track", "beside.ts", -1, -1, true, 4000, 0},
        {"beside, V: the second DVB track, not due", "beside.ts", -1, -1, true, 0, 0},
        {"beside, V: off", "beside.ts", -1, -1, true, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        openPaused(row.clip);
        record.Mixer.ViewSubtitles = row.view ? 1 : 0;
        if (row.at >= 0) {
            record.SeekTo(row.at);
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return std::abs(ShownTime() - row.at) < 2000000; }, 3000));
        }
        if (row.choice >= 0)
            record.ChooseSubtitleTrack(size_t(row.choice));
        else if (row.choice == -1)
            record.NextSubtitleTrack();
        int green = -1, white = -1, red = -1;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                green = CountShown(Green, 100, 30, 220, 70);
                white = CountShown(White);
                red = CountShown(Red);
                return (row.green ? green >= row.green : green == 0) &&
                       (row.white ? white >= row.white : white == 0) &&
                       (row.red ? red >= row.red : red == 0);
            },
            3000))
            << "green " << green << ", white " << white << ", red " << red << ", frame at "
            << ShownTime();
    }
    record.Mixer.ViewSubtitles = 1;
}

// A sparse track never holds the picture, from the start, after a seek into
// a long stretch without a cue or picture, or after a pause there: sixty
// seconds without a cue, and the cue after them arrives; a picture track
// after a seek past its last picture. PGS in Matroska, DVB in MPEG-TS (whose
// pictures end at 3.69 s).
TEST_F(PacedTracksTest, ASparseTrackDoesNotHoldThePicture) {
    struct Row {
        const char* name;
        const char* clip;  // opened with its first track chosen
        int64_t seekTo;    // 100-ns units, -1: stay
        bool pauseFirst;
        REFERENCE_TIME ahead;  // within 4 s
    } rows[] = {
        {"text gap from the start", "gap.mkv", -1, false, 15000000},
        {"after a seek into the gap", "gap.mkv", 300000000, false, 15000000},
        {"after a pause in the gap", "gap.mkv", -1, true, 15000000},
        {"up to the late cue", "gap.mkv", 640000000, false, 15000000},
        {"PGS from the start", "pictures.mkv", -1, false, 5000000},
        {"PGS after a seek past the last picture", "pictures.mkv", 32000000, false, 5000000},
        {"PGS after a pause", "pictures.mkv", -1, true, 5000000},
        {"DVB from the start", "dvb.ts", -1, false, 5000000},
        {"DVB after a seek past the last picture", "dvb.ts", 39000000, false, 5000000},
        {"DVB after a pause", "dvb.ts", -1, true, 5000000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (record.ClipPath != Media(row.clip)) {
            if (record.ClipPath == Media("gap.mkv")) {
                const SubtitleEntries both = {{1000, 2000, "first", 1, 0, 0, true},
                                              {65000, 66000, "late", 1, 0, 0, true}};
                EXPECT_EQ(*record.Track.Current(), both);
            }
            record.CloseClip();
            ASSERT_TRUE(Open(Media(row.clip)));
            ASSERT_EQ(tracks->Enable(0, AMSTREAMSELECTENABLE_ENABLE), S_OK);
            PlayAtPace();
        }
        if (row.seekTo >= 0)
            record.SeekTo(row.seekTo);
        if (row.pauseFirst) {
            record.TogglePause();
            QTest::qWait(300);
            record.TogglePause();
        }
        const REFERENCE_TIME from = Position();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Position() > from + row.ahead; }, 4000))
            << "stuck at " << Position();
    }
}

// While playing, a DVB page shows from its time until the page that clears
// it, judged on each frame by the frame's own time: early.ts's page is due
// from 0.9 s to 2.2 s, right after opening (its first frame is at 0.74 s),
// with the track chosen once the clip has opened: the source had read that
// page ahead while the track was off, and it shows all the same. (The paused
// picture's DVB rows above check the page's time against the video's.)
TEST_F(PacedTracksTest, ADvbPageReadAheadShowsAtItsTimesWhilePlaying) {
    struct Window {
        const char* name;
        int64_t from, to;  // frames in [from, to), 100-ns units
        int pixels;        // green at the rectangle's place (120 x 40 at (100, 30))
    } windows[] = {{"while the page is due", 10000000, 21000000, 4800},
                   {"after it", 23000000, 30000000, 0}};
    ASSERT_TRUE(Open(Media("early.ts")));
    // Every frame the sink takes, kept as it comes (on a loaded machine a
    // look at the shown one now and then misses most of them).
    struct Taken {
        std::mutex mutex;
        std::vector<GstSample*> samples;
    } taken;  // outlives the pipeline: the clip is closed below
    test::ProbePad(
        SinkOf("Video Mixing Renderer 9"), "sink", GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            auto* kept = static_cast<Taken*>(data);
            g_autoptr(GstCaps) caps = gst_pad_get_current_caps(pad);
            std::lock_guard lock(kept->mutex);
            kept->samples.push_back(
                gst_sample_new(GST_PAD_PROBE_INFO_BUFFER(info), caps, nullptr, nullptr));
            return GST_PAD_PROBE_OK;
        },
        &taken);
    ASSERT_EQ(tracks->Enable(0, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    // A loaded machine may take a while to get going; from half a second
    // on, the clock paces the rest.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownTime() >= 5000000; }, 15000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownTime() >= 30000000; }, 8000));
    record.CloseClip();
    std::map<int64_t, int> green;  // by the frame's time
    for (GstSample* sample : taken.samples) {
        green[int64_t(GST_BUFFER_PTS(gst_sample_get_buffer(sample))) / 100] =
            test::CountPixels(test::Rgbx(sample), 320, 100, 30, 220, 70, Green);
        gst_sample_unref(sample);
    }
    for (const Window& window : windows) {
        SCOPED_TRACE(window.name);
        int frames = 0;
        for (auto at = green.lower_bound(window.from); at != green.end() && at->first < window.to;
             ++at) {
            ++frames;
            EXPECT_EQ(at->second, window.pixels) << "frame at " << at->first;
        }
        EXPECT_GE(frames, 3) << "frames seen in the window";
    }
}

// A stream no installed decoder takes is listed, greyed, and never blocks
// the picture. The AAC decoders are set aside for the test.
TEST_F(TracksGstTest, ATrackWithoutDecoderIsListedAndThePicturePlays) {
    std::vector<std::pair<GstPluginFeature*, guint>> aside;
    for (const char* name : {"tavimoaacdec", "avdec_aac", "avdec_aac_fixed", "faad", "fdkaacdec"})
        if (GstPluginFeature* f = gst_registry_lookup_feature(gst_registry_get(), name)) {
            aside.emplace_back(f, gst_plugin_feature_get_rank(f));
            gst_plugin_feature_set_rank(f, GST_RANK_NONE);
        }
    const bool opened = Open(Media("tracks.mkv"));
    std::vector<StreamInfo> listed;
    if (opened) {
        PlayAtPace();
        const REFERENCE_TIME from = Position();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Position() > from + 10000000; }, 4000));
        listed = Tracks();
    }
    for (auto& [feature, rank] : aside) {
        gst_plugin_feature_set_rank(feature, rank);
        gst_object_unref(feature);
    }
    ASSERT_TRUE(opened);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].format, "AAC");
    EXPECT_FALSE(listed[0].decodable);
    EXPECT_TRUE(listed[1].decodable);
    EXPECT_TRUE(listed[1].enabled) << "the AC-3 track plays instead";
    EXPECT_EQ(tracks->Enable(0, AMSTREAMSELECTENABLE_ENABLE), VFW_E_NO_DECOMPRESSOR);
}

}  // namespace
}  // namespace tavimo
