// What the cues of an embedded subtitle track cost on their way to the
// mixer: publishing each cue as it comes (the whole list copied for each, as
// the tracks did before, against adding it aside and merging at the next
// look), converting one hostile cue, and putting a track's ASS events back
// into the script when it is chosen again (one by one against all at once).
//   cue_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "subtitles/ass_script.h"
#include "subtitles/embedded_cues.h"
#include "subtitles/subtitle_track.h"

namespace tavimo {
namespace {

SubtitleEntry CueAt(int64_t i) {
    return {
        i * 2000, i * 2000 + 1500, "Line " + std::to_string(i) + " of the film's dialogue", 1, 0, 0,
        true};
}

// Before: every cue publishes a copy of the whole list.
void BM_PublishEachCueWhole(benchmark::State& state) {
    for (auto _ : state) {
        CueList list;
        SubtitleTrack track;
        for (int64_t i = 0; i < state.range(0); ++i) {
            list.Add(CueAt(i));
            track.Fill(list.Entries());
        }
        benchmark::DoNotOptimize(track.Current());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PublishEachCueWhole)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Now: each cue is added aside; the mixer's look merges what came. A look
// after every cue is the most a frame rate of cues could ask; a burst (while
// prerolling) has one look after all of them.
void PublishAdded(benchmark::State& state, bool lookEachCue) {
    for (auto _ : state) {
        CueList list;
        SubtitleTrack track;
        for (int64_t i = 0; i < state.range(0); ++i) {
            SubtitleEntry cue = CueAt(i);
            if (list.Add(cue))
                track.Add(std::move(cue));
            if (lookEachCue)
                benchmark::DoNotOptimize(track.Current());
        }
        benchmark::DoNotOptimize(track.Current());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_PublishCuesAddedLookEach(benchmark::State& state) {
    PublishAdded(state, true);
}
void BM_PublishCuesAddedInABurst(benchmark::State& state) {
    PublishAdded(state, false);
}
BENCHMARK(BM_PublishCuesAddedLookEach)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PublishCuesAddedInABurst)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond);

// One 256 kB cue built to hurt the converter.
void BM_ConvertHostileCue(benchmark::State& state) {
    std::string cue;
    const char* piece = state.range(0) == 0 ? "&" : state.range(0) == 1 ? "<i>" : "<a \"";
    while (cue.size() < (size_t{256} << 10))
        cue += piece;
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertCue(CueFormat::PangoMarkup, cue));
    state.SetLabel(state.range(0) == 0   ? "ampersands"
                   : state.range(0) == 1 ? "open tags"
                                         : "quotes");
}
BENCHMARK(BM_ConvertHostileCue)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

constexpr char kHeader[] =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 1920\nPlayResY: 1080\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
    "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,60,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,"
    "100,0,0,1,2,0,2,10,10,40,1\n\n[Events]\nFormat: Layer, Start, End, Style, Name, "
    "MarginL, MarginR, MarginV, Effect, Text\n";

AssEventList Events(int64_t n) {
    AssEventList events;
    for (int64_t i = 0; i < n; ++i)
        events.Add(std::to_string(i) + ",0,Default,,0,0,0,,Line " + std::to_string(i), i * 2000,
                   1500);
    return events;
}

// A track's events put back when it is chosen: one by one (before) or at once.
void BM_ReplayAssEvents(benchmark::State& state) {
    const AssEventList events = Events(state.range(0));
    const bool atOnce = state.range(1) != 0;
    AssScript script;
    for (auto _ : state) {
        script.SetHeader(kHeader);
        if (atOnce) {
            script.AddEvents(events.Events());
        } else {
            for (const AssEvent* event : events.Events())
                script.AddEvent(event->chunk, event->startMs, event->durationMs);
        }
    }
    state.SetLabel(atOnce ? "at once" : "one by one");
}
BENCHMARK(BM_ReplayAssEvents)
    ->Args({5000, 0})
    ->Args({5000, 1})
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavimo

BENCHMARK_MAIN();
