// The source's audio and subtitle tracks (IAMStreamSelect on GStreamer): every
// audio stream through one input-selector to the audio renderer, every
// subtitle stream to a sink of its own whose cues are kept per track and sent
// to the player's subtitle track or ASS script for the track chosen, and every
// picture subtitle stream (PGS, VobSub) through one input-selector to the
// overlay in the video path. Not for use outside engine/media.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <functional>
#include <map>
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
    // Streaming thread: `pad`, a picture subtitle stream (PGS, VobSub), now
    // feeds `selectorPad` of `selector`, whose output goes to `overlay`
    // (dvdspu, which burns it into the picture). Nothing passes until Enable
    // chooses the track. Takes references of its own.
    void AddPicture(GstPad* pad, GstElement* selector, GstPad* selectorPad, GstElement* overlay);

    // Called on a streaming thread, with the lock held, when a cue of the
    // track shown arrives: its times in ms of the clip (delay applied). Set
    // once, before the source is rendered.
    using CueHandler = std::function<void(int64_t startMs, int64_t endMs)>;
    void OnShownCue(CueHandler handler) { onShownCue_ = std::move(handler); }
    // Called on the UI thread, without the lock: where playback stands, in
    // ns of the clip, -1 when unknown. Set once, before the source is rendered.
    using PositionSource = std::function<int64_t()>;
    void OnPosition(PositionSource source) { position_ = std::move(source); }

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
    // The picture selector's output: passes only the chosen picture track,
    // and only while subtitles are in view, moved by the delay.
    static GstPadProbeReturn OnPictureData(GstPad*, GstPadProbeInfo* info, gpointer data);
    // A picture track's stream: every picture is kept by its time.
    static GstPadProbeReturn OnPictureRead(GstPad*, GstPadProbeInfo* info, gpointer data);
    // The overlay's video side, after a seek: the picture due at the new
    // segment's start goes to the overlay before the first frame does.
    static GstPadProbeReturn OnVideoSegment(GstPad*, GstPadProbeInfo* info, gpointer data);
    // What the overlay is to be given after a switch or a seek; refs.
    struct PictureDue {
        bool switched = false;
        GstPad* selectorPad = nullptr;  // the chosen track's, null when none
        GstCaps* caps = nullptr;        // the chosen track's
        GstEvent* palette = nullptr;    // VobSub: the chosen track's colours
        GstBuffer* picture = nullptr;   // due at the time asked, or null
    };
    // The chosen picture track's picture due at `time` (ns of the stream), a
    // copy starting no earlier than `time`; lock held.
    PictureDue PictureDueLocked(GstClockTime time);
    // Gives the overlay `due` (switching the selector first when
    // `due.switched`), with `segment` when not null. Without the lock: the
    // overlay's pads take their stream locks. Takes `due`'s references.
    // `once`: only when nothing was given since the last flush (a seek
    // reaches the overlay on both its sides; the first to come gives).
    void GivePicture(PictureDue due, const GstSegment* segment, bool once);
    std::mutex giveMutex_;  // held while the overlay is given a picture
    bool given_ = false;    // a picture was given since the last flush; giveMutex_
    HRESULT EnableLocked(long index, uint32_t flags);
    // The picture track shown, -1 when none is; lock held.
    long PictureShownLocked() const;
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
    GstElement* pictures_ = nullptr;                  // the picture input-selector (ref)
    GstPad* overlay_ = nullptr;                       // the overlay's subpicture pad (ref)
    GstPad* overlayVideo_ = nullptr;                  // the overlay's video pad (ref)
    std::atomic<bool> pictureOn_{false};              // a picture track is chosen
    bool pictureSwitched_ = false;                    // ShowLocked changed the picture track
    std::atomic<MixerShared*> pictureView_{nullptr};  // mixer_, for the probe
    CueHandler onShownCue_;
    PositionSource position_;
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
    GstPad* selectorPad = nullptr;  // audio, pictures: its input-selector pad (ref)
    enum class Cues { None, Text, Ass, Picture } cues = Cues::None;
    CueFormat textFormat = CueFormat::PangoMarkup;
    CueList text;
    AssEventList ass;
    std::string assHeader;
    GstSegment segment;  // of the cues, for their stream time
    // Pictures (PGS display sets, VobSub units) by their time (refs).
    std::map<GstClockTime, GstBuffer*> pictures;
    GstEvent* palette = nullptr;  // VobSub: the demuxer's colour table event (ref)

    ~Track() {
        gst_clear_object(&pad);
        gst_clear_object(&selectorPad);
        for (auto& [time, buffer] : pictures)
            gst_buffer_unref(buffer);
        if (palette)
            gst_event_unref(palette);
    }
};

// What a subtitle stream's caps make of its cues: text in which markup, or
// ASS with the script's header. Streaming thread; the owner's lock held or
// the track not yet listed.
void ReadCueCaps(SourceTracks::Track& track, GstCaps* caps);

}  // namespace tavimo::gst_internal
