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

    // Whether Y can start now: a clip is open, text subtitles show, and the
    // clip has an audio track. UI thread.
    bool CanStart() const;
    // Whether a run is in progress.
    bool Running() const { return worker_.joinable(); }

    // Y: starts a run, or cancels the one in progress ("Synchronisation
    // cancelled"). UI thread.
    void Toggle();
    // Another clip, Stop or closing: cancels without a note, every thread
    // joined and every pipeline freed before it returns. UI thread.
    void Cancel();
    // For a pair just opened: applies the remembered result, if any, with
    // "(remembered)" on its note. UI thread.
    void ApplyRemembered();

  private:
    void Start();
    void Stop();
    void ShowProgress();
    void Finish(uint64_t run, const sync::SyncResult& result);
    void Apply(const sync::SyncResult& result, bool remembered);
    // The entries of the subtitles shown (the track, or an ASS/SSA file's
    // events); empty when none.
    SubtitleEntries ShownEntries() const;

    PlayerRecord& record_;
    QObject* context_;
    sync::SyncMemory memory_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    int shownPercent_ = -1;
    QTimer progressTimer_;
    uint64_t run_ = 0;         // a finished run's result is taken only if still current
    SubtitleEntries entries_;  // as they were when the run started
    std::string clipId_, subtitleId_;
};

}  // namespace tavimo
