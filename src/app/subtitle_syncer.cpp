#include "app/subtitle_syncer.h"

#include <algorithm>

#include "engine/embedded_cues_reader.h"
#include "engine/speech_source.h"
#include "engine/subtitle_sync.h"
#include "resources/translate.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/sync/sync_text.h"

namespace tavimo {
namespace {

// Frame-based (MicroDVD) cues are matched at this rate; another rate shows
// as a frame-rate change and is applied as one.
constexpr double kFrameBasedFps = 25.0;
constexpr int kProgressMs = 250;  // the note changes at most 4 times a second

bool IsScriptFile(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "ass" || ext == "ssa";
}

// Picture subtitles have no text to match.
bool IsTextFormat(const StreamInfo& info) {
    static const char* const kPictures[] = {"PGS", "VobSub", "DVB", "Unknown"};
    return info.decodable && std::none_of(std::begin(kPictures), std::end(kPictures),
                                          [&](const char* f) { return info.format == f; });
}

// The whole of an embedded track, or of a file, as the cues to match.
sync::SyncResult Synchronise(const std::string& path, int audio, const std::string& streamId,
                             std::vector<sync::Cue> cues, const std::atomic<bool>& cancel,
                             std::atomic<int>& percent) {
    if (!streamId.empty()) {
        SubtitleEntries entries;
        std::string error;
        if (!ReadEmbeddedCues(path, streamId, cancel, &entries, &error)) {
            sync::SyncResult refused;
            refused.reason = error;
            return refused;
        }
        cues = sync::SpeechCues(entries, kFrameBasedFps);
    }
    const std::unique_ptr<ISpeechSource> source = NewSpeechSource(path, audio);
    return SynchroniseToSpeech(
        *source, cues, [&percent](double done) { percent = static_cast<int>(done * 100); }, cancel);
}

}  // namespace

SubtitleSyncer::SubtitleSyncer(PlayerRecord& record, QObject* context, std::string memoryPath)
    : record_(record), context_(context), memory_(std::move(memoryPath)) {
    progressTimer_.setInterval(kProgressMs);
    QObject::connect(&progressTimer_, &QTimer::timeout, [this] { ShowProgress(); });
}

SubtitleSyncer::~SubtitleSyncer() {
    Stop();
}

SubtitleSyncer::Shown SubtitleSyncer::ShownKind() const {
    if (record_.SubtitleChosen >= record_.SubtitleChoices.size()) {
        return Shown::None;
    }
    const TrackChoice& choice = record_.SubtitleChoices[record_.SubtitleChosen];
    if (choice.kind == TrackChoice::Kind::External) {
        const bool script = record_.Mixer.SubtitleSource.load() == 1;
        return script && IsScriptFile(record_.SubtitleFile) ? Shown::ScriptFile : Shown::TextFile;
    }
    StreamInfo info;
    if (choice.kind != TrackChoice::Kind::Stream || !record_.pSS ||
        FAILED(record_.pSS->Info(choice.stream, &info)) || !IsTextFormat(info) ||
        info.streamId.empty()) {
        return Shown::None;
    }
    return Shown::Embedded;
}

SubtitleEntries SubtitleSyncer::FileEntries(Shown kind) const {
    if (kind == Shown::ScriptFile) {
        SubtitleReader reader;
        if (!reader.OpenSubtitleFile(record_.SubtitleFile)) {
            return {};
        }
        return sync::AssDialogueEntries(reader.data());
    }
    if (kind != Shown::TextFile) {
        return {};
    }
    const SubtitleTrack::Snapshot entries = record_.Track.Current();
    return entries ? *entries : SubtitleEntries{};
}

std::string SubtitleSyncer::SubtitleKey(Shown kind, const SubtitleEntries& entries) const {
    if (kind == Shown::Embedded) {
        return "track " + std::to_string(record_.SubtitleChoices[record_.SubtitleChosen].stream);
    }
    return sync::SubtitleIdentity(entries);
}

bool SubtitleSyncer::CanStart() const {
    if (record_.pGB == nullptr || record_.ClipPath.empty() || record_.AudioChoices.empty() ||
        record_.Mixer.ViewSubtitles.load() == 0) {
        return false;
    }
    const Shown kind = ShownKind();
    return kind == Shown::Embedded || (kind != Shown::None && !FileEntries(kind).empty());
}

void SubtitleSyncer::Toggle() {
    if (Running()) {
        progressTimer_.stop();
        ++run_;  // the result on its way, if any, is dropped
        cancel_ = true;
        current_ = pendingStart_ = false;
        record_.Note.Show(TrText("Notes", "Synchronisation cancelled"));
        return;
    }
    if (!CanStart()) {
        return;
    }
    if (worker_.joinable()) {
        pendingStart_ = true;  // starts when the cancelled run has wound down
        percent_ = 0;
        shownPercent_ = -1;
        ShowProgress();
        return;
    }
    Start();
}

void SubtitleSyncer::Cancel() {
    Stop();
}

void SubtitleSyncer::Start() {
    kind_ = ShownKind();
    entries_ = FileEntries(kind_);
    clipId_ = sync::ClipIdentity(record_.ClipPath);
    subtitleId_ = SubtitleKey(kind_, entries_);
    std::string streamId;
    if (kind_ == Shown::Embedded) {
        StreamInfo info;
        record_.pSS->Info(record_.SubtitleChoices[record_.SubtitleChosen].stream, &info);
        streamId = info.streamId;
    }
    cancel_ = false;
    percent_ = 0;
    shownPercent_ = -1;
    current_ = true;
    const uint64_t run = ++run_;
    workerRun_ = run;
    const int audio = static_cast<int>(record_.AudioChosen);
    std::vector<sync::Cue> cues = sync::SpeechCues(entries_, kFrameBasedFps);
    worker_ = std::thread(
        [this, run, audio, streamId, cues = std::move(cues), path = record_.ClipPath]() mutable {
            // Every pipeline is freed before the result goes: the UI thread's
            // join then returns at once.
            const sync::SyncResult result =
                Synchronise(path, audio, streamId, std::move(cues), cancel_, percent_);
            QMetaObject::invokeMethod(
                context_, [this, run, result] { Ended(run, result); }, Qt::QueuedConnection);
        });
    ShowProgress();
    progressTimer_.start();
}

void SubtitleSyncer::Stop() {
    progressTimer_.stop();
    ++run_;  // a result still on its way is dropped
    cancel_ = true;
    current_ = pendingStart_ = false;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void SubtitleSyncer::ShowProgress() {
    const int percent = percent_.load();
    if (percent != shownPercent_) {
        shownPercent_ = percent;
        record_.Note.Show(
            TrArg(TrText("Notes", "Synchronising subtitles… %1%"), {std::to_string(percent)}));
    }
}

// A worker has finished, or wound down after a cancel.
void SubtitleSyncer::Ended(uint64_t run, const sync::SyncResult& result) {
    if (run != workerRun_ || !worker_.joinable()) {
        return;  // from a worker Stop has joined already
    }
    worker_.join();
    if (pendingStart_) {
        pendingStart_ = false;
        if (CanStart()) {
            Start();
        }
        return;
    }
    if (run != run_ || !current_) {
        return;
    }
    current_ = false;
    progressTimer_.stop();
    if (!result.matched) {
        record_.Note.Show(TrText("Notes", "Could not match the subtitles to the speech"));
        return;
    }
    Apply(result, false);
    memory_.Remember(clipId_, subtitleId_, result);
}

void SubtitleSyncer::Apply(const sync::SyncResult& result, bool remembered) {
    const int64_t delay = std::clamp<int64_t>(result.parts.front().offsetMs,
                                              -SubtitleDelay::kLimitMs, SubtitleDelay::kLimitMs);
    retimed_.reset();
    record_.Mixer.Timing.Clear();
    if (!result.rate.Identity() || result.parts.size() > 1) {
        if (kind_ == Shown::TextFile) {
            // A file's entries may count frames: they are retimed as entries.
            record_.Track.Fill(sync::Retimed(entries_, result, kFrameBasedFps, false));
            retimed_ = record_.Track.Current();
        } else {
            // A script, or a track whose cues still arrive: the mixer maps
            // its time through the rate and the parts.
            std::vector<SubtitleTiming::Part> parts;
            for (const sync::SyncPart& part : result.parts) {
                parts.push_back({part.fromMs, part.offsetMs - delay});
            }
            record_.Mixer.Timing.Set(result.rate.Ratio(), std::move(parts));
        }
    }
    record_.Mixer.SubtitleDelay = static_cast<int>(delay);
    record_.Note.Show(sync::ResultNote(result, remembered));
}

void SubtitleSyncer::ApplyRemembered() {
    if (Running() || record_.ClipPath.empty()) {
        return;
    }
    kind_ = ShownKind();
    entries_ = FileEntries(kind_);
    if (kind_ == Shown::None || (kind_ != Shown::Embedded && entries_.empty())) {
        return;
    }
    const std::optional<sync::SyncResult> found =
        memory_.Find(sync::ClipIdentity(record_.ClipPath), SubtitleKey(kind_, entries_));
    if (found) {
        Apply(*found, true);
    }
}

void SubtitleSyncer::ResetTiming() {
    // Only while the track still holds what the result filled it with.
    if (retimed_ && record_.Track.Current() == retimed_ && kind_ == Shown::TextFile) {
        record_.Track.Fill(entries_);
    }
    retimed_.reset();
}

}  // namespace tavimo
