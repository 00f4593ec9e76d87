// "Synchronise Subtitles to Speech" (Y): the subtitles shown are matched to
// the clip's speech on a worker thread while the clip plays; the result
// becomes the subtitle delay (plus a time scale and per-part offsets), and
// is remembered for the pair.
#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/player_record.h"
#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_memory.h"

namespace tavimo {

class SubtitleSyncer {
  public:
    // What a worker matches: the clip, its audio track, the stream id of a
    // track of the clip (empty for a file) and a file's cues.
    struct Job {
        std::string clipPath;
        int audio = 0;
        std::string streamId;
        std::vector<sync::Cue> cues;
    };
    // The match itself, on the worker thread: polls `cancel`, sets `percent`
    // (0..100). The player's listens to the clip; tests give their own.
    using Matcher = std::function<sync::SyncResult(const Job& job, const std::atomic<bool>& cancel,
                                                   std::atomic<int>& percent)>;

    // `record` and `context` (whose thread gets the results: the UI thread)
    // must outlive the syncer. `memoryPath` is the results file; an empty
    // `matcher` listens to the clip. UI thread.
    SubtitleSyncer(PlayerRecord& record, QObject* context,
                   std::string memoryPath = sync::SyncMemory::DefaultPath(), Matcher matcher = {});
    // Cancels and joins a run in progress.
    ~SubtitleSyncer();

    // Whether Y can start now: a clip is open, text subtitles show (a file,
    // or a text or ASS track of the clip), and the clip has an audio track.
    // UI thread.
    bool CanStart() const;
    // Whether a run is in progress (or waits for a cancelled one to wind
    // down). UI thread.
    bool Running() const { return state_ == State::Running || state_ == State::StartPending; }

    // Y: starts a run, or cancels the one in progress ("Synchronisation
    // cancelled"). Never waits for a worker: a cancelled one winds down on
    // its own, and a run asked for meanwhile starts once it has. UI thread.
    void Toggle();
    // Stop, another clip, or the window closing: cancels without a note,
    // every thread joined and every pipeline freed before it returns. UI
    // thread.
    void Cancel();
    // For a pair just opened: applies the remembered result, if any, with
    // "(remembered)" on its note; a run for other subtitles stops. A run
    // also stops within a progress interval when the subtitles shown
    // change otherwise (V, the track menu). UI thread.
    void ApplyRemembered();
    // Shift+Z, after the delay went back to 0: a subtitle file the result
    // retimed gets its own times back. UI thread.
    void ResetTiming();

  private:
    // Where the subtitles shown come from.
    enum class Shown { None, TextFile, ScriptFile, Embedded };
    // Which subtitles show: another file, another track or the same file
    // read again (a new list of entries) is another value.
    struct ShownSubtitles {
        Shown kind = Shown::None;
        long stream = -1;                 // the track of the clip
        std::string file;                 // a file's path
        SubtitleTrack::Snapshot entries;  // a text file's entries, held
        bool operator==(const ShownSubtitles&) const = default;
    };
    // The subtitles a run matches or a result was applied to.
    struct Subtitles {
        ShownSubtitles shown;
        SubtitleEntries entries;  // a file's entries as they were then
    };

    // Idle: no worker. Running: a worker matches for the run in progress,
    // whose result will be applied. WindingDown: a cancelled worker has
    // still to end; its result is dropped. StartPending: the same, and a new
    // run starts once it has.
    enum class State { Idle, Running, WindingDown, StartPending };
    enum class Event {
        Y,
        SubtitlesChanged,  // others show than those the run matches
        ClipGone,          // Stop, another clip, closing: every thread joined
        WorkerEnded,       // the worker's result has reached the UI thread
    };
    // The one place the state changes: every edge of the machine. UI thread.
    void On(Event event, uint64_t run = 0, const sync::SyncResult* result = nullptr);

    ShownSubtitles ShownNow() const;
    // The entries of a subtitle file shown (the track, or an ASS/SSA file's
    // events); empty for a track of the clip.
    SubtitleEntries FileEntries(const ShownSubtitles& shown) const;
    // The id the results file knows the subtitles by: a hash of a file's
    // entries, or the clip's track number for a track of the clip.
    static std::string SubtitleKey(const Subtitles& subtitles);

    void Start();
    void Abandon();
    void JoinWorker();
    void Finish(const sync::SyncResult& result);
    // SubtitlesChanged when others show than the run in progress matches.
    void CheckShown();
    void Tick();
    void ShowProgress();
    void Apply(const sync::SyncResult& result, const Subtitles& subtitles, bool remembered);

    PlayerRecord& record_;
    QObject* context_;
    sync::SyncMemory memory_;
    Matcher matcher_;
    State state_ = State::Idle;
    std::thread worker_;  // joinable in every state but Idle
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    int shownPercent_ = -1;
    QTimer progressTimer_;
    uint64_t workerRun_ = 0;  // the run worker_ was started for; results of others are stale
    Subtitles matching_;      // what the run in progress matches
    std::string clipId_;      // the run's clip
    Subtitles applied_;       // what the last result applied was for
    SubtitleTrack::Snapshot retimed_;  // what Apply filled the track with, if it did
};

}  // namespace tavimo
