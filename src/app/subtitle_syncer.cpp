#include "app/subtitle_syncer.h"

#include <algorithm>

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

}  // namespace

SubtitleSyncer::SubtitleSyncer(PlayerRecord& record, QObject* context, std::string memoryPath)
    : record_(record), context_(context), memory_(std::move(memoryPath)) {
    progressTimer_.setInterval(kProgressMs);
    QObject::connect(&progressTimer_, &QTimer::timeout, [this] { ShowProgress(); });
}

SubtitleSyncer::~SubtitleSyncer() {
    Stop();
}

SubtitleEntries SubtitleSyncer::ShownEntries() const {
    if (record_.Mixer.SubtitleSource.load() == 1) {
        if (!IsScriptFile(record_.SubtitleFile)) {
            return {};  // an embedded script: its events arrive as it plays
        }
        SubtitleReader reader;
        if (!reader.OpenSubtitleFile(record_.SubtitleFile)) {
            return {};
        }
        return sync::AssDialogueEntries(reader.data());
    }
    const SubtitleTrack::Snapshot entries = record_.Track.Current();
    return entries ? *entries : SubtitleEntries{};
}

bool SubtitleSyncer::CanStart() const {
    return record_.pGB != nullptr && !record_.ClipPath.empty() && !record_.AudioChoices.empty() &&
           record_.Mixer.ViewSubtitles.load() != 0 && !ShownEntries().empty();
}

void SubtitleSyncer::Toggle() {
    if (Running()) {
        Stop();
        record_.Note.Show(TrText("Notes", "Synchronisation cancelled"));
        return;
    }
    if (CanStart()) {
        Start();
    }
}

void SubtitleSyncer::Cancel() {
    Stop();
}

void SubtitleSyncer::Start() {
    entries_ = ShownEntries();
    clipId_ = sync::ClipIdentity(record_.ClipPath);
    subtitleId_ = sync::SubtitleIdentity(entries_);
    cancel_ = false;
    percent_ = 0;
    shownPercent_ = -1;
    const uint64_t run = ++run_;
    const int audio = static_cast<int>(record_.AudioChosen);
    std::vector<sync::Cue> cues = sync::SpeechCues(entries_, kFrameBasedFps);
    worker_ = std::thread([this, run, audio, cues = std::move(cues), path = record_.ClipPath] {
        const std::unique_ptr<ISpeechSource> source = NewSpeechSource(path, audio);
        const sync::SyncResult result = SynchroniseToSpeech(
            *source, cues, [this](double done) { percent_ = static_cast<int>(done * 100); },
            cancel_);
        QMetaObject::invokeMethod(
            context_, [this, run, result] { Finish(run, result); }, Qt::QueuedConnection);
    });
    ShowProgress();
    progressTimer_.start();
}

void SubtitleSyncer::Stop() {
    progressTimer_.stop();
    ++run_;  // a result still on its way is dropped
    cancel_ = true;
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

void SubtitleSyncer::Finish(uint64_t run, const sync::SyncResult& result) {
    if (run != run_) {
        return;
    }
    progressTimer_.stop();
    if (worker_.joinable()) {
        worker_.join();
    }
    if (!result.matched) {
        record_.Note.Show(TrText("Notes", "Could not match the subtitles to the speech"));
        return;
    }
    Apply(result, false);
    memory_.Remember(clipId_, subtitleId_, result);
}

void SubtitleSyncer::Apply(const sync::SyncResult& result, bool remembered) {
    if (!result.rate.Identity() || result.parts.size() > 1) {
        if (record_.Mixer.SubtitleSource.load() == 0) {
            record_.Track.Fill(sync::Retimed(entries_, result, kFrameBasedFps, false));
        }
    }
    const int64_t delay = std::clamp<int64_t>(result.parts.front().offsetMs,
                                              -SubtitleDelay::kLimitMs, SubtitleDelay::kLimitMs);
    record_.Mixer.SubtitleDelay = static_cast<int>(delay);
    record_.Note.Show(sync::ResultNote(result, remembered));
}

void SubtitleSyncer::ApplyRemembered() {
    if (Running() || record_.ClipPath.empty()) {
        return;
    }
    entries_ = ShownEntries();
    if (entries_.empty()) {
        return;
    }
    const std::optional<sync::SyncResult> found =
        memory_.Find(sync::ClipIdentity(record_.ClipPath), sync::SubtitleIdentity(entries_));
    if (found) {
        Apply(*found, true);
    }
}

}  // namespace tavimo
