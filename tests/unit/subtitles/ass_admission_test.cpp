// The bounds on what a streamed ASS track shows at once, checked on a libass
// track as events come in order and after a seek back, and the cost of a long
// track streamed event by event.
#include "subtitles/ass_limits.h"

#include <ass/ass.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "hang_bound.h"
#include "subtitles/ass_script.h"

namespace tavimo {
namespace {

constexpr char kHeader[] =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 640\nPlayResY: 360\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
    "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,20,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,"
    "100,0,0,1,2,0,2,10,10,10,1\n\n[Events]\nFormat: Layer, Start, End, Style, Name, "
    "MarginL, MarginR, MarginV, Effect, Text\n";

// A libass track of kHeader's script that events stream into.
class StreamedTrack {
  public:
    StreamedTrack() : library_(ass_library_init()), track_(ass_new_track(library_)) {
        std::string header(kHeader);
        ass_process_codec_private(track_, header.data(), static_cast<int>(header.size()));
    }
    ~StreamedTrack() {
        ass_free_track(track_);
        ass_library_done(library_);
    }
    StreamedTrack(const StreamedTrack&) = delete;
    StreamedTrack& operator=(const StreamedTrack&) = delete;

    // `count` events shown from `startMs` for `durationMs`, each with `text`.
    void Add(int count, long long startMs, long long durationMs, const std::string& text = "x") {
        for (int i = 0; i < count; ++i) {
            std::string chunk = std::to_string(readOrder_++) + ",0,Default,,0,0,0,," + text;
            const int before = track_->n_events;
            ass_process_chunk(track_, chunk.data(), static_cast<int>(chunk.size()), startMs,
                              durationMs);
            if (track_->n_events > before)
                admission_.Admit(*track_, track_->n_events - 1);
        }
    }
    int Events() const { return track_->n_events; }

  private:
    ASS_Library* library_;
    ASS_Track* track_;
    AssEventAdmission admission_;
    int readOrder_ = 0;
};

struct Batch {
    int count;
    long long start, duration;  // ms
    std::string text = "x";
};

// Text of `bytes` that draws nothing (a comment in braces).
std::string Unseen(size_t bytes) {
    return "{" + std::string(bytes - 2, 'x') + "}";
}

// Each row streams its batches in turn; an event is kept when fewer than 128
// kept events, holding at most 64 kB of text and drawing at most 8 frames'
// area with it, show at its start.
TEST(AssEventAdmission, KeepsWhatFitsOnScreenAtEachStart) {
    const struct {
        const char* name;
        std::vector<Batch> batches;
        int kept;
    } rows[] = {
        {"200 at once keep 128", {{200, 1000, 2000}}, 128},
        {"an event ending at a start makes room", {{128, 1000, 1000}, {10, 2000, 1000}}, 138},
        {"one still shown at a start counts", {{128, 1000, 1001}, {10, 2000, 1000}}, 128},
        // An event's text is cut at 4 kB, and a block the cut leaves open goes.
        {"64 kB of text at once: 16 events of 4 kB", {{20, 1000, 2000, Unseen(4096)}}, 16},
        {"events of 4 kB and a byte, cut", {{20, 1000, 2000, Unseen(4097)}}, 20},
        // Ten W half the play height high, outlined: (10 x 9/32 + 2 x 2/640)
        // x (1/2 + 2 x 2/360) x 2 = 2.88 frames each.
        {"8 frames' area at once", {{5, 1000, 1000, "{\\fs180}WWWWWWWWWW"}}, 2},
        {"the area of those ended makes room",
         {{5, 1000, 1000, "{\\fs180}WWWWWWWWWW"}, {5, 2000, 1000, "{\\fs180}WWWWWWWWWW"}},
         4},
        // After a seek back: 20 earlier events fit, then at 5.5 s the 100 of
        // 5 s and the 20 of 1 s show, which leaves room for 8 of 10.
        {"events before those already streamed",
         {{100, 5000, 4000}, {20, 1000, 5000}, {10, 5500, 1500}},
         128},
        {"streamed again after the seek back, in order",
         {{100, 5000, 4000}, {20, 1000, 1000}, {30, 2000, 1000}, {40, 6000, 1000}},
         100 + 20 + 30 + 28},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StreamedTrack track;
        for (const Batch& batch : row.batches)
            track.Add(batch.count, batch.start, batch.duration, batch.text);
        EXPECT_EQ(track.Events(), row.kept);
    }
}

// Mended: each streamed event was checked against every event of the track,
// so a long track cost quadratic time under the script's lock (400 k events
// took minutes). A hang bound far above the seconds it takes now.
TEST(AssEventAdmission, AHugeTrackStreamsInLinearTime) {
    constexpr int kEvents = 400'000;
    const std::optional<int> events = testing_support::Within<int>(std::chrono::seconds(30), [] {
        StreamedTrack track;
        for (int i = 0; i < kEvents; ++i)
            track.Add(1, i * 2000LL, 1500);
        return track.Events();
    });
    ASSERT_TRUE(events) << "no answer within 30 s";
    EXPECT_EQ(*events, kEvents);
}

}  // namespace
}  // namespace tavimo
