// The audio and subtitle tracks the user can choose among, as the menus, the
// V and B keys and their notes show them, and which ones a clip opens with.
// Plain data and functions: no framework, no widgets.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/media/media.h"

namespace tavimo {

// One entry of the "Subtitle Track" or "Audio Track" menu.
struct TrackChoice {
    enum class Kind { Off, External, Stream };
    Kind kind = Kind::Off;
    long stream = -1;       // Stream: its index in IAMStreamSelect
    std::string label;      // the menu text
    std::string described;  // what the note shows after "i/n ": "English (ASS)"
    std::string language;   // canonical code ("en"), empty when untagged
    bool available = true;  // false: greyed in the menu, skipped by the keys
    bool enabled = false;   // Stream: the framework plays or shows it now
    bool flaggedDefault = false;
    bool forced = false;
};

using TrackChoices = std::vector<TrackChoice>;

// The canonical form of a language tag, so that "ger", "deu", "de" and
// "de-AT" compare equal: the two-letter code where we know the language,
// the lower-cased tag (region cut off) otherwise, empty for untagged or
// "und". Any thread.
std::string CanonicalLanguage(const std::string& tag);

// The language's own name ("English", "Deutsch") for a tag; the tag as it
// is when the language is not one we know; empty for an untagged track.
// Any thread.
std::string LanguageName(const std::string& tag);

// Channel count as a menu shows it: 1 "mono", 2 "stereo", 6 "5.1", 8 "7.1",
// any other positive count "N ch"; empty when unknown (0 or less).
// Any thread.
std::string ChannelsText(int channels);

// "English (AAC, 5.1)": the title, else the language's name, then the
// format and, for audio, the channels. Any thread.
std::string DescribeStream(const StreamInfo& info);

// "Track 2: English (AAC, 5.1)", numbered from 1 within its kind; a track
// without a decoder ends in " (no decoder)". Any thread.
std::string TrackMenuText(int number, const StreamInfo& info);

// The "Subtitle Track" menu: "Off", then the external file by its name when
// `externalPath` is not empty, then each subtitle stream of `streams` (given
// with their framework indices). Any thread.
TrackChoices SubtitleChoicesOf(const std::vector<std::pair<long, StreamInfo>>& streams,
                               const std::string& externalPath);

// The "Audio Track" menu: each audio stream. Any thread.
TrackChoices AudioChoicesOf(const std::vector<std::pair<long, StreamInfo>>& streams);

// The subtitles a clip opens with: the external file; otherwise a track in
// `preferredLanguage` (a full one before a forced one, the default-flagged
// first); otherwise a forced track, then a default-flagged one; otherwise
// Off. Tracks without a decoder are never chosen. Index into `choices`.
// Any thread.
size_t InitialSubtitleChoice(const TrackChoices& choices, const std::string& preferredLanguage);

// The audio a clip opens with: a track in `preferredLanguage`, else the
// default-flagged one, else the one that plays now, else the first that can
// be decoded; nullopt when none can. Any thread.
std::optional<size_t> InitialAudioChoice(const TrackChoices& choices,
                                         const std::string& preferredLanguage);

// The choice after `current` that can be chosen, wrapping around; `current`
// when no other can. Any thread.
size_t NextChoice(const TrackChoices& choices, size_t current);

// The 2-second note for the choice at `index`: "Subtitles: 2/3 English (ASS)"
// (numbered among the choices other than Off), "Subtitles: Off",
// "Audio: 2/2 Deutsch (AC-3, 5.1)", "Audio: none" when the clip has none.
// `what` is "Subtitles" or "Audio". Any thread.
std::string TrackNoteText(const char* what, const TrackChoices& choices, size_t index);

}  // namespace tavimo
