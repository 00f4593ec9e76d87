#include "app/subtitle_syncer.h"

#include <algorithm>
#include <new>

#include "engine/embedded_cues_reader.h"
#include "engine/speech_source.h"
#include "engine/subtitle_sync.h"
#include "platform/queued_call.h"
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

sync::SyncResult Refused(std::string reason) {
    sync::SyncResult refused;
    refused.reason = std::move(reason);
    return refused;
}

// The whole of an embedded track, or of a file, as the cues to match,
// against what the clip's audio track says.
sync::SyncResult Listen(const SubtitleSyncer::Job& job, const std::atomic<bool>& cancel,
                        std::atomic<int>& percent) {
    std::vector<sync::Cue> cues = job.cues;
    if (!job.streamId.empty()) {
        SubtitleEntries entries;
        std::string error;
        if (!ReadEmbeddedCues(job.clipPath, job.streamId, cancel, &entries, &error)) {
            return Refused(error);
        }
        cues = sync::SpeechCues(entries, kFrameBasedFps);
    }
    const std::unique_ptr<ISpeechSource> source = NewSpeechSource(job.clipPath, job.audio);
    return SynchroniseToSpeech(
        *source, cues, [&percent](double done) { percent = static_cast<int>(done * 100); }, cancel);
}

// The matcher's result, or a refusal when memory runs out: nothing a file
// holds may end the player. Worker thread.
sync::SyncResult MatchOrRefuse(const SubtitleSyncer::Matcher& matcher,
                               const SubtitleSyncer::Job& job, const std::atomic<bool>& cancel,
                               std::atomic<int>& percent) {
    try {
        return matcher(job, cancel, percent);
    } catch (const std::bad_alloc&) {
        return Refused("not enough memory for the match");
    }
}

}  // namespace

SubtitleSyncer::SubtitleSyncer(PlayerRecord& record, QObject* context, std::string memoryPath,
                               Matcher matcher)
    : record_(record),
      context_(context),
      memory_(std::move(memoryPath)),
      matcher_(matcher ? std::move(matcher) : Matcher(&Listen)) {
    progressTimer_.setInterval(kProgressMs);
    QObject::connect(&progressTimer_, &QTimer::timeout, [this] { Tick(); });
}

SubtitleSyncer::~SubtitleSyncer() {
    On(Event::ClipGone);
}

void SubtitleSyncer::On(Event event, uint64_t run, const sync::SyncResult* result) {
    switch (event) {
        case Event::Y:
            if (Running()) {
                Abandon();
                record_.Note.Show(TrText("Notes", "Synchronisation cancelled"));
                state_ = State::WindingDown;
            } else if (CanStart() && state_ == State::WindingDown) {
                percent_ = 0;
                shownPercent_ = -1;
                ShowProgress();
                state_ = State::StartPending;
            } else if (CanStart()) {
                Start();
                state_ = State::Running;
            }
            return;
        case Event::SubtitlesChanged:
            if (state_ == State::Running) {
                Abandon();  // no note: the change shows its own
                state_ = State::WindingDown;
            }
            return;
        case Event::ClipGone:
            Abandon();
            JoinWorker();
            state_ = State::Idle;
            return;
        case Event::WorkerEnded:
            if (state_ == State::Idle || run != workerRun_) {
                return;  // from a worker ClipGone has joined already
            }
            JoinWorker();
            if (state_ == State::Running) {
                Finish(*result);
            }
            if (state_ == State::StartPending && CanStart()) {
                Start();
                state_ = State::Running;
            } else {
                state_ = State::Idle;
            }
            return;
    }
}

SubtitleSyncer::ShownSubtitles SubtitleSyncer::ShownNow() const {
    if (record_.SubtitleChosen >= record_.SubtitleChoices.size()) {
        return {};
    }
    const TrackChoice& choice = record_.SubtitleChoices[record_.SubtitleChosen];
    if (choice.kind == TrackChoice::Kind::External) {
        const bool script = record_.Mixer.SubtitleSource.load() == 1;
        if (script && IsScriptFile(record_.SubtitleFile)) {
            return {Shown::ScriptFile, -1, record_.SubtitleFile, nullptr};
        }
        return {Shown::TextFile, -1, record_.SubtitleFile, record_.Track.Current()};
    }
    StreamInfo info;
    if (choice.kind != TrackChoice::Kind::Stream || !record_.pSS ||
        FAILED(record_.pSS->Info(choice.stream, &info)) || !IsTextFormat(info) ||
        info.streamId.empty()) {
        return {};
    }
    return {Shown::Embedded, choice.stream, {}, nullptr};
}

SubtitleEntries SubtitleSyncer::FileEntries(const ShownSubtitles& shown) const {
    if (shown.kind == Shown::ScriptFile) {
        SubtitleReader reader;
        if (!reader.OpenSubtitleFile(shown.file)) {
            return {};
        }
        return sync::AssDialogueEntries(reader.data());
    }
    return shown.kind == Shown::TextFile && shown.entries ? *shown.entries : SubtitleEntries{};
}

