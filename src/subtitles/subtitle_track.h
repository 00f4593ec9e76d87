// The timed subtitle track of the clip that plays: entries in file order and
// the lookup the mixer makes for every frame.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tavimo {

// One timed text. Time-based entries carry start/end in milliseconds;
// frame-based entries (endFrame != 0) carry frame numbers that become times
// only at lookup, from the frame rate of the video.
struct SubtitleEntry {
    int64_t start = 0;  // ms, inclusive
    int64_t end = 0;    // ms, exclusive
    std::string text;   // UTF-8, lines separated by "\n"
    int16_t lines = 0;  // lines the mixer reserves height for
    int32_t startFrame = 0;
    int32_t endFrame = 0;  // exclusive; non-zero marks a frame-based entry
    // A cue of the clip's own subtitle track: its tags are styles, drawn as
    // such with "Subtitle Styles" on and taken out with it off (a file's
    // tags are then shown as typed).
    bool markup = false;

    bool FrameBased() const { return endFrame != 0; }
    bool operator==(const SubtitleEntry&) const = default;
};

using SubtitleEntries = std::vector<SubtitleEntry>;

// Index returned by FindEntryAt when no entry is due.
constexpr int kNoEntry = -1;

// The lookup over one list of entries. `t` is the frame's media time in ms,
// `fps` the video's frame rate at this frame, `cursor` the caller's lookup
// cursor (0 for a new mixer), updated in place. Returns the index of the entry
// to draw, or kNoEntry. Never allocates. Any thread.
int FindEntryAt(const SubtitleEntries& entries, int64_t t, double fps, int32_t& cursor);

// The one track of the player. Clear, Fill and Add run on the UI thread or a
// streaming thread of the source while the mixer looks up on another: every
// change publishes a complete new list, so a reader holding a snapshot never
// sees a half-filled track. Entries added one by one wait aside (in O(1))
// and join the list at the next Current. While nobody holds an earlier
// snapshot (the mixer lets go of its own after each frame), they join the
// list in place: one that goes at the end costs O(1) amortised, so a track
// of n cues with a frame after each costs O(n) in all. A snapshot still held
// elsewhere is never changed: the list is copied instead.
class SubtitleTrack {
  public:
    using Snapshot = std::shared_ptr<const SubtitleEntries>;

    SubtitleTrack();

    // Removes every entry. Any thread.
    void Clear();
    // Replaces the entries with `entries` in one step. Any thread.
    void Fill(SubtitleEntries entries);
    // Adds one entry, placed by (start, end, text) among the others, as the
    // embedded cue list orders them; the caller adds each entry once. Any
    // thread.
    void Add(SubtitleEntry entry);

    // The current entries; stays valid and unchanged while held. A snapshot
    // taken after Clear, Fill or Add is a new one, but its address may be
    // that of an earlier one nobody holds any more. Any thread; allocates
    // only when entries were added since the last call (amortised O(1) per
    // entry added at the end, unless an earlier snapshot is still held).
    Snapshot Current() const;

  private:
    struct Store;  // a list and how many holders of its snapshot are left

    void Publish(SubtitleEntries entries);

    mutable std::mutex mutex_;  // guards the members below (not the lists they point to)
    mutable std::shared_ptr<Store> store_;  // the list Current hands out
    mutable Snapshot published_;            // the snapshot of store_ handed out, if any
    mutable SubtitleEntries added_;         // by Add, not yet in store_
};

}  // namespace tavimo
