// Where the subtitle synchroniser hears the clip: a second, audio-only
// decoder of the clip that reports, per 10 ms, whether someone speaks. The
// GStreamer one lives in engine/media/gst_speech_source.cpp; tests use fakes.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "subtitles/sync/sync_signal.h"

namespace tavimo {

// A stretch of the clip to listen to, in ms of clip time.
struct SpeechWindow {
    int64_t startMs = 0;
    int64_t endMs = 0;
    bool operator==(const SpeechWindow&) const = default;
};

class ISpeechSource {
  public:
    virtual ~ISpeechSource() = default;

    // Opens the clip and finds its audio. False with `error` set ("the clip
    // has no audio track", "the audio track does not decode") when it cannot
    // be listened to, or when `cancel` is set. Worker thread; blocks for at
    // most a few seconds.
    virtual bool Open(const std::atomic<bool>& cancel, std::string* error) = 0;

    // The clip's length in ms once opened: how far its sound is heard to go
    // (a container's duration is a hint only), at most a day; 0 when
    // unknown.
    virtual int64_t DurationMs() const = 0;

    // Listens to `windows` (in parallel where it can) and writes +1/-1 into
    // `speech` (10 ms steps from the clip's start; grown as needed) for the
    // steps heard. `progress` gets the share of windows done (0..1, from the
    // reading threads); `cancel` is polled often. False with `error` set when
    // decoding fails or when cancelled. Worker thread; blocks.
    virtual bool Read(const std::vector<SpeechWindow>& windows, sync::Activity& speech,
                      const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
                      std::string* error) = 0;

    // Frees the decoders until the next Read (which opens them again), so
    // that they hold no memory while the match is computed. Worker thread.
    virtual void Release() {}

    // Makes the Reads that follow hear speech only where a voice stands out
    // clearly from the sound around it, for a bed heard as speech almost
    // throughout (a crowd). False when the source has no stricter ear (it
    // then hears as before). Worker thread.
    virtual bool Stricter() { return false; }
};

// The GStreamer speech source for the clip at `path` (a local file or a
// file:// URI), listening to its audio track number `audioTrack` (0: the
// first). Nothing opens until Open.
std::unique_ptr<ISpeechSource> NewSpeechSource(const std::string& path, int audioTrack);

}  // namespace tavimo