std::string SubtitleSyncer::SubtitleKey(const Subtitles& subtitles) {
    if (subtitles.shown.kind == Shown::Embedded) {
        return "track " + std::to_string(subtitles.shown.stream);
    }
    return sync::SubtitleIdentity(subtitles.entries);
}

bool SubtitleSyncer::CanStart() const {
    if (record_.pGB == nullptr || record_.ClipPath.empty() || record_.AudioChoices.empty() ||
        record_.Mixer.ViewSubtitles.load() == 0) {
        return false;
    }
    const ShownSubtitles shown = ShownNow();
    return shown.kind == Shown::Embedded ||
           (shown.kind != Shown::None && !FileEntries(shown).empty());
}

void SubtitleSyncer::Toggle() {
    On(Event::Y);
}

void SubtitleSyncer::Cancel() {
    On(Event::ClipGone);
}

void SubtitleSyncer::Start() {
    matching_.shown = ShownNow();
    matching_.entries = FileEntries(matching_.shown);
    clipId_ = sync::ClipIdentity(record_.ClipPath);
    Job job{record_.ClipPath,
            static_cast<int>(record_.AudioChosen),
            {},
            sync::SpeechCues(matching_.entries, kFrameBasedFps)};
    if (matching_.shown.kind == Shown::Embedded) {
        StreamInfo info;
        record_.pSS->Info(matching_.shown.stream, &info);
        job.streamId = info.streamId;
    }
    cancel_ = false;
    percent_ = 0;
    shownPercent_ = -1;
    const uint64_t run = ++workerRun_;
    worker_ = std::thread([this, run, job = std::move(job)] {
        // Every pipeline is freed before the result goes: the UI thread's
        // join then returns at once.
        const sync::SyncResult result = MatchOrRefuse(matcher_, job, cancel_, percent_);
        platform::PostQueued(context_, [this, run, result] {
            CheckShown();  // a result never lands on other subtitles than it matched
            On(Event::WorkerEnded, run, &result);
        });
    });
    ShowProgress();
    progressTimer_.start();
}

// The worker is told to stop; whatever it still sends is dropped.
void SubtitleSyncer::Abandon() {
    progressTimer_.stop();
    cancel_ = true;
    matching_ = {};
}

void SubtitleSyncer::JoinWorker() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

// The run in progress has its result, for the subtitles it matched (they
// still show): applied and remembered.
void SubtitleSyncer::Finish(const sync::SyncResult& result) {
    progressTimer_.stop();
    if (!result.matched) {
        record_.Note.Show(TrText("Notes", "Could not match the subtitles to the speech"));
    } else {
        Apply(result, matching_, false);
        memory_.Remember(clipId_, SubtitleKey(matching_), result);
    }
    matching_ = {};
}

void SubtitleSyncer::CheckShown() {
    if (state_ == State::Running && !(ShownNow() == matching_.shown)) {
        On(Event::SubtitlesChanged);
    }
}

// Every progress interval while a run is in progress.
void SubtitleSyncer::Tick() {
    CheckShown();
    if (state_ == State::Running) {
        ShowProgress();
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

void SubtitleSyncer::Apply(const sync::SyncResult& result, const Subtitles& subtitles,
                           bool remembered) {
    const int64_t delay = std::clamp<int64_t>(result.parts.front().offsetMs,
                                              -SubtitleDelay::kLimitMs, SubtitleDelay::kLimitMs);
    applied_ = subtitles;
    applied_.shown.entries.reset();  // only the entries are kept, not the track's list
    retimed_.reset();
    record_.Mixer.Timing.Clear();
    if (!result.rate.Identity() || result.parts.size() > 1) {
        if (subtitles.shown.kind == Shown::TextFile) {
            // A file's entries may count frames: they are retimed as entries.
            record_.Track.Fill(sync::Retimed(subtitles.entries, result, kFrameBasedFps, false));
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
    CheckShown();  // other subtitles just opened: the run for the old ones stops
    if (Running() || record_.ClipPath.empty()) {
        return;
    }
    Subtitles now{ShownNow(), {}};
    now.entries = FileEntries(now.shown);
    if (now.shown.kind == Shown::None ||
        (now.shown.kind != Shown::Embedded && now.entries.empty())) {
        return;
    }
    const std::optional<sync::SyncResult> found =
        memory_.Find(sync::ClipIdentity(record_.ClipPath), SubtitleKey(now));
    if (found) {
        Apply(*found, now, true);
    }
}

void SubtitleSyncer::ResetTiming() {
    // Only while the track still holds what the result filled it with.
    if (retimed_ && record_.Track.Current() == retimed_ && applied_.shown.kind == Shown::TextFile) {
        record_.Track.Fill(applied_.entries);
    }
    retimed_.reset();
}

}  // namespace tavimo
