// tavimo --sync-subtitles on real clips: speech from espeak-ng and flite at
// known times over brown noise at 20 and 5 dB, subtitle files timed to the
// words or as people time them, moved, stretched and cut by known amounts,
// damaged by an absurd cue or an absurd declared duration; the line
// printed, the corrected file, the refusals and the exit codes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <gst/gst.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "engine/speech_source.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/sync/sync_text.h"
#include "support/shell.h"

namespace tavimo {
namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs `command` through the shell, waiting for it however long it takes.
// popen, not QProcess: ThreadSanitizer's runtime aborts in the clone that
// QProcess forks with.
Outcome Execute(const std::string& command) {
    QTemporaryDir dir;
    const std::string err = dir.path().toStdString() + "/err";
    Outcome run;
    int status = -1;
    run.out = test::CommandOutput(command + " 2>" + err, &status);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = test::FileText(err);
    return run;
}

// Clips shared by the cases, made once.
class SyncCli : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        const std::string script = std::string(TAVIMO_SOURCE_DIR) + "/tests/support/speech_clip.py";
        // Each clip NAME.mp4 with its true cues in NAME.srt, all made side by side.
        const std::pair<std::string, const char*> clips[] = {
            {"clean", "--seconds 120 --snr 20 --seed 1 --voice en"},
            {"noisy", "--seconds 120 --snr 5 --seed 2 --voice de"},
            {"cut", "--seconds 260 --snr 20 --seed 3 --voice en --cut-from 110 --cut-seconds 40"},
            {"other", "--seconds 120 --snr 20 --seed 4 --voice es"},
            {"human", "--seconds 120 --snr 20 --seed 8 --voice flite-kal --human"},
            {"noise", "--seconds 60 --snr 5 --seed 5 --silent"},
            {"picture", "--seconds 40 --seed 6 --no-audio"},
            {"short", "--seconds 25 --seed 7"},
        };
        std::string made;
        for (const auto& [name, args] : clips)
            made += "python3 " + script + " " + Path(name + ".mp4") + " " + Path(name + ".srt") +
                    " " + args + " & ";
        ASSERT_EQ(std::system((made + "wait").c_str()), 0);
        // The clean clip in Matroska, its container saying it lasts 9e12 ms; and as a
        // film's 5.1 AC-3 track, its speech in the centre and 20 s later in the other channels.
        ASSERT_TRUE(test::Ffmpeg(
            "-i " + Path("clean.mp4") + " -c copy " + Path("declared.mkv") +
            " -filter_complex '[0:a]asplit[a][b];[b]adelay=20000|20000[d];[a][d]amerge,"
            "pan=5.1|FC=c0|FL=c2|FR=c3|BL=c2|BR=c3[o]' -map '[o]' -c:a ac3 -ar 48000 " +
            Path("surround.mkv")));
        ASSERT_TRUE(DeclareDuration(Path("declared.mkv"), 9e12));
    }

    // Overwrites the Matroska Duration element (8-byte float, ms at the
    // default timestamp scale) of the file at `path`.
    static bool DeclareDuration(const std::string& path, double ms) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        std::string bytes(std::istreambuf_iterator<char>(file), {});
        const size_t at = bytes.find("\x44\x89\x88");
        if (at == std::string::npos)
            return false;
        const uint64_t bigEndian = GUINT64_TO_BE(std::bit_cast<uint64_t>(ms));
        file.clear();
        file.seekp(static_cast<std::streamoff>(at + 3));
        file.write(reinterpret_cast<const char*>(&bigEndian), sizeof bigEndian);
        return static_cast<bool>(file.flush());
    }
    static void TearDownTestSuite() { delete dir_; }

    static std::string Path(const std::string& name) {
        return dir_->path().toStdString() + "/" + name;
    }

    // The cues of the SubRip file `name` in the clips' folder.
    static SubtitleEntries Cues(const std::string& name) {
        SubtitleReader reader;
        EXPECT_TRUE(reader.OpenSubtitleFile(Path(name))) << name;
        ReadSubRip(reader);
        return reader.TakeEntries();
    }

    // The truth file of `clip` moved by `offsetMs` earlier and read at
    // `ratio` (times divided by it), written as `name`.
    static std::string Moved(const std::string& truth, const std::string& name, int64_t offsetMs,
                             double ratio = 1.0) {
        SubtitleEntries entries = Cues(truth);
        for (SubtitleEntry& e : entries) {
            e.start = std::llround((e.start - offsetMs) / ratio);
            e.end = std::llround((e.end - offsetMs) / ratio);
        }
        std::erase_if(entries, [](const SubtitleEntry& e) { return e.start < 0; });
        std::ofstream(Path(name)) << sync::SubRipText(entries);
        return Path(name);
    }

    // The player on `args`; a GLib or GStreamer critical ends it.
    static Outcome Sync(const std::string& args) {
        return Execute("G_DEBUG=fatal-criticals " TAVIMO_BUILD_DIR "/tavimo --sync-subtitles " +
                       args);
    }

    static QTemporaryDir* dir_;
};

