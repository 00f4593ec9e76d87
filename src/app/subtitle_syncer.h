// "Synchronise Subtitles to Speech" (Y): the subtitles shown are matched to
// the clip's speech on a worker thread while the clip plays; the result
// becomes the subtitle delay (plus a time scale and per-part offsets), and
// is remembered for the pair.
#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "engine/player_record.h"
#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_memory.h"

namespace tavimo {

class SubtitleSyncer {
  public:
    // `record` and `context` (whose thread gets the results: the UI thread)
    // must outlive the syncer. `memoryPath` is the results file. UI thread.
    SubtitleSyncer(PlayerRecord& record, QObject* context,
                   std::string memoryPath = sync::SyncMemory::DefaultPath());
    // Cancels and joins a run in progress.
    ~SubtitleSyncer();

    // Whether Y can start now: a clip is open, text subtitles show (a file,
    // or a text or ASS track of the clip), and the clip has an audio track.
    // UI thread.
    bool CanStart() const;
    // Whether a run is in progress (or waits for a cancelled one to wind
    // down). UI thread.
    bool Running() const { return current_ || pendingStart_; }

    // Y: starts a run, or cancels the one in progress ("Synchronisation
    // cancelled"). Never waits for a worker: a cancelled one winds down on
    // its own, and a run asked for meanwhile starts once it has. UI thread.
    void Toggle();
    // Another clip, Stop or closing: cancels without a note, every thread
    // joined and every pipeline freed before it returns. UI thread.
    void Cancel();
    // For a pair just opened: applies the remembered result, if any, with
    // "(remembered)" on its note. UI thread.
    void ApplyRemembered();
    // Shift+Z, after the delay went back to 0: a subtitle file the result
    // retimed gets its own times back. UI thread.
    void ResetTiming();

  private:
    // Where the subtitles shown come from.
    enum class Shown { None, TextFile, ScriptFile, Embedded };
    Shown ShownKind() const;
    // The id the results file knows the subtitles by: a hash of a file's
    // entries, or the clip's track number for a track of the clip.
    std::string SubtitleKey(Shown kind, const SubtitleEntries& entries) const;
    // The entries of a subtitle file shown (the track, or an ASS/SSA file's
    // events); empty for a track of the clip.
    SubtitleEntries FileEntries(Shown kind) const;

    void Start();
    void Stop();
    void Ended(uint64_t run, const sync::SyncResult& result);
    void ShowProgress();
    void Apply(const sync::SyncResult& result, bool remembered);

    PlayerRecord& record_;
    QObject* context_;
    sync::SyncMemory memory_;
    std::thread worker_;         // the current run's, or a cancelled one's winding down
    bool current_ = false;       // worker_ runs for a run not cancelled
    bool pendingStart_ = false;  // Y came while a cancelled run wound down
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    int shownPercent_ = -1;
    QTimer progressTimer_;
    uint64_t run_ = 0;        // a finished run's result is taken only if still current
    uint64_t workerRun_ = 0;  // the run worker_ was started for
    Shown kind_ = Shown::None;
    SubtitleEntries entries_;          // a file's entries as they were when the run started
    SubtitleTrack::Snapshot retimed_;  // what Apply filled the track with, if it did
    std::string clipId_, subtitleId_;
};

}  // namespace tavimo
