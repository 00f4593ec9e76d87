// One audio-only decoder of a clip that marks, per 10 ms, whether the WebRTC
// voice detector hears speech: uridecodebin (pictures and text left
// undecoded, other audio tracks too; AC-3 by our decoder on libav's, which
// gives a 5.1 track's centre channel alone, in pieces of 320 ms) !
// audioconvert (the centre channel alone from other 5.1 tracks) !
// audioresample (its shortest filter) ! 16 kHz mono ! queue !
// audiocheblimit 300 Hz high pass ! audiocheblimit 3,400 Hz low pass !
// queue ! webrtcdsp (voice detection and noise suppression on, echo
// cancelling and gain control off) ! fakesink.
// The queues give the decoding, the filters and the detector a thread each
// (the demuxer has its own): on a two-hour film the detector, its noise
// suppressor above all, takes over a third of the work and the filters a
// tenth; the decoding over a quarter on a stereo track and two fifths on
// a 5.1 AC-3 one. With the filters between them on a thread of their own,
// neither the decoding nor the detector waits for the other on two cores,
// whichever is heavier. The same stretches give the same
// marks on every run: the decoder, whose state runs on across seeks,
// decodes nothing before the first stretch but the track's first buffer,
// and nothing reaches the detector before it; the filters start from
// nothing at each stretch; the conversion to integers is not dithered. The
// detector carries its noise estimate and voice model from one stretch to
// the next (started afresh at each, the first 300 ms of a stretch are not
// enough to learn them again: the cue starts came out further off).
// Built in gst_speech_listener_pipeline.cpp. Used by gst_speech_source.cpp only.
#pragma once

#include <gst/gst.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "subtitles/sync/sync_signal.h"

namespace tavimo::gst_internal {

// The detector hears mono sound at this rate (samples per second).
inline constexpr int kSpeechRate = 16000;

class SpeechListener {
  public:
    // With `strict`, the detector calls speech only what is most likely
    // speech, its noise suppressor works harder, and only the 10 ms that
    // stand out of the sound's floor (sync::LevelFloor) are marked as
    // speech: a crowd's overlapping voices, heard as speech almost
    // throughout otherwise, then break where the voice in front of them
    // pauses.
    SpeechListener(std::string uri, int audioTrack, bool strict = false)
        : uri_(std::move(uri)), track_(audioTrack), strict_(strict) {}
    ~SpeechListener();
    SpeechListener(const SpeechListener&) = delete;
    SpeechListener& operator=(const SpeechListener&) = delete;

    // Builds the pipeline and waits until the decoder has decoded the
    // track's first buffer, where it is held until the first stretch is
    // asked for. False with `error` set when the clip cannot be read, has no
    // such audio track, or the track does not decode. The calling thread
    // owns the listener from then on.
    bool Open(const std::atomic<bool>& cancel, std::string* error);

    // The clip's length (ms) the demuxer reports; 0 when unknown. The
    // container's word only: it may be far from the truth.
    int64_t DurationMs() const { return durationMs_; }

    // Whether the audio track has sound in [startMs, endMs): `heard` is set
    // when any of it reaches the detector. Marks nothing. False with `error`
    // set on a decoding error or when cancelled. Calling thread; blocks for
    // the decoding of that stretch.
    bool SoundIn(int64_t startMs, int64_t endMs, const std::atomic<bool>& cancel, bool* heard,
                 std::string* error);

    // Decodes [startMs, endMs) and marks what it hears into the steps of
    // `heard` within that stretch (+1/-1 per 10 ms step; `heard` is not
    // resized). False with `error` set on a decoding error or when
    // cancelled; the pipeline may then still be marking `heard` until the
    // listener is destroyed.
    bool Listen(int64_t startMs, int64_t endMs, sync::Activity& heard,
                const std::atomic<bool>& cancel, std::string* error);

  private:
    bool Build();
    void Watch(GstElement* detector);
    bool Play(int64_t startMs, int64_t endMs, const std::atomic<bool>& cancel, std::string* error);
    void Held();
    bool WaitFor(GstMessageType done, const std::atomic<bool>& cancel, std::string* error);
    static void OnPadAdded(GstElement*, GstPad* pad, gpointer self);
    static void OnNoMorePads(GstElement*, gpointer self);
    static GstBusSyncReply OnMessage(GstBus*, GstMessage* message, gpointer self);
    static GstPadProbeReturn OnOutput(GstPad*, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn OnInput(GstPad*, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn OnDecoded(GstPad*, GstPadProbeInfo* info, gpointer self);
    void ReleaseDecoder();
    static GstPadProbeReturn OnFilterInput(GstPad*, GstPadProbeInfo* info, gpointer self);
    void Mark(int64_t fromSample, int64_t samples, bool voice);
    void MarkLoud(GstBuffer* buffer, int64_t samples);

    std::string uri_;
    int track_;
    bool strict_;
    GstElement* pipeline_ = nullptr;
    GstElement* convert_ = nullptr;   // owned by the pipeline
    GstElement* highPass_ = nullptr;  // owned by the pipeline
    GstElement* lowPass_ = nullptr;   // owned by the pipeline
    int64_t durationMs_ = 0;
    gulong holdProbe_ = 0;           // holds the decoder until the first seek
    std::atomic<bool> held_{false};  // the decoder is held (or ended) before the first seek
    // Written on the source's streaming thread only.
    std::atomic<int> audioPads_{0};
    std::atomic<bool> linked_{false};
    std::atomic<bool> allPads_{false};  // the source has added all its pads
    // Written on the detector's thread (behind the queue) only.
    std::atomic<bool> voice_{false};  // the detector's last word
    sync::LevelFloor floor_;          // of the strict ear's output
    std::array<bool, 8> loud_{};      // whether the last 10 ms pieces stood out of it
    size_t pieces_ = 0;               // 10 ms pieces judged so far
    GstCaps* lastCaps_ = nullptr;
    GstSegment segment_{};             // the last segment in front of the detector
    bool anchorPending_ = false;       // the segment's first sample is still to come
    int64_t anchorMs_ = 0;             // clip time of that sample
    int64_t samples_ = 0;              // since the anchor, at 16 kHz
    std::atomic<int64_t> bytesIn_{0};  // reached the detector since the last seek
    // Where Listen marks: the steps [firstStep_, endStep_) of heard_. Set
    // before each seek, read by the detector's thread after it.
    sync::Activity* heard_ = nullptr;
    int64_t firstStep_ = 0;
    int64_t endStep_ = 0;
};

}  // namespace tavimo::gst_internal
