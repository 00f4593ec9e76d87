// Subtitle cues carried inside a media file, turned into the entries and
// events the mixer draws: text cues become SubtitleEntry text with SubRip tags
// (so "Subtitle Styles" treats them exactly as it treats SubRip files), ASS
// events are kept for the libass script. Plain C++; any thread, no locking of
// its own (the owner serialises calls).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "subtitles/subtitle_track.h"

namespace tavimo {

// How a text cue's bytes are written.
enum class CueFormat {
    PangoMarkup,  // Matroska S_TEXT/UTF8 and parsed WebVTT: Pango markup, entities escaped
    PlainUtf8,    // MP4 tx3g / mov_text: plain UTF-8, no markup
    WebVtt,       // a raw WebVTT cue payload: <i>, <b>, <u>, <c.x>, <v Name>, entities
};

struct CueText {
    std::string text;   // UTF-8, lines separated by "\n", no leading or trailing "\n"
    int16_t lines = 0;  // lines of `text`; 0 for an empty cue
};

// Turns one cue into entry text: italic, bold, underline and colour become
// <i>, <b>, <u> and <font color="...">; every other tag is dropped; entities
// are unescaped; CR LF and CR become "\n"; blank lines at either end go.
// Never fails: malformed markup degrades to its text.
CueText ConvertCue(CueFormat format, std::string_view bytes);

// The text cues of one track in start order, each once: a cue that the
// demuxer sends again after a seek (same times, same text) is not added twice.
// Cues that come in order cost O(1) each, the others O(log n) (they wait
// aside until the next Entries), so a track costs O(n log n) in any order.
class CueList {
  public:
    // Adds `entry` at its place by (start, end, text). False when an equal
    // cue is there already, or the entry is empty or ends before it starts.
    bool Add(SubtitleEntry entry);
    // The cues in order; those waiting aside join them here, in O(n).
    const SubtitleEntries& Entries() const;

    // Orders cues by start, end and text.
    struct Before {
        bool operator()(const SubtitleEntry& a, const SubtitleEntry& b) const;
    };

  private:
    mutable SubtitleEntries entries_;                // in order
    mutable std::set<SubtitleEntry, Before> aside_;  // came out of order, not yet in entries_
};

// One event of an embedded ASS/SSA track as the demuxer carries it
// ("ReadOrder, Layer, Style, Name, MarginL, MarginR, MarginV, Effect, Text").
struct AssEvent {
    std::string chunk;
    int64_t startMs = 0;
    int64_t durationMs = 0;
};

// The events of one ASS/SSA track, kept to be replayed into the script when
// the track is chosen. Each ReadOrder is kept once (the first seen wins); a
// chunk without a ReadOrder is kept once per start time and text.
class AssEventList {
  public:
    // False when the event is known already.
    bool Add(std::string_view chunk, int64_t startMs, int64_t durationMs);
    // In ReadOrder (the order of the script's [Events]).
    std::vector<const AssEvent*> Events() const;
    size_t size() const { return byOrder_.size() + unordered_.size(); }

  private:
    std::map<int64_t, AssEvent> byOrder_;
    std::map<std::pair<int64_t, std::string>, AssEvent> unordered_;
};

}  // namespace tavimo