QTemporaryDir* SyncCli::dir_ = nullptr;

// The delays of a printed line, in ms.
std::vector<double> Delays(const std::string& line) {
    std::vector<double> out;
    const std::regex number(R"(([+-]\d+\.\d{3}) s)");
    for (auto it = std::sregex_iterator(line.begin(), line.end(), number);
         it != std::sregex_iterator(); ++it)
        out.push_back(std::stod((*it)[1]) * 1000);
    return out;
}

TEST_F(SyncCli, OffsetsAndFrameRatesFoundWithin150Ms) {
    struct Row {
        const char* name;
        const char* clip;
        const char* truth;
        int64_t offsetMs;
        double ratio;
        double expectMs;
        const char* rateText;  // the end of the line after the delay
        const char* added;     // more cues at the end of the file
        double toleranceMs = 150;
    } rows[] = {
        // Cues shown 0-0.3 s before the words and kept 0.2-0.8 s after them:
        // where the file's author put them is kept.
        {"timed by hand, early by 2.35 s", "human.mp4", "human.srt", 2350, 1.0, 2350, "", "", 80},
        {"timed by hand, late by 1.2 s", "human.mp4", "human.srt", -1200, 1.0, -1200, "", "", 80},
        {"late by 33 s, 20 dB", "clean.mp4", "clean.srt", -33000, 1.0, -33000, "", ""},
        {"early by 0.7 s, 5 dB", "noisy.mp4", "noisy.srt", 700, 1.0, 700, "", ""},
        {"25 fps file on a 23.976 clip", "clean.mp4", "clean.srt", -1200, 25 / 23.976, -1200,
         ", frame rate 25 -> 23.976", ""},
        {"one cue ending at 500,000 hours", "clean.mp4", "clean.srt", 2350, 1.0, 2350, "",
         "\n\n900\n00:01:00,000 --> 500000:00:00,000\nStill here.\n"},
        {"a clip whose container says 9e12 ms", "declared.mkv", "clean.srt", -1200, 1.0, -1200, "",
         ""},
        {"5.1: the centre heard, not the rest", "surround.mkv", "clean.srt", 700, 1.0, 700, "", ""},
    };
    int n = 0;
    for (const Row& r : rows) {
        const std::string subs =
            Moved(r.truth, "moved" + std::to_string(n++) + ".srt", r.offsetMs, r.ratio);
        std::ofstream(subs, std::ios::app) << r.added;
        const Outcome run = Sync(subs + " " + Path(r.clip));
        ASSERT_EQ(run.status, 0) << r.name << ": " << run.err;
        const std::vector<double> delays = Delays(run.out);
        ASSERT_EQ(delays.size(), 1u) << r.name << ": " << run.out;
        EXPECT_NEAR(delays[0], r.expectMs, r.toleranceMs) << r.name << ": " << run.out;
        EXPECT_TRUE(std::regex_match(
            run.out, std::regex(R"(delay [+-]\d+\.\d{3} s)" + std::string(r.rateText) + "\n")))
            << r.name << ": " << run.out;
    }
}

