// Bounds on what an ASS/SSA script may ask of libass, so that a script built
// to hurt (a font size of 10,000, thousands of lines shown at once, a line of
// 100 kB, a play width of 1 that stretches drawings and borders across many
// frames) costs a bounded time per frame. Each size tag is held on its own,
// and what the events shown at once draw together is held to a few frames'
// area, measured on both axes as libass scales them: the worst scripts tried
// take under 0.1 s of CPU and 20 MB for a 1080p frame. Scripts within the
// bounds are left as they are.
#pragma once

#include <cstddef>
#include <queue>
#include <string>
#include <string_view>
#include <vector>

struct ass_track;  // libass's ASS_Track

namespace tavimo {

// At most this many events are shown at once, holding at most this much text
// together; an event that would go past either is dropped when it is added.
constexpr int kMaxAssEventsAtOnce = 128;
constexpr size_t kMaxAssTextAtOnce = size_t{64} << 10;
// An event's text is cut to this many bytes (at a character, never inside an
// override block).
constexpr size_t kMaxAssEventText = 4096;
// The events shown at once draw at most this many frames' area together
// (each event's lines of full-width glyphs and its drawings, grown by their
// borders and blur, counted once more for an outline and for a shadow); one
// that would go past it is dropped when it is added.
constexpr double kMaxAssAreaAtOnce = 8.0;

// The largest values the size tags of a script with a play height of
// `playResY` keep; larger ones are lowered to these.
struct AssTagLimits {
    double fontSize;  // \fs, a style's size: half the play height
    double scale;     // \fscx, \fscy in percent
    double border;    // \bord, \xbord, \ybord, \shad, \xshad, \yshad (either sign): 1/16 of it
    double blur;      // \blur, \be
};
AssTagLimits AssTagLimitsFor(int playResY);

// `text` (an event's text) cut to kMaxAssEventText and with the arguments of
// its size tags, read as libass reads them (after spaces, in parentheses,
// with exponents), held within `limits` and written plainly; everything else
// as it was. A relative size (\fs+2) becomes the absolute one it makes from
// `fontSize`, the size of the event's style. Any thread.
std::string LimitAssText(std::string_view text, const AssTagLimits& limits, double fontSize);

// Holds every style and event of a freshly read script within the bounds,
// dropping the events that would crowd the screen (in order of their start).
// The caller holds the track alone.
void LimitAssTrack(ass_track& track);

// Holds each event added while a script streams within the bounds, keeping
// what is shown at the latest start it saw: an event that starts no earlier
// than the one before costs O(log n), one that starts earlier (after a seek
// back) rebuilds that from the track in O(n log n) once. One per track, used
// under the lock of its owner, which calls Reset whenever the track is
// replaced or events leave it other than through Admit.
class AssEventAdmission {
  public:
    // Holds the event just added at `index` within the bounds; drops it
    // (false) when it would crowd the screen at its start.
    bool Admit(ass_track& track, int index);
    // Forgets the track's events: the next Admit reads them again.
    void Reset() { valid_ = false; }

  private:
    struct Span {
        long long start, end;  // ms
        size_t bytes;
        double area;  // in frames, as kMaxAssAreaAtOnce counts it
    };
    struct EndsLater {
        bool operator()(const Span& a, const Span& b) const { return a.end > b.end; }
    };
    struct StartsLater {
        bool operator()(const Span& a, const Span& b) const { return a.start > b.start; }
    };
    void Rebuild(ass_track& track, int index);
    void MoveTo(long long t);

    bool valid_ = false;
    long long at_ = 0;  // ms, the start of the latest event admitted
    // Kept events started by at_ and not ended, soonest end on top, and the
    // bytes of their texts; the track's events that start after at_.
    std::priority_queue<Span, std::vector<Span>, EndsLater> shown_;
    size_t shownBytes_ = 0;
    double shownArea_ = 0;
    std::priority_queue<Span, std::vector<Span>, StartsLater> later_;
};

}  // namespace tavimo
