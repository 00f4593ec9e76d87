// Choosing among the clip's audio and subtitle tracks and the external
// subtitle file: on open, from the menus and with the V and B keys.
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "platform/dialogs.h"
#include "resources/translate.h"
#include "subtitles/subtitle_loading.h"
#include "subtitles/subtitle_reader.h"

#include <string>

namespace tavimo {
namespace {

using Kind = TrackChoice::Kind;

// The tracks the graph lists, with their indices; empty without one.
std::vector<std::pair<long, StreamInfo>> ListStreams(IAMStreamSelect* select) {
    std::vector<std::pair<long, StreamInfo>> streams;
    long count = 0;
    if (select == nullptr || FAILED(select->Count(&count)))
        return streams;
    for (long i = 0; i < count; ++i) {
        StreamInfo info;
        if (SUCCEEDED(select->Info(i, &info)))
            streams.emplace_back(i, info);
    }
    return streams;
}

// Where `old` stands in `choices` (same kind, same stream), or `fallback`.
size_t Find(const TrackChoices& choices, const TrackChoice* old, size_t fallback) {
    for (size_t i = 0; old != nullptr && i < choices.size(); ++i) {
        if (choices[i].kind == old->kind && choices[i].stream == old->stream)
            return i;
    }
    return fallback;
}

}  // namespace

void PlayerRecord::RebuildTrackLists() {
    const auto streams = ListStreams(pSS.get());
    const TrackChoice oldSubtitle = SubtitleChoices.at(SubtitleChosen);
    const std::optional<TrackChoice> oldAudio =
        AudioChosen < AudioChoices.size() ? std::optional(AudioChoices[AudioChosen]) : std::nullopt;
    SubtitleChoices = SubtitleChoicesOf(streams, SubtitleFile);
    AudioChoices = AudioChoicesOf(streams);
    SubtitleChosen = Find(SubtitleChoices, &oldSubtitle, 0);
    AudioChosen = Find(AudioChoices, oldAudio ? &*oldAudio : nullptr, 0);
    ++TrackListGeneration;
}

long PlayerRecord::ShownSubtitleStream() const {
    const TrackChoice& shown = SubtitleChoices.at(SubtitleChosen);
    return shown.kind == Kind::Stream ? shown.stream : -1;
}

void PlayerRecord::ChooseTracksOnOpen() {
    RebuildTrackLists();
    // Start from what the framework has switched on by itself.
    SubtitleChosen = SubtitleFile.empty() ? 0 : 1;
    for (size_t i = 0; i < SubtitleChoices.size(); ++i) {
        if (SubtitleChoices[i].kind == Kind::Stream && SubtitleChoices[i].enabled) {
            SubtitleChosen = i;
            break;
        }
    }
    for (size_t i = 0; i < AudioChoices.size(); ++i) {
        if (AudioChoices[i].enabled)
            AudioChosen = i;
    }
    const size_t subtitle = InitialSubtitleChoice(SubtitleChoices, SubtitleLanguage);
    if (subtitle != SubtitleChosen)
        ApplySubtitleChoice(subtitle);
    const std::optional<size_t> audio = InitialAudioChoice(AudioChoices, AudioLanguage);
    if (audio && !AudioChoices[*audio].enabled)
        ApplyAudioChoice(*audio);
}

bool PlayerRecord::ApplySubtitleChoice(size_t index) {
    const TrackChoice& to = SubtitleChoices.at(index);
    const long shown = ShownSubtitleStream();
    if (shown >= 0 && shown == to.stream)
        return true;  // it shows already: its cues stay
    if (shown >= 0)
        pSS->Enable(shown, 0);
    SubtitleChosen = 0;
    // The framework's cues and a file never share the track or the script.
    Track.Clear();
    Mixer.Ass.Clear();
    Mixer.SubtitleSource = 0;
    if (to.kind == Kind::External) {
        SubtitlePath = SubtitleFile;
        SubtitleContext context = Subtitles();
        if (!tavimo::LoadSubtitles(context))
            return false;
    } else if (to.kind == Kind::Stream &&
               (!pSS || FAILED(pSS->Enable(to.stream, AMSTREAMSELECTENABLE_ENABLE)))) {
        return false;
    }
    SubtitleChosen = index;
    return true;
}

bool PlayerRecord::ApplyAudioChoice(size_t index) {
    if (!pSS || FAILED(pSS->Enable(AudioChoices.at(index).stream, AMSTREAMSELECTENABLE_ENABLE)))
        return false;
    AudioChosen = index;
    return true;
}

void PlayerRecord::LoadSubtitles() {
    SubtitleContext context = Subtitles();
    if (!tavimo::LoadSubtitles(context)) {
        // A file the user named (in the dialog, by a drop) that does not load
        // says so; a cancelled dialog names none. What shows stays.
        if (!SubtitlePath.empty())
            host_.Dialogs().MessageBox(
                TrArg(TrText("Boxes",
                             "The subtitle file \"%1\" cannot be read.\n\nTavimo reads SubRip "
                             "(.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up "
                             "to %2 MB."),
                      {SubtitlePath, std::to_string(kMaxSubtitleFileSize >> 20)}),
                "Tavimo", platform::MB_OK | platform::MB_ICONHAND);
        return;
    }
    SubtitleFile = SubtitlePath;
    const long shown = ShownSubtitleStream();
    if (shown >= 0) {
        // The clip's track stops filling the track; the file is read again
        // into it, whatever switching the track off left there.
        pSS->Enable(shown, 0);
        SubtitleChosen = 0;
        tavimo::LoadSubtitles(context);
    }
    RebuildTrackLists();
    SubtitleChosen = 1;  // the file, just after "Off"
    RefreshPausedPicture();
}

void PlayerRecord::SetSubtitleEncoding(const std::string& label) {
    SubtitleEncoding = label;
    // Only a file that shows is read again: a track of the clip stays.
    if (!SubtitleFile.empty() && SubtitleChoices.at(SubtitleChosen).kind == Kind::External) {
        SubtitlePath = SubtitleFile;
        LoadSubtitles();
    }
}

void PlayerRecord::DiscoverSubtitles() {
    SubtitleContext context = Subtitles();
    SubtitleFile = tavimo::DiscoverSubtitles(context, ClipPath) ? SubtitlePath : std::string();
    RebuildTrackLists();
    SubtitleChosen = SubtitleFile.empty() ? 0 : 1;
}

void PlayerRecord::ChooseSubtitleTrack(size_t index) {
    if (index >= SubtitleChoices.size() || !SubtitleChoices[index].available)
        return;
    if (ApplySubtitleChoice(index) && !SubtitleChoices[index].language.empty())
        SubtitleLanguage = SubtitleChoices[index].language;
    Note.Show(TrackNoteText("Subtitles", SubtitleChoices, SubtitleChosen));
}

void PlayerRecord::ChooseAudioTrack(size_t index) {
    if (index >= AudioChoices.size() || !AudioChoices[index].available)
        return;
    if (ApplyAudioChoice(index) && !AudioChoices[index].language.empty())
        AudioLanguage = AudioChoices[index].language;
    Note.Show(TrackNoteText("Audio", AudioChoices, AudioChosen));
}

void PlayerRecord::NextSubtitleTrack() {
    ChooseSubtitleTrack(NextChoice(SubtitleChoices, SubtitleChosen));
}

void PlayerRecord::NextAudioTrack() {
    if (AudioChoices.empty()) {
        Note.Show(TrackNoteText("Audio", AudioChoices, 0));
        return;
    }
    ChooseAudioTrack(NextChoice(AudioChoices, AudioChosen));
}

}  // namespace tavimo