TEST_F(SyncCli, ACutMiddleGivesTwoParts) {
    // 40 s of audio are gone from 1:50 on: the file's later cues come 40 s
    // early, the earlier ones on time.
    const Outcome run = Sync(Path("cut.srt") + " " + Path("cut.mp4"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::regex line(
        R"(delay [+-]\d+\.\d{3} s until 0:0(\d):(\d\d)\.(\d{3}), then [+-]\d+\.\d{3} s\n)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(run.out, m, line)) << run.out;
    const std::vector<double> delays = Delays(run.out);
    EXPECT_NEAR(delays[0], 0, 150) << run.out;
    EXPECT_NEAR(delays[1], -40'000, 150) << run.out;
    // The switch comes at the first cue after the cut-out stretch (file time
    // 1:50 to 2:30, no speech for its cues anywhere): one within it would
    // show the stretch's cues over the clip's last 40 s before the cut, in
    // place of the cues spoken there.
    const SubtitleEntries cues = Cues("cut.srt");
    const auto after = std::find_if(cues.begin(), cues.end(),
                                    [](const SubtitleEntry& e) { return e.start >= 150'000; });
    ASSERT_NE(after, cues.end());
    const int64_t switchMs = std::stoi(m[1]) * 60'000 + std::stoi(m[2]) * 1000 + std::stoi(m[3]);
    EXPECT_NEAR(switchMs, after->start - 40'000, 150) << run.out;
}

TEST_F(SyncCli, CorrectedFileWrittenAndTheSubtitlesLeftAlone) {
    const std::string subs = Moved("clean.srt", "late.srt", -2350);
    const std::string original = test::FileText(subs);
    const Outcome run = Sync(subs + " " + Path("clean.mp4") + " -o " + Path("fixed.srt"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::FileText(subs), original);
    const SubtitleEntries truth = Cues("clean.srt"), fixed = Cues("fixed.srt");
    ASSERT_EQ(fixed.size(), truth.size());
    for (size_t i = 0; i < truth.size(); ++i) {
        EXPECT_NEAR(fixed[i].start, truth[i].start, 150) << i;
        EXPECT_EQ(fixed[i].text, truth[i].text) << i;
    }
}

// What cannot be matched exits 1 saying why; arguments that make no command
// line exit 2 with the usage. Nothing goes to the standard output.
TEST_F(SyncCli, RefusalsSayWhyAndBadArgumentsShowTheUsage) {
    std::ofstream(Path("empty.srt")) << "";
    std::ofstream(Path("one.srt")) << "1\n00:00:05,000 --> 00:00:07,000\nAlone.\n\n";
    const std::string usage = "Usage: tavimo --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n";
    struct Row {
        const char* name;
        std::string args;
        int status;
        std::string error;  // the usage starts the error when the status is 2
    } rows[] = {
        {"another film's subtitles", Path("other.srt") + " " + Path("clean.mp4"), 1,
         "no match: no clear match between the subtitles and the speech\n"},
        {"noise only", Path("clean.srt") + " " + Path("noise.mp4"), 1,
         "no match: no speech heard in the audio\n"},
        {"no audio track", Path("clean.srt") + " " + Path("picture.mp4"), 1,
         "no match: the clip has no audio track\n"},
        {"clip of 25 s", Path("short.srt") + " " + Path("short.mp4"), 1,
         "no match: the clip is shorter than 30 s\n"},
        {"empty subtitles", Path("empty.srt") + " " + Path("clean.mp4"), 1,
         "no match: too few subtitles to match\n"},
        {"one cue", Path("one.srt") + " " + Path("clean.mp4"), 1,
         "no match: too few subtitles to match\n"},
        {"missing clip", Path("clean.srt") + " " + Path("missing.mp4"), 1,
         "no match: the clip cannot be read\n"},
        {"offset beyond 10 minutes",
         Moved("clean.srt", "far.srt", -660'000) + " " + Path("clean.mp4"), 1,
         "no match: no clear match between the subtitles and the speech\n"},
        {"no arguments", "", 2, usage},
        {"subtitles alone", "only.srt", 2, usage},
        {"two clips", "a.srt b.mp4 c.mp4", 2, usage},
        {"-o without a name", "a.srt b.mp4 -o", 2, usage},
        {"-o twice", "a.srt -o x.srt -o y.srt b.mp4", 2, usage},
    };
    for (const Row& r : rows) {
        const Outcome run = Sync(r.args);
        EXPECT_EQ(run.status, r.status) << r.name << ": " << run.out;
        EXPECT_EQ(r.status == 2 ? run.err.substr(0, usage.size()) : run.err, r.error) << r.name;
        EXPECT_EQ(run.out, "") << r.name;
    }
}

// Each clip heard twice by two speech sources, as by two runs of the player:
// the same speech at every step. Decoders and filters carry their state over
// a seek, and how far the decoding runs ahead of the first seek differs from
// run to run.
TEST_F(SyncCli, AClipIsHeardAlikeOnEveryRun) {
    gst_init(nullptr, nullptr);
    for (const char* clip : {"noisy.mp4", "human.mp4", "surround.mkv"}) {
        sync::Activity heard[2];
        for (sync::Activity& speech : heard) {
            const std::unique_ptr<ISpeechSource> source = NewSpeechSource(Path(clip), 0);
            const std::atomic<bool> never{false};
            std::string error;
            ASSERT_TRUE(source->Open(never, &error)) << clip << ": " << error;
            ASSERT_TRUE(
                source->Read({{0, 50'000}, {50'000, 120'000}}, speech, nullptr, never, &error))
                << clip << ": " << error;
        }
        EXPECT_EQ(heard[0], heard[1])
            << clip << ": steps heard otherwise the second time, the first at "
            << std::ranges::mismatch(heard[0], heard[1]).in1 - heard[0].begin();
    }
}

// Cancelled in the middle of a window, the speech source has stopped marking
// the caller's array by the time Read returns, so that the caller may free
// it at once (the synchroniser's array is a local of its worker).
TEST_F(SyncCli, CancelledListeningLeavesTheArrayAlone) {
    gst_init(nullptr, nullptr);
    const std::unique_ptr<ISpeechSource> source = NewSpeechSource(Path("clean.mp4"), 0);
    std::atomic<bool> cancel{false};
    std::string error;
    ASSERT_TRUE(source->Open(cancel, &error)) << error;
    sync::Activity speech;
    // Cancelled as the first window is done, when the second has begun.
    const bool read = source->Read(
        {{0, 5'000}, {5'000, 120'000}}, speech, [&](double) { cancel = true; }, cancel, &error);
    EXPECT_FALSE(read);
    EXPECT_EQ(error, "cancelled");
    const sync::Activity atReturn = speech;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(speech == atReturn) << "steps marked after Read returned";
}

}  // namespace
}  // namespace tavimo
