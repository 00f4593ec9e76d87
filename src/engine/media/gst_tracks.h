// The source's audio and subtitle tracks (IAMStreamSelect on GStreamer): every
// audio stream through one input-selector to the audio renderer, every
// subtitle stream to a sink of its own whose cues are kept per track and sent
// to the player's subtitle track or ASS script for the track chosen. Not for
// use outside engine/media.
#pragma once

#include <gst/gst.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/media/media.h"
#include "subtitles/embedded_cues.h"

namespace tavimo::gst_internal {

class SourceTracks : public IAMStreamSelect {
  public:
    SourceTracks() = default;
    ~SourceTracks() override;
    SourceTracks(const SourceTracks&) = delete;
    SourceTracks& operator=(const SourceTracks&) = delete;

    // Streaming thread (the source's pad-added): `pad`, raw audio, now feeds
    // `selectorPad` of `selector`. The first audio in file order plays until
    // Enable chooses another. Takes references of its own.
    void AddAudio(GstPad* pad, GstElement* selector, GstPad* selectorPad);
    // Streaming thread: `pad`, a subtitle stream, now feeds `sinkPad`, the
    // pad of a sink of its own; its cues are watched there.
    void AddSubtitle(GstPad* pad, GstPad* sinkPad);
    // Streaming thread (the source's unknown-type): a stream that no
    // installed decoder takes, listed with decodable = false.
    void AddUndecodable(GstPad* pad, GstCaps* caps);

    // Called on a streaming thread, with the lock held, when a cue of the
    // track shown arrives: its times in ms of the clip (delay applied). Set
    // once, before the source is rendered.
    using CueHandler = std::function<void(int64_t startMs, int64_t endMs)>;
    void OnShownCue(CueHandler handler) { onShownCue_ = std::move(handler); }

    // --- IAMStreamSelect; UI thread ---
    HRESULT Count(long* count) override;
    HRESULT Info(long index, StreamInfo* info) override;
    // Audio: ENABLE switches the selector (0 is refused: one audio track
    // always plays). Subtitles: ENABLE sends the track's cues to the
    // targets, 0 takes them away. S_OK when the choice changed nothing
    // either; the caller redraws a paused picture.
    HRESULT Enable(long index, uint32_t flags) override;
    HRESULT SetSubtitleTargets(SubtitleTrack* track, MixerShared* mixer) override;

    struct Track;

  private:
    static GstPadProbeReturn OnSubtitleData(GstPad*, GstPadProbeInfo* info, gpointer data);
    void OnCaps(Track& track, GstCaps* caps);
    void OnCue(Track& track, GstBuffer* buffer);
    void OnTags(GstTagList* tags);
    void TellShownLocked(int64_t startMs, int64_t endMs);
    // Places a new track by file order; lock held.
    Track& InsertLocked(std::unique_ptr<Track> track);
    // Sends the chosen subtitle track (none: -1) to the targets; lock held.
    void ShowLocked(long index);

    std::mutex mutex_;                            // everything below
    std::vector<std::unique_ptr<Track>> tracks_;  // in file order
    GstElement* selector_ = nullptr;              // the audio input-selector (ref)
    bool audioChosen_ = false;                    // Enable chose the audio
    long subtitle_ = -1;                          // the subtitle track shown, -1 none
    SubtitleTrack* track_ = nullptr;
    MixerShared* mixer_ = nullptr;
    // Fonts attached to the file (name, bytes), for the ASS script.
    std::vector<std::pair<std::string, std::string>> fonts_;
    size_t fontsGiven_ = 0;  // how many of them the script has
    unsigned arrivals_ = 0;
    CueHandler onShownCue_;
};

// One track; its cue stores are written by its sink's streaming thread under
// the owner's lock.
struct SourceTracks::Track {
    SourceTracks* owner = nullptr;
    GstPad* pad = nullptr;  // the stream's pad (ref): caps, tags, flags
    uint64_t order = 0;     // file order
    StreamInfo::Kind kind = StreamInfo::Kind::Audio;
    std::string format;  // short name for menus
    bool decodable = true;
    GstPad* selectorPad = nullptr;  // audio: its input-selector pad (ref)
    enum class Cues { None, Text, Ass } cues = Cues::None;
    CueFormat textFormat = CueFormat::PangoMarkup;
    CueList text;
    AssEventList ass;
    std::string assHeader;
    GstSegment segment;  // of the cues, for their stream time

    ~Track() {
        gst_clear_object(&pad);
        gst_clear_object(&selectorPad);
    }
};

// What a subtitle stream's caps make of its cues: text in which markup, or
// ASS with the script's header. Streaming thread; the owner's lock held or
// the track not yet listed.
void ReadCueCaps(SourceTracks::Track& track, GstCaps* caps);

}  // namespace tavimo::gst_internal
